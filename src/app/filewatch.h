// FileWatch: notices when another program changes, replaces or deletes the file of an open
// document, through a file watcher and a check whenever the application gets the focus back, and
// before each save; and acts on it:
// - an unmodified document loads the file again, each view keeping its caret line and scroll
//   position;
// - a modified one asks whether to load the file and lose the changes, or keep them;
// - a deleted (or moved away) file leaves its document modified, its text now only in memory,
//   and says so; the document's journal then holds the whole text;
// - saving over a file changed since it was loaded or saved asks first.
// It is each document's observer (sampledoc.h), so it also hears of loads and saves (the journal's
// base follows them) and of edits refused for lack of memory (told to the user).
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "app/sampledoc.h"

namespace app {

class CSampleView;
class JournalManager;
class UiServices;

class FileWatch final : public DocumentObserver {
public:
    // `viewsOf` gives the views of a document, whose places a reload keeps.
    FileWatch(UiServices& ui, JournalManager& journals,
              std::function<std::vector<CSampleView*>(CSampleDoc&)> viewsOf);
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;
    ~FileWatch() override;

    void Add(CSampleDoc& doc);
    void Remove(CSampleDoc& doc);
    // Compares each document's file with what the document knows of it, and acts on a change.
    void CheckAll();
    void Check(CSampleDoc& doc);

    void FileTextChanged(CSampleDoc& doc, const std::string& path) override;
    bool MaySaveOver(CSampleDoc& doc, const std::string& path) override;
    void EditFailed(CSampleDoc& doc, int errorNumber) override;

private:
    // Loads the file again, each view keeping its caret line and scroll position.
    void Reload(CSampleDoc& doc);
    void Watch(const std::string& path);
    void Rewatch();

    UiServices& ui_;
    JournalManager& journals_;
    std::function<std::vector<CSampleView*>(CSampleDoc&)> viewsOf_;
    std::vector<CSampleDoc*> docs_;
    QObject context_;
    QFileSystemWatcher watcher_;
    // A program saving a file may touch it several times in a row: the check waits for quiet.
    QTimer settle_;
    bool asking_ = false; // a question is open: further checks wait for it
    bool checkAgain_ = false;
    bool failureShown_ = false; // one message for the refused edits of one event
};

} // namespace app
