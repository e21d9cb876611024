// Random recorded edits, groups, undos, redos and saves, checked after every step against the plain
// model of buffer_model.h: the text, the modified flag, the history positions, every notification
// and positions that an attached view moves with the adjusters.
//
// Reproduce a failure with VELMORA_MODEL_SEED=<seed> (and VELMORA_MODEL_STEPS=<n> to change the
// number of steps of every run).
#include <gtest/gtest.h>

#include <ostream>

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "buffer/textbuffer.h"
#include "buffer_model.h"
#include "common/test_rng.h"
#include "test_support.h"

namespace {

using bufmodel::HistoryModel;
using bufmodel::ModelRecord;
using bufmodel::Note;

using testrng::Rng;

std::string Pos(TextPosition p) {
    return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
}

// What the view's hook is expected to receive, and the recorded insertion it then makes.
struct HookPlan {
    EditAction action;
    std::string text;
    std::optional<std::pair<TextPosition, std::string>> insert;
};

class ModelView : public CBufferView {
public:
    explicit ModelView(CTextBuffer& buffer) : buffer_(buffer) {}

    void OnBufferChanged(CBufferView* source, const PositionAdjuster* adjuster, uint32_t hints,
                         int line) override {
        Note note;
        note.fromView = source == this;
        note.hints = hints;
        note.line = line;
        if (adjuster) {
            note.insertion = dynamic_cast<const InsertAdjuster*>(adjuster) != nullptr;
            note.start = adjuster->start;
            note.end = adjuster->end;
            for (TextPosition& p : positions)
                adjuster->AdjustPosition(p);
        } else {
            errors.push_back("notification without an adjuster, hints " + std::to_string(hints));
        }
        notes.push_back(note);
    }

    void AfterEditAction(EditAction action, std::string_view text) override {
        if (plans.empty()) {
            errors.push_back("unexpected AfterEditAction(" + std::to_string(action) + ")");
            return;
        }
        HookPlan plan = std::move(plans.front());
        plans.pop_front();
        if (plan.action != action || plan.text != text)
            errors.push_back("AfterEditAction got (" + std::to_string(action) + ", \"" +
                             buftest::Escaped(text) + "\"), expected (" +
                             std::to_string(plan.action) + ", \"" + buftest::Escaped(plan.text) +
                             "\")");
        if (plan.insert) {
            int endLine = 0;
            int endChar = 0;
            const auto& [at, inserted] = *plan.insert;
            if (!buffer_.InsertRecorded(nullptr, at.y, at.x, inserted, endLine, endChar,
                                        ActionAutoIndent))
                errors.push_back("the hook's insertion failed");
        }
    }

    std::vector<Note> notes;
    std::vector<TextPosition> positions;
    std::deque<HookPlan> plans;
    std::vector<std::string> errors;

private:
    CTextBuffer& buffer_;
};

class Harness {
public:
    Harness(uint64_t seed, int capacity, bool varyCapacity)
        : rng_(seed), view_(buffer_), baseCapacity_(capacity), varyCapacity_(varyCapacity) {
        buffer_.ResetToEmpty(LineEndDos);
        buffer_.SetUndoCapacity(capacity);
        buffer_.AttachView(&view_);
        view_.notes.clear();
        m_.capacity = capacity;
        savePath_ = dir_.File("model.asm");
        ResetTracked();
    }

    // Runs `steps` steps; stops at the first mismatch and describes it in `failure`.
    bool Run(int steps, std::string& failure) {
        for (step_ = 0; step_ < steps; ++step_) {
            DoStep();
            std::string why = Check();
            if (!why.empty()) {
                std::ostringstream out;
                out << "step " << step_ << ": " << why << "\nlast operations:\n";
                for (const std::string& op : recent_)
                    out << "  " << op << "\n";
                failure = out.str();
                return false;
            }
        }
        return true;
    }

private:
    void Log(std::string op) {
        recent_.push_back(std::to_string(step_) + " " + std::move(op));
        if (recent_.size() > 12)
            recent_.pop_front();
    }

    TextPosition RandomPosition() {
        TextPosition p;
        p.y = rng_.Below(m_.model.LineCount());
        p.x = rng_.Below(m_.model.LineLength(p.y) + 1);
        return p;
    }

