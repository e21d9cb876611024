// Plain reference models of the text buffer, written independently of its implementation, for
// the model-based tests and the fuzz targets.
//
// TextModel keeps the whole text in one string with '\r' between lines: text inserted through the
// buffer never leaves a CR inside a line, so a CR can only be a line break there. HistoryModel
// keeps the undo records with their group starts, the applied and saved positions, the capacity
// drop and the modified flag, and drives a TextModel.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "buffer/types.h"

namespace bufmodel {

// The lines a loader makes of `bytes` with `separator`: a byte matching the next separator byte
// advances the match, any other byte resets it without being compared with the separator's first
// byte again, and a full match ends a line. What follows the last separator is the last line.
inline std::vector<std::string> SplitLikeLoader(std::string_view bytes,
                                                std::string_view separator) {
    std::vector<std::string> lines;
    std::string current;
    size_t m = 0;
    for (char c : bytes) {
        current.push_back(c);
        if (c == separator[m]) {
            if (++m == separator.size()) {
                current.resize(current.size() - m);
                lines.push_back(std::move(current));
                current.clear();
                m = 0;
            }
        } else {
            m = 0;
        }
    }
    lines.push_back(std::move(current));
    return lines;
}

// The style a loader detects from the first 32,768 bytes.
inline LineEndStyle DetectStyle(std::string_view bytes) {
    std::string_view block = bytes.substr(0, 32768);
    size_t lf = block.find('\n');
    if (lf == std::string_view::npos)
        return LineEndDos;
    if (lf > 0 && block[lf - 1] == '\r')
        return LineEndDos;
    if (lf + 1 < block.size() && block[lf + 1] == '\r')
        return LineEndUnix;
    return LineEndMac;
}

inline std::string_view Separator(LineEndStyle style) {
    switch (style) {
    case LineEndUnix:
        return "\n\r";
    case LineEndMac:
        return "\n";
    default:
        return "\r\n";
    }
}

class TextModel {
public:
    std::string text; // lines joined by '\r'

    // Inserted text as the buffer splits it: CR LF and lone CR become one break, lone LF stays.
    static std::string Normalize(std::string_view inserted) {
        std::string out;
        out.reserve(inserted.size());
        for (size_t i = 0; i < inserted.size(); ++i) {
            out.push_back(inserted[i]);
            if (inserted[i] == '\r' && i + 1 < inserted.size() && inserted[i + 1] == '\n')
                ++i;
        }
        return out;
    }

    // A range as CopyText returns it: lines joined by CR LF.
    static std::string Denormalize(std::string_view normal) {
        std::string out;
        out.reserve(normal.size() + 16);
        for (char c : normal) {
            out.push_back(c);
            if (c == '\r')
                out.push_back('\n');
        }
        return out;
    }

    int LineCount() const {
        return static_cast<int>(std::count(text.begin(), text.end(), '\r')) + 1;
    }

    size_t LineStart(int line) const {
        size_t pos = 0;
        for (int i = 0; i < line; ++i)
            pos = text.find('\r', pos) + 1;
        return pos;
    }

    int LineLength(int line) const {
        size_t start = LineStart(line);
        size_t end = text.find('\r', start);
        return static_cast<int>((end == std::string::npos ? text.size() : end) - start);
    }

    std::string_view Line(int line) const {
        size_t start = LineStart(line);
        size_t end = text.find('\r', start);
        return std::string_view(text).substr(start, (end == std::string::npos ? text.size() : end) -
                                                        start);
    }

    size_t Offset(TextPosition p) const { return LineStart(p.y) + static_cast<size_t>(p.x); }

    TextPosition PositionOf(size_t offset) const {
        TextPosition p;
        size_t lineStart = 0;
        for (size_t i = 0; i < offset; ++i) {
            if (text[i] == '\r') {
                ++p.y;
                lineStart = i + 1;
            }
        }
        p.x = static_cast<int32_t>(offset - lineStart);
        return p;
    }
};

// One expected notification of an attached view.
struct Note {
    bool fromView = false; // the change was made on behalf of the view (else no source)
    bool insertion = false;
    uint32_t hints = 0;
    int line = 0;
    TextPosition start;
    TextPosition end;

    friend bool operator==(const Note&, const Note&) = default;
};

struct ModelRecord {
    bool insertion = false;
    bool groupStart = false;
    TextPosition start;
    TextPosition end;
    EditAction action = ActionUnknown;
    std::string text; // as the buffer stores it: inserted as given, deleted with CR LF
};

// The history and the text it drives. Tracked offsets move as views move their positions.
class HistoryModel {
public:
    TextModel model;
    std::vector<ModelRecord> records;
    int applied = 0;
    int saved = 0;
    bool groupOpen = false;
    bool startPending = false;
    bool recorded = false; // the group opened last recorded a change
    bool skipGroup = false;
    bool modified = false;
    bool readOnly = false;
    int capacity = 1024;
    std::vector<size_t> tracked;
    std::vector<Note> notes;

    void Reset() {
        model.text.clear();
        records.clear();
        applied = saved = 0;
        groupOpen = startPending = recorded = skipGroup = modified = readOnly = false;
        capacity = 1024;
        notes.clear();
    }

    bool HasUndo() const { return applied > 0; }
    bool HasRedo() const { return applied < static_cast<int>(records.size()); }

    // The unrecorded insertion; returns the end position.
    bool ApplyInsert(bool fromView, TextPosition at, std::string_view text, TextPosition& end) {
        if (readOnly)
            return false;
        std::string normal = TextModel::Normalize(text);
        size_t offset = model.Offset(at);
        model.text.insert(offset, normal);
        end = model.PositionOf(offset + normal.size());
        for (size_t& t : tracked)
            if (t > offset)
                t += normal.size();
        bool breaks = normal.find('\r') != std::string::npos;
        notes.push_back({fromView, true, breaks ? 0x0003u : 0x0101u, at.y, at, end});
        modified = true;
        return true;
    }

