// The main frame's accelerator table and the text form of a key chord ("Ctrl+Shift+F2") that
// menu items show after their tab.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/accel.h"

namespace app {

// Table IDR_MAINFRAME (128) and the Z80 workbench's keys IDR_WORKBENCH (140), which the frame
// translates beside it; null for any other id. The view's own table (22901) belongs to the text
// view's resources. The tables live for the whole program.
const platform::AccelTable* FindAccelTable(int32_t id);

// A key with its Shift/Ctrl/Alt set (platform::KeyModifier bits).
struct KeyChord {
    uint32_t key = 0;
    uint32_t modifiers = 0;

    friend bool operator==(const KeyChord&, const KeyChord&) = default;
};

// "Ctrl+", "Shift+", "Alt+" in that order, then the key's name ("N", "F3", "Del", "Backspace").
std::string ShortcutText(KeyChord chord);

// The chord a menu item's shortcut text names, or none for a text this parser does not know.
// Matching of names and modifiers ignores case; each modifier may appear once.
std::optional<KeyChord> ParseShortcutText(std::string_view text);

} // namespace app
