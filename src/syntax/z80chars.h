// Byte classes of the Z80 parser, one table lookup per byte. Bytes above 127 belong to no class:
// they are delimiters and not blanks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace z80chars {

enum : uint8_t {
    Word = 0x01,        // ASCII letter, ASCII digit, '_' or '.'
    Blank = 0x02,       // space, tab, LF, VT, FF, CR
    Special = 0x04,     // ; " ' * % : may change the state in plain text
    PreprocStop = 0x08, // ; * : may change the state on a preprocessor line
    HexDigit = 0x10,    // 0-9 A-F a-f
    DecimalDigit = 0x20,
    DecimalTail = 0x40, // what may follow the first digit of a decimal number
    PlainStop = 0x80,   // ; " ' * : may change the state in plain text after its first non-blank
};

constexpr std::array<uint8_t, 256> MakeTable() {
    std::array<uint8_t, 256> t{};
    for (int c = 'a'; c <= 'z'; ++c) {
        t[static_cast<std::size_t>(c)] |= Word;
        t[static_cast<std::size_t>(c - 'a' + 'A')] |= Word;
    }
    for (int c = '0'; c <= '9'; ++c) {
        t[static_cast<std::size_t>(c)] |= Word | HexDigit | DecimalDigit | DecimalTail;
    }
    for (int c = 0; c < 6; ++c) {
        t[static_cast<std::size_t>('a' + c)] |= HexDigit;
        t[static_cast<std::size_t>('A' + c)] |= HexDigit;
    }
    t['_'] |= Word;
    t['.'] |= Word | DecimalTail;
    for (char c : {'+', '-', 'e', 'E'}) {
        t[static_cast<std::size_t>(c)] |= DecimalTail;
    }
    for (char c : {' ', '\t', '\n', '\v', '\f', '\r'}) {
        t[static_cast<std::size_t>(c)] |= Blank;
    }
    for (char c : {';', '"', '\'', '*', '%'}) {
        t[static_cast<std::size_t>(c)] |= Special;
    }
    for (char c : {';', '"', '\'', '*'}) {
        t[static_cast<std::size_t>(c)] |= PlainStop;
    }
    t[';'] |= PreprocStop;
    t['*'] |= PreprocStop;
    return t;
}

inline constexpr std::array<uint8_t, 256> Table = MakeTable();

inline uint8_t ClassOf(char c) {
    return Table[static_cast<unsigned char>(c)];
}

} // namespace z80chars
