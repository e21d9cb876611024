#include "buffer/journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <new>
#include <vector>

#include "buffer/textbuffer.h"

namespace {

// Frames this big are written at once instead of waiting in memory.
constexpr size_t kLargeFrame = size_t{1} << 20;

int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t SystemMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

// Makes `folder` and the folders above it that are missing, private to the user.
bool MakeFolder(FileSystem& fs, const std::string& folder) {
    for (size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
        const std::string part = folder.substr(0, at);
        if (fs.Mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (at == std::string::npos)
            return true;
    }
}

// The size of the text as the snapshot holds it, counted up to `limit` + 1.
size_t TextSize(const CTextBuffer& buffer, size_t limit) {
    size_t total = 0;
    for (int i = 0; i < buffer.LineCount() && total <= limit; ++i)
        total += static_cast<size_t>(buffer.LineLength(i)) + 4;
    return total;
}

} // namespace

JournalWriter::JournalWriter(CTextBuffer& buffer, Options options)
    : buffer_(buffer), fs_(options.fs ? *options.fs : FileSystem::Native()),
      options_(std::move(options)), syncer_(fs_) {
    buffer_.SetHistoryObserver(this);
}

JournalWriter::~JournalWriter() {
    if (buffer_.GetHistoryObserver() == this)
        buffer_.SetHistoryObserver(nullptr);
    // The journal stays for a later start: durable before the writer lets it go.
    if (rebasePending_)
        Rebase(base_);
    else if (fd_ >= 0)
        Append(true);
    Close(false);
}

int64_t JournalWriter::Now() const {
    return options_.clock.monotonicMs ? options_.clock.monotonicMs() : SteadyMs();
}

int64_t JournalWriter::WallNow() const {
    return options_.clock.wallMs ? options_.clock.wallMs() : SystemMs();
}

// ---- Life cycle

void JournalWriter::SetBase(JournalBase base) {
    Close(true);
    base_ = std::move(base);
    baseLineCount_ = buffer_.LineCount();
    broken_ = false;
    rebasePending_ = false;
}

void JournalWriter::Discard() {
    Close(true);
    rebasePending_ = false;
}

void JournalWriter::Rebase(JournalBase base) {
    syncer_.Release(); // the old journal is the writer's alone again
    const int oldFd = fd_;
    const std::string oldPath = path_;
    fd_ = -1;
    path_.clear();
    pending_.clear();
    base_ = std::move(base);
    base_.kind = JournalBaseKind::Snapshot;
    broken_ = false;
    rebasePending_ = false;
    const bool made = Open() && Append(true);
    // The old journal goes only once the new one holds the text, unless no new one could be made:
    // then it is kept, as the best there is.
    if (oldFd >= 0) {
        if (made)
            fs_.Unlink(oldPath.c_str());
        fs_.Close(oldFd);
    }
}

bool JournalWriter::Adopt(int fd, std::string path, int64_t validEnd, JournalBase base) {
    Close(false);
    base_ = std::move(base);
    broken_ = false;
    rebasePending_ = false;
    fd_ = fd;
    path_ = std::move(path);
    syncer_.Attach(fd_, {}); // its folder was synced when it was made
    serialMark_ = buffer_.LastSerial();
    defined_.clear();
    snapshotNow_ = false;
    // What follows the last whole frame is what a crash cut off: new frames go after the whole
    // ones, or the replay would stop before them.
    if (fs_.Ftruncate(fd_, static_cast<off_t>(validEnd)) != 0) {
        Fail(errno, "write", path_);
        return false;
    }
    FrameWriter frame(JournalFrame::Resume, WallNow());
    frame.U32(static_cast<uint32_t>(::getpid()));
    AddFrame(frame);
    return Flush();
}

void JournalWriter::Close(bool remove) {
    // No sync runs on the file once it is removed or closed (its number may be reused at once).
    syncer_.Release();
    if (fd_ >= 0) {
        if (remove)
            fs_.Unlink(path_.c_str());
        fs_.Close(fd_); // lets the lock go
    }
    fd_ = -1;
    path_.clear();
    pending_.clear();
    defined_.clear();
    unsynced_ = false;
}

void JournalWriter::Fail(int errorNumber, std::string_view operation, const std::string& path) {
    if (!broken_ && options_.onError) {
        try {
            FileError error;
            error.errorNumber = errorNumber;
            error.operation.assign(operation);
            error.path = path;
            options_.onError(error);
        } catch (const std::bad_alloc&) {
            // Not even the message can be made; the journal stops all the same.
        }
    }
    broken_ = true;
    Close(true);
}

bool JournalWriter::Open() {
    if (broken_)
        return false;
    if (!MakeFolder(fs_, options_.folder)) {
        Fail(errno, "make the folder", options_.folder);
        return false;
    }
    std::string name = options_.folder + "/journal-XXXXXX";
    const int fd = fs_.MkTemp(name.data());
    if (fd < 0) {
        Fail(errno, "make a journal in", options_.folder);
        return false;
    }
    // Appending from now on, and holding the lock that tells the journal is in use.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_APPEND) != 0 ||
        fs_.Flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        fs_.Unlink(name.c_str());
        fs_.Close(fd);
        Fail(error, "lock", name);
        return false;
    }
    fd_ = fd;
    path_ = name;
    // The journal's name must survive a power cut as well as its bytes: the folder is synced too.
    syncer_.Attach(fd_, options_.folder);
    defined_.clear();
    serialMark_ = buffer_.LastSerial();
    const bool snapshot = base_.kind == JournalBaseKind::Snapshot ||
                          (base_.kind == JournalBaseKind::File &&
                           (!base_.identity.exists ||
                            TextSize(buffer_, options_.snapshotLimit) <= options_.snapshotLimit));
    if (!WriteStart(fd_, snapshot)) {
        Fail(errno, "write", path_);
        return false;
    }
    snapshotNow_ = snapshot;
    unsynced_ = true;
    lastFlush_ = Now() - options_.syncIntervalMs; // the first flush need not wait
    return true;
}

