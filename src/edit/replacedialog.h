// CReplaceDialog: the Replace dialog (template 8602) of the Replace command. Its search step looks
// forward without wrap-around, in the whole text or in the range of the selection it was opened
// on, and selects the match it holds; Replace replaces a held match and finds the next one,
// Replace All replaces every match from the held one on.
//
// Replace All is one undo step named "Replace", whatever the number of matches: the matches are
// found in the text as it is (a search resumes after a match exactly as it would resume after
// the text replacing it), then replaced as one batch; caret, selection, the range and the search
// positions end as the replacements made one by one would leave them. An empty pattern replaces
// nothing and is reported as not found.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "buffer/types.h"
#include "platform/dialog.h"

class CTextEditView;

class CReplaceDialog : public platform::Dialog {
public:
    explicit CReplaceDialog(CTextEditView* view);

    // Find Next enabled exactly while the pattern is not empty, Selection exactly when the
    // selection scope is allowed; Replace and Replace All always.
    bool OnInitDialog() override;
    // Edits of the pattern, Find Next, Replace, Replace All and Cancel.
    void OnCommand(int32_t id, uint32_t code) override;
    void OnCancel() override;
    void DoDataExchange(platform::DataExchange& dx) override;

    void OnFindNext();
    void OnReplace();
    void OnReplaceAll();

    // ---- Fields, in order.
    CTextEditView* view; // not owned
    // The last search step succeeded and its match is the view's selection.
    bool found = false;
    // Where the last match was found, and where the next search step starts.
    TextPosition searchPosition;
    bool selectionScopeAllowed = true;
    // Where a search starts when no match is held.
    TextPosition currentPosition;
    // The searched block of scope Selection.
    TextPosition rangeStart;
    TextPosition rangeEnd;
    bool matchCase = false;
    bool wholeWord = false;
    std::string pattern;
    std::string replacement;
    int32_t scope = -1; // 0 Selection, 1 Whole file

private:
    uint32_t Flags() const;
    // The next match from `from` in the scope, without wrap-around.
    bool FindFrom(TextPosition from, TextPosition& match);
    // Searches from the search position; selects a match and holds it, or reports none and
    // starts the scope over.
    bool SearchStep();
    void ReportNotFound();
    // The range bounds right of a replacement's start on its line move with the rest of the
    // line.
    void MoveRangeBounds(TextPosition at, int64_t delta);
    // Replace All when the held match is the selection and the replacement fits on one line.
    void ReplaceAllAtOnce();
    // Replace All one match after the other, in one undo group.
    void ReplaceAllOneByOne();
};
