// The dynamic splitter on Qt: the panes and shared bars of platform::Splitter as Qt widgets, split
// boxes at the ends of the bars that the user drags into the panes, and bars between panes that
// move or, dragged to an edge, remove a row or column. What happens to the panes is the
// platform's; this class reads the mouse, draws the boxes and the tracker, and hosts the widgets.
#pragma once

#include <QWidget>
#include <memory>

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

    QtWndHost* PaneHost(int32_t row, int32_t col) const;

protected:
    // --- Splitter
    std::unique_ptr<SplitterPane> CreatePane(std::unique_ptr<Wnd> wnd, const PanePlace& place,
                                             const Rect& rect) override;
    std::unique_ptr<ScrollBar> CreateScrollBar(bool vertical) override;
    void PlaceScrollBar(ScrollBar& bar, const Rect& rect) override;
    void PanesChanging() override;
    void LayoutChanged() override;

    // --- QWidget
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ShowTracker(QPoint at);

    SplitterLayout::Hit dragging_ = SplitterLayout::Hit::None;
    QWidget* tracker_;
};

} // namespace platform::qt
