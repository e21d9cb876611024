#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/headless/headless.h"
#include "platform/input.h"
#include "recording_wnd.h"

namespace platform::headless {
namespace {

using test::RecordingWnd;

struct Fixture : ::testing::Test {
    HeadlessSystem system;
    std::unique_ptr<HeadlessWindow> Make(Size size = {160, 96}) {
        return std::make_unique<HeadlessWindow>(system, std::make_unique<RecordingWnd>(), size);
    }
};

TEST_F(Fixture, CreationSendsCreateThenSizeAndRefusalLeavesNoWindow) {
    auto win = Make({100, 50});
    EXPECT_TRUE(win->IsCreated());
    EXPECT_EQ(win->As<RecordingWnd>().log, (std::vector<std::string>{"create", "size 100x50"}));

    auto refusing = std::make_unique<RecordingWnd>();
    refusing->refuseCreate = true;
    RecordingWnd* raw = refusing.get();
    {
        HeadlessWindow failed(system, std::move(refusing), {10, 10});
        EXPECT_FALSE(failed.IsCreated());
        EXPECT_FALSE(raw->IsWindow());
    }
    RecordingWnd detached;
    EXPECT_EQ(detached.GetClientRect(), Rect{});
    EXPECT_EQ(detached.SetTimer(1, 10), 0u) << "services without a window do nothing";
}

TEST_F(Fixture, TimersFireOnlyWhileRunningAndRestartWithANewPeriod) {
    auto win = Make();
    auto& wnd = win->As<RecordingWnd>();
    EXPECT_EQ(wnd.SetTimer(1001, 100), 1001u);
    EXPECT_EQ(wnd.SetTimer(1001, 50), 1001u);
    EXPECT_EQ(win->Timers().at(1001), 50u);
    EXPECT_TRUE(win->FireTimer(1001));
    EXPECT_TRUE(win->FireTimer(1001));
    EXPECT_TRUE(wnd.KillTimer(1001));
    EXPECT_FALSE(wnd.KillTimer(1001));
    EXPECT_FALSE(win->FireTimer(1001));
    EXPECT_EQ(wnd.timers, (std::vector<uint32_t>{1001, 1001}));
    EXPECT_EQ(wnd.SetTimer(0, 10), 0u) << "id 0 is refused";
}

TEST_F(Fixture, CaretShowsAndHidesInNestedPairsAndANewCaretStartsHidden) {
    auto win = Make();
    auto& wnd = win->As<RecordingWnd>();
    wnd.ShowCaret();
    EXPECT_FALSE(win->Caret().exists) << "no caret yet";
    wnd.CreateSolidCaret(2, 16);
    wnd.SetCaretPos({20, 32});
    EXPECT_FALSE(win->Caret().Visible());
    wnd.ShowCaret();
    EXPECT_TRUE(win->Caret().Visible());
    EXPECT_EQ(win->Caret().size, (Size{2, 16}));
    EXPECT_EQ(win->Caret().pos, (Point{20, 32}));
    wnd.HideCaret();
    wnd.HideCaret();
    wnd.ShowCaret();
    EXPECT_FALSE(win->Caret().Visible()) << "two hides need two shows";
    wnd.ShowCaret();
    EXPECT_TRUE(win->Caret().Visible());
    wnd.CreateSolidCaret(2, 16);
    EXPECT_FALSE(win->Caret().Visible());
    wnd.ShowCaret();
    EXPECT_TRUE(win->Caret().Visible());
    wnd.DestroyCaret();
    EXPECT_FALSE(win->Caret().exists);
}

TEST_F(Fixture, AWindowScrollCarriesTheCaretWithThePixels) {
    // A 160 x 96 window whose left 20 pixels do not scroll sideways (a margin).
    const Rect textArea{20, 0, 160, 96};
    struct Case {
        const char* what;
        Point caret;
        int32_t dx;
        int32_t dy;
        const Rect* area;
        Point after;
    };
    const Case cases[] = {
        {"inside, down a row", {36, 32}, 0, 16, nullptr, {36, 48}},
        {"inside, out at the top", {36, 32}, 0, -48, nullptr, {36, -16}},
        {"outside above, back in", {36, -16}, 0, 48, nullptr, {36, 32}},
        {"far below, further than the window is high", {36, 400}, 0, -400, nullptr, {36, 0}},
        {"text area sideways", {44, 32}, -8, 0, &textArea, {36, 32}},
        {"over the margin, which does not scroll", {4, 32}, 8, 0, &textArea, {4, 32}},
        {"right of the window", {200, 32}, 0, 16, nullptr, {200, 48}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto win = Make();
        auto& wnd = win->As<RecordingWnd>();
        wnd.CreateSolidCaret(2, 16);
        wnd.SetCaretPos(c.caret);
        wnd.ShowCaret();
        wnd.ScrollWindow(c.dx, c.dy, c.area, c.area);
        EXPECT_EQ(win->Caret().pos, c.after);
        EXPECT_TRUE(win->Caret().Visible()) << "shown again after the scroll";
        EXPECT_EQ(win->Scrolls().back().dy, std::clamp(c.dy, -96, 96))
            << "the pixels move at most the window's extent";
    }
    // A hidden caret moves too, and stays hidden.
    auto win = Make();
    auto& wnd = win->As<RecordingWnd>();
    wnd.CreateSolidCaret(2, 16);
    wnd.SetCaretPos({36, 32});
    wnd.ScrollWindow(0, -16);
    EXPECT_EQ(win->Caret().pos, (Point{36, 16}));
    EXPECT_EQ(win->Caret().hideCount, 1);
}

TEST_F(Fixture, FocusMovesWithKillBeforeSetAndLeavesWithADestroyedWindow) {
    auto a = Make();
    auto b = Make();
    auto& wa = a->As<RecordingWnd>();
    auto& wb = b->As<RecordingWnd>();
    a->Focus();
    EXPECT_EQ(wa.GetFocus(), &wa);
    b->Focus();
    EXPECT_EQ(wa.log.back(), "killfocus");
    EXPECT_EQ(wa.lastNewFocus, &wb);
    EXPECT_EQ(wb.lastOldFocus, &wa);
    EXPECT_EQ(wa.GetFocus(), &wb);
    int32_t destroyed = 0;
    wb.destroyed = &destroyed;
    b.reset();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(wa.GetFocus(), nullptr);
}

TEST_F(Fixture, AcceleratorKeysBecomeCommandsAndOtherKeysKeyDowns) {
    const AccelTable table{{FVIRTKEY | FSHIFT, VK_DELETE, 57635}, {FVIRTKEY, VK_DELETE, 37000}};
    auto win = Make();
    auto& wnd = win->As<RecordingWnd>();
    wnd.accelerators = &table;
    win->PressKey(VK_DELETE, ModShift);
    EXPECT_LT(wnd.shiftDuringCommand, 0) << "handlers see the modifiers through GetKeyState";
    win->PressKey(VK_DELETE);
    win->PressKey(VK_DELETE, ModControl);
    win->PressKey(VK_F2);
    EXPECT_EQ(wnd.commands, (std::vector<uint32_t>{57635, 37000}));
    EXPECT_EQ(wnd.keys, (std::vector<uint32_t>{VK_DELETE, VK_F2}));
    EXPECT_EQ(wnd.GetKeyState(VK_SHIFT), 0) << "released after the key";
}

TEST_F(Fixture, KeyPressesReachTheWindowByOneRule) {
    const AccelTable table{{FVIRTKEY | FCONTROL, 'C', 57634}, {FVIRTKEY, VK_TAB, 37003}};
    struct Case {
        const char* what;
        uint32_t vk;
        uint32_t modifiers;
        std::u32string text;
        std::vector<uint32_t> commands;
        std::vector<uint32_t> keys;
        std::vector<uint32_t> chars;
    };
    const Case cases[] = {
        {"a letter: key, then its character", 'A', ModNone, U"a", {}, {'A'}, {'a'}},
        {"an accelerator is used up", 'C', ModControl, U"\x03", {57634}, {}, {}},
        {"Tab from the table types no tab", VK_TAB, ModNone, U"\t", {37003}, {}, {}},
        {"Alt with a key types nothing", 'X', ModAlt, U"x", {}, {'X'}, {}},
        {"Delete is a key, never text", VK_DELETE, ModNone, U"\x7F", {}, {VK_DELETE}, {}},
        {"a key without a code still types", 0, ModShift, U"?", {}, {}, {'?'}},
        {"Enter: the key, then character 13", VK_RETURN, ModNone, U"\r", {}, {VK_RETURN}, {13}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto win = Make();
        auto& wnd = win->As<RecordingWnd>();
        wnd.accelerators = &table;
        win->PressKey(c.vk, c.modifiers, c.text);
        EXPECT_EQ(wnd.commands, c.commands);
        EXPECT_EQ(wnd.keys, c.keys);
        EXPECT_EQ(wnd.chars, c.chars);
        EXPECT_EQ(WindowClaimsKey(wnd, c.vk, c.modifiers), !c.commands.empty());
    }
}

TEST_F(Fixture, TypedTextArrivesThroughTheInputCodePage) {
    struct Case {
        CodePage page;
        std::u32string typed;
        std::vector<uint32_t> bytes;
    };
    const Case cases[] = {
        {CodePage::Windows1252, U"a\u20AC\u00E9", {'a', 0x80, 0xE9}},
        {CodePage::Windows1252, U"\u0416x\u4E00", {'x'}},
        {CodePage::Windows1251, U"\u0416\u20AC\u00E9", {0xC6, 0x88}},
        {CodePage::Windows1251, U"\r", {13}},
        {CodePage::Windows1252, U"a\x7F", {'a'}},
    };
    for (const Case& c : cases) {
        auto win = Make();
        auto& wnd = win->As<RecordingWnd>();
        wnd.inputPage = c.page;
        win->TypeText(c.typed);
        EXPECT_EQ(wnd.chars, c.bytes);
    }
}

TEST_F(Fixture, CaptureAndCursorAreRecorded) {
    auto win = Make();
    auto& wnd = win->As<RecordingWnd>();
    wnd.setCursor = [&wnd] {
        wnd.SetCursor(wnd.GetCursorPos().x < 20 ? IDC_MARGIN : IDC_IBEAM);
        return true;
    };
    win->MouseMove({5, 5});
    EXPECT_EQ(win->Cursor(), IDC_MARGIN);
    win->MouseMove({50, 5});
    EXPECT_EQ(win->Cursor(), IDC_IBEAM);
    wnd.setCursor = nullptr;
    win->MouseMove({50, 5});
    EXPECT_EQ(win->Cursor(), IDC_ARROW) << "an unhandled pointer gets the arrow";

    wnd.SetCapture();
    EXPECT_EQ(wnd.GetCapture(), &wnd);
    wnd.ReleaseCapture();
    EXPECT_EQ(wnd.GetCapture(), nullptr);
    wnd.SetCapture();
    win.reset();
    EXPECT_EQ(system.GetCapture(), nullptr) << "a destroyed window loses the capture";
}

TEST_F(Fixture, AnUnhandledWheelScrollsTheDesktopsLinesANotch) {
    struct Case {
        const char* what;
        int32_t linesPerNotch;
        std::vector<int32_t> turns;
        // Lines scrolled, down positive, at each turn; 0 sends nothing at all.
        std::vector<int32_t> lines;
    };
    const Case cases[] = {
        {"two notches down", 3, {-2 * WHEEL_DELTA}, {3 * 2}},
        {"one notch up", 3, {WHEEL_DELTA}, {-3}},
        {"the desktop's setting", 5, {-WHEEL_DELTA}, {5}},
        {"fine turns add up", 3, {-20, -20, -20}, {0, 1, 0}},
        {"turning back starts afresh", 1, {-60, 60, 60}, {0, 0, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        system.SetWheelScrollLines(c.linesPerNotch);
        auto win = Make();
        auto& wnd = win->As<RecordingWnd>();
        for (size_t i = 0; i < c.turns.size(); ++i) {
            wnd.vscrolls.clear();
            EXPECT_FALSE(win->Wheel(c.turns[i], {5, 5}));
            const int32_t n = c.lines[i] < 0 ? -c.lines[i] : c.lines[i];
            if (n == 0) {
                EXPECT_TRUE(wnd.vscrolls.empty()) << "turn " << i;
                continue;
            }
            ASSERT_EQ(wnd.vscrolls.size(), static_cast<size_t>(n) + 1) << "turn " << i;
            EXPECT_EQ(wnd.vscrolls.front().first, c.lines[i] > 0 ? SB_LINEDOWN : SB_LINEUP);
            EXPECT_EQ(wnd.vscrolls.back().first, SB_ENDSCROLL);
        }
    }
}

TEST_F(Fixture, ResizeUpdatesScrollBarsThroughOnSize) {
    auto win = Make({100, 160});
    auto& wnd = win->As<RecordingWnd>();
    wnd.size = [&wnd](int32_t, int32_t cy) {
        ScrollInfo si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
        si.nMin = 0;
        si.nMax = 19; // twenty lines of 16 pixels
        si.nPage = static_cast<uint32_t>(cy / 16);
        wnd.SetScrollInfo(SB_VERT, si);
    };
    win->Resize({100, 320});
    EXPECT_FALSE(win->OwnScrollBar(SB_VERT).State().IsEnabled());
    win->Resize({100, 160});
    EXPECT_TRUE(win->OwnScrollBar(SB_VERT).State().IsEnabled());
    EXPECT_EQ(win->OwnScrollBar(SB_VERT).State().Page(), 10u);
    EXPECT_EQ(wnd.GetScrollBarCtrl(SB_VERT), nullptr) << "own bars are not shared";
}

TEST_F(Fixture, PaintingLeavesWhatOnDrawDoesNotTouchAndColourChangesAreSent) {
    auto win = Make({32, 32});
    auto& wnd = win->As<RecordingWnd>();
    wnd.draw = [](Surface& dc) { dc.FillSolidRect({0, 0, 32, 32}, 0x0000FF); };
    ASSERT_TRUE(win->Paint());
    // The second paint covers only the left half; an erased background would show on the right.
    wnd.draw = [](Surface& dc) { dc.FillSolidRect({0, 0, 16, 32}, 0x00FF00); };
    wnd.Invalidate(true);
    ASSERT_TRUE(win->Paint());
    EXPECT_EQ(win->Screen().At(4, 4).back, 0x00FF00u);
    EXPECT_EQ(win->Screen().At(24, 4).back, 0x0000FFu);

    system.SetSysColor(COLOR_WINDOW, 0x202020);
    win->SysColorChange();
    EXPECT_EQ(wnd.sysColorChanges, 1);
    EXPECT_EQ(wnd.GetSysColor(COLOR_WINDOW), 0x202020u);
}

} // namespace
} // namespace platform::headless
