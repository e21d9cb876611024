// Scroll bars and their codes, scrolling a position into view, the caret, splitter panes, keys,
// the mouse cursor and the reaction to buffer changes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "view/viewresources.h"
#include "view_harness.h"

namespace viewtest {
namespace {

using platform::SB_HORZ;
using platform::SB_VERT;

// Lines "0", "1", ... without a trailing line break.
std::string Numbered(int count, int width = 0) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::string line = std::to_string(i);
        line.resize(std::max<size_t>(line.size(), static_cast<size_t>(width)), '.');
        text += line;
        if (i + 1 < count)
            text += '\n';
    }
    return text;
}

TEST(ViewScrolling, VerticalScrollCodes) {
    struct Case {
        int32_t top;
        uint32_t code;
        int32_t pos;
        int32_t expected;
    };
    using namespace platform;
    // 100 lines, 20 visible: a page step keeps one line of overlap, the bottom leaves one line
    // of empty space, requests outside the text are clamped.
    const Case cases[] = {
        {0, SB_LINEDOWN, 0, 1},      {0, SB_LINEUP, 0, 0},
        {10, SB_LINEUP, 0, 9},       {0, SB_PAGEDOWN, 0, 19},
        {40, SB_PAGEUP, 0, 21},      {5, SB_PAGEUP, 0, 0},
        {50, SB_TOP, 0, 0},          {0, SB_BOTTOM, 0, 81},
        {0, SB_THUMBTRACK, 50, 50},  {0, SB_THUMBPOSITION, 99, 99},
        {0, SB_THUMBTRACK, 150, 99}, {81, SB_LINEDOWN, 0, 82},
        {99, SB_LINEDOWN, 0, 99},    {90, SB_PAGEDOWN, 0, 99},
        {30, SB_ENDSCROLL, 0, 30},
    };
    for (const Case& c : cases) {
        Harness h(Numbered(100), 10, 20);
        h.view->ScrollToTopLine(c.top, true);
        h.window->Scroll(SB_VERT, c.code, c.pos);
        EXPECT_EQ(h.view->GetTopLine(), c.expected) << "code " << c.code << " from " << c.top;
        h.Paint();
        EXPECT_EQ(h.Row(0, 3).substr(0, std::to_string(c.expected).size()),
                  std::to_string(c.expected));
    }
}

TEST(ViewScrolling, HorizontalScrollCodes) {
    struct Case {
        int32_t first;
        uint32_t code;
        int32_t pos;
        int32_t expected;
    };
    using namespace platform;
    // One line of 100 columns, 30 visible.
    const Case cases[] = {
        {0, SB_LINERIGHT, 0, 1},    {0, SB_LINELEFT, 0, 0},      {0, SB_PAGERIGHT, 0, 29},
        {40, SB_PAGELEFT, 0, 11},   {50, SB_LEFT, 0, 0},         {0, SB_RIGHT, 0, 71},
        {0, SB_THUMBTRACK, 60, 60}, {0, SB_THUMBTRACK, 150, 99}, {99, SB_LINERIGHT, 0, 99},
        {3, SB_ENDSCROLL, 0, 3},
    };
    for (const Case& c : cases) {
        Harness h(std::string(100, 'x'), 30, 4);
        h.view->ScrollToColumn(c.first, true);
        h.window->Scroll(SB_HORZ, c.code, c.pos);
        EXPECT_EQ(h.view->GetFirstColumn(), c.expected) << "code " << c.code << " from " << c.first;
    }
}

TEST(ViewScrolling, ScrollingMovesThePixelsAndTheBar) {
    Harness h(Numbered(100, 40), 30, 20);
    h.window->Scroll(SB_VERT, platform::SB_LINEDOWN);
    ASSERT_FALSE(h.window->Scrolls().empty());
    EXPECT_EQ(h.window->Scrolls().back().dy, -kCellHeight);
    EXPECT_EQ(h.window->Scrolls().back().dx, 0);
    EXPECT_EQ(h.Bar(SB_VERT).State().Pos(), 1);

    h.window->Scroll(SB_HORZ, platform::SB_LINERIGHT);
    const platform::headless::ScrollRecord& horizontal = h.window->Scrolls().back();
    EXPECT_EQ(horizontal.dx, -kCellWidth);
    // Only the text area moves; the margin stays.
    const platform::Rect textArea{kMargin, 0, kMargin + 30 * kCellWidth, 20 * kCellHeight};
    EXPECT_EQ(horizontal.scrollRect, textArea);
    EXPECT_EQ(horizontal.clipRect, textArea);
    EXPECT_EQ(h.Bar(SB_HORZ).State().Pos(), 1);
    EXPECT_EQ(h.Row(0, 4), "...."); // "1." scrolled by one column shows dots
}

