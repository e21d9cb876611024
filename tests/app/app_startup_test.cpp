// Start-up, menus, settings and the status bar of the running editor.
#include <QClipboard>
#include <QGuiApplication>
#include <QMenuBar>

#include "app/resources/resourceids.h"
#include "app_harness.h"

namespace apptest {
namespace {

using namespace app;

TEST_F(AppTest, StartsWithNumberedNewDocumentsAndSwitchesMenus) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(Main().CurrentMenuId(), IDR_SOURCETYPE);
    EXPECT_EQ(Doc().Title(), "Source1");
    EXPECT_EQ(Main().windowTitle(), "Velmora Editor - Source1");
    ASSERT_TRUE(Main().RouteCommand(ID_FILE_NEW));
    EXPECT_EQ(Doc().Title(), "Source2");
    EXPECT_EQ(app->Documents().size(), 2u);

    for (CChildFrame* child : Main().Children())
        child->close();
    Settle();
    EXPECT_TRUE(app->Documents().empty());
    EXPECT_EQ(Main().CurrentMenuId(), IDR_MAINFRAME);
    // With no document, only the frame's and the application's commands are live.
    EXPECT_TRUE(MenuItem(ID_FILE_NEW)->isEnabled());
    EXPECT_EQ(Main().FindMenuAction(ID_FILE_SAVE), nullptr);
    EXPECT_FALSE(MenuItem(ID_FILE_MRU_FILE1)->isEnabled());
}

TEST_F(AppTest, CommandLineOpensTheFileOrFailsWithTheReason) {
    WriteFile("prog.asm", "\tld a,1\r\n\tret\r\n");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("prog.asm"))}));
    EXPECT_EQ(Doc().Title(), "prog.asm");
    EXPECT_EQ(Doc().Buffer().LineCount(), 3);
    EXPECT_EQ(app->RecentFiles().front(), Doc().PathName());
    EXPECT_EQ(Stored("Recent File List/File1").toString().toStdString(), Doc().PathName());
    Stop();

    ASSERT_FALSE(Start({QString::fromStdString(FilePath("missing.asm"))}));
    EXPECT_EQ(app->MainFrame(), nullptr);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("missing.asm"), std::string::npos);
}

