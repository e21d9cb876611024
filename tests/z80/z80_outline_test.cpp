// The label outline against a full rescan: random edits (lines inserted and deleted above,
// labels renamed, block comments opened and closed, undo and redo) on a buffer, after each of
// which the outline, its start states and a list kept only from its change notifications must
// equal what a scan of the whole text gives. Once scanning everything at once, once in the
// background with tiny slices, so that edits land before, inside and behind slices in flight.
//
// Reproduce a failure with VELMORA_MODEL_SEED=<seed>.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "buffer/textbuffer.h"
#include "common/test_rng.h"
#include "syntax/z80parser.h"
#include "z80/z80figures.h"
#include "z80/z80outline.h"
#include "z80/z80tally.h"

namespace {

using z80::Outline;
using z80::SymbolKind;

using testrng::Rng;

using Entry = std::tuple<int, SymbolKind, std::string>;

struct Scan {
    std::vector<Entry> entries;
    std::vector<uint32_t> states; // start state of every line
};

// The plain reference: every line scanned from the top.
Scan FullScan(const CTextBuffer& buffer) {
    Scan scan;
    uint32_t state = 0;
    int unused = 0;
    for (int line = 0; line < buffer.LineCount(); ++line) {
        scan.states.push_back(state);
        z80::LineSymbol symbol;
        if (z80::FindLineSymbol(buffer.LineText(line), state, symbol))
            scan.entries.emplace_back(line, symbol.kind, std::string(symbol.name));
        state = ColorizeZ80Line(state, buffer.LineText(line), nullptr, unused);
    }
    return scan;
}

// The entry list as a dock's model would keep it: only from the change notifications.
class Mirror : public z80::OutlineListener {
public:
    void OnOutlineChanged(const Outline& outline, const z80::OutlineChange& change) override {
        if (change.reset) {
            names.clear();
            for (int i = 0; i < outline.Count(); ++i)
                names.emplace_back(outline.At(i).name);
            return;
        }
        ASSERT_LE(change.first + change.removed, static_cast<int>(names.size()));
        names.erase(names.begin() + change.first, names.begin() + change.first + change.removed);
        for (int i = 0; i < change.inserted; ++i)
            names.insert(names.begin() + change.first + i,
                         std::string(outline.At(change.first + i).name));
    }
    std::vector<std::string> names;
};

// Compares what the outline has scanned so far with the full scan.
void ExpectMatches(const Outline& outline, const CTextBuffer& buffer, const Mirror& mirror,
                   const std::string& where) {
    const Scan scan = FullScan(buffer);
    const int scanned = outline.ScannedLines();
    ASSERT_LE(scanned, buffer.LineCount()) << where;
    std::vector<Entry> expected;
    for (const Entry& e : scan.entries)
        if (std::get<0>(e) < scanned)
            expected.push_back(e);
    std::vector<Entry> actual;
    for (int i = 0; i < outline.Count(); ++i) {
        const z80::OutlineEntry e = outline.At(i);
        actual.emplace_back(e.line, e.kind, std::string(e.name));
    }
    ASSERT_EQ(actual, expected) << where;
    ASSERT_EQ(mirror.names.size(), actual.size()) << where;
    for (size_t i = 0; i < actual.size(); ++i)
        ASSERT_EQ(mirror.names[i], std::get<2>(actual[i])) << where << " mirror entry " << i;
    for (int line = 0; line < buffer.LineCount() && line <= scanned; ++line)
        ASSERT_EQ(outline.LineStartState(line), scan.states[static_cast<size_t>(line)])
            << where << " start state of line " << line;
}

const char* const kLines[] = {
    "start:",        "loop_%:",        "  .local%: nop", "name% equ 5",
    "x% = 1",        "mac% macro",     "  macro m%",     "%macro pm%",
    "\tld a,(ix+5)", "\tjr nz,loop_1", "; comment",      "/* open",
    "close */",      "\tdb \"a;b\"",   "\tnop \\",       "",
    "Label% ld a,b", "\tex af,af'",    "%define D% 1",   "glob%::",
    "\tds 10 ; x",   "  /* c */ w%:",  "\"str \\",       "end\" x%:",
    "\tendm",
};

std::string RandomLine(Rng& rng) {
    std::string line = kLines[rng.Below(static_cast<int>(std::size(kLines)))];
    for (char& c : line)
        if (c == '%' && &c != line.data())
            c = static_cast<char>('0' + rng.Below(10));
    return line;
}

std::string RandomLines(Rng& rng, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i ? "\r\n" : "") + RandomLine(rng);
    return text;
}

