// Windows on Qt: the process-wide services, scroll bars over QScrollBar, the widget that hosts an
// engine window (painting, caret, keys, mouse, focus, timers, cursor) and a stand-alone window
// with scroll bars of its own.
#pragma once

#include <QBasicTimer>
#include <QCursor>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QScrollBar>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>

#include "platform/dragdrop.h"
#include "platform/input.h"
#include "platform/qt/qt_scrollbar.h"
#include "platform/qt/qt_surface.h"
#include "platform/qt/qt_transfer.h"
#include "platform/splitter.h"
#include "platform/wnd.h"

namespace platform::qt {

class QtWndHost;

// Virtual-key code and KeyModifier bits of a Qt key event; the code is 0 for keys the engine
// has no code for.
uint32_t VirtualKeyFromQt(int key);
uint32_t ModifiersFromQt(Qt::KeyboardModifiers modifiers);

class QtSystem final : public WindowSystem {
public:
    // The one instance; needs a QApplication. Its fonts and cursors are released with the
    // application object.
    static QtSystem& Instance();

    // System colours come from the application palette.
    ColorRef GetSysColor(int32_t index) const override;
    // Every system colour GetSysColor answers, in one value that compares equal while none of
    // them changed.
    using SysColors = std::array<ColorRef, 7>;
    SysColors CurrentSysColors() const;
    int16_t GetKeyState(uint32_t vk) const override;
    // The desktop's setting, as Qt reads it.
    int32_t GetWheelScrollLines() const override;
    std::unique_ptr<Font> CreateFontIndirect(const LogFont& font) override;
    std::unique_ptr<ImageList> CreateImageList(const BitmapData& strip, int32_t imageWidth,
                                               ColorRef mask) override;
    Wnd* GetFocus() const override;
    Wnd* GetCapture() const override;
    void ReleaseCapture() override;
    // The application's clipboard; the primary selection where the platform has one (X11).
    Clipboard* GetClipboard(ClipboardKind kind) override;
    // A QDrag from the source window's widget (RunDrag).
    uint32_t DoDragDrop(Wnd& source, std::string bytes, CodePage page, uint32_t allowed) override;

    QtFont* DefaultFont();
    QCursor CursorFor(int32_t cursorId);
    void SetCaptureHost(QtWndHost* host);
    QtWndHost* CaptureHost() const { return capture_; }
    // The host whose engine window last received the focus; null once it lost it to nothing.
    QtWndHost* FocusHost() const { return focus_; }
    void SetFocusHost(QtWndHost* host) { focus_ = host; }
    void ForgetHost(QtWndHost* host);

private:
    QtSystem() = default;
    // Drops what holds toolkit resources; runs when the application object goes.
    void Release();

    std::unique_ptr<QtFont> defaultFont_;
    std::unique_ptr<QCursor> marginCursor_;
    std::unique_ptr<QtClipboard> clipboard_;
    std::unique_ptr<QtClipboard> selection_;
    QtWndHost* capture_ = nullptr;
    QtWndHost* focus_ = nullptr;
};

// The widget an engine window lives in: its client area. Scroll bars are given by the owner: a
// QtWindow gives the window's own, a QtSplitter its shared ones.
//
// The widget is opaque: Qt paints no background under it, so OnDraw alone decides every pixel.
// A change of the palette that changes what GetSysColor answers reaches the engine window as one
// OnSysColorChange, however many palette events Qt sends for it.
class QtWndHost final : public QWidget, public WndHost {
    Q_OBJECT
public:
    QtWndHost(std::unique_ptr<Wnd> wnd, QWidget* parent);
    ~QtWndHost() override;

    void SetScrollBars(ScrollBar* vert, ScrollBar* horz, bool shared);
    void SetPane(Splitter* splitter, PaneCell cell);
    PaneCell Cell() const { return cell_; }
    // Attaches the engine window, sends OnCreate and the first OnSize. False when refused.
    bool Create();
    bool IsCreated() const { return created_; }
    Wnd& GetWnd() { return *wnd_; }
    // What the caret looks like now: position, size and whether it is drawn.
    Rect CaretRect() const { return caret_.Bounds(); }
    bool CaretVisible() const { return caret_.Visible(); }
    int32_t CurrentCursor() const { return cursor_; }

    // --- WndHost ---
    WindowSystem& System() override { return QtSystem::Instance(); }
    Rect GetClientRect() const override { return {0, 0, width(), height()}; }
    void InvalidateRect(const Rect* rect, bool erase) override;
    void ScrollWindow(int32_t dx, int32_t dy, const Rect* scrollRect,
                      const Rect* clipRect) override;
    void UpdateWindow() override;
    ScrollBar* GetScrollBar(int32_t bar) override;
    ScrollBar* GetSharedScrollBar(int32_t bar) override;
    void CaretChanged(const CaretState& caret) override;
    void SetCapture() override;
    uint32_t SetTimer(uint32_t id, uint32_t elapseMs) override;
    bool KillTimer(uint32_t id) override;
    void SetCursor(int32_t cursorId) override;
    void SetFocus() override { setFocus(Qt::OtherFocusReason); }
    Point GetCursorPos() const override;
    std::unique_ptr<Surface> GetDC() override;
    Font* GetFont() override { return QtSystem::Instance().DefaultFont(); }
    int32_t GetDlgCtrlID() const override;
    Splitter* GetParentSplitter() override { return splitter_; }
    bool RegisterDropTarget(DropTarget* target) override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    // Drags over the window (qt_transfer.cpp) go to the DropSite.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void TrackDrag(QDragMoveEvent& event, bool entering);
    // The periodic drag call runs while the site wants it.
    void UpdateDragTicks();
    void DragTick();
    bool ClaimsKey(const QKeyEvent& event) const;
    void KeyPress(QKeyEvent& event);
    void PointerAt(QPoint pos);
    void PaletteChanged();
    void RestartBlink();

    std::unique_ptr<Wnd> wnd_;
    bool created_ = false;
    ScrollBar* vbar_ = nullptr;
    ScrollBar* hbar_ = nullptr;
    bool sharedBars_ = false;
    Splitter* splitter_ = nullptr;
    PaneCell cell_;
    QSize lastSize_{-1, -1};
    QRegion pending_;                 // invalid area not yet painted, for UpdateWindow
    QtSystem::SysColors sysColors_{}; // what the engine window last painted with

    CaretState caret_; // as the engine window last reported it
    bool blinkOn_ = true;
    QBasicTimer blink_;

    std::map<uint32_t, int> timers_; // engine id -> Qt timer id
    int32_t cursor_ = IDC_ARROW;
    MouseWheel wheel_;
    DropSite drops_;
    QBasicTimer dragTick_;
};

// A top-level or child window with its own scroll bars, always shown, around a hosted engine
// window. Scroll codes from the bars go to the engine window's OnVScroll/OnHScroll.
class QtWindow final : public QWidget {
    Q_OBJECT
public:
    explicit QtWindow(std::unique_ptr<Wnd> wnd, QWidget* parent = nullptr);
    ~QtWindow() override;

    QtWndHost* Host() const { return host_; }
    QtScrollBar* VerticalBar() const { return vbar_; }
    QtScrollBar* HorizontalBar() const { return hbar_; }

private:
    QtWndHost* host_;
    QtScrollBar* vbar_;
    QtScrollBar* hbar_;
};

} // namespace platform::qt
