// Documents of the running editor: windows and panes onto one text, saving, and closing.
#include <fcntl.h>

#include <cerrno>

#include "app/resources/resourceids.h"
#include "app_harness.h"
#include "buffer/filesystem.h"
#include "buffer/printable.h"

namespace apptest {
namespace {

using namespace app;

// The real file layer, except that no new file can be created, as in a folder the user may not
// write to.
class NoCreateFileSystem final : public FileSystem {
public:
    int Open(const char* path, int flags, mode_t mode) override {
        if (flags & (O_CREAT | O_WRONLY | O_RDWR)) {
            errno = EACCES;
            return -1;
        }
        return real.Open(path, flags, mode);
    }
    ssize_t Read(int fd, void* buf, size_t count) override { return real.Read(fd, buf, count); }
    ssize_t Write(int fd, const void* buf, size_t count) override {
        return real.Write(fd, buf, count);
    }
    int Fsync(int fd) override { return real.Fsync(fd); }
    int Close(int fd) override { return real.Close(fd); }
    int Fstat(int fd, struct stat* st) override { return real.Fstat(fd, st); }
    int Stat(const char* path, struct stat* st) override { return real.Stat(path, st); }
    int Lstat(const char* path, struct stat* st) override { return real.Lstat(path, st); }
    ssize_t Readlink(const char* path, char* buf, size_t size) override {
        return real.Readlink(path, buf, size);
    }
    int Access(const char* path, int mode) override { return real.Access(path, mode); }
    int MkTemp(char*) override {
        errno = EACCES;
        return -1;
    }
    int Rename(const char* from, const char* to) override { return real.Rename(from, to); }
    int Unlink(const char* path) override { return real.Unlink(path); }
    int Fchmod(int fd, mode_t mode) override { return real.Fchmod(fd, mode); }
    int Fchown(int fd, uid_t owner, gid_t group) override { return real.Fchown(fd, owner, group); }
    int Ftruncate(int fd, off_t length) override { return real.Ftruncate(fd, length); }
    mode_t Umask() override { return real.Umask(); }

    FileSystem& real = FileSystem::Native();
};

TEST_F(AppTest, WindowsAndPanesOntoOneDocumentStayInStep) {
    WriteFile("five.asm", "a\r\nb\r\nc\r\nd\r\ne");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("five.asm"))}));
    CSampleView& first = View();
    ASSERT_TRUE(Main().RouteCommand(ID_WINDOW_NEW));
    CChildFrame* second = Main().ActiveChild();
    CSampleView& other = *second->ActiveView();
    ASSERT_NE(&first, &other);
    EXPECT_EQ(other.GetBuffer(), &Doc().Buffer());

    // A pane split off the second window is a third view on the same text.
    ASSERT_TRUE(second->Splitter().SplitRow(100));
    const std::vector<CSampleView*> panes = second->Views();
    ASSERT_EQ(panes.size(), 2u);
    CSampleView& pane = *panes[1];
    EXPECT_EQ(pane.GetBuffer(), &Doc().Buffer());

    other.CollapseCaretTo({1, 3});
    pane.CollapseCaretTo({0, 4});
    first.CollapseCaretTo({0, 0});
    Type(first, "x\r");
    EXPECT_EQ(Doc().Buffer().LineCount(), 6);
    EXPECT_EQ(Doc().Buffer().LineText(1), "a");
    for (CSampleView* view : {&other, &pane})
        EXPECT_EQ(view->TextLineCount(), 6);
    EXPECT_EQ(other.GetCaretPos(), (TextPosition{1, 4}));
    EXPECT_EQ(pane.GetCaretPos(), (TextPosition{0, 5}));
    for (CChildFrame* child : Main().Children())
        EXPECT_TRUE(child->windowTitle().endsWith(" *")) << child->windowTitle().toStdString();

    // Read Only, then another window: the new view's initial update makes the text writable.
    ASSERT_TRUE(Main().RouteCommand(ID_READ_ONLY));
    ASSERT_TRUE(Doc().Buffer().IsReadOnly());
    ASSERT_TRUE(Main().RouteCommand(ID_WINDOW_NEW));
    EXPECT_FALSE(Doc().Buffer().IsReadOnly());
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(AppTest, SaveWritesTheFileAndCleansTheDocument) {
    WriteFile("prog.asm", "\tld a,1\r\n\tret\r\n");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("prog.asm"))}));
    Type(View(), "start:\r");
    ASSERT_TRUE(Doc().IsModified());
    ASSERT_TRUE(Main().RouteCommand(ID_FILE_SAVE));
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(ReadFile("prog.asm"), "start:\r\n\tld a,1\r\n\tret\r\n");
    EXPECT_EQ(Main().ActiveChild()->windowTitle(), "prog.asm");

    // An untitled document asks for a name, and takes it.
    ASSERT_TRUE(Main().RouteCommand(ID_FILE_NEW));
    Type(View(), "nop");
    ui.savePaths.push_back(FilePath("new.qrt"));
    ASSERT_TRUE(Main().RouteCommand(ID_FILE_SAVE));
    EXPECT_EQ(ReadFile("new.qrt"), "nop");
    EXPECT_EQ(Doc().Title(), "new.qrt");
    EXPECT_EQ(app->RecentFiles().front(), Doc().PathName());
}

