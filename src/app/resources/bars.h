// The main frame's toolbar and status bar as data.
#pragma once

#include <cstdint>
#include <span>

#include "platform/surface.h"

namespace app {

// A toolbar item: a button sending `command`, or a gap when `command` is ID_SEPARATOR.
struct ToolBarItem {
    uint32_t command = 0;
    bool IsSeparator() const { return command == 0; }
};

struct ToolBarResource {
    int32_t id = 0;
    int32_t buttonWidth = 0; // size of one button image in pixels at 1x
    int32_t buttonHeight = 0;
    std::span<const ToolBarItem> items; // left to right
};

// Toolbar IDR_MAINFRAME (128); null otherwise.
const ToolBarResource* FindToolBar(int32_t id);

// The images of `toolbar`'s buttons side by side, in button order (gaps take no room), scaled
// by the whole factor `scale`. A button without an image leaves its cell transparent.
platform::BitmapData ToolBarStrip(const ToolBarResource& toolbar, int32_t scale);

// The status bar's panes, left to right; ID_SEPARATOR is the message pane. The string of a
// pane's id sizes the pane and is its text until the first update.
std::span<const uint32_t> StatusBarPanes();

// The Z80 workbench's panes, shown after those of StatusBarPanes() in the same way.
std::span<const uint32_t> WorkbenchStatusPanes();

} // namespace app