TEST(ViewScrolling, BarsDisabledWhenEverythingFits) {
    struct Case {
        std::string text;
        bool vertical;
        bool horizontal;
    };
    const Case cases[] = {
        {Numbered(5), false, false},         {Numbered(20), false, false},
        {Numbered(21), true, false},         {std::string(30, 'x'), false, false},
        {std::string(31, 'x'), false, true}, {Numbered(50, 40), true, true},
    };
    for (const Case& c : cases) {
        Harness h(c.text, 30, 20);
        EXPECT_EQ(h.Bar(SB_VERT).State().CanScroll(), c.vertical) << c.text.size();
        EXPECT_EQ(h.Bar(SB_VERT).State().IsEnabled(), c.vertical) << c.text.size();
        EXPECT_EQ(h.Bar(SB_HORZ).State().CanScroll(), c.horizontal) << c.text.size();
        EXPECT_EQ(h.Bar(SB_HORZ).State().IsEnabled(), c.horizontal) << c.text.size();
        EXPECT_TRUE(h.Bar(SB_VERT).State().IsVisible());
    }
}

TEST(ViewScrolling, ShrinkingTextOrGrowingWindowReturnsToTheTop) {
    Harness h(Numbered(100), 10, 20);
    h.view->ScrollToTopLine(50, true);
    h.Delete(5, 0, 99, 2);
    EXPECT_EQ(h.view->GetTopLine(), 0);
    EXPECT_EQ(h.Bar(SB_VERT).State().Max(), 5);

    Harness g(Numbered(30), 10, 20);
    g.view->ScrollToTopLine(15, true);
    g.window->ClearInvalidations();
    g.window->Resize({kMargin + 80, 40 * kCellHeight});
    EXPECT_EQ(g.view->GetTopLine(), 0);
    ASSERT_FALSE(g.window->Invalidations().empty());
    EXPECT_TRUE(g.window->Invalidations().front().erase);
}

TEST(ViewScrolling, ScrollIntoViewMovesAsLittleAsNeeded) {
    struct Case {
        int32_t top;
        int32_t first;
        TextPosition position;
        int32_t expectedTop;
        int32_t expectedFirst;
    };
    // 100 lines of 60 columns, 20 rows and 30 columns visible.
    const Case cases[] = {
        {0, 0, {0, 25}, 6, 0},   {0, 0, {0, 19}, 0, 0},  {0, 0, {0, 20}, 1, 0},
        {50, 0, {0, 10}, 10, 0}, {0, 0, {30, 0}, 0, 0},  {0, 0, {31, 0}, 0, 1},
        {0, 20, {5, 0}, 0, 5},   {0, 0, {59, 0}, 0, 29}, {0, 0, {60, 0}, 0, 30},
        {0, 0, {0, 150}, 99, 0},
    };
    for (const Case& c : cases) {
        Harness h(Numbered(100, 60), 30, 20);
        h.view->ScrollToTopLine(c.top, true);
        h.view->ScrollToColumn(c.first, true);
        h.view->ScrollIntoView(c.position);
        EXPECT_EQ(h.view->GetTopLine(), c.expectedTop) << c.position.x << "," << c.position.y;
        EXPECT_EQ(h.view->GetFirstColumn(), c.expectedFirst) << c.position.x << "," << c.position.y;
    }
}

TEST(ViewScrolling, HeldHorizontalBarWaitsForTheRelease) {
    Harness h("short\nline", 10, 4);
    h.view->HoldHorzScrollBar(true);
    h.Insert(0, 0, std::string(40, 'x'));
    EXPECT_EQ(h.Bar(SB_HORZ).State().Max(), 4);
    h.view->HoldHorzScrollBar(false);
    h.view->UpdateHorzScrollBar(false);
    EXPECT_EQ(h.Bar(SB_HORZ).State().Max(), 44);
}

