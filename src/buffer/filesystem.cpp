#include "buffer/filesystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "buffer/printable.h"

namespace {

class NativeFileSystem final : public FileSystem {
public:
    int Open(const char* path, int flags, mode_t mode) override {
        int fd;
        do {
            fd = ::open(path, flags | O_CLOEXEC, mode);
        } while (fd < 0 && errno == EINTR);
        return fd;
    }
    ssize_t Read(int fd, void* buf, size_t count) override {
        ssize_t n;
        do {
            n = ::read(fd, buf, count);
        } while (n < 0 && errno == EINTR);
        return n;
    }
    ssize_t Write(int fd, const void* buf, size_t count) override {
        ssize_t n;
        do {
            n = ::write(fd, buf, count);
        } while (n < 0 && errno == EINTR);
        return n;
    }
    int Fsync(int fd) override { return ::fsync(fd); }
    int Close(int fd) override { return ::close(fd); }
    int Fstat(int fd, struct stat* st) override { return ::fstat(fd, st); }
    int Stat(const char* path, struct stat* st) override { return ::stat(path, st); }
    int Lstat(const char* path, struct stat* st) override { return ::lstat(path, st); }
    ssize_t Readlink(const char* path, char* buf, size_t size) override {
        return ::readlink(path, buf, size);
    }
    int Access(const char* path, int mode) override {
        // Effective ids, as the open that follows will use them.
        return ::faccessat(AT_FDCWD, path, mode, AT_EACCESS);
    }
    int MkTemp(char* pathTemplate) override { return ::mkostemp(pathTemplate, O_CLOEXEC); }
    int Rename(const char* from, const char* to) override { return ::rename(from, to); }
    int Unlink(const char* path) override { return ::unlink(path); }
    int Fchmod(int fd, mode_t mode) override { return ::fchmod(fd, mode); }
    int Fchown(int fd, uid_t owner, gid_t group) override { return ::fchown(fd, owner, group); }
    int Ftruncate(int fd, off_t length) override { return ::ftruncate(fd, length); }
    mode_t Umask() override {
        // The mask can only be read by setting it; the editor is single-threaded here.
        const mode_t mask = ::umask(022);
        ::umask(mask);
        return mask;
    }
};

} // namespace

FileSystem& FileSystem::Native() {
    static NativeFileSystem native;
    return native;
}

int FileSystem::Fdatasync(int fd) {
    return ::fdatasync(fd);
}

int FileSystem::Mkdir(const char* path, mode_t mode) {
    return ::mkdir(path, mode);
}
ssize_t FileSystem::Pread(int fd, void* buf, size_t count, off_t offset) {
    ssize_t n;
    do {
        n = ::pread(fd, buf, count, offset);
    } while (n < 0 && errno == EINTR);
    return n;
}

int FileSystem::Flock(int fd, int operation) {
    int result;
    do {
        result = ::flock(fd, operation);
    } while (result < 0 && errno == EINTR);
    return result;
}

int FileSystem::ListFolder(const char* path, std::vector<std::string>& names) {
    DIR* dir = ::opendir(path);
    if (!dir)
        return -1;
    names.clear();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(dir);
    return 0;
}

ssize_t FileSystem::Listxattr(const char* path, char* list, size_t size) {
    return ::listxattr(path, list, size);
}
ssize_t FileSystem::Getxattr(const char* path, const char* name, void* value, size_t size) {
    return ::getxattr(path, name, value, size);
}
ssize_t FileSystem::Flistxattr(int fd, char* list, size_t size) {
    return ::flistxattr(fd, list, size);
}
int FileSystem::Fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) {
    return ::fsetxattr(fd, name, value, size, flags);
}
int FileSystem::Fremovexattr(int fd, const char* name) {
    return ::fremovexattr(fd, name);
}

bool FileSystem::WriteAll(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = Write(fd, bytes, size);
        if (n < 0)
            return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

std::string FileError::Message() const {
    std::string text = "Cannot " + operation + " " + PrintableFileName(path);
    if (errorNumber != 0) {
        text += ": ";
        text += std::strerror(errorNumber);
    } else if (!reason.empty()) {
        text += ": ";
        text += reason;
    }
    if (!keptPath.empty()) {
        text += targetRestored ? ".\nThe file still holds its old text."
                               : ".\nThe file may be incomplete.";
        text += " The new text is kept in " + PrintableFileName(keptPath) + ".";
    }
    return text;
}
