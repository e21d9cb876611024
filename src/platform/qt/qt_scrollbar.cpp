#include "platform/qt/qt_scrollbar.h"

#include <QEvent>
#include <QMetaObject>
#include <algorithm>

namespace platform::qt {

QtScrollBar::QtScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QObject(parent), bar_(new QScrollBar(orientation, parent)) {
    bar_->setSingleStep(1);
    bar_->installEventFilter(this);
    connect(bar_, &QAbstractSlider::actionTriggered, this, &QtScrollBar::OnAction);
    connect(bar_, &QAbstractSlider::sliderReleased, this, &QtScrollBar::OnReleased);
    Sync();
}

QtScrollBar::~QtScrollBar() {
    delete bar_.data();
}

int32_t QtScrollBar::SetScrollInfo(const ScrollInfo& info, bool redraw) {
    (void)redraw;
    const int32_t pos = state_.SetScrollInfo(info);
    Sync();
    return pos;
}

void QtScrollBar::EnableScrollBar(uint32_t esbFlags) {
    state_.Enable(esbFlags);
    Sync();
}

void QtScrollBar::Sync() {
    if (!bar_)
        return;
    syncing_ = true;
    bar_->setRange(state_.Min(), state_.MaxPos());
    bar_->setPageStep(static_cast<int>(std::max<uint32_t>(1, state_.Page())));
    if (!bar_->isSliderDown())
        bar_->setValue(state_.Pos());
    // A bar that would be hidden stays in place, shown disabled, so the layout never jumps.
    bar_->setEnabled(state_.IsEnabled() && state_.IsVisible());
    syncing_ = false;
}

void QtScrollBar::OnAction(int action) {
    if (syncing_ || !bar_)
        return;
    uint32_t code = 0;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        code = SB_LINEDOWN;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        code = SB_LINEUP;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = SB_PAGEDOWN;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = SB_PAGEUP;
        break;
    case QAbstractSlider::SliderToMinimum:
        code = SB_TOP;
        break;
    case QAbstractSlider::SliderToMaximum:
        code = SB_BOTTOM;
        break;
    case QAbstractSlider::SliderMove:
        code = SB_THUMBTRACK;
        break;
    default:
        return;
    }
    const int32_t pos = bar_->sliderPosition();
    if (code == SB_THUMBTRACK)
        state_.SetTrackPos(pos);
    if (handler_)
        handler_(code, pos);
    // The slider applies its own idea of the outcome after this signal; make it the engine's.
    syncing_ = true;
    if (!bar_->isSliderDown())
        bar_->setSliderPosition(state_.Pos());
    syncing_ = false;
}

void QtScrollBar::OnReleased() {
    if (!bar_)
        return;
    const int32_t pos = bar_->sliderPosition();
    state_.SetTrackPos(pos);
    if (handler_)
        handler_(SB_THUMBPOSITION, pos);
    Sync();
}

bool QtScrollBar::eventFilter(QObject* watched, QEvent* event) {
    // The type is tested first: a bar being destroyed still sends events, and must not be cast.
    if (event->type() == QEvent::MouseButtonRelease && handler_ && bar_ &&
        watched == static_cast<QObject*>(bar_.data())) {
        // Let the bar finish the release first, then report the end of the scroll.
        const bool result = QObject::eventFilter(watched, event);
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (handler_)
                    handler_(SB_ENDSCROLL, state_.Pos());
                Sync();
            },
            Qt::QueuedConnection);
        return result;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform::qt
