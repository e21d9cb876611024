// Loading: line-end detection, the line split, byte-exact round trips through a save, and loads
// that fail without touching the buffer.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "buffer/textbuffer.h"
#include "buffer_model.h"
#include "test_support.h"

using buftest::Call;
using buftest::Escaped;
using buftest::FaultyFs;
using buftest::Lines;
using buftest::ReadBytes;
using buftest::RecordingView;
using buftest::TempDir;
using buftest::WriteBytes;
using namespace std::string_literals;

namespace {

using LineList = std::vector<std::string>;

std::string Repeat(char c, size_t n) {
    return std::string(n, c);
}

struct LoadCase {
    const char* name;
    std::string bytes;
    LineEndStyle requested;
    LineEndStyle style;
    LineList lines; // empty: only compare with the reference split
};

// Cases print as their names in test logs.
void PrintTo(const LoadCase& c, std::ostream* os) {
    *os << c.name;
}

class LoadTest : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadTest, SplitsDetectsAndSavesBackByteForByte) {
    const LoadCase& c = GetParam();
    TempDir dir;
    const std::string in = dir.File("in.asm");
    const std::string out = dir.File("out.asm");
    ASSERT_TRUE(WriteBytes(in, c.bytes));

    CTextBuffer buffer;
    RecordingView view;
    buffer.AttachView(&view);
    ASSERT_TRUE(buffer.ReadFromFile(in, c.requested)) << buffer.LastFileError().Message();
    EXPECT_EQ(buffer.GetLineEndStyle(), c.style);
    LineList expected = c.lines.empty()
                            ? bufmodel::SplitLikeLoader(c.bytes, bufmodel::Separator(c.style))
                            : c.lines;
    LineList got = Lines(buffer);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(Escaped(got[i]), Escaped(expected[i])) << "line " << i;
    for (int i = 0; i < buffer.LineCount(); ++i)
        ASSERT_EQ(buffer.LineCapacity(i), LineStore::CapacityFor(buffer.LineLength(i)));
    EXPECT_FALSE(buffer.IsModified());
    EXPECT_FALSE(buffer.IsReadOnly());
    EXPECT_FALSE(buffer.HasUndo());
    ASSERT_EQ(view.notes.size(), 1u);
    EXPECT_EQ(view.notes[0].hints, 0x1000u);
    EXPECT_EQ(view.notes[0].line, -1);
    EXPECT_FALSE(view.notes[0].hasAdjuster);

    ASSERT_TRUE(buffer.WriteToFile(out, LineEndAuto, true)) << buffer.LastFileError().Message();
    EXPECT_TRUE(ReadBytes(out) == c.bytes) << "saved back differently";
    EXPECT_EQ(view.notes.size(), 1u) << "saving notifies nobody";
    EXPECT_EQ(buffer.LastFileError().errorNumber, 0);
}

