#include "app/resources/accelerators.h"

#include <array>
#include <cctype>
#include <utility>

#include "app/resources/resourceids.h"
#include "platform/keys.h"

namespace app {
namespace {

using platform::Accel;
using platform::AccelTable;

// Frame entries may highlight the menu item of their command, so FNOINVERT is not set.
constexpr uint8_t kPlain = platform::FVIRTKEY;
constexpr uint8_t kShift = kPlain | platform::FSHIFT;
constexpr uint8_t kCtrl = kPlain | platform::FCONTROL;
constexpr uint8_t kAlt = kPlain | platform::FALT;

// The function keys run in order from F1.
constexpr uint32_t kVkF6 = platform::VK_F1 + 5;

const AccelTable& MainFrameTable() {
    using namespace platform;
    static const AccelTable table{
        {kCtrl, 'N', ID_FILE_NEW},        {kCtrl, 'O', ID_FILE_OPEN},
        {kCtrl, 'S', ID_FILE_SAVE},       {kCtrl, 'P', ID_FILE_PRINT},
        {kCtrl, 'Z', ID_EDIT_UNDO},       {kCtrl, 'X', ID_EDIT_CUT},
        {kCtrl, 'C', ID_EDIT_COPY},       {kCtrl, 'V', ID_EDIT_PASTE},
        {kAlt, VK_BACK, ID_EDIT_UNDO},    {kShift, VK_DELETE, ID_EDIT_CUT},
        {kCtrl, VK_INSERT, ID_EDIT_COPY}, {kShift, VK_INSERT, ID_EDIT_PASTE},
        {kPlain, kVkF6, ID_NEXT_PANE},    {kShift, kVkF6, ID_PREV_PANE},
    };
    return table;
}

constexpr uint32_t kVkF4 = platform::VK_F1 + 3;
constexpr uint32_t kVkF7 = platform::VK_F1 + 6;
constexpr uint32_t kVkF12 = platform::VK_F1 + 11;
constexpr uint8_t kCtrlShift = kCtrl | platform::FSHIFT;

// The Z80 workbench's keys: none of them is in the frame's table or the view's (22901), and the
// view claims only the keys of its own table, so each reaches the frame.
const AccelTable& WorkbenchTable() {
    using namespace platform;
    static const AccelTable table{
        {kPlain, kVkF7, ID_Z80_ASSEMBLE},         {kPlain, kVkF4, ID_Z80_NEXT_MESSAGE},
        {kShift, kVkF4, ID_Z80_PREVIOUS_MESSAGE}, {kPlain, kVkF12, ID_Z80_GOTO_DEFINITION},
        {kAlt, VK_LEFT, ID_Z80_GO_BACK},          {kAlt, VK_RIGHT, ID_Z80_GO_FORWARD},
        {kCtrl, 'G', ID_Z80_GOTO_LINE},           {kCtrlShift, 'O', ID_Z80_OUTLINE},
    };
    return table;
}

constexpr auto kKeyNames = std::to_array<std::pair<uint32_t, std::string_view>>({
    {platform::VK_BACK, "Backspace"},
    {platform::VK_TAB, "Tab"},
    {platform::VK_RETURN, "Enter"},
    {platform::VK_ESCAPE, "Esc"},
    {platform::VK_SPACE, "Space"},
    {platform::VK_PRIOR, "PgUp"},
    {platform::VK_NEXT, "PgDn"},
    {platform::VK_END, "End"},
    {platform::VK_HOME, "Home"},
    {platform::VK_LEFT, "Left"},
    {platform::VK_UP, "Up"},
    {platform::VK_RIGHT, "Right"},
    {platform::VK_DOWN, "Down"},
    {platform::VK_INSERT, "Ins"},
    {platform::VK_DELETE, "Del"},
});

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::optional<uint32_t> ParseKeyName(std::string_view name) {
    if (name.size() == 1) {
        const int c = std::toupper(static_cast<unsigned char>(name[0]));
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            return static_cast<uint32_t>(c);
        return std::nullopt;
    }
    for (const auto& [key, text] : kKeyNames)
        if (EqualNoCase(name, text))
            return key;
    if ((name[0] == 'F' || name[0] == 'f') && name.size() <= 3) {
        uint32_t n = 0;
        for (char c : name.substr(1)) {
            if (c < '0' || c > '9')
                return std::nullopt;
            n = n * 10 + static_cast<uint32_t>(c - '0');
        }
        if (n >= 1 && n <= 24 && name[1] != '0')
            return platform::VK_F1 + n - 1;
    }
    return std::nullopt;
}

} // namespace

const platform::AccelTable* FindAccelTable(int32_t id) {
    if (id == IDR_MAINFRAME)
        return &MainFrameTable();
    return id == IDR_WORKBENCH ? &WorkbenchTable() : nullptr;
}

std::string ShortcutText(KeyChord chord) {
    std::string out;
    if (chord.modifiers & platform::ModControl)
        out += "Ctrl+";
    if (chord.modifiers & platform::ModShift)
        out += "Shift+";
    if (chord.modifiers & platform::ModAlt)
        out += "Alt+";
    const uint32_t key = chord.key;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        out += static_cast<char>(key);
    } else if (key >= platform::VK_F1 && key <= platform::VK_F24) {
        out += 'F';
        out += std::to_string(key - platform::VK_F1 + 1);
    } else {
        bool named = false;
        for (const auto& [vk, text] : kKeyNames)
            if (vk == key) {
                out += text;
                named = true;
                break;
            }
        if (!named) {
            out += '#';
            out += std::to_string(key);
        }
    }
    return out;
}

std::optional<KeyChord> ParseShortcutText(std::string_view text) {
    KeyChord chord;
    for (;;) {
        const size_t plus = text.find('+');
        // A lone "+" at the end would name the plus key, which no table uses.
        if (plus == std::string_view::npos || plus + 1 == text.size())
            break;
        const std::string_view part = text.substr(0, plus);
        uint32_t bit = 0;
        if (EqualNoCase(part, "Ctrl"))
            bit = platform::ModControl;
        else if (EqualNoCase(part, "Shift"))
            bit = platform::ModShift;
        else if (EqualNoCase(part, "Alt"))
            bit = platform::ModAlt;
        if (bit == 0 || (chord.modifiers & bit))
            return std::nullopt;
        chord.modifiers |= bit;
        text.remove_prefix(plus + 1);
    }
    if (text.empty())
        return std::nullopt;
    const auto key = ParseKeyName(text);
    if (!key)
        return std::nullopt;
    chord.key = *key;
    return chord;
}

} // namespace app
