#include <gtest/gtest.h>

#include "platform/accel.h"
#include "platform/resources.h"

namespace platform {
namespace {

TEST(AccelTable, ModifiersMustMatchExactly) {
    const AccelTable table{
        {FVIRTKEY | FCONTROL, 'C', 57634},
        {FVIRTKEY, VK_DELETE, 37000},
        {FVIRTKEY | FSHIFT, VK_DELETE, 57635},
        {FVIRTKEY | FALT, VK_BACK, 57643},
        {FVIRTKEY | FCONTROL | FSHIFT, VK_LEFT, 37105},
        {FVIRTKEY | FCONTROL, VK_LEFT, 37104},
        {FVIRTKEY | FCONTROL, 'C', 99999}, // shadowed: the first entry wins
    };
    struct Case {
        uint32_t key;
        uint32_t mods;
        uint32_t cmd; // 0: no entry
    };
    const Case cases[] = {
        {'C', ModControl, 57634},
        {'C', ModNone, 0},
        {'C', ModControl | ModShift, 0},
        {VK_DELETE, ModNone, 37000},
        {VK_DELETE, ModShift, 57635},
        {VK_DELETE, ModControl, 0},
        {VK_BACK, ModAlt, 57643},
        {VK_LEFT, ModControl | ModShift, 37105},
        {VK_LEFT, ModControl, 37104},
        {VK_LEFT, ModNone, 0},
        {'V', ModControl, 0},
    };
    for (const Case& c : cases) {
        const auto got = table.Find(c.key, c.mods);
        if (c.cmd == 0)
            EXPECT_FALSE(got.has_value()) << c.key << " " << c.mods;
        else
            EXPECT_EQ(got.value_or(0), c.cmd) << c.key << " " << c.mods;
    }
}

TEST(ResourceModule, TablesAndBitmapsAreFoundByIdOnly) {
    ResourceModule module;
    module.AddAccelerators(22901, AccelTable{{FVIRTKEY, VK_F3, 57640}});
    module.AddBitmap(22902, BitmapData{32, 16, std::vector<ColorRef>(32 * 16, 0xFFFFFF)});
    ASSERT_NE(module.LoadAccelerators(22901), nullptr);
    EXPECT_EQ(module.LoadAccelerators(22901)->Find(VK_F3, ModNone), 57640u);
    EXPECT_EQ(module.LoadAccelerators(22902), nullptr);
    ASSERT_NE(module.LoadBitmap(22902), nullptr);
    EXPECT_EQ(module.LoadBitmap(22902)->width, 32);
    EXPECT_EQ(module.LoadBitmap(1), nullptr);
}

} // namespace
} // namespace platform
