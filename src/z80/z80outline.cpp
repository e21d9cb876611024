// The outline's entries and its updates on edits; the background scan is z80outline_scan.cpp.
#include "z80/z80outline.h"

#include <climits>

#include "buffer/textbuffer.h"
#include "z80/z80lexer.h"
#include "z80/z80outline_slice.h"

namespace z80 {
namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ContainsNoCase(std::string_view hay, std::string_view lowerNeedle) {
    if (lowerNeedle.size() > hay.size())
        return false;
    for (size_t i = 0; i + lowerNeedle.size() <= hay.size(); ++i) {
        size_t k = 0;
        while (k < lowerNeedle.size() && Lower(hay[i + k]) == lowerNeedle[k])
            ++k;
        if (k == lowerNeedle.size())
            return true;
    }
    return false;
}

} // namespace

Outline::Outline(CTextBuffer& buffer, std::function<void()> wake, OutlineTuning tuning)
    : buffer_(buffer), wake_(std::move(wake)), tuning_(tuning) {
    buffer_.AttachView(this);
    Restart();
}

Outline::~Outline() {
    buffer_.DetachView(this);
    StopWorker();
}

// ---- Reading

OutlineEntry Outline::At(int index) const {
    const SymbolValue& value = symbols_.ValueAt(index);
    return OutlineEntry{symbols_.LineAt(index), value.kind, value.name};
}

int Outline::IndexAtOrBefore(int line) const {
    return symbols_.LowerBound(line == INT_MAX ? line : line + 1) - 1;
}

std::vector<int> Outline::Filter(std::string_view text) const {
    std::string needle;
    for (char c : text)
        needle += Lower(c);
    std::vector<int> found;
    symbols_.ForEach([&](int index, int, const SymbolValue& value) {
        if (ContainsNoCase(value.name, needle))
            found.push_back(index);
    });
    return found;
}

int Outline::FindDefinition(std::string_view name, int nearLine) const {
    if (name.empty())
        return -1;
    std::string lowerName;
    for (char c : name)
        lowerName += Lower(c);
    // The best line of the exact and of the case-blind matches: the last one at or above
    // nearLine, else the first one.
    struct Best {
        int above = -1;
        int first = -1;
        void Take(int line, int nearLine) {
            if (first < 0)
                first = line;
            if (line <= nearLine)
                above = line;
        }
        int Line() const { return above >= 0 ? above : first; }
    };
    Best exact;
    Best blind;
    symbols_.ForEach([&](int, int line, const SymbolValue& value) {
        if (value.name.size() != name.size())
            return;
        if (value.name == name)
            exact.Take(line, nearLine);
        else if (EqualsNoCase(value.name, lowerName))
            blind.Take(line, nearLine);
    });
    return exact.first >= 0 ? exact.Line() : blind.Line();
}

uint32_t Outline::LineStartState(int line) const {
    return line < 0 ? kUnknownState : StateAt(line);
}

uint32_t Outline::StateAt(int line) const {
    if (line >= scannedEnd_)
        return line == scannedEnd_ ? pendingState_ : kUnknownState;
    const int index = states_.LowerBound(line + 1) - 1;
    return index < 0 ? 0 : states_.ValueAt(index);
}

void Outline::Notify(const OutlineChange& change) {
    if (listener_)
        listener_->OnOutlineChanged(*this, change);
}

// ---- Scanning

void Outline::Restart() {
    CancelSlicesFrom(0);
    symbols_.Clear();
    states_.Clear();
    scannedEnd_ = 0;
    pendingState_ = 0;
    issuedEnd_ = 0;
    lineCount_ = buffer_.LineCount();
    if (!wake_ || lineCount_ <= tuning_.syncLines)
        ScanNow(lineCount_);
    OutlineChange change;
    change.reset = true;
    Notify(change);
    IssueSlices();
}

void Outline::ScanNow(int endLine) {
    const int from = scannedEnd_;
    if (from > 0 && pendingState_ != StateAt(from - 1))
        states_.Append(from, static_cast<uint8_t>(pendingState_));
    pendingState_ = ScanLines(
        endLine - from, pendingState_, [&](int i) { return buffer_.LineText(from + i); },
        [&](int i, const LineSymbol& s) {
            symbols_.Append(from + i, SymbolValue{std::string(s.name), s.kind});
        },
        [&](int i, uint32_t state) { states_.Append(from + i, static_cast<uint8_t>(state)); });
    scannedEnd_ = endLine;
    issuedEnd_ = std::max(issuedEnd_, endLine);
}

int Outline::TruncateAt(int line) {
    pendingState_ = StateAt(line);
    const int removed = symbols_.EraseLines(line, INT_MAX);
    states_.EraseLines(line, INT_MAX);
    scannedEnd_ = line;
    CancelSlicesFrom(0);
    return removed;
}

// ---- Edits

