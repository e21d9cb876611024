// Texts of many thousand lines: the line store keeps its lines in blocks, so insertions and
// deletions that fill, split, empty or span blocks must keep every line, flag and capacity right.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "buffer/linestore.h"
#include "buffer/textbuffer.h"
#include "buffer_model.h"
#include "test_support.h"

using buftest::Lines;
using LineList = std::vector<std::string>;

namespace {

// The plain model: a list of lines edited the way the buffer splits text.
void ModelInsert(LineList& lines, TextPosition at, std::string_view text) {
    std::string normal = bufmodel::TextModel::Normalize(text);
    std::string& line = lines[static_cast<size_t>(at.y)];
    std::string rest = line.substr(static_cast<size_t>(at.x));
    line.resize(static_cast<size_t>(at.x));
    LineList pieces = bufmodel::SplitLikeLoader(normal, "\r");
    line += pieces[0];
    lines.insert(lines.begin() + at.y + 1, pieces.begin() + 1, pieces.end());
    lines[static_cast<size_t>(at.y) + pieces.size() - 1] += rest;
}

// The flags of the model's lines: a split leaves them on the upper part, a join keeps the upper
// line's, removed lines take theirs along.
void ModelInsertFlags(std::vector<LineFlags>& flags, TextPosition at, std::string_view text) {
    const size_t added =
        bufmodel::SplitLikeLoader(bufmodel::TextModel::Normalize(text), "\r").size();
    flags.insert(flags.begin() + at.y + 1, added - 1, 0u);
}

void ModelDeleteFlags(std::vector<LineFlags>& flags, TextPosition start, TextPosition end) {
    flags.erase(flags.begin() + start.y + 1, flags.begin() + end.y + 1);
}

// The plain searches over the model's flags.
int ModelFirst(const std::vector<LineFlags>& flags, int from, LineFlags mask) {
    for (int i = std::max(from, 0); i < static_cast<int>(flags.size()); ++i)
        if (flags[static_cast<size_t>(i)] & mask)
            return i;
    return -1;
}

int ModelLast(const std::vector<LineFlags>& flags, int from, LineFlags mask) {
    for (int i = std::min(from, static_cast<int>(flags.size()) - 1); i >= 0; --i)
        if (flags[static_cast<size_t>(i)] & mask)
            return i;
    return -1;
}

void ModelDelete(LineList& lines, TextPosition start, TextPosition end) {
    std::string rest = lines[static_cast<size_t>(end.y)].substr(static_cast<size_t>(end.x));
    lines[static_cast<size_t>(start.y)].resize(static_cast<size_t>(start.x));
    lines[static_cast<size_t>(start.y)] += rest;
    lines.erase(lines.begin() + start.y + 1, lines.begin() + end.y + 1);
}

class ManyLinesTest : public testing::TestWithParam<int> {};

// GetParam() lines loaded from a file, then random edits of up to thousands of lines each.
TEST_P(ManyLinesTest, EditsAcrossBlocksKeepEveryLine) {
    buftest::TempDir dir;
    LineList model;
    std::string file;
    for (int i = 0; i < GetParam(); ++i) {
        model.push_back("line " + std::to_string(i));
        file += model.back() + (i + 1 < GetParam() ? "\r\n" : "");
    }
    buftest::WriteBytes(dir.File("many.asm"), file);
    CTextBuffer buffer;
    ASSERT_TRUE(buffer.ReadFromFile(dir.File("many.asm"), LineEndAuto));
    ASSERT_EQ(Lines(buffer), model);
    std::vector<LineFlags> flags(model.size(), 0u);
    buffer.SetUndoCapacity(1 << 30); // keep every step, to undo back to the file at the end

    uint64_t state = static_cast<uint64_t>(GetParam());
    auto next = [&state](uint32_t n) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<int>((state >> 33) % n);
    };
    auto position = [&](int line) {
        return TextPosition{
            next(static_cast<uint32_t>(model[static_cast<size_t>(line)].size()) + 1), line};
    };
    for (int step = 0; step < 150; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        const int count = static_cast<int>(model.size());
        const int kind = count > 30000 ? 2 : next(4);
        int endLine = 0;
        int endChar = 0;
        if (kind == 0 || count < 10) {
            // Paste of many lines.
            TextPosition at = position(next(static_cast<uint32_t>(count)));
            std::string text;
            for (int n = next(5000); n >= 0; --n)
                text += "p" + std::to_string(n) + (n % 3 ? "\r\n" : "\r");
            ASSERT_TRUE(
                buffer.InsertRecorded(nullptr, at.y, at.x, text, endLine, endChar, ActionPaste));
            ModelInsert(model, at, text);
            ModelInsertFlags(flags, at, text);
        } else if (kind == 1) {
            // Enter typed many times at one place.
            const TextPosition first = position(next(static_cast<uint32_t>(count)));
            TextPosition at = first;
            std::string typed;
            for (int n = next(3000); n >= 0; --n) {
                ASSERT_TRUE(buffer.InsertRecorded(nullptr, at.y, at.x, "\r\n", endLine, endChar,
                                                  ActionTyping));
                at = {endChar, endLine};
                typed += "\r\n";
            }
            ModelInsert(model, first, typed);
            ModelInsertFlags(flags, first, typed);
        } else {
            int a = next(static_cast<uint32_t>(count));
            int b = std::min(count - 1, a + next(kind == 2 ? 5000 : 3));
            TextPosition start = position(a);
            TextPosition end = position(b);
            if (a == b && end.x < start.x)
                std::swap(start.x, end.x);
            ASSERT_TRUE(
                buffer.DeleteRecorded(nullptr, start.y, start.x, end.y, end.x, ActionDelete));
            ModelDelete(model, start, end);
            ModelDeleteFlags(flags, start, end);
        }
        // Bookmarks set and cleared here and there; the searches must agree with a plain walk
        // over the model, whatever blocks the lines sit in now.
        for (int n = next(6); n >= 0; --n) {
            const int line = next(static_cast<uint32_t>(model.size()));
            const LineFlags flag = next(3) ? PlainBookmark : MarginMarkA;
            const bool set = next(3) != 0;
            buffer.ChangeLineFlag(line, flag, set, false);
            LineFlags& f = flags[static_cast<size_t>(line)];
            f = set ? (f | flag) : (f & ~flag);
        }
        for (int n = 0; n < 4; ++n) {
            const int line = next(static_cast<uint32_t>(model.size()));
            const bool on = flags[static_cast<size_t>(line)] & PlainBookmark;
            int expected = ModelFirst(flags, on ? line + 1 : line, PlainBookmark);
            if (expected == -1)
                expected = ModelFirst(flags, 0, PlainBookmark);
            ASSERT_EQ(buffer.NextPlainBookmark(line), expected) << "from " << line;
            expected = ModelLast(flags, on ? line - 1 : line, PlainBookmark);
            if (expected == -1)
                expected = ModelLast(flags, static_cast<int>(flags.size()) - 1, PlainBookmark);
            ASSERT_EQ(buffer.PreviousPlainBookmark(line), expected) << "from " << line;
        }
        ASSERT_EQ(buffer.FirstLineWithFlags(MarginMarkA), ModelFirst(flags, 0, MarginMarkA));
        ASSERT_EQ(buffer.LineCount(), static_cast<int>(model.size()));
        for (int i = 0; i < buffer.LineCount(); ++i) {
            ASSERT_EQ(buffer.LineText(i), model[static_cast<size_t>(i)]) << "line " << i;
            ASSERT_EQ(buffer.LineFlagWord(i), flags[static_cast<size_t>(i)]) << "line " << i;
        }
    }
    // Undoing everything gives the file back.
    TextPosition at;
    while (buffer.HasUndo())
        ASSERT_TRUE(buffer.UndoLastStep(at));
    ASSERT_TRUE(buffer.WriteToFile(dir.File("back.asm"), LineEndAuto, false));
    EXPECT_TRUE(buftest::ReadBytes(dir.File("back.asm")) == file);
}

