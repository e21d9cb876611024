// The shell as a desktop application: the command route, several files on the command line,
// window placement, icons, the lock-key panes, the keyboard's context menu, message icons and
// the file and font dialogs.
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontInfo>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "app/qtresources.h"
#include "app/qtuiservices.h"
#include "app/resources/resourceids.h"
#include "app_harness.h"
#include "platform/qt/qt_window.h"

namespace apptest {
namespace {

using namespace app;
using platform::LockKey;
using platform::LockState;

// The cells the single pane of `child` shows.
QSize VisibleCells(CChildFrame& child) {
    const platform::qt::QtWndHost* host = child.Splitter().PaneHost(0, 0);
    CSampleView& view = *child.ActiveView();
    return {(host->width() - view.GetMarginPixels()) / view.GetCellWidth(),
            host->height() / view.GetRowHeight()};
}

// Every command reaches its target along one route, whether it comes from a menu (the main
// frame's route) or as a key command of a pane (the view's route), and its state comes from the
// same target.
TEST_F(AppTest, MenusAndKeysTakeOneCommandRoute) {
    ASSERT_TRUE(Start());
    CSampleView& view = View();
    for (bool fromKey : {false, true}) {
        auto send = [&](uint32_t id) {
            return fromKey ? view.OnCommand(id) : Main().RouteCommand(id);
        };
        SCOPED_TRACE(fromKey ? "key" : "menu");
        // The view: Backspace at start of line.
        const bool bsasol = view.GetBackspaceAtLineStart();
        EXPECT_TRUE(send(ID_BACKSPACE_AT_LINE_START));
        EXPECT_NE(view.GetBackspaceAtLineStart(), bsasol);
        // The document: Read Only (its message box) and back.
        EXPECT_TRUE(send(ID_READ_ONLY));
        EXPECT_TRUE(Doc().Buffer().IsReadOnly());
        EXPECT_TRUE(send(ID_READ_ONLY));
        // The main frame: the toolbar.
        const bool bar = Main().ToolBar().isHidden();
        EXPECT_TRUE(send(ID_VIEW_TOOLBAR));
        EXPECT_NE(Main().ToolBar().isHidden(), bar);
        // The application: About.
        const int about = ui.aboutShown;
        EXPECT_TRUE(send(ID_APP_ABOUT));
        EXPECT_EQ(ui.aboutShown, about + 1);
        // Nobody's.
        EXPECT_FALSE(send(12345));
    }
    CmdUI state;
    state.id = 12345;
    state.Enable(true);
    Main().RouteCommandUI(state);
    EXPECT_FALSE(state.enabled);
}

TEST_F(AppTest, EveryFileOfTheCommandLineOpensInItsOwnWindow) {
    WriteFile("a.asm", "\tnop\r\n");
    WriteFile("b.asm", "\tret\r\n");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("a.asm")),
                       QString::fromStdString(FilePath("missing.asm")),
                       QString::fromStdString(FilePath("b.asm"))}));
    std::vector<QString> titles;
    for (CChildFrame* child : Main().Children())
        titles.push_back(child->windowTitle());
    EXPECT_EQ(titles, (std::vector<QString>{"a.asm", "b.asm"}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("missing.asm"), std::string::npos);
    EXPECT_EQ(ui.icons[0], MessageIcon::Error);
    Stop();

    // Start-up fails only when no file could be opened.
    ASSERT_FALSE(Start({QString::fromStdString(FilePath("missing.asm")),
                        QString::fromStdString(FilePath("gone.asm"))}));
    EXPECT_EQ(ui.messages.size(), 3u);
}

TEST_F(AppTest, MessageBoxesCarryTheIconOfTheirKind) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Main().RouteCommand(ID_READ_ONLY));
    ASSERT_TRUE(Main().RouteCommand(ID_READ_ONLY));
    Type(View(), "x");
    ui.answers.push_back(MessageResult::Cancel);
    Main().close();
    ui.savePaths.push_back(dir_.filePath("no/such/folder/x.asm").toStdString());
    ASSERT_TRUE(Main().RouteCommand(ID_FILE_SAVE));
    EXPECT_EQ(ui.icons, (std::vector<MessageIcon>{MessageIcon::Information, MessageIcon::Warning,
                                                  MessageIcon::Error}));
}