std::string AllBytes() {
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes.push_back(static_cast<char>(i));
    for (int i = 255; i >= 0; --i)
        bytes.push_back(static_cast<char>(i));
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Buffer, LoadTest,
    testing::Values(
        LoadCase{"CrLf", "a\r\nb", LineEndAuto, LineEndDos, {"a", "b"}},
        LoadCase{"LfWithTrailingSeparator", "a\nb\n", LineEndAuto, LineEndMac, {"a", "b", ""}},
        LoadCase{"LfCr", "a\n\rb", LineEndAuto, LineEndUnix, {"a", "b"}},
        LoadCase{"LoneCrIsNoLineEnd", "a\rb", LineEndAuto, LineEndDos, {"a\rb"}},
        LoadCase{"Empty", "", LineEndAuto, LineEndDos, {""}},
        LoadCase{"OnlyLf", "\n", LineEndAuto, LineEndMac, {"", ""}},
        LoadCase{"OnlyLfCr", "\n\r", LineEndAuto, LineEndUnix, {"", ""}},
        LoadCase{"CrCrLfEndsNoLine", "a\r\r\nb", LineEndDos, LineEndDos, {"a\r\r\nb"}},
        LoadCase{"CrCrCrLfEndsOne", "a\r\r\r\nb", LineEndDos, LineEndDos, {"a\r\r", "b"}},
        LoadCase{"LfLfCrEndsNoLine", "a\n\n\rb", LineEndUnix, LineEndUnix, {"a\n\n\rb"}},
        LoadCase{"CrLfForcedAsLf", "a\r\nb\r\n", LineEndMac, LineEndMac, {"a\r", "b\r", ""}},
        LoadCase{"LfForcedAsCrLf", "a\nb", LineEndDos, LineEndDos, {"a\nb"}},
        LoadCase{"LfCrBlankLine", "a\n\r\n\rb", LineEndUnix, LineEndUnix, {"a", "", "b"}},
        LoadCase{"MixedEndsKeepTheirCr", "a\nb\r\nc", LineEndAuto, LineEndMac, {"a", "b\r", "c"}},
        LoadCase{"NulStaysInLine", "a\0b\r\n\0"s, LineEndAuto, LineEndDos, {"a\0b"s, "\0"s}},
        LoadCase{
            "FirstLfBeyondFirstBlock", Repeat('x', 32768) + "\n\ra", LineEndAuto, LineEndDos, {}},
        LoadCase{"CrLfAtBlockEnd", Repeat('x', 32766) + "\r\nb", LineEndAuto, LineEndDos, {}},
        LoadCase{
            "CrAfterBlockIsNotSeen", Repeat('x', 32767) + "\n\rb", LineEndAuto, LineEndMac, {}},
        LoadCase{"LfCrAtBlockEnd", Repeat('x', 32766) + "\n\rb", LineEndAuto, LineEndUnix, {}},
        LoadCase{"BlockEndingInSeparator",
                 Repeat('a', 32766) + "\r\n",
                 LineEndAuto,
                 LineEndDos,
                 {Repeat('a', 32766), ""}},
        LoadCase{"BlockEndingInLf",
                 Repeat('a', 32767) + "\n",
                 LineEndAuto,
                 LineEndMac,
                 {Repeat('a', 32767), ""}},
        LoadCase{"LongLines",
                 Repeat(';', 300) + "\r\n" + Repeat('b', 100000) + "\r\n" + Repeat('c', 257),
                 LineEndAuto,
                 LineEndDos,
                 {Repeat(';', 300), Repeat('b', 100000), Repeat('c', 257)}},
        LoadCase{"LineOverTwoMegabytes",
                 Repeat('d', 3 << 20) + "\r\ne",
                 LineEndAuto,
                 LineEndDos,
                 {Repeat('d', 3 << 20), "e"}},
        LoadCase{"OneLineOfThreeMegabytes",
                 Repeat('f', (3 << 20) + 5),
                 LineEndAuto,
                 LineEndDos,
                 {Repeat('f', (3 << 20) + 5)}},
        LoadCase{"AllBytesAuto", AllBytes(), LineEndAuto, LineEndMac, {}},
        LoadCase{"AllBytesDos", AllBytes(), LineEndDos, LineEndDos, {}},
        LoadCase{"AllBytesUnix", AllBytes(), LineEndUnix, LineEndUnix, {}},
        LoadCase{"AllBytesMac", AllBytes(), LineEndMac, LineEndMac, {}}),
    [](const testing::TestParamInfo<LoadCase>& row) { return row.param.name; });

