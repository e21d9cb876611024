// The dynamic splitter on Qt: up to 2 x 2 panes of engine windows made by a factory, one vertical
// scroll bar per row and one horizontal bar per column shared by the panes there, split boxes at
// the ends of the bars that the user drags into the panes, and bars between panes that move or,
// dragged to an edge, remove a row or column.
#pragma once

#include <QWidget>
#include <array>

#include "platform/qt/qt_window.h"
#include "platform/splitter.h"

namespace platform::qt {

class QtSplitter final : public QWidget, public Splitter {
    Q_OBJECT
public:
    static constexpr int kSplitBoxSize = 7;
    static constexpr int kBarGap = 6;

    // Creates the first pane from the factory and sends it OnInitialUpdate.
    QtSplitter(PaneFactory factory, QWidget* parent = nullptr);
    ~QtSplitter() override;

    int32_t GetRowCount() const override { return layout_.Rows(); }
    int32_t GetColumnCount() const override { return layout_.Columns(); }
    Wnd* GetPane(int32_t row, int32_t col) const override;
    bool SplitRow(int32_t y) override;
    bool SplitColumn(int32_t x) override;
    bool DeleteRow(int32_t row) override;
    bool DeleteColumn(int32_t col) override;
    ScrollBar* GetRowScrollBar(int32_t row) const override;
    ScrollBar* GetColumnScrollBar(int32_t col) const override;

    QtWndHost* PaneHost(int32_t row, int32_t col) const;
    const SplitterLayout& Layout() const { return layout_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QtWndHost* MakePane(int32_t row, int32_t col);
    QtScrollBar* MakeBar(Qt::Orientation orientation);
    void Relayout();
    void RefocusAfterDelete(bool hadFocus, int32_t row, int32_t col);
    void DispatchBar(QtScrollBar* bar, uint32_t code, int32_t pos);
    void ShowTracker(QPoint at);

    PaneFactory factory_;
    SplitterLayout layout_;
    std::array<std::array<QtWndHost*, kMaxColumns>, kMaxRows> panes_{};
    std::array<QtScrollBar*, kMaxRows> rowBars_{};
    std::array<QtScrollBar*, kMaxColumns> colBars_{};
    SplitterLayout::Hit dragging_ = SplitterLayout::Hit::None;
    QWidget* tracker_;
};

} // namespace platform::qt
