// The line store and the two editing primitives: resulting lines, end positions, the notification
// every view receives, position adjusters, line flags and bookmarks.
#include <gtest/gtest.h>

#include <ostream>

#include <optional>
#include <string>
#include <vector>

#include "buffer/textbuffer.h"
#include "test_support.h"

using buftest::Escaped;
using buftest::Fill;
using buftest::Lines;
using buftest::RecordingView;
using namespace std::string_literals;

namespace {

struct InsertCase {
    const char* name;
    std::vector<std::string> before;
    int line;
    int ch;
    std::string text;
    std::vector<std::string> after;
    TextPosition end;
    uint32_t hints;
};

// Cases print as their names in test logs.
void PrintTo(const InsertCase& c, std::ostream* os) {
    *os << c.name;
}

class InsertTest : public testing::TestWithParam<InsertCase> {};

TEST_P(InsertTest, SplitsTextAndNotifiesOnce) {
    const InsertCase& c = GetParam();
    CTextBuffer buffer;
    Fill(buffer, c.before);
    RecordingView view;
    buffer.AttachView(&view);

    int endLine = -1;
    int endChar = -1;
    ASSERT_TRUE(buffer.ApplyInsert(&view, c.line, c.ch, c.text, endLine, endChar));

    EXPECT_EQ(Lines(buffer), c.after);
    EXPECT_EQ(endChar, c.end.x);
    EXPECT_EQ(endLine, c.end.y);
    EXPECT_TRUE(buffer.IsModified());
    ASSERT_EQ(view.notes.size(), 1u);
    const buftest::SeenNote& note = view.notes[0];
    EXPECT_EQ(note.source, &view);
    EXPECT_EQ(note.hints, c.hints);
    EXPECT_EQ(note.line, c.line);
    ASSERT_TRUE(note.hasAdjuster);
    EXPECT_TRUE(note.insertion);
    EXPECT_EQ(note.start, (TextPosition{c.ch, c.line}));
    EXPECT_EQ(note.end, c.end);
    for (int i = 0; i < buffer.LineCount(); ++i)
        EXPECT_EQ(buffer.LineFlagWord(i), 0u) << "line " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Buffer, InsertTest,
    testing::Values(
        InsertCase{"CrLfSplits", {"xyz"}, 0, 2, "a\r\nb", {"xya", "bz"}, {1, 1}, 0x0003},
        InsertCase{"LoneLfStaysInLine", {"xyz"}, 0, 2, "a\nb", {"xya\nbz"}, {5, 0}, 0x0101},
        InsertCase{"LoneCrSplits", {"xyz"}, 0, 2, "a\rb", {"xya", "bz"}, {1, 1}, 0x0003},
        InsertCase{"EmptyTextStillNotifies", {"xyz"}, 0, 1, "", {"xyz"}, {1, 0}, 0x0101},
        InsertCase{"AtLineEnd", {"xyz"}, 0, 3, "\r\n\r\n", {"xyz", "", ""}, {0, 2}, 0x0003},
        InsertCase{
            "CrThenCrLfIsTwoBreaks", {"xyz"}, 0, 1, "\r\r\n", {"x", "", "yz"}, {0, 2}, 0x0003},
        InsertCase{"LfCrKeepsLf", {"xyz"}, 0, 1, "\n\r", {"x\n", "yz"}, {0, 1}, 0x0003},
        InsertCase{"TrailingCr", {"z"}, 0, 0, "ab\r", {"ab", "z"}, {0, 1}, 0x0003},
        InsertCase{"MiddleLine",
                   {"ab", "cd", "ef"},
                   1,
                   1,
                   "1\r\n2\r\n3",
                   {"ab", "c1", "2", "3d", "ef"},
                   {1, 3},
                   0x0003},
        InsertCase{"NulIsACharacter", {"xy"}, 0, 1, "a\0b"s, {"xa\0by"s}, {4, 0}, 0x0101},
        InsertCase{"TabsStay", {""}, 0, 0, "\tld a,b", {"\tld a,b"}, {7, 0}, 0x0101}),
    [](const testing::TestParamInfo<InsertCase>& row) { return row.param.name; });

struct DeleteCase {
    const char* name;
    std::vector<std::string> before;
    TextPosition start;
    TextPosition end;
    std::vector<std::string> after;
    uint32_t hints;
};

class DeleteTest : public testing::TestWithParam<DeleteCase> {};

TEST_P(DeleteTest, JoinsLinesAndNotifiesOnce) {
    const DeleteCase& c = GetParam();
    CTextBuffer buffer;
    Fill(buffer, c.before);
    RecordingView view;
    buffer.AttachView(&view);

    ASSERT_TRUE(buffer.ApplyDelete(nullptr, c.start.y, c.start.x, c.end.y, c.end.x));

    EXPECT_EQ(Lines(buffer), c.after);
    EXPECT_TRUE(buffer.IsModified());
    ASSERT_EQ(view.notes.size(), 1u);
    EXPECT_EQ(view.notes[0].source, nullptr);
    EXPECT_EQ(view.notes[0].hints, c.hints);
    EXPECT_EQ(view.notes[0].line, c.start.y);
    EXPECT_FALSE(view.notes[0].insertion);
    EXPECT_EQ(view.notes[0].start, c.start);
    EXPECT_EQ(view.notes[0].end, c.end);
}

INSTANTIATE_TEST_SUITE_P(
    Buffer, DeleteTest,
    testing::Values(
        DeleteCase{"JoinsTwoLines", {"xya", "bz"}, {2, 0}, {1, 1}, {"xyz"}, 0x0003},
        DeleteCase{"WithinLine", {"abcdef"}, {1, 0}, {4, 0}, {"aef"}, 0x0101},
        DeleteCase{"AcrossMiddleLines", {"ab", "cd", "ef", "gh"}, {1, 0}, {1, 3}, {"ah"}, 0x0003},
        DeleteCase{"LineBreakOnly", {"ab", "cd"}, {2, 0}, {0, 1}, {"abcd"}, 0x0003},
        DeleteCase{"EmptyRange", {"ab"}, {1, 0}, {1, 0}, {"ab"}, 0x0101},
        DeleteCase{"Everything", {"ab", "cd"}, {0, 0}, {2, 1}, {""}, 0x0003},
        DeleteCase{"KeepsNul", {"a\0bc"s}, {2, 0}, {3, 0}, {"a\0c"s}, 0x0101}),
    [](const testing::TestParamInfo<DeleteCase>& row) { return row.param.name; });

TEST(Buffer, CopyTextJoinsLines) {
    CTextBuffer buffer;
    Fill(buffer, {"ab", "cd", "e\0f"s});
    struct Row {
        TextPosition start, end;
        std::optional<std::string_view> lineEnd;
        std::string expected;
    };
    const Row rows[] = {
        {{1, 0}, {1, 2}, std::nullopt, "b\r\ncd\r\ne"},
        {{0, 1}, {2, 1}, std::nullopt, "cd"},
        {{2, 0}, {0, 1}, std::nullopt, "\r\n"},
        {{1, 0}, {1, 0}, std::nullopt, ""},
        {{0, 0}, {3, 2}, std::string_view("\n"), "ab\ncd\ne\0f"s},
        {{1, 0}, {0, 2}, std::string_view(""), "bcd"},
    };
    for (const Row& row : rows) {
        std::string text = "stale";
        buffer.CopyText(row.start.y, row.start.x, row.end.y, row.end.x, text, row.lineEnd);
        EXPECT_EQ(Escaped(text), Escaped(row.expected))
            << "from (" << row.start.x << "," << row.start.y << ")";
    }
}

TEST(Buffer, ReadOnlyRefusesEveryChangeSilently) {
    CTextBuffer buffer;
    Fill(buffer, {"abc", "def"});
    RecordingView view;
    buffer.AttachView(&view);
    buffer.ChangeReadOnly(true);
    int endLine = 0;
    int endChar = 0;
    EXPECT_FALSE(buffer.ApplyInsert(&view, 0, 1, "x\r\ny", endLine, endChar));
    EXPECT_FALSE(buffer.ApplyDelete(&view, 0, 1, 1, 1));
    EXPECT_FALSE(buffer.InsertRecorded(&view, 0, 1, "x", endLine, endChar, ActionTyping));
    EXPECT_FALSE(buffer.DeleteRecorded(&view, 0, 0, 0, 1, ActionDelete));
    EXPECT_EQ(Lines(buffer), (std::vector<std::string>{"abc", "def"}));
    EXPECT_TRUE(view.notes.empty());
    EXPECT_TRUE(view.hooks.empty());
    EXPECT_FALSE(buffer.IsModified());
    EXPECT_EQ(buffer.RecordCount(), 0);
    EXPECT_FALSE(buffer.HasUndo());
}

// The document's buffer passes every change of the flag on to the document.
class CountingBuffer : public CTextBuffer {
public:
    void MarkModified(bool modified) override {
        calls.push_back(modified);
        CTextBuffer::MarkModified(modified);
    }
    std::vector<bool> calls;
};

TEST(Buffer, ModifiedFlagGoesThroughTheVirtualOnce) {
    CountingBuffer buffer;
    Fill(buffer, {"abc"});
    buffer.calls.clear();
    int endLine = 0;
    int endChar = 0;
    buffer.ApplyInsert(nullptr, 0, 0, "x", endLine, endChar);
    buffer.ApplyDelete(nullptr, 0, 0, 0, 1);
    EXPECT_EQ(buffer.calls, std::vector<bool>{true});
    EXPECT_TRUE(buffer.IsModified());
}

TEST(Buffer, ResetToEmptyAndRelease) {
    CTextBuffer buffer;
    RecordingView view;
    buffer.AttachView(&view);
    ASSERT_TRUE(buffer.ResetToEmpty(LineEndMac));
    EXPECT_EQ(Lines(buffer), std::vector<std::string>{""});
    EXPECT_EQ(buffer.GetLineEndStyle(), LineEndMac);
    EXPECT_FALSE(buffer.IsModified());
    EXPECT_FALSE(buffer.IsReadOnly());
    EXPECT_EQ(buffer.UndoCapacity(), 1024);
    ASSERT_EQ(view.notes.size(), 1u);
    EXPECT_EQ(view.notes[0].hints, 0x1000u);
    EXPECT_EQ(view.notes[0].line, -1);
    EXPECT_FALSE(view.notes[0].hasAdjuster);

    int endLine = 0;
    int endChar = 0;
    buffer.InsertRecorded(nullptr, 0, 0, "abc\r\ndef", endLine, endChar, ActionPaste);
    buffer.ReleaseContents();
    EXPECT_EQ(buffer.LineCount(), 0);
    EXPECT_EQ(buffer.RecordCount(), 0);
    EXPECT_EQ(view.notes.size(), 2u) << "release notifies nobody";
}

TEST(Buffer, ViewsAreNotifiedInAttachOrder) {
    CTextBuffer buffer;
    Fill(buffer, {""});
    std::vector<std::string> order;
    struct NamedView : CBufferView {
        NamedView(std::string n, std::vector<std::string>& o) : name(std::move(n)), out(o) {}
        void OnBufferChanged(CBufferView*, const PositionAdjuster*, uint32_t, int) override {
            out.push_back(name);
        }
        std::string name;
        std::vector<std::string>& out;
    };
    NamedView a("a", order), b("b", order), c("c", order);
    buffer.AttachView(&a);
    buffer.AttachView(&b);
    buffer.AttachView(&a);
    buffer.DetachView(&c); // not attached: nothing happens
    buffer.DetachView(&a); // the first occurrence goes
    buffer.AttachView(&c);
    int endLine = 0;
    int endChar = 0;
    buffer.ApplyInsert(&b, 0, 0, "x", endLine, endChar);
    EXPECT_EQ(order, (std::vector<std::string>{"b", "a", "c"}));
}

TEST(Buffer, LineCapacityGrowsInSixteensAndNeverShrinks) {
    CTextBuffer buffer;
    Fill(buffer, {""});
    int endLine = 0;
    int endChar = 0;
    EXPECT_EQ(buffer.LineCapacity(0), 16);
    buffer.ApplyInsert(nullptr, 0, 0, std::string(15, 'a'), endLine, endChar);
    EXPECT_EQ(buffer.LineCapacity(0), 16);
    buffer.ApplyInsert(nullptr, 0, 0, "a", endLine, endChar);
    EXPECT_EQ(buffer.LineCapacity(0), 16) << "a length equal to the capacity still fits";
    buffer.ApplyInsert(nullptr, 0, 0, "a", endLine, endChar);
    EXPECT_EQ(buffer.LineCapacity(0), 32);
    buffer.ApplyInsert(nullptr, 0, 17, std::string(30, 'b'), endLine, endChar);
    EXPECT_EQ(buffer.LineCapacity(0), 48);
    buffer.ApplyDelete(nullptr, 0, 0, 0, 47);
    EXPECT_EQ(buffer.LineLength(0), 0);
    EXPECT_EQ(buffer.LineCapacity(0), 48);
    buffer.ApplyInsert(nullptr, 0, 0, "\r\n" + std::string(16, 'c'), endLine, endChar);
    EXPECT_EQ(buffer.LineCapacity(1), 32) << "a new line of 16 gets the next multiple";
}

// A line of megabytes cut in two, or mostly deleted, gives its storage back: splitting a huge
// line must not leave its whole storage behind on the short first part.
TEST(Buffer, LargeLineStorageShrinksWhenMostlyUnused) {
    const int size = 3 << 20;
    CTextBuffer buffer;
    Fill(buffer, {std::string(size, 'x')});
    int endLine = 0;
    int endChar = 0;
    ASSERT_TRUE(buffer.ApplyInsert(nullptr, 0, 10, "\r\n", endLine, endChar));
    EXPECT_EQ(buffer.LineCapacity(0), 16);
    EXPECT_EQ(buffer.LineCapacity(1), LineStore::CapacityFor(size - 10));
    ASSERT_TRUE(buffer.ApplyDelete(nullptr, 0, 10, 1, 0));
    EXPECT_EQ(buffer.LineText(0), std::string(size, 'x'));
    ASSERT_TRUE(buffer.ApplyDelete(nullptr, 0, 100, 0, size - 100));
    EXPECT_EQ(buffer.LineCapacity(0), 208);
    // Below a megabyte the storage never shrinks.
    Fill(buffer, {std::string(1000, 'y')});
    ASSERT_TRUE(buffer.ApplyDelete(nullptr, 0, 0, 0, 990));
    EXPECT_EQ(buffer.LineCapacity(0), 1008);
}

struct AdjustCase {
    bool insertion;
    TextPosition start, end, pos, expected;
};

TEST(Adjusters, MovePositionsToTheSameText) {
    const AdjustCase rows[] = {
        // Two line breaks inserted at (1, 3), the text ending at (2, 5).
        {true, {1, 3}, {2, 5}, {5, 3}, {6, 5}},
        {true, {1, 3}, {2, 5}, {1, 3}, {1, 3}},
        {true, {1, 3}, {2, 5}, {0, 3}, {0, 3}},
        {true, {1, 3}, {2, 5}, {9, 2}, {9, 2}},
        {true, {1, 3}, {2, 5}, {4, 4}, {4, 6}},
        // Text inserted within a line.
        {true, {2, 0}, {5, 0}, {3, 0}, {6, 0}},
        {true, {2, 0}, {5, 0}, {1, 1}, {1, 1}},
        // A range from (2, 1) to (3, 3) deleted.
        {false, {2, 1}, {3, 3}, {1, 1}, {1, 1}},
        {false, {2, 1}, {3, 3}, {2, 1}, {2, 1}},
        {false, {2, 1}, {3, 3}, {7, 1}, {2, 1}},
        {false, {2, 1}, {3, 3}, {0, 2}, {2, 1}},
        {false, {2, 1}, {3, 3}, {2, 3}, {2, 1}},
        {false, {2, 1}, {3, 3}, {3, 3}, {2, 1}},
        {false, {2, 1}, {3, 3}, {5, 3}, {4, 1}},
        {false, {2, 1}, {3, 3}, {5, 4}, {5, 2}},
        {false, {2, 1}, {3, 3}, {4, 0}, {4, 0}},
        // Within one line.
        {false, {2, 0}, {5, 0}, {1, 0}, {1, 0}},
        {false, {2, 0}, {5, 0}, {4, 0}, {2, 0}},
        {false, {2, 0}, {5, 0}, {7, 0}, {4, 0}},
        {false, {2, 0}, {5, 0}, {7, 1}, {7, 1}},
    };
    for (const AdjustCase& row : rows) {
        TextPosition p = row.pos;
        if (row.insertion)
            InsertAdjuster(row.start, row.end).AdjustPosition(p);
        else
            DeleteAdjuster(row.start, row.end).AdjustPosition(p);
        EXPECT_EQ(p, row.expected) << (row.insertion ? "insert" : "delete") << " pos (" << row.pos.x
                                   << "," << row.pos.y << ") got (" << p.x << "," << p.y << ")";
    }
}

TEST(LineFlags, BookmarksFollowTheirLines) {
    CTextBuffer buffer;
    Fill(buffer, {"l0", "l1", "l2", "l3", "l4", "l5", "l6", "l7", "l8"});
    RecordingView view;
    buffer.AttachView(&view);

    buffer.ChangeLineFlag(4, NumberedBookmark2, true, true);
    view.notes.clear();
    buffer.ChangeLineFlag(7, NumberedBookmark2, true, true);
    EXPECT_EQ(buffer.LineFlagWord(4), 0u);
    EXPECT_EQ(buffer.LineFlagWord(7), NumberedBookmark2);
    ASSERT_EQ(view.notes.size(), 2u);
    EXPECT_EQ(view.notes[0].line, 4);
    EXPECT_EQ(view.notes[1].line, 7);
    for (const buftest::SeenNote& n : view.notes) {
        EXPECT_EQ(n.hints, 0x0300u);
        EXPECT_FALSE(n.hasAdjuster);
        EXPECT_EQ(n.source, nullptr);
    }

    view.notes.clear();
    buffer.ChangeLineFlag(7, NumberedBookmark2, true, true); // already set
    buffer.ChangeLineFlag(1, 0x3, true, false);              // not one bit
    buffer.ChangeLineFlag(1, 0, true, false);
    EXPECT_TRUE(view.notes.empty());
    EXPECT_EQ(buffer.LineFlagWord(1), 0u);

    buffer.ChangeLineFlag(2, NumberedBookmark1, true, false);
    EXPECT_EQ(buffer.LineOfSingleFlag(0x3), -1);
    EXPECT_EQ(buffer.LineOfSingleFlag(NumberedBookmark1), 2);
    EXPECT_EQ(buffer.FirstLineWithFlags(0x3), 2);
    EXPECT_EQ(buffer.FirstLineWithFlags(PlainBookmark), -1);

    // Line -1 stands for the first line carrying the flag.
    buffer.ChangeLineFlag(-1, NumberedBookmark2, false, true);
    EXPECT_EQ(buffer.LineFlagWord(7), 0u);
    buffer.ChangeLineFlag(-1, NumberedBookmark3, false, false); // nowhere: nothing happens

    // Splitting a line leaves its flags on the upper part; joining keeps the upper line's flags.
    buffer.ChangeLineFlag(5, PlainBookmark, true, false);
    buffer.ChangeLineFlag(6, MarginMarkA, true, false);
    int endLine = 0;
    int endChar = 0;
    buffer.ApplyInsert(nullptr, 5, 1, "\r\n", endLine, endChar);
    EXPECT_EQ(buffer.LineFlagWord(5), PlainBookmark);
    EXPECT_EQ(buffer.LineFlagWord(6), 0u);
    EXPECT_EQ(buffer.LineFlagWord(7), MarginMarkA);
    buffer.ApplyDelete(nullptr, 5, 1, 7, 0);
    EXPECT_EQ(buffer.LineText(5), "ll6");
    EXPECT_EQ(buffer.LineFlagWord(5), PlainBookmark);
    EXPECT_EQ(buffer.FirstLineWithFlags(MarginMarkA), -1) << "the removed line's flags are gone";
}

TEST(LineFlags, PlainBookmarkSearchWraps) {
    CTextBuffer buffer;
    Fill(buffer, {"0", "1", "2", "3", "4", "5"});
    EXPECT_EQ(buffer.NextPlainBookmark(2), -1);
    EXPECT_EQ(buffer.PreviousPlainBookmark(2), -1);

    buffer.ChangeLineFlag(3, PlainBookmark, true, false);
    struct Row {
        int line, next, previous;
    };
    // A bookmark on the searched line alone is found again after the wrap.
    for (Row r : {Row{0, 3, 3}, Row{3, 3, 3}, Row{4, 3, 3}, Row{5, 3, 3}}) {
        EXPECT_EQ(buffer.NextPlainBookmark(r.line), r.next) << "from " << r.line;
        EXPECT_EQ(buffer.PreviousPlainBookmark(r.line), r.previous) << "from " << r.line;
    }
    buffer.ChangeLineFlag(1, PlainBookmark, true, false);
    buffer.ChangeLineFlag(5, PlainBookmark, true, false);
    for (Row r : {Row{0, 1, 5}, Row{1, 3, 5}, Row{2, 3, 1}, Row{3, 5, 1}, Row{5, 1, 3}}) {
        EXPECT_EQ(buffer.NextPlainBookmark(r.line), r.next) << "from " << r.line;
        EXPECT_EQ(buffer.PreviousPlainBookmark(r.line), r.previous) << "from " << r.line;
    }
}

} // namespace
