// The per-line caches: what is recoloured after an edit, how much is parsed again, and that the
// kept entries always give what a view that forgot everything would show.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "view/gaparray.h"
#include "view/parserstates.h"
#include "view_harness.h"

namespace viewtest {
namespace {

std::string Repeat(std::string_view line, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += line;
        text += '\n';
    }
    return text;
}

TEST(ViewCaches, OpeningABlockCommentRecoloursEveryLaterLine) {
    Harness h(Repeat("nop", 30), 10, 20);
    h.Paint();
    EXPECT_EQ(h.At(0, 10).text, Distinct(ColorKeyword));

    h.Insert(3, 0, "/*");
    h.window->Paint();
    for (int32_t row = 0; row < 3; ++row)
        EXPECT_EQ(h.At(0, row).text, Distinct(ColorKeyword)) << row;
    for (int32_t row = 3; row < 20; ++row)
        EXPECT_EQ(h.At(0, row).text, Distinct(ColorComment)) << row;

    // Closing it again a few lines further down brings the keywords back below it.
    h.Insert(6, 3, "*/");
    h.window->Paint();
    EXPECT_EQ(h.At(0, 6).text, Distinct(ColorComment));
    for (int32_t row = 7; row < 20; ++row)
        EXPECT_EQ(h.At(0, row).text, Distinct(ColorKeyword)) << row;
}

TEST(ViewCaches, OnlyTheChangedTailIsParsedAgain) {
    // 200 lines, 20 visible, the window showing lines 50 to 69 after the first step.
    struct Step {
        const char* name;
        std::function<void(Harness&)> act;
        int32_t stateOnly;      // parses without blocks on the next paint
        int32_t firstStateOnly; // the first line parsed that way, -1 when none
        int32_t draws = 20;     // parses with blocks
    };
    const std::vector<Step> steps{
        // Scrolling paints at once, and the test paints again.
        {"scrolling down parses the lines above the window once",
         [](Harness& h) { h.view->ScrollToTopLine(50, true); }, 30, 20, 40},
        {"repainting parses nothing twice", [](Harness&) {}, 0, -1},
        {"typing above the window parses the changed line only",
         [](Harness& h) { h.Insert(10, 1, "x"); }, 1, 10},
        {"opening a block comment above parses down to the window",
         [](Harness& h) { h.Insert(20, 0, "/*"); }, 30, 20},
        {"closing it again", [](Harness& h) { h.Insert(25, 0, "*/"); }, 25, 25},
        {"an edit inside the window parses nothing without blocks",
         [](Harness& h) { h.Insert(60, 0, "x"); }, 0, -1},
        {"a line break above the window parses the two lines it touches",
         [](Harness& h) { h.Insert(5, 2, "\n"); }, 2, 5},
        {"joining two lines above the window parses the joined line",
         [](Harness& h) { h.Delete(5, 2, 6, 0); }, 1, 5},
        {"removing many lines above the window", [](Harness& h) { h.Delete(30, 0, 40, 0); }, 1, 30},
        {"a flag change parses nothing",
         [](Harness& h) { h.buffer.ChangeLineFlag(12, PlainBookmark, true, false); }, 0, -1},
    };
    Harness h(Repeat("  ld a,(hl) ; x", 200), 20, 20);
    h.Paint();
    EXPECT_EQ(h.view->stateOnlyCalls, 0);
    EXPECT_EQ(h.view->drawCalls, 20);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        h.view->ResetCounts();
        step.act(h);
        h.Paint();
        EXPECT_EQ(h.view->stateOnlyCalls, step.stateOnly);
        EXPECT_EQ(h.view->drawCalls, step.draws);
        if (step.firstStateOnly >= 0 && !h.view->stateOnlyLines.empty()) {
            EXPECT_EQ(h.view->stateOnlyLines.front(), step.firstStateOnly);
        }
    }
}

// The parser states of a text computed from scratch, line after line.
std::vector<uint32_t> FoldStates(const CTextBuffer& buffer) {
    std::vector<uint32_t> states;
    uint32_t state = 0;
    for (int i = 0; i < buffer.LineCount(); ++i) {
        int32_t unused = 0;
        state = ColorizeZ80Line(state, buffer.LineText(i), nullptr, unused);
        states.push_back(state);
    }
    return states;
}

