// The mouse and the clipboard of an edit view hosted on Qt: Qt's mouse events reach the view as
// presses, moves, releases and double clicks of the left button and presses of the right one;
// the pointer takes its three shapes; the auto-scroll timer runs on Qt's timers; Copy and Paste go
// through Qt's clipboard with the exact bytes.
#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <string>

#include "edit/editview.h"
#include "viewqt_harness.h"

namespace viewqt {
namespace {

using platform::qt::QtWindow;
using platform::qt::QtWndHost;

class EditQtView : public CTextEditView {
public:
    CTextBuffer* found = nullptr;
    CTextBuffer* FindTextBuffer() override { return found; }
    bool OnCreate() override {
        if (!CTextEditView::OnCreate())
            return false;
        platform::LogFont font = GetBaseFont();
        font.lfHeight = 16;
        font.SetFaceName("Courier New");
        SetBaseFont(font);
        return true;
    }
};

// Catches the context menu events that reach the window around the view.
class MenuCatcher : public QWidget {
public:
    int menus = 0;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override {
        ++menus;
        event->accept();
    }
};

struct MouseOnQt : ::testing::Test {
    MouseOnQt() {
        std::string text;
        for (int i = 0; i < 60; ++i)
            text += "\tld a," + std::to_string(i) + " ; line_" + std::to_string(i) + "\n";
        file = std::make_unique<Z80File>(text);
        file->LoadInto(buffer);
        auto made = std::make_unique<EditQtView>();
        made->found = &buffer;
        view = made.get();
        window = new QtWindow(std::move(made), &top);
        window->resize(400, 200);
        top.resize(420, 220);
        top.show();
        QApplication::processEvents();
        host = window->Host();
        view->ConnectBuffer(&buffer);
        host->setFocus();
        QApplication::processEvents();
    }
    // The middle of text cell (column, row) in the host's coordinates.
    QPoint Cell(int column, int row) const { return CellRect(*view, column, row).center(); }
    std::string Selected() const {
        TextPosition start;
        TextPosition end;
        view->GetSelectedRange(start, end);
        std::string text;
        view->GetTextRange(start, end, text);
        return text;
    }