INSTANTIATE_TEST_SUITE_P(Buffer, ManyLinesTest, testing::Values(1, 1023, 2049, 10000));

TEST(ManyLines, FlagsStayWithTheirLinesAcrossBlocks) {
    CTextBuffer buffer;
    buffer.ResetToEmpty(LineEndDos);
    std::string text;
    for (int i = 0; i < 9000; ++i)
        text += std::to_string(i) + "\r\n";
    int endLine = 0;
    int endChar = 0;
    ASSERT_TRUE(buffer.ApplyInsert(nullptr, 0, 0, text, endLine, endChar));
    for (int line : {0, 2047, 2048, 4095, 8999})
        buffer.ChangeLineFlag(line, PlainBookmark, true, false);
    ASSERT_TRUE(buffer.ApplyInsert(nullptr, 1000, 0, text, endLine, endChar)); // 9000 more above
    EXPECT_EQ(buffer.LineCount(), 18001);
    std::vector<int> marked;
    for (int line = buffer.FirstLineWithFlags(PlainBookmark); line >= 0;) {
        marked.push_back(line);
        int next = buffer.NextPlainBookmark(line);
        if (next <= line)
            break;
        line = next;
    }
    EXPECT_EQ(marked, (std::vector<int>{0, 11047, 11048, 13095, 17999}));
    ASSERT_TRUE(buffer.ApplyDelete(nullptr, 1, 0, 11048, 0));
    EXPECT_EQ(buffer.LineText(1), "2048");
    EXPECT_EQ(buffer.LineFlagWord(1), 0u) << "the removed line's flags went with it";
    EXPECT_EQ(buffer.PreviousPlainBookmark(100), 0);
    EXPECT_EQ(buffer.NextPlainBookmark(1), 2048);
}

