// The ordered array of line records behind a buffer.
//
// Records are kept in fixed-capacity blocks of kBlockLines with the first line index of every
// block, so inserting or removing lines anywhere moves at most one block of records plus one
// integer per block, whatever the size of the file. A lookup remembers the block it found last, so
// walking the lines in order costs O(1) per line.
//
// The characters of a line live in an arena (a large block shared by many lines, used when a file
// is loaded), in the slab of a bulk insertion (one block for all the lines of a big paste or undo,
// freed when its last line goes), or in storage of the line's own. A line's capacity follows the
// same rule everywhere: (length / 16 + 1) * 16 when it is made, and it grows to
// (new length / 16 + 1) * 16 only when a new length exceeds it. A line that outgrows its place
// moves to storage of its own; storage shrinks only when a line of more than a megabyte comes to
// use less than half of it (Compact).
//
// Arenas and blocks come from large chunks, kept for reuse when a document closes (a reload then
// touches no fresh memory).
//
// Every block also keeps the union of its lines' flags (a superset after lines left it), so a
// search for flagged lines skips unflagged blocks: finding a bookmark among four million lines
// reads a few thousand words instead of every line. Flags therefore change only through
// SetMarks.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "buffer/types.h"

struct LineRecord {
    char* bytes = nullptr; // not NUL-terminated; may hold any byte, NUL included
    int32_t used = 0;
    int32_t capacity = 0;
    LineFlags marks = 0; // written through LineStore::SetMarks only
    bool ownsStorage = false;
    // The slab holding the bytes (its number, from 1); 0 for an arena or storage of its own.
    uint16_t slab = 0;

    std::string_view Text() const { return {bytes, static_cast<size_t>(used)}; }
};

// Lines handed to LineStore::InsertLines one at a time, in order.
class LineSource {
public:
    virtual ~LineSource() = default;
    // How many lines Next gives.
    virtual int Count() const = 0;
    // At least the bytes of all the lines together: a slab of Bytes() + 16 per line holds them.
    virtual int64_t Bytes() const = 0;
    // The last line Next will give (Count() > 0), known before the lines are walked.
    virtual std::string_view Last() const = 0;
    // The views stay valid while the insertion runs.
    virtual std::string_view Next() = 0;
};

// Hands out memory carved from large chunks; everything is returned at once when it is destroyed.
class ChunkPool {
public:
    explicit ChunkPool(size_t chunkSize) : chunkSize_(chunkSize) {}
    ChunkPool(const ChunkPool&) = delete;
    ChunkPool& operator=(const ChunkPool&) = delete;
    ~ChunkPool() { Release(); }

    // `size` must not exceed the chunk size. Throws std::bad_alloc when the system has no memory.
    void* Allocate(size_t size);
    void Release();
    void Swap(ChunkPool& other) noexcept;

private:
    struct Chunk {
        void* base;
        size_t length;
    };
    size_t chunkSize_;
    std::vector<Chunk> chunks_;
    char* next_ = nullptr;
    size_t left_ = 0;
};

class LineStore {
public:
    static constexpr int kBlockLines = 2048;
    // An insertion of at least this many lines lays their bytes out in one slab.
    static constexpr int kSlabLines = 1024;

    LineStore();
    LineStore(const LineStore&) = delete;
    LineStore& operator=(const LineStore&) = delete;
    LineStore(LineStore&& other) noexcept;
    LineStore& operator=(LineStore&& other) noexcept;
    ~LineStore();

    // The longest line a store holds: its capacity must still fit in an int32_t.
    static constexpr int64_t kMaxLength = INT32_MAX - 16;

    static int32_t CapacityFor(int64_t length) {
        return static_cast<int32_t>((length / 16 + 1) * 16);
    }

    int Count() const { return count_; }
    LineRecord& At(int index) { return Locate(index); }
    const LineRecord& At(int index) const { return Locate(index); }