// One random recorded edit, or an undo or redo.
std::string RandomEdit(CTextBuffer& buffer, Rng& rng) {
    const int lines = buffer.LineCount();
    const int y = rng.Below(lines);
    const int len = buffer.LineLength(y);
    int endLine = 0;
    int endChar = 0;
    std::string what;
    buffer.OpenEditGroup(false);
    switch (rng.Below(9)) {
    case 0: { // whole lines inserted
        const std::string text = RandomLines(rng, 1 + rng.Below(4)) + "\r\n";
        buffer.InsertRecorded(nullptr, y, 0, text, endLine, endChar, ActionPaste);
        what = "insert lines at " + std::to_string(y);
        break;
    }
    case 1: { // lines deleted, often from the middle of a line to the middle of another
        const int y2 = std::min(lines - 1, y + rng.Below(rng.Below(10) == 0 ? 40 : 5));
        const int x1 = rng.Below(len + 1);
        const int x2 =
            y2 == y ? std::max(x1, rng.Below(len + 1)) : rng.Below(buffer.LineLength(y2) + 1);
        buffer.DeleteRecorded(nullptr, y, x1, y2, x2, ActionDelete);
        what = "delete " + std::to_string(y) + ".." + std::to_string(y2);
        break;
    }
    case 2: { // a label renamed: its first characters replaced
        if (len > 0) {
            const int n = 1 + rng.Below(std::min(len, 3));
            buffer.DeleteRecorded(nullptr, y, 0, y, n, ActionDelete);
        }
        buffer.InsertRecorded(nullptr, y, 0, rng.Below(2) ? "Renamed" : "  ", endLine, endChar,
                              ActionTyping);
        what = "rename on " + std::to_string(y);
        break;
    }
    case 3: // a block comment opened or closed, or a string continued
        buffer.InsertRecorded(nullptr, y, rng.Below(len + 1),
                              rng.Below(3) == 0 ? "*/"
                              : rng.Below(2)    ? "/*"
                                                : "\\",
                              endLine, endChar, ActionTyping);
        what = "comment marks on " + std::to_string(y);
        break;
    case 4: // a line break typed
        buffer.InsertRecorded(nullptr, y, rng.Below(len + 1), "\r\n", endLine, endChar,
                              ActionTyping);
        what = "line break on " + std::to_string(y);
        break;
    case 5: // one character typed
        buffer.InsertRecorded(nullptr, y, rng.Below(len + 1),
                              std::string(1, ":a ;%'\"x"[rng.Below(8)]), endLine, endChar,
                              ActionTyping);
        what = "typing on " + std::to_string(y);
        break;
    case 6:
    case 7: {
        buffer.CloseEditGroup(nullptr);
        TextPosition caret;
        if (rng.Below(3) == 0)
            buffer.RedoNextStep(caret);
        else
            buffer.UndoLastStep(caret);
        return "undo/redo";
    }
    default: { // a line joined with the one below
        if (y + 1 < lines)
            buffer.DeleteRecorded(nullptr, y, len, y + 1, 0, ActionBackspace);
        what = "join " + std::to_string(y);
        break;
    }
    }
    buffer.CloseEditGroup(nullptr);
    return what;
}

