// The version resource (VS_VERSION_INFO) of the program.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace app {

struct VersionInfo {
    std::array<uint16_t, 4> fileVersion; // major, minor, release, build
    std::string_view fileDescription;
    std::string_view internalName;
};

inline constexpr VersionInfo kVersionInfo{{1, 1, 2, 0}, "Velmora Editor", "varnix"};

} // namespace app
