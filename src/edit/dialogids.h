// The ids of the Find and Replace dialogs: their templates and their controls. The application's
// resources hold the templates under these ids.
#pragma once

#include <cstdint>

namespace edit {

inline constexpr int32_t IDD_FIND = 8601;
inline constexpr int32_t IDD_REPLACE = 8602;

inline constexpr int32_t IDC_WHOLE_WORD = 8603;
inline constexpr int32_t IDC_MATCH_CASE = 8604;
inline constexpr int32_t IDC_FIND_WHAT = 8605;
inline constexpr int32_t IDC_REPLACE = 8607;
inline constexpr int32_t IDC_REPLACE_ALL = 8608;
inline constexpr int32_t IDC_REPLACE_WITH = 8609;
inline constexpr int32_t IDC_FIND_NEXT = 8610;
inline constexpr int32_t IDC_DIRECTION_UP = 8611;
inline constexpr int32_t IDC_DIRECTION_DOWN = 8612;
inline constexpr int32_t IDC_SCOPE_SELECTION = 8613;
inline constexpr int32_t IDC_SCOPE_WHOLE_FILE = 8614;

} // namespace edit
