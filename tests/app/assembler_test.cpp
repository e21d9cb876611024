// Assembling from the editor: the command line and its placeholders, the output pane's links,
// real runs of pasmo and z80asm on a file with one error with F4 to the error line, stopping a
// run, a missing assembler, and the settings dialog.
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>

#include "app/assembler.h"
#include "app/outputdock.h"
#include "app/resources/resourceids.h"
#include "app/workbench.h"
#include "app_harness.h"

namespace apptest {
namespace {

using namespace app;

TEST(AssemblerCommand, WordsAndPlaceholders) {
    const struct {
        const char* line;
        const char* file;
        QStringList words; // program first; empty: no command
    } cases[] = {
        {"pasmo %f %e.bin", "prog.asm", {"pasmo", "prog.asm", "prog.bin"}},
        {"z80asm -o %e.bin %f", "my file.z80", {"z80asm", "-o", "my file.bin", "my file.z80"}},
        {"  pasmo   --tap  %f  ", "a.b.asm", {"pasmo", "--tap", "a.b.asm"}},
        {"'/opt/my asm/as' \"-D X=1\" %f", "x.asm", {"/opt/my asm/as", "-D X=1", "x.asm"}},
        {"as 100%% %x \\%f", "x.asm", {"as", "100%", "%x", "x.asm"}},
        {"as \"say \\\"hi\\\"\" it\\ s", "x.asm", {"as", "say \"hi\"", "it s"}},
        {"as 'unclosed %f", "x.asm", {"as", "unclosed x.asm"}},
        {"as ;rm -rf / $(id)", "x.asm", {"as", ";rm", "-rf", "/", "$(id)"}},
        {"", "x.asm", {}},
        {"   \t ", "x.asm", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::optional<AssemblerCommand> command =
            ExpandAssemblerCommand(c.line, QString::fromUtf8(c.file));
        if (c.words.isEmpty()) {
            EXPECT_FALSE(command.has_value());
            continue;
        }
        ASSERT_TRUE(command.has_value());
        EXPECT_EQ(QStringList{command->program} + command->arguments, c.words);
    }
    EXPECT_EQ(AssemblerPackage("pasmo"), "pasmo");
    EXPECT_EQ(AssemblerPackage("/usr/bin/z80asm"), "z80asm");
    EXPECT_EQ(AssemblerPackage("sjasmplus"), "");
}

TEST(OutputPane, LinesNamingAFileAndLineAreLinks) {
    OutputDock dock;
    dock.Begin("> as", "/work/src");
    dock.AppendLine("Pass 1");
    dock.AppendLine("ERROR on line 12 of file main.asm");
    dock.AppendLine("ERROR: Invalid operand");
    dock.AppendLine("inc/io.asm:7: error: parse error");
    dock.AppendLine("/abs/lib.z80(3): warning");
    dock.AppendNote("done");
    EXPECT_EQ(dock.Text().document()->blockCount(), 7);
    const std::vector<OutputLink>& links = dock.Links();
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0].block, 2);
    EXPECT_EQ(links[0].file, "/work/src/main.asm");
    EXPECT_EQ(links[0].line, 11);
    EXPECT_EQ(links[1].file, "/work/src/inc/io.asm");
    EXPECT_EQ(links[1].line, 6);
    EXPECT_EQ(links[2].file, "/abs/lib.z80");
    // A message that names only its place takes its reason from the next line.
    EXPECT_EQ(links[0].message, "ERROR: Invalid operand");
    EXPECT_EQ(links[1].message, "inc/io.asm:7: error: parse error");
    EXPECT_EQ(links[2].message, "/abs/lib.z80(3): warning");
    // Next and previous wrap around; a click on a line that is no link chooses nothing.
    EXPECT_EQ(dock.StepLink(-1)->block, 5);
    EXPECT_EQ(dock.StepLink(1)->block, 2);
    EXPECT_EQ(dock.StepLink(1)->block, 4);
    EXPECT_FALSE(dock.ChooseBlock(3).has_value());
    EXPECT_EQ(dock.CurrentLink(), 1);
    EXPECT_EQ(dock.ChooseBlock(5)->line, 2);
    EXPECT_EQ(dock.CurrentLink(), 2);
    dock.Begin("> again", "/");
    EXPECT_TRUE(dock.Links().empty());
    EXPECT_FALSE(dock.StepLink(1).has_value());
}

class AssembleTest : public AppTest {
protected:
    Z80Workbench& Bench() const { return Main().Workbench(); }
    // Runs the event loop until the assembler has finished; false after 20 s.
    bool WaitForAssembler() {
        for (int i = 0; i < 2000 && Bench().Assembler().IsRunning(); ++i)
            QTest::qWait(10);
        return !Bench().Assembler().IsRunning();
    }
    std::string Output() const { return Bench().Output().Text().toPlainText().toStdString(); }
};

TEST_F(AssembleTest, EachAssemblerReportsTheErrorAndF4GoesToItsLine) {
    const struct {
        const char* program;
        const char* command;
        const char* message;
        const char* reason;
    } assemblers[] = {
        {"pasmo", "pasmo %f %e.bin", "ERROR on line 3 of file prog.asm", "Invalid operand"},
        {"z80asm", "z80asm -o %e.bin %f", "prog.asm:3: error:", "parse error"},
    };
    WriteFile("prog.asm", "start:\r\n\tld a,5\r\n\tld b,c\r\n\tjp start\r\n");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("prog.asm"))}));
    int ran = 0;
    for (const auto& assembler : assemblers) {
        SCOPED_TRACE(assembler.program);
        if (QStandardPaths::findExecutable(assembler.program).isEmpty())
            continue;
        ++ran;
        app->Profile().WriteProfileString("Assembler", "Command", assembler.command);
        QFile::remove(QString::fromStdString(FilePath("prog.bin")));
        CSampleView& view = View();
        // The error is typed, so Assemble must save it first.
        view.CollapseCaretTo({5, 2});
        Type(view, "q");
        ASSERT_TRUE(Main().RouteCommand(ID_Z80_ASSEMBLE));
        EXPECT_EQ(ReadFile("prog.asm"), "start:\r\n\tld a,5\r\n\tld bq,c\r\n\tjp start\r\n");
        EXPECT_TRUE(Bench().Output().isVisible());
        EXPECT_TRUE(MenuItem(ID_Z80_STOP_ASSEMBLER)->isEnabled() ||
                    !Bench().Assembler().IsRunning());
        ASSERT_TRUE(WaitForAssembler());
        EXPECT_NE(Output().find(assembler.message), std::string::npos) << Output();
        EXPECT_NE(Output().find("exit code 1"), std::string::npos) << Output();
        ASSERT_EQ(Bench().Output().Links().size(), 1u);
        EXPECT_FALSE(MenuItem(ID_Z80_STOP_ASSEMBLER)->isEnabled());

        // F4 pressed in the output pane itself, where the eyes are after a run.
        view.CollapseCaretTo({0, 0});
        Main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
        QTest::keyClick(&Bench().Output().Text(), Qt::Key_F4);
        EXPECT_EQ(View().GetCaretPos(), (TextPosition{0, 2}));
        EXPECT_EQ(QApplication::focusWidget(), dynamic_cast<QWidget*>(view.Host()));
        // The status bar says what is wrong there.
        EXPECT_TRUE(Main().statusBar()->currentMessage().contains(assembler.reason))
            << Main().statusBar()->currentMessage().toStdString();
        // A line added above moves the message's line with it.
        View().CollapseCaretTo({0, 0});
        Type(View(), "\r");
        QTest::keyClick(&Bench().Output().Text(), Qt::Key_F4);
        EXPECT_EQ(View().GetCaretPos(), (TextPosition{0, 3}));
        View().OnCommand(ID_EDIT_UNDO);
        // Fixed and assembled again: no message, and the binary is there.
        View().CollapseCaretTo({5, 2});
        View().OnCommand(ID_EDIT_DELETE);
        ASSERT_TRUE(Main().RouteCommand(ID_Z80_ASSEMBLE));
        ASSERT_TRUE(WaitForAssembler());
        EXPECT_TRUE(Bench().Output().Links().empty());
        EXPECT_NE(Output().find("Assembled without errors."), std::string::npos) << Output();
        EXPECT_EQ(ReadFile("prog.bin").size(), 6); // ld a,5; ld b,c; jp start
        EXPECT_FALSE(MenuItem(ID_Z80_NEXT_MESSAGE)->isEnabled());
    }
    if (ran == 0)
        GTEST_SKIP() << "neither pasmo nor z80asm is installed";
}

