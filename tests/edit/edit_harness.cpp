#include "edit_harness.h"

#include <cctype>
#include <cmath>
#include <map>
#include <optional>
#include <sstream>

#include "view/viewresources.h"

namespace edittest {

using platform::ModAlt;
using platform::ModControl;
using platform::ModShift;

std::string ParseMarkedText(std::string_view marked, Marks& marks) {
    std::string text;
    TextPosition at;
    marks = {};
    for (size_t i = 0; i < marked.size(); ++i) {
        const char c = marked[i];
        if (c == '|') {
            marks.caret = at;
        } else if (c == '^') {
            marks.hasAnchor = true;
            marks.anchor = at;
        } else if (c == '\\' && i + 1 < marked.size() && marked[i + 1] == 't') {
            text += '\t';
            ++at.x;
            ++i;
        } else if (c == '\\' && i + 1 < marked.size() && marked[i + 1] == 'n') {
            text += '\n';
            at = {0, at.y + 1};
            ++i;
        } else if (c == '\\' && i + 3 < marked.size() && marked[i + 1] == 'x' &&
                   std::isxdigit(static_cast<unsigned char>(marked[i + 2])) &&
                   std::isxdigit(static_cast<unsigned char>(marked[i + 3]))) {
            text += static_cast<char>(std::stoi(std::string(marked.substr(i + 2, 2)), nullptr, 16));
            ++at.x;
            i += 3;
        } else if (c == '\n') {
            text += c;
            at = {0, at.y + 1};
        } else {
            text += c;
            ++at.x;
        }
    }
    return text;
}

std::string MarkText(std::string_view text, TextPosition caret, TextPosition selStart,
                     TextPosition selEnd) {
    const bool selection = selStart != selEnd;
    // The caret at one end of the selection: the other end is the anchor. Otherwise both ends
    // are shown as brackets.
    const bool caretAtEnd = caret == selStart || caret == selEnd;
    const TextPosition other = caret == selStart ? selEnd : selStart;
    std::string out;
    TextPosition at;
    const auto marksAt = [&](TextPosition p) {
        if (selection && !caretAtEnd && p == selStart)
            out += '[';
        if (selection && caretAtEnd && p == other)
            out += '^';
        if (p == caret)
            out += '|';
        if (selection && !caretAtEnd && p == selEnd)
            out += ']';
    };
    for (char c : text) {
        marksAt(at);
        if (c == '\n') {
            out += c;
            at = {0, at.y + 1};
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte >= 0x7F) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
        ++at.x;
    }
    marksAt(at);
    return out;
}

EditHarness::EditHarness(std::string_view markedText, int32_t columns, int32_t rows) {
    auto made = std::make_unique<TestEditView>();
    view = made.get();
    window = std::make_unique<HeadlessWindow>(
        system, std::move(made),
        platform::Size{CTextView::kMarginPixels + columns * platform::headless::kCellWidth,
                       rows * platform::headless::kCellHeight});
    window->Focus();
    SetMarked(markedText);
}

void EditHarness::SetMarked(std::string_view markedText) {
    Marks marks;
    std::string text = ParseMarkedText(markedText, marks);
    for (char& c : text)
        if (c == '\n')
            c = '\r';
    buffer.ChangeReadOnly(false);
    buffer.ResetToEmpty(LineEndDos);
    int endLine = 0;
    int endChar = 0;
    if (!text.empty()) {
        EXPECT_TRUE(buffer.ApplyInsert(nullptr, 0, 0, text, endLine, endChar));
    }
    view->ConnectBuffer(&buffer);
    view->CollapseCaretTo(marks.caret);
    if (marks.hasAnchor) {
        view->SetSelectionAnchor(marks.anchor);
        view->SelectRange(marks.anchor, marks.caret);
    }
}

std::string EditHarness::Text() const {
    std::string out;
    for (int i = 0; i < buffer.LineCount(); ++i) {
        if (i > 0)
            out += '\n';
        out += buffer.LineText(i);
    }
    return out;
}

std::string EditHarness::Marked() const {
    TextPosition start;
    TextPosition end;
    view->GetSelectedRange(start, end);
    return MarkText(Text(), view->GetCaretPos(), start, end);
}

void EditHarness::PressKey(uint32_t vk, uint32_t modifiers) {
    window->PressKey(vk, modifiers);
}

namespace {

const std::map<std::string, uint32_t, std::less<>>& KeyNames() {
    using namespace platform;
    static const std::map<std::string, uint32_t, std::less<>> names{
        {"Left", VK_LEFT}, {"Right", VK_RIGHT},    {"Up", VK_UP},         {"Down", VK_DOWN},
        {"Home", VK_HOME}, {"End", VK_END},        {"PageUp", VK_PRIOR},  {"PageDown", VK_NEXT},
        {"Tab", VK_TAB},   {"Backspace", VK_BACK}, {"Delete", VK_DELETE}, {"Insert", VK_INSERT},
        {"F2", VK_F2},     {"F3", VK_F3},          {"Escape", VK_ESCAPE},
    };
    return names;
}

} // namespace

platform::Point EditHarness::CellPoint(double column, double row) {
    return {CTextView::kMarginPixels +
                static_cast<int32_t>(std::floor(column * platform::headless::kCellWidth)),
            static_cast<int32_t>(std::floor(row * platform::headless::kCellHeight))};
}

std::string EditHarness::ClipboardText(platform::ClipboardKind kind) {
    const std::optional<std::string>& bytes = system.ClipboardOf(kind).Data().Bytes();
    if (!bytes)
        return "<none>";
    std::string shown;
    for (size_t i = 0; i < bytes->size(); ++i) {
        if ((*bytes)[i] == '\r' && i + 1 < bytes->size() && (*bytes)[i + 1] == '\n') {
            shown += '\n';
            ++i;
        } else {
            shown += (*bytes)[i];
        }
    }
    return shown;
}

namespace {

// The text of a quoted script word, with its escapes; line breaks as CR LF.
std::string QuotedText(std::string_view quoted) {
    Marks unused;
    std::string text = ParseMarkedText(quoted, unused);
    std::string bytes;
    for (char c : text)
        bytes += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return bytes;
}

// "(c,r)" after a mouse word's name.
bool ParseCell(std::string_view args, double& column, double& row) {
    if (args.size() < 5 || args.front() != '(' || args.back() != ')')
        return false;
    const std::string inner(args.substr(1, args.size() - 2));
    const size_t comma = inner.find(',');
    if (comma == std::string::npos)
        return false;
    column = std::stod(inner.substr(0, comma));
    row = std::stod(inner.substr(comma + 1));
    return true;
}

} // namespace

void EditHarness::Keys(std::string_view script) {
    using platform::ClipboardKind;
    size_t i = 0;
    while (i < script.size()) {
        if (std::isspace(static_cast<unsigned char>(script[i]))) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < script.size() && !std::isspace(static_cast<unsigned char>(script[end])) &&
               script[end] != '"')
            ++end;
        if (end < script.size() && script[end] == '"') {
            // A quoted word: typed text, or text for the clipboards.
            const std::string_view kind = script.substr(i, end - i);
            const size_t close = script.find('"', end + 1);
            ASSERT_NE(close, std::string_view::npos) << "unterminated text in " << script;
            const std::string_view quoted = script.substr(end + 1, close - end - 1);
            const std::string text = QuotedText(quoted);
            const platform::CodePage page = view->GetInputCodePage();
            if (kind.empty()) {
                Marks unused;
                std::u32string typed;
                for (char c : ParseMarkedText(quoted, unused))
                    typed += static_cast<char32_t>(static_cast<unsigned char>(c));
                window->TypeText(typed);
            } else if (kind == "paste" || kind == "clip") {
                system.ClipboardOf(ClipboardKind::Standard).SetText(text, page);
                if (kind == "paste")
                    window->PressKey('V', ModControl);
            } else if (kind == "primary") {
                system.ClipboardOf(ClipboardKind::Selection).SetText(text, page);
            } else if (kind == "foreign") {
                // Each byte stands for the Unicode character of the same value; "\n" is a lone
                // LF, as other applications end lines.
                Marks unused;
                std::u32string unicode;
                for (char c : ParseMarkedText(quoted, unused))
                    unicode += static_cast<char32_t>(static_cast<unsigned char>(c));
                system.ClipboardOf(ClipboardKind::Standard).SetForeignText(unicode);
            } else {
                ADD_FAILURE() << "unknown quoted word " << kind;
            }
            if (afterStep && (kind.empty() || kind == "paste"))
                afterStep(script.substr(i, close + 1 - i));
            i = close + 1;
            continue;
        }
        std::string_view word = script.substr(i, end - i);
        i = end;
        uint32_t modifiers = 0;
        const std::pair<std::string_view, uint32_t> prefixes[] = {
            {"Shift+", ModShift}, {"Ctrl+", ModControl}, {"Alt+", ModAlt}};
        for (bool found = true; found;) {
            found = false;
            for (const auto& [prefix, bit] : prefixes) {
                if (word.starts_with(prefix)) {
                    modifiers |= bit;
                    word.remove_prefix(prefix.size());
                    found = true;
                }
            }
        }
        if (word == "Enter") {
            // The key reaches the view first and, unclaimed, comes back as character 13.
            window->PressKey(platform::VK_RETURN, modifiers);
            window->TypeText(U"\r");
            if (afterStep)
                afterStep(word);
            continue;
        }
        if (word == "tick") {
            EXPECT_TRUE(window->FireTimer(CTextView::AutoScrollTimerId)) << "no timer to tick";
            if (afterStep)
                afterStep(word);
            continue;
        }
        if (const size_t paren = word.find('('); paren != std::string_view::npos) {
            const std::string_view name = word.substr(0, paren);
            double column = 0;
            double row = 0;
            ASSERT_TRUE(ParseCell(word.substr(paren), column, row)) << "bad cell in " << word;
            const platform::Point p = CellPoint(column, row);
            uint32_t flags = 0;
            if (modifiers & ModShift)
                flags |= platform::MK_SHIFT;
            if (modifiers & ModControl)
                flags |= platform::MK_CONTROL;
            if (name == "press") {
                window->MouseDown(p, flags | platform::MK_LBUTTON);
            } else if (name == "release") {
                window->MouseUp(p, flags);
            } else if (name == "move") {
                const bool held = system.GetKeyState(platform::VK_LBUTTON) < 0;
                window->MouseMove(p, flags | (held ? platform::MK_LBUTTON : 0u));
            } else if (name == "dblclick") {
                window->DoubleClick(p, flags | platform::MK_LBUTTON);
            } else if (name == "rpress") {
                window->RightDown(p, flags);
            } else if (name == "mpress") {
                window->MiddleDown(p, flags);
            } else if (name == "drop") {
                const uint32_t keys = flags;
                HeadlessWindow* target = window.get();
                system.SetDragScript([target, p, keys](platform::headless::HeadlessDrag& drag) {
                    drag.MoveTo(*target, p, keys | platform::MK_LBUTTON);
                    drag.Drop(keys);
                });
                continue;
            } else {
                ADD_FAILURE() << "unknown mouse word " << word;
            }
            if (afterStep)
                afterStep(word);
            continue;
        }
        uint32_t vk = 0;
        if (auto it = KeyNames().find(word); it != KeyNames().end())
            vk = it->second;
        else if (word.size() == 1 && std::isalnum(static_cast<unsigned char>(word[0])))
            vk = static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(word[0])));
        ASSERT_NE(vk, 0u) << "unknown key " << word;
        window->PressKey(vk, modifiers);
        if (afterStep)
            afterStep(word);
    }
}

