// The Z80 line parser and the number syntax.
//
// The parser is one forward pass. In each mode (inside a string, a quoted literal, a block
// comment, on a preprocessor line, in plain text) it scans straight to the next byte that can
// change the mode. The order of its tests is part of its behaviour: ';', the quotes and the '*'
// of "/*" are looked at before words, so they neither end a word nor clear the first-character
// flag, and a word open before a quote stays open across the string.
#include <algorithm>
#include <cstring>

#include "syntax/z80chars.h"
#include "syntax/z80parser.h"

static_assert(Z80KeywordTable[Z80KeywordCount] == nullptr);

namespace {

using z80chars::ClassOf;

bool AllOfClass(const char* text, int begin, int end, uint8_t cls) {
    for (int k = begin; k < end; ++k) {
        if ((ClassOf(text[k]) & cls) == 0) {
            return false;
        }
    }
    return true;
}

// The colour a run takes from the state it starts in.
ColorIndex ColorOfState(uint32_t state) {
    if (state & (InLineComment | InBlockComment)) {
        return ColorComment;
    }
    if (state & (InDoubleQuoted | InSingleQuoted)) {
        return ColorString;
    }
    if (state & InPreprocessorLine) {
        return ColorPreprocessor;
    }
    return ColorNormalText;
}

// Appends to the caller's array unless the block would start before the last one there.
// The state-only pass instantiates the parser with no sink, and every append vanishes.
struct BlockSink {
    TextBlock* blocks;
    int& count;

    void Append(int start, ColorIndex color) {
        if (count > 0 && blocks[count - 1].startChar > start) {
            return;
        }
        blocks[count++] = TextBlock{start, color};
    }
    static constexpr bool Done() { return false; }
    static constexpr void Checkpoint(int, uint32_t, bool, int) {}
};

struct NoSink {
    void Append(int, ColorIndex) {}
    static constexpr bool Done() { return false; }
    static constexpr void Checkpoint(int, uint32_t, bool, int) {}
};

// Hands the blocks to a receiver in chunks, keeping the array form's ordering rule across them.
struct ChunkSink {
    static constexpr int kChunk = 512;
    TextBlockReceiver& receiver;
    TextBlock* chunk;
    int used = 0;
    int last = -1; // start of the last block kept, -1 before the first

    void Append(int start, ColorIndex color) {
        if (start < last) {
            return;
        }
        last = start;
        chunk[used++] = TextBlock{start, color};
        if (used == kChunk) {
            Flush();
        }
    }
    void Flush() {
        if (used > 0) {
            receiver.Receive(chunk, used);
        }
        used = 0;
    }
    static constexpr bool Done() { return false; }
    static constexpr void Checkpoint(int, uint32_t, bool, int) {}
};

// Keeps the blocks that colour [from, to): the last one starting at or before `from` (moved to
// `from`) and those starting inside (from, to). Once a kept block starts at or after `to`, no
// later block can start before it (the ordering rule drops those), so the parse may stop. With
// `points`, it also notes where the parse stands every `step` characters after `next`.
struct WindowSink {
    TextBlock* blocks;
    int& count;
    int from;
    int to;
    int last = -1;
    ColorIndex lastColor = ColorNormalText;
    bool haveFirst = false;
    bool done = false;
    std::vector<Z80ParsePoint>* points = nullptr;
    int step = 0;
    int next = 0;

