#include "platform/qt/qt_window.h"

#include <QApplication>
#include <QBitmap>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleHints>
#include <QWheelEvent>
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <utility>

namespace platform::qt {
namespace {

constexpr int16_t kKeyDown = std::numeric_limits<int16_t>::min();

Point ToPoint(QPoint p) {
    return {p.x(), p.y()};
}

// The application's margin cursor: an arrow pointing up and to the right, hot spot at its tip.
QCursor MakeMarginCursor() {
    QPixmap pix(32, 32);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPoint arrow[] = {{15, 0}, {15, 16}, {11, 12}, {8, 19}, {6, 18}, {9, 11}, {4, 11}};
    p.setPen(Qt::white);
    p.setBrush(Qt::black);
    p.drawPolygon(arrow, static_cast<int>(std::size(arrow)));
    p.end();
    return QCursor(pix, 15, 0);
}

} // namespace

uint32_t VirtualKeyFromQt(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<uint32_t>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<uint32_t>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + static_cast<uint32_t>(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    default:
        return 0;
    }
}

uint32_t ModifiersFromQt(Qt::KeyboardModifiers modifiers) {
    uint32_t m = ModNone;
    if (modifiers & Qt::ShiftModifier)
        m |= ModShift;
    if (modifiers & Qt::ControlModifier)
        m |= ModControl;
    if (modifiers & Qt::AltModifier)
        m |= ModAlt;
    return m;
}

// ---------------------------------------------------------------------------------------------
// QtSystem

QtSystem& QtSystem::Instance() {
    static QtSystem system;
    static const bool releaseWithApp = [] {
        qAddPostRoutine([] { Instance().Release(); });
        return true;
    }();
    (void)releaseWithApp;
    return system;
}

void QtSystem::Release() {
    defaultFont_.reset();
    marginCursor_.reset();
    clipboard_.reset();
    selection_.reset();
    capture_ = nullptr;
    focus_ = nullptr;
}

ColorRef QtSystem::GetSysColor(int32_t index) const {
    const QPalette pal = QApplication::palette();
    switch (index) {
    case COLOR_WINDOW:
        return FromQColor(pal.color(QPalette::Active, QPalette::Base));
    case COLOR_WINDOWTEXT:
        return FromQColor(pal.color(QPalette::Active, QPalette::Text));
    case COLOR_HIGHLIGHT:
        return FromQColor(pal.color(QPalette::Active, QPalette::Highlight));
    case COLOR_HIGHLIGHTTEXT:
        return FromQColor(pal.color(QPalette::Active, QPalette::HighlightedText));
    case COLOR_SCROLLBAR:
        return FromQColor(pal.color(QPalette::Active, QPalette::Midlight));
    case COLOR_BTNFACE:
        return FromQColor(pal.color(QPalette::Active, QPalette::Button));
    case COLOR_GRAYTEXT:
        return FromQColor(pal.color(QPalette::Disabled, QPalette::Text));
    default:
        return 0;
    }
}

QtSystem::SysColors QtSystem::CurrentSysColors() const {
    return {GetSysColor(COLOR_SCROLLBAR),     GetSysColor(COLOR_WINDOW),
            GetSysColor(COLOR_WINDOWTEXT),    GetSysColor(COLOR_HIGHLIGHT),
            GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_BTNFACE),
            GetSysColor(COLOR_GRAYTEXT)};
}

int16_t QtSystem::GetKeyState(uint32_t vk) const {
    const Qt::KeyboardModifiers mods = QGuiApplication::keyboardModifiers();
    const Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    bool down = false;
    switch (vk) {
    case VK_SHIFT:
        down = mods & Qt::ShiftModifier;
        break;
    case VK_CONTROL:
        down = mods & Qt::ControlModifier;
        break;
    case VK_MENU:
        down = mods & Qt::AltModifier;
        break;
    case VK_LBUTTON:
        down = buttons & Qt::LeftButton;
        break;
    case VK_RBUTTON:
        down = buttons & Qt::RightButton;
        break;
    case VK_MBUTTON:
        down = buttons & Qt::MiddleButton;
        break;
    default:
        break;
    }
    return down ? kKeyDown : int16_t{0};
}

