// The in-memory window backend: windows with a recorded screen, manual timers, a recorded caret,
// cursor and capture, scroll bars that can be read and driven, and a splitter. Nothing happens
// by itself: a test sends the events (keys, mouse, scroll actions, timer ticks) and paints.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/headless/cellgrid.h"
#include "platform/splitter.h"
#include "platform/wnd.h"

namespace platform::headless {

class HeadlessSplitter;
class HeadlessWindow;

class HeadlessSystem final : public WindowSystem {
public:
    HeadlessSystem();

    ColorRef GetSysColor(int32_t index) const override;
    int16_t GetKeyState(uint32_t vk) const override;
    std::unique_ptr<Font> CreateFontIndirect(const LogFont& font) override;
    std::unique_ptr<ImageList> CreateImageList(const BitmapData& strip, int32_t imageWidth,
                                               ColorRef mask) override;
    Wnd* GetFocus() const override;
    Wnd* GetCapture() const override;
    void ReleaseCapture() override { capture_ = nullptr; }

    void SetSysColor(int32_t index, ColorRef color) { colors_[index] = color; }
    void SetKeyDown(uint32_t vk, bool down);
    // Shift, Ctrl and Alt as KeyModifier bits.
    void SetModifiers(uint32_t modifiers);
    // While set, CreateFontIndirect fails.
    void SetFontCreationFails(bool fails) { fontFails_ = fails; }

    HeadlessWindow* FocusWindow() const { return focus_; }
    HeadlessWindow* CaptureWindow() const { return capture_; }

private:
    friend class HeadlessWindow;

    std::map<int32_t, ColorRef> colors_;
    std::map<uint32_t, bool> keys_;
    bool fontFails_ = false;
    HeadlessWindow* focus_ = nullptr;
    HeadlessWindow* capture_ = nullptr;
};

class HeadlessScrollBar final : public ScrollBar {
public:
    int32_t SetScrollInfo(const ScrollInfo& info, bool redraw) override;
    bool GetScrollInfo(ScrollInfo& info) const override { return state_.GetScrollInfo(info); }
    void EnableScrollBar(uint32_t esbFlags) override { state_.Enable(esbFlags); }
    const ScrollBarState& State() const override { return state_; }
    ScrollBarState& MutableState() { return state_; }

private:
    ScrollBarState state_;
};

// One call of InvalidateRect, as the window received it (null rect: the client area).
struct Invalidation {
    Rect rect;
    bool erase = false;
};

// One call of ScrollWindow, with null rectangles given as the client area.
struct ScrollRecord {
    int32_t dx = 0;
    int32_t dy = 0;
    Rect scrollRect;
    Rect clipRect;
};

class HeadlessWindow final : public WndHost {
public:
    // Hosts `wnd` with a client area of `size`: attaches it, sends OnCreate and OnSize. When
    // OnCreate refuses, the window is detached again and IsCreated() is false.
    // A splitter passes itself and the pane's cell: the pane then uses the splitter's shared bars
    // and answers its pane id.
    HeadlessWindow(HeadlessSystem& system, std::unique_ptr<Wnd> wnd, Size size,
                   HeadlessSplitter* splitter = nullptr, PaneCell cell = {});
    // Sends OnKillFocus (if focused) and OnDestroy, then detaches and deletes the engine window.
    ~HeadlessWindow() override;

    bool IsCreated() const { return created_; }
    Wnd& GetWnd() { return *wnd_; }
    template <typename T> T& As() { return static_cast<T&>(*wnd_); }

    // --- What a user or the message loop does. ---
    void Resize(Size size);
    // Paints the invalid area: OnDraw on the screen, clipped to it, with no erasing first (pixels
    // OnDraw leaves alone keep what they showed). False when nothing was invalid.
    bool Paint();
    void Focus() { SetFocus(); }
    // A key press: PreTranslateKey with `modifiers`, then OnKeyDown if not used up; Shift, Ctrl and
    // Alt read as down through GetKeyState meanwhile.
    void PressKey(uint32_t vk, uint32_t modifiers = ModNone);
    // Typed text through the window's input code page; characters it cannot show are dropped.
    void TypeText(std::u32string_view text);
    void MouseDown(Point p, uint32_t flags = MK_LBUTTON);
    void MouseUp(Point p, uint32_t flags = 0);
    void DoubleClick(Point p, uint32_t flags = MK_LBUTTON);
    void MouseMove(Point p, uint32_t flags = 0);
    // True when OnMouseWheel took it; otherwise the vertical bar scrolled three lines a notch.
    bool Wheel(int32_t delta, Point p, uint32_t flags = 0);
    // A scroll action on the window's bar (or, in a splitter, on the shared bar of its row or
    // column, reaching every pane that shares it). For thumb codes `pos` becomes the track pos.
    void Scroll(int32_t bar, uint32_t code, int32_t pos = 0);
    // Fires timer `id` once; false when it is not running.
    bool FireTimer(uint32_t id);
    // The system colours changed (set the new ones with HeadlessSystem::SetSysColor first):
    // sends OnSysColorChange.
    void SysColorChange();

