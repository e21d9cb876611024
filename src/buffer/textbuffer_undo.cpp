// The undo history: records, groups, the capacity and the saved position.
//
// Invariants kept here:
// - record 0, when there is one, starts a group, so undo always ends at a group start and never
//   runs below record 0;
// - groups are dropped whole when the capacity is reached; when the group still being recorded is
//   dropped, the rest of it is not recorded either;
// - savedCount_ is the number of applied records at which the text equals the saved file, or -1
//   once that state has left the history (dropped, or cut off with the redo records).
#include <algorithm>
#include <cerrno>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "buffer/actionnames.h"
#include "buffer/textbuffer.h"

namespace {

// The deleted lines of a deletion record after its first, cut out of its text by their lengths
// rather than at its line breaks: a line may hold CR or LF characters of its own.
class DeletedParts final : public LineSource {
public:
    explicit DeletedParts(const EditRecord& r)
        : text_(r.text), lengths_(r.partLengths),
          at_(lengths_.empty() ? text_.size() : static_cast<size_t>(lengths_[0]) + 2) {}
    // The first deleted line part: what goes back onto the line where the deletion began.
    std::string_view First() const {
        return lengths_.empty() ? text_ : text_.substr(0, static_cast<size_t>(lengths_[0]));
    }
    int Count() const override {
        return lengths_.empty() ? 0 : static_cast<int>(lengths_.size()) - 1;
    }
    int64_t Bytes() const override { return static_cast<int64_t>(text_.size()); }
    std::string_view Last() const override {
        const auto length = static_cast<size_t>(lengths_.back());
        return text_.substr(text_.size() - std::min(length, text_.size()));
    }
    std::string_view Next() override {
        const auto length = static_cast<size_t>(lengths_[next_++]);
        const std::string_view part = text_.substr(std::min(at_, text_.size()), length);
        at_ += length + 2; // the CR LF that joined the parts
        return part;
    }

private:
    std::string_view text_;
    const std::vector<int32_t>& lengths_;
    size_t at_;
    size_t next_ = 1;
};

} // namespace

bool CTextBuffer::RecordMade(CBufferView* source, EditRecord&& rec) {
    const bool opened = !groupOpen_;
    if (opened)
        OpenEditGroup(false);
    try {
        // Should memory run out here, the record has not been moved into the history.
        PushRecord(std::move(rec));
    } catch (const std::bad_alloc&) {
        // The change is taken back; should even that fail, the history no longer describes the
        // text and is dropped whole.
        if (!ApplyRecord(rec, true, nullptr)) {
            records_.clear();
            appliedCount_ = 0;
            savedCount_ = -1;
            if (observer_)
                observer_->OnUnrecordedChange(*this);
        }
        if (opened)
            groupOpen_ = false;
        return Refuse(ENOMEM);
    }
    if (opened)
        CloseEditGroup(source);
    return true;
}

bool CTextBuffer::InsertRecorded(CBufferView* source, int line, int ch, std::string_view text,
                                 int& endLine, int& endChar, EditAction action) {
    // The record's copy of the text is made first, where a lack of memory changes nothing.
    std::string copy;
    try {
        copy.assign(text);
    } catch (const std::bad_alloc&) {
        return Refuse(ENOMEM);
    }
    return InsertRecorded(source, line, ch, std::move(copy), endLine, endChar, action);
}

bool CTextBuffer::InsertRecorded(CBufferView* source, int line, int ch, std::string&& text,
                                 int& endLine, int& endChar, EditAction action) {
    EditRecord rec;
    rec.kind = EditRecord::RecordInsert;
    rec.start = TextPosition{ch, line};
    rec.action = action;
    rec.text = std::move(text);
    // The text goes in from the record's own copy; a refused change hands it back.
    if (!ApplyInsert(source, line, ch, rec.text, endLine, endChar)) {
        text = std::move(rec.text);
        return false;
    }
    rec.end = TextPosition{endChar, endLine};
    if (RecordMade(source, std::move(rec)))
        return true;
    text = std::move(rec.text); // not moved from: RecordMade failed before keeping it
    return false;
}

