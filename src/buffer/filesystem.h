// The file layer the buffer loads and saves through. Each call has the POSIX contract of the call
// of the same name: -1 (or a negative count) with errno set on failure. Tests substitute a layer
// that fails chosen calls, so that every failure path can be exercised even when running as root.
// The calls below the first group make the real system call unless a layer overrides them.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual int Open(const char* path, int flags, mode_t mode) = 0;
    virtual ssize_t Read(int fd, void* buf, size_t count) = 0;
    virtual ssize_t Write(int fd, const void* buf, size_t count) = 0;
    virtual int Fsync(int fd) = 0;
    virtual int Close(int fd) = 0;
    virtual int Fstat(int fd, struct stat* st) = 0;
    virtual int Stat(const char* path, struct stat* st) = 0;
    virtual int Lstat(const char* path, struct stat* st) = 0;
    virtual ssize_t Readlink(const char* path, char* buf, size_t size) = 0;
    virtual int Access(const char* path, int mode) = 0;
    // Creates and opens a new unique file from a template ending in "XXXXXX" (mkstemp).
    virtual int MkTemp(char* pathTemplate) = 0;
    virtual int Rename(const char* from, const char* to) = 0;
    virtual int Unlink(const char* path) = 0;
    virtual int Fchmod(int fd, mode_t mode) = 0;
    virtual int Fchown(int fd, uid_t owner, gid_t group) = 0;
    virtual int Ftruncate(int fd, off_t length) = 0;
    virtual mode_t Umask() = 0; // the process's file creation mask, left unchanged

    virtual int Mkdir(const char* path, mode_t mode);
    // pread(2): reads at `offset` without moving the file position.
    virtual ssize_t Pread(int fd, void* buf, size_t count, off_t offset);
    // flock(2): an advisory lock on an open file, released when the process ends however it ends.
    virtual int Flock(int fd, int operation);
    // fdatasync(2): syncs the file's bytes and what is needed to read them back (its size), not
    // its times. Safe to call from another thread than the file's writer.
    virtual int Fdatasync(int fd);
    // The names in a folder, "." and ".." left out; -1 with errno when it cannot be read.
    virtual int ListFolder(const char* path, std::vector<std::string>& names);
    // Extended attributes (ACLs included): of a path, following symbolic links, or of an open file.
    virtual ssize_t Listxattr(const char* path, char* list, size_t size);
    virtual ssize_t Getxattr(const char* path, const char* name, void* value, size_t size);
    virtual ssize_t Flistxattr(int fd, char* list, size_t size);
    virtual int Fsetxattr(int fd, const char* name, const void* value, size_t size, int flags);
    virtual int Fremovexattr(int fd, const char* name);

    // Writes all of `data`, going on after short writes; a write that makes no progress is a full
    // disk (ENOSPC).
    bool WriteAll(int fd, const void* data, size_t size);

    // The layer every buffer uses unless told otherwise: the real system calls.
    static FileSystem& Native();
};

// Why the last load or save failed: the step that failed and the system's error number.
struct FileError {
    int errorNumber = 0;   // errno, 0 when the last operation succeeded
    std::string operation; // what was being done, e.g. "write", "rename"
    std::string path;      // the file concerned
    std::string reason;    // used instead of the system's text when errorNumber is 0
    // A save that failed while rewriting the file in place keeps the complete new text in this
    // file; empty otherwise. `targetRestored` tells whether the file got its old text back.
    std::string keptPath;
    bool targetRestored = false;

    // Sentences for the user, such as "Cannot write /home/a/x.asm: No space left on device", and
    // where the new text is kept when it is. File names are shown with control bytes escaped.
    std::string Message() const;
};
