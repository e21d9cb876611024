#include "app/journalmanager.h"

#include <sys/stat.h>

#include <QDateTime>
#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>

#include "app/sampledoc.h"
#include "app/uiservices.h"
#include "buffer/printable.h"

namespace app {
namespace {

std::string FormatTime(int64_t ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString("yyyy-MM-dd HH:mm").toStdString();
}

// How a journal's document is named in a question: its file, or the name of a new document.
std::string DocumentName(const JournalHeader& header) {
    return header.path.empty() ? "the new document " + PrintableFileName(header.title)
                               : PrintableFileName(header.path);
}

std::string DocumentName(const CSampleDoc& doc) {
    return PrintableFileName(doc.PathName().empty() ? doc.Title() : doc.PathName());
}

} // namespace

std::string JournalManager::DefaultFolder() {
    // A relative XDG_STATE_HOME is to be ignored, as the base directory rules say.
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/')
        return std::string(state) + "/velmora";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/state/velmora";
}

JournalManager::JournalManager(UiServices& ui, Hooks hooks, std::string folder)
    : ui_(ui), hooks_(std::move(hooks)), folder_(folder.empty() ? DefaultFolder() : folder) {
    timer_.setSingleShot(true);
    timer_.setInterval(1000);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &context_, [this] { FlushAll(); });
    // Whatever waits goes out as soon as the user turns to another program.
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QObject::connect(gui, &QGuiApplication::applicationStateChanged, &context_,
                         [this](Qt::ApplicationState state) {
                             if (state != Qt::ApplicationActive)
                                 FlushAll();
                         });
}

JournalManager::~JournalManager() {
    // The writers (and their sync threads) go before the timer and its context.
    writers_.clear();
}

JournalBase JournalManager::BaseOf(const CSampleDoc& doc, JournalBaseKind fileKind) const {
    JournalBase base;
    base.path = doc.PathName();
    base.title = doc.Title();
    base.identity = doc.KnownFile();
    if (base.path.empty())
        base.kind = JournalBaseKind::Empty;
    else
        base.kind = base.identity.exists ? fileKind : JournalBaseKind::Snapshot;
    return base;
}

void JournalManager::Attach(CSampleDoc& doc) {
    JournalWriter::Options options;
    options.folder = folder_;
    options.onPending = [this] {
        if (!timer_.isActive())
            timer_.start();
    };
    CSampleDoc* raw = &doc;
    options.onError = [this, raw](const FileError& error) {
        ReportLater("The unsaved changes to " + DocumentName(*raw) +
                    " are not kept safe against a crash.\n" + error.Message());
    };
    auto writer = std::make_unique<JournalWriter>(doc.Buffer(), std::move(options));
    writer->SetBase(BaseOf(doc, JournalBaseKind::File));
    writers_[&doc] = std::move(writer);
}

void JournalManager::Detach(CSampleDoc& doc) {
    const auto it = writers_.find(&doc);
    if (it == writers_.end())
        return;
    it->second->Discard();
    writers_.erase(it);
}

JournalWriter* JournalManager::WriterOf(const CSampleDoc& doc) const {
    const auto it = writers_.find(&doc);
    return it == writers_.end() ? nullptr : it->second.get();
}

void JournalManager::TextIsFile(CSampleDoc& doc, const std::string& path) {
    if (JournalWriter* writer = WriterOf(doc)) {
        JournalBase base = BaseOf(doc, JournalBaseKind::File);
        base.path = path;
        writer->SetBase(std::move(base));
    }
}

void JournalManager::TextIsNoFile(CSampleDoc& doc) {
    if (JournalWriter* writer = WriterOf(doc))
        writer->Rebase(BaseOf(doc, JournalBaseKind::Snapshot));
}

void JournalManager::FlushAll() {
    timer_.stop();
    bool syncing = false;
    for (const auto& [doc, writer] : writers_) {
        if (writer->HasPending() || writer->Syncing())
            writer->Flush();
        syncing = syncing || writer->Syncing();
    }
    // A sync still running is looked at again, so that its failure is told.
    if (syncing)
        timer_.start();
}

void JournalManager::ReportLater(std::string text) {
    QTimer::singleShot(0, &context_, [this, text = std::move(text)] {
        ui_.MessageBox(text, MessageButtons::Ok, MessageIcon::Warning);
    });
}

// ---- Journals left behind

std::vector<CSampleDoc*> JournalManager::OfferLeftJournals() {
    return Offer(nullptr);
}

CSampleDoc* JournalManager::OfferJournalsOf(const std::string& path) {
    const std::vector<CSampleDoc*> docs = Offer(&path);
    return docs.empty() ? nullptr : docs.front();
}

