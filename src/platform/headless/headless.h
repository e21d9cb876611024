// The in-memory window backend: windows with a recorded screen, manual timers, a recorded caret,
// cursor and capture, scroll bars that can be read and driven, and a splitter. Nothing happens
// by itself: a test sends the events (keys, mouse, scroll actions, timer ticks) and paints.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/dragdrop.h"
#include "platform/headless/cellgrid.h"
#include "platform/headless/headless_transfer.h"
#include "platform/input.h"
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
    int32_t GetWheelScrollLines() const override { return wheelLines_; }
    void SetWheelScrollLines(int32_t lines) { wheelLines_ = lines; }

    HeadlessWindow* FocusWindow() const { return focus_; }
    HeadlessWindow* CaptureWindow() const { return capture_; }

    // ---- Clipboards and drags.
    // Both kinds exist unless SetHasSelection(false) takes the primary selection away.
    Clipboard* GetClipboard(ClipboardKind kind) override;
    HeadlessClipboard& ClipboardOf(ClipboardKind kind) {
        return kind == ClipboardKind::Selection ? selection_ : clipboard_;
    }
    void SetHasSelection(bool has) { hasSelection_ = has; }
    // Runs the drag script with a drag of the text; what the script leaves running is cancelled.
    uint32_t DoDragDrop(Wnd& source, std::string bytes, CodePage page, uint32_t allowed) override;
    // What the user does with the next drags, called with each as it starts; without a script a
    // drag is given up at once.
    void SetDragScript(std::function<void(HeadlessDrag&)> script) {
        dragScript_ = std::move(script);
    }
    // One drag that was started, as it ended.
    struct DragRecord {
        std::string bytes;
        uint32_t allowed = 0;
        uint32_t result = 0;
    };
    const std::vector<DragRecord>& Drags() const { return drags_; }

private:
    friend class HeadlessWindow;

    std::map<int32_t, ColorRef> colors_;
    std::map<uint32_t, bool> keys_;
    bool fontFails_ = false;
    int32_t wheelLines_ = 3;
    HeadlessWindow* focus_ = nullptr;
    HeadlessWindow* capture_ = nullptr;
    HeadlessClipboard clipboard_;
    HeadlessClipboard selection_;
    bool hasSelection_ = true;
    std::function<void(HeadlessDrag&)> dragScript_;
    std::vector<DragRecord> drags_;
};

class HeadlessScrollBar final : public ScrollBar {
public:
    int32_t SetScrollInfo(const ScrollInfo& info, bool redraw) override;
    bool GetScrollInfo(ScrollInfo& info) const override { return state_.GetScrollInfo(info); }
    void EnableScrollBar(uint32_t esbFlags) override { state_.Enable(esbFlags); }
    void SetTrackPos(int32_t pos) override { state_.SetTrackPos(pos); }
    const ScrollBarState& State() const override { return state_; }

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
    // A splitter passes the pane's place: the pane then uses the splitter's shared bars and
    // answers its pane id.
    HeadlessWindow(HeadlessSystem& system, std::unique_ptr<Wnd> wnd, Size size,
                   const PanePlace* place = nullptr);
    // Sends OnKillFocus (if focused) and OnDestroy, then detaches and deletes the engine window.
    ~HeadlessWindow() override;

    bool IsCreated() const { return created_; }
    Wnd& GetWnd() { return *wnd_; }
    template <typename T> T& As() { return static_cast<T&>(*wnd_); }

    // --- What a user or the message loop does. ---
    void Resize(Size size);
    // A splitter moves its pane.
    void Place(const PanePlace& place, Size size);
    // Paints the invalid area: OnDraw on the screen, clipped to it, with no erasing first (pixels
    // OnDraw leaves alone keep what they showed). False when nothing was invalid.
    bool Paint();
    void Focus() { SetFocus(); }
    // A key press that types `text`, delivered as DeliverKeyPress says; Shift, Ctrl and Alt read
    // as down through GetKeyState meanwhile.
    void PressKey(uint32_t vk, uint32_t modifiers = ModNone, std::u32string_view text = {});
    // Text from an input method (DeliverText).
    void TypeText(std::u32string_view text);
    // Mouse messages. The Shift and Ctrl bits of `flags` read as held through GetKeyState while
    // the message is handled; the left button reads as down from MouseDown to MouseUp.
    void MouseDown(Point p, uint32_t flags = MK_LBUTTON);
    void MouseUp(Point p, uint32_t flags = 0);
    void DoubleClick(Point p, uint32_t flags = MK_LBUTTON);
    void MouseMove(Point p, uint32_t flags = 0);
    void RightDown(Point p, uint32_t flags = MK_RBUTTON);
    void MiddleDown(Point p, uint32_t flags = MK_MBUTTON);
    // A turn of the wheel over `p` (MouseWheel::Turn); true when OnMouseWheel took it.
    bool Wheel(int32_t delta, Point p, uint32_t flags = 0);
    // A scroll action on the window's bar (SendScrollAction).
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
    bool RegisterDropTarget(DropTarget* target) override;

    // The window's side of drags over it.
    DropSite& Drops() { return drops_; }

private:
    void PointerAt(Point p);
    // Runs `message` with the modifier keys of `flags` held.
    template <typename Message> void WithKeys(uint32_t flags, Message message);

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
    PanePlace pane_; // no splitter: a window of its own
    MouseWheel wheel_;
    DropSite drops_;
};

// A pane of a headless splitter.
class HeadlessPane final : public SplitterPane {
public:
    explicit HeadlessPane(std::unique_ptr<HeadlessWindow> window) : window_(std::move(window)) {}
    HeadlessWindow& Window() const { return *window_; }
    Wnd& GetWnd() override { return window_->GetWnd(); }
    void Place(const PanePlace& place, const Rect& rect) override {
        window_->Place(place, {rect.Width(), rect.Height()});
    }
    bool HasFocus() const override;
    void Focus() override { window_->Focus(); }

private:
    std::unique_ptr<HeadlessWindow> window_;
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

    void Resize(Size size) { SetClientSize(size); }
    HeadlessWindow* PaneWindow(int32_t row, int32_t col) const;
    // Sends OnSysColorChange to every pane.
    void SysColorChange();

protected:
    std::unique_ptr<SplitterPane> CreatePane(std::unique_ptr<Wnd> wnd, const PanePlace& place,
                                             const Rect& rect) override;
    std::unique_ptr<ScrollBar> CreateScrollBar(bool vertical) override;
    void PlaceScrollBar(ScrollBar& bar, const Rect& rect) override;

private:
    HeadlessSystem& system_;
};

} // namespace platform::headless
