// The lock keys on Qt. On X11 the states come from the X keyboard extension over the connection
// the toolkit already holds: the lights named "Caps Lock", "Num Lock" and "Scroll Lock" of the
// core keyboard, read again after the server reports a change of its lights. Elsewhere (Wayland,
// the offscreen platform, a build without xcb-xkb) every state is Unknown.
#pragma once

#include <QAbstractNativeEventFilter>
#include <array>
#include <cstdint>
#include <functional>

#include "platform/lockkeys.h"

namespace platform::qt {

class QtLockKeys final : public LockKeys, private QAbstractNativeEventFilter {
public:
    // Needs the QGuiApplication; watches the keyboard from now on.
    QtLockKeys();
    ~QtLockKeys() override;
    QtLockKeys(const QtLockKeys&) = delete;
    QtLockKeys& operator=(const QtLockKeys&) = delete;

    LockState State(LockKey key) override;
    void SetChangeHandler(std::function<void()> changed) override;

    // Whether the states come from the platform (false: every state is Unknown).
    bool IsWatching() const { return connection_ != nullptr; }

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void Refresh();

    // The X connection (an xcb_connection_t) while the keyboard extension serves us.
    void* connection_ = nullptr;
    uint8_t xkbEventBase_ = 0;
    std::array<uint32_t, 3> names_{}; // the atoms of the three lights' names
    std::array<LockState, 3> states_{};
    bool stale_ = true;
    std::function<void()> changed_;
};

} // namespace platform::qt
