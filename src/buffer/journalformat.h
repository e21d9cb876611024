// The on-disk form of a document's journal (journal.h writes it, journalreplay.h reads it).
//
// A journal is the 8 bytes kJournalMagic followed by frames. A frame is its payload's length (u32),
// the payload, and the payload's CRC-32 (u32); all integers are little-endian. A frame whose
// length runs past the end of the file, or whose CRC does not match, ends the journal: what a
// crash or a full disk cut off is simply not there.
//
// Every payload starts with its kind (u8) and the wall-clock time it was made (i64, milliseconds
// since the epoch), then:
//   Header    (first frame, exactly once) u32 version, u32 pid, str host, str path (empty for an
//             untitled document), str title, u8 base (JournalBaseKind), i32 line-end style,
//             identity of the file (u8 exists, i64 size, i64 mtime ns, u64 inode, u64 device,
//             u64 head hash, u64 tail hash), i32 line count of the base text (-1: unknown)
//   Snapshot  i32 line-end style, u32 line count, each line as str; the text the edits that
//             follow start from (always right after the header when there is one)
//   Change    u8 applied, u64 serial, u32 record kind, i32 start x, y, end x, y, i32 action,
//             str text, u32 count, i32 part lengths; one recorded insertion or deletion, applied
//             to the text (applied 1) or only made known for an undo or redo that names it later
//   Batch     u8 applied, u64 serial, u32 record kind, i32 start x, y, end x, y, i32 action,
//             str replacement, i32 replaced length, u32 count, i32 x, y per position, str
//             replaced bytes: a batch of replacements (Replace All), in the same way
//   Undo      u32 count, u64 serials: records reverted, in the order reverted
//   Redo      u32 count, u64 serials: records applied again, in the order applied
//   Resume    u32 pid: another process took the journal over; serials named before are gone
//   Copy      str path: a save began to rewrite the file in place; the file at `path` holds the
//             whole text being saved (the text of the frames before) until the rewrite is synced
// where str is a u32 length and that many bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

inline constexpr char kJournalMagic[8] = {'V', 'L', 'M', 'J', 'R', 'N', 'L', '1'};
inline constexpr uint32_t kJournalVersion = 1;

enum class JournalFrame : uint8_t {
    Header = 1,
    Snapshot = 2,
    Change = 3,
    Batch = 4,
    Undo = 5,
    Redo = 6,
    Resume = 7,
    Copy = 8,
};

// What the edits of a journal start from.
enum class JournalBaseKind : uint8_t {
    Empty = 0,    // an empty text (a new document) in the header's line-end style
    File = 1,     // the file at the header's path, as loaded in that style; its identity must match
    Snapshot = 2, // the Snapshot frame that follows the header
};

uint32_t Crc32(const void* data, size_t size, uint32_t crc = 0);

// Builds a payload. A long string is not copied: the frame keeps a view of it, which must stay
// valid until the frame is written.
class FrameWriter {
public:
    static constexpr size_t kBorrowFrom = 4096;

    FrameWriter(JournalFrame kind, int64_t timeMs) {
        U8(static_cast<uint8_t>(kind));
        I64(timeMs);
    }
    void U8(uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
    void U32(uint32_t v) { Raw(&v, 4); }
    void I32(int32_t v) { Raw(&v, 4); }
    void U64(uint64_t v) { Raw(&v, 8); }
    void I64(int64_t v) { Raw(&v, 8); }
    void Str(std::string_view s) {
        U32(static_cast<uint32_t>(s.size()));
        if (s.size() >= kBorrowFrom) {
            borrowed_.emplace_back(bytes_.size(), s);
            borrowedSize_ += s.size();
        } else {
            bytes_.append(s);
        }
    }
    // The payload's size.
    size_t Size() const { return bytes_.size() + borrowedSize_; }
    // Hands the whole frame (length, payload, CRC) to `put` in pieces, in order.
    template <class Put> void WriteTo(const Put& put) const {
        const auto length = static_cast<uint32_t>(Size());
        put(std::string_view(reinterpret_cast<const char*>(&length), 4));
        uint32_t crc = 0;
        size_t from = 0;
        const auto piece = [&](std::string_view bytes) {
            crc = Crc32(bytes.data(), bytes.size(), crc);
            put(bytes);
        };
        for (const auto& [at, view] : borrowed_) {
            piece(std::string_view(bytes_).substr(from, at - from));
            piece(view);
            from = at;
        }
        piece(std::string_view(bytes_).substr(from));
        put(std::string_view(reinterpret_cast<const char*>(&crc), 4));
    }
    // Appends the whole frame to `out`.
    void AppendTo(std::string& out) const {
        WriteTo([&out](std::string_view bytes) { out.append(bytes); });
    }

private:
    // The journal is little-endian, as every machine the editor runs on.
    void Raw(const void* v, size_t n) { bytes_.append(static_cast<const char*>(v), n); }
    std::string bytes_;
    // Long strings, each with the place in bytes_ where it belongs.
    std::vector<std::pair<size_t, std::string_view>> borrowed_;
    size_t borrowedSize_ = 0;
};

// Reads a payload; every read past its end fails the reader, and the reads after it give zeroes.
class FrameReader {
public:
    explicit FrameReader(std::string_view payload) : data_(payload) {}
    bool Ok() const { return ok_; }
    bool AtEnd() const { return at_ == data_.size(); }
    uint8_t U8() { return Get<uint8_t>(); }
    uint32_t U32() { return Get<uint32_t>(); }
    int32_t I32() { return Get<int32_t>(); }
    uint64_t U64() { return Get<uint64_t>(); }
    int64_t I64() { return Get<int64_t>(); }
    std::string_view Str() {
        const uint32_t n = U32();
        if (!ok_ || n > data_.size() - at_) {
            ok_ = false;
            return {};
        }
        const std::string_view s = data_.substr(at_, n);
        at_ += n;
        return s;
    }
    // A count of items of at least `itemBytes` bytes each, checked against what is left.
    uint32_t Count(size_t itemBytes) {
        const uint32_t n = U32();
        if (ok_ && static_cast<uint64_t>(n) * itemBytes > data_.size() - at_)
            ok_ = false;
        return ok_ ? n : 0;
    }

private:
    template <class T> T Get() {
        T v{};
        Raw(&v, sizeof v);
        return v;
    }
    void Raw(void* v, size_t n) {
        if (!ok_ || n > data_.size() - at_) {
            ok_ = false;
            return;
        }
        std::memcpy(v, data_.data() + at_, n);
        at_ += n;
    }
    std::string_view data_;
    size_t at_ = 0;
    bool ok_ = true;
};
