// The outline of one Z80 document: the labels, equates and macros it defines, in line order with
// their lines, kept current through every edit of the buffer, and the colouring's parser state at
// the start of every line (which the figures of a line need).
//
// It is a CBufferView of the document's buffer. An edit rescans only the lines it touched, and
// goes on line by line only while the parser state at the end of a rescanned line differs from
// the one the next line had (a "/*" typed above a block of code), as the view's parser-state
// cache does.
//
// Large documents are scanned in the background: the UI thread copies the text in slices (a
// snapshot in slices: the buffer belongs to the UI thread and is never read by another, and
// copying a slice costs a fraction of scanning it), a worker thread scans each slice, and Pump()
// merges the results on the UI thread in line order. Until then the outline covers a prefix of
// the document (ScannedLines()); edits in that prefix update it at once, edits behind it only move
// or cancel the slices in flight. An edit whose rescan would run on for very many lines hands the
// rest of the document to the background scan in the same way.
//
// All members are for the UI thread, except that `wake` is called on the worker thread.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/bufferview.h"
#include "z80/linekeyedlist.h"
#include "z80/z80symbols.h"

class CTextBuffer;

namespace z80 {

class Outline;

struct OutlineEntry {
    int line = 0;
    SymbolKind kind = SymbolKind::Label;
    std::string_view name; // valid until the outline next changes
};

// One change of the entry list: the entries [first, first + removed) were replaced by `inserted`
// new ones. When `linesMoved` is set, entries behind them now have other line numbers. `reset`
// means the whole list was replaced (a reload); the other fields are then 0.
struct OutlineChange {
    int first = 0;
    int removed = 0;
    int inserted = 0;
    bool linesMoved = false;
    bool reset = false;
};

class OutlineListener {
public:
    virtual ~OutlineListener() = default;
    virtual void OnOutlineChanged(const Outline& outline, const OutlineChange& change) = 0;
};

// The sizes that decide what is scanned in the background (tests make them small).
struct OutlineTuning {
    // Documents up to this many lines are scanned at once, on the calling thread.
    int syncLines = 65536;
    // A slice holds at most this many lines and, unless one line is longer, bytes.
    int sliceLines = 65536;
    size_t sliceBytes = size_t{2} << 20;
    // An edit rescans at most about this many lines itself before it hands the rest over.
    int maxRescanLines = 50000;
};

class Outline final : public CBufferView {
public:
    static constexpr uint32_t kUnknownState = 0xFFFFFFFFu;

    // Attaches to `buffer` (which must outlive the outline) and scans it. Without `wake`
    // everything is scanned at once, here and in every edit. With it, documents of more than
    // tuning.syncLines lines are scanned in the background: `wake` is then called on the worker
    // thread whenever a slice is done, must arrange for Pump() to be called on the UI thread soon
    // (a queued call to an object that checks the outline still exists), and must not block.
    explicit Outline(CTextBuffer& buffer, std::function<void()> wake = {},
                     OutlineTuning tuning = {});
    ~Outline() override;
    Outline(const Outline&) = delete;
    Outline& operator=(const Outline&) = delete;

    // ---- The background scan
    // Merges the slices the worker finished and hands out the next ones. Cheap when there is
    // nothing to do.
    void Pump();
    bool IsComplete() const;
    // Lines [0, ScannedLines()) are covered; the whole document once IsComplete().
    int ScannedLines() const { return scannedEnd_; }
    // Blocks until the scan is complete, merging slices as they come (tests, tools, benchmarks).
    void WaitUntilComplete();

    // ---- The entries, in line order
    int Count() const { return symbols_.Size(); }
    OutlineEntry At(int index) const;
    // The index of the last entry on `line` or above it; -1 when there is none.
    int IndexAtOrBefore(int line) const;
    // The indexes of the entries whose name contains `text`, ignoring ASCII case; every index for
    // an empty text.
    std::vector<int> Filter(std::string_view text) const;
    // The line that defines `name`: an exact match first, ignoring ASCII case second; among
    // several, the last one on `nearLine` or above it, else the first (so that local labels
    // resolve to the nearest one above). -1 when no entry has the name.
    int FindDefinition(std::string_view name, int nearLine = -1) const;

    // The colouring's parser state at the start of `line`; kUnknownState for lines the
    // background scan has not reached yet.
    uint32_t LineStartState(int line) const;
    // Changes with every change of the text and whenever the background scan learns more (for
    // caches of figures over lines, which depend on the start states).
    uint64_t Revision() const { return revision_; }

    void SetListener(OutlineListener* listener) { listener_ = listener; }

    void OnBufferChanged(CBufferView* source, const PositionAdjuster* adjuster, uint32_t hints,
                         int line) override;

private:
    struct Slice;
    class Worker;
    struct SymbolValue {
        std::string name;
        SymbolKind kind = SymbolKind::Label;
    };

    void Restart();
    void ScanNow(int endLine);
    void LinesChanged(int first, int oldLast, int newLast);
    void RescanLines(int first, int oldLast, int newLast);
    int TruncateAt(int line);
    uint32_t StateAt(int line) const;
    void MergeSlice(Slice& slice);
    void CancelSlicesFrom(size_t index);
    void IssueSlices();
    void Recycle(Slice& slice);
    void StopWorker();
    void Notify(const OutlineChange& change);

    CTextBuffer& buffer_;
    std::function<void()> wake_;
    OutlineTuning tuning_;
    OutlineListener* listener_ = nullptr;
    LineKeyedList<SymbolValue> symbols_;
    // The lines whose start state differs from that of the line above, with that state. Only
    // lines below scannedEnd_ appear; line 0 starts in state 0.
    LineKeyedList<uint8_t> states_;
    // The buffer's line count as of the last notification.
    int lineCount_ = 0;
    int scannedEnd_ = 0;
    // The start state of line scannedEnd_.
    uint32_t pendingState_ = 0;
    uint64_t revision_ = 0;

    // Slices in flight, in line order from scannedEnd_ on; the worker finishes them in order.
    std::deque<std::shared_ptr<Slice>> slices_;
    int issuedEnd_ = 0;
    // The copies of slices the worker handed back, emptied, for the next slices to fill: the
    // copying then writes into memory already in use instead of pages the system must clear
    // first. Released with the worker.
    std::vector<std::string> spareTexts_;
    std::vector<std::vector<uint32_t>> spareEnds_;
    std::unique_ptr<Worker> worker_;
};

} // namespace z80