    // --- What a test reads. ---
    const CellGrid& Screen() const { return screen_; }
    const std::vector<Rect>& InvalidArea() const { return invalid_; }
    const std::vector<Invalidation>& Invalidations() const { return invalidations_; }
    void ClearInvalidations() { invalidations_.clear(); }
    const std::vector<ScrollRecord>& Scrolls() const { return scrolls_; }
    const CaretState& Caret() const { return wnd_->GetCaret(); }
    const std::map<uint32_t, uint32_t>& Timers() const { return timers_; }
    int32_t Cursor() const { return cursor_; }
    int32_t PaintCount() const { return paints_; }
    HeadlessScrollBar& OwnScrollBar(int32_t bar) { return bar == SB_VERT ? vbar_ : hbar_; }
    void SetDlgCtrlID(int32_t id) { id_ = id; }

    // --- WndHost ---
    WindowSystem& System() override { return system_; }
    Rect GetClientRect() const override { return {0, 0, size_.cx, size_.cy}; }
    void InvalidateRect(const Rect* rect, bool erase) override;
    void ScrollWindow(int32_t dx, int32_t dy, const Rect* scrollRect,
                      const Rect* clipRect) override;
    void UpdateWindow() override { Paint(); }
    ScrollBar* GetScrollBar(int32_t bar) override;
    ScrollBar* GetSharedScrollBar(int32_t bar) override;
    void SetCapture() override { system_.capture_ = this; }
    uint32_t SetTimer(uint32_t id, uint32_t elapseMs) override;
    bool KillTimer(uint32_t id) override { return timers_.erase(id) > 0; }
    void SetCursor(int32_t cursorId) override { cursor_ = cursorId; }
    void SetFocus() override;
    Point GetCursorPos() const override { return cursorPos_; }
    std::unique_ptr<Surface> GetDC() override;
    Font* GetFont() override { return &DefaultFont(); }
    int32_t GetDlgCtrlID() const override;
    Splitter* GetParentSplitter() override;

private:
    friend class HeadlessSplitter;

    void PointerAt(Point p);

    HeadlessSystem& system_;
    std::unique_ptr<Wnd> wnd_;
    Size size_;
    bool created_ = false;
    CellGrid screen_;
    std::vector<Rect> invalid_;
    std::vector<Invalidation> invalidations_;
    std::vector<ScrollRecord> scrolls_;
    HeadlessScrollBar vbar_;
    HeadlessScrollBar hbar_;
    std::map<uint32_t, uint32_t> timers_;
    int32_t cursor_ = IDC_ARROW;
    Point cursorPos_;
    int32_t paints_ = 0;
    int32_t id_ = 0;
    HeadlessSplitter* splitter_ = nullptr;
    PaneCell cell_;
};

// A splitter whose panes are headless windows. The geometry follows SplitterLayout with 16-pixel
// scroll bars, 8-pixel split boxes and a 6-pixel gap between panes.
class HeadlessSplitter final : public Splitter {
public:
    static constexpr int32_t kScrollBarExtent = 16;
    static constexpr int32_t kSplitBoxSize = 8;
    static constexpr int32_t kBarGap = 6;

    // Creates the first pane (row 0, column 0) from the factory and sends it OnInitialUpdate.
    HeadlessSplitter(HeadlessSystem& system, PaneFactory factory, Size size);
    ~HeadlessSplitter() override;

    int32_t GetRowCount() const override { return layout_.Rows(); }
    int32_t GetColumnCount() const override { return layout_.Columns(); }
    Wnd* GetPane(int32_t row, int32_t col) const override;
    bool SplitRow(int32_t y) override;
    bool SplitColumn(int32_t x) override;
    bool DeleteRow(int32_t row) override;
    bool DeleteColumn(int32_t col) override;
    ScrollBar* GetRowScrollBar(int32_t row) const override;
    ScrollBar* GetColumnScrollBar(int32_t col) const override;

    void Resize(Size size);
    HeadlessWindow* PaneWindow(int32_t row, int32_t col) const;
    const SplitterLayout& Layout() const { return layout_; }
    // A scroll action on the shared bar of a row (vertical) or a column (horizontal).
    void ScrollRow(int32_t row, uint32_t code, int32_t pos = 0);
    void ScrollColumn(int32_t col, uint32_t code, int32_t pos = 0);
    // Sends OnSysColorChange to every pane.
    void SysColorChange();

private:
    std::unique_ptr<HeadlessWindow> MakePane(int32_t row, int32_t col);
    void Relayout();

    HeadlessSystem& system_;
    PaneFactory factory_;
    SplitterLayout layout_;
    std::array<std::array<std::unique_ptr<HeadlessWindow>, kMaxColumns>, kMaxRows> panes_;
    std::array<std::unique_ptr<HeadlessScrollBar>, kMaxRows> rowBars_;
    std::array<std::unique_ptr<HeadlessScrollBar>, kMaxColumns> colBars_;
};

} // namespace platform::headless
