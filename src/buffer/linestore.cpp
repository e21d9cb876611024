#include "buffer/linestore.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <utility>

namespace {

// Arenas are large so that a loaded file costs few allocations; a line longer than a quarter of an
// arena gets storage of its own instead of wasting the rest of one.
constexpr size_t kArenaSize = size_t{4} << 20;
constexpr size_t kArenaLineLimit = kArenaSize / 4;

} // namespace

LineStore::LineStore(LineStore&& other) noexcept {
    *this = std::move(other);
}

LineStore& LineStore::operator=(LineStore&& other) noexcept {
    if (this != &other) {
        Clear();
        blocks_ = std::move(other.blocks_);
        starts_ = std::move(other.starts_);
        count_ = std::exchange(other.count_, 0);
        lastBlock_ = std::exchange(other.lastBlock_, 0);
        arenas_ = std::move(other.arenas_);
        arenaNext_ = std::exchange(other.arenaNext_, nullptr);
        arenaLeft_ = std::exchange(other.arenaLeft_, 0);
        other.blocks_.clear();
        other.starts_.clear();
        other.arenas_.clear();
    }
    return *this;
}

LineStore::~LineStore() {
    Clear();
}

void LineStore::Clear() {
    for (Block& block : blocks_)
        for (LineRecord& rec : block)
            FreeStorage(rec);
    blocks_.clear();
    starts_.clear();
    count_ = 0;
    lastBlock_ = 0;
    arenas_.clear();
    arenaNext_ = nullptr;
    arenaLeft_ = 0;
}

int LineStore::BlockOf(int index) const {
    assert(index >= 0 && index < count_);
    size_t b = lastBlock_;
    if (b < blocks_.size() && index >= starts_[b] &&
        index < starts_[b] + static_cast<int>(blocks_[b].size()))
        return static_cast<int>(b);
    // The next block is the common case when walking forward.
    if (b + 1 < blocks_.size() && index >= starts_[b + 1] &&
        index < starts_[b + 1] + static_cast<int>(blocks_[b + 1].size())) {
        lastBlock_ = b + 1;
        return static_cast<int>(b + 1);
    }
    auto it = std::upper_bound(starts_.begin(), starts_.end(), index);
    b = static_cast<size_t>(it - starts_.begin()) - 1;
    lastBlock_ = b;
    return static_cast<int>(b);
}

LineRecord& LineStore::Locate(int index) const {
    const size_t b = static_cast<size_t>(BlockOf(index));
    // The store hands out records of const objects as const only; the cast serves both overloads.
    auto& block = const_cast<Block&>(blocks_[b]);
    return block[static_cast<size_t>(index - starts_[b])];
}

void LineStore::RebuildStarts(size_t fromBlock) {
    starts_.resize(blocks_.size());
    int start = fromBlock == 0
                    ? 0
                    : starts_[fromBlock - 1] + static_cast<int>(blocks_[fromBlock - 1].size());
    for (size_t b = fromBlock; b < blocks_.size(); ++b) {
        starts_[b] = start;
        start += static_cast<int>(blocks_[b].size());
    }
    count_ = start;
    if (lastBlock_ >= blocks_.size())
        lastBlock_ = 0;
}

void LineStore::FreeStorage(LineRecord& rec) {
    if (rec.ownsStorage)
        delete[] rec.bytes;
    rec.bytes = nullptr;
    rec.ownsStorage = false;
}

LineRecord LineStore::MakeOwned(std::string_view text) {
    LineRecord rec;
    rec.capacity = CapacityFor(static_cast<int64_t>(text.size()));
    rec.bytes = new char[static_cast<size_t>(rec.capacity)];
    rec.ownsStorage = true;
    if (!text.empty())
        std::memcpy(rec.bytes, text.data(), text.size());
    rec.used = static_cast<int32_t>(text.size());
    return rec;
}

char* LineStore::ArenaAlloc(size_t size) {
    if (size > arenaLeft_) {
        arenas_.push_back(std::make_unique_for_overwrite<char[]>(kArenaSize));
        arenaNext_ = arenas_.back().get();
        arenaLeft_ = kArenaSize;
    }
    char* p = arenaNext_;
    arenaNext_ += size;
    arenaLeft_ -= size;
    return p;
}

void LineStore::AppendPacked(std::string_view text) {
    LineRecord rec;
    const int32_t capacity = CapacityFor(static_cast<int64_t>(text.size()));
    if (static_cast<size_t>(capacity) > kArenaLineLimit) {
        rec = MakeOwned(text);
    } else {
        rec.bytes = ArenaAlloc(static_cast<size_t>(capacity));
        rec.capacity = capacity;
        rec.used = static_cast<int32_t>(text.size());
        if (!text.empty())
            std::memcpy(rec.bytes, text.data(), text.size());
    }
    if (blocks_.empty() || blocks_.back().size() >= static_cast<size_t>(kFillBlock)) {
        starts_.push_back(count_);
        blocks_.emplace_back();
        blocks_.back().reserve(kFillBlock);
    }
    blocks_.back().push_back(rec);
    ++count_;
}

