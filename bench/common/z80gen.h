// Deterministic Z80 assembly source for benchmarks: labels, instructions with operands, data and
// equate directives, ";" comments, "/* */" block comments spanning lines, strings, numbers in
// every notation the editor colours (0FFh, $FF, 0x1F, %1010, 1010b, decimal) and "%" preprocessor
// lines, with CR LF line ends and about 25 bytes per line.
//
// The same (targetBytes, seed) gives the same bytes on every machine and run: the generator uses
// its own integer PRNG and no standard distributions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Text of at least `targetBytes` bytes (a little more, to end on a whole line).
std::string GenerateZ80Source(size_t targetBytes, uint32_t seed = 1);
