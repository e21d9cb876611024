// Saving: the old file survives every failure byte for byte, no temporary file is left behind, and
// a successful save keeps the file's mode, owner, symbolic links and hard links.
#include <gtest/gtest.h>

#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "buffer/textbuffer.h"
#include "test_support.h"

using buftest::Call;
using buftest::CallName;
using buftest::Exists;
using buftest::FaultyFs;
using buftest::ReadBytes;
using buftest::TempDir;
using buftest::WriteBytes;

namespace {

enum class Target { Plain, SymlinkChain, HardLinked, NewFile };

const char* TargetName(Target t) {
    switch (t) {
    case Target::Plain:
        return "Plain";
    case Target::SymlinkChain:
        return "SymlinkChain";
    case Target::HardLinked:
        return "HardLinked";
    default:
        return "NewFile";
    }
}

std::string OldText() {
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "old" + std::to_string(i) + ":  ld hl,0FFFFh ; the text on disk\r\n";
    return text;
}

// A folder with the file to save in one of the target's shapes, and a modified buffer holding the
// new text. The buffer saves to `path`; `final` is the file that holds the text.
class SaveScene {
public:
    explicit SaveScene(Target kind) : kind_(kind) {
        path = dir.File("t.asm");
        final = path;
        const std::string oldText = OldText();
        switch (kind) {
        case Target::Plain:
            WriteBytes(path, oldText);
            break;
        case Target::SymlinkChain:
            ::mkdir(dir.File("sub").c_str(), 0755);
            final = dir.File("sub/real.asm");
            WriteBytes(final, oldText);
            (void)::symlink("sub/real.asm", dir.File("link2").c_str());
            (void)::symlink("link2", path.c_str());
            break;
        case Target::HardLinked:
            WriteBytes(path, oldText);
            (void)::link(path.c_str(), dir.File("other.asm").c_str());
            break;
        case Target::NewFile:
            break;
        }
        buffer.ResetToEmpty(LineEndDos);
        for (int i = 0; i < 40; ++i)
            newText += "new" + std::to_string(i) + ":\tdb \"text\",0\r\n";
        newText += "\tend";
        int endLine = 0;
        int endChar = 0;
        buffer.InsertRecorded(nullptr, 0, 0, newText, endLine, endChar, ActionPaste);
        before_ = Stat(final);
    }

    // What the file on disk holds, or "<missing>".
    std::string Content() const { return Exists(final) ? ReadBytes(final) : "<missing>"; }
    std::string OldContent() const { return kind_ == Target::NewFile ? "<missing>" : OldText(); }

    // The shape of the target is as it was: links are still links, hard links share one file,
    // and no temporary file is left in any folder concerned.
    void ExpectShapeKept() const {
        EXPECT_EQ(TempDir::Leftovers(dir.Path()), std::vector<std::string>{});
        if (kind_ == Target::SymlinkChain) {
            EXPECT_EQ(TempDir::Leftovers(dir.File("sub")), std::vector<std::string>{});
            EXPECT_EQ(ReadLink(path), "link2");
            EXPECT_EQ(ReadLink(dir.File("link2")), "sub/real.asm");
        }
        if (kind_ == Target::HardLinked) {
            EXPECT_EQ(Stat(final).st_ino, before_.st_ino);
            EXPECT_EQ(Stat(dir.File("other.asm")).st_ino, before_.st_ino);
            EXPECT_EQ(Stat(final).st_nlink, 2u);
        }
    }

    static struct stat Stat(const std::string& p) {
        struct stat st {};
        ::lstat(p.c_str(), &st);
        return st;
    }
    static std::string ReadLink(const std::string& p) {
        char buf[4096];
        ssize_t n = ::readlink(p.c_str(), buf, sizeof buf);
        return n < 0 ? "<not a link>" : std::string(buf, static_cast<size_t>(n));
    }

    bool Save() { return buffer.WriteToFile(path, LineEndAuto, true); }

