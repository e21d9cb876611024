// The output formats of velmora-highlight. Each writer appends to a string; the caller decides
// when to flush it.
#pragma once

#include <string>
#include <string_view>

#include "syntax/colorindex.h"

enum class OutputFormat { Blocks, Ansi, Html };

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
