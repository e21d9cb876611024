// The two 8-bit code pages the editor shows text in. One byte is one character cell; bytes
// 0x00-0x7F are ASCII in both pages. The byte values a page leaves undefined map to the C1
// control code point of the same value, so every byte survives a round trip.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

enum class CodePage { Windows1252, Windows1251 };

// RUSSIAN_CHARSET (204) selects Windows-1251; every other character set Windows-1252.
CodePage CodePageForCharSet(uint8_t charSet);

char32_t ByteToUnicode(CodePage page, uint8_t byte);

// The byte that shows `ch`, or nothing when the page has no such character.
std::optional<uint8_t> UnicodeToByte(CodePage page, char32_t ch);

// Whole-string forms. Decoding never fails; encoding drops every unmappable character and
// reports how many were dropped through `dropped` when given.
std::u32string DecodeBytes(CodePage page, std::string_view bytes);
std::string EncodeText(CodePage page, std::u32string_view text, size_t* dropped = nullptr);

} // namespace platform
