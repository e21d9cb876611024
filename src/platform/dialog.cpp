#include "platform/dialog.h"

namespace platform {

const DialogControl* FindControl(const DialogTemplate& dialog, int32_t id) {
    for (const DialogControl& control : dialog.controls)
        if (control.id == id)
            return &control;
    return nullptr;
}

std::vector<int32_t> RadioGroup(const DialogTemplate& dialog, int32_t firstId) {
    std::vector<int32_t> group;
    for (const DialogControl& control : dialog.controls) {
        if (group.empty()) {
            if (control.id == firstId && control.kind == ControlKind::RadioButton)
                group.push_back(control.id);
            continue;
        }
        if (control.kind != ControlKind::RadioButton || (control.style & CsGroup))
            break;
        group.push_back(control.id);
    }
    return group;
}

std::string ToUtf8(CodePage page, std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char byte : bytes) {
        const char32_t c = ByteToUnicode(page, static_cast<uint8_t>(byte));
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// ---- Data exchange

void DataExchange::Text(int32_t id, std::string& value) {
    if (saveAndValidate_)
        value = dialog_.GetDlgItemText(id);
    else
        dialog_.SetDlgItemText(id, value);
}

void DataExchange::Check(int32_t id, bool& value) {
    if (saveAndValidate_)
        value = dialog_.IsDlgButtonChecked(id);
    else
        dialog_.CheckDlgButton(id, value);
}

void DataExchange::Radio(int32_t firstId, int32_t& value) {
    const DialogHost* host = dialog_.Host();
    if (!host)
        return;
    const std::vector<int32_t> group = RadioGroup(host->Template(), firstId);
    if (saveAndValidate_) {
        value = -1;
        for (size_t i = 0; i < group.size(); ++i)
            if (dialog_.IsDlgButtonChecked(group[i]))
                value = static_cast<int32_t>(i);
        return;
    }
    for (size_t i = 0; i < group.size(); ++i)
        dialog_.CheckDlgButton(group[i], static_cast<int32_t>(i) == value);
}

// ---- Dialog

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::OnCommand(int32_t id, uint32_t code) {
    if (code != BN_CLICKED)
        return;
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
}

void Dialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool Dialog::UpdateData(bool saveAndValidate) {
    if (!host_)
        return false;
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void Dialog::EndDialog(int32_t result) {
    if (host_)
        host_->End(result);
}

std::string Dialog::GetDlgItemText(int32_t id) const {
    return host_ ? host_->GetItemText(id) : std::string();
}

void Dialog::SetDlgItemText(int32_t id, std::string_view text) {
    if (host_)
        host_->SetItemText(id, text);
}

bool Dialog::IsDlgButtonChecked(int32_t id) const {
    return host_ && host_->IsChecked(id);
}

void Dialog::CheckDlgButton(int32_t id, bool checked) {
    if (host_)
        host_->SetChecked(id, checked);
}

bool Dialog::IsDlgItemEnabled(int32_t id) const {
    return host_ && host_->IsItemEnabled(id);
}

void Dialog::EnableDlgItem(int32_t id, bool enabled) {
    if (host_)
        host_->EnableItem(id, enabled);
}

void Dialog::MessageBox(std::string_view text) {
    if (host_)
        host_->MessageBox(ToUtf8(codePage_, text));
}

} // namespace platform
