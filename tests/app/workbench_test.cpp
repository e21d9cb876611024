// The Z80 workbench in the running editor: the figures pane, the label outline dock following
// edits, filtering and the background scan, go to definition with Go Back and Go Forward across
// documents, Go to Line, and the workbench's keys reaching the frame through real key events.
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTableView>
#include <QTest>

#include "app/outlinedock.h"
#include "app/outputdock.h"
#include "app/qtresources.h"
#include "app/resources/accelerators.h"
#include "app/resources/resourceids.h"
#include "app/workbench.h"
#include "app/z80dialogs.h"
#include "app/z80document.h"
#include "app_harness.h"
#include "common/test_rng.h"
#include "platform/input.h"
#include "platform/keys.h"

namespace apptest {
namespace {

using namespace app;

class WorkbenchTest : public AppTest {
protected:
    bool Open(std::initializer_list<const char*> names) {
        QStringList paths;
        for (const char* name : names)
            paths << QString::fromStdString(FilePath(name));
        return Start(paths);
    }
    Z80Workbench& Bench() const { return Main().Workbench(); }
    OutlineDock& Dock() const { return Bench().Outline(); }
    QString Figures() {
        Main().UpdateCommandUI();
        return Main().PaneText(ID_Z80_INDICATOR_FIGURES);
    }
    // The rows of the outline dock as "name@line".
    std::vector<std::string> DockRows() const {
        std::vector<std::string> rows;
        OutlineModel& model = Dock().Model();
        for (int row = 0; row < model.rowCount(); ++row) {
            rows.push_back(
                model.index(row, OutlineModel::NameColumn).data().toString().toStdString() + "@" +
                model.index(row, OutlineModel::LineColumn).data().toString().toStdString());
        }
        return rows;
    }
    // What a fresh scan of `buffer` lists, in the same form, kept to the names holding `filter`.
    static std::vector<std::string> Rescan(CTextBuffer& buffer, std::string_view filter = {}) {
        const z80::Outline fresh(buffer);
        std::vector<std::string> rows;
        for (const int i : fresh.Filter(filter))
            rows.push_back(std::string(fresh.At(i).name) + "@" +
                           std::to_string(fresh.At(i).line + 1));
        return rows;
    }
    CChildFrame* FrameOf(const char* name) const {
        for (CChildFrame* child : Main().Children())
            if (child->Document().Title() == name)
                return child;
        return nullptr;
    }
};

TEST_F(WorkbenchTest, FiguresPaneShowsTheCaretLineOrTheSelectionsSums) {
    WriteFile("fig.asm", "\tld a,5\r\n\tjr nz,loop\r\nloop:\tld (ix+5),a\r\n; done\r\n\tret\r\n");
    ASSERT_TRUE(Open({"fig.asm"}));
    CSampleView& view = View();
    const struct {
        TextPosition caret;
        const char* text;
    } lines[] = {
        {{0, 0}, "2 B  7 T"},  {{3, 1}, "2 B  12/7 T"},
        {{0, 2}, "3 B  19 T"}, {{2, 3}, ""}, // a comment takes no room
        {{1, 4}, "1 B  10 T"},
    };
    for (const auto& line : lines) {
        view.CollapseCaretTo(line.caret);
        EXPECT_EQ(Figures().toStdString(), line.text) << line.caret.y;
    }
    // A selection made line by line, as a drag makes it, and one ending at a line start, which
    // does not count that line.
    view.CollapseCaretTo({0, 0});
    view.OnCommand(ID_CARET_LINE_DOWN_EXTEND);
    EXPECT_EQ(Figures().toStdString(), "sel 2 B  7 T");
    view.OnCommand(ID_CARET_LINE_DOWN_EXTEND);
    EXPECT_EQ(Figures().toStdString(), "sel 4 B  14-19 T");
    view.OnCommand(ID_CARET_LINE_END_EXTEND);
    EXPECT_EQ(Figures().toStdString(), "sel 7 B  33-38 T");
    view.OnCommand(ID_CARET_TEXT_END_EXTEND);
    EXPECT_EQ(Figures().toStdString(), "sel 8 B  43-48 T");
    // Typing changes the text: the sums follow.
    view.CollapseCaretTo({0, 1});
    Type(view, "\tnop\r");
    view.CollapseCaretTo({0, 0});
    view.OnCommand(ID_CARET_TEXT_END_EXTEND);
    EXPECT_EQ(Figures().toStdString(), "sel 9 B  47-52 T");
}

TEST_F(WorkbenchTest, OutlineDockFollowsEditsUndoAndTheFilter) {
    WriteFile("labels.asm",
              "start:\r\n\tld a,1\r\nloop:\tdjnz loop\r\ncount equ 5\r\n\tjp start\r\n"
              "Loop2:\r\n\tret\r\n");
    ASSERT_TRUE(Open({"labels.asm"}));
    ASSERT_TRUE(Main().RouteCommand(ID_Z80_OUTLINE));
    ASSERT_TRUE(Dock().isVisible());
    CSampleView& view = View();
    CTextBuffer& buffer = Doc().Buffer();
    EXPECT_EQ(DockRows(), (std::vector<std::string>{"start@1", "loop@3", "count@4", "Loop2@6"}));
    // Scripted steps first, then random typing, each step checked against a fresh scan.
    const auto check = [&](const std::string& step) {
        Settle();
        EXPECT_EQ(DockRows(), Rescan(buffer, Dock().Model().Filter().toStdString())) << step;
    };
    view.CollapseCaretTo({0, 0});
    Type(view, "\r\r");
    check("lines inserted above");
    view.CollapseCaretTo({0, 4});
    Type(view, "x");
    check("label renamed");
    view.CollapseCaretTo({0, 0});
    view.OnCommand(ID_CARET_LINE_DOWN_EXTEND);
    view.OnCommand(ID_EDIT_DELETE);
    check("line deleted above");
    view.CollapseCaretTo({0, 1});
    Type(view, "/*");
    check("comment opened");
    view.OnCommand(ID_EDIT_UNDO);
    view.OnCommand(ID_EDIT_UNDO);
    check("undo");
    view.OnCommand(ID_EDIT_REDO);
    check("redo");

    QTest::keyClicks(&Dock().FilterField(), "OO");
    check("filtered");
    EXPECT_EQ(Dock().Model().rowCount(), 2);
    // A line typed above keeps the chosen row on its entry (the list has the focus, so the row
    // does not follow the caret).
    Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    Dock().List().setFocus();
    Dock().List().setCurrentIndex(Dock().Model().index(1, 0));
    view.CollapseCaretTo({0, 0});
    Type(view, "\r");
    check("filtered, line inserted above");
    Main().UpdateCommandUI();
    EXPECT_EQ(Dock().List().currentIndex().row(), 1);
    testrng::Rng rng(15);
    const char* pieces[] = {"\r", "lo", ":", " equ 1", "\t", ";", "/*", "*/", "macro "};
    for (int step = 0; step < 60; ++step) {
        const int line = rng.Below(buffer.LineCount());
        const int length = static_cast<int>(buffer.LineText(line).size());
        view.CollapseCaretTo({rng.Below(length + 1), line});
        if (rng.Chance(25)) {
            view.OnCommand(ID_CARET_LINE_DOWN_EXTEND);
            view.OnCommand(ID_EDIT_DELETE);
        } else if (rng.Chance(20)) {
            view.OnCommand(ID_EDIT_UNDO);
        } else {
            Type(view, pieces[rng.Below(static_cast<int>(std::size(pieces)))]);
        }
        check("random step " + std::to_string(step));
        if (step == 30)
            Dock().FilterField().clear();
    }
}

TEST_F(WorkbenchTest, ChoosingAnEntryJumpsToItAndFollowsTheActiveDocument) {
    WriteFile("a.asm", "first:\r\n\tnop\r\n\tnop\r\nsecond:\r\n\tret\r\n");
    WriteFile("b.asm", "only equ 3\r\n");
    ASSERT_TRUE(Open({"a.asm", "b.asm"}));
    Main().RouteCommand(ID_Z80_OUTLINE);
    EXPECT_EQ(DockRows(), std::vector<std::string>{"only@1"});
    Main().MdiArea().setActiveSubWindow(FrameOf("a.asm"));
    EXPECT_EQ(DockRows(), (std::vector<std::string>{"first@1", "second@4"}));
    // The list follows the caret into the entry it stands under.
    for (const auto& [line, row] : {std::pair{4, 1}, {2, 0}}) {
        View().CollapseCaretTo({0, line});
        Main().UpdateCommandUI();
        EXPECT_EQ(Dock().List().currentIndex().row(), row) << line;
    }

    QTest::keyClicks(&Dock().FilterField(), "sec");
    QTest::keyClick(&Dock().FilterField(), Qt::Key_Return);
    EXPECT_EQ(View().GetCaretPos(), (TextPosition{6, 3})); // the name selected, caret behind it
    EXPECT_EQ(Bench().BackCount(), 1u);
    // The filter stays for the next document; closing one shows the one active then.
    Dock().FilterField().setText("o");
    FrameOf("a.asm")->close();
    Settle();
    EXPECT_EQ(DockRows(), std::vector<std::string>{"only@1"});
    FrameOf("b.asm")->close();
    Settle();
    EXPECT_TRUE(DockRows().empty());
}

TEST_F(WorkbenchTest, BigDocumentsAreScannedInTheBackgroundWithProgress) {
    QByteArray text;
    for (int i = 0; i < 70000; ++i)
        text += i % 1000 == 0 ? QByteArray("lab") + QByteArray::number(i) + ":\r\n"
                              : QByteArray("\tld a,b\r\n");
    WriteFile("big.asm", text);
    ASSERT_TRUE(Open({"big.asm"}));
    Main().RouteCommand(ID_Z80_OUTLINE);
    // The scan has only begun: the window was not idle yet.
    ASSERT_FALSE(Doc().Z80().Outline().IsComplete());
    EXPECT_TRUE(Dock().Progress().isVisible());
    for (int i = 0; i < 500 && !Doc().Z80().Outline().IsComplete(); ++i)
        QTest::qWait(10);
    ASSERT_TRUE(Doc().Z80().Outline().IsComplete());
    Dock().UpdateProgress();
    EXPECT_FALSE(Dock().Progress().isVisible());
    EXPECT_EQ(DockRows(), Rescan(Doc().Buffer()));
    EXPECT_EQ(Dock().Model().rowCount(), 70);
}

TEST_F(WorkbenchTest, GoToDefinitionAcrossDocumentsAndBackAndForward) {
    WriteFile("main.asm", "start:\r\n\tcall helper\r\n\tjp start\r\n\tcall nowhere\r\n");
    WriteFile("lib.asm", "\tnop\r\nHelper:\r\nhelper:\r\n\tret\r\n");
    ASSERT_TRUE(Open({"main.asm", "lib.asm"}));
    Main().MdiArea().setActiveSubWindow(FrameOf("main.asm"));
    CSampleView& mainView = View();

    // In this document first.
    mainView.CollapseCaretTo({6, 2});
    Main().RouteCommand(ID_Z80_GOTO_DEFINITION);
    EXPECT_EQ(&View(), &mainView);
    EXPECT_EQ(mainView.GetCaretPos(), (TextPosition{5, 0}));

    // Then in the other ones, the exact spelling first.
    mainView.CollapseCaretTo({8, 1});
    Main().RouteCommand(ID_Z80_GOTO_DEFINITION);
    ASSERT_EQ(Main().ActiveChild(), FrameOf("lib.asm"));
    EXPECT_EQ(View().GetCaretPos(), (TextPosition{6, 2}));
    TextPosition start;
    TextPosition end;
    View().GetSelectedRange(start, end);
    EXPECT_EQ(start, (TextPosition{0, 2}));

    // Lines inserted above the place left behind: Go Back still finds it.
    mainView.CollapseCaretTo({0, 0});
    Type(mainView, "\r\r");
    Main().RouteCommand(ID_Z80_GO_BACK);
    ASSERT_EQ(Main().ActiveChild(), FrameOf("main.asm"));
    EXPECT_EQ(View().GetCaretPos(), (TextPosition{8, 3}));
    Main().RouteCommand(ID_Z80_GO_BACK);
    EXPECT_EQ(View().GetCaretPos(), (TextPosition{6, 4}));
    EXPECT_FALSE(MenuItem(ID_Z80_GO_BACK)->isEnabled());
    Main().RouteCommand(ID_Z80_GO_FORWARD);
    Main().RouteCommand(ID_Z80_GO_FORWARD);
    EXPECT_EQ(Main().ActiveChild(), FrameOf("lib.asm"));
    EXPECT_EQ(View().GetCaretPos(), (TextPosition{6, 2}));

    // A name defined nowhere, and no name at all, are told in the status bar.
    Main().MdiArea().setActiveSubWindow(FrameOf("main.asm"));
    View().CollapseCaretTo({7, 5});
    Main().RouteCommand(ID_Z80_GOTO_DEFINITION);
    EXPECT_EQ(Main().PaneText(ID_SEPARATOR), "No open file defines \"nowhere\".");
    View().CollapseCaretTo({0, 3});
    Main().RouteCommand(ID_Z80_GOTO_DEFINITION);
    EXPECT_EQ(Main().PaneText(ID_SEPARATOR), "There is no name at the caret.");

    // A closed document's places are skipped.
    View().CollapseCaretTo({8, 3});
    Main().RouteCommand(ID_Z80_GOTO_DEFINITION);
    ui.answers.push_back(MessageResult::No); // do not save it
    FrameOf("main.asm")->close();
    Settle();
    Main().RouteCommand(ID_Z80_GO_BACK);
    EXPECT_EQ(Main().ActiveChild(), FrameOf("lib.asm"));
}

TEST_F(WorkbenchTest, GoToLineDialog) {
    QByteArray text;
    for (int i = 0; i < 200; ++i)
        text += "\tnop\r\n";
    WriteFile("long.asm", text);
    ASSERT_TRUE(Open({"long.asm"}));
    CSampleView& view = View();
    std::string prompt;
    std::string proposed;
    const auto enter = [&](const char* typed) {
        ui.dialogScript = [&, typed](platform::headless::HeadlessDialog& dialog) {
            prompt = dialog.GetItemText(IDC_GOTO_PROMPT);
            proposed = dialog.GetItemText(IDC_GOTO_LINE);
            dialog.Type(IDC_GOTO_LINE, typed);
            dialog.PressEnter();
        };
        Main().RouteCommand(ID_Z80_GOTO_LINE);
    };
    enter("150");
    EXPECT_EQ(prompt, "&Line number (1 - 201):");
    EXPECT_EQ(proposed, "1");
    EXPECT_EQ(view.GetCaretPos(), (TextPosition{0, 149}));
    // The line is in sight, near the middle of the pane.
    EXPECT_LE(view.GetTopLine(), 149);
    EXPECT_GT(view.GetTopLine() + view.GetVisibleRowCount(), 149);
    EXPECT_EQ(Bench().BackCount(), 1u);
    enter(" 99999 ");
    EXPECT_EQ(proposed, "150");
    EXPECT_EQ(view.GetCaretPos(), (TextPosition{0, 200}));
    // What names no line keeps the dialog open with a message; Escape leaves the caret.
    enter("x1");
    EXPECT_EQ(ui.dialogMessages.back(), "Enter a line number from 1 to 201.");
    EXPECT_EQ(view.GetCaretPos(), (TextPosition{0, 200}));
    ui.dialogScript = [](platform::headless::HeadlessDialog& dialog) {
        dialog.Type(IDC_GOTO_LINE, "");
        EXPECT_FALSE(dialog.IsItemEnabled(platform::IDOK));
    };
    Main().RouteCommand(ID_Z80_GOTO_LINE);
    EXPECT_EQ(view.GetCaretPos(), (TextPosition{0, 200}));

    const struct {
        const char* text;
        int32_t line;
    } parses[] = {{"7", 7},      {"0", 0},   {"-3", 0},  {"", 0}, {"12345678901234567890", 201},
                  {"\t42 ", 42}, {"4 2", 0}, {"0x10", 0}};
    for (const auto& p : parses)
        EXPECT_EQ(CGotoLineDialog::ParseLine(p.text, 201), p.line) << p.text;
}

// The workbench's keys, pressed for real where the user types: in a pane, in the outline's
// filter and in its list. The view claims none of them, so each reaches the frame's shortcuts.
TEST_F(WorkbenchTest, KeysReachTheFrameFromEveryWidget) {
    WriteFile("keys.asm", "start:\r\n\tjp start\r\n\tnop\r\n");
    ASSERT_TRUE(Open({"keys.asm"}));
    Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    CSampleView& view = View();
    for (const platform::Accel& entry : FindAccelTable(IDR_WORKBENCH)->Entries()) {
        const uint32_t modifiers =
            entry.fVirt & (platform::FSHIFT | platform::FCONTROL | platform::FALT);
        EXPECT_FALSE(platform::WindowClaimsKey(
            view, entry.key,
            ((modifiers & platform::FSHIFT) ? platform::ModShift : 0u) |
                ((modifiers & platform::FCONTROL) ? platform::ModControl : 0u) |
                ((modifiers & platform::FALT) ? platform::ModAlt : 0u)))
            << entry.cmd;
    }
    QWidget* pane = QApplication::focusWidget();
    ASSERT_NE(pane, nullptr);
    // F12 on "start" in the pane, Alt+Left back.
    view.CollapseCaretTo({5, 1});
    QTest::keyClick(pane, Qt::Key_F12);
    EXPECT_EQ(view.GetCaretPos(), (TextPosition{5, 0}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(view.GetCaretPos(), (TextPosition{5, 1}));
    // Ctrl+Shift+O opens the outline with the focus in its filter; Ctrl+G from there.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O,
                    Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(Dock().isVisible());
    EXPECT_EQ(QApplication::focusWidget(), &Dock().FilterField());
    ui.dialogScript = [](platform::headless::HeadlessDialog& dialog) {
        dialog.Type(IDC_GOTO_LINE, "3");
        dialog.PressEnter();
    };
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(view.GetCaretPos(), (TextPosition{0, 2}));
    // Escape in the outline gives the pane its focus back.
    QTest::keyClick(&Dock().List(), Qt::Key_Escape);
    EXPECT_TRUE(view.Host() && QApplication::focusWidget() == pane);
    // Qt's own bindings of these keys (Back, Forward, Find Next) belong to widgets this window
    // does not hold: from the output pane and the outline's list they still reach the frame.
    Main().RouteCommand(ID_Z80_OUTPUT);
    view.CollapseCaretTo({0, 0});
    QTest::keyClick(&Bench().Output().Text(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(view.GetCaretPos(), (TextPosition{0, 2}));
    QTest::keyClick(&Bench().Output().Text(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(view.GetCaretPos(), (TextPosition{0, 0}));
    QTest::keyClick(&Dock().List(), Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(view.GetCaretPos(), (TextPosition{0, 2}));
    // Escape in the output pane gives the text its focus back too.
    Bench().Output().Text().setFocus();
    QTest::keyClick(&Bench().Output().Text(), Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), pane);
}

TEST_F(WorkbenchTest, TheZ80MenuStandsAfterViewWithAndWithoutADocument) {
    ASSERT_TRUE(Start());
    Doc().SetModifiedFlag(false);
    Main().ActiveChild()->close();
    Settle();
    const QList<QAction*> top = Main().menuBar()->actions();
    ASSERT_EQ(top.size(), 4);
    const char* titles[] = {"&File", "&View", "&Z80", "&Help"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(top[i]->text(), titles[i]);
    // Without a document only what needs none can be chosen.
    EXPECT_FALSE(MenuItem(ID_Z80_ASSEMBLE)->isEnabled());
    EXPECT_FALSE(MenuItem(ID_Z80_GOTO_LINE)->isEnabled());
    EXPECT_TRUE(MenuItem(ID_Z80_OUTPUT)->isEnabled());
    EXPECT_TRUE(MenuItem(ID_Z80_ASSEMBLER_SETTINGS)->isEnabled());
    EXPECT_EQ(MenuItem(ID_Z80_ASSEMBLE)->text(), "&Assemble\tF7");
    EXPECT_EQ(MenuItem(ID_Z80_ASSEMBLE)->statusTip(),
              "Save the active source file and run the assembler on it");
    EXPECT_EQ(Figures(), "");
}

} // namespace
} // namespace apptest
