#include "buffer/filesaver.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kMaxLinkDepth = 40;
constexpr std::string_view kTempName = "/CREXXXXXX";

std::string DirName(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Syncs a folder, so that names created or renamed in it survive a crash. Returns 0 or an errno
// value. Folders that cannot be opened or synced (some file systems refuse) count as synced; only
// a reported I/O error does not.
int SyncFolder(FileSystem& fs, const std::string& dir) {
    const int fd = fs.Open(dir.c_str(), O_RDONLY | O_DIRECTORY, 0);
    if (fd < 0)
        return 0;
    const int synced = fs.Fsync(fd);
    const int err = errno;
    fs.Close(fd);
    if (synced != 0 && err != EINVAL && err != ENOTSUP && err != EROFS)
        return err;
    return 0;
}

// The names of a file's extended attributes (of `path`, or of `fd` when path is null). A file
// system without them has none. False with errno set when they cannot be read.
bool ListAttributes(FileSystem& fs, const char* path, int fd, std::vector<std::string>& names) {
    names.clear();
    std::string list;
    for (int attempt = 0; attempt < 8; ++attempt) {
        ssize_t n = path ? fs.Listxattr(path, nullptr, 0) : fs.Flistxattr(fd, nullptr, 0);
        if (n < 0)
            return errno == ENOTSUP || errno == ENOSYS;
        list.resize(static_cast<size_t>(n));
        if (n > 0)
            n = path ? fs.Listxattr(path, list.data(), list.size())
                     : fs.Flistxattr(fd, list.data(), list.size());
        if (n < 0 && errno == ERANGE)
            continue; // grew meanwhile
        if (n < 0)
            return false;
        list.resize(static_cast<size_t>(n));
        for (size_t at = 0; at < list.size();) {
            const size_t end = std::min(list.find('\0', at), list.size());
            if (end > at)
                names.push_back(list.substr(at, end - at));
            at = end + 1;
        }
        return true;
    }
    errno = ERANGE;
    return false;
}

bool ReadAttribute(FileSystem& fs, const char* path, const char* name, std::string& value) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        ssize_t n = fs.Getxattr(path, name, nullptr, 0);
        if (n < 0)
            return false;
        value.resize(static_cast<size_t>(n));
        if (n > 0)
            n = fs.Getxattr(path, name, value.data(), value.size());
        if (n < 0 && errno == ERANGE)
            continue;
        if (n < 0)
            return false;
        value.resize(static_cast<size_t>(n));
        return true;
    }
    errno = ERANGE;
    return false;
}

class Saver {
public:
    Saver(FileSystem& fs, const std::string& path, const TextWriter& write, FileError& error,
          const RewriteNotice& beforeRewrite)
        : fs_(fs), path_(path), write_(write), error_(error), beforeRewrite_(beforeRewrite) {}

    bool Run();
    // After an allocation failure: clean up as far as the state allows and report it.
    bool OutOfMemory();

private:
    bool Fail(int err, std::string_view operation, const std::string& what);
    bool ResolveTarget();
    bool CreateTemp(const std::string& dir);
    bool MakeTemp();
    // Closes and removes the temporary file and reports the failure (errno) of `operation`.
    bool Abandon(std::string_view operation);
    // Runs the text writer; an allocation failure in it is a failed write (ENOMEM), so that no
    // descriptor is left open.
    bool WriteText(int fd, int64_t& size);
    bool NewFileModeSet();
    bool SameMetadataGiven();
    bool AttributesCopied();
    bool Replace();
    bool RewriteInPlace();
    bool ReadOldBytes(std::string& bytes);
    bool WriteBack(const std::string& bytes);

    FileSystem& fs_;
    const std::string& path_;
    const TextWriter& write_;
    FileError& error_;
    const RewriteNotice& beforeRewrite_;
    std::string target_; // the file that holds the text: `path_` with symbolic links followed
    struct stat old_ {};
    bool exists_ = false;
    std::string temp_;
    int tempFd_ = -1;
    bool inPlace_ = false;
    bool targetTouched_ = false; // the in-place rewrite has opened the file for writing
};

bool Saver::Fail(int err, std::string_view operation, const std::string& what) {
    error_.errorNumber = err;
    error_.operation.assign(operation);
    error_.path = what;
    return false;
}

bool Saver::ResolveTarget() {
    std::string p = path_;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat st {};
        if (fs_.Lstat(p.c_str(), &st) != 0) {
            if (errno != ENOENT)
                return Fail(errno, "save", path_);
            target_ = p; // a new file, or a link pointing at one
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            target_ = p;
            return true;
        }
        char link[PATH_MAX];
        const ssize_t n = fs_.Readlink(p.c_str(), link, sizeof link);
        if (n < 0)
            return Fail(errno, "save", path_);
        if (n == 0 || static_cast<size_t>(n) >= sizeof link)
            return Fail(n == 0 ? ENOENT : ENAMETOOLONG, "save", path_);
        std::string next(link, static_cast<size_t>(n));
        p = next.front() == '/' ? next : DirName(p) + "/" + next;
    }
    return Fail(ELOOP, "save", path_);
}

