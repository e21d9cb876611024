// Lock keys for tests: every state is what the test set (Unknown until then); setting one runs
// the change handler as a key press would.
#pragma once

#include <array>
#include <cstddef>
#include <utility>

#include "platform/lockkeys.h"

namespace platform::headless {

class HeadlessLockKeys final : public LockKeys {
public:
    LockState State(LockKey key) override { return states_[static_cast<size_t>(key)]; }
    void SetChangeHandler(std::function<void()> changed) override { changed_ = std::move(changed); }

    void Set(LockKey key, LockState state) {
        states_[static_cast<size_t>(key)] = state;
        if (changed_)
            changed_();
    }

private:
    std::array<LockState, 3> states_{};
    std::function<void()> changed_;
};

} // namespace platform::headless
