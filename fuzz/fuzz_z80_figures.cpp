// Feeds arbitrary bytes to the Z80 line figures and the label scanner. The first four bytes are
// the incoming colouring state (any 32-bit value); the rest is one line, copied into storage of
// exactly its size so that AddressSanitizer sees any read past its end. Aborts when an invariant
// breaks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "z80/z80expr.h"
#include "z80/z80figures.h"
#include "z80/z80symbols.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t state = 0;
    if (size >= 4) {
        std::memcpy(&state, data, 4);
        data += 4;
        size -= 4;
    }
    std::unique_ptr<char[]> bytes(new char[size == 0 ? 1 : size]);
    if (size > 0)
        std::memcpy(bytes.get(), data, size);
    const std::string_view line(bytes.get(), size);

    const z80::LineFigures f = z80::AnalyzeLine(line, state);
    Check(f.bytes >= 0 && f.minTStates >= 0 && f.minTStates <= f.maxTStates);
    Check(f.kind == z80::LineKind::Instruction || f.maxTStates == 0);
    Check((f.form != nullptr) == (f.kind == z80::LineKind::Instruction));
    Check(f.sizeKnown || f.bytes == 0);
    Check(f.kind != z80::LineKind::None || z80::FormatLineFigures(f).empty());

    z80::LineSymbol symbol;
    if (z80::FindLineSymbol(line, state, symbol)) {
        Check(!symbol.name.empty());
        Check(symbol.name.data() >= line.data() &&
              symbol.name.data() + symbol.name.size() <= line.data() + line.size());
    }
    z80::EvaluateConstant(line);
    return 0;
}
