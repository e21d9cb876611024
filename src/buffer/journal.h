// The journal of one document's edits, kept in a file of the user's state folder while the
// document has unsaved changes, so that a crash loses at most the last second of typing.
//
// The writer is the buffer's history observer: every record, undo and redo becomes a frame
// (journalformat.h), gathered in memory and appended to the file at most once per sync interval
// (Flush, called by the writer itself when a change comes after the interval and by the
// application's timer and on focus loss). Each append is synced by a thread of the writer's own
// (filesyncer.h), so the caller never waits for the disk: a kill loses nothing appended, a power
// cut at most what the running sync has not reached. A save that rewrites the file in place, a
// rebase and the writer's end sync on the caller's thread instead, as what follows them needs the
// journal durable. The file is made at the first change after a base
// was set, and removed when a new base is set (the document was saved or reloaded) or by Discard
// (closed without saving). While the writer keeps a journal it holds an advisory lock on it: a
// journal nobody holds was left by a process that has ended (journalreplay.h finds and replays
// those).
//
// Undo and redo name the records they revert or re-apply by serial; a record the journal does not
// hold yet (made before the journal started) is written first, marked as not applied.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>

#include "buffer/fileidentity.h"
#include "buffer/filesyncer.h"
#include "buffer/filesystem.h"
#include "buffer/historyobserver.h"
#include "buffer/journalformat.h"

class CTextBuffer;
struct EditRecord;

struct JournalClock {
    std::function<int64_t()> monotonicMs; // for the sync interval; none: steady_clock
    std::function<int64_t()> wallMs;      // stamped on frames; none: system_clock
};

// What a document's edits start from, set after each load, save or new document.
struct JournalBase {
    std::string path;      // the document's file; empty for an untitled document
    std::string title;     // the document's name, shown for an untitled one
    FileIdentity identity; // of the file at `path` when the text was its text
    // Empty: an empty new document. File: the text is the file's (loaded, saved); a journal of a
    // small text still starts with a snapshot of it, so that a changed file does not matter.
    // Snapshot: the text is no file's (its file is gone, or it was recovered): the journal starts
    // with a snapshot of it whatever its size.
    JournalBaseKind kind = JournalBaseKind::Empty;
};

class JournalWriter final : public HistoryObserver {
public:
    struct Options {
        FileSystem* fs = nullptr; // none: the real file layer
        std::string folder;       // where journals are made ("journal-XXXXXX"); made when missing
        JournalClock clock;
        // A text up to this many bytes starts its journal with a snapshot of itself.
        size_t snapshotLimit = size_t{8} << 20;
        int64_t syncIntervalMs = 1000;
        // Called when frames start waiting for a flush (the application then arms a timer).
        std::function<void()> onPending;
        // Called once when the journal cannot be made or written; journaling then stops until
        // the next base.
        std::function<void(const FileError&)> onError;
    };

    // Becomes `buffer`'s history observer.
    JournalWriter(CTextBuffer& buffer, Options options);
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;
    // Flushes and syncs, and lets the journal go, leaving its file (only SetBase and Discard
    // remove it).
    ~JournalWriter() override;

    // A new base: any journal is removed; the next change starts a new one.
    void SetBase(JournalBase base);
    // The text is no longer that of the base (its file was deleted, or replaced while the user
    // keeps the text): a new journal starting with a snapshot of the text is written and synced
    // at once, then the old one is removed.
    void Rebase(JournalBase base);
    // Removes the journal (the document was closed without saving). Like SetBase, it waits for a
    // running sync first; no sync reaches the journal after it.
    void Discard();
    // Goes on with a recovered journal: `fd` is it, open for appending and locked, valid up to
    // `validEnd` (a damaged tail after it is cut off); the buffer holds the text it replays to.
    bool Adopt(int fd, std::string path, int64_t validEnd, JournalBase base);

    // Appends the waiting frames and has them synced in the background; false when the journal
    // could not be written, or an earlier sync failed (reported through onError then).
    bool Flush();
    // Frames (or a rebase) waiting for Flush.
    bool HasPending() const { return !pending_.empty() || unsynced_ || rebasePending_; }
    // A sync still running or queued, or its failure not yet reported: Flush again later.
    bool Syncing() const { return fd_ >= 0 && syncer_.Busy(); }
    bool IsOpen() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }
    const JournalBase& Base() const { return base_; }

    void OnRecorded(const CTextBuffer& buffer, const EditRecord& record) override;
    void OnUndone(const CTextBuffer& buffer, int first, int end) override;
    void OnRedone(const CTextBuffer& buffer, int first, int end) override;
    void OnUnrecordedChange(const CTextBuffer& buffer) override;
    // Written and synced at once: a crash during the rewrite leaves the file neither old nor new.
    void OnRewritingInPlace(const CTextBuffer& buffer, const std::string& copyPath) override;

private:
    // Makes the journal file and writes its header (and snapshot); false when it cannot. Sets
    // snapshotNow_ when the snapshot holds the change that opened it.
    bool Open();
    bool WriteStart(int fd, bool snapshot);
    // Appends the waiting frames; with `sync`, syncs them (and all before) before returning.
    bool Append(bool sync);
    // Reports a failed background sync; false when one failed.
    bool CheckSynced();
    void Close(bool remove);
    void Fail(int errorNumber, std::string_view operation, const std::string& path);
    void AddFrame(const FrameWriter& frame);
    void WriteRecord(const EditRecord& record, bool applied);
    void MakeKnown(const EditRecord& record);
    void WriteSteps(JournalFrame kind, int first, int end);
    void Record(const EditRecord& record);
    // Runs `write`; a lack of memory stops the journal instead of reaching the buffer.
    template <class Write> void Guarded(const Write& write);
    // Opens the journal for a change when none is open; false when nothing is to be written
    // (no journal can be kept, or its snapshot already holds the change).
    bool Ready();
    int64_t Now() const;
    int64_t WallNow() const;

    CTextBuffer& buffer_;
    FileSystem& fs_;
    Options options_;
    JournalBase base_;
    int32_t baseLineCount_ = -1; // the lines of the text when the base was set
    int fd_ = -1;
    std::string path_;
    std::string pending_;
    bool unsynced_ = false; // written straight to the file (the start), no sync asked for yet
    int64_t lastFlush_ = 0;
    // Records with a serial above this were made after the journal started: all of them are in
    // it. Older ones are in `defined_` once written.
    uint64_t serialMark_ = 0;
    std::unordered_set<uint64_t> defined_;
    bool snapshotNow_ = false;   // the journal just opened with a snapshot holding the change
    bool broken_ = false;        // the journal could not be written: none until the next base
    bool rebasePending_ = false; // the text left the history: a snapshot at the next flush
    // Holds fd_ while it is open; Close takes it back before the file is closed.
    FileSyncer syncer_;
};
