// save_driver [--as UID:GID:GROUP] FILE NEWTEXT: loads FILE, replaces its text with the bytes of
// NEWTEXT (lines joined with CR LF) and saves it through the real file layer, as the editor does.
// With --as, runs as that user with that group and one supplementary group (started as root).
// Right before the save it makes one getppid system call, so that a tracer can tell the save's
// system calls from those of start-up and loading.
//
// Exit status: 0 saved, 1 the save failed (the message on standard error), 2 anything else.
#include <grp.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "buffer/textbuffer.h"

int main(int argc, char** argv) {
    int arg = 1;
    if (argc == 5 && std::string_view(argv[1]) == "--as") {
        unsigned uid = 0;
        unsigned gid = 0;
        unsigned group = 0;
        if (std::sscanf(argv[2], "%u:%u:%u", &uid, &gid, &group) != 3)
            return 2;
        const gid_t groups[] = {static_cast<gid_t>(group)};
        if (::setgroups(1, groups) != 0 || ::setgid(static_cast<gid_t>(gid)) != 0 ||
            ::setuid(static_cast<uid_t>(uid)) != 0) {
            std::perror("save_driver: cannot change the user");
            return 2;
        }
        arg = 3;
    }
    if (argc - arg != 2) {
        std::fputs("usage: save_driver [--as UID:GID:GROUP] FILE NEWTEXT\n", stderr);
        return 2;
    }
    const std::string path = argv[arg];
    std::ifstream in(argv[arg + 1], std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CTextBuffer buffer;
    if (!in || !buffer.ReadFromFile(path, LineEndDos)) {
        std::fprintf(stderr, "save_driver: %s\n", buffer.LastFileError().Message().c_str());
        return 2;
    }
    const int last = buffer.LineCount() - 1;
    int endLine = 0;
    int endChar = 0;
    if (!buffer.DeleteRecorded(nullptr, 0, 0, last, buffer.LineLength(last), ActionDelete) ||
        !buffer.InsertRecorded(nullptr, 0, 0, text, endLine, endChar, ActionPaste))
        return 2;

    ::syscall(SYS_getppid); // the save begins
    if (!buffer.WriteToFile(path, LineEndAuto, true)) {
        const std::string message = buffer.LastFileError().Message() + "\n";
        (void)!::write(STDERR_FILENO, message.data(), message.size());
        return 1;
    }
    return 0;
}
