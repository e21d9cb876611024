// The edit view's commands as the menus, toolbar and status bar see them: Undo and Redo with
// their texts, the caret after an undo, a read-only buffer, the status panes, replacing the
// selection, and command routing.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>

#include "edit/editcommandids.h"
#include "edit_harness.h"
#include "view/commandids.h"

namespace edittest {
namespace {

using Element = CmdUI::Element;

TEST(EditUndoRedo, MenuTextsInEveryState) {
    struct Case {
        const char* what;
        std::function<void(EditHarness&)> setup;
        const char* undoText;
        bool undoEnabled;
        const char* redoText;
        bool redoEnabled;
    };
    const Case cases[] = {
        {"empty history", [](EditHarness&) {}, "&Undo\tCtrl+Z", false, "&Redo\tCtrl+Z", false},
        {"after typing", [](EditHarness& h) { h.Keys("\"ld\""); }, "&Undo Typing\tCtrl+Z", true,
         "&Redo\tCtrl+Z", false},
        {"after undoing it", [](EditHarness& h) { h.Keys("\"ld\" Ctrl+Z"); }, "&Undo\tCtrl+Z",
         false, "&Redo Typing\tCtrl+Y", true},
        {"both ways", [](EditHarness& h) { h.Keys("\"ld\" Backspace Ctrl+Z"); },
         "&Undo Typing\tCtrl+Z", true, "&Redo Backspace\tCtrl+Y", true},
        {"after Enter with indent", [](EditHarness& h) { h.Keys("\"  x\" Enter"); },
         "&Undo Auto Indent\tCtrl+Z", true, "&Redo\tCtrl+Z", false},
        {"block indent", [](EditHarness& h) { h.Keys("\"a\" Enter \"b\" Shift+Up Tab"); },
         "&Undo Indent\tCtrl+Z", true, "&Redo\tCtrl+Z", false},
        // The history is kept but may not move while the text cannot.
        {"read-only buffer",
         [](EditHarness& h) {
             h.Keys("\"ld\" \" a\" Ctrl+Z");
             h.buffer.ChangeReadOnly(true);
         },
         "&Undo Typing\tCtrl+Z", false, "&Redo Typing\tCtrl+Y", false},
        {"action without a name",
         [](EditHarness& h) {
             int line = 0;
             int ch = 0;
             h.buffer.InsertRecorded(nullptr, 0, 0, "x", line, ch, static_cast<EditAction>(11));
         },
         "&Undo \tCtrl+Z", true, "&Redo\tCtrl+Z", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditHarness h("|");
        c.setup(h);
        const CmdUI undo = h.Update(edit::ID_EDIT_UNDO);
        const CmdUI redo = h.Update(edit::ID_EDIT_REDO);
        EXPECT_EQ(undo.text, c.undoText);
        EXPECT_EQ(undo.enabled, c.undoEnabled);
        EXPECT_EQ(redo.text, c.redoText);
        EXPECT_EQ(redo.enabled, c.redoEnabled);
        // A toolbar button is enabled by the same test and never gets a text.
        const CmdUI button = h.Update(edit::ID_EDIT_UNDO, Element::ToolbarButton);
        EXPECT_EQ(button.enabled, c.undoEnabled);
        EXPECT_FALSE(button.text.has_value());
    }
}

TEST(EditUndoRedo, EachStepUndoesItsRun) {
    EditHarness h("|");
    h.Keys("\"ab xy\"");
    h.Keys("Ctrl+Z");
    EXPECT_EQ(h.Marked(), "ab|");
    h.Keys("Ctrl+Z");
    EXPECT_EQ(h.Marked(), "|");
    h.Keys("Ctrl+Y Ctrl+Y");
    EXPECT_EQ(h.Marked(), "ab xy|");
}

TEST(EditUndoRedo, CaretAfterUndoAndRedo) {
    struct Case {
        const char* before;
        const char* keys;
        const char* after;
    };
    // The caret goes where the buffer reports and nothing stays selected.
    const Case cases[] = {
        {"ab|cd", "Delete Ctrl+Z", "abc|d"},
        {"ab|cd", "Delete Ctrl+Z Ctrl+Y", "ab|d"},
        {"a^bc|d", "\"x\" Ctrl+Z", "abc|d"},
        {"  x|", "Enter Ctrl+Z", "  x\n|"},
        {"  x|", "Enter Ctrl+Z Ctrl+Z", "  x|"},
        {"l0\nl1|", "Ctrl+Shift+Home Tab Ctrl+Z", "|l0\nl1"},
        {"ab|", "\"cd\" Shift+Home Ctrl+Z", "ab|"},
    };
    for (const Case& c : cases) {
        EditHarness h(c.before);
        h.Keys(c.keys);
        EXPECT_EQ(h.Marked(), c.after) << c.before << " / " << c.keys;
    }
}

TEST(EditUndoRedo, ReadOnlyBufferKeepsHistoryAndTextTogether) {
    EditHarness h("|");
    h.Keys("\"ld\" \" a,b\"");
    h.Keys("Ctrl+Z");
    const int applied = h.buffer.AppliedCount();
    h.buffer.ChangeReadOnly(true);
    h.Keys("Ctrl+Z Ctrl+Y Alt+Backspace");
    h.view->OnEditUndo();
    h.view->OnEditRedo();
    EXPECT_EQ(h.buffer.AppliedCount(), applied);
    EXPECT_EQ(h.Text(), "ld");
    // Once writable again, each step still undoes exactly its own text.
    h.buffer.ChangeReadOnly(false);
    h.Keys("Ctrl+Y");
    EXPECT_EQ(h.Text(), "ld a,b");
    h.Keys("Ctrl+Z Ctrl+Z");
    EXPECT_EQ(h.Text(), "");
}

TEST(EditStatus, PanesAndOverwriteTick) {
    struct Case {
        bool overwrite;
        bool readOnly;
        bool ovrLit;
        bool readLit;
    };
    const Case cases[] = {
        {false, false, false, false},
        {true, false, true, false},
        {false, true, false, true},
        {true, true, true, true},
    };
    for (const Case& c : cases) {
        EditHarness h("ab|");
        if (c.overwrite)
            h.Keys("Insert");
        h.buffer.ChangeReadOnly(c.readOnly);
        EXPECT_EQ(h.Update(edit::ID_INDICATOR_OVR, Element::StatusPane).enabled, c.ovrLit);
        EXPECT_EQ(h.Update(edit::ID_EDIT_INDICATOR_READ, Element::StatusPane).enabled, c.readLit);
        EXPECT_FALSE(h.Update(edit::ID_EDIT_INDICATOR_BLANK, Element::StatusPane).enabled);
        const CmdUI item = h.Update(edit::ID_EDIT_SWITCH_OVRMODE);
        EXPECT_TRUE(item.enabled);
        EXPECT_EQ(item.checked, c.overwrite);
    }
}

TEST(EditStatus, ViewWithoutBuffer) {
    EditHarness h("ab|");
    h.view->DisconnectBuffer();
    EXPECT_FALSE(h.Update(edit::ID_EDIT_INDICATOR_READ, Element::StatusPane).enabled);
    EXPECT_FALSE(h.Update(edit::ID_EDIT_UNDO).enabled);
    EXPECT_EQ(h.Update(edit::ID_EDIT_UNDO).text, "&Undo\tCtrl+Z");
    // Every key is harmless without a text.
    h.Keys(
        "\"x\" Enter Tab Shift+Tab Backspace Delete Ctrl+Z Ctrl+Y Right End Ctrl+Right PageDown");
    EXPECT_EQ(h.view->GetCaretPos(), (TextPosition{0, 0}));
}

TEST(EditCommands, Routing) {
    EditHarness h("ab|");
    // Ctrl+Backspace has a key but nobody serves its command: the router disables it.
    EXPECT_FALSE(h.view->RouteCommand(edit::ID_EDIT_DELETE_WORD_BACK));
    CmdUI unserved;
    unserved.id = edit::ID_EDIT_DELETE_WORD_BACK;
    EXPECT_FALSE(h.view->RouteCommandUI(unserved));
    // The text view's movement commands are enabled and reached through the edit view.
    EXPECT_TRUE(h.Update(view::ID_CARET_TEXT_START).enabled);
    EXPECT_TRUE(h.view->RouteCommand(view::ID_CARET_TEXT_START));
    EXPECT_EQ(h.Marked(), "|ab");
}

TEST(EditCommands, ResetRestoresModes) {
    EditHarness h("ab|");
    h.view->SetOverwriteMode(true);
    h.view->SetAutoIndent(false);
    h.view->SetBackspaceAtLineStart(true);
    h.view->ConnectBuffer(&h.buffer);
    EXPECT_FALSE(h.view->GetOverwriteMode());
    EXPECT_TRUE(h.view->GetAutoIndent());
    // The backspace option belongs to the application's settings and survives a reset.
    EXPECT_TRUE(h.view->GetBackspaceAtLineStart());
}

TEST(EditReplace, ReplacesSelectionAndSelectsNewText) {
    EditHarness h("ld ^hl|,de");
    EXPECT_TRUE(h.view->ReplaceSelection("ix\r+1"));
    EXPECT_EQ(h.Marked(), "ld ^ix\n+1|,de");
    EXPECT_EQ(h.UndoAll(), (std::vector<std::string>{"Replace", "Delete Selection"}));
    EXPECT_EQ(h.Text(), "ld hl,de");

    EditHarness empty("ld |hl");
    EXPECT_FALSE(empty.view->ReplaceSelection("x"));
    EXPECT_EQ(empty.Text(), "ld hl");
    EXPECT_FALSE(empty.buffer.HasUndo());

    EditHarness readOnly("ld ^hl|");
    readOnly.buffer.ChangeReadOnly(true);
    EXPECT_FALSE(readOnly.view->ReplaceSelection("x"));
    EXPECT_EQ(readOnly.Marked(), "ld ^hl|");
}

} // namespace
} // namespace edittest

namespace edittest {
namespace {

// The column at which row `row` of the window shows its first letter; -1 for none.
int FirstLetterColumn(EditHarness& h, int row) {
    using platform::headless::kCellHeight;
    using platform::headless::kCellWidth;
    const std::string text = h.window->Screen().Text(CTextView::kMarginPixels + kCellWidth / 2,
                                                     row * kCellHeight + kCellHeight / 2, 10, '_');
    for (size_t i = 0; i < text.size(); ++i)
        if (std::isalpha(static_cast<unsigned char>(text[i])))
            return static_cast<int>(i);
    return -1;
}

TEST(EditRepaint, BlockIndentAndItsUndoShowOnEveryLine) {
    EditHarness h("^a\nb\nc\n|", 10, 5);
    h.window->Paint();
    h.Keys("Tab");
    h.window->Paint();
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(FirstLetterColumn(h, row), 4) << "row " << row;
    h.Keys("Ctrl+Z");
    h.window->Paint();
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(FirstLetterColumn(h, row), 0) << "row " << row;
}

} // namespace
} // namespace edittest