bool Saver::CreateTemp(const std::string& dir) {
    temp_ = dir;
    temp_ += kTempName;
    tempFd_ = fs_.MkTemp(temp_.data());
    if (tempFd_ >= 0)
        return true;
    temp_.clear(); // no file of that name was made
    return false;
}

bool Saver::MakeTemp() {
    const std::string dir = DirName(target_);
    if (CreateTemp(dir))
        return true;
    const int err = errno;
    // A file the user may write in a folder the user may not: keep the copy elsewhere and write
    // the file in place. A new file cannot be made there at all.
    if (exists_ && (err == EACCES || err == EPERM)) {
        const std::string cache = UserCacheFolder(fs_);
        if (!cache.empty() && CreateTemp(cache)) {
            inPlace_ = true;
            return true;
        }
    }
    return Fail(err, "create a temporary file in", dir);
}

bool Saver::Abandon(std::string_view operation) {
    const int err = errno != 0 ? errno : EIO;
    if (tempFd_ >= 0)
        fs_.Close(tempFd_);
    tempFd_ = -1;
    fs_.Unlink(temp_.c_str());
    return Fail(err, operation, path_);
}

bool Saver::Run() {
    if (!ResolveTarget())
        return false;
    exists_ = fs_.Stat(target_.c_str(), &old_) == 0;
    if (!exists_ && errno != ENOENT)
        return Fail(errno, "save", path_);
    if (exists_) {
        if (!S_ISREG(old_.st_mode)) {
            error_.reason = "Not a regular file";
            return Fail(S_ISDIR(old_.st_mode) ? EISDIR : 0, "save", path_);
        }
        // Replacing the file through its folder would bypass its own permissions.
        if (fs_.Access(target_.c_str(), W_OK) != 0)
            return Fail(errno, "write", path_);
    }
    // Renaming would split a file with several names from its other names.
    inPlace_ = exists_ && old_.st_nlink > 1;
    if (!MakeTemp())
        return false;

    int64_t size = 0;
    if (!WriteText(tempFd_, size))
        return Abandon("write");
    if (!exists_) {
        if (!NewFileModeSet())
            return Abandon("set the permissions of");
    } else if (!inPlace_ && !SameMetadataGiven()) {
        inPlace_ = true;
    }
    if (fs_.Fsync(tempFd_) != 0)
        return Abandon("write");
    const int closed = fs_.Close(tempFd_);
    tempFd_ = -1;
    if (closed != 0)
        return Abandon("write");
    return inPlace_ ? RewriteInPlace() : Replace();
}

bool Saver::WriteText(int fd, int64_t& size) {
    try {
        return write_(fd, size);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return false;
    }
}

// A new file gets the mode the umask leaves; a mode that cannot be set fails the save unless the
// file already has it, as on file systems whose modes are fixed.
bool Saver::NewFileModeSet() {
    const mode_t mode = 0666 & ~fs_.Umask();
    if (fs_.Fchmod(tempFd_, mode) == 0)
        return true;
    const int err = errno;
    struct stat now {};
    if (fs_.Fstat(tempFd_, &now) == 0 && (now.st_mode & 07777) == mode)
        return true;
    errno = err;
    return false;
}

// Gives the temporary file the old file's owner, group, mode and extended attributes. False when
// the copy would differ from the file in any of them: the file is then written in place.
bool Saver::SameMetadataGiven() {
    // Owner first: changing it may clear set-id bits that the mode then restores. Only the
    // superuser may give a file away; a member of the file's group may still set the group.
    if (fs_.Fchown(tempFd_, old_.st_uid, old_.st_gid) != 0)
        fs_.Fchown(tempFd_, static_cast<uid_t>(-1), old_.st_gid);
    fs_.Fchmod(tempFd_, old_.st_mode & 07777); // checked below, with everything else
    // The access ACL is set after the mode, which it carries as well.
    if (!AttributesCopied())
        return false;
    struct stat now {};
    return fs_.Fstat(tempFd_, &now) == 0 && now.st_uid == old_.st_uid &&
           now.st_gid == old_.st_gid && (now.st_mode & 07777) == (old_.st_mode & 07777);
}

