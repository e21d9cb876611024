// The undo history: groups as the editing commands make them, the saved position, the capacity
// drop and the action names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "buffer/actionnames.h"
#include "buffer/textbuffer.h"
#include "test_support.h"

using buftest::Fill;
using buftest::Lines;
using buftest::RecordingView;
using buftest::TempDir;

namespace {

using LineList = std::vector<std::string>;

class HistoryTest : public testing::Test {
protected:
    void SetUp() override {
        Fill(buffer, {""});
        buffer.AttachView(&view);
    }

    // A typed character as the edit view records it: merged with the group before unless a space.
    void Type(char c) {
        int line = caret.y;
        buffer.OpenEditGroup(c != ' ');
        ASSERT_TRUE(buffer.InsertRecorded(&view, line, caret.x, std::string(1, c), caret.y, caret.x,
                                          ActionTyping));
        buffer.CloseEditGroup(&view);
    }

    // One recorded insertion forming a group of its own.
    void Insert(int line, int ch, std::string_view text, EditAction action = ActionTyping) {
        int endLine = 0;
        int endChar = 0;
        ASSERT_TRUE(buffer.InsertRecorded(nullptr, line, ch, text, endLine, endChar, action));
    }

    bool Save() { return buffer.WriteToFile(dir.File("saved.asm"), LineEndAuto, true); }

    std::string UndoName() const {
        std::string name = "unset";
        buffer.UndoActionName(name);
        return name;
    }
    std::string RedoName() const {
        std::string name = "unset";
        buffer.RedoActionName(name);
        return name;
    }

