// Helpers shared by the buffer tests: temporary folders on a RAM disk, whole-file reads and writes,
// a view that records what the buffer tells it, and a file layer that fails chosen calls.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/bufferview.h"
#include "buffer/filesystem.h"
#include "buffer/textbuffer.h"

namespace buftest {

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir() {
        std::string base = "/dev/shm";
        if (::access(base.c_str(), W_OK) != 0) {
            const char* tmp = std::getenv("TMPDIR");
            base = tmp && *tmp ? tmp : "/tmp";
        }
        std::string pattern = base + "/velmora-buffer-XXXXXX";
        if (char* made = ::mkdtemp(pattern.data()))
            path_ = made;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

    // Names in the folder that start with "CRE": leftovers of a save.
    std::vector<std::string> TempLeftovers() const { return Leftovers(path_); }
    static std::vector<std::string> Leftovers(const std::string& folder) {
        std::vector<std::string> found;
        if (DIR* dir = ::opendir(folder.c_str())) {
            while (dirent* entry = ::readdir(dir)) {
                if (std::string_view(entry->d_name).starts_with("CRE"))
                    found.emplace_back(entry->d_name);
            }
            ::closedir(dir);
        }
        return found;
    }

private:
    std::string path_;
};

inline bool WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// The descriptors this process holds open, from /proc/self/fd (the listing's own excluded).
inline std::set<int> OpenFds() {
    std::set<int> fds;
    DIR* dir = ::opendir("/proc/self/fd");
    if (dir == nullptr)
        return fds;
    const int own = ::dirfd(dir);
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const int fd = std::atoi(entry->d_name);
        if (fd != own)
            fds.insert(fd);
    }
    ::closedir(dir);
    return fds;
}

inline std::vector<std::string> Lines(const CTextBuffer& buffer) {
    std::vector<std::string> lines;
    for (int i = 0; i < buffer.LineCount(); ++i)
        lines.emplace_back(buffer.LineText(i));
    return lines;
}

// Readable form of bytes for failure messages.
inline std::string Escaped(std::string_view bytes) {
    std::ostringstream out;
    for (unsigned char c : bytes) {
        if (c == '\r')
            out << "\\r";
        else if (c == '\n')
            out << "\\n";
        else if (c < 32 || c >= 127)
            out << "\\x"
                << "0123456789abcdef"[c >> 4] << "0123456789abcdef"[c & 15];
        else
            out << c;
    }
    return out.str();
}

// A buffer holding `lines` (joined with CR, so no line may hold a CR), unmodified, no history.
inline void Fill(CTextBuffer& buffer, const std::vector<std::string>& lines) {
    buffer.ReleaseContents();
    buffer.ResetToEmpty(LineEndDos);
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i)
        joined += (i ? "\r" : "") + lines[i];
    int endLine = 0;
    int endChar = 0;
    buffer.ApplyInsert(nullptr, 0, 0, joined, endLine, endChar);
    buffer.MarkModified(false);
}

struct SeenNote {
    CBufferView* source = nullptr;
    bool hasAdjuster = false;
    bool insertion = false;
    TextPosition start;
    TextPosition end;
    uint32_t hints = 0;
    int line = 0;
};

// Records every notification, moves its positions with each adjuster and runs an optional reaction
// when its undo group closes.
class RecordingView : public CBufferView {
public:
    void OnBufferChanged(CBufferView* source, const PositionAdjuster* adjuster, uint32_t hints,
                         int line) override {
        SeenNote note;
        note.source = source;
        note.hints = hints;
        note.line = line;
        if (adjuster) {
            note.hasAdjuster = true;
            note.insertion = dynamic_cast<const InsertAdjuster*>(adjuster) != nullptr;
            note.start = adjuster->start;
            note.end = adjuster->end;
            for (TextPosition& p : positions)
                adjuster->AdjustPosition(p);
        }
        notes.push_back(note);
    }

    void AfterEditAction(EditAction action, std::string_view text) override {
        hooks.emplace_back(action, std::string(text));
        if (onAfterEdit)
            onAfterEdit(action, text);
    }

    std::vector<SeenNote> notes;
    std::vector<TextPosition> positions;
    std::vector<std::pair<EditAction, std::string>> hooks;
    std::function<void(EditAction, std::string_view)> onAfterEdit;
};