std::unique_ptr<Font> QtSystem::CreateFontIndirect(const LogFont& font) {
    return std::make_unique<QtFont>(font);
}

std::unique_ptr<ImageList> QtSystem::CreateImageList(const BitmapData& strip, int32_t imageWidth,
                                                     ColorRef mask) {
    if (imageWidth <= 0 || strip.height <= 0 || strip.width < imageWidth ||
        strip.pixels.size() < static_cast<size_t>(strip.width) * static_cast<size_t>(strip.height))
        return nullptr;
    return std::make_unique<QtImageList>(strip, imageWidth, mask);
}

int32_t QtSystem::GetWheelScrollLines() const {
    return QApplication::wheelScrollLines();
}

Wnd* QtSystem::GetFocus() const {
    auto* host = qobject_cast<QtWndHost*>(QApplication::focusWidget());
    return host && host->IsCreated() ? &host->GetWnd() : nullptr;
}

Wnd* QtSystem::GetCapture() const {
    return capture_ ? &capture_->GetWnd() : nullptr;
}

void QtSystem::SetCaptureHost(QtWndHost* host) {
    if (capture_ == host)
        return;
    ReleaseCapture();
    capture_ = host;
    if (host && host->isVisible())
        host->grabMouse();
}

void QtSystem::ReleaseCapture() {
    if (capture_ && QWidget::mouseGrabber() == capture_)
        capture_->releaseMouse();
    capture_ = nullptr;
}

Clipboard* QtSystem::GetClipboard(ClipboardKind kind) {
    if (kind == ClipboardKind::Selection) {
        if (!QGuiApplication::clipboard()->supportsSelection())
            return nullptr;
        if (!selection_)
            selection_ = std::make_unique<QtClipboard>(QClipboard::Selection);
        return selection_.get();
    }
    if (!clipboard_)
        clipboard_ = std::make_unique<QtClipboard>(QClipboard::Clipboard);
    return clipboard_.get();
}

uint32_t QtSystem::DoDragDrop(Wnd& source, std::string bytes, CodePage page, uint32_t allowed) {
    auto* host = dynamic_cast<QtWndHost*>(source.Host());
    return host ? RunDrag(host, std::move(bytes), page, allowed) : DROPEFFECT_NONE;
}

void QtSystem::ForgetHost(QtWndHost* host) {
    if (capture_ == host)
        ReleaseCapture();
    if (focus_ == host)
        focus_ = nullptr;
}

QtFont* QtSystem::DefaultFont() {
    if (!defaultFont_) {
        const QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        LogFont lf;
        lf.lfHeight = -std::max(1, QFontInfo(f).pixelSize());
        lf.lfWeight = FW_NORMAL;
        lf.SetFaceName(f.family().toLatin1().toStdString());
        defaultFont_ = std::make_unique<QtFont>(lf, f);
    }
    return defaultFont_.get();
}

