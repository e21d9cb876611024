// Attaching to a buffer, adopting the scroll position of splitter neighbours, and following the
// buffer's change notifications.
#include <algorithm>
#include <cstdint>

#include "platform/splitter.h"
#include "view/textview.h"

using platform::ScrollBar;

// ---- Attaching

void CTextView::ConnectBuffer(CTextBuffer* textBuffer) {
    if (buffer)
        buffer->DetachView(this);
    buffer = nullptr;
    if (!textBuffer)
        textBuffer = FindTextBuffer();
    buffer = textBuffer;
    if (buffer)
        buffer->AttachView(this);
    ResetViewState();
    if (ScrollBar* bar = GetScrollBarCtrl(platform::SB_VERT))
        bar->EnableScrollBar(GetVisibleRowCount() < TextLineCount() ? platform::ESB_ENABLE_BOTH
                                                                    : platform::ESB_DISABLE_BOTH);
    if (ScrollBar* bar = GetScrollBarCtrl(platform::SB_HORZ))
        bar->EnableScrollBar(GetVisibleColumnCount() < GetWidestLineColumns()
                                 ? platform::ESB_ENABLE_BOTH
                                 : platform::ESB_DISABLE_BOTH);
    UpdateVertScrollBar(false);
    UpdateHorzScrollBar(false);
}

void CTextView::DisconnectBuffer() {
    if (!buffer)
        return;
    buffer->DetachView(this);
    buffer = nullptr;
    ResetViewState();
}

void CTextView::OnInitialUpdate() {
    Wnd::OnInitialUpdate();
    ConnectBuffer(nullptr);
    const std::optional<platform::PaneCell> cell = platform::RowColFromId(GetDlgCtrlID());
    if (!GetParentSplitter() || !cell)
        return;
    // A new pane starts where its neighbours are: the column from the pane above it, the top
    // line from the pane left of it.
    if (cell->row > 0) {
        if (CTextView* above = GetSplitterPane(0, cell->col))
            firstColumn =
                std::clamp(above->firstColumn, 0, std::max(GetWidestLineColumns() - 1, 0));
    }
    if (cell->col > 0) {
        if (CTextView* left = GetSplitterPane(cell->row, 0))
            topLine = std::clamp(left->topLine, 0, std::max(TextLineCount() - 1, 0));
    }
    // The bars are shared with those neighbours; attaching set them to this pane's old place.
    UpdateVertScrollBar(true);
    UpdateHorzScrollBar(true);
    PlaceCaret();
}

// ---- Change notifications

void CTextView::UpdateCachesForOneLine(int32_t line) {
    if (parserStates.Exists())
        parserStates.LineChanged(line);
    if (expandedLengths.Exists() && line >= 0 && line < expandedLengths.Size()) {
        // A cache that knew every line stays complete, so the widest line stays known without
        // walking the text again.
        const bool complete = expandedLengths.Complete();
        expandedLengths.Reset(line);
        if (complete)
            GetExpandedLineLength(line);
    }
}

void CTextView::UpdateCachesForLines(int32_t start, const PositionAdjuster* adjuster) {
    const int32_t count = TextLineCount();
    // The shape of the change, when the adjuster tells it: lines inserted or removed behind
    // `start`. The entries of the lines behind the change then move with their lines.
    int32_t inserted = 0;
    int32_t removed = 0;
    bool shaped = false;
    if (adjuster && adjuster->start.y == start && adjuster->end.y >= start) {
        if (dynamic_cast<const InsertAdjuster*>(adjuster)) {
            inserted = adjuster->end.y - start;
            shaped = true;
        } else if (dynamic_cast<const DeleteAdjuster*>(adjuster)) {
            removed = adjuster->end.y - start;
            shaped = true;
        }
    }
    const auto fits = [&](int32_t size) {
        return shaped && start < size && static_cast<int64_t>(size) + inserted - removed == count;
    };

    if (parserStates.Exists()) {
        if (!fits(parserStates.Size()))
            parserStates.ResetFrom(start, count);
        else if (inserted > 0)
            parserStates.LinesInserted(start, inserted);
        else if (removed > 0)
            parserStates.LinesRemoved(start, removed);
        else
            parserStates.LineChanged(start);
    }

    if (expandedLengths.Exists()) {
        if (!fits(expandedLengths.Size())) {
            expandedLengths.ResetFrom(start, count);
            return;
        }
        const bool complete = expandedLengths.Complete();
        if (inserted > 0 && complete) {
            // A complete cache learns the new lines' lengths in one pass (a big paste).
            expandedLengths.InsertKnownAfter(start, inserted, [this, start](int32_t i) {
                return ComputeExpandedLength(start + 1 + i);
            });
        } else if (inserted > 0) {
            expandedLengths.InsertAfter(start, inserted);
        } else if (removed > 0) {
            expandedLengths.RemoveAfter(start, removed);
        } else {
            expandedLengths.Reset(start);
        }
        if (complete)
            GetExpandedLineLength(start);
    }
}