TEST(Load, RandomBytesRoundTripInEveryStyle) {
    TempDir dir;
    const std::string in = dir.File("soup.bin");
    const std::string out = dir.File("soup.out");
    uint64_t state = 12345;
    auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    };
    for (int file = 0; file < 120; ++file) {
        size_t size = file % 10 == 0 ? 32768 + next() % 40000 : next() % 600;
        std::string bytes;
        for (size_t i = 0; i < size; ++i) {
            uint32_t r = next() % 16;
            bytes.push_back(r < 4 ? '\r' : r < 8 ? '\n' : r < 9 ? '\0' : static_cast<char>(next()));
        }
        ASSERT_TRUE(WriteBytes(in, bytes));
        for (LineEndStyle style : {LineEndAuto, LineEndDos, LineEndUnix, LineEndMac}) {
            SCOPED_TRACE("file " + std::to_string(file) + " style " + std::to_string(style));
            CTextBuffer buffer;
            ASSERT_TRUE(buffer.ReadFromFile(in, style));
            LineEndStyle used = style == LineEndAuto ? bufmodel::DetectStyle(bytes) : style;
            ASSERT_EQ(buffer.GetLineEndStyle(), used);
            ASSERT_EQ(Lines(buffer), bufmodel::SplitLikeLoader(bytes, bufmodel::Separator(used)));
            ASSERT_TRUE(buffer.WriteToFile(out, LineEndAuto, true));
            ASSERT_TRUE(ReadBytes(out) == bytes);
        }
    }
}

// Runs of line-end bytes split across the point where the loader reads on, at every offset and in
// every style: where the loader refills its buffer after the detection block (reads of 4 KB), and
// where a line longer than the buffer makes it grow. Lines and the saved bytes must come out as if
// the file had been read in one piece.
TEST(Load, LineEndRunsSplitAcrossARefillAtEveryOffset) {
    const std::string runs[] = {"\r\n",   "\n\r",     "\n",       "\r",       "\r\r\n", "\r\r\r\n",
                                "\n\n\r", "\n\r\n\r", "\r\n\r\n", "\r\n\n\r", "\n\r\r", "\r\n\r"};
    constexpr size_t kReadChunk = 4096;
    constexpr size_t kRefillAt = 32768 + 3 * kReadChunk;
    constexpr size_t kGrowAt = size_t{1} << 20; // the read buffer of a file over 1 MB
    TempDir dir;
    const std::string in = dir.File("split.asm");
    const std::string out = dir.File("split.out");
    int loads = 0;
    for (const bool grow : {false, true}) {
        for (const std::string& run : runs) {
            for (size_t split = 0; split <= run.size(); ++split) {
                const size_t at = grow ? kGrowAt : kRefillAt;
                // Before a refill the current line starts after earlier lines; before growing, one
                // line fills the whole buffer.
                std::string bytes = grow ? "" : "first\r\n\n\rsecond\n";
                bytes.resize(at - split, 'x');
                bytes += run + "tail" + run + "end";
                ASSERT_TRUE(WriteBytes(in, bytes));
                std::map<LineEndStyle, LineList> expected;
                for (LineEndStyle style : {LineEndAuto, LineEndDos, LineEndUnix, LineEndMac}) {
                    SCOPED_TRACE(std::string(grow ? "growing" : "refill") + " run " + Escaped(run) +
                                 " split " + std::to_string(split) + " style " +
                                 std::to_string(style));
                    FaultyFs fs;
                    fs.readLimit = grow ? 0 : kReadChunk;
                    CTextBuffer buffer;
                    buffer.SetFileSystem(&fs);
                    ASSERT_TRUE(buffer.ReadFromFile(in, style));
                    const LineEndStyle used =
                        style == LineEndAuto ? bufmodel::DetectStyle(bytes) : style;
                    ASSERT_EQ(buffer.GetLineEndStyle(), used);
                    if (!expected.count(used))
                        expected[used] =
                            bufmodel::SplitLikeLoader(bytes, bufmodel::Separator(used));
                    const LineList got = Lines(buffer);
                    ASSERT_EQ(got.size(), expected[used].size());
                    for (size_t i = 0; i < got.size(); ++i) {
                        ASSERT_TRUE(got[i] == expected[used][i])
                            << "line " << i << ": " << Escaped(got[i]).substr(0, 80);
                    }
                    ASSERT_TRUE(buffer.WriteToFile(out, LineEndAuto, true));
                    ASSERT_TRUE(ReadBytes(out) == bytes);
                    ++loads;
                }
            }
        }
    }
    EXPECT_EQ(loads, 2 * 4 * 46);
}

