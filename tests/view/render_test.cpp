// What the painted view looks like, read back cell by cell from the headless screen.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "view_harness.h"

namespace viewtest {
namespace {

// What a row is expected to show, one letter per text cell:
//   N K C D S P  a character in normal text, keyword, comment, number, string, preprocessor
//                colour on the text background
//   X            a selected character
//   M            the one-cell mark of a selected line end (selection background, no glyph)
//   _            right of the line's end or below the text: the whitespace colour, no glyph
struct RowLook {
    const char* chars; // the characters of the row; '_' where no glyph is expected
    const char* look;
};

int32_t ClassColor(char look) {
    switch (look) {
    case 'N':
        return ColorNormalText;
    case 'K':
        return ColorKeyword;
    case 'C':
        return ColorComment;
    case 'D':
        return ColorNumber;
    case 'S':
        return ColorString;
    case 'P':
        return ColorPreprocessor;
    default:
        return -1;
    }
}

// Rows shorter than `width` continue with '_'.
void ExpectRows(const Harness& h, int32_t width, const std::vector<RowLook>& rows) {
    const auto padded = [width](std::string s) {
        s.resize(static_cast<size_t>(width), '_');
        return s;
    };
    for (size_t row = 0; row < rows.size(); ++row) {
        const std::string look = padded(rows[row].look);
        const auto r = static_cast<int32_t>(row);
        EXPECT_EQ(h.Row(r, width), padded(rows[row].chars)) << "row " << row;
        for (size_t col = 0; col < look.size(); ++col) {
            const Cell& cell = h.At(static_cast<int32_t>(col), r);
            const char l = look[col];
            const std::string where =
                "row " + std::to_string(row) + " column " + std::to_string(col) + " '" + l + "'";
            if (l == '_') {
                EXPECT_EQ(cell.back, Distinct(ColorWhitespace)) << where;
            } else if (l == 'M') {
                EXPECT_EQ(cell.back, Distinct(ColorSelectionBackground)) << where;
                EXPECT_EQ(cell.ch, 0) << where;
            } else if (l == 'X') {
                EXPECT_EQ(cell.back, Distinct(ColorSelectionBackground)) << where;
                EXPECT_EQ(cell.text, Distinct(ColorSelectedText)) << where;
            } else {
                EXPECT_EQ(cell.back, Distinct(ColorBackground)) << where;
                EXPECT_EQ(cell.text, Distinct(ClassColor(l))) << where;
            }
        }
    }
}

TEST(ViewRendering, ColoursAZ80SourceCellByCell) {
    Harness h("start:\tld a,0FFh ; load\n"
              "\tdb \"hi\",'x'\n"
              "/* block\n"
              "comment */ nop\n"
              "%define X\n",
              28, 8);
    h.Paint();
    ExpectRows(h, 28,
               {
                   {"start:  ld a,0FFh ; load", "NNNNNNNNKKNKNDDDDNCCCCCC"},
                   {"    db \"hi\",'x'", "NNNNKKNSSSSNSSS"},
                   {"/* block", "CCCCCCCC"},
                   {"comment */ nop", "CCCCCCCCCCNKKK"},
                   {"%define X", "PPPPPPPPP"},
                   {"", ""},
                   {"", ""},
               });
    // Below the text the margin keeps its colour and the text area is whitespace.
    for (int32_t row = 0; row < 8; ++row)
        EXPECT_EQ(h.MarginAt(row).back, Distinct(ColorSelectionMargin)) << row;
    EXPECT_TRUE(h.window->Screen().AllPainted(h.window->Screen().Bounds()));
}

// A line too long to colour whole is coloured only where the window shows it; wherever the window
// looks, and however the text changes between paints (the parse points the windows leave go
// as far as the change), each cell shows the character and the colour the whole-line parse gives.
TEST(ViewRendering, LongLineDrawnThroughAWindowLooksAsColouredWhole) {
    const char* const pieces[] = {"ld",    " ",   "a,",   "0FFh", "\t",  "/*", "x",  "*/",
                                  "\"s\"", "'q'", "call", "12",   "nop", "%",  "hl", "ix"};
    std::string line;
    for (size_t k = 0; line.size() < 2 * CTextView::kWholeLineColoring + 5000; ++k)
        line += pieces[(k * 7 + k / 5) % std::size(pieces)];
    constexpr int32_t kColumns = 30;
    Harness h("above\n" + line, kColumns, 3);
    std::mt19937 rng(3);
    for (int round = 0; round < 24; ++round) {
        const std::string text(h.buffer.LineText(1));
        const uint32_t state = h.view->GetParserStateAfter(0);
        std::vector<TextBlock> blocks(2 * text.size() + 2);
        int count = 0;
        ColorizeZ80Line(state, text.data(), static_cast<int>(text.size()), blocks.data(), count);
        // The colour and the character shown in every expanded column, as a whole-line draw
        // gives them.
        std::vector<int32_t> colors(text.size(), ColorNormalText);
        for (int k = 0; k < count; ++k)
            for (size_t i = static_cast<size_t>(std::max(blocks[k].startChar, 0));
                 i < text.size() &&
                 (k + 1 == count || i < static_cast<size_t>(blocks[k + 1].startChar));
                 ++i)
                colors[i] = blocks[k].colorIndex;
        std::vector<int64_t> cellChar;
        for (size_t i = 0; i < text.size(); ++i) {
            const size_t width = text[i] == '\t' ? 4 - cellChar.size() % 4 : 1;
            cellChar.insert(cellChar.end(), width, static_cast<int64_t>(i));
        }
        const auto expanded = static_cast<int32_t>(cellChar.size());
        const int32_t looks[] = {0, static_cast<int32_t>(rng() % expanded), expanded - 13,
                                 expanded + 3};
        const int32_t first = looks[round % 4];
        h.view->SetFirstColumnForTest(first);
        h.view->ResetCounts();
        h.view->spanCalls = 0;
        h.Paint();
        EXPECT_EQ(h.view->spanCalls, first < expanded ? 1 : 0);
        for (int32_t c = 0; c < kColumns; ++c) {
            const Cell& cell = h.At(c, 1);
            const int64_t column = int64_t{first} + c;
            const std::string where = "round " + std::to_string(round) + " first " +
                                      std::to_string(first) + " cell " + std::to_string(c);
            if (column >= expanded) {
                EXPECT_EQ(cell.back, Distinct(ColorWhitespace)) << where;
                continue;
            }
            const auto i = static_cast<size_t>(cellChar[static_cast<size_t>(column)]);
            EXPECT_EQ(cell.ch, static_cast<uint8_t>(text[i] == '\t' ? ' ' : text[i])) << where;
            EXPECT_EQ(cell.text, Distinct(colors[i])) << where;
            EXPECT_EQ(cell.back, Distinct(ColorBackground)) << where;
        }
        // A change on the long line, above it, or one that splits it and joins it again.
        const int at = static_cast<int>(rng() % text.size());
        switch (round % 4) {
        case 0:
            h.Insert(1, at, "\"");
            break;
        case 1:
            h.Delete(1, at, 1, at + 1);
            break;
        case 2:
            h.Insert(0, 0, "/*"); // the long line starts in a comment now
            break;
        default:
            h.Insert(1, at, "\n");
            h.Delete(1, at, 2, 0);
            break;
        }
    }
}

TEST(ViewRendering, BaseViewDrawsEverythingAsNormalText) {
    Harness h("ld a, 1 ; x\n\"s\"", 16, 3);
    h.view->colorize = false;
    h.Paint();
    ExpectRows(h, 16,
               {
                   {"ld a, 1 ; x", "NNNNNNNNNNN"},
                   {"\"s\"", "NNN"},
                   {"", ""},
               });
    int32_t count = 7;
    std::vector<TextBlock> blocks(4);
    EXPECT_EQ(h.view->CTextView::ColorizeLine(0x4, 0, blocks.data(), count), 0u);
    EXPECT_EQ(count, 7);
}

TEST(ViewRendering, SelectionAndSelectedLineEnds) {
    struct Case {
        const char* name;
        bool focused;
        bool keepVisible;
        TextPosition first;
        TextPosition second;
        std::vector<RowLook> rows;
    };
    const std::vector<RowLook> plain{
        {"abcd", "NNNN"},
        {"xy", "NN"},
        {"", ""},
        {"last", "NNNN"},
    };
    const std::vector<Case> cases{
        {"a selection ending at a line start marks every fully selected line end",
         true,
         false,
         {2, 0},
         {0, 3},
         {
             {"abcd", "NNXXM"},
             {"xy", "XXM"},
             {"", "M"},
             {"last", "NNNN"},
         }},
        {"the same selection made backwards",
         true,
         false,
         {0, 3},
         {2, 0},
         {
             {"abcd", "NNXXM"},
             {"xy", "XXM"},
             {"", "M"},
             {"last", "NNNN"},
         }},
        {"inside one line",
         true,
         false,
         {1, 3},
         {3, 3},
         {plain[0], plain[1], plain[2], {"last", "NXXN"}}},
        {"not drawn without the focus", false, false, {2, 0}, {0, 3}, plain},
        {"drawn without the focus when kept visible",
         false,
         true,
         {1, 1},
         {4, 3},
         {plain[0], {"xy", "NXM"}, {"", "M"}, {"last", "XXXX"}}},
        {"an empty selection draws nothing", true, false, {1, 1}, {1, 1}, plain},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h("abcd\nxy\n\nlast", 8, 5);
        h.view->colorize = false;
        if (c.focused)
            h.window->Focus();
        h.view->SetKeepSelectionVisible(c.keepVisible);
        h.view->SelectRange(c.first, c.second);
        h.Paint();
        ExpectRows(h, 8, c.rows);
    }
}

TEST(ViewRendering, TabInsideASelectedRunIsSelectedSpaces) {
    Harness h("a\tb\n\tz", 8, 3);
    h.view->colorize = false;
    h.window->Focus();
    h.view->SelectRange({1, 0}, {2, 0});
    h.Paint();
    ExpectRows(h, 8, {{"a   b", "NXXXN"}, {"    z", "NNNNN"}});
    // The selected cells of the tab hold blanks in the selected colours.
    EXPECT_EQ(h.At(2, 0).ch, ' ');
}

TEST(ViewRendering, FlaggedLinesTakeTheirColourAcrossTheRow) {
    struct Case {
        LineFlags flag;
        ColorRef background; // CLR_NONE: the normal colours
    };
    const Case cases[] = {
        {MarginMarkA, 0x008000},
        {MarginMarkB, 0x0000FF},
        {MarginMarkD, 0x008080},
        {MarginMarkC, platform::CLR_NONE},
        {PlainBookmark, platform::CLR_NONE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flag);
        Harness h("ld a\nnext", 10, 3);
        h.buffer.ChangeLineFlag(0, c.flag, true, false);
        h.Paint();
        for (int32_t col = 0; col < 10; ++col) {
            const Cell& cell = h.At(col, 0);
            if (c.background == platform::CLR_NONE) {
                EXPECT_EQ(cell.back, Distinct(col < 4 ? ColorBackground : ColorWhitespace)) << col;
            } else {
                EXPECT_EQ(cell.back, c.background) << col;
                if (col < 4) {
                    EXPECT_EQ(cell.text, 0xFFFFFFu) << col;
                }
            }
        }
        EXPECT_EQ(h.At(0, 1).back, Distinct(ColorBackground));
    }
}

TEST(ViewRendering, MarginIconsFollowTheIconTableOrder) {
    struct Case {
        std::vector<LineFlags> flags;
        int32_t icon; // -1: none
    };
    const Case cases[] = {
        {{NumberedBookmark0, NumberedBookmark3}, 5},
        {{NumberedBookmark0}, 12},
        {{NumberedBookmark1}, 3},
        {{PlainBookmark}, 13},
        {{PlainBookmark, NumberedBookmark9}, 11},
        {{MarginMarkC, MarginMarkA}, 0},
        {{MarginMarkB, NumberedBookmark2}, 1},
        {{MarginMarkD}, -1}, // its entry has no picture
        {{}, -1},
    };
    std::string text;
    for (size_t i = 0; i < std::size(cases); ++i)
        text += "line\n";
    Harness h(text, 8, static_cast<int32_t>(std::size(cases)) + 1);
    for (size_t i = 0; i < std::size(cases); ++i)
        for (LineFlags f : cases[i].flags)
            h.buffer.ChangeLineFlag(static_cast<int>(i), f, true, false);
    h.Paint();
    std::vector<platform::headless::DrawnIcon> expected;
    for (size_t i = 0; i < std::size(cases); ++i) {
        if (cases[i].icon >= 0)
            expected.push_back(
                {cases[i].icon,
                 {2, static_cast<int32_t>(i) * 16, 18, static_cast<int32_t>(i) * 16 + 16}});
    }
    std::vector<platform::headless::DrawnIcon> drawn = h.window->Screen().Icons();
    std::sort(drawn.begin(), drawn.end(),
              [](const auto& a, const auto& b) { return a.rect.top < b.rect.top; });
    EXPECT_EQ(drawn, expected);
}

TEST(ViewRendering, MarginIconStripHoldsFourteenImages) {
    const platform::BitmapData& strip = view::MarginIconStrip();
    ASSERT_EQ(strip.width, 14 * 16);
    ASSERT_EQ(strip.height, 16);
    // Every image draws something and leaves a transparent border pixel.
    for (int32_t image = 0; image < 14; ++image) {
        int32_t painted = 0;
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 16; ++x)
                painted += strip.At(image * 16 + x, y) != view::kMarginIconMask;
        EXPECT_GT(painted, 30) << image;
        EXPECT_EQ(strip.At(image * 16 + 15, 15), view::kMarginIconMask) << image;
    }
}

TEST(ViewRendering, HorizontalScrollShowsTheLaterColumns) {
    Harness h("0123456789abcdef\n\tx", 8, 3);
    h.view->colorize = false;
    h.view->ScrollToColumn(3, true);
    h.Paint();
    ExpectRows(h, 8, {{"3456789a", "NNNNNNNN"}, {" x", "NN"}});
    EXPECT_EQ(h.Bar(platform::SB_HORZ).State().Pos(), 3);
}

TEST(ViewRendering, LeftEdgeSelectionMarksFollowHorizontalScrolls) {
    // Selected: the end of "abcd", the empty line and the end of "xy". Scrolled right of both
    // line ends, every mark is drawn in the first text cell; scrolled back, at its column. The
    // screen after each scroll must be what a full repaint draws.
    Harness h("0123456789abcdefghij\nabcd\n\nxy\nlast", 8, 6);
    h.view->colorize = false;
    h.window->Focus();
    h.view->SelectRange({4, 1}, {0, 4});
    h.Paint();
    for (int32_t column : {1, 6, 9, 3, 0, 12, 11, 2}) {
        h.window->Scroll(platform::SB_HORZ, platform::SB_THUMBPOSITION, column);
        h.window->Paint();
        const platform::headless::CellGrid shown = h.window->Screen();
        h.Paint();
        EXPECT_TRUE(shown == h.window->Screen()) << "scrolled to column " << column;
    }
    ExpectRows(h, 8, {{"23456789", "NNNNNNNN"}, {"cd", "NNM"}, {"", "M"}, {"", "M"}, {"st", "NN"}});
}

TEST(ViewRendering, DefaultColoursOfTheBaseView) {
    Harness h("ld a,1 ; c\n\"s\"\n%p", 12, 4);
    h.view->distinctColors = false;
    h.Paint();
    EXPECT_EQ(h.At(0, 0).text, 0xFF0000u); // keyword
    EXPECT_EQ(h.At(2, 0).text, 0x000000u); // normal text: the window text colour
    EXPECT_EQ(h.At(5, 0).text, 0x000080u); // number
    EXPECT_EQ(h.At(7, 0).text, 0x808080u); // comment
    EXPECT_EQ(h.At(0, 1).text, 0x0000FFu); // string
    EXPECT_EQ(h.At(0, 2).text, 0xC08000u); // preprocessor
    EXPECT_EQ(h.At(0, 0).back, 0xFFFFFFu); // the window colour
    EXPECT_EQ(h.MarginAt(0).back, 0xC8C8C8u);
    EXPECT_EQ(h.view->ColorOf(ColorSelectionBackground), 0x000000u);
    EXPECT_EQ(h.view->ColorOf(ColorSelectedText), 0xFFFFFFu);
    EXPECT_EQ(h.view->ColorOf(12), 0x0000FFu);
    EXPECT_EQ(h.view->ColorOf(-1), 0x0000FFu);
    // The system colours are read when painting.
    h.system.SetSysColor(platform::COLOR_WINDOW, 0x102030);
    h.view->OnSysColorChange();
    h.window->Paint();
    EXPECT_EQ(h.At(11, 3).back, 0x102030u);
}

TEST(ViewRendering, LongLinesAreCutAtTheRightEdge) {
    // A line far wider than the window, scrolled to its middle: only the visible part is drawn.
    std::string line(200000, 'x');
    line[100000] = 'M';
    Harness h(line, 10, 2);
    h.view->colorize = false;
    h.view->ScrollToColumn(99995, true);
    h.Paint();
    EXPECT_EQ(h.Row(0, 10), "xxxxxMxxxx");
}

} // namespace
} // namespace viewtest