TEST_F(AppTest, FailedSaveKeepsTheDocumentModifiedAndSaysWhy) {
    WriteFile("prog.asm", "\tret\r\n");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("prog.asm"))}));
    NoCreateFileSystem files;
    Doc().Buffer().SetFileSystem(&files);
    Type(View(), "x");
    ui.savePaths.push_back(FilePath("other.asm"));
    EXPECT_TRUE(Main().RouteCommand(ID_FILE_SAVE_AS));
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(Doc().Title(), "prog.asm");
    EXPECT_EQ(Main().ActiveChild()->windowTitle(), "prog.asm *");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("other.asm"), std::string::npos) << ui.messages[0];
    EXPECT_NE(ui.messages[0].find("Permission denied"), std::string::npos) << ui.messages[0];
    EXPECT_EQ(ReadFile("prog.asm"), "\tret\r\n");
    Doc().Buffer().SetFileSystem(nullptr);
}

// Each row: the answer to "Save changes?" when the last window of a modified document closes.
TEST_F(AppTest, ClosingAModifiedDocumentAsks) {
    struct Row {
        MessageResult answer;
        bool closed;
        const char* fileAfter;
    };
    const Row rows[] = {
        {MessageResult::Cancel, false, "old"},
        {MessageResult::No, true, "old"},
        {MessageResult::Yes, true, "newold"},
    };
    for (const Row& row : rows) {
        WriteFile("f.asm", "old");
        ui.messages.clear();
        ASSERT_TRUE(Start({QString::fromStdString(FilePath("f.asm"))}));
        Type(View(), "new");
        ui.answers.push_back(row.answer);
        Main().ActiveChild()->close();
        Settle();
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0], "Save changes to " + FilePath("f.asm") + "?");
        EXPECT_EQ(app->Documents().empty(), row.closed);
        EXPECT_EQ(ReadFile("f.asm"), row.fileAfter);
        Stop();
        Settle();
    }
}

// A file name in a question or a failure is shown with its control bytes escaped: an escape
// sequence in a name cannot change what the box says.
TEST_F(AppTest, FileNamesInMessagesAreShownEscaped) {
    WriteFile("a\x1b[31mb.asm", "old");
    ASSERT_TRUE(Start({QString::fromStdString(FilePath("a\x1b[31mb.asm"))}));
    Type(View(), "x");
    NoCreateFileSystem files;
    Doc().Buffer().SetFileSystem(&files);
    ui.savePaths.push_back(FilePath("c\x1b[0md.asm"));
    Main().RouteCommand(ID_FILE_SAVE_AS);
    Doc().Buffer().SetFileSystem(nullptr);
    ui.answers.push_back(MessageResult::No);
    Main().ActiveChild()->close();
    Settle();
    ASSERT_EQ(ui.messages.size(), 2u);
    for (const std::string& message : ui.messages)
        EXPECT_EQ(message.find('\x1b'), std::string::npos) << message;
    EXPECT_NE(ui.messages[0].find("c\\e[0md.asm"), std::string::npos) << ui.messages[0];
    EXPECT_EQ(ui.messages[1],
              "Save changes to " + PrintableFileName(FilePath("a\x1b[31mb.asm")) + "?");
}

} // namespace
} // namespace apptest
