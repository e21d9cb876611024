#include "app/commandline.h"

#include <algorithm>
#include <array>

#include "app/resources/versioninfo.h"

namespace app {
namespace {

constexpr std::string_view kExitAfterFirstPaint = "--exit-after-first-paint";

// Options every Qt program accepts, with a value or without one. They may be written with one
// dash or two, and a value also as "-option=value".
constexpr auto kToolkitOptionsWithValue = std::to_array<std::string_view>({
    "platform",
    "platformpluginpath",
    "platformtheme",
    "plugin",
    "qwindowgeometry",
    "geometry",
    "qwindowtitle",
    "title",
    "qwindowicon",
    "icon",
    "session",
    "style",
    "stylesheet",
    "display",
    "name",
    "visual",
});
constexpr auto kToolkitFlags = std::to_array<std::string_view>({
    "reverse",
    "widgetcount",
    "nograb",
    "dograb",
    "sync",
});

template <size_t N>
bool Contains(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

CommandLine ParseCommandLine(std::span<const std::string_view> arguments) {
    CommandLine line;
    bool optionsEnded = false;
    for (size_t k = 0; k < arguments.size(); ++k) {
        const std::string_view arg = arguments[k];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            line.files.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (arg == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        }
        if (arg == kExitAfterFirstPaint) {
            line.exitAfterFirstPaint = true;
            continue;
        }
        std::string_view name = arg.substr(arg[1] == '-' ? 2 : 1);
        const size_t equals = name.find('=');
        const bool valueAttached = equals != std::string_view::npos;
        if (valueAttached)
            name = name.substr(0, equals);
        if (Contains(kToolkitOptionsWithValue, name)) {
            if (!valueAttached && k + 1 == arguments.size()) {
                line.action = CommandLine::Action::Error;
                line.error = "option '" + std::string(arg) + "' needs a value";
                return line;
            }
            line.toolkitArguments.emplace_back(arg);
            if (!valueAttached)
                line.toolkitArguments.emplace_back(arguments[++k]);
            continue;
        }
        if (Contains(kToolkitFlags, name) && !valueAttached) {
            line.toolkitArguments.emplace_back(arg);
            continue;
        }
        line.action = CommandLine::Action::Error;
        line.error = "unknown option '";
        line.error += arg;
        line.error += '\'';
        return line;
    }
    return line;
}

std::string UsageText() {
    return "Usage: velmora [OPTION]... [FILE]...\n"
           "Edits Z80 assembly-language source files, each FILE in a window of its own.\n"
           "With no FILE, a new empty document opens.\n"
           "\n"
           "  -h, --help     print this help and exit\n"
           "      --version  print the version and exit\n"
           "      --         take every later argument as a FILE\n"
           "\n"
           "The toolkit's own options (-platform, -display, -style, ...) are passed on to Qt.\n"
           "A FILE that cannot be opened is reported and the others still open; the exit\n"
           "status is 1 when none could be opened, 2 for a wrong option.\n";
}

std::string VersionText() {
    const auto& version = kVersionInfo.fileVersion;
    std::string text(kVersionInfo.fileDescription);
    text += ' ';
    text += std::to_string(version[0]);
    text += '.';
    text += std::to_string(version[1]);
    text += '.';
    text += std::to_string(version[2]);
    return text;
}

} // namespace app
