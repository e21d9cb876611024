#include "platform/wnd.h"

namespace platform {

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
    if (host_)
        host_->ScrollWindow(dx, dy, scrollRect, clipRect);
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

void Wnd::CreateSolidCaret(int32_t width, int32_t height) {
    if (host_)
        host_->CreateCaret({width, height});
}

void Wnd::ShowCaret() {
    if (host_)
        host_->ShowCaret();
}

void Wnd::HideCaret() {
    if (host_)
        host_->HideCaret();
}

void Wnd::SetCaretPos(Point pos) {
    if (host_)
        host_->SetCaretPos(pos);
}

void Wnd::DestroyCaret() {
    if (host_)
        host_->DestroyCaret();
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

int32_t Wnd::GetDlgCtrlID() const {
    return host_ ? host_->GetDlgCtrlID() : 0;
}

Splitter* Wnd::GetParentSplitter() const {
    return host_ ? host_->GetParentSplitter() : nullptr;
}

} // namespace platform
