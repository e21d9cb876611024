// Operands of Z80 instructions and the choice of the instruction form they select.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "z80/z80table.h"

namespace z80 {

// What an operand is, as far as the choice of a form goes.
enum class OperandKind : uint8_t {
    Bad, // empty or malformed
    // registers (ixh, ixl, iyh, iyl also as xh/hx, xl/lx, yh/hy, yl/ly)
    A,
    B,
    C,
    D,
    E,
    H,
    L,
    I,
    R,
    F,
    AF,
    AFPrime,
    BC,
    DE,
    HL,
    SP,
    IX,
    IY,
    IXH,
    IXL,
    IYH,
    IYL,
    // conditions other than c (which is the register C)
    NZ,
    Z,
    NC,
    PO,
    PE,
    P,
    M,
    // register indirect: (c), (bc), (de), (hl), (sp)
    AtC,
    AtBC,
    AtDE,
    AtHL,
    AtSP,
    // (ix), (ix+d), (ix-d), and the same for iy; `displaced` tells the first from the others
    AtIX,
    AtIY,
    Memory,    // (expression)
    Immediate, // any other expression
};

struct Operand {
    OperandKind kind = OperandKind::Bad;
    bool displaced = false;
    // The expression of Memory and Immediate (the text inside the parentheses for Memory).
    std::string_view expression;
};

// Classifies one operand, blanks around it allowed. Case-insensitive. Parentheses or brackets
// make it indirect only when the opening one at its start closes at its very end: "(5)" is
// Memory, "(1+2)*3" is Immediate.
Operand ClassifyOperand(std::string_view text);

// True for the mnemonics of the instruction table and their other spellings (any case).
bool IsMnemonic(std::string_view word);

// The form of `mnemonic` (any case) that takes `operands`, or null. When none takes them as
// written, the shorthands the assemblers accept are tried: "add b" for "add a,b" (also adc and
// sbc) and "sub a,b" for "sub b" (also and, or, xor, cp).
const Form* MatchForm(std::string_view mnemonic, std::span<const Operand> operands);

} // namespace z80
