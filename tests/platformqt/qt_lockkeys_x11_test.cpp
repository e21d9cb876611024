// The lock keys read through the X keyboard extension, on a real X server (run under Xvfb): the
// states follow real key presses, and the change handler runs for each.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>
#include <cstdlib>

#include "platform/qt/qt_lockkeys.h"
#include "platformqt_app.h"

namespace {

using platform::LockKey;
using platform::LockState;
using platform::qt::QtLockKeys;

// Presses and releases `keys` on the X server, as a user would.
void Press(const char* keys) {
    const std::string command = std::string("xdotool key ") + keys;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// Runs the event loop until `done` or two seconds passed.
template <typename Done> bool WaitFor(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 2000)
        QTest::qWait(10);
    return done();
}

TEST(QtLockKeys, FollowCapsAndNumLockOnX11) {
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs an X server (run through run_under_xvfb.sh)";
    QtLockKeys keys;
    ASSERT_TRUE(keys.IsWatching());
    int changes = 0;
    keys.SetChangeHandler([&] { ++changes; });
    const LockState caps = keys.State(LockKey::Caps);
    const LockState num = keys.State(LockKey::Num);
    ASSERT_NE(caps, LockState::Unknown);
    ASSERT_NE(num, LockState::Unknown);
    const auto flipped = [](LockState s) {
        return s == LockState::On ? LockState::Off : LockState::On;
    };

    Press("Caps_Lock");
    EXPECT_TRUE(WaitFor([&] { return changes > 0; }));
    EXPECT_EQ(keys.State(LockKey::Caps), flipped(caps));
    EXPECT_EQ(keys.State(LockKey::Num), num);

    changes = 0;
    Press("Num_Lock Caps_Lock");
    EXPECT_TRUE(WaitFor([&] { return changes > 0 && keys.State(LockKey::Caps) == caps; }));
    EXPECT_EQ(keys.State(LockKey::Num), flipped(num));
    Press("Num_Lock");
    EXPECT_TRUE(WaitFor([&] { return keys.State(LockKey::Num) == num; }));
}

TEST(QtLockKeys, UnknownWithoutAnXServer) {
    if (QGuiApplication::platformName() == "xcb")
        GTEST_SKIP() << "runs on the offscreen platform";
    QtLockKeys keys;
    EXPECT_FALSE(keys.IsWatching());
    for (const LockKey key : {LockKey::Caps, LockKey::Num, LockKey::Scroll})
        EXPECT_EQ(keys.State(key), LockState::Unknown);
}

} // namespace