// The magic, the header and the snapshot go straight to the file; the snapshot is streamed, so a
// text of any size needs no second copy in memory.
bool JournalWriter::WriteStart(int fd, bool snapshot) {
    FrameWriter header(JournalFrame::Header, WallNow());
    header.U32(kJournalVersion);
    header.U32(static_cast<uint32_t>(::getpid()));
    header.Str(HostName());
    header.Str(base_.path);
    header.Str(base_.title);
    const JournalBaseKind kind = snapshot ? JournalBaseKind::Snapshot : base_.kind;
    header.U8(static_cast<uint8_t>(kind));
    header.I32(buffer_.GetLineEndStyle());
    const FileIdentity& id = base_.identity;
    header.U8(id.exists ? 1 : 0);
    header.I64(id.size);
    header.I64(id.mtimeNs);
    header.U64(id.inode);
    header.U64(id.device);
    header.U64(id.headHash);
    header.U64(id.tailHash);
    // The line count of the file's text, to check it against when the edits are replayed on it.
    header.I32(kind == JournalBaseKind::File ? baseLineCount_ : -1);
    std::string start(kJournalMagic, sizeof kJournalMagic);
    header.AppendTo(start);
    if (!fs_.WriteAll(fd, start.data(), start.size()))
        return false;
    if (!snapshot)
        return true;

    const int count = buffer_.LineCount();
    uint64_t length = 1 + 8 + 4 + 4;
    for (int i = 0; i < count; ++i)
        length += 4 + static_cast<uint64_t>(buffer_.LineLength(i));
    if (length > UINT32_MAX) {
        errno = EFBIG;
        return false;
    }
    FrameWriter head(JournalFrame::Snapshot, WallNow());
    head.I32(buffer_.GetLineEndStyle());
    head.U32(static_cast<uint32_t>(count));
    std::string first;
    head.AppendTo(first);
    // The frame's length comes first, the payload after it; the CRC is counted as it goes.
    std::string chunk(first.data() + 4, first.size() - 8);
    uint32_t crc = 0;
    const auto total = static_cast<uint32_t>(length);
    std::string out(reinterpret_cast<const char*>(&total), 4);
    const auto put = [&](std::string_view bytes) {
        crc = Crc32(bytes.data(), bytes.size(), crc);
        out.append(bytes);
        if (out.size() >= (size_t{1} << 20)) {
            if (!fs_.WriteAll(fd, out.data(), out.size()))
                return false;
            out.clear();
        }
        return true;
    };
    if (!put(chunk))
        return false;
    for (int i = 0; i < count; ++i) {
        const std::string_view line = buffer_.LineText(i);
        const auto size = static_cast<uint32_t>(line.size());
        if (!put(std::string_view(reinterpret_cast<const char*>(&size), 4)))
            return false;
        if (line.size() >= (size_t{1} << 20)) {
            // A long line goes out as it is, without passing through the chunk.
            crc = Crc32(line.data(), line.size(), crc);
            if (!fs_.WriteAll(fd, out.data(), out.size()) ||
                !fs_.WriteAll(fd, line.data(), line.size()))
                return false;
            out.clear();
        } else if (!put(line)) {
            return false;
        }
    }
    out.append(reinterpret_cast<const char*>(&crc), 4);
    return fs_.WriteAll(fd, out.data(), out.size());
}

