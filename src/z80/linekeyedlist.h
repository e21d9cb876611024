// An ordered list of values keyed by line number that follows line insertions and removals
// cheaply: the items sit in blocks of a few hundred, each block keeping its lines relative to a
// base, so moving every item behind a line costs one addition per block plus the items of one
// block, whatever the length of the list. Index and line lookups are binary searches over the
// blocks.
//
// Invariant: lines are non-decreasing over the whole list; callers keep it when they shift or
// insert (items of the lines a change removes are erased before the lines behind move up).
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

namespace z80 {

template <class T, size_t BlockItems = 512> class LineKeyedList {
public:
    static constexpr size_t kBlockItems = BlockItems;

    int Size() const { return size_; }
    bool Empty() const { return size_ == 0; }

    int LineAt(int index) const {
        const auto [b, i] = Locate(index);
        return blocks_[b].base + blocks_[b].lines[i];
    }
    const T& ValueAt(int index) const {
        const auto [b, i] = Locate(index);
        return blocks_[b].values[i];
    }

    // The index of the first item on `line` or after it; Size() when there is none.
    int LowerBound(int line) const {
        const size_t b = BlockForLine(line);
        if (b == blocks_.size())
            return size_;
        const Block& block = blocks_[b];
        const auto it = std::lower_bound(block.lines.begin(), block.lines.end(), line - block.base);
        return first_[b] + static_cast<int>(it - block.lines.begin());
    }

    // Removes the items with first <= line < last; returns how many went.
    int EraseLines(int first, int last) {
        const int from = LowerBound(first);
        const int to = LowerBound(last);
        EraseIndexes(from, to);
        return to - from;
    }

    // Removes the items [from, to).
    void EraseIndexes(int from, int to) {
        if (from >= to)
            return;
        auto [b, i] = Locate(from);
        const size_t firstBlock = b;
        int left = to - from;
        while (left > 0) {
            Block& block = blocks_[b];
            const int n = std::min(left, static_cast<int>(block.lines.size()) - i);
            block.lines.erase(block.lines.begin() + i, block.lines.begin() + i + n);
            block.values.erase(block.values.begin() + i, block.values.begin() + i + n);
            left -= n;
            size_ -= n;
            ++b;
            i = 0;
        }
        Compact(firstBlock == 0 ? 0 : firstBlock - 1, std::min(b + 1, blocks_.size()));
    }

    // Adds `delta` to the line of every item on `fromLine` or after it.
    void ShiftFrom(int fromLine, int delta) {
        if (delta == 0)
            return;
        const size_t b = BlockForLine(fromLine);
        if (b == blocks_.size())
            return;
        Block& block = blocks_[b];
        for (int& rel : block.lines)
            if (rel >= fromLine - block.base)
                rel += delta;
        for (size_t k = b + 1; k < blocks_.size(); ++k)
            blocks_[k].base += delta;
    }

    // Inserts items, sorted by line, before `index`; their lines must lie between the line of
    // the item before `index` and that of the item at `index`.
    void InsertAt(int index, std::vector<std::pair<int, T>>&& items) {
        if (items.empty())
            return;
        if (blocks_.empty()) {
            blocks_.push_back(Block{items.front().first, {}, {}});
            first_.assign(1, 0);
        }
        size_t b = 0;
        int i = 0;
        if (index == size_) {
            b = blocks_.size() - 1;
            i = static_cast<int>(blocks_[b].lines.size());
        } else {
            std::tie(b, i) = Locate(index);
        }
        Block& block = blocks_[b];
        std::vector<int> lines;
        std::vector<T> values;
        lines.reserve(items.size());
        values.reserve(items.size());
        for (auto& [line, value] : items) {
            lines.push_back(line - block.base);
            values.push_back(std::move(value));
        }
        block.lines.insert(block.lines.begin() + i, lines.begin(), lines.end());
        block.values.insert(block.values.begin() + i, std::make_move_iterator(values.begin()),
                            std::make_move_iterator(values.end()));
        size_ += static_cast<int>(items.size());
        if (block.lines.size() > 2 * kBlockItems)
            Split(b);
        Reindex(b);
    }

    // Appends one item; its line must not be below the last one.
    void Append(int line, T value) {
        if (blocks_.empty() || blocks_.back().lines.size() >= kBlockItems) {
            blocks_.push_back(Block{line, {}, {}});
            blocks_.back().lines.reserve(kBlockItems);
            blocks_.back().values.reserve(kBlockItems);
            first_.push_back(size_);
        }
        Block& block = blocks_.back();
        block.lines.push_back(line - block.base);
        block.values.push_back(std::move(value));
        ++size_;
    }

    void Clear() {
        blocks_.clear();
        first_.clear();
        size_ = 0;
    }

    // Calls f(index, line, value) for every item in order.
    template <class F> void ForEach(F&& f) const {
        int index = 0;
        for (const Block& block : blocks_)
            for (size_t i = 0; i < block.lines.size(); ++i, ++index)
                f(index, block.base + block.lines[i], block.values[i]);
    }

private:
    struct Block {
        int base = 0;
        std::vector<int> lines; // relative to base
        std::vector<T> values;
    };

    // The block and the offset in it of item `index` (0 <= index < Size()).
    std::pair<size_t, int> Locate(int index) const {
        assert(index >= 0 && index < size_);
        const auto it = std::upper_bound(first_.begin(), first_.end(), index);
        const size_t b = static_cast<size_t>(it - first_.begin()) - 1;
        return {b, index - first_[b]};
    }

    // The first block whose last item is on `line` or after it; the block count when none.
    size_t BlockForLine(int line) const {
        size_t lo = 0;
        size_t hi = blocks_.size();
        while (lo < hi) {
            const size_t mid = (lo + hi) / 2;
            const Block& block = blocks_[mid];
            if (block.base + block.lines.back() < line)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }

    void Split(size_t b) {
        Block big = std::move(blocks_[b]);
        std::vector<Block> parts;
        for (size_t start = 0; start < big.lines.size(); start += kBlockItems) {
            const size_t end = std::min(start + kBlockItems, big.lines.size());
            Block part{big.base, {}, {}};
            part.lines.assign(big.lines.begin() + static_cast<std::ptrdiff_t>(start),
                              big.lines.begin() + static_cast<std::ptrdiff_t>(end));
            part.values.assign(
                std::make_move_iterator(big.values.begin() + static_cast<std::ptrdiff_t>(start)),
                std::make_move_iterator(big.values.begin() + static_cast<std::ptrdiff_t>(end)));
            parts.push_back(std::move(part));
        }
        blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
        blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b),
                       std::make_move_iterator(parts.begin()),
                       std::make_move_iterator(parts.end()));
    }