    std::string RandomText() {
        static const char* pieces[] = {"a",  "b", "c", "ld",   " ", "\t",   "\r\n", "\r",
                                       "\n", ";", "e", "0FFh", "x", "\r\n", "d",    "\0"};
        int roll = rng_.Below(10);
        int count = roll < 6 ? 1 : roll < 9 ? 2 + rng_.Below(6) : 8 + rng_.Below(30);
        std::string text;
        for (int i = 0; i < count; ++i) {
            int k = rng_.Below(16);
            if (k == 15)
                text.push_back('\0');
            else
                text += pieces[k];
        }
        if (rng_.Chance(2))
            text.clear();
        return text;
    }

    void ResetTracked() {
        view_.positions.clear();
        m_.tracked.clear();
        for (int i = 0; i < 4; ++i) {
            TextPosition p = RandomPosition();
            view_.positions.push_back(p);
            m_.tracked.push_back(m_.model.Offset(p));
        }
    }

    // The model's side of the view's hook: decide now what the view will do when the buffer calls
    // it.
    void PlanHook(const ModelRecord& last) {
        HookPlan plan{last.action, last.text, std::nullopt};
        if (rng_.Chance(25) && !m_.readOnly) {
            TextPosition at = RandomPosition();
            std::string text = rng_.Chance(50) ? "    " : RandomText();
            TextPosition end;
            m_.InsertRecorded(false, at, text, ActionAutoIndent, end, [](const ModelRecord&) {});
            plan.insert.emplace(at, text);
        }
        view_.plans.push_back(std::move(plan));
    }

    void DoStep() {
        auto hook = [this](const ModelRecord& last) { PlanHook(last); };
        bool big = m_.model.text.size() > 3000;
        int roll = rng_.Below(100);
        CBufferView* source = rng_.Chance(50) ? &view_ : nullptr;
        bool fromView = source != nullptr;
        auto action = static_cast<EditAction>(rng_.Below(11));

        if (++sinceSave_ >= 500 && !m_.groupOpen) {
            sinceSave_ = 0;
            bool clear = rng_.Chance(80);
            LineEndStyle style = clear ? LineEndAuto : LineEndMac;
            Log(std::string("save clear=") + (clear ? "1" : "0"));
            if (!buffer_.WriteToFile(savePath_, style, clear)) {
                extraError_ = "save failed: " + buffer_.LastFileError().Message();
                return;
            }
            if (clear)
                m_.Saved();
            std::string expected = m_.model.text;
            std::string_view sep = clear ? "\r\n" : "\n";
            std::string file;
            for (char c : expected)
                if (c == '\r')
                    file += sep;
                else
                    file.push_back(c);
            if (buftest::ReadBytes(savePath_) != file)
                extraError_ = "the saved file differs from the text";
            return;
        }
        if (rng_.Chance(1)) {
            m_.readOnly = !m_.readOnly;
            buffer_.ChangeReadOnly(m_.readOnly);
            Log(std::string("read-only ") + (m_.readOnly ? "on" : "off"));
            return;
        }
        if (m_.readOnly && rng_.Chance(10)) {
            m_.readOnly = false;
            buffer_.ChangeReadOnly(false);
            Log("read-only off");
            return;
        }
        if (rng_.Chance(3)) {
            ResetTracked();
            return;
        }
        if (varyCapacity_ && rng_.Below(1000) < 3) {
            int capacity = 1 + rng_.Below(baseCapacity_ * 2);
            Log("capacity " + std::to_string(capacity));
            m_.capacity = capacity;
            buffer_.SetUndoCapacity(capacity);
            return;
        }

        if (roll < (big ? 20 : 34)) {
            TextPosition at = RandomPosition();
            std::string text = RandomText();
            Log("insert " + Pos(at) + " \"" + buftest::Escaped(text) +
                "\" view=" + std::to_string(fromView) + " action " + std::to_string(action));
            TextPosition expectedEnd;
            bool expected = m_.InsertRecorded(fromView, at, text, action, expectedEnd, hook);
            int endLine = -1;
            int endChar = -1;
            bool got = buffer_.InsertRecorded(source, at.y, at.x, text, endLine, endChar, action);
            if (got != expected)
                extraError_ = "InsertRecorded returned " + std::to_string(got);
            else if (got && (TextPosition{endChar, endLine}) != expectedEnd)
                extraError_ = "end " + Pos({endChar, endLine}) + ", expected " + Pos(expectedEnd);
        } else if (roll < 58) {
            TextPosition start = RandomPosition();
            TextPosition end = start;
            if (rng_.Chance(50) || big) {
                end.y = std::min(start.y + rng_.Below(big ? 40 : 4), m_.model.LineCount() - 1);
                end.x = rng_.Below(m_.model.LineLength(end.y) + 1);
                if (end.y == start.y && end.x < start.x)
                    std::swap(end.x, start.x);
            } else {
                end.x = start.x + rng_.Below(m_.model.LineLength(start.y) - start.x + 1);
            }
            Log("delete " + Pos(start) + "-" + Pos(end) + " view=" + std::to_string(fromView));
            bool expected = m_.DeleteRecorded(fromView, start, end, action, hook);
            bool got = buffer_.DeleteRecorded(source, start.y, start.x, end.y, end.x, action);
            if (got != expected)
                extraError_ = "DeleteRecorded returned " + std::to_string(got);
        } else if (roll < 74) {
            if (!m_.groupOpen) {
                bool merge = rng_.Chance(50);
                Log(std::string("open group merge=") + (merge ? "1" : "0"));
                m_.OpenEditGroup(merge);
                buffer_.OpenEditGroup(merge);
            } else {
                Log("close group view=" + std::to_string(fromView));
                m_.CloseEditGroup(fromView, hook);
                buffer_.CloseEditGroup(source);
            }
        } else if (m_.groupOpen) {
            Log("close group view=" + std::to_string(fromView));
            m_.CloseEditGroup(fromView, hook);
            buffer_.CloseEditGroup(source);
        } else {
            bool undo = roll < 90;
            Log(undo ? "undo" : "redo");
            TextPosition expectedCaret{-5, -5};
            TextPosition caret{-5, -5};
            bool expected = undo ? m_.Undo(expectedCaret) : m_.Redo(expectedCaret);
            bool got = undo ? buffer_.UndoLastStep(caret) : buffer_.RedoNextStep(caret);
            if (got != expected)
                extraError_ =
                    std::string(undo ? "undo" : "redo") + " returned " + std::to_string(got);
            else if (got && caret != expectedCaret)
                extraError_ = "caret " + Pos(caret) + ", expected " + Pos(expectedCaret);
        }
    }

