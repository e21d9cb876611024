// Scroll bars: the classic SCROLLINFO exchange, the scroll codes a bar sends, and the one model
// of a bar's state that every backend keeps, so that clamping and enabling follow one set of rules.
#pragma once

#include <cstdint>

namespace platform {

// Which bar of a window.
enum ScrollBarKind : int32_t { SB_HORZ = 0, SB_VERT = 1 };

// What the user did to a bar; sent as OnVScroll/OnHScroll(code, pos).
enum ScrollCode : uint32_t {
    SB_LINEUP = 0,
    SB_LINELEFT = 0,
    SB_LINEDOWN = 1,
    SB_LINERIGHT = 1,
    SB_PAGEUP = 2,
    SB_PAGELEFT = 2,
    SB_PAGEDOWN = 3,
    SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_LEFT = 6,
    SB_BOTTOM = 7,
    SB_RIGHT = 7,
    SB_ENDSCROLL = 8,
};

enum ScrollInfoMask : uint32_t {
    SIF_RANGE = 0x01,
    SIF_PAGE = 0x02,
    SIF_POS = 0x04,
    SIF_DISABLENOSCROLL = 0x08,
    SIF_TRACKPOS = 0x10,
    SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS,
};

enum EnableScrollBarFlag : uint32_t { ESB_ENABLE_BOTH = 0, ESB_DISABLE_BOTH = 3 };

struct ScrollInfo {
    uint32_t fMask = 0;
    int32_t nMin = 0;
    int32_t nMax = 0;
    uint32_t nPage = 0;
    int32_t nPos = 0;
    int32_t nTrackPos = 0; // read only: the thumb's place while the user drags it
};

// The state of one bar and the rules that change it:
// - SIF_RANGE with nMin > nMax sets the range to 0..0.
// - The page is clamped to 0 .. nMax - nMin + 1.
// - The position is clamped to nMin .. nMax - max(nPage - 1, 0) after every change.
// - A bar "cannot scroll" when nMin >= nMax - max(nPage - 1, 0). Setting the range or the page of
//   such a bar disables it with SIF_DISABLENOSCROLL and hides it without; setting them on a bar
//   that can scroll shows and enables it, unless only the page was set.
// A new bar has the range 0..100, page 0, position 0 and is visible and enabled.
class ScrollBarState {
public:
    // Returns the resulting position.
    int32_t SetScrollInfo(const ScrollInfo& info);
    // Fills the fields `info.fMask` asks for; always true.
    bool GetScrollInfo(ScrollInfo& info) const;
    void Enable(uint32_t esbFlags) { enabled_ = esbFlags != ESB_DISABLE_BOTH; }
    // Backends call this while the user drags the thumb, before sending SB_THUMBTRACK.
    void SetTrackPos(int32_t pos) { trackPos_ = pos; }

    int32_t Min() const { return min_; }
    int32_t Max() const { return max_; }
    uint32_t Page() const { return page_; }
    int32_t Pos() const { return pos_; }
    int32_t TrackPos() const { return trackPos_; }
    // The highest position the clamping allows.
    int32_t MaxPos() const;
    bool CanScroll() const { return min_ < MaxPos(); }
    bool IsEnabled() const { return enabled_; }
    bool IsVisible() const { return visible_; }

private:
    int32_t min_ = 0;
    int32_t max_ = 100;
    uint32_t page_ = 0;
    int32_t pos_ = 0;
    int32_t trackPos_ = 0;
    bool enabled_ = true;
    bool visible_ = true;
};

// A bar that a backend shows: a window's own bar or a splitter's shared bar of a row or column.
class ScrollBar {
public:
    virtual ~ScrollBar() = default;
    virtual int32_t SetScrollInfo(const ScrollInfo& info, bool redraw) = 0;
    virtual bool GetScrollInfo(ScrollInfo& info) const = 0;
    virtual void EnableScrollBar(uint32_t esbFlags) = 0;
    // Where the user holds the thumb, before SB_THUMBTRACK / SB_THUMBPOSITION is sent.
    virtual void SetTrackPos(int32_t pos) = 0;
    virtual const ScrollBarState& State() const = 0;
};

} // namespace platform