// Makes the temporary file's extended attributes (user.*, security.*, system.posix_acl_*, and
// trusted.* for the superuser) exactly the old file's: those the new file got from its folder and
// the old one lacks are removed, the old file's are copied.
bool Saver::AttributesCopied() {
    std::vector<std::string> oldNames;
    std::vector<std::string> newNames;
    if (!ListAttributes(fs_, target_.c_str(), -1, oldNames) ||
        !ListAttributes(fs_, nullptr, tempFd_, newNames))
        return false;
    for (const std::string& name : newNames) {
        if (std::find(oldNames.begin(), oldNames.end(), name) == oldNames.end() &&
            fs_.Fremovexattr(tempFd_, name.c_str()) != 0)
            return false;
    }
    std::string value;
    for (const std::string& name : oldNames) {
        if (!ReadAttribute(fs_, target_.c_str(), name.c_str(), value) ||
            fs_.Fsetxattr(tempFd_, name.c_str(), value.data(), value.size(), 0) != 0)
            return false;
    }
    return true;
}

bool Saver::Replace() {
    if (fs_.Rename(temp_.c_str(), target_.c_str()) != 0) {
        // A folder may refuse to replace this file (a sticky folder, a file mounted in place):
        // the copy is complete and synced, so write the file in place instead.
        if (errno != EPERM && errno != EACCES && errno != EBUSY)
            return Abandon("replace");
        inPlace_ = true;
        return RewriteInPlace();
    }
    // Make the rename itself durable.
    if (const int err = SyncFolder(fs_, DirName(target_)))
        return Fail(err, "store", path_);
    return true;
}

bool Saver::ReadOldBytes(std::string& bytes) {
    const int fd = fs_.Open(target_.c_str(), O_RDONLY, 0);
    if (fd < 0)
        return false;
    bytes.clear();
    bytes.reserve(static_cast<size_t>(std::max<off_t>(old_.st_size, 0)));
    char chunk[65536];
    for (;;) {
        const ssize_t n = fs_.Read(fd, chunk, sizeof chunk);
        if (n < 0) {
            const int err = errno;
            fs_.Close(fd);
            errno = err;
            return false;
        }
        if (n == 0)
            break;
        bytes.append(chunk, static_cast<size_t>(n));
    }
    fs_.Close(fd);
    return true;
}

// Puts the old bytes back after a failed in-place rewrite; true when they are back and synced.
bool Saver::WriteBack(const std::string& bytes) {
    const int fd = fs_.Open(target_.c_str(), O_WRONLY, 0);
    if (fd < 0)
        return false;
    const bool ok = fs_.WriteAll(fd, bytes.data(), bytes.size()) &&
                    fs_.Ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && fs_.Fsync(fd) == 0;
    return fs_.Close(fd) == 0 && ok;
}

bool Saver::RewriteInPlace() {
    // The temporary file is the safe copy of the new text until the rewrite is synced: its name
    // must survive a crash too.
    if (const int err = SyncFolder(fs_, DirName(temp_))) {
        errno = err;
        return Abandon("store");
    }
    // The old bytes, to put them back should the rewrite fail halfway.
    std::string oldBytes;
    if (!ReadOldBytes(oldBytes))
        return Abandon("read");
    if (beforeRewrite_)
        beforeRewrite_(temp_);
    const int fd = fs_.Open(target_.c_str(), O_WRONLY, 0);
    if (fd < 0)
        return Abandon("write");
    targetTouched_ = true;
    int64_t size = 0;
    bool ok =
        write_(fd, size) && fs_.Ftruncate(fd, static_cast<off_t>(size)) == 0 && fs_.Fsync(fd) == 0;
    int err = errno != 0 ? errno : EIO;
    if (fs_.Close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok) {
        fs_.Unlink(temp_.c_str()); // a leftover copy is harmless once the file holds the text
        return true;
    }
    Fail(err, "write", path_);
    error_.targetRestored = WriteBack(oldBytes);
    error_.keptPath = temp_;
    return false;
}

bool Saver::OutOfMemory() {
    errno = ENOMEM;
    if (targetTouched_ || temp_.empty()) {
        // Nothing to clean up, or the kept copy must stay.
        if (targetTouched_)
            error_.keptPath = temp_;
        return Fail(ENOMEM, "save", path_);
    }
    return Abandon("save");
}

} // namespace

bool SaveFile(FileSystem& fs, const std::string& path, const TextWriter& write, FileError& error,
              const RewriteNotice& beforeRewrite) {
    Saver saver(fs, path, write, error, beforeRewrite);
    try {
        return saver.Run();
    } catch (const std::bad_alloc&) {
        return saver.OutOfMemory();
    }
}

std::string UserCacheFolder(FileSystem& fs) {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/') {
            const passwd* user = ::getpwuid(::geteuid());
            home = user ? user->pw_dir : nullptr;
        }
        if (home == nullptr || home[0] != '/')
            return {};
        base = std::string(home) + "/.cache";
    }
    fs.Mkdir(base.c_str(), 0700); // usually there already
    std::string folder = base + "/velmora";
    if (fs.Mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    return folder;
}
