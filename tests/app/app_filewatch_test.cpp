// Files changed by other programs while their documents are open: modified in place, replaced by a
// rename over them, deleted; with the document unmodified and modified. The prompts and results
// in a table, checked through the application's check (as on the focus coming back), and once
// through the file watcher itself.
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

#include "app/filewatch.h"
#include "app/journalmanager.h"
#include "app/resources/resourceids.h"
#include "app_harness.h"

namespace apptest {
namespace {

using namespace app;

enum class Outside { Modify, Replace, Delete };

class FileWatchTest : public AppTest {
protected:
    void ChangeFromOutside(Outside how, const char* name, const QByteArray& bytes) {
        const QString path = QString::fromStdString(FilePath(name));
        switch (how) {
        case Outside::Modify: {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
            break;
        }
        case Outside::Replace:
            WriteFile("replacement.tmp", bytes);
            ASSERT_EQ(std::rename(FilePath("replacement.tmp").c_str(), path.toLocal8Bit()), 0);
            break;
        case Outside::Delete:
            ASSERT_TRUE(QFile::remove(path));
            break;
        }
    }
};

TEST_F(FileWatchTest, ChangesFromOutsideAreNoticedAndActedOn) {
    struct Row {
        const char* name;
        Outside how;
        bool modified;         // the document had unsaved changes
        MessageResult answer;  // to the question, when there is one
        const char* asked;     // in the message shown, or null for none
        const char* textAfter; // the document's text afterwards
        bool modifiedAfter;
    };
    const Row rows[] = {
        {"modified in place, clean", Outside::Modify, false, {}, nullptr, "l1|NEW|l3|l4", false},
        {"replaced, clean", Outside::Replace, false, {}, nullptr, "l1|NEW|l3|l4", false},
        {"modified in place, reload", Outside::Modify, true, MessageResult::Reload,
         "changed by another program", "l1|NEW|l3|l4", false},
        {"replaced, keep mine", Outside::Replace, true, MessageResult::Keep,
         "changed by another program", "l1|l2|xl3|l4", true},
        {"deleted, clean", Outside::Delete, false, {}, "deleted or moved", "l1|l2|l3|l4", true},
        {"deleted, modified", Outside::Delete, true, {}, "deleted or moved", "l1|l2|xl3|l4", true},
    };
    for (const Row& row : rows) {
        WriteFile("watched.asm", "l1\r\nl2\r\nl3\r\nl4");
        ui.messages.clear();
        ASSERT_TRUE(Start({QString::fromStdString(FilePath("watched.asm"))}));
        View().CollapseCaretTo({0, 2});
        if (row.modified)
            Type(View(), "x");
        ChangeFromOutside(row.how, "watched.asm", "l1\r\nNEW\r\nl3\r\nl4");
        ui.answers = {row.answer};
        app->Files().CheckAll();
        const auto trace = testing::Message() << row.name;
        if (row.asked) {
            ASSERT_EQ(ui.messages.size(), 1u) << trace;
            EXPECT_NE(ui.messages[0].find(row.asked), std::string::npos) << trace;
            EXPECT_NE(ui.messages[0].find(FilePath("watched.asm")), std::string::npos) << trace;
        } else {
            EXPECT_TRUE(ui.messages.empty()) << trace;
        }
        EXPECT_EQ(DocText(), row.textAfter) << trace;
        EXPECT_EQ(Doc().IsModified(), row.modifiedAfter) << trace;
        // A reload keeps the caret on its line.
        EXPECT_EQ(View().GetCaretPos().y, 2) << trace;
        // Nothing more is asked about the same change, and a save goes ahead without asking.
        app->Files().CheckAll();
        ASSERT_TRUE(Main().RouteCommand(ID_FILE_SAVE));
        EXPECT_EQ(ui.messages.size(), row.asked ? 1u : 0u) << trace;
        EXPECT_FALSE(Doc().IsModified()) << trace;
        Stop();
        Settle();
    }
}

// A save over a file that changed since it was loaded asks first; "No" leaves the file alone.
// So does a save over a file made anew after the document's file was deleted (and said to be).
TEST_F(FileWatchTest, SavingOverAChangedFileAsksFirst) {
    const std::pair<bool, MessageResult> rows[] = {
        {false, MessageResult::No}, {false, MessageResult::Yes}, {true, MessageResult::No}};
    for (const auto& [deletedFirst, answer] : rows) {
        WriteFile("over.asm", "mine");
        ui.messages.clear();
        ASSERT_TRUE(Start({QString::fromStdString(FilePath("over.asm"))}));
        Type(View(), "x");
        if (deletedFirst) {
            ChangeFromOutside(Outside::Delete, "over.asm", {});
            app->Files().CheckAll();
            ui.messages.clear();
        }
        ChangeFromOutside(Outside::Replace, "over.asm", "theirs");
        ui.answers = {answer};
        Main().RouteCommand(ID_FILE_SAVE);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(ui.messages[0].find("Save over it?"), std::string::npos) << ui.messages[0];
        EXPECT_EQ(ReadFile("over.asm"), answer == MessageResult::Yes ? "xmine" : "theirs");
        EXPECT_EQ(Doc().IsModified(), answer != MessageResult::Yes);
        Stop();
        Settle();
    }
}

// The watcher sees a change without any focus change, and the clean document follows it.
TEST_F(FileWatchTest, TheWatcherReloadsACleanDocument) {
    WriteFile("live.asm", "old");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("live.asm"))}));
    ChangeFromOutside(Outside::Replace, "live.asm", "new");
    QElapsedTimer waited;
    waited.start();
    while (DocText() != "new" && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(DocText(), "new");
    // The watch follows the new file: a second change is seen too.
    ChangeFromOutside(Outside::Modify, "live.asm", "newer");
    waited.restart();
    while (DocText() != "newer" && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(DocText(), "newer");
    EXPECT_TRUE(ui.messages.empty());
}

} // namespace
} // namespace apptest
