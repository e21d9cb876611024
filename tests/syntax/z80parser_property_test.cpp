// The Z80 parser on random lines: its invariants, and agreement with a plain step-by-step
// statement of the algorithm (one byte per step, pending block requests, a linear keyword scan).
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "blockformat.h"
#include "syntax/z80parser.h"

namespace {

bool IsWordByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.';
}

bool IsBlankByte(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool KeywordByScan(const char* text, int n) {
    for (int k = 0; Z80KeywordTable[k] != nullptr; ++k) {
        if (std::string_view(text, static_cast<size_t>(n)) == Z80KeywordTable[k]) {
            return true;
        }
    }
    return false;
}

ColorIndex StateColor(uint32_t s) {
    if (s & (InLineComment | InBlockComment)) {
        return ColorComment;
    }
    if (s & (InDoubleQuoted | InSingleQuoted)) {
        return ColorString;
    }
    return (s & InPreprocessorLine) ? ColorPreprocessor : ColorNormalText;
}

// One step per byte, exactly in the order the rules are stated.
uint32_t ReferenceParse(uint32_t state, const char* p, int n, std::vector<TextBlock>* out) {
    state &= Z80ParserStateMask;
    if (n < 1) {
        return state & InBlockComment;
    }
    auto append = [out](int start, ColorIndex c) {
        if (out != nullptr && (out->empty() || out->back().startChar <= start)) {
            out->push_back({start, c});
        }
    };
    auto colorWord = [&](int w, int end) {
        if (KeywordByScan(p + w, end - w)) {
            append(w, ColorKeyword);
        } else if (MatchesNumberSyntax(p + w, end - w)) {
            append(w, ColorNumber);
        }
    };
    int i = 0;
    int w = -1;
    int request = 0;
    bool first = (state & ~uint32_t{InBlockComment}) == 0;
    for (;;) {
        if (request >= 0) {
            append(request, StateColor(state));
            request = -1;
        }
        if (i == n) {
            break;
        }
        const unsigned char ch = static_cast<unsigned char>(p[i]);
        const bool afterSlash = i > 0 && p[i - 1] == '/';
        if (state & InLineComment) {
            append(i, ColorComment);
            break;
        }
        if (state & (InDoubleQuoted | InSingleQuoted)) {
            const uint32_t flag = (state & InDoubleQuoted) ? InDoubleQuoted : InSingleQuoted;
            if (ch == (flag == InDoubleQuoted ? '"' : '\'') && (i == 0 || p[i - 1] != '\\')) {
                state &= ~flag;
                request = i + 1;
            }
        } else if (state & InBlockComment) {
            if (i > 0 && ch == '/' && p[i - 1] == '*') {
                state &= ~uint32_t{InBlockComment};
                request = i + 1;
            }
        } else if (ch == ';') {
            append(i, ColorComment);
            state |= InLineComment;
            break;
        } else if (state & InPreprocessorLine) {
            if (ch == '*' && afterSlash) {
                append(i - 1, ColorComment);
                state |= InBlockComment;
            }
        } else if (ch == '"' || ch == '\'') {
            append(i, ColorString);
            state |= ch == '"' ? InDoubleQuoted : InSingleQuoted;
        } else if (ch == '*' && afterSlash) {
            append(i - 1, ColorComment);
            state |= InBlockComment;
        } else if (first && ch == '%') {
            append(i, ColorPreprocessor);
            state |= InPreprocessorLine;
        } else {
            if (first && !IsBlankByte(ch)) {
                first = false;
            }
            if (out != nullptr) {
                if (IsWordByte(ch)) {
                    if (w < 0) {
                        w = i;
                    }
                } else if (w >= 0) {
                    colorWord(w, i);
                    w = -1;
                    request = i;
                }
            }
        }
        ++i;
    }
    if (w >= 0) {
        colorWord(w, i);
    }
    return p[n - 1] == '\\' ? state : (state & InBlockComment);
}

// Random lines heavy in the bytes and words that steer the parser, with any byte now and then.
std::string RandomLine(std::mt19937& rng) {
    static const char* const pieces[] = {
        ";",  "\"", "'",   "/",  "*",    "/*", "*/",  "%",   "\\",    "\\\"", " ",    "\t",
        ",",  "(",  ")",   "ld", "a",    "hl", "ix",  "af'", "djnz",  "h",    "0x1F", "0ffh",
        "12", "1e", "ffh", "LD", "x.y_", "db", "org", "ex",  "$",     "#",    "+",    "-",
        "\0", "\r", "\n",  "9h", "each", "e",  ".",   "0X",  "1.5e3", "nop",  "xor",  "endstruc"};
    const int pieceCount = static_cast<int>(std::size(pieces));
    std::uniform_int_distribution<int> length(0, 24);
    std::uniform_int_distribution<int> pick(0, pieceCount + 7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string line;
    for (int k = length(rng); k > 0; --k) {
        const int which = pick(rng);
        if (which >= pieceCount) {
            line += static_cast<char>(byte(rng));
        } else if (*pieces[which] == '\0') {
            line += '\0';
        } else {
            line += pieces[which];
        }
    }
    return line;
}

uint32_t RandomState(std::mt19937& rng) {
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_int_distribution<uint32_t> any;
    const int kind = pick(rng);
    if (kind == 0) {
        return any(rng); // bits outside the five must be ignored
    }
    if (kind < 5) {
        return 0;
    }
    return any(rng) & Z80ParserStateMask;
}

TEST(Z80ParserProperties, RandomLines) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 200000; ++round) {
        const std::string line = RandomLine(rng);
        const uint32_t state = RandomState(rng);
        const int n = static_cast<int>(line.size());
        // Exactly sized storage, so a sanitizer build catches any read past the line.
        auto bytes = std::make_unique<char[]>(line.size() + (line.empty() ? 1 : 0));
        std::copy(line.begin(), line.end(), bytes.get());

        std::vector<TextBlock> blocks(2 * line.size() + 2, TextBlock{-99, ColorOperator});
        blocks[0] = {0, ColorOperator}; // the caller's block stays
        int count = 1;
        const uint32_t withBlocks = ColorizeZ80Line(state, bytes.get(), n, blocks.data(), count);
        int ignored = 5;
        const uint32_t stateOnly = ColorizeZ80Line(state, bytes.get(), n, nullptr, ignored);

        std::vector<TextBlock> expected{{0, ColorOperator}};
        const uint32_t referenceState = ReferenceParse(state, bytes.get(), n, &expected);

        const auto trace = testing::Message()
                           << "round " << round << ", state " << state << ", line \""
                           << testing::PrintToString(line) << "\"";
        ASSERT_EQ(stateOnly, withBlocks) << trace;
        ASSERT_EQ(ignored, 5) << trace;
        ASSERT_LT(withBlocks, 32u) << trace;
        ASSERT_EQ(withBlocks, referenceState) << trace;
        ASSERT_EQ(FormatBlocks(blocks.data(), count),
                  FormatBlocks(expected.data(), static_cast<int>(expected.size())))
            << trace;
        ASSERT_EQ(ReferenceParse(state, bytes.get(), n, nullptr), referenceState) << trace;

        ASSERT_EQ(blocks[0], (TextBlock{0, ColorOperator})) << trace;
        ASSERT_LE(count - 1, 2 * n) << trace;
        ASSERT_EQ(blocks[static_cast<size_t>(count)].startChar, -99) << trace;
        for (int k = 1; k < count; ++k) {
            const TextBlock& b = blocks[static_cast<size_t>(k)];
            ASSERT_GE(b.startChar, blocks[static_cast<size_t>(k - 1)].startChar) << trace;
            ASSERT_LE(b.startChar, n) << trace;
            const bool known = b.colorIndex == ColorNormalText || b.colorIndex == ColorKeyword ||
                               b.colorIndex == ColorComment || b.colorIndex == ColorNumber ||
                               b.colorIndex == ColorString || b.colorIndex == ColorPreprocessor;
            ASSERT_TRUE(known) << trace;
        }
    }
}

