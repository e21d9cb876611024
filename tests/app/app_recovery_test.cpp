// Unsaved changes after a crash: the editor's journals are copied aside while it runs, the editor
// goes (taking its journals with it, as its documents close), and the copies are put back, as a
// killed editor would have left them. The next start offers them.
#include <QDir>
#include <map>

#include "app/journalmanager.h"
#include "app/resources/resourceids.h"
#include "app_harness.h"

namespace apptest {
namespace {

using namespace app;

class RecoveryTest : public AppTest {
protected:
    // The journals as the disk holds them now, synced first.
    std::map<QString, QByteArray> Journals() const {
        std::map<QString, QByteArray> files;
        const QDir dir(QString::fromStdString(JournalFolder()));
        for (const QString& name : dir.entryList(QDir::Files)) {
            QFile file(dir.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                files[name] = file.readAll();
        }
        return files;
    }
    // The editor ends without saving or closing anything, as a kill would end it.
    void Crash() {
        app->Journals().FlushAll();
        const std::map<QString, QByteArray> left = Journals();
        ASSERT_FALSE(left.empty());
        Stop();
        Settle();
        const QDir dir(QString::fromStdString(JournalFolder()));
        for (const auto& [name, bytes] : left) {
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
    }
};

TEST_F(RecoveryTest, RecoverDiscardOrDecideLater) {
    struct Row {
        MessageResult answer;
        bool recovered;
        size_t journalsAfter;
    };
    const Row rows[] = {
        {MessageResult::Recover, true, 1}, // the recovered document goes on with the journal
        {MessageResult::Discard, false, 0},
        {MessageResult::Later, false, 1},
    };
    for (const Row& row : rows) {
        WriteFile("prog.asm", "\tld a,1\r\n\tret\r\n");
        ASSERT_TRUE(Start({QString::fromStdString(FilePath("prog.asm"))}));
        Type(View(), "start:\r");
        ASSERT_TRUE(Main().RouteCommand(ID_EDIT_UNDO)); // the indentation
        Type(View(), "x");
        const std::string typed = DocText();
        Crash();

        ui.messages.clear();
        ui.answers = {row.answer};
        ASSERT_TRUE(Start());
        ASSERT_EQ(ui.messages.size(), 1u);
        const std::string& question = ui.messages[0];
        EXPECT_NE(question.find(FilePath("prog.asm")), std::string::npos) << question;
        EXPECT_NE(question.find("Recover"), std::string::npos) << question;
        EXPECT_EQ(app->Documents().size(), 1u);
        if (row.recovered) {
            EXPECT_EQ(Doc().PathName(), FilePath("prog.asm"));
            EXPECT_EQ(DocText(), typed);
            EXPECT_TRUE(Doc().IsModified());
            EXPECT_EQ(Main().ActiveChild()->windowTitle(), "prog.asm *");
            EXPECT_FALSE(MenuItem(ID_EDIT_UNDO)->isEnabled());
        } else {
            EXPECT_EQ(Doc().Title(), "Source1");
        }
        EXPECT_EQ(ReadFile("prog.asm"), "\tld a,1\r\n\tret\r\n");
        EXPECT_EQ(Journals().size(), row.journalsAfter);
        if (row.answer == MessageResult::Later) {
            // Opening the file asks again.
            ui.answers = {MessageResult::Recover};
            ASSERT_NE(app->OpenDocumentFile(FilePath("prog.asm")), nullptr);
            EXPECT_EQ(ui.messages.size(), 2u);
            EXPECT_EQ(DocText(), typed);
        }
        Stop();
        Settle();
        EXPECT_TRUE(Journals().empty()) << "closed without saving, the journal goes";
    }
}

// Left for later at start-up, the file named on the command line opens as it is on disk without
// a second question.
TEST_F(RecoveryTest, LaterAtStartUpIsNotAskedAgainForTheCommandLine) {
    WriteFile("prog.asm", "ret");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("prog.asm"))}));
    Type(View(), "x");
    Crash();
    ui.messages.clear();
    ui.answers = {MessageResult::Later};
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("prog.asm"))}));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(DocText(), "ret");
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(Journals().size(), 1u);
}

// A recovered document keeps its journal: what is typed after the recovery survives a second
// crash, and saving ends the journal.
TEST_F(RecoveryTest, RecoveredDocumentGoesOnWithItsJournal) {
    ASSERT_TRUE(Start());
    Type(View(), "nop\r");
    Crash();
    ui.answers = {MessageResult::Recover};
    ASSERT_TRUE(Start());
    ASSERT_EQ(app->Documents().size(), 1u);
    EXPECT_EQ(Doc().Title(), "Source1");
    EXPECT_EQ(DocText(), "nop|");
    View().CollapseCaretTo({0, 1});
    Type(View(), "halt");
    Crash();
    ui.answers = {MessageResult::Recover};
    ASSERT_TRUE(Start());
    ASSERT_EQ(app->Documents().size(), 1u);
    EXPECT_EQ(DocText(), "nop|halt");
    ui.savePaths.push_back(FilePath("kept.asm"));
    ASSERT_TRUE(Main().RouteCommand(ID_FILE_SAVE));
    EXPECT_EQ(ReadFile("kept.asm"), "nop\r\nhalt");
    EXPECT_TRUE(Journals().empty());
}

// The file changed after the crash: the question says so, and the edits are recovered onto the
// text they were made for.
TEST_F(RecoveryTest, FileChangedSinceIsSaidAndTheEditsKeepTheirText) {
    WriteFile("prog.asm", "one\r\ntwo");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("prog.asm"))}));
    Type(View(), "x");
    Crash();
    WriteFile("prog.asm", "changed by another program");
    ui.messages.clear();
    ui.answers = {MessageResult::Recover};
    ASSERT_TRUE(Start());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("changed since"), std::string::npos) << ui.messages[0];
    EXPECT_EQ(DocText(), "xone|two");
    // The question said the file changed: saving writes the recovered text without asking.
    ASSERT_TRUE(Main().RouteCommand(ID_FILE_SAVE));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ReadFile("prog.asm"), "xone\r\ntwo");
}

} // namespace
} // namespace apptest
