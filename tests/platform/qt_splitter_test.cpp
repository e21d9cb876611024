#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>
#include <memory>
#include <vector>

#include "common/qt_test_app.h"
#include "platform/qt/qt_splitter.h"
#include "recording_wnd.h"

namespace platform::qt {
namespace {

using test::RecordingWnd;

struct QtSplitterTest : ::testing::Test {
    std::vector<PaneCell> made;
    std::unique_ptr<QtSplitter> splitter;

    void SetUp() override {
        splitter = std::make_unique<QtSplitter>([this](int32_t row, int32_t col) {
            made.push_back({row, col});
            return std::make_unique<RecordingWnd>();
        });
        splitter->resize(400, 300);
        splitter->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(splitter.get()));
    }
    RecordingWnd& Pane(int32_t row, int32_t col) {
        return static_cast<RecordingWnd&>(*splitter->GetPane(row, col));
    }
    QScrollBar* RowBar(int32_t row) {
        return static_cast<QtScrollBar*>(splitter->GetRowScrollBar(row))->Widget();
    }
};

TEST_F(QtSplitterTest, SplittingCreatesPanesWhoseIdsMapToTheirRowAndColumn) {
    ASSERT_TRUE(splitter->SplitRow(100));
    ASSERT_TRUE(splitter->SplitColumn(150));
    EXPECT_EQ(made, (std::vector<PaneCell>{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
    for (int32_t r = 0; r < 2; ++r) {
        for (int32_t c = 0; c < 2; ++c) {
            RecordingWnd& pane = Pane(r, c);
            EXPECT_EQ(RowColFromId(pane.GetDlgCtrlID()), (PaneCell{r, c}));
            EXPECT_EQ(pane.GetParentSplitter(), splitter.get());
            EXPECT_EQ(pane.initialUpdates, 1);
            const QRect geometry = splitter->PaneHost(r, c)->geometry();
            EXPECT_EQ(geometry, ToQRect(splitter->Layout().PaneRect(r, c)));
            EXPECT_GE(geometry.width(), Splitter::kMinPaneSize);
        }
    }
    EXPECT_EQ(Pane(0, 0).GetClientRect(), (Rect{0, 0, 150, 100}));
}

TEST_F(QtSplitterTest, ScrollBarsAreSharedPerRowAndPerColumn) {
    splitter->SplitRow(100);
    splitter->SplitColumn(150);
    EXPECT_EQ(Pane(0, 0).GetScrollBarCtrl(SB_VERT), Pane(0, 1).GetScrollBarCtrl(SB_VERT));
    EXPECT_NE(Pane(0, 0).GetScrollBarCtrl(SB_VERT), Pane(1, 0).GetScrollBarCtrl(SB_VERT));
    EXPECT_EQ(Pane(0, 1).GetScrollBarCtrl(SB_HORZ), Pane(1, 1).GetScrollBarCtrl(SB_HORZ));

    ScrollInfo si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMax = 99;
    si.nPage = 10;
    si.nPos = 30;
    Pane(0, 1).SetScrollInfo(SB_VERT, si);
    EXPECT_EQ(RowBar(0)->maximum(), 90);
    EXPECT_EQ(RowBar(0)->value(), 30);
    EXPECT_NE(RowBar(1)->maximum(), 90) << "row 1 keeps its own bar";
    EXPECT_EQ(RowBar(0)->geometry().top(), 0);
    EXPECT_EQ(RowBar(1)->geometry().top(), 106);

    RowBar(0)->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(Pane(0, 0).vscrolls.back().first, SB_LINEUP);
    EXPECT_EQ(Pane(0, 1).vscrolls.back().first, SB_LINEUP);
    EXPECT_TRUE(Pane(1, 0).vscrolls.empty());
}

TEST_F(QtSplitterTest, DraggingTheSplitBoxSplitsAndDraggingTheBarAwayUnsplits) {
    const QRect box = ToQRect(splitter->Layout().RowSplitBoxRect());
    ASSERT_FALSE(box.isEmpty());
    QTest::mousePress(splitter.get(), Qt::LeftButton, {}, box.center());
    QTest::mouseMove(splitter.get(), QPoint(box.center().x(), 123));
    QTest::mouseRelease(splitter.get(), Qt::LeftButton, {}, QPoint(box.center().x(), 123));
    ASSERT_EQ(splitter->GetRowCount(), 2);
    EXPECT_EQ(Pane(0, 0).GetClientRect().Height(), 123 - QtSplitter::kBarGap / 2);

    RecordingWnd* lower = &Pane(1, 0);
    const QPoint bar = ToQRect(splitter->Layout().RowBarRect()).center();
    QTest::mousePress(splitter.get(), Qt::LeftButton, {}, bar);
    QTest::mouseMove(splitter.get(), QPoint(bar.x(), 5));
    QTest::mouseRelease(splitter.get(), Qt::LeftButton, {}, QPoint(bar.x(), 5));
    ASSERT_EQ(splitter->GetRowCount(), 1);
    EXPECT_EQ(&Pane(0, 0), lower) << "the upper row was dragged shut";
    EXPECT_EQ(lower->GetDlgCtrlID(), AFX_IDW_PANE_FIRST);

    const QRect colBox = ToQRect(splitter->Layout().ColumnSplitBoxRect());
    QTest::mousePress(splitter.get(), Qt::LeftButton, {}, colBox.center());
    QTest::mouseRelease(splitter.get(), Qt::LeftButton, {}, QPoint(10, colBox.center().y()));
    EXPECT_EQ(splitter->GetColumnCount(), 1) << "a split leaving a pane under 30 pixels is refused";
}

} // namespace
} // namespace platform::qt
