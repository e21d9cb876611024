// Journals left behind by processes that have ended (journal.h), and their replay.
//
// A journal is left behind when its process ends without saving or closing the document: a crash,
// a kill, a power cut. Its process held a lock on it while running; a journal whose lock can be
// taken belongs to no running process. Finding one takes its lock, so that two editors started
// at once never offer the same journal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "buffer/fileidentity.h"
#include "buffer/filesystem.h"
#include "buffer/journalformat.h"
#include "buffer/types.h"

class CTextBuffer;

struct JournalHeader {
    uint32_t pid = 0;
    std::string host;
    std::string path;  // the document's file; empty for an untitled document
    std::string title; // the document's name when the journal was made
    JournalBaseKind base = JournalBaseKind::Empty;
    LineEndStyle style = LineEndDos;
    FileIdentity identity;      // of the file when the text was its text
    int32_t baseLineCount = -1; // lines of the file's text, for a File base
    int64_t startMs = 0;
};

struct FoundJournal {
    std::string path; // the journal file
    int fd = -1;      // open for reading and appending, its lock held
    JournalHeader header;
    int64_t lastChangeMs = 0; // when the last whole frame of a change was made
    int64_t validEnd = 0;     // where the last whole frame ends
    int64_t fileSize = 0;     // more than validEnd when the end was cut off or damaged
    // The copy a save made of the whole text before it began to rewrite the file in place (the
    // last one named), or empty. When the editor ended during the rewrite, the file holds neither
    // text and this copy the saved one.
    std::string savedCopy;
};

// The journals in `folder` that no running process holds and that hold a change, opened and
// locked, oldest first. Journals holding no change (nothing was written after the header, or the
// header itself was cut off) are removed on the way; files that are no journal are left alone.
std::vector<FoundJournal> FindLeftJournals(FileSystem& fs, const std::string& folder);

// Lets a found journal go: closed (its lock released), and removed when `remove`.
void ReleaseJournal(FileSystem& fs, FoundJournal& journal, bool remove);

enum class BaseState {
    Same,        // the file is as the journal left it (or there is no file: untitled)
    Changed,     // the file has changed since, but the journal holds the text it was made for
    Unavailable, // the file has changed or gone, and the journal needs it: no replay possible
};

// Compares the document's file as it is now with what the journal knows of it.
BaseState CheckJournalBase(FileSystem& fs, const FoundJournal& journal);

struct ReplayResult {
    bool replayed = false; // the buffer holds the base with the edits replayed (some at least)
    bool complete = false; // every frame was replayed; false when one did not fit the text
    size_t edits = 0;      // edit frames replayed
    std::string problem;   // why the replay stopped short or failed, for a message
};

// Rebuilds the text in `buffer`: the base (the file, the snapshot or an empty text), then every
// edit in order, checked against the text; a frame that does not fit ends the replay there. The
// buffer is left modified, with no saved state in its (empty) history. Never replays onto a file
// that does not match (CheckJournalBase Unavailable): replayed stays false then.
ReplayResult ReplayJournal(FileSystem& fs, const FoundJournal& journal, CTextBuffer& buffer);
