// The view of the engine benchmarks hosted on one of two backends with the fixed 8 x 16 cell.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "common/benchview.h"
#include "common/null_backend.h"
#include "platform/headless/headless.h"
#include "view/textview.h"

namespace bench {

// kColumns x kRows cells beside the margin.
inline constexpr platform::Size kWindow{CTextView::kMarginPixels + kColumns * 8, kRows * 16};

// A new view in a window of kWindow pixels: on the headless test backend, which records every
// pixel and so costs far more than a real screen, or on the null backend, which draws into
// nothing and shows what the engine itself costs. The view has no buffer yet.
template <typename View> class BackendWindow {
public:
    explicit BackendWindow(bool headless) {
        auto made = std::make_unique<View>();
        view_ = made.get();
        if (headless)
            headless_ = std::make_unique<platform::headless::HeadlessWindow>(
                system_, std::move(made), kWindow);
        else
            null_ = std::make_unique<nullbackend::NullWindow>(std::move(made), kWindow);
    }
    View& GetView() const { return *view_; }
    // Null on the null backend.
    platform::headless::HeadlessWindow* Headless() const { return headless_.get(); }
    nullbackend::NullWindow* Null() const { return null_.get(); }

    // Paints what is invalid, as the message loop does after each input.
    void PaintInvalid() {
        if (headless_)
            headless_->Paint();
        else
            null_->UpdateWindow();
    }
    // Invalidates the whole window and paints it.
    void PaintAll() {
        if (headless_)
            headless_->InvalidateRect(nullptr, false);
        else
            null_->InvalidateRect(nullptr, false);
        PaintInvalid();
    }

private:
    platform::headless::HeadlessSystem system_;
    std::unique_ptr<platform::headless::HeadlessWindow> headless_;
    std::unique_ptr<nullbackend::NullWindow> null_;
    View* view_ = nullptr;
};

} // namespace bench
