// The clipboards and drags of the in-memory backend. Text put there by this application keeps its
// exact bytes; a test can also put there what another application would (Unicode text) and read
// what another application would get (TextForOtherApplications).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clipboard.h"
#include "platform/dragdrop.h"
#include "platform/keys.h"

namespace platform::headless {

class HeadlessWindow;

// What a clipboard holds or a drag carries: the bytes of this application, or the text of
// another one.
class HeadlessData final : public DataObject {
public:
    HeadlessData() = default;
    static HeadlessData FromApplication(std::string bytes, CodePage page, Wnd* source = nullptr);
    static HeadlessData FromOtherApplication(std::u32string text);

    bool HasText() const override { return bytes_.has_value() || foreign_.has_value(); }
    std::optional<std::string> GetText(CodePage page) const override;
    Wnd* SourceWindow() const override { return source_; }

    // The application's bytes exactly; none for another application's text.
    const std::optional<std::string>& Bytes() const { return bytes_; }
    // What another application reads: UTF-8 with LF line ends.
    std::optional<std::string> PlainText() const;

private:
    std::optional<std::string> bytes_;
    CodePage page_ = CodePage::Windows1252;
    std::optional<std::u32string> foreign_;
    Wnd* source_ = nullptr;
};

class HeadlessClipboard final : public Clipboard {
public:
    bool HasText() const override { return data_.HasText(); }
    std::optional<std::string> GetText(CodePage page) const override { return data_.GetText(page); }
    bool SetText(std::string bytes, CodePage page) override;

    // Another application takes the clipboard with `text`.
    void SetForeignText(std::u32string text) { data_ = HeadlessData::FromOtherApplication(text); }
    void Clear() { data_ = {}; }
    // While set, SetText refuses and the clipboard keeps what it held.
    void SetRefuses(bool refuses) { refuses_ = refuses; }
    const HeadlessData& Data() const { return data_; }
    // How often SetText took text.
    int32_t SetCount() const { return sets_; }

private:
    HeadlessData data_;
    bool refuses_ = false;
    int32_t sets_ = 0;
};

// One drag as a test drives it: the pointer moves over windows, rests (Tick), and drops or gives
// up. Each window passed hears of it through its DropSite.
class HeadlessDrag {
public:
    HeadlessDrag(HeadlessData data, uint32_t allowed) : data_(std::move(data)), allowed_(allowed) {}
    ~HeadlessDrag();
    HeadlessDrag(const HeadlessDrag&) = delete;
    HeadlessDrag& operator=(const HeadlessDrag&) = delete;

    // The pointer over `window` at `point` (client coordinates) with `keyState` (MouseFlag bits);
    // the window it was over before hears that the drag left. Returns the effect shown.
    uint32_t MoveTo(HeadlessWindow& window, Point point, uint32_t keyState = MK_LBUTTON);
    // The pointer rests: the periodic call to the window under it. Returns the effect shown.
    uint32_t Tick();
    // The button goes up over the current window with `keyState`: the effect of the drop, none
    // when refused or over no window. The drag is over.
    uint32_t Drop(uint32_t keyState = 0);
    // The user gives up (Escape): the window under the pointer hears that the drag left.
    void Cancel();

    bool Ended() const { return ended_; }
    uint32_t Result() const { return result_; }
    uint32_t Allowed() const { return allowed_; }
    const HeadlessData& Data() const { return data_; }
    HeadlessWindow* Over() const { return over_; }

private:
    HeadlessData data_;
    uint32_t allowed_;
    HeadlessWindow* over_ = nullptr;
    uint32_t result_ = DROPEFFECT_NONE;
    bool ended_ = false;
};

} // namespace platform::headless
