#include "buffer/textbuffer.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <new>
#include <string>

CTextBuffer::CTextBuffer() : fs_(&FileSystem::Native()) {}

CTextBuffer::~CTextBuffer() = default;

// ---- Lifetime and state

bool CTextBuffer::ResetToEmpty(LineEndStyle style) {
    // A style without a line-end sequence could never be saved: refuse it, changing nothing.
    if (style != LineEndAuto && LineEndSequence(style).empty())
        return false;
    // Starting from anything but a released buffer would leave old lines or records behind.
    ReleaseContents();
    lines_.InsertLines(0, {std::string_view()});
    lineEndStyle_ = style == LineEndAuto ? LineEndDos : style;
    readOnly_ = false;
    modified_ = false;
    ResetHistoryState();
    NotifyViews(nullptr, nullptr, HintReload, -1);
    return true;
}

void CTextBuffer::ReleaseContents() {
    lines_.Clear();
    records_.clear();
    // An empty history has no other consistent positions; the next reset or load sets the rest.
    appliedCount_ = 0;
    savedCount_ = 0;
}

void CTextBuffer::ResetHistoryState() {
    records_.clear();
    appliedCount_ = 0;
    savedCount_ = 0;
    groupOpen_ = false;
    groupStartPending_ = false;
    groupRecorded_ = false;
    skipGroup_ = false;
    undoCapacity_ = kDefaultUndoCapacity;
}

void CTextBuffer::MarkModified(bool modified) {
    modified_ = modified;
}

// ---- Reading

void CTextBuffer::CopyText(int startLine, int startChar, int endLine, int endChar,
                           std::string& text, std::optional<std::string_view> lineEnd) const {
    text.clear();
    if (startLine < 0 || endLine >= LineCount() || startLine > endLine)
        return;
    const std::string_view eol = lineEnd.value_or("\r\n");
    const std::string_view first = LineText(startLine);
    startChar = std::clamp(startChar, 0, static_cast<int>(first.size()));
    if (startLine == endLine) {
        endChar = std::clamp(endChar, startChar, static_cast<int>(first.size()));
        text.assign(
            first.substr(static_cast<size_t>(startChar), static_cast<size_t>(endChar - startChar)));
        return;
    }
    const std::string_view last = LineText(endLine);
    endChar = std::clamp(endChar, 0, static_cast<int>(last.size()));
    size_t total = first.size() - static_cast<size_t>(startChar) + static_cast<size_t>(endChar);
    for (int i = startLine + 1; i < endLine; ++i)
        total += static_cast<size_t>(LineLength(i));
    total += eol.size() * static_cast<size_t>(endLine - startLine);
    text.reserve(total);
    text.append(first.substr(static_cast<size_t>(startChar)));
    text.append(eol);
    for (int i = startLine + 1; i < endLine; ++i) {
        text.append(LineText(i));
        text.append(eol);
    }
    text.append(last.substr(0, static_cast<size_t>(endChar)));
}

// ---- Line flags

int CTextBuffer::FirstLineWithFlags(LineFlags mask) const {
    return lines_.FindMarked(0, LineCount(), mask);
}

int CTextBuffer::LineOfSingleFlag(LineFlags flag) const {
    if (!std::has_single_bit(flag))
        return -1;
    return FirstLineWithFlags(flag);
}

void CTextBuffer::ChangeLineFlag(int line, LineFlags flag, bool set, bool exclusive) {
    if (!std::has_single_bit(flag))
        return;
    if (line == -1) {
        line = FirstLineWithFlags(flag);
        if (line == -1)
            return;
        exclusive = false;
    }
    if (line < 0 || line >= LineCount())
        return;
    const LineFlags old = lines_.At(line).marks;
    const LineFlags now = set ? (old | flag) : (old & ~flag);
    if (now == old)
        return;
    if (exclusive && set) {
        const int holder = FirstLineWithFlags(flag);
        if (holder != -1) {
            lines_.SetMarks(holder, lines_.At(holder).marks & ~flag);
            NotifyViews(nullptr, nullptr, HintOneLine | HintMarksOnly, holder);
        }
    }
    lines_.SetMarks(line, now);
    NotifyViews(nullptr, nullptr, HintOneLine | HintMarksOnly, line);
}

