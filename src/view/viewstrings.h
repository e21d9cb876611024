// The text view's strings: the message of a search without a match. It lives beside the view
// until the application's string table holds it; the id is the string-table id.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace view {

inline constexpr int32_t IDS_CANNOT_FIND_STRING = 8606;

// The string with `id`; empty for an id the view does not know.
std::string_view LoadViewString(int32_t id);

// `pattern` with its first "%s" replaced by `argument` (a plain "%%" becomes "%").
std::string FormatString(std::string_view pattern, std::string_view argument);

} // namespace view
