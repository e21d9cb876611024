// A window backend that draws into nothing: fixed 8 x 16 cells, scroll bars that keep their
// state, no caret, no timers, a clipboard that keeps the text it is given. Painting through it
// costs what the engine costs and no more, which is what the view's figures are about; the headless
// backend records every pixel instead.
#pragma once

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/clipboard.h"
#include "platform/scrollbar.h"
#include "platform/wnd.h"

namespace nullbackend {

using namespace platform;

class NullFont final : public Font {
public:
    explicit NullFont(const LogFont& lf) : lf_(lf) {}
    const LogFont& GetLogFont() const override { return lf_; }

private:
    LogFont lf_;
};

class NullBitmap final : public Bitmap {
public:
    explicit NullBitmap(Size size) : size_(size) {}
    Size GetSize() const override { return size_; }

private:
    Size size_;
};

class NullSurface final : public Surface {
public:
    void FillSolidRect(const Rect& rect, ColorRef color) override {
        benchmark::DoNotOptimize(rect);
        benchmark::DoNotOptimize(color);
    }
    void ExtTextOut(int32_t x, int32_t y, uint32_t, const Rect*, std::string_view text,
                    const int32_t*) override {
        benchmark::DoNotOptimize(x + y);
        benchmark::DoNotOptimize(text.data());
    }
    Font* SelectFont(Font* font) override { return std::exchange(font_, font); }
    ColorRef SetTextColor(ColorRef color) override { return std::exchange(text_, color); }
    ColorRef SetBkColor(ColorRef color) override { return std::exchange(back_, color); }
    ColorRef GetTextColor() const override { return text_; }
    ColorRef GetBkColor() const override { return back_; }
    int32_t SetBkMode(int32_t mode) override { return std::exchange(mode_, mode); }
    Size GetTextExtent(std::string_view text) override {
        return {static_cast<int32_t>(text.size()) * 8, 16};
    }
    TextMetrics GetTextMetrics() override { return {16, 13, 3, 0, 0, 8, 8}; }
    bool GetCharWidth(uint8_t first, uint8_t last, int32_t* widths) override {
        for (int c = first; c <= last; ++c)
            widths[c - first] = 8;
        return first <= last;
    }
    int32_t GetDeviceCaps(int32_t index) const override {
        return index == LOGPIXELSX || index == LOGPIXELSY ? 96 : 0;
    }
    std::unique_ptr<Surface> CreateCompatibleDC() override {
        return std::make_unique<NullSurface>();
    }
    std::unique_ptr<Bitmap> CreateCompatibleBitmap(int32_t cx, int32_t cy) override {
        return std::make_unique<NullBitmap>(Size{cx, cy});
    }
    Bitmap* SelectBitmap(Bitmap* bitmap) override { return std::exchange(bitmap_, bitmap); }
    bool BitBlt(int32_t, int32_t, int32_t, int32_t, Surface&, int32_t, int32_t) override {
        return true;
    }

private:
    Font* font_ = nullptr;
    Bitmap* bitmap_ = nullptr;
    ColorRef text_ = 0;
    ColorRef back_ = 0xFFFFFF;
    int32_t mode_ = OPAQUE;
};

class NullImageList final : public ImageList {
public:
    int32_t GetImageCount() const override { return 14; }
    Size GetImageSize() const override { return {16, 16}; }
    bool Draw(Surface&, int32_t index, Point) override { return index >= 0 && index < 14; }
};

class NullClipboard final : public Clipboard {
public:
    bool HasText() const override { return text_.has_value(); }
    std::optional<std::string> GetText(CodePage) const override { return text_; }
    bool SetText(std::string bytes, CodePage) override {
        text_ = std::move(bytes);
        return true;
    }

private:
    std::optional<std::string> text_;
};

class NullSystem final : public WindowSystem {
public:
    Clipboard* GetClipboard(ClipboardKind kind) override {
        return kind == ClipboardKind::Standard ? &clipboard_ : nullptr;
    }
    ColorRef GetSysColor(int32_t) const override { return 0xFFFFFF; }
    int16_t GetKeyState(uint32_t) const override { return 0; }
    std::unique_ptr<Font> CreateFontIndirect(const LogFont& font) override {
        return std::make_unique<NullFont>(font);
    }
    std::unique_ptr<ImageList> CreateImageList(const BitmapData&, int32_t, ColorRef) override {
        return std::make_unique<NullImageList>();
    }
    Wnd* GetFocus() const override { return nullptr; }
    Wnd* GetCapture() const override { return nullptr; }
    void ReleaseCapture() override {}

private:
    NullClipboard clipboard_;
};

class NullScrollBar final : public ScrollBar {
public:
    int32_t SetScrollInfo(const ScrollInfo& info, bool) override {
        return state_.SetScrollInfo(info);
    }
    bool GetScrollInfo(ScrollInfo& info) const override { return state_.GetScrollInfo(info); }
    void EnableScrollBar(uint32_t flags) override { state_.Enable(flags); }
    void SetTrackPos(int32_t pos) override { state_.SetTrackPos(pos); }
    const ScrollBarState& State() const override { return state_; }

private:
    ScrollBarState state_;
};

// Hosts one engine window; UpdateWindow paints when something was invalidated.
class NullWindow final : public WndHost {
public:
    NullWindow(std::unique_ptr<Wnd> wnd, Size size) : wnd_(std::move(wnd)), size_(size) {
        wnd_->AttachHost(this);
        wnd_->OnCreate();
        wnd_->OnSize(size.cx, size.cy);
        invalid_ = true;
    }
    ~NullWindow() override {
        wnd_->OnDestroy();
        wnd_->AttachHost(nullptr);
    }
    NullWindow(const NullWindow&) = delete;
    NullWindow& operator=(const NullWindow&) = delete;

    WindowSystem& System() override { return system_; }
    Rect GetClientRect() const override { return {0, 0, size_.cx, size_.cy}; }
    void InvalidateRect(const Rect*, bool) override { invalid_ = true; }
    void ScrollWindow(int32_t dx, int32_t dy, const Rect*, const Rect*) override {
        if (dx != 0 || dy != 0)
            invalid_ = true;
    }
    void UpdateWindow() override {
        if (!invalid_)
            return;
        invalid_ = false;
        NullSurface screen;
        wnd_->OnDraw(screen);
    }
    ScrollBar* GetScrollBar(int32_t bar) override { return bar == SB_VERT ? &vbar_ : &hbar_; }
    ScrollBar* GetSharedScrollBar(int32_t) override { return nullptr; }
    void SetCapture() override {}
    uint32_t SetTimer(uint32_t id, uint32_t) override { return id; }
    bool KillTimer(uint32_t) override { return true; }
    void SetCursor(int32_t) override {}
    void SetFocus() override {}
    Point GetCursorPos() const override { return cursor_; }
    // Where the pointer is said to be.
    void SetCursorPos(Point p) { cursor_ = p; }
    std::unique_ptr<Surface> GetDC() override { return std::make_unique<NullSurface>(); }
    Font* GetFont() override { return &font_; }
    int32_t GetDlgCtrlID() const override { return 0; }
    Splitter* GetParentSplitter() override { return nullptr; }

private:
    NullSystem system_;
    NullFont font_{LogFont{}};
    NullScrollBar vbar_;
    NullScrollBar hbar_;
    std::unique_ptr<Wnd> wnd_;
    Size size_;
    Point cursor_;
    bool invalid_ = false;
};

} // namespace nullbackend
