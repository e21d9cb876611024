// The search routines: a table of the cases where the rules are easy to get wrong, and random
// texts, patterns, flags, starts, ranges and wrap checked against a plain reference search that
// copies and upper-cases each examined line part the slow way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "buffer/test_support.h"
#include "buffer/textbuffer.h"
#include "common/test_rng.h"
#include "view/textsearch.h"
#include "view/textview.h"

namespace {

using testrng::Rng;

// A view on a buffer holding `lines`; no window is needed to search.
struct Searchable {
    explicit Searchable(const std::vector<std::string>& lines) {
        buftest::Fill(buffer, lines);
        view.ConnectBuffer(&buffer);
    }
    ~Searchable() { view.DisconnectBuffer(); }
    CTextBuffer buffer;
    CTextView view;
};

std::string Pos(bool ok, TextPosition p) {
    return ok ? "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")" : "none";
}

TEST(Search, FindInStringCases) {
    struct Case {
        const char* text;
        const char* pattern;
        bool wholeWord;
        int32_t expected;
    };
    const Case cases[] = {
        {"xab ab", "ab", true, 4}, // the occurrence at 1 follows a word character
        {"aaa ", "aa", true, -1},  // the retry at 1 is followed by a word character
        {"ab_ ab", "ab", true, 4}, // underscore is a word character
        {"ab", "ab", true, 0},     // both ends of the text count as non-word
        {"(ab)", "ab", true, 1},   //
        {"a\xE9"
         "ab",
         "ab", true, 2},             // bytes above 0x7F are no word characters
        {"ld a,1", "ld", false, 0},  //
        {"LD a,1", "ld", false, -1}, // plain byte comparison
        {"", "", false, 0},          //
        {"ab", "", true, -1},        // no place in "ab" has non-word bytes on both sides
        {"a ", "", true, 2},         //
        {"abc", "abcd", false, -1},  //
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.pattern);
        EXPECT_EQ(CTextView::FindInString(c.text, c.pattern, c.wholeWord), c.expected);
    }
    // A NUL byte is a byte like any other: the search goes on behind it.
    const std::string withNul("ld\0ld b", 7);
    EXPECT_EQ(CTextView::FindInString(withNul, "ld b", false), 3);
    EXPECT_EQ(CTextView::FindInString(withNul, std::string("d\0l", 3), false), 1);
}

TEST(Search, RangeCases) {
    const std::vector<std::string> text{"start:", "  ld a,b", "  LD b,c ; Ld",
                                        "",       "  ret",    "end:  ld"};
    const TextPosition textEnd{8, 5};
    struct Case {
        const char* what;
        const char* pattern;
        uint32_t flags;
        TextPosition start;
        TextPosition rangeStart;
        TextPosition rangeEnd;
        bool wrap;
        const char* expected;
    };
    const uint32_t up = FindDirectionUp;
    const uint32_t exact = FindMatchCase;
    const Case cases[] = {
        {"without match case LD and Ld match", "ld", 0, {5, 1}, {0, 0}, textEnd, false, "(2,2)"},
        {"with match case only ld", "ld", exact, {5, 1}, {0, 0}, textEnd, false, "(6,5)"},
        {"down from the end of the only match wraps to it",
         "ret",
         0,
         {5, 4},
         {0, 0},
         textEnd,
         true,
         "(2,4)"},
        {"no wrap, no match", "ret", 0, {5, 4}, {0, 0}, textEnd, false, "none"},
        {"up finds the match right of the start on its line first",
         "ld",
         up,
         {5, 2},
         {0, 0},
         textEnd,
         false,
         "(11,2)"},
        {"up takes an earlier line's leftmost match",
         "ld",
         up,
         {12, 2},
         {0, 0},
         textEnd,
         false,
         "(2,1)"},
        {"up wraps from the last line of the text, not the range's end",
         "end",
         up,
         {0, 1},
         {0, 1},
         {3, 2},
         true,
         "(0,5)"},
        {"up is bounded by the range start only by moving the start",
         "start",
         up,
         {0, 0},
         {0, 2},
         textEnd,
         false,
         "(0,0)"},
        {"a match starting before the range end counts",
         "ld b",
         0,
         {0, 0},
         {0, 0},
         {3, 2},
         false,
         "(2,2)"},
        {"one starting at the range end does not",
         "LD",
         exact,
         {0, 2},
         {0, 2},
         {2, 2},
         false,
         "none"},
        {"a start before the range starts at the range",
         "ld",
         0,
         {0, 0},
         {0, 2},
         textEnd,
         false,
         "(2,2)"},
        {"an empty range finds nothing", "ld", 0, {0, 0}, {4, 1}, {4, 1}, true, "none"},
        {"the wrap starts at the range start", "ld", 0, {0, 5}, {9, 2}, {4, 5}, true, "(11,2)"},
        {"whole word: the byte left of the start is not looked at",
         "D",
         FindWholeWord | FindMatchCase,
         {3, 2},
         {0, 0},
         textEnd,
         false,
         "(3,2)"},
        {"an empty pattern matches at the first non-empty part",
         "",
         0,
         {6, 0},
         {0, 0},
         textEnd,
         false,
         "(0,1)"},
        {"a start past the line's end goes on with the next line",
         "ld",
         exact,
         {40, 1},
         {0, 0},
         textEnd,
         false,
         "(6,5)"},
    };
    Searchable s(text);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TextPosition found{-7, -7};
        const bool ok = s.view.FindTextInRange(c.pattern, c.start, c.rangeStart, c.rangeEnd,
                                               c.flags, c.wrap, found);
        EXPECT_EQ(Pos(ok, found), c.expected);
    }
}