TEST(Load, SavingInAnotherStyleKeepsTheBuffersOwn) {
    TempDir dir;
    WriteBytes(dir.File("a.asm"), "a\r\n\r\nb");
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.ReadFromFile(dir.File("a.asm"), LineEndAuto));
    const std::pair<LineEndStyle, std::string> rows[] = {
        {LineEndMac, "a\n\nb"}, {LineEndUnix, "a\n\r\n\rb"}, {LineEndDos, "a\r\n\r\nb"}};
    for (const auto& [style, bytes] : rows) {
        ASSERT_TRUE(buffer.WriteToFile(dir.File("b.asm"), style, false));
        EXPECT_EQ(Escaped(ReadBytes(dir.File("b.asm"))), Escaped(bytes));
        EXPECT_EQ(buffer.GetLineEndStyle(), LineEndDos);
    }

    CTextBuffer empty;
    empty.ResetToEmpty(LineEndDos);
    ASSERT_TRUE(empty.WriteToFile(dir.File("empty.asm"), LineEndAuto, true));
    EXPECT_EQ(ReadBytes(dir.File("empty.asm")), "");
}

TEST(Load, PathNeedsNoTerminator) {
    TempDir dir;
    WriteBytes(dir.File("p.asm"), "nop\n");
    const std::string longer = dir.File("p.asm") + "trailing";
    const std::string_view path(longer.data(), longer.size() - 8);
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.ReadFromFile(path, LineEndAuto));
    EXPECT_EQ(Lines(buffer), (LineList{"nop", ""}));
    ASSERT_TRUE(buffer.WriteToFile(path, LineEndDos, true));
    EXPECT_EQ(ReadBytes(dir.File("p.asm")), "nop\r\n");
    EXPECT_FALSE(buftest::Exists(longer));
}

TEST(Load, ReplacesTextAndHistory) {
    TempDir dir;
    WriteBytes(dir.File("new.asm"), "org 100h\n");
    CTextBuffer buffer;
    buftest::Fill(buffer, {"old"});
    int endLine = 0;
    int endChar = 0;
    buffer.InsertRecorded(nullptr, 0, 0, "x\r\ny", endLine, endChar, ActionTyping);
    buffer.InsertRecorded(nullptr, 0, 0, "z", endLine, endChar, ActionTyping);
    TextPosition at;
    buffer.UndoLastStep(at);
    buffer.ChangeLineFlag(0, PlainBookmark, true, false);
    buffer.SetUndoCapacity(5);

    ASSERT_TRUE(buffer.ReadFromFile(dir.File("new.asm"), LineEndAuto));
    EXPECT_EQ(Lines(buffer), (LineList{"org 100h", ""}));
    EXPECT_FALSE(buffer.HasUndo());
    EXPECT_FALSE(buffer.HasRedo()) << "records of the old text must not be redone on the new";
    EXPECT_FALSE(buffer.RedoNextStep(at));
    EXPECT_EQ(buffer.UndoCapacity(), 1024);
    EXPECT_EQ(buffer.LineFlagWord(0), 0u);
    EXPECT_EQ(buffer.GetLineEndStyle(), LineEndMac);
}

TEST(Load, ReadOnlyFollowsTheFile) {
    TempDir dir;
    WriteBytes(dir.File("ro.asm"), "x");
    FaultyFs fs;
    fs.faults.push_back({Call::AccessWrite, 1, EACCES, true});
    CTextBuffer buffer;
    buffer.SetFileSystem(&fs);
    ASSERT_TRUE(buffer.ReadFromFile(dir.File("ro.asm"), LineEndAuto));
    EXPECT_TRUE(buffer.IsReadOnly());
    EXPECT_EQ(fs.Count(Call::AccessWrite), 1);
    int endLine = 0;
    int endChar = 0;
    EXPECT_FALSE(buffer.InsertRecorded(nullptr, 0, 0, "y", endLine, endChar, ActionTyping));

    fs.faults.clear();
    ASSERT_TRUE(buffer.ReadFromFile(dir.File("ro.asm"), LineEndAuto));
    EXPECT_FALSE(buffer.IsReadOnly());
}

