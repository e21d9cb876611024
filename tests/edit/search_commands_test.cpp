// Find, Find Next, Find Previous and Replace through the keys, with their dialogs run headless from
// the application's templates: what the controls show and allow, what is searched and selected,
// what is remembered and written to the settings, and what a failed search leaves alone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit/editcommandids.h"
#include "search_harness.h"
#include "view/commandids.h"

namespace edittest {
namespace {

using namespace edit;
using platform::IDCANCEL;
using platform::IDOK;

TEST(FindCommand, DialogFollowsTheTemplateAndFindsFromTheCaret) {
    SearchHarness h("ld a,b\n|  LD c,d");
    h.Find([&](HeadlessDialog& d) {
        EXPECT_FALSE(d.IsItemEnabled(IDOK)) << "Find Next with an empty pattern";
        EXPECT_TRUE(d.IsChecked(IDC_DIRECTION_DOWN));
        EXPECT_FALSE(d.IsChecked(IDC_DIRECTION_UP));
        EXPECT_FALSE(d.IsChecked(IDC_MATCH_CASE));
        EXPECT_FALSE(d.IsChecked(IDC_WHOLE_WORD));
        EXPECT_FALSE(d.PressEnter()) << "Enter does nothing while Find Next is disabled";
        d.Type(IDC_FIND_WHAT, "ld");
        EXPECT_TRUE(d.IsItemEnabled(IDOK));
        d.Type(IDC_FIND_WHAT, "");
        EXPECT_FALSE(d.IsItemEnabled(IDOK));
        d.Type(IDC_FIND_WHAT, "ld");
        EXPECT_TRUE(d.PressEnter());
        EXPECT_FALSE(d.Running());
        EXPECT_EQ(d.Result(), IDOK);
    });
    EXPECT_EQ(h.Marked(), "ld a,b\n  ^LD| c,d");
    EXPECT_TRUE(h.Update(view::ID_EDIT_REPEAT).enabled);
    EXPECT_TRUE(h.Update(view::ID_EDIT_FIND_PREVIOUS).enabled);
    EXPECT_EQ(h.ScreenMismatch(), "");
    EXPECT_FALSE(h.view->KeepsSelectionVisible());
}

TEST(FindCommand, CancelStillStoresWhatWasTyped) {
    SearchHarness h("|djnz loop");
    h.Find([&](HeadlessDialog& d) {
        d.Type(IDC_FIND_WHAT, "djnz");
        d.Click(IDC_MATCH_CASE);
        d.Click(IDC_DIRECTION_UP);
        d.Click(IDCANCEL);
        EXPECT_EQ(d.Result(), IDCANCEL);
    });
    EXPECT_EQ(h.view->GetLastSearch().lastFindWhat, "djnz");
    EXPECT_EQ(h.view->GetLastSearch().lastSearchFlags, FindMatchCase | FindDirectionUp);
    EXPECT_FALSE(h.view->GetLastSearch().hasLastSearch);
    EXPECT_EQ(h.shell.profile.Raw("Find", "FindWhat"), "djnz");
    EXPECT_EQ(h.shell.profile.Raw("Find", "MatchCase"), "1");
    EXPECT_EQ(h.shell.profile.Raw("Find", "WholeWord"), "0");
    // No search succeeded, so there is nothing to repeat.
    EXPECT_FALSE(h.Update(view::ID_EDIT_REPEAT).enabled);
    h.Keys("F3 Shift+F3");
    EXPECT_EQ(h.Marked(), "|djnz loop");
    EXPECT_TRUE(h.shell.messages.empty());
}

TEST(FindCommand, StartsFromTheLastSearchTheSettingsOrTheSelection) {
    SearchHarness h("|ld a\nret\nld b");
    h.shell.profile.WriteProfileString("Find", "FindWhat", "ret");
    h.shell.profile.WriteProfileInt("Find", "MatchCase", 1);
    h.Find([&](HeadlessDialog& d) {
        EXPECT_EQ(d.GetItemText(IDC_FIND_WHAT), "ret");
        EXPECT_TRUE(d.IsChecked(IDC_MATCH_CASE));
        EXPECT_FALSE(d.IsChecked(IDC_WHOLE_WORD));
        d.Click(IDC_WHOLE_WORD);
        d.Click(IDC_DIRECTION_UP);
        d.PressEnter();
    });
    EXPECT_EQ(h.Marked(), "ld a\n^ret|\nld b");
    // The last search now speaks for itself, direction included.
    h.shell.profile.WriteProfileString("Find", "FindWhat", "other");
    h.Keys("Home");
    h.Find([&](HeadlessDialog& d) {
        EXPECT_EQ(d.GetItemText(IDC_FIND_WHAT), "ret");
        EXPECT_TRUE(d.IsChecked(IDC_WHOLE_WORD));
        EXPECT_TRUE(d.IsChecked(IDC_DIRECTION_UP));
    });
    // A selection within one line becomes the pattern; one over two lines does not.
    h.Keys("Ctrl+Home Shift+End");
    h.Find([&](HeadlessDialog& d) { EXPECT_EQ(d.GetItemText(IDC_FIND_WHAT), "ld a"); });
    h.Keys("Ctrl+Home Shift+Down Shift+End");
    h.Find([&](HeadlessDialog& d) { EXPECT_EQ(d.GetItemText(IDC_FIND_WHAT), "ld a"); });
    h.Keys("Ctrl+Home Shift+Right Shift+Right Shift+Down");
    h.Find([&](HeadlessDialog& d) { EXPECT_EQ(d.GetItemText(IDC_FIND_WHAT), "ld a"); });
    EXPECT_EQ(h.shell.dialogsRun, 5);
}

TEST(FindCommand, NoMatchSaysSoAndChangesNothing) {
    SearchHarness h("ld ^a|,b\nret");
    h.Find([&](HeadlessDialog& d) {
        d.Type(IDC_FIND_WHAT, "djnz");
        d.PressEnter();
        EXPECT_TRUE(d.Running()) << "the dialog stays open";
        EXPECT_EQ(d.Messages(), std::vector<std::string>{"Cannot find string\"djnz\""});
        EXPECT_EQ(h.Marked(), "ld ^a|,b\nret");
        // The next try starts at the beginning of the text.
        EXPECT_EQ(static_cast<CFindDialog&>(d.GetDialog()).searchPosition, (TextPosition{}));
        d.Type(IDC_FIND_WHAT, "ld");
        d.PressEnter();
    });
    EXPECT_EQ(h.Marked(), "^ld| a,b\nret");
    // Find Next of a pattern not in the text: the message, and nothing else.
    h.view->SetLastSearch({true, "djnz", 0});
    h.Keys("F3");
    EXPECT_EQ(h.shell.messages.back(), "Cannot find string\"djnz\"");
    EXPECT_EQ(h.Marked(), "^ld| a,b\nret");
    EXPECT_EQ(h.buffer.RecordCount(), 0);
}

TEST(FindNext, WalksForwardWrapsAndFindPreviousLooksRightOfTheCaretFirst) {
    SearchHarness h("ld a ; ld\n|x ld y LD");
    h.view->SetLastSearch({true, "ld", 0});
    struct Step {
        const char* keys;
        const char* marked;
    };
    const Step steps[] = {
        {"F3", "ld a ; ld\nx ^ld| y LD"},
        {"F3", "ld a ; ld\nx ld y ^LD|"},
        {"F3", "^ld| a ; ld\nx ld y LD"}, // wrapped once past the end
        // Upward from the end of the first match: the rest of its line is looked at first.
        {"Shift+F3", "ld a ; ^ld|\nx ld y LD"},
        // Nothing right of the caret on line 0: the search wraps to the last line's leftmost.
        {"Shift+F3", "ld a ; ld\nx ^ld| y LD"},
        {"Left Shift+F3", "ld a ; ld\nx ^ld| y LD"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.keys);
        h.Keys(s.keys);
        EXPECT_EQ(h.Marked(), s.marked);
        EXPECT_EQ(h.ScreenMismatch(), "");
    }
    // The direction of the last search is kept.
    EXPECT_EQ(h.view->GetLastSearch().lastSearchFlags, 0u);
    EXPECT_TRUE(h.shell.messages.empty());
}

TEST(ReplaceCommand, ControlsAndScopeFollowTheSelection) {
    SearchHarness h("|ld a,b");
    h.Replace([&](HeadlessDialog& d) {
        EXPECT_FALSE(d.IsItemEnabled(IDC_SCOPE_SELECTION));
        EXPECT_TRUE(d.IsChecked(IDC_SCOPE_WHOLE_FILE));
        EXPECT_FALSE(d.IsItemEnabled(IDC_FIND_NEXT));
        EXPECT_TRUE(d.IsItemEnabled(IDC_REPLACE));
        EXPECT_TRUE(d.IsItemEnabled(IDC_REPLACE_ALL));
        d.Type(IDC_FIND_WHAT, "a");
        EXPECT_TRUE(d.IsItemEnabled(IDC_FIND_NEXT));
    });
    h.Keys("Shift+End");
    h.Replace([&](HeadlessDialog& d) {
        EXPECT_TRUE(d.IsItemEnabled(IDC_SCOPE_SELECTION));
        EXPECT_TRUE(d.IsChecked(IDC_SCOPE_SELECTION));
        EXPECT_FALSE(d.IsChecked(IDC_SCOPE_WHOLE_FILE));
    });
    // Not editable: no dialog, and the command is greyed.
    h.buffer.ChangeReadOnly(true);
    h.Replace([&](HeadlessDialog&) { ADD_FAILURE() << "a dialog on a read-only view"; });
    EXPECT_FALSE(h.Update(ID_EDIT_REPLACE).enabled);
    EXPECT_EQ(h.shell.dialogsRun, 2);
}

TEST(ReplaceCommand, FirstReplaceOnlyFindsTheSecondReplaces) {
    SearchHarness h("ld ^ab| ab");
    h.Replace([&](HeadlessDialog& d) {
        d.Type(IDC_FIND_WHAT, "ab");
        d.Type(IDC_REPLACE_WITH, "xyz");
        d.Click(IDC_REPLACE);
        EXPECT_EQ(h.Text(), "ld ab ab");
        EXPECT_TRUE(SearchHarness::ReplaceDialogOf(d).found);
        d.Click(IDC_REPLACE);
        EXPECT_EQ(h.Text(), "ld xyz ab");
        // The range was the selection: nothing more in it.
        EXPECT_EQ(d.Messages(), std::vector<std::string>{"Cannot find string\"ab\""});
        EXPECT_EQ(SearchHarness::ReplaceDialogOf(d).rangeEnd, (TextPosition{6, 0}));
        EXPECT_EQ(h.ScreenMismatch(), "");
    });
    // The saved selection moved with the text: its end sat at the end of the replaced text, so
    // both ends went to the start of the replacement.
    EXPECT_EQ(h.Marked(), "ld xyz| ab");
    EXPECT_EQ(h.UndoAll(), (std::vector<std::string>{"Replace", "Delete Selection"}));
}

TEST(ReplaceCommand, FindNextFindsOverlappingMatches) {
    SearchHarness h("|aaaa");
    std::vector<TextPosition> found;
    h.Replace([&](HeadlessDialog& d) {
        d.Type(IDC_FIND_WHAT, "aa");
        for (int i = 0; i < 4; ++i) {
            d.Click(IDC_FIND_NEXT);
            if (SearchHarness::ReplaceDialogOf(d).found)
                found.push_back(SearchHarness::ReplaceDialogOf(d).searchPosition);
        }
        EXPECT_EQ(d.Messages().size(), 1u);
    });
    EXPECT_EQ(found, (std::vector<TextPosition>{{0, 0}, {1, 0}, {2, 0}}));
}

TEST(ReplaceCommand, ReplaceAllCases) {
    struct Case {
        const char* what;
        const char* before;
        const char* pattern;
        const char* replacement;
        bool wholeFile; // switch the scope to Whole file
        const char* after;
    };
    const Case cases[] = {
        {"whole file from the caret; matches before it stay", "ld\n|ld ld", "ld", "LD", false,
         "ld\nLD ^LD|"},
        {"a one-line selection: the range end moves with each replacement", "^ab ab ab| ab", "ab",
         "abcd", false, "[abcd abcd ]abcd| ab"},
        {"the selection's scope switched to the whole file", "ab ^ab| ab", "ab", "x", true,
         "ab x x|"},
        {"a shorter replacement over several lines", "|ld a\n\tld b ; ld\nLD", "ld", "", false,
         " a\n\\t b ; \n|"},
        {"no match: nothing changes", "|ld a", "ret", "x", false, "|ld a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SearchHarness h(c.before);
        h.Replace([&](HeadlessDialog& d) {
            d.Type(IDC_FIND_WHAT, c.pattern);
            d.Type(IDC_REPLACE_WITH, c.replacement);
            if (c.wholeFile)
                d.Click(IDC_SCOPE_WHOLE_FILE);
            d.Click(IDC_REPLACE_ALL);
            EXPECT_EQ(d.Messages().back(), "Cannot find string\"" + std::string(c.pattern) + "\"");
            EXPECT_FALSE(SearchHarness::ReplaceDialogOf(d).found);
        });
        EXPECT_EQ(h.Marked(), c.after);
        EXPECT_EQ(h.ScreenMismatch(), "");
        // One step back, whatever the number of replacements.
        Marks marks;
        const std::string original = ParseMarkedText(c.before, marks);
        if (h.buffer.HasUndo()) {
            const std::string replaced = h.Text();
            EXPECT_EQ(h.Update(ID_EDIT_UNDO).text, "&Undo Replace\tCtrl+Z");
            h.Keys("Ctrl+Z");
            EXPECT_EQ(h.Text(), original);
            EXPECT_FALSE(h.buffer.HasUndo());
            EXPECT_EQ(h.ScreenMismatch(), "");
            h.Keys("Ctrl+Y");
            EXPECT_EQ(h.Text(), replaced);
            EXPECT_FALSE(h.buffer.HasRedo());
            EXPECT_EQ(h.ScreenMismatch(), "");
        } else {
            EXPECT_EQ(h.Text(), original);
        }
    }
}

TEST(ReplaceCommand, ReplaceAllWithAnEmptyPatternEnds) {
    for (const char* replacement : {"", "x"}) {
        SearchHarness h("|ld a\nld b");
        h.Replace([&](HeadlessDialog& d) {
            d.Type(IDC_REPLACE_WITH, replacement);
            d.Click(IDC_REPLACE_ALL);
            EXPECT_EQ(d.Messages(), std::vector<std::string>{"Cannot find string\"\""});
        });
        EXPECT_EQ(h.Marked(), "|ld a\nld b");
        EXPECT_FALSE(h.buffer.HasUndo());
    }
}

TEST(ReplaceCommand, SettingsAreWrittenAlsoAfterCancel) {
    SearchHarness h("|ld a");
    h.shell.profile.WriteProfileString("Replace", "FindWhat", "ld");
    h.shell.profile.WriteProfileString("Replace", "ReplaceWith", "LD");
    h.shell.profile.WriteProfileInt("Replace", "WholeWord", 1);
    h.Replace([&](HeadlessDialog& d) {
        EXPECT_EQ(d.GetItemText(IDC_FIND_WHAT), "ld");
        EXPECT_EQ(d.GetItemText(IDC_REPLACE_WITH), "LD");
        EXPECT_TRUE(d.IsChecked(IDC_WHOLE_WORD));
        EXPECT_FALSE(d.IsChecked(IDC_MATCH_CASE));
        d.Type(IDC_FIND_WHAT, "a");
        d.Type(IDC_REPLACE_WITH, "b");
        d.Click(IDC_MATCH_CASE);
        d.PressEscape();
    });
    EXPECT_EQ(h.shell.profile.Raw("Replace", "FindWhat"), "a");
    EXPECT_EQ(h.shell.profile.Raw("Replace", "ReplaceWith"), "b");
    EXPECT_EQ(h.shell.profile.Raw("Replace", "MatchCase"), "1");
    EXPECT_EQ(h.shell.profile.Raw("Replace", "WholeWord"), "1");
    // The Find settings and the last search are the Find command's own.
    EXPECT_FALSE(h.shell.profile.Raw("Find", "FindWhat").has_value());
    EXPECT_EQ(h.view->GetLastSearch().lastFindWhat, "");
}

} // namespace
} // namespace edittest