    bool ApplyDelete(bool fromView, TextPosition start, TextPosition end) {
        if (readOnly)
            return false;
        size_t a = model.Offset(start);
        size_t b = model.Offset(end);
        model.text.erase(a, b - a);
        for (size_t& t : tracked) {
            if (t >= b)
                t -= b - a;
            else if (t > a)
                t = a;
        }
        notes.push_back(
            {fromView, false, start.y != end.y ? 0x0003u : 0x0101u, start.y, start, end});
        modified = true;
        return true;
    }

    std::string CopyText(TextPosition start, TextPosition end) const {
        size_t a = model.Offset(start);
        size_t b = model.Offset(end);
        return TextModel::Denormalize(std::string_view(model.text).substr(a, b - a));
    }

    void OpenEditGroup(bool merge) {
        groupOpen = true;
        recorded = false;
        startPending = applied == 0 || !merge;
    }

    // The first half of closing a group: returns the record whose action and text the source view's
    // hook receives, or none when no hook runs (no source view, or nothing recorded since the group
    // opened). The hook's own records go between the two halves.
    const ModelRecord* BeginClose(bool fromView) {
        if (!fromView || applied < 1 || !std::exchange(recorded, false)) {
            groupOpen = false;
            return nullptr;
        }
        startPending = true;
        return &records[static_cast<size_t>(applied - 1)];
    }
    void EndClose() { groupOpen = false; }

    // `hook` stands for the source view's AfterEditAction: it gets a copy of the last record and
    // may make recorded changes of its own, which then form a group of their own.
    template <class Hook> void CloseEditGroup(bool fromView, Hook&& hook) {
        if (const ModelRecord* last = BeginClose(fromView)) {
            ModelRecord copy = *last;
            hook(copy);
        }
        EndClose();
    }

    template <class Hook>
    bool InsertRecorded(bool fromView, TextPosition at, std::string_view text, EditAction action,
                        TextPosition& end, Hook&& hook) {
        if (!ApplyInsert(fromView, at, text, end))
            return false;
        bool ownGroup = !groupOpen;
        if (ownGroup)
            OpenEditGroup(false);
        Record({true, false, at, end, action, std::string(text)});
        if (ownGroup)
            CloseEditGroup(fromView, hook);
        return true;
    }

    template <class Hook>
    bool DeleteRecorded(bool fromView, TextPosition start, TextPosition end, EditAction action,
                        Hook&& hook) {
        std::string deleted = CopyText(start, end);
        if (!ApplyDelete(fromView, start, end))
            return false;
        bool ownGroup = !groupOpen;
        if (ownGroup)
            OpenEditGroup(false);
        Record({false, false, start, end, action, std::move(deleted)});
        if (ownGroup)
            CloseEditGroup(fromView, hook);
        return true;
    }

    void Record(ModelRecord r) {
        if (applied < static_cast<int>(records.size())) {
            if (saved > applied)
                saved = -1;
            records.resize(static_cast<size_t>(applied));
        }
        if (startPending)
            skipGroup = false;
        else if (skipGroup)
            return;
        // A lowered capacity may need several groups to go.
        while (!records.empty() && static_cast<int>(records.size()) >= capacity) {
            size_t k = 1;
            while (k < records.size() && !records[k].groupStart)
                ++k;
            bool droppingOpenGroup = k == records.size() && !startPending;
            records.erase(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(k));
            applied -= static_cast<int>(k);
            saved = saved < static_cast<int>(k) ? -1 : saved - static_cast<int>(k);
            if (droppingOpenGroup) {
                skipGroup = true;
                return;
            }
        }
        r.groupStart = startPending;
        startPending = false;
        records.push_back(std::move(r));
        applied = static_cast<int>(records.size());
        recorded = true;
    }

    void CheckModified() {
        if (modified && saved == applied)
            modified = false;
        if (!modified && saved != applied)
            modified = true;
    }

    void Saved() {
        modified = false;
        saved = applied;
    }

    bool Undo(TextPosition& caret) {
        if (readOnly || applied == 0)
            return false;
        const ModelRecord* r = nullptr;
        do {
            r = &records[static_cast<size_t>(--applied)];
            if (r->insertion) {
                ApplyDelete(false, r->start, r->end);
                caret = r->start;
            } else {
                TextPosition ignored;
                ApplyInsert(false, r->start, r->text, ignored);
                caret = r->end;
            }
        } while (!r->groupStart);
        CheckModified();
        return true;
    }

    bool Redo(TextPosition& caret) {
        if (readOnly || !HasRedo())
            return false;
        do {
            const ModelRecord& r = records[static_cast<size_t>(applied)];
            if (r.insertion) {
                TextPosition ignored;
                ApplyInsert(false, r.start, r.text, ignored);
                caret = r.end;
            } else {
                ApplyDelete(false, r.start, r.end);
                caret = r.start;
            }
            ++applied;
        } while (applied < static_cast<int>(records.size()) &&
                 !records[static_cast<size_t>(applied)].groupStart);
        CheckModified();
        return true;
    }

    // The action whose name the next undo shows, or -1 without undo.
    int UndoAction() const {
        if (applied == 0)
            return -1;
        int p = applied - 1;
        while (p > 0 && !records[static_cast<size_t>(p)].groupStart)
            --p;
        return records[static_cast<size_t>(p)].action;
    }
    int RedoAction() const { return HasRedo() ? records[static_cast<size_t>(applied)].action : -1; }
};

} // namespace bufmodel