    void Append(int start, ColorIndex color) {
        if (start < last) {
            return;
        }
        last = start;
        lastColor = color;
        if (start >= to) {
            done = true;
        } else if (start <= from) {
            if (!haveFirst) {
                haveFirst = true;
                ++count;
            }
            blocks[count - 1] = TextBlock{from, color};
        } else {
            blocks[count++] = TextBlock{start, color};
        }
    }
    bool Done() const { return done; }
    void Checkpoint(int i, uint32_t s, bool firstChar, int w) {
        if (points && i >= next) {
            points->push_back(Z80ParsePoint{i, s, w, last, lastColor, firstChar});
            next = i + step;
        }
    }
};

// Index of the first `quote` at or after `from` that is not preceded by a backslash, or n.
int FindClosingQuote(const char* p, int from, int n, char quote) {
    int i = from;
    while (i < n) {
        const void* hit = std::memchr(p + i, quote, static_cast<size_t>(n - i));
        if (hit == nullptr) {
            return n;
        }
        i = static_cast<int>(static_cast<const char*>(hit) - p);
        if (i == 0 || p[i - 1] != '\\') {
            return i;
        }
        ++i;
    }
    return n;
}

// Index of the first '/' at or after `from` (and after position 0) that follows a '*', or n.
int FindBlockCommentEnd(const char* p, int from, int n) {
    int i = from > 0 ? from : 1;
    while (i < n) {
        const void* hit = std::memchr(p + i, '/', static_cast<size_t>(n - i));
        if (hit == nullptr) {
            return n;
        }
        i = static_cast<int>(static_cast<const char*>(hit) - p);
        if (p[i - 1] == '*') {
            return i;
        }
        ++i;
    }
    return n;
}

template <class Sink> void ColorWord(Sink& sink, const char* p, int w, int end) {
    if (FindInKeywordTable(p + w, end - w)) {
        sink.Append(w, ColorKeyword);
    } else if (MatchesNumberSyntax(p + w, end - w)) {
        sink.Append(w, ColorNumber);
    }
}

// kTrackWords is false for the state-only pass: words never change the state.
// With `resume`, the parse goes on from where that point of an earlier parse of the same line
// stood, as if it had run from the line's start; the sink was set to match the point.
template <bool kTrackWords, class Sink>
uint32_t Parse(uint32_t state, const char* p, const int n, Sink& sink,
               const Z80ParsePoint* resume = nullptr) {
    uint32_t s = state & Z80ParserStateMask;
    if (n < 1) {
        return s & InBlockComment;
    }
    // Set until a non-blank byte is met in plain text; while it is set, '%' starts a
    // preprocessor line.
    bool firstChar = (s & ~uint32_t{InBlockComment}) == 0;
    int w = -1; // start of the open word, if any
    int i = 0;
    if (resume) {
        s = resume->state;
        firstChar = resume->firstChar;
        w = resume->wordStart;
        i = resume->at;
    } else {
        sink.Append(0, ColorOfState(s));
    }

    while (i < n) {
        sink.Checkpoint(i, s, firstChar, w);
        if (sink.Done()) {
            return s;
        }
        if (s & InLineComment) { // only at 0, on a line continued from a comment
            sink.Append(i, ColorComment);
            break;
        }
        if (s & (InDoubleQuoted | InSingleQuoted)) {
            const uint32_t flag = (s & InDoubleQuoted) ? InDoubleQuoted : InSingleQuoted;
            const int q = FindClosingQuote(p, i, n, flag == InDoubleQuoted ? '"' : '\'');
            if (q == n) {
                i = n;
                break;
            }
            s &= ~flag;
            sink.Append(q + 1, ColorOfState(s));
            i = q + 1;
            continue;
        }
        if (s & InBlockComment) {
            const int e = FindBlockCommentEnd(p, i, n);
            if (e == n) {
                i = n;
                break;
            }
            s &= ~uint32_t{InBlockComment};
            sink.Append(e + 1, ColorOfState(s));
            i = e + 1;
            continue;
        }
        if (s & InPreprocessorLine) {
            // Only comments are recognised here: no strings, words or numbers.
            while (i < n && (ClassOf(p[i]) & z80chars::PreprocStop) == 0) {
                ++i;
            }
            if (i == n) {
                break;
            }
            if (p[i] == ';') {
                sink.Append(i, ColorComment);
                s |= InLineComment;
                break;
            }
            if (i > 0 && p[i - 1] == '/') { // p[i] is '*'
                sink.Append(i - 1, ColorComment);
                s |= InBlockComment;
            }
            ++i;
            continue;
        }

        // Plain text. Leaves the inner loop, with i past the byte, when the mode changes.
        bool modeChanged = false;
        for (; i < n; ++i) {
            if constexpr (kTrackWords) {
                sink.Checkpoint(i, s, firstChar, w);
            }
            if constexpr (!kTrackWords) {
                // Without words to follow, only ; " ' and * matter once the first non-blank
                // byte is behind.
                if (!firstChar) {
                    while (i < n && (ClassOf(p[i]) & z80chars::PlainStop) == 0) {
                        ++i;
                    }
                    if (i == n) {
                        break;
                    }
                }
            }
            const char ch = p[i];
            const uint8_t cls = ClassOf(ch);
            if (cls & z80chars::Special) {
                if (ch == ';') {
                    sink.Append(i, ColorComment);
                    s |= InLineComment;
                    modeChanged = true;
                    break;
                }
                if (ch == '"' || ch == '\'') {
                    sink.Append(i, ColorString);
                    s |= ch == '"' ? InDoubleQuoted : InSingleQuoted;
                    modeChanged = true;
                    ++i;
                    break;
                }
                if (ch == '*' && i > 0 && p[i - 1] == '/') {
                    sink.Append(i - 1, ColorComment);
                    s |= InBlockComment;
                    modeChanged = true;
                    ++i;
                    break;
                }
                if (ch == '%' && firstChar) {
                    sink.Append(i, ColorPreprocessor);
                    s |= InPreprocessorLine;
                    modeChanged = true;
                    ++i;
                    break;
                }
            }
            if (firstChar && (cls & z80chars::Blank) == 0) {
                firstChar = false;
            }
            if constexpr (kTrackWords) {
                if (cls & z80chars::Word) {
                    if (w < 0) {
                        w = i;
                    }
                } else if (w >= 0) {
                    ColorWord(sink, p, w, i);
                    w = -1;
                    sink.Append(i, ColorNormalText);
                    if (sink.Done()) {
                        return s;
                    }
                }
            }
        }
        if (!modeChanged || (s & InLineComment)) {
            break;
        }
    }

    if constexpr (kTrackWords) {
        if (w >= 0) { // a word running to the end of the line or up to a ';'
            ColorWord(sink, p, w, i);
        }
    }
    return p[n - 1] == '\\' ? s : (s & InBlockComment);
}

} // namespace

