#include "buffer/linestore.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kChunkSize = size_t{8} << 20;
constexpr size_t kBlockBytes = sizeof(LineRecord) * LineStore::kBlockLines;
// A line longer than this gets storage of its own instead of wasting the rest of an arena.
constexpr size_t kArenaLineLimit = kChunkSize / 8;

// Chunks given back by closed documents, kept for the next load: fresh memory costs a page fault
// and the zeroing of every page on first touch, which bounds how fast a new file can be laid out.
// At most kCachedChunks are kept; the rest go back to the system.
constexpr size_t kCachedChunks = 16;

// Kept in an array of its own, so that giving a chunk back never allocates.
struct ChunkCache {
    std::mutex lock;
    std::array<void*, kCachedChunks> chunks{}; // each kChunkSize bytes, aligned to a huge page
    size_t count = 0;

    ~ChunkCache() {
        for (size_t i = 0; i < count; ++i)
            ::munmap(chunks[i], kChunkSize);
    }
};

ChunkCache& Cache() {
    static ChunkCache cache;
    return cache;
}

void* TakeCachedChunk() {
    ChunkCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    if (cache.count == 0)
        return nullptr;
    return cache.chunks[--cache.count];
}

bool KeepChunk(void* base, size_t length) noexcept {
    if (length != kChunkSize)
        return false;
    ChunkCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    if (cache.count >= kCachedChunks)
        return false;
    cache.chunks[cache.count++] = base;
    return true;
}

// Gives back what MapChunk handed out: a chunk to the cache while it has room, else to the system.
void UnmapChunk(void* base, size_t length) noexcept {
    if (!KeepChunk(base, length))
        ::munmap(base, length);
}

// The memory is not advised for huge pages: where memory is fragmented, that advice makes each
// first touch of a 2 MB page wait for the system to compact memory, which costs several times the
// page faults it saves (a first load of 100 MB took three times as long with it). A system that
// backs anonymous memory with huge pages on its own still can, the chunks being aligned.
void* MapChunk(size_t length) {
    if (length == kChunkSize)
        if (void* cached = TakeCachedChunk())
            return cached;
    // Map a little more than a chunk and keep the part aligned to a huge page.
    const size_t mapped = length + kHugePage;
    void* raw = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start)
        ::munmap(raw, aligned - start);
    const uintptr_t end = start + mapped;
    if (end > aligned + length)
        ::munmap(reinterpret_cast<void*>(aligned + length), end - aligned - length);
    return reinterpret_cast<void*>(aligned);
}

} // namespace

// ---- ChunkPool

void* ChunkPool::Allocate(size_t size) {
    size = (size + 15) & ~size_t{15};
    assert(size <= chunkSize_);
    if (size > left_) {
        void* base = MapChunk(chunkSize_);
        chunks_.push_back({base, chunkSize_});
        next_ = static_cast<char*>(base);
        left_ = chunkSize_;
    }
    void* p = next_;
    next_ += size;
    left_ -= size;
    return p;
}

void ChunkPool::Release() {
    for (const Chunk& c : chunks_)
        UnmapChunk(c.base, c.length);
    chunks_.clear();
    next_ = nullptr;
    left_ = 0;
}

void ChunkPool::Swap(ChunkPool& other) noexcept {
    std::swap(chunkSize_, other.chunkSize_);
    chunks_.swap(other.chunks_);
    std::swap(next_, other.next_);
    std::swap(left_, other.left_);
}

// ---- LineStore

LineStore::LineStore() : blockPool_(kChunkSize), arenas_(kChunkSize) {}

LineStore::LineStore(LineStore&& other) noexcept : LineStore() {
    *this = std::move(other);
}

LineStore& LineStore::operator=(LineStore&& other) noexcept {
    if (this != &other) {
        Clear();
        blocks_.swap(other.blocks_);
        starts_.swap(other.starts_);
        freeBlocks_.swap(other.freeBlocks_);
        std::swap(count_, other.count_);
        std::swap(lastBlock_, other.lastBlock_);
        blockPool_.Swap(other.blockPool_);
        arenas_.Swap(other.arenas_);
        slabs_.swap(other.slabs_);
        freeSlabs_.swap(other.freeSlabs_);
    }
    return *this;
}

