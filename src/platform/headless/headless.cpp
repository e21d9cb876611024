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

constexpr int32_t kWheelLines = 3;

bool IsThumbCode(uint32_t code) {
    return code == SB_THUMBTRACK || code == SB_THUMBPOSITION;
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

// ---------------------------------------------------------------------------------------------
// HeadlessScrollBar

int32_t HeadlessScrollBar::SetScrollInfo(const ScrollInfo& info, bool redraw) {
    (void)redraw;
    return state_.SetScrollInfo(info);
}

// ---------------------------------------------------------------------------------------------
// HeadlessWindow

HeadlessWindow::HeadlessWindow(HeadlessSystem& system, std::unique_ptr<Wnd> wnd, Size size,
                               HeadlessSplitter* splitter, PaneCell cell)
    : system_(system), wnd_(std::move(wnd)), size_(size), screen_(size), splitter_(splitter),
      cell_(cell) {
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

bool HeadlessWindow::Paint() {
    if (invalid_.empty() || !created_)
        return false;
    HeadlessSurface surface(&screen_, WithoutCoveredRects(std::exchange(invalid_, {})), false);
    ++paints_;
    wnd_->OnDraw(surface);
    return true;
}

void HeadlessWindow::PressKey(uint32_t vk, uint32_t modifiers) {
    const bool shift = system_.GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = system_.GetKeyState(VK_CONTROL) < 0;
    const bool alt = system_.GetKeyState(VK_MENU) < 0;
    system_.SetModifiers(modifiers);
    if (!wnd_->PreTranslateKey(vk, modifiers & ModMask))
        wnd_->OnKeyDown(vk, 1);
    system_.SetKeyDown(VK_SHIFT, shift);
    system_.SetKeyDown(VK_CONTROL, ctrl);
    system_.SetKeyDown(VK_MENU, alt);
}

void HeadlessWindow::TypeText(std::u32string_view text) {
    for (char32_t ch : text) {
        if (auto byte = UnicodeToByte(wnd_->GetInputCodePage(), ch))
            wnd_->OnChar(*byte, 1);
    }
}

void HeadlessWindow::PointerAt(Point p) {
    cursorPos_ = p;
    if (!wnd_->OnSetCursor(HTCLIENT))
        cursor_ = IDC_ARROW;
}

void HeadlessWindow::MouseDown(Point p, uint32_t flags) {
    SetFocus();
    PointerAt(p);
    wnd_->OnLButtonDown(flags, p);
}

void HeadlessWindow::MouseUp(Point p, uint32_t flags) {
    PointerAt(p);
    wnd_->OnLButtonUp(flags, p);
}

void HeadlessWindow::DoubleClick(Point p, uint32_t flags) {
    PointerAt(p);
    wnd_->OnLButtonDblClk(flags, p);
}

void HeadlessWindow::MouseMove(Point p, uint32_t flags) {
    PointerAt(p);
    wnd_->OnMouseMove(flags, p);
}

bool HeadlessWindow::Wheel(int32_t delta, Point p, uint32_t flags) {
    cursorPos_ = p;
    if (delta == 0 || wnd_->OnMouseWheel(flags, delta, p))
        return true;
    const int32_t lines = kWheelLines * (delta < 0 ? -delta : delta) / WHEEL_DELTA;
    for (int32_t i = 0; i < lines; ++i)
        Scroll(SB_VERT, delta > 0 ? SB_LINEUP : SB_LINEDOWN);
    Scroll(SB_VERT, SB_ENDSCROLL);
    return false;
}

void HeadlessWindow::Scroll(int32_t bar, uint32_t code, int32_t pos) {
    if (splitter_) {
        if (bar == SB_VERT)
            splitter_->ScrollRow(cell_.row, code, pos);
        else
            splitter_->ScrollColumn(cell_.col, code, pos);
        return;
    }
    if (IsThumbCode(code))
        OwnScrollBar(bar).MutableState().SetTrackPos(pos);
    if (bar == SB_VERT)
        wnd_->OnVScroll(code, pos);
    else
        wnd_->OnHScroll(code, pos);
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
    if (!splitter_)
        return nullptr;
    return bar == SB_VERT ? splitter_->GetRowScrollBar(cell_.row)
                          : splitter_->GetColumnScrollBar(cell_.col);
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
    return splitter_ ? IdFromRowCol(cell_.row, cell_.col) : id_;
}

Splitter* HeadlessWindow::GetParentSplitter() {
    return splitter_;
}

// ---------------------------------------------------------------------------------------------
// HeadlessSplitter

HeadlessSplitter::HeadlessSplitter(HeadlessSystem& system, PaneFactory factory, Size size)
    : system_(system), factory_(std::move(factory)),
      layout_(kScrollBarExtent, kSplitBoxSize, kBarGap) {
    layout_.SetClientSize(size);
    rowBars_[0] = std::make_unique<HeadlessScrollBar>();
    colBars_[0] = std::make_unique<HeadlessScrollBar>();
    panes_[0][0] = MakePane(0, 0);
    if (panes_[0][0])
        panes_[0][0]->GetWnd().OnInitialUpdate();
}

HeadlessSplitter::~HeadlessSplitter() {
    for (auto& row : panes_)
        for (auto& pane : row)
            pane.reset();
}

std::unique_ptr<HeadlessWindow> HeadlessSplitter::MakePane(int32_t row, int32_t col) {
    std::unique_ptr<Wnd> wnd = factory_ ? factory_(row, col) : nullptr;
    if (!wnd)
        return nullptr;
    const Rect r = layout_.PaneRect(row, col);
    auto pane = std::make_unique<HeadlessWindow>(
        system_, std::move(wnd), Size{r.Width(), r.Height()}, this, PaneCell{row, col});
    if (!pane->IsCreated())
        return nullptr;
    return pane;
}

HeadlessWindow* HeadlessSplitter::PaneWindow(int32_t row, int32_t col) const {
    if (row < 0 || row >= layout_.Rows() || col < 0 || col >= layout_.Columns())
        return nullptr;
    return panes_[static_cast<size_t>(row)][static_cast<size_t>(col)].get();
}

Wnd* HeadlessSplitter::GetPane(int32_t row, int32_t col) const {
    HeadlessWindow* w = PaneWindow(row, col);
    return w ? &w->GetWnd() : nullptr;
}

ScrollBar* HeadlessSplitter::GetRowScrollBar(int32_t row) const {
    return row >= 0 && row < layout_.Rows() ? rowBars_[static_cast<size_t>(row)].get() : nullptr;
}

ScrollBar* HeadlessSplitter::GetColumnScrollBar(int32_t col) const {
    return col >= 0 && col < layout_.Columns() ? colBars_[static_cast<size_t>(col)].get() : nullptr;
}

void HeadlessSplitter::Relayout() {
    for (int32_t r = 0; r < layout_.Rows(); ++r) {
        for (int32_t c = 0; c < layout_.Columns(); ++c) {
            if (HeadlessWindow* w = PaneWindow(r, c)) {
                const Rect rect = layout_.PaneRect(r, c);
                w->Resize({rect.Width(), rect.Height()});
            }
        }
    }
}

void HeadlessSplitter::Resize(Size size) {
    layout_.SetClientSize(size);
    Relayout();
}

bool HeadlessSplitter::SplitRow(int32_t y) {
    if (!layout_.SplitRowAt(y))
        return false;
    rowBars_[1] = std::make_unique<HeadlessScrollBar>();
    for (int32_t c = 0; c < layout_.Columns(); ++c) {
        panes_[1][static_cast<size_t>(c)] = MakePane(1, c);
        if (!panes_[1][static_cast<size_t>(c)]) {
            for (auto& pane : panes_[1])
                pane.reset();
            rowBars_[1].reset();
            layout_.RemoveRow();
            return false;
        }
    }
    Relayout();
    for (auto& pane : panes_[1])
        if (pane)
            pane->GetWnd().OnInitialUpdate();
    return true;
}

bool HeadlessSplitter::SplitColumn(int32_t x) {
    if (!layout_.SplitColumnAt(x))
        return false;
    colBars_[1] = std::make_unique<HeadlessScrollBar>();
    for (int32_t r = 0; r < layout_.Rows(); ++r) {
        panes_[static_cast<size_t>(r)][1] = MakePane(r, 1);
        if (!panes_[static_cast<size_t>(r)][1]) {
            for (auto& row : panes_)
                row[1].reset();
            colBars_[1].reset();
            layout_.RemoveColumn();
            return false;
        }
    }
    Relayout();
    for (auto& row : panes_)
        if (row[1])
            row[1]->GetWnd().OnInitialUpdate();
    return true;
}

bool HeadlessSplitter::DeleteRow(int32_t row) {
    if (layout_.Rows() != 2 || row < 0 || row > 1)
        return false;
    const auto r = static_cast<size_t>(row);
    int32_t focusCol = -1;
    for (size_t c = 0; c < panes_[r].size(); ++c) {
        if (panes_[r][c] && system_.FocusWindow() == panes_[r][c].get())
            focusCol = static_cast<int32_t>(c);
        panes_[r][c].reset();
    }
    if (row == 0) {
        for (size_t c = 0; c < panes_[0].size(); ++c) {
            panes_[0][c] = std::move(panes_[1][c]);
            if (panes_[0][c])
                panes_[0][c]->cell_.row = 0;
        }
        rowBars_[0] = std::move(rowBars_[1]);
    }
    rowBars_[1].reset();
    layout_.RemoveRow();
    Relayout();
    if (focusCol >= 0 && PaneWindow(0, focusCol))
        PaneWindow(0, focusCol)->SetFocus();
    return true;
}

bool HeadlessSplitter::DeleteColumn(int32_t col) {
    if (layout_.Columns() != 2 || col < 0 || col > 1)
        return false;
    const auto c = static_cast<size_t>(col);
    int32_t focusRow = -1;
    for (size_t r = 0; r < panes_.size(); ++r) {
        if (panes_[r][c] && system_.FocusWindow() == panes_[r][c].get())
            focusRow = static_cast<int32_t>(r);
        panes_[r][c].reset();
    }
    if (col == 0) {
        for (auto& row : panes_) {
            row[0] = std::move(row[1]);
            if (row[0])
                row[0]->cell_.col = 0;
        }
        colBars_[0] = std::move(colBars_[1]);
    }
    colBars_[1].reset();
    layout_.RemoveColumn();
    Relayout();
    if (focusRow >= 0 && PaneWindow(focusRow, 0))
        PaneWindow(focusRow, 0)->SetFocus();
    return true;
}

void HeadlessSplitter::ScrollRow(int32_t row, uint32_t code, int32_t pos) {
    auto* bar = static_cast<HeadlessScrollBar*>(GetRowScrollBar(row));
    if (!bar)
        return;
    if (IsThumbCode(code))
        bar->MutableState().SetTrackPos(pos);
    const std::array<Wnd*, kMaxColumns> panes{GetPane(row, 0), GetPane(row, 1)};
    DispatchSharedScroll(*bar, panes, true, code, pos);
}

void HeadlessSplitter::ScrollColumn(int32_t col, uint32_t code, int32_t pos) {
    auto* bar = static_cast<HeadlessScrollBar*>(GetColumnScrollBar(col));
    if (!bar)
        return;
    if (IsThumbCode(code))
        bar->MutableState().SetTrackPos(pos);
    const std::array<Wnd*, kMaxRows> panes{GetPane(0, col), GetPane(1, col)};
    DispatchSharedScroll(*bar, panes, false, code, pos);
}

void HeadlessSplitter::SysColorChange() {
    for (int32_t r = 0; r < layout_.Rows(); ++r)
        for (int32_t c = 0; c < layout_.Columns(); ++c)
            if (HeadlessWindow* w = PaneWindow(r, c))
                w->SysColorChange();
}

} // namespace platform::headless
