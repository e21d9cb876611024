// The text of one document: its lines with a flag word each, the two editing primitives, the
// recorded edits with their undo history, and loading and saving.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/adjusters.h"
#include "buffer/bufferview.h"
#include "buffer/filesystem.h"
#include "buffer/historyobserver.h"
#include "buffer/linestore.h"
#include "buffer/replacebatch.h"
#include "buffer/types.h"

// One primitive change in the history.
struct EditRecord {
    static constexpr uint32_t RecordInsert = 0x1;
    // A batch of one-line replacements (`batch`); `text` is then the replacement, `start` the
    // first replaced position and `end` the end of the last replacement in the text after it.
    static constexpr uint32_t RecordReplaceBatch = 0x2;
    static constexpr uint32_t RecordGroupStart = 0x100;

    uint32_t kind = 0;
    TextPosition start;
    TextPosition end;
    EditAction action = ActionUnknown;
    // An insertion keeps the text as given, a deletion the deleted text joined with CR LF.
    // Short texts (typing) stay inside the string object and need no allocation of their own.
    std::string text;
    // A deletion that spanned lines: the length of each deleted line part, so that undo puts back
    // exactly these lines even when they hold CR or LF characters of their own. Empty otherwise.
    std::vector<int32_t> partLengths;
    // The replacements of a RecordReplaceBatch record; none otherwise.
    std::shared_ptr<const ReplaceBatch> batch;
    // Names the record for as long as its buffer lives (1, 2, ... in the order recorded), so that
    // a journal can refer to it when it is undone or redone.
    uint64_t serial = 0;
};

class CTextBuffer {
public:
    static constexpr int kDefaultUndoCapacity = 1024;

    CTextBuffer();
    CTextBuffer(const CTextBuffer&) = delete;
    CTextBuffer& operator=(const CTextBuffer&) = delete;
    virtual ~CTextBuffer();

    // ---- Lifetime and state
    // Every operation that takes a LineEndStyle refuses one outside -1..2: it returns false and
    // changes nothing (the file operations set LastFileError to EINVAL).
    bool ResetToEmpty(LineEndStyle style);
    void ReleaseContents();
    LineEndStyle GetLineEndStyle() const { return lineEndStyle_; }
    bool IsReadOnly() const { return readOnly_; }
    void ChangeReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool IsModified() const { return modified_; }
    virtual void MarkModified(bool modified);

    // ---- Reading. Lines may hold any byte, NUL included; use the length, not a terminator.
    int LineCount() const { return lines_.Count(); }
    int LineLength(int line) const { return lines_.At(line).used; }
    const char* LineChars(int line) const { return lines_.At(line).bytes; }
    std::string_view LineText(int line) const { return lines_.At(line).Text(); }
    LineFlags LineFlagWord(int line) const { return lines_.At(line).marks; }
    int LineCapacity(int line) const { return lines_.At(line).capacity; }
    // The text of a range, lines joined by `lineEnd` (CR LF when none is given).
    void CopyText(int startLine, int startChar, int endLine, int endChar, std::string& text,
                  std::optional<std::string_view> lineEnd = std::nullopt) const;

    // ---- Line flags
    int FirstLineWithFlags(LineFlags mask) const;
    int LineOfSingleFlag(LineFlags flag) const;
    void ChangeLineFlag(int line, LineFlags flag, bool set, bool exclusive);
    int NextPlainBookmark(int line) const;
    int PreviousPlainBookmark(int line) const;

    // ---- Views
    void AttachView(CBufferView* view);
    void DetachView(CBufferView* view);
    void NotifyViews(CBufferView* source, const PositionAdjuster* adjuster, uint32_t hints,
                     int line);

    // ---- Editing primitives (no undo record). Both refuse on a read-only buffer. A change that
    // needs more memory than there is, or would make a line longer than LineStore::kMaxLength,
    // is refused whole: the text stays as it was, OnEditFailed is told (ENOMEM, EFBIG) and the
    // call returns false. Undo, redo and the recorded changes keep the history in step then.
    bool ApplyInsert(CBufferView* source, int line, int ch, std::string_view text, int& endLine,
                     int& endChar);
    bool ApplyDelete(CBufferView* source, int startLine, int startChar, int endLine, int endChar);

