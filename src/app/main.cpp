// The editor's program: the command line is read first (help, version and a wrong option need
// no display), then one application object on Qt starts with the files it names.
//
// The hidden option --exit-after-first-paint is for the start-up benchmark (bench/startup) and the
// command-line tests: once the document's text view has been painted in the visible main frame,
// the program prints "window: <title>" for each document window, in the order they were opened,
// then "first-paint-ms: <ms>" to stdout, and ends at once with status 0, without save questions
// or teardown. Without the option nothing here runs.
#include <QApplication>
#include <QEvent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "app/childframe.h"
#include "app/commandline.h"
#include "app/editorapp.h"
#include "app/mainframe.h"
#include "platform/qt/qt_window.h"

namespace {

// Milliseconds since the kernel created this process (fork, so exec, dynamic linking and static
// initialisers are included): /proc/self/stat's starttime, in clock ticks since boot, against
// CLOCK_BOOTTIME now. The start is rounded down to a whole tick (10 ms at the usual 100 ticks a
// second), so the figure can be up to one tick high. Negative when /proc cannot be read.
double MsSinceProcessStart() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    std::ifstream file("/proc/self/stat");
    std::string line;
    std::getline(file, line);
    // The command name in field 2 may hold spaces and parentheses; the fields after it do not.
    const size_t nameEnd = line.rfind(')');
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (nameEnd == std::string::npos || ticksPerSecond <= 0)
        return -1;
    std::istringstream fields(line.substr(nameEnd + 1));
    std::string field;
    for (int index = 3; index <= 22; ++index) // starttime is field 22
        if (!(fields >> field))
            return -1;
    const double startMs = static_cast<double>(std::strtoull(field.c_str(), nullptr, 10)) * 1000.0 /
                           static_cast<double>(ticksPerSecond);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6 -
           startMs;
}

// Watches every event of the application for the first paint of a created engine window (the
// document's text view) inside the visible main frame. The report is queued, so it runs after
// that paint and the flush of the main frame's backing store that follows it.
class FirstPaintProbe final : public QObject {
public:
    explicit FirstPaintProbe(const app::CEditorApp& editor) : editor_(editor) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (seen_ || event->type() != QEvent::Paint)
            return false;
        const auto* host = qobject_cast<platform::qt::QtWndHost*>(watched);
        const QWidget* frame = editor_.MainFrame();
        if (host && frame && host->IsCreated() && host->isVisible() && frame->isVisible() &&
            host->window() == frame) {
            seen_ = true;
            QMetaObject::invokeMethod(
                this, [this] { Report(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void Report() const {
        const double ms = MsSinceProcessStart();
        if (const app::CMainFrame* frame = editor_.MainFrame())
            for (const app::CChildFrame* child : frame->Children())
                std::printf("window: %s\n", child->windowTitle().toLocal8Bit().constData());
        std::printf("first-paint-ms: %.1f\n", ms);
        std::fflush(stdout);
        std::_Exit(0);
    }

    const app::CEditorApp& editor_;
    bool seen_ = false;
};

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + std::min(argc, 1), argv + argc);
    const app::CommandLine line = app::ParseCommandLine(arguments);
    switch (line.action) {
    case app::CommandLine::Action::Help:
        std::fputs(app::UsageText().c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case app::CommandLine::Action::Version:
        std::printf("%s\n", app::VersionText().c_str());
        return std::fflush(stdout) == 0 ? 0 : 1;
    case app::CommandLine::Action::Error:
        std::fprintf(stderr, "velmora: %s\n%s", line.error.c_str(), app::UsageText().c_str());
        return 2;
    case app::CommandLine::Action::Run:
        break;
    }

    // Only the toolkit's own options reach it, so no file name is ever taken for one of them.
    std::vector<std::string> toolkitStorage{argc > 0 ? argv[0] : "velmora"};
    toolkitStorage.insert(toolkitStorage.end(), line.toolkitArguments.begin(),
                          line.toolkitArguments.end());
    std::vector<char*> toolkitArgv;
    for (std::string& argument : toolkitStorage)
        toolkitArgv.push_back(argument.data());
    toolkitArgv.push_back(nullptr);
    int toolkitArgc = static_cast<int>(toolkitStorage.size());

    QApplication qtApp(toolkitArgc, toolkitArgv.data());
    QApplication::setOrganizationName("Ostrel");
    QApplication::setApplicationName("Velmora Editor");
    QApplication::setApplicationVersion(QString::fromStdString(app::VersionText()));
    // Ties the windows to the desktop entry (its icon and name in task bars).
    QGuiApplication::setDesktopFileName("velmora");
    QStringList files;
    for (const std::string& file : line.files)
        files.push_back(QString::fromLocal8Bit(file.c_str()));
    app::CEditorApp editor;
    FirstPaintProbe probe(editor);
    if (line.exitAfterFirstPaint)
        qtApp.installEventFilter(&probe);
    if (!editor.InitInstance(files))
        return 1;
    return QApplication::exec();
}