std::vector<CSampleDoc*> JournalManager::Offer(const std::string* onlyPath) {
    std::vector<CSampleDoc*> recovered;
    std::vector<FoundJournal> found = FindLeftJournals(FileSystem::Native(), folder_);
    for (FoundJournal& journal : found) {
        const std::string& path = journal.header.path;
        // Another document's journal, or one whose file is open here already (recovered from
        // another journal): left for another time.
        const bool wanted = !onlyPath || *onlyPath == path;
        const bool leftJustNow = std::find(leftAtStartUp_.begin(), leftAtStartUp_.end(),
                                           journal.path) != leftAtStartUp_.end();
        if (wanted && !leftJustNow && (path.empty() || !hooks_.findDocument(path))) {
            if (CSampleDoc* doc = OfferOne(journal))
                recovered.push_back(doc);
            else if (!onlyPath && journal.fd >= 0)
                leftAtStartUp_.push_back(journal.path);
        }
        ReleaseJournal(FileSystem::Native(), journal, false);
    }
    return recovered;
}

CSampleDoc* JournalManager::OfferOne(FoundJournal& journal) {
    const std::string name = DocumentName(journal.header);
    const std::string when = FormatTime(journal.lastChangeMs);
    const BaseState state = CheckJournalBase(FileSystem::Native(), journal);
    if (state == BaseState::Unavailable) {
        std::string text = "Velmora Editor ended before the changes to " + name +
                           " were saved (the last change was made on " + when +
                           "), but they cannot be recovered: the file has changed since.";
        // Ended while a save rewrote the file in place: the text being saved is whole in its copy.
        struct stat st {};
        if (!journal.savedCopy.empty() && ::stat(journal.savedCopy.c_str(), &st) == 0 &&
            S_ISREG(st.st_mode))
            text += "\nThe text that was being saved is kept in " +
                    PrintableFileName(journal.savedCopy) + ".";
        text += "\n\nDiscard them?";
        if (ui_.MessageBox(text, MessageButtons::YesNo, MessageIcon::Warning) == MessageResult::Yes)
            ReleaseJournal(FileSystem::Native(), journal, true);
        return nullptr;
    }
    std::string text = "Velmora Editor ended before the changes to " + name +
                       " were saved. The last change was made on " + when + ".";
    if (state == BaseState::Changed)
        text += "\nThe file has changed since; the changes are recovered onto the text they "
                "were made for.";
    text += "\n\nRecover the changes?";
    switch (ui_.MessageBox(text, MessageButtons::RecoverDiscardLater, MessageIcon::Question)) {
    case MessageResult::Recover:
        return Recover(journal);
    case MessageResult::Discard:
        ReleaseJournal(FileSystem::Native(), journal, true);
        return nullptr;
    default:
        return nullptr;
    }
}

CSampleDoc* JournalManager::Recover(FoundJournal& journal) {
    const JournalHeader& header = journal.header;
    std::unique_ptr<CSampleDoc> doc = hooks_.makeDocument();
    const ReplayResult result = ReplayJournal(FileSystem::Native(), journal, doc->Buffer());
    if (!result.replayed) {
        ui_.MessageBox("The changes to " + DocumentName(header) +
                           " cannot be recovered: " + result.problem + ".",
                       MessageButtons::Ok, MessageIcon::Error);
        return nullptr;
    }
    if (!header.path.empty()) {
        doc->SetPathName(header.path);
        // The file as it is now: the question said whether it changed, so a save goes ahead.
        FileIdentity now;
        ReadFileIdentity(FileSystem::Native(), header.path, true, now);
        doc->SetKnownFile(now);
    }
    CSampleDoc* shown = hooks_.showDocument(std::move(doc));
    JournalWriter* writer = shown ? WriterOf(*shown) : nullptr;
    if (!writer)
        return shown;
    // The recovered text is no file's. The journal goes on where it ended, unless the replay
    // stopped short: then a new one starts from the text as recovered.
    const JournalBase base = BaseOf(*shown, JournalBaseKind::Snapshot);
    if (result.complete && writer->Adopt(journal.fd, journal.path, journal.validEnd, base)) {
        journal.fd = -1; // the writer has it now
        return shown;
    }
    writer->Rebase(base);
    ReleaseJournal(FileSystem::Native(), journal, true);
    if (!result.complete)
        ReportLater("Only part of the changes to " + DocumentName(*shown) +
                    " could be recovered: " + result.problem + ".");
    return shown;
}

} // namespace app
