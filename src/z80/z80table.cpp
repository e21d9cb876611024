// The instruction forms with their sizes and T-states.
//
// Sources (the figures are the published facts of these documents):
// - Zilog, "Z80 Family CPU User Manual" (UM0080), chapter "Z80 Instruction Description": the
//   opcode bytes of every documented form (which give its size) and its T-states, with both
//   figures for the conditional jumps, calls and returns and for the repeating block
//   instructions (21 T-states while they repeat, 16 for the last pass).
// - Sean Young, "The Undocumented Z80 Documented" (2005): the forms that address IXH, IXL, IYH
//   and IYL (a DD or FD prefix in front of the unprefixed form, which adds one byte and 4
//   T-states), SLL (CB 30-37, shifting a 1 into bit 0), "in (c)" / "in f,(c)" (ED 70),
//   "out (c),0" (ED 71), and the DD CB / FD CB forms that also copy the result into a register.
#include "z80/z80table.h"

#include <array>

namespace z80 {
namespace {

constexpr Form Doc(std::string_view m, std::string_view ops, uint8_t bytes, uint8_t t) {
    return Form{m, ops, bytes, t, 0, false};
}
// A conditional form: `t` when the condition holds, `otherwise` when it does not.
constexpr Form Cond(std::string_view m, std::string_view ops, uint8_t bytes, uint8_t t,
                    uint8_t otherwise) {
    return Form{m, ops, bytes, t, otherwise, false};
}
constexpr Form Undoc(std::string_view m, std::string_view ops, uint8_t bytes, uint8_t t) {
    return Form{m, ops, bytes, t, 0, true};
}

constexpr std::array kForms{
    // ---- 8-bit load group
    Doc("ld", "<r>,<r>", 1, 4),
    Doc("ld", "<r>,<n>", 2, 7),
    Doc("ld", "<r>,(hl)", 1, 7),
    Doc("ld", "<r>,(ix+<d>)", 3, 19),
    Doc("ld", "<r>,(iy+<d>)", 3, 19),
    Doc("ld", "(hl),<r>", 1, 7),
    Doc("ld", "(ix+<d>),<r>", 3, 19),
    Doc("ld", "(iy+<d>),<r>", 3, 19),
    Doc("ld", "(hl),<n>", 2, 10),
    Doc("ld", "(ix+<d>),<n>", 4, 19),
    Doc("ld", "(iy+<d>),<n>", 4, 19),
    Doc("ld", "a,(bc)", 1, 7),
    Doc("ld", "a,(de)", 1, 7),
    Doc("ld", "a,(<nn>)", 3, 13),
    Doc("ld", "(bc),a", 1, 7),
    Doc("ld", "(de),a", 1, 7),
    Doc("ld", "(<nn>),a", 3, 13),
    Doc("ld", "a,i", 2, 9),
    Doc("ld", "a,r", 2, 9),
    Doc("ld", "i,a", 2, 9),
    Doc("ld", "r,a", 2, 9),

    // ---- 16-bit load group
    Doc("ld", "<ss>,<nn>", 3, 10),
    Doc("ld", "ix,<nn>", 4, 14),
    Doc("ld", "iy,<nn>", 4, 14),
    Doc("ld", "hl,(<nn>)", 3, 16),
    Doc("ld", "<ss>,(<nn>)", 4, 20),
    Doc("ld", "ix,(<nn>)", 4, 20),
    Doc("ld", "iy,(<nn>)", 4, 20),
    Doc("ld", "(<nn>),hl", 3, 16),
    Doc("ld", "(<nn>),<ss>", 4, 20),
    Doc("ld", "(<nn>),ix", 4, 20),
    Doc("ld", "(<nn>),iy", 4, 20),
    Doc("ld", "sp,hl", 1, 6),
    Doc("ld", "sp,ix", 2, 10),
    Doc("ld", "sp,iy", 2, 10),
    Doc("push", "<qq>", 1, 11),
    Doc("push", "ix", 2, 15),
    Doc("push", "iy", 2, 15),
    Doc("pop", "<qq>", 1, 10),
    Doc("pop", "ix", 2, 14),
    Doc("pop", "iy", 2, 14),

    // ---- Exchange, block transfer and search group
    Doc("ex", "de,hl", 1, 4),
    Doc("ex", "af,af'", 1, 4),
    Doc("exx", "", 1, 4),
    Doc("ex", "(sp),hl", 1, 19),
    Doc("ex", "(sp),ix", 2, 23),
    Doc("ex", "(sp),iy", 2, 23),
    Doc("ldi", "", 2, 16),
    Cond("ldir", "", 2, 21, 16),
    Doc("ldd", "", 2, 16),
    Cond("lddr", "", 2, 21, 16),
    Doc("cpi", "", 2, 16),
    Cond("cpir", "", 2, 21, 16),
    Doc("cpd", "", 2, 16),
    Cond("cpdr", "", 2, 21, 16),

    // ---- 8-bit arithmetic group
    Doc("add", "a,<r>", 1, 4),
    Doc("add", "a,<n>", 2, 7),
    Doc("add", "a,(hl)", 1, 7),
    Doc("add", "a,(ix+<d>)", 3, 19),
    Doc("add", "a,(iy+<d>)", 3, 19),
    Doc("adc", "a,<r>", 1, 4),
    Doc("adc", "a,<n>", 2, 7),
    Doc("adc", "a,(hl)", 1, 7),
    Doc("adc", "a,(ix+<d>)", 3, 19),
    Doc("adc", "a,(iy+<d>)", 3, 19),
    Doc("sub", "<r>", 1, 4),
    Doc("sub", "<n>", 2, 7),
    Doc("sub", "(hl)", 1, 7),
    Doc("sub", "(ix+<d>)", 3, 19),
    Doc("sub", "(iy+<d>)", 3, 19),
    Doc("sbc", "a,<r>", 1, 4),
    Doc("sbc", "a,<n>", 2, 7),
    Doc("sbc", "a,(hl)", 1, 7),
    Doc("sbc", "a,(ix+<d>)", 3, 19),
    Doc("sbc", "a,(iy+<d>)", 3, 19),
    Doc("and", "<r>", 1, 4),
    Doc("and", "<n>", 2, 7),
    Doc("and", "(hl)", 1, 7),
    Doc("and", "(ix+<d>)", 3, 19),
    Doc("and", "(iy+<d>)", 3, 19),
    Doc("or", "<r>", 1, 4),
    Doc("or", "<n>", 2, 7),
    Doc("or", "(hl)", 1, 7),
    Doc("or", "(ix+<d>)", 3, 19),
    Doc("or", "(iy+<d>)", 3, 19),
    Doc("xor", "<r>", 1, 4),
    Doc("xor", "<n>", 2, 7),
    Doc("xor", "(hl)", 1, 7),
    Doc("xor", "(ix+<d>)", 3, 19),
    Doc("xor", "(iy+<d>)", 3, 19),
    Doc("cp", "<r>", 1, 4),
    Doc("cp", "<n>", 2, 7),
    Doc("cp", "(hl)", 1, 7),
    Doc("cp", "(ix+<d>)", 3, 19),
    Doc("cp", "(iy+<d>)", 3, 19),
    Doc("inc", "<r>", 1, 4),
    Doc("inc", "(hl)", 1, 11),
    Doc("inc", "(ix+<d>)", 3, 23),
    Doc("inc", "(iy+<d>)", 3, 23),
    Doc("dec", "<r>", 1, 4),
    Doc("dec", "(hl)", 1, 11),
    Doc("dec", "(ix+<d>)", 3, 23),
    Doc("dec", "(iy+<d>)", 3, 23),

    // ---- General-purpose arithmetic and CPU control group
    Doc("daa", "", 1, 4),
    Doc("cpl", "", 1, 4),
    Doc("neg", "", 2, 8),
    Doc("ccf", "", 1, 4),
    Doc("scf", "", 1, 4),
    Doc("nop", "", 1, 4),
    Doc("halt", "", 1, 4),
    Doc("di", "", 1, 4),
    Doc("ei", "", 1, 4),
    Doc("im", "<m>", 2, 8),

    // ---- 16-bit arithmetic group
    Doc("add", "hl,<ss>", 1, 11),
    Doc("adc", "hl,<ss>", 2, 15),
    Doc("sbc", "hl,<ss>", 2, 15),
    Doc("add", "ix,<pp>", 2, 15),
    Doc("add", "iy,<rr>", 2, 15),
    Doc("inc", "<ss>", 1, 6),
    Doc("inc", "ix", 2, 10),
    Doc("inc", "iy", 2, 10),
    Doc("dec", "<ss>", 1, 6),
    Doc("dec", "ix", 2, 10),
    Doc("dec", "iy", 2, 10),

    // ---- Rotate and shift group
    Doc("rlca", "", 1, 4),
    Doc("rla", "", 1, 4),
    Doc("rrca", "", 1, 4),
    Doc("rra", "", 1, 4),
    Doc("rlc", "<r>", 2, 8),
    Doc("rlc", "(hl)", 2, 15),
    Doc("rlc", "(ix+<d>)", 4, 23),
    Doc("rlc", "(iy+<d>)", 4, 23),
    Doc("rl", "<r>", 2, 8),
    Doc("rl", "(hl)", 2, 15),
    Doc("rl", "(ix+<d>)", 4, 23),
    Doc("rl", "(iy+<d>)", 4, 23),
    Doc("rrc", "<r>", 2, 8),
    Doc("rrc", "(hl)", 2, 15),
    Doc("rrc", "(ix+<d>)", 4, 23),
    Doc("rrc", "(iy+<d>)", 4, 23),
    Doc("rr", "<r>", 2, 8),
    Doc("rr", "(hl)", 2, 15),
    Doc("rr", "(ix+<d>)", 4, 23),
    Doc("rr", "(iy+<d>)", 4, 23),
    Doc("sla", "<r>", 2, 8),
    Doc("sla", "(hl)", 2, 15),
    Doc("sla", "(ix+<d>)", 4, 23),
    Doc("sla", "(iy+<d>)", 4, 23),
    Doc("sra", "<r>", 2, 8),
    Doc("sra", "(hl)", 2, 15),
    Doc("sra", "(ix+<d>)", 4, 23),
    Doc("sra", "(iy+<d>)", 4, 23),
    Doc("srl", "<r>", 2, 8),
    Doc("srl", "(hl)", 2, 15),
    Doc("srl", "(ix+<d>)", 4, 23),
    Doc("srl", "(iy+<d>)", 4, 23),
    Doc("rld", "", 2, 18),
    Doc("rrd", "", 2, 18),

    // ---- Bit set, reset and test group
    Doc("bit", "<b>,<r>", 2, 8),
    Doc("bit", "<b>,(hl)", 2, 12),
    Doc("bit", "<b>,(ix+<d>)", 4, 20),
    Doc("bit", "<b>,(iy+<d>)", 4, 20),
    Doc("set", "<b>,<r>", 2, 8),
    Doc("set", "<b>,(hl)", 2, 15),
    Doc("set", "<b>,(ix+<d>)", 4, 23),
    Doc("set", "<b>,(iy+<d>)", 4, 23),
    Doc("res", "<b>,<r>", 2, 8),
    Doc("res", "<b>,(hl)", 2, 15),
    Doc("res", "<b>,(ix+<d>)", 4, 23),
    Doc("res", "<b>,(iy+<d>)", 4, 23),

    // ---- Jump group
    Doc("jp", "<nn>", 3, 10),
    Doc("jp", "<cc>,<nn>", 3, 10),
    Doc("jr", "<e>", 2, 12),
    Cond("jr", "<jc>,<e>", 2, 12, 7),
    Doc("jp", "(hl)", 1, 4),
    Doc("jp", "(ix)", 2, 8),
    Doc("jp", "(iy)", 2, 8),
    Cond("djnz", "<e>", 2, 13, 8),

    // ---- Call and return group
    Doc("call", "<nn>", 3, 17),
    Cond("call", "<cc>,<nn>", 3, 17, 10),
    Doc("ret", "", 1, 10),
    Cond("ret", "<cc>", 1, 11, 5),
    Doc("reti", "", 2, 14),
    Doc("retn", "", 2, 14),
    Doc("rst", "<p>", 1, 11),

    // ---- Input and output group
    Doc("in", "a,(<n>)", 2, 11),
    Doc("in", "<r>,(c)", 2, 12),
    Doc("ini", "", 2, 16),
    Cond("inir", "", 2, 21, 16),
    Doc("ind", "", 2, 16),
    Cond("indr", "", 2, 21, 16),
    Doc("out", "(<n>),a", 2, 11),
    Doc("out", "(c),<r>", 2, 12),
    Doc("outi", "", 2, 16),
    Cond("otir", "", 2, 21, 16),
    Doc("outd", "", 2, 16),
    Cond("otdr", "", 2, 21, 16),

    // ---- Undocumented: the halves of IX and IY (DD/FD prefix: one byte and 4 T-states more)
    Undoc("ld", "<rx>,<ixhl>", 2, 8),
    Undoc("ld", "<ixhl>,<rx>", 2, 8),
    Undoc("ld", "<ixhl>,<ixhl>", 2, 8),
    Undoc("ld", "<ixhl>,<n>", 3, 11),
    Undoc("ld", "<rx>,<iyhl>", 2, 8),
    Undoc("ld", "<iyhl>,<rx>", 2, 8),
    Undoc("ld", "<iyhl>,<iyhl>", 2, 8),
    Undoc("ld", "<iyhl>,<n>", 3, 11),
    Undoc("add", "a,<ixhl>", 2, 8),
    Undoc("adc", "a,<ixhl>", 2, 8),
    Undoc("sub", "<ixhl>", 2, 8),
    Undoc("sbc", "a,<ixhl>", 2, 8),
    Undoc("and", "<ixhl>", 2, 8),
    Undoc("or", "<ixhl>", 2, 8),
    Undoc("xor", "<ixhl>", 2, 8),
    Undoc("cp", "<ixhl>", 2, 8),
    Undoc("add", "a,<iyhl>", 2, 8),
    Undoc("adc", "a,<iyhl>", 2, 8),
    Undoc("sub", "<iyhl>", 2, 8),
    Undoc("sbc", "a,<iyhl>", 2, 8),
    Undoc("and", "<iyhl>", 2, 8),
    Undoc("or", "<iyhl>", 2, 8),
    Undoc("xor", "<iyhl>", 2, 8),
    Undoc("cp", "<iyhl>", 2, 8),
    Undoc("inc", "<ixhl>", 2, 8),
    Undoc("dec", "<ixhl>", 2, 8),
    Undoc("inc", "<iyhl>", 2, 8),
    Undoc("dec", "<iyhl>", 2, 8),

    // ---- Undocumented: SLL
    Undoc("sll", "<r>", 2, 8),
    Undoc("sll", "(hl)", 2, 15),
    Undoc("sll", "(ix+<d>)", 4, 23),
    Undoc("sll", "(iy+<d>)", 4, 23),

    // ---- Undocumented: ED 70 and ED 71
    Undoc("in", "(c)", 2, 12),
    Undoc("in", "f,(c)", 2, 12),
    Undoc("out", "(c),0", 2, 12),

    // ---- Undocumented: DD CB / FD CB forms that also copy the result into a register
    Undoc("rlc", "(ix+<d>),<r>", 4, 23),
    Undoc("rrc", "(ix+<d>),<r>", 4, 23),
    Undoc("rl", "(ix+<d>),<r>", 4, 23),
    Undoc("rr", "(ix+<d>),<r>", 4, 23),
    Undoc("sla", "(ix+<d>),<r>", 4, 23),
    Undoc("sra", "(ix+<d>),<r>", 4, 23),
    Undoc("sll", "(ix+<d>),<r>", 4, 23),
    Undoc("srl", "(ix+<d>),<r>", 4, 23),
    Undoc("set", "<b>,(ix+<d>),<r>", 4, 23),
    Undoc("res", "<b>,(ix+<d>),<r>", 4, 23),
    Undoc("rlc", "(iy+<d>),<r>", 4, 23),
    Undoc("rrc", "(iy+<d>),<r>", 4, 23),
    Undoc("rl", "(iy+<d>),<r>", 4, 23),
    Undoc("rr", "(iy+<d>),<r>", 4, 23),
    Undoc("sla", "(iy+<d>),<r>", 4, 23),
    Undoc("sra", "(iy+<d>),<r>", 4, 23),
    Undoc("sll", "(iy+<d>),<r>", 4, 23),
    Undoc("srl", "(iy+<d>),<r>", 4, 23),
    Undoc("set", "<b>,(iy+<d>),<r>", 4, 23),
    Undoc("res", "<b>,(iy+<d>),<r>", 4, 23),
};

} // namespace

std::span<const Form> InstructionForms() {
    return kForms;
}

std::string_view CanonicalMnemonic(std::string_view lowerCase) {
    if (lowerCase == "sli" || lowerCase == "sl1")
        return "sll";
    return lowerCase;
}

} // namespace z80