LineStore::~LineStore() {
    Clear();
}

void LineStore::Clear() {
    for (Block& block : blocks_)
        for (int i = 0; i < block.size; ++i)
            FreeStorage(block.lines[i]);
    blocks_.clear();
    starts_.clear();
    freeBlocks_.clear();
    count_ = 0;
    lastBlock_ = 0;
    blockPool_.Release();
    arenas_.Release();
    // Every line has gone, and each slab with its last line.
    assert(SlabCount() == 0);
    slabs_.clear();
    freeSlabs_.clear();
}

size_t LineStore::BlockOf(int index) const {
    assert(index >= 0 && index < count_);
    const size_t b = lastBlock_ + 1;
    // The next block is the common case when walking forward.
    if (b < blocks_.size() && index >= starts_[b] && index < starts_[b] + blocks_[b].size) {
        lastBlock_ = b;
        return b;
    }
    auto it = std::upper_bound(starts_.begin(), starts_.end(), index);
    lastBlock_ = static_cast<size_t>(it - starts_.begin()) - 1;
    return lastBlock_;
}

LineRecord& LineStore::LocateSlow(int index) const {
    const size_t b = BlockOf(index);
    return blocks_[b].lines[index - starts_[b]];
}

LineStore::Block LineStore::NewBlock() {
    if (!freeBlocks_.empty()) {
        LineRecord* lines = freeBlocks_.back();
        freeBlocks_.pop_back();
        return {lines, 0, 0};
    }
    return {static_cast<LineRecord*>(blockPool_.Allocate(kBlockBytes)), 0, 0};
}

void LineStore::FreeBlock(Block& block) {
    freeBlocks_.push_back(block.lines);
    block = {nullptr, 0, 0};
}

void LineStore::RebuildStarts(size_t fromBlock) {
    starts_.resize(blocks_.size());
    int start = fromBlock == 0 ? 0 : starts_[fromBlock - 1] + blocks_[fromBlock - 1].size;
    for (size_t b = fromBlock; b < blocks_.size(); ++b) {
        starts_[b] = start;
        start += blocks_[b].size;
    }
    count_ = start;
    if (lastBlock_ >= blocks_.size())
        lastBlock_ = 0;
}

void LineStore::FreeStorage(LineRecord& rec) noexcept {
    if (rec.ownsStorage) {
        delete[] rec.bytes;
    } else if (rec.slab != 0) {
        Slab& slab = slabs_[rec.slab - 1u];
        if (--slab.live == 0)
            ReleaseSlab(rec.slab);
    }
    rec.bytes = nullptr;
    rec.ownsStorage = false;
    rec.slab = 0;
}

