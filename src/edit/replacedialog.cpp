#include "edit/replacedialog.h"

#include <algorithm>
#include <utility>

#include "edit/dialogids.h"
#include "edit/editview.h"
#include "view/viewstrings.h"

CReplaceDialog::CReplaceDialog(CTextEditView* editView)
    : Dialog(edit::IDD_REPLACE), view(editView) {}

uint32_t CReplaceDialog::Flags() const {
    return (matchCase ? FindMatchCase : 0u) | (wholeWord ? FindWholeWord : 0u);
}

void CReplaceDialog::DoDataExchange(platform::DataExchange& dx) {
    dx.Check(edit::IDC_MATCH_CASE, matchCase);
    dx.Check(edit::IDC_WHOLE_WORD, wholeWord);
    dx.Text(edit::IDC_FIND_WHAT, pattern);
    dx.Text(edit::IDC_REPLACE_WITH, replacement);
    dx.Radio(edit::IDC_SCOPE_SELECTION, scope);
}

bool CReplaceDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    EnableDlgItem(edit::IDC_FIND_NEXT, !pattern.empty());
    EnableDlgItem(edit::IDC_SCOPE_SELECTION, selectionScopeAllowed);
    found = false;
    return true;
}

void CReplaceDialog::OnCommand(int32_t id, uint32_t code) {
    if (code == platform::EN_CHANGE) {
        if (id == edit::IDC_FIND_WHAT)
            EnableDlgItem(edit::IDC_FIND_NEXT, !GetDlgItemText(edit::IDC_FIND_WHAT).empty());
        return;
    }
    if (code != platform::BN_CLICKED)
        return;
    switch (id) {
    case edit::IDC_FIND_NEXT:
        OnFindNext();
        break;
    case edit::IDC_REPLACE:
        OnReplace();
        break;
    case edit::IDC_REPLACE_ALL:
        OnReplaceAll();
        break;
    case platform::IDCANCEL:
        OnCancel();
        break;
    default:
        break;
    }
}

void CReplaceDialog::OnCancel() {
    UpdateData(true);
    EndDialog(platform::IDCANCEL);
}

// ---- The search step

bool CReplaceDialog::FindFrom(TextPosition from, TextPosition& match) {
    if (scope == 0)
        return view->FindTextInRange(pattern, from, rangeStart, rangeEnd, Flags(), false, match);
    return view->FindTextInWholeText(pattern, from, Flags(), false, match);
}

void CReplaceDialog::ReportNotFound() {
    MessageBox(view::FormatString(view::LoadViewString(view::IDS_CANNOT_FIND_STRING), pattern));
    currentPosition = scope == 0 ? rangeStart : TextPosition{};
    found = false;
}

bool CReplaceDialog::SearchStep() {
    TextPosition match;
    if (!FindFrom(searchPosition, match)) {
        ReportNotFound();
        return false;
    }
    searchPosition = match;
    view->SelectFoundText(searchPosition, static_cast<int32_t>(pattern.size()));
    return true;
}

void CReplaceDialog::MoveRangeBounds(TextPosition at, int64_t delta) {
    if (!selectionScopeAllowed)
        return;
    for (TextPosition* bound : {&rangeStart, &rangeEnd})
        if (bound->y == at.y && bound->x > at.x)
            bound->x = static_cast<int32_t>(bound->x + delta);
}

// ---- The buttons

void CReplaceDialog::OnFindNext() {
    if (!UpdateData(true))
        return;
    if (!found)
        searchPosition = currentPosition;
    else
        ++searchPosition.x; // overlapping matches are found too
    found = SearchStep();
}

void CReplaceDialog::OnReplace() {
    if (!UpdateData(true))
        return;
    if (!found) {
        // Nothing held yet: this press only finds.
        searchPosition = currentPosition;
        found = SearchStep();
        return;
    }
    view->ReplaceSelection(replacement);
    MoveRangeBounds(searchPosition, static_cast<int64_t>(replacement.size()) -
                                        static_cast<int64_t>(pattern.size()));
    searchPosition.x += static_cast<int32_t>(replacement.size());
    found = SearchStep();
}

void CReplaceDialog::OnReplaceAll() {
    if (!UpdateData(true))
        return;
    // An empty pattern matches nothing to replace: every step would select nothing, replace
    // nothing and, with an empty replacement, never advance.
    if (pattern.empty()) {
        ReportNotFound();
        return;
    }
    if (!found) {
        searchPosition = currentPosition;
        found = SearchStep();
        if (!found)
            return;
    }
    TextPosition start;
    TextPosition end;
    view->GetSelectedRange(start, end);
    const auto length = static_cast<int32_t>(pattern.size());
    if (start == searchPosition && end == TextPosition{start.x + length, start.y} &&
        replacement.find_first_of("\r\n") == std::string::npos)
        ReplaceAllAtOnce();
    else
        ReplaceAllOneByOne();
}

void CReplaceDialog::ReplaceAllAtOnce() {
    const auto length = static_cast<int32_t>(pattern.size());
    const int64_t delta = static_cast<int64_t>(replacement.size()) - length;
    // The text after a replacement is the text after the match, and a search step never looks
    // left of where it starts: searching on from each match's end in the text as it is finds
    // what the one-by-one replacement would find, in the text's own positions.
    std::vector<TextPosition> matches{searchPosition};
    TextPosition match;
    while (FindFrom({matches.back().x + length, matches.back().y}, match))
        matches.push_back(match);
    // Each replacement moves the range bounds right of its start on its line.
    const TextPosition startBefore = rangeStart;
    const TextPosition endBefore = rangeEnd;
    for (const TextPosition& m : matches) {
        for (const auto& [bound, before] :
             {std::pair{&rangeStart, startBefore}, std::pair{&rangeEnd, endBefore}})
            if (selectionScopeAllowed && m.y == before.y && before.x > m.x)
                bound->x = static_cast<int32_t>(bound->x + delta);
    }
    if (!view->ReplaceMatches(std::move(matches), length, replacement)) {
        rangeStart = startBefore;
        rangeEnd = endBefore;
        ReplaceAllOneByOne();
        return;
    }
    // The last search position is the last replacement's start; the search after it resumes
    // behind the inserted text and finds nothing more.
    TextPosition last;
    TextPosition lastEnd;
    view->GetSelectedRange(last, lastEnd);
    searchPosition = lastEnd;
    ReportNotFound();
}

void CReplaceDialog::ReplaceAllOneByOne() {
    CTextBuffer* buffer = view->GetBuffer();
    buffer->OpenEditGroup(false);
    do {
        view->ReplaceSelection(replacement, ActionReplace);
        MoveRangeBounds(searchPosition, static_cast<int64_t>(replacement.size()) -
                                            static_cast<int64_t>(pattern.size()));
        searchPosition.x += static_cast<int32_t>(replacement.size());
        found = SearchStep();
    } while (found);
    buffer->CloseEditGroup(view);
}
