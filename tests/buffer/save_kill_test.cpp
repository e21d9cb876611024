// Saves killed at every system call, and failed with ENOSPC and EIO at every system call, through
// strace's fault injection on save_driver, a program that loads a file and saves new text through
// the real file layer. After a kill the file holds its old or its new text exactly, or a kept
// temporary file holds the new text; after an injected error the save reports failure and the old
// text is whole (or reports success and the new text is whole). Links, owner, group, mode and
// attributes are kept in every case.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "save_scene.h"
#include "test_support.h"

extern char** environ;

namespace {

using buftest::Exists;
using buftest::ReadBytes;
using buftest::TempDir;
using buftest::WriteBytes;

enum class Shape { Plain, Symlink, HardLinked, OtherOwner, FolderNotWritable };

const char* ShapeName(Shape s) {
    switch (s) {
    case Shape::Plain:
        return "Plain";
    case Shape::Symlink:
        return "Symlink";
    case Shape::HardLinked:
        return "HardLinked";
    case Shape::OtherOwner:
        return "OtherOwner";
    case Shape::FolderNotWritable:
        return "FolderNotWritable";
    }
    return "?";
}

void PrintTo(Shape s, std::ostream* os) {
    *os << ShapeName(s);
}

// The ids of the other-owner case: the file belongs to nobody and a group the saver is in.
constexpr uid_t kNobody = 65534;
constexpr uid_t kSaver = 4242;
constexpr gid_t kSharedGroup = 4343;

std::string Text(const char* word, int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += std::string(word) + std::to_string(i) + ":\tld a,(ix+" + std::to_string(i) +
                ") ; some text of the file\r\n";
    return text + "\tend";
}

struct Outcome {
    bool killed = false;
    int status = -1; // exit status when not killed
    std::string err;
};

// Runs `argv` with standard output discarded and standard error kept.
Outcome RunProgram(const std::vector<std::string>& argv, const std::string& errFile) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = -1;
    Outcome outcome;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return outcome;
    int raw = 0;
    while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
    }
    outcome.killed = WIFSIGNALED(raw) && WTERMSIG(raw) == SIGKILL;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.err = ReadBytes(errFile);
    return outcome;
}

// A folder with the file to save in one shape, the new text beside it, and the saver's cache.
class KillScene {
public:
    explicit KillScene(Shape shape) : shape_(shape) {
        ::chmod(root_.Path().c_str(), 0755); // the saver may be another user
        dir_ = root_.File("dir");
        cache_ = root_.File("cache");
        path = dir_ + "/t.asm";
        final = path;
        newFile_ = root_.File("new.txt");
        ::mkdir(dir_.c_str(), 0755);
        ::mkdir(cache_.c_str(), 0700);
        WriteBytes(newFile_, NewText());
        switch (shape) {
        case Shape::Plain:
            WriteBytes(path, OldText());
            (void)::setxattr(path.c_str(), "user.velmora.note", "kept", 4, 0);
            break;
        case Shape::Symlink:
            ::mkdir((dir_ + "/sub").c_str(), 0755);
            final = dir_ + "/sub/real.asm";
            WriteBytes(final, OldText());
            (void)::symlink("sub/real.asm", path.c_str());
            break;
        case Shape::HardLinked:
            WriteBytes(path, OldText());
            (void)::link(path.c_str(), (dir_ + "/other.asm").c_str());
            break;
        case Shape::OtherOwner:
            // A sticky folder anyone may write, a group-writable file of nobody's.
            ::chmod(dir_.c_str(), 01777);
            WriteBytes(path, OldText());
            (void)::chown(path.c_str(), kNobody, kSharedGroup);
            ::chmod(path.c_str(), 0664);
            (void)::chown(cache_.c_str(), kSaver, kSaver);
            saverIds_ = std::to_string(kSaver) + ":" + std::to_string(kSaver) + ":" +
                        std::to_string(kSharedGroup);
            break;
        case Shape::FolderNotWritable:
            // The saver's own file in root's folder.
            WriteBytes(path, OldText());
            (void)::chown(path.c_str(), kSaver, kSaver);
            (void)::chown(cache_.c_str(), kSaver, kSaver);
            saverIds_ = std::to_string(kSaver) + ":" + std::to_string(kSaver) + ":" +
                        std::to_string(kSaver);
            break;
        }
        before_ = buftest::SaveScene::Stat(final);
        attributes_ = buftest::Attributes(final);
    }

    // The new text is the shorter, so that a rewrite in place holds neither text until it is
    // truncated.
    static std::string OldText() { return Text("old", 70); }
    static std::string NewText() { return Text("new", 60); }

    std::vector<std::string> DriverArgs() const {
        std::vector<std::string> args{VELMORA_SAVE_DRIVER};
        if (!saverIds_.empty())
            args.insert(args.end(), {"--as", saverIds_});
        args.insert(args.end(), {path, newFile_});
        return args;
    }
    std::string ErrFile() const { return root_.File("stderr"); }
    std::string CacheHome() const { return cache_; }
    std::string Content() const { return Exists(final) ? ReadBytes(final) : "<missing>"; }

