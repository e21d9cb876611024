// Bytes and T-states of Z80 source lines: what one line assembles to, the sums over a
// selection, and the texts of the status pane ("3 B  10 T", "2 B  12/7 T",
// "sel 42 B  163-171 T").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "buffer/types.h"
#include "z80/z80table.h"

class CTextBuffer;

namespace z80 {

enum class LineKind : uint8_t {
    None,        // takes no room: empty, comment, label, equ, org and the other directives
    Instruction, // an instruction form of the table (or "times n" of one)
    Data,        // db, dw, ds and the other data directives
    Unknown,     // a statement no form or directive explains: a macro call, a typing error
};

struct LineFigures {
    LineKind kind = LineKind::None;
    // False for data whose size rests on what only the assembler knows: a name or "$" in the
    // count of "ds", an "incbin". `bytes` is then 0.
    bool sizeKnown = true;
    int64_t bytes = 0;
    // Equal unless the instruction is conditional; 0 for data.
    int64_t minTStates = 0;
    int64_t maxTStates = 0;
    // The form of an instruction line, null otherwise.
    const Form* form = nullptr;

    // Counted in a sum: an instruction or data of known size.
    bool Counted() const {
        return kind == LineKind::None ||
               (sizeKnown && (kind == LineKind::Instruction || kind == LineKind::Data));
    }
};

// The figures of one line (any bytes, NUL included) that starts in the colouring's parser state
// `state` (0 for a line outside comments and strings; pass the state the view's colouring has for
// the line, or Outline::LineStartState, so that lines inside "/* */" count nothing).
LineFigures AnalyzeLine(std::string_view line, uint32_t state = 0);

// "3 B  10 T", "2 B  12/7 T" (taken/not taken), "5 B" for data, "? B" for data of unknown
// size, "?" for a statement that cannot be sized, "" for a line that takes no room.
std::string FormatLineFigures(const LineFigures& figures);

// Sums over a range of lines.
struct SelectionFigures {
    int64_t bytes = 0;
    int64_t minTStates = 0;
    int64_t maxTStates = 0;
    int64_t lines = 0;
    // Lines that could not be counted (LineKind::Unknown, or data of unknown size); they add
    // nothing to the sums.
    int64_t uncounted = 0;

    SelectionFigures& operator+=(const LineFigures& line);
    SelectionFigures& operator+=(const SelectionFigures& other);
    SelectionFigures& operator-=(const SelectionFigures& other);
    friend bool operator==(const SelectionFigures&, const SelectionFigures&) = default;
};

// "sel 42 B  163-171 T" (the sums of the minimum and of the maximum of every line), with one
// figure when both are equal ("sel 42 B  163 T"), and "  (2 ?)" behind when 2 lines could not be
// counted.
std::string FormatSelectionFigures(const SelectionFigures& figures);

// The sums over lines [first, last] of `buffer` (clamped to its lines); `state` is the colouring
// state at the start of `first`, carried from line to line by the colouring itself.
SelectionFigures SumLines(const CTextBuffer& buffer, int first, int last, uint32_t state);

// The lines a selection from `start` to `end` covers (in either order): a selection that spans
// lines and ends at the start of a line does not cover that line. Returns (first, last).
std::pair<int, int> SelectedLines(TextPosition start, TextPosition end);

} // namespace z80
