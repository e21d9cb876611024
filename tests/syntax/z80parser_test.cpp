// The Z80 parser on hand-checked lines, and its two companions.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "blockformat.h"
#include "syntax/defaultcolors.h"
#include "syntax/z80parser.h"

using namespace std::string_view_literals;

namespace {

struct LineCase {
    std::string_view line;
    uint32_t state; // incoming
    const char* blocks;
    uint32_t result;
};

// Lines in order where one continues the previous: the incoming state is then the previous
// line's result.
const LineCase kLines[] = {
    // Words: keywords are lower case only; labels and unknown words stay plain.
    {"  ld a,(ix+5) ; load", 0, "0:n 2:kw 4:n 5:kw 6:n 8:kw 10:n 11:num 12:n 14:cm", 0},
    {"LD A,B", 0, "0:n 2:n 4:n", 0},
    {"loop: djnz loop", 0, "0:n 4:n 6:kw 10:n", 0},
    {"ld.a _b 1.5e3 1_0", 0, "0:n 4:n 7:n 8:num 13:n", 0},
    {"  jp 0x1F", 0, "0:n 2:kw 4:n 5:num", 0},
    {"  jp 0X1F", 0, "0:n 2:kw 4:n", 0},
    {"ld hl,0ffh", 0, "0:n 0:kw 2:n 3:kw 5:n 6:num", 0},
    {"ld a,each", 0, "0:n 0:kw 2:n 3:kw 4:n 5:num", 0},
    {"ld a,h", 0, "0:n 0:kw 2:n 3:kw 4:n 5:kw", 0},
    {"ld a,%1010", 0, "0:n 0:kw 2:n 3:kw 4:n 6:num", 0},
    {"ld a,$FF", 0, "0:n 0:kw 2:n 3:kw 4:n", 0},
    {"ld a,1010b", 0, "0:n 0:kw 2:n 3:kw 4:n", 0},
    // NUL and bytes above 127 are delimiters.
    {"ld\0a"sv, 0, "0:n 0:kw 2:n 3:kw", 0},
    {"ld\xE9"
     "a",
     0, "0:n 0:kw 2:n 3:kw", 0},

    // Strings and quoted literals cover their quotes; a word before a quote stays open across it.
    {"\tdb \"abc\",0", 0, "0:n 1:kw 3:n 4:str 9:n 10:num", 0},
    {"db\"abc\"", 0, "0:n 2:str 7:n", 0},
    {"db\"x\"1,2", 0, "0:n 2:str 5:n 6:n 7:num", 0},
    {"ld a,'x'", 0, "0:n 0:kw 2:n 3:kw 4:n 5:str 8:n", 0},
    {"ex af,af'", 0, "0:n 0:kw 2:n 3:kw 5:n 8:str", 0},
    {"db \"a\\\"b\",1", 0, "0:n 0:kw 2:n 3:str 9:n 10:num", 0},
    {"db \"a\\\\\",1", 0, "0:n 0:kw 2:n 3:str", 0}, // "a\\" does not close
    {"db \"a;b/*\" ; c", 0, "0:n 0:kw 2:n 3:str 10:n 11:cm", 0},

    // Line comments; a word right before ';' loses its colour.
    {"; whole", 0, "0:n 0:cm", 0},
    {"ld a;c", 0, "0:n 0:kw 2:n 4:cm", 0},

    // Preprocessor lines: '%' first among non-blanks, strings and quotes included.
    {"%include \"x\"", 0, "0:n 0:pp", 0},
    {"  %define X 1 ; c", 0, "0:n 2:pp 14:cm", 0},
    {"\t %d", 0, "0:n 2:pp", 0},
    {"x %y", 0, "0:n 1:n", 0},
    {"\"abc\" %x", 0, "0:n 0:str 5:n 6:pp", 0},
    {"%x \"y; z\"", 0, "0:n 0:pp 5:cm", 0},
    {"%if 1 /* c */ x", 0, "0:n 0:pp 6:cm 13:pp", 0},
    {"/*c*/ %z", 0, "0:n 0:cm 5:n 7:kw", 0},
    {"\xA0%b", 0, "0:n 2:kw", 0},
    {"\0%b"sv, 0, "0:n 2:kw", 0},

    // Block comments over lines.
    {"/* start", 0, "0:n 0:cm", InBlockComment},
    {"still comment", InBlockComment, "0:cm", InBlockComment},
    {"end */ ld a,1", InBlockComment, "0:cm 6:n 7:kw 9:n 10:kw 11:n 12:num", 0},
    {"ld /*x*/ a", 0, "0:n 0:kw 2:n 3:cm 8:n 9:kw", 0},
    {"ld/*x*/", 0, "0:n 0:kw 2:n 2:cm 7:n", 0},
    {"/*/ a", 0, "0:n 0:cm 3:n 4:kw", 0},
    {"*/%if", InBlockComment, "0:cm 2:n 2:pp", 0},
    {"*/ rest", InBlockComment | InPreprocessorLine, "0:cm 2:pp", 0},
    // The string is looked at before the comment, so the "*/" is not seen.
    {"*/ a", InBlockComment | InDoubleQuoted, "0:cm", InBlockComment},
    // "*/*" reopens at once; its comment block would start before the block at the '*' and is
    // dropped, so " b " keeps the plain colour although it is comment.
    {"/* a */* b */ c", 0, "0:n 0:cm 7:n 13:n 14:kw", 0},

    // A final backslash carries the whole state into the next line.
    {"nop ; comment\\", 0, "0:n 0:kw 3:n 4:cm", InLineComment},
    {"ld a,1", InLineComment, "0:cm 0:cm", 0},
    {"ld a,1 \\", InLineComment, "0:cm 0:cm", InLineComment},
    {"ld a,\"x\\", 0, "0:n 0:kw 2:n 3:kw 4:n 5:str", InDoubleQuoted},
    {"continued\"x", InDoubleQuoted, "0:str 10:n", 0},
    {"ld a,'x\\", 0, "0:n 0:kw 2:n 3:kw 4:n 5:str", InSingleQuoted},
    {"%define LONG \\", 0, "0:n 0:pp", InPreprocessorLine},
    {"  ld a,1", InPreprocessorLine, "0:pp", 0},
    {"/* x \\", 0, "0:n 0:cm", InBlockComment},
    {"ld a,1\\", 0, "0:n 0:kw 2:n 3:kw 4:n 5:num 6:n", 0},
    {"\\", InBlockComment | InPreprocessorLine, "0:cm", InBlockComment | InPreprocessorLine},

    // Empty lines keep only the block comment.
    {"", InBlockComment | InLineComment | InDoubleQuoted, "", InBlockComment},
    {"", InPreprocessorLine, "", 0},

    // Bits outside the parser's five are ignored, so the cache's unknown marker never comes back.
    {"%d\\", 0xFFFFFFE0u, "0:n 0:pp", InPreprocessorLine},
    {"x\\", 0xFFFFFFFFu, "0:cm 0:cm", Z80ParserStateMask},
};

TEST(Z80Parser, ColoursLinesAndCarriesState) {
    for (const LineCase& c : kLines) {
        SCOPED_TRACE(testing::Message()
                     << "line \"" << std::string(c.line) << "\" in state " << c.state);
        std::vector<TextBlock> blocks(2 * c.line.size() + 1);
        int count = 0;
        const uint32_t result = ColorizeZ80Line(c.state, c.line, blocks.data(), count);
        EXPECT_EQ(FormatBlocks(blocks.data(), count), c.blocks);
        EXPECT_EQ(result, c.result);

        int untouched = 7;
        EXPECT_EQ(ColorizeZ80Line(c.state, c.line, nullptr, untouched), c.result);
        EXPECT_EQ(untouched, 7);
    }
}

TEST(Z80Parser, AppendsAfterTheCallersBlocksAndKeepsThemInOrder) {
    // The caller's last block starts at 5: every block of the line that starts earlier is
    // dropped; the caller's own blocks stay as they are.
    std::vector<TextBlock> blocks(32);
    blocks[0] = {0, ColorOperator};
    blocks[1] = {5, ColorOperator};
    int count = 2;
    ColorizeZ80Line(0, "  ld a,(ix+5) ; load", blocks.data(), count);
    EXPECT_EQ(FormatBlocks(blocks.data(), count), "0:op 5:op 5:kw 6:n 8:kw 10:n 11:num 12:n 14:cm");
}

TEST(Z80Parser, ReadsNothingPastTheLength) {
    // The rest of the storage would colour differently if it were read.
    const char storage[] = "ld a,1 ; tail\\";
    std::vector<TextBlock> blocks(16);
    int count = 0;
    EXPECT_EQ(ColorizeZ80Line(0, storage, 4, blocks.data(), count), 0u);
    EXPECT_EQ(FormatBlocks(blocks.data(), count), "0:n 0:kw 2:n 3:kw");
    count = 0;
    EXPECT_EQ(ColorizeZ80Line(0, "/*", 1, blocks.data(), count), 0u);
    EXPECT_EQ(FormatBlocks(blocks.data(), count), "0:n");
}

// The lookup against a plain scan of the table.
bool InTableByScan(std::string_view word) {
    for (int k = 0; Z80KeywordTable[k] != nullptr; ++k) {
        if (word == Z80KeywordTable[k]) {
            return true;
        }
    }
    return false;
}

TEST(Z80Keywords, LookupAnswersAsAScanOfTheTable) {
    int entries = 0;
    while (Z80KeywordTable[entries] != nullptr) {
        ++entries;
    }
    EXPECT_EQ(entries, Z80KeywordCount);

    // Every keyword, each of its prefixes, each one-byte extension and each capitalisation of a
    // single letter.
    for (int k = 0; k < Z80KeywordCount; ++k) {
        const std::string word = Z80KeywordTable[k];
        for (size_t n = 0; n <= word.size(); ++n) {
            const std::string_view prefix(word.data(), n);
            EXPECT_EQ(FindInKeywordTable(prefix.data(), static_cast<int>(n)), InTableByScan(prefix))
                << prefix;
        }
        for (int byte = 0; byte < 256; ++byte) {
            const std::string longer = word + static_cast<char>(byte);
            EXPECT_EQ(FindInKeywordTable(longer.data(), static_cast<int>(longer.size())),
                      InTableByScan(longer))
                << longer;
        }
        for (size_t at = 0; at < word.size(); ++at) {
            std::string upper = word;
            upper[at] = static_cast<char>(upper[at] - 'a' + 'A');
            EXPECT_FALSE(FindInKeywordTable(upper.data(), static_cast<int>(upper.size()))) << upper;
        }
    }
    // Every word of up to three lower-case letters.
    std::string letters;
    for (int length = 1; length <= 3; ++length) {
        int total = 1;
        for (int k = 0; k < length; ++k) {
            total *= 26;
        }
        for (int code = 0; code < total; ++code) {
            letters.clear();
            for (int k = 0, rest = code; k < length; ++k, rest /= 26) {
                letters += static_cast<char>('a' + rest % 26);
            }
            ASSERT_EQ(FindInKeywordTable(letters.data(), length), InTableByScan(letters))
                << letters;
        }
    }

    const std::pair<std::string_view, bool> cases[] = {
        {"ld", true},      {"LD", false},      {"Ld", false},        {"lD", false},
        {"ld\0"sv, false}, {"endstruc", true}, {"endstrucs", false}, {"getbank", true},
        {"xor", true},     {"z", true},        {"f", false},         {"", false},
        {"ixh", false},    {"_ld", false},     {"ld.", false},       {"\xE9", false},
    };
    for (const auto& [word, expected] : cases) {
        EXPECT_EQ(FindInKeywordTable(word.data(), static_cast<int>(word.size())), expected) << word;
    }
}

TEST(Z80Numbers, Syntax) {
    const std::pair<std::string_view, bool> cases[] = {
        {"0x1F", true},  {"0xff", true},  {"0x", false},    {"0X1F", false},  {"0x1g", false},
        {"0xah", false}, {"0ffh", true},  {"12H", true},    {"ffh", true},    {"each", true},
        {"ah", true},    {"h", false},    {"0x0h", false},  {"hh", false},    {"12gh", false},
        {"0", true},     {"255", true},   {"1.5e3", true},  {"12.34", true},  {"1e", true},
        {"1.2.3", true}, {"1+2-3", true}, {"1010b", false}, {"1_0", false},   {".5", false},
        {"e1", false},   {"", false},     {"x", false},     {"9\0"sv, false},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(MatchesNumberSyntax(text.data(), static_cast<int>(text.size())), expected)
            << text;
    }
}

TEST(DefaultColors, TableAndFallback) {
    const SystemColors system{0x010203, 0x040506, 0x070809};
    const ColorRef expected[ColorIndexCount] = {0x010203, 0x010203, 0x040506, 0x070809,
                                                0x000000, 0xFFFFFF, 0xFF0000, 0x808080,
                                                0x000080, 0x000000, 0x0000FF, 0xC08000};
    for (int32_t index = 0; index < ColorIndexCount; ++index) {
        EXPECT_EQ(DefaultColorOf(index, system), expected[index]) << index;
    }
    for (int32_t index : {-1, 12, 1000, INT32_MIN}) {
        EXPECT_EQ(DefaultColorOf(index, system), 0x0000FFu) << index;
    }
    EXPECT_EQ(ColorRefRed(0x0000FF), 0xFF);
    EXPECT_EQ(ColorRefBlue(0xC08000), 0xC0);
}

} // namespace
