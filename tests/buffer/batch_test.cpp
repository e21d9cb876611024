// The batch record of one-line replacements against the same replacements made as separate
// recorded deletions and insertions: the text, the positions a view holds (moved line by line and
// by the whole-batch adjuster), and where undo and redo put the caret, after applying, undoing and
// redoing. The batch is one record of the history whatever the number of replacements.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "buffer/textbuffer.h"
#include "common/test_rng.h"
#include "test_support.h"

namespace {

using buftest::Fill;
using buftest::Lines;
using testrng::Rng;

// Moves its positions as the whole batch moved them, one notification per batch.
class BatchView : public CBufferView {
public:
    void OnBufferChanged(CBufferView*, const PositionAdjuster* adjuster, uint32_t, int) override {
        ++changes;
        if (adjuster)
            for (TextPosition& p : positions)
                adjuster->AdjustPosition(p);
    }
    void OnBufferBatchChanged(CBufferView*, const BatchChange& change) override {
        ++batches;
        for (TextPosition& p : positions)
            change.AdjustPosition(p);
    }
    std::vector<TextPosition> positions;
    int changes = 0;
    int batches = 0;
};

std::string RandomLine(Rng& rng) {
    static const std::string bytes = std::string("abAB ld_\t\xE9\xC9", 12) + std::string(1, '\0');
    std::string line;
    const int length = rng.Below(14);
    for (int i = 0; i < length; ++i)
        line += bytes[static_cast<size_t>(rng.Below(static_cast<int>(bytes.size())))];
    return line;
}

std::string Show(const std::vector<TextPosition>& ps) {
    std::string out;
    for (const TextPosition p : ps)
        out += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    return out;
}

TEST(ReplaceBatch, MatchesSeparateEditsThroughApplyUndoAndRedo) {
    for (uint64_t seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Rng rng(seed);
        std::vector<std::string> lines;
        const int lineCount = 1 + rng.Below(6);
        for (int i = 0; i < lineCount; ++i)
            lines.push_back(RandomLine(rng));
        const int32_t replacedLength = rng.Below(4);
        std::string replacement;
        for (int i = rng.Below(5); i > 0; --i)
            replacement += "xyZ"[rng.Below(3)];
        std::vector<TextPosition> positions;
        for (int y = 0; y < lineCount; ++y) {
            const auto length = static_cast<int32_t>(lines[static_cast<size_t>(y)].size());
            for (int32_t x = rng.Below(3); x + replacedLength <= length;
                 x += std::max(replacedLength, 1) + rng.Below(3)) {
                if (rng.Chance(60))
                    positions.push_back({x, y});
            }
        }
        if (positions.empty())
            continue;

        CTextBuffer batched;
        CTextBuffer separate;
        Fill(batched, lines);
        Fill(separate, lines);
        BatchView batchView; // takes the batch as a whole
        buftest::RecordingView reference;
        for (int y = 0; y < lineCount; ++y)
            for (int32_t x = 0; x <= static_cast<int32_t>(lines[static_cast<size_t>(y)].size());
                 ++x)
                reference.positions.push_back({x, y});
        batchView.positions = reference.positions;
        // Takes it line by line, through the default.
        struct LineByLine : BatchView {
            void OnBufferBatchChanged(CBufferView* source, const BatchChange& change) override {
                CBufferView::OnBufferBatchChanged(source, change);
            }
        } lineByLine;
        lineByLine.positions = reference.positions;
        batched.AttachView(&batchView);
        batched.AttachView(&lineByLine);
        separate.AttachView(&reference);

        ASSERT_TRUE(batched.ReplaceBatchRecorded(nullptr, positions, replacedLength, replacement,
                                                 ActionReplace));
        separate.OpenEditGroup(false);
        int64_t shift = 0;
        int32_t lastLine = -1;
        for (const TextPosition p : positions) {
            shift = p.y == lastLine ? shift : 0;
            lastLine = p.y;
            const auto x = static_cast<int>(p.x + shift);
            int endLine = 0;
            int endChar = 0;
            separate.DeleteRecorded(nullptr, p.y, x, p.y, x + replacedLength, ActionReplace);
            separate.InsertRecorded(nullptr, p.y, x, replacement, endLine, endChar, ActionReplace);
            shift += static_cast<int64_t>(replacement.size()) - replacedLength;
        }
        separate.CloseEditGroup(nullptr);

        const auto same = [&](const char* when) {
            SCOPED_TRACE(when);
            EXPECT_EQ(Lines(batched), Lines(separate));
            EXPECT_EQ(Show(batchView.positions), Show(reference.positions));
            EXPECT_EQ(Show(lineByLine.positions), Show(reference.positions));
        };
        same("applied");
        EXPECT_EQ(batched.RecordCount(), 1);
        EXPECT_EQ(batchView.batches, 1);
        EXPECT_EQ(batchView.changes, 0);
        std::string name;
        batched.UndoActionName(name);
        EXPECT_EQ(name, "Replace");

        TextPosition caretBatched;
        TextPosition caretSeparate;
        ASSERT_TRUE(batched.UndoLastStep(caretBatched));
        ASSERT_TRUE(separate.UndoLastStep(caretSeparate));
        same("undone");
        EXPECT_EQ(Lines(batched), lines);
        EXPECT_EQ(caretBatched, caretSeparate);
        EXPECT_FALSE(batched.IsModified());

        ASSERT_TRUE(batched.RedoNextStep(caretBatched));
        ASSERT_TRUE(separate.RedoNextStep(caretSeparate));
        same("redone");
        EXPECT_EQ(caretBatched, caretSeparate);
        EXPECT_EQ(batched.Record(0).end, caretSeparate);
    }
}

TEST(ReplaceBatch, RefusesWhatIsNotABatchOfThisText) {
    const std::vector<std::string> lines{"ld a,b", "ld c,d", ""};
    struct Case {
        const char* what;
        std::vector<TextPosition> positions;
        int32_t length;
        const char* replacement;
        bool readOnly;
    };
    const Case cases[] = {
        {"no positions", {}, 2, "LD", false},
        {"a line break in the replacement", {{0, 0}}, 2, "L\rD", false},
        {"a lone LF in the replacement", {{0, 0}}, 2, "L\nD", false},
        {"out of order", {{0, 1}, {0, 0}}, 2, "LD", false},
        {"overlapping", {{0, 0}, {1, 0}}, 2, "LD", false},
        {"two empty ones at one place", {{1, 0}, {1, 0}}, 0, "x", false},
        {"past the line's end", {{5, 0}}, 2, "LD", false},
        {"past the last line", {{0, 3}}, 0, "x", false},
        {"a negative column", {{-1, 0}}, 1, "x", false},
        {"a read-only buffer", {{0, 0}}, 2, "LD", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTextBuffer buffer;
        Fill(buffer, lines);
        buffer.ChangeReadOnly(c.readOnly);
        buftest::RecordingView view;
        buffer.AttachView(&view);
        EXPECT_FALSE(buffer.ReplaceBatchRecorded(nullptr, c.positions, c.length, c.replacement,
                                                 ActionReplace));
        EXPECT_EQ(Lines(buffer), lines);
        EXPECT_EQ(buffer.RecordCount(), 0);
        EXPECT_TRUE(view.notes.empty());
        EXPECT_FALSE(buffer.IsModified());
    }
}

TEST(ReplaceBatch, CountsAsOneRecordAgainstTheCapacity) {
    CTextBuffer buffer;
    std::vector<std::string> lines(3000, "ld a,b ; ld");
    Fill(buffer, lines);
    std::vector<TextPosition> positions;
    for (int y = 0; y < 3000; ++y) {
        positions.push_back({0, y});
        positions.push_back({9, y});
    }
    for (int i = 0; i < 5; ++i) {
        int endLine = 0;
        int endChar = 0;
        buffer.InsertRecorded(nullptr, 0, 0, "x", endLine, endChar, ActionTyping);
        buffer.DeleteRecorded(nullptr, 0, 0, 0, 1, ActionTyping);
    }
    ASSERT_TRUE(buffer.ReplaceBatchRecorded(nullptr, positions, 2, "LD", ActionReplace));
    EXPECT_EQ(buffer.RecordCount(), 11);
    EXPECT_EQ(buffer.LineText(2999), "LD a,b ; LD");
    TextPosition caret;
    ASSERT_TRUE(buffer.UndoLastStep(caret));
    EXPECT_EQ(Lines(buffer), lines);
    EXPECT_EQ(caret, (TextPosition{2, 0}));
    EXPECT_EQ(buffer.AppliedCount(), 10);
}

} // namespace