    CTextBuffer buffer;
    RecordingView view;
    TextPosition caret;
    TempDir dir;
};

TEST_F(HistoryTest, TypedRunUpToASpaceIsOneStep) {
    for (char c : std::string("abc d"))
        Type(c);
    ASSERT_EQ(buffer.RecordCount(), 5);
    std::vector<int> starts;
    for (int i = 0; i < buffer.RecordCount(); ++i)
        if (buffer.Record(i).kind & EditRecord::RecordGroupStart)
            starts.push_back(i);
    EXPECT_EQ(starts, (std::vector<int>{0, 3}));

    TextPosition at;
    ASSERT_TRUE(buffer.UndoLastStep(at));
    EXPECT_EQ(Lines(buffer), LineList{"abc"});
    EXPECT_EQ(at, (TextPosition{3, 0}));
    ASSERT_TRUE(buffer.UndoLastStep(at));
    EXPECT_EQ(Lines(buffer), LineList{""});
    EXPECT_EQ(at, (TextPosition{0, 0}));
    EXPECT_FALSE(buffer.HasUndo());
    ASSERT_TRUE(buffer.RedoNextStep(at));
    EXPECT_EQ(Lines(buffer), LineList{"abc"});
    EXPECT_EQ(at, (TextPosition{3, 0})) << "redo ends behind the last re-applied record";
}

TEST_F(HistoryTest, TypingExtendsAPasteAndTakesItsName) {
    buffer.OpenEditGroup(false);
    Insert(0, 0, "ld a,b\r\n", ActionPaste);
    buffer.CloseEditGroup(&view);
    caret = {0, 1};
    Type('x');
    Type('y');
    EXPECT_EQ(UndoName(), "Paste");
    TextPosition at;
    ASSERT_TRUE(buffer.UndoLastStep(at));
    EXPECT_EQ(Lines(buffer), LineList{""});
    EXPECT_EQ(RedoName(), "Paste");
}

TEST_F(HistoryTest, PasteOverSelectionIsNamedByTheDeletion) {
    Fill(buffer, {"hello"});
    buffer.OpenEditGroup(false);
    ASSERT_TRUE(buffer.DeleteRecorded(&view, 0, 1, 0, 4, ActionDeleteSelection));
    Insert(0, 1, "XY", ActionPaste);
    buffer.CloseEditGroup(&view);
    EXPECT_EQ(Lines(buffer), LineList{"hXYo"});
    EXPECT_EQ(UndoName(), "Delete Selection");
    ASSERT_EQ(view.hooks.size(), 1u);
    EXPECT_EQ(view.hooks[0].first, ActionPaste);
    EXPECT_EQ(view.hooks[0].second, "XY");

    TextPosition at;
    ASSERT_TRUE(buffer.UndoLastStep(at));
    EXPECT_EQ(Lines(buffer), LineList{"hello"});
    EXPECT_EQ(at, (TextPosition{4, 0})) << "the caret goes behind the restored selection";
    EXPECT_EQ(RedoName(), "Delete Selection");
    ASSERT_TRUE(buffer.RedoNextStep(at));
    EXPECT_EQ(Lines(buffer), LineList{"hXYo"});
    EXPECT_EQ(at, (TextPosition{3, 0}));
}

TEST_F(HistoryTest, AutoIndentIsUndoneBeforeTheLineBreak) {
    Fill(buffer, {"    ld a,b"});
    view.onAfterEdit = [this](EditAction action, std::string_view text) {
        if (action != ActionTyping || text != "\r\n")
            return;
        int endLine = 0;
        int endChar = 0;
        buffer.InsertRecorded(nullptr, 1, 0, "    ", endLine, endChar, ActionAutoIndent);
    };
    buffer.OpenEditGroup(false);
    int endLine = 0;
    int endChar = 0;
    ASSERT_TRUE(buffer.InsertRecorded(&view, 0, 10, "\r\n", endLine, endChar, ActionTyping));
    buffer.CloseEditGroup(&view);
    EXPECT_EQ(Lines(buffer), (LineList{"    ld a,b", "    "}));
    EXPECT_EQ(view.hooks.size(), 1u) << "changes without a source view run no hook";

    EXPECT_EQ(UndoName(), "Auto Indent");
    TextPosition at;
    ASSERT_TRUE(buffer.UndoLastStep(at));
    EXPECT_EQ(Lines(buffer), (LineList{"    ld a,b", ""}));
    EXPECT_EQ(UndoName(), "Typing");
    ASSERT_TRUE(buffer.UndoLastStep(at));
    EXPECT_EQ(Lines(buffer), LineList{"    ld a,b"});
    EXPECT_EQ(at, (TextPosition{10, 0}));
}

TEST_F(HistoryTest, HookSeesTheDeletedTextWithCrLf) {
    Fill(buffer, {"ab", "cd"});
    ASSERT_TRUE(buffer.DeleteRecorded(&view, 0, 1, 1, 1, ActionBackspace));
    ASSERT_EQ(view.hooks.size(), 1u);
    EXPECT_EQ(view.hooks[0].first, ActionBackspace);
    EXPECT_EQ(view.hooks[0].second, "b\r\nc");
    EXPECT_EQ(buffer.Record(0).text, "b\r\nc");

    // A group that records nothing has no change to tell about: the hook of the record before
    // it ran already (a second auto-indent after an empty paste or a cancelled drag).
    buffer.OpenEditGroup(false);
    buffer.CloseEditGroup(&view);
    EXPECT_EQ(view.hooks.size(), 1u);
    buffer.OpenEditGroup(true);
    buffer.CloseEditGroup(&view);
    EXPECT_EQ(view.hooks.size(), 1u);
}

// The hook reads the record's text while it makes changes of its own: changes that drop the
// record at the capacity, or undo it. The text stays readable, and the record keeps it.
TEST_F(HistoryTest, HookReadsTheTextWhileItsRecordIsDroppedOrUndone) {
    const std::string pasted = std::string(5000, 'p') + "\r\nq";
    for (const bool undo : {false, true}) {
        SCOPED_TRACE(undo ? "undone in the hook" : "dropped in the hook");
        Fill(buffer, {"ab"});
        buffer.SetUndoCapacity(undo ? 10 : 1);
        std::string seenAfter;
        view.onAfterEdit = [&](EditAction action, std::string_view text) {
            if (action != ActionPaste)
                return;
            int endLine = 0;
            int endChar = 0;
            if (undo) {
                TextPosition at;
                EXPECT_TRUE(buffer.UndoLastStep(at));
            } else {
                EXPECT_TRUE(
                    buffer.InsertRecorded(nullptr, 0, 0, "x", endLine, endChar, ActionTyping));
            }
            seenAfter.assign(text);
        };
        int endLine = 0;
        int endChar = 0;
        ASSERT_TRUE(
            buffer.InsertRecorded(&view, 0, 1, std::string(pasted), endLine, endChar, ActionPaste));
        EXPECT_EQ(seenAfter, pasted);
        TextPosition at;
        if (undo) {
            EXPECT_EQ(Lines(buffer), LineList{"ab"});
            ASSERT_TRUE(buffer.RedoNextStep(at));
            EXPECT_EQ(Lines(buffer), (LineList{"a" + std::string(5000, 'p'), "qb"}));
        } else {
            ASSERT_EQ(buffer.RecordCount(), 1);
            EXPECT_EQ(buffer.Record(0).text, "x");
        }
        view.onAfterEdit = nullptr;
    }
}

TEST_F(HistoryTest, UndoingToTheSavedPositionClearsModified) {
    Insert(0, 0, "a");
    Insert(0, 1, "b");
    ASSERT_TRUE(Save());
    EXPECT_EQ(buffer.SavedCount(), 2);
    Insert(0, 2, "c");
    TextPosition at;
    // Each row: the step, then whether the buffer is modified afterwards.
    struct Row {
        bool undo;
        bool modified;
    };
    for (Row r : {Row{true, false}, Row{true, true}, Row{false, false}, Row{false, true},
                  Row{true, false}}) {
        ASSERT_TRUE(r.undo ? buffer.UndoLastStep(at) : buffer.RedoNextStep(at));
        EXPECT_EQ(buffer.IsModified(), r.modified) << "applied " << buffer.AppliedCount();
    }
}

TEST_F(HistoryTest, NewChangeEndsRedoAndForgetsASavedStateInIt) {
    Insert(0, 0, "a");
    Insert(0, 1, "b");
    ASSERT_TRUE(Save());
    TextPosition at;
    ASSERT_TRUE(buffer.UndoLastStep(at));
    ASSERT_TRUE(buffer.UndoLastStep(at));
    Insert(0, 0, "x");
    EXPECT_FALSE(buffer.HasRedo());
    EXPECT_EQ(buffer.RecordCount(), 1);
    EXPECT_EQ(buffer.SavedCount(), -1);
    // The saved text "ab" is gone from the history: no position may count as saved any more, not
    // even the one with as many records applied as at the save.
    Insert(0, 1, "y");
    ASSERT_TRUE(buffer.UndoLastStep(at));
    EXPECT_TRUE(buffer.IsModified());
    ASSERT_TRUE(buffer.RedoNextStep(at));
    EXPECT_EQ(Lines(buffer), LineList{"xy"});
    EXPECT_TRUE(buffer.IsModified());
}

TEST_F(HistoryTest, MergingAfterUndoJoinsTheGroupBefore) {
    Insert(0, 0, "a");
    Insert(0, 1, "b");
    TextPosition at;
    ASSERT_TRUE(buffer.UndoLastStep(at));
    buffer.OpenEditGroup(true);
    Insert(0, 1, "c");
    buffer.CloseEditGroup(&view);
    EXPECT_EQ(Lines(buffer), LineList{"ac"});
    ASSERT_TRUE(buffer.UndoLastStep(at));
    EXPECT_EQ(Lines(buffer), LineList{""});
    EXPECT_FALSE(buffer.HasUndo());
}

TEST_F(HistoryTest, NothingMovesWithoutAChangeOfText) {
    TextPosition at{7, 7};
    EXPECT_FALSE(buffer.UndoLastStep(at));
    EXPECT_FALSE(buffer.RedoNextStep(at));
    Insert(0, 0, "ab\r\ncd");
    Insert(1, 2, "e");
    ASSERT_TRUE(buffer.UndoLastStep(at));
    view.notes.clear();

    buffer.ChangeReadOnly(true);
    at = {7, 7};
    EXPECT_FALSE(buffer.UndoLastStep(at));
    EXPECT_FALSE(buffer.RedoNextStep(at));
    EXPECT_EQ(buffer.AppliedCount(), 1);
    EXPECT_EQ(Lines(buffer), (LineList{"ab", "cd"}));
    EXPECT_TRUE(view.notes.empty());
    EXPECT_EQ(at, (TextPosition{7, 7}));

    buffer.ChangeReadOnly(false);
    ASSERT_TRUE(buffer.RedoNextStep(at));
    EXPECT_EQ(Lines(buffer), (LineList{"ab", "cde"}));
    EXPECT_FALSE(buffer.RedoNextStep(at));
}

TEST_F(HistoryTest, UndoRestoresLinesHoldingCarriageReturns) {
    // A mixed file: the first line end is a lone LF, so the CR of the later CR LF stays in its
    // line, and a lone CR stays inside a line as well.
    buftest::WriteBytes(dir.File("mixed.asm"), "a\nb\r\nc\rd\ne");
    ASSERT_TRUE(buffer.ReadFromFile(dir.File("mixed.asm"), LineEndAuto));
    const LineList loaded{"a", "b\r", "c\rd", "e"};
    ASSERT_EQ(Lines(buffer), loaded);
    ASSERT_TRUE(buffer.DeleteRecorded(&view, 0, 0, 3, 1, ActionCut));
    TextPosition at;
    ASSERT_TRUE(buffer.UndoLastStep(at));
    EXPECT_EQ(Lines(buffer), loaded);
    ASSERT_TRUE(buffer.RedoNextStep(at));
    ASSERT_TRUE(buffer.UndoLastStep(at));
    EXPECT_EQ(Lines(buffer), loaded);

    // Within one line as well.
    ASSERT_TRUE(buffer.DeleteRecorded(&view, 2, 0, 2, 3, ActionDelete));
    ASSERT_TRUE(buffer.DeleteRecorded(&view, 1, 1, 1, 2, ActionDelete));
    EXPECT_EQ(Lines(buffer), (LineList{"a", "b", "", "e"}));
    ASSERT_TRUE(buffer.UndoLastStep(at));
    ASSERT_TRUE(buffer.UndoLastStep(at));
    EXPECT_EQ(Lines(buffer), loaded);
}

TEST(ActionNames, TableAndVirtual) {
    CTextBuffer buffer;
    const char* names[] = {"Unknown", "Paste",     "Delete Selection", "Cut",
                           "Typing",  "Backspace", "Indent",           "Drag And Drop",
                           "Replace", "Delete",    "Auto Indent"};
    for (int action = 0; action <= 10; ++action) {
        std::string text;
        EXPECT_TRUE(buffer.ActionName(action, text));
        EXPECT_EQ(text, names[action]);
    }
    for (int action : {11, -1, 8624}) {
        std::string text = "kept";
        EXPECT_FALSE(buffer.ActionName(action, text));
        EXPECT_EQ(text, "kept");
    }
    const std::pair<int, int> ids[] = {{4, 8624}, {8, 8628}, {9, 8623}, {10, 8629}, {0, 8619}};
    for (auto [action, id] : ids)
        EXPECT_EQ(FindActionName(action)->stringId, id) << action;

    // The menu asks through the virtual, which the application's string table overrides.
    struct Renamed : CTextBuffer {
        bool ActionName(int action, std::string& text) const override {
            if (action == ActionCut)
                return false;
            text = "A" + std::to_string(action);
            return true;
        }
    } renamed;
    Fill(renamed, {""});
    int endLine = 0;
    int endChar = 0;
    renamed.InsertRecorded(nullptr, 0, 0, "x", endLine, endChar, ActionReplace);
    renamed.InsertRecorded(nullptr, 0, 0, "y", endLine, endChar, ActionCut);
    std::string text = "stale";
    renamed.UndoActionName(text);
    EXPECT_EQ(text, "") << "a name the table lacks shows as empty";
    TextPosition at;
    renamed.UndoLastStep(at);
    renamed.UndoActionName(text);
    EXPECT_EQ(text, "A8");
}

TEST_F(HistoryTest, FullHistoryDropsTheOldestWholeGroup) {
    buffer.OpenEditGroup(false);
    Insert(0, 0, "a");
    Insert(0, 1, "b");
    Insert(0, 2, "c");
    buffer.CloseEditGroup(nullptr);
    for (int i = 0; i < 1021; ++i)
        Insert(0, 3 + i, i % 2 ? "x" : "\t");
    ASSERT_EQ(buffer.RecordCount(), 1024);
    ASSERT_TRUE(Save());
    Insert(0, 0, ";");
    EXPECT_EQ(buffer.RecordCount(), 1022);
    EXPECT_EQ(buffer.AppliedCount(), 1022);
    EXPECT_EQ(buffer.SavedCount(), 1021);
    EXPECT_TRUE(buffer.Record(0).kind & EditRecord::RecordGroupStart);

    TextPosition at;
    ASSERT_TRUE(buffer.UndoLastStep(at));
    EXPECT_FALSE(buffer.IsModified()) << "the saved position moved with the dropped records";
    while (buffer.HasUndo())
        ASSERT_TRUE(buffer.UndoLastStep(at));
    EXPECT_EQ(Lines(buffer), LineList{"abc"}) << "the dropped group stays applied";
    EXPECT_TRUE(buffer.IsModified());
}

TEST_F(HistoryTest, DroppingTheSavedStateLeavesNoSavedPosition) {
    buffer.SetUndoCapacity(4);
    ASSERT_TRUE(Save());
    for (int i = 0; i < 5; ++i)
        Insert(0, i, "z");
    EXPECT_EQ(buffer.RecordCount(), 4);
    EXPECT_EQ(buffer.SavedCount(), -1);
    TextPosition at;
    while (buffer.HasUndo()) {
        ASSERT_TRUE(buffer.UndoLastStep(at));
        EXPECT_TRUE(buffer.IsModified());
    }
    EXPECT_EQ(Lines(buffer), LineList{"z"});
}

TEST_F(HistoryTest, GroupLargerThanCapacityIsNeverSplit) {
    buffer.SetUndoCapacity(4);
    Insert(0, 0, "X");
    buffer.OpenEditGroup(false);
    for (int i = 0; i < 6; ++i)
        Insert(0, 1 + i, std::string(1, static_cast<char>('1' + i)));
    buffer.CloseEditGroup(&view);
    EXPECT_EQ(Lines(buffer), LineList{"X123456"});
    EXPECT_FALSE(buffer.HasUndo()) << "the group outgrew the history and left it whole";
    EXPECT_EQ(buffer.RecordCount(), 0);

    Insert(0, 0, "Y");
    EXPECT_EQ(buffer.RecordCount(), 1);
    TextPosition at;
    ASSERT_TRUE(buffer.UndoLastStep(at));
    EXPECT_EQ(Lines(buffer), LineList{"X123456"});
    EXPECT_FALSE(buffer.UndoLastStep(at));
}

} // namespace
