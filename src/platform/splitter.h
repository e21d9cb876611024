// A window split into up to two rows and two columns of panes (engine windows of one kind). Panes
// in a row share one vertical scroll bar, panes in a column one horizontal bar. A pane's child id
// is AFX_IDW_PANE_FIRST + 16 * row + column.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "platform/geometry.h"
#include "platform/scrollbar.h"

namespace platform {

class Splitter;
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
    int32_t BarGap() const { return gap_; }

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

// Where a pane sits: its splitter and cell, and the bars it shares, that of its row (vertical)
// and that of its column (horizontal).
struct PanePlace {
    Splitter* splitter = nullptr;
    PaneCell cell;
    ScrollBar* vert = nullptr;
    ScrollBar* horz = nullptr;
};

// A backend's window of one pane. Destroying it destroys the window: OnKillFocus (if focused) and
// OnDestroy reach the engine window while its services still work.
class SplitterPane {
public:
    virtual ~SplitterPane() = default;
    virtual Wnd& GetWnd() = 0;
    // Moves the pane to `place` and to `rect` (the splitter's client coordinates); a new size
    // reaches the window as OnSize.
    virtual void Place(const PanePlace& place, const Rect& rect) = 0;
    virtual bool HasFocus() const = 0;
    virtual void Focus() = 0;
};

// The panes of a splitter and their lifecycle, the same on every backend: creating the panes of a
// new row or column (all or none), destroying those of a removed one, moving the survivors to
// their new cells (and so new ids), laying everything out, and giving the focus to the pane that
// takes a destroyed focused pane's place. A backend supplies the native windows and bars through
// the hooks; it calls CreateFirstPane at the end of its constructor and DestroyPanes at the start
// of its destructor.
class Splitter {
public:
    static constexpr int32_t kMaxRows = 2;
    static constexpr int32_t kMaxColumns = 2;
    static constexpr int32_t kMinPaneSize = 30;

    Splitter(const Splitter&) = delete;
    Splitter& operator=(const Splitter&) = delete;
    virtual ~Splitter();

    int32_t GetRowCount() const { return layout_.Rows(); }
    int32_t GetColumnCount() const { return layout_.Columns(); }
    // Null outside the current rows and columns.
    Wnd* GetPane(int32_t row, int32_t col) const;
    int32_t IdFromRowCol(int32_t row, int32_t col) const {
        return platform::IdFromRowCol(row, col);
    }

    // Splits the single row so that the first row is `y` pixels high; false when already split or
    // when either row would be lower than kMinPaneSize. The new panes come from the factory and
    // get OnInitialUpdate once all of them are in place; when one cannot be made, none is kept.
    bool SplitRow(int32_t y);
    bool SplitColumn(int32_t x);
    // Destroys the panes of a row (column) of a split window; the other row (column) takes its
    // place and the whole height (width). False when there is only one.
    bool DeleteRow(int32_t row);
    bool DeleteColumn(int32_t col);

    // The vertical bar shared by a row and the horizontal bar shared by a column.
    ScrollBar* GetRowScrollBar(int32_t row) const;
    ScrollBar* GetColumnScrollBar(int32_t col) const;
    // A user's action on the shared bar of a row (column), or on `bar`: thumb codes set the bar's
    // track position to `pos`, then every pane sharing the bar gets the action, each starting
    // from the same bar position (DispatchSharedScroll).
    void RowBarAction(int32_t row, uint32_t code, int32_t pos);
    void ColumnBarAction(int32_t col, uint32_t code, int32_t pos);
    void BarAction(const ScrollBar& bar, uint32_t code, int32_t pos);

    // The user let go of a split box or a bar between panes, picked up where HitTest said `hit`,
    // at `at`, the middle of the dragged bar: a box splits there; a bar moves there, or removes
    // the row (column) it would leave lower (narrower) than kMinPaneSize.
    void EndDrag(SplitterLayout::Hit hit, Point at);

    // The splitter's client area has a new size: everything is laid out again.
    void SetClientSize(Size size);
    const SplitterLayout& Layout() const { return layout_; }

protected:
    Splitter(PaneFactory factory, int32_t scrollBarExtent, int32_t splitBoxSize, int32_t barGap);

    // Creates the bars and the pane of row 0, column 0, and sends the pane OnInitialUpdate.
    void CreateFirstPane();
    // Destroys every pane, then every bar.
    void DestroyPanes();
    // Null outside the current rows and columns.
    SplitterPane* PaneAt(int32_t row, int32_t col) const;

    // --- What a backend supplies.
    // Hosts `wnd` at `place` and `rect`: attaches it and sends OnCreate and the first OnSize. Null
    // when the window refused creation.
    virtual std::unique_ptr<SplitterPane> CreatePane(std::unique_ptr<Wnd> wnd,
                                                     const PanePlace& place, const Rect& rect) = 0;
    virtual std::unique_ptr<ScrollBar> CreateScrollBar(bool vertical) = 0;
    virtual void PlaceScrollBar(ScrollBar& bar, const Rect& rect) = 0;
    // Panes are about to be destroyed.
    virtual void PanesChanging() {}
    // Every pane and bar is in its place after a change.
    virtual void LayoutChanged() {}

private:
    std::unique_ptr<SplitterPane>& Slot(bool rows, int32_t line, int32_t k);
    bool Split(bool rows, int32_t at);
    bool Remove(bool rows, int32_t line);
    std::unique_ptr<SplitterPane> MakePane(int32_t row, int32_t col);
    PanePlace PlaceOf(int32_t row, int32_t col);
    void Relayout();
    void Dispatch(ScrollBar* bar, bool vertical, int32_t index, uint32_t code, int32_t pos);

    PaneFactory factory_;
    SplitterLayout layout_;
    std::array<std::array<std::unique_ptr<SplitterPane>, kMaxColumns>, kMaxRows> panes_;
    std::array<std::unique_ptr<ScrollBar>, kMaxRows> rowBars_;
    std::array<std::unique_ptr<ScrollBar>, kMaxColumns> colBars_;
};

// The pane at (row, col) of the splitter `wnd` sits in; null outside a splitter or that cell.
Wnd* GetSplitterPane(const Wnd& wnd, int32_t row, int32_t col);

// Sends a scroll action of a shared bar to every pane that shares it, in order. Before each pane
// after the first the bar's position is put back to what it was, so every pane starts from the
// same bar state.
void DispatchSharedScroll(ScrollBar& bar, std::span<Wnd* const> panes, bool vertical, uint32_t code,
                          int32_t pos);

} // namespace platform
