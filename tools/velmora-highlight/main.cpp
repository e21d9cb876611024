// velmora-highlight: prints Z80 source files with the editor's colouring, without a window.
// Each file is loaded with the editor's own loader, so its lines are split exactly as the editor
// splits them, and parsed line after line with the parser state carried over.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/resources/versioninfo.h"
#include "buffer/printable.h"
#include "buffer/textbuffer.h"
#include "render.h"
#include "syntax/z80parser.h"

namespace {

constexpr std::string_view kUsage =
    "Usage: velmora-highlight [--format=blocks|ansi|html] FILE...\n"
    "Prints Z80 source files coloured as Velmora Editor colours them.\n"
    "\n"
    "  --format=blocks  one line per source line: \"LINE: start:class ...\", LINE counted\n"
    "                   from 1, classes n, kw, cm, num, str, pp, op in block order\n"
    "  --format=ansi    the text in the default colours, with 24-bit terminal colours\n"
    "  --format=html    one standalone HTML page with the text in the default colours\n"
    "  --help           print this help and exit\n"
    "  --version        print the version and exit\n"
    "\n"
    "The default format is ansi when standard output is a terminal, blocks otherwise.\n"
    "With more than one file, each file's output is headed by its name (\"==> FILE <==\"\n"
    "in blocks and ansi, a heading in html). Tabs are shown four cells wide.\n"
    "A file that cannot be read is reported on standard error and skipped; the exit\n"
    "status is then 1. Bad usage gives status 2.\n";

void Flush(std::string& out) {
    if (!out.empty()) {
        std::fwrite(out.data(), 1, out.size(), stdout);
        out.clear();
    }
}

void Complain(std::string_view message) {
    std::fprintf(stderr, "velmora-highlight: %.*s\n", static_cast<int>(message.size()),
                 message.data());
}

// Writes one loaded file in `format`. Blocks go straight from the parser to the output, which is
// flushed as it grows, so memory stays bounded whatever the length of a line.
void WriteFile(const CTextBuffer& buffer, OutputFormat format, std::string& out) {
    LineWriter writer(format, out, Flush);
    uint32_t state = ParserStateInitial;
    for (int line = 0; line < buffer.LineCount(); ++line) {
        const std::string_view text = buffer.LineText(line);
        writer.Begin(line + 1, text);
        state = ColorizeZ80Line(state, text.data(), static_cast<int>(text.size()), writer);
        writer.End();
    }
}

} // namespace

int main(int argc, char** argv) {
    bool formatGiven = false;
    OutputFormat format = OutputFormat::Blocks;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (int k = 1; k < argc; ++k) {
        const std::string_view arg = argv[k];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            files.emplace_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
            return 0;
        } else if (arg == "--version") {
            const auto& version = app::kVersionInfo.fileVersion;
            std::printf("velmora-highlight (%.*s) %d.%d.%d\n",
                        static_cast<int>(app::kVersionInfo.fileDescription.size()),
                        app::kVersionInfo.fileDescription.data(), version[0], version[1],
                        version[2]);
            return 0;
        } else if (arg.substr(0, 9) == "--format=") {
            const std::string_view name = arg.substr(9);
            if (name == "blocks") {
                format = OutputFormat::Blocks;
            } else if (name == "ansi") {
                format = OutputFormat::Ansi;
            } else if (name == "html") {
                format = OutputFormat::Html;
            } else {
                Complain("unknown format \"" + PrintableFileName(name) +
                         "\" (use blocks, ansi or html)");
                return 2;
            }
            formatGiven = true;
        } else {
            Complain("unknown option \"" + PrintableFileName(arg) + "\"");
            std::fwrite(kUsage.data(), 1, kUsage.size(), stderr);
            return 2;
        }
    }
    if (files.empty()) {
        Complain("no file given");
        std::fwrite(kUsage.data(), 1, kUsage.size(), stderr);
        return 2;
    }
    if (!formatGiven && isatty(STDOUT_FILENO)) {
        format = OutputFormat::Ansi;
    }

    const bool headings = files.size() > 1;
    int status = 0;
    std::string out;
    if (format == OutputFormat::Html) {
        WriteHtmlStart(out, files.size() == 1 ? files.front() : "velmora-highlight");
    }
    for (const std::string& path : files) {
        CTextBuffer buffer;
        if (!buffer.ReadFromFile(path, LineEndAuto)) {
            Flush(out);
            std::fflush(stdout);
            // Names are shown with control bytes escaped, so no name can drive the terminal.
            std::string message = buffer.LastFileError().Message();
            if (message.find(PrintableFileName(path)) == std::string::npos) {
                message = PrintableFileName(path) + ": " + message;
            }
            Complain(message);
            status = 1;
            continue;
        }
        if (format == OutputFormat::Html) {
            WriteHtmlFileStart(out, path, headings);
        } else if (headings) {
            out += "==> " + PrintableFileName(path) + " <==\n";
        }
        WriteFile(buffer, format, out);
        if (format == OutputFormat::Html) {
            WriteHtmlFileEnd(out);
        }
    }
    if (format == OutputFormat::Html) {
        WriteHtmlEnd(out);
    }
    Flush(out);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Complain("cannot write the output");
        return 1;
    }
    return status;
}