// The colour of every character under a list of blocks, as the renderer draws them: normal text
// before the first block, each block up to the next one's start.
std::vector<int32_t> CharColors(const TextBlock* blocks, int count, int from, int to) {
    std::vector<int32_t> colors;
    int k = 0;
    int32_t color = ColorNormalText;
    for (int i = from; i < to; ++i) {
        while (k < count && blocks[k].startChar <= i) {
            color = blocks[k++].colorIndex;
        }
        colors.push_back(color);
    }
    return colors;
}

class Collect final : public TextBlockReceiver {
public:
    void Receive(const TextBlock* blocks, int count) override {
        ASSERT_GE(count, 1);
        got.insert(got.end(), blocks, blocks + count);
    }
    std::vector<TextBlock> got;
};

// A window onto a line and the blocks handed out in chunks colour every character as the
// whole-line array does, with bounded room.
TEST(Z80ParserProperties, WindowsAndChunksAgreeWithTheWholeLine) {
    std::mt19937 rng(20250214);
    for (int round = 0; round < 40000; ++round) {
        std::string line;
        // Long enough now and then to cross a chunk of blocks.
        for (int parts = round % 50 == 0 ? 120 : 3; parts > 0; --parts) {
            line += RandomLine(rng);
        }
        const uint32_t state = RandomState(rng);
        const int n = static_cast<int>(line.size());
        std::vector<TextBlock> whole(2 * line.size() + 2);
        int count = 0;
        const uint32_t end = ColorizeZ80Line(state, line.data(), n, whole.data(), count);
        const auto trace = testing::Message()
                           << "round " << round << ", state " << state << ", line \""
                           << testing::PrintToString(line) << "\"";

        Collect chunks;
        ASSERT_EQ(ColorizeZ80Line(state, line.data(), n, chunks), end) << trace;
        ASSERT_EQ(FormatBlocks(chunks.got.data(), static_cast<int>(chunks.got.size())),
                  FormatBlocks(whole.data(), count))
            << trace;

        if (n == 0) {
            continue;
        }
        std::uniform_int_distribution<int> pos(0, n);
        int from = pos(rng);
        int to = pos(rng);
        if (from > to) {
            std::swap(from, to);
        }
        std::vector<TextBlock> window(2 * static_cast<size_t>(to - from) + 2,
                                      TextBlock{-99, ColorOperator});
        int windowCount = 0;
        ColorizeZ80Span(state, line.data(), n, from, to, window.data(), windowCount);
        if (from == to) {
            ASSERT_EQ(windowCount, 0) << trace;
            continue;
        }
        ASSERT_LE(windowCount, 2 * (to - from) + 1) << trace;
        ASSERT_EQ(window[static_cast<size_t>(windowCount)].startChar, -99) << trace;
        ASSERT_EQ(window[0].startChar, from) << trace;
        for (int k = 1; k < windowCount; ++k) {
            ASSERT_GT(window[static_cast<size_t>(k)].startChar, from) << trace;
            ASSERT_LT(window[static_cast<size_t>(k)].startChar, to) << trace;
        }
        ASSERT_EQ(CharColors(window.data(), windowCount, from, to),
                  CharColors(whole.data(), count, from, to))
            << trace << ", window " << from << ".." << to;

        // Windows one after the other, each going on from the points the ones before left (some
        // of them forgotten now and then, as an edit after them would), colour alike.
        std::vector<Z80ParsePoint> points;
        const int step = 1 + static_cast<int>(rng() % 6);
        for (int k = 0; k < 4; ++k) {
            int a = pos(rng);
            int b = pos(rng);
            if (a > b) {
                std::swap(a, b);
            }
            if (a == b) {
                continue;
            }
            if (rng() % 3 == 0) {
                const int keep = pos(rng);
                std::erase_if(points, [keep](const Z80ParsePoint& p) { return p.at > keep; });
            }
            std::vector<TextBlock> part(2 * static_cast<size_t>(b - a) + 2);
            int partCount = 0;
            ColorizeZ80Span(state, line.data(), n, a, b, part.data(), partCount, points, step);
            ASSERT_LE(partCount, 2 * (b - a) + 1) << trace;
            ASSERT_EQ(CharColors(part.data(), partCount, a, b),
                      CharColors(whole.data(), count, a, b))
                << trace << ", step " << step << ", window " << a << ".." << b;
            for (size_t q = 1; q < points.size(); ++q) {
                ASSERT_LT(points[q - 1].at, points[q].at) << trace;
            }
        }
    }
}

} // namespace
