#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/resources/bars.h"
#include "app/resources/icons.h"
#include "app/resources/resourceids.h"
#include "app/resources/resources.h"

namespace {

using namespace app;

TEST(AppBars, ToolbarButtonsInOrder) {
    const ToolBarResource* toolbar = FindToolBar(IDR_MAINFRAME);
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(FindToolBar(129), nullptr);
    const std::vector<uint32_t> expected{57600, 57601, 57603, 57607, 0,     57635, 57634,
                                         57637, 0,     57643, 57644, 0,     57636, 57640,
                                         37126, 57641, 0,     37223, 37224, 37225, 37226};
    std::vector<uint32_t> actual;
    for (const ToolBarItem& item : toolbar->items)
        actual.push_back(item.command);
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(toolbar->buttonWidth, 16);
    EXPECT_EQ(toolbar->buttonHeight, 15);
}

TEST(AppBars, StatusPanesInOrder) {
    const std::vector<uint32_t> expected{0, 37903, 37900, 37902, 59140, 37901, 59137, 59138, 59139};
    const auto panes = StatusBarPanes();
    EXPECT_EQ(std::vector<uint32_t>(panes.begin(), panes.end()), expected);
    // The workbench's pane comes after them, in a list of its own.
    const auto extra = WorkbenchStatusPanes();
    EXPECT_EQ(std::vector<uint32_t>(extra.begin(), extra.end()),
              std::vector<uint32_t>{ID_Z80_INDICATOR_FIGURES});
}

TEST(AppIcons, EveryPictureIsWellFormed) {
    std::vector<std::pair<std::string, const PixelIcon*>> pictures{
        {"app", FindIcon(IDR_MAINFRAME)}, {"doc", FindIcon(IDR_SOURCETYPE)}};
    for (const ToolBarItem& item : FindToolBar(IDR_MAINFRAME)->items)
        if (!item.IsSeparator())
            pictures.emplace_back(std::to_string(item.command), FindToolBarImage(item.command));
    std::set<std::string> seen;
    for (const auto& [name, icon] : pictures) {
        SCOPED_TRACE(name);
        ASSERT_NE(icon, nullptr);
        ASSERT_EQ(icon->rows.size(), static_cast<size_t>(icon->height));
        std::string all;
        for (std::string_view row : icon->rows) {
            EXPECT_EQ(row.size(), static_cast<size_t>(icon->width));
            for (char c : row)
                EXPECT_TRUE(PaletteColor(c).has_value()) << c;
            all += row;
        }
        // Two buttons with the same picture could not be told apart.
        EXPECT_TRUE(seen.insert(all).second);
        EXPECT_NE(all.find_first_not_of('.'), std::string::npos);
    }
    EXPECT_EQ(FindIcon(IDR_MAINFRAME)->width, kIconSize);
    EXPECT_EQ(FindIcon(IDR_MAINFRAME)->height, kIconSize);
    EXPECT_EQ(FindToolBarImage(ID_EDIT_CUT)->width, kToolBarImageWidth);
    EXPECT_EQ(FindToolBarImage(ID_EDIT_CUT)->height, kToolBarImageHeight);
    EXPECT_EQ(FindToolBarImage(ID_APP_ABOUT), nullptr);
}

TEST(AppIcons, DoubleSizeKeepsEveryPixelSharp) {
    const PixelIcon& icon = *FindToolBarImage(ID_FILE_SAVE);
    const platform::BitmapData one = RenderIcon(icon, 1);
    const platform::BitmapData two = RenderIcon(icon, 2);
    ASSERT_EQ(one.width, 16);
    ASSERT_EQ(one.height, 15);
    ASSERT_EQ(two.width, 32);
    ASSERT_EQ(two.height, 30);
    for (int32_t y = 0; y < two.height; ++y)
        for (int32_t x = 0; x < two.width; ++x)
            ASSERT_EQ(two.At(x, y), one.At(x / 2, y / 2)) << x << "," << y;
    EXPECT_EQ(one.At(0, 0), kTransparent);
    EXPECT_EQ(one.At(1, 1), 0x000000u); // the disk's black outline
    EXPECT_EQ(RenderIcon(icon, 0).width, 16);
}

TEST(AppIcons, ToolbarStripHoldsTheButtonsInOrder) {
    const ToolBarResource& toolbar = *FindToolBar(IDR_MAINFRAME);
    const platform::BitmapData strip = ToolBarStrip(toolbar, 2);
    EXPECT_EQ(strip.width, 17 * 32);
    EXPECT_EQ(strip.height, 30);
    // The fifth image is Cut: the gap after Print takes no room.
    const platform::BitmapData cut = RenderIcon(*FindToolBarImage(ID_EDIT_CUT), 2);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 32; ++x)
            ASSERT_EQ(strip.At(4 * 32 + x, y), cut.At(x, y));

    platform::ResourceModule module;
    AddToResourceModule(module, 1);
    ASSERT_NE(module.LoadAccelerators(IDR_MAINFRAME), nullptr);
    ASSERT_NE(module.LoadBitmap(IDR_MAINFRAME), nullptr);
    EXPECT_EQ(module.LoadBitmap(IDR_MAINFRAME)->width, 17 * 16);
}

} // namespace
