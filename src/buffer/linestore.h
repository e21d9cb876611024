// The ordered array of line records behind a buffer.
//
// Records are kept in blocks of up to kMaxBlock lines with the first line index of every block, so
// inserting or removing lines anywhere moves at most one block of records plus one integer per
// block, whatever the size of the file. A lookup remembers the block it found last, so walking the
// lines in order costs O(1) per line.
//
// The characters of a line live either in an arena (a large block shared by many lines, used when a
// file is loaded) or in storage of the line's own. A line's capacity follows the same rule in
// both: (length / 16 + 1) * 16 when it is made, and it grows to (new length / 16 + 1) * 16 only
// when a new length exceeds it. A line that outgrows its place moves to storage of its own; storage
// never shrinks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "buffer/types.h"

struct LineRecord {
    char* bytes = nullptr; // not NUL-terminated; may hold any byte, NUL included
    int32_t used = 0;
    int32_t capacity = 0;
    LineFlags marks = 0;
    bool ownsStorage = false;

    std::string_view Text() const { return {bytes, static_cast<size_t>(used)}; }
};

class LineStore {
public:
    static constexpr int kMaxBlock = 2048;
    static constexpr int kFillBlock = 1024; // lines per block when appending in bulk

    LineStore() = default;
    LineStore(const LineStore&) = delete;
    LineStore& operator=(const LineStore&) = delete;
    LineStore(LineStore&& other) noexcept;
    LineStore& operator=(LineStore&& other) noexcept;
    ~LineStore();

    static int32_t CapacityFor(int64_t length) {
        return static_cast<int32_t>((length / 16 + 1) * 16);
    }

    int Count() const { return count_; }
    LineRecord& At(int index) { return Locate(index); }
    const LineRecord& At(int index) const { return Locate(index); }

    // Appends a line holding `text`, its characters laid out in the store's arenas.
    void AppendPacked(std::string_view text);
    // Inserts new lines holding `texts` before `index` (0 <= index <= Count()), each with storage
    // of its own and flags 0.
    void InsertLines(int index, const std::vector<std::string_view>& texts);
    // Removes `count` lines from `index` on, freeing their storage.
    void EraseLines(int index, int count);
    // Frees every line and arena.
    void Clear();

    // Line editing keeping the capacity rule.
    void Truncate(int index, int32_t length);
    void Append(int index, std::string_view text);
    void EraseChars(int index, int32_t from, int32_t to);

    size_t BlockCount() const { return blocks_.size(); }

private:
    using Block = std::vector<LineRecord>;

    LineRecord& Locate(int index) const;
    int BlockOf(int index) const;
    void RebuildStarts(size_t fromBlock);
    static void FreeStorage(LineRecord& rec);
    static LineRecord MakeOwned(std::string_view text);
    char* ArenaAlloc(size_t size);

    std::vector<Block> blocks_;
    std::vector<int> starts_; // first line index of each block
    int count_ = 0;
    mutable size_t lastBlock_ = 0;

    std::vector<std::unique_ptr<char[]>> arenas_;
    char* arenaNext_ = nullptr;
    size_t arenaLeft_ = 0;
};
