// What the toolkit-free part of the shell asks of the user interface: message boxes, file names,
// the font dialog and the engine's dialogs; the views use the platform's clipboard. The Qt shell
// answers with real dialogs; tests answer with scripted replies and record what was shown.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/dialog.h"
#include "platform/font.h"
#include "platform/print.h"

namespace app {

// The buttons of a message box, and the answer each gives: Ok; Yes, No (and Cancel, also given by
// Escape); Recover, Discard, Later (a journal of unsaved changes; Escape: Later); Reload, Keep (a
// file changed by another program; Escape: Keep).
enum class MessageButtons : uint8_t { Ok, YesNoCancel, YesNo, RecoverDiscardLater, ReloadKeep };
enum class MessageResult : uint8_t { Ok, Yes, No, Cancel, Recover, Discard, Later, Reload, Keep };
// The icon a message box carries: what kind of message it is.
enum class MessageIcon : uint8_t { Information, Warning, Error, Question };

struct FontChoice {
    std::string faceName;
    int32_t pointTenths = 0; // the size in tenths of a point
};

class UiServices {
public:
    virtual ~UiServices() = default;

    // A modal box titled with the application's name; `text` is shown as plain text.
    virtual MessageResult MessageBox(std::string_view text, MessageButtons buttons,
                                     MessageIcon icon = MessageIcon::Information) = 0;
    // The file to open, the dialog starting in `folder` (empty: the folder of the last file
    // dialog); none when the user cancelled.
    virtual std::optional<std::string> AskOpenPath(std::string_view folder) = 0;
    // Where to save a document; the dialog proposes `proposed`, a file name or a path whose
    // folder it starts in. None when the user cancelled.
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

    // ---- Printing. The defaults stand for a machine with nothing to print on.
    // Prints the text of `view` through the system print dialog, or (`preview`) shows it in the
    // preview window; a job that fails is reported to the user here.
    virtual void PrintView(platform::PrintableView& view, std::string_view title, bool preview) {
        (void)view, (void)title, (void)preview;
    }
    // The printer selection dialog.
    virtual void PrintSetup() {}
    // The Page Setup dialog started from `margins` (hundredths of a millimetre); true when the
    // user chose OK, `margins` then holding the choice.
    virtual bool PageSetup(platform::PageMargins& margins) {
        (void)margins;
        return false;
    }
};

} // namespace app
