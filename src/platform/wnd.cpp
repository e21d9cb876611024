#include "platform/wnd.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace platform {
namespace {

int32_t Saturated(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// A pixel distance cut to `extent`: anything further uncovers the whole area just the same.
int32_t PixelDistance(int32_t d, int32_t extent) {
    const int32_t bound = std::max(extent, 0);
    return std::clamp(d, -bound, bound);
}

} // namespace

bool Wnd::PreTranslateKey(uint32_t vk, uint32_t modifiers) {
    const AccelTable* table = GetAcceleratorTable();
    return table && TranslateAccelerator(*table, vk, modifiers);
}

bool Wnd::TranslateAccelerator(const AccelTable& table, uint32_t vk, uint32_t modifiers) {
    const auto cmd = table.Find(vk, modifiers);
    if (!cmd)
        return false;
    OnCommand(*cmd);
    return true;
}

void Wnd::InvalidateRect(const Rect* rect, bool erase) {
    if (host_)
        host_->InvalidateRect(rect, erase);
}

void Wnd::ScrollWindow(int32_t dx, int32_t dy, const Rect* scrollRect, const Rect* clipRect) {
    if (!host_)
        return;
    const Rect client = host_->GetClientRect();
    const Rect area = scrollRect ? Intersect(*scrollRect, client) : client;
    const bool carry = caret_.exists && (dx != 0 || dy != 0) &&
                       (area.Contains(caret_.pos) || !client.Contains(caret_.pos));
    if (carry)
        HideCaret();
    host_->ScrollWindow(PixelDistance(dx, client.Width()), PixelDistance(dy, client.Height()),
                        scrollRect, clipRect);
    if (carry) {
        SetCaretPos({Saturated(int64_t{caret_.pos.x} + dx), Saturated(int64_t{caret_.pos.y} + dy)});
        ShowCaret();
    }
}

void Wnd::UpdateWindow() {
    if (host_)
        host_->UpdateWindow();
}

int32_t Wnd::SetScrollInfo(int32_t bar, const ScrollInfo& info, bool redraw) {
    ScrollBar* sb = host_ ? host_->GetScrollBar(bar) : nullptr;
    return sb ? sb->SetScrollInfo(info, redraw) : 0;
}

bool Wnd::GetScrollInfo(int32_t bar, ScrollInfo& info) const {
    ScrollBar* sb = host_ ? host_->GetScrollBar(bar) : nullptr;
    return sb && sb->GetScrollInfo(info);
}

void Wnd::EnableScrollBar(int32_t bar, uint32_t esbFlags) {
    if (ScrollBar* sb = host_ ? host_->GetScrollBar(bar) : nullptr)
        sb->EnableScrollBar(esbFlags);
}

ScrollBar* Wnd::GetScrollBarCtrl(int32_t bar) const {
    return host_ ? host_->GetSharedScrollBar(bar) : nullptr;
}

template <typename Change> void Wnd::ChangeCaret(Change change) {
    if (!host_)
        return;
    const CaretState before = caret_;
    change(caret_);
    if (caret_ != before)
        host_->CaretChanged(caret_);
}

void Wnd::CreateSolidCaret(int32_t width, int32_t height) {
    ChangeCaret([&](CaretState& c) { c.Create({width, height}); });
}

void Wnd::CreateGrayCaret(int32_t width, int32_t height) {
    ChangeCaret([&](CaretState& c) { c.Create({width, height}, true); });
}

void Wnd::ShowCaret() {
    ChangeCaret([](CaretState& c) { c.Show(); });
}

void Wnd::HideCaret() {
    ChangeCaret([](CaretState& c) { c.Hide(); });
}

void Wnd::SetCaretPos(Point pos) {
    ChangeCaret([&](CaretState& c) { c.pos = pos; });
}

void Wnd::DestroyCaret() {
    ChangeCaret([](CaretState& c) { c.Destroy(); });
}

void Wnd::SetCapture() {
    if (host_)
        host_->SetCapture();
}

void Wnd::ReleaseCapture() {
    if (host_)
        host_->System().ReleaseCapture();
}

Wnd* Wnd::GetCapture() const {
    return host_ ? host_->System().GetCapture() : nullptr;
}

uint32_t Wnd::SetTimer(uint32_t id, uint32_t elapseMs) {
    return host_ ? host_->SetTimer(id, elapseMs) : 0;
}

bool Wnd::KillTimer(uint32_t id) {
    return host_ && host_->KillTimer(id);
}

void Wnd::SetCursor(int32_t cursorId) {
    if (host_)
        host_->SetCursor(cursorId);
}

int16_t Wnd::GetKeyState(uint32_t vk) const {
    return host_ ? host_->System().GetKeyState(vk) : 0;
}

Wnd* Wnd::GetFocus() const {
    return host_ ? host_->System().GetFocus() : nullptr;
}

void Wnd::SetFocus() {
    if (host_)
        host_->SetFocus();
}

Point Wnd::GetCursorPos() const {
    return host_ ? host_->GetCursorPos() : Point{};
}

std::unique_ptr<Surface> Wnd::GetDC() {
    return host_ ? host_->GetDC() : nullptr;
}

Font* Wnd::GetFont() const {
    return host_ ? host_->GetFont() : nullptr;
}

std::unique_ptr<Font> Wnd::CreateFontIndirect(const LogFont& font) {
    return host_ ? host_->System().CreateFontIndirect(font) : nullptr;
}

std::unique_ptr<ImageList> Wnd::CreateImageList(const BitmapData& strip, int32_t imageWidth,
                                                ColorRef mask) {
    return host_ ? host_->System().CreateImageList(strip, imageWidth, mask) : nullptr;
}

ColorRef Wnd::GetSysColor(int32_t index) const {
    return host_ ? host_->System().GetSysColor(index) : 0;
}

Clipboard* Wnd::GetClipboard(ClipboardKind kind) const {
    return host_ ? host_->System().GetClipboard(kind) : nullptr;
}

uint32_t Wnd::DoDragDrop(std::string bytes, CodePage page, uint32_t allowed) {
    return host_ ? host_->System().DoDragDrop(*this, std::move(bytes), page, allowed) : 0;
}

bool Wnd::RegisterDropTarget(DropTarget* target) {
    return host_ && target && host_->RegisterDropTarget(target);
}

void Wnd::RevokeDropTarget() {
    if (host_)
        host_->RegisterDropTarget(nullptr);
}

int32_t Wnd::GetDlgCtrlID() const {
    return host_ ? host_->GetDlgCtrlID() : 0;
}

Splitter* Wnd::GetParentSplitter() const {
    return host_ ? host_->GetParentSplitter() : nullptr;
}

} // namespace platform
