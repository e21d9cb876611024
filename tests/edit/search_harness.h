// An edit harness whose view runs its Find and Replace dialogs headless, from the application's
// templates, driven by a script; message boxes are recorded and settings kept in memory.
#pragma once

#include <functional>
#include <string_view>

#include "app/resources/dialogs.h"
#include "edit/dialogids.h"
#include "edit/finddialog.h"
#include "edit/replacedialog.h"
#include "edit_harness.h"
#include "platform/headless/headless_dialog.h"

namespace edittest {

using platform::headless::HeadlessDialog;

class SearchHarness : public EditHarness {
public:
    explicit SearchHarness(std::string_view markedText, int32_t columns = 40, int32_t rows = 10)
        : EditHarness(markedText, columns, rows), shell(&app::FindDialogTemplate) {
        view->SetShellServices(&shell);
    }
    ~SearchHarness() { view->SetShellServices(nullptr); }

    // Ctrl+F or Ctrl+H with `script` driving the dialog; a dialog it leaves open is cancelled.
    void Find(std::function<void(HeadlessDialog&)> script) {
        shell.script = std::move(script);
        Keys("Ctrl+F");
    }
    void Replace(std::function<void(HeadlessDialog&)> script) {
        shell.script = std::move(script);
        Keys("Ctrl+H");
    }
    static CReplaceDialog& ReplaceDialogOf(HeadlessDialog& d) {
        return static_cast<CReplaceDialog&>(d.GetDialog());
    }

    platform::headless::HeadlessShell shell;
};

} // namespace edittest
