// Menus as data: the main frame's menu (no document open), the document menu, the view's
// context menu and the Z80 workbench's pop-up. An item's text holds its mnemonic after "&" ("&&"
// is a literal ampersand) and optionally a tab followed by the shortcut text.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

namespace app {

enum class MenuItemKind : uint8_t { Command, Separator, Popup };

struct MenuItem {
    MenuItemKind kind = MenuItemKind::Separator;
    std::string_view text;
    uint32_t id = 0;                 // command id; 0 for separators and pop-ups
    std::span<const MenuItem> items; // the pop-up's items; empty otherwise
};

struct MenuResource {
    int32_t id = 0;
    std::span<const MenuItem> bar; // the top-level pop-ups, left to right
};

// Menus IDR_MAINFRAME (128), IDR_SOURCETYPE (129), IDR_CONTEXTMENU (132) and the Z80
// workbench's pop-up IDR_WORKBENCH (140), which the frame shows after "&View"; null otherwise.
const MenuResource* FindMenu(int32_t id);

// The item's text up to the tab, with its "&" markers still in.
std::string_view MenuLabel(std::string_view text);
// The shortcut text after the tab; empty when there is none.
std::string_view MenuShortcut(std::string_view text);
// The mnemonic letter in upper case, or none when the label has no single "&".
std::optional<char> Mnemonic(std::string_view text);

// Calls `visit` for every item below `items`, depth first in menu order, with the pop-up that
// holds it (null for the items of `items` itself).
void VisitMenuItems(std::span<const MenuItem> items,
                    const std::function<void(const MenuItem& item, const MenuItem* popup)>& visit);

} // namespace app
