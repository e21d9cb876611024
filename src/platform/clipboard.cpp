#include "platform/clipboard.h"

#include <array>

namespace platform {
namespace {

void AppendUtf8(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out.push_back(static_cast<char>(ch));
    } else if (ch < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else if (ch < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (ch >> 18)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
}

bool IsLineBreak(char32_t ch) {
    return ch == U'\r' || ch == U'\n' || ch == U'\u2028' || ch == U'\u2029';
}

} // namespace

std::string Utf8FromUnicode(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t ch : text)
        AppendUtf8(out, ch);
    return out;
}

std::string TextForOtherApplications(std::string_view bytes, CodePage page) {
    // The UTF-8 form of every byte, worked out once per call.
    std::array<std::string, 256> utf8;
    for (size_t b = 0; b < utf8.size(); ++b)
        AppendUtf8(utf8[b], ByteToUnicode(page, static_cast<uint8_t>(b)));
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            out.push_back('\n');
            ++i;
        } else if (b < 0x80) {
            out.push_back(static_cast<char>(b));
        } else {
            out += utf8[b];
        }
    }
    return out;
}

std::string TextFromOtherApplications(std::u32string_view text, CodePage page) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t ch = text[i];
        if (IsLineBreak(ch)) {
            // CR LF is one break; a CR, LF or separator alone is one too.
            if (ch == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n')
                ++i;
            out += "\r\n";
            continue;
        }
        const std::optional<uint8_t> byte = UnicodeToByte(page, ch);
        out.push_back(byte ? static_cast<char>(*byte) : '?');
    }
    return out;
}

} // namespace platform
