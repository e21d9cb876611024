// What the toolkit-free part of the shell asks of the user interface: message boxes, file names,
// the font dialog, the engine's dialogs and the clipboard. The Qt shell answers with real dialogs;
// tests answer with scripted replies and record what was shown.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/dialog.h"
#include "platform/font.h"

namespace app {

enum class MessageButtons : uint8_t { Ok, YesNoCancel };
enum class MessageResult : uint8_t { Ok, Yes, No, Cancel };

struct FontChoice {
    std::string faceName;
    int32_t pointTenths = 0; // the size in tenths of a point
};

class UiServices {
public:
    virtual ~UiServices() = default;

    // A modal box titled with the application's name.
    virtual MessageResult MessageBox(std::string_view text, MessageButtons buttons) = 0;
    // The file to open; none when the user cancelled.
    virtual std::optional<std::string> AskOpenPath() = 0;
    // Where to save a document now called `proposed`; none when the user cancelled.
    virtual std::optional<std::string> AskSavePath(std::string_view proposed) = 0;
    // The font dialog started from `initial` (a negative height is a character height in
    // pixels of the screen); none when cancelled.
    virtual std::optional<FontChoice> ChooseFont(const platform::LogFont& initial) = 0;
    // The about box.
    virtual void ShowAbout() = 0;
    // Runs an engine dialog (Find, Replace) modally from its template; the result it ended with,
    // -1 when none could be shown (the default).
    virtual int32_t RunDialog(platform::Dialog& dialog) {
        (void)dialog;
        return -1;
    }
    // Plain text on the clipboard, as Unicode.
    virtual bool ClipboardHasText() = 0;
    virtual bool GetClipboardText(std::u32string& text) = 0;
    virtual bool SetClipboardText(std::u32string_view text) = 0;
};

} // namespace app
