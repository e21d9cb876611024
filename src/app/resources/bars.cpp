#include "app/resources/bars.h"

#include <algorithm>
#include <array>

#include "app/resources/icons.h"
#include "app/resources/resourceids.h"

namespace app {
namespace {

constexpr ToolBarItem kGap{ID_SEPARATOR};

constexpr std::array kMainToolBarItems{
    ToolBarItem{ID_FILE_NEW},
    ToolBarItem{ID_FILE_OPEN},
    ToolBarItem{ID_FILE_SAVE},
    ToolBarItem{ID_FILE_PRINT},
    kGap,
    ToolBarItem{ID_EDIT_CUT},
    ToolBarItem{ID_EDIT_COPY},
    ToolBarItem{ID_EDIT_PASTE},
    kGap,
    ToolBarItem{ID_EDIT_UNDO},
    ToolBarItem{ID_EDIT_REDO},
    kGap,
    ToolBarItem{ID_EDIT_FIND},
    ToolBarItem{ID_EDIT_REPEAT},
    ToolBarItem{ID_EDIT_FIND_PREVIOUS},
    ToolBarItem{ID_EDIT_REPLACE},
    kGap,
    ToolBarItem{ID_BOOKMARK_TOGGLE},
    ToolBarItem{ID_BOOKMARK_NEXT},
    ToolBarItem{ID_BOOKMARK_PREVIOUS},
    ToolBarItem{ID_BOOKMARK_CLEAR_ALL},
};

constexpr ToolBarResource kMainToolBar{IDR_MAINFRAME, kToolBarImageWidth, kToolBarImageHeight,
                                       kMainToolBarItems};

constexpr std::array kStatusPanes{
    ID_SEPARATOR,           ID_EDIT_INDICATOR_POSITION, ID_EDIT_INDICATOR_BLANK,
    ID_EDIT_INDICATOR_CRLF, ID_INDICATOR_OVR,           ID_EDIT_INDICATOR_READ,
    ID_INDICATOR_CAPS,      ID_INDICATOR_NUM,           ID_INDICATOR_SCRL,
};

// The Z80 workbench's panes, which follow the panes above.
constexpr std::array kWorkbenchPanes{
    ID_Z80_INDICATOR_FIGURES,
};

} // namespace

const ToolBarResource* FindToolBar(int32_t id) {
    return id == kMainToolBar.id ? &kMainToolBar : nullptr;
}

platform::BitmapData ToolBarStrip(const ToolBarResource& toolbar, int32_t scale) {
    scale = std::max(scale, 1);
    const int32_t cellWidth = toolbar.buttonWidth * scale;
    const int32_t buttons = static_cast<int32_t>(
        std::count_if(toolbar.items.begin(), toolbar.items.end(),
                      [](const ToolBarItem& item) { return !item.IsSeparator(); }));
    platform::BitmapData strip;
    strip.width = cellWidth * buttons;
    strip.height = toolbar.buttonHeight * scale;
    strip.pixels.assign(static_cast<size_t>(strip.width) * static_cast<size_t>(strip.height),
                        kTransparent);
    int32_t cell = 0;
    for (const ToolBarItem& item : toolbar.items) {
        if (item.IsSeparator())
            continue;
        if (const PixelIcon* icon = FindToolBarImage(item.command)) {
            const platform::BitmapData image = RenderIcon(*icon, scale);
            // An image larger than the cell is clipped to it.
            const int32_t w = std::min(image.width, cellWidth);
            const int32_t h = std::min(image.height, strip.height);
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x)
                    strip.pixels[static_cast<size_t>(y) * static_cast<size_t>(strip.width) +
                                 static_cast<size_t>(cell * cellWidth + x)] = image.At(x, y);
        }
        ++cell;
    }
    return strip;
}

std::span<const uint32_t> StatusBarPanes() {
    return kStatusPanes;
}

std::span<const uint32_t> WorkbenchStatusPanes() {
    return kWorkbenchPanes;
}

} // namespace app