TEST_F(AssembleTest, MessagesNamingAnotherFileOpenIt) {
    WriteFile("main.asm", "\tinclude \"inc.asm\"\r\n");
    WriteFile("inc.asm", "\tnop\r\n\tnop\r\n\tld q,1\r\n");
    Preset("Assembler/Command", "sh -c 'echo \"inc.asm:3: error: bad operand\"; exit 2' %f");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("main.asm"))}));
    ASSERT_TRUE(Main().RouteCommand(ID_Z80_ASSEMBLE));
    ASSERT_TRUE(WaitForAssembler());
    ASSERT_EQ(Bench().Output().Links().size(), 1u);
    EXPECT_NE(Output().find("exit code 2"), std::string::npos) << Output();
    // A double click on the link opens the file at that line.
    QPlainTextEdit& text = Bench().Output().Text();
    const QTextBlock block = text.document()->findBlockByNumber(Bench().Output().Links()[0].block);
    const QRect line = text.cursorRect(QTextCursor(block));
    QTest::mouseDClick(text.viewport(), Qt::LeftButton, {}, line.center());
    ASSERT_EQ(app->Documents().size(), 2u);
    EXPECT_EQ(Doc().Title(), "inc.asm");
    EXPECT_EQ(View().GetCaretPos(), (TextPosition{0, 2}));
    // Previous from the only message is the same message.
    View().CollapseCaretTo({0, 0});
    Main().RouteCommand(ID_Z80_PREVIOUS_MESSAGE);
    EXPECT_EQ(View().GetCaretPos(), (TextPosition{0, 2}));
}

