// Scroll bars on Qt: the engine's bar state shown by a QScrollBar.
#pragma once

#include <QObject>
#include <QPointer>
#include <QScrollBar>
#include <functional>

#include "platform/scrollbar.h"

namespace platform::qt {

// A scroll bar of ours over a QScrollBar. The engine's state is the truth: after every user
// action the widget shows what the engine set. User actions go to the handler as scroll codes;
// releasing the mouse on the bar sends SB_ENDSCROLL.
class QtScrollBar final : public QObject, public ScrollBar {
    Q_OBJECT
public:
    using Handler = std::function<void(uint32_t code, int32_t pos)>;

    QtScrollBar(Qt::Orientation orientation, QWidget* parent);
    ~QtScrollBar() override;

    void SetHandler(Handler handler) { handler_ = std::move(handler); }
    QScrollBar* Widget() const { return bar_.data(); }

    int32_t SetScrollInfo(const ScrollInfo& info, bool redraw) override;
    bool GetScrollInfo(ScrollInfo& info) const override { return state_.GetScrollInfo(info); }
    void EnableScrollBar(uint32_t esbFlags) override;
    void SetTrackPos(int32_t pos) override { state_.SetTrackPos(pos); }
    const ScrollBarState& State() const override { return state_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnAction(int action);
    void OnReleased();
    void Sync();

    QPointer<QScrollBar> bar_;
    ScrollBarState state_;
    Handler handler_;
    bool syncing_ = false;
};

} // namespace platform::qt
