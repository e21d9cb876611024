// velmora-gen OUT [MB]: writes MB megabytes (default 100) of generated Z80 source to OUT.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/z80gen.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: velmora-gen OUT [MB]\n");
        return 2;
    }
    const double megabytes = argc == 3 ? std::atof(argv[2]) : 100.0;
    if (!(megabytes > 0)) {
        std::fprintf(stderr, "velmora-gen: MB must be a positive number\n");
        return 2;
    }
    const std::string text = GenerateZ80Source(static_cast<size_t>(megabytes * 1024 * 1024));
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (std::fclose(out) != 0 || !written) {
        std::perror(argv[1]);
        return 1;
    }
    size_t lines = 1;
    for (char c : text)
        lines += c == '\n';
    std::printf("%s: %zu bytes, %zu lines\n", argv[1], text.size(), lines);
    return 0;
}
