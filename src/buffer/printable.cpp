#include "buffer/printable.h"

#include <cstdint>
#include <cstdio>

namespace {

void AppendHexByte(std::string& out, unsigned char byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
}

// Length of the valid UTF-8 sequence of two to four bytes at the start of `s`, 0 when there is none
// (overlong forms, surrogates and code points above U+10FFFF are not valid).
size_t Utf8SequenceLength(std::string_view s, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    size_t length = 0;
    char32_t min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() < length)
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(s[k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

// Code points that would act on the terminal or reorder the text around them.
bool IsHiddenControl(char32_t cp) {
    return (cp >= 0x80 && cp <= 0x9F) || cp == 0x061C || cp == 0x200E || cp == 0x200F ||
           (cp >= 0x2028 && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

} // namespace

std::string PrintableFileName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    size_t i = 0;
    while (i < name.size()) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte >= 0x20 && byte < 0x7F) {
            if (byte == '\\')
                out += '\\';
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        switch (byte) {
        case '\t':
            out += "\\t";
            ++i;
            continue;
        case '\n':
            out += "\\n";
            ++i;
            continue;
        case '\r':
            out += "\\r";
            ++i;
            continue;
        case 0x1B:
            out += "\\e";
            ++i;
            continue;
        default:
            break;
        }
        char32_t cp = 0;
        const size_t length = byte >= 0x80 ? Utf8SequenceLength(name.substr(i), cp) : 0;
        if (length == 0) {
            AppendHexByte(out, byte);
            ++i;
        } else if (IsHiddenControl(cp)) {
            char text[12];
            std::snprintf(text, sizeof text, "\\u%04X", static_cast<unsigned>(cp));
            out += text;
            i += length;
        } else {
            out.append(name.substr(i, length));
            i += length;
        }
    }
    return out;
}