TEST_F(AppTest, LockKeyPanesLightWhileTheKeyIsOn) {
    ASSERT_TRUE(Start());
    Main().UpdateCommandUI();
    for (uint32_t pane : {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL})
        EXPECT_EQ(Main().PaneText(pane), "") << pane; // the platform cannot tell
    // A change shows at once, without waiting for the idle update.
    lockKeys.Set(LockKey::Caps, LockState::On);
    EXPECT_EQ(Main().PaneText(ID_INDICATOR_CAPS), "CAP");
    lockKeys.Set(LockKey::Num, LockState::On);
    lockKeys.Set(LockKey::Scroll, LockState::Off);
    EXPECT_EQ(Main().PaneText(ID_INDICATOR_NUM), "NUM");
    EXPECT_EQ(Main().PaneText(ID_INDICATOR_SCRL), "");
    lockKeys.Set(LockKey::Scroll, LockState::On);
    lockKeys.Set(LockKey::Caps, LockState::Off);
    EXPECT_EQ(Main().PaneText(ID_INDICATOR_SCRL), "SCRL");
    EXPECT_EQ(Main().PaneText(ID_INDICATOR_CAPS), "");
}

TEST_F(AppTest, WindowsAreSizedForTheirTextAndRememberedAsLeft) {
    ASSERT_TRUE(Start());
    Main().show();
    Settle();
    // The main window fits the screen, in its middle; a document window shows 80 x 25 cells.
    const QRect screen = Main().screen()->availableGeometry();
    EXPECT_LE(Main().width(), screen.width());
    EXPECT_LE(Main().height(), screen.height());
    EXPECT_LE((Main().geometry().center() - screen.center()).manhattanLength(), 2);
    EXPECT_EQ(VisibleCells(*Main().ActiveChild()), QSize(80, 25));

    // Cascade keeps every window's size.
    ASSERT_TRUE(Main().RouteCommand(ID_FILE_NEW));
    ASSERT_TRUE(Main().RouteCommand(ID_FILE_NEW));
    Main().Children()[1]->resize(500, 300);
    std::vector<QSize> before;
    for (CChildFrame* child : Main().Children())
        before.push_back(child->size());
    ASSERT_TRUE(Main().RouteCommand(ID_WINDOW_CASCADE));
    std::vector<QSize> after;
    for (CChildFrame* child : Main().Children())
        after.push_back(child->size());
    EXPECT_EQ(after, before);
    EXPECT_LT(Main().Children()[0]->y(), Main().Children()[2]->y());

    // Maximised, the document's name shows once in the main window's title.
    Main().ActiveChild()->showMaximized();
    Settle();
    EXPECT_EQ(Main().windowTitle(), "Velmora Editor - Source3");
    // Closing the documents one by one leaves the user's choice as it was.
    for (CChildFrame* child : Main().Children()) {
        child->close();
        Settle();
    }
    EXPECT_TRUE(Main().DocumentsMaximized());
    Main().move(40, 30);
    Main().resize(700, 500);
    Main().close();
    Settle();
    Stop();

    ASSERT_TRUE(Start());
    Main().show();
    Settle();
    EXPECT_EQ(Main().size(), QSize(700, 500));
    EXPECT_TRUE(Main().ActiveChild()->isMaximized());
    EXPECT_EQ(Main().windowTitle(), "Velmora Editor - Source1");
}

TEST_F(AppTest, WindowsCarryTheApplicationAndDocumentIcons) {
    ASSERT_TRUE(Start());
    for (const QIcon& icon : {Main().windowIcon(), QApplication::windowIcon()}) {
        const QList<QSize> sizes = icon.availableSizes();
        for (int size : {16, 32, 48, 64, 128, 256})
            EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    }
    const QImage document = Main().ActiveChild()->windowIcon().pixmap(16, 16).toImage();
    EXPECT_EQ(document, ResourceIcon(IDR_SOURCETYPE).pixmap(16, 16).toImage());
    EXPECT_NE(document, Main().windowIcon().pixmap(16, 16).toImage());
}

