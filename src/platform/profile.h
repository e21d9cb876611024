// The per-user settings store: integer and string values selected by a section and a value name.
// A read returns the caller's default when the value is missing (or, for an integer, when the
// stored text is not a number); nothing is reported.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

class Profile {
public:
    virtual ~Profile() = default;

    virtual int32_t GetProfileInt(std::string_view section, std::string_view entry,
                                  int32_t defaultValue) const = 0;
    virtual std::string GetProfileString(std::string_view section, std::string_view entry,
                                         std::string_view defaultValue = {}) const = 0;
    // False when the store could not keep the value.
    virtual bool WriteProfileInt(std::string_view section, std::string_view entry,
                                 int32_t value) = 0;
    virtual bool WriteProfileString(std::string_view section, std::string_view entry,
                                    std::string_view value) = 0;
    // Makes every value written so far permanent (a store may keep writes in memory until
    // then); false when the store could not be written.
    virtual bool Flush() = 0;
};

} // namespace platform
