// Bytes and T-states of single lines as the status pane shows them, over the operand syntax the
// assemblers accept, and the sums over a selection.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "buffer/textbuffer.h"
#include "syntax/z80parser.h"
#include "z80/z80expr.h"
#include "z80/z80figures.h"
#include "z80/z80messages.h"

namespace {

struct Case {
    std::string_view line;
    std::string_view shown; // what the status pane shows for the caret on this line
};

std::ostream& operator<<(std::ostream& os, const Case& c) {
    return os << '"' << c.line << '"';
}

class LineFiguresTest : public testing::TestWithParam<Case> {};

TEST_P(LineFiguresTest, ShowsSizeAndTiming) {
    const Case& c = GetParam();
    EXPECT_EQ(z80::FormatLineFigures(z80::AnalyzeLine(c.line)), c.shown) << c.line;
}

// Index offsets, primes, spacing, case, numbers, labels and comments.
INSTANTIATE_TEST_SUITE_P(
    Operands, LineFiguresTest,
    testing::Values(
        Case{"\tld a,(ix+5)", "3 B  19 T"}, Case{"\tld a,(ix-3)", "3 B  19 T"},
        Case{"\tld a,(ix)", "3 B  19 T"}, Case{"\tld  a , ( IX + 05h )", "3 B  19 T"},
        Case{"\tld b,(iy+offs*2)", "3 B  19 T"}, Case{"\tld (ix+1),0ffh", "4 B  19 T"},
        Case{"\tld (iy-128),a", "3 B  19 T"}, Case{"\tld a,[ix+5]", "3 B  19 T"},
        Case{"\tex af,af'", "1 B  4 T"}, Case{"\tEX AF,AF'", "1 B  4 T"},
        Case{"\tex af,af' ; the other bank", "1 B  4 T"}, Case{"\tex af,af", "1 B  4 T"},
        Case{"\tex de,hl", "1 B  4 T"}, Case{"\tex (sp),ix", "2 B  23 T"},
        Case{"\tjp (hl)", "1 B  4 T"}, Case{"\tjp (ix)", "2 B  8 T"}, Case{"\tjp [iy]", "2 B  8 T"},
        Case{"\tjp 0x1F", "3 B  10 T"}, Case{"\tjp pe,start", "3 B  10 T"},
        Case{"\tjr nz,loop", "2 B  12/7 T"}, Case{"\tjr loop", "2 B  12 T"},
        Case{"\tdjnz $", "2 B  13/8 T"}, Case{"\tcall c,print", "3 B  17/10 T"},
        Case{"\tret nc", "1 B  11/5 T"}, Case{"\tret", "1 B  10 T"}, Case{"\tLDIR", "2 B  21/16 T"},
        Case{"\tcpir", "2 B  21/16 T"}, Case{"\totir", "2 B  21/16 T"},
        Case{"\tld a,(1234h)", "3 B  13 T"}, Case{"\tld a,(0x1F)", "3 B  13 T"},
        Case{"\tld a,$ff", "2 B  7 T"}, Case{"\tld a,#ff", "2 B  7 T"},
        Case{"\tld a,%1010", "2 B  7 T"}, Case{"\tld a,1010b", "2 B  7 T"},
        Case{"\tld a,0FFh", "2 B  7 T"}, Case{"\tld a,255", "2 B  7 T"},
        Case{"\tld a,'x'", "2 B  7 T"}, Case{"\tcp ';' ; a semicolon", "2 B  7 T"},
        Case{"\tcp ','", "2 B  7 T"}, Case{"\tld a,(1+2)*3", "2 B  7 T"},
        Case{"\tld hl,(table)", "3 B  16 T"}, Case{"\tld de,(table)", "4 B  20 T"},
        Case{"\tld (table),sp", "4 B  20 T"}, Case{"\tld ix,(table)", "4 B  20 T"},
        Case{"\tld sp,hl", "1 B  6 T"}, Case{"\tld a,i", "2 B  9 T"}, Case{"\tld r,a", "2 B  9 T"},
        Case{"\tld a,r", "2 B  9 T"}, Case{"\tpush af", "1 B  11 T"}, Case{"\tpop iy", "2 B  14 T"},
        Case{"\tin a,(0feh)", "2 B  11 T"}, Case{"\tin e,(c)", "2 B  12 T"},
        Case{"\tout (c),a", "2 B  12 T"}, Case{"\tim 2", "2 B  8 T"},
        Case{"\trst 38h", "1 B  11 T"}, Case{"\tbit 7,(ix+2)", "4 B  20 T"},
        Case{"\tset 0,(hl)", "2 B  15 T"}, Case{"\tinc (iy+3)", "3 B  23 T"},
        Case{"\tadd ix,ix", "2 B  15 T"}, Case{"\tadc hl,sp", "2 B  15 T"},
        Case{"\tadd b", "1 B  4 T"}, Case{"\tsub a,b", "1 B  4 T"}, Case{"\tcp a,(hl)", "1 B  7 T"},
        Case{"\tnop", "1 B  4 T"},
        // undocumented forms
        Case{"\tsll b", "2 B  8 T"}, Case{"\tsli (hl)", "2 B  15 T"},
        Case{"\tsl1 (ix+2)", "4 B  23 T"}, Case{"\tld ixh,5", "3 B  11 T"},
        Case{"\tld a,ixl", "2 B  8 T"}, Case{"\tld xh,b", "2 B  8 T"},
        Case{"\tld hy,ly", "2 B  8 T"}, Case{"\tinc iyl", "2 B  8 T"}, Case{"\tcp ixh", "2 B  8 T"},
        Case{"\tout (c),0", "2 B  12 T"}, Case{"\tin f,(c)", "2 B  12 T"},
        Case{"\tin (c)", "2 B  12 T"}, Case{"\trlc (ix+3),b", "4 B  23 T"},
        Case{"\tres 3,(iy-1),a", "4 B  23 T"},
        // labels and comments around an instruction
        Case{"start: ld a,b", "1 B  4 T"}, Case{"start ld a,b", "1 B  4 T"},
        Case{"  .loop: djnz .loop", "2 B  13/8 T"}, Case{"nop", "1 B  4 T"},
        Case{"glob:: ret", "1 B  10 T"}, Case{"\tld a,b /* a note */ ; more", "1 B  4 T"},
        Case{"\t/* a note */ ld a,b", "1 B  4 T"}, Case{"\tld /* a note */ a,b", "1 B  4 T"},
        // no instruction
        Case{"", ""}, Case{"; just a comment", ""}, Case{"loop", ""}, Case{"loop:", ""},
        Case{"size equ 40", ""}, Case{"size = 40", ""}, Case{"  size equ 40", ""},
        Case{"\torg 8000h", ""}, Case{"\tinclude \"defs.inc\"", ""}, Case{"%include \"x\"", ""},
        Case{"  %define X 1", ""}, Case{"#define X", ""}, Case{"print macro", ""},
        Case{"\tendm", ""}, Case{"/* block", ""},
        // what cannot be sized
        Case{"\tld a,(hl+1)", "?"}, Case{"\tld hl,(ix+5)", "?"}, Case{"\tld ixh,h", "?"},
        Case{"\tout (c),1", "?"}, Case{"\tld a,b,c", "?"}, Case{"\tld a,", "?"},
        Case{"\tprint_str 1,2", "?"}, Case{"\tld a,b+1", "?"}, Case{"\tld a,1+b", "?"},
        Case{"\tld a,(ix+5)+1", "?"}, Case{"\tld a,(ix+b)", "?"}, Case{"\tld a,(1+hl)", "?"},
        Case{"\t!!", "?"}));

// Data directives count their bytes.
INSTANTIATE_TEST_SUITE_P(
    Data, LineFiguresTest,
    testing::Values(Case{"\tdb 1,2,3", "3 B"}, Case{"\tdb \"abc\",0", "4 B"},
                    Case{"\tdefb 'a','b'", "2 B"}, Case{"\tdb \"a;b,c\" ; text", "5 B"},
                    Case{"\tdb \"a\\\"b\"", "3 B"}, Case{"\tdb \"\\x41\\n\\101\"", "3 B"},
                    Case{"\tdb 'it''s'", "4 B"}, Case{"\tdb \"abc\"+80h", "3 B"},
                    Case{"\tdb ''", "0 B"}, Case{"\tDB 1", "1 B"}, Case{"\t.db 1,2", "2 B"},
                    Case{"msg: db \"hi\",13,10", "4 B"}, Case{"\tdefm \"hello\"", "5 B"},
                    Case{"\tdw 1,2", "4 B"}, Case{"\tdefw label", "2 B"},
                    Case{"\tdw \"ab\"", "2 B"}, Case{"\tdd 1", "4 B"}, Case{"\tds 10", "10 B"},
                    Case{"\tds 10h,0", "16 B"}, Case{"\tdefs 2*8", "16 B"},
                    Case{"\tds 0x10", "16 B"}, Case{"\tds (4+4)*2,'x'", "16 B"},
                    Case{"\tds %101", "5 B"}, Case{"\tresw 3", "6 B"}, Case{"\tds size", "? B"},
                    Case{"\tds $-start", "? B"}, Case{"\tds 1.5", "? B"}, Case{"\tds 1/0", "? B"},
                    Case{"\tincbin \"x.bin\"", "? B"}, Case{"\tdb", "?"}, Case{"\tdb 1,,2", "?"},
                    Case{"\tdb \"open", "?"}, Case{"\tds", "?"}, Case{"\ttimes 3 nop", "3 B  12 T"},
                    Case{"\ttimes 2*2 db 1,2", "8 B"}, Case{"\ttimes 2 jr nz,$", "4 B  24/14 T"},
                    Case{"\ttimes n nop", "? B  ? T"}));

TEST(LineFigures, LinesInsideABlockCommentTakeNoRoom) {
    EXPECT_EQ(z80::AnalyzeLine("\tld a,b", InBlockComment).kind, z80::LineKind::None);
    EXPECT_EQ(z80::FormatLineFigures(z80::AnalyzeLine("end */ ld a,b", InBlockComment)),
              "1 B  4 T");
    EXPECT_EQ(z80::AnalyzeLine("\tld a,b", InLineComment).kind, z80::LineKind::None);
    EXPECT_EQ(z80::AnalyzeLine("continued\"", InDoubleQuoted).kind, z80::LineKind::None);
}

TEST(LineFigures, AnyBytesAreAccepted) {
    std::string line;
    for (int i = 0; i < 256; ++i)
        line += static_cast<char>(i);
    for (size_t start = 0; start < line.size(); ++start)
        z80::AnalyzeLine(std::string_view(line).substr(start), 0);
    EXPECT_EQ(z80::AnalyzeLine(std::string_view("\tnop\0x", 6)).kind, z80::LineKind::Unknown);
}

TEST(Numbers, EveryNotation) {
    struct N {
        std::string_view text;
        int64_t value;
    };
    for (const N& n : {N{"0x1F", 31}, N{"1Fh", 31}, N{"0ffh", 255}, N{"12H", 18}, N{"$FF", 255},
                       N{"#10", 16}, N{"%1010", 10}, N{"1010b", 10}, N{"0b11", 3}, N{"17o", 15},
                       N{"17q", 15}, N{"10d", 10}, N{"42", 42}, N{"0bh", 11}})
        EXPECT_EQ(z80::ParseNumber(n.text), n.value) << n.text;
    for (std::string_view bad : {"1.5", "1e3", "0X", "ffh", "$", "%", "12a", "99999999999"})
        EXPECT_EQ(z80::ParseNumber(bad), std::nullopt) << bad;
    EXPECT_EQ(z80::EvaluateConstant("1 + 2 * 3 - (4 >> 1) | 0x100"), 261);
    EXPECT_EQ(z80::EvaluateConstant("-'A' + \"a\""), 32);
    EXPECT_EQ(z80::EvaluateConstant("7 % 4 << 2 & 0xff ^ 1"), 13);
    EXPECT_EQ(z80::EvaluateConstant("65536 * 65536 * 65536"), std::nullopt);
    EXPECT_EQ(z80::EvaluateConstant("label + 1"), std::nullopt);
    EXPECT_EQ(z80::EvaluateConstant("(1"), std::nullopt);
}

CTextBuffer& BufferWith(CTextBuffer& buffer, const std::vector<std::string>& lines) {
    buffer.ResetToEmpty(LineEndDos);
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\r\n" : "") + lines[i];
    int endLine = 0;
    int endChar = 0;
    buffer.ApplyInsert(nullptr, 0, 0, text, endLine, endChar);
    return buffer;
}

TEST(SelectionFigures, SumsMinimumAndMaximumOverTheLines) {
    CTextBuffer buffer;
    BufferWith(buffer, {"start:", "\tld a,b", "\tjr nz,start ; back", "\tdb 1,2", "\tds n",
                        "/* gone", "\tld a,b", "*/", "\tret", "\tcall z,start"});
    z80::SelectionFigures all = z80::SumLines(buffer, 0, 9, 0);
    EXPECT_EQ(z80::FormatSelectionFigures(all), "sel 9 B  31-43 T  (1 ?)");
    EXPECT_EQ(all.lines, 10);
    // From inside the block comment, with the state the colouring has there.
    EXPECT_EQ(z80::FormatSelectionFigures(z80::SumLines(buffer, 6, 8, InBlockComment)),
              "sel 1 B  10 T");
    // Without it the comment's end is a statement that cannot be sized.
    EXPECT_EQ(z80::FormatSelectionFigures(z80::SumLines(buffer, 6, 8, 0)), "sel 2 B  14 T  (1 ?)");
    // Clamped to the text.
    EXPECT_EQ(z80::SumLines(buffer, -5, 100, 0), all);
}

TEST(SelectionFigures, LinesOfASelection) {
    using P = TextPosition;
    EXPECT_EQ(z80::SelectedLines(P{2, 3}, P{5, 7}), std::make_pair(3, 7));
    EXPECT_EQ(z80::SelectedLines(P{0, 3}, P{0, 7}), std::make_pair(3, 6));
    EXPECT_EQ(z80::SelectedLines(P{0, 7}, P{4, 3}), std::make_pair(3, 6));
    EXPECT_EQ(z80::SelectedLines(P{0, 3}, P{4, 3}), std::make_pair(3, 3));
}

TEST(AssemblerOutput, LinesThatNameAFileAndALine) {
    struct Out {
        std::string_view line;
        std::string_view file;
        int number;
    };
    for (const Out& o :
         {Out{"ERROR on line 12 of file main.asm", "main.asm", 12},
          Out{"WARNING on line 3 of file sub/inc.asm", "sub/inc.asm", 3},
          Out{"err.asm:3: error: unable to resolve reference: nowhere ", "err.asm", 3},
          Out{"/home/u/a b.asm:140:7: warning: x", "/home/u/a b.asm", 140},
          Out{"C:\\src\\x.asm:9: error", "C:\\src\\x.asm", 9},
          Out{"main.asm(12): error A2008", "main.asm", 12},
          Out{"main.asm(12,5) : error", "main.asm", 12}}) {
        const std::optional<z80::SourceReference> ref = z80::FindSourceReference(o.line);
        ASSERT_TRUE(ref) << o.line;
        EXPECT_EQ(ref->file, o.file) << o.line;
        EXPECT_EQ(ref->line, o.number) << o.line;
    }
    for (std::string_view none : {"ERROR: Expected ')' but '+' found", "*** 2 errors found ***",
                                  "ERROR on line 0 of file x", "time: 12:30:00", "f(x)",
                                  ":12: no file", "x.asm:99999999999: huge", ""})
        EXPECT_FALSE(z80::FindSourceReference(none)) << none;
}

} // namespace