// The kinds of call a FaultyFs can fail. A directory's fsync and an access check for writing are
// kinds of their own, so a test can fail them alone.
enum class Call {
    Open,
    Read,
    Write,
    Fsync,
    FsyncDir,
    Close,
    Fstat,
    Stat,
    Lstat,
    Readlink,
    Access,
    AccessWrite,
    MkTemp,
    Rename,
    Unlink,
    Fchmod,
    Fchown,
    Ftruncate,
    Mkdir,
    Listxattr,
    Getxattr,
    Flistxattr,
    Fsetxattr,
    Fremovexattr,
    Count
};

inline const char* CallName(Call call) {
    static constexpr std::array<const char*, static_cast<size_t>(Call::Count)> names{
        "Open",   "Read",      "Write",    "Fsync",      "FsyncDir",  "Close",
        "Fstat",  "Stat",      "Lstat",    "Readlink",   "Access",    "AccessWrite",
        "MkTemp", "Rename",    "Unlink",   "Fchmod",     "Fchown",    "Ftruncate",
        "Mkdir",  "Listxattr", "Getxattr", "Flistxattr", "Fsetxattr", "Fremovexattr"};
    return names[static_cast<size_t>(call)];
}

// Delegates to the real file layer and fails the chosen call: the nth call of its kind (1-based),
// or every call of that kind from the nth on when `sticky`. A write fault with `shortCount` >= 0
// writes at most that many bytes and reports them instead of failing.
class FaultyFs : public FileSystem {
public:
    struct Fault {
        Call call = Call::Count;
        int nth = 1;
        int error = EIO;
        bool sticky = false;
        ssize_t shortCount = -1;
    };

    std::vector<Fault> faults;
    std::array<int, static_cast<size_t>(Call::Count)> calls{};
    std::vector<std::string> log;       // "Kind path-or-fd" of every call, for failure messages
    std::vector<std::string> templates; // the templates MkTemp was given
    std::function<void(Call, const char*)> before; // runs before the real call
    size_t readLimit = 0; // when not 0, no read returns more bytes than this

    int Count(Call call) const { return calls[static_cast<size_t>(call)]; }
    std::string Log() const {
        std::string text;
        for (const std::string& entry : log)
            text += entry + "\n";
        return text;
    }

