// velmora-highlight run as a user runs it: on the bundled examples, on files that cannot be read
// and on bytes that must not reach a terminal or a page unescaped.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string TempPath(const std::string& name) {
    return testing::TempDir() + "velmora_highlight_" + std::to_string(getpid()) + "_" + name;
}

ToolRun RunTool(const std::vector<std::string>& args) {
    const std::string out = TempPath("stdout");
    const std::string err = TempPath("stderr");
    std::string command = Quote(VELMORA_HIGHLIGHT);
    for (const std::string& arg : args) {
        command += ' ' + Quote(arg);
    }
    command += " >" + Quote(out) + " 2>" + Quote(err) + " </dev/null";
    ToolRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadAll(out);
    run.err = ReadAll(err);
    std::remove(out.c_str());
    std::remove(err.c_str());
    return run;
}

std::string WriteTemp(const std::string& name, const std::string& bytes) {
    const std::string path = TempPath(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// The first line where two texts differ, for a readable failure.
std::string FirstDifference(const std::string& got, const std::string& want) {
    std::istringstream a(got);
    std::istringstream b(want);
    std::string x;
    std::string y;
    for (int line = 1;; ++line) {
        const bool moreA = static_cast<bool>(std::getline(a, x));
        const bool moreB = static_cast<bool>(std::getline(b, y));
        if (!moreA && !moreB) {
            return "no difference";
        }
        if (x != y || moreA != moreB) {
            return "output line " + std::to_string(line) + ": got \"" + (moreA ? x : "<end>") +
                   "\", want \"" + (moreB ? y : "<end>") + "\"";
        }
    }
}

const std::string kExample = std::string(VELMORA_EXAMPLES_DIR) + "/numbers.asm";
const std::string kGolden = std::string(VELMORA_GOLDEN_DIR) + "/numbers.blocks";

TEST(HighlightTool, BlocksOfAnExampleMatchTheGoldenFile) {
    const ToolRun run = RunTool({"--format=blocks", kExample});
    const std::string golden = ReadAll(kGolden);
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(run.out == golden) << FirstDifference(run.out, golden);
}

TEST(HighlightTool, UnreadableFileIsReportedAndTheOthersStillPrinted) {
    const std::string missing = TempPath("no such file.asm");
    const ToolRun run = RunTool({"--format=blocks", missing, kExample});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(missing), std::string::npos) << run.err;
    const std::string expected = "==> " + kExample + " <==\n" + ReadAll(kGolden);
    EXPECT_TRUE(run.out == expected) << FirstDifference(run.out, expected);
}

// File names reach the terminal in messages and headings: their control bytes are escaped.
TEST(HighlightTool, FileNamesNeverPassControlBytesToTheTerminal) {
    const std::string evil = "\x1b]0;owned\x07\x1b[2J";
    const std::string shown = "\\e]0;owned\\x07\\e[2J";
    const std::string missing = TempPath("gone" + evil + ".asm");
    const std::string present = WriteTemp("here" + evil + ".asm", "\tnop\n");
    const ToolRun run = RunTool({"--format=blocks", missing, present, "--" + evil});
    EXPECT_EQ(run.status, 2) << "an unknown option is bad usage";
    EXPECT_NE(run.err.find("unknown option \"--" + shown + "\""), std::string::npos) << run.err;

    const ToolRun files = RunTool({"--format=blocks", missing, present});
    std::remove(present.c_str());
    EXPECT_EQ(files.status, 1);
    EXPECT_NE(files.err.find(TempPath("gone" + shown + ".asm")), std::string::npos) << files.err;
    EXPECT_NE(files.out.find("==> " + TempPath("here" + shown + ".asm") + " <=="),
              std::string::npos)
        << files.out;
    for (const std::string* text : {&run.err, &files.err, &files.out}) {
        for (const char c : *text) {
            EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 && c != '\n') << *text;
        }
    }
}

TEST(HighlightTool, BadUsageFailsWithUsage) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--format=pdf", kExample}, {"--bogus", kExample}, {}}) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_FALSE(run.err.empty());
        EXPECT_EQ(run.out, "");
    }
    const ToolRun help = RunTool({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--format=blocks|ansi|html"), std::string::npos);
}

TEST(HighlightTool, HtmlEscapesMarkupAndShowsHighBytesAsWindows1252) {
    const std::string path =
        WriteTemp("page.asm", "\tdb \"<a&b>\x80\xE9\",0\n\nld a,1 ; \x01\x7F\n");
    const ToolRun run = RunTool({"--format=html", path});
    std::remove(path.c_str());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(run.out.find("&lt;a&amp;b&gt;&#x20AC;&#xE9;&quot;"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("&#x2401;&#x2421;"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("<span class=\"kw\">db</span>"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("</html>"), std::string::npos);
    for (const char c : run.out) {
        EXPECT_LT(static_cast<unsigned char>(c), 0x80u) << "bytes above 127 are escaped";
    }
}

TEST(HighlightTool, AnsiNeverPassesControlBytesToTheTerminal) {
    const std::string path = WriteTemp("term.asm", "ld a,1 ; \x1b]0;title\x07\x9b"
                                                   "2J\n");
    const ToolRun run = RunTool({"--format=ansi", path});
    std::remove(path.c_str());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("\x1b]"), std::string::npos);
    EXPECT_EQ(run.out.find('\x07'), std::string::npos);
    EXPECT_NE(run.out.find("\xE2\x90\x9B]0;title\xE2\x90\x87"), std::string::npos);
    EXPECT_NE(run.out.find("\x1b[38;2;0;0;255mld"), std::string::npos) << "keywords in blue";
    EXPECT_NE(run.out.find("\x1b[38;2;128;128;128m; "), std::string::npos) << "grey comment";
}

} // namespace
