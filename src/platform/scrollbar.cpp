#include "platform/scrollbar.h"

#include <algorithm>

namespace platform {

int32_t ScrollBarState::MaxPos() const {
    const int64_t pageLess = page_ > 0 ? static_cast<int64_t>(page_) - 1 : 0;
    return static_cast<int32_t>(std::max<int64_t>(min_, max_ - pageLess));
}

int32_t ScrollBarState::SetScrollInfo(const ScrollInfo& info) {
    if (info.fMask & SIF_RANGE) {
        if (info.nMin > info.nMax) {
            min_ = 0;
            max_ = 0;
        } else {
            min_ = info.nMin;
            max_ = info.nMax;
        }
    }
    if (info.fMask & SIF_PAGE)
        page_ = info.nPage;
    if (info.fMask & SIF_POS)
        pos_ = info.nPos;

    const int64_t span = static_cast<int64_t>(max_) - min_ + 1;
    if (static_cast<int64_t>(page_) > span)
        page_ = static_cast<uint32_t>(span);
    pos_ = std::clamp(pos_, min_, MaxPos());

    if (info.fMask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL)) {
        if (!CanScroll()) {
            if (info.fMask & SIF_DISABLENOSCROLL) {
                enabled_ = false;
                visible_ = true;
            } else {
                visible_ = false;
            }
        } else if (info.fMask != SIF_PAGE) {
            enabled_ = true;
            visible_ = true;
        }
    }
    return pos_;
}

bool ScrollBarState::GetScrollInfo(ScrollInfo& info) const {
    if (info.fMask & SIF_RANGE) {
        info.nMin = min_;
        info.nMax = max_;
    }
    if (info.fMask & SIF_PAGE)
        info.nPage = page_;
    if (info.fMask & SIF_POS)
        info.nPos = pos_;
    if (info.fMask & SIF_TRACKPOS)
        info.nTrackPos = trackPos_;
    return true;
}

} // namespace platform