TEST(ViewCaret, SelectionChangesRepaintTheLinesConcerned) {
    struct Case {
        TextPosition before[2];
        TextPosition after[2];
        std::vector<std::pair<int32_t, int32_t>> bands; // first and last line of each
    };
    const Case cases[] = {
        {{{0, 0}, {0, 0}}, {{1, 2}, {3, 4}}, {{2, 4}, {0, 0}}},
        {{{1, 2}, {3, 4}}, {{1, 2}, {5, 6}}, {{4, 6}}},
        {{{1, 2}, {3, 4}}, {{0, 7}, {3, 4}}, {{4, 7}, {2, 4}}},
        {{{1, 2}, {3, 4}}, {{1, 2}, {3, 4}}, {}},
    };
    for (const Case& c : cases) {
        Harness h(Numbered(20), 10, 10);
        h.view->SelectRange(c.before[0], c.before[1]);
        h.window->ClearInvalidations();
        h.view->SelectRange(c.after[0], c.after[1]);
        std::vector<platform::headless::Invalidation> expected;
        for (const auto& [first, last] : c.bands)
            expected.push_back(
                {{0, first * kCellHeight, kMargin + 80, (last + 1) * kCellHeight}, false});
        ASSERT_EQ(h.window->Invalidations().size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(h.window->Invalidations()[i].rect, expected[i].rect) << i;
            EXPECT_FALSE(h.window->Invalidations()[i].erase);
        }
    }
}

TEST(ViewCaret, FollowsFocusAndHorizontalScroll) {
    Harness h(Numbered(30, 40), 20, 10);
    h.view->MoveCaretTo({5, 2});
    EXPECT_FALSE(h.window->Caret().Visible()); // no focus yet
    h.window->Focus();
    EXPECT_TRUE(h.window->Caret().Visible());
    EXPECT_EQ(h.window->Caret().size, (Size{2, kCellHeight}));
    EXPECT_EQ(h.window->Caret().pos, (Point{kMargin + 5 * kCellWidth, 2 * kCellHeight}));

    h.window->Scroll(SB_HORZ, platform::SB_THUMBTRACK,
                     6); // the caret's column is now left of the view
    EXPECT_FALSE(h.window->Caret().Visible());
    h.window->Scroll(SB_HORZ, platform::SB_THUMBTRACK, 5);
    EXPECT_TRUE(h.window->Caret().Visible());
    EXPECT_EQ(h.window->Caret().pos, (Point{kMargin, 2 * kCellHeight}));

    h.view->DisableCaret();
    EXPECT_FALSE(h.window->Caret().Visible());
    h.view->EnableCaret();
    EXPECT_TRUE(h.window->Caret().Visible());

    // Below the window the caret stays, outside the client area.
    h.view->MoveCaretTo({5, 25});
    EXPECT_TRUE(h.window->Caret().Visible());
    EXPECT_EQ(h.window->Caret().pos.y, 25 * kCellHeight);

    HeadlessWindow other(h.system, std::make_unique<Z80View>(), {50, 50});
    other.Focus();
    EXPECT_FALSE(h.window->Caret().Visible());
}

// The caret stands where its text position is drawn.
void ExpectCaretOnItsText(const HeadlessWindow& window, CTextView& view) {
    EXPECT_TRUE(window.Caret().Visible());
    EXPECT_EQ(window.Caret().pos, view.TextPositionToPoint(view.GetCaretPos()))
        << "top line " << view.GetTopLine();
}

