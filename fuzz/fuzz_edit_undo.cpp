// Input bytes drive recorded insertions and deletions, group openings and closings, undo, redo,
// read-only switches and saves on a buffer and on the reference model of
// tests/buffer/buffer_model.h; after every operation the text, the modified flag, the history
// positions and the notifications must agree. Aborts on the first difference.
//
// The first byte chooses the undo capacity. An attached view answers the close of a group whose
// last record typed a line break by inserting an indentation, as auto-indent does.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/buffer/buffer_model.h"
#include "buffer/textbuffer.h"

namespace {

using bufmodel::HistoryModel;
using bufmodel::ModelRecord;
using bufmodel::Note;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "fuzz_edit_undo: %s\n", what.c_str());
    std::abort();
}

bool WantsIndent(EditAction action, std::string_view text) {
    return action == ActionTyping && !text.empty() && (text.back() == '\r' || text.back() == '\n');
}

class FuzzView : public CBufferView {
public:
    explicit FuzzView(CTextBuffer& buffer) : buffer_(buffer) {}
    void OnBufferChanged(CBufferView* source, const PositionAdjuster* adjuster, uint32_t hints,
                         int line) override {
        Note note;
        note.fromView = source == this;
        note.hints = hints;
        note.line = line;
        if (adjuster == nullptr)
            Fail("notification without an adjuster");
        note.insertion = dynamic_cast<const InsertAdjuster*>(adjuster) != nullptr;
        note.start = adjuster->start;
        note.end = adjuster->end;
        notes.push_back(note);
    }
    void AfterEditAction(EditAction action, std::string_view text) override {
        hooks.emplace_back(action, std::string(text));
        if (WantsIndent(action, text)) {
            int endLine = 0;
            int endChar = 0;
            buffer_.InsertRecorded(nullptr, 0, 0, "  ", endLine, endChar, ActionAutoIndent);
        }
    }
    std::vector<Note> notes;
    std::vector<std::pair<EditAction, std::string>> hooks;

private:
    CTextBuffer& buffer_;
};

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return size_ == 0; }
    uint32_t Next() {
        if (size_ == 0)
            return 0;
        --size_;
        return *data_++;
    }
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint32_t>(n)); }

private:
    const uint8_t* data_;
    size_t size_;
};

class Run {
public:
    explicit Run(Input& in) : in_(in), view_(buffer_) {
        static const int capacities[] = {1024, 1, 2, 3, 5, 8, 16, 64};
        const int capacity = capacities[in_.Below(8)];
        buffer_.ResetToEmpty(LineEndDos);
        buffer_.SetUndoCapacity(capacity);
        buffer_.AttachView(&view_);
        view_.notes.clear();
        m_.capacity = capacity;
        char pattern[] = "/tmp/velmora-fuzz-save-XXXXXX";
        const int fd = ::mkstemp(pattern);
        if (fd < 0)
            Fail("mkstemp");
        ::close(fd);
        savePath_ = pattern;
    }
    ~Run() { ::unlink(savePath_.c_str()); }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    void Go() {
        while (!in_.Empty()) {
            Step();
            Check();
        }
    }

private:
    TextPosition Position() {
        TextPosition p;
        p.y = in_.Below(m_.model.LineCount());
        p.x = in_.Below(m_.model.LineLength(p.y) + 1);
        return p;
    }

    std::string Text(int maxLength) {
        static const char alphabet[] = {'a', 'b', '\r', '\n', '\t', ' ', '\0', ';'};
        std::string text;
        for (int n = in_.Below(maxLength + 1); n > 0; --n)
            text.push_back(alphabet[in_.Below(8)]);
        return text;
    }

    void Hook(const ModelRecord& last) {
        if (WantsIndent(last.action, last.text)) {
            TextPosition end;
            m_.InsertRecorded(false, {0, 0}, "  ", ActionAutoIndent, end,
                              [](const ModelRecord&) {});
        }
    }

    void Close(bool fromView) {
        m_.CloseEditGroup(fromView, [this](const ModelRecord& r) { Hook(r); });
        buffer_.CloseEditGroup(fromView ? &view_ : nullptr);
    }

