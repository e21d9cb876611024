// An in-memory settings store for tests. Integers are kept as their decimal text, so a value
// written as a string and read as an integer behaves as in a real store.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/profile.h"

namespace platform::headless {

class HeadlessProfile final : public Profile {
public:
    int32_t GetProfileInt(std::string_view section, std::string_view entry,
                          int32_t defaultValue) const override;
    std::string GetProfileString(std::string_view section, std::string_view entry,
                                 std::string_view defaultValue = {}) const override;
    bool WriteProfileInt(std::string_view section, std::string_view entry, int32_t value) override;
    bool WriteProfileString(std::string_view section, std::string_view entry,
                            std::string_view value) override;
    // Everything is kept at once.
    bool Flush() override { return true; }

    // The stored text of a value; none when missing.
    std::optional<std::string> Raw(std::string_view section, std::string_view entry) const;
    // Every write in order, as "section/entry=value".
    const std::vector<std::string>& Writes() const { return writes_; }

private:
    using Key = std::pair<std::string, std::string>;
    std::map<Key, std::string> values_;
    std::vector<std::string> writes_;
};

} // namespace platform::headless
