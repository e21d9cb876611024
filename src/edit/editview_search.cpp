// Find and Replace: the two commands with their settings, the selection the Replace command keeps,
// and replacing the selection or many matches at once.
#include <algorithm>
#include <string>
#include <utility>

#include "edit/editview.h"
#include "edit/finddialog.h"
#include "edit/replacedialog.h"
#include "platform/profile.h"

namespace {

constexpr std::string_view kFindSection = "Find";
constexpr std::string_view kReplaceSection = "Replace";

} // namespace

int32_t CTextEditView::RunDialog(platform::Dialog& dialog) {
    dialog.SetCodePage(GetInputCodePage());
    SetKeepSelectionVisible(true);
    const int32_t result = shell ? shell->RunModalDialog(dialog) : -1;
    SetKeepSelectionVisible(false);
    return result;
}

// ---- Find

void CTextEditView::OnEditFind() {
    platform::Profile* settings = shell ? shell->Settings() : nullptr;
    CFindDialog dialog(this);
    if (lastSearch.hasLastSearch) {
        dialog.direction = (lastSearch.lastSearchFlags & FindDirectionUp) ? 0 : 1;
        dialog.matchCase = (lastSearch.lastSearchFlags & FindMatchCase) != 0;
        dialog.wholeWord = (lastSearch.lastSearchFlags & FindWholeWord) != 0;
        dialog.pattern = lastSearch.lastFindWhat;
    } else if (settings) {
        dialog.matchCase = settings->GetProfileInt(kFindSection, "MatchCase", 0) != 0;
        dialog.wholeWord = settings->GetProfileInt(kFindSection, "WholeWord", 0) != 0;
        dialog.pattern = settings->GetProfileString(kFindSection, "FindWhat", "");
    }
    // A selection within one line is what the user wants to find.
    TextPosition start;
    TextPosition end;
    GetSelectedRange(start, end);
    if (start != end && start.y == end.y)
        GetTextRange(start, end, dialog.pattern);
    dialog.searchPosition = caretPos;

    if (RunDialog(dialog) == platform::IDOK)
        lastSearch.hasLastSearch = true;
    lastSearch.lastFindWhat = dialog.pattern;
    lastSearch.lastSearchFlags = dialog.Flags();
    if (settings) {
        settings->WriteProfileInt(kFindSection, "MatchCase", dialog.matchCase ? 1 : 0);
        settings->WriteProfileInt(kFindSection, "WholeWord", dialog.wholeWord ? 1 : 0);
        settings->WriteProfileString(kFindSection, "FindWhat", dialog.pattern);
    }
}

// ---- Replace

void CTextEditView::OnEditReplace() {
    if (!IsEditable())
        return;
    platform::Profile* settings = shell ? shell->Settings() : nullptr;
    CReplaceDialog dialog(this);
    if (settings) {
        dialog.matchCase = settings->GetProfileInt(kReplaceSection, "MatchCase", 0) != 0;
        dialog.wholeWord = settings->GetProfileInt(kReplaceSection, "WholeWord", 0) != 0;
        dialog.pattern = settings->GetProfileString(kReplaceSection, "FindWhat", "");
        dialog.replacement = settings->GetProfileString(kReplaceSection, "ReplaceWith", "");
    }
    if (HasSelection()) {
        GetSelectedRange(replaceSelection.savedSelectionStart, replaceSelection.savedSelectionEnd);
        replaceSelection.selectionSaved = true;
        dialog.currentPosition = replaceSelection.savedSelectionStart;
        dialog.rangeStart = replaceSelection.savedSelectionStart;
        dialog.rangeEnd = replaceSelection.savedSelectionEnd;
        dialog.scope = 0;
        dialog.selectionScopeAllowed = true;
    } else {
        dialog.currentPosition = caretPos;
        dialog.scope = 1;
        dialog.selectionScopeAllowed = false;
    }

    RunDialog(dialog);

    if (replaceSelection.selectionSaved) {
        // The selection comes back where its text went; the caret stays where the dialog left it.
        SelectRange(replaceSelection.savedSelectionStart, replaceSelection.savedSelectionEnd);
        replaceSelection.selectionSaved = false;
    }
    if (settings) {
        settings->WriteProfileInt(kReplaceSection, "MatchCase", dialog.matchCase ? 1 : 0);
        settings->WriteProfileInt(kReplaceSection, "WholeWord", dialog.wholeWord ? 1 : 0);
        settings->WriteProfileString(kReplaceSection, "FindWhat", dialog.pattern);
        settings->WriteProfileString(kReplaceSection, "ReplaceWith", dialog.replacement);
    }
}

// ---- Replacing

bool CTextEditView::ReplaceSelection(std::string_view text, EditAction deletion) {
    if (!IsEditable() || !HasSelection())
        return false;
    TextPosition start;
    TextPosition end;
    GetSelectedRange(start, end);
    CollapseCaretTo(start);
    buffer->DeleteRecorded(this, start.y, start.x, end.y, end.x, deletion);
    SelectReplacement(start, InsertText(start, text, ActionReplace));
    return true;
}

void CTextEditView::SelectReplacement(TextPosition start, TextPosition end) {
    anchor = end;
    SelectRange(start, end);
    MoveCaretTo(end);
    ScrollIntoView(end);
    PlaceCaret();
}

bool CTextEditView::ReplaceMatches(std::vector<TextPosition> positions, int32_t length,
                                   std::string_view text) {
    if (!IsEditable() || positions.empty())
        return false;
    // Where the last replacement lands: moved by those before it on its line.
    const TextPosition last = positions.back();
    const auto before =
        static_cast<int64_t>(std::count_if(positions.begin(), positions.end(),
                                           [&](const TextPosition& p) { return p.y == last.y; }) -
                             1);
    const int64_t delta = static_cast<int64_t>(text.size()) - length;
    const TextPosition start{static_cast<int32_t>(last.x + before * delta), last.y};
    if (!buffer->ReplaceBatchRecorded(this, std::move(positions), length, text, ActionReplace))
        return false;
    ScrollIntoView(start);
    SelectReplacement(start, {start.x + static_cast<int32_t>(text.size()), start.y});
    return true;
}

// ---- Notifications

void CTextEditView::OnBufferChanged(CBufferView* source, const PositionAdjuster* adjuster,
                                    uint32_t hints, int line) {
    CTextView::OnBufferChanged(source, adjuster, hints, line);
    if (replaceSelection.selectionSaved && adjuster) {
        adjuster->AdjustPosition(replaceSelection.savedSelectionStart);
        adjuster->AdjustPosition(replaceSelection.savedSelectionEnd);
    }
}

void CTextEditView::OnBufferBatchChanged(CBufferView* source, const BatchChange& change) {
    CTextView::OnBufferBatchChanged(source, change);
    if (replaceSelection.selectionSaved) {
        change.AdjustPosition(replaceSelection.savedSelectionStart);
        change.AdjustPosition(replaceSelection.savedSelectionEnd);
    }
}
