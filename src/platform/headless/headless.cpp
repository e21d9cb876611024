#include "platform/headless/headless.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace platform::headless {
namespace {

// The parts of `a` outside `b`, as up to four rectangles.
std::vector<Rect> Subtract(const Rect& a, const Rect& b) {
    const Rect common = Intersect(a, b);
    if (common.IsEmpty())
        return a.IsEmpty() ? std::vector<Rect>{} : std::vector<Rect>{a};
    std::vector<Rect> out;
    const Rect top{a.left, a.top, a.right, common.top};
    const Rect bottom{a.left, common.bottom, a.right, a.bottom};
    const Rect left{a.left, common.top, common.left, common.bottom};
    const Rect right{common.right, common.top, a.right, common.bottom};
    for (const Rect& r : {top, bottom, left, right})
        if (!r.IsEmpty())
            out.push_back(r);
    return out;
}

// The same area without the rectangles that lie inside another one, so that painting it touches
// each pixel about once.
std::vector<Rect> WithoutCoveredRects(std::vector<Rect> rects) {
    std::sort(rects.begin(), rects.end(), [](const Rect& a, const Rect& b) {
        return int64_t{a.Width()} * a.Height() > int64_t{b.Width()} * b.Height();
    });
    std::vector<Rect> kept;
    for (const Rect& r : rects) {
        const bool covered = std::any_of(kept.begin(), kept.end(),
                                         [&](const Rect& k) { return Intersect(k, r) == r; });
        if (!covered)
            kept.push_back(r);
    }
    return kept;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// HeadlessSystem

HeadlessSystem::HeadlessSystem() {
    colors_ = {{COLOR_SCROLLBAR, 0xC8C8C8},     {COLOR_WINDOW, 0xFFFFFF},
               {COLOR_WINDOWTEXT, 0x000000},    {COLOR_HIGHLIGHT, 0xD77800},
               {COLOR_HIGHLIGHTTEXT, 0xFFFFFF}, {COLOR_BTNFACE, 0xF0F0F0},
               {COLOR_GRAYTEXT, 0x6D6D6D}};
}

ColorRef HeadlessSystem::GetSysColor(int32_t index) const {
    auto it = colors_.find(index);
    return it == colors_.end() ? 0 : it->second;
}

int16_t HeadlessSystem::GetKeyState(uint32_t vk) const {
    auto it = keys_.find(vk);
    return it != keys_.end() && it->second ? std::numeric_limits<int16_t>::min() : int16_t{0};
}

void HeadlessSystem::SetKeyDown(uint32_t vk, bool down) {
    keys_[vk] = down;
}

void HeadlessSystem::SetModifiers(uint32_t modifiers) {
    SetKeyDown(VK_SHIFT, (modifiers & ModShift) != 0);
    SetKeyDown(VK_CONTROL, (modifiers & ModControl) != 0);
    SetKeyDown(VK_MENU, (modifiers & ModAlt) != 0);
}

std::unique_ptr<Font> HeadlessSystem::CreateFontIndirect(const LogFont& font) {
    if (fontFails_)
        return nullptr;
    return std::make_unique<HeadlessFont>(font);
}

std::unique_ptr<ImageList> HeadlessSystem::CreateImageList(const BitmapData& strip,
                                                           int32_t imageWidth, ColorRef mask) {
    (void)mask;
    if (imageWidth <= 0 || strip.height <= 0 || strip.width < imageWidth)
        return nullptr;
    return std::make_unique<HeadlessImageList>(strip.width / imageWidth,
                                               Size{imageWidth, strip.height});
}

Wnd* HeadlessSystem::GetFocus() const {
    return focus_ ? &focus_->GetWnd() : nullptr;
}

Wnd* HeadlessSystem::GetCapture() const {
    return capture_ ? &capture_->GetWnd() : nullptr;
}

Clipboard* HeadlessSystem::GetClipboard(ClipboardKind kind) {
    if (kind == ClipboardKind::Selection && !hasSelection_)
        return nullptr;
    return &ClipboardOf(kind);
}

uint32_t HeadlessSystem::DoDragDrop(Wnd& source, std::string bytes, CodePage page,
                                    uint32_t allowed) {
    drags_.push_back({bytes, allowed, DROPEFFECT_NONE});
    const size_t index = drags_.size() - 1;
    HeadlessDrag drag(HeadlessData::FromApplication(std::move(bytes), page, &source), allowed);
    // The script may start no drag of its own meanwhile; a copy keeps it alive if it replaces
    // itself.
    if (std::function<void(HeadlessDrag&)> script = dragScript_)
        script(drag);
    drag.Cancel();
    drags_[index].result = drag.Result();
    return drag.Result();
}

// ---------------------------------------------------------------------------------------------
// HeadlessScrollBar

int32_t HeadlessScrollBar::SetScrollInfo(const ScrollInfo& info, bool redraw) {
    (void)redraw;
    return state_.SetScrollInfo(info);
}

// ---------------------------------------------------------------------------------------------
// HeadlessWindow

HeadlessWindow::HeadlessWindow(HeadlessSystem& system, std::unique_ptr<Wnd> wnd, Size size,
                               const PanePlace* place)
    : system_(system), wnd_(std::move(wnd)), size_(size), screen_(size),
      pane_(place ? *place : PanePlace{}) {
    wnd_->AttachHost(this);
    created_ = wnd_->OnCreate();
    if (!created_) {
        wnd_->AttachHost(nullptr);
        return;
    }
    invalid_.push_back(GetClientRect());
    wnd_->OnSize(size_.cx, size_.cy);
}

HeadlessWindow::~HeadlessWindow() {
    if (!created_)
        return;
    drops_.Register(*wnd_, nullptr);
    if (system_.focus_ == this) {
        system_.focus_ = nullptr;
        wnd_->OnKillFocus(nullptr);
    }
    if (system_.capture_ == this)
        system_.capture_ = nullptr;
    wnd_->OnDestroy();
    timers_.clear();
    wnd_->AttachHost(nullptr);
}

void HeadlessWindow::Resize(Size size) {
    if (size == size_)
        return;
    size_ = size;
    screen_.Resize(size);
    invalid_.assign(1, GetClientRect());
    wnd_->OnSize(size.cx, size.cy);
}

void HeadlessWindow::Place(const PanePlace& place, Size size) {
    pane_ = place;
    Resize(size);
}

bool HeadlessWindow::Paint() {
    if (invalid_.empty() || !created_)
        return false;
    HeadlessSurface surface(&screen_, WithoutCoveredRects(std::exchange(invalid_, {})), false);
    ++paints_;
    wnd_->OnDraw(surface);
    return true;
}

void HeadlessWindow::PressKey(uint32_t vk, uint32_t modifiers, std::u32string_view text) {
    const bool shift = system_.GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = system_.GetKeyState(VK_CONTROL) < 0;
    const bool alt = system_.GetKeyState(VK_MENU) < 0;
    system_.SetModifiers(modifiers);
    DeliverKeyPress(*wnd_, vk, modifiers, text);
    system_.SetKeyDown(VK_SHIFT, shift);
    system_.SetKeyDown(VK_CONTROL, ctrl);
    system_.SetKeyDown(VK_MENU, alt);
}

void HeadlessWindow::TypeText(std::u32string_view text) {
    DeliverText(*wnd_, text);
}

void HeadlessWindow::PointerAt(Point p) {
    cursorPos_ = p;
    ShowPointerShape(*wnd_);
}

template <typename Message> void HeadlessWindow::WithKeys(uint32_t flags, Message message) {
    const bool shift = system_.GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = system_.GetKeyState(VK_CONTROL) < 0;
    system_.SetKeyDown(VK_SHIFT, shift || (flags & MK_SHIFT) != 0);
    system_.SetKeyDown(VK_CONTROL, ctrl || (flags & MK_CONTROL) != 0);
    message();
    system_.SetKeyDown(VK_SHIFT, shift);
    system_.SetKeyDown(VK_CONTROL, ctrl);
}

void HeadlessWindow::MouseDown(Point p, uint32_t flags) {
    SetFocus();
    PointerAt(p);
    system_.SetKeyDown(VK_LBUTTON, true);
    WithKeys(flags, [&] { wnd_->OnLButtonDown(flags | MK_LBUTTON, p); });
}

void HeadlessWindow::MouseUp(Point p, uint32_t flags) {
    PointerAt(p);
    system_.SetKeyDown(VK_LBUTTON, false);
    WithKeys(flags, [&] { wnd_->OnLButtonUp(flags & ~uint32_t{MK_LBUTTON}, p); });
}

void HeadlessWindow::DoubleClick(Point p, uint32_t flags) {
    PointerAt(p);
    system_.SetKeyDown(VK_LBUTTON, true);
    WithKeys(flags, [&] { wnd_->OnLButtonDblClk(flags | MK_LBUTTON, p); });
}

void HeadlessWindow::MouseMove(Point p, uint32_t flags) {
    PointerAt(p);
    WithKeys(flags, [&] { wnd_->OnMouseMove(flags, p); });
}

void HeadlessWindow::RightDown(Point p, uint32_t flags) {
    SetFocus();
    PointerAt(p);
    WithKeys(flags, [&] { wnd_->OnRButtonDown(flags | MK_RBUTTON, p); });
}

void HeadlessWindow::MiddleDown(Point p, uint32_t flags) {
    PointerAt(p);
    WithKeys(flags, [&] { wnd_->OnMButtonDown(flags | MK_MBUTTON, p); });
}

bool HeadlessWindow::Wheel(int32_t delta, Point p, uint32_t flags) {
    cursorPos_ = p;
    return wheel_.Turn(*wnd_, flags, delta, p);
}

void HeadlessWindow::Scroll(int32_t bar, uint32_t code, int32_t pos) {
    SendScrollAction(*wnd_, bar, code, pos);
}

bool HeadlessWindow::FireTimer(uint32_t id) {
    if (!timers_.contains(id))
        return false;
    wnd_->OnTimer(id);
    return true;
}

void HeadlessWindow::SysColorChange() {
    if (created_)
        wnd_->OnSysColorChange();
}

void HeadlessWindow::InvalidateRect(const Rect* rect, bool erase) {
    const Rect client = GetClientRect();
    invalidations_.push_back({rect ? *rect : client, erase});
    const Rect r = rect ? Intersect(*rect, client) : client;
    if (!r.IsEmpty())
        invalid_.push_back(r);
}

void HeadlessWindow::ScrollWindow(int32_t dx, int32_t dy, const Rect* scrollRect,
                                  const Rect* clipRect) {
    const Rect client = GetClientRect();
    const Rect src = scrollRect ? Intersect(*scrollRect, client) : client;
    const Rect clip = clipRect ? Intersect(*clipRect, client) : client;
    scrolls_.push_back({dx, dy, scrollRect ? *scrollRect : client, clipRect ? *clipRect : client});

    const Rect dest = Intersect(src.Offset(dx, dy), clip);
    // The pixels that land in `dest`, read before any of them is overwritten.
    std::vector<Cell> moving;
    moving.reserve(static_cast<size_t>(std::max(dest.Width(), 0)) *
                   static_cast<size_t>(std::max(dest.Height(), 0)));
    for (int32_t y = dest.top; y < dest.bottom; ++y)
        for (int32_t x = dest.left; x < dest.right; ++x)
            moving.push_back(screen_.At(x - dx, y - dy));
    auto next = moving.begin();
    for (int32_t y = dest.top; y < dest.bottom; ++y)
        for (int32_t x = dest.left; x < dest.right; ++x)
            screen_.Mutable(x, y) = *next++;
    const std::vector<DrawnIcon> before = screen_.Icons();
    std::vector<DrawnIcon> icons;
    for (const DrawnIcon& i : before) {
        if (!dest.Contains(i.rect.TopLeft()))
            icons.push_back(i);
        const Rect moved = i.rect.Offset(dx, dy);
        if (src.Contains(i.rect.TopLeft()) && dest.Contains(moved.TopLeft()))
            icons.push_back({i.index, moved});
    }
    std::stable_sort(icons.begin(), icons.end(), [](const DrawnIcon& a, const DrawnIcon& b) {
        return DrawnIcon::Before(a.rect.TopLeft(), b.rect.TopLeft());
    });
    screen_.MutableIcons() = std::move(icons);

    // Pending invalid areas travel with the pixels they cover; the uncovered area becomes invalid.
    const size_t pending = invalid_.size();
    for (size_t i = 0; i < pending; ++i) {
        if (!Intersect(invalid_[i], src).IsEmpty()) {
            const Rect moved = Intersect(invalid_[i].Offset(dx, dy), clip);
            if (!moved.IsEmpty())
                invalid_.push_back(moved);
        }
    }
    for (const Rect& r : Subtract(Intersect(src, clip), dest))
        invalid_.push_back(r);
}

ScrollBar* HeadlessWindow::GetScrollBar(int32_t bar) {
    if (ScrollBar* shared = GetSharedScrollBar(bar))
        return shared;
    return &OwnScrollBar(bar);
}

ScrollBar* HeadlessWindow::GetSharedScrollBar(int32_t bar) {
    if (!pane_.splitter)
        return nullptr;
    return bar == SB_VERT ? pane_.vert : pane_.horz;
}

uint32_t HeadlessWindow::SetTimer(uint32_t id, uint32_t elapseMs) {
    if (id == 0)
        return 0;
    timers_[id] = elapseMs;
    return id;
}

void HeadlessWindow::SetFocus() {
    HeadlessWindow* old = system_.focus_;
    if (old == this)
        return;
    system_.focus_ = this;
    if (old)
        old->wnd_->OnKillFocus(wnd_.get());
    wnd_->OnSetFocus(old ? old->wnd_.get() : nullptr);
}

std::unique_ptr<Surface> HeadlessWindow::GetDC() {
    return std::make_unique<HeadlessSurface>(&screen_, std::vector<Rect>{}, false);
}

int32_t HeadlessWindow::GetDlgCtrlID() const {
    return pane_.splitter ? IdFromRowCol(pane_.cell.row, pane_.cell.col) : id_;
}

Splitter* HeadlessWindow::GetParentSplitter() {
    return pane_.splitter;
}

bool HeadlessWindow::RegisterDropTarget(DropTarget* target) {
    drops_.Register(*wnd_, target);
    return true;
}

// ---------------------------------------------------------------------------------------------
// HeadlessSplitter

bool HeadlessPane::HasFocus() const {
    return window_->System().GetFocus() == &window_->GetWnd();
}

HeadlessSplitter::HeadlessSplitter(HeadlessSystem& system, PaneFactory factory, Size size)
    : Splitter(std::move(factory), kScrollBarExtent, kSplitBoxSize, kBarGap), system_(system) {
    SetClientSize(size);
    CreateFirstPane();
}

HeadlessSplitter::~HeadlessSplitter() {
    DestroyPanes();
}

std::unique_ptr<SplitterPane>
HeadlessSplitter::CreatePane(std::unique_ptr<Wnd> wnd, const PanePlace& place, const Rect& rect) {
    auto window = std::make_unique<HeadlessWindow>(system_, std::move(wnd),
                                                   Size{rect.Width(), rect.Height()}, &place);
    if (!window->IsCreated())
        return nullptr;
    return std::make_unique<HeadlessPane>(std::move(window));
}

std::unique_ptr<ScrollBar> HeadlessSplitter::CreateScrollBar(bool /*vertical*/) {
    return std::make_unique<HeadlessScrollBar>();
}

void HeadlessSplitter::PlaceScrollBar(ScrollBar& /*bar*/, const Rect& /*rect*/) {}

HeadlessWindow* HeadlessSplitter::PaneWindow(int32_t row, int32_t col) const {
    auto* pane = static_cast<HeadlessPane*>(PaneAt(row, col));
    return pane ? &pane->Window() : nullptr;
}

void HeadlessSplitter::SysColorChange() {
    for (int32_t r = 0; r < GetRowCount(); ++r)
        for (int32_t c = 0; c < GetColumnCount(); ++c)
            if (HeadlessWindow* w = PaneWindow(r, c))
                w->SysColorChange();
}

} // namespace platform::headless
