// Golden editing scenarios, one file each in scenarios/:
//
//   # what the case shows
//   window: 40x10                 text cells of the window (optional)
//   options: overwrite backspace-joins readonly mouse-down   (optional)
//   before:
//   <marked text>
//   keys: <key script>
//   after:
//   <marked text>
//   undo: Typing, Auto Indent     names of the undo steps, newest first; "none" (optional)
//   top: 3                        first visible line afterwards (optional)
//   clipboard: ld a,1\nret        what this application left on the clipboard, CR LF as "\n";
//                                 <none> when nothing (optional); primary: the same for the
//                                 primary selection
//
// Marked texts and key scripts (keys, mouse, timer ticks, clipboard texts, drops) are those of
// edit_harness.h. After every key the window must show
// what a full repaint shows, with the caret on its text. Every scenario also checks that undoing
// every step gives back the text before, byte for byte, and that redoing the steps that were
// done gives the text after.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "edit_harness.h"

namespace edittest {
namespace {

struct Scenario {
    std::string name;
    std::string path;
};

struct Parsed {
    int32_t columns = 40;
    int32_t rows = 10;
    std::vector<std::string> options;
    std::string before;
    std::string keys;
    std::string after;
    bool checkUndo = false;
    std::vector<std::string> undo;
    int32_t top = -1;
    std::optional<std::string> clipboard;
    std::optional<std::string> primary;
};

std::string Trim(std::string_view s) {
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos)
        return {};
    const size_t e = s.find_last_not_of(" \t");
    return std::string(s.substr(b, e - b + 1));
}

std::vector<std::string> Split(std::string_view s, char separator) {
    std::vector<std::string> out;
    size_t from = 0;
    for (;;) {
        const size_t at = s.find(separator, from);
        const std::string part = Trim(s.substr(from, at - from));
        if (!part.empty())
            out.push_back(part);
        if (at == std::string_view::npos)
            return out;
        from = at + 1;
    }
}

Parsed ParseScenario(const std::string& path) {
    std::ifstream in(path);
    Parsed p;
    std::string line;
    std::string* block = nullptr;
    bool blockStarted = false;
    const auto append = [&](const std::string& text) {
        if (blockStarted)
            *block += '\n';
        *block += text;
        blockStarted = true;
    };
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line == "before:" || line == "after:") {
            block = line == "before:" ? &p.before : &p.after;
            blockStarted = false;
            continue;
        }
        const auto header = [&](std::string_view name) { return line.starts_with(name); };
        if (header("# ") || line == "#") {
            continue;
        } else if (header("keys:")) {
            p.keys += " " + line.substr(5);
        } else if (header("options:")) {
            p.options = Split(line.substr(8), ' ');
        } else if (header("window:")) {
            const std::vector<std::string> size = Split(line.substr(7), 'x');
            p.columns = std::stoi(size.at(0));
            p.rows = std::stoi(size.at(1));
        } else if (header("undo:")) {
            p.checkUndo = true;
            p.undo = Split(line.substr(5), ',');
            if (p.undo == std::vector<std::string>{"none"})
                p.undo.clear();
        } else if (header("top:")) {
            p.top = std::stoi(line.substr(4));
        } else if (header("clipboard:") || header("primary:")) {
            const size_t colon = line.find(':');
            Marks unused;
            const std::string value = Trim(line.substr(colon + 1));
            (header("primary:") ? p.primary : p.clipboard) =
                value == "<none>" ? value : ParseMarkedText(value, unused);
        } else if (block) {
            append(line);
        } else {
            ADD_FAILURE() << path << ": line outside a block: " << line;
        }
    }
    return p;
}

std::vector<Scenario> FindScenarios() {
    std::vector<Scenario> out;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(VELMORA_EDIT_SCENARIOS, ec)) {
        if (entry.path().extension() != ".txt")
            continue;
        std::string name = entry.path().stem().string();
        std::replace_if(
            name.begin(), name.end(),
            [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        out.push_back({name, entry.path().string()});
    }
    std::sort(out.begin(), out.end(),
              [](const Scenario& a, const Scenario& b) { return a.name < b.name; });
    return out;
}

class EditScenario : public testing::TestWithParam<Scenario> {};

TEST_P(EditScenario, Runs) {
    const Parsed p = ParseScenario(GetParam().path);
    const auto has = [&](std::string_view option) {
        return std::find(p.options.begin(), p.options.end(), option) != p.options.end();
    };
    EditHarness h(p.before, p.columns, p.rows);
    h.view->SetOverwriteMode(has("overwrite"));
    h.view->SetBackspaceAtLineStart(has("backspace-joins"));
    h.buffer.ChangeReadOnly(has("readonly"));
    h.system.SetKeyDown(platform::VK_LBUTTON, has("mouse-down"));
    // After every step the window shows what a full repaint shows, the caret on its text.
    h.afterStep = [&h](std::string_view step) {
        const std::string mismatch = h.ScreenMismatch();
        if (!mismatch.empty())
            ADD_FAILURE() << "after " << step << ":\n" << mismatch;
    };
    h.Keys(p.keys);
    h.system.SetKeyDown(platform::VK_LBUTTON, false);

    EXPECT_EQ(h.Marked(), p.after) << "keys:" << p.keys;
    if (p.top >= 0) {
        EXPECT_EQ(h.view->GetTopLine(), p.top);
    }
    if (p.clipboard) {
        EXPECT_EQ(h.ClipboardText(), *p.clipboard);
    }
    if (p.primary) {
        EXPECT_EQ(h.ClipboardText(platform::ClipboardKind::Selection), *p.primary);
    }
    // A mouse selection ends with its button: no capture and no timer are left behind.
    EXPECT_FALSE(h.view->GetMouseSelection().mouseSelecting && !has("button-held"));

    h.buffer.ChangeReadOnly(false);
    const int applied = h.buffer.AppliedCount();
    Marks marks;
    const std::string before = ParseMarkedText(p.before, marks);
    const std::string after = h.Text();
    const std::vector<std::string> names = h.UndoAll();
    if (p.checkUndo) {
        EXPECT_EQ(names, p.undo);
    }
    EXPECT_EQ(h.Text(), before) << "after undoing every step";
    while (h.buffer.AppliedCount() < applied && h.buffer.HasRedo())
        h.view->OnEditRedo();
    EXPECT_EQ(h.Text(), after) << "after redoing the steps";
}

INSTANTIATE_TEST_SUITE_P(Scenarios, EditScenario, testing::ValuesIn(FindScenarios()),
                         [](const testing::TestParamInfo<Scenario>& param) {
                             return param.param.name;
                         });

TEST(EditScenarios, FolderIsFound) {
    EXPECT_GE(FindScenarios().size(), 20u) << VELMORA_EDIT_SCENARIOS;
}

} // namespace
} // namespace edittest
