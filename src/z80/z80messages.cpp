#include "z80/z80messages.h"

#include <cstddef>

namespace z80 {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The decimal number at text[pos], advancing pos past it; 0 when there is none or it is huge.
int Number(std::string_view text, size_t& pos) {
    const size_t start = pos;
    long long value = 0;
    while (pos < text.size() && IsDigit(text[pos]) && pos - start < 9)
        value = value * 10 + (text[pos++] - '0');
    if (pos == start || (pos < text.size() && IsDigit(text[pos])))
        return 0;
    return static_cast<int>(value);
}

std::optional<SourceReference> Reference(std::string_view file, int line) {
    while (!file.empty() && (file.front() == ' ' || file.front() == '\t'))
        file.remove_prefix(1);
    while (!file.empty() && (file.back() == ' ' || file.back() == '\t' || file.back() == '\r'))
        file.remove_suffix(1);
    if (file.empty() || line < 1)
        return std::nullopt;
    return SourceReference{file, line};
}

std::optional<SourceReference> Pasmo(std::string_view text) {
    for (std::string_view kind : {"ERROR on line ", "WARNING on line "}) {
        if (!text.starts_with(kind))
            continue;
        size_t pos = kind.size();
        const int line = Number(text, pos);
        constexpr std::string_view kOfFile = " of file ";
        if (text.substr(pos, kOfFile.size()) != kOfFile)
            return std::nullopt;
        return Reference(text.substr(pos + kOfFile.size()), line);
    }
    return std::nullopt;
}

// "file:12:" or "file:12:5:" — the first ':' followed by digits and another ':'. A drive letter
// ("C:\x.asm:3:") is skipped by trying every ':'; a ": " ends the search, since no message puts
// one inside the file name ("time: 12:30:00" names no file).
std::optional<SourceReference> Colon(std::string_view text) {
    for (size_t colon = text.find(':'); colon != std::string_view::npos;
         colon = text.find(':', colon + 1)) {
        if (colon + 1 < text.size() && text[colon + 1] == ' ')
            return std::nullopt;
        size_t pos = colon + 1;
        const int line = Number(text, pos);
        if (line > 0 && pos < text.size() && text[pos] == ':')
            return Reference(text.substr(0, colon), line);
    }
    return std::nullopt;
}

// "file(12):" or "file(12,5) :".
std::optional<SourceReference> Bracketed(std::string_view text) {
    const size_t open = text.find('(');
    if (open == std::string_view::npos)
        return std::nullopt;
    size_t pos = open + 1;
    const int line = Number(text, pos);
    if (pos < text.size() && text[pos] == ',') {
        ++pos;
        Number(text, pos);
    }
    if (pos >= text.size() || text[pos] != ')')
        return std::nullopt;
    ++pos;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    if (pos < text.size() && text[pos] != ':')
        return std::nullopt;
    return Reference(text.substr(0, open), line);
}

} // namespace

std::optional<SourceReference> FindSourceReference(std::string_view outputLine) {
    if (auto ref = Pasmo(outputLine))
        return ref;
    if (auto ref = Colon(outputLine))
        return ref;
    return Bracketed(outputLine);
}

} // namespace z80