TEST_F(AppTest, MenusMatchTheResources) {
    ASSERT_TRUE(Start());
    // The document menu, with the Z80 workbench's pop-up after "&View".
    const QList<QAction*> top = Main().menuBar()->actions();
    ASSERT_EQ(top.size(), 6);
    const char* titles[] = {"&File", "&Edit", "&View", "&Z80", "&Window", "&Help"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(top[i]->text(), titles[i]);
    EXPECT_EQ(MenuItem(ID_FILE_NEW)->text(), "&New\tCtrl+N");
    EXPECT_EQ(MenuItem(ID_EDIT_FIND_PREVIOUS)->text(), "Find Previous\tShift+F3");
    EXPECT_EQ(Main().FindToolBarAction(ID_FILE_SAVE)->toolTip(), "Save");
    EXPECT_EQ(Main().FindToolBarAction(ID_FILE_SAVE)->statusTip(), "Save the active source file");
    const QIcon icon = Main().FindToolBarAction(ID_EDIT_CUT)->icon();
    EXPECT_EQ(icon.availableSizes().size(), 2);
}

// Each row: a command's menu item after a step, as the update handlers leave it.
TEST_F(AppTest, CommandStatesFollowTheDocument) {
    ASSERT_TRUE(Start());
    CSampleView& view = View();
    struct Row {
        uint32_t id;
        bool enabled;
        bool checked;
        const char* text; // null: not looked at
    };
    auto expect = [&](const char* step, std::initializer_list<Row> rows) {
        for (const Row& row : rows) {
            QAction* action = MenuItem(row.id);
            ASSERT_NE(action, nullptr) << step << " " << row.id;
            EXPECT_EQ(action->isEnabled(), row.enabled) << step << " " << row.id;
            EXPECT_EQ(action->isChecked(), row.checked) << step << " " << row.id;
            if (row.text) {
                EXPECT_EQ(action->text(), row.text) << step << " " << row.id;
            }
        }
    };
    expect("fresh", {{ID_EDIT_UNDO, false, false, nullptr},
                     {ID_EDIT_REDO, false, false, nullptr},
                     {ID_READ_ONLY, true, false, nullptr},
                     {ID_DRAG_AND_DROP_EDITING, false, false, nullptr},
                     {ID_BACKSPACE_AT_LINE_START, true, false, nullptr}});
    Type(view, "ab");
    expect("typed", {{ID_EDIT_UNDO, true, false, "&Undo Typing\tCtrl+Z"},
                     {ID_EDIT_REDO, false, false, nullptr}});
    EXPECT_EQ(Main().ActiveChild()->windowTitle(), "Source1 *");
    ASSERT_TRUE(Main().RouteCommand(ID_EDIT_UNDO));
    expect("undone", {{ID_EDIT_UNDO, false, false, nullptr}, {ID_EDIT_REDO, true, false, nullptr}});
    // Back at the saved state, the document is clean again.
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(Main().ActiveChild()->windowTitle(), "Source1");

    ASSERT_TRUE(Main().RouteCommand(ID_READ_ONLY));
    ASSERT_EQ(ui.messages, std::vector<std::string>{"Document now read-only!"});
    expect("read-only",
           {{ID_READ_ONLY, true, true, nullptr}, {ID_EDIT_REDO, false, false, nullptr}});
    Type(view, "x");
    EXPECT_EQ(Doc().Buffer().LineText(0), "");
    ASSERT_TRUE(Main().RouteCommand(ID_READ_ONLY));
    EXPECT_EQ(ui.messages.size(), 1u); // made writable silently
    expect("writable", {{ID_READ_ONLY, true, false, nullptr}});

    ASSERT_TRUE(Main().RouteCommand(ID_BACKSPACE_AT_LINE_START));
    expect("bsasol", {{ID_BACKSPACE_AT_LINE_START, true, true, nullptr}});
}

TEST_F(AppTest, ContextMenuStatesFollowSelectionAndClipboard) {
    QGuiApplication::clipboard()->clear();
    ASSERT_TRUE(Start());
    CSampleView& view = View();
    Type(view, "ld a,b");
    auto state = [&](uint32_t id) {
        CmdUI item;
        item.id = id;
        item.element = CmdUI::Element::MenuItem;
        view.UpdateContextMenuItem(item);
        return item.enabled;
    };
    EXPECT_FALSE(state(ID_EDIT_CUT));
    EXPECT_FALSE(state(ID_EDIT_COPY));
    EXPECT_FALSE(state(ID_EDIT_PASTE));
    EXPECT_TRUE(state(ID_EDIT_DELETE));
    view.SelectRange({0, 0}, {2, 0});
    QGuiApplication::clipboard()->setText("nop");
    EXPECT_TRUE(state(ID_EDIT_CUT));
    EXPECT_TRUE(state(ID_EDIT_COPY));
    EXPECT_TRUE(state(ID_EDIT_PASTE));
    // A read-only text can be copied, not cut or pasted into.
    Doc().Buffer().ChangeReadOnly(true);
    EXPECT_FALSE(state(ID_EDIT_CUT));
    EXPECT_TRUE(state(ID_EDIT_COPY));
    EXPECT_FALSE(state(ID_EDIT_PASTE));
    EXPECT_TRUE(state(ID_EDIT_DELETE));
}

TEST_F(AppTest, SettingsAreReadAndWrittenUnderTheirNames) {
    Preset("Colors/Keyword", 0x123456);
    Preset("Settings/BSASOL", 1);
    ASSERT_TRUE(Start());
    EXPECT_EQ(View().KeywordColor(), 0x123456u);
    EXPECT_EQ(View().CommentColor(), 0x808080u);
    EXPECT_TRUE(View().GetBackspaceAtLineStart());
    // Every colour is written back at the view's initial update.
    EXPECT_EQ(Stored("Colors/Comment").toInt(), 0x808080);
    EXPECT_EQ(Stored("Colors/Number").toInt(), 0x000080);
    EXPECT_EQ(Stored("Colors/Keyword").toInt(), 0x123456);
    EXPECT_EQ(Stored("Colors/Preproc").toInt(), 0xC08000);
    // The document font: 16 pixels of Courier New in the Cyrillic set while no size is stored.
    EXPECT_EQ(Doc().Font().lfHeight, 16);
    EXPECT_EQ(Doc().Font().FaceName(), "Courier New");
    EXPECT_EQ(Doc().Font().lfCharSet, 204);
    EXPECT_EQ(View().GetBaseFont(), Doc().Font());

    // Set Font proposes 14 points, stores the choice and leaves open documents alone.
    ui.font = FontChoice{"Mono Sans", 120};
    ASSERT_TRUE(Main().RouteCommand(ID_SET_FONT));
    ASSERT_TRUE(ui.fontAsked.has_value());
    EXPECT_LT(ui.fontAsked->lfHeight, 0);
    EXPECT_EQ(ui.fontAsked->FaceName(), "Courier New");
    EXPECT_EQ(Stored("Default Font/FaceName").toString(), "Mono Sans");
    EXPECT_EQ(Stored("Default Font/Size").toInt(), 120);
    EXPECT_EQ(Doc().Font().lfHeight, 16);
    ASSERT_TRUE(Main().RouteCommand(ID_FILE_NEW));
    EXPECT_EQ(Doc().Font().lfHeight, 12);
    EXPECT_EQ(View().GetBaseFont().FaceName(), "Mono Sans");
}

TEST_F(AppTest, LastViewDestroyedDecidesBackspaceSetting) {
    ASSERT_TRUE(Start());
    CSampleDoc& doc = Doc();
    CChildFrame* first = Main().ActiveChild();
    ASSERT_TRUE(Main().RouteCommand(ID_WINDOW_NEW));
    CChildFrame* second = Main().ActiveChild();
    ASSERT_NE(first, second);
    EXPECT_EQ(first->windowTitle(), "Source1:1");
    EXPECT_EQ(second->windowTitle(), "Source1:2");
    first->ActiveView()->SetBackspaceAtLineStart(true);
    second->ActiveView()->SetBackspaceAtLineStart(false);
    second->close();
    Settle();
    EXPECT_EQ(Stored("Settings/BSASOL").toInt(), 0);
    EXPECT_EQ(first->windowTitle(), "Source1");
    EXPECT_EQ(&first->Document(), &doc);
    first->close();
    Settle();
    EXPECT_EQ(Stored("Settings/BSASOL").toInt(), 1);
}

TEST_F(AppTest, StatusPanesShowPositionLineEndsAndModes) {
    WriteFile("lf.asm", "\tnop\n\tret\n");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("lf.asm"))}));
    const std::vector<uint32_t> order{ID_SEPARATOR,
                                      ID_EDIT_INDICATOR_POSITION,
                                      ID_EDIT_INDICATOR_BLANK,
                                      ID_EDIT_INDICATOR_CRLF,
                                      ID_INDICATOR_OVR,
                                      ID_EDIT_INDICATOR_READ,
                                      ID_INDICATOR_CAPS,
                                      ID_INDICATOR_NUM,
                                      ID_INDICATOR_SCRL,
                                      ID_Z80_INDICATOR_FIGURES};
    EXPECT_EQ(Main().PaneIds(), order);
    CSampleView& view = View();
    view.OnCommand(ID_CARET_TEXT_END);
    Main().UpdateCommandUI();
    EXPECT_EQ(Main().PaneText(ID_EDIT_INDICATOR_POSITION), "Ln 3, Col 1");
    // Bare LF line ends are the buffer's style 2.
    EXPECT_EQ(Main().PaneText(ID_EDIT_INDICATOR_CRLF), "MAC");
    EXPECT_EQ(Main().PaneText(ID_EDIT_INDICATOR_BLANK), "");
    EXPECT_EQ(Main().PaneText(ID_INDICATOR_OVR), "");
    EXPECT_EQ(Main().PaneText(ID_EDIT_INDICATOR_READ), "");
    EXPECT_EQ(Main().PaneText(ID_SEPARATOR), "Ready");
    view.OnCommand(ID_CARET_LINE_UP);
    view.OnCommand(ID_CARET_RIGHT);
    view.OnCommand(ID_EDIT_SWITCH_OVRMODE);
    Doc().Buffer().ChangeReadOnly(true);
    Main().UpdateCommandUI();
    // A tab counts as one character.
    EXPECT_EQ(Main().PaneText(ID_EDIT_INDICATOR_POSITION), "Ln 2, Col 2");
    EXPECT_EQ(Main().PaneText(ID_INDICATOR_OVR), "OVR");
    EXPECT_EQ(Main().PaneText(ID_EDIT_INDICATOR_READ), "Read");
}

} // namespace
} // namespace apptest