bool JournalWriter::Flush() {
    if (rebasePending_) {
        Rebase(base_);
        return IsOpen();
    }
    if (fd_ < 0)
        return !broken_;
    return Append(false);
}

bool JournalWriter::CheckSynced() {
    if (const int error = syncer_.TakeError()) {
        Fail(error, "write", path_);
        return false;
    }
    return true;
}

bool JournalWriter::Append(bool sync) {
    if (!CheckSynced())
        return false;
    if (!pending_.empty() || unsynced_) {
        if (!fs_.WriteAll(fd_, pending_.data(), pending_.size())) {
            Fail(errno, "write", path_);
            return false;
        }
        pending_.clear();
        unsynced_ = false;
        lastFlush_ = Now();
        if (!sync)
            syncer_.Request();
    }
    if (sync) {
        if (const int error = syncer_.SyncNow()) {
            Fail(error, "write", path_);
            return false;
        }
    }
    return true;
}

// ---- Frames

void JournalWriter::AddFrame(const FrameWriter& frame) {
    const bool wasEmpty = pending_.empty();
    const bool unsyncedBefore = unsynced_;
    if (frame.Size() >= kLargeFrame) {
        // A big change (a paste of megabytes) goes to the file at once, after what waits, without
        // a copy in memory; the sync follows the usual rule.
        bool written = fs_.WriteAll(fd_, pending_.data(), pending_.size());
        pending_.clear();
        frame.WriteTo([&](std::string_view bytes) {
            written = written && fs_.WriteAll(fd_, bytes.data(), bytes.size());
        });
        if (!written) {
            Fail(errno, "write", path_);
            return;
        }
        unsynced_ = true;
    } else {
        frame.AppendTo(pending_);
    }
    // Within the interval the frames wait for the timer; after it, or when much is waiting, they
    // go out now.
    if (Now() - lastFlush_ >= options_.syncIntervalMs || pending_.size() >= kLargeFrame)
        Flush();
    else if (wasEmpty && !unsyncedBefore && options_.onPending)
        options_.onPending();
}