TEST(Search, CaseTablesConvertToUpperCaseOnly) {
    for (const platform::CodePage page :
         {platform::CodePage::Windows1252, platform::CodePage::Windows1251}) {
        const view::CaseTable& t = view::CaseTableOf(page);
        for (int b = 0; b < 256; ++b) {
            const uint8_t u = t.upper[static_cast<size_t>(b)];
            EXPECT_EQ(t.upper[u], u) << b;
            EXPECT_TRUE(b == u || t.otherOf[u] == b) << b;
        }
        EXPECT_EQ(t.upper['a'], 'A');
        EXPECT_EQ(t.upper['_'], '_');
    }
    const view::CaseTable& latin = view::CaseTableOf(platform::CodePage::Windows1252);
    EXPECT_EQ(latin.upper[0xE9], 0xC9); // é É
    EXPECT_EQ(latin.upper[0xFF], 0x9F); // ÿ Ÿ
    EXPECT_EQ(latin.upper[0x9A], 0x8A); // š Š
    EXPECT_EQ(latin.upper[0xDF], 0xDF); // ß has no single upper-case letter
    EXPECT_EQ(latin.upper[0xF7], 0xF7); // ÷
    const view::CaseTable& cyrillic = view::CaseTableOf(platform::CodePage::Windows1251);
    EXPECT_EQ(cyrillic.upper[0xFF], 0xDF); // я Я
    EXPECT_EQ(cyrillic.upper[0xB8], 0xA8); // ё Ё
}

// ---- The reference: the rules written out plainly.

bool WordChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

int32_t RefFindInString(const std::string& text, const std::string& pattern, bool wholeWord) {
    const size_t n = text.size();
    const size_t m = pattern.size();
    for (size_t i = 0; i + m <= n; ++i) {
        if (text.compare(i, m, pattern) != 0)
            continue;
        if (wholeWord && ((i > 0 && WordChar(static_cast<unsigned char>(text[i - 1]))) ||
                          (i + m < n && WordChar(static_cast<unsigned char>(text[i + m])))))
            continue;
        return static_cast<int32_t>(i);
    }
    return -1;
}

struct Reference {
    const std::vector<std::string>& lines;
    const view::CaseTable& table = view::CaseTableOf(platform::CodePage::Windows1252);

    std::string Upper(std::string s) const {
        for (char& c : s)
            c = static_cast<char>(table.upper[static_cast<unsigned char>(c)]);
        return s;
    }
    int32_t Examine(const std::string& pattern, int32_t y, int32_t x0, uint32_t flags) const {
        if (y < 0 || y >= static_cast<int32_t>(lines.size()))
            return -1;
        const std::string& line = lines[static_cast<size_t>(y)];
        const int32_t n = static_cast<int32_t>(line.size()) - x0;
        if (n <= 0)
            return -1;
        std::string part = line.substr(static_cast<size_t>(x0));
        std::string pat = pattern;
        if (!(flags & FindMatchCase)) {
            part = Upper(part);
            pat = Upper(pat);
        }
        const int32_t i = RefFindInString(part, pat, (flags & FindWholeWord) != 0);
        return i < 0 ? -1 : x0 + i;
    }
    bool Find(const std::string& pattern, TextPosition start, TextPosition rangeStart,
              TextPosition rangeEnd, uint32_t flags, bool wrap, TextPosition& found) const {
        if (rangeStart == rangeEnd)
            return false;
        if (start.y < rangeStart.y || (start.y == rangeStart.y && start.x < rangeStart.x))
            start = rangeStart;
        const auto last = static_cast<int32_t>(lines.size()) - 1;
        for (int pass = 0; pass < (wrap ? 2 : 1); ++pass) {
            if (!(flags & FindDirectionUp)) {
                const TextPosition from = pass == 0 ? start : rangeStart;
                for (int32_t y = from.y; y <= rangeEnd.y && y <= last; ++y) {
                    const int32_t x = Examine(pattern, y, y == from.y ? from.x : 0, flags);
                    if (x < 0)
                        continue;
                    if (y == rangeEnd.y && x >= rangeEnd.x)
                        break;
                    found = {x, y};
                    return true;
                }
            } else {
                const TextPosition from = pass == 0 ? start : TextPosition{0, last};
                for (int32_t y = from.y; y >= 0; --y) {
                    const int32_t x = Examine(pattern, y, y == from.y ? from.x : 0, flags);
                    if (x >= 0) {
                        found = {x, y};
                        return true;
                    }
                }
            }
        }
        return false;
    }
};

