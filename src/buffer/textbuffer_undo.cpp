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
#include <string>
#include <utility>
#include <vector>

#include "buffer/actionnames.h"
#include "buffer/textbuffer.h"

bool CTextBuffer::InsertRecorded(CBufferView* source, int line, int ch, std::string_view text,
                                 int& endLine, int& endChar, EditAction action) {
    return InsertRecordedText(source, line, ch, text, nullptr, endLine, endChar, action);
}

bool CTextBuffer::InsertRecorded(CBufferView* source, int line, int ch, std::string&& text,
                                 int& endLine, int& endChar, EditAction action) {
    return InsertRecordedText(source, line, ch, text, &text, endLine, endChar, action);
}

bool CTextBuffer::InsertRecordedText(CBufferView* source, int line, int ch, std::string_view text,
                                     std::string* owned, int& endLine, int& endChar,
                                     EditAction action) {
    if (!ApplyInsert(source, line, ch, text, endLine, endChar))
        return false;
    const bool opened = !groupOpen_;
    if (opened)
        OpenEditGroup(false);
    RecordEdit(true, TextPosition{ch, line}, TextPosition{endChar, endLine},
               owned ? std::move(*owned) : std::string(text), action);
    if (opened)
        CloseEditGroup(source);
    return true;
}

bool CTextBuffer::DeleteRecorded(CBufferView* source, int startLine, int startChar, int endLine,
                                 int endChar, EditAction action) {
    std::string text;
    CopyText(startLine, startChar, endLine, endChar, text);
    std::vector<int32_t> parts;
    if (startLine < endLine && startLine >= 0 && endLine < LineCount()) {
        parts.reserve(static_cast<size_t>(endLine - startLine + 1));
        parts.push_back(LineLength(startLine) - startChar);
        for (int i = startLine + 1; i < endLine; ++i)
            parts.push_back(LineLength(i));
        parts.push_back(endChar);
    }
    if (!ApplyDelete(source, startLine, startChar, endLine, endChar))
        return false;
    const bool opened = !groupOpen_;
    if (opened)
        OpenEditGroup(false);
    RecordEdit(false, TextPosition{startChar, startLine}, TextPosition{endChar, endLine},
               std::move(text), action, std::move(parts));
    if (opened)
        CloseEditGroup(source);
    return true;
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
    // The hook may record new changes, which can move or drop this record: pass a copy.
    const EditRecord& last = records_[static_cast<size_t>(appliedCount_ - 1)];
    const EditAction action = last.action;
    const std::string text = last.text;
    source->AfterEditAction(action, text);
    groupOpen_ = false;
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

void CTextBuffer::RecordEdit(bool isInsertion, TextPosition start, TextPosition end,
                             std::string text, EditAction action,
                             std::vector<int32_t> partLengths) {
    if (skipGroup_)
        return;
    EditRecord rec;
    rec.kind = isInsertion ? EditRecord::RecordInsert : 0;
    rec.start = start;
    rec.end = end;
    rec.action = action;
    rec.text = std::move(text);
    rec.partLengths = std::move(partLengths);
    PushRecord(std::move(rec));
}

void CTextBuffer::PushRecord(EditRecord&& rec) {
    if (skipGroup_)
        return;
    if (appliedCount_ < RecordCount()) {
        if (savedCount_ > appliedCount_)
            savedCount_ = -1;
        records_.erase(records_.begin() + appliedCount_, records_.end());
    }
    while (!records_.empty() && RecordCount() >= undoCapacity_) {
        DropOldestGroup();
        if (skipGroup_)
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
}

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

bool CTextBuffer::UndoLastStep(TextPosition& caret) {
    if (readOnly_ || appliedCount_ <= 0 || appliedCount_ > RecordCount())
        return false;
    int endLine = 0;
    int endChar = 0;
    for (;;) {
        --appliedCount_;
        const EditRecord& r = records_[static_cast<size_t>(appliedCount_)];
        if (r.batch) {
            ApplyFittingBatch(nullptr, *r.batch, true);
            caret = BatchCaret(*r.batch, true);
        } else if (r.kind & EditRecord::RecordInsert) {
            ApplyDelete(nullptr, r.start.y, r.start.x, r.end.y, r.end.x);
            caret = r.start;
        } else {
            DeletedParts parts(r);
            InsertParts(nullptr, r.start.y, r.start.x, parts.First(), parts, endLine, endChar);
            caret = r.end;
        }
        if (appliedCount_ == 0 || (r.kind & EditRecord::RecordGroupStart))
            break;
    }
    CheckModified();
    return true;
}

bool CTextBuffer::RedoNextStep(TextPosition& caret) {
    if (readOnly_ || appliedCount_ < 0 || appliedCount_ >= RecordCount())
        return false;
    int endLine = 0;
    int endChar = 0;
    do {
        const EditRecord& r = records_[static_cast<size_t>(appliedCount_)];
        if (r.batch) {
            ApplyFittingBatch(nullptr, *r.batch, false);
            caret = BatchCaret(*r.batch, false);
        } else if (r.kind & EditRecord::RecordInsert) {
            ApplyInsert(nullptr, r.start.y, r.start.x, r.text, endLine, endChar);
            caret = r.end;
        } else {
            ApplyDelete(nullptr, r.start.y, r.start.x, r.end.y, r.end.x);
            caret = r.start;
        }
        ++appliedCount_;
    } while (appliedCount_ < RecordCount() &&
             !(records_[static_cast<size_t>(appliedCount_)].kind & EditRecord::RecordGroupStart));
    CheckModified();
    return true;
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
