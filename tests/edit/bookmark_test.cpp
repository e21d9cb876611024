// Bookmarks through the keys of the view's accelerator table and the menu commands, with edits
// moving, splitting and joining the bookmarked lines. After every step the window must show what
// a full repaint of a fresh view shows, margin icons included.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

#include "edit_harness.h"
#include "view/commandids.h"

namespace edittest {
namespace {

// The flags of every line that has some, as "line:flags" words: a digit per numbered bookmark,
// P for the plain one.
std::string FlagsOf(const CTextBuffer& buffer) {
    std::string out;
    for (int line = 0; line < buffer.LineCount(); ++line) {
        const LineFlags flags = buffer.LineFlagWord(line);
        if (flags == 0)
            continue;
        if (!out.empty())
            out += ' ';
        out += std::to_string(line) + ':';
        for (int n = 0; n <= 9; ++n)
            if (flags & (LineFlags{1} << n))
                out += static_cast<char>('0' + n);
        if (flags & PlainBookmark)
            out += 'P';
    }
    return out;
}

// Lines "l0" .. "l<count - 1>" with the caret at the start of line `caret`.
std::string NumberedLines(int count, int caret) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i ? "\n" : "") + std::string(i == caret ? "|" : "") + "l" + std::to_string(i);
    return text;
}

// Runs a script of keys (see EditHarness::Keys) in which "#id" words send command `id` the way
// a menu item does.
void RunScript(EditHarness& h, std::string_view script) {
    size_t i = 0;
    while (i < script.size()) {
        const size_t hash = script.find('#', i);
        h.Keys(script.substr(i, hash == std::string_view::npos ? script.npos : hash - i));
        if (hash == std::string_view::npos)
            return;
        size_t end = hash + 1;
        while (end < script.size() && std::isdigit(static_cast<unsigned char>(script[end])))
            ++end;
        const auto id = static_cast<uint32_t>(std::stoul(std::string(script.substr(hash + 1))));
        EXPECT_TRUE(h.view->OnCommand(id)) << id;
        if (h.afterStep)
            h.afterStep(script.substr(hash, end - hash));
        i = end;
    }
}