    int Open(const char* path, int flags, mode_t mode) override {
        if (const Fault* f = Hit(Call::Open, path))
            return Refuse(*f);
        int fd = Native().Open(path, flags, mode);
        struct stat st;
        if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
            dirFds_.insert(fd);
        return fd;
    }
    ssize_t Read(int fd, void* buf, size_t count) override {
        if (const Fault* f = Hit(Call::Read, fd))
            return Refuse(*f);
        return Native().Read(fd, buf, readLimit ? std::min(count, readLimit) : count);
    }
    ssize_t Write(int fd, const void* buf, size_t count) override {
        if (const Fault* f = Hit(Call::Write, fd)) {
            if (f->shortCount < 0)
                return Refuse(*f);
            return Native().Write(fd, buf, std::min(count, static_cast<size_t>(f->shortCount)));
        }
        return Native().Write(fd, buf, count);
    }
    int Fsync(int fd) override {
        Call kind = dirFds_.count(fd) ? Call::FsyncDir : Call::Fsync;
        if (const Fault* f = Hit(kind, fd))
            return Refuse(*f);
        return Native().Fsync(fd);
    }
    int Close(int fd) override {
        dirFds_.erase(fd);
        if (const Fault* f = Hit(Call::Close, fd)) {
            Native().Close(fd); // a failed close still releases the descriptor
            return Refuse(*f);
        }
        return Native().Close(fd);
    }
    int Fstat(int fd, struct stat* st) override {
        if (const Fault* f = Hit(Call::Fstat, fd))
            return Refuse(*f);
        return Native().Fstat(fd, st);
    }
    int Stat(const char* path, struct stat* st) override {
        if (const Fault* f = Hit(Call::Stat, path))
            return Refuse(*f);
        return Native().Stat(path, st);
    }
    int Lstat(const char* path, struct stat* st) override {
        if (const Fault* f = Hit(Call::Lstat, path))
            return Refuse(*f);
        return Native().Lstat(path, st);
    }
    ssize_t Readlink(const char* path, char* buf, size_t size) override {
        if (const Fault* f = Hit(Call::Readlink, path))
            return Refuse(*f);
        return Native().Readlink(path, buf, size);
    }
    int Access(const char* path, int mode) override {
        if (const Fault* f = Hit((mode & W_OK) ? Call::AccessWrite : Call::Access, path))
            return Refuse(*f);
        return Native().Access(path, mode);
    }
    int MkTemp(char* pathTemplate) override {
        templates.emplace_back(pathTemplate);
        if (const Fault* f = Hit(Call::MkTemp, pathTemplate))
            return Refuse(*f);
        int fd = Native().MkTemp(pathTemplate);
        log.back() += std::string(" -> ") + pathTemplate;
        return fd;
    }
    int Rename(const char* from, const char* to) override {
        if (const Fault* f = Hit(Call::Rename, to))
            return Refuse(*f);
        return Native().Rename(from, to);
    }
    int Unlink(const char* path) override {
        if (const Fault* f = Hit(Call::Unlink, path))
            return Refuse(*f);
        return Native().Unlink(path);
    }
    int Fchmod(int fd, mode_t mode) override {
        if (const Fault* f = Hit(Call::Fchmod, fd))
            return Refuse(*f);
        return Native().Fchmod(fd, mode);
    }
    int Fchown(int fd, uid_t owner, gid_t group) override {
        if (const Fault* f = Hit(Call::Fchown, fd))
            return Refuse(*f);
        return Native().Fchown(fd, owner, group);
    }
    int Ftruncate(int fd, off_t length) override {
        if (const Fault* f = Hit(Call::Ftruncate, fd))
            return Refuse(*f);
        return Native().Ftruncate(fd, length);
    }
    mode_t Umask() override { return Native().Umask(); }
    int Mkdir(const char* path, mode_t mode) override {
        if (const Fault* f = Hit(Call::Mkdir, path))
            return Refuse(*f);
        return Native().Mkdir(path, mode);
    }
    ssize_t Listxattr(const char* path, char* list, size_t size) override {
        if (const Fault* f = Hit(Call::Listxattr, path))
            return Refuse(*f);
        return Native().Listxattr(path, list, size);
    }
    ssize_t Getxattr(const char* path, const char* name, void* value, size_t size) override {
        if (const Fault* f = Hit(Call::Getxattr, std::string(path) + " " + name))
            return Refuse(*f);
        return Native().Getxattr(path, name, value, size);
    }
    ssize_t Flistxattr(int fd, char* list, size_t size) override {
        if (const Fault* f = Hit(Call::Flistxattr, fd))
            return Refuse(*f);
        return Native().Flistxattr(fd, list, size);
    }
    int Fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) override {
        if (const Fault* f = Hit(Call::Fsetxattr, "fd " + std::to_string(fd) + " " + name))
            return Refuse(*f);
        return Native().Fsetxattr(fd, name, value, size, flags);
    }
    int Fremovexattr(int fd, const char* name) override {
        if (const Fault* f = Hit(Call::Fremovexattr, "fd " + std::to_string(fd) + " " + name))
            return Refuse(*f);
        return Native().Fremovexattr(fd, name);
    }

private:
    const Fault* Hit(Call call, const char* path) { return Hit(call, std::string(path)); }
    const Fault* Hit(Call call, int fd) { return Hit(call, "fd " + std::to_string(fd)); }
    const Fault* Hit(Call call, const std::string& what) {
        int n = ++calls[static_cast<size_t>(call)];
        log.push_back(std::string(CallName(call)) + " " + what);
        if (before)
            before(call, what.c_str());
        for (const Fault& f : faults) {
            if (f.call == call && (n == f.nth || (f.sticky && n > f.nth))) {
                log.back() += f.shortCount >= 0 ? " (short)" : " (failed)";
                return &f;
            }
        }
        return nullptr;
    }
    static int Refuse(const Fault& f) {
        errno = f.error;
        return -1;
    }

    std::set<int> dirFds_;
};

} // namespace buftest
