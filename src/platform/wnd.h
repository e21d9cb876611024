// The engine's window base and the backend interfaces it stands on.
//
// A Wnd is an engine window: the toolkit-free object whose virtual handlers receive the window's
// messages and whose services (invalidation, scrolling, caret, capture, timers, scroll bars,
// cursor) act on the window through its WndHost. A backend creates a host for a Wnd, attaches it,
// and turns its toolkit's events into the handler calls; a test can call the handlers directly.
// Services called while no host is attached do nothing and report empty values.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/accel.h"
#include "platform/caret.h"
#include "platform/clipboard.h"
#include "platform/codepage.h"
#include "platform/color.h"
#include "platform/font.h"
#include "platform/geometry.h"
#include "platform/scrollbar.h"
#include "platform/surface.h"

namespace platform {

class DropTarget;
class Splitter;
class Wnd;

// Pointer shapes: the classic ids of the standard ones and the application's margin cursor
// (resource 22900, a right-pointing arrow).
enum CursorId : int32_t {
    IDC_MARGIN = 22900,
    IDC_ARROW = 32512,
    IDC_IBEAM = 32513,
    IDC_WAIT = 32514,
    IDC_SIZENWSE = 32642,
    IDC_SIZENESW = 32643,
    IDC_SIZEWE = 32644,
    IDC_SIZENS = 32645,
    IDC_SIZEALL = 32646,
};

// Hit-test code passed to OnSetCursor for the client area.
inline constexpr uint32_t HTCLIENT = 1;

// Process-wide services of one backend: system colours, key state, fonts, image lists, and
// which engine window has the focus or the mouse capture.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    virtual ColorRef GetSysColor(int32_t index) const = 0;
    // Negative while the key is down (the sign bit of the classic result), else 0.
    // Accepts VK_SHIFT, VK_CONTROL, VK_MENU, VK_LBUTTON, VK_RBUTTON, VK_MBUTTON.
    virtual int16_t GetKeyState(uint32_t vk) const = 0;
    // Null when the description cannot be made into a font.
    virtual std::unique_ptr<Font> CreateFontIndirect(const LogFont& font) = 0;
    // Cuts `strip` into images `imageWidth` wide and the strip's height high; `mask` is the
    // colour drawn as transparent. Null when the strip is empty or narrower than one image.
    virtual std::unique_ptr<ImageList> CreateImageList(const BitmapData& strip, int32_t imageWidth,
                                                       ColorRef mask) = 0;
    virtual Wnd* GetFocus() const = 0;
    virtual Wnd* GetCapture() const = 0;
    virtual void ReleaseCapture() = 0;
    // Lines one notch of the mouse wheel scrolls, as the desktop is set.
    virtual int32_t GetWheelScrollLines() const { return 3; }
    // The clipboard of `kind`; null where the system has none (a system without a primary
    // selection answers null for ClipboardKind::Selection).
    virtual Clipboard* GetClipboard(ClipboardKind kind) {
        (void)kind;
        return nullptr;
    }
    // Drags `bytes` (text of `page`, CR LF between lines) out of `source` with the DropEffect bits
    // `allowed`, and returns when the user dropped or gave up: the effect the drop took,
    // DROPEFFECT_NONE when there was none. The drag reaches the drop targets of every window the
    // pointer passes, this one's included.
    virtual uint32_t DoDragDrop(Wnd& source, std::string bytes, CodePage page, uint32_t allowed) {
        (void)source, (void)bytes, (void)page, (void)allowed;
        return 0;
    }
};

// The backend's side of one window. Only Wnd calls it; see the Wnd services for the contracts.
class WndHost {
public:
    virtual ~WndHost() = default;

    virtual WindowSystem& System() = 0;
    virtual Rect GetClientRect() const = 0;
    virtual void InvalidateRect(const Rect* rect, bool erase) = 0;
    virtual void ScrollWindow(int32_t dx, int32_t dy, const Rect* scrollRect,
                              const Rect* clipRect) = 0;
    virtual void UpdateWindow() = 0;
    // The bar the window's scroll services act on: the window's own, or the splitter's shared bar.
    virtual ScrollBar* GetScrollBar(int32_t bar) = 0;
    virtual ScrollBar* GetSharedScrollBar(int32_t bar) = 0;
    // The window's caret changed (created, shown, hidden, moved or destroyed); a backend that
    // draws the caret redraws it from `caret`, which the window keeps.
    virtual void CaretChanged(const CaretState& caret) { (void)caret; }
    virtual void SetCapture() = 0;
    virtual uint32_t SetTimer(uint32_t id, uint32_t elapseMs) = 0;
    virtual bool KillTimer(uint32_t id) = 0;
    virtual void SetCursor(int32_t cursorId) = 0;
    virtual void SetFocus() = 0;
    virtual Point GetCursorPos() const = 0;
    virtual std::unique_ptr<Surface> GetDC() = 0;
    virtual Font* GetFont() = 0;
    virtual int32_t GetDlgCtrlID() const = 0;
    virtual Splitter* GetParentSplitter() = 0;
    // Drags over the window go to `target` from now on (null: drags are refused). False when the
    // backend takes no drops.
    virtual bool RegisterDropTarget(DropTarget* target) {
        (void)target;
        return false;
    }
};

