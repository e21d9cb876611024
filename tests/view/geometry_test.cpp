// Tab expansion, columns, pixels and the visible extent of the view.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "view/tabexpand.h"
#include "view_harness.h"

namespace viewtest {
namespace {

TEST(ViewGeometry, ColumnsFollowTheTabStops) {
    struct Case {
        const char* line;
        int32_t index;
        int32_t column; // CharIndexToColumn(index)
    };
    const Case cases[] = {
        {"a\tb", 0, 0},   {"a\tb", 1, 1},    {"a\tb", 2, 4},  {"a\tb", 3, 5},
        {"abc\td", 4, 4}, {"abcd\te", 5, 8}, {"\t\tx", 2, 8}, {"ab", 7, 2},
        {"\t", -3, 0},    {"x\t\ty", 3, 8},  {"", 0, 0},      {"abc\t", 4, 4},
    };
    for (const Case& c : cases) {
        Harness h(c.line, 40, 4);
        EXPECT_EQ(h.view->CharIndexToColumn(0, c.index), c.column)
            << c.line << " index " << c.index;
    }
}

TEST(ViewGeometry, ExpandedLengthsOfLines) {
    Harness h("a\tb\nabc\td\nabcd\te\n\n\t\t\nplain", 40, 4);
    const int32_t expected[] = {5, 5, 9, 0, 8, 5};
    for (int32_t line = 0; line < 6; ++line)
        EXPECT_EQ(h.view->GetExpandedLineLength(line), expected[line]) << "line " << line;
    EXPECT_EQ(h.view->GetWidestLineColumns(), 9);
}

TEST(ViewGeometry, ColumnToCharIndexRoundsInsideTabs) {
    struct Case {
        const char* line;
        int32_t column;
        int32_t index;
    };
    const Case cases[] = {
        // A tab spanning columns 0 to 4: the first half gives the tab, the second what follows.
        {"\tx", 0, 0},
        {"\tx", 1, 0},
        {"\tx", 2, 0},
        {"\tx", 3, 1},
        {"\tx", 4, 1},
        {"\tx", 5, 2},
        // Plain characters: the index after the character whose end reaches the column.
        {"abc", 1, 1},
        {"abc", 2, 2},
        {"abc", 3, 3},
        {"abc", 9, 3},
        {"", 3, 0},
        // The half of a tab is counted in tab-size columns, whatever the tab's true width.
        {"ab\tc", 2, 2},
        {"ab\tc", 3, 3},
        {"ab\tc", 4, 3},
    };
    for (const Case& c : cases) {
        Harness h(c.line, 40, 4);
        EXPECT_EQ(h.view->ColumnToCharIndex(0, c.column), c.index)
            << c.line << " column " << c.column;
    }
}

// The column walks jump from tab to tab; a step per byte is the plain statement of the rule.
TEST(ViewGeometry, ColumnWalksAgreeWithAStepPerCharacter) {
    std::mt19937 rng(7);
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        for (int n = static_cast<int>(rng() % 24); n > 0; --n)
            line += rng() % 3 == 0 ? '\t' : 'x';
        const auto length = static_cast<int32_t>(line.size());
        const auto tab = static_cast<int32_t>(1 + rng() % 8);
        const auto column = static_cast<int32_t>(rng() % 80) - 2;
        int64_t reached = 0;
        int32_t nearest = length;
        int32_t covering = length;
        int64_t coveringStart = 0;
        bool nearestFound = column <= 0;
        if (column <= 0)
            nearest = 0;
        for (int32_t i = 0; i < length; ++i) {
            const int64_t start = reached;
            reached = line[static_cast<size_t>(i)] == '\t' ? reached + (tab - reached % tab)
                                                           : reached + 1;
            if (!nearestFound && reached >= column) {
                nearest = column <= reached - tab / 2 ? i : i + 1;
                nearestFound = true;
            }
            if (covering == length && reached > std::max(column, 0)) {
                covering = i;
                coveringStart = start;
            }
        }
        if (covering == length)
            coveringStart = reached;
        const auto trace = testing::Message()
                           << "line \"" << line << "\" tab " << tab << " column " << column;
        ASSERT_EQ(tabs::ColumnToIndex(line.data(), length, column, tab), nearest) << trace;
        int64_t start = -1;
        ASSERT_EQ(tabs::ColumnToCoveringIndex(line.data(), length, column, tab, &start), covering)
            << trace;
        ASSERT_EQ(start, coveringStart) << trace;
    }
}

// On a line long enough for the view's column checkpoints, lookups agree with walking the whole
// line, however the line is edited between them (above it, on it, splitting and joining it).
TEST(ViewGeometry, LongLineColumnsAgreeWithAWalkThroughEdits) {
    std::mt19937 rng(11);
    std::string line;
    while (line.size() < 3 * LineColumnIndex::kStep)
        line += rng() % 5 == 0 ? '\t' : static_cast<char>('a' + rng() % 26);
    Harness h("above\n" + line, 40, 4);
    CTextView& view = *h.view;
    const auto check = [&](int round) {
        const std::string_view text = h.buffer.LineText(1);
        const auto length = static_cast<int32_t>(text.size());
        for (int k = 0; k < 6; ++k) {
            const auto index = static_cast<int32_t>(rng() % (text.size() + 2));
            const auto column = static_cast<int32_t>(rng() % (text.size() * 2 + 10));
            const auto trace = testing::Message()
                               << "round " << round << " index " << index << " column " << column;
            ASSERT_EQ(view.CharIndexToColumn(1, index),
                      tabs::IndexToColumn(text.data(), length, index, 4))
                << trace;
            ASSERT_EQ(view.ColumnToCharIndex(1, column),
                      tabs::ColumnToIndex(text.data(), length, column, 4))
                << trace;
            int64_t start = 0;
            int64_t expectedStart = 0;
            ASSERT_EQ(view.ColumnToCoveringIndex(1, column, &start),
                      tabs::ColumnToCoveringIndex(text.data(), length, column, 4, &expectedStart))
                << trace;
            ASSERT_EQ(start, expectedStart) << trace;
        }
        ASSERT_EQ(view.GetExpandedLineLength(1), tabs::ExpandedLength(text.data(), length, 4));
    };
    for (int round = 0; round < 40; ++round) {
        check(round);
        const auto length = static_cast<int>(h.buffer.LineLength(1));
        const int at = static_cast<int>(rng() % static_cast<unsigned>(length + 1));
        switch (rng() % 5) {
        case 0:
            h.Insert(1, at, rng() % 2 ? "\t" : "xyz");
            break;
        case 1:
            h.Delete(1, at, 1, std::min(length, at + static_cast<int>(rng() % 9)));
            break;
        case 2:
            h.Insert(0, 0, "new\n"); // the long line moves down, and back
            h.Delete(0, 0, 1, 0);
            break;
        case 3:
            h.Insert(1, at, "\n"); // split, then joined again
            h.Delete(1, at, 2, 0);
            break;
        default:
            h.Insert(0, 2, "\t"); // a change above it
            break;
        }
    }
}

TEST(ViewGeometry, ExpandTabsLinesUpWithTheTrueColumns) {
    struct Case {
        const char* line;
        int32_t offset;
        int32_t count;
        const char* expanded;
    };
    const Case cases[] = {
        {"ab\tc", 2, 2, "  c"},    // the tab sits at column 2
        {"ab\tc", 0, 4, "ab  c"},  //
        {"abc\td", 3, 1, " "},     // a tab at column 3 is one space
        {"abcd\te", 4, 1, "    "}, // at column 4 four
        {"\t\t", 1, 1, "    "},    //
        {"no tabs", 3, 4, "tabs"}, //
        {"a\tb", 0, 0, ""},        //
        {"a\tb", 1, -2, ""},       //
    };
    for (const Case& c : cases) {
        Harness h(c.line, 40, 4);
        std::string out = "junk";
        h.view->ExpandTabs(c.line, c.offset, c.count, out);
        EXPECT_EQ(out, c.expanded) << c.line << " from " << c.offset;
    }
}

TEST(ViewGeometry, ClicksLandBeforeTheCharacterUnderThePointer) {
    // Line 1 is "a\tbc": 'a' in column 0, the tab in columns 1 to 3, 'b' in 4, 'c' in 5.
    Harness h("first\na\tbc\n\nlast", 40, 10);
    struct Case {
        Point point;
        TextPosition expected;
    };
    const int32_t row1 = kCellHeight + 3;
    const auto x = [](int32_t column, int32_t inCell) { return kMargin + column * 8 + inCell; };
    const Case cases[] = {
        {{x(0, 1), row1}, {0, 1}},             // left half of 'a'
        {{x(0, 6), row1}, {0, 1}},             // right half of 'a'
        {{x(1, 0), row1}, {1, 1}},             // first cell of the tab
        {{x(3, 7), row1}, {1, 1}},             // last cell of the tab
        {{x(4, 4), row1}, {2, 1}},             // 'b'
        {{x(5, 7), row1}, {3, 1}},             // 'c'
        {{x(30, 0), row1}, {4, 1}},            // past the end
        {{3, row1}, {0, 1}},                   // in the margin
        {{x(2, 0), 2 * kCellHeight}, {0, 2}},  // an empty line
        {{x(2, 0), 15 * kCellHeight}, {2, 3}}, // below the text: the last line
        {{x(1, 0), -5}, {1, 0}},               // above the window: the top line
    };
    for (const Case& c : cases) {
        const TextPosition p = h.view->PointToTextPosition(c.point);
        EXPECT_EQ(p, c.expected) << "at " << c.point.x << "," << c.point.y;
    }
}

TEST(ViewGeometry, TextPositionsMapToCellCorners) {
    Harness h("a\tbc\nxyz", 40, 10);
    EXPECT_EQ(h.view->TextPositionToPoint({0, 0}), (Point{kMargin, 0}));
    EXPECT_EQ(h.view->TextPositionToPoint({2, 0}), (Point{kMargin + 4 * 8, 0}));
    EXPECT_EQ(h.view->TextPositionToPoint({1, 1}), (Point{kMargin + 8, kCellHeight}));
    h.view->ScrollToTopLine(1, true);
    h.view->SetFirstColumnForTest(2);
    EXPECT_EQ(h.view->TextPositionToPoint({0, 0}), (Point{kMargin - 16, -kCellHeight}));
    EXPECT_EQ(h.view->TextPositionToPoint({3, 1}), (Point{kMargin + 8, 0}));
}

TEST(ViewGeometry, VisibleRowsAndColumnsCountWholeCells) {
    struct Case {
        Size client;
        int32_t rows;
        int32_t columns;
    };
    const Case cases[] = {
        {{kMargin + 80, 95}, 5, 10},
        {{kMargin + 87, 96}, 6, 10},
        {{kMargin - 5, 15}, 0, 0},
        {{0, 0}, 0, 0},
    };
    for (const Case& c : cases) {
        Harness h("x", 4, 4);
        h.window->Resize(c.client);
        EXPECT_EQ(h.view->GetVisibleRowCount(), c.rows) << c.client.cy;
        EXPECT_EQ(h.view->GetVisibleColumnCount(), c.columns) << c.client.cx;
    }
}

TEST(ViewGeometry, ViewWithoutBufferIsOneEmptyLine) {
    HeadlessSystem system;
    auto made = std::make_unique<Z80View>();
    Z80View* view = made.get();
    HeadlessWindow window(system, std::move(made), {200, 100});
    EXPECT_EQ(view->TextLineCount(), 1);
    EXPECT_EQ(view->TextLineLength(0), 0);
    EXPECT_EQ(view->GetLineText(0), nullptr);
    EXPECT_EQ(view->TextLineFlags(0), 0u);
    EXPECT_EQ(view->GetWidestLineColumns(), 0);
    EXPECT_EQ(view->PointToTextPosition({150, 90}), (TextPosition{0, 0}));
    window.Paint();
    EXPECT_TRUE(window.Screen().AllPainted(window.Screen().Bounds()));
}

TEST(ViewGeometry, FontsComeFromTheBaseFontAndFallBack) {
    Harness h("x", 4, 4);
    EXPECT_EQ(h.view->GetBaseFont().FaceName(), "FixedSys");
    EXPECT_EQ(h.view->GetRowHeight(), kCellHeight); // the extent of "X"
    EXPECT_EQ(h.view->GetCellWidth(), kCellWidth);
    platform::Font* normal = h.view->GetStyledFont(false, false);
    platform::Font* boldItalic = h.view->GetStyledFont(true, true);
    ASSERT_NE(normal, nullptr);
    ASSERT_NE(boldItalic, nullptr);
    EXPECT_NE(normal, boldItalic);
    EXPECT_EQ(boldItalic->GetLogFont().lfWeight, platform::FW_BOLD);
    EXPECT_EQ(boldItalic->GetLogFont().lfItalic, 1);
    EXPECT_EQ(h.view->GetStyledFont(false, false), normal);

    platform::LogFont lf;
    lf.SetFaceName("Courier New");
    lf.lfHeight = 20;
    h.system.SetFontCreationFails(true);
    h.view->SetBaseFont(lf);
    EXPECT_EQ(h.view->GetStyledFont(false, false), &platform::headless::DefaultFont());
    h.system.SetFontCreationFails(false);
    ASSERT_NE(h.view->GetStyledFont(false, true), &platform::headless::DefaultFont());
    EXPECT_EQ(h.view->GetStyledFont(false, true)->GetLogFont().FaceName(), "Courier New");
}

} // namespace
} // namespace viewtest
