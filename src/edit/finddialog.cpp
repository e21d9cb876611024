#include "edit/finddialog.h"

#include "edit/dialogids.h"
#include "view/textview.h"
#include "view/viewstrings.h"

CFindDialog::CFindDialog(CTextView* textView) : Dialog(edit::IDD_FIND), view(textView) {}

uint32_t CFindDialog::Flags() const {
    return (matchCase ? FindMatchCase : 0u) | (wholeWord ? FindWholeWord : 0u) |
           (direction == 0 ? FindDirectionUp : 0u);
}

void CFindDialog::DoDataExchange(platform::DataExchange& dx) {
    dx.Radio(edit::IDC_DIRECTION_UP, direction);
    dx.Check(edit::IDC_MATCH_CASE, matchCase);
    dx.Text(edit::IDC_FIND_WHAT, pattern);
    dx.Check(edit::IDC_WHOLE_WORD, wholeWord);
}

bool CFindDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    EnableDlgItem(platform::IDOK, !pattern.empty());
    return true;
}

void CFindDialog::OnCommand(int32_t id, uint32_t code) {
    if (id == edit::IDC_FIND_WHAT && code == platform::EN_CHANGE) {
        EnableDlgItem(platform::IDOK, !GetDlgItemText(edit::IDC_FIND_WHAT).empty());
        return;
    }
    Dialog::OnCommand(id, code);
}

void CFindDialog::OnOK() {
    if (!UpdateData(true))
        return;
    TextPosition found;
    if (!view->FindTextInWholeText(pattern, searchPosition, Flags(), true, found)) {
        MessageBox(view::FormatString(view::LoadViewString(view::IDS_CANNOT_FIND_STRING), pattern));
        searchPosition = {};
        return;
    }
    view->SelectFoundText(found, static_cast<int32_t>(pattern.size()));
    EndDialog(platform::IDOK);
}

void CFindDialog::OnCancel() {
    UpdateData(true);
    EndDialog(platform::IDCANCEL);
}