    // ---- Recorded editing and history
    bool InsertRecorded(CBufferView* source, int line, int ch, std::string_view text, int& endLine,
                        int& endChar, EditAction action);
    // The same, the record taking `text` over instead of a copy (a paste of many megabytes).
    bool InsertRecorded(CBufferView* source, int line, int ch, std::string&& text, int& endLine,
                        int& endChar, EditAction action);
    bool InsertRecorded(CBufferView* source, int line, int ch, const char* text, int& endLine,
                        int& endChar, EditAction action) {
        return InsertRecorded(source, line, ch, std::string_view(text), endLine, endChar, action);
    }
    bool DeleteRecorded(CBufferView* source, int startLine, int startChar, int endLine, int endChar,
                        EditAction action);
    void OpenEditGroup(bool mergeWithPrevious);
    void CloseEditGroup(CBufferView* source);
    bool HasUndo() const { return appliedCount_ > 0; }
    bool HasRedo() const { return appliedCount_ < RecordCount(); }
    // Revert or re-apply one whole group and tell where the caret goes. Both refuse (false,
    // nothing moves) when there is nothing to do or the buffer is read-only, so the history and
    // the text never go out of step.
    bool UndoLastStep(TextPosition& caret);
    bool RedoNextStep(TextPosition& caret);
    // Reverts (`undo`) or re-applies the change `r` describes through the primitives, recording
    // nothing and telling no observer, as undo and redo do record by record; `caret` (may be
    // null) gets where the caret goes. False, changing nothing, when the change does not fit the
    // text or is refused. A journal's replay applies its records this way.
    bool ApplyRecord(const EditRecord& r, bool undo, TextPosition* caret);
    // The text no longer equals any saved state (it was recovered, or its file is gone): the
    // buffer is modified, and no undo or redo can make it unmodified again.
    void ForgetSavedState();
    void UndoActionName(std::string& text) const;
    void RedoActionName(std::string& text) const;
    virtual bool ActionName(int action, std::string& text) const;
    // Called when a change was refused, the text left as it was: ENOMEM for a lack of memory,
    // EFBIG for a line that would grow too long. Called in the middle of an edit: an override
    // must not change the buffer, and should report later rather than run a modal loop here.
    virtual void OnEditFailed(int /*errorNumber*/) {}

    // ---- Batches of one-line replacements (Replace All): one record, one notification.
    // Replaces the `replacedLength` bytes at each of `positions` (in the text as it is: in text
    // order, each within its line, none overlapping and no two at one place) by `replacement`,
    // which holds no CR or LF, as one recorded change with `action`; the views hear of it once,
    // through OnBufferBatchChanged. False, changing and recording nothing, on a read-only buffer
    // or when the positions or the replacement are not so.
    bool ReplaceBatchRecorded(CBufferView* source, std::vector<TextPosition> positions,
                              int32_t replacedLength, std::string_view replacement,
                              EditAction action);
    // Applies `batch` to the text before it, or (`undo`) turns the text after it back, without
    // recording: for undo, redo and a journal's replay. `batch.replaced` must be filled. False,
    // changing nothing, when the batch does not fit the text.
    bool ApplyReplaceBatch(CBufferView* source, const ReplaceBatch& batch, bool undo);

    int UndoCapacity() const { return undoCapacity_; }
    void SetUndoCapacity(int capacity);
    int RecordCount() const { return static_cast<int>(records_.size()); }
    // While a view's AfterEditAction runs, the record that called it has lent its text to the hook
    // and shows it empty here; undo and redo take it back first.
    const EditRecord& Record(int index) const { return records_[static_cast<size_t>(index)]; }
    int AppliedCount() const { return appliedCount_; }
    // The serial of the last record made (0 before the first); the next one gets one more.
    uint64_t LastSerial() const { return lastSerial_; }
    // The observer told of every recorded change, undo and redo (none: no one); not owned.
    void SetHistoryObserver(HistoryObserver* observer) { observer_ = observer; }
    HistoryObserver* GetHistoryObserver() const { return observer_; }
    // -1 once the saved state has left the history: no position then counts as saved.
    int SavedCount() const { return savedCount_; }

