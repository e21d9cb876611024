#include "app/z80dialogs.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "app/resources/resourceids.h"
#include "app/resources/strings.h"

namespace app {

CGotoLineDialog::CGotoLineDialog(int32_t lineCount, int32_t line)
    : Dialog(IDD_GOTO_LINE), lineCount_(std::max(lineCount, 1)),
      line_(std::clamp(line, 1, lineCount_)), text_(std::to_string(line_)) {}

void CGotoLineDialog::DoDataExchange(platform::DataExchange& dx) {
    dx.Text(IDC_GOTO_LINE, text_);
}

bool CGotoLineDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    SetDlgItemText(IDC_GOTO_PROMPT, FillIn(FindString(IDS_GOTO_LINE_PROMPT).value_or("%d"),
                                           {std::to_string(lineCount_)}));
    EnableDlgItem(platform::IDOK, !text_.empty());
    return true;
}

void CGotoLineDialog::OnCommand(int32_t id, uint32_t code) {
    if (id == IDC_GOTO_LINE && code == platform::EN_CHANGE) {
        EnableDlgItem(platform::IDOK, !GetDlgItemText(IDC_GOTO_LINE).empty());
        return;
    }
    Dialog::OnCommand(id, code);
}

void CGotoLineDialog::OnOK() {
    if (!UpdateData(true))
        return;
    const int32_t line = ParseLine(text_, lineCount_);
    if (line == 0) {
        MessageBox(
            FillIn(FindString(IDS_GOTO_LINE_INVALID).value_or("%d"), {std::to_string(lineCount_)}));
        return;
    }
    line_ = line;
    EndDialog(platform::IDOK);
}

int32_t CGotoLineDialog::ParseLine(std::string_view text, int32_t lineCount) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty())
        return 0;
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return 0;
        // Anything past the last line is the last line; stop counting before it overflows.
        value = std::min<int64_t>(value * 10 + (c - '0'), int64_t{lineCount} + 1);
    }
    if (value == 0)
        return 0;
    return static_cast<int32_t>(std::min<int64_t>(value, lineCount));
}

CAssemblerDialog::CAssemblerDialog(std::string command, std::string defaultCommand)
    : Dialog(IDD_ASSEMBLER), command_(std::move(command)),
      defaultCommand_(std::move(defaultCommand)) {}

void CAssemblerDialog::DoDataExchange(platform::DataExchange& dx) {
    dx.Text(IDC_ASSEMBLER_COMMAND, command_);
}

void CAssemblerDialog::OnCommand(int32_t id, uint32_t code) {
    if (id == IDC_ASSEMBLER_DEFAULT && code == platform::BN_CLICKED) {
        SetDlgItemText(IDC_ASSEMBLER_COMMAND, defaultCommand_);
        return;
    }
    Dialog::OnCommand(id, code);
}

} // namespace app
