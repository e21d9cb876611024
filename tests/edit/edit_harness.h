// An edit view on the headless backend, driven through the window as a user would: key presses
// go through PreTranslateKey and the accelerator table, characters through OnChar.
//
// Texts with markers: lines are separated by '\n' (or "\n"), "\t" stands for a tab, "\xHH" for any
// byte (marked texts show control bytes and bytes from 0x7F on that way), '|' marks the caret and
// '^' the other end of a non-empty selection. Key scripts are words separated by blanks:
// key names with modifiers ("Left", "Shift+End", "Ctrl+Shift+Home", "Alt+Backspace", "Ctrl+Z"),
// "Enter", quoted text that is typed ("ab x"), paste"text", which puts the text on the clipboard
// and pastes it with Ctrl+V, clip"text" and primary"text", which only put it on the clipboard or
// the primary selection (as this application's text; foreign"text" as another application's).
//
// Mouse words take a point in cells: (c,r) is the top left pixel of text cell c of row r, counted
// from the first text column right of the margin; fractions reach inside a cell ((2.5,0) is the
// middle of cell 2) and negative columns reach into the margin ((-1,3) lies in the margin).
// press, release, move and dblclick are the left button, rpress and mpress the right and middle
// buttons; each may carry Shift+ and Ctrl+. "tick" fires the auto-scroll timer. drop(c,r) makes
// the next drag out of the view drop at that point of the same window (Ctrl+drop copies); the
// drag starts at the next move after a press inside the selection.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/textbuffer.h"
#include "edit/editview.h"
#include "platform/headless/headless.h"
#include "syntax/z80parser.h"

namespace edittest {

using platform::headless::HeadlessSystem;
using platform::headless::HeadlessWindow;

// An edit view coloured by the Z80 parser, with a colour of its own for every logical colour, so
// that every pixel tells which colour painted it.
class TestEditView : public CTextEditView {
public:
    uint32_t ColorizeLine(uint32_t state, int32_t line, TextBlock* blocks,
                          int32_t& count) override {
        return ColorizeZ80Line(state, GetLineText(line), TextLineLength(line), blocks, count);
    }
    platform::ColorRef ColorOf(int32_t index) override {
        return 0x400000 + static_cast<platform::ColorRef>(index);
    }
    TextPosition Anchor() const { return anchor; }
    bool CaretSuppressed() const { return caretHidden; }
};

// A caret, and the other end of the selection when there is one.
struct Marks {
    TextPosition caret;
    bool hasAnchor = false;
    TextPosition anchor;
};

// Splits a marked text into its plain text (lines joined by '\n') and its marks.
std::string ParseMarkedText(std::string_view marked, Marks& marks);

// The marked form of a plain text (lines joined by '\n') with a caret and a selection.
std::string MarkText(std::string_view text, TextPosition caret, TextPosition selStart,
                     TextPosition selEnd);

class EditHarness {
public:
    EditHarness(std::string_view markedText, int32_t columns = 40, int32_t rows = 10);
    EditHarness(const EditHarness&) = delete;
    EditHarness& operator=(const EditHarness&) = delete;

    // The buffer's lines joined by '\n'.
    std::string Text() const;
    // The text with the caret and the selection marked.
    std::string Marked() const;
    // Replaces the text and the marks; the history starts empty.
    void SetMarked(std::string_view markedText);
    // Runs a key script; a word it does not know fails the test.
    void Keys(std::string_view script);
    void PressKey(uint32_t vk, uint32_t modifiers = platform::ModNone);
    // The client point of cell (column, row) as mouse words give it.
    static platform::Point CellPoint(double column, double row);
    // The text on the clipboard of `kind` as this application put it, CR LF shown as '\n'.
    std::string ClipboardText(platform::ClipboardKind kind = platform::ClipboardKind::Standard);
    // The names of the undo steps, newest first, read by undoing them all; the redo history
    // then holds them all again.
    std::vector<std::string> UndoAll();
    void RedoAll();
    CmdUI Update(uint32_t id, CmdUI::Element element = CmdUI::Element::MenuItem) const;
    // Paints what is invalid, as the message loop would, then compares the window with a full
    // repaint of a fresh view on the same buffer, scroll position, selection and focus, and the
    // caret with its text position: a visible caret stands where its text position is drawn,
    // and the caret is visible exactly when the view has the focus and the caret's column is not
    // left of the window. Empty when all agree, otherwise what differs.
    std::string ScreenMismatch();

    // Called by Keys after each key, typed text or paste, with the script word.
    std::function<void(std::string_view step)> afterStep;

    HeadlessSystem system;
    CTextBuffer buffer;
    TestEditView* view = nullptr;
    std::unique_ptr<HeadlessWindow> window;
};

} // namespace edittest