TEST(Bookmarks, KeysCommandsAndEdits) {
    struct Case {
        const char* what;
        int caretLine; // the text is NumberedLines(12, caretLine)
        const char* script;
        const char* flags;    // FlagsOf afterwards
        TextPosition caret;   // the caret afterwards (the selection must be empty)
        bool plainCommandsOn; // Next, Previous and Clear All plain bookmarks enabled
    };
    const Case cases[] = {
        // Numbered bookmarks.
        {"set on the caret line", 3, "Right Ctrl+4", "3:4", {1, 3}, false},
        {"set twice clears", 3, "Ctrl+4 Ctrl+4", "", {0, 3}, false},
        {"set elsewhere moves it",
         3,
         "Ctrl+4 Down Down Down Down Down Down Down Ctrl+4",
         "10:4",
         {0, 10},
         false},
        {"two numbers on one line", 3, "Ctrl+0 Ctrl+3", "3:03", {0, 3}, false},
        {"go to it: line start, no selection",
         3,
         "Ctrl+2 Ctrl+End Shift+Up Alt+2",
         "3:2",
         {0, 3},
         false},
        {"go to one not set stays", 5, "Right Right Alt+7", "", {2, 5}, false},
        {"menu commands", 5, "#37206 Down #37201 Up #37211 #37216", "5:6 6:1", {0, 5}, false},
        {"clear all numbered", 2, "Ctrl+1 Down Ctrl+9 Down Ctrl+2 #37220", "", {0, 4}, false},
        {"clear all numbered keeps plain ones", 2, "Ctrl+1 Ctrl+F2 #37220", "2:P", {0, 2}, true},
        // Edits move bookmarks with their lines.
        {"lines inserted above", 5, "Ctrl+1 Ctrl+Home Enter Enter Alt+1", "7:1", {0, 7}, false},
        {"lines deleted above",
         5,
         "Ctrl+1 Ctrl+Home Down Shift+Down Shift+Down Delete Alt+1",
         "3:1",
         {0, 3},
         false},
        {"a pasted block above", 5, "Ctrl+1 Up Up paste\"a\nb\nc\n\" Alt+1", "8:1", {0, 8}, false},
        {"split in the middle: the upper part keeps it",
         5,
         "Right Ctrl+1 Enter Alt+1",
         "5:1",
         {0, 5},
         false},
        {"split at the start: the upper part keeps it",
         5,
         "Ctrl+1 Enter Alt+1",
         "5:1",
         {0, 5},
         false},
        {"joined into the line above: lost with its line",
         6,
         "Ctrl+1 Up End Delete Alt+1",
         "",
         {2, 5},
         false},
        {"the line below joined into it: kept", 5, "Ctrl+1 End Delete Alt+1", "5:1", {0, 5}, false},
        {"its text deleted from the line start: the line stays",
         5,
         "Ctrl+1 Shift+Down Delete Alt+1",
         "5:1",
         {0, 5},
         false},
        {"deleted from the end of the line above: gone with it",
         5,
         "Ctrl+1 Up End Shift+Down Delete Alt+1",
         "",
         {2, 4},
         false},
        {"typing on its line", 5, "Ctrl+1 \"ld a,1\" Enter Up Up Alt+1", "5:1", {0, 5}, false},
        // Plain bookmarks.
        {"toggle", 2, "Ctrl+F2 Down Down Down Ctrl+F2", "2:P 5:P", {0, 5}, true},
        {"toggle off the only one", 2, "Ctrl+F2 Ctrl+F2", "", {0, 2}, false},
        {"next",
         0,
         "Ctrl+F2 Down Down Ctrl+F2 Down Down Ctrl+F2 Ctrl+Home Down F2",
         "0:P 2:P 4:P",
         {0, 2},
         true},
        {"next wraps from the last",
         1,
         "Ctrl+F2 Down Down Down Ctrl+F2 F2",
         "1:P 4:P",
         {0, 1},
         true},
        {"next below the last wraps",
         1,
         "Ctrl+F2 Down Down Down Ctrl+F2 Down F2",
         "1:P 4:P",
         {0, 1},
         true},
        {"previous wraps from the first",
         1,
         "Ctrl+F2 Down Down Down Ctrl+F2 Up Up Up Shift+F2",
         "1:P 4:P",
         {0, 4},
         true},
        {"the only one: next and previous stay", 6, "Ctrl+F2 F2 Shift+F2", "6:P", {0, 6}, true},
        {"next from a line between",
         1,
         "Ctrl+F2 Down Down Down Ctrl+F2 Up Right F2",
         "1:P 4:P",
         {0, 4},
         true},
        {"clear all", 1, "Ctrl+F2 Down Ctrl+F2 Down Ctrl+F2 Ctrl+Shift+F2", "", {0, 3}, false},
        {"clear all by menu", 1, "Ctrl+F2 Down Ctrl+F2 #37226", "", {0, 2}, false},
        {"next and previous by menu",
         1,
         "Ctrl+F2 Down Down Ctrl+F2 #37225 #37224 #37224",
         "1:P 3:P",
         {0, 1},
         true},
        {"deleted with its line: the commands stay on and find nothing",
         4,
         "Ctrl+F2 Up End Shift+Down Delete F2 Shift+F2",
         "",
         {2, 3},
         true},
        {"edits above move them",
         4,
         "Ctrl+F2 Ctrl+Home Enter Enter Ctrl+End F2",
         "6:P",
         {0, 6},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditHarness h(NumberedLines(12, c.caretLine), 20, 14);
        h.afterStep = [&h](std::string_view step) {
            const std::string mismatch = h.ScreenMismatch();
            if (!mismatch.empty())
                ADD_FAILURE() << "after " << step << ":\n" << mismatch;
        };
        RunScript(h, c.script);
        EXPECT_EQ(FlagsOf(h.buffer), c.flags);
        EXPECT_EQ(h.view->GetCaretPos(), c.caret);
        EXPECT_FALSE(h.view->HasSelection());
        for (uint32_t id : {view::ID_NEXT_PLAIN_BOOKMARK, view::ID_PREVIOUS_PLAIN_BOOKMARK,
                            view::ID_CLEAR_PLAIN_BOOKMARKS})
            EXPECT_EQ(h.Update(id).enabled, c.plainCommandsOn) << id;
        for (uint32_t id : {view::ID_TOGGLE_BOOKMARK0, view::ID_GO_BOOKMARK0 + 9,
                            view::ID_CLEAR_BOOKMARKS, view::ID_TOGGLE_PLAIN_BOOKMARK})
            EXPECT_TRUE(h.Update(id).enabled) << id;
    }
}

// The icon of a line is that of its first flag in the icon table: moving bookmark 4 from line 3
// to line 10 takes icon 6 along; bookmark 3 comes before bookmark 0.
TEST(Bookmarks, MarginIconsFollowTheFlags) {
    EditHarness h(NumberedLines(12, 3), 20, 14);
    const auto iconsOnRows = [&h] {
        h.window->Paint();
        std::string out;
        for (const platform::headless::DrawnIcon& icon : h.window->Screen().Icons())
            out += std::to_string(icon.rect.top / platform::headless::kCellHeight) + ":" +
                   std::to_string(icon.index) + " ";
        return out;
    };
    RunScript(h, "Ctrl+4");
    EXPECT_EQ(iconsOnRows(), "3:6 ");
    RunScript(h, "Down Down Down Down Down Down Down Ctrl+4");
    EXPECT_EQ(iconsOnRows(), "10:6 ");
    RunScript(h, "Ctrl+0 Ctrl+3");
    EXPECT_EQ(iconsOnRows(), "10:5 ");
    RunScript(h, "Ctrl+Home Ctrl+F2");
    EXPECT_EQ(iconsOnRows(), "0:13 10:5 ");
    // A flag change repaints the line's row and nothing else.
    h.window->ClearInvalidations();
    RunScript(h, "Ctrl+F2");
    ASSERT_EQ(h.window->Invalidations().size(), 1u);
    EXPECT_EQ(h.window->Invalidations()[0].rect.top, 0);
    EXPECT_EQ(h.window->Invalidations()[0].rect.bottom, platform::headless::kCellHeight);
}

// Every view of the text shows the bookmarks another view set; only the view that toggled them
// offers Next, Previous and Clear All.
TEST(Bookmarks, SharedByTheViewsOfOneText) {
    EditHarness a(NumberedLines(12, 2), 20, 14);
    auto made = std::make_unique<TestEditView>();
    TestEditView* other = made.get();
    HeadlessWindow otherWindow(a.system, std::move(made), {20 + 20 * 8, 14 * 16});
    other->ConnectBuffer(&a.buffer);
    RunScript(a, "Ctrl+F2 Ctrl+7");
    otherWindow.InvalidateRect(nullptr, false);
    otherWindow.Paint();
    ASSERT_EQ(otherWindow.Screen().Icons().size(), 1u);
    EXPECT_EQ(otherWindow.Screen().Icons()[0].index, 9); // bookmark 7 comes before the plain one
    CmdUI ui;
    ui.id = view::ID_NEXT_PLAIN_BOOKMARK;
    other->RouteCommandUI(ui);
    EXPECT_FALSE(ui.enabled);
    other->GoToNumberedBookmark(7);
    EXPECT_EQ(other->GetCaretPos(), (TextPosition{0, 2}));
}

} // namespace
} // namespace edittest