void LineStore::InsertLines(int index, const std::vector<std::string_view>& texts) {
    assert(index >= 0 && index <= count_);
    if (texts.empty())
        return;
    if (blocks_.empty()) {
        blocks_.emplace_back();
        starts_.push_back(0);
    }
    // The block that receives the lines: the one holding `index`, or the last one at the end.
    size_t b = index == count_ ? blocks_.size() - 1 : static_cast<size_t>(BlockOf(index));
    size_t offset = static_cast<size_t>(index - starts_[b]);
    Block& block = blocks_[b];

    if (block.size() + texts.size() <= static_cast<size_t>(kMaxBlock)) {
        std::vector<LineRecord> fresh;
        fresh.reserve(texts.size());
        for (std::string_view t : texts)
            fresh.push_back(MakeOwned(t));
        block.insert(block.begin() + static_cast<std::ptrdiff_t>(offset), fresh.begin(),
                     fresh.end());
        const int added = static_cast<int>(texts.size());
        for (size_t k = b + 1; k < starts_.size(); ++k)
            starts_[k] += added;
        count_ += added;
        return;
    }

    // Many lines, or a full block: cut the block at the insertion point and lay the new lines out
    // in fresh blocks between the two halves.
    Block tail(block.begin() + static_cast<std::ptrdiff_t>(offset), block.end());
    block.resize(offset);
    std::vector<Block> middle;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (middle.empty() || middle.back().size() >= static_cast<size_t>(kFillBlock)) {
            middle.emplace_back();
            middle.back().reserve(std::min(texts.size() - i, static_cast<size_t>(kFillBlock)));
        }
        middle.back().push_back(MakeOwned(texts[i]));
    }
    auto pos = blocks_.begin() + static_cast<std::ptrdiff_t>(b) + 1;
    pos = blocks_.insert(pos, std::make_move_iterator(middle.begin()),
                         std::make_move_iterator(middle.end()));
    if (!tail.empty())
        blocks_.insert(pos + static_cast<std::ptrdiff_t>(middle.size()), std::move(tail));
    if (blocks_[b].empty())
        blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
    RebuildStarts(b == 0 ? 0 : b);
}

void LineStore::EraseLines(int index, int count) {
    assert(index >= 0 && count >= 0 && index + count <= count_);
    if (count == 0)
        return;
    size_t b = static_cast<size_t>(BlockOf(index));
    const size_t firstBlock = b;
    size_t offset = static_cast<size_t>(index - starts_[b]);
    int left = count;
    while (left > 0) {
        Block& block = blocks_[b];
        const size_t n = std::min(block.size() - offset, static_cast<size_t>(left));
        for (size_t i = offset; i < offset + n; ++i)
            FreeStorage(block[i]);
        block.erase(block.begin() + static_cast<std::ptrdiff_t>(offset),
                    block.begin() + static_cast<std::ptrdiff_t>(offset + n));
        left -= static_cast<int>(n);
        offset = 0;
        ++b;
    }
    // Drop the blocks that became empty; merge a small first block with its successor so that
    // repeated deletions do not leave a trail of tiny blocks.
    blocks_.erase(std::remove_if(blocks_.begin() + static_cast<std::ptrdiff_t>(firstBlock),
                                 blocks_.begin() + static_cast<std::ptrdiff_t>(b),
                                 [](const Block& blk) { return blk.empty(); }),
                  blocks_.begin() + static_cast<std::ptrdiff_t>(b));
    if (firstBlock + 1 < blocks_.size() &&
        blocks_[firstBlock].size() + blocks_[firstBlock + 1].size() <=
            static_cast<size_t>(kFillBlock)) {
        Block& into = blocks_[firstBlock];
        Block& from = blocks_[firstBlock + 1];
        into.insert(into.end(), from.begin(), from.end());
        blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(firstBlock) + 1);
    }
    if (blocks_.empty()) {
        starts_.clear();
        count_ = 0;
        lastBlock_ = 0;
        return;
    }
    RebuildStarts(std::min(firstBlock, blocks_.size() - 1));
}

void LineStore::Truncate(int index, int32_t length) {
    LineRecord& rec = At(index);
    assert(length >= 0 && length <= rec.used);
    rec.used = length;
}

void LineStore::Append(int index, std::string_view text) {
    if (text.empty())
        return;
    LineRecord& rec = At(index);
    const int64_t newLength = int64_t{rec.used} + static_cast<int64_t>(text.size());
    if (newLength > rec.capacity) {
        const int32_t capacity = CapacityFor(newLength);
        char* bytes = new char[static_cast<size_t>(capacity)];
        if (rec.used > 0)
            std::memcpy(bytes, rec.bytes, static_cast<size_t>(rec.used));
        FreeStorage(rec);
        rec.bytes = bytes;
        rec.capacity = capacity;
        rec.ownsStorage = true;
    }
    std::memcpy(rec.bytes + rec.used, text.data(), text.size());
    rec.used = static_cast<int32_t>(newLength);
}

void LineStore::EraseChars(int index, int32_t from, int32_t to) {
    LineRecord& rec = At(index);
    assert(0 <= from && from <= to && to <= rec.used);
    if (from == to)
        return;
    std::memmove(rec.bytes + from, rec.bytes + to, static_cast<size_t>(rec.used - to));
    rec.used -= to - from;
}
