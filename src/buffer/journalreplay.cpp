#include "buffer/journalreplay.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <unordered_map>

#include "buffer/textbuffer.h"

namespace {

// Reads the frames of a journal one after the other, up to the first that is not whole.
class FrameScanner {
public:
    FrameScanner(FileSystem& fs, int fd, int64_t size) : fs_(fs), fd_(fd), size_(size) {}

    bool Start() {
        char magic[sizeof kJournalMagic] = {};
        if (!ReadAt(magic, sizeof magic, 0) ||
            !std::equal(magic, magic + sizeof magic, kJournalMagic))
            return false;
        offset_ = sizeof magic;
        return true;
    }
    // The next whole frame's payload; false at the end or at a damaged frame.
    bool Next(std::string& payload) {
        uint32_t length = 0;
        if (size_ - offset_ < 8 || !ReadAt(&length, 4, offset_) ||
            length > static_cast<uint64_t>(size_ - offset_ - 8))
            return false;
        payload.resize(length);
        uint32_t crc = 0;
        if (!ReadAt(payload.data(), length, offset_ + 4) ||
            !ReadAt(&crc, 4, offset_ + 4 + length) || Crc32(payload.data(), length) != crc ||
            payload.empty())
            return false;
        offset_ += 8 + static_cast<int64_t>(length);
        return true;
    }
    int64_t Offset() const { return offset_; }

private:
    bool ReadAt(void* buf, size_t n, int64_t at) {
        size_t got = 0;
        while (got < n) {
            const ssize_t r = fs_.Pread(fd_, static_cast<char*>(buf) + got, n - got,
                                        static_cast<off_t>(at) + static_cast<off_t>(got));
            if (r <= 0)
                return false;
            got += static_cast<size_t>(r);
        }
        return true;
    }

    FileSystem& fs_;
    int fd_;
    int64_t size_;
    int64_t offset_ = 0;
};

JournalFrame KindOf(const std::string& payload) {
    return static_cast<JournalFrame>(static_cast<uint8_t>(payload[0]));
}

bool ReadHeader(FrameReader& in, JournalHeader& h) {
    if (in.U32() != kJournalVersion)
        return false;
    h.pid = in.U32();
    h.host = in.Str();
    h.path = in.Str();
    h.title = in.Str();
    h.base = static_cast<JournalBaseKind>(in.U8());
    h.style = static_cast<LineEndStyle>(in.I32());
    h.identity.exists = in.U8() != 0;
    h.identity.size = in.I64();
    h.identity.mtimeNs = in.I64();
    h.identity.inode = in.U64();
    h.identity.device = in.U64();
    h.identity.headHash = in.U64();
    h.identity.tailHash = in.U64();
    h.baseLineCount = in.I32();
    return in.Ok() && h.base <= JournalBaseKind::Snapshot &&
           !CTextBuffer::LineEndSequence(h.style).empty();
}

// Reads a Change or a Batch frame (after its time) into `r`; `applied` tells whether it changed
// the text.
bool ReadRecord(JournalFrame kind, FrameReader& in, EditRecord& r, bool& applied) {
    applied = in.U8() != 0;
    r.serial = in.U64();
    r.kind = in.U32();
    r.start = {in.I32(), in.I32()};
    r.end = {in.I32(), in.I32()};
    r.action = static_cast<EditAction>(in.I32());
    if (kind == JournalFrame::Change) {
        r.text.assign(in.Str());
        const uint32_t parts = in.Count(4);
        r.partLengths.resize(parts);
        for (uint32_t k = 0; k < parts; ++k)
            r.partLengths[k] = in.I32();
        return in.Ok() && in.AtEnd();
    }
    auto batch = std::make_shared<ReplaceBatch>();
    batch->replacement.assign(in.Str());
    batch->replacedLength = in.I32();
    const uint32_t count = in.Count(8);
    batch->positions.resize(count);
    for (uint32_t k = 0; k < count; ++k)
        batch->positions[k] = {in.I32(), in.I32()};
    batch->replaced.assign(in.Str());
    const bool whole = batch->replacedLength >= 0 &&
                       batch->replaced.size() == static_cast<uint64_t>(count) *
                                                     static_cast<uint64_t>(batch->replacedLength);
    r.text = batch->replacement;
    r.batch = std::move(batch);
    return in.Ok() && in.AtEnd() && whole;
}

// Applies a recorded change as it was first made, checking that it fits: a deletion must remove
// the very text it recorded, an insertion must end where it ended.
bool ApplyForward(CTextBuffer& buffer, const EditRecord& r) {
    if (r.batch) {
        // The bytes each replacement takes away must be the ones it recorded.
        const ReplaceBatch& batch = *r.batch;
        for (size_t k = 0; k < batch.positions.size(); ++k) {
            const TextPosition p = batch.positions[k];
            if (p.y < 0 || p.y >= buffer.LineCount() || p.x < 0 || batch.replacedLength < 0 ||
                buffer.LineText(p.y).substr(
                    static_cast<size_t>(std::min(p.x, buffer.LineLength(p.y))),
                    static_cast<size_t>(batch.replacedLength)) != batch.Replaced(k))
                return false;
        }
        return buffer.ApplyRecord(r, false, nullptr);
    }
    if (r.kind & EditRecord::RecordInsert) {
        int endLine = 0;
        int endChar = 0;
        return buffer.ApplyInsert(nullptr, r.start.y, r.start.x, r.text, endLine, endChar) &&
               endLine == r.end.y && endChar == r.end.x;
    }
    std::string now;
    buffer.CopyText(r.start.y, r.start.x, r.end.y, r.end.x, now);
    return now == r.text && buffer.ApplyRecord(r, false, nullptr);
}

} // namespace

