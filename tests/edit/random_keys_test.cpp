// Random keystrokes on a small document: every key of the view's accelerator table (Copy, Cut and
// Paste with the in-memory clipboard among them), printable characters and Enter delivered
// through the window, with the one-line scrolls (Ctrl+Up/Down), actions on both scroll bars,
// turns of the wheel, and the mouse: presses, moves, releases and double clicks anywhere in and
// around the window with Shift and Ctrl, auto-scroll ticks, the right and middle buttons, and drags
// of the selection that drop somewhere in the window (copying with Ctrl) or are given up. One run
// checks after every step that the window shows what a full repaint of a fresh view shows, with the
// caret on its text (in a small window, so that it scrolls often both ways); a longer one checks
// that undoing every step gives back the original text byte for byte, and redoing them the edited
// text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "edit_harness.h"
#include "view/viewresources.h"

namespace edittest {
namespace {

constexpr const char* kDocument = "; sample\n"
                                  "start:\tld\thl,table\n"
                                  "  \tld b,8\n"
                                  "\n"
                                  "loop:  add a,(hl)  ; sum\n"
                                  "\tdjnz loop\n"
                                  "    ret|";

bool Inside(const CTextBuffer& buffer, TextPosition p) {
    return p.y >= 0 && p.y < buffer.LineCount() && p.x >= 0 && p.x <= buffer.LineLength(p.y);
}

struct Run {
    int32_t columns;
    int32_t rows;
    int keys;
    bool checkScreen; // after every step
};

// A point in or around the window: the margin, the text, and a little beyond every edge.
platform::Point RandomPoint(std::mt19937& random, const Run& run) {
    const auto in = [&](double from, double to) {
        return std::uniform_real_distribution<double>(from, to)(random);
    };
    return EditHarness::CellPoint(in(-4, run.columns + 2), in(-2.5, run.rows + 2.5));
}

// One thing done with the mouse; returns what, for the failure message.
std::string MouseStep(EditHarness& h, std::mt19937& random, const Run& run, size_t kind) {
    const platform::Point p = RandomPoint(random, run);
    const auto pick = [&](uint32_t count) {
        return std::uniform_int_distribution<uint32_t>(0, count - 1)(random);
    };
    uint32_t flags = 0;
    if (pick(4) == 0)
        flags |= platform::MK_SHIFT;
    if (pick(5) == 0)
        flags |= platform::MK_CONTROL;
    const bool held = h.system.GetKeyState(platform::VK_LBUTTON) < 0;
    const std::string at = " at " + std::to_string(p.x) + "," + std::to_string(p.y) + " flags " +
                           std::to_string(flags);
    switch (kind) {
    case 0:
        h.window->MouseDown(p, flags | platform::MK_LBUTTON);
        return "press" + at;
    case 1:
    case 2:
        h.window->MouseMove(p, flags | (held ? platform::MK_LBUTTON : 0u));
        return "move" + at;
    case 3:
        h.window->MouseUp(p, flags);
        return "release" + at;
    case 4:
        if (pick(2) == 0) {
            h.window->DoubleClick(p, flags);
            return "double click" + at;
        }
        if (pick(2) == 0) {
            h.window->RightDown(p, flags);
            return "right button" + at;
        }
        h.system.ClipboardOf(platform::ClipboardKind::Selection).SetText("m\r\n", {});
        h.window->MiddleDown(p, flags);
        return "middle button" + at;
    case 5:
        h.window->FireTimer(CTextView::AutoScrollTimerId);
        return "tick";
    default: {
        // A press inside the selection and a move: the selection is dragged.
        TextPosition start;
        TextPosition end;
        h.view->GetSelectedRange(start, end);
        if (start == end || held)
            return "no drag";
        const platform::Point in = h.view->TextPositionToPoint(start);
        h.window->MouseDown({in.x + 1, in.y + 1}, flags & platform::MK_CONTROL);
        h.window->MouseMove(p, platform::MK_LBUTTON);
        return "drag from " + std::to_string(start.x) + "," + std::to_string(start.y) + " to" + at;
    }
    }
}

void RunRandomKeys(uint32_t seed, const Run& run) {
    SCOPED_TRACE("seed " + std::to_string(seed) + " (VELMORA_SEED=" + std::to_string(seed) +
                 " repeats it)");
    EditHarness h(kDocument, run.columns, run.rows);
    // Every step must stay in the history for the round trip.
    h.buffer.SetUndoCapacity(1 << 20);
    const std::string original = h.Text();
    const std::vector<platform::Accel>& table = view::ViewAcceleratorTable().Entries();
    const std::string printable = "  abcxyz_019;,.()+$%\"'\xE9\xA0";
    std::mt19937 random(seed);
    const auto pick = [&](size_t count) {
        return std::uniform_int_distribution<size_t>(0, count - 1)(random);
    };

    // A drag that starts drops at a random point, or is given up now and then; the button is up
    // afterwards either way.
    h.system.SetDragScript([&](platform::headless::HeadlessDrag& drag) {
        const platform::Point p = RandomPoint(random, run);
        const uint32_t keys = pick(2) == 0 ? platform::MK_CONTROL : 0u;
        drag.MoveTo(*h.window, p, keys | platform::MK_LBUTTON);
        if (pick(3) == 0)
            drag.Tick();
        if (pick(6) != 0)
            drag.Drop(keys);
        h.system.SetKeyDown(platform::VK_LBUTTON, false);
    });
    const uint32_t barCodes[] = {
        platform::SB_LINEUP,   platform::SB_LINEDOWN,   platform::SB_PAGEUP,
        platform::SB_PAGEDOWN, platform::SB_THUMBTRACK, platform::SB_THUMBPOSITION,
        platform::SB_TOP,      platform::SB_BOTTOM,     platform::SB_ENDSCROLL};
    for (int i = 0; i < run.keys; ++i) {
        const size_t kind = pick(23);
        std::string what;
        if (kind >= 16) {
            what = MouseStep(h, random, run, kind - 16);
        } else if (kind >= 10 && kind < 12) {
            const bool up = pick(2) == 0;
            what = up ? "Ctrl+Up" : "Ctrl+Down";
            h.PressKey(up ? platform::VK_UP : platform::VK_DOWN, platform::ModControl);
        } else if (kind >= 12 && kind < 15) {
            const int32_t bar = kind == 14 ? platform::SB_VERT : platform::SB_HORZ;
            const uint32_t code = barCodes[pick(std::size(barCodes))];
            const auto pos = static_cast<int32_t>(pick(40));
            what = std::string(bar == platform::SB_VERT ? "vertical" : "horizontal") +
                   " bar code " + std::to_string(code) + " pos " + std::to_string(pos);
            h.window->Scroll(bar, code, pos);
        } else if (kind == 15) {
            const int32_t delta = (static_cast<int32_t>(pick(5)) - 2) * platform::WHEEL_DELTA / 2;
            what = "wheel " + std::to_string(delta);
            h.window->Wheel(delta, {40, 20});
        } else if (kind < 5) {
            const platform::Accel& key = table[pick(table.size())];
            what = "key " + std::to_string(key.key) + " mods " + std::to_string(key.fVirt);
            h.PressKey(key.key, key.fVirt & platform::ModMask);
        } else if (kind < 9) {
            const auto c = static_cast<unsigned char>(printable[pick(printable.size())]);
            what = "char " + std::to_string(c);
            // Latin-1 code points are the same bytes in the view's code page.
            h.window->TypeText(std::u32string(1, static_cast<char32_t>(c)));
        } else {
            what = "Enter";
            h.Keys("Enter");
        }
        if (const std::string mismatch = run.checkScreen ? h.ScreenMismatch() : std::string();
            !mismatch.empty()) {
            ADD_FAILURE() << "after step " << i << " (" << what << "):\n" << mismatch;
            return;
        }
        TextPosition start;
        TextPosition end;
        h.view->GetSelectedRange(start, end);
        const bool ok = Inside(h.buffer, h.view->GetCaretPos()) && Inside(h.buffer, start) &&
                        Inside(h.buffer, end) && Inside(h.buffer, h.view->Anchor());
        if (!ok) {
            ADD_FAILURE() << "position outside the text after step " << i << " (" << what << "):\n"
                          << h.Marked();
            return;
        }
    }

    h.window->MouseUp({0, 0});
    h.system.SetDragScript(nullptr);
    const std::string edited = h.Text();
    const int applied = h.buffer.AppliedCount();
    h.UndoAll();
    EXPECT_EQ(h.Text(), original);
    while (h.buffer.AppliedCount() < applied && h.buffer.HasRedo())
        h.view->OnEditRedo();
    EXPECT_EQ(h.buffer.AppliedCount(), applied);
    EXPECT_EQ(h.Text(), edited);
    h.RedoAll();
    h.UndoAll();
    EXPECT_EQ(h.Text(), original);
}

void RunSeeds(const Run& run) {
    if (const char* env = std::getenv("VELMORA_SEED")) {
        RunRandomKeys(static_cast<uint32_t>(std::strtoul(env, nullptr, 10)), run);
        return;
    }
    for (uint32_t seed = 1; seed <= 8; ++seed)
        RunRandomKeys(seed, run);
}

TEST(EditRandomKeys, ScreenMatchesAFullRepaintAfterEveryStep) {
    RunSeeds({16, 4, 1000, true});
}

TEST(EditRandomKeys, UndoAllRestoresRedoAllReplays) {
    RunSeeds({24, 6, 4000, false});
}

} // namespace
} // namespace edittest
