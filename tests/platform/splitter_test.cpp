#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/headless/headless.h"
#include "recording_wnd.h"

namespace platform::headless {
namespace {

using test::RecordingWnd;

TEST(PaneIds, RowAndColumnFollowFromTheId) {
    struct Case {
        int32_t id;
        bool pane;
        PaneCell cell;
    };
    const Case cases[] = {
        {59648, true, {0, 0}},         {59649, true, {0, 1}}, {59664, true, {1, 0}},
        {59665, true, {1, 1}},         {59647, false, {}},    {59648 + 256, false, {}},
        {59648 + 255, true, {15, 15}},
    };
    for (const Case& c : cases) {
        const auto cell = RowColFromId(c.id);
        ASSERT_EQ(cell.has_value(), c.pane) << c.id;
        if (c.pane) {
            EXPECT_EQ(*cell, c.cell) << c.id;
            EXPECT_EQ(IdFromRowCol(c.cell.row, c.cell.col), c.id);
        }
    }
}

struct SplitterFixture : ::testing::Test {
    HeadlessSystem system;
    std::vector<PaneCell> made;
    int32_t destroyed = 0;
    std::unique_ptr<HeadlessSplitter> splitter;

    void SetUp() override {
        splitter = std::make_unique<HeadlessSplitter>(
            system,
            [this](int32_t row, int32_t col) {
                made.push_back({row, col});
                auto wnd = std::make_unique<RecordingWnd>();
                wnd->destroyed = &destroyed;
                return wnd;
            },
            Size{416, 316});
    }
    RecordingWnd& Pane(int32_t row, int32_t col) {
        return static_cast<RecordingWnd&>(*splitter->GetPane(row, col));
    }
};

TEST_F(SplitterFixture, SplittingMakesPanesWhoseIdsNameTheirPlace) {
    ASSERT_EQ(splitter->GetRowCount(), 1);
    EXPECT_EQ(Pane(0, 0).initialUpdates, 1);
    ASSERT_TRUE(splitter->SplitColumn(150));
    ASSERT_TRUE(splitter->SplitRow(100));
    EXPECT_EQ(made, (std::vector<PaneCell>{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
    for (int32_t r = 0; r < 2; ++r) {
        for (int32_t c = 0; c < 2; ++c) {
            RecordingWnd& pane = Pane(r, c);
            EXPECT_EQ(pane.GetParentSplitter(), splitter.get());
            EXPECT_EQ(RowColFromId(pane.GetDlgCtrlID()), (PaneCell{r, c}));
            EXPECT_EQ(pane.initialUpdates, 1);
            EXPECT_EQ(pane.GetClientRect(), splitter->Layout().PaneRect(r, c).Offset(
                                                -splitter->Layout().PaneRect(r, c).left,
                                                -splitter->Layout().PaneRect(r, c).top));
        }
    }
    // 416 wide less a 16-pixel bar: 150 + 6 + 244; 316 high: 100 + 6 + 194.
    EXPECT_EQ(Pane(0, 0).GetClientRect(), (Rect{0, 0, 150, 100}));
    EXPECT_EQ(Pane(1, 1).GetClientRect(), (Rect{0, 0, 244, 194}));
    EXPECT_FALSE(splitter->SplitRow(50)) << "already split";
    EXPECT_EQ(GetSplitterPane(Pane(0, 0), 1, 1), &Pane(1, 1));
    EXPECT_EQ(GetSplitterPane(Pane(0, 0), 2, 0), nullptr);
    RecordingWnd loose;
    EXPECT_EQ(GetSplitterPane(loose, 0, 0), nullptr);
}

TEST_F(SplitterFixture, SplitsThatLeaveAPaneBelowTheMinimumAreRefused) {
    EXPECT_FALSE(splitter->SplitRow(29));
    EXPECT_FALSE(splitter->SplitRow(300 - 6 - 29));
    EXPECT_FALSE(splitter->SplitColumn(20));
    EXPECT_EQ(made.size(), 1u);
    EXPECT_TRUE(splitter->SplitRow(30));
    EXPECT_EQ(Pane(1, 0).GetClientRect().Height(), 300 - 30 - 6);
}

TEST_F(SplitterFixture, ScrollBarsAreSharedPerRowAndPerColumn) {
    splitter->SplitColumn(150);
    splitter->SplitRow(100);
    EXPECT_EQ(Pane(0, 0).GetScrollBarCtrl(SB_VERT), Pane(0, 1).GetScrollBarCtrl(SB_VERT));
    EXPECT_NE(Pane(0, 0).GetScrollBarCtrl(SB_VERT), Pane(1, 0).GetScrollBarCtrl(SB_VERT));
    EXPECT_EQ(Pane(0, 1).GetScrollBarCtrl(SB_HORZ), Pane(1, 1).GetScrollBarCtrl(SB_HORZ));
    EXPECT_NE(Pane(0, 0).GetScrollBarCtrl(SB_HORZ), Pane(0, 1).GetScrollBarCtrl(SB_HORZ));

    ScrollInfo si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMax = 99;
    si.nPage = 10;
    si.nPos = 40;
    Pane(0, 0).SetScrollInfo(SB_VERT, si);
    ScrollInfo read;
    read.fMask = SIF_ALL;
    ASSERT_TRUE(Pane(0, 1).GetScrollInfo(SB_VERT, read));
    EXPECT_EQ(read.nPos, 40);
    EXPECT_EQ(read.nMax, 99);
    Pane(1, 0).GetScrollInfo(SB_VERT, read);
    EXPECT_EQ(read.nMax, 100) << "row 1 has a bar of its own";
}

TEST_F(SplitterFixture, AnActionOnASharedBarReachesEveryPaneWithTheSameStartingPosition) {
    splitter->SplitColumn(150);
    splitter->SplitRow(100);
    ScrollInfo si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = 99;
    si.nPage = 10;
    si.nPos = 5;
    Pane(0, 0).SetScrollInfo(SB_VERT, si);
    std::vector<int32_t> seen;
    for (int32_t c = 0; c < 2; ++c) {
        RecordingWnd& pane = Pane(0, c);
        pane.vscroll = [&pane, &seen](uint32_t code, int32_t) {
            ScrollInfo now;
            now.fMask = SIF_POS;
            pane.GetScrollInfo(SB_VERT, now);
            seen.push_back(now.nPos);
            if (code == SB_LINEDOWN) {
                now.nPos += 1;
                pane.SetScrollInfo(SB_VERT, now);
            }
        };
    }
    splitter->PaneWindow(0, 1)->Scroll(SB_VERT, SB_LINEDOWN);
    EXPECT_EQ(seen, (std::vector<int32_t>{5, 5}));
    EXPECT_EQ(Pane(1, 0).vscrolls.size(), 0u) << "the other row is not told";
    splitter->ColumnBarAction(1, SB_THUMBTRACK, 7);
    EXPECT_EQ(Pane(0, 1).hscrolls.back(), (std::pair<uint32_t, int32_t>{SB_THUMBTRACK, 7}));
    EXPECT_EQ(Pane(1, 1).hscrolls.back(), (std::pair<uint32_t, int32_t>{SB_THUMBTRACK, 7}));
    ScrollInfo track;
    track.fMask = SIF_TRACKPOS;
    Pane(1, 1).GetScrollInfo(SB_HORZ, track);
    EXPECT_EQ(track.nTrackPos, 7);
    EXPECT_TRUE(Pane(0, 0).hscrolls.empty());
}

TEST_F(SplitterFixture, DeletingTheFirstRowMovesTheSecondUpWithNewIds) {
    splitter->SplitColumn(150);
    splitter->SplitRow(100);
    RecordingWnd* lower = &Pane(1, 1);
    splitter->PaneWindow(0, 1)->Focus();
    ASSERT_TRUE(splitter->DeleteRow(0));
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(splitter->GetRowCount(), 1);
    EXPECT_EQ(&Pane(0, 1), lower);
    EXPECT_EQ(RowColFromId(lower->GetDlgCtrlID()), (PaneCell{0, 1}));
    EXPECT_EQ(lower->GetClientRect().Height(), 300);
    EXPECT_EQ(system.GetFocus(), lower) << "the pane taking the focused pane's place gets focus";
    EXPECT_FALSE(splitter->DeleteRow(0)) << "the last row stays";
}

TEST_F(SplitterFixture, DraggingBoxesSplitsAndDraggingBarsAwayRemoves) {
    using Hit = SplitterLayout::Hit;
    // The pointer holds the middle of the 6-pixel bar: the first pane ends 3 pixels above it.
    splitter->EndDrag(Hit::RowBox, {50, 123});
    ASSERT_EQ(splitter->GetRowCount(), 2);
    EXPECT_EQ(Pane(0, 0).GetClientRect().Height(), 120);
    splitter->EndDrag(Hit::ColumnBox, {203, 50});
    ASSERT_EQ(splitter->GetColumnCount(), 2);
    EXPECT_EQ(made.size(), 4u);

    splitter->EndDrag(Hit::RowBar, {50, 83});
    EXPECT_EQ(Pane(1, 1).GetClientRect().Height(), 300 - 80 - 6) << "the bar moved";
    RecordingWnd* right = &Pane(1, 1);
    splitter->PaneWindow(1, 1)->Focus();
    splitter->EndDrag(Hit::RowBar, {50, 20}); // too close to the top: the first row goes
    EXPECT_EQ(splitter->GetRowCount(), 1);
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(&Pane(0, 1), right);
    EXPECT_EQ(system.GetFocus(), right);
    splitter->EndDrag(Hit::ColumnBar, {390, 50}); // too close to the right: the second goes
    EXPECT_EQ(splitter->GetColumnCount(), 1);
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(system.GetFocus(), &Pane(0, 0)) << "the focused pane's place goes to its neighbour";
    EXPECT_EQ(Pane(0, 0).GetClientRect(), (Rect{0, 0, 400, 300}));
}

TEST_F(SplitterFixture, ASplitIsAllOrNothing) {
    int32_t calls = 0;
    splitter = std::make_unique<HeadlessSplitter>(
        system,
        [&](int32_t, int32_t) {
            auto wnd = std::make_unique<RecordingWnd>();
            wnd->refuseCreate = ++calls == 4; // the second pane of the new row
            return wnd;
        },
        Size{416, 316});
    ASSERT_TRUE(splitter->SplitColumn(150));
    EXPECT_FALSE(splitter->SplitRow(100));
    EXPECT_EQ(splitter->GetRowCount(), 1);
    EXPECT_EQ(Pane(0, 1).GetClientRect().Height(), 300);
    EXPECT_EQ(splitter->GetRowScrollBar(1), nullptr);
    EXPECT_TRUE(splitter->SplitRow(100)) << "a later split may succeed";
}

TEST(SplitterLayout, DraggingTheBarMovesItOrRemovesARowLeftTooSmall) {
    SplitterLayout layout(16, 8, 6);
    layout.SetClientSize({216, 216});
    ASSERT_TRUE(layout.SplitRowAt(100));
    EXPECT_EQ(layout.HitTest({50, 102}), SplitterLayout::Hit::RowBar);
    EXPECT_TRUE(layout.RowSplitBoxRect().IsEmpty());
    EXPECT_FALSE(layout.ColumnSplitBoxRect().IsEmpty());
    EXPECT_EQ(layout.HitTest({3, 210}), SplitterLayout::Hit::ColumnBox);
    EXPECT_EQ(layout.DropRowBar(60), SplitterLayout::BarDrop::Moved);
    EXPECT_EQ(layout.PaneRect(1, 0), (Rect{0, 66, 200, 200}));
    EXPECT_EQ(layout.RowScrollBarRect(1), (Rect{200, 66, 216, 200}));
    EXPECT_EQ(layout.DropRowBar(10), SplitterLayout::BarDrop::DeleteFirst);
    EXPECT_EQ(layout.DropRowBar(180), SplitterLayout::BarDrop::DeleteSecond);
    layout.RemoveRow();
    EXPECT_EQ(layout.RowScrollBarRect(0), (Rect{200, 8, 216, 200})) << "below the split box";
}

} // namespace
} // namespace platform::headless
