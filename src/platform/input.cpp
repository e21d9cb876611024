#include "platform/input.h"

#include <optional>

#include "platform/splitter.h"
#include "platform/wnd.h"

namespace platform {

void DeliverKeyPress(Wnd& wnd, uint32_t vk, uint32_t modifiers, std::u32string_view text) {
    if (vk && wnd.PreTranslateKey(vk, modifiers & ModMask))
        return;
    if (vk)
        wnd.OnKeyDown(vk, 1);
    if (!(modifiers & ModAlt))
        DeliverText(wnd, text);
}

void DeliverText(Wnd& wnd, std::u32string_view text) {
    for (char32_t ch : text) {
        if (ch == 0x7F)
            continue;
        if (const std::optional<uint8_t> byte = UnicodeToByte(wnd.GetInputCodePage(), ch))
            wnd.OnChar(*byte, 1);
    }
}

bool WindowClaimsKey(const Wnd& wnd, uint32_t vk, uint32_t modifiers) {
    const AccelTable* table = wnd.GetAcceleratorTable();
    return vk && table && table->Contains(vk, modifiers & ModMask);
}

void ShowPointerShape(Wnd& wnd) {
    if (!wnd.OnSetCursor(HTCLIENT))
        wnd.SetCursor(IDC_ARROW);
}

void SendScrollAction(Wnd& wnd, int32_t bar, uint32_t code, int32_t pos) {
    if (Splitter* splitter = wnd.GetParentSplitter()) {
        if (const std::optional<PaneCell> cell = RowColFromId(wnd.GetDlgCtrlID())) {
            if (bar == SB_VERT)
                splitter->RowBarAction(cell->row, code, pos);
            else
                splitter->ColumnBarAction(cell->col, code, pos);
            return;
        }
    }
    ScrollBar* sb = wnd.Host() ? wnd.Host()->GetScrollBar(bar) : nullptr;
    if (sb && (code == SB_THUMBTRACK || code == SB_THUMBPOSITION))
        sb->SetTrackPos(pos);
    if (bar == SB_VERT)
        wnd.OnVScroll(code, pos);
    else
        wnd.OnHScroll(code, pos);
}

bool MouseWheel::Turn(Wnd& wnd, uint32_t flags, int32_t delta, Point point) {
    if (delta == 0)
        return true;
    if (wnd.OnMouseWheel(flags, delta, point)) {
        pending_ = 0;
        return true;
    }
    const WindowSystem* system = wnd.System();
    const int64_t perNotch = system ? system->GetWheelScrollLines() : 3;
    if ((pending_ < 0) != (delta < 0))
        pending_ = 0;
    pending_ += int64_t{delta} * perNotch;
    const int64_t lines = pending_ / WHEEL_DELTA;
    pending_ %= WHEEL_DELTA;
    const uint32_t code = lines > 0 ? SB_LINEUP : SB_LINEDOWN;
    for (int64_t i = 0; i < (lines < 0 ? -lines : lines); ++i)
        SendScrollAction(wnd, SB_VERT, code);
    if (lines != 0)
        SendScrollAction(wnd, SB_VERT, SB_ENDSCROLL);
    return false;
}

} // namespace platform