int CTextBuffer::NextPlainBookmark(int line) const {
    const int count = LineCount();
    if (line < 0 || line >= count)
        return -1;
    const int start = (lines_.At(line).marks & PlainBookmark) ? line + 1 : line;
    const int found = lines_.FindMarked(start, count, PlainBookmark);
    return found != -1 ? found : lines_.FindMarked(0, count, PlainBookmark);
}

int CTextBuffer::PreviousPlainBookmark(int line) const {
    const int count = LineCount();
    if (line < 0 || line >= count)
        return -1;
    const int start = (lines_.At(line).marks & PlainBookmark) ? line - 1 : line;
    const int found = lines_.FindMarkedBackward(start, 0, PlainBookmark);
    return found != -1 ? found : lines_.FindMarkedBackward(count - 1, 0, PlainBookmark);
}

// ---- Views

void CTextBuffer::AttachView(CBufferView* view) {
    views_.push_back(view);
}

void CTextBuffer::DetachView(CBufferView* view) {
    auto it = std::find(views_.begin(), views_.end(), view);
    if (it != views_.end())
        views_.erase(it);
}

void CTextBuffer::NotifyViews(CBufferView* source, const PositionAdjuster* adjuster, uint32_t hints,
                              int line) {
    // A view may detach itself while being told; walk a snapshot of the list.
    const std::vector<CBufferView*> views = views_;
    for (CBufferView* view : views)
        view->OnBufferChanged(source, adjuster, hints, line);
}

// ---- Editing primitives

namespace {

// The pieces of an inserted text after its first: a CR ends a piece and takes one LF right after
// it with it; a lone LF is an ordinary character. `rest` starts after the first piece's break.
class SplitSource final : public LineSource {
public:
    SplitSource(std::string_view rest, int count) : rest_(rest), count_(count) {}
    int Count() const override { return count_; }
    int64_t Bytes() const override { return static_cast<int64_t>(rest_.size()); }
    std::string_view Last() const override {
        const size_t cr = rest_.rfind('\r');
        if (cr == std::string_view::npos)
            return rest_;
        size_t from = cr + 1;
        if (from < rest_.size() && rest_[from] == '\n')
            ++from;
        return rest_.substr(from);
    }
    std::string_view Next() override {
        const size_t cr = rest_.find('\r', at_);
        if (cr == std::string_view::npos) {
            const std::string_view piece = rest_.substr(at_);
            at_ = rest_.size();
            return piece;
        }
        const std::string_view piece = rest_.substr(at_, cr - at_);
        at_ = cr + 1;
        if (at_ < rest_.size() && rest_[at_] == '\n')
            ++at_;
        return piece;
    }

private:
    std::string_view rest_;
    int count_;
    size_t at_ = 0;
};

} // namespace

bool CTextBuffer::ApplyInsert(CBufferView* source, int line, int ch, std::string_view text,
                              int& endLine, int& endChar) {
    const size_t cr = text.find('\r');
    if (cr == std::string_view::npos) {
        SplitSource none({}, 0);
        return InsertParts(source, line, ch, text, none, endLine, endChar);
    }
    // Every CR ends a piece, so the pieces after the first are as many as the CRs.
    const auto breaks = static_cast<int64_t>(std::count(text.begin(), text.end(), '\r'));
    if (breaks >= INT32_MAX - LineCount())
        return Refuse(ENOMEM); // more lines than a store can count
    size_t after = cr + 1;
    if (after < text.size() && text[after] == '\n')
        ++after;
    SplitSource more(text.substr(after), static_cast<int>(breaks));
    return InsertParts(source, line, ch, text.substr(0, cr), more, endLine, endChar);
}

