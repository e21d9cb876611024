// The lock keys whose state a keyboard shows on its lights: Caps Lock, Num Lock, Scroll Lock.
// The status bar shows a key's indicator while the key is on.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

enum class LockKey : uint8_t { Caps, Num, Scroll };

// Unknown where the platform cannot tell (a Wayland session, a display without the X keyboard
// extension, a keyboard map without that light).
enum class LockState : uint8_t { Unknown, Off, On };

class LockKeys {
public:
    virtual ~LockKeys() = default;

    virtual LockState State(LockKey key) = 0;
    // `changed` runs after any lock key was switched on or off (null: nothing runs). It may run
    // from the event loop at any time while this object lives.
    virtual void SetChangeHandler(std::function<void()> changed) = 0;
};

} // namespace platform
