// What a history observer hears: every change the history makes to the text, in the order made.
// A journal of the edits (journal.h) follows the text this way, and replays it after a crash.
#pragma once

#include <string>

class CTextBuffer;
struct EditRecord;

class HistoryObserver {
public:
    virtual ~HistoryObserver() = default;

    // A recorded change was made: `record` describes it. Its serial names it from now on; a
    // record that the history could not keep (its group was dropped at the capacity) is told all
    // the same, since the text changed, and is never undone.
    virtual void OnRecorded(const CTextBuffer& buffer, const EditRecord& record) = 0;
    // An undo step reverted the history's records [first, end), the last one first.
    virtual void OnUndone(const CTextBuffer& buffer, int first, int end) = 0;
    // A redo step re-applied the history's records [first, end), the first one first.
    virtual void OnRedone(const CTextBuffer& buffer, int first, int end) = 0;
    // The text changed in a way no record describes (a change whose record could not be made for
    // lack of memory, and which could not be taken back either); the history was dropped.
    virtual void OnUnrecordedChange(const CTextBuffer& buffer) = 0;
    // A save is about to rewrite the buffer's file in place; until the rewrite is synced the new
    // text is whole only in `copyPath` (complete and synced), which a crash meanwhile leaves
    // behind.
    virtual void OnRewritingInPlace(const CTextBuffer& /*buffer*/,
                                    const std::string& /*copyPath*/) {}
};
