// Bookmarks: the ten numbered bookmarks and the plain bookmarks, kept as line flags in the buffer
// so that every view of the text shows them and they move with their lines through edits.
#include <array>
#include <cstddef>
#include <utility>

#include "view/commandids.h"
#include "view/textview.h"

namespace {

using Entry = CommandMapEntry<CTextView>;

LineFlags NumberedFlag(int32_t n) {
    return LineFlags{1} << n;
}

template <size_t... N>
constexpr std::array<Entry, 2 * sizeof...(N)> NumberedEntries(std::index_sequence<N...>) {
    return {{
        Entry{view::ID_TOGGLE_BOOKMARK0 + N,
              [](CTextView& v) { v.ToggleNumberedBookmark(static_cast<int32_t>(N)); }, nullptr}...,
        Entry{view::ID_GO_BOOKMARK0 + N,
              [](CTextView& v) { v.GoToNumberedBookmark(static_cast<int32_t>(N)); }, nullptr}...,
    }};
}

constexpr std::array<Entry, 20> kNumbered = NumberedEntries(std::make_index_sequence<10>{});

// Next, Previous and Clear All are offered only while this view last saw a plain bookmark.
void UpdateNeedsPlainBookmarks(CTextView& v, CmdUI& ui) {
    ui.Enable(v.HasPlainBookmarks());
}

constexpr std::array<Entry, 5> kOthers{{
    {view::ID_CLEAR_BOOKMARKS, [](CTextView& v) { v.ClearNumberedBookmarks(); }, nullptr},
    {view::ID_TOGGLE_PLAIN_BOOKMARK, [](CTextView& v) { v.TogglePlainBookmark(); }, nullptr},
    {view::ID_NEXT_PLAIN_BOOKMARK, [](CTextView& v) { v.GoToNextPlainBookmark(); },
     UpdateNeedsPlainBookmarks},
    {view::ID_PREVIOUS_PLAIN_BOOKMARK, [](CTextView& v) { v.GoToPreviousPlainBookmark(); },
     UpdateNeedsPlainBookmarks},
    {view::ID_CLEAR_PLAIN_BOOKMARKS, [](CTextView& v) { v.ClearPlainBookmarks(); },
     UpdateNeedsPlainBookmarks},
}};

} // namespace

bool CTextView::RouteBookmarkCommand(uint32_t id) {
    return RunCommand<CTextView>(kNumbered, *this, id) || RunCommand<CTextView>(kOthers, *this, id);
}

bool CTextView::RouteBookmarkCommandUI(CmdUI& ui) {
    return UpdateCommand<CTextView>(kNumbered, *this, ui) ||
           UpdateCommand<CTextView>(kOthers, *this, ui);
}

// ---- Numbered bookmarks

void CTextView::ToggleNumberedBookmark(int32_t n) {
    if (!buffer || n < 0 || n > 9)
        return;
    const LineFlags flag = NumberedFlag(n);
    const int32_t line = caretPos.y;
    if (TextLineFlags(line) & flag)
        buffer->ChangeLineFlag(line, flag, false, false);
    else
        buffer->ChangeLineFlag(line, flag, true, true); // the line that had it loses it
}

void CTextView::GoToNumberedBookmark(int32_t n) {
    if (!buffer || n < 0 || n > 9)
        return;
    const int32_t line = buffer->LineOfSingleFlag(NumberedFlag(n));
    if (line != -1)
        GoToBookmarkedLine(line);
}

void CTextView::ClearNumberedBookmarks() {
    if (!buffer)
        return;
    for (int32_t n = 0; n <= 9; ++n) {
        const int32_t line = buffer->LineOfSingleFlag(NumberedFlag(n));
        if (line != -1)
            buffer->ChangeLineFlag(line, NumberedFlag(n), false, false);
    }
}

// ---- Plain bookmarks

void CTextView::TogglePlainBookmark() {
    if (!buffer)
        return;
    const int32_t line = caretPos.y;
    buffer->ChangeLineFlag(line, PlainBookmark, !(TextLineFlags(line) & PlainBookmark), false);
    hasPlainBookmarks = buffer->FirstLineWithFlags(PlainBookmark) != -1;
}

void CTextView::GoToNextPlainBookmark() {
    if (!buffer)
        return;
    const int32_t line = buffer->NextPlainBookmark(caretPos.y);
    if (line != -1)
        GoToBookmarkedLine(line);
}

void CTextView::GoToPreviousPlainBookmark() {
    if (!buffer)
        return;
    const int32_t line = buffer->PreviousPlainBookmark(caretPos.y);
    if (line != -1)
        GoToBookmarkedLine(line);
}

void CTextView::ClearPlainBookmarks() {
    if (!buffer)
        return;
    // Each search starts from the top, which the line store answers from its per-block flags
    // without walking the cleared lines again.
    for (int32_t line = buffer->FirstLineWithFlags(PlainBookmark); line != -1;
         line = buffer->FirstLineWithFlags(PlainBookmark))
        buffer->ChangeLineFlag(line, PlainBookmark, false, false);
    hasPlainBookmarks = false;
}

// The caret goes to the start of the line, the selection is dropped and the line scrolled into
// view.
void CTextView::GoToBookmarkedLine(int32_t line) {
    CollapseCaretTo({0, line});
}
