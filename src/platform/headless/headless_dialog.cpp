#include "platform/headless/headless_dialog.h"

namespace platform::headless {

HeadlessDialog::HeadlessDialog(Dialog& dialog, const DialogTemplate& templ)
    : dialog_(dialog), templ_(templ) {
    for (const DialogControl& control : templ.controls)
        if (control.id != IDC_STATIC)
            controls_[control.id] = State{std::string(control.text), false, true};
}

HeadlessDialog::~HeadlessDialog() {
    if (dialog_.Host() == this)
        dialog_.AttachHost(nullptr);
}

void HeadlessDialog::Start() {
    running_ = true;
    dialog_.AttachHost(this);
    dialog_.OnInitDialog();
}

const DialogControl* HeadlessDialog::Usable(int32_t id) const {
    const DialogControl* control = FindControl(templ_, id);
    if (!running_ || !control || id == IDC_STATIC || !IsItemEnabled(id))
        return nullptr;
    return control;
}

bool HeadlessDialog::Type(int32_t id, std::string_view text) {
    const DialogControl* control = Usable(id);
    if (!control || control->kind != ControlKind::Edit)
        return false;
    controls_[id].text.assign(text);
    dialog_.OnCommand(id, EN_CHANGE);
    return true;
}

bool HeadlessDialog::Click(int32_t id) {
    const DialogControl* control = Usable(id);
    if (!control)
        return false;
    switch (control->kind) {
    case ControlKind::CheckBox:
        controls_[id].checked = !controls_[id].checked;
        break;
    case ControlKind::RadioButton: {
        // The group this button belongs to: from the button that starts it.
        int32_t first = id;
        for (const DialogControl& c : templ_.controls) {
            if (c.kind == ControlKind::RadioButton && (c.style & CsGroup))
                first = c.id;
            if (c.id == id)
                break;
        }
        for (const int32_t member : RadioGroup(templ_, first))
            controls_[member].checked = member == id;
        break;
    }
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
        break;
    default:
        return false;
    }
    dialog_.OnCommand(id, BN_CLICKED);
    return true;
}

bool HeadlessDialog::PressEnter() {
    for (const DialogControl& control : templ_.controls)
        if (control.kind == ControlKind::DefPushButton)
            return Click(control.id);
    return false;
}

void HeadlessDialog::PressEscape() {
    if (running_)
        dialog_.OnCommand(IDCANCEL, BN_CLICKED);
}

std::string HeadlessDialog::GetItemText(int32_t id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? std::string() : it->second.text;
}

void HeadlessDialog::SetItemText(int32_t id, std::string_view text) {
    if (auto it = controls_.find(id); it != controls_.end())
        it->second.text.assign(text);
}

bool HeadlessDialog::IsChecked(int32_t id) const {
    auto it = controls_.find(id);
    return it != controls_.end() && it->second.checked;
}

void HeadlessDialog::SetChecked(int32_t id, bool checked) {
    if (auto it = controls_.find(id); it != controls_.end())
        it->second.checked = checked;
}

bool HeadlessDialog::IsItemEnabled(int32_t id) const {
    auto it = controls_.find(id);
    return it != controls_.end() && it->second.enabled;
}

void HeadlessDialog::EnableItem(int32_t id, bool enabled) {
    if (auto it = controls_.find(id); it != controls_.end())
        it->second.enabled = enabled;
}

void HeadlessDialog::End(int32_t result) {
    if (!running_)
        return;
    running_ = false;
    result_ = result;
}

int32_t HeadlessShell::RunModalDialog(Dialog& dialog) {
    const DialogTemplate* templ = lookup_ ? lookup_(dialog.TemplateId()) : nullptr;
    if (!templ)
        return -1;
    ++dialogsRun;
    HeadlessDialog host(dialog, *templ);
    host.Start();
    if (script && host.Running())
        script(host);
    if (host.Running())
        host.PressEscape();
    // A dialog that refuses to close on Cancel still ends with the run.
    host.End(IDCANCEL);
    const std::vector<std::string>& shown = host.Messages();
    messages.insert(messages.end(), shown.begin(), shown.end());
    return host.Result();
}

} // namespace platform::headless
