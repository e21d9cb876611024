// The Z80 instruction set as data: one row per instruction form with its size in bytes and its
// T-states. Nothing here parses source text; z80operand.h matches operands against these rows.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace z80 {

// One instruction form. `operands` is lower case without blanks, operands separated by commas,
// written as the assemblers accept them, with these placeholders:
//   <r>     a, b, c, d, e, h or l                <rx>    a, b, c, d or e (no h/l under a prefix)
//   <ixhl>  ixh or ixl                           <iyhl>  iyh or iyl
//   <ss>    bc, de, hl or sp                     <qq>    bc, de, hl or af
//   <pp>    bc, de, ix or sp                     <rr>    bc, de, iy or sp
//   <cc>    nz, z, nc, c, po, pe, p or m         <jc>    nz, z, nc or c
//   <n>     an 8-bit value                       <nn>    a 16-bit value
//   <d>     an index displacement                <e>     a relative jump target
//   <b>     a bit number                         <p>     a restart address
//   <m>     an interrupt mode
// Anything else is literal text: "(hl)", "af'", "(ix+<d>)", "(<nn>)", "0".
struct Form {
    std::string_view mnemonic;
    std::string_view operands;
    uint8_t bytes = 0;
    // The T-states; for a conditional form the figure when the condition holds (the jump, call
    // or return is taken; a block instruction repeats).
    uint8_t tStates = 0;
    // For a conditional form the figure when it does not hold (falls through, the block
    // instruction ends); 0 for every other form.
    uint8_t tStatesOtherwise = 0;
    bool undocumented = false;

    bool IsConditional() const { return tStatesOtherwise != 0; }
    int MinTStates() const { return IsConditional() ? tStatesOtherwise : tStates; }
    int MaxTStates() const { return tStates; }
};

// Every form, documented ones first in the order of the processor manual's instruction groups,
// then the undocumented ones. Where two rows accept the same operands the first one is meant
// (the three-byte "ld hl,(<nn>)" before the four-byte "ld <ss>,(<nn>)").
std::span<const Form> InstructionForms();

// Other spellings of a mnemonic that the assemblers accept ("sli" and "sl1" for "sll"); the
// mnemonic itself when it has none. `lowerCase` must be lower case.
std::string_view CanonicalMnemonic(std::string_view lowerCase);

} // namespace z80
