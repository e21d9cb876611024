#include "view/expandedlengths.h"

#include <algorithm>

void ExpandedLengthCache::Create(int32_t lineCount) {
    StartFill();
    lineCount = std::max(lineCount, 0);
    entries_.Assign(static_cast<size_t>(lineCount), kUnknown);
    unknown_ = lineCount;
}

void ExpandedLengthCache::StartFill() {
    Clear();
    exists_ = true;
    dense_.assign(kDenseLimit, 0);
}

void ExpandedLengthCache::Clear() {
    exists_ = false;
    entries_.Clear();
    unknown_ = 0;
    dense_.clear();
    dense_.shrink_to_fit();
    sparse_.clear();
    denseTop_ = 0;
}

void ExpandedLengthCache::Count(int32_t length, int32_t delta) {
    if (length < kDenseLimit) {
        dense_[static_cast<size_t>(length)] += delta;
        if (delta > 0)
            denseTop_ = std::max(denseTop_, length);
        return;
    }
    auto it = sparse_.try_emplace(length, 0).first;
    it->second += delta;
    if (it->second == 0)
        sparse_.erase(it);
}

void ExpandedLengthCache::Set(int32_t line, int32_t length) {
    int32_t& entry = entries_[static_cast<size_t>(line)];
    if (entry == length)
        return;
    if (entry == kUnknown)
        --unknown_;
    else
        Count(entry, -1);
    entry = length;
    if (length == kUnknown)
        ++unknown_;
    else
        Count(length, +1);
}

void ExpandedLengthCache::Reset(int32_t line) {
    Set(line, kUnknown);
}

void ExpandedLengthCache::InsertAfter(int32_t line, int32_t count) {
    Reset(line);
    entries_.Insert(static_cast<size_t>(line) + 1, static_cast<size_t>(count), kUnknown);
    unknown_ += count;
}

void ExpandedLengthCache::RemoveAfter(int32_t line, int32_t count) {
    Reset(line);
    for (int32_t i = 1; i <= count; ++i)
        Reset(line + i);
    entries_.Erase(static_cast<size_t>(line) + 1, static_cast<size_t>(count));
    unknown_ -= count;
}

void ExpandedLengthCache::ResetFrom(int32_t start, int32_t lineCount) {
    lineCount = std::max(lineCount, 0);
    const int32_t keep = std::clamp(start, 0, std::min(Size(), lineCount));
    for (int32_t i = keep; i < Size(); ++i)
        Reset(i);
    unknown_ -= Size() - keep;
    entries_.Resize(static_cast<size_t>(keep), kUnknown);
    unknown_ += lineCount - keep;
    entries_.Resize(static_cast<size_t>(lineCount), kUnknown);
}

int32_t ExpandedLengthCache::Widest() const {
    if (!sparse_.empty())
        return sparse_.rbegin()->first;
    while (denseTop_ > 0 && dense_[static_cast<size_t>(denseTop_)] == 0)
        --denseTop_;
    return dense_.empty() ? 0 : denseTop_;
}