    // ---- Files
    bool ReadFromFile(std::string_view path, LineEndStyle style);
    // Replaces the text by `lines`, as a load does (history reset, not modified, views told of
    // a reload); false, changing nothing, for no line or an unknown style.
    bool ReadFromLines(const std::vector<std::string_view>& lines, LineEndStyle style);
    bool WriteToFile(std::string_view path, LineEndStyle style, bool clearModified);
    const FileError& LastFileError() const { return lastError_; }
    void SetFileSystem(FileSystem* fs) { fs_ = fs ? fs : &FileSystem::Native(); }
    FileSystem& Files() const { return *fs_; }

    static std::string_view LineEndSequence(LineEndStyle style);

private:
    // Inserts lines: `first` is appended at (line, ch), each line of `more` starts a new line, and
    // the old rest of the line follows the last. One change of the line store, one notification;
    // refused whole (Refuse) when memory runs out or a line would grow too long.
    bool InsertParts(CBufferView* source, int line, int ch, std::string_view first,
                     LineSource& more, int& endLine, int& endChar);
    // Appends `rec` to the history (cutting the redo records, dropping the oldest groups at the
    // capacity) and marks it as a group start when one is pending; gives it its serial and tells
    // the observer, also when the group it belongs to was dropped and it is not kept. When it
    // throws std::bad_alloc, `rec` was not moved from and is not in the history.
    void PushRecord(EditRecord&& rec);
    // Whether `batch` fits the text: before it (`undo` false) or after it.
    bool BatchFits(const ReplaceBatch& batch, bool undo) const;
    // ApplyReplaceBatch of a batch known to fit: one the history recorded, whose text is the one
    // it was recorded on.
    void ApplyFittingBatch(CBufferView* source, const ReplaceBatch& batch, bool undo);
    // Where undo (`undo`) or redo of a batch record leaves the caret.
    static TextPosition BatchCaret(const ReplaceBatch& batch, bool undo);
    void DropOldestGroup();
    // Gives the record that lent its text to the hook a copy of it (the hook keeps reading the
    // lent one) when it is still in the history; false when memory runs out.
    bool ReturnLentText();
    bool Refuse(int errorNumber);
    // Records `rec`, the change just made, in the open group, or in a group of its own closed
    // with `source`'s hook. When memory runs out, the change is taken back and refused (false).
    bool RecordMade(CBufferView* source, EditRecord&& rec);
    void CheckModified();
    void ResetHistoryState();
    bool WriteLines(int fd, std::string_view separator, int64_t& written);
    bool Fail(int errorNumber, std::string_view operation, const std::string& path,
              std::string_view reason = {});

    bool readOnly_ = false;
    bool modified_ = false;
    LineEndStyle lineEndStyle_ = LineEndDos;
    int undoCapacity_ = kDefaultUndoCapacity;
    LineStore lines_;
    std::deque<EditRecord> records_;
    int appliedCount_ = 0;
    int savedCount_ = 0;
    bool groupOpen_ = false;
    bool groupStartPending_ = false;
    // The group opened last has recorded a change: only then does closing it call the hook.
    bool groupRecorded_ = false;
    // Set when the capacity dropped the group still being recorded: its remaining records are not
    // kept either, so no record is ever left without the start of its group.
    bool skipGroup_ = false;
    std::vector<CBufferView*> views_;
    HistoryObserver* observer_ = nullptr;
    uint64_t lastSerial_ = 0;
    // While a view's AfterEditAction runs: the serial of the record whose text the hook was lent
    // (0: none) and that text (CloseEditGroup).
    uint64_t lentSerial_ = 0;
    std::string lentText_;

    FileSystem* fs_;
    FileError lastError_;
};