    // Temporary files left in any folder a save may use.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> found;
        for (const std::string& folder : {dir_, dir_ + "/sub", cache_ + "/velmora"})
            for (const std::string& name : TempDir::Leftovers(folder))
                found.push_back(folder + "/" + name);
        return found;
    }

    // Whatever happened, the file is still the same kind of file with the same metadata.
    void ExpectShapeKept() const {
        const struct stat now = buftest::SaveScene::Stat(final);
        EXPECT_EQ(now.st_uid, before_.st_uid);
        EXPECT_EQ(now.st_gid, before_.st_gid);
        EXPECT_EQ(now.st_mode, before_.st_mode);
        EXPECT_EQ(buftest::Attributes(final), attributes_);
        if (shape_ == Shape::Symlink) {
            EXPECT_EQ(buftest::SaveScene::ReadLink(path), "sub/real.asm");
        }
        if (shape_ == Shape::HardLinked || shape_ == Shape::OtherOwner ||
            shape_ == Shape::FolderNotWritable) {
            EXPECT_EQ(now.st_ino, before_.st_ino) << "the file must be written in place";
        }
        if (shape_ == Shape::HardLinked) {
            EXPECT_EQ(now.st_nlink, 2u);
        }
    }

    std::string path;
    std::string final;

private:
    Shape shape_;
    TempDir root_;
    std::string dir_;
    std::string cache_;
    std::string newFile_;
    std::string saverIds_;
    struct stat before_ {};
    std::map<std::string, std::string> attributes_;
};

// How often each system call is made in a whole run (`total`) and before the save begins (the
// driver's getppid marker), from a trace of one undisturbed save.
struct CallCounts {
    std::map<std::string, int> total;
    std::map<std::string, int> beforeSave;
};

// Runs the driver on `scene` under strace with `straceArgs`; the saver's cache folder is the
// scene's.
Outcome RunTraced(const KillScene& scene, std::vector<std::string> straceArgs) {
    ::setenv("XDG_CACHE_HOME", scene.CacheHome().c_str(), 1);
    const std::vector<std::string> driver = scene.DriverArgs();
    straceArgs.insert(straceArgs.end(), driver.begin(), driver.end());
    return RunProgram(straceArgs, scene.ErrFile());
}

