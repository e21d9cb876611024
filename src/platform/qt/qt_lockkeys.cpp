#include "platform/qt/qt_lockkeys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

#ifdef VELMORA_HAVE_XCB_XKB
#include <xcb/xcb.h>
// The extension's header names a field "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#endif

namespace platform::qt {

#ifdef VELMORA_HAVE_XCB_XKB
namespace {

constexpr std::array<const char*, 3> kLightNames{"Caps Lock", "Num Lock", "Scroll Lock"};

xcb_connection_t* X(void* connection) {
    return static_cast<xcb_connection_t*>(connection);
}

// The toolkit's X connection with a usable keyboard extension, or null.
xcb_connection_t* KeyboardConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return nullptr;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_xkb_id);
    if (!extension || !extension->present)
        return nullptr;
    // The toolkit has enabled the extension on this connection already; asking again is how a
    // client learns that the server speaks a version it understands.
    xcb_xkb_use_extension_reply_t* use = xcb_xkb_use_extension_reply(
        connection, xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
        nullptr);
    const bool supported = use && use->supported;
    std::free(use);
    return supported ? connection : nullptr;
}

void SelectLightEvents(xcb_connection_t* connection, bool on) {
    const uint16_t which = XCB_XKB_EVENT_TYPE_INDICATOR_STATE_NOTIFY;
    // Only the selection of this one event type changes; what the toolkit selected stays.
    xcb_xkb_select_events(connection, XCB_XKB_ID_USE_CORE_KBD, which, on ? 0 : which,
                          on ? which : 0, 0, 0, nullptr);
    xcb_flush(connection);
}

} // namespace
#endif

QtLockKeys::QtLockKeys() {
#ifdef VELMORA_HAVE_XCB_XKB
    xcb_connection_t* connection = KeyboardConnection();
    if (!connection)
        return;
    std::array<xcb_intern_atom_cookie_t, 3> cookies{};
    for (size_t i = 0; i < kLightNames.size(); ++i)
        cookies[i] = xcb_intern_atom(
            connection, 1, static_cast<uint16_t>(std::strlen(kLightNames[i])), kLightNames[i]);
    for (size_t i = 0; i < kLightNames.size(); ++i) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookies[i], nullptr);
        names_[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
    }
    connection_ = connection;
    xkbEventBase_ = xcb_get_extension_data(connection, &xcb_xkb_id)->first_event;
    SelectLightEvents(connection, true);
    QCoreApplication::instance()->installNativeEventFilter(this);
#endif
}

QtLockKeys::~QtLockKeys() {
#ifdef VELMORA_HAVE_XCB_XKB
    if (connection_ && QCoreApplication::instance()) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        SelectLightEvents(X(connection_), false);
    }
#endif
}

LockState QtLockKeys::State(LockKey key) {
    if (stale_)
        Refresh();
    return states_[static_cast<size_t>(key)];
}

void QtLockKeys::SetChangeHandler(std::function<void()> changed) {
    changed_ = std::move(changed);
}

void QtLockKeys::Refresh() {
    stale_ = false;
    states_.fill(LockState::Unknown);
#ifdef VELMORA_HAVE_XCB_XKB
    if (!connection_)
        return;
    xcb_connection_t* connection = X(connection_);
    std::array<xcb_xkb_get_named_indicator_cookie_t, 3> cookies{};
    for (size_t i = 0; i < names_.size(); ++i)
        if (names_[i] != XCB_ATOM_NONE)
            cookies[i] = xcb_xkb_get_named_indicator(connection, XCB_XKB_ID_USE_CORE_KBD,
                                                     XCB_XKB_LED_CLASS_DFLT_XI_CLASS,
                                                     XCB_XKB_ID_DFLT_XI_ID, names_[i]);
    for (size_t i = 0; i < names_.size(); ++i) {
        if (names_[i] == XCB_ATOM_NONE)
            continue;
        xcb_xkb_get_named_indicator_reply_t* reply =
            xcb_xkb_get_named_indicator_reply(connection, cookies[i], nullptr);
        if (reply && reply->found)
            states_[i] = reply->on ? LockState::On : LockState::Off;
        std::free(reply);
    }
#endif
}

bool QtLockKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) {
    (void)result;
#ifdef VELMORA_HAVE_XCB_XKB
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != xkbEventBase_)
        return false;
    // Every event of the extension carries its own kind in the second byte.
    const auto* notify = reinterpret_cast<const xcb_xkb_indicator_state_notify_event_t*>(event);
    if (notify->xkbType == XCB_XKB_INDICATOR_STATE_NOTIFY) {
        stale_ = true;
        if (changed_)
            changed_();
    }
#else
    (void)eventType, (void)message;
#endif
    // The toolkit still sees every event.
    return false;
}

} // namespace platform::qt
