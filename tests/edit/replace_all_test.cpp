// Replace All from random texts, selections, scopes, flags, patterns and replacements, against
// Replace pressed until nothing more is found (Replace All's own rule, one match after the
// other): the text, caret, anchor, selection, the dialog's positions and range, the selection
// the command restores, and the messages must agree; the window must show what a full repaint
// shows; one undo must give back the original bytes and one redo the replaced ones. Over the
// whole text from its start, the result must also be that of a plain replace on each line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/test_rng.h"
#include "search_harness.h"
#include "view/textsearch.h"

namespace edittest {
namespace {

using namespace edit;
using testrng::Rng;

std::string Pos(TextPosition p) {
    return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
}

// Everything Replace All may change, as text.
std::string State(SearchHarness& h, CReplaceDialog* d) {
    std::string out = h.Marked() + " anchor " + Pos(h.view->Anchor()) + " column " +
                      std::to_string(h.view->GetRememberedColumn());
    if (d)
        out += " found " + std::to_string(d->found) + " search " + Pos(d->searchPosition) +
               " current " + Pos(d->currentPosition) + " range " + Pos(d->rangeStart) + "-" +
               Pos(d->rangeEnd);
    return out;
}

struct Scenario {
    std::string marked;
    std::string pattern;
    std::string replacement;
    bool matchCase = false;
    bool wholeWord = false;
    bool wholeFile = false;       // switch a selection's scope to the whole file
    int findFirst = 0;            // Find Next presses before
    std::string patternAfterFind; // typed after those presses, when not empty
};

Scenario RandomScenario(Rng& rng) {
    const std::string bytes = "aAbB _;\t\xE9\xC9";
    const auto pick = [&](const std::string& from) {
        return from[static_cast<size_t>(rng.Below(static_cast<int>(from.size())))];
    };
    Scenario s;
    std::vector<std::string> lines(static_cast<size_t>(1 + rng.Below(5)));
    for (std::string& line : lines)
        for (int i = rng.Below(12); i > 0; --i)
            line += pick(bytes);
    // Caret and anchor at random places; the anchor only sometimes.
    const auto place = [&]() {
        const int y = rng.Below(static_cast<int>(lines.size()));
        return std::pair{y, rng.Below(static_cast<int>(lines[static_cast<size_t>(y)].size()) + 1)};
    };
    const auto caret = place();
    const auto anchor = rng.Chance(50) ? place() : caret;
    for (int y = 0; y < static_cast<int>(lines.size()); ++y) {
        if (y > 0)
            s.marked += '\n';
        const std::string& line = lines[static_cast<size_t>(y)];
        for (int x = 0; x <= static_cast<int>(line.size()); ++x) {
            if (std::pair{y, x} == anchor && anchor != caret)
                s.marked += '^';
            if (std::pair{y, x} == caret)
                s.marked += '|';
            if (x < static_cast<int>(line.size()))
                s.marked += line[static_cast<size_t>(x)] == '\t'
                                ? std::string("\\t")
                                : std::string(1, line[static_cast<size_t>(x)]);
        }
    }
    const auto randomPattern = [&]() {
        std::string p;
        for (int i = 1 + rng.Below(rng.Chance(70) ? 2 : 3); i > 0; --i)
            p += pick("aAbB _");
        return p;
    };
    s.pattern = randomPattern();
    for (int i = rng.Below(5); i > 0; --i)
        s.replacement += pick("xyAB_ ");
    s.matchCase = rng.Chance(40);
    s.wholeWord = rng.Chance(30);
    s.wholeFile = rng.Chance(40);
    s.findFirst = rng.Chance(40) ? 1 + rng.Below(2) : 0;
    if (s.findFirst && rng.Chance(30))
        s.patternAfterFind = randomPattern();
    return s;
}

// Runs the scenario's Replace command; `replaceAll` presses Replace All, otherwise Replace until
// nothing more is found. `during` sees the dialog after that.
void RunReplace(SearchHarness& h, const Scenario& s, bool replaceAll,
                const std::function<void(CReplaceDialog&)>& during) {
    h.Replace([&](HeadlessDialog& d) {
        CReplaceDialog& dialog = SearchHarness::ReplaceDialogOf(d);
        d.Type(IDC_FIND_WHAT, s.pattern);
        d.Type(IDC_REPLACE_WITH, s.replacement);
        if (s.matchCase)
            d.Click(IDC_MATCH_CASE);
        if (s.wholeWord)
            d.Click(IDC_WHOLE_WORD);
        if (s.wholeFile)
            d.Click(IDC_SCOPE_WHOLE_FILE);
        for (int i = 0; i < s.findFirst; ++i)
            d.Click(IDC_FIND_NEXT);
        if (!s.patternAfterFind.empty())
            d.Type(IDC_FIND_WHAT, s.patternAfterFind);
        if (replaceAll) {
            d.Click(IDC_REPLACE_ALL);
        } else {
            int presses = 0;
            do {
                d.Click(IDC_REPLACE);
            } while (dialog.found && ++presses < 1000);
        }
        during(dialog);
    });
}

TEST(ReplaceAll, AgreesWithReplacingOneMatchAfterTheOther) {
    int replaced = 0;
    for (uint64_t seed = 1; seed <= 300; ++seed) {
        Rng rng(seed);
        const Scenario s = RandomScenario(rng);
        SCOPED_TRACE("seed " + std::to_string(seed) + ": \"" + s.marked + "\" pattern \"" +
                     s.pattern + "\" by \"" + s.replacement + "\"");
        SearchHarness all(s.marked);
        SearchHarness oneByOne(s.marked);
        oneByOne.buffer.SetUndoCapacity(1 << 20);
        const std::string original = all.Text();
        std::string allState;
        std::string allMessages;
        RunReplace(all, s, true, [&](CReplaceDialog& d) {
            allState = State(all, &d);
            EXPECT_EQ(all.ScreenMismatch(), "");
        });
        RunReplace(oneByOne, s, false,
                   [&](CReplaceDialog& d) { EXPECT_EQ(allState, State(oneByOne, &d)); });
        EXPECT_EQ(State(all, nullptr), State(oneByOne, nullptr));
        EXPECT_EQ(all.shell.messages, oneByOne.shell.messages);
        EXPECT_EQ(all.ScreenMismatch(), "");
        if (all.Text() == original)
            continue;
        ++replaced;
        // One step, whatever the number of replacements.
        const std::string after = all.Text();
        all.Keys("Ctrl+Z");
        EXPECT_EQ(all.Text(), original);
        EXPECT_FALSE(all.buffer.HasUndo());
        EXPECT_EQ(all.ScreenMismatch(), "");
        oneByOne.UndoAll();
        EXPECT_EQ(all.view->GetCaretPos(), oneByOne.view->GetCaretPos());
        all.Keys("Ctrl+Y");
        EXPECT_EQ(all.Text(), after);
        EXPECT_EQ(all.ScreenMismatch(), "");
        oneByOne.RedoAll();
        EXPECT_EQ(all.view->GetCaretPos(), oneByOne.view->GetCaretPos());
    }
    EXPECT_GT(replaced, 80);
}

// The plain rule on one line: from each resume point, the first acceptable occurrence in the
// rest of the line (the byte before the resume point is not looked at), replaced; the search
// resumes after the replaced text.
std::string PlainReplace(const std::string& line, const std::string& pattern,
                         const std::string& replacement, bool matchCase, bool wholeWord) {
    const view::CaseTable& table = view::CaseTableOf(platform::CodePage::Windows1252);
    const auto fold = [&](unsigned char c) { return matchCase ? c : table.upper[c]; };
    const auto word = [](unsigned char c) { return CTextView::IsWordChar(c); };
    std::string out;
    size_t from = 0;
    for (;;) {
        size_t hit = std::string::npos;
        for (size_t i = from; i + pattern.size() <= line.size() && from < line.size(); ++i) {
            bool same = true;
            for (size_t j = 0; j < pattern.size() && same; ++j)
                same = fold(static_cast<unsigned char>(line[i + j])) ==
                       fold(static_cast<unsigned char>(pattern[j]));
            if (!same)
                continue;
            if (wholeWord && ((i > from && word(static_cast<unsigned char>(line[i - 1]))) ||
                              (i + pattern.size() < line.size() &&
                               word(static_cast<unsigned char>(line[i + pattern.size()])))))
                continue;
            hit = i;
            break;
        }
        if (hit == std::string::npos)
            break;
        out += line.substr(from, hit - from) + replacement;
        from = hit + pattern.size();
    }
    return out + line.substr(std::min(from, line.size()));
}

TEST(ReplaceAll, OverTheWholeTextIsAPlainReplaceOfEachLine) {
    for (uint64_t seed = 1; seed <= 150; ++seed) {
        Rng rng(seed);
        Scenario s = RandomScenario(rng);
        s.findFirst = 0;
        s.patternAfterFind.clear();
        Marks marks;
        const std::string text = ParseMarkedText(s.marked, marks);
        SearchHarness h("|" + std::string(text));
        RunReplace(h, s, true, [](CReplaceDialog&) {});
        std::string expected;
        size_t start = 0;
        for (;;) {
            const size_t end = text.find('\n', start);
            expected += PlainReplace(text.substr(start, end - start), s.pattern, s.replacement,
                                     s.matchCase, s.wholeWord);
            if (end == std::string::npos)
                break;
            expected += '\n';
            start = end + 1;
        }
        EXPECT_EQ(h.Text(), expected) << "seed " << seed << " pattern \"" << s.pattern << "\"";
        if (h.buffer.HasUndo()) {
            h.Keys("Ctrl+Z");
            EXPECT_EQ(h.Text(), text);
        }
    }
}

} // namespace
} // namespace edittest
