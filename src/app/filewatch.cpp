#include "app/filewatch.h"

#include <QGuiApplication>
#include <algorithm>
#include <cerrno>
#include <utility>

#include "app/journalmanager.h"
#include "app/sampleview.h"
#include "app/uiservices.h"
#include "buffer/printable.h"

namespace app {
namespace {

std::string NameOf(const CSampleDoc& doc) {
    return PrintableFileName(doc.PathName().empty() ? doc.Title() : doc.PathName());
}

} // namespace

FileWatch::FileWatch(UiServices& ui, JournalManager& journals,
                     std::function<std::vector<CSampleView*>(CSampleDoc&)> viewsOf)
    : ui_(ui), journals_(journals), viewsOf_(std::move(viewsOf)) {
    settle_.setSingleShot(true);
    settle_.setInterval(200);
    QObject::connect(&settle_, &QTimer::timeout, &context_, [this] { CheckAll(); });
    QObject::connect(&watcher_, &QFileSystemWatcher::fileChanged, &context_,
                     [this](const QString&) { settle_.start(); });
    // Back from another program: whatever it did to the files is looked at first.
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QObject::connect(gui, &QGuiApplication::applicationStateChanged, &context_,
                         [this](Qt::ApplicationState state) {
                             if (state == Qt::ApplicationActive)
                                 settle_.start(0);
                         });
}

FileWatch::~FileWatch() = default;

void FileWatch::Add(CSampleDoc& doc) {
    docs_.push_back(&doc);
    doc.SetObserver(this);
    Watch(doc.PathName());
}

void FileWatch::Remove(CSampleDoc& doc) {
    docs_.erase(std::remove(docs_.begin(), docs_.end(), &doc), docs_.end());
    if (doc.Observer() == this)
        doc.SetObserver(nullptr);
    Rewatch();
}

void FileWatch::Watch(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (!path.empty() && !watcher_.files().contains(file))
        watcher_.addPath(file); // fails quietly for a file that is not there (yet)
}

void FileWatch::Rewatch() {
    // A file replaced or deleted drops out of the watcher; the paths of the open documents are
    // watched again (those that exist), the others no longer.
    QStringList wanted;
    for (const CSampleDoc* doc : docs_)
        if (!doc->PathName().empty())
            wanted.push_back(QString::fromStdString(doc->PathName()));
    for (const QString& file : watcher_.files())
        if (!wanted.contains(file))
            watcher_.removePath(file);
    for (const QString& file : wanted)
        Watch(file.toStdString());
}

void FileWatch::CheckAll() {
    if (asking_) {
        checkAgain_ = true;
        return;
    }
    // A check may ask, and a question lets other events in: walk a copy.
    const std::vector<CSampleDoc*> docs = docs_;
    for (CSampleDoc* doc : docs)
        if (std::find(docs_.begin(), docs_.end(), doc) != docs_.end())
            Check(*doc);
    Rewatch();
}

void FileWatch::Check(CSampleDoc& doc) {
    const std::string& path = doc.PathName();
    FileIdentity now;
    if (asking_ || path.empty() || !ReadFileIdentity(FileSystem::Native(), path, false, now) ||
        now.SameFile(doc.KnownFile()))
        return;
    asking_ = true;
    if (!now.exists) {
        // Deleted or moved away: the text exists only here now.
        doc.SetKnownFile(now);
        doc.Buffer().ForgetSavedState();
        journals_.TextIsNoFile(doc);
        ui_.MessageBox(NameOf(doc) +
                           " has been deleted or moved by another program.\nIts text now exists "
                           "only in this window; save it to keep it.",
                       MessageButtons::Ok, MessageIcon::Warning);
    } else if (!doc.IsModified()) {
        Reload(doc);
    } else if (ui_.MessageBox(
                   NameOf(doc) + " has been changed by another program.\n\nReload it and lose "
                                 "your changes, or keep your changes?",
                   MessageButtons::ReloadKeep, MessageIcon::Warning) == MessageResult::Reload) {
        Reload(doc);
    } else {
        // The user keeps the text: this version of the file is known, and asks nothing more;
        // the journal no longer leans on the file.
        ReadFileIdentity(FileSystem::Native(), path, true, now);
        doc.SetKnownFile(now);
        journals_.TextIsNoFile(doc);
    }
    asking_ = false;
    if (std::exchange(checkAgain_, false))
        settle_.start(0);
}

void FileWatch::Reload(CSampleDoc& doc) {
    struct Place {
        CSampleView* view;
        TextPosition caret;
        int32_t top;
        int32_t column;
    };
    std::vector<Place> places;
    for (CSampleView* view : viewsOf_(doc))
        places.push_back({view, view->GetCaretPos(), view->GetTopLine(), view->GetFirstColumn()});
    if (!doc.ReloadFromFile()) {
        // Not readable now (the user was told why): the text stays, and is no longer the file's.
        FileIdentity now;
        ReadFileIdentity(FileSystem::Native(), doc.PathName(), true, now);
        doc.SetKnownFile(now);
        doc.Buffer().ForgetSavedState();
        journals_.TextIsNoFile(doc);
        return;
    }
    const CTextBuffer& buffer = doc.Buffer();
    for (const Place& place : places) {
        const int32_t line = std::min(place.caret.y, buffer.LineCount() - 1);
        place.view->CollapseCaretTo({std::min(place.caret.x, buffer.LineLength(line)), line});
        place.view->ScrollToTopLine(std::min(place.top, buffer.LineCount() - 1), true);
        place.view->ScrollToColumn(place.column, true);
    }
}

void FileWatch::FileTextChanged(CSampleDoc& doc, const std::string& path) {
    journals_.TextIsFile(doc, path);
    Watch(path);
}

bool FileWatch::MaySaveOver(CSampleDoc& doc, const std::string& path) {
    const FileIdentity& known = doc.KnownFile();
    FileIdentity now;
    // A file made anew where the document's file had been deleted is another program's too.
    if (path != doc.PathName() || !ReadFileIdentity(FileSystem::Native(), path, false, now) ||
        !now.exists || now.SameFile(known))
        return true;
    return ui_.MessageBox(NameOf(doc) +
                              " has been changed by another program since it was opened or "
                              "saved.\n\nSave over it?",
                          MessageButtons::YesNo, MessageIcon::Warning) == MessageResult::Yes;
}

void FileWatch::EditFailed(CSampleDoc& doc, int errorNumber) {
    if (std::exchange(failureShown_, true))
        return;
    const std::string text = errorNumber == EFBIG
                                 ? "This change would make a line of " + NameOf(doc) +
                                       " longer than the editor can hold. The text is as it was."
                                 : "There is not enough memory for this change to " + NameOf(doc) +
                                       ". The text is as it was.";
    // Told in the middle of an edit: shown once it is over.
    QTimer::singleShot(0, &context_, [this, text] {
        failureShown_ = false;
        ui_.MessageBox(text, MessageButtons::Ok, MessageIcon::Warning);
    });
}

} // namespace app