uint16_t LineStore::OpenSlab(size_t bytes) {
    uint16_t id = 0;
    if (!freeSlabs_.empty()) {
        id = freeSlabs_.back();
    } else if (slabs_.size() < UINT16_MAX) {
        id = static_cast<uint16_t>(slabs_.size() + 1);
        // Room for the new slab in both lists first, so that neither grows once it is mapped and
        // releasing a slab never allocates.
        slabs_.reserve(slabs_.size() + 1);
        freeSlabs_.reserve(slabs_.size() + 1);
    } else {
        return 0;
    }
    const size_t page = 4096;
    const size_t length = (std::max<size_t>(bytes, 1) + page - 1) / page * page;
    void* base = nullptr;
    try {
        base = MapChunk(length);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (id == slabs_.size() + 1)
        slabs_.emplace_back();
    else
        freeSlabs_.pop_back();
    slabs_[id - 1u] = {static_cast<char*>(base), length, 0};
    return id;
}

void LineStore::ReleaseSlab(uint16_t id) noexcept {
    Slab& slab = slabs_[id - 1u];
    UnmapChunk(slab.base, slab.length);
    slab = {};
    freeSlabs_.push_back(id); // within the capacity OpenSlab made
}

LineRecord LineStore::MakeOwned(std::string_view text, std::string_view tail) {
    LineRecord rec;
    const size_t used = text.size() + tail.size();
    rec.capacity = CapacityFor(static_cast<int64_t>(used));
    rec.bytes = new char[static_cast<size_t>(rec.capacity)];
    rec.ownsStorage = true;
    if (!text.empty())
        std::memcpy(rec.bytes, text.data(), text.size());
    if (!tail.empty())
        std::memcpy(rec.bytes + text.size(), tail.data(), tail.size());
    rec.used = static_cast<int32_t>(used);
    return rec;
}

void LineStore::KeepFreeBlocks(size_t count) {
    freeBlocks_.reserve(freeBlocks_.size() + count + blocks_.size());
    while (freeBlocks_.size() < count)
        freeBlocks_.push_back(static_cast<LineRecord*>(blockPool_.Allocate(kBlockBytes)));
}

void LineStore::AppendAdopted(char* bytes, int32_t used, int32_t capacity) {
    assert(capacity == CapacityFor(used));
    if (blocks_.empty() || blocks_.back().size == kBlockLines) {
        starts_.push_back(count_);
        blocks_.push_back(NewBlock());
    }
    LineRecord rec;
    rec.bytes = bytes;
    rec.used = used;
    rec.capacity = capacity;
    rec.ownsStorage = true;
    Block& block = blocks_.back();
    new (block.lines + block.size) LineRecord(rec);
    ++block.size;
    ++count_;
}

void LineStore::AppendPacked(std::string_view text) {
    LineRecord rec;
    const int32_t capacity = CapacityFor(static_cast<int64_t>(text.size()));
    if (static_cast<size_t>(capacity) > kArenaLineLimit) {
        rec = MakeOwned(text);
    } else {
        rec.bytes = static_cast<char*>(arenas_.Allocate(static_cast<size_t>(capacity)));
        rec.capacity = capacity;
        rec.used = static_cast<int32_t>(text.size());
        if (!text.empty())
            std::memcpy(rec.bytes, text.data(), text.size());
    }
    if (blocks_.empty() || blocks_.back().size == kBlockLines) {
        starts_.push_back(count_);
        blocks_.push_back(NewBlock());
    }
    Block& block = blocks_.back();
    new (block.lines + block.size) LineRecord(rec);
    ++block.size;
    ++count_;
}

void LineStore::SplitBlock(size_t b) {
    Block upper = NewBlock();
    Block& lower = blocks_[b];
    upper.size = lower.size / 2;
    upper.marks = lower.marks;
    lower.size -= upper.size;
    std::memcpy(static_cast<void*>(upper.lines), lower.lines + lower.size,
                sizeof(LineRecord) * static_cast<size_t>(upper.size));
    const int upperStart = starts_[b] + lower.size;
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b) + 1, upper); // `lower` dies
    starts_.insert(starts_.begin() + static_cast<std::ptrdiff_t>(b) + 1, upperStart);
}

namespace {

class VectorSource final : public LineSource {
public:
    explicit VectorSource(const std::vector<std::string_view>& texts) : texts_(texts) {}
    int Count() const override { return static_cast<int>(texts_.size()); }
    int64_t Bytes() const override {
        int64_t total = 0;
        for (std::string_view t : texts_)
            total += static_cast<int64_t>(t.size());
        return total;
    }
    std::string_view Last() const override { return texts_.back(); }
    std::string_view Next() override { return texts_[next_++]; }

private:
    const std::vector<std::string_view>& texts_;
    size_t next_ = 0;
};

} // namespace

void LineStore::InsertLines(int index, const std::vector<std::string_view>& texts,
                            std::string_view tail) {
    VectorSource source(texts);
    InsertLines(index, source, tail);
}

