#include <gtest/gtest.h>

#include <vector>

#include "platform/scrollbar.h"

namespace platform {
namespace {

ScrollInfo Info(uint32_t mask, int32_t min, int32_t max, uint32_t page, int32_t pos) {
    ScrollInfo si;
    si.fMask = mask;
    si.nMin = min;
    si.nMax = max;
    si.nPage = page;
    si.nPos = pos;
    return si;
}

constexpr uint32_t kAll = SIF_RANGE | SIF_PAGE | SIF_POS;
constexpr uint32_t kAllNoScroll = kAll | SIF_DISABLENOSCROLL;

TEST(ScrollBarState, ClampingAndEnablingFollowTheBarsRules) {
    struct Step {
        ScrollInfo set;
        int32_t min, max;
        uint32_t page;
        int32_t pos;
        bool enabled, visible;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"position clamped so the page stays inside the range",
         {{Info(kAllNoScroll, 0, 99, 20, 95), 0, 99, 20, 80, true, true}}},
        {"negative position clamped to the minimum",
         {{Info(kAllNoScroll, 0, 99, 20, -5), 0, 99, 20, 0, true, true}}},
        {"everything fits: disabled but visible, position forced to 0",
         {{Info(kAllNoScroll, 0, 9, 10, 5), 0, 9, 10, 0, false, true}}},
        {"everything fits without SIF_DISABLENOSCROLL: hidden",
         {{Info(kAll, 0, 9, 10, 5), 0, 9, 10, 0, true, false}}},
        {"a longer text enables the bar again",
         {{Info(kAllNoScroll, 0, 9, 10, 0), 0, 9, 10, 0, false, true},
          {Info(kAllNoScroll, 0, 99, 10, 0), 0, 99, 10, 0, true, true}}},
        {"a page-only change does not enable a disabled bar",
         {{Info(kAllNoScroll, 0, 9, 10, 0), 0, 9, 10, 0, false, true},
          {Info(SIF_PAGE, 0, 0, 2, 0), 0, 9, 2, 0, false, true}}},
        {"an inverted range becomes 0..0",
         {{Info(kAllNoScroll, 0, -1, 5, 3), 0, 0, 1, 0, false, true}}},
        {"the page is cut to the range",
         {{Info(kAllNoScroll, 0, 4, 50, 0), 0, 4, 5, 0, false, true}}},
        {"page 0 lets the position reach the maximum",
         {{Info(kAllNoScroll, 0, 10, 0, 10), 0, 10, 0, 10, true, true}}},
        {"a shrinking range pulls the position in",
         {{Info(kAllNoScroll, 0, 99, 10, 90), 0, 99, 10, 90, true, true},
          {Info(SIF_RANGE | SIF_DISABLENOSCROLL, 0, 49, 0, 0), 0, 49, 10, 40, true, true}}},
    };
    for (const Case& c : cases) {
        ScrollBarState bar;
        for (const Step& s : c.steps) {
            const int32_t returned = bar.SetScrollInfo(s.set);
            EXPECT_EQ(returned, s.pos) << c.name;
            EXPECT_EQ(bar.Min(), s.min) << c.name;
            EXPECT_EQ(bar.Max(), s.max) << c.name;
            EXPECT_EQ(bar.Page(), s.page) << c.name;
            EXPECT_EQ(bar.Pos(), s.pos) << c.name;
            EXPECT_EQ(bar.IsEnabled(), s.enabled) << c.name;
            EXPECT_EQ(bar.IsVisible(), s.visible) << c.name;
        }
    }
}

TEST(ScrollBarState, GetScrollInfoFillsOnlyWhatIsAsked) {
    ScrollBarState bar;
    bar.SetScrollInfo(Info(kAllNoScroll, 0, 99, 20, 30));
    bar.SetTrackPos(42);
    ScrollInfo si = Info(SIF_POS | SIF_TRACKPOS, -7, -7, 7, -7);
    ASSERT_TRUE(bar.GetScrollInfo(si));
    EXPECT_EQ(si.nPos, 30);
    EXPECT_EQ(si.nTrackPos, 42);
    EXPECT_EQ(si.nMin, -7);
    EXPECT_EQ(si.nPage, 7u);
    si.fMask = SIF_ALL;
    bar.GetScrollInfo(si);
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 99);
    EXPECT_EQ(si.nPage, 20u);
}

TEST(ScrollBarState, EnableScrollBarOverridesUntilTheNextRangeChange) {
    ScrollBarState bar;
    bar.SetScrollInfo(Info(kAllNoScroll, 0, 99, 20, 0));
    bar.Enable(ESB_DISABLE_BOTH);
    EXPECT_FALSE(bar.IsEnabled());
    bar.SetScrollInfo(Info(SIF_POS, 0, 0, 0, 10));
    EXPECT_FALSE(bar.IsEnabled());
    bar.SetScrollInfo(Info(SIF_RANGE | SIF_DISABLENOSCROLL, 0, 99, 0, 0));
    EXPECT_TRUE(bar.IsEnabled());
}

} // namespace
} // namespace platform