TEST(ViewCaches, KeptEntriesMatchAFreshViewAfterRandomEdits) {
    // One buffer, two views of the same size and scroll position: one keeps its caches across
    // the edits, the other forgets them before every paint. They must show the same thing.
    const char* const pieces[] = {"/*", "*/",   "\"",      "'", ";",   "\\", "ld a", "\t",
                                  "\n", "\n\n", "x\ny\nz", "%", "nop", "  ", "0FFh"};
    std::mt19937 random(20240611);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };

    Harness h(Repeat("ld a,1 ; one", 40), 24, 12);
    auto otherMade = std::make_unique<Z80View>();
    Z80View* fresh = otherMade.get();
    HeadlessWindow otherWindow(h.system, std::move(otherMade), Size{kMargin + 24 * 8, 12 * 16});
    fresh->ConnectBuffer(&h.buffer);

    for (int round = 0; round < 400; ++round) {
        const int lines = h.buffer.LineCount();
        if (pick(3) == 0 && lines > 1) {
            const int a = pick(lines);
            const int b = std::min(lines - 1, a + pick(4));
            const int ca = pick(h.buffer.LineLength(a) + 1);
            const int cb = a == b ? ca + pick(h.buffer.LineLength(b) - ca + 1)
                                  : pick(h.buffer.LineLength(b) + 1);
            h.Delete(a, ca, b, cb);
        } else {
            const int line = pick(lines);
            h.Insert(line, pick(h.buffer.LineLength(line) + 1),
                     pieces[pick(static_cast<int>(std::size(pieces)))]);
        }
        if (pick(4) == 0) {
            const int top = pick(h.buffer.LineCount());
            h.view->ScrollToTopLine(top, true);
        }
        if (pick(5) == 0)
            h.view->ScrollToColumn(pick(3), true);
        fresh->DropCaches();
        fresh->UpdateHorzScrollBar(false);
        fresh->ScrollToTopLine(h.view->GetTopLine(), true);
        fresh->SetFirstColumnForTest(h.view->GetFirstColumn());
        h.Paint();
        otherWindow.InvalidateRect(nullptr, false);
        otherWindow.Paint();

        ASSERT_EQ(h.window->Screen().Icons(), otherWindow.Screen().Icons()) << "round " << round;
        const platform::Rect bounds = h.window->Screen().Bounds();
        for (int32_t y = 0; y < bounds.bottom; y += 4)
            for (int32_t x = 0; x < bounds.right; x += 4)
                ASSERT_EQ(h.window->Screen().At(x, y), otherWindow.Screen().At(x, y))
                    << "round " << round << " at " << x << "," << y;

        const std::vector<uint32_t> states = FoldStates(h.buffer);
        const int32_t probe = pick(h.buffer.LineCount());
        ASSERT_EQ(h.view->GetParserStateAfter(probe), states[static_cast<size_t>(probe)])
            << "round " << round << " line " << probe;
        ASSERT_EQ(h.view->GetWidestLineColumns(), fresh->GetWidestLineColumns()) << round;
        const auto& mine = h.Bar(platform::SB_HORZ).State();
        const auto& theirs = otherWindow.OwnScrollBar(platform::SB_HORZ).State();
        ASSERT_EQ(mine.Max(), theirs.Max()) << round;
        ASSERT_EQ(h.Bar(platform::SB_VERT).State().Max(),
                  otherWindow.OwnScrollBar(platform::SB_VERT).State().Max())
            << round;
    }
    // The whole text, end to end.
    const std::vector<uint32_t> states = FoldStates(h.buffer);
    for (int32_t i = 0; i < h.buffer.LineCount(); ++i)
        ASSERT_EQ(h.view->GetParserStateAfter(i), states[static_cast<size_t>(i)]) << i;
}

TEST(ViewCaches, WidestLineFollowsEditsWithoutRescanning) {
    Harness h("short\n" + std::string(50, 'w') + "\nmid\tdle\n", 20, 5);
    const auto range = [&] { return h.Bar(platform::SB_HORZ).State().Max() + 1; };
    EXPECT_EQ(range(), 50);
    h.Insert(2, 0, std::string(60, 'v'));
    EXPECT_EQ(range(), 67);
    h.Delete(2, 0, 2, 60);
    EXPECT_EQ(range(), 50);
    h.Delete(1, 0, 2, 0); // the widest line goes
    EXPECT_EQ(range(), 7);
    h.Insert(0, 5, "\n\t\t\t\t\tx");
    EXPECT_EQ(range(), 21);
}

TEST(ParserStateCache, ManyScatteredChangesDropTheCandidates) {
    ParserStateCache cache;
    cache.Create(1000);
    for (int32_t i = 0; i < 1000; ++i)
        cache.Store(i, 0);
    for (int32_t i = 999; i > 0; i -= 3)
        cache.LineChanged(i);
    EXPECT_LE(cache.CandidateEnd(), 1000);
    EXPECT_EQ(cache.ValidEnd(), 3);
    cache.Store(3, 0);
    // However far the candidates reach, nothing past the next changed line is taken as exact.
    EXPECT_EQ(cache.ValidEnd(), 6);
}

TEST(GapArray, BehavesAsAPlainArray) {
    GapArray<int32_t> gap;
    std::vector<int32_t> plain;
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        const size_t size = plain.size();
        const size_t at = size ? random() % (size + 1) : 0;
        const auto value = static_cast<int32_t>(random() % 1000);
        if (random() % 3 == 0 && size > 0) {
            const size_t count = std::min<size_t>(random() % 40, size - std::min(at, size));
            gap.Erase(at, count);
            plain.erase(plain.begin() + static_cast<long>(at),
                        plain.begin() + static_cast<long>(at + count));
        } else {
            const size_t count = random() % 50;
            gap.Insert(at, count, value);
            plain.insert(plain.begin() + static_cast<long>(at), count, value);
        }
        ASSERT_EQ(gap.Size(), plain.size());
        if (round % 50 == 0) {
            for (size_t i = 0; i < plain.size(); ++i)
                ASSERT_EQ(gap[i], plain[i]) << round << " " << i;
        }
    }
}

} // namespace
} // namespace viewtest
