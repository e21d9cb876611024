// Word-wrapped text: how a text is cut into rows for a width, the rule Surface::DrawText draws
// with. A printer lays out long source lines with it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

// The advance of every byte value in one font.
using CharWidths = std::array<int32_t, 256>;

// One row of a text: bytes [begin, end) and their width. The blanks at a word break, and the CR
// or LF that ended a row, belong to no row.
struct TextRow {
    int32_t begin = 0;
    int32_t end = 0;
    int64_t width = 0;

    friend bool operator==(const TextRow&, const TextRow&) = default;
};

// Cuts `text` into rows no wider than `width` (see Surface::DrawText): CR, LF or CR LF ends a row
// when `lineBreaks` is set; with `wordBreak`, a row ends before the word that would cross
// `width`, or inside a word that is wider by itself. Every row holds at least one character, so a
// width of 0 or less gives one row per character. An empty text is one empty row.
void WrapText(std::string_view text, int64_t width, const CharWidths& widths, bool wordBreak,
              bool lineBreaks, std::vector<TextRow>& rows);

} // namespace platform