uint64_t Seed() {
    const char* env = std::getenv("VELMORA_MODEL_SEED");
    return env ? std::strtoull(env, nullptr, 10) : 20240515;
}

void LoadRandomText(CTextBuffer& buffer, Rng& rng, int lines) {
    buffer.ResetToEmpty(LineEndDos);
    int endLine = 0;
    int endChar = 0;
    buffer.ApplyInsert(nullptr, 0, 0, RandomLines(rng, lines), endLine, endChar);
}

TEST(OutlineModel, FollowsEditsLikeAFullRescan) {
    const uint64_t seed = Seed();
    for (uint64_t run = 0; run < 4; ++run) {
        Rng rng(seed + run);
        CTextBuffer buffer;
        LoadRandomText(buffer, rng, 60);
        Outline outline(buffer);
        Mirror mirror;
        outline.SetListener(&mirror);
        mirror.OnOutlineChanged(outline, z80::OutlineChange{0, 0, 0, false, true});
        for (int step = 0; step < 300; ++step) {
            const std::string what = RandomEdit(buffer, rng);
            ASSERT_TRUE(outline.IsComplete());
            ExpectMatches(outline, buffer, mirror,
                          "seed " + std::to_string(seed + run) + " step " + std::to_string(step) +
                              " (" + what + ")");
        }
    }
}

TEST(OutlineModel, BackgroundScanFollowsEditsToo) {
    const uint64_t seed = Seed();
    z80::OutlineTuning tuning;
    tuning.syncLines = 0;
    tuning.sliceLines = 7;
    tuning.sliceBytes = 100;
    tuning.maxRescanLines = 5;
    for (uint64_t run = 0; run < 4; ++run) {
        Rng rng(seed + 100 + run);
        CTextBuffer buffer;
        LoadRandomText(buffer, rng, 150);
        Outline outline(
            buffer, [] {}, tuning);
        Mirror mirror;
        outline.SetListener(&mirror);
        mirror.OnOutlineChanged(outline, z80::OutlineChange{0, 0, 0, false, true});
        for (int step = 0; step < 300; ++step) {
            const std::string where = "seed " + std::to_string(seed + 100 + run) + " step " +
                                      std::to_string(step) + " (" + RandomEdit(buffer, rng) + ")";
            if (rng.Below(3) == 0)
                outline.Pump();
            ExpectMatches(outline, buffer, mirror, where);
            if (rng.Below(20) == 0) {
                outline.WaitUntilComplete();
                ASSERT_TRUE(outline.IsComplete());
                ExpectMatches(outline, buffer, mirror, where + " completed");
            }
        }
        outline.WaitUntilComplete();
        ExpectMatches(outline, buffer, mirror, "end of run " + std::to_string(run));
    }
}

// The tally sums only what a drag adds or takes away; it must equal a fresh sum every time.
TEST(SelectionTally, EqualsAFreshSumWhileTheSelectionMoves) {
    Rng rng(Seed() + 7);
    CTextBuffer buffer;
    LoadRandomText(buffer, rng, 80);
    Outline outline(buffer);
    z80::SelectionTally tally;
    int first = 10;
    int last = 20;
    for (int step = 0; step < 600; ++step) {
        const int lines = buffer.LineCount();
        switch (rng.Below(5)) {
        case 0:
            first = rng.Below(lines);
            break;
        case 1:
        case 2:
            last = rng.Below(lines + 3) - 1;
            break;
        case 3:
            first = rng.Below(lines);
            last = rng.Below(lines);
            break;
        default:
            RandomEdit(buffer, rng);
            break;
        }
        const z80::SelectionFigures expected = z80::SumLines(
            buffer, first, last, outline.LineStartState(std::clamp(first, 0, lines - 1)));
        ASSERT_EQ(tally.Update(buffer, outline, first, last), expected)
            << "step " << step << " lines " << first << ".." << last;
    }
}