void LineStore::InsertLines(int index, LineSource& source, std::string_view lastTail) {
    assert(index >= 0 && index <= count_);
    const int n = source.Count();
    if (n <= 0)
        return;

    // Everything that can fail comes first: the slab or the new lines' storage, the blocks and
    // the room in the block lists. Should memory run out there, nothing has changed yet.
    // Many lines share one slab: one mapping instead of an allocation per line, freed with the
    // last of them. Each line keeps its capacity, at most 16 bytes above its length, so a slab of
    // Bytes() + 16 per line (and the tail) holds every line.
    uint16_t slab = 0;
    std::vector<LineRecord> made; // the lines' own storage when no slab holds them
    std::vector<Block> added;
    try {
        if (n >= kSlabLines)
            slab = OpenSlab(static_cast<size_t>(source.Bytes()) + lastTail.size() +
                            size_t{16} * static_cast<size_t>(n));
        if (slab == 0) {
            made.reserve(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i)
                made.push_back(MakeOwned(source.Next(), i + 1 == n ? lastTail : ""));
        }
        const size_t newBlocks = static_cast<size_t>(n) / kBlockLines + 3;
        KeepFreeBlocks(newBlocks);
        blocks_.reserve(blocks_.size() + newBlocks);
        starts_.reserve(starts_.size() + newBlocks);
        added.reserve(static_cast<size_t>(n) / kBlockLines + 2);
    } catch (...) {
        for (LineRecord& rec : made)
            FreeStorage(rec);
        if (slab != 0)
            ReleaseSlab(slab);
        throw;
    }
    char* place = slab != 0 ? slabs_[slab - 1u].base : nullptr;
    [[maybe_unused]] char* const slabEnd = slab != 0 ? place + slabs_[slab - 1u].length : nullptr;
    int next = 0;
    // Lays out the next line at `at`: taken from `made`, or streamed from the source into the
    // slab (which cannot fail).
    const auto make = [&](void* at) {
        const int i = next++;
        if (slab == 0) {
            new (at) LineRecord(made[static_cast<size_t>(i)]);
            return;
        }
        const std::string_view text = source.Next();
        const std::string_view tail = i + 1 == n ? lastTail : std::string_view();
        const size_t used = text.size() + tail.size();
        const int32_t capacity = CapacityFor(static_cast<int64_t>(used));
        assert(place + capacity <= slabEnd);
        LineRecord rec;
        rec.bytes = place;
        rec.capacity = capacity;
        rec.used = static_cast<int32_t>(used);
        rec.slab = slab;
        if (!text.empty())
            std::memcpy(place, text.data(), text.size());
        if (!tail.empty())
            std::memcpy(place + text.size(), tail.data(), tail.size());
        place += capacity;
        ++slabs_[slab - 1u].live;
        new (at) LineRecord(rec);
    };

    if (blocks_.empty()) {
        blocks_.push_back(NewBlock());
        starts_.push_back(0);
    }
    // The block that receives the lines: the one holding `index`, or the last one at the end.
    size_t b = index == count_ ? blocks_.size() - 1 : BlockOf(index);
    if (blocks_[b].size + n > kBlockLines && n <= kBlockLines / 4) {
        SplitBlock(b);
        if (index - starts_[b] > blocks_[b].size)
            ++b;
    }
    Block& block = blocks_[b];
    const int offset = index - starts_[b];

    if (block.size + n <= kBlockLines) {
        std::memmove(static_cast<void*>(block.lines + offset + n), block.lines + offset,
                     sizeof(LineRecord) * static_cast<size_t>(block.size - offset));
        for (int i = 0; i < n; ++i)
            make(block.lines + offset + i);
        block.size += n;
        for (size_t k = b + 1; k < starts_.size(); ++k)
            starts_[k] += n;
        count_ += n;
        return;
    }

    // Many lines: cut the block at the insertion point and lay the new lines out in fresh blocks
    // between the two halves.
    for (int i = 0; i < n; ++i) {
        if (added.empty() || added.back().size == kBlockLines)
            added.push_back(NewBlock());
        Block& to = added.back();
        make(to.lines + to.size);
        ++to.size;
    }
    Block& cut = blocks_[b];
    if (offset < cut.size) {
        Block tail = NewBlock();
        tail.size = cut.size - offset;
        tail.marks = cut.marks;
        std::memcpy(static_cast<void*>(tail.lines), cut.lines + offset,
                    sizeof(LineRecord) * static_cast<size_t>(tail.size));
        cut.size = offset;
        added.push_back(tail);
    }
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b) + 1, added.begin(),
                   added.end());
    if (blocks_[b].size == 0) {
        FreeBlock(blocks_[b]);
        blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
    }
    RebuildStarts(b);
}