void CTextView::OnBufferChanged(CBufferView* /*source*/, const PositionAdjuster* adjuster,
                                uint32_t hints, int line) {
    if (hints & HintReload) {
        ResetViewState();
        UpdateVertScrollBar(false);
        UpdateHorzScrollBar(false);
        return;
    }
    if (hints & HintMarksOnly) {
        // Flags change no text: only the line's icon and colours are painted again.
        InvalidateLineBand(line, line);
        return;
    }
    columnIndex_.Changed(line, adjuster, (hints & HintOneLine) != 0);
    if (hints & HintOneLine) {
        UpdateCachesForOneLine(line);
        InvalidateChangedLines(line);
    } else {
        const int32_t start = line == -1 ? 0 : line;
        UpdateCachesForLines(start, adjuster);
        InvalidateChangedLines(start);
    }
    if (adjuster) {
        adjuster->AdjustPosition(caretPos);
        adjuster->AdjustPosition(selectionFirst);
        adjuster->AdjustPosition(selectionSecond);
        adjuster->AdjustPosition(anchor);
        // A drag out deletes its range when it ends as a move: the range follows the text.
        if (drag.draggingText) {
            adjuster->AdjustPosition(drag.draggedFrom);
            adjuster->AdjustPosition(drag.draggedTo);
        }
        // The top line moves with its text, so lines inserted or removed above the window
        // leave the same text at the top.
        TextPosition top{0, topLine};
        adjuster->AdjustPosition(top);
        topLine = std::clamp(top.y, 0, std::max(TextLineCount() - 1, 0));
        PlaceCaret();
    }
    if (hints & HintLineCount)
        UpdateVertScrollBar(false);
    if (hints & HintLineLengths) {
        widestLine = -1;
        if (!holdHorzScrollBar)
            UpdateHorzScrollBar(false);
    }
}

void CTextView::OnBufferBatchChanged(CBufferView* /*source*/, const BatchChange& change) {
    const int32_t lines = change.LineCount();
    if (lines == 0)
        return;
    // What a notification per changed line would do, with the work that concerns the whole
    // window done once: the lines' caches one by one, then one band from the first changed line
    // (the union of the bands of every line), the positions, the caret and the horizontal bar.
    for (int32_t i = 0; i < lines; ++i) {
        columnIndex_.Changed(change.Line(i), nullptr, true);
        UpdateCachesForOneLine(change.Line(i));
    }
    InvalidateChangedLines(change.Line(0));
    change.AdjustPosition(caretPos);
    change.AdjustPosition(selectionFirst);
    change.AdjustPosition(selectionSecond);
    change.AdjustPosition(anchor);
    PlaceCaret();
    widestLine = -1;
    if (!holdHorzScrollBar)
        UpdateHorzScrollBar(false);
}

// Every band of a change reaches the bottom of the window, so the bands of many changes are the
// one from their first line.
void CTextView::InvalidateChangedLines(int32_t line) {
    if (!holdHorzScrollBar) {
        InvalidateLineBand(line, -1);
        return;
    }
    heldBandFrom = heldBandFrom < 0 ? line : std::min(heldBandFrom, line);
}

void CTextView::HoldHorzScrollBar(bool hold) {
    holdHorzScrollBar = hold;
    if (!hold && heldBandFrom >= 0) {
        const int32_t from = heldBandFrom;
        heldBandFrom = -1;
        InvalidateLineBand(from, -1);
    }
}