struct LoadFailure {
    const char* name;
    Call call; // Call::Count: no injected fault
    int nth;
    int error;
    const char* file; // relative to the test folder
    LineEndStyle style = LineEndMac;
};

// Cases print as their names in test logs.
void PrintTo(const LoadFailure& c, std::ostream* os) {
    *os << c.name;
}

class LoadFailureTest : public testing::TestWithParam<LoadFailure> {};

TEST_P(LoadFailureTest, LeavesTheBufferAsItWas) {
    const LoadFailure& c = GetParam();
    TempDir dir;
    std::string big;
    for (int i = 0; i < 100000; ++i)
        big += "  ld a,(ix+" + std::to_string(i) + ")\n"; // more than one read
    WriteBytes(dir.File("big.asm"), big);
    ::mkdir(dir.File("folder.asm").c_str(), 0755);

    FaultyFs fs;
    if (c.call != Call::Count)
        fs.faults.push_back({c.call, c.nth, c.error});
    CTextBuffer buffer;
    buftest::Fill(buffer, {"keep", "me"});
    int endLine = 0;
    int endChar = 0;
    buffer.InsertRecorded(nullptr, 1, 2, "!", endLine, endChar, ActionTyping);
    buffer.ChangeLineFlag(1, NumberedBookmark3, true, true);
    RecordingView view;
    buffer.AttachView(&view);
    buffer.SetFileSystem(&fs);

    const std::string path = dir.File(c.file);
    const std::set<int> fdsBefore = buftest::OpenFds();
    EXPECT_FALSE(buffer.ReadFromFile(path, c.style)) << fs.Log();
    EXPECT_EQ(buftest::OpenFds(), fdsBefore) << "a descriptor was left open";
    EXPECT_EQ(Lines(buffer), (LineList{"keep", "me!"}));
    EXPECT_EQ(buffer.LineFlagWord(1), NumberedBookmark3);
    EXPECT_EQ(buffer.GetLineEndStyle(), LineEndDos);
    EXPECT_TRUE(buffer.IsModified());
    EXPECT_EQ(buffer.RecordCount(), 1);
    EXPECT_TRUE(buffer.HasUndo());
    EXPECT_TRUE(view.notes.empty());

    const FileError& error = buffer.LastFileError();
    EXPECT_EQ(error.errorNumber, c.error);
    EXPECT_EQ(error.path, path);
    EXPECT_FALSE(error.operation.empty());
    EXPECT_NE(error.Message().find(path), std::string::npos) << error.Message();
    EXPECT_NE(error.Message().find(std::strerror(c.error)), std::string::npos) << error.Message();
}

INSTANTIATE_TEST_SUITE_P(
    Buffer, LoadFailureTest,
    testing::Values(LoadFailure{"Missing", Call::Count, 0, ENOENT, "missing.asm"},
                    LoadFailure{"Folder", Call::Count, 0, EISDIR, "folder.asm"},
                    LoadFailure{"OpenRefused", Call::Open, 1, EACCES, "big.asm"},
                    LoadFailure{"FirstReadFails", Call::Read, 1, EIO, "big.asm"},
                    LoadFailure{"LaterReadFails", Call::Read, 2, EIO, "big.asm"},
                    LoadFailure{"StyleTooHigh", Call::Count, 0, EINVAL, "big.asm",
                                static_cast<LineEndStyle>(3)},
                    LoadFailure{"StyleTooLow", Call::Count, 0, EINVAL, "big.asm",
                                static_cast<LineEndStyle>(-2)},
                    LoadFailure{"StyleFarOut", Call::Count, 0, EINVAL, "big.asm",
                                static_cast<LineEndStyle>(INT32_MIN)}),
    [](const testing::TestParamInfo<LoadFailure>& row) { return row.param.name; });