    TempDir dir;
    std::string path;
    std::string final;
    std::string newText;
    CTextBuffer buffer;

private:
    Target kind_;
    struct stat before_ {};
};

// Failing any single call of a save, one after the other: the save either succeeds completely or
// reports the failure and leaves the old file as it was.
class SaveSweepTest : public testing::TestWithParam<Target> {};

TEST_P(SaveSweepTest, EveryFailingCallLeavesOldOrNewTextWhole) {
    std::array<int, static_cast<size_t>(Call::Count)> counts{};
    {
        SaveScene scene(GetParam());
        FaultyFs fs;
        scene.buffer.SetFileSystem(&fs);
        ASSERT_TRUE(scene.Save()) << scene.buffer.LastFileError().Message();
        EXPECT_EQ(scene.Content(), scene.newText);
        scene.ExpectShapeKept();
        counts = fs.calls;
    }
    int injected = 0;
    for (size_t k = 0; k < counts.size(); ++k) {
        const auto call = static_cast<Call>(k);
        // A failing unlink of the temporary file cannot be cleaned up by anyone.
        if (call == Call::Unlink)
            continue;
        for (int n = 1; n <= counts[k]; ++n) {
            SCOPED_TRACE(std::string(CallName(call)) + " #" + std::to_string(n));
            SaveScene scene(GetParam());
            FaultyFs fs;
            fs.faults.push_back({call, n, EIO});
            scene.buffer.SetFileSystem(&fs);
            const bool ok = scene.Save();
            ++injected;
            const FileError& error = scene.buffer.LastFileError();
            if (ok) {
                EXPECT_TRUE(scene.Content() == scene.newText) << fs.Log();
                EXPECT_EQ(error.errorNumber, 0);
                EXPECT_FALSE(scene.buffer.IsModified());
            } else {
                // A failed folder sync comes after the rename: the new text is already in place.
                if (call == Call::FsyncDir) {
                    EXPECT_TRUE(scene.Content() == scene.newText) << fs.Log();
                } else {
                    EXPECT_TRUE(scene.Content() == scene.OldContent()) << fs.Log();
                }
                EXPECT_EQ(error.errorNumber, EIO) << error.Message();
                EXPECT_FALSE(error.operation.empty());
                EXPECT_NE(error.Message().find(scene.dir.Path()), std::string::npos)
                    << error.Message();
                EXPECT_NE(error.Message().find(std::strerror(EIO)), std::string::npos);
                EXPECT_TRUE(scene.buffer.IsModified());
                EXPECT_EQ(scene.buffer.SavedCount(), 0);
            }
            const bool mustFail = call == Call::Write || call == Call::Fsync ||
                                  call == Call::FsyncDir || call == Call::MkTemp ||
                                  call == Call::Rename || call == Call::Ftruncate;
            if (mustFail) {
                EXPECT_FALSE(ok) << "the failure went unnoticed\n" << fs.Log();
            }
            scene.ExpectShapeKept();
        }
    }
    EXPECT_GT(injected, 5);
}

INSTANTIATE_TEST_SUITE_P(Buffer, SaveSweepTest,
                         testing::Values(Target::Plain, Target::SymlinkChain, Target::HardLinked,
                                         Target::NewFile),
                         [](const testing::TestParamInfo<Target>& row) {
                             return TargetName(row.param);
                         });

struct SaveFailure {
    const char* name;
    Target target;
    std::vector<FaultyFs::Fault> faults;
    int error; // 0: the save succeeds
};

// Cases print as their names in test logs.
void PrintTo(const SaveFailure& c, std::ostream* os) {
    *os << c.name;
}

class SaveFailureTest : public testing::TestWithParam<SaveFailure> {};

TEST_P(SaveFailureTest, KeepsTheOldFile) {
    const SaveFailure& c = GetParam();
    SaveScene scene(c.target);
    FaultyFs fs;
    fs.faults = c.faults;
    scene.buffer.SetFileSystem(&fs);
    const bool ok = scene.Save();
    EXPECT_EQ(ok, c.error == 0) << scene.buffer.LastFileError().Message() << "\n" << fs.Log();
    EXPECT_EQ(scene.buffer.LastFileError().errorNumber, c.error);
    EXPECT_TRUE(scene.Content() == (ok ? scene.newText : scene.OldContent()));
    EXPECT_EQ(scene.buffer.IsModified(), !ok);
    if (!ok) {
        EXPECT_NE(scene.buffer.LastFileError().Message().find(std::strerror(c.error)),
                  std::string::npos);
    }
    scene.ExpectShapeKept();
}

using F = FaultyFs::Fault;
INSTANTIATE_TEST_SUITE_P(
    Buffer, SaveFailureTest,
    testing::Values(
        SaveFailure{"FolderNotWritable", Target::Plain, {F{Call::MkTemp, 1, EACCES}}, EACCES},
        SaveFailure{"DiskFull", Target::Plain, {F{Call::Write, 1, ENOSPC}}, ENOSPC},
        SaveFailure{"WriteIoError", Target::Plain, {F{Call::Write, 1, EIO}}, EIO},
        SaveFailure{"ShortWriteThenDiskFull",
                    Target::Plain,
                    {F{Call::Write, 1, 0, false, 10}, F{Call::Write, 2, ENOSPC}},
                    ENOSPC},
        SaveFailure{"WriteMakesNoProgress", Target::Plain, {F{Call::Write, 1, 0, true, 0}}, ENOSPC},
        SaveFailure{"ShortWritesAreResumed", Target::Plain, {F{Call::Write, 1, 0, true, 7}}, 0},
        SaveFailure{"FsyncFails", Target::Plain, {F{Call::Fsync, 1, EIO}}, EIO},
        SaveFailure{"RenameFails", Target::Plain, {F{Call::Rename, 1, EXDEV}}, EXDEV},
        SaveFailure{"NotWritable", Target::Plain, {F{Call::AccessWrite, 1, EACCES, true}}, EACCES},
        SaveFailure{"NotWritableThroughLink",
                    Target::SymlinkChain,
                    {F{Call::AccessWrite, 1, EACCES, true}},
                    EACCES},
        SaveFailure{"HardLinkedDiskFull", Target::HardLinked, {F{Call::Write, 1, ENOSPC}}, ENOSPC},
        SaveFailure{"HardLinkedRewriteFails",
                    Target::HardLinked,
                    {F{Call::Write, 2, 0, false, 100}, F{Call::Write, 3, EIO}},
                    EIO},
        SaveFailure{"NewFileDiskFull", Target::NewFile, {F{Call::Write, 1, ENOSPC}}, ENOSPC},
        SaveFailure{"FolderSyncUnsupported", Target::Plain, {F{Call::FsyncDir, 1, EINVAL}}, 0}),
    [](const testing::TestParamInfo<SaveFailure>& row) { return row.param.name; });

TEST(Save, FailedFolderSyncIsReported) {
    SaveScene scene(Target::Plain);
    FaultyFs fs;
    fs.faults.push_back({Call::FsyncDir, 1, EIO});
    scene.buffer.SetFileSystem(&fs);
    EXPECT_FALSE(scene.Save());
    EXPECT_EQ(scene.buffer.LastFileError().errorNumber, EIO);
    EXPECT_TRUE(scene.buffer.IsModified());
    scene.ExpectShapeKept();
}

TEST(Save, TemporaryFileGoesBesideTheFinalTarget) {
    SaveScene scene(Target::SymlinkChain);
    FaultyFs fs;
    scene.buffer.SetFileSystem(&fs);
    ASSERT_TRUE(scene.Save());
    ASSERT_EQ(fs.templates.size(), 1u);
    EXPECT_TRUE(fs.templates[0].starts_with(scene.dir.File("sub/CRE"))) << fs.templates[0];
    EXPECT_TRUE(fs.templates[0].ends_with("XXXXXX"));
}

TEST(Save, TargetRemovedMeanwhileIsCreated) {
    SaveScene scene(Target::Plain);
    FaultyFs fs;
    fs.before = [&](Call call, const char*) {
        if (call == Call::Rename)
            ::unlink(scene.path.c_str());
    };
    scene.buffer.SetFileSystem(&fs);
    ASSERT_TRUE(scene.Save());
    EXPECT_TRUE(scene.Content() == scene.newText);
}

TEST(Save, MissingFolderFails) {
    TempDir dir;
    CTextBuffer buffer;
    buffer.ResetToEmpty(LineEndDos);
    EXPECT_FALSE(buffer.WriteToFile(dir.File("gone/t.asm"), LineEndAuto, true));
    EXPECT_EQ(buffer.LastFileError().errorNumber, ENOENT);
    EXPECT_FALSE(Exists(dir.File("gone")));

    ::mkdir(dir.File("d.asm").c_str(), 0755);
    EXPECT_FALSE(buffer.WriteToFile(dir.File("d.asm"), LineEndAuto, true));
    EXPECT_EQ(dir.TempLeftovers(), std::vector<std::string>{});
    struct stat st {};
    EXPECT_EQ(::lstat(dir.File("d.asm").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST(Save, SymlinkLoopFails) {
    TempDir dir;
    (void)::symlink("b", dir.File("a").c_str());
    (void)::symlink("a", dir.File("b").c_str());
    CTextBuffer buffer;
    buffer.ResetToEmpty(LineEndDos);
    EXPECT_FALSE(buffer.WriteToFile(dir.File("a"), LineEndAuto, true));
    EXPECT_EQ(buffer.LastFileError().errorNumber, ELOOP);
    EXPECT_EQ(SaveScene::ReadLink(dir.File("a")), "b");
    EXPECT_EQ(dir.TempLeftovers(), std::vector<std::string>{});
}

TEST(Save, DanglingLinkCreatesItsTarget) {
    TempDir dir;
    (void)::symlink(dir.File("made.asm").c_str(), dir.File("link.asm").c_str());
    CTextBuffer buffer;
    buffer.ResetToEmpty(LineEndDos);
    ASSERT_TRUE(buffer.WriteToFile(dir.File("link.asm"), LineEndAuto, true));
    EXPECT_EQ(SaveScene::ReadLink(dir.File("link.asm")), dir.File("made.asm"));
    EXPECT_TRUE(Exists(dir.File("made.asm")));
}

TEST(Save, ModeAndOwnershipAreKept) {
    for (mode_t mode : {0640, 0755, 0600, 0444, 02775}) {
        SCOPED_TRACE(std::to_string(mode));
        SaveScene scene(Target::Plain);
        // The owner first: changing it clears the set-group-id bit.
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(scene.path.c_str(), 4242, 4343), 0);
        }
        ASSERT_EQ(::chmod(scene.path.c_str(), mode), 0);
        const struct stat before = SaveScene::Stat(scene.path);
        ASSERT_EQ(before.st_mode & 07777, mode);
        // As root the read-only file may be written; the not-writable case is SaveFailureTest's.
        ASSERT_TRUE(scene.Save()) << scene.buffer.LastFileError().Message();
        const struct stat after = SaveScene::Stat(scene.path);
        EXPECT_EQ(after.st_mode & 07777, mode);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_TRUE(scene.Content() == scene.newText);
    }
}

TEST(Save, ShapesOfTheTargetAreKept) {
    for (Target kind : {Target::SymlinkChain, Target::HardLinked}) {
        SCOPED_TRACE(TargetName(kind));
        SaveScene scene(kind);
        ASSERT_TRUE(scene.Save()) << scene.buffer.LastFileError().Message();
        EXPECT_TRUE(scene.Content() == scene.newText);
        if (kind == Target::HardLinked) {
            EXPECT_TRUE(ReadBytes(scene.dir.File("other.asm")) == scene.newText);
        }
        scene.ExpectShapeKept();
    }
}

TEST(Save, NewFileModeFollowsUmask) {
    for (mode_t mask : {mode_t{027}, mode_t{002}, mode_t{077}}) {
        SCOPED_TRACE(std::to_string(mask));
        SaveScene scene(Target::NewFile);
        const mode_t old = ::umask(mask);
        const bool ok = scene.Save();
        ::umask(old);
        ASSERT_TRUE(ok);
        EXPECT_EQ(SaveScene::Stat(scene.path).st_mode & 07777, 0666 & ~mask);
    }
}

} // namespace
