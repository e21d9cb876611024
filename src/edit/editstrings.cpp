#include "edit/editstrings.h"

#include <array>
#include <utility>

namespace edit {
namespace {

// The plain Redo text names Ctrl+Z as its key; the menus have always shown it so.
constexpr std::array<std::pair<int32_t, std::string_view>, 4> kStrings{{
    {IDS_UNDO_NAMED, "&Undo %s\tCtrl+Z"},
    {IDS_REDO_NAMED, "&Redo %s\tCtrl+Y"},
    {IDS_UNDO_PLAIN, "&Undo\tCtrl+Z"},
    {IDS_REDO_PLAIN, "&Redo\tCtrl+Z"},
}};

} // namespace

std::string_view LoadEditString(int32_t id) {
    for (const auto& [key, text] : kStrings)
        if (key == id)
            return text;
    return {};
}

} // namespace edit
