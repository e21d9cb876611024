// Loading and saving.
//
// Loading is all or nothing: the file is read into a new line store, which replaces the buffer's
// lines only when the whole file was read. Saving goes through SaveFile (filesaver.h), which never
// puts the old file's text or the new text at risk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "buffer/filesaver.h"
#include "buffer/textbuffer.h"

namespace {

constexpr size_t kDetectBlock = 32768;       // only this much of a file decides its line-end style
constexpr size_t kIoChunk = size_t{1} << 20; // read in large chunks
constexpr size_t kMinReadBuffer = 64 * 1024; // ... but small files get a small buffer
constexpr size_t kWriteChunk = 256 * 1024;
constexpr int64_t kMaxLineLength = LineStore::kMaxLength;

LineEndStyle DetectStyle(const char* data, size_t size) {
    const void* found = std::memchr(data, '\n', size);
    if (found == nullptr)
        return LineEndDos;
    const size_t i = static_cast<size_t>(static_cast<const char*>(found) - data);
    if (i > 0 && data[i - 1] == '\r')
        return LineEndDos;
    if (i + 1 < size && data[i + 1] == '\r')
        return LineEndUnix;
    return LineEndMac;
}

// Reads a whole file and splits it into lines.
//
// The separator is matched byte by byte with a counter that falls back to 0 on a mismatch without
// comparing the mismatching byte again, so CR CR LF ends no line in CR LF style while CR CR CR LF
// does. Equivalently, the separator's last byte ends a line exactly when the run of first bytes
// right before it, within the current line, has odd length. The current line is always kept whole
// in the read buffer, so that run is there to count.
class LineReader {
public:
    // `sizeHint` is the file's size as the system reports it; the buffer is sized for it.
    LineReader(FileSystem& fs, int fd, off_t sizeHint)
        : fs_(fs), fd_(fd), sizeHint_(std::max<off_t>(sizeHint, 0)),
          capacity_(std::clamp(static_cast<size_t>(sizeHint_) + 1, kMinReadBuffer, kIoChunk)) {}

    // Returns 0 on success, else an errno value.
    int Read(LineEndStyle requested, LineStore& store, LineEndStyle& style) {
        buf_ = std::make_unique_for_overwrite<char[]>(capacity_);
        while (filled_ < kDetectBlock && !eof_)
            if (int err = Fill())
                return err;
        style = requested == LineEndAuto ? DetectStyle(buf_.get(), std::min(filled_, kDetectBlock))
                                         : requested;
        const std::string_view sep = CTextBuffer::LineEndSequence(style);
        const char last = sep.back();
        const char first = sep.front();
        const bool pair = sep.size() == 2;

        size_t lineStart = 0;
        size_t scan = 0;
        for (;;) {
            const void* hit =
                scan < filled_ ? std::memchr(buf_.get() + scan, last, filled_ - scan) : nullptr;
            if (hit == nullptr) {
                if (eof_)
                    break;
                // Keep the current line whole at the front of the buffer and read on.
                if (lineStart > 0) {
                    std::memmove(buf_.get(), buf_.get() + lineStart, filled_ - lineStart);
                    filled_ -= lineStart;
                    scan -= lineStart;
                    lineStart = 0;
                }
                scan = filled_;
                if (int err = Fill())
                    return err;
                continue;
            }
            const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - buf_.get());
            scan = at + 1;
            size_t lineEnd = at;
            if (pair) {
                size_t run = 0;
                while (at - run > lineStart && buf_[at - run - 1] == first)
                    ++run;
                if (run % 2 == 0)
                    continue;
                lineEnd = at - 1;
            }
            if (static_cast<int64_t>(lineEnd - lineStart) > kMaxLineLength)
                return EFBIG;
            store.AppendPacked(std::string_view(buf_.get() + lineStart, lineEnd - lineStart));
            lineStart = scan;
        }
        if (static_cast<int64_t>(filled_ - lineStart) > kMaxLineLength)
            return EFBIG;
        // A long last line that fills the whole buffer, grown for it to the line's capacity (a
        // file of one long line), becomes the line's storage as it is: no second copy.
        if (lineStart == 0 && filled_ > kIoChunk &&
            capacity_ ==
                static_cast<size_t>(LineStore::CapacityFor(static_cast<int64_t>(filled_)))) {
            store.AppendAdopted(buf_.get(), static_cast<int32_t>(filled_),
                                static_cast<int32_t>(capacity_));
            buf_.release();
            return 0;
        }
        store.AppendPacked(std::string_view(buf_.get() + lineStart, filled_ - lineStart));
        return 0;
    }

private:
    // Reads more bytes after the filled part, growing the buffer when a line fills all of it: at
    // once to the capacity a line as long as the whole file takes, else to twice the size.
    int Fill() {
        if (filled_ == capacity_) {
            if (static_cast<int64_t>(capacity_) > kMaxLineLength)
                return EFBIG;
            size_t bigger = capacity_ * 2;
            if (sizeHint_ <= kMaxLineLength) {
                const auto whole =
                    static_cast<size_t>(LineStore::CapacityFor(static_cast<int64_t>(sizeHint_)));
                if (whole > capacity_)
                    bigger = whole;
            }
            auto grown = std::make_unique_for_overwrite<char[]>(bigger);
            std::memcpy(grown.get(), buf_.get(), filled_);
            buf_ = std::move(grown);
            capacity_ = bigger;
        }
        const ssize_t n = fs_.Read(fd_, buf_.get() + filled_, capacity_ - filled_);
        if (n < 0)
            return errno != 0 ? errno : EIO;
        if (n == 0)
            eof_ = true;
        filled_ += static_cast<size_t>(n);
        return 0;
    }

