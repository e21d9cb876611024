// What tells a file apart from the same path at another time. A document keeps it from its last
// load or save to notice changes made by other programs, and a journal records it so that its
// replay knows whether the file still holds the text the journal was made for.
#pragma once

#include <cstdint>
#include <string>

#include "buffer/filesystem.h"

struct FileIdentity {
    bool exists = false;
    int64_t size = 0;
    int64_t mtimeNs = 0; // modification time, nanoseconds since the epoch
    uint64_t inode = 0;
    uint64_t device = 0;
    // Hashes of the first and of the last kHashedBlock bytes (the same block for a small file);
    // 0 when not read.
    uint64_t headHash = 0;
    uint64_t tailHash = 0;

    static constexpr int64_t kHashedBlock = 65536;

    // The same file, unchanged as far as the system tells: existence, size, modification time,
    // inode and device. A file replaced by another (a rename over it) differs in its inode.
    bool SameFile(const FileIdentity& other) const {
        return exists == other.exists &&
               (!exists || (size == other.size && mtimeNs == other.mtimeNs &&
                            inode == other.inode && device == other.device));
    }
    // The same bytes as far as the size and the hashes of both ends tell.
    bool SameContent(const FileIdentity& other) const {
        return exists && other.exists && size == other.size && headHash == other.headHash &&
               tailHash == other.tailHash;
    }
};

// The identity of the file at `path`, links followed; with `hashes`, its ends are read and hashed
// too. A missing file gives true with exists false; other failures give false with errno set.
bool ReadFileIdentity(FileSystem& fs, const std::string& path, bool hashes, FileIdentity& out);

// 64-bit FNV-1a of `size` bytes, continuing from `hash` (start with kFnvStart).
inline constexpr uint64_t kFnvStart = 0xcbf29ce484222325ull;
uint64_t FnvHash(const void* data, size_t size, uint64_t hash = kFnvStart);