void LineStore::EraseLines(int index, int count) {
    assert(index >= 0 && count >= 0 && index + count <= count_);
    if (count == 0)
        return;
    const size_t first = BlockOf(index);
    size_t b = first;
    int offset = index - starts_[b];
    int left = count;
    while (left > 0) {
        Block& block = blocks_[b];
        const int n = std::min(block.size - offset, left);
        for (int i = offset; i < offset + n; ++i)
            FreeStorage(block.lines[i]);
        std::memmove(static_cast<void*>(block.lines + offset), block.lines + offset + n,
                     sizeof(LineRecord) * static_cast<size_t>(block.size - offset - n));
        block.size -= n;
        left -= n;
        offset = 0;
        ++b;
    }
    // Drop the blocks that became empty, and merge the first block with the next when both fit
    // in one, so that repeated deletions leave no trail of small blocks.
    size_t keep = first;
    for (size_t k = first; k < b; ++k) {
        if (blocks_[k].size == 0)
            FreeBlock(blocks_[k]);
        else
            blocks_[keep++] = blocks_[k];
    }
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(keep),
                  blocks_.begin() + static_cast<std::ptrdiff_t>(b));
    if (first + 1 < blocks_.size() &&
        blocks_[first].size + blocks_[first + 1].size <= kBlockLines) {
        Block& into = blocks_[first];
        Block& from = blocks_[first + 1];
        std::memcpy(static_cast<void*>(into.lines + into.size), from.lines,
                    sizeof(LineRecord) * static_cast<size_t>(from.size));
        into.size += from.size;
        into.marks |= from.marks;
        FreeBlock(from);
        blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(first) + 1);
    }
    if (blocks_.empty()) {
        starts_.clear();
        count_ = 0;
        lastBlock_ = 0;
        return;
    }
    RebuildStarts(std::min(first, blocks_.size() - 1));
}

void LineStore::TightenMarks(const Block& block) {
    LineFlags all = 0;
    for (int i = 0; i < block.size; ++i)
        all |= block.lines[i].marks;
    block.marks = all;
}

void LineStore::SetMarks(int index, LineFlags marks) {
    const size_t b = BlockOf(index);
    const Block& block = blocks_[b];
    LineRecord& rec = block.lines[index - starts_[b]];
    const bool cleared = (rec.marks & ~marks) != 0;
    rec.marks = marks;
    block.marks |= marks;
    // Clearing keeps the union exact, so that a search for a flag no line carries any more skips
    // every block again.
    if (cleared)
        TightenMarks(block);
}

int LineStore::FindMarked(int from, int to, LineFlags mask) const {
    from = std::max(from, 0);
    to = std::min(to, count_);
    if (from >= to || mask == 0)
        return -1;
    for (size_t b = BlockOf(from); b < blocks_.size() && starts_[b] < to; ++b) {
        const Block& block = blocks_[b];
        if (!(block.marks & mask))
            continue;
        const int begin = std::max(from - starts_[b], 0);
        const int end = std::min(to - starts_[b], block.size);
        for (int i = begin; i < end; ++i)
            if (block.lines[i].marks & mask)
                return starts_[b] + i;
        if (begin == 0 && end == block.size)
            TightenMarks(block);
    }
    return -1;
}

