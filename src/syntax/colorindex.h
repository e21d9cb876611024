// The vocabulary shared by the text view's renderer and a line parser: logical colours, the
// record of one coloured run, and the parser state carried from one line to the next.
#pragma once

#include <cstdint>

// Logical colour numbers. The renderer, the parsers and the colour settings all speak in these;
// the view maps them to real colours (see defaultcolors.h).
enum ColorIndex : int32_t {
    ColorWhitespace = 0,          // right of a line's end and below the last line
    ColorBackground = 1,          // behind text
    ColorNormalText = 2,          // text with no block, and text before the first block
    ColorSelectionMargin = 3,     // the margin strip
    ColorSelectionBackground = 4, // behind selected text
    ColorSelectedText = 5,        // selected text
    ColorKeyword = 6,
    ColorComment = 7,
    ColorNumber = 8,
    ColorOperator = 9,
    ColorString = 10,
    ColorPreprocessor = 11,
};

inline constexpr int ColorIndexCount = 12;

// One coloured run of a line. A run ends where the next block starts; the last one runs to the
// end of the line. Blocks of a line are in non-decreasing order of startChar.
struct TextBlock {
    int32_t startChar;
    ColorIndex colorIndex;

    friend bool operator==(const TextBlock&, const TextBlock&) = default;
};

static_assert(sizeof(TextBlock) == 8, "two 32-bit fields, as the renderer's arrays expect");

// The parser state of line 0 is 0. The all-ones value marks a state not yet computed in the
// view's cache, so no parser may return it.
inline constexpr uint32_t ParserStateInitial = 0;
inline constexpr uint32_t ParserStateUnknown = 0xFFFFFFFFu;
