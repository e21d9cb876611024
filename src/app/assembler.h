// Running the assembler on a source file: the command line kept in the settings (section
// "Assembler", value "Command"; "%f" is the file name, "%e" the name without its extension, "%%"
// a percent sign), split into a program and its arguments the way a shell splits words (no shell
// runs, so no file name is ever read as shell syntax), and run in the file's folder by QProcess
// without blocking the window. Its output (standard output and error merged, in order) arrives
// line by line.
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <string_view>

namespace platform {
class Profile;
}

namespace app {

inline constexpr std::string_view kAssemblerSection = "Assembler";
inline constexpr std::string_view kAssemblerCommandEntry = "Command";

// The command used when the settings hold none: pasmo when it is installed, else z80asm when it
// is, else pasmo (whose absence is then reported when it runs).
std::string DefaultAssemblerCommand();
// The command of the settings, or the default when none is set.
std::string AssemblerCommandLine(const platform::Profile& profile);

struct AssemblerCommand {
    QString program;
    QStringList arguments;
};

// `commandLine` split into words (quotes and backslashes as a shell reads them) with the
// placeholders filled in inside each word, so a file name with spaces stays one argument. None
// when it holds no program.
std::optional<AssemblerCommand> ExpandAssemblerCommand(std::string_view commandLine,
                                                       const QString& fileName);

// The Debian package that holds `program` (a name or a path); empty when it is not one the editor
// knows.
std::string_view AssemblerPackage(const QString& program);

// The message that tells why `program` cannot run from `folder` (not installed, with the package
// to install when it is known); empty when it can be found.
std::string MissingAssemblerMessage(const QString& program, const QString& folder);

// One run of the assembler.
class AssemblerRun final : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Succeeded, Failed, Crashed, Stopped, NotStarted };

    explicit AssemblerRun(QObject* parent = nullptr);
    // A running assembler is killed.
    ~AssemblerRun() override;

    // Starts `command` in `folder`. The outcome arrives with Finished, also when it cannot start.
    void Start(const AssemblerCommand& command, const QString& folder);
    bool IsRunning() const;
    // Kills a running assembler; Finished follows with Outcome::Stopped.
    void Stop();

signals:
    // One line of output, without its line end, as soon as it is complete.
    void OutputLine(const QString& line);
    // `exitCode` for Succeeded and Failed; `reason` (the system's words) for NotStarted.
    void Finished(Outcome outcome, int exitCode, const QString& reason);

private:
    void ReadOutput(bool flush);
    void Done(int exitCode, QProcess::ExitStatus status);

    QProcess* process_ = nullptr;
    QByteArray pending_;
    bool stopping_ = false;
};

} // namespace app
