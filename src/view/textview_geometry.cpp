// Cell metrics, tab expansion and the conversions between characters, columns and pixels.
#include <algorithm>
#include <cstdint>

#include "view/tabexpand.h"
#include "view/textview.h"

using platform::Point;

// ---- Cell metrics

void CTextView::MeasureCharCell() {
    std::unique_ptr<platform::Surface> dc = GetDC();
    if (!dc)
        return;
    platform::Font* old = dc->SelectFont(GetStyledFont(false, false));
    const platform::Size extent = dc->GetTextExtent("X");
    // Both are at least 1: every row and column computation divides by them.
    rowHeight = std::max(extent.cy, 1);
    cellWidth = std::max(extent.cx, 1);
    dc->SelectFont(old);
}

int32_t CTextView::GetRowHeight() {
    if (rowHeight == -1)
        MeasureCharCell();
    return rowHeight > 0 ? rowHeight : 1;
}

int32_t CTextView::GetCellWidth() {
    if (cellWidth == -1)
        MeasureCharCell();
    return cellWidth > 0 ? cellWidth : 1;
}

int32_t CTextView::GetVisibleRowCount() {
    if (visibleRows == -1)
        visibleRows = std::max(GetClientRect().Height(), 0) / GetRowHeight();
    return visibleRows;
}

int32_t CTextView::GetVisibleColumnCount() {
    if (visibleColumns == -1)
        visibleColumns = std::max(GetClientRect().Width() - GetMarginPixels(), 0) / GetCellWidth();
    return visibleColumns;
}

int32_t CTextView::GetWidestLineColumns() {
    if (widestLine != -1)
        return widestLine;
    const int32_t count = TextLineCount();
    if (expandedLengths.Complete() && expandedLengths.Size() == count) {
        // The cache knows every line: the widest is kept as the lines change.
        widestLine = expandedLengths.Widest();
        return widestLine;
    }
    // Every line is measured afresh in one pass that fills the whole cache, which then keeps the
    // widest line as the lines change. Lengths the cache knew already are exact, so measuring
    // them again gives the same figures.
    expandedLengths.FillAll(count, [this](int32_t line) { return ComputeExpandedLength(line); });
    widestLine = expandedLengths.Widest();
    return widestLine;
}

// ---- Expanded lengths

int32_t CTextView::ComputeExpandedLength(int32_t line) {
    const int32_t length = TextLineLength(line);
    if (length <= 0)
        return 0;
    if (length > kWholeLineColoring)
        return static_cast<int32_t>(
            columnIndex_.ColumnOf(line, GetLineText(line), length, length, GetTabWidth()));
    return tabs::ExpandedLength(GetLineText(line), length, GetTabWidth());
}

int32_t CTextView::GetExpandedLineLength(int32_t line) {
    if (!expandedLengths.Exists())
        expandedLengths.Create(TextLineCount());
    if (line < 0 || line >= expandedLengths.Size())
        return ComputeExpandedLength(line);
    const int32_t known = expandedLengths.Get(line);
    if (known >= 0)
        return known;
    const int32_t length = ComputeExpandedLength(line);
    expandedLengths.Set(line, length);
    return length;
}

// ---- Columns

int32_t CTextView::CharIndexToColumn(int32_t line, int32_t charIndex) {
    if (charIndex < 1)
        return 0;
    const int32_t length = TextLineLength(line);
    if (length > kWholeLineColoring)
        return static_cast<int32_t>(
            columnIndex_.ColumnOf(line, GetLineText(line), length, charIndex, GetTabWidth()));
    return tabs::IndexToColumn(GetLineText(line), length, charIndex, GetTabWidth());
}

int32_t CTextView::ColumnToCharIndex(int32_t line, int32_t column) {
    const int32_t length = TextLineLength(line);
    if (length > kWholeLineColoring)
        return columnIndex_.NearestIndex(line, GetLineText(line), length, column, GetTabWidth());
    return tabs::ColumnToIndex(GetLineText(line), length, column, GetTabWidth());
}

int32_t CTextView::ColumnToCoveringIndex(int32_t line, int64_t column, int64_t* startColumn) {
    const int32_t length = TextLineLength(line);
    if (length > kWholeLineColoring)
        return columnIndex_.CoveringIndex(line, GetLineText(line), length, column, GetTabWidth(),
                                          startColumn);
    return tabs::ColumnToCoveringIndex(GetLineText(line), length, column, GetTabWidth(),
                                       startColumn);
}

void CTextView::ExpandTabs(const char* chars, int32_t offset, int32_t count, std::string& out) {
    out.clear();
    if (count < 1 || !chars)
        return;
    const int64_t start = tabs::AdvanceColumn(chars, offset, 0, GetTabWidth());
    out.reserve(static_cast<size_t>(count) + 1);
    tabs::ExpandRun(chars + offset, count, start, 0, INT64_MAX / 2, GetTabWidth(), out);
}

// ---- Pixels

TextPosition CTextView::PointToTextPosition(Point point) {
    const int32_t count = TextLineCount();
    int64_t line = static_cast<int64_t>(topLine) + point.y / GetRowHeight();
    line = std::max<int64_t>(std::min<int64_t>(line, count - 1), 0);
    const auto y = static_cast<int32_t>(line);
    const int32_t length = TextLineLength(y);
    if (length <= 0)
        return {0, y};
    const int64_t column =
        static_cast<int64_t>(firstColumn) + (point.x - GetMarginPixels()) / GetCellWidth();
    return {ColumnToCoveringIndex(y, column, nullptr), y};
}

Point CTextView::TextPositionToPoint(TextPosition position) {
    const int64_t y = static_cast<int64_t>(GetRowHeight()) * (position.y - topLine);
    const int32_t column = position.x < 1 ? 0 : CharIndexToColumn(position.y, position.x);
    const int64_t x =
        static_cast<int64_t>(GetCellWidth()) * (column - firstColumn) + GetMarginPixels();
    const auto clamp = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
    };
    return {clamp(x), clamp(y)};
}
