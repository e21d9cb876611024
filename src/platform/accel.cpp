#include "platform/accel.h"

namespace platform {

std::optional<uint32_t> AccelTable::Find(uint32_t key, uint32_t modifiers) const {
    const uint32_t wanted = modifiers & ModMask;
    for (const Accel& e : entries_) {
        if (e.key == key && (e.fVirt & ModMask) == wanted)
            return e.cmd;
    }
    return std::nullopt;
}

} // namespace platform
