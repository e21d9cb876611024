// Accelerator tables: which command a virtual key with a set of modifiers sends. Tables are plain
// data; the resources of the application define them and windows translate keys through them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

#include "platform/keys.h"

namespace platform {

// Classic flag bits of an accelerator entry. Every entry here is a virtual-key entry.
enum AccelFlag : uint8_t {
    FVIRTKEY = 0x01,
    FNOINVERT = 0x02,
    FSHIFT = 0x04,
    FCONTROL = 0x08,
    FALT = 0x10,
};

struct Accel {
    uint8_t fVirt = FVIRTKEY; // FSHIFT | FCONTROL | FALT select the modifiers; FVIRTKEY implied
    uint32_t key = 0;         // a VirtualKey, or '0'..'9', 'A'..'Z'
    uint32_t cmd = 0;         // command id sent when the entry matches

    friend bool operator==(const Accel&, const Accel&) = default;
};

class AccelTable {
public:
    AccelTable() = default;
    AccelTable(std::initializer_list<Accel> entries) : entries_(entries) {}

    void Add(const Accel& entry) { entries_.push_back(entry); }
    const std::vector<Accel>& Entries() const { return entries_; }

    // The command of the first entry for `key` whose Shift/Ctrl/Alt set equals `modifiers`
    // exactly (Ctrl+Shift+X does not match an entry for Ctrl+X). Other modifier bits are ignored.
    std::optional<uint32_t> Find(uint32_t key, uint32_t modifiers) const;
    bool Contains(uint32_t key, uint32_t modifiers) const {
        return Find(key, modifiers).has_value();
    }

private:
    std::vector<Accel> entries_;
};

} // namespace platform
