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

bool HasFocusIn(QtWndHost* host) {
    return host && QApplication::focusWidget() == host;
}

} // namespace

QtSplitter::QtSplitter(PaneFactory factory, QWidget* parent)
    : QWidget(parent), factory_(std::move(factory)),
      layout_(ScrollBarExtent(), kSplitBoxSize, kBarGap), tracker_(new QWidget(this)) {
    setMouseTracking(true);
    tracker_->setAutoFillBackground(true);
    QPalette pal = tracker_->palette();
    pal.setColor(QPalette::Window, palette().color(QPalette::Dark));
    tracker_->setPalette(pal);
    tracker_->hide();
    layout_.SetClientSize({width(), height()});
    rowBars_[0] = MakeBar(Qt::Vertical);
    colBars_[0] = MakeBar(Qt::Horizontal);
    panes_[0][0] = MakePane(0, 0);
    Relayout();
    if (panes_[0][0]) {
        setFocusProxy(panes_[0][0]);
        panes_[0][0]->GetWnd().OnInitialUpdate();
    }
}

QtSplitter::~QtSplitter() {
    // Panes go first, while the bars they share still exist.
    for (auto& row : panes_)
        for (auto& pane : row)
            delete std::exchange(pane, nullptr);
}

QtScrollBar* QtSplitter::MakeBar(Qt::Orientation orientation) {
    auto* bar = new QtScrollBar(orientation, this);
    bar->SetHandler([this, bar](uint32_t code, int32_t pos) { DispatchBar(bar, code, pos); });
    bar->Widget()->show();
    return bar;
}

void QtSplitter::DispatchBar(QtScrollBar* bar, uint32_t code, int32_t pos) {
    for (int32_t r = 0; r < layout_.Rows(); ++r) {
        if (rowBars_[static_cast<size_t>(r)] == bar) {
            const std::array<Wnd*, kMaxColumns> panes{GetPane(r, 0), GetPane(r, 1)};
            DispatchSharedScroll(*bar, panes, true, code, pos);
            return;
        }
    }
    for (int32_t c = 0; c < layout_.Columns(); ++c) {
        if (colBars_[static_cast<size_t>(c)] == bar) {
            const std::array<Wnd*, kMaxRows> panes{GetPane(0, c), GetPane(1, c)};
            DispatchSharedScroll(*bar, panes, false, code, pos);
            return;
        }
    }
}

QtWndHost* QtSplitter::MakePane(int32_t row, int32_t col) {
    std::unique_ptr<Wnd> wnd = factory_ ? factory_(row, col) : nullptr;
    if (!wnd)
        return nullptr;
    auto* host = new QtWndHost(std::move(wnd), this);
    host->SetPane(this, {row, col});
    host->SetScrollBars(rowBars_[static_cast<size_t>(row)], colBars_[static_cast<size_t>(col)],
                        true);
    host->setGeometry(ToQRect(layout_.PaneRect(row, col)));
    host->show();
    if (!host->Create()) {
        delete host;
        return nullptr;
    }
    return host;
}

