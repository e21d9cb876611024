// Which way a save finishes: a file is replaced by a rename only where the new file is the old one
// in every respect the user can see; elsewhere it is rewritten through its own inode.
#include <gtest/gtest.h>

#include <ostream>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "buffer/printable.h"
#include "buffer/textbuffer.h"
#include "save_scene.h"
#include "test_support.h"

using buftest::Call;
using buftest::FaultyFs;
using buftest::SaveScene;
using buftest::Target;

namespace {

struct Finish {
    const char* name;
    Target target;
    std::vector<FaultyFs::Fault> faults; // besides the scene's own
    bool inPlace;
    bool tempInCache = false;
};

void PrintTo(const Finish& c, std::ostream* os) {
    *os << c.name;
}

class SaveFinishTest : public testing::TestWithParam<Finish> {};

TEST_P(SaveFinishTest, RenamesOnlyWhatStaysTheSameFile) {
    const Finish& c = GetParam();
    SaveScene scene(c.target);
    if (const std::string why = scene.Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    if (c.target == Target::Plain && ::geteuid() == 0) {
        // Give the file an owner and group the copy must be given as well.
        ASSERT_EQ(::chown(scene.path.c_str(), 4242, 4343), 0);
        ASSERT_EQ(::chmod(scene.path.c_str(), 0640), 0);
        scene.Remember();
    }
    const struct stat before = SaveScene::Stat(scene.final);
    FaultyFs fs;
    fs.faults = c.faults;
    fs.faults.insert(fs.faults.end(), scene.baseFaults.begin(), scene.baseFaults.end());
    scene.buffer.SetFileSystem(&fs);
    ASSERT_TRUE(scene.Save()) << scene.buffer.LastFileError().Message() << "\n" << fs.Log();
    EXPECT_TRUE(scene.Content() == scene.newText);
    EXPECT_EQ(scene.SameInode(), c.inPlace) << fs.Log();
    const struct stat after = SaveScene::Stat(scene.final);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    ASSERT_FALSE(fs.templates.empty());
    const std::string folder = c.tempInCache ? scene.cache + "/velmora/CRE" : scene.dir.File("CRE");
    EXPECT_TRUE(fs.templates.back().starts_with(folder)) << fs.templates.back();
    scene.ExpectShapeKept(scene.buffer.LastFileError());
}

using F = FaultyFs::Fault;
INSTANTIATE_TEST_SUITE_P(
    Save, SaveFinishTest,
    testing::Values(
        Finish{"PlainFileIsReplaced", Target::Plain, {}, false},
        Finish{"AttributesAndAclAreCopied", Target::WithAttributes, {}, false},
        Finish{"SeveralHardLinks", Target::HardLinked, {}, true},
        Finish{"OwnerCannotBeGivenBack", Target::OtherOwner, {}, true},
        Finish{"GroupCannotBeGivenBack",
               Target::Plain,
               {F{Call::Fchown, 1, EPERM, true}},
               ::geteuid() == 0},
        Finish{"ModeCannotBeSet", Target::Plain, {F{Call::Fchmod, 1, EPERM}}, true},
        Finish{"AttributeCannotBeCopied",
               Target::WithAttributes,
               {F{Call::Fsetxattr, 1, ENOTSUP}},
               true},
        Finish{"AttributesCannotBeRead", Target::WithAttributes, {F{Call::Getxattr, 1, EIO}}, true},
        Finish{"AttributesOfTheCopyCannotBeListed",
               Target::Plain,
               {F{Call::Flistxattr, 1, EIO}},
               true},
        Finish{"FolderNotWritable", Target::FolderNotWritable, {}, true, true},
        Finish{"StickyFolderRefusesRename", Target::StickyFolder, {}, true},
        Finish{"FileMountedInPlace", Target::Plain, {F{Call::Rename, 1, EBUSY}}, true}),
    [](const testing::TestParamInfo<Finish>& row) { return row.param.name; });

// A copy that inherited an attribute the old file lacks (as from a folder's default ACL) does not
// take the file's place with it.
TEST(Save, AttributesTheOldFileLacksAreNotAdded) {
    SaveScene scene(Target::Plain);
    FaultyFs fs;
    fs.before = [&](Call call, const char* what) {
        if (call == Call::Flistxattr) {
            const int fd = std::stoi(std::string(what).substr(3));
            (void)::fsetxattr(fd, "user.velmora.inherited", "x", 1, 0);
        }
    };
    scene.buffer.SetFileSystem(&fs);
    ASSERT_TRUE(scene.Save()) << scene.buffer.LastFileError().Message();
    EXPECT_EQ(buftest::Attributes(scene.final).count("user.velmora.inherited"), 0u);
    EXPECT_FALSE(scene.SameInode());
    scene.ExpectShapeKept(scene.buffer.LastFileError());
}

// A file name that holds control bytes drives nobody's terminal through a message.
TEST(Save, MessagesShowControlBytesEscaped) {
    buftest::TempDir dir;
    const std::string name = dir.File("evil\x1b]0;owned\x07\n.asm");
    CTextBuffer buffer;
    EXPECT_FALSE(buffer.ReadFromFile(name, LineEndAuto));
    const std::string message = buffer.LastFileError().Message();
    EXPECT_EQ(buffer.LastFileError().path, name);
    EXPECT_NE(message.find(dir.Path() + "/evil\\e]0;owned\\x07\\n.asm"), std::string::npos)
        << message;
    for (char c : message)
        EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 && c != '\n') << message;

    FileError kept;
    kept.errorNumber = EIO;
    kept.operation = "write";
    kept.path = "/a/\r.asm";
    kept.keptPath = "/b/\x9b"
                    "CRE1";
    EXPECT_EQ(kept.Message(), "Cannot write /a/\\r.asm: " + std::string(std::strerror(EIO)) +
                                  ".\nThe file may be incomplete. The new text is kept in "
                                  "/b/\\x9bCRE1.");
}

TEST(PrintableFileName, EscapesWhatCouldDriveATerminal) {
    const std::pair<std::string, std::string> rows[] = {
        {"/home/u/prog.asm", "/home/u/prog.asm"},
        {"", ""},
        {"a\tb\nc\rd", "a\\tb\\nc\\rd"},
        {"\x1b[2J", "\\e[2J"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"\x7f\x01\x1f", "\\x7f\\x01\\x1f"},
        {"back\\slash", "back\\\\slash"},
        {"caf\xc3\xa9 \xd0\xb6 \xe6\x97\xa5 \xf0\x9f\x98\x80",
         "caf\xc3\xa9 \xd0\xb6 \xe6\x97\xa5 \xf0\x9f\x98\x80"},
        {"\x9b"
         "31m",
         "\\x9b31m"}, // a raw C1 introducer
        {"\xc2\x9b"
         "31m",
         "\\u009B31m"},                               // the same, encoded
        {"x\xe2\x80\xaegpj.exe", "x\\u202Egpj.exe"},  // right-to-left override
        {"\xc0\xaf", "\\xc0\\xaf"},                   // overlong
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},          // a surrogate
        {"\xe6\x97", "\\xe6\\x97"},                   // cut short
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"}, // above U+10FFFF
        {"\xff", "\\xff"},
    };
    for (const auto& [name, shown] : rows)
        EXPECT_EQ(PrintableFileName(name), shown) << buftest::Escaped(name);
}

} // namespace
