// Text between views: byte-exact copy, paste, drag and drop of every byte value, moves between two
// views of one document and between two documents with their undo steps, drops refused, the drop
// caret and the drag-scroll bands, the commands' states and the mouse selection ending with the
// focus.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "edit/editcommandids.h"
#include "edit_harness.h"
#include "view/commandids.h"
#include "view/viewresources.h"

namespace edittest {
namespace {

using platform::DROPEFFECT_COPY;
using platform::DROPEFFECT_MOVE;
using platform::DROPEFFECT_NONE;
using platform::headless::HeadlessData;
using platform::headless::HeadlessDrag;

// A second view in a window of the harness's system: on the harness's buffer, or on its own.
struct OtherView {
    explicit OtherView(EditHarness& h, CTextBuffer* onBuffer = nullptr) {
        auto made = std::make_unique<TestEditView>();
        view = made.get();
        window = std::make_unique<HeadlessWindow>(h.system, std::move(made),
                                                  h.window->Screen().GetSize());
        if (!onBuffer) {
            own.ResetToEmpty(LineEndDos);
            onBuffer = &own;
        }
        view->ConnectBuffer(onBuffer);
    }
    std::string Text() const {
        std::string out;
        const CTextBuffer& b = *view->GetBuffer();
        for (int i = 0; i < b.LineCount(); ++i)
            out += (i ? "\n" : "") + std::string(b.LineText(i));
        return out;
    }