TEST(SelectionTally, PaneTextForCaretAndSelection) {
    CTextBuffer buffer;
    buffer.ResetToEmpty(LineEndDos);
    int endLine = 0;
    int endChar = 0;
    buffer.ApplyInsert(nullptr, 0, 0, "\tld a,(ix+5)\r\n/*\r\n\tnop\r\n*/\r\n\tjr nz,$", endLine,
                       endChar);
    Outline outline(buffer);
    z80::SelectionTally tally;
    using P = TextPosition;
    EXPECT_EQ(z80::FiguresPaneText(buffer, outline, tally, P{3, 0}, P{3, 0}), "3 B  19 T");
    EXPECT_EQ(z80::FiguresPaneText(buffer, outline, tally, P{1, 2}, P{1, 2}), "");
    EXPECT_EQ(z80::FiguresPaneText(buffer, outline, tally, P{1, 4}, P{1, 4}), "2 B  12/7 T");
    EXPECT_EQ(z80::FiguresPaneText(buffer, outline, tally, P{0, 0}, P{3, 4}), "sel 5 B  26-31 T");
    EXPECT_EQ(z80::FiguresPaneText(buffer, outline, tally, P{0, 4}, P{0, 0}), "sel 3 B  19 T");
}

TEST(Outline, FindsDefinitionsAndFilters) {
    CTextBuffer buffer;
    buffer.ResetToEmpty(LineEndDos);
    int endLine = 0;
    int endChar = 0;
    buffer.ApplyInsert(nullptr, 0, 0,
                       "Print:\r\n"          // 0
                       ".loop: nop\r\n"      // 1
                       "\tdjnz .loop\r\n"    // 2
                       "Other:\r\n"          // 3
                       ".loop: halt\r\n"     // 4
                       "\tjr .loop\r\n"      // 5
                       "SIZE equ 8\r\n"      // 6
                       "print_all macro\r\n" // 7
                       "/* hidden:\r\n"      // 8
                       "*/",
                       endLine, endChar);
    Outline outline(buffer);
    ASSERT_EQ(outline.Count(), 6);
    EXPECT_EQ(outline.At(4).kind, SymbolKind::Equate);
    EXPECT_EQ(outline.At(5).kind, SymbolKind::Macro);
    EXPECT_EQ(outline.FindDefinition("Print"), 0);
    EXPECT_EQ(outline.FindDefinition("PRINT"), 0); // no exact match: any case
    EXPECT_EQ(outline.FindDefinition(".loop", 2), 1);
    EXPECT_EQ(outline.FindDefinition(".loop", 5), 4);
    EXPECT_EQ(outline.FindDefinition(".loop", 0), 1);
    EXPECT_EQ(outline.FindDefinition("hidden"), -1);
    EXPECT_EQ(outline.Filter("PRINT"), (std::vector<int>{0, 5}));
    EXPECT_EQ(outline.Filter("").size(), 6u);
    EXPECT_EQ(outline.IndexAtOrBefore(5), 3);
    EXPECT_EQ(outline.IndexAtOrBefore(-1), -1);
    EXPECT_EQ(outline.LineStartState(9), InBlockComment);
}

TEST(Outline, SymbolUnderTheCaret) {
    const std::string_view line = "\tjr nz,.loop2 ; 12h $ff";
    EXPECT_EQ(z80::SymbolAt(line, 1), "jr");
    EXPECT_EQ(z80::SymbolAt(line, 3), "jr"); // just behind the word
    EXPECT_EQ(z80::SymbolAt(line, 7), ".loop2");
    EXPECT_EQ(z80::SymbolAt(line, 13), ".loop2");
    EXPECT_EQ(z80::SymbolAt(line, 14), "");
    EXPECT_EQ(z80::SymbolAt(line, 17), ""); // a number
    EXPECT_EQ(z80::SymbolAt(line, 22), ""); // $ff
    EXPECT_EQ(z80::SymbolAt(line, 0), "");
    EXPECT_EQ(z80::SymbolAt(line, 99), "");
}

} // namespace