QCursor QtSystem::CursorFor(int32_t cursorId) {
    switch (cursorId) {
    case IDC_MARGIN:
        if (!marginCursor_)
            marginCursor_ = std::make_unique<QCursor>(MakeMarginCursor());
        return *marginCursor_;
    case IDC_IBEAM:
        return Qt::IBeamCursor;
    case IDC_WAIT:
        return Qt::WaitCursor;
    case IDC_SIZENWSE:
        return Qt::SizeFDiagCursor;
    case IDC_SIZENESW:
        return Qt::SizeBDiagCursor;
    case IDC_SIZEWE:
        return Qt::SizeHorCursor;
    case IDC_SIZENS:
        return Qt::SizeVerCursor;
    case IDC_SIZEALL:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}

// ---------------------------------------------------------------------------------------------
// QtWndHost

QtWndHost::QtWndHost(std::unique_ptr<Wnd> wnd, QWidget* parent)
    : QWidget(parent), wnd_(std::move(wnd)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

QtWndHost::~QtWndHost() {
    dragTick_.stop();
    if (created_) {
        if (QApplication::focusWidget() == this)
            clearFocus(); // sends the focus-out, and so OnKillFocus, while the window still works
        QtSystem::Instance().ForgetHost(this);
        for (const auto& [id, qtId] : timers_)
            killTimer(qtId);
        timers_.clear();
        wnd_->OnDestroy();
        wnd_->AttachHost(nullptr);
        created_ = false;
    }
    QtSystem::Instance().ForgetHost(this);
}

void QtWndHost::SetScrollBars(ScrollBar* vert, ScrollBar* horz, bool shared) {
    vbar_ = vert;
    hbar_ = horz;
    sharedBars_ = shared;
}

void QtWndHost::SetPane(Splitter* splitter, PaneCell cell) {
    splitter_ = splitter;
    cell_ = cell;
}

bool QtWndHost::Create() {
    if (created_)
        return true;
    wnd_->AttachHost(this);
    created_ = wnd_->OnCreate();
    if (!created_) {
        wnd_->AttachHost(nullptr);
        return false;
    }
    lastSize_ = size();
    sysColors_ = QtSystem::Instance().CurrentSysColors();
    wnd_->OnSize(width(), height());
    update();
    return true;
}

void QtWndHost::InvalidateRect(const Rect* rect, bool erase) {
    (void)erase; // the engine paints every pixel; there is no background to erase
    const QRect r = rect ? ToQRect(*rect).intersected(QWidget::rect()) : QWidget::rect();
    if (r.isEmpty())
        return;
    pending_ += r;
    update(r);
}

void QtWndHost::ScrollWindow(int32_t dx, int32_t dy, const Rect* scrollRect, const Rect* clipRect) {
    QRect area = scrollRect ? ToQRect(*scrollRect) : QWidget::rect();
    if (clipRect)
        area = area.intersected(ToQRect(*clipRect));
    area = area.intersected(QWidget::rect());
    if (area.isEmpty())
        return;
    // A caret drawn into the moved pixels that the window did not carry along (it straddles the
    // area's edge): repaint where it was and where its picture went.
    if (CaretVisible()) {
        const QRect caret = ToQRect(caret_.Bounds());
        update(caret);
        update(caret.translated(dx, dy));
    }
    const QRegion moved = pending_.intersected(area).translated(dx, dy).intersected(area);
    pending_ += moved;
    pending_ += QRegion(area).subtracted(QRegion(area.translated(dx, dy)));
    scroll(dx, dy, area);
}

void QtWndHost::UpdateWindow() {
    if (pending_.isEmpty() || !isVisible())
        return;
    repaint(pending_);
}

ScrollBar* QtWndHost::GetScrollBar(int32_t bar) {
    return bar == SB_VERT ? vbar_ : hbar_;
}

ScrollBar* QtWndHost::GetSharedScrollBar(int32_t bar) {
    return sharedBars_ ? GetScrollBar(bar) : nullptr;
}

void QtWndHost::RestartBlink() {
    blinkOn_ = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (CaretVisible() && flash > 0)
        blink_.start(flash / 2, this);
    else
        blink_.stop();
}

void QtWndHost::CaretChanged(const CaretState& caret) {
    const CaretState before = std::exchange(caret_, caret);
    if (before.exists)
        update(ToQRect(before.Bounds()));
    if (caret_.exists)
        update(ToQRect(caret_.Bounds()));
    // A caret that appears or moves starts its blink cycle shown.
    if (!caret_.Visible())
        blink_.stop();
    else if (!before.Visible() || before.Bounds() != caret_.Bounds())
        RestartBlink();
}

void QtWndHost::SetCapture() {
    QtSystem::Instance().SetCaptureHost(this);
}

uint32_t QtWndHost::SetTimer(uint32_t id, uint32_t elapseMs) {
    if (id == 0)
        return 0;
    KillTimer(id);
    const int qtId = startTimer(static_cast<int>(std::min<uint32_t>(elapseMs, INT32_MAX)));
    if (qtId == 0)
        return 0;
    timers_[id] = qtId;
    return id;
}

bool QtWndHost::KillTimer(uint32_t id) {
    auto it = timers_.find(id);
    if (it == timers_.end())
        return false;
    killTimer(it->second);
    timers_.erase(it);
    return true;
}

void QtWndHost::SetCursor(int32_t cursorId) {
    cursor_ = cursorId;
    setCursor(QtSystem::Instance().CursorFor(cursorId));
}

Point QtWndHost::GetCursorPos() const {
    return ToPoint(mapFromGlobal(QCursor::pos()));
}

std::unique_ptr<Surface> QtWndHost::GetDC() {
    auto dc = std::make_unique<QtSurface>(nullptr, devicePixelRatioF(),
                                          QtSystem::Instance().DefaultFont());
    dc->SetDeviceCaps(DeviceCaps::Screen(logicalDpiX(), logicalDpiY(), {width(), height()}));
    return dc;
}

int32_t QtWndHost::GetDlgCtrlID() const {
    return splitter_ ? IdFromRowCol(cell_.row, cell_.col) : 0;
}

bool QtWndHost::ClaimsKey(const QKeyEvent& event) const {
    return created_ && WindowClaimsKey(*wnd_, VirtualKeyFromQt(event.key()),
                                       ModifiersFromQt(event.modifiers()));
}

bool QtWndHost::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Accepting the override keeps window shortcuts from taking the key: it arrives here as
        // a key press instead.
        if (ClaimsKey(*static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        break;
    case QEvent::KeyPress:
        // Handled here, before QWidget::event, so Tab and Backtab do not move the focus.
        KeyPress(*static_cast<QKeyEvent*>(event));
        return true;
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange: {
        const bool result = QWidget::event(event);
        PaletteChanged();
        return result;
    }
    default:
        break;
    }
    return QWidget::event(event);
}

void QtWndHost::PaletteChanged() {
    if (!created_)
        return;
    const QtSystem::SysColors now = QtSystem::Instance().CurrentSysColors();
    if (now == sysColors_)
        return;
    sysColors_ = now;
    wnd_->OnSysColorChange();
}

void QtWndHost::KeyPress(QKeyEvent& event) {
    event.accept();
    if (created_)
        DeliverKeyPress(*wnd_, VirtualKeyFromQt(event.key()), ModifiersFromQt(event.modifiers()),
                        event.text().toStdU32String());
}

void QtWndHost::inputMethodEvent(QInputMethodEvent* event) {
    if (created_)
        DeliverText(*wnd_, event->commitString().toStdU32String());
    event->accept();
}

void QtWndHost::paintEvent(QPaintEvent* event) {
    pending_ -= event->region();
    QPainter painter(this);
    if (created_) {
        QtSurface surface(&painter, devicePixelRatioF(), QtSystem::Instance().DefaultFont());
        const QRect box = event->rect();
        surface.SetClipBox({box.left(), box.top(), box.right() + 1, box.bottom() + 1});
        wnd_->OnDraw(surface);
    } else {
        painter.fillRect(rect(), palette().color(QPalette::Base));
    }
    if (CaretVisible() && blinkOn_) {
        if (caret_.gray) {
            painter.fillRect(ToQRect(caret_.Bounds()), QColor(128, 128, 128));
        } else {
            painter.setCompositionMode(QPainter::CompositionMode_Difference);
            painter.fillRect(ToQRect(caret_.Bounds()), Qt::white);
        }
    }
}

void QtWndHost::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (created_ && size() != lastSize_) {
        lastSize_ = size();
        pending_ = QRegion(rect());
        wnd_->OnSize(width(), height());
    }
}

void QtWndHost::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (!created_)
        return;
    QtWndHost* old = QtSystem::Instance().FocusHost();
    QtSystem::Instance().SetFocusHost(this);
    wnd_->OnSetFocus(old && old != this && old->IsCreated() ? &old->GetWnd() : nullptr);
}

