// Edits that run out of memory: every allocation of an edit, undo or redo is made to fail in turn.
// The text must then be exactly as before (or, once the allocation that failed was not needed,
// exactly as the edit leaves it), the buffer must say why, and the history must stay in step with
// the text: undoing and redoing everything afterwards gives the texts a buffer that never ran out
// of memory gives.
//
// This program replaces the global operator new, so it is a program of its own.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "buffer/journal.h"
#include "buffer/textbuffer.h"
#include "test_support.h"

namespace {

// Allocations left before one fails; negative: none fails.
long gAllocationsLeft = -1;
// The positions of the Replace All, made before allocations start to fail.
std::vector<TextPosition> gBatch;
// The text of a paste handed over, made before allocations start to fail.
std::string gPaste;

void ResetBatch() {
    gBatch = {{1, 0}, {2, 1}, {3, 3}, {99990, 3}};
}

} // namespace

void* operator new(size_t size) {
    if (gAllocationsLeft >= 0 && gAllocationsLeft-- == 0)
        throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

class CountingBuffer final : public CTextBuffer {
public:
    void OnEditFailed(int errorNumber) override { failures.push_back(errorNumber); }
    std::vector<int> failures;
};

std::string Text(const CTextBuffer& buffer) {
    std::string all;
    for (int i = 0; i < buffer.LineCount(); ++i) {
        all += buffer.LineText(i);
        all += '|';
    }
    return all;
}

using Edit = std::function<bool(CTextBuffer&)>;

bool Insert(CTextBuffer& b, int line, int ch, std::string_view text) {
    int endLine = 0;
    int endChar = 0;
    return b.InsertRecorded(nullptr, line, ch, text, endLine, endChar, ActionTyping);
}

// Every state the history can reach by undoing and then redoing everything.
std::vector<std::string> Walk(CTextBuffer& b) {
    std::vector<std::string> seen{Text(b)};
    TextPosition caret;
    while (b.UndoLastStep(caret))
        seen.push_back(Text(b));
    while (b.RedoNextStep(caret))
        seen.push_back(Text(b));
    return seen;
}

// With a journal kept: an allocation that fails inside the journal stops the journal, never the
// edit, and the history stays in step with the text.
void RunEdits(bool journal);

TEST(AllocationFailure, EveryAllocationOfAnEditFailsCleanly) {
    RunEdits(false);
}

TEST(AllocationFailure, TheJournalNeverBreaksAnEdit) {
    RunEdits(true);
}

void RunEdits(bool journal) {
    const std::string longLine(100000, 'x');
    // Enough lines for one slab to hold them all.
    std::string manyLines;
    for (int i = 0; i < LineStore::kSlabLines + 100; ++i)
        manyLines += "line " + std::to_string(i) + "\r\n";
    const std::vector<std::pair<const char*, Edit>> edits{
        {"type", [](CTextBuffer& b) { return Insert(b, 1, 2, "k"); }},
        {"type into a long line", [](CTextBuffer& b) { return Insert(b, 3, 50000, "kk"); }},
        {"break a long line", [](CTextBuffer& b) { return Insert(b, 3, 40000, "a\r\nb\r\nc"); }},
        {"paste lines", [](CTextBuffer& b) { return Insert(b, 0, 1, "1\r2\r3\r4\r5\r\n6"); }},
        {"paste many lines", [&](CTextBuffer& b) { return Insert(b, 3, 30000, manyLines); }},
        {"paste many lines taken over",
         [&](CTextBuffer& b) {
             int endLine = 0;
             int endChar = 0;
             // Moved in, as a paste does: the record takes the text over.
             return b.InsertRecorded(nullptr, 0, 2, std::move(gPaste), endLine, endChar,
                                     ActionPaste);
         }},
        {"delete in a line",
         [](CTextBuffer& b) { return b.DeleteRecorded(nullptr, 3, 10, 3, 90000, ActionDelete); }},
        {"delete lines",
         [](CTextBuffer& b) { return b.DeleteRecorded(nullptr, 0, 1, 3, 70000, ActionDelete); }},
        {"replace all",
         [](CTextBuffer& b) {
             // Moved in: a copy would allocate before the buffer is reached.
             return b.ReplaceBatchRecorded(nullptr, std::move(gBatch), 1, "long replacement",
                                           ActionReplace);
         }},
        {"undo",
         [](CTextBuffer& b) {
             TextPosition caret;
             return b.UndoLastStep(caret);
         }},
        {"redo",
         [](CTextBuffer& b) {
             TextPosition caret;
             return b.RedoNextStep(caret);
         }},
    };
    for (const auto& [name, edit] : edits) {
        for (long fail = 0;; ++fail) {
            // The same history in both: one group of two changes, another undone (for redo).
            const auto prepare = [&](CTextBuffer& b) {
                ResetBatch();
                gPaste = manyLines;
                b.ResetToEmpty(LineEndDos);
                Insert(b, 0, 0, "first\r\nsecond\r\n\r\n" + longLine + "\r\nlast");
                b.OpenEditGroup(false);
                Insert(b, 4, 4, "1");
                Insert(b, 4, 5, "2");
                b.CloseEditGroup(nullptr);
                Insert(b, 0, 0, "u");
                TextPosition caret;
                b.UndoLastStep(caret);
                if (std::string(name) == "undo") // something to undo that needs memory
                    b.DeleteRecorded(nullptr, 1, 0, 3, 100, ActionDelete);
            };
            CountingBuffer reference;
            prepare(reference);
            const std::string before = Text(reference);
            ASSERT_TRUE(edit(reference)) << name;
            const std::string after = Text(reference);
            const std::vector<std::string> walked = Walk(reference);

            CountingBuffer buffer;
            buftest::TempDir dir;
            std::unique_ptr<JournalWriter> writer;
            if (journal) {
                JournalWriter::Options options;
                options.folder = dir.File("state");
                options.syncIntervalMs = 0;
                writer = std::make_unique<JournalWriter>(buffer, options);
            }
            prepare(buffer);
            gAllocationsLeft = fail;
            const bool done = edit(buffer);
            const bool failed = gAllocationsLeft < 0;
            gAllocationsLeft = -1;
            const auto trace = testing::Message() << name << ", allocation " << fail;
            if (!failed) {
                ASSERT_TRUE(done) << trace;
                ASSERT_EQ(Text(buffer), after) << trace;
                ASSERT_TRUE(buffer.failures.empty()) << trace;
                break;
            }
            if (journal && buffer.failures.empty()) {
                // The journal ran out of memory, and stopped: the edit is whole.
                ASSERT_TRUE(done) << trace;
                ASSERT_EQ(Text(buffer), after) << trace;
                ASSERT_EQ(Walk(buffer), walked) << trace;
                continue;
            }
            ASSERT_EQ(buffer.failures, std::vector<int>{ENOMEM}) << trace;
            if (done) {
                // Undo and redo may get part of a step done before memory ran out.
                ASSERT_NE(Text(buffer), before) << trace;
            } else {
                ASSERT_EQ(Text(buffer), before) << trace;
                // Done the second time, the edit leaves what it leaves without any failure.
                ResetBatch();
                ASSERT_TRUE(edit(buffer)) << trace;
                ASSERT_EQ(Text(buffer), after) << trace;
                ASSERT_EQ(Walk(buffer), walked) << trace;
            }
        }
    }
}

} // namespace