std::vector<std::string> EditHarness::UndoAll() {
    std::vector<std::string> names;
    while (buffer.HasUndo()) {
        std::string name;
        buffer.UndoActionName(name);
        names.push_back(name);
        const int before = buffer.AppliedCount();
        view->OnEditUndo();
        if (buffer.AppliedCount() == before) {
            ADD_FAILURE() << "undo did not move";
            break;
        }
    }
    return names;
}

void EditHarness::RedoAll() {
    while (buffer.HasRedo()) {
        const int before = buffer.AppliedCount();
        view->OnEditRedo();
        if (buffer.AppliedCount() == before) {
            ADD_FAILURE() << "redo did not move";
            break;
        }
    }
}

std::string EditHarness::ScreenMismatch() {
    window->Paint();
    HeadlessSystem freshSystem;
    auto made = std::make_unique<TestEditView>();
    TestEditView& fresh = *made;
    HeadlessWindow freshWindow(freshSystem, std::move(made), window->Screen().GetSize());
    const bool focused = system.FocusWindow() == window.get();
    if (focused)
        freshWindow.Focus();
    fresh.ConnectBuffer(&buffer);
    TextPosition start;
    TextPosition end;
    view->GetSelectedRange(start, end);
    fresh.SelectRange(start, end);
    fresh.SetKeepSelectionVisible(view->KeepsSelectionVisible());
    fresh.ScrollToTopLine(view->GetTopLine(), true);
    fresh.ScrollToColumn(view->GetFirstColumn(), true);
    freshWindow.InvalidateRect(nullptr, false);
    freshWindow.Paint();

    std::ostringstream out;
    const auto cell = [](const platform::headless::Cell& c) {
        std::ostringstream s;
        s << "'" << (c.ch ? static_cast<char>(c.ch) : ' ') << "' text " << std::hex << c.text
          << " back " << c.back;
        return s.str();
    };
    const platform::headless::CellGrid& shown = window->Screen();
    const platform::headless::CellGrid& expected = freshWindow.Screen();
    const platform::Rect bounds = shown.Bounds();
    if (!(shown == expected)) {
        for (int32_t y = 0; y < bounds.bottom && out.tellp() == 0; ++y) {
            for (int32_t x = 0; x < bounds.right; ++x) {
                if (shown.At(x, y) != expected.At(x, y)) {
                    out << "pixel " << x << "," << y << " shows " << cell(shown.At(x, y))
                        << " where a full repaint shows " << cell(expected.At(x, y)) << "\n";
                    break;
                }
            }
        }
        if (shown.Icons() != expected.Icons())
            out << "the margin icons differ\n";
    }

    const platform::CaretState& caret = window->Caret();
    const TextPosition at = view->GetCaretPos();
    const bool shouldShow = focused && !view->CaretSuppressed() &&
                            view->CharIndexToColumn(at.y, at.x) >= view->GetFirstColumn();
    if (caret.Visible() != shouldShow)
        out << "the caret is " << (caret.Visible() ? "shown" : "hidden") << "\n";
    const platform::Point point = view->TextPositionToPoint(at);
    if (caret.Visible() && caret.pos != point)
        out << "the caret stands at " << caret.pos.x << "," << caret.pos.y
            << ", its text position (" << at.x << "," << at.y << ") at " << point.x << ","
            << point.y << "\n";
    if (!out.str().empty())
        out << "top line " << view->GetTopLine() << ", first column " << view->GetFirstColumn()
            << "\n"
            << Marked();
    return out.str();
}

CmdUI EditHarness::Update(uint32_t id, CmdUI::Element element) const {
    CmdUI ui;
    ui.id = id;
    ui.element = element;
    if (!view->RouteCommandUI(ui))
        ui.Enable(false);
    return ui;
}

} // namespace edittest