    FileSystem& fs_;
    int fd_;
    off_t sizeHint_;
    std::unique_ptr<char[]> buf_;
    size_t capacity_;
    size_t filled_ = 0;
    bool eof_ = false;
};

} // namespace

bool CTextBuffer::Fail(int errorNumber, std::string_view operation, const std::string& path,
                       std::string_view reason) {
    lastError_.errorNumber = errorNumber;
    lastError_.operation.assign(operation);
    lastError_.path = path;
    lastError_.reason.assign(reason);
    return false;
}

bool CTextBuffer::ReadFromFile(std::string_view pathView, LineEndStyle style) {
    lastError_ = FileError{};
    const std::string path(pathView);
    // A style without a line-end sequence cannot split lines: refuse it before touching the file.
    if (style != LineEndAuto && LineEndSequence(style).empty())
        return Fail(EINVAL, "load", path);
    FileSystem& fs = *fs_;
    struct stat st {};
    if (fs.Stat(path.c_str(), &st) != 0)
        return Fail(errno, "open", path);
    if (!S_ISREG(st.st_mode))
        return Fail(S_ISDIR(st.st_mode) ? EISDIR : 0, "open", path, "Not a regular file");
    const int fd = fs.Open(path.c_str(), O_RDONLY, 0);
    if (fd < 0)
        return Fail(errno, "open", path);

    LineStore store;
    LineEndStyle detected = LineEndDos;
    int err = 0;
    try {
        err = LineReader(fs, fd, st.st_size).Read(style, store, detected);
    } catch (const std::bad_alloc&) {
        err = ENOMEM;
    }
    fs.Close(fd);
    if (err != 0)
        return Fail(err, "read", path);

    lines_ = std::move(store);
    lineEndStyle_ = detected;
    readOnly_ = fs.Access(path.c_str(), W_OK) != 0;
    modified_ = false;
    ResetHistoryState();
    NotifyViews(nullptr, nullptr, HintReload, -1);
    return true;
}

bool CTextBuffer::ReadFromLines(const std::vector<std::string_view>& lines, LineEndStyle style) {
    if (lines.empty() || LineEndSequence(style).empty())
        return false;
    LineStore store;
    try {
        for (std::string_view line : lines) {
            if (static_cast<int64_t>(line.size()) > kMaxLineLength)
                return false;
            store.AppendPacked(line);
        }
    } catch (const std::bad_alloc&) {
        return Refuse(ENOMEM);
    }
    lines_ = std::move(store);
    lineEndStyle_ = style;
    modified_ = false;
    ResetHistoryState();
    NotifyViews(nullptr, nullptr, HintReload, -1);
    return true;
}

bool CTextBuffer::WriteToFile(std::string_view pathView, LineEndStyle style, bool clearModified) {
    lastError_ = FileError{};
    const std::string path(pathView);
    if (style == LineEndAuto)
        style = lineEndStyle_;
    const std::string_view separator = LineEndSequence(style);
    if (separator.empty())
        return Fail(EINVAL, "save", path);
    const TextWriter write = [&](int fd, int64_t& written) {
        return WriteLines(fd, separator, written);
    };
    const RewriteNotice rewriting = [this](const std::string& copyPath) {
        if (observer_)
            observer_->OnRewritingInPlace(*this, copyPath);
    };
    if (!SaveFile(*fs_, path, write, lastError_, rewriting))
        return false;
    if (clearModified) {
        MarkModified(false);
        savedCount_ = appliedCount_;
    }
    return true;
}

bool CTextBuffer::WriteLines(int fd, std::string_view separator, int64_t& written) {
    FileSystem& fs = *fs_;
    auto out = std::make_unique_for_overwrite<char[]>(kWriteChunk);
    size_t used = 0;
    written = 0;
    auto put = [&](std::string_view bytes) {
        if (used + bytes.size() > kWriteChunk) {
            if (!fs.WriteAll(fd, out.get(), used))
                return false;
            used = 0;
            if (bytes.size() >= kWriteChunk)
                return fs.WriteAll(fd, bytes.data(), bytes.size());
        }
        if (!bytes.empty())
            std::memcpy(out.get() + used, bytes.data(), bytes.size());
        used += bytes.size();
        return true;
    };
    const int count = LineCount();
    for (int i = 0; i < count; ++i) {
        const std::string_view text = LineText(i);
        if (!put(text))
            return false;
        written += static_cast<int64_t>(text.size());
        if (i + 1 < count) {
            if (!put(separator))
                return false;
            written += static_cast<int64_t>(separator.size());
        }
    }
    return fs.WriteAll(fd, out.get(), used);
}