QtWndHost* QtSplitter::PaneHost(int32_t row, int32_t col) const {
    if (row < 0 || row >= layout_.Rows() || col < 0 || col >= layout_.Columns())
        return nullptr;
    return panes_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

Wnd* QtSplitter::GetPane(int32_t row, int32_t col) const {
    QtWndHost* host = PaneHost(row, col);
    return host && host->IsCreated() ? &host->GetWnd() : nullptr;
}

ScrollBar* QtSplitter::GetRowScrollBar(int32_t row) const {
    return row >= 0 && row < layout_.Rows() ? rowBars_[static_cast<size_t>(row)] : nullptr;
}

ScrollBar* QtSplitter::GetColumnScrollBar(int32_t col) const {
    return col >= 0 && col < layout_.Columns() ? colBars_[static_cast<size_t>(col)] : nullptr;
}

void QtSplitter::Relayout() {
    for (int32_t r = 0; r < layout_.Rows(); ++r) {
        for (int32_t c = 0; c < layout_.Columns(); ++c) {
            if (QtWndHost* host = PaneHost(r, c)) {
                host->SetPane(this, {r, c});
                host->SetScrollBars(rowBars_[static_cast<size_t>(r)],
                                    colBars_[static_cast<size_t>(c)], true);
                host->setGeometry(ToQRect(layout_.PaneRect(r, c)));
            }
        }
    }
    for (int32_t r = 0; r < layout_.Rows(); ++r)
        rowBars_[static_cast<size_t>(r)]->Widget()->setGeometry(
            ToQRect(layout_.RowScrollBarRect(r)));
    for (int32_t c = 0; c < layout_.Columns(); ++c)
        colBars_[static_cast<size_t>(c)]->Widget()->setGeometry(
            ToQRect(layout_.ColumnScrollBarRect(c)));
    update();
}

bool QtSplitter::SplitRow(int32_t y) {
    if (!layout_.SplitRowAt(y))
        return false;
    rowBars_[1] = MakeBar(Qt::Vertical);
    for (int32_t c = 0; c < layout_.Columns(); ++c) {
        panes_[1][static_cast<size_t>(c)] = MakePane(1, c);
        if (!panes_[1][static_cast<size_t>(c)]) {
            for (auto& pane : panes_[1])
                delete std::exchange(pane, nullptr);
            delete std::exchange(rowBars_[1], nullptr);
            layout_.RemoveRow();
            Relayout();
            return false;
        }
    }
    Relayout();
    for (QtWndHost* pane : panes_[1])
        if (pane)
            pane->GetWnd().OnInitialUpdate();
    return true;
}

bool QtSplitter::SplitColumn(int32_t x) {
    if (!layout_.SplitColumnAt(x))
        return false;
    colBars_[1] = MakeBar(Qt::Horizontal);
    for (int32_t r = 0; r < layout_.Rows(); ++r) {
        panes_[static_cast<size_t>(r)][1] = MakePane(r, 1);
        if (!panes_[static_cast<size_t>(r)][1]) {
            for (auto& row : panes_)
                delete std::exchange(row[1], nullptr);
            delete std::exchange(colBars_[1], nullptr);
            layout_.RemoveColumn();
            Relayout();
            return false;
        }
    }
    Relayout();
    for (auto& row : panes_)
        if (row[1])
            row[1]->GetWnd().OnInitialUpdate();
    return true;
}

void QtSplitter::RefocusAfterDelete(bool hadFocus, int32_t row, int32_t col) {
    if (QtWndHost* first = PaneHost(0, 0))
        setFocusProxy(first);
    if (QtWndHost* next = PaneHost(row, col); hadFocus && next)
        next->setFocus(Qt::OtherFocusReason);
}

bool QtSplitter::DeleteRow(int32_t row) {
    if (layout_.Rows() != 2 || row < 0 || row > 1)
        return false;
    const auto r = static_cast<size_t>(row);
    bool hadFocus = false;
    int32_t focusCol = 0;
    setFocusProxy(nullptr);
    for (size_t c = 0; c < panes_[r].size(); ++c) {
        if (HasFocusIn(panes_[r][c])) {
            hadFocus = true;
            focusCol = static_cast<int32_t>(c);
        }
        delete std::exchange(panes_[r][c], nullptr);
    }
    if (row == 0) {
        panes_[0] = std::exchange(panes_[1], {});
        delete std::exchange(rowBars_[0], rowBars_[1]);
    } else {
        delete rowBars_[1];
    }
    rowBars_[1] = nullptr;
    layout_.RemoveRow();
    Relayout();
    RefocusAfterDelete(hadFocus, 0, focusCol);
    return true;
}

bool QtSplitter::DeleteColumn(int32_t col) {
    if (layout_.Columns() != 2 || col < 0 || col > 1)
        return false;
    const auto c = static_cast<size_t>(col);
    bool hadFocus = false;
    int32_t focusRow = 0;
    setFocusProxy(nullptr);
    for (size_t r = 0; r < panes_.size(); ++r) {
        if (HasFocusIn(panes_[r][c])) {
            hadFocus = true;
            focusRow = static_cast<int32_t>(r);
        }
        delete std::exchange(panes_[r][c], nullptr);
    }
    if (col == 0) {
        for (auto& rowPanes : panes_)
            rowPanes[0] = std::exchange(rowPanes[1], nullptr);
        delete std::exchange(colBars_[0], colBars_[1]);
    } else {
        delete colBars_[1];
    }
    colBars_[1] = nullptr;
    layout_.RemoveColumn();
    Relayout();
    RefocusAfterDelete(hadFocus, focusRow, 0);
    return true;
}

void QtSplitter::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layout_.SetClientSize({width(), height()});
    Relayout();
}

void QtSplitter::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    for (const Rect& box : {layout_.RowSplitBoxRect(), layout_.ColumnSplitBoxRect()}) {
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
    const int paneWidth = width() - layout_.ScrollBarExtent();
    const int paneHeight = height() - layout_.ScrollBarExtent();
    if (rows)
        tracker_->setGeometry(0, std::clamp(at.y(), 0, paneHeight) - half, paneWidth, kBarGap);
    else
        tracker_->setGeometry(std::clamp(at.x(), 0, paneWidth) - half, 0, kBarGap, paneHeight);
    tracker_->raise();
    tracker_->show();
}

void QtSplitter::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    dragging_ = event->button() == Qt::LeftButton ? layout_.HitTest({at.x(), at.y()})
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
    switch (layout_.HitTest({at.x(), at.y()})) {
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
    const int32_t y = at.y() - kBarGap / 2;
    const int32_t x = at.x() - kBarGap / 2;
    switch (hit) {
    case SplitterLayout::Hit::RowBox:
        SplitRow(y);
        break;
    case SplitterLayout::Hit::ColumnBox:
        SplitColumn(x);
        break;
    case SplitterLayout::Hit::RowBar:
        switch (layout_.DropRowBar(y)) {
        case SplitterLayout::BarDrop::Moved:
            Relayout();
            break;
        case SplitterLayout::BarDrop::DeleteFirst:
            DeleteRow(0);
            break;
        case SplitterLayout::BarDrop::DeleteSecond:
            DeleteRow(1);
            break;
        }
        break;
    case SplitterLayout::Hit::ColumnBar:
        switch (layout_.DropColumnBar(x)) {
        case SplitterLayout::BarDrop::Moved:
            Relayout();
            break;
        case SplitterLayout::BarDrop::DeleteFirst:
            DeleteColumn(0);
            break;
        case SplitterLayout::BarDrop::DeleteSecond:
            DeleteColumn(1);
            break;
        }
        break;
    case SplitterLayout::Hit::None:
        break;
    }
}

} // namespace platform::qt
