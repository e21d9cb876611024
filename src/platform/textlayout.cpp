#include "platform/textlayout.h"

#include <algorithm>
#include <limits>

#include "platform/surface.h"

namespace platform {

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0)
        return -1;
    const int64_t product = int64_t{a} * b;
    // Rounded half away from zero: add half the divisor with the sign of the result.
    const bool negative = (product < 0) != (c < 0);
    const int64_t half = (c < 0 ? -int64_t{c} : int64_t{c}) / 2;
    const int64_t magnitude = (product < 0 ? -product : product) + half;
    const int64_t quotient = magnitude / (c < 0 ? -int64_t{c} : int64_t{c});
    const int64_t result = negative ? -quotient : quotient;
    if (result > std::numeric_limits<int32_t>::max() ||
        result < std::numeric_limits<int32_t>::min())
        return -1;
    return static_cast<int32_t>(result);
}

namespace {

bool IsBreakByte(char c) {
    return c == '\r' || c == '\n';
}

// Rows of one paragraph [from, to), which holds no CR or LF.
void WrapParagraph(std::string_view text, int32_t from, int32_t to, int64_t width,
                   const CharWidths& widths, bool wordBreak, std::vector<TextRow>& rows) {
    const auto advance = [&](int32_t i) { return widths[static_cast<uint8_t>(text[i])]; };
    if (from == to || !wordBreak) {
        int64_t total = 0;
        for (int32_t i = from; i < to; ++i)
            total += advance(i);
        rows.push_back({from, to, total});
        return;
    }
    int32_t start = from;
    while (start < to) {
        int64_t x = 0;
        int64_t widthAtBreak = 0;
        int32_t lastBreak = -1; // a row may end here: the first blank after a word
        int32_t end = to;
        int64_t rowWidth = -1;
        for (int32_t j = start; j < to; ++j) {
            const int32_t w = advance(j);
            if (text[j] == ' ') {
                // Blanks may hang past the edge; the row can end before them.
                if (j > start && text[j - 1] != ' ') {
                    lastBreak = j;
                    widthAtBreak = x;
                }
                x += w;
                continue;
            }
            if (x + w > width && j > start) {
                if (lastBreak > start) {
                    end = lastBreak;
                    rowWidth = widthAtBreak;
                } else {
                    end = j;
                    rowWidth = x;
                }
                break;
            }
            x += w;
        }
        if (rowWidth < 0)
            rowWidth = x;
        rows.push_back({start, end, rowWidth});
        start = end;
        if (end == lastBreak)
            while (start < to && text[start] == ' ')
                ++start;
    }
}

} // namespace

void WrapText(std::string_view text, int64_t width, const CharWidths& widths, bool wordBreak,
              bool lineBreaks, std::vector<TextRow>& rows) {
    rows.clear();
    const auto n = static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX));
    int32_t i = 0;
    while (true) {
        int32_t end = i;
        if (lineBreaks)
            while (end < n && !IsBreakByte(text[end]))
                ++end;
        else
            end = n;
        WrapParagraph(text, i, end, width, widths, wordBreak, rows);
        if (end >= n)
            return;
        // CR LF is one break; a lone CR or LF is one too.
        i = end + 1;
        if (text[end] == '\r' && i < n && text[i] == '\n')
            ++i;
    }
}

// ---- Surface::DrawText

int32_t Surface::DrawText(std::string_view text, Rect& rect, uint32_t format) {
    CharWidths widths{};
    GetCharWidth(0, 255, widths.data());
    const int32_t rowHeight = GetTextMetrics().tmHeight;
    std::vector<TextRow> rows;
    WrapText(text, rect.Width(), widths, (format & DT_WORDBREAK) != 0,
             (format & DT_SINGLELINE) == 0, rows);
    const int64_t height = static_cast<int64_t>(rows.size()) * rowHeight;
    const auto height32 = static_cast<int32_t>(std::min<int64_t>(height, INT32_MAX));
    if (format & DT_CALCRECT) {
        int64_t widest = 0;
        for (const TextRow& row : rows)
            widest = std::max(widest, row.width);
        rect.right = static_cast<int32_t>(std::min<int64_t>(rect.left + widest, INT32_MAX));
        rect.bottom = static_cast<int32_t>(std::min<int64_t>(rect.top + height, INT32_MAX));
        return height32;
    }
    int64_t y = rect.top;
    if (format & DT_SINGLELINE) {
        if (format & DT_BOTTOM)
            y = rect.bottom - rowHeight;
        else if (format & DT_VCENTER)
            y = rect.top + (rect.Height() - rowHeight) / 2;
    }
    const uint32_t options = (format & DT_NOCLIP) ? 0u : uint32_t{ETO_CLIPPED};
    for (const TextRow& row : rows) {
        if (!(format & DT_NOCLIP) && y >= rect.bottom)
            break; // clipped away: the rest would draw nothing
        int64_t x = rect.left;
        if (format & DT_CENTER)
            x = rect.left + (rect.Width() - row.width) / 2;
        else if (format & DT_RIGHT)
            x = rect.right - row.width;
        if (row.end > row.begin)
            ExtTextOut(static_cast<int32_t>(x), static_cast<int32_t>(y), options, &rect,
                       text.substr(static_cast<size_t>(row.begin),
                                   static_cast<size_t>(row.end - row.begin)),
                       nullptr);
        y += rowHeight;
    }
    return height32;
}

} // namespace platform
