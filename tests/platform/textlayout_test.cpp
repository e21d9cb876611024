// Word-wrapped text: rows for a width, DrawText's placing and measuring, and MulDiv.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/headless/headless_print.h"
#include "platform/textlayout.h"

namespace {

using platform::CharWidths;
using platform::Rect;
using platform::TextRow;

// Every byte 8 units wide, except 'i' (4) and 'm' (12).
CharWidths Widths() {
    CharWidths w{};
    w.fill(8);
    w['i'] = 4;
    w['m'] = 12;
    return w;
}

std::vector<std::string> Rows(std::string_view text, int64_t width, bool wordBreak = true,
                              bool lineBreaks = true) {
    std::vector<TextRow> rows;
    platform::WrapText(text, width, Widths(), wordBreak, lineBreaks, rows);
    std::vector<std::string> out;
    for (const TextRow& r : rows)
        out.emplace_back(
            text.substr(static_cast<size_t>(r.begin), static_cast<size_t>(r.end - r.begin)));
    return out;
}

using Strings = std::vector<std::string>;

TEST(WrapText, RowsForAWidth) {
    struct Case {
        const char* text;
        int64_t width;
        Strings rows;
    };
    const Case cases[] = {
        {"", 80, {""}},
        {"ld a,1", 80, {"ld a,1"}},
        {"ld a,1", 48, {"ld a,1"}},             // exactly the width
        {"abc def", 40, {"abc", "def"}},        // the blank hangs at the break
        {"abc    def", 40, {"abc", "def"}},     // so do several
        {"abc def ", 56, {"abc def "}},         // a blank past the edge still hangs
        {"abcdefgh", 24, {"abc", "def", "gh"}}, // a word wider than the row is broken
        {"ab cdefgh", 24, {"ab", "cde", "fgh"}},
        {"  ab cd", 32, {"  ab", "cd"}}, // indentation stays
        {"ab", 0, {"a", "b"}},           // no room: a character a row
        {"ab", -5, {"a", "b"}},
        {"mmm iii", 40, {"mmm", "iii"}}, // advances, not cells
        {"iiiiiiiiii", 40, {"iiiiiiiiii"}},
        {"a\r\nb\nc\rd", 80, {"a", "b", "c", "d"}},
        {"ab\n", 80, {"ab", ""}},
        {"\n\n", 80, {"", "", ""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(c.text, c.width), c.rows) << '"' << c.text << "\" in " << c.width;
    EXPECT_EQ(Rows("a\nb c", 8, false, false), (Strings{"a\nb c"})) << "one row";
    EXPECT_EQ(Rows("a\nb c", 8, false, true), (Strings{"a", "b c"})) << "line breaks only";
}

TEST(DrawText, PlacesAndMeasuresRows) {
    platform::headless::HeadlessPrintSurface dc{platform::headless::HeadlessPaper{}};
    platform::headless::PrintedPage page;
    dc.SetPage(&page);

    Rect rect{10, 20, 50, 100};
    EXPECT_EQ(dc.DrawText("abc def ghijk", rect,
                          platform::DT_CALCRECT | platform::DT_WORDBREAK | platform::DT_NOPREFIX),
              48);
    EXPECT_EQ(rect, (Rect{10, 20, 50, 68})) << "three rows, the widest 40 wide";
    EXPECT_TRUE(page.texts.empty()) << "measuring draws nothing";

    // Rows past the bottom are clipped away, the others are clipped to the rectangle.
    rect = {10, 20, 50, 52};
    EXPECT_EQ(dc.DrawText("abc def ghijk", rect, platform::DT_WORDBREAK), 48);
    EXPECT_EQ(page.Rows(), (Strings{"20:abc", "36:def"}));
    EXPECT_TRUE(page.texts[0].clipped);
    EXPECT_EQ(page.texts[0].clip, rect);

    // One row centred on the bottom of its band.
    page.texts.clear();
    rect = {0, 0, 100, 30};
    dc.DrawText("Page 1/1", rect,
                platform::DT_SINGLELINE | platform::DT_CENTER | platform::DT_BOTTOM);
    ASSERT_EQ(page.texts.size(), 1u);
    EXPECT_EQ(page.texts[0].at, (platform::Point{18, 14}));

    page.texts.clear();
    rect = {0, 0, 8, 16};
    dc.DrawText("a\nb", rect, platform::DT_NOCLIP);
    EXPECT_EQ(page.Rows(), (Strings{"0:a", "16:b"}));
    EXPECT_FALSE(page.texts[1].clipped);
}

TEST(MulDiv, RoundsHalfAwayFromZero) {
    struct Case {
        int32_t a, b, c, result;
    };
    const Case cases[] = {
        {16, 600, 192, 50},   {8, 300, 192, 13},     {-8, 300, 192, -13},
        {-16, 600, 192, -50}, {1000, 192, 2540, 76}, {5, 1, -2, -3},
        {1, 1, 0, -1},        {INT_MAX, 2, 1, -1},   {INT_MAX, 2, 2, INT_MAX},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::MulDiv(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
}

} // namespace