bool CTextBuffer::DeleteRecorded(CBufferView* source, int startLine, int startChar, int endLine,
                                 int endChar, EditAction action) {
    // The record is made before the text changes; its text is the one copy of what goes.
    EditRecord rec;
    rec.start = TextPosition{startChar, startLine};
    rec.end = TextPosition{endChar, endLine};
    rec.action = action;
    try {
        CopyText(startLine, startChar, endLine, endChar, rec.text);
        if (startLine < endLine && startLine >= 0 && endLine < LineCount()) {
            rec.partLengths.reserve(static_cast<size_t>(endLine - startLine + 1));
            rec.partLengths.push_back(LineLength(startLine) - startChar);
            for (int i = startLine + 1; i < endLine; ++i)
                rec.partLengths.push_back(LineLength(i));
            rec.partLengths.push_back(endChar);
        }
    } catch (const std::bad_alloc&) {
        return Refuse(ENOMEM);
    }
    if (!ApplyDelete(source, startLine, startChar, endLine, endChar))
        return false;
    return RecordMade(source, std::move(rec));
}

void CTextBuffer::OpenEditGroup(bool mergeWithPrevious) {
    groupOpen_ = true;
    groupRecorded_ = false;
    groupStartPending_ = appliedCount_ == 0 || !mergeWithPrevious;
    if (groupStartPending_)
        skipGroup_ = false;
}

void CTextBuffer::CloseEditGroup(CBufferView* source) {
    skipGroup_ = false;
    // A group that recorded nothing (a paste of nothing, a drag that was given up) has no change
    // to tell about: the record before it belongs to an earlier step, whose hook already ran.
    if (source == nullptr || appliedCount_ < 1 || !std::exchange(groupRecorded_, false)) {
        groupOpen_ = false;
        return;
    }
    groupStartPending_ = true;
    EditRecord& last = records_[static_cast<size_t>(appliedCount_ - 1)];
    const EditAction action = last.action;
    if (lentSerial_ != 0) {
        // A hook closing a group of its own: the outer hook still reads the lent text.
        const std::string text = last.text;
        source->AfterEditAction(action, text);
        groupOpen_ = false;
        return;
    }
    // The hook may record new changes, which can drop this record, so it must not read the
    // record's text in place; nor should a paste of many megabytes be copied for it. The record
    // lends its text instead: moved out for the call and back afterwards, the record found again
    // by its serial (gone when the history dropped it). Undo and redo in the hook give the record
    // a copy first (ReturnLentText).
    lentSerial_ = last.serial;
    lentText_ = std::move(last.text);
    source->AfterEditAction(action, lentText_);
    if (lentSerial_ != 0) {
        for (auto it = records_.rbegin(); it != records_.rend() && it->serial >= lentSerial_; ++it)
            if (it->serial == lentSerial_) {
                it->text = std::move(lentText_);
                break;
            }
        lentSerial_ = 0;
    }
    lentText_ = std::string();
    groupOpen_ = false;
}

bool CTextBuffer::ReturnLentText() {
    if (lentSerial_ == 0)
        return true;
    for (auto it = records_.rbegin(); it != records_.rend() && it->serial >= lentSerial_; ++it)
        if (it->serial == lentSerial_) {
            try {
                it->text = lentText_;
            } catch (const std::bad_alloc&) {
                return false;
            }
            break;
        }
    lentSerial_ = 0;
    return true;
}

void CTextBuffer::SetUndoCapacity(int capacity) {
    undoCapacity_ = std::max(capacity, 1);
}

void CTextBuffer::DropOldestGroup() {
    size_t end = 1;
    while (end < records_.size() && !(records_[end].kind & EditRecord::RecordGroupStart))
        ++end;
    // With no group start pending, the newest group is still being recorded; when it is the one
    // dropped, the records it would still get must go too.
    if (end == records_.size() && !groupStartPending_)
        skipGroup_ = true;
    records_.erase(records_.begin(), records_.begin() + static_cast<std::ptrdiff_t>(end));
    const int dropped = static_cast<int>(end);
    appliedCount_ -= dropped;
    if (savedCount_ >= dropped)
        savedCount_ -= dropped;
    else
        savedCount_ = -1;
}

void CTextBuffer::PushRecord(EditRecord&& rec) {
    rec.serial = ++lastSerial_;
    if (!skipGroup_ && appliedCount_ < RecordCount()) {
        if (savedCount_ > appliedCount_)
            savedCount_ = -1;
        records_.erase(records_.begin() + appliedCount_, records_.end());
    }
    while (!skipGroup_ && !records_.empty() && RecordCount() >= undoCapacity_)
        DropOldestGroup();
    if (skipGroup_) {
        // Not kept, but the text changed all the same: the observer hears of it.
        if (observer_)
            observer_->OnRecorded(*this, rec);
        return;
    }
    // A record that would join a group no longer in the history starts one instead.
    if (groupStartPending_ || records_.empty()) {
        groupStartPending_ = false;
        rec.kind |= EditRecord::RecordGroupStart;
    }
    records_.push_back(std::move(rec));
    appliedCount_ = RecordCount();
    groupRecorded_ = true;
    if (observer_)
        observer_->OnRecorded(*this, records_.back());
}