int LineStore::FindMarkedBackward(int from, int to, LineFlags mask) const {
    from = std::min(from, count_ - 1);
    to = std::max(to, 0);
    if (from < to || mask == 0)
        return -1;
    for (size_t b = BlockOf(from) + 1; b-- > 0 && starts_[b] + blocks_[b].size > to;) {
        const Block& block = blocks_[b];
        if (!(block.marks & mask))
            continue;
        const int last = std::min(from - starts_[b], block.size - 1);
        const int first = std::max(to - starts_[b], 0);
        for (int i = last; i >= first; --i)
            if (block.lines[i].marks & mask)
                return starts_[b] + i;
        if (first == 0 && last == block.size - 1)
            TightenMarks(block);
    }
    return -1;
}

void LineStore::Truncate(int index, int32_t length) {
    LineRecord& rec = At(index);
    assert(length >= 0 && length <= rec.used);
    rec.used = length;
}

void LineStore::TakeStorage(LineRecord& rec, char* bytes, int32_t capacity) noexcept {
    FreeStorage(rec);
    rec.bytes = bytes;
    rec.capacity = capacity;
    rec.ownsStorage = true;
}

void LineStore::Reserve(int index, int64_t length) {
    LineRecord& rec = At(index);
    if (length <= rec.capacity)
        return;
    const int32_t capacity = CapacityFor(length);
    char* bytes = new char[static_cast<size_t>(capacity)];
    if (rec.used > 0)
        std::memcpy(bytes, rec.bytes, static_cast<size_t>(rec.used));
    TakeStorage(rec, bytes, capacity);
}

void LineStore::Append(int index, std::string_view text) {
    if (text.empty())
        return;
    LineRecord& rec = At(index);
    const int64_t newLength = int64_t{rec.used} + static_cast<int64_t>(text.size());
    Reserve(index, newLength);
    std::memcpy(rec.bytes + rec.used, text.data(), text.size());
    rec.used = static_cast<int32_t>(newLength);
}

void LineStore::InsertChars(int index, int32_t at, std::string_view text) {
    if (text.empty())
        return;
    LineRecord& rec = At(index);
    assert(at >= 0 && at <= rec.used);
    const auto size = static_cast<size_t>(text.size());
    const auto tail = static_cast<size_t>(rec.used - at);
    const int64_t newLength = int64_t{rec.used} + static_cast<int64_t>(size);
    if (newLength > rec.capacity) {
        // Grown storage is filled in one pass: the head, the text, the tail.
        const int32_t capacity = CapacityFor(newLength);
        char* bytes = new char[static_cast<size_t>(capacity)];
        if (at > 0)
            std::memcpy(bytes, rec.bytes, static_cast<size_t>(at));
        std::memcpy(bytes + at, text.data(), size);
        if (tail > 0)
            std::memcpy(bytes + at + size, rec.bytes + at, tail);
        TakeStorage(rec, bytes, capacity);
    } else {
        if (tail > 0)
            std::memmove(rec.bytes + at + size, rec.bytes + at, tail);
        std::memcpy(rec.bytes + at, text.data(), size);
    }
    rec.used = static_cast<int32_t>(newLength);
}

void LineStore::Compact(int index) noexcept {
    LineRecord& rec = At(index);
    if (rec.capacity <= kCompactFrom || rec.used >= rec.capacity / 2)
        return;
    const int32_t capacity = CapacityFor(rec.used);
    char* bytes = new (std::nothrow) char[static_cast<size_t>(capacity)];
    if (!bytes)
        return;
    if (rec.used > 0)
        std::memcpy(bytes, rec.bytes, static_cast<size_t>(rec.used));
    TakeStorage(rec, bytes, capacity);
}

void LineStore::EraseChars(int index, int32_t from, int32_t to) {
    LineRecord& rec = At(index);
    assert(0 <= from && from <= to && to <= rec.used);
    if (from == to)
        return;
    std::memmove(rec.bytes + from, rec.bytes + to, static_cast<size_t>(rec.used - to));
    rec.used -= to - from;
}
