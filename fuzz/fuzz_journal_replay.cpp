// Input bytes become a journal left behind by an ended editor, which is then found and replayed
// onto a fresh buffer. Whatever the frames hold, nothing may crash, and a replayed buffer must be
// a valid text of at least one line.
//
// The fuzzer writes what input bytes would rarely hit by chance, so that the tries go to the
// frames themselves: the magic, a valid header (the first byte chooses an empty base, a snapshot
// base or a header taken from the input), each frame's kind, time, length and CRC. An input frame
// is one byte of kind, two bytes of length, then that many bytes of payload.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/journalformat.h"
#include "buffer/journalreplay.h"
#include "buffer/textbuffer.h"

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/velmora-fuzz-journal-XXXXXX";
        if (::access("/dev/shm", W_OK) == 0)
            pattern = "/dev/shm/velmora-fuzz-journal-XXXXXX";
        const char* made = ::mkdtemp(pattern.data());
        if (!made)
            std::abort();
        return std::string(made);
    }();
    return folder;
}

void AppendHeader(std::string& out, JournalBaseKind base) {
    FrameWriter header(JournalFrame::Header, 1);
    header.U32(kJournalVersion);
    header.U32(1);
    header.Str("fuzz");
    header.Str("");
    header.Str("untitled");
    header.U8(static_cast<uint8_t>(base));
    header.I32(LineEndUnix);
    header.U8(0);
    for (int k = 0; k < 6; ++k)
        header.U64(0);
    header.I32(-1);
    header.AppendTo(out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    std::string journal(kJournalMagic, sizeof kJournalMagic);
    const uint8_t mode = data[0] % 3;
    if (mode == 1)
        AppendHeader(journal, JournalBaseKind::Empty);
    else if (mode == 2)
        AppendHeader(journal, JournalBaseKind::Snapshot);
    size_t at = 1;
    while (at + 3 <= size) {
        const auto kind = static_cast<uint8_t>(data[at] % 9);
        const size_t length =
            std::min<size_t>(size_t{data[at + 1]} | size_t{data[at + 2]} << 8, size - at - 3);
        FrameWriter frame(static_cast<JournalFrame>(kind), 2);
        for (size_t k = 0; k < length; ++k)
            frame.U8(data[at + 3 + k]);
        frame.AppendTo(journal);
        at += 3 + length;
    }
    {
        std::ofstream out(Folder() + "/journal-fuzz", std::ios::binary | std::ios::trunc);
        out.write(journal.data(), static_cast<std::streamsize>(journal.size()));
    }
    std::vector<FoundJournal> found = FindLeftJournals(FileSystem::Native(), Folder());
    for (FoundJournal& j : found) {
        CheckJournalBase(FileSystem::Native(), j);
        CTextBuffer buffer;
        const ReplayResult result = ReplayJournal(FileSystem::Native(), j, buffer);
        if (result.replayed && buffer.LineCount() < 1)
            std::abort();
        ReleaseJournal(FileSystem::Native(), j, true);
    }
    ::unlink((Folder() + "/journal-fuzz").c_str());
    return 0;
}