void QtWndHost::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (!created_)
        return;
    auto* next = qobject_cast<QtWndHost*>(QApplication::focusWidget());
    if (!next && QtSystem::Instance().FocusHost() == this)
        QtSystem::Instance().SetFocusHost(nullptr);
    wnd_->OnKillFocus(next && next != this && next->IsCreated() ? &next->GetWnd() : nullptr);
}

void QtWndHost::PointerAt(QPoint pos) {
    (void)pos;
    if (created_)
        ShowPointerShape(*wnd_);
}

void QtWndHost::mousePressEvent(QMouseEvent* event) {
    if (!created_)
        return QWidget::mousePressEvent(event);
    const uint32_t flags = KeyStateFromQt(event->buttons(), event->modifiers());
    const Point point = ToPoint(event->position().toPoint());
    switch (event->button()) {
    case Qt::LeftButton:
        PointerAt(event->position().toPoint());
        wnd_->OnLButtonDown(flags, point);
        return;
    case Qt::MiddleButton:
        wnd_->OnMButtonDown(flags, point);
        return;
    case Qt::RightButton:
        // The context menu event that Qt sends next goes to the frame.
        wnd_->OnRButtonDown(flags, point);
        break;
    default:
        break;
    }
    QWidget::mousePressEvent(event);
}