std::vector<FoundJournal> FindLeftJournals(FileSystem& fs, const std::string& folder) {
    std::vector<FoundJournal> found;
    std::vector<std::string> names;
    if (fs.ListFolder(folder.c_str(), names) != 0)
        return found;
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (!name.starts_with("journal-"))
            continue;
        FoundJournal j;
        j.path = folder + "/" + name;
        j.fd = fs.Open(j.path.c_str(), O_RDWR | O_APPEND | O_NOFOLLOW, 0);
        if (j.fd < 0)
            continue;
        struct stat st {};
        // Held by a running editor, or no plain file: not ours to offer.
        if (fs.Flock(j.fd, LOCK_EX | LOCK_NB) != 0 || fs.Fstat(j.fd, &st) != 0 ||
            !S_ISREG(st.st_mode)) {
            fs.Close(j.fd);
            continue;
        }
        j.fileSize = st.st_size;
        FrameScanner scan(fs, j.fd, st.st_size);
        std::string payload;
        bool holdsChange = false;
        bool isJournal = scan.Start();
        if (isJournal && scan.Next(payload) && KindOf(payload) == JournalFrame::Header) {
            FrameReader in(payload);
            in.U8();
            j.header.startMs = in.I64();
            j.lastChangeMs = j.header.startMs;
            if (ReadHeader(in, j.header)) {
                j.validEnd = scan.Offset();
                while (scan.Next(payload)) {
                    FrameReader frame(payload);
                    const auto kind = static_cast<JournalFrame>(frame.U8());
                    const int64_t madeMs = frame.I64();
                    if (kind == JournalFrame::Copy) {
                        const std::string_view copy = frame.Str();
                        if (frame.Ok())
                            j.savedCopy.assign(copy);
                    } else {
                        j.lastChangeMs = std::max(j.lastChangeMs, madeMs);
                    }
                    const uint8_t applied = frame.U8(); // of a Change or Batch
                    holdsChange = holdsChange || kind == JournalFrame::Snapshot ||
                                  kind == JournalFrame::Undo || kind == JournalFrame::Redo ||
                                  ((kind == JournalFrame::Change || kind == JournalFrame::Batch) &&
                                   applied != 0);
                    j.validEnd = scan.Offset();
                }
            }
        }
        if (holdsChange) {
            found.push_back(std::move(j));
        } else {
            // A journal cut off before its first change holds nothing to recover.
            ReleaseJournal(fs, j, isJournal);
        }
    }
    std::sort(found.begin(), found.end(), [](const FoundJournal& a, const FoundJournal& b) {
        return a.header.startMs < b.header.startMs;
    });
    return found;
}

