// The output formats of velmora-highlight. Each writer appends to a string; the caller decides
// when to flush it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "syntax/colorindex.h"
#include "syntax/z80parser.h"

enum class OutputFormat { Blocks, Ansi, Html };

// Writes source lines in one format as their blocks arrive from the parser, handing `out` to
// `flush` whenever it has grown past a bound: a line of any length is written in constant memory.
// The output is the same as the Write...Line functions below give for the whole line.
class LineWriter final : public TextBlockReceiver {
public:
    // `flush` takes the text written so far and empties it; none keeps everything in `out`.
    LineWriter(OutputFormat format, std::string& out,
               std::function<void(std::string&)> flush = nullptr);

    // Starts line `lineNumber` (counted from 1) of the characters `text`, which must stay
    // valid until End.
    void Begin(int lineNumber, std::string_view text);
    void Receive(const TextBlock* blocks, int count) override;
    void End();

private:
    // The next coloured stretch [begin, end); neighbouring stretches of one colour are joined,
    // empty ones skipped, as the editor draws them.
    void Stretch(int begin, int end, int32_t color);
    void WriteRun(int begin, int end, int32_t color);
    void MaybeFlush();

    OutputFormat format_;
    std::string& out_;
    std::function<void(std::string&)> flush_;
    std::string_view text_;
    int length_ = 0;
    int column_ = 0; // the terminal column, for tabs
    int begin_ = 0;  // where the stretch of the last block began
    int32_t color_ = ColorNormalText;
    int pendingBegin_ = 0; // the joined stretch not yet written
    int pendingEnd_ = 0;
    int32_t pendingColor_ = ColorNormalText;
};

// The short class names used by the blocks format and the HTML style sheet: n, kw, cm, num,
// str, pp, op; empty for an index that has none.
std::string_view ColorClassName(int32_t colorIndex);

// "LINE: start:class start:class ..." for one source line, LINE counted from 1.
void WriteBlocksLine(std::string& out, int lineNumber, const TextBlock* blocks, int count);

// One source line coloured for a 24-bit colour terminal, ending in a newline. Tabs are expanded
// to stops every four cells, as the editor shows them; control bytes become visible symbols and
// bytes 0x80-0xFF are shown through Windows-1252, so nothing in the file can drive the terminal.
void WriteAnsiLine(std::string& out, std::string_view text, const TextBlock* blocks, int count);

// The standalone page: its start, one heading and <pre> per file, one line at a time, its end.
void WriteHtmlStart(std::string& out, std::string_view title);
void WriteHtmlFileStart(std::string& out, std::string_view path, bool withHeading);
void WriteHtmlLine(std::string& out, std::string_view text, const TextBlock* blocks, int count);
void WriteHtmlFileEnd(std::string& out);
void WriteHtmlEnd(std::string& out);

// The Unicode character a file byte is shown as: Windows-1252 for 0x80-0xFF (U+FFFD for its five
// unassigned bytes), the control pictures U+2400.. for control bytes other than tab, the byte
// itself otherwise.
char32_t DisplayCodePoint(unsigned char byte);