class Wnd {
public:
    Wnd() = default;
    Wnd(const Wnd&) = delete;
    Wnd& operator=(const Wnd&) = delete;
    virtual ~Wnd() = default;

    // --- Message handlers. The defaults do nothing unless stated. ---

    // The host is attached (OnSize with the first size follows); false refuses creation and the
    // host lets the window go without OnDestroy.
    virtual bool OnCreate() { return true; }
    // Sent by a splitter after a pane it created is in place (its id and neighbours are known).
    virtual void OnInitialUpdate() {}
    // The window is about to go; services still work.
    virtual void OnDestroy() {}
    // Paints the client area. Backends clip to the invalid region, so painting everything is fine.
    // No backend erases the background first (the `erase` flag of InvalidateRect asks for nothing
    // more): every pixel of the invalid area that OnDraw leaves alone keeps whatever it showed
    // before, so a window paints every pixel it owns.
    virtual void OnDraw(Surface& dc) { (void)dc; }
    virtual void OnSize(int32_t cx, int32_t cy) { (void)cx, (void)cy; }
    virtual void OnSetFocus(Wnd* oldWnd) { (void)oldWnd; }
    virtual void OnKillFocus(Wnd* newWnd) { (void)newWnd; }
    // A typed character as a byte of GetInputCodePage() (Enter is 13).
    virtual void OnChar(uint32_t ch, uint32_t repeat) { (void)ch, (void)repeat; }
    // A key that no accelerator claimed.
    virtual void OnKeyDown(uint32_t vk, uint32_t repeat) { (void)vk, (void)repeat; }
    // Mouse points are client coordinates; `flags` are MouseFlag bits.
    virtual void OnLButtonDown(uint32_t flags, Point point) { (void)flags, (void)point; }
    virtual void OnLButtonUp(uint32_t flags, Point point) { (void)flags, (void)point; }
    virtual void OnLButtonDblClk(uint32_t flags, Point point) { (void)flags, (void)point; }
    virtual void OnMouseMove(uint32_t flags, Point point) { (void)flags, (void)point; }
    // The right button went down; the context menu follows (OnContextMenu is the frame's).
    virtual void OnRButtonDown(uint32_t flags, Point point) { (void)flags, (void)point; }
    // The middle button went down.
    virtual void OnMButtonDown(uint32_t flags, Point point) { (void)flags, (void)point; }
    // `delta` is in multiples of WHEEL_DELTA, positive away from the user. True when handled;
    // otherwise the vertical bar scrolls (MouseWheel in platform/input.h).
    virtual bool OnMouseWheel(uint32_t flags, int32_t delta, Point point) {
        (void)flags, (void)delta, (void)point;
        return false;
    }
    // A ScrollCode from the window's vertical / horizontal bar; `pos` is the thumb position for
    // SB_THUMBTRACK and SB_THUMBPOSITION.
    virtual void OnVScroll(uint32_t code, int32_t pos) { (void)code, (void)pos; }
    virtual void OnHScroll(uint32_t code, int32_t pos) { (void)code, (void)pos; }
    virtual void OnTimer(uint32_t id) { (void)id; }
    // The colours GetSysColor answers have changed; sent once per change to every hosted window,
    // which usually invalidates what it painted with them.
    virtual void OnSysColorChange() {}
    // The pointer is over the window; true when the handler set a cursor, else the backend shows
    // the arrow.
    virtual bool OnSetCursor(uint32_t hitTest) {
        (void)hitTest;
        return false;
    }
    // A command id sent by an accelerator; true when handled.
    virtual bool OnCommand(uint32_t id) {
        (void)id;
        return false;
    }
    // Every key press reaches this first; true when the key was used up (no OnKeyDown, no
    // OnChar; see DeliverKeyPress in platform/input.h). The default translates through
    // GetAcceleratorTable().
    virtual bool PreTranslateKey(uint32_t vk, uint32_t modifiers);
    // The window's accelerator table; its keys take precedence over every shortcut of the
    // toolkit window the engine window sits in.
    virtual const AccelTable* GetAcceleratorTable() const { return nullptr; }
    // The code page typed characters are converted to before OnChar (a character the page
    // cannot show is dropped); a view answers with the page of its font's character set.
    virtual CodePage GetInputCodePage() const { return CodePage::Windows1252; }

    // --- Services. ---

