// Where an assembler's message points: the file and line that a line of its output names, so
// that the output pane can make it a link.
#pragma once

#include <optional>
#include <string_view>

namespace z80 {

struct SourceReference {
    std::string_view file; // as the assembler wrote it: relative to its working folder, or absolute
    int line = 0;          // 1-based
};

// The file and line that one line of assembler output names, in the forms the assemblers write:
//   pasmo:               "ERROR on line 12 of file main.asm" (also WARNING)
//   z80asm, GNU style:   "main.asm:12: error: ...", "main.asm:12:5: ..."
//   bracketed:           "main.asm(12): ...", "main.asm(12,5) : ..."
// nullopt for any other line, or a line number below 1.
std::optional<SourceReference> FindSourceReference(std::string_view outputLine);

} // namespace z80