bool CTextBuffer::ApplyRecord(const EditRecord& r, bool undo, TextPosition* caret) {
    if (r.batch) {
        bool applied = false;
        try {
            applied = ApplyReplaceBatch(nullptr, *r.batch, undo);
        } catch (const std::bad_alloc&) {
            applied = Refuse(ENOMEM);
        }
        if (applied && caret)
            *caret = BatchCaret(*r.batch, undo);
        return applied;
    }
    int endLine = 0;
    int endChar = 0;
    bool done = false;
    // Undoing an insertion and redoing a deletion delete; the other two insert.
    if ((r.kind & EditRecord::RecordInsert) != 0 ? undo : !undo) {
        done = ApplyDelete(nullptr, r.start.y, r.start.x, r.end.y, r.end.x);
    } else if (r.kind & EditRecord::RecordInsert) {
        done = ApplyInsert(nullptr, r.start.y, r.start.x, r.text, endLine, endChar);
    } else {
        try {
            DeletedParts parts(r);
            done =
                InsertParts(nullptr, r.start.y, r.start.x, parts.First(), parts, endLine, endChar);
        } catch (const std::bad_alloc&) {
            done = Refuse(ENOMEM);
        }
    }
    if (done && caret)
        *caret = (r.kind & EditRecord::RecordInsert) != 0 ? (undo ? r.start : r.end)
                                                          : (undo ? r.end : r.start);
    return done;
}

bool CTextBuffer::UndoLastStep(TextPosition& caret) {
    if (readOnly_ || appliedCount_ <= 0 || appliedCount_ > RecordCount())
        return false;
    if (!ReturnLentText())
        return Refuse(ENOMEM);
    const int before = appliedCount_;
    // A change refused for lack of memory ends the step there: the records undone so far stay
    // undone, the rest of the group stays applied, and the history stays in step with the text.
    for (;;) {
        const EditRecord& r = records_[static_cast<size_t>(appliedCount_ - 1)];
        if (!ApplyRecord(r, true, &caret))
            break;
        --appliedCount_;
        if (appliedCount_ == 0 || (r.kind & EditRecord::RecordGroupStart))
            break;
    }
    if (appliedCount_ == before)
        return false;
    if (observer_)
        observer_->OnUndone(*this, appliedCount_, before);
    CheckModified();
    return true;
}

bool CTextBuffer::RedoNextStep(TextPosition& caret) {
    if (readOnly_ || appliedCount_ < 0 || appliedCount_ >= RecordCount())
        return false;
    if (!ReturnLentText())
        return Refuse(ENOMEM);
    const int before = appliedCount_;
    do {
        if (!ApplyRecord(records_[static_cast<size_t>(appliedCount_)], false, &caret))
            break;
        ++appliedCount_;
    } while (appliedCount_ < RecordCount() &&
             !(records_[static_cast<size_t>(appliedCount_)].kind & EditRecord::RecordGroupStart));
    if (appliedCount_ == before)
        return false;
    if (observer_)
        observer_->OnRedone(*this, before, appliedCount_);
    CheckModified();
    return true;
}

void CTextBuffer::ForgetSavedState() {
    savedCount_ = -1;
    if (!modified_)
        MarkModified(true);
}

void CTextBuffer::CheckModified() {
    if (modified_ && savedCount_ == appliedCount_)
        MarkModified(false);
    if (!modified_ && savedCount_ != appliedCount_)
        MarkModified(true);
}

void CTextBuffer::UndoActionName(std::string& text) const {
    text.clear();
    int p = std::min(appliedCount_, RecordCount()) - 1;
    if (p < 0)
        return;
    while (p > 0 && !(records_[static_cast<size_t>(p)].kind & EditRecord::RecordGroupStart))
        --p;
    if (!ActionName(records_[static_cast<size_t>(p)].action, text))
        text.clear();
}

void CTextBuffer::RedoActionName(std::string& text) const {
    text.clear();
    if (appliedCount_ < 0 || appliedCount_ >= RecordCount())
        return;
    if (!ActionName(records_[static_cast<size_t>(appliedCount_)].action, text))
        text.clear();
}

bool CTextBuffer::ActionName(int action, std::string& text) const {
    const ActionNameEntry* entry = FindActionName(action);
    if (entry == nullptr)
        return false;
    text = entry->text;
    return true;
}
