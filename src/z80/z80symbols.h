// The names a line of Z80 source defines: labels, equates and macros, as the outline lists them
// and go-to-definition finds them.
#pragma once

#include <cstdint>
#include <string_view>

#include "syntax/z80parser.h"

namespace z80 {

enum class SymbolKind : uint8_t {
    Label,  // "loop:", "loop" at the start of a line, "  loop:" anywhere before the instruction
    Equate, // "name equ 5", "name = 5", "name defl 5", "%define name"
    Macro,  // "name macro", "macro name", "%macro name"
};

struct LineSymbol {
    SymbolKind kind = SymbolKind::Label;
    std::string_view name; // points into the line
};

// The name that `line` defines, when it starts in the colouring's parser state 0 (a line that
// begins inside a comment, a string or a continued preprocessor line defines nothing). A line
// defines at most one name. Any bytes are accepted.
bool FindLineSymbol(std::string_view line, uint32_t state, LineSymbol& symbol);

// The symbol under a caret at character `x` of `line`: the run of symbol characters that holds
// x, or that ends at x (a caret just behind a word); empty when there is none or it starts with a
// digit (a number). For go-to-definition.
std::string_view SymbolAt(std::string_view line, int x);

// Scans `count` lines, line i being lineAt(i), the first starting in `state`: calls
// onSymbol(i, LineSymbol) for each name defined, and onState(i, s) for each line i > 0 whose start
// state s differs from that of line i - 1. Returns the state after the last line.
template <class LineAt, class OnSymbol, class OnState>
uint32_t ScanLines(int count, uint32_t state, LineAt&& lineAt, OnSymbol&& onSymbol,
                   OnState&& onState) {
    int unused = 0;
    for (int i = 0; i < count; ++i) {
        const std::string_view text = lineAt(i);
        LineSymbol symbol;
        if (FindLineSymbol(text, state, symbol))
            onSymbol(i, symbol);
        const uint32_t next = ColorizeZ80Line(state, text, nullptr, unused);
        if (next != state && i + 1 < count)
            onState(i + 1, next);
        state = next;
    }
    return state;
}

} // namespace z80
