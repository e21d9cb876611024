// The view's keys on Qt, against the shortcuts of the window around it, and its scroll bars as
// the window is resized.
#include <QAction>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>
#include <string>

#include "viewqt_harness.h"

namespace viewqt {
namespace {

using platform::qt::QtWindow;

std::string NumberedLines(int count, int width) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::string line = "        ld a, " + std::to_string(i);
        line.resize(static_cast<size_t>(width), ' ');
        line.back() = ';';
        text += line + "\n";
    }
    return text;
}

TEST(ViewKeysOnQt, TableKeysReachTheViewAheadOfTheWindowsShortcuts) {
    struct Case {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        uint32_t command; // 0: not a key of the view's table
    };
    const Case cases[] = {
        {"Ctrl+End", Qt::Key_End, Qt::ControlModifier, 37124},
        {"Down", Qt::Key_Down, Qt::NoModifier, 37110},
        {"Ctrl+C", Qt::Key_C, Qt::ControlModifier, 57634},
        {"Shift+F3", Qt::Key_F3, Qt::ShiftModifier, 37126},
        {"Alt+3", Qt::Key_3, Qt::AltModifier, 37213},
        {"Ctrl+Shift+Left", Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier, 37105},
        {"Ctrl+Q", Qt::Key_Q, Qt::ControlModifier, 0},
    };
    const Z80File file(NumberedLines(40, 30));
    CTextBuffer buffer;
    file.LoadInto(buffer);

    QWidget top;
    auto* window = new QtWindow(MakeView(&buffer), &top);
    auto* box = new QVBoxLayout(&top);
    box->addWidget(window);
    int triggered = 0;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const QKeySequence keys(cases[i].key | cases[i].modifiers);
        // Half of the keys as menu actions, half as plain shortcuts: both kinds lose to the view.
        if (i % 2 == 0) {
            auto* action = new QAction(&top);
            action->setShortcut(keys);
            QObject::connect(action, &QAction::triggered, [&] { ++triggered; });
            top.addAction(action);
        } else {
            auto* shortcut = new QShortcut(keys, &top);
            QObject::connect(shortcut, &QShortcut::activated, [&] { ++triggered; });
        }
    }
    top.resize(400, 300);
    top.show();
    QApplication::setActiveWindow(&top);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&top));
    auto& view = static_cast<Z80QtView&>(window->Host()->GetWnd());
    view.ConnectBuffer(&buffer);
    window->Host()->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), window->Host());

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view.commands.clear();
        triggered = 0;
        QTest::keyClick(window->Host(), c.key, c.modifiers);
        if (c.command != 0) {
            EXPECT_EQ(view.commands, std::vector<uint32_t>{c.command});
            EXPECT_EQ(triggered, 0) << "the window's shortcut stayed silent";
        } else {
            EXPECT_TRUE(view.commands.empty());
            EXPECT_EQ(triggered, 1) << "keys the view does not claim reach the window";
        }
    }

    view.commands.clear();
    QTest::keyClick(window->Host(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(window->Host(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view.GetCaretPos(), (TextPosition{0, 40})) << "the command did its work";
    EXPECT_GT(view.GetTopLine(), 0) << "and scrolled the caret into view";
}

TEST(ViewBarsOnQt, ResizingSetsRangeAndPageAndDisablesBarsThatCannotScroll) {
    constexpr int kLines = 31; // 30 lines of text and the empty one after the last line end
    constexpr int kWidest = 40;
    const Z80File file(NumberedLines(kLines - 1, kWidest));
    CTextBuffer buffer;
    file.LoadInto(buffer);
    QtWindow window(MakeView(&buffer));
    window.resize(300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto& view = static_cast<Z80QtView&>(window.Host()->GetWnd());
    view.ConnectBuffer(&buffer);
    const int cw = view.GetCellWidth();
    const int rh = view.GetRowHeight();

    struct Case {
        int columns; // text cells the client area is wide (plus half a cell)
        int rows;    // and high (plus half a row)
    };
    const Case cases[] = {{10, 10}, {kWidest + 5, kLines + 5}, {kWidest, kLines}, {25, 7}};
    // Scrolled to the bottom first: a size where everything fits brings the text back to the top.
    window.VerticalBar()->Widget()->triggerAction(QAbstractSlider::SliderToMaximum);
    ASSERT_GT(view.GetTopLine(), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.columns) + " x " + std::to_string(c.rows));
        const QSize client(view.GetMarginPixels() + c.columns * cw + cw / 2, c.rows * rh + rh / 2);
        window.resize(window.size() + client - window.Host()->size());
        QApplication::processEvents();
        ASSERT_EQ(window.Host()->size(), client);

        const bool vertScrolls = c.rows < kLines;
        const bool horzScrolls = c.columns < kWidest;
        const platform::ScrollBarState& v = window.VerticalBar()->State();
        const platform::ScrollBarState& h = window.HorizontalBar()->State();
        EXPECT_EQ(v.Max(), kLines - 1);
        EXPECT_EQ(v.Page(), static_cast<uint32_t>(std::min(c.rows, kLines)));
        EXPECT_EQ(h.Max(), kWidest - 1);
        EXPECT_EQ(h.Page(), static_cast<uint32_t>(std::min(c.columns, kWidest)));
        QScrollBar* vbar = window.VerticalBar()->Widget();
        QScrollBar* hbar = window.HorizontalBar()->Widget();
        EXPECT_TRUE(vbar->isVisible() && hbar->isVisible()) << "bars never hide";
        EXPECT_EQ(vbar->isEnabled(), vertScrolls);
        EXPECT_EQ(hbar->isEnabled(), horzScrolls);
        if (vertScrolls) {
            EXPECT_EQ(vbar->pageStep(), c.rows);
            EXPECT_EQ(vbar->maximum(), kLines - c.rows);
        } else {
            EXPECT_EQ(view.GetTopLine(), 0);
        }
        vbar->triggerAction(QAbstractSlider::SliderToMaximum);
    }
}

} // namespace
} // namespace viewqt
