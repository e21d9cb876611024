// Feeds arbitrary bytes to the Z80 line parser. The first four bytes are the incoming state
// (any 32-bit value); the rest is split into lines at LF and parsed in order with the state
// carried over. Each line is copied into storage of exactly its size, so AddressSanitizer sees
// any read past its end. Aborts when an invariant of the parser breaks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "syntax/z80parser.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool IsParserColor(ColorIndex c) {
    return c == ColorNormalText || c == ColorKeyword || c == ColorComment || c == ColorNumber ||
           c == ColorString || c == ColorPreprocessor;
}

uint32_t CheckLine(uint32_t state, const uint8_t* data, size_t size) {
    const int n = static_cast<int>(size);
    std::unique_ptr<char[]> line(new char[size == 0 ? 1 : size]);
    if (size > 0) {
        std::memcpy(line.get(), data, size);
    }

    // One caller block in front, and a guard behind the room the parser may use.
    std::vector<TextBlock> blocks(2 * size + 2, TextBlock{-1, ColorOperator});
    blocks[0] = TextBlock{0, ColorSelectedText};
    int count = 1;
    const uint32_t withBlocks = ColorizeZ80Line(state, line.get(), n, blocks.data(), count);

    int untouched = 12345;
    const uint32_t stateOnly = ColorizeZ80Line(state, line.get(), n, nullptr, untouched);

    Check(withBlocks == stateOnly);
    Check(untouched == 12345);
    Check(withBlocks < 32);
    Check(count >= 1 && count - 1 <= 2 * n);
    Check(blocks[0].startChar == 0 && blocks[0].colorIndex == ColorSelectedText);
    Check(blocks[static_cast<size_t>(count)].startChar == -1);
    for (int k = 1; k < count; ++k) {
        const TextBlock& b = blocks[static_cast<size_t>(k)];
        Check(b.startChar >= blocks[static_cast<size_t>(k - 1)].startChar);
        Check(b.startChar >= 0 && b.startChar <= n);
        Check(IsParserColor(b.colorIndex));
    }
    if (n == 0) {
        Check(count == 1 && withBlocks == (state & InBlockComment));
    }
    return withBlocks;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) {
        return 0;
    }
    uint32_t state = 0;
    std::memcpy(&state, data, 4);
    data += 4;
    size -= 4;
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == '\n') {
            state = CheckLine(state, data + start, i - start);
            start = i + 1;
        }
    }
    return 0;
}
