// Any bytes, loaded in each line-end style (detected, CR LF, LF CR, LF) and saved back in the style
// they were loaded with, give the same bytes; the lines are those of the reference split. Aborts on
// the first difference.
//
// An input whose first byte is 0xFE gets 32,760 + (second byte % 16) bytes of 'x' put before the
// rest, so that the end of the block that decides the style is reached.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "../tests/buffer/buffer_model.h"
#include "buffer/textbuffer.h"

namespace {

// A fresh folder for one input, removed with its files when the input is done.
class Folder {
public:
    Folder() {
        std::string pattern = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                              std::string("/velmora-fuzz-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~Folder() {
        ::unlink(File("in.bin").c_str());
        ::unlink(File("out.bin").c_str());
        ::rmdir(path_.c_str());
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    std::string File(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteAll(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        std::abort();
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n <= 0)
            std::abort();
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    ::close(fd);
}

std::string ReadAll(const std::string& path) {
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        std::abort();
    char chunk[65536];
    ssize_t n;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0)
        bytes.append(chunk, static_cast<size_t>(n));
    ::close(fd);
    return bytes;
}

[[noreturn]] void Fail(const char* what, LineEndStyle style) {
    std::fprintf(stderr, "fuzz_file_roundtrip: %s (style %d)\n", what, style);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (size >= 2 && data[0] == 0xFE)
        bytes = std::string(32760 + data[1] % 16, 'x') + bytes.substr(2);
    const Folder folder;
    const std::string in = folder.File("in.bin");
    const std::string out = folder.File("out.bin");
    WriteAll(in, bytes);

    for (LineEndStyle style : {LineEndAuto, LineEndDos, LineEndUnix, LineEndMac}) {
        CTextBuffer buffer;
        if (!buffer.ReadFromFile(in, style))
            Fail("load failed", style);
        const LineEndStyle used = style == LineEndAuto ? bufmodel::DetectStyle(bytes) : style;
        if (buffer.GetLineEndStyle() != used)
            Fail("wrong style", style);
        const auto lines = bufmodel::SplitLikeLoader(bytes, bufmodel::Separator(used));
        if (static_cast<size_t>(buffer.LineCount()) != lines.size())
            Fail("wrong line count", style);
        for (int i = 0; i < buffer.LineCount(); ++i)
            if (buffer.LineText(i) != lines[static_cast<size_t>(i)])
                Fail("wrong line", style);
        if (!buffer.WriteToFile(out, LineEndAuto, true))
            Fail("save failed", style);
        if (ReadAll(out) != bytes)
            Fail("saved bytes differ", style);
    }
    return 0;
}