TEST(ViewCaret, StaysOnItsTextThroughEveryVerticalScroll) {
    using namespace platform;
    struct Case {
        const char* what;
        std::function<void(Harness&)> scroll;
    };
    const Case cases[] = {
        {"Ctrl+Down", [](Harness& h) { h.view->ScrollOneLineDown(); }},
        {"Ctrl+Down until the line leaves, then Ctrl+Up",
         [](Harness& h) {
             for (int i = 0; i < 8; ++i)
                 h.view->ScrollOneLineDown();
             h.view->ScrollOneLineUp();
         }},
        {"bar arrow", [](Harness& h) { h.window->Scroll(SB_VERT, SB_LINEDOWN); }},
        {"bar page down and up",
         [](Harness& h) {
             h.window->Scroll(SB_VERT, SB_PAGEDOWN);
             h.window->Scroll(SB_VERT, SB_PAGEDOWN);
             h.window->Scroll(SB_VERT, SB_PAGEUP);
         }},
        {"thumb far away and back",
         [](Harness& h) {
             h.window->Scroll(SB_VERT, SB_THUMBTRACK, 50);
             h.window->Scroll(SB_VERT, SB_THUMBPOSITION, 2);
         }},
        {"bar bottom then top",
         [](Harness& h) {
             h.window->Scroll(SB_VERT, SB_BOTTOM);
             h.window->Scroll(SB_VERT, SB_TOP);
         }},
        {"wheel",
         [](Harness& h) {
             h.window->Wheel(-WHEEL_DELTA, {40, 40});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Harness h(Numbered(60), 20, 10);
        h.window->Focus();
        h.view->MoveCaretTo({1, 6});
        c.scroll(h);
        ExpectCaretOnItsText(*h.window, *h.view);
    }
}

TEST(ViewCaret, EditsMovePositionsAndKeepTheTopText) {
    struct Case {
        const char* name;
        std::function<void(Harness&)> edit;
        int32_t top;
        TextPosition caret;
    };
    const Case cases[] = {
        {"lines inserted above", [](Harness& h) { h.Insert(10, 0, "a\nb\nc\n"); }, 53, {1, 63}},
        {"lines removed above", [](Harness& h) { h.Delete(0, 0, 2, 0); }, 48, {1, 58}},
        {"text typed before the caret", [](Harness& h) { h.Insert(60, 0, "xy"); }, 50, {3, 60}},
        {"lines removed below", [](Harness& h) { h.Delete(70, 0, 80, 0); }, 50, {1, 60}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h(Numbered(100), 10, 20);
        h.view->ScrollToTopLine(50, true);
        h.view->MoveCaretTo({1, 60});
        h.view->SetSelectionAnchor({1, 60});
        h.view->SelectRange({0, 55}, {1, 60});
        c.edit(h);
        EXPECT_EQ(h.view->GetTopLine(), c.top);
        EXPECT_EQ(h.view->GetCaretPos(), c.caret);
        TextPosition start;
        TextPosition end;
        h.view->GetSelectedRange(start, end);
        EXPECT_EQ(end, c.caret);
        h.Paint();
        EXPECT_EQ(h.Row(0, 2), "50"); // the same text at the top
    }
}

TEST(ViewCaret, ReloadReturnsToTheDefaults) {
    Harness h(Numbered(100, 50), 10, 20);
    h.view->ScrollToTopLine(40, true);
    h.view->ScrollToColumn(7, true);
    h.view->MoveCaretTo({3, 45});
    h.view->SelectRange({0, 41}, {3, 45});
    SetText(h.buffer, "tiny");
    EXPECT_EQ(h.view->GetTopLine(), 0);
    EXPECT_EQ(h.view->GetFirstColumn(), 0);
    EXPECT_EQ(h.view->GetCaretPos(), (TextPosition{0, 0}));
    EXPECT_FALSE(h.view->HasSelection());
    EXPECT_EQ(h.Bar(SB_VERT).State().Max(), 0);
    h.Paint();
    EXPECT_EQ(h.Row(0, 6), "tiny__");
}

TEST(ViewKeys, AcceleratorTableHoldsExactlyItsSeventyKeys) {
    using namespace platform;
    // One row per key, as the table is documented: the command of each modifier set, 0 for none.
    struct Row {
        uint32_t key;
        uint32_t plain, shift, ctrl, ctrlShift, alt;
    };
    std::vector<Row> rows;
    for (uint32_t digit = 0; digit < 10; ++digit)
        rows.push_back({'0' + digit, 0, 0, 37200 + digit, 0, 37210 + digit});
    const Row others[] = {
        {'A', 0, 0, 57642, 0, 0},
        {'C', 0, 0, 57634, 0, 0},
        {'F', 0, 0, 57636, 0, 0},
        {'H', 0, 0, 57641, 0, 0},
        {'V', 0, 0, 57637, 0, 0},
        {'X', 0, 0, 57635, 0, 0},
        {'Y', 0, 0, 57644, 0, 0},
        {'Z', 0, 0, 57643, 0, 0},
        {VK_BACK, 37001, 0, 37002, 0, 57643},
        {VK_DELETE, 37000, 57635, 0, 0, 0},
        {VK_INSERT, 37005, 57637, 57634, 0, 0},
        {VK_TAB, 37003, 37004, 0, 0, 0},
        {VK_LEFT, 37100, 37101, 37104, 37105, 0},
        {VK_RIGHT, 37102, 37103, 37106, 37107, 0},
        {VK_UP, 37108, 37109, 37112, 0, 0},
        {VK_DOWN, 37110, 37111, 37113, 0, 0},
        {VK_PRIOR, 37114, 37115, 0, 0, 0},
        {VK_NEXT, 37116, 37117, 0, 0, 0},
        {VK_HOME, 37120, 37121, 37122, 37123, 0},
        {VK_END, 37118, 37119, 37124, 37125, 0},
        {VK_F2, 37224, 37225, 37223, 37226, 0},
        {VK_F3, 57640, 37126, 0, 0, 0},
    };
    rows.insert(rows.end(), std::begin(others), std::end(others));

    // Every key with every modifier set: the table's entry, or none where the row has none; and
    // the key pressed in a view sends exactly that command.
    const uint32_t modifierSets[] = {ModNone, ModShift, ModControl, ModControl | ModShift, ModAlt};
    const AccelTable& table = view::ViewAcceleratorTable();
    Harness h("x", 4, 4);
    size_t entries = 0;
    for (const Row& row : rows) {
        const uint32_t commands[] = {row.plain, row.shift, row.ctrl, row.ctrlShift, row.alt};
        for (size_t m = 0; m < std::size(modifierSets); ++m) {
            const uint32_t want = commands[m];
            SCOPED_TRACE("key " + std::to_string(row.key) + " modifiers " +
                         std::to_string(modifierSets[m]));
            EXPECT_EQ(table.Find(row.key, modifierSets[m]).value_or(0), want);
            h.view->commands.clear();
            h.window->PressKey(row.key, modifierSets[m]);
            EXPECT_EQ(h.view->commands,
                      want ? std::vector<uint32_t>{want} : std::vector<uint32_t>{});
            entries += want != 0;
        }
    }
    EXPECT_EQ(entries, 70u);
    ASSERT_EQ(table.Entries().size(), 70u) << "no entry besides these";
    for (const Accel& a : table.Entries())
        EXPECT_TRUE(a.fVirt & FNOINVERT) << "key " << a.key << " inverts no menu item";
    // Keys of no row are not the view's.
    h.view->commands.clear();
    for (uint32_t key : {uint32_t{'Q'}, uint32_t{'B'}, uint32_t{VK_F1}, uint32_t{VK_RETURN}})
        h.window->PressKey(key, ModControl);
    EXPECT_TRUE(h.view->commands.empty());
}

TEST(ViewKeys, PointerShapeFollowsMarginAndSelection) {
    Harness h("abcdef\nghij", 10, 4);
    h.view->SelectRange({1, 0}, {4, 0});
    struct Case {
        Point point;
        int32_t cursor;
    };
    const Case cases[] = {
        {{3, 5}, view::IDC_MARGIN_CURSOR},
        {{kMargin - 1, 20}, view::IDC_MARGIN_CURSOR},
        {{kMargin + 2 * 8 + 3, 5}, platform::IDC_ARROW},
        {{kMargin + 0 * 8 + 7, 5}, platform::IDC_IBEAM},
        {{kMargin + 4 * 8, 5}, platform::IDC_IBEAM},
        {{kMargin + 2 * 8, 20}, platform::IDC_IBEAM},
    };
    for (const Case& c : cases) {
        h.window->MouseMove(c.point);
        EXPECT_EQ(h.window->Cursor(), c.cursor) << c.point.x << "," << c.point.y;
    }
}

// ---- Splitter panes

class SplitterFixture : public ::testing::Test {
protected:
    SplitterFixture() {
        SetText(buffer, Numbered(100, 80));
        splitter = std::make_unique<platform::headless::HeadlessSplitter>(
            system,
            [this](int32_t, int32_t) {
                auto view = std::make_unique<Z80View>();
                view->found = &buffer;
                return view;
            },
            Size{400, 300});
    }
    Z80View& Pane(int32_t row, int32_t col) {
        return splitter->PaneWindow(row, col)->As<Z80View>();
    }

    HeadlessSystem system;
    CTextBuffer buffer;
    std::unique_ptr<platform::headless::HeadlessSplitter> splitter;
};

TEST_F(SplitterFixture, RowsShareTheTopLineAndColumnsTheFirstColumn) {
    ASSERT_TRUE(splitter->SplitColumn(150));
    Pane(0, 0).ScrollIntoView({0, 60});
    EXPECT_EQ(Pane(0, 1).GetTopLine(), Pane(0, 0).GetTopLine());
    EXPECT_GT(Pane(0, 0).GetTopLine(), 0);

    // A horizontal move leaves the pane of the other column alone.
    Pane(0, 0).ScrollIntoView({70, 60});
    EXPECT_GT(Pane(0, 0).GetFirstColumn(), 0);
    EXPECT_EQ(Pane(0, 1).GetFirstColumn(), 0);

    // A new row starts at the columns of the panes above it and the top line of its left pane.
    ASSERT_TRUE(splitter->SplitRow(100));
    EXPECT_EQ(Pane(1, 0).GetFirstColumn(), Pane(0, 0).GetFirstColumn());
    EXPECT_EQ(Pane(1, 1).GetFirstColumn(), 0);
    EXPECT_EQ(Pane(1, 0).GetTopLine(), 0);
    EXPECT_EQ(splitter->GetColumnScrollBar(0)->State().Pos(), Pane(0, 0).GetFirstColumn());
    EXPECT_EQ(splitter->GetRowScrollBar(0)->State().Pos(), Pane(0, 0).GetTopLine());

    // The lower row's panes follow each other vertically, the left column's horizontally.
    Pane(1, 1).ScrollIntoView({0, 90});
    EXPECT_EQ(Pane(1, 0).GetTopLine(), Pane(1, 1).GetTopLine());
    EXPECT_NE(Pane(0, 0).GetTopLine(), Pane(1, 1).GetTopLine());
    Pane(1, 0).ScrollIntoView({2, 90});
    EXPECT_EQ(Pane(0, 0).GetFirstColumn(), 2);
    EXPECT_EQ(Pane(1, 0).GetFirstColumn(), 2);
    EXPECT_EQ(Pane(1, 1).GetFirstColumn(), 0);
}

TEST_F(SplitterFixture, SharedBarsScrollEveryPaneOfTheirRow) {
    ASSERT_TRUE(splitter->SplitColumn(150));
    EXPECT_TRUE(splitter->GetRowScrollBar(0)->State().IsEnabled());
    splitter->RowBarAction(0, platform::SB_PAGEDOWN, 0);
    const int32_t page = static_cast<int32_t>(splitter->GetRowScrollBar(0)->State().Page());
    EXPECT_EQ(Pane(0, 0).GetTopLine(), page - 1);
    EXPECT_EQ(Pane(0, 1).GetTopLine(), page - 1);
    // A new pane in the second column starts at the top line of the first.
    ASSERT_TRUE(splitter->DeleteColumn(1));
    ASSERT_TRUE(splitter->SplitColumn(150));
    EXPECT_EQ(Pane(0, 1).GetTopLine(), page - 1);
}

TEST_F(SplitterFixture, PartnersScrolledByAPaneKeepTheirCaretOnItsText) {
    ASSERT_TRUE(splitter->SplitColumn(150));
    splitter->PaneWindow(0, 0)->Focus();
    Pane(0, 0).MoveCaretTo({1, 4});
    splitter->RowBarAction(0, platform::SB_PAGEDOWN, 0); // the shared bar of the row
    ExpectCaretOnItsText(*splitter->PaneWindow(0, 0), Pane(0, 0));
    Pane(0, 1).ScrollIntoView({0, 2}); // the partner scrolls back; this pane follows
    EXPECT_EQ(Pane(0, 0).GetTopLine(), 2);
    ExpectCaretOnItsText(*splitter->PaneWindow(0, 0), Pane(0, 0));
}

TEST(ViewLifetime, DetachesFromItsBufferWhenItGoes) {
    CTextBuffer buffer;
    SetText(buffer, "abc");
    {
        HeadlessSystem system;
        auto made = std::make_unique<Z80View>();
        Z80View* view = made.get();
        HeadlessWindow window(system, std::move(made), {100, 100});
        view->ConnectBuffer(&buffer);
    }
    {
        // Never shown in a window at all.
        Z80View view;
        view.ConnectBuffer(&buffer);
        EXPECT_EQ(view.TextLineCount(), 1);
    }
    int endLine = 0;
    int endChar = 0;
    EXPECT_TRUE(buffer.ApplyInsert(nullptr, 0, 0, "x\ry", endLine, endChar));
}

} // namespace
} // namespace viewtest
