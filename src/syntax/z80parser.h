// The Z80 line parser: cuts one source line into coloured runs and computes the parser state that
// the next line starts in. It keeps nothing between calls; whatever it knows about earlier lines
// arrives in the state.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "syntax/colorindex.h"

// Parser state bits. Only these five are ever returned, so a state is always below 32 and never
// the cache's unknown marker.
enum Z80ParserState : uint32_t {
    InLineComment = 0x01,      // after ';' (carried to the next line only by a final backslash)
    InPreprocessorLine = 0x02, // a line whose first non-blank character is '%' (same carry rule)
    InBlockComment = 0x04,     // between "/*" and "*/"; survives the end of the line
    InDoubleQuoted = 0x08,     // inside "..." (same carry rule as InLineComment)
    InSingleQuoted = 0x10,     // inside '...' (same carry rule as InLineComment)
};

inline constexpr uint32_t Z80ParserStateMask = 0x1F;

// The mnemonics, registers, condition codes and directives coloured as keywords: lower case, in
// this order, ended by a null entry.
inline constexpr int Z80KeywordCount = 121;
inline constexpr const char* Z80KeywordTable[Z80KeywordCount + 1] = {
    // directives and pseudo-instructions
    "getbank", "org", "bank", "struc", "endstruc", "ustruc", "section",
    // instructions
    "adc", "times", "jz", "jnz", "jc", "jnc", "exa", "add", "and", "bit", "call", "ccf", "cp",
    "cpd", "cpdr", "cpi", "cpir", "cpl", "daa", "db", "dd", "dec", "di", "djnz", "dq", "dt", "dw",
    "ei", "equ", "ex", "exx", "halt", "im", "in", "inc", "incbin", "ind", "indr", "inf", "ini",
    "inir", "jp", "jr", "ld", "ldd", "lddr", "ldi", "ldir", "neg", "nop", "or", "otdr", "otir",
    "out", "outd", "outi", "pop", "push", "res", "resb", "resd", "resq", "rest", "resw", "ret",
    "reti", "retn", "rl", "rla", "rlc", "rlca", "rld", "rr", "rra", "rrc", "rrca", "rrd", "rst",
    "sbc", "scf", "set", "sla", "sli", "sra", "srl", "sub", "xor",
    // registers and condition codes
    "a", "af", "b", "bc", "c", "d", "de", "e", "h", "hl", "i", "ix", "iy", "l", "m", "nc", "nz",
    "p", "pe", "po", "r", "sp", "xh", "xl", "yh", "yl", "z",
    // end of table
    nullptr};

// True when the `length` bytes at `text` equal some keyword exactly (byte-wise, case-sensitive:
// "LD" is no keyword). Reads no byte past `length`.
bool FindInKeywordTable(const char* text, int length);

// True when the `length` bytes at `text` are a number: 0x followed by hex digits (at least one),
// hex digits followed by h or H, or a decimal digit followed by digits, '+', '-', '.', 'e' or
// 'E'. False for a length below 1.
bool MatchesNumberSyntax(const char* text, int length);

// Parses one line of `length` bytes (any byte, NUL included; nothing past `length` is read)
// that starts in `state`, and returns the state at its end.
//
// With `blocks`, appends TextBlocks at blocks[count], incrementing count: at most two per byte of
// the line, so room for 2 * length blocks past count is enough. A block that would start before
// the last block already in the array is dropped, so the array stays in non-decreasing order of
// start. With `blocks` null, only the state is computed (words are not looked at) and count is
// left alone; the state returned is the same either way.
//
// Bits of `state` outside Z80ParserStateMask are ignored. Does not allocate.
uint32_t ColorizeZ80Line(uint32_t state, const char* text, int length, TextBlock* blocks,
                         int& count);

// Receives the blocks of a line in order, a bounded number at a time, so that a line of any length
// is coloured in constant memory.
class TextBlockReceiver {
public:
    virtual ~TextBlockReceiver() = default;
    // `blocks` are the next `count` blocks of the line (count >= 1), in non-decreasing order of
    // start and after every block received before.
    virtual void Receive(const TextBlock* blocks, int count) = 0;
};

// The whole-line parse with its blocks handed to `receiver` as they are made: the same blocks
// as the array form, in the same order. Returns the state at the line's end.
uint32_t ColorizeZ80Line(uint32_t state, const char* text, int length, TextBlockReceiver& receiver);

// Colours only the characters [from, to) of a line, for drawing a window onto a long one. Appends
// at blocks[count] the block in force at `from`, moved to start there, then every block the
// whole-line parse makes that starts inside (from, to): at most 2 * (to - from) + 1 blocks. A
// run of these blocks has the colour the whole-line parse gives it. The parse starts at the
// line's start (the colours depend on everything before) but stops soon after `to`, so it
// computes no end state. Nothing is appended unless 0 <= from < to <= length.
void ColorizeZ80Span(uint32_t state, const char* text, int length, int from, int to,
                     TextBlock* blocks, int& count);

// Where a parse of a line stands before character `at`: enough to go on from there and colour
// the rest exactly as a parse from the line's start does.
struct Z80ParsePoint {
    int32_t at = 0;
    uint32_t state = 0;     // the mode bits
    int32_t wordStart = -1; // where the open word starts; -1 for none
    int32_t lastStart = -1; // the last block made before `at`: where it starts, and its colour
    ColorIndex lastColor = ColorNormalText;
    bool firstChar = false; // no non-blank byte met in plain text yet
};

// ColorizeZ80Span going on from the latest of `points` at or before `from` instead of the line's
// start, and noting a new point every `step` characters it passes: the points of one line (as
// it is now, parsed from `state`), in order of `at`, kept by the caller between calls. A window
// far into a long line then costs a parse of about `step` characters once the points reach it.
// When the line or its start state changes, the points from the first changed character on
// (all of them, for a new start state) must go.
void ColorizeZ80Span(uint32_t state, const char* text, int length, int from, int to,
                     TextBlock* blocks, int& count, std::vector<Z80ParsePoint>& points, int step);

// The parse points of one long line, kept between windows of it so that each parses from the
// nearest point before it (ColorizeZ80Span), and forgotten as far as the text changes. The owner
// tells it of every change.
class Z80LongLine {
public:
    static constexpr int kPointStep = 1 << 16;

    // Colours the window [from, to) of line `line`: its `length` characters at `text`, parsed
    // from `state`.
    void Colorize(uint32_t state, int32_t line, const char* text, int length, int from, int to,
                  TextBlock* blocks, int& count);
    // The text changed from character `x` of line `line` on.
    void ChangedFrom(int32_t line, int32_t x);
    // Lines were inserted or removed after line `line`; -1: the whole text was replaced.
    void LinesMoved(int32_t line);

private:
    int32_t line_ = -1;
    uint32_t state_ = 0;
    std::vector<Z80ParsePoint> points_;
};

// The same for a line held as a string_view; its size must fit in an int, as every buffer line
// does.
inline uint32_t ColorizeZ80Line(uint32_t state, std::string_view line, TextBlock* blocks,
                                int& count) {
    return ColorizeZ80Line(state, line.data(), static_cast<int>(line.size()), blocks, count);
}
