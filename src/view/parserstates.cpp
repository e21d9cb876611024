#include "view/parserstates.h"

#include <algorithm>

void ParserStateCache::Create(int32_t lineCount) {
    exists_ = true;
    // Only entries below CandidateEnd() are ever read and each is written before that, so the
    // array is sized without writing it: a large text costs no pass over its memory here.
    states_.AssignUnwritten(static_cast<size_t>(std::max(lineCount, 0)));
    validEnd_ = 0;
    candidateEnd_ = 0;
    breaks_.clear();
}

void ParserStateCache::Clear() {
    exists_ = false;
    states_.Clear();
    validEnd_ = 0;
    candidateEnd_ = 0;
    breaks_.clear();
}

void ParserStateCache::Store(int32_t line, uint32_t state) {
    if (line < 0 || line >= Size() || line > validEnd_)
        return;
    uint32_t& entry = states_[static_cast<size_t>(line)];
    if (line == validEnd_ && line >= candidateEnd_) {
        // Past every candidate: the common case of a first pass over the text.
        entry = state;
        validEnd_ = candidateEnd_ = line + 1;
        return;
    }
    if (line < validEnd_) {
        // Only a parser that answers differently for the same input gets here; the lines behind
        // were computed from the old state and are candidates again.
        if (entry != state) {
            entry = state;
            LowerValidEnd(line + 1);
            AddBreak(line + 1, line + 2);
        }
        return;
    }
    const uint32_t old = entry;
    const bool wasCandidate = line < candidateEnd_;
    entry = state;
    validEnd_ = line + 1;
    if (!breaks_.empty() && breaks_.front().first == line) {
        if (++breaks_.front().first == breaks_.front().second)
            breaks_.erase(breaks_.begin());
    }
    if (wasCandidate && old == state) {
        const int32_t next =
            breaks_.empty() ? candidateEnd_ : std::min(breaks_.front().first, candidateEnd_);
        validEnd_ = std::max(validEnd_, next);
    }
    candidateEnd_ = std::max(candidateEnd_, validEnd_);
}

void ParserStateCache::LowerValidEnd(int32_t line) {
    if (line >= validEnd_)
        return;
    // The entry at the old ValidEnd() was exact or a candidate with no tie to the line before it.
    if (validEnd_ < candidateEnd_)
        AddBreak(validEnd_, validEnd_ + 1);
    validEnd_ = line;
}

void ParserStateCache::AddBreak(int32_t first, int32_t last) {
    first = std::max(first, validEnd_);
    last = std::min(last, candidateEnd_);
    if (first >= last)
        return;
    auto it = std::lower_bound(breaks_.begin(), breaks_.end(), Range{first, last});
    it = breaks_.insert(it, Range{first, last});
    // Merge with touching or overlapping neighbours.
    if (it != breaks_.begin() && std::prev(it)->second >= it->first) {
        std::prev(it)->second = std::max(std::prev(it)->second, it->second);
        it = std::prev(breaks_.erase(it));
    }
    while (std::next(it) != breaks_.end() && std::next(it)->first <= it->second) {
        it->second = std::max(it->second, std::next(it)->second);
        breaks_.erase(std::next(it));
    }
    if (breaks_.size() > kMaxBreaks) {
        candidateEnd_ = breaks_.front().first;
        breaks_.clear();
    }
}

void ParserStateCache::LineChanged(int32_t line) {
    if (line < 0 || line >= Size())
        return;
    LowerValidEnd(line);
    AddBreak(line, line + 1);
}

void ParserStateCache::LinesInserted(int32_t line, int32_t count) {
    if (line < 0 || line >= Size() || count < 0)
        return;
    LowerValidEnd(line);
    // The old entry of the changed line moves to the last line the insertion made, which ends
    // as the changed line ended before.
    states_.Insert(static_cast<size_t>(line), static_cast<size_t>(count), kUnknown);
    for (Range& r : breaks_) {
        if (r.first > line)
            r.first += count;
        if (r.second > line)
            r.second += count;
    }
    if (candidateEnd_ > line)
        candidateEnd_ += count;
    AddBreak(line, line + count + 1);
}

void ParserStateCache::LinesRemoved(int32_t line, int32_t count) {
    if (line < 0 || count < 0 || line + count >= Size())
        return;
    LowerValidEnd(line);
    // The changed line now ends as the last removed line ended: its entry takes that place.
    states_.Erase(static_cast<size_t>(line), static_cast<size_t>(count));
    const auto map = [&](int32_t p, int32_t floor) {
        return p <= line ? p : std::max(floor, p - count);
    };
    std::vector<Range> old;
    old.swap(breaks_);
    if (candidateEnd_ > line + count)
        candidateEnd_ -= count;
    else if (candidateEnd_ > line)
        candidateEnd_ = line;
    for (const Range& r : old)
        AddBreak(map(r.first, line), map(r.second, line + 1));
    AddBreak(line, line + 1);
}

void ParserStateCache::ResetFrom(int32_t start, int32_t lineCount) {
    lineCount = std::max(lineCount, 0);
    start = std::clamp(start, 0, lineCount);
    validEnd_ = std::min(validEnd_, start);
    candidateEnd_ = std::min(candidateEnd_, start);
    std::vector<Range> old;
    old.swap(breaks_);
    for (const Range& r : old)
        AddBreak(r.first, r.second);
    states_.Resize(static_cast<size_t>(lineCount), kUnknown);
}