TEST(ManyLines, BulkInsertionsShareOneSlabFreedWithItsLastLine) {
    LineStore store;
    std::vector<std::string> texts;
    for (int i = 0; i < 3 * LineStore::kSlabLines; ++i)
        texts.push_back(std::string(static_cast<size_t>(i % 40), 'a' + i % 26));
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    store.InsertLines(0, {"x", "y"});
    EXPECT_EQ(store.SlabCount(), 0u) << "few lines have storage each";
    store.InsertLines(1, views);
    store.InsertLines(2, views);
    EXPECT_EQ(store.SlabCount(), 2u);
    ASSERT_EQ(store.Count(), 2 + 2 * static_cast<int>(texts.size()));
    for (int i = 0; i < store.Count(); ++i) {
        const LineRecord& rec = store.At(i);
        EXPECT_EQ(rec.capacity, LineStore::CapacityFor(rec.used)) << i;
    }
    // A line that outgrows its place in a slab moves out; editing in place keeps it there.
    store.Append(2, std::string(100, 'z'));
    store.Append(3, "z");
    store.EraseChars(4, 0, store.At(4).used);
    EXPECT_EQ(store.At(2).Text(), std::string(texts[0]) + std::string(100, 'z'));
    EXPECT_EQ(store.At(3).Text(), texts[1] + "z");
    EXPECT_EQ(store.At(store.Count() - 2).Text(), texts.back());
    // Each slab goes with the last of its lines, wherever they are: the second insertion sits
    // inside the first.
    store.EraseLines(2, static_cast<int>(texts.size()));
    EXPECT_EQ(store.SlabCount(), 1u);
    store.EraseLines(2, store.Count() - 3);
    EXPECT_EQ(store.SlabCount(), 1u) << "the first line of the first insertion is left";
    store.EraseLines(1, 1);
    EXPECT_EQ(store.SlabCount(), 0u);
    ASSERT_EQ(store.Count(), 2);
    EXPECT_EQ(store.At(0).Text(), "x");
    EXPECT_EQ(store.At(1).Text(), "y");
}

TEST(ManyLines, UndoOfABigPasteAndCutFreesTheirSlabs) {
    CTextBuffer buffer;
    buffer.ResetToEmpty(LineEndDos);
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "\tld a," + std::to_string(i) + (i % 7 ? "\r\n" : "\r");
    int endLine = 0;
    int endChar = 0;
    ASSERT_TRUE(
        buffer.InsertRecorded(nullptr, 0, 0, std::string(text), endLine, endChar, ActionPaste));
    EXPECT_EQ(buffer.Record(0).text, text) << "the record took the text over whole";
    ASSERT_TRUE(buffer.DeleteRecorded(nullptr, 10, 2, 4900, 1, ActionCut));
    TextPosition caret;
    ASSERT_TRUE(buffer.UndoLastStep(caret));
    std::string back;
    buffer.CopyText(0, 0, buffer.LineCount() - 1, buffer.LineLength(buffer.LineCount() - 1), back);
    std::string expected = text;
    for (size_t at = 0; (at = expected.find('\r', at)) != std::string::npos; at += 2)
        if (expected.compare(at, 2, "\r\n") != 0)
            expected.insert(at + 1, "\n");
    EXPECT_EQ(back, expected);
    ASSERT_TRUE(buffer.UndoLastStep(caret));
    EXPECT_EQ(buffer.LineCount(), 1);
    EXPECT_EQ(buffer.LineLength(0), 0);
}

} // namespace