void Outline::OnBufferChanged(CBufferView* /*source*/, const PositionAdjuster* adjuster,
                              uint32_t hints, int line) {
    ++revision_;
    if (hints & HintReload) {
        Restart();
        return;
    }
    if (hints & HintMarksOnly)
        return;
    int first = line;
    int oldLast = line;
    int newLast = line;
    if (!(hints & HintOneLine)) {
        if (adjuster && dynamic_cast<const InsertAdjuster*>(adjuster)) {
            first = oldLast = adjuster->start.y;
            newLast = adjuster->end.y;
        } else if (adjuster && dynamic_cast<const DeleteAdjuster*>(adjuster)) {
            first = newLast = adjuster->start.y;
            oldLast = adjuster->end.y;
        } else {
            Restart();
            return;
        }
    }
    // A notification that does not fit what the outline knows of the text starts it afresh
    // rather than leaving it wrong.
    const int count = buffer_.LineCount();
    if (first < 0 || oldLast < first || newLast < first || oldLast >= lineCount_ ||
        static_cast<int64_t>(lineCount_) + newLast - oldLast != count) {
        Restart();
        return;
    }
    lineCount_ = count;
    LinesChanged(first, oldLast, newLast);
    IssueSlices();
}

void Outline::LinesChanged(int first, int oldLast, int newLast) {
    if (first >= scannedEnd_) {
        // Behind the scanned part: only the slices that hold changed lines are wrong.
        for (size_t i = 0; i < slices_.size(); ++i) {
            if (slices_[i]->firstLine + slices_[i]->lineCount > first) {
                CancelSlicesFrom(i);
                break;
            }
        }
        return;
    }
    if (oldLast >= scannedEnd_) {
        // Across the end of the scanned part: the scan goes on from the first changed line.
        OutlineChange change;
        change.first = symbols_.LowerBound(first);
        change.removed = TruncateAt(first);
        Notify(change);
        return;
    }
    RescanLines(first, oldLast, newLast);
}

// Lines first..oldLast (old numbers) became first..newLast. Their entries are replaced, the
// entries behind them move, and the rescan goes on while the next line's start state changed.
void Outline::RescanLines(int first, int oldLast, int newLast) {
    const int delta = newLast - oldLast;
    const int symbolIndex = symbols_.LowerBound(first);
    uint32_t oldNextState = StateAt(oldLast + 1);
    int removed = symbols_.EraseLines(first, oldLast + 1);
    states_.EraseLines(first + 1, oldLast + 2);
    symbols_.ShiftFrom(oldLast + 1, delta);
    states_.ShiftFrom(oldLast + 2, delta);
    scannedEnd_ += delta;
    issuedEnd_ += delta;
    for (const std::shared_ptr<Slice>& slice : slices_)
        slice->firstLine += delta;

    std::vector<std::pair<int, SymbolValue>> found;
    std::vector<std::pair<int, uint8_t>> changes;
    uint32_t state = StateAt(first);
    uint32_t endState = state;
    int line = first;
    int stateCursor = states_.LowerBound(newLast + 2);
    bool atEnd = false;
    bool handOver = false;
    int unused = 0;
    for (;;) {
        const std::string_view text = buffer_.LineText(line);
        LineSymbol symbol;
        if (FindLineSymbol(text, state, symbol))
            found.emplace_back(line, SymbolValue{std::string(symbol.name), symbol.kind});
        endState = ColorizeZ80Line(state, text, nullptr, unused);
        const int next = line + 1;
        if (next >= scannedEnd_) {
            atEnd = true;
            break;
        }
        if (line >= newLast) {
            if (endState == oldNextState) {
                if (endState != state)
                    changes.emplace_back(next, static_cast<uint8_t>(endState));
                break;
            }
            if (wake_ && line - first >= tuning_.maxRescanLines) {
                handOver = true;
                break;
            }
            // The next line starts in a new state, so it is rescanned too; what the line after it
            // started in before is needed to tell when the states meet again.
            while (stateCursor < states_.Size() && states_.LineAt(stateCursor) < next + 1)
                ++stateCursor;
            if (stateCursor < states_.Size() && states_.LineAt(stateCursor) == next + 1)
                oldNextState = states_.ValueAt(stateCursor);
        }
        if (endState != state)
            changes.emplace_back(next, static_cast<uint8_t>(endState));
        state = endState;
        line = next;
    }

    // The old entries of the lines rescanned beyond the changed ones.
    removed += symbols_.EraseLines(newLast + 1, line + 1);
    states_.EraseLines(newLast + 2, line + 2);
    if (handOver) {
        removed += TruncateAt(line + 1);
        pendingState_ = endState;
    } else if (atEnd && pendingState_ != endState) {
        pendingState_ = endState;
        CancelSlicesFrom(0);
    }
    OutlineChange change;
    change.first = symbolIndex;
    change.removed = removed;
    change.inserted = static_cast<int>(found.size());
    change.linesMoved = delta != 0;
    symbols_.InsertAt(symbolIndex, std::move(found));
    states_.InsertAt(states_.LowerBound(first + 1), std::move(changes));
    Notify(change);
}

} // namespace z80
