// The editor's command line: options, the toolkit's own options, and the files to open. Read
// before the toolkit starts, so that --help, --version and a wrong option need no display.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace app {

struct CommandLine {
    enum class Action : uint8_t {
        Run,     // start the editor on `files`
        Help,    // print the usage to stdout, exit 0
        Version, // print the version to stdout, exit 0
        Error,   // print `error` and the usage to stderr, exit 2
    };

    Action action = Action::Run;
    // The files to open, each in a window of its own, in the order given.
    std::vector<std::string> files;
    // The toolkit's own options with their values ("-platform", "xcb", "-style=fusion", ...), in
    // the order given; only these reach the toolkit.
    std::vector<std::string> toolkitArguments;
    // The start-up benchmark's hidden --exit-after-first-paint.
    bool exitAfterFirstPaint = false;
    // One line naming the offending argument, for Action::Error.
    std::string error;
};

// Reads `arguments` (those after the program's name) from left to right: the first of -h/--help,
// --version or an unknown option decides the action; "--" makes every later argument a file,
// as is "-" and anything not starting with '-'.
CommandLine ParseCommandLine(std::span<const std::string_view> arguments);

// The usage text, ending in a newline.
std::string UsageText();
// "Velmora Editor 1.1.2": the program's description and version from the version resource.
std::string VersionText();

} // namespace app
