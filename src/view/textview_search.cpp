// The search routines, Find Next and Find Previous.
//
// Every search is a sequence of byte searches inside single lines. The searcher is prepared once
// per search and reads the line's bytes where they are, so a search through the whole text costs
// no allocation and runs at the speed of a scan through memory.
#include <algorithm>
#include <cstdint>

#include "view/textview.h"
#include "view/viewstrings.h"

namespace {

bool Before(TextPosition a, TextPosition b) {
    return a.y < b.y || (a.y == b.y && a.x < b.x);
}

} // namespace

int32_t CTextView::FindInString(std::string_view text, std::string_view pattern, bool wholeWord) {
    view::LineSearcher searcher;
    searcher.Prepare(pattern, true, wholeWord);
    return searcher.Find(text.data(), static_cast<int32_t>(text.size()));
}

bool CTextView::FindTextInRange(std::string_view pattern, TextPosition start,
                                TextPosition rangeStart, TextPosition rangeEnd, uint32_t flags,
                                bool wrap, TextPosition& found) {
    if (rangeStart == rangeEnd)
        return false;
    if (Before(start, rangeStart))
        start = rangeStart;
    searcher_.Prepare(pattern, (flags & FindMatchCase) != 0, (flags & FindWholeWord) != 0,
                      GetInputCodePage());
    const int32_t lineCount = TextLineCount();
    // The column of the first match in line y from column x0, or -1.
    const auto examine = [&](int32_t y, int32_t x0) -> int32_t {
        x0 = std::max(x0, 0);
        const int32_t n = TextLineLength(y) - x0;
        // A part shorter than the pattern holds no match: its bytes need not be read.
        if (n <= 0 || n < searcher_.PatternLength())
            return -1;
        const char* chars = GetLineText(y);
        if (!chars)
            return -1;
        const int32_t offset = searcher_.Find(chars + x0, n);
        return offset < 0 ? -1 : x0 + offset;
    };

    bool wrapped = false;
    TextPosition from = start;
    if (!(flags & FindDirectionUp)) {
        for (;;) {
            const int32_t last = std::min(rangeEnd.y, lineCount - 1);
            for (int32_t y = std::max(from.y, 0); y <= last; ++y) {
                const int32_t x = examine(y, y == from.y ? from.x : 0);
                if (x < 0)
                    continue;
                // A match that starts at or after the range's end ends the pass; one that starts
                // before it counts, wherever it ends.
                if (y == rangeEnd.y && x >= rangeEnd.x)
                    break;
                found = {x, y};
                return true;
            }
            if (!wrap || wrapped)
                return false;
            wrapped = true;
            from = rangeStart;
        }
    }
    for (;;) {
        for (int32_t y = std::min(from.y, lineCount - 1); y >= 0; --y) {
            const int32_t x = examine(y, y == from.y ? from.x : 0);
            if (x >= 0) {
                found = {x, y};
                return true;
            }
        }
        if (!wrap || wrapped)
            return false;
        wrapped = true;
        from = {0, lineCount - 1};
    }
}

bool CTextView::FindTextInWholeText(std::string_view pattern, TextPosition start, uint32_t flags,
                                    bool wrap, TextPosition& found) {
    const int32_t last = TextLineCount() - 1;
    return FindTextInRange(pattern, start, {0, 0}, {TextLineLength(last), last}, flags, wrap,
                           found);
}

bool CTextView::SelectFoundText(TextPosition position, int32_t length) {
    caretPos = {position.x + length, position.y};
    anchor = caretPos;
    SelectRange(position, caretPos);
    PlaceCaret();
    ScrollIntoView(caretPos);
    return true;
}

// ---- Find Next and Find Previous

void CTextView::OnEditRepeat() {
    if (!lastSearch.hasLastSearch)
        return;
    TextPosition found;
    if (!FindTextInWholeText(lastSearch.lastFindWhat, caretPos, lastSearch.lastSearchFlags, true,
                             found)) {
        ShowMessage(view::FormatString(view::LoadViewString(view::IDS_CANNOT_FIND_STRING),
                                       lastSearch.lastFindWhat));
        return;
    }
    SelectFoundText(found, static_cast<int32_t>(lastSearch.lastFindWhat.size()));
}

void CTextView::OnEditFindPrevious() {
    const uint32_t flags = lastSearch.lastSearchFlags;
    lastSearch.lastSearchFlags = flags ^ FindDirectionUp;
    OnEditRepeat();
    lastSearch.lastSearchFlags = flags;
}

void CTextView::OnUpdateEditRepeat(CmdUI& ui) {
    ui.Enable(lastSearch.hasLastSearch);
}

void CTextView::ShowMessage(std::string_view text) {
    if (shell)
        shell->MessageBox(platform::ToUtf8(GetInputCodePage(), text));
}

void CTextView::SetKeepSelectionVisible(bool keep) {
    if (keep == keepSelectionVisible)
        return;
    keepSelectionVisible = keep;
    // Without the focus the selection is drawn only while it is kept visible.
    if (!focused && HasSelection())
        InvalidateLineBand(std::min(selectionFirst.y, selectionSecond.y),
                           std::max(selectionFirst.y, selectionSecond.y));
}