    // Drops the empty blocks among [from, to) and merges small neighbours there, so that many
    // edits cannot leave a long trail of tiny blocks behind; then recounts the first indexes.
    void Compact(size_t from, size_t to) {
        size_t out = from;
        for (size_t b = from; b < to; ++b) {
            Block& block = blocks_[b];
            if (block.lines.empty())
                continue;
            if (out > from) {
                Block& into = blocks_[out - 1];
                if (into.lines.size() + block.lines.size() <= kBlockItems &&
                    (into.lines.size() < kBlockItems / 4 || block.lines.size() < kBlockItems / 4)) {
                    for (int rel : block.lines)
                        into.lines.push_back(rel + block.base - into.base);
                    into.values.insert(into.values.end(),
                                       std::make_move_iterator(block.values.begin()),
                                       std::make_move_iterator(block.values.end()));
                    continue;
                }
            }
            if (out != b)
                blocks_[out] = std::move(block);
            ++out;
        }
        blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(out),
                      blocks_.begin() + static_cast<std::ptrdiff_t>(to));
        Reindex(from);
    }

    void Reindex(size_t from) {
        first_.resize(blocks_.size());
        int index =
            from == 0 ? 0 : first_[from - 1] + static_cast<int>(blocks_[from - 1].lines.size());
        for (size_t b = from; b < blocks_.size(); ++b) {
            first_[b] = index;
            index += static_cast<int>(blocks_[b].lines.size());
        }
    }

    std::vector<Block> blocks_; // never an empty block
    std::vector<int> first_;    // the index of the first item of each block
    int size_ = 0;
};

} // namespace z80