// Failing each call of a load in turn: the load either succeeds with the whole text or leaves the
// buffer as it was, and never leaves a descriptor open.
TEST(Load, EveryFailingCallLeavesBufferOrLoadsWhole) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 40000; ++i)
        text += "l" + std::to_string(i) + ":\tld (ix+1),a\r\n"; // several reads
    const std::string path = dir.File("t.asm");
    WriteBytes(path, text);
    std::array<int, static_cast<size_t>(Call::Count)> counts{};
    {
        FaultyFs fs;
        CTextBuffer buffer;
        buffer.SetFileSystem(&fs);
        ASSERT_TRUE(buffer.ReadFromFile(path, LineEndAuto));
        counts = fs.calls;
    }
    const LineList expected = bufmodel::SplitLikeLoader(text, "\r\n");
    for (size_t k = 0; k < counts.size(); ++k) {
        for (int n = 1; n <= counts[k]; ++n) {
            SCOPED_TRACE(std::string(buftest::CallName(static_cast<Call>(k))) + " #" +
                         std::to_string(n));
            FaultyFs fs;
            fs.faults.push_back({static_cast<Call>(k), n, EIO});
            CTextBuffer buffer;
            buftest::Fill(buffer, {"keep"});
            buffer.SetFileSystem(&fs);
            const std::set<int> fdsBefore = buftest::OpenFds();
            if (buffer.ReadFromFile(path, LineEndAuto)) {
                EXPECT_TRUE(Lines(buffer) == expected);
            } else {
                EXPECT_EQ(Lines(buffer), LineList{"keep"});
                EXPECT_EQ(buffer.LastFileError().errorNumber, EIO);
            }
            EXPECT_EQ(buftest::OpenFds(), fdsBefore) << fs.Log();
        }
    }
}

TEST(Load, UnknownLineEndStylesAreRefusedEverywhere) {
    TempDir dir;
    const std::string path = dir.File("t.asm");
    WriteBytes(path, "old\r\n");
    for (int style : {3, 4, -2, 255, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(style);
        const auto bad = static_cast<LineEndStyle>(style);
        CTextBuffer buffer;
        buftest::Fill(buffer, {"keep", "me"});
        RecordingView view;
        buffer.AttachView(&view);
        EXPECT_FALSE(buffer.ResetToEmpty(bad));
        EXPECT_FALSE(buffer.ReadFromFile(path, bad));
        EXPECT_EQ(buffer.LastFileError().errorNumber, EINVAL);
        EXPECT_FALSE(buffer.WriteToFile(path, bad, true));
        EXPECT_EQ(buffer.LastFileError().errorNumber, EINVAL);
        EXPECT_EQ(Lines(buffer), (LineList{"keep", "me"}));
        EXPECT_EQ(buffer.GetLineEndStyle(), LineEndDos);
        EXPECT_TRUE(view.notes.empty());
        EXPECT_EQ(ReadBytes(path), "old\r\n");
        EXPECT_EQ(dir.TempLeftovers(), std::vector<std::string>{});
    }
}

// A single line longer than a line can be (2 GiB of NUL bytes in a sparse file). Slow: reads
// 2 GiB; runs only with VELMORA_SLOW_TESTS set.
TEST(Load, LineOverTheLengthLimitFailsCleanly) {
    if (!std::getenv("VELMORA_SLOW_TESTS"))
        GTEST_SKIP() << "set VELMORA_SLOW_TESTS=1 to read a 2 GiB file";
    TempDir dir;
    const std::string path = dir.File("huge.bin");
    int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, (off_t{1} << 31) + 16), 0);
    ::close(fd);
    CTextBuffer buffer;
    buftest::Fill(buffer, {"keep"});
    EXPECT_FALSE(buffer.ReadFromFile(path, LineEndAuto));
    EXPECT_EQ(Lines(buffer), LineList{"keep"});
    EXPECT_NE(buffer.LastFileError().errorNumber, 0);
    EXPECT_NE(buffer.LastFileError().Message().find(path), std::string::npos);
}

} // namespace