TEST(Search, RandomSearchesAgreeWithThePlainReference) {
    // Word and non-word bytes, NUL, bytes above 0x7F with and without a case pair.
    const std::string alphabet =
        std::string("aAbB_1 ;,\t\xE9\xC9\xFF\x9F\xDF", 15) + std::string(1, '\0');
    const auto randomByte = [&](Rng& rng) {
        return alphabet[static_cast<size_t>(rng.Below(static_cast<int>(alphabet.size())))];
    };
    int found = 0;
    for (uint64_t seed = 1; seed <= 300; ++seed) {
        Rng rng(seed);
        std::vector<std::string> lines(static_cast<size_t>(1 + rng.Below(8)));
        for (std::string& line : lines)
            for (int i = rng.Below(40); i > 0; --i)
                line += randomByte(rng);
        Searchable s(lines);
        const Reference ref{lines};
        const auto randomPosition = [&]() {
            const int32_t y = rng.Below(static_cast<int>(lines.size()));
            return TextPosition{
                rng.Below(static_cast<int>(lines[static_cast<size_t>(y)].size()) + 2), y};
        };
        for (int round = 0; round < 60; ++round) {
            std::string pattern;
            if (rng.Chance(70)) {
                // Mostly a piece of the text, with its case changed here and there.
                const std::string& line =
                    lines[static_cast<size_t>(rng.Below(static_cast<int>(lines.size())))];
                const int from = rng.Below(static_cast<int>(line.size()) + 1);
                pattern = line.substr(static_cast<size_t>(from), static_cast<size_t>(rng.Below(4)));
                for (char& c : pattern)
                    if (rng.Chance(30) && c >= 'a' && c <= 'b')
                        c = static_cast<char>(c - 32);
            } else {
                for (int i = rng.Below(4); i > 0; --i)
                    pattern += randomByte(rng);
            }
            const uint32_t flags = static_cast<uint32_t>(rng.Below(2)) * FindMatchCase |
                                   static_cast<uint32_t>(rng.Below(2)) * FindWholeWord |
                                   static_cast<uint32_t>(rng.Below(2)) * FindDirectionUp;
            TextPosition rangeStart = randomPosition();
            TextPosition rangeEnd = randomPosition();
            if (rng.Chance(40)) {
                rangeStart = {0, 0};
                rangeEnd = {static_cast<int32_t>(lines.back().size()),
                            static_cast<int32_t>(lines.size()) - 1};
            }
            const TextPosition start = randomPosition();
            const bool wrap = rng.Chance(50);
            TextPosition got{-1, -1};
            TextPosition want{-1, -1};
            const bool gotOk =
                s.view.FindTextInRange(pattern, start, rangeStart, rangeEnd, flags, wrap, got);
            const bool wantOk = ref.Find(pattern, start, rangeStart, rangeEnd, flags, wrap, want);
            found += wantOk;
            ASSERT_EQ(Pos(gotOk, got), Pos(wantOk, want))
                << "seed " << seed << " round " << round << " pattern \"" << pattern << "\" flags "
                << flags << " start " << Pos(true, start) << " range " << Pos(true, rangeStart)
                << "-" << Pos(true, rangeEnd) << " wrap " << wrap;
        }
    }
    // The comparison means something only when many searches succeed.
    EXPECT_GT(found, 3000);
}

TEST(Search, LongLinesScanEveryPlace) {
    // Matches at every offset of lines longer than one scanning block, both cases.
    for (int32_t length = 1; length < 70; ++length) {
        for (int32_t at = 0; at + 2 <= length; at += 3) {
            std::string line(static_cast<size_t>(length), '.');
            line[static_cast<size_t>(at)] = 'L';
            line[static_cast<size_t>(at) + 1] = 'd';
            view::LineSearcher searcher;
            searcher.Prepare("lD", false, false);
            EXPECT_EQ(searcher.Find(line.data(), length), at) << length;
            searcher.Prepare("Ld", true, false);
            EXPECT_EQ(searcher.Find(line.data(), length), at) << length;
            searcher.Prepare("ld", true, false);
            EXPECT_EQ(searcher.Find(line.data(), length), -1) << length;
        }
    }
}

} // namespace