    std::unique_ptr<Z80File> file;
    CTextBuffer buffer;
    MenuCatcher top;
    QtWindow* window = nullptr;
    QtWndHost* host = nullptr;
    EditQtView* view = nullptr;
};

TEST_F(MouseOnQt, SelectingWithTheLeftButton) {
    // "\tld a,0 ; line_0": the tab covers cells 0 to 3.
    QTest::mousePress(host, Qt::LeftButton, Qt::NoModifier, Cell(4, 0));
    QTest::mouseMove(host, Cell(6, 1));
    QTest::mouseRelease(host, Qt::LeftButton, Qt::NoModifier, Cell(6, 1));
    EXPECT_EQ(Selected(), "ld a,0 ; line_0\r\n\tld");
    EXPECT_FALSE(view->GetMouseSelection().mouseSelecting);
    // A double click selects the word under the pointer, underscore and digits included.
    QTest::mouseDClick(host, Qt::LeftButton, Qt::NoModifier, Cell(14, 2));
    QTest::mouseRelease(host, Qt::LeftButton, Qt::NoModifier, Cell(14, 2));
    EXPECT_EQ(Selected(), "line_2");
    // Shift+click extends from the anchor.
    QTest::mouseClick(host, Qt::LeftButton, Qt::NoModifier,
                      QPoint(CellRect(*view, 4, 3).left(), Cell(4, 3).y()));
    QTest::mouseClick(host, Qt::LeftButton, Qt::ShiftModifier,
                      QPoint(CellRect(*view, 6, 4).left(), Cell(6, 4).y()));
    EXPECT_EQ(Selected(), "ld a,3 ; line_3\r\n\tld");
    // A click in the margin selects the line.
    QTest::mouseClick(host, Qt::LeftButton, Qt::NoModifier, QPoint(5, Cell(0, 1).y()));
    EXPECT_EQ(Selected(), "\tld a,1 ; line_1\r\n");
}

TEST_F(MouseOnQt, PointerShapes) {
    QTest::mouseClick(host, Qt::LeftButton, Qt::NoModifier, QPoint(5, Cell(0, 1).y()));
    QTest::mouseMove(host, QPoint(5, Cell(0, 4).y()));
    EXPECT_EQ(host->CurrentCursor(), view::IDC_MARGIN_CURSOR);
    QTest::mouseMove(host, Cell(5, 1));
    EXPECT_EQ(host->CurrentCursor(), platform::IDC_ARROW);
    QTest::mouseMove(host, Cell(5, 3));
    EXPECT_EQ(host->CurrentCursor(), platform::IDC_IBEAM);
}

TEST_F(MouseOnQt, RightButtonPlacesTheCaretBeforeTheContextMenu) {
    QTest::mouseClick(host, Qt::LeftButton, Qt::NoModifier, QPoint(5, Cell(0, 1).y()));
    // Inside the selection the selection stays; the menu event goes on to the window.
    QTest::mousePress(host, Qt::RightButton, Qt::NoModifier, Cell(5, 1));
    QContextMenuEvent inside(QContextMenuEvent::Mouse, Cell(5, 1), host->mapToGlobal(Cell(5, 1)));
    QApplication::sendEvent(host, &inside);
    QTest::mouseRelease(host, Qt::RightButton, Qt::NoModifier, Cell(5, 1));
    EXPECT_EQ(Selected(), "\tld a,1 ; line_1\r\n");
    EXPECT_EQ(top.menus, 1);
    QTest::mousePress(host, Qt::RightButton, Qt::NoModifier, Cell(5, 4));
    QTest::mouseRelease(host, Qt::RightButton, Qt::NoModifier, Cell(5, 4));
    EXPECT_EQ(Selected(), "");
    EXPECT_EQ(view->GetCaretPos(), (TextPosition{2, 4}));
}

TEST_F(MouseOnQt, AutoScrollRunsOnQtsTimer) {
    QTest::mousePress(host, Qt::LeftButton, Qt::NoModifier, Cell(4, 2));
    ASSERT_TRUE(view->GetMouseSelection().mouseSelecting);
    ASSERT_NE(view->GetMouseSelection().autoScrollTimer, 0u);
    // The pointer rests below the window: the timer scrolls while the button is held.
    const QPoint below(Cell(4, 0).x(), host->height() + 40);
    QTest::mouseMove(host, below);
    QCursor::setPos(host->mapToGlobal(below));
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 450 && view->GetTopLine() == 0)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_GT(view->GetTopLine(), 0);
    QTest::mouseRelease(host, Qt::LeftButton, Qt::NoModifier, below);
    EXPECT_FALSE(view->GetMouseSelection().mouseSelecting);
    const int32_t scrolled = view->GetTopLine();
    clock.restart();
    while (clock.elapsed() < 250)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(view->GetTopLine(), scrolled) << "the timer stops with the button";
}

TEST_F(MouseOnQt, CopyAndPasteKeepEveryByte) {
    int line = 0;
    int ch = 0;
    const std::string bytes("a\0b\x80\xFF\n", 6);
    ASSERT_TRUE(buffer.ApplyInsert(nullptr, 0, 0, bytes, line, ch));
    QTest::mouseClick(host, Qt::LeftButton, Qt::NoModifier, QPoint(5, Cell(0, 0).y()));
    QTest::keyClick(host, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Selected(), bytes + "\tld a,0 ; line_0\r\n");
    QTest::mouseClick(host, Qt::LeftButton, Qt::NoModifier, QPoint(5, Cell(0, 3).y()));
    QTest::keyClick(host, Qt::Key_V, Qt::ControlModifier);
    std::string pasted;
    buffer.CopyText(3, 0, 4, 0, pasted);
    EXPECT_EQ(pasted, bytes + "\tld a,0 ; line_0\r\n");
    // What another application reads: LF line ends, the bytes through the view's code page.
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromUtf8("a\0b\xE2\x82\xAC\xC3\xBF\n\tld a,0 ; line_0\n", 26));
}

} // namespace
} // namespace viewqt