    void Step() {
        auto hook = [this](const ModelRecord& r) { Hook(r); };
        const int op = in_.Below(10);
        const bool fromView = op % 2 == 1;
        CBufferView* source = fromView ? &view_ : nullptr;
        switch (op) {
        case 0:
        case 1:
        case 9: {
            const TextPosition at = Position();
            const std::string text = Text(op == 9 ? 40 : 5);
            const auto action = static_cast<EditAction>(in_.Below(11));
            TextPosition expectedEnd;
            const bool expected = m_.InsertRecorded(fromView, at, text, action, expectedEnd, hook);
            int endLine = -1;
            int endChar = -1;
            const bool got =
                buffer_.InsertRecorded(source, at.y, at.x, text, endLine, endChar, action);
            if (got != expected || (got && (TextPosition{endChar, endLine}) != expectedEnd))
                Fail("insertion result differs");
            break;
        }
        case 2:
        case 3: {
            TextPosition start = Position();
            TextPosition end = start;
            if (in_.Next() & 1) {
                end.x = start.x + in_.Below(m_.model.LineLength(start.y) - start.x + 1);
            } else {
                end.y = std::min(start.y + in_.Below(3), m_.model.LineCount() - 1);
                end.x = in_.Below(m_.model.LineLength(end.y) + 1);
                if (end.y == start.y && end.x < start.x)
                    std::swap(end.x, start.x);
            }
            const auto action = static_cast<EditAction>(in_.Below(11));
            const bool expected = m_.DeleteRecorded(fromView, start, end, action, hook);
            if (buffer_.DeleteRecorded(source, start.y, start.x, end.y, end.x, action) != expected)
                Fail("deletion result differs");
            break;
        }
        case 4:
        case 5:
            if (m_.groupOpen) {
                Close(fromView);
            } else {
                const bool merge = in_.Next() & 1;
                m_.OpenEditGroup(merge);
                buffer_.OpenEditGroup(merge);
            }
            break;
        case 6:
        case 7: {
            if (m_.groupOpen) {
                Close(fromView);
                break;
            }
            TextPosition expectedCaret{-1, -1};
            TextPosition caret{-1, -1};
            const bool undo = op == 6;
            const bool expected = undo ? m_.Undo(expectedCaret) : m_.Redo(expectedCaret);
            const bool got = undo ? buffer_.UndoLastStep(caret) : buffer_.RedoNextStep(caret);
            if (got != expected || (got && caret != expectedCaret))
                Fail(undo ? "undo differs" : "redo differs");
            break;
        }
        default:
            if (in_.Next() & 1) {
                m_.readOnly = !m_.readOnly;
                buffer_.ChangeReadOnly(m_.readOnly);
            } else if (!m_.groupOpen) {
                if (!buffer_.WriteToFile(savePath_, LineEndAuto, true))
                    Fail("save failed: " + buffer_.LastFileError().Message());
                m_.Saved();
            }
            break;
        }
    }

    void Check() {
        if (buffer_.LineCount() != m_.model.LineCount())
            Fail("line count differs");
        for (int i = 0; i < buffer_.LineCount(); ++i)
            if (buffer_.LineText(i) != m_.model.Line(i))
                Fail("line " + std::to_string(i) + " differs");
        if (buffer_.IsModified() != m_.modified)
            Fail("modified flag differs");
        if (buffer_.AppliedCount() != m_.applied ||
            buffer_.RecordCount() != static_cast<int>(m_.records.size()) ||
            buffer_.SavedCount() != m_.saved || buffer_.HasUndo() != m_.HasUndo() ||
            buffer_.HasRedo() != m_.HasRedo())
            Fail("history positions differ");
        for (int i = 0; i < buffer_.RecordCount(); ++i) {
            const EditRecord& r = buffer_.Record(i);
            const ModelRecord& e = m_.records[static_cast<size_t>(i)];
            if (((r.kind & EditRecord::RecordGroupStart) != 0) != e.groupStart ||
                ((r.kind & EditRecord::RecordInsert) != 0) != e.insertion || r.text != e.text)
                Fail("record " + std::to_string(i) + " differs");
        }
        if (view_.notes != m_.notes)
            Fail("notifications differ");
        view_.notes.clear();
        m_.notes.clear();
    }

    Input& in_;
    CTextBuffer buffer_;
    FuzzView view_;
    HistoryModel m_;
    std::string savePath_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    Run run(in);
    run.Go();
    return 0;
}
