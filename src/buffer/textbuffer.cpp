#include "buffer/textbuffer.h"

#include <algorithm>
#include <bit>
#include <cerrno>
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

bool CTextBuffer::ApplyInsert(CBufferView* source, int line, int ch, std::string_view text,
                              int& endLine, int& endChar) try {
    // The pieces of the text: a CR ends a piece and swallows one LF right after it; a lone LF is
    // an ordinary character.
    std::vector<std::string_view> pieces;
    size_t from = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r')
            continue;
        pieces.push_back(text.substr(from, i - from));
        if (i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        from = i + 1;
    }
    pieces.push_back(text.substr(from));
    return InsertParts(source, line, ch, pieces, endLine, endChar);
} catch (const std::bad_alloc&) {
    return Refuse(ENOMEM);
}

bool CTextBuffer::InsertParts(CBufferView* source, int line, int ch,
                              const std::vector<std::string_view>& pieces, int& endLine,
                              int& endChar) {
    if (readOnly_ || line < 0 || line >= LineCount() || ch < 0 || ch > LineLength(line))
        return false;
    const int64_t oldLength = LineLength(line);
    const auto firstLength = static_cast<int64_t>(pieces.front().size());
    const auto lastLength = static_cast<int64_t>(pieces.back().size());
    const int64_t longest = pieces.size() == 1
                                ? oldLength + firstLength
                                : std::max(ch + firstLength, lastLength + oldLength - ch);
    if (longest > LineStore::kMaxLength)
        return Refuse(EFBIG);
    // Whatever allocates comes before the first change, so that a lack of memory leaves the text
    // as it was. The rest of the line moves to the last new line without a copy in between.
    try {
        if (pieces.size() == 1) {
            lines_.InsertChars(line, ch, pieces.front());
            endLine = line;
            endChar = ch + static_cast<int>(firstLength);
        } else {
            lines_.Reserve(line, ch + firstLength);
            const std::string_view rest = LineText(line).substr(static_cast<size_t>(ch));
            lines_.InsertLines(
                line + 1, std::vector<std::string_view>(pieces.begin() + 1, pieces.end()), rest);
            lines_.Truncate(line, ch);
            lines_.Append(line, pieces.front());
            lines_.Compact(line);
            endLine = line + static_cast<int>(pieces.size()) - 1;
            endChar = static_cast<int>(lastLength);
        }
    } catch (const std::bad_alloc&) {
        return Refuse(ENOMEM);
    }

    const InsertAdjuster adjuster(TextPosition{ch, line}, TextPosition{endChar, endLine});
    const uint32_t hints =
        pieces.size() > 1 ? (HintLineLengths | HintLineCount) : (HintOneLine | HintLineLengths);
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