    // Appends a line holding `text`, its characters laid out in the store's arenas.
    void AppendPacked(std::string_view text);
    // Appends a line of `used` characters whose storage, `bytes` (from new char[capacity]), the
    // store takes over. `capacity` must be CapacityFor(used).
    void AppendAdopted(char* bytes, int32_t used, int32_t capacity);
    // Inserts new lines holding `texts` before `index` (0 <= index <= Count()), with flags 0:
    // few lines each with storage of its own, many in one slab; `tail` is appended to the last
    // of them. Everything that can fail (the slab or the lines' storage, the blocks) is had
    // before anything changes, so when memory runs out (std::bad_alloc) the store is as it was;
    // then the lines stream in. The cost is that of the lines inserted and one move of the
    // records of the block at `index`, wherever it lies.
    void InsertLines(int index, const std::vector<std::string_view>& texts,
                     std::string_view tail = {});
    void InsertLines(int index, LineSource& lines, std::string_view tail = {});
    // Removes `count` lines from `index` on, freeing their storage.
    void EraseLines(int index, int count);
    // Frees every line, block and arena.
    void Clear();

    // The flags of line `index`.
    void SetMarks(int index, LineFlags marks);
    // The first line in [from, to) whose flags share a bit with `mask`, or -1.
    int FindMarked(int from, int to, LineFlags mask) const;
    // The last line in [to, from] (searching down from `from`) whose flags share a bit with
    // `mask`, or -1.
    int FindMarkedBackward(int from, int to, LineFlags mask) const;

    // Line editing keeping the capacity rule. `text` must not point into the store. Reserve and
    // InsertChars throw std::bad_alloc, changing no text, when memory runs out; Append allocates
    // only beyond the capacity, so it cannot fail after a Reserve for the new length.
    void Truncate(int index, int32_t length);
    void Reserve(int index, int64_t length);
    void Append(int index, std::string_view text);
    void InsertChars(int index, int32_t at, std::string_view text);
    void EraseChars(int index, int32_t from, int32_t to);
    // Gives back most of a large line's storage once the line uses less than half of it (after it
    // was cut in two, or most of it deleted): capacity CapacityFor(length) again. Storage of at
    // most kCompactFrom bytes is never shrunk. Best effort: without memory for the smaller copy,
    // the line keeps what it has.
    static constexpr int32_t kCompactFrom = 1 << 20;
    void Compact(int index) noexcept;

    size_t BlockCount() const { return blocks_.size(); }
    // Slabs still holding lines.
    size_t SlabCount() const { return slabs_.size() - freeSlabs_.size(); }

private:
    struct Block {
        LineRecord* lines;
        int size;
        // Every flag some line of the block carries, perhaps more (searches tighten it).
        mutable LineFlags marks;
    };
    struct Slab {
        char* base = nullptr;
        size_t length = 0;
        int64_t live = 0; // lines whose bytes lie in it
    };

    LineRecord& Locate(int index) const {
        const size_t b = lastBlock_;
        if (b < blocks_.size()) {
            const int offset = index - starts_[b];
            if (offset >= 0 && offset < blocks_[b].size)
                return blocks_[b].lines[offset];
        }
        return LocateSlow(index);
    }
    LineRecord& LocateSlow(int index) const;
    size_t BlockOf(int index) const;
    void SplitBlock(size_t b);
    Block NewBlock();
    void FreeBlock(Block& block);
    void RebuildStarts(size_t fromBlock);
    static void TightenMarks(const Block& block);
    void FreeStorage(LineRecord& rec) noexcept;
    // Gives the line `bytes` (from new char[capacity], its characters in place) as its storage.
    void TakeStorage(LineRecord& rec, char* bytes, int32_t capacity) noexcept;
    static LineRecord MakeOwned(std::string_view text, std::string_view tail = {});
    // Takes blocks from the pool until `count` are free, so NewBlock cannot fail.
    void KeepFreeBlocks(size_t count);
    // A slab of at least `bytes`; 0 when the system has no mapping that large (the lines then get
    // storage each). Throws std::bad_alloc, changing nothing, when the slab lists cannot grow.
    uint16_t OpenSlab(size_t bytes);
    void ReleaseSlab(uint16_t id) noexcept;

    std::vector<Block> blocks_;
    std::vector<int> starts_; // first line index of each block
    std::vector<LineRecord*> freeBlocks_;
    int count_ = 0;
    mutable size_t lastBlock_ = 0;

    ChunkPool blockPool_;
    ChunkPool arenas_;
    std::vector<Slab> slabs_; // slab number - 1
    std::vector<uint16_t> freeSlabs_;
};