bool MatchesNumberSyntax(const char* text, int length) {
    if (length < 1) {
        return false;
    }
    if (length >= 3 && text[0] == '0' && text[1] == 'x') {
        return AllOfClass(text, 2, length, z80chars::HexDigit);
    }
    if (length >= 2 && (text[length - 1] == 'h' || text[length - 1] == 'H')) {
        return AllOfClass(text, 0, length - 1, z80chars::HexDigit);
    }
    return (ClassOf(text[0]) & z80chars::DecimalDigit) != 0 &&
           AllOfClass(text, 1, length, z80chars::DecimalTail);
}

uint32_t ColorizeZ80Line(uint32_t state, const char* text, int length, TextBlock* blocks,
                         int& count) {
    if (blocks == nullptr) {
        NoSink none;
        return Parse<false>(state, text, length, none);
    }
    BlockSink sink{blocks, count};
    return Parse<true>(state, text, length, sink);
}

uint32_t ColorizeZ80Line(uint32_t state, const char* text, int length,
                         TextBlockReceiver& receiver) {
    TextBlock chunk[ChunkSink::kChunk];
    ChunkSink sink{receiver, chunk};
    const uint32_t end = Parse<true>(state, text, length, sink);
    sink.Flush();
    return end;
}

void ColorizeZ80Span(uint32_t state, const char* text, int length, int from, int to,
                     TextBlock* blocks, int& count) {
    if (from < 0 || to > length || from >= to) {
        return;
    }
    WindowSink sink{blocks, count, from, to};
    Parse<true>(state, text, length, sink);
}

void ColorizeZ80Span(uint32_t state, const char* text, int length, int from, int to,
                     TextBlock* blocks, int& count, std::vector<Z80ParsePoint>& points, int step) {
    if (from < 0 || to > length || from >= to || step < 1) {
        return;
    }
    // The latest point at or before `from`; the points after it are made again on the way.
    auto after = std::upper_bound(points.begin(), points.end(), from,
                                  [](int at, const Z80ParsePoint& point) { return at < point.at; });
    const Z80ParsePoint* resume = nullptr;
    Z80ParsePoint start;
    if (after != points.begin()) {
        start = *(after - 1);
        resume = &start;
    }
    points.erase(after, points.end());
    WindowSink sink{blocks, count, from, to};
    sink.points = &points;
    sink.step = step;
    sink.next = resume ? resume->at + step : step;
    if (resume) {
        // The block in force at the point colours `from` unless another starts on the way.
        sink.last = resume->lastStart;
        sink.lastColor = resume->lastColor;
        sink.haveFirst = true;
        blocks[count++] = TextBlock{from, resume->lastColor};
    }
    Parse<true>(state, text, length, sink, resume);
}

void Z80LongLine::Colorize(uint32_t state, int32_t line, const char* text, int length, int from,
                           int to, TextBlock* blocks, int& count) {
    if (line != line_ || state != state_) {
        line_ = line;
        state_ = state;
        points_.clear();
    }
    ColorizeZ80Span(state, text, length, from, to, blocks, count, points_, kPointStep);
}

void Z80LongLine::ChangedFrom(int32_t line, int32_t x) {
    // What comes before the change parses as before.
    if (line == line_) {
        std::erase_if(points_, [x](const Z80ParsePoint& point) { return point.at > x; });
    }
}

void Z80LongLine::LinesMoved(int32_t line) {
    if (line < 0 || line < line_) {
        line_ = -1;
        points_.clear();
    }
}
