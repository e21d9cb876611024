#include "buffer/fileidentity.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

uint64_t FnvHash(const void* data, size_t size, uint64_t hash) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}

namespace {

// Reads up to `size` bytes at `offset`; false with errno on failure.
bool ReadAt(FileSystem& fs, int fd, char* buf, size_t size, off_t offset, size_t& got) {
    got = 0;
    while (got < size) {
        const ssize_t n = fs.Pread(fd, buf + got, size - got, offset + static_cast<off_t>(got));
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool ReadFileIdentity(FileSystem& fs, const std::string& path, bool hashes, FileIdentity& out) {
    out = FileIdentity{};
    struct stat st {};
    if (fs.Stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR;
    out.exists = true;
    out.size = st.st_size;
    out.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    out.inode = st.st_ino;
    out.device = st.st_dev;
    if (!hashes || !S_ISREG(st.st_mode))
        return true;
    const int fd = fs.Open(path.c_str(), O_RDONLY, 0);
    if (fd < 0)
        return false;
    const auto block = static_cast<size_t>(FileIdentity::kHashedBlock);
    auto buf = std::make_unique_for_overwrite<char[]>(block);
    size_t got = 0;
    bool ok = ReadAt(fs, fd, buf.get(), block, 0, got);
    if (ok) {
        out.headHash = FnvHash(buf.get(), got);
        out.tailHash = out.headHash;
        if (out.size > FileIdentity::kHashedBlock) {
            ok = ReadAt(fs, fd, buf.get(), block, out.size - FileIdentity::kHashedBlock, got);
            if (ok)
                out.tailHash = FnvHash(buf.get(), got);
        }
    }
    const int saved = errno;
    fs.Close(fd);
    errno = saved;
    return ok;
}