void ReleaseJournal(FileSystem& fs, FoundJournal& journal, bool remove) {
    if (journal.fd < 0)
        return;
    if (remove)
        fs.Unlink(journal.path.c_str());
    fs.Close(journal.fd);
    journal.fd = -1;
}

BaseState CheckJournalBase(FileSystem& fs, const FoundJournal& journal) {
    const JournalHeader& h = journal.header;
    if (h.path.empty() || h.base == JournalBaseKind::Empty)
        return BaseState::Same;
    FileIdentity now;
    const bool read = ReadFileIdentity(fs, h.path, true, now);
    const bool same = read && (now.SameFile(h.identity) || now.SameContent(h.identity));
    if (same)
        return BaseState::Same;
    return h.base == JournalBaseKind::Snapshot ? BaseState::Changed : BaseState::Unavailable;
}

ReplayResult ReplayJournal(FileSystem& fs, const FoundJournal& journal, CTextBuffer& buffer) {
    ReplayResult result;
    const JournalHeader& h = journal.header;
    FrameScanner scan(fs, journal.fd, journal.validEnd);
    std::string payload;
    if (!scan.Start() || !scan.Next(payload)) {
        result.problem = "the journal cannot be read";
        return result;
    }
    switch (h.base) {
    case JournalBaseKind::Empty:
        buffer.ReleaseContents();
        buffer.ResetToEmpty(h.style);
        break;
    case JournalBaseKind::File:
        if (CheckJournalBase(fs, journal) != BaseState::Same) {
            result.problem = "the file has changed since";
            return result;
        }
        buffer.ReleaseContents();
        if (!buffer.ReadFromFile(h.path, h.style) || buffer.LineCount() != h.baseLineCount) {
            result.problem = "the file has changed since";
            return result;
        }
        break;
    case JournalBaseKind::Snapshot: {
        if (!scan.Next(payload) || KindOf(payload) != JournalFrame::Snapshot) {
            result.problem = "the journal is damaged";
            return result;
        }
        FrameReader in(payload);
        in.U8();
        in.I64();
        const auto style = static_cast<LineEndStyle>(in.I32());
        const uint32_t count = in.Count(4);
        std::vector<std::string_view> lines;
        lines.reserve(count);
        for (uint32_t k = 0; k < count && in.Ok(); ++k)
            lines.push_back(in.Str());
        if (!in.Ok() || !in.AtEnd() || !buffer.ReadFromLines(lines, style)) {
            result.problem = "the journal is damaged";
            return result;
        }
        break;
    }
    }
    result.replayed = true;
    result.complete = true;

    // The records named so far, by serial; a Resume frame starts the names afresh.
    std::unordered_map<uint64_t, EditRecord> records;
    const auto stop = [&](const char* why) {
        result.complete = false;
        result.problem = why;
    };
    while (result.complete && scan.Next(payload)) {
        FrameReader in(payload);
        const auto kind = static_cast<JournalFrame>(in.U8());
        in.I64();
        switch (kind) {
        case JournalFrame::Change:
        case JournalFrame::Batch: {
            EditRecord r;
            bool applied = false;
            if (!ReadRecord(kind, in, r, applied)) {
                stop("the journal is damaged");
            } else if (applied && !ApplyForward(buffer, r)) {
                stop("a change does not fit the text");
            } else {
                result.edits += applied ? 1 : 0;
                records[r.serial] = std::move(r);
            }
            break;
        }
        case JournalFrame::Undo:
        case JournalFrame::Redo: {
            const uint32_t count = in.Count(8);
            for (uint32_t k = 0; k < count && result.complete; ++k) {
                const auto it = records.find(in.U64());
                if (it == records.end() ||
                    !buffer.ApplyRecord(it->second, kind == JournalFrame::Undo, nullptr))
                    stop("an undo or redo does not fit the text");
            }
            if (in.Ok() && result.complete)
                ++result.edits;
            break;
        }
        case JournalFrame::Resume:
            records.clear();
            break;
        case JournalFrame::Copy:
            break;
        default:
            stop("the journal holds a change this version cannot replay");
            break;
        }
    }
    buffer.ForgetSavedState();
    return result;
}