bool CTextBuffer::InsertParts(CBufferView* source, int line, int ch, std::string_view first,
                              LineSource& more, int& endLine, int& endChar) {
    if (readOnly_ || line < 0 || line >= LineCount() || ch < 0 || ch > LineLength(line))
        return false;
    const int added = more.Count();
    const int64_t oldLength = LineLength(line);
    const auto firstLength = static_cast<int64_t>(first.size());
    const int64_t lastLength = added > 0 ? static_cast<int64_t>(more.Last().size()) : 0;
    const int64_t longest = added == 0 ? oldLength + firstLength
                                       : std::max(ch + firstLength, lastLength + oldLength - ch);
    if (longest > LineStore::kMaxLength)
        return Refuse(EFBIG);
    // Whatever allocates comes before the first change, so that a lack of memory leaves the text
    // as it was: the room for the first piece, then the new lines (made whole before the store
    // changes). The rest of the line moves to the last new line without a copy in between.
    try {
        if (added == 0) {
            lines_.InsertChars(line, ch, first);
            endLine = line;
            endChar = ch + static_cast<int>(firstLength);
        } else {
            lines_.Reserve(line, ch + firstLength);
            const std::string_view rest = LineText(line).substr(static_cast<size_t>(ch));
            lines_.InsertLines(line + 1, more, rest);
            lines_.Truncate(line, ch);
            lines_.Append(line, first);
            lines_.Compact(line);
            endLine = line + added;
            endChar = static_cast<int>(lastLength);
        }
    } catch (const std::bad_alloc&) {
        return Refuse(ENOMEM);
    }

    const InsertAdjuster adjuster(TextPosition{ch, line}, TextPosition{endChar, endLine});
    const uint32_t hints =
        added > 0 ? (HintLineLengths | HintLineCount) : (HintOneLine | HintLineLengths);
    NotifyViews(source, &adjuster, hints, line);
    if (!modified_)
        MarkModified(true);
    return true;
}

bool CTextBuffer::ApplyDelete(CBufferView* source, int startLine, int startChar, int endLine,
                              int endChar) {
    if (readOnly_ || startLine < 0 || endLine >= LineCount() || startLine > endLine ||
        startChar < 0 || startChar > LineLength(startLine) || endChar < 0 ||
        endChar > LineLength(endLine) || (startLine == endLine && startChar > endChar))
        return false;

    uint32_t hints;
    if (startLine == endLine) {
        lines_.EraseChars(startLine, startChar, endChar);
        lines_.Compact(startLine);
        hints = HintOneLine | HintLineLengths;
    } else {
        // The rest of the end line joins the start line straight from its storage; only making
        // room for it can fail, before anything changed.
        const int64_t restLength = LineLength(endLine) - endChar;
        try {
            lines_.Reserve(startLine, startChar + restLength);
        } catch (const std::bad_alloc&) {
            return Refuse(ENOMEM);
        }
        lines_.Truncate(startLine, startChar);
        lines_.Append(startLine, LineText(endLine).substr(static_cast<size_t>(endChar)));
        lines_.EraseLines(startLine + 1, endLine - startLine);
        lines_.Compact(startLine);
        hints = HintLineLengths | HintLineCount;
    }
    const DeleteAdjuster adjuster(TextPosition{startChar, startLine},
                                  TextPosition{endChar, endLine});
    NotifyViews(source, &adjuster, hints, startLine);
    if (!modified_)
        MarkModified(true);
    return true;
}

bool CTextBuffer::Refuse(int errorNumber) {
    OnEditFailed(errorNumber);
    return false;
}

std::string_view CTextBuffer::LineEndSequence(LineEndStyle style) {
    switch (style) {
    case LineEndDos:
        return "\r\n";
    case LineEndUnix:
        return "\n\r";
    case LineEndMac:
        return "\n";
    case LineEndAuto:
        break;
    }
    return {};
}
