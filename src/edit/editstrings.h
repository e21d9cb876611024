// The edit view's strings: the texts of the Undo and Redo menu items. They live beside the edit
// view until the application's string table holds them; the ids are the string-table ids.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "view/viewstrings.h"

namespace edit {

inline constexpr int32_t IDS_UNDO_NAMED = 8615;
inline constexpr int32_t IDS_REDO_NAMED = 8616;
inline constexpr int32_t IDS_UNDO_PLAIN = 8617;
inline constexpr int32_t IDS_REDO_PLAIN = 8618;

// The string with `id`; empty for an id the edit view does not know.
std::string_view LoadEditString(int32_t id);

using view::FormatString;

} // namespace edit