    bool IsWindow() const { return host_ != nullptr; }
    WndHost* Host() const { return host_; }
    WindowSystem* System() const { return host_ ? &host_->System() : nullptr; }

    Rect GetClientRect() const { return host_ ? host_->GetClientRect() : Rect{}; }
    void Invalidate(bool erase = true) { InvalidateRect(nullptr, erase); }
    // Null: the whole client area. The area is painted by the next OnDraw. `erase` is kept for
    // the callers' sake and changes nothing: backgrounds are never erased (see OnDraw).
    void InvalidateRect(const Rect* rect, bool erase = true);
    // Moves the pixels of `scrollRect` (null: the client area) by (dx, dy), keeping every pixel
    // inside `clipRect` (null: the client area), and invalidates the area uncovered. Pending
    // invalid areas move with the pixels they cover.
    //
    // The caret is part of the pixels: when its position lies inside the scrolled area, or
    // anywhere outside the client area, it is hidden while the pixels move and shown again moved
    // by (dx, dy). A caret scrolled out of view thus keeps moving with its text and comes back
    // with it; one inside the client area but outside `scrollRect` (over a margin that does not
    // scroll) stays where it is. Distances beyond the window's extent uncover everything.
    void ScrollWindow(int32_t dx, int32_t dy, const Rect* scrollRect = nullptr,
                      const Rect* clipRect = nullptr);
    // Paints the invalid area now, if there is one.
    void UpdateWindow();

    // Inside a splitter the vertical services act on the shared bar of the pane's row and the
    // horizontal ones on that of its column.
    int32_t SetScrollInfo(int32_t bar, const ScrollInfo& info, bool redraw = true);
    bool GetScrollInfo(int32_t bar, ScrollInfo& info) const;
    void EnableScrollBar(int32_t bar, uint32_t esbFlags);
    // The splitter's shared bar for `bar`; null outside a splitter.
    ScrollBar* GetScrollBarCtrl(int32_t bar) const;

    // One caret per window. A new caret replaces the old one and starts hidden; ShowCaret and
    // HideCaret nest (a caret is visible after as many shows as hides since it was created + 1).
    void CreateSolidCaret(int32_t width, int32_t height);
    // The same in grey: the caret that shows where dragged text would drop.
    void CreateGrayCaret(int32_t width, int32_t height);
    void ShowCaret();
    void HideCaret();
    void SetCaretPos(Point pos);
    void DestroyCaret();
    const CaretState& GetCaret() const { return caret_; }

    void SetCapture();
    void ReleaseCapture();
    Wnd* GetCapture() const;
    // Starts or restarts timer `id`; OnTimer(id) follows every elapseMs. Returns id (0 failed).
    uint32_t SetTimer(uint32_t id, uint32_t elapseMs);
    bool KillTimer(uint32_t id);
    void SetCursor(int32_t cursorId);
    int16_t GetKeyState(uint32_t vk) const;
    Wnd* GetFocus() const;
    void SetFocus();
    // Where the pointer is now, in client coordinates.
    Point GetCursorPos() const;

    // A context for measuring or drawing outside OnDraw.
    std::unique_ptr<Surface> GetDC();
    // The window's current font (the backend's default font); never null on a live window.
    Font* GetFont() const;
    std::unique_ptr<Font> CreateFontIndirect(const LogFont& font);
    std::unique_ptr<ImageList> CreateImageList(const BitmapData& strip, int32_t imageWidth,
                                               ColorRef mask);
    ColorRef GetSysColor(int32_t index) const;

    // The clipboard of `kind` (WindowSystem::GetClipboard); null without a host.
    Clipboard* GetClipboard(ClipboardKind kind = ClipboardKind::Standard) const;
    // Drags text out of this window (WindowSystem::DoDragDrop).
    uint32_t DoDragDrop(std::string bytes, CodePage page, uint32_t allowed);
    // Drags over this window go to `target` (not owned) until revoked; false when the backend
    // takes no drops.
    bool RegisterDropTarget(DropTarget* target);
    void RevokeDropTarget();

    // The child id: a splitter pane's id follows from its row and column.
    int32_t GetDlgCtrlID() const;
    Splitter* GetParentSplitter() const;

    // Sends the command of the entry that matches (key, modifiers) to OnCommand; true when an
    // entry matched, whether or not a handler took the command.
    bool TranslateAccelerator(const AccelTable& table, uint32_t vk, uint32_t modifiers);

    // Backends only: attach or detach the host. The caret belongs to the host's window and goes
    // with it.
    void AttachHost(WndHost* host) {
        host_ = host;
        caret_ = {};
    }

private:
    // Applies a change to the caret and tells the host.
    template <typename Change> void ChangeCaret(Change change);

    WndHost* host_ = nullptr;
    CaretState caret_;
};

} // namespace platform