    std::string CheckText() const {
        const std::string& text = m_.model.text;
        size_t start = 0;
        int line = 0;
        for (;; ++line) {
            size_t end = text.find('\r', start);
            std::string_view expected = std::string_view(text).substr(
                start, (end == std::string::npos ? text.size() : end) - start);
            if (line >= buffer_.LineCount())
                return "buffer has " + std::to_string(buffer_.LineCount()) + " lines, expected " +
                       std::to_string(m_.model.LineCount());
            if (buffer_.LineText(line) != expected)
                return "line " + std::to_string(line) + " is \"" +
                       buftest::Escaped(buffer_.LineText(line)) + "\", expected \"" +
                       buftest::Escaped(expected) + "\"";
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        if (buffer_.LineCount() != line + 1)
            return "buffer has " + std::to_string(buffer_.LineCount()) + " lines, expected " +
                   std::to_string(line + 1);
        return {};
    }

    std::string CheckRecords() const {
        for (int i = 0; i < buffer_.RecordCount(); ++i) {
            const EditRecord& r = buffer_.Record(i);
            const ModelRecord& e = m_.records[static_cast<size_t>(i)];
            bool insertion = r.kind & EditRecord::RecordInsert;
            bool groupStart = r.kind & EditRecord::RecordGroupStart;
            if (insertion != e.insertion || groupStart != e.groupStart || r.start != e.start ||
                r.end != e.end || r.action != e.action || r.text != e.text)
                return "record " + std::to_string(i) + " differs (group start " +
                       std::to_string(groupStart) + ", expected " + std::to_string(e.groupStart) +
                       ")";
        }
        auto name = [this](int action) {
            std::string text;
            if (action >= 0)
                buffer_.ActionName(action, text);
            return text;
        };
        std::string undoName;
        std::string redoName;
        if (buffer_.HasUndo())
            buffer_.UndoActionName(undoName);
        if (buffer_.HasRedo())
            buffer_.RedoActionName(redoName);
        if (undoName != name(m_.UndoAction()) || redoName != name(m_.RedoAction()))
            return "undo/redo names \"" + undoName + "\"/\"" + redoName + "\" differ";
        return {};
    }

    std::string Check() {
        if (!extraError_.empty())
            return std::exchange(extraError_, {});
        if (!view_.errors.empty())
            return view_.errors.front();
        if (!view_.plans.empty())
            return "the view's hook was not called";
        if (std::string why = CheckText(); !why.empty())
            return why;
        if (buffer_.IsModified() != m_.modified)
            return "modified is " + std::to_string(buffer_.IsModified());
        if (buffer_.HasUndo() != m_.HasUndo() || buffer_.HasRedo() != m_.HasRedo())
            return "HasUndo/HasRedo differ";
        if (buffer_.AppliedCount() != m_.applied ||
            buffer_.RecordCount() != static_cast<int>(m_.records.size()) ||
            buffer_.SavedCount() != m_.saved)
            return "applied/records/saved are " + std::to_string(buffer_.AppliedCount()) + "/" +
                   std::to_string(buffer_.RecordCount()) + "/" +
                   std::to_string(buffer_.SavedCount()) + ", expected " +
                   std::to_string(m_.applied) + "/" + std::to_string(m_.records.size()) + "/" +
                   std::to_string(m_.saved);
        if (view_.notes != m_.notes) {
            std::string why = "notifications differ: got " + std::to_string(view_.notes.size()) +
                              ", expected " + std::to_string(m_.notes.size());
            for (size_t i = 0; i < std::min(view_.notes.size(), m_.notes.size()); ++i) {
                const Note& a = view_.notes[i];
                const Note& b = m_.notes[i];
                if (!(a == b))
                    return why + "; #" + std::to_string(i) + " hints " + std::to_string(a.hints) +
                           "/" + std::to_string(b.hints) + " line " + std::to_string(a.line) + "/" +
                           std::to_string(b.line) + " " + Pos(a.start) + Pos(a.end) + "/" +
                           Pos(b.start) + Pos(b.end) + " view " + std::to_string(a.fromView) + "/" +
                           std::to_string(b.fromView);
            }
            return why;
        }
        view_.notes.clear();
        m_.notes.clear();
        for (size_t i = 0; i < m_.tracked.size(); ++i) {
            TextPosition expected = m_.model.PositionOf(m_.tracked[i]);
            if (view_.positions[i] != expected)
                return "tracked position " + std::to_string(i) + " is " + Pos(view_.positions[i]) +
                       ", expected " + Pos(expected);
        }
        if (step_ % 64 == 0)
            return CheckRecords();
        return {};
    }

    Rng rng_;
    CTextBuffer buffer_;
    ModelView view_;
    HistoryModel m_;
    buftest::TempDir dir_;
    std::string savePath_;
    std::deque<std::string> recent_;
    std::string extraError_;
    int step_ = 0;
    int sinceSave_ = 0;
    int baseCapacity_;
    bool varyCapacity_;
};

struct ModelRun {
    const char* name;
    uint64_t seed;
    int capacity;
    int steps;
    bool varyCapacity = false;
};

// Cases print as their names in test logs.
void PrintTo(const ModelRun& c, std::ostream* os) {
    *os << c.name;
}

class HistoryModelTest : public testing::TestWithParam<ModelRun> {};

TEST_P(HistoryModelTest, RandomEditsMatchTheModel) {
    ModelRun run = GetParam();
    if (const char* seed = std::getenv("VELMORA_MODEL_SEED"))
        run.seed = std::strtoull(seed, nullptr, 0);
    if (const char* steps = std::getenv("VELMORA_MODEL_STEPS"))
        run.steps = std::atoi(steps);
    SCOPED_TRACE("seed " + std::to_string(run.seed) + " (set VELMORA_MODEL_SEED to repeat)");
    Harness harness(run.seed, run.capacity, run.varyCapacity);
    std::string failure;
    EXPECT_TRUE(harness.Run(run.steps, failure)) << failure;
}

INSTANTIATE_TEST_SUITE_P(
    Buffer, HistoryModelTest,
    testing::Values(ModelRun{"FullHistory", 1, 1024, 150000}, ModelRun{"Capacity16", 2, 16, 100000},
                    ModelRun{"Capacity3", 3, 3, 40000}, ModelRun{"Capacity1", 4, 1, 10000},
                    ModelRun{"VaryingCapacity", 5, 16, 40000, true}),
    [](const testing::TestParamInfo<ModelRun>& row) { return row.param.name; });

} // namespace
