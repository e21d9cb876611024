#include "app/assembler.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <array>
#include <utility>

#include "app/qtresources.h"
#include "app/resources/resourceids.h"
#include "app/resources/strings.h"
#include "platform/profile.h"

namespace app {
namespace {

constexpr std::string_view kPasmoCommand = "pasmo %f %e.bin";
constexpr std::string_view kZ80asmCommand = "z80asm -o %e.bin %f";

// Assemblers that Debian packages, by program name.
constexpr std::array<std::pair<std::string_view, std::string_view>, 2> kPackages{{
    {"pasmo", "pasmo"},
    {"z80asm", "z80asm"},
}};

bool Installed(const char* program) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

// The words of `line` as a shell splits them: blanks separate words; '...' keeps everything
// literally; "..." keeps everything but a backslash before \, " or $; a backslash elsewhere
// keeps the next character. An unclosed quote runs to the end.
std::vector<std::string> SplitWords(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord)
                words.push_back(std::exchange(word, {}));
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\'') {
            const size_t end = line.find('\'', i + 1);
            const size_t stop = end == std::string_view::npos ? line.size() : end;
            word.append(line.substr(i + 1, stop - i - 1));
            i = stop;
        } else if (c == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\' && i + 1 < line.size() &&
                    (line[i + 1] == '\\' || line[i + 1] == '"' || line[i + 1] == '$'))
                    ++i;
                word += line[i];
            }
        } else if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
        } else {
            word += c;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

// `word` with %f, %e and %% filled in; any other % stays as it is.
QString FillPlaceholders(const std::string& word, const QString& fileName,
                         const QString& baseName) {
    QString out;
    const QString text = QString::fromStdString(word);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size()) {
            const QChar kind = text[i + 1];
            if (kind == u'f' || kind == u'e' || kind == u'%') {
                out += kind == u'f' ? fileName : kind == u'e' ? baseName : QStringLiteral("%");
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The program file `program` names when run from `folder`; empty when there is none.
QString ResolveProgram(const QString& program, const QString& folder) {
    if (program.contains(u'/')) {
        const QFileInfo info(QDir(folder), program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

} // namespace

std::string DefaultAssemblerCommand() {
    if (Installed("pasmo") || !Installed("z80asm"))
        return std::string(kPasmoCommand);
    return std::string(kZ80asmCommand);
}

std::string AssemblerCommandLine(const platform::Profile& profile) {
    std::string command = profile.GetProfileString(kAssemblerSection, kAssemblerCommandEntry, "");
    if (command.find_first_not_of(" \t") == std::string::npos)
        return DefaultAssemblerCommand();
    return command;
}

std::optional<AssemblerCommand> ExpandAssemblerCommand(std::string_view commandLine,
                                                       const QString& fileName) {
    const std::vector<std::string> words = SplitWords(commandLine);
    if (words.empty())
        return std::nullopt;
    const QString baseName = QFileInfo(fileName).completeBaseName();
    AssemblerCommand command;
    command.program = FillPlaceholders(words.front(), fileName, baseName);
    for (size_t i = 1; i < words.size(); ++i)
        command.arguments << FillPlaceholders(words[i], fileName, baseName);
    if (command.program.isEmpty())
        return std::nullopt;
    return command;
}

std::string_view AssemblerPackage(const QString& program) {
    const std::string name = QFileInfo(program).fileName().toStdString();
    for (const auto& [known, package] : kPackages)
        if (name == known)
            return package;
    return {};
}

std::string MissingAssemblerMessage(const QString& program, const QString& folder) {
    if (!ResolveProgram(program, folder).isEmpty())
        return {};
    const std::string name = program.toStdString();
    const std::string_view package = AssemblerPackage(program);
    if (!package.empty())
        return FillIn(FindString(IDS_ASSEMBLER_MISSING).value_or("%s"), {name, package, package});
    return FillIn(FindString(IDS_ASSEMBLER_NOT_FOUND).value_or("%s"), {name});
}

AssemblerRun::AssemblerRun(QObject* parent) : QObject(parent) {}

AssemblerRun::~AssemblerRun() {
    if (process_) {
        process_->disconnect(this);
        process_->kill();
        process_->waitForFinished(2000);
    }
}

bool AssemblerRun::IsRunning() const {
    return process_ != nullptr;
}

void AssemblerRun::Start(const AssemblerCommand& command, const QString& folder) {
    if (process_)
        return;
    const QString program = ResolveProgram(command.program, folder);
    pending_.clear();
    stopping_ = false;
    process_ = new QProcess(this);
    process_->setProgram(program.isEmpty() ? command.program : program);
    process_->setArguments(command.arguments);
    process_->setWorkingDirectory(folder);
    process_->setProcessChannelMode(QProcess::MergedChannels);
    connect(process_, &QProcess::readyReadStandardOutput, this, [this] { ReadOutput(false); });
    connect(process_, &QProcess::finished, this, &AssemblerRun::Done);
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart || !process_)
            return;
        const QString reason = process_->errorString();
        process_->deleteLater();
        process_ = nullptr;
        emit Finished(Outcome::NotStarted, -1, reason);
    });
    process_->start(QIODevice::ReadOnly);
}

void AssemblerRun::Stop() {
    if (!process_)
        return;
    stopping_ = true;
    process_->kill();
}

void AssemblerRun::ReadOutput(bool flush) {
    if (process_)
        pending_ += process_->readAllStandardOutput();
    qsizetype start = 0;
    for (qsizetype end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n', start)) {
        qsizetype stop = end;
        if (stop > start && pending_[stop - 1] == '\r')
            --stop;
        emit OutputLine(QString::fromLocal8Bit(pending_.constData() + start, stop - start));
        start = end + 1;
    }
    pending_.remove(0, start);
    if (flush && !pending_.isEmpty()) {
        emit OutputLine(QString::fromLocal8Bit(pending_));
        pending_.clear();
    }
}

void AssemblerRun::Done(int exitCode, QProcess::ExitStatus status) {
    ReadOutput(true);
    Outcome outcome = Outcome::Succeeded;
    if (stopping_)
        outcome = Outcome::Stopped;
    else if (status == QProcess::CrashExit)
        outcome = Outcome::Crashed;
    else if (exitCode != 0)
        outcome = Outcome::Failed;
    process_->deleteLater();
    process_ = nullptr;
    emit Finished(outcome, exitCode, {});
}

} // namespace app
