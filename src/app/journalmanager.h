// JournalManager: the journals of the documents' unsaved edits (buffer/journal.h) in the user's
// state folder, and the questions about those left behind by an editor that ended without
// saving.
//
// Each document gets a journal writer from its first window on. The writer's base follows the
// document: its file after each load, reload and save (which removes the journal), an empty text
// for a new document, a snapshot of the text once its file is gone. Waiting frames are appended by
// a one-second timer and at once when the application loses the focus, and synced by each
// writer's own thread (the timer keeps looking while a sync runs, to tell a failed one); a
// document closed without saving takes its journal with it.
//
// At start-up, and before a file is opened, the journals no running editor holds are offered:
// recovered (the document opens with the edits replayed, modified and not saved, and goes on
// with the same journal), discarded, or left for later.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "buffer/journal.h"
#include "buffer/journalreplay.h"

namespace app {

class CSampleDoc;
class UiServices;

class JournalManager {
public:
    struct Hooks {
        // A new document object for a recovered text, not yet shown.
        std::function<std::unique_ptr<CSampleDoc>()> makeDocument;
        // Shows a recovered document in a window of its own (an untitled one gets a name); the
        // document is attached to this manager on the way.
        std::function<CSampleDoc*(std::unique_ptr<CSampleDoc>)> showDocument;
        // The open document with this file, if any.
        std::function<CSampleDoc*(const std::string& path)> findDocument;
    };

    // `folder` empty: DefaultFolder().
    JournalManager(UiServices& ui, Hooks hooks, std::string folder = {});
    JournalManager(const JournalManager&) = delete;
    JournalManager& operator=(const JournalManager&) = delete;
    // Syncs and lets every journal go, leaving the files of documents still open.
    ~JournalManager();

    // $XDG_STATE_HOME/velmora, or ~/.local/state/velmora.
    static std::string DefaultFolder();
    const std::string& Folder() const { return folder_; }

    // Journals `doc`'s edits from its text as it is now (its file's, or an empty new text).
    void Attach(CSampleDoc& doc);
    // The document goes: its journal is removed.
    void Detach(CSampleDoc& doc);
    // The text is now the file's at `path` (loaded, reloaded, saved): the journal is removed.
    void TextIsFile(CSampleDoc& doc, const std::string& path);
    // The text is no longer the file's, which is gone or was replaced while the user keeps the
    // text: a new journal with a snapshot of it is written at once.
    void TextIsNoFile(CSampleDoc& doc);
    // Appends every journal's waiting frames, to be synced in the background.
    void FlushAll();
    // The writer of `doc`, null when none.
    JournalWriter* WriterOf(const CSampleDoc& doc) const;

    // Asks about every journal left behind; the recovered ones open as documents (returned).
    // Those left for later are not asked about again until StartUpDone: the files named on the
    // command line open right after.
    std::vector<CSampleDoc*> OfferLeftJournals();
    void StartUpDone() { leftAtStartUp_.clear(); }
    // Asks about the journals left behind for the file `path`; the recovered document, else null.
    CSampleDoc* OfferJournalsOf(const std::string& path);

private:
    std::vector<CSampleDoc*> Offer(const std::string* onlyPath);
    // One journal: asked about and recovered, discarded or left; the recovered document or null.
    CSampleDoc* OfferOne(FoundJournal& journal);
    CSampleDoc* Recover(FoundJournal& journal);
    JournalBase BaseOf(const CSampleDoc& doc, JournalBaseKind fileKind) const;
    // Shows `text` once the current event is over (called from inside edits and syncs).
    void ReportLater(std::string text);

    UiServices& ui_;
    Hooks hooks_;
    std::string folder_;
    std::map<const CSampleDoc*, std::unique_ptr<JournalWriter>> writers_;
    std::vector<std::string> leftAtStartUp_; // journal files the user left for later just now
    QObject context_;
    QTimer timer_;
};

} // namespace app
