#include "platform/qt/qt_splitter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <utility>

namespace platform::qt {
namespace {

int ScrollBarExtent() {
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

// A pane: a hosted engine window, a child widget of the splitter.
class QtPane final : public SplitterPane {
public:
    explicit QtPane(QtWndHost* host) : host_(host) {}
    ~QtPane() override { delete host_; }
    QtPane(const QtPane&) = delete;
    QtPane& operator=(const QtPane&) = delete;

    QtWndHost* Host() const { return host_; }
    Wnd& GetWnd() override { return host_->GetWnd(); }
    void Place(const PanePlace& place, const Rect& rect) override {
        host_->SetPane(place.splitter, place.cell);
        host_->SetScrollBars(place.vert, place.horz, true);
        host_->setGeometry(ToQRect(rect));
    }
    bool HasFocus() const override { return QApplication::focusWidget() == host_; }
    void Focus() override { host_->setFocus(Qt::OtherFocusReason); }

private:
    QtWndHost* host_;
};

} // namespace

QtSplitter::QtSplitter(PaneFactory factory, QWidget* parent)
    : QWidget(parent), Splitter(std::move(factory), ScrollBarExtent(), kSplitBoxSize, kBarGap),
      tracker_(new QWidget(this)) {
    setMouseTracking(true);
    tracker_->setAutoFillBackground(true);
    QPalette pal = tracker_->palette();
    pal.setColor(QPalette::Window, palette().color(QPalette::Dark));
    tracker_->setPalette(pal);
    tracker_->hide();
    SetClientSize({width(), height()});
    CreateFirstPane();
}

QtSplitter::~QtSplitter() {
    // Panes go first, while the bars they share and this widget still exist.
    DestroyPanes();
}

std::unique_ptr<SplitterPane> QtSplitter::CreatePane(std::unique_ptr<Wnd> wnd,
                                                     const PanePlace& place, const Rect& rect) {
    auto pane = std::make_unique<QtPane>(new QtWndHost(std::move(wnd), this));
    pane->Place(place, rect);
    pane->Host()->show();
    if (!pane->Host()->Create())
        return nullptr;
    return pane;
}

std::unique_ptr<ScrollBar> QtSplitter::CreateScrollBar(bool vertical) {
    auto bar = std::make_unique<QtScrollBar>(vertical ? Qt::Vertical : Qt::Horizontal, this);
    bar->SetHandler(
        [this, raw = bar.get()](uint32_t code, int32_t pos) { BarAction(*raw, code, pos); });
    bar->Widget()->show();
    return bar;
}

void QtSplitter::PlaceScrollBar(ScrollBar& bar, const Rect& rect) {
    static_cast<QtScrollBar&>(bar).Widget()->setGeometry(ToQRect(rect));
}

QtWndHost* QtSplitter::PaneHost(int32_t row, int32_t col) const {
    auto* pane = static_cast<QtPane*>(PaneAt(row, col));
    return pane ? pane->Host() : nullptr;
}

void QtSplitter::PanesChanging() {
    // A pane about to go must not stay the widget that takes this one's focus.
    setFocusProxy(nullptr);
}

void QtSplitter::LayoutChanged() {
    setFocusProxy(PaneHost(0, 0));
    update();
}

void QtSplitter::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SetClientSize({width(), height()});
}

void QtSplitter::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    for (const Rect& box : {Layout().RowSplitBoxRect(), Layout().ColumnSplitBoxRect()}) {
        if (box.IsEmpty())
            continue;
        QStyleOptionButton opt;
        opt.initFrom(this);
        opt.rect = ToQRect(box);
        opt.state |= QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &opt, &p, this);
    }
}

void QtSplitter::ShowTracker(QPoint at) {
    const int half = kBarGap / 2;
    const bool rows =
        dragging_ == SplitterLayout::Hit::RowBox || dragging_ == SplitterLayout::Hit::RowBar;
    const int paneWidth = width() - Layout().ScrollBarExtent();
    const int paneHeight = height() - Layout().ScrollBarExtent();
    if (rows)
        tracker_->setGeometry(0, std::clamp(at.y(), 0, paneHeight) - half, paneWidth, kBarGap);
    else
        tracker_->setGeometry(std::clamp(at.x(), 0, paneWidth) - half, 0, kBarGap, paneHeight);
    tracker_->raise();
    tracker_->show();
}

void QtSplitter::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    dragging_ = event->button() == Qt::LeftButton ? Layout().HitTest({at.x(), at.y()})
                                                  : SplitterLayout::Hit::None;
    if (dragging_ == SplitterLayout::Hit::None)
        return QWidget::mousePressEvent(event);
    ShowTracker(at);
}

void QtSplitter::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (dragging_ != SplitterLayout::Hit::None) {
        ShowTracker(at);
        return;
    }
    switch (Layout().HitTest({at.x(), at.y()})) {
    case SplitterLayout::Hit::RowBox:
    case SplitterLayout::Hit::RowBar:
        setCursor(Qt::SizeVerCursor);
        break;
    case SplitterLayout::Hit::ColumnBox:
    case SplitterLayout::Hit::ColumnBar:
        setCursor(Qt::SizeHorCursor);
        break;
    case SplitterLayout::Hit::None:
        unsetCursor();
        break;
    }
}

void QtSplitter::mouseReleaseEvent(QMouseEvent* event) {
    const SplitterLayout::Hit hit = std::exchange(dragging_, SplitterLayout::Hit::None);
    tracker_->hide();
    if (hit == SplitterLayout::Hit::None || event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    const QPoint at = event->position().toPoint();
    EndDrag(hit, {at.x(), at.y()});
}

} // namespace platform::qt