void JournalWriter::WriteRecord(const EditRecord& r, bool applied) {
    FrameWriter frame(r.batch ? JournalFrame::Batch : JournalFrame::Change, WallNow());
    frame.U8(applied ? 1 : 0);
    frame.U64(r.serial);
    frame.U32(r.kind);
    frame.I32(r.start.x);
    frame.I32(r.start.y);
    frame.I32(r.end.x);
    frame.I32(r.end.y);
    frame.I32(r.action);
    if (r.batch) {
        const ReplaceBatch& batch = *r.batch;
        frame.Str(batch.replacement);
        frame.I32(batch.replacedLength);
        frame.U32(static_cast<uint32_t>(batch.positions.size()));
        for (const TextPosition p : batch.positions) {
            frame.I32(p.x);
            frame.I32(p.y);
        }
        frame.Str(batch.replaced);
    } else {
        frame.Str(r.text);
        frame.U32(static_cast<uint32_t>(r.partLengths.size()));
        for (const int32_t length : r.partLengths)
            frame.I32(length);
    }
    AddFrame(frame);
}

void JournalWriter::MakeKnown(const EditRecord& r) {
    if (r.serial > serialMark_ || defined_.count(r.serial) != 0)
        return;
    WriteRecord(r, false);
    defined_.insert(r.serial);
}

bool JournalWriter::Ready() {
    snapshotNow_ = false;
    if (fd_ >= 0)
        return true;
    if (broken_ || !Open())
        return false;
    return !snapshotNow_;
}

void JournalWriter::OnRecorded(const CTextBuffer& /*buffer*/, const EditRecord& record) {
    Guarded([&] { Record(record); });
}

void JournalWriter::Record(const EditRecord& record) {
    if (fd_ < 0) {
        if (broken_ || !Open())
            return;
        // This record and every later one are in the journal.
        serialMark_ = record.serial - 1;
        if (snapshotNow_) {
            // The snapshot holds the change already; an undo may still name the record.
            WriteRecord(record, false);
            return;
        }
    }
    WriteRecord(record, true);
}

void JournalWriter::WriteSteps(JournalFrame kind, int first, int end) {
    if (!Ready() || first >= end)
        return;
    std::vector<uint64_t> serials;
    const bool undo = kind == JournalFrame::Undo;
    for (int k = 0; k < end - first; ++k) {
        const EditRecord& r = buffer_.Record(undo ? end - 1 - k : first + k);
        MakeKnown(r);
        serials.push_back(r.serial);
    }
    FrameWriter frame(kind, WallNow());
    frame.U32(static_cast<uint32_t>(serials.size()));
    for (const uint64_t serial : serials)
        frame.U64(serial);
    AddFrame(frame);
}

void JournalWriter::OnUndone(const CTextBuffer& /*buffer*/, int first, int end) {
    Guarded([&] { WriteSteps(JournalFrame::Undo, first, end); });
}

void JournalWriter::OnRedone(const CTextBuffer& /*buffer*/, int first, int end) {
    Guarded([&] { WriteSteps(JournalFrame::Redo, first, end); });
}

template <class Write> void JournalWriter::Guarded(const Write& write) {
    // The buffer's change is made; a journal that cannot follow it for lack of memory stops
    // (and says so) rather than undo the change.
    try {
        write();
    } catch (const std::bad_alloc&) {
        Fail(ENOMEM, "write", path_);
    }
}

void JournalWriter::OnRewritingInPlace(const CTextBuffer& /*buffer*/, const std::string& copyPath) {
    // Without a journal there is nothing unsaved, and the copy only repeats the file's text.
    if (fd_ < 0)
        return;
    Guarded([&] {
        // A text the history lost track of goes into the journal whole first.
        if (rebasePending_)
            Rebase(base_);
        if (fd_ < 0)
            return;
        FrameWriter frame(JournalFrame::Copy, WallNow());
        frame.Str(copyPath);
        frame.AppendTo(pending_);
        Append(true);
    });
}

void JournalWriter::OnUnrecordedChange(const CTextBuffer& /*buffer*/) {
    // Rewritten from the text at the next flush; not here, in the middle of an edit.
    rebasePending_ = !broken_;
    if (options_.onPending)
        options_.onPending();
}
