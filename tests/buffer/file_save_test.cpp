// Saving: the old file survives every failure byte for byte, no temporary file is left behind, and
// a successful save keeps the file's mode, owner, symbolic links and hard links.
#include <gtest/gtest.h>

#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "buffer/textbuffer.h"
#include "save_scene.h"
#include "test_support.h"

using buftest::Call;
using buftest::CallName;
using buftest::Exists;
using buftest::FaultyFs;
using buftest::ReadBytes;
using buftest::SaveScene;
using buftest::Target;
using buftest::TargetName;
using buftest::TempDir;
using buftest::WriteBytes;

namespace {

// Failing any single call of a save, one after the other: the save either succeeds completely or
// reports the failure and leaves the old file as it was.
class SaveSweepTest : public testing::TestWithParam<Target> {};

TEST_P(SaveSweepTest, EveryFailingCallLeavesOldOrNewTextWhole) {
    std::array<int, static_cast<size_t>(Call::Count)> counts{};
    {
        SaveScene scene(GetParam());
        if (const std::string why = scene.Unavailable(); !why.empty())
            GTEST_SKIP() << why;
        FaultyFs fs;
        fs.faults = scene.baseFaults;
        scene.buffer.SetFileSystem(&fs);
        ASSERT_TRUE(scene.Save()) << scene.buffer.LastFileError().Message();
        EXPECT_EQ(scene.Content(), scene.newText);
        EXPECT_EQ(scene.SameInode(), buftest::WrittenInPlace(GetParam())) << fs.Log();
        scene.ExpectShapeKept(scene.buffer.LastFileError());
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
            fs.faults.insert(fs.faults.end(), scene.baseFaults.begin(), scene.baseFaults.end());
            scene.buffer.SetFileSystem(&fs);
            const std::set<int> fdsBefore = buftest::OpenFds();
            const bool ok = scene.Save();
            EXPECT_EQ(buftest::OpenFds(), fdsBefore) << "a descriptor was left open\n" << fs.Log();
            ++injected;
            const FileError& error = scene.buffer.LastFileError();
            if (ok) {
                EXPECT_TRUE(scene.Content() == scene.newText) << fs.Log();
                EXPECT_EQ(error.errorNumber, 0);
                EXPECT_FALSE(scene.buffer.IsModified());
            } else {
                // A failed folder sync after a rename: the new text is already in place.
                const bool renamed = call == Call::FsyncDir &&
                                     !buftest::WrittenInPlace(GetParam()) &&
                                     fs.Count(Call::Rename) > 0;
                EXPECT_TRUE(scene.Content() == (renamed ? scene.newText : scene.OldContent()))
                    << fs.Log();
                // Where no copy can be made beside the file, the folder's refusal is the reason
                // given when the cache folder fails too.
                if (GetParam() != Target::FolderNotWritable || error.errorNumber != EACCES) {
                    EXPECT_EQ(error.errorNumber, EIO) << error.Message();
                }
                EXPECT_FALSE(error.operation.empty());
                EXPECT_NE(error.Message().find(scene.dir.Path()), std::string::npos)
                    << error.Message();
                EXPECT_NE(error.Message().find(std::strerror(error.errorNumber)),
                          std::string::npos);
                if (!error.keptPath.empty()) {
                    EXPECT_NE(error.Message().find(error.keptPath), std::string::npos);
                }
                EXPECT_TRUE(scene.buffer.IsModified());
                EXPECT_EQ(scene.buffer.SavedCount(), 0);
            }
            const bool mustFail = call == Call::Write || call == Call::Fsync ||
                                  call == Call::FsyncDir || call == Call::MkTemp ||
                                  call == Call::Rename || call == Call::Ftruncate;
            if (mustFail) {
                EXPECT_FALSE(ok) << "the failure went unnoticed\n" << fs.Log();
            }
            scene.ExpectShapeKept(error);
        }
    }
    EXPECT_GT(injected, 5);
}

INSTANTIATE_TEST_SUITE_P(Buffer, SaveSweepTest,
                         testing::Values(Target::Plain, Target::SymlinkChain, Target::HardLinked,
                                         Target::NewFile, Target::OtherOwner,
                                         Target::WithAttributes, Target::FolderNotWritable,
                                         Target::StickyFolder),
                         [](const testing::TestParamInfo<Target>& row) {
                             return TargetName(row.param);
                         });

struct SaveFailure {
    const char* name;
    Target target;
    std::vector<FaultyFs::Fault> faults;
    int error;         // 0: the save succeeds
    bool kept = false; // the in-place rewrite failed: the new text is kept in a named file
    bool restored = true;
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
    fs.faults.insert(fs.faults.end(), scene.baseFaults.begin(), scene.baseFaults.end());
    scene.buffer.SetFileSystem(&fs);
    const std::set<int> fdsBefore = buftest::OpenFds();
    const bool ok = scene.Save();
    EXPECT_EQ(buftest::OpenFds(), fdsBefore) << "a descriptor was left open";
    const FileError& error = scene.buffer.LastFileError();
    EXPECT_EQ(ok, c.error == 0) << error.Message() << "\n" << fs.Log();
    EXPECT_EQ(error.errorNumber, c.error);
    EXPECT_TRUE(scene.Content() == (ok ? scene.newText : scene.OldContent()));
    EXPECT_EQ(scene.buffer.IsModified(), !ok);
    if (!ok) {
        EXPECT_NE(error.Message().find(std::strerror(c.error)), std::string::npos);
    }
    EXPECT_EQ(!error.keptPath.empty(), c.kept) << error.Message();
    if (c.kept) {
        EXPECT_EQ(error.targetRestored, c.restored);
        const std::string said =
            c.restored ? "The file still holds its old text." : "The file may be incomplete.";
        EXPECT_NE(error.Message().find(said + " The new text is kept in " + error.keptPath + "."),
                  std::string::npos)
            << error.Message();
    }
    scene.ExpectShapeKept(error);
}

using F = FaultyFs::Fault;
INSTANTIATE_TEST_SUITE_P(
    Buffer, SaveFailureTest,
    testing::Values(
        SaveFailure{
            "FolderAndCacheNotWritable", Target::Plain, {F{Call::MkTemp, 1, EACCES, true}}, EACCES},
        SaveFailure{
            "NewFileInFolderNotWritable", Target::NewFile, {F{Call::MkTemp, 1, EACCES}}, EACCES},
        SaveFailure{
            "NoCacheFolder", Target::FolderNotWritable, {F{Call::Mkdir, 2, EACCES}}, EACCES},
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
                    EIO,
                    true},
        SaveFailure{"InPlaceSyncFails", Target::OtherOwner, {F{Call::Fsync, 2, EIO}}, EIO, true},
        SaveFailure{"InPlaceTruncateFails",
                    Target::FolderNotWritable,
                    {F{Call::Ftruncate, 1, EIO}},
                    EIO,
                    true},
        SaveFailure{"InPlaceRewriteAndRestoreFail",
                    Target::StickyFolder,
                    {F{Call::Write, 2, ENOSPC, true}},
                    ENOSPC,
                    true,
                    false},
        SaveFailure{"InPlaceCopyNotDurable", Target::HardLinked, {F{Call::FsyncDir, 1, EIO}}, EIO},
        SaveFailure{"OldTextUnreadable", Target::HardLinked, {F{Call::Read, 1, EIO}}, EIO},
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
    scene.ExpectShapeKept(scene.buffer.LastFileError());
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
        scene.ExpectShapeKept(scene.buffer.LastFileError());
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
