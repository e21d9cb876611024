#include "render.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

#include "syntax/defaultcolors.h"

namespace {

constexpr int kTabSize = 4;

// Windows-1252 for 0x80-0x9F; 0xA0-0xFF are the Latin-1 code points.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void AppendInt(std::string& out, long long value) {
    char digits[24];
    const int n = std::snprintf(digits, sizeof digits, "%lld", value);
    out.append(digits, static_cast<size_t>(n));
}

void AppendHexColor(std::string& out, ColorRef c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", ColorRefRed(c), ColorRefGreen(c),
                  ColorRefBlue(c));
    out += text;
}

void AppendAnsiColor(std::string& out, bool background, ColorRef c) {
    out += background ? "\x1b[48;2;" : "\x1b[38;2;";
    AppendInt(out, ColorRefRed(c));
    out += ';';
    AppendInt(out, ColorRefGreen(c));
    out += ';';
    AppendInt(out, ColorRefBlue(c));
    out += 'm';
}

// Calls run(begin, end, colorIndex) for each coloured stretch of a line of `length` bytes, in
// order: the text before the first block in normal text, then each block up to the next one's
// start (or the line's end). Empty and negative runs are skipped, as the editor draws nothing for
// them, and neighbouring runs of one colour are joined.
template <class Run>
void ForEachRun(int length, const TextBlock* blocks, int count, const Run& run) {
    auto clamp = [length](int x) { return std::clamp(x, 0, length); };
    int pendingBegin = 0;
    int pendingEnd = 0;
    int32_t pendingColor = ColorNormalText;
    auto emit = [&](int begin, int end, int32_t color) {
        if (end <= begin) {
            return;
        }
        if (pendingEnd > pendingBegin && (color != pendingColor || begin != pendingEnd)) {
            run(pendingBegin, pendingEnd, pendingColor);
            pendingBegin = begin;
        } else if (pendingEnd <= pendingBegin) {
            pendingBegin = begin;
        }
        pendingEnd = end;
        pendingColor = color;
    };
    int begin = 0;
    int32_t color = ColorNormalText;
    for (int k = 0; k < count; ++k) {
        const int start = clamp(blocks[k].startChar);
        emit(begin, start, color);
        begin = start;
        color = blocks[k].colorIndex;
    }
    emit(begin, length, color);
    if (pendingEnd > pendingBegin) {
        run(pendingBegin, pendingEnd, pendingColor);
    }
}

void AppendHtmlText(std::string& out, std::string_view text) {
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (ch) {
        case '<':
            out += "&lt;";
            continue;
        case '>':
            out += "&gt;";
            continue;
        case '&':
            out += "&amp;";
            continue;
        case '"':
            out += "&quot;";
            continue;
        default:
            break;
        }
        const char32_t cp = DisplayCodePoint(byte);
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else {
            char ref[16];
            std::snprintf(ref, sizeof ref, "&#x%X;", static_cast<unsigned>(cp));
            out += ref;
        }
    }
}

} // namespace

char32_t DisplayCodePoint(unsigned char byte) {
    if (byte == '\t') {
        return byte;
    }
    if (byte < 0x20) {
        return 0x2400 + byte;
    }
    if (byte == 0x7F) {
        return 0x2421;
    }
    if (byte >= 0x80 && byte < 0xA0) {
        return kCp1252High[byte - 0x80];
    }
    return byte;
}

std::string_view ColorClassName(int32_t colorIndex) {
    switch (colorIndex) {
    case ColorNormalText:
        return "n";
    case ColorKeyword:
        return "kw";
    case ColorComment:
        return "cm";
    case ColorNumber:
        return "num";
    case ColorString:
        return "str";
    case ColorPreprocessor:
        return "pp";
    case ColorOperator:
        return "op";
    default:
        return {};
    }
}

void WriteBlocksLine(std::string& out, int lineNumber, const TextBlock* blocks, int count) {
    AppendInt(out, lineNumber);
    out += ':';
    for (int k = 0; k < count; ++k) {
        out += ' ';
        AppendInt(out, blocks[k].startChar);
        out += ':';
        const std::string_view name = ColorClassName(blocks[k].colorIndex);
        if (name.empty()) {
            AppendInt(out, blocks[k].colorIndex); // no parser of ours emits these
        } else {
            out += name;
        }
    }
    out += '\n';
}

void WriteAnsiLine(std::string& out, std::string_view text, const TextBlock* blocks, int count) {
    AppendAnsiColor(out, true, DefaultColorOf(ColorBackground));
    int column = 0;
    ForEachRun(static_cast<int>(text.size()), blocks, count, [&](int begin, int end, int32_t c) {
        AppendAnsiColor(out, false, DefaultColorOf(c));
        for (int k = begin; k < end; ++k) {
            const auto byte = static_cast<unsigned char>(text[static_cast<size_t>(k)]);
            if (byte == '\t') {
                const int width = kTabSize - column % kTabSize;
                out.append(static_cast<size_t>(width), ' ');
                column += width;
            } else {
                AppendUtf8(out, DisplayCodePoint(byte));
                ++column;
            }
        }
    });
    // The rest of the row in the whitespace colour, as the editor paints it.
    AppendAnsiColor(out, true, DefaultColorOf(ColorWhitespace));
    out += "\x1b[K\x1b[0m\n";
}

void WriteHtmlStart(std::string& out, std::string_view title) {
    out += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    AppendHtmlText(out, title);
    out += "</title>\n<style>\nbody { background: ";
    AppendHexColor(out, DefaultColorOf(ColorWhitespace));
    out += "; color: ";
    AppendHexColor(out, DefaultColorOf(ColorNormalText));
    out += "; }\npre { background: ";
    AppendHexColor(out, DefaultColorOf(ColorBackground));
    out += "; font-family: monospace; tab-size: 4; }\n";
    for (int32_t c = 0; c < ColorIndexCount; ++c) {
        const std::string_view name = ColorClassName(c);
        if (!name.empty()) {
            out += '.';
            out += name;
            out += " { color: ";
            AppendHexColor(out, DefaultColorOf(c));
            out += "; }\n";
        }
    }
    out += "</style>\n</head>\n<body>\n";
}

void WriteHtmlFileStart(std::string& out, std::string_view path, bool withHeading) {
    if (withHeading) {
        out += "<h2>";
        AppendHtmlText(out, path);
        out += "</h2>\n";
    }
    // A newline straight after <pre> is dropped by HTML parsers, so an empty first line survives.
    out += "<pre>\n";
}

void WriteHtmlLine(std::string& out, std::string_view text, const TextBlock* blocks, int count) {
    ForEachRun(static_cast<int>(text.size()), blocks, count, [&](int begin, int end, int32_t c) {
        const std::string_view run =
            text.substr(static_cast<size_t>(begin), static_cast<size_t>(end - begin));
        const std::string_view name = ColorClassName(c);
        out += "<span ";
        if (name.empty()) {
            out += "style=\"color: ";
            AppendHexColor(out, DefaultColorOf(c));
            out += "\">";
        } else {
            out += "class=\"";
            out += name;
            out += "\">";
        }
        AppendHtmlText(out, run);
        out += "</span>";
    });
    out += '\n';
}

void WriteHtmlFileEnd(std::string& out) {
    out += "</pre>\n";
}

void WriteHtmlEnd(std::string& out) {
    out += "</body>\n</html>\n";
}