TEST_F(AssembleTest, ARunningAssemblerCanBeStopped) {
    WriteFile("slow.asm", "\tnop\r\n");
    Preset("Assembler/Command", "sleep 30");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("slow.asm"))}));
    ASSERT_TRUE(Main().RouteCommand(ID_Z80_ASSEMBLE));
    ASSERT_TRUE(Bench().Assembler().IsRunning());
    EXPECT_FALSE(MenuItem(ID_Z80_ASSEMBLE)->isEnabled());
    EXPECT_TRUE(Bench().Output().StopButton().isEnabled());
    // A second Assemble while it runs says so and starts nothing.
    Bench().Assemble();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("still running"), std::string::npos);
    QTest::mouseClick(&Bench().Output().StopButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitForAssembler());
    EXPECT_NE(Output().find("Stopped."), std::string::npos) << Output();
    EXPECT_FALSE(Bench().Output().StopButton().isEnabled());
}

TEST_F(AssembleTest, AMissingAssemblerNamesItsPackage) {
    WriteFile("prog.asm", "\tnop\r\n");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("prog.asm"))}));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir_.path()));
    Main().RouteCommand(ID_Z80_ASSEMBLE);
    app->Profile().WriteProfileString("Assembler", "Command", "z80asm -o %e.bin %f");
    Main().RouteCommand(ID_Z80_ASSEMBLE);
    app->Profile().WriteProfileString("Assembler", "Command", "./tools/myasm %f");
    Main().RouteCommand(ID_Z80_ASSEMBLE);
    qputenv("PATH", path);
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_NE(ui.messages[0].find("Debian package \"pasmo\""), std::string::npos) << ui.messages[0];
    EXPECT_NE(ui.messages[1].find("sudo apt install z80asm"), std::string::npos) << ui.messages[1];
    EXPECT_NE(ui.messages[2].find("\"./tools/myasm\" cannot be found"), std::string::npos)
        << ui.messages[2];
    EXPECT_EQ(ui.icons[2], MessageIcon::Error);
    EXPECT_FALSE(Bench().Assembler().IsRunning());
}

TEST_F(AssembleTest, ANewDocumentIsSavedFirstOrNotAssembled) {
    Preset("Assembler/Command", "sh -c 'cat \"$0\"' %f");
    ASSERT_TRUE(Start());
    Type(View(), "nop");
    // Save As cancelled: nothing runs.
    Main().RouteCommand(ID_Z80_ASSEMBLE);
    EXPECT_EQ(ui.proposedSaves.size(), 1u);
    EXPECT_FALSE(Bench().Assembler().IsRunning());
    EXPECT_FALSE(Bench().Output().isVisible());
    // Saved under a name: the assembler reads that file in its folder.
    ui.savePaths.push_back(FilePath("new file.asm"));
    Main().RouteCommand(ID_Z80_ASSEMBLE);
    ASSERT_TRUE(WaitForAssembler());
    EXPECT_EQ(Doc().Title(), "new file.asm");
    // The last line has no line end: it shows once the run is over.
    EXPECT_NE(Output().find("\nnop\n"), std::string::npos) << Output();
    EXPECT_NE(Output().find("'new file.asm'"), std::string::npos) << Output();
}

TEST_F(AssembleTest, SettingsDialogKeepsTheCommand) {
    WriteFile("prog.asm", "\tnop\r\n");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("prog.asm"))}));
    std::string shown;
    ui.dialogScript = [&](platform::headless::HeadlessDialog& dialog) {
        shown = dialog.GetItemText(IDC_ASSEMBLER_COMMAND);
        dialog.Type(IDC_ASSEMBLER_COMMAND, "sjasmplus %f");
        dialog.PressEnter();
    };
    Main().RouteCommand(ID_Z80_ASSEMBLER_SETTINGS);
    EXPECT_EQ(shown, DefaultAssemblerCommand());
    EXPECT_EQ(AssemblerCommandLine(app->Profile()), "sjasmplus %f");
    // Default puts the default back; an empty command means the default as well.
    ui.dialogScript = [&](platform::headless::HeadlessDialog& dialog) {
        shown = dialog.GetItemText(IDC_ASSEMBLER_COMMAND);
        dialog.Click(IDC_ASSEMBLER_DEFAULT);
        EXPECT_EQ(dialog.GetItemText(IDC_ASSEMBLER_COMMAND), DefaultAssemblerCommand());
        dialog.Type(IDC_ASSEMBLER_COMMAND, "  ");
        dialog.PressEnter();
    };
    Main().RouteCommand(ID_Z80_ASSEMBLER_SETTINGS);
    EXPECT_EQ(shown, "sjasmplus %f");
    EXPECT_EQ(AssemblerCommandLine(app->Profile()), DefaultAssemblerCommand());
    Stop();
    EXPECT_EQ(Stored("Assembler/Command").toString(), "");
}

} // namespace
} // namespace apptest
