// The text the file and view benchmarks run on: the generated Z80 source of VELMORA_BENCH_MB
// megabytes (100 when unset), written once per run into a fresh folder on a RAM disk (/dev/shm,
// else TMPDIR, else /tmp) that is removed at exit, and one buffer loaded from it.
#pragma once

#include <cstddef>
#include <string>

class CTextBuffer;

namespace bench {

class BenchFile {
public:
    // Writes the file on the first call; exits the program when it cannot make the folder.
    static BenchFile& Get();

    const std::string& Path() const { return path_; }
    const std::string& Folder() const { return dir_; }
    size_t Size() const { return size_; }

    BenchFile(const BenchFile&) = delete;
    BenchFile& operator=(const BenchFile&) = delete;
    ~BenchFile();

private:
    BenchFile();

    std::string dir_;
    std::string path_;
    size_t size_ = 0;
};

// The buffer loaded from BenchFile on the first call, shared by every benchmark of the run that
// only needs a big text; exits the program when the load fails.
CTextBuffer& LoadedBuffer();

} // namespace bench
