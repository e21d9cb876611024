// Text views as the panes of a 2 x 2 splitter on Qt, all showing one buffer: scrolling one pane
// takes its row and column partners along, and an edit repaints every pane.
#include <array>
#include <string>

#include "platform/qt/qt_splitter.h"
#include "viewqt_harness.h"

namespace viewqt {
namespace {

using platform::qt::QtSplitter;
using platform::qt::QtWndHost;

struct SplitViewsOnQt : ::testing::Test {
    void SetUp() override {
        std::string text;
        for (int i = 0; i < 200; ++i)
            text += "label" + std::to_string(i) + ":  ld a, " + std::to_string(i) +
                    (i % 10 == 0 ? std::string(100, ' ') + "; far right" : "") + "\n";
        file = std::make_unique<Z80File>(text);
        file->LoadInto(buffer);
        splitter = std::make_unique<QtSplitter>(
            [this](int32_t, int32_t) -> std::unique_ptr<platform::Wnd> {
                return MakeView(&buffer);
            });
        splitter->resize(640, 480);
        splitter->show();
        QApplication::setActiveWindow(splitter.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(splitter.get()));
        ASSERT_TRUE(splitter->SplitRow(200));
        ASSERT_TRUE(splitter->SplitColumn(300));
        QApplication::processEvents();
    }
    Z80QtView& Pane(int32_t row, int32_t col) {
        return static_cast<Z80QtView&>(*splitter->GetPane(row, col));
    }
    // Top line and first column of every pane, row by row.
    std::array<int32_t, 8> Positions() {
        std::array<int32_t, 8> p{};
        for (int32_t i = 0; i < 4; ++i) {
            p[static_cast<size_t>(2 * i)] = Pane(i / 2, i % 2).GetTopLine();
            p[static_cast<size_t>(2 * i + 1)] = Pane(i / 2, i % 2).GetFirstColumn();
        }
        return p;
    }

    CTextBuffer buffer;
    std::unique_ptr<Z80File> file;
    std::unique_ptr<QtSplitter> splitter;
};

TEST_F(SplitViewsOnQt, EveryPaneShowsTheBufferAndItsPartnersFollowItsScrolling) {
    ASSERT_EQ(splitter->GetRowCount(), 2);
    ASSERT_EQ(splitter->GetColumnCount(), 2);
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(Pane(i / 2, i % 2).GetBuffer(), &buffer);

    struct Case {
        const char* what;
        int32_t row;
        int32_t col;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        // Top line and first column of panes (0,0), (0,1), (1,0), (1,1) afterwards; -1: above 0.
        std::array<int32_t, 8> after;
    };
    const Case cases[] = {
        {"the caret to the end of the text scrolls the row",
         0,
         0,
         Qt::Key_End,
         Qt::ControlModifier,
         {-1, 0, -1, 0, 0, 0, 0, 0}},
        {"the caret to the end of a long line scrolls the column",
         1,
         1,
         Qt::Key_End,
         Qt::NoModifier,
         {-1, 0, -1, -1, 0, 0, 0, -1}},
    };
    std::array<int32_t, 8> expected{};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QtWndHost* host = splitter->PaneHost(c.row, c.col);
        host->setFocus();
        QTest::keyClick(host, c.key, c.modifiers);
        const std::array<int32_t, 8> now = Positions();
        for (size_t i = 0; i < now.size(); ++i) {
            if (c.after[i] == -1) {
                EXPECT_GT(now[i], 0) << "entry " << i;
                // Partners agree with each other: the same row shares the top line, the same
                // column the first column.
            } else {
                EXPECT_EQ(now[i], c.after[i]) << "entry " << i;
            }
        }
        expected = now;
    }
    EXPECT_EQ(expected[0], expected[2]) << "panes of row 0 share their top line";
    EXPECT_EQ(expected[3], expected[7]) << "panes of column 1 share their first column";

    // The shared bar of row 1 moves both panes of that row and no other.
    const int32_t top0 = Pane(0, 0).GetTopLine();
    static_cast<platform::qt::QtScrollBar*>(splitter->GetRowScrollBar(1))
        ->Widget()
        ->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_GT(Pane(1, 0).GetTopLine(), 0);
    EXPECT_EQ(Pane(1, 0).GetTopLine(), Pane(1, 1).GetTopLine());
    EXPECT_EQ(Pane(0, 0).GetTopLine(), top0);
}

TEST_F(SplitViewsOnQt, AnEditRepaintsTheChangedTextInEveryPane) {
    std::array<QImage, 4> before;
    for (int32_t i = 0; i < 4; ++i) {
        before[static_cast<size_t>(i)] = OnScreen(splitter->PaneHost(i / 2, i % 2));
        if (before[static_cast<size_t>(i)].isNull())
            GTEST_SKIP() << "the platform's backing store is not an image";
    }
    // Line 1 starts with the label "label1"; a mnemonic in front of it is a keyword.
    int endLine = 0;
    int endChar = 0;
    ASSERT_TRUE(buffer.ApplyInsert(nullptr, 1, 0, "nop ", endLine, endChar));
    for (int32_t i = 0; i < 4; ++i) {
        SCOPED_TRACE("pane " + std::to_string(i));
        Z80QtView& view = Pane(i / 2, i % 2);
        const QImage screen = OnScreen(splitter->PaneHost(i / 2, i % 2));
        const QRect cell = CellRect(view, 1, 1);
        EXPECT_TRUE(
            ColorsIn(before[static_cast<size_t>(i)], cell).contains(kTestColors[ColorNormalText]));
        const auto colors = ColorsIn(screen, cell);
        EXPECT_TRUE(colors.contains(kTestColors[ColorKeyword])) << "the 'o' of nop is on screen";
        EXPECT_FALSE(colors.contains(kTestColors[ColorNormalText]));
        EXPECT_EQ(screen.copy(CellRect(view, 0, 0)),
                  before[static_cast<size_t>(i)].copy(CellRect(view, 0, 0)))
            << "the line above is as it was";
    }
}

} // namespace
} // namespace viewqt
