#include "platform/headless/headless_transfer.h"

#include <utility>

#include "platform/headless/headless.h"

namespace platform::headless {

// ---- HeadlessData

HeadlessData HeadlessData::FromApplication(std::string bytes, CodePage page, Wnd* source) {
    HeadlessData data;
    data.bytes_ = std::move(bytes);
    data.page_ = page;
    data.source_ = source;
    return data;
}

HeadlessData HeadlessData::FromOtherApplication(std::u32string text) {
    HeadlessData data;
    data.foreign_ = std::move(text);
    return data;
}

std::optional<std::string> HeadlessData::GetText(CodePage page) const {
    if (bytes_)
        return *bytes_;
    if (foreign_)
        return TextFromOtherApplications(*foreign_, page);
    return std::nullopt;
}

std::optional<std::string> HeadlessData::PlainText() const {
    if (bytes_)
        return TextForOtherApplications(*bytes_, page_);
    if (!foreign_)
        return std::nullopt;
    return Utf8FromUnicode(*foreign_);
}

// ---- HeadlessClipboard

bool HeadlessClipboard::SetText(std::string bytes, CodePage page) {
    if (refuses_)
        return false;
    data_ = HeadlessData::FromApplication(std::move(bytes), page);
    ++sets_;
    return true;
}

// ---- HeadlessDrag

HeadlessDrag::~HeadlessDrag() {
    if (!ended_)
        Cancel();
}

uint32_t HeadlessDrag::MoveTo(HeadlessWindow& window, Point point, uint32_t keyState) {
    if (ended_)
        return DROPEFFECT_NONE;
    if (over_ && over_ != &window)
        over_->Drops().Leave(over_->GetWnd());
    over_ = &window;
    return window.Drops().Over(window.GetWnd(), data_, allowed_, keyState, point);
}

uint32_t HeadlessDrag::Tick() {
    if (ended_ || !over_)
        return DROPEFFECT_NONE;
    return over_->Drops().Tick(over_->GetWnd());
}

uint32_t HeadlessDrag::Drop(uint32_t keyState) {
    if (ended_)
        return result_;
    ended_ = true;
    if (!over_)
        return result_;
    HeadlessWindow* window = std::exchange(over_, nullptr);
    DropSite& site = window->Drops();
    result_ = site.Drop(window->GetWnd(), data_, allowed_, keyState, site.Position());
    return result_;
}

void HeadlessDrag::Cancel() {
    if (ended_)
        return;
    ended_ = true;
    if (HeadlessWindow* window = std::exchange(over_, nullptr))
        window->Drops().Leave(window->GetWnd());
}

} // namespace platform::headless