bool TraceSave(Shape shape, CallCounts& counts) {
    KillScene scene(shape);
    const std::string log = scene.ErrFile() + ".trace";
    const Outcome run = RunTraced(scene, {VELMORA_STRACE, "-f", "-qq", "-o", log});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(scene.Content() == KillScene::NewText());
    scene.ExpectShapeKept();
    EXPECT_EQ(scene.Leftovers(), std::vector<std::string>{});
    std::istringstream lines(ReadBytes(log));
    bool saving = false;
    for (std::string line; std::getline(lines, line);) {
        // "PID name(args...) = result"
        const size_t space = line.find(' ');
        const size_t paren = line.find('(');
        if (space == std::string::npos || paren == std::string::npos || paren < space)
            continue;
        const size_t start = line.find_first_not_of(' ', space);
        const std::string name = line.substr(start, paren - start);
        if (name.empty() ||
            name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") != std::string::npos)
            continue;
        ++counts.total[name];
        if (!saving)
            ++counts.beforeSave[name];
        if (name == "getppid")
            saving = true;
    }
    return saving;
}

enum class Injection { Kill, NoSpace, IoError };

struct KillRun {
    std::string call;
    int nth; // 1-based, counted from the start of the save
};

std::string Describe(const KillRun& k, Injection how) {
    const char* what = how == Injection::Kill      ? "SIGKILL"
                       : how == Injection::NoSpace ? "ENOSPC"
                                                   : "EIO";
    return std::string(what) + " at " + k.call + " #" + std::to_string(k.nth) + " of the save";
}

class SaveKillTest : public testing::TestWithParam<Shape> {};

TEST_P(SaveKillTest, EverySystemCallOfTheSave) {
#ifdef VELMORA_SANITIZED
    GTEST_SKIP() << "the sanitizers' own system calls and leak check under ptrace; runs in the "
                    "plain build";
#endif
    const bool ci = std::getenv("CI") != nullptr;
    if (std::string(VELMORA_STRACE).empty()) {
        if (ci)
            FAIL() << "strace is missing: scripts/install-deps.sh installs it";
        GTEST_SKIP() << "strace is not installed (scripts/install-deps.sh installs it)";
    }
    if (RunProgram({VELMORA_STRACE, "-o", "/dev/null", "/bin/true"}, "/dev/null").status != 0) {
        if (ci)
            FAIL() << "strace cannot trace here";
        GTEST_SKIP() << "strace cannot trace here (ptrace not permitted)";
    }
    const Shape shape = GetParam();
    if ((shape == Shape::OtherOwner || shape == Shape::FolderNotWritable) && ::geteuid() != 0)
        GTEST_SKIP() << "making a file of another owner and a saver of another user needs root";

    const auto started = std::chrono::steady_clock::now();
    const char* oldCache = std::getenv("XDG_CACHE_HOME");
    const std::string keepCache = oldCache ? oldCache : "";
    // Scenes differ only in their folder's name, so every run makes the same calls.
    CallCounts counts;
    ASSERT_TRUE(TraceSave(shape, counts)) << "no save seen in the trace";

    std::vector<KillRun> points;
    for (const auto& [call, total] : counts.total) {
        if (call == "exit_group" || call == "getppid")
            continue;
        for (int n = counts.beforeSave[call] + 1; n <= total; ++n)
            points.push_back({call, n - counts.beforeSave[call]});
    }
    ASSERT_GT(points.size(), 10u);

    int kills = 0;
    int unreached = 0;
    int errors = 0;
    for (const Injection how : {Injection::Kill, Injection::NoSpace, Injection::IoError}) {
        for (const KillRun& point : points) {
            // The kernel's brk has no error return (it answers with the old break), so an
            // injected error there fakes something no kernel does.
            if (how != Injection::Kill && point.call == "brk")
                continue;
            SCOPED_TRACE(Describe(point, how));
            KillScene scene(shape);
            const int when = counts.beforeSave[point.call] + point.nth;
            std::string inject = "inject=" + point.call;
            inject += how == Injection::Kill      ? ":signal=SIGKILL"
                      : how == Injection::NoSpace ? ":error=ENOSPC"
                                                  : ":error=EIO";
            inject += ":when=" + std::to_string(when);
            const Outcome run = RunTraced(scene, {VELMORA_STRACE, "-f", "-qq", "-o", "/dev/null",
                                                  "-e", "trace=" + point.call, "-e", inject});
            const std::string content = scene.Content();
            const std::vector<std::string> left = scene.Leftovers();
            if (how == Injection::Kill && !run.killed) {
                // A call made only now and then (getrandom for a temporary name) may not come
                // again at the same count: the save then simply finishes.
                ++unreached;
                EXPECT_EQ(run.status, 0) << run.err;
                EXPECT_TRUE(content == KillScene::NewText());
            } else if (how == Injection::Kill) {
                ++kills;
                bool whole = content == KillScene::OldText() || content == KillScene::NewText();
                for (const std::string& kept : left)
                    whole = whole || ReadBytes(kept) == KillScene::NewText();
                EXPECT_TRUE(whole) << "neither the old nor the new text survives";
            } else {
                ++errors;
                ASSERT_FALSE(run.killed);
                if (run.status == 0) {
                    EXPECT_TRUE(content == KillScene::NewText()) << "saved, but not the new text";
                    // Only a temporary copy that could not be removed after an in-place rewrite
                    // may stay, and it holds the text saved.
                    if (point.call != "unlink" || left.size() != 1 ||
                        ReadBytes(left[0]) != KillScene::NewText()) {
                        EXPECT_EQ(left, std::vector<std::string>{});
                    }
                } else {
                    ASSERT_EQ(run.status, 1) << "the driver did not end normally: " << run.err;
                    // The file is named, or the folder where its temporary copy could not be
                    // made (the editor then names the file as well).
                    const std::string folder = scene.final.substr(0, scene.final.rfind('/'));
                    EXPECT_TRUE(run.err.find(scene.path) != std::string::npos ||
                                run.err.find(folder) != std::string::npos)
                        << run.err;
                    // A folder sync fails only after the rename: the new text is then in place.
                    const bool renamed = point.call == "fsync" && content == KillScene::NewText();
                    EXPECT_TRUE(renamed || content == KillScene::OldText())
                        << "a failed save changed the file: " << run.err;
                    if (!left.empty()) {
                        EXPECT_EQ(left.size(), 1u);
                        EXPECT_NE(run.err.find(left[0]), std::string::npos)
                            << "a kept copy is named: " << run.err;
                        EXPECT_TRUE(ReadBytes(left[0]) == KillScene::NewText());
                    }
                }
            }
            scene.ExpectShapeKept();
            if (HasFailure())
                break; // one failing point tells enough
        }
    }
    if (keepCache.empty())
        ::unsetenv("XDG_CACHE_HOME");
    else
        ::setenv("XDG_CACHE_HOME", keepCache.c_str(), 1);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%s: %d kill points (%d not reached), %d injected errors, %.1f s\n",
                ShapeName(shape), kills, unreached, errors, seconds);
    EXPECT_LE(unreached, 2) << "the save did not make the same calls as when traced";
    RecordProperty("kill_points", kills);
    RecordProperty("error_points", errors);
}

INSTANTIATE_TEST_SUITE_P(Save, SaveKillTest,
                         testing::Values(Shape::Plain, Shape::Symlink, Shape::HardLinked,
                                         Shape::OtherOwner, Shape::FolderNotWritable),
                         [](const testing::TestParamInfo<Shape>& row) {
                             return ShapeName(row.param);
                         });

} // namespace