void QtWndHost::mouseReleaseEvent(QMouseEvent* event) {
    if (!created_ || event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    wnd_->OnLButtonUp(KeyStateFromQt(event->buttons(), event->modifiers()),
                      ToPoint(event->position().toPoint()));
}

void QtWndHost::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!created_ || event->button() != Qt::LeftButton)
        return QWidget::mouseDoubleClickEvent(event);
    wnd_->OnLButtonDblClk(KeyStateFromQt(event->buttons(), event->modifiers()),
                          ToPoint(event->position().toPoint()));
}

void QtWndHost::mouseMoveEvent(QMouseEvent* event) {
    if (!created_)
        return QWidget::mouseMoveEvent(event);
    PointerAt(event->position().toPoint());
    wnd_->OnMouseMove(KeyStateFromQt(event->buttons(), event->modifiers()),
                      ToPoint(event->position().toPoint()));
}

void QtWndHost::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    PointerAt(event->position().toPoint());
}

void QtWndHost::wheelEvent(QWheelEvent* event) {
    if (!created_)
        return QWidget::wheelEvent(event);
    wheel_.Turn(*wnd_, KeyStateFromQt(event->buttons(), event->modifiers()),
                event->angleDelta().y(), ToPoint(event->position().toPoint()));
    event->accept();
}

void QtWndHost::timerEvent(QTimerEvent* event) {
    if (event->timerId() == dragTick_.timerId()) {
        DragTick();
        return;
    }
    if (event->timerId() == blink_.timerId()) {
        blinkOn_ = !blinkOn_;
        if (caret_.exists)
            update(ToQRect(caret_.Bounds()));
        return;
    }
    for (const auto& [id, qtId] : timers_) {
        if (qtId == event->timerId()) {
            if (created_)
                wnd_->OnTimer(id);
            return;
        }
    }
    QWidget::timerEvent(event);
}

// ---------------------------------------------------------------------------------------------
// QtWindow

QtWindow::QtWindow(std::unique_ptr<Wnd> wnd, QWidget* parent)
    : QWidget(parent), host_(new QtWndHost(std::move(wnd), this)),
      vbar_(new QtScrollBar(Qt::Vertical, this)), hbar_(new QtScrollBar(Qt::Horizontal, this)) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(host_, 0, 0);
    grid->addWidget(vbar_->Widget(), 0, 1);
    grid->addWidget(hbar_->Widget(), 1, 0);
    vbar_->SetHandler([this](uint32_t code, int32_t pos) {
        if (host_->IsCreated())
            SendScrollAction(host_->GetWnd(), SB_VERT, code, pos);
    });
    hbar_->SetHandler([this](uint32_t code, int32_t pos) {
        if (host_->IsCreated())
            SendScrollAction(host_->GetWnd(), SB_HORZ, code, pos);
    });
    host_->SetScrollBars(vbar_, hbar_, false);
    host_->Create();
    setFocusProxy(host_);
}

QtWindow::~QtWindow() {
    delete host_; // the engine window goes first, while its scroll bars still exist
}

} // namespace platform::qt