TEST_F(AppTest, ShiftF10AndTheMenuKeyOpenTheContextMenuAtTheCaret) {
    WriteFile("prog.asm", "start:\r\n\tld a,1\r\n");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("prog.asm"))}));
    Main().show();
    Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    CSampleView& view = View();
    view.SetFocus();
    view.OnCommand(ID_CARET_LINE_DOWN);
    view.OnCommand(ID_CARET_LINE_END);
    platform::qt::QtWndHost* host = Main().ActiveChild()->Splitter().PaneHost(0, 0);
    const platform::Rect caret = host->CaretRect();
    const QPoint expected = host->mapToGlobal(QPoint(caret.left, caret.bottom));
    for (const bool menuKey : {false, true}) {
        QPoint shownAt(-1, -1);
        QStringList items;
        // Runs inside the menu's own event loop, if the menu opens.
        QTimer closer;
        closer.setSingleShot(true);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                shownAt = menu->pos();
                for (QAction* action : menu->actions())
                    items << action->text();
                menu->close();
            }
        });
        closer.start(0);
        if (menuKey) {
            // What the platform sends for the Menu key.
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(0, 0),
                                    host->mapToGlobal(QPoint(0, 0)));
            QApplication::sendEvent(host, &event);
        } else {
            QTest::keyClick(host, Qt::Key_F10, Qt::ShiftModifier);
        }
        closer.stop();
        EXPECT_EQ(shownAt, expected) << menuKey;
        EXPECT_EQ(items.value(0), "Cu&t\tCtrl+X");
    }
}

TEST_F(AppTest, FileDialogsOfferSourcesAndStartWhereTheUserWorks) {
    EXPECT_EQ(
        FileDialogFilters(),
        (QStringList{"Quorda Files (*.qrt)",
                     "Assembler sources (*.asm *.z80 *.s *.inc *.a80 *.mac)", "All Files (*)"}));
    WriteFile("prog.asm", "\tnop\r\n");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("prog.asm"))}));
    // Open starts in the active document's folder.
    ASSERT_TRUE(Main().RouteCommand(ID_FILE_OPEN));
    EXPECT_EQ(ui.openFolders, std::vector<std::string>{dir_.path().toStdString() + "/"});

    // The dialog starts with the filter and, for a new document, the folder chosen last time.
    {
        auto first = MakeFileDialog(true, FilePath("prog.asm"), &app->Profile(), nullptr);
        EXPECT_EQ(first->selectedNameFilter(), "Quorda Files (*.qrt)");
        EXPECT_EQ(first->directory().absolutePath(), dir_.path());
        EXPECT_EQ(first->defaultSuffix(), "qrt");
        first->selectNameFilter(FileDialogFilters()[1]);
        RememberFileDialog(*first, app->Profile());
    }
    auto next = MakeFileDialog(false, "", &app->Profile(), nullptr);
    EXPECT_EQ(next->selectedNameFilter(), FileDialogFilters()[1]);
    EXPECT_EQ(next->directory().absolutePath(), dir_.path());
    auto save = MakeFileDialog(true, "Source2", &app->Profile(), nullptr);
    EXPECT_EQ(save->defaultSuffix(), "asm");
}

TEST_F(AppTest, SetFontOffersFixedPitchFacesStartingFromOneThatIsDrawn) {
    platform::LogFont missing;
    missing.lfHeight = -19;
    missing.SetFaceName("No Such Face Anywhere");
    const std::unique_ptr<QFontDialog> dialog = MakeFontDialog(missing, nullptr);
    EXPECT_TRUE(dialog->testOption(QFontDialog::MonospacedFonts));
    const QFont proposed = dialog->currentFont();
    EXPECT_TRUE(QFontInfo(proposed).fixedPitch() ||
                QFontMetricsF(proposed).horizontalAdvance('i') ==
                    QFontMetricsF(proposed).horizontalAdvance('W'))
        << proposed.family().toStdString();
}

} // namespace
} // namespace apptest
