// A window split into up to two rows and two columns of panes (engine windows of one kind). Panes
// in a row share one vertical scroll bar, panes in a column one horizontal bar. A pane's child id
// is AFX_IDW_PANE_FIRST + 16 * row + column.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "platform/geometry.h"
#include "platform/scrollbar.h"

namespace platform {

class Wnd;

inline constexpr int32_t AFX_IDW_PANE_FIRST = 59648;

constexpr int32_t IdFromRowCol(int32_t row, int32_t col) {
    return AFX_IDW_PANE_FIRST + 16 * row + col;
}

struct PaneCell {
    int32_t row = 0;
    int32_t col = 0;

    friend bool operator==(const PaneCell&, const PaneCell&) = default;
};

// The row and column of a pane id; nothing for an id outside the 16 x 16 pane block.
std::optional<PaneCell> RowColFromId(int32_t id);

// Makes the window of a new pane. The splitter hosts it, then sends OnInitialUpdate.
using PaneFactory = std::function<std::unique_ptr<Wnd>(int32_t row, int32_t col)>;

class Splitter {
public:
    static constexpr int32_t kMaxRows = 2;
    static constexpr int32_t kMaxColumns = 2;
    static constexpr int32_t kMinPaneSize = 30;

    virtual ~Splitter() = default;

    virtual int32_t GetRowCount() const = 0;
    virtual int32_t GetColumnCount() const = 0;
    // Null outside the current rows and columns.
    virtual Wnd* GetPane(int32_t row, int32_t col) const = 0;
    int32_t IdFromRowCol(int32_t row, int32_t col) const {
        return platform::IdFromRowCol(row, col);
    }

    // Splits the single row so that the first row is `y` pixels high; false when already split or
    // when either row would be lower than kMinPaneSize. The new panes come from the factory.
    virtual bool SplitRow(int32_t y) = 0;
    virtual bool SplitColumn(int32_t x) = 0;
    // Destroys the panes of a row (column) of a split window; the other row (column) takes its
    // place and the whole height (width). False when there is only one.
    virtual bool DeleteRow(int32_t row) = 0;
    virtual bool DeleteColumn(int32_t col) = 0;

    // The vertical bar shared by a row and the horizontal bar shared by a column.
    virtual ScrollBar* GetRowScrollBar(int32_t row) const = 0;
    virtual ScrollBar* GetColumnScrollBar(int32_t col) const = 0;
};

// The pane at (row, col) of the splitter `wnd` sits in; null outside a splitter or that cell.
Wnd* GetSplitterPane(const Wnd& wnd, int32_t row, int32_t col);

// Sends a scroll action of a shared bar to every pane that shares it, in order. Before each pane
// after the first the bar's position is put back to what it was, so every pane starts from the
// same bar state.
void DispatchSharedScroll(ScrollBar& bar, std::span<Wnd* const> panes, bool vertical, uint32_t code,
                          int32_t pos);

// The geometry of a splitter, shared by the backends: the sizes of rows and columns, where the
// panes, the shared bars, the split boxes and the bars between panes lie, and the rules for
// splitting and for dragging a bar between panes.
//
// Vertical scroll bars run down the right edge (one per row), horizontal ones along the bottom
// (one per column). While there is one row, a split box sits above the vertical bar; while there
// is one column, one sits left of the horizontal bar. Dragging a box into the panes splits there.
class SplitterLayout {
public:
    enum class Hit { None, RowBox, ColumnBox, RowBar, ColumnBar };
    // What releasing a dragged bar between panes does.
    enum class BarDrop { Moved, DeleteFirst, DeleteSecond };

    SplitterLayout(int32_t scrollBarExtent, int32_t splitBoxSize, int32_t barGap);

    void SetClientSize(Size size);
    Size ClientSize() const { return client_; }
    int32_t Rows() const { return rows_; }
    int32_t Columns() const { return cols_; }
    int32_t ScrollBarExtent() const { return sbExtent_; }

    // The first row is `y` high, the second what remains after the gap. False when split or too
    // small.
    bool SplitRowAt(int32_t y);
    bool SplitColumnAt(int32_t x);
    void RemoveRow() { rows_ = 1; }
    void RemoveColumn() { cols_ = 1; }
    // Dragging the bar between rows (columns) so that the first row is `y` (`x`) pixels high: a
    // row left lower than kMinPaneSize is to be deleted, otherwise the bar moves.
    BarDrop DropRowBar(int32_t y);
    BarDrop DropColumnBar(int32_t x);

    Rect PaneRect(int32_t row, int32_t col) const;
    Rect RowScrollBarRect(int32_t row) const;
    Rect ColumnScrollBarRect(int32_t col) const;
    Rect RowSplitBoxRect() const;    // empty once split
    Rect ColumnSplitBoxRect() const; // empty once split
    Rect RowBarRect() const;         // between the rows; empty with one row
    Rect ColumnBarRect() const;
    Hit HitTest(Point p) const;

private:
    int32_t PaneAreaWidth() const;
    int32_t PaneAreaHeight() const;
    int32_t RowTop(int32_t row) const;
    int32_t RowHeight(int32_t row) const;
    int32_t ColumnLeft(int32_t col) const;
    int32_t ColumnWidth(int32_t col) const;

    int32_t sbExtent_;
    int32_t boxSize_;
    int32_t gap_;
    Size client_;
    int32_t rows_ = 1;
    int32_t cols_ = 1;
    int32_t firstRowHeight_ = 0;
    int32_t firstColumnWidth_ = 0;
};

} // namespace platform