    CTextBuffer own;
    TestEditView* view = nullptr;
    std::unique_ptr<HeadlessWindow> window;
};

// Every byte value, CR only as half of the CR LF that ends a line; lines hold NUL and lone LF.
std::string EveryByte() {
    std::string text;
    for (int b = 0; b < 256; ++b) {
        if (b == '\r')
            continue;
        text += static_cast<char>(b);
        if (b % 64 == 63)
            text += "\r\n";
    }
    return text;
}

// The buffer's text with CR LF between lines.
std::string Bytes(const CTextBuffer& buffer) {
    std::string text;
    buffer.CopyText(0, 0, buffer.LineCount() - 1, buffer.LineLength(buffer.LineCount() - 1), text);
    return text;
}

void Fill(CTextBuffer& buffer, std::string_view text) {
    int line = 0;
    int ch = 0;
    ASSERT_TRUE(buffer.ApplyInsert(nullptr, 0, 0, text, line, ch));
}

// Starts a drag of the view's selection with a press inside it and a move.
void DragSelection(EditHarness& h) {
    TextPosition start;
    TextPosition end;
    h.view->GetSelectedRange(start, end);
    const platform::Point in = h.view->TextPositionToPoint(start);
    h.window->MouseDown({in.x + 1, in.y + 1});
    h.window->MouseMove({in.x + 3, in.y + 40}, platform::MK_LBUTTON);
}

TEST(Transfer, EveryByteSurvivesCopyAndPaste) {
    EditHarness h("|");
    Fill(h.buffer, EveryByte());
    OtherView other(h);
    h.Keys("Ctrl+A Ctrl+C");
    // NUL bytes do not cut the text short: the clipboard holds all of it.
    EXPECT_EQ(h.system.ClipboardOf(platform::ClipboardKind::Standard).Data().Bytes(), EveryByte());
    other.window->Focus();
    other.view->OnCommand(edit::ID_EDIT_PASTE);
    EXPECT_EQ(Bytes(*other.view->GetBuffer()), EveryByte());
    // Pasted into the middle of a line, the text stands between the line's two halves.
    other.view->CollapseCaretTo({40, 1});
    other.view->OnCommand(edit::ID_EDIT_PASTE);
    const std::string all = EveryByte();
    const size_t at = all.find("\r\n") + 2 + 40;
    EXPECT_EQ(Bytes(*other.view->GetBuffer()), all.substr(0, at) + all + all.substr(at));
}

TEST(Transfer, EveryByteSurvivesDragAndDrop) {
    EditHarness h("|");
    Fill(h.buffer, EveryByte());
    OtherView other(h);
    h.view->SelectWholeText();
    h.system.SetDragScript([&](HeadlessDrag& drag) {
        drag.MoveTo(*other.window, {30, 10}, platform::MK_CONTROL);
        drag.Drop(platform::MK_CONTROL);
    });
    DragSelection(h);
    EXPECT_EQ(h.system.Drags().back().result, DROPEFFECT_COPY);
    EXPECT_EQ(Bytes(*other.view->GetBuffer()), EveryByte());
    EXPECT_EQ(Bytes(h.buffer), EveryByte());
}

TEST(Transfer, MoveBetweenTwoViewsOfOneDocumentIsOneStep) {
    EditHarness h("\tld ^a,1|\n\tret");
    OtherView other(h, &h.buffer);
    // The drop goes after "ret" in the other view.
    const platform::Point end = other.view->TextPositionToPoint({4, 1});
    h.system.SetDragScript([&](HeadlessDrag& drag) {
        EXPECT_EQ(drag.MoveTo(*other.window, end), DROPEFFECT_MOVE);
        EXPECT_TRUE(other.view->GetDropState().dropIndicatorShown);
        EXPECT_TRUE(other.window->Caret().gray && other.window->Caret().Visible());
        EXPECT_EQ(other.window->Caret().pos, end);
        drag.Drop();
    });
    DragSelection(h);
    EXPECT_EQ(h.Text(), "\tld \n\treta,1");
    EXPECT_FALSE(other.view->GetDropState().dropIndicatorShown);
    // The view that took the drop selects the text there and has the focus.
    EXPECT_EQ(h.system.FocusWindow(), other.window.get());
    TextPosition start;
    TextPosition stop;
    other.view->GetSelectedRange(start, stop);
    EXPECT_EQ(start, (TextPosition{4, 1}));
    EXPECT_EQ(stop, (TextPosition{7, 1}));
    std::string name;
    h.buffer.UndoActionName(name);
    EXPECT_EQ(name, "Drag And Drop");
    other.view->OnCommand(edit::ID_EDIT_UNDO);
    EXPECT_EQ(h.Text(), "\tld a,1\n\tret");
    EXPECT_FALSE(h.buffer.HasUndo());
    other.view->OnCommand(edit::ID_EDIT_REDO);
    EXPECT_EQ(h.Text(), "\tld \n\treta,1");
}

TEST(Transfer, MoveBetweenTwoDocumentsIsAStepInEach) {
    EditHarness h("ab^cd|ef");
    OtherView other(h);
    Fill(other.own, "xy");
    h.system.SetDragScript([&](HeadlessDrag& drag) {
        drag.MoveTo(*other.window, other.view->TextPositionToPoint({1, 0}));
        drag.Drop();
    });
    DragSelection(h);
    EXPECT_EQ(h.Text(), "abef");
    EXPECT_EQ(other.Text(), "xcdy");
    other.view->OnCommand(edit::ID_EDIT_UNDO);
    EXPECT_EQ(other.Text(), "xy");
    EXPECT_EQ(h.Text(), "abef");
    h.view->OnCommand(edit::ID_EDIT_UNDO);
    EXPECT_EQ(h.Text(), "abcdef");
    EXPECT_FALSE(h.buffer.HasUndo());
    EXPECT_FALSE(other.own.HasUndo());
}

TEST(Transfer, DropsThatChangeNothing) {
    struct Case {
        const char* what;
        bool readOnlyTarget;
        bool readOnlySource;
        // Where the drop lands in the other view of the same buffer (x on line 0).
        int32_t dropX;
        uint32_t keys;
        uint32_t effect;
        const char* text;
    };
    const Case cases[] = {
        {"read-only target", true, false, 1, 0, DROPEFFECT_NONE, "ab cd ef"},
        // A move into the text it moves out of, seen from another pane, would delete itself.
        {"into its own source", false, false, 4, 0, DROPEFFECT_NONE, "ab cd ef"},
        {"at its own source's start", false, false, 3, 0, DROPEFFECT_NONE, "ab cd ef"},
        {"at its own source's end", false, false, 5, 0, DROPEFFECT_MOVE, "ab cd ef"},
        {"copied into its own source", false, false, 4, platform::MK_CONTROL, DROPEFFECT_COPY,
         "ab ccdd ef"},
        // A read-only source lends its text: the drop copies.
        {"read-only source", false, true, 0, 0, DROPEFFECT_COPY, "cdab cd ef"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditHarness h("ab ^cd| ef");
        OtherView other(h, &h.buffer);
        h.system.SetDragScript([&](HeadlessDrag& drag) {
            h.buffer.ChangeReadOnly(c.readOnlyTarget);
            drag.MoveTo(*other.window, other.view->TextPositionToPoint({c.dropX, 0}), c.keys);
            EXPECT_EQ(other.view->GetDropState().dropIndicatorShown, !c.readOnlyTarget);
            drag.Drop(c.keys);
            h.buffer.ChangeReadOnly(false);
        });
        h.buffer.ChangeReadOnly(c.readOnlySource);
        DragSelection(h);
        h.buffer.ChangeReadOnly(false);
        EXPECT_EQ(h.system.Drags().back().result, c.effect);
        EXPECT_EQ(h.system.Drags().back().allowed,
                  c.readOnlySource ? DROPEFFECT_COPY : DROPEFFECT_COPY | DROPEFFECT_MOVE);
        EXPECT_EQ(h.Text(), c.text);
        EXPECT_FALSE(other.view->GetDropState().dropIndicatorShown);
        EXPECT_FALSE(other.window->Caret().gray);
    }
}

TEST(Transfer, DropOfOtherApplicationsText) {
    EditHarness h("ab|");
    HeadlessDrag plain(HeadlessData::FromOtherApplication(U"x\ny\u0101"), DROPEFFECT_COPY);
    plain.MoveTo(*h.window, h.view->TextPositionToPoint({1, 0}));
    EXPECT_EQ(plain.Drop(), DROPEFFECT_COPY);
    EXPECT_EQ(h.Text(), "ax\ny?b");
    // Data without text is refused where it enters.
    HeadlessDrag empty(HeadlessData{}, DROPEFFECT_COPY);
    EXPECT_EQ(empty.MoveTo(*h.window, {30, 5}), DROPEFFECT_NONE);
    EXPECT_FALSE(h.view->GetDropState().dropIndicatorShown);
    EXPECT_EQ(empty.Drop(), DROPEFFECT_NONE);
    EXPECT_EQ(h.Text(), "ax\ny?b");
}

TEST(Transfer, DragScrollBandsAndTheDropCaret) {
    // 20 lines of 60 characters in a window of 10 x 5 cells (100 x 80 pixels), scrolled to the
    // middle both ways.
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += (i ? "\n" : "") + std::string(60, static_cast<char>('a' + i));
    EditHarness h(text, 10, 5);
    h.view->ScrollToTopLine(8, true);
    h.view->ScrollToColumn(20, true);
    struct Row {
        platform::Point at;
        int32_t top;
        int32_t column;
    };
    const Row rows[] = {
        {{50, 4}, 7, 20},  {{50, 5}, 8, 20},  {{50, 75}, 9, 20}, {{50, 74}, 8, 20},
        {{24, 40}, 8, 19}, {{25, 40}, 8, 20}, {{95, 40}, 8, 21}, {{94, 40}, 8, 20},
        {{2, 2}, 7, 20},   {{99, 79}, 9, 20}, // a corner scrolls vertically only
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.at.x) + "," + std::to_string(r.at.y));
        h.view->ScrollToTopLine(8, true);
        h.view->ScrollToColumn(20, true);
        HeadlessDrag drag(HeadlessData::FromOtherApplication(U"z"), DROPEFFECT_COPY);
        drag.MoveTo(*h.window, r.at);
        EXPECT_EQ(drag.Tick(), DROPEFFECT_COPY);
        EXPECT_EQ(h.view->GetTopLine(), r.top);
        EXPECT_EQ(h.view->GetFirstColumn(), r.column);
        // The drop caret stands where the text under the pointer is now drawn; over the margin
        // that text lies left of the window, and the caret is hidden.
        const platform::CaretState& caret = h.window->Caret();
        const TextPosition dropPos = h.view->GetDropState().dropPos;
        EXPECT_TRUE(caret.gray);
        EXPECT_EQ(caret.Visible(), dropPos.x >= h.view->GetFirstColumn());
        if (caret.Visible()) {
            EXPECT_EQ(caret.pos, h.view->TextPositionToPoint(dropPos));
        }
        drag.Cancel();
        EXPECT_FALSE(caret.gray);
        EXPECT_EQ(h.ScreenMismatch(), "");
    }
    // A drop position left of the window (the pointer over the margin of a view scrolled
    // sideways) hides the drop caret while the drag goes on.
    h.view->ScrollToTopLine(8, true);
    h.view->ScrollToColumn(5, true);
    HeadlessDrag drag(HeadlessData::FromOtherApplication(U"z"), DROPEFFECT_COPY);
    drag.MoveTo(*h.window, {4, 40});
    EXPECT_TRUE(h.view->GetDropState().dropIndicatorShown);
    EXPECT_EQ(h.view->GetDropState().dropPos, (TextPosition{3, 10}));
    EXPECT_FALSE(h.window->Caret().Visible());
    drag.MoveTo(*h.window, {50, 40});
    EXPECT_TRUE(h.window->Caret().Visible());
    drag.MoveTo(*h.window, {4, 40});
    EXPECT_FALSE(h.window->Caret().Visible());
    drag.Cancel();
    EXPECT_FALSE(h.window->Caret().gray);
    EXPECT_FALSE(h.view->GetDropState().dropIndicatorShown);
}

TEST(Transfer, CommandStates) {
    EditHarness h("ab|cd");
    const auto enabled = [&](uint32_t id) { return h.Update(id).enabled; };
    EXPECT_FALSE(enabled(view::ID_EDIT_COPY));
    EXPECT_FALSE(enabled(edit::ID_EDIT_CUT));
    EXPECT_FALSE(enabled(edit::ID_EDIT_PASTE));
    EXPECT_TRUE(enabled(view::ID_EDIT_SELECT_ALL));
    h.Keys("Shift+Left clip\"x\"");
    EXPECT_TRUE(enabled(view::ID_EDIT_COPY));
    EXPECT_TRUE(enabled(edit::ID_EDIT_CUT));
    EXPECT_TRUE(enabled(edit::ID_EDIT_PASTE));
    h.buffer.ChangeReadOnly(true);
    EXPECT_TRUE(enabled(view::ID_EDIT_COPY));
    EXPECT_FALSE(enabled(edit::ID_EDIT_CUT));
    EXPECT_FALSE(enabled(edit::ID_EDIT_PASTE));
    // Without a clipboard Copy and Paste do nothing and fail quietly.
    h.buffer.ChangeReadOnly(false);
    h.system.ClipboardOf(platform::ClipboardKind::Standard).SetRefuses(true);
    h.Keys("Ctrl+X");
    EXPECT_EQ(h.Marked(), "a|b^cd") << "a cut the clipboard refused keeps the text";
    EXPECT_EQ(h.ClipboardText(), "x");
}

TEST(Transfer, MouseSelectionEndsWithTheFocus) {
    EditHarness h("abc|\ndef");
    OtherView other(h);
    h.Keys("press(1,0) move(2,1)");
    ASSERT_TRUE(h.view->GetMouseSelection().mouseSelecting);
    EXPECT_EQ(h.system.CaptureWindow(), h.window.get());
    EXPECT_TRUE(h.window->Timers().contains(CTextView::AutoScrollTimerId));
    EXPECT_EQ(h.window->Timers().at(CTextView::AutoScrollTimerId), 100u);
    other.window->Focus();
    EXPECT_FALSE(h.view->GetMouseSelection().mouseSelecting);
    EXPECT_EQ(h.system.CaptureWindow(), nullptr);
    EXPECT_TRUE(h.window->Timers().empty());
    // The release that follows elsewhere changes nothing.
    h.window->MouseUp({80, 40});
    EXPECT_EQ(h.Marked(), "a^bc\nde|f");
}

} // namespace
} // namespace edittest
