// The editor's program: one application object on Qt, started with the command line.
//
// The hidden option --exit-after-first-paint (any position; it is not passed on as a file) is
// for the start-up benchmark (bench/startup): once the document's text view has been painted in
// the visible main frame, the program prints "first-paint-ms: <ms>" to stdout and ends at once
// with status 0, without save questions or teardown. Without the option nothing here runs.
#include <QApplication>
#include <QEvent>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "app/editorapp.h"
#include "app/mainframe.h"
#include "platform/qt/qt_window.h"

namespace {

constexpr const char* kExitAfterFirstPaint = "--exit-after-first-paint";

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
            QMetaObject::invokeMethod(this, &FirstPaintProbe::Report, Qt::QueuedConnection);
        }
        return false;
    }

private:
    static void Report() {
        std::printf("first-paint-ms: %.1f\n", MsSinceProcessStart());
        std::fflush(stdout);
        std::_Exit(0);
    }

    const app::CEditorApp& editor_;
    bool seen_ = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication qtApp(argc, argv);
    QApplication::setOrganizationName("Ostrel");
    QApplication::setApplicationName("Velmora Editor");
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const bool exitAfterFirstPaint = arguments.removeAll(kExitAfterFirstPaint) > 0;
    app::CEditorApp editor;
    FirstPaintProbe probe(editor);
    if (exitAfterFirstPaint)
        qtApp.installEventFilter(&probe);
    if (!editor.InitInstance(arguments))
        return 1;
    return QApplication::exec();
}
