// Dialogs without a toolkit: the controls of a template as plain state (text, checked, enabled),
// driven as a user would drive them, and shell services for tests that run such dialogs from a
// script, record message boxes and keep settings in memory.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog.h"
#include "platform/headless/headless_profile.h"

namespace platform::headless {

class HeadlessDialog final : public DialogHost {
public:
    // The controls of `templ`, all enabled, empty and unchecked.
    HeadlessDialog(Dialog& dialog, const DialogTemplate& templ);
    ~HeadlessDialog() override;
    HeadlessDialog(const HeadlessDialog&) = delete;
    HeadlessDialog& operator=(const HeadlessDialog&) = delete;

    // Attaches the dialog and sends OnInitDialog.
    void Start();

    // --- What a user does. Each acts only while the dialog runs and on an enabled control of
    // the template; false when it could not act.
    // Replaces the text of an edit, then EN_CHANGE.
    bool Type(int32_t id, std::string_view text);
    // A push button; a check box first toggles; a radio button first checks itself and clears
    // the other buttons of its group. Then BN_CLICKED.
    bool Click(int32_t id);
    // Presses the default push button.
    bool PressEnter();
    // IDCANCEL, as Escape or the window's close button send it.
    void PressEscape();

    bool Running() const { return running_; }
    int32_t Result() const { return result_; }
    const std::vector<std::string>& Messages() const { return messages_; }
    Dialog& GetDialog() { return dialog_; }

    // --- DialogHost ---
    const DialogTemplate& Template() const override { return templ_; }
    std::string GetItemText(int32_t id) const override;
    void SetItemText(int32_t id, std::string_view text) override;
    bool IsChecked(int32_t id) const override;
    void SetChecked(int32_t id, bool checked) override;
    bool IsItemEnabled(int32_t id) const override;
    void EnableItem(int32_t id, bool enabled) override;
    void End(int32_t result) override;
    void MessageBox(std::string_view utf8Text) override { messages_.emplace_back(utf8Text); }

private:
    struct State {
        std::string text;
        bool checked = false;
        bool enabled = true;
    };
    // The control `id` when it is in the template, running and enabled.
    const DialogControl* Usable(int32_t id) const;

    Dialog& dialog_;
    const DialogTemplate& templ_;
    std::map<int32_t, State> controls_;
    bool running_ = false;
    int32_t result_ = -1;
    std::vector<std::string> messages_;
};

class HeadlessShell final : public ShellServices {
public:
    using TemplateLookup = std::function<const DialogTemplate*(int32_t id)>;
    explicit HeadlessShell(TemplateLookup lookup) : lookup_(std::move(lookup)) {}

    // Runs `dialog` from its template: OnInitDialog, then `script`; a dialog the script leaves
    // running is cancelled. -1 for a template the lookup does not know.
    int32_t RunModalDialog(Dialog& dialog) override;
    void MessageBox(std::string_view utf8Text) override { messages.emplace_back(utf8Text); }
    Profile* Settings() override { return &profile; }

    // Drives each dialog once it runs.
    std::function<void(HeadlessDialog&)> script;
    // The shell's message boxes and those of every dialog, in order.
    std::vector<std::string> messages;
    HeadlessProfile profile;
    int32_t dialogsRun = 0;

private:
    TemplateLookup lookup_;
};

} // namespace platform::headless
