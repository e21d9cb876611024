// Text handed between windows: the clipboard, the X11 primary selection and the data of a drag.
//
// The engine's text is bytes of a code page with CR LF between lines; a line may hold any byte, NUL
// included. Inside the application that text travels unchanged (the private format below), so
// copy then paste, or drag then drop, gives back exactly the bytes that were taken. Other
// applications get and give Unicode text; the conversions at that boundary are written here once
// for every backend.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace platform {

class Wnd;

// The format that carries the engine's bytes unchanged between windows of this application.
inline constexpr std::string_view kPrivateTextFormat = "application/x-velmora-text";

// UTF-8 of Unicode text.
std::string Utf8FromUnicode(std::u32string_view text);

// The text another application receives: UTF-8 decoded through `page`, with each CR LF pair
// becoming one LF (what Linux applications expect). Other bytes, NUL and lone CR or LF included,
// become their characters.
std::string TextForOtherApplications(std::string_view bytes, CodePage page);

// Text from another application as the engine takes it: each character as its byte of `page`, a
// character the page cannot hold as '?', and every line break (CR LF, lone CR, lone LF, the
// Unicode line and paragraph separators) as CR LF.
std::string TextFromOtherApplications(std::u32string_view text, CodePage page);

// What a clipboard or a dragged object offers, as the engine reads it.
class DataObject {
public:
    virtual ~DataObject() = default;
    // Whether there is text the engine can read (the private format or plain text).
    virtual bool HasText() const = 0;
    // The text as bytes of `page` with CR LF between lines: the private format's bytes exactly
    // when it is there, else the plain text converted (TextFromOtherApplications). None when there
    // is no text or it cannot be read.
    virtual std::optional<std::string> GetText(CodePage page) const = 0;
    // The window a drag started from, when it is a window of this process; null otherwise.
    virtual Wnd* SourceWindow() const { return nullptr; }
};

enum class ClipboardKind : uint8_t {
    // Copy, Cut and Paste.
    Standard,
    // The X11 primary selection: what the mouse selected last, pasted by a middle click.
    Selection,
};

class Clipboard : public DataObject {
public:
    // Replaces what the clipboard holds with `bytes`, text of `page` with CR LF between lines.
    // This application reads the bytes back unchanged; others read TextForOtherApplications.
    // False when the clipboard refused the text.
    virtual bool SetText(std::string bytes, CodePage page) = 0;
};

} // namespace platform
