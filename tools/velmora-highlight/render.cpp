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
    LineWriter writer(OutputFormat::Blocks, out);
    writer.Begin(lineNumber, {});
    if (count > 0) {
        writer.Receive(blocks, count);
    }
    writer.End();
}

void WriteAnsiLine(std::string& out, std::string_view text, const TextBlock* blocks, int count) {
    LineWriter writer(OutputFormat::Ansi, out);
    writer.Begin(0, text);
    if (count > 0) {
        writer.Receive(blocks, count);
    }
    writer.End();
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
    LineWriter writer(OutputFormat::Html, out);
    writer.Begin(0, text);
    if (count > 0) {
        writer.Receive(blocks, count);
    }
    writer.End();
}

void WriteHtmlFileEnd(std::string& out) {
    out += "</pre>\n";
}

void WriteHtmlEnd(std::string& out) {
    out += "</body>\n</html>\n";
}

// ---- LineWriter

namespace {

constexpr size_t kFlushAt = size_t{1} << 16;
constexpr int kTextPiece = 4096; // characters of a run converted between two flush checks

} // namespace

LineWriter::LineWriter(OutputFormat format, std::string& out,
                       std::function<void(std::string&)> flush)
    : format_(format), out_(out), flush_(std::move(flush)) {}

void LineWriter::Begin(int lineNumber, std::string_view text) {
    text_ = text;
    length_ = static_cast<int>(text.size());
    column_ = 0;
    begin_ = 0;
    color_ = ColorNormalText;
    pendingBegin_ = pendingEnd_ = 0;
    pendingColor_ = ColorNormalText;
    switch (format_) {
    case OutputFormat::Blocks:
        AppendInt(out_, lineNumber);
        out_ += ':';
        break;
    case OutputFormat::Ansi:
        AppendAnsiColor(out_, true, DefaultColorOf(ColorBackground));
        break;
    case OutputFormat::Html:
        break;
    }
}

void LineWriter::Receive(const TextBlock* blocks, int count) {
    for (int k = 0; k < count; ++k) {
        const TextBlock& block = blocks[k];
        if (format_ == OutputFormat::Blocks) {
            out_ += ' ';
            AppendInt(out_, block.startChar);
            out_ += ':';
            const std::string_view name = ColorClassName(block.colorIndex);
            if (name.empty()) {
                AppendInt(out_, block.colorIndex); // no parser of ours emits these
            } else {
                out_ += name;
            }
            MaybeFlush();
            continue;
        }
        const int start = std::clamp(block.startChar, 0, length_);
        Stretch(begin_, start, color_);
        begin_ = start;
        color_ = block.colorIndex;
    }
}

void LineWriter::End() {
    switch (format_) {
    case OutputFormat::Blocks:
        out_ += '\n';
        break;
    case OutputFormat::Ansi:
        Stretch(begin_, length_, color_);
        if (pendingEnd_ > pendingBegin_) {
            WriteRun(pendingBegin_, pendingEnd_, pendingColor_);
        }
        // The rest of the row in the whitespace colour, as the editor paints it.
        AppendAnsiColor(out_, true, DefaultColorOf(ColorWhitespace));
        out_ += "\x1b[K\x1b[0m\n";
        break;
    case OutputFormat::Html:
        Stretch(begin_, length_, color_);
        if (pendingEnd_ > pendingBegin_) {
            WriteRun(pendingBegin_, pendingEnd_, pendingColor_);
        }
        out_ += '\n';
        break;
    }
    MaybeFlush();
}

void LineWriter::Stretch(int begin, int end, int32_t color) {
    if (end <= begin) {
        return;
    }
    if (pendingEnd_ > pendingBegin_ && (color != pendingColor_ || begin != pendingEnd_)) {
        WriteRun(pendingBegin_, pendingEnd_, pendingColor_);
        pendingBegin_ = begin;
    } else if (pendingEnd_ <= pendingBegin_) {
        pendingBegin_ = begin;
    }
    pendingEnd_ = end;
    pendingColor_ = color;
}

void LineWriter::WriteRun(int begin, int end, int32_t color) {
    if (format_ == OutputFormat::Ansi) {
        AppendAnsiColor(out_, false, DefaultColorOf(color));
    } else {
        const std::string_view name = ColorClassName(color);
        out_ += "<span ";
        if (name.empty()) {
            out_ += "style=\"color: ";
            AppendHexColor(out_, DefaultColorOf(color));
            out_ += "\">";
        } else {
            out_ += "class=\"";
            out_ += name;
            out_ += "\">";
        }
    }
    for (int from = begin; from < end; from += kTextPiece) {
        const int to = std::min(end, from + kTextPiece);
        if (format_ == OutputFormat::Ansi) {
            for (int k = from; k < to; ++k) {
                const auto byte = static_cast<unsigned char>(text_[static_cast<size_t>(k)]);
                if (byte == '\t') {
                    const int width = kTabSize - column_ % kTabSize;
                    out_.append(static_cast<size_t>(width), ' ');
                    column_ += width;
                } else {
                    AppendUtf8(out_, DisplayCodePoint(byte));
                    ++column_;
                }
            }
        } else {
            AppendHtmlText(out_,
                           text_.substr(static_cast<size_t>(from), static_cast<size_t>(to - from)));
        }
        MaybeFlush();
    }
    if (format_ == OutputFormat::Html) {
        out_ += "</span>";
    }
}

void LineWriter::MaybeFlush() {
    if (flush_ && out_.size() >= kFlushAt) {
        flush_(out_);
    }
}
