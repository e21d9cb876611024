// Numbers and constant expressions of Z80 source, evaluated where a size depends on them
// ("ds 10h", "times 4 nop"). A name, the current address "$" or anything malformed makes the
// value unknown: the caller then says so instead of guessing.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace z80 {

// The value of one number token. Accepted: what the colouring takes for a number (0x1F, 0FFh,
// 12H, decimal; a decimal with '.' or 'e' is no whole number and has no value here) and the other
// notations the assemblers write: $FF and #FF (hexadecimal), %1010, 0b1010 and 1010b (binary),
// 17o and 17q (octal), 10d (decimal). nullopt for anything else or a value above 2^32.
std::optional<int64_t> ParseNumber(std::string_view token);

// The value of a constant expression: numbers as above, character literals of one character
// ('A', "A"), parentheses, unary + - ~ !, and the binary operators * / % << >> + - & ^ | with
// the usual C precedence. nullopt when it names a symbol or "$", divides by zero or is malformed.
std::optional<int64_t> EvaluateConstant(std::string_view expr);

} // namespace z80
