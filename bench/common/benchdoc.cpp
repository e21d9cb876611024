#include "common/benchdoc.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "buffer/textbuffer.h"
#include "common/z80gen.h"

namespace bench {

BenchFile& BenchFile::Get() {
    static BenchFile file;
    return file;
}

BenchFile::BenchFile() {
    std::string base = "/dev/shm";
    if (::access(base.c_str(), W_OK) != 0) {
        const char* tmp = std::getenv("TMPDIR");
        base = tmp && *tmp ? tmp : "/tmp";
    }
    std::string pattern = base + "/velmora-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    dir_ = pattern;
    path_ = dir_ + "/z80.asm";
    double mb = 100;
    if (const char* env = std::getenv("VELMORA_BENCH_MB"))
        mb = std::atof(env);
    const std::string text = GenerateZ80Source(static_cast<size_t>(mb * 1024 * 1024));
    std::ofstream(path_, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    size_ = text.size();
}

BenchFile::~BenchFile() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

CTextBuffer& LoadedBuffer() {
    static std::unique_ptr<CTextBuffer> buffer = [] {
        auto b = std::make_unique<CTextBuffer>();
        if (!b->ReadFromFile(BenchFile::Get().Path(), LineEndAuto)) {
            std::fprintf(stderr, "load failed: %s\n", b->LastFileError().Message().c_str());
            std::exit(1);
        }
        return b;
    }();
    return *buffer;
}

} // namespace bench
