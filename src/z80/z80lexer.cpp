#include "z80/z80lexer.h"

#include <algorithm>
#include <array>

#include "syntax/z80parser.h"
#include "z80/z80operand.h"

namespace z80 {
namespace {

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

size_t SkipBlanks(std::string_view text, size_t pos) {
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    return pos;
}

size_t SymbolEnd(std::string_view text, size_t pos) {
    while (pos < text.size() && IsSymbolChar(text[pos]))
        ++pos;
    return pos;
}

// Where the statement of text[from..] ends: the first ';' or "/*" outside quotes, or the end.
// Sets `blockComment` when it stopped at "/*".
size_t CodeEnd(std::string_view text, size_t from, bool& blockComment) {
    blockComment = false;
    size_t i = from;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ';')
            return i;
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            blockComment = true;
            return i;
        }
        if ((c == '"' || c == '\'') && !(c == '\'' && IsAfPrime(text, i)))
            i += QuotedLength(text, i);
        else
            ++i;
    }
    return i;
}

struct DirectiveName {
    std::string_view name;
    Directive directive;
};

constexpr Directive kNoCode{DirectiveKind::NoCode, 0};

constexpr std::array kDirectives{
    DirectiveName{"equ", {DirectiveKind::Equate, 0}},
    DirectiveName{"defl", {DirectiveKind::Equate, 0}},
    DirectiveName{"macro", {DirectiveKind::Macro, 0}},
    DirectiveName{"db", {DirectiveKind::List, 1}},
    DirectiveName{"defb", {DirectiveKind::List, 1}},
    DirectiveName{"dm", {DirectiveKind::List, 1}},
    DirectiveName{"defm", {DirectiveKind::List, 1}},
    DirectiveName{"byte", {DirectiveKind::List, 1}},
    DirectiveName{"dw", {DirectiveKind::List, 2}},
    DirectiveName{"defw", {DirectiveKind::List, 2}},
    DirectiveName{"word", {DirectiveKind::List, 2}},
    DirectiveName{"dd", {DirectiveKind::List, 4}},
    DirectiveName{"defd", {DirectiveKind::List, 4}},
    DirectiveName{"dq", {DirectiveKind::List, 8}},
    DirectiveName{"dt", {DirectiveKind::List, 10}},
    DirectiveName{"ds", {DirectiveKind::Reserve, 1}},
    DirectiveName{"defs", {DirectiveKind::Reserve, 1}},
    DirectiveName{"block", {DirectiveKind::Reserve, 1}},
    DirectiveName{"resb", {DirectiveKind::Reserve, 1}},
    DirectiveName{"resw", {DirectiveKind::Reserve, 2}},
    DirectiveName{"resd", {DirectiveKind::Reserve, 4}},
    DirectiveName{"resq", {DirectiveKind::Reserve, 8}},
    DirectiveName{"rest", {DirectiveKind::Reserve, 10}},
    DirectiveName{"times", {DirectiveKind::Times, 0}},
    DirectiveName{"incbin", {DirectiveKind::UnknownSize, 0}},
    DirectiveName{"binary", {DirectiveKind::UnknownSize, 0}},
    DirectiveName{"align", {DirectiveKind::UnknownSize, 0}},
    DirectiveName{"org", kNoCode},
    DirectiveName{"endm", kNoCode},
    DirectiveName{"rept", kNoCode},
    DirectiveName{"endr", kNoCode},
    DirectiveName{"irp", kNoCode},
    DirectiveName{"irpc", kNoCode},
    DirectiveName{"exitm", kNoCode},
    DirectiveName{"local", kNoCode},
    DirectiveName{"proc", kNoCode},
    DirectiveName{"endp", kNoCode},
    DirectiveName{"if", kNoCode},
    DirectiveName{"ifdef", kNoCode},
    DirectiveName{"ifndef", kNoCode},
    DirectiveName{"else", kNoCode},
    DirectiveName{"elseif", kNoCode},
    DirectiveName{"endif", kNoCode},
    DirectiveName{"end", kNoCode},
    DirectiveName{"include", kNoCode},
    DirectiveName{"public", kNoCode},
    DirectiveName{"extrn", kNoCode},
    DirectiveName{"extern", kNoCode},
    DirectiveName{"global", kNoCode},
    DirectiveName{"section", kNoCode},
    DirectiveName{"struc", kNoCode},
    DirectiveName{"endstruc", kNoCode},
    DirectiveName{"ustruc", kNoCode},
    DirectiveName{"bank", kNoCode},
    DirectiveName{"getbank", kNoCode},
    DirectiveName{"phase", kNoCode},
    DirectiveName{"dephase", kNoCode},
    DirectiveName{"title", kNoCode},
    DirectiveName{"page", kNoCode},
    DirectiveName{"list", kNoCode},
    DirectiveName{"nolist", kNoCode},
    DirectiveName{"module", kNoCode},
    DirectiveName{"endmodule", kNoCode},
    DirectiveName{"assert", kNoCode},
    DirectiveName{"device", kNoCode},
    DirectiveName{"output", kNoCode},
    DirectiveName{"error", kNoCode},
    DirectiveName{"warning", kNoCode},
    DirectiveName{"shift", kNoCode},
    DirectiveName{"cond", kNoCode},
    DirectiveName{"endc", kNoCode},
};

// The directives by name, sorted for a binary search.
struct DirectiveTable {
    std::array<DirectiveName, kDirectives.size()> sorted = kDirectives;
    DirectiveTable() {
        std::sort(sorted.begin(), sorted.end(),
                  [](const DirectiveName& a, const DirectiveName& b) { return a.name < b.name; });
    }
};

bool IsReservedWord(std::string_view word) {
    return IsMnemonic(word) || LookupDirective(word).kind != DirectiveKind::None;
}

// The word after position `pos` is "equ", "defl" or "macro", or the next character is '='.
bool DefinitionFollows(std::string_view text, size_t pos) {
    pos = SkipBlanks(text, pos);
    if (pos < text.size() && text[pos] == '=')
        return true;
    return DefinitionWord(text.substr(pos, SymbolEnd(text, pos) - pos)) != DirectiveKind::None;
}

} // namespace

std::string_view TrimBlanks(std::string_view text) {
    size_t b = 0;
    size_t e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

bool EqualsNoCase(std::string_view a, std::string_view lowerCase) {
    if (a.size() != lowerCase.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerCase[i])
            return false;
    }
    return true;
}

bool IsAfPrime(std::string_view text, size_t pos) {
    return pos >= 2 && EqualsNoCase(text.substr(pos - 2, 2), "af") &&
           (pos == 2 || !IsSymbolChar(text[pos - 3]));
}

size_t QuotedLength(std::string_view text, size_t pos) {
    const char quote = text[pos];
    size_t i = pos + 1;
    while (i < text.size()) {
        const char c = text[i];
        if (quote == '"' && c == '\\') {
            i += 2;
            continue;
        }
        if (c == quote) {
            if (quote == '\'' && i + 1 < text.size() && text[i + 1] == '\'') {
                i += 2;
                continue;
            }
            return i + 1 - pos;
        }
        ++i;
    }
    return text.size() - pos;
}

std::optional<int64_t> LiteralByteCount(std::string_view literal) {
    if (literal.size() < 2 || literal.back() != literal.front() ||
        QuotedLength(literal, 0) != literal.size())
        return std::nullopt;
    const char quote = literal.front();
    const std::string_view body = literal.substr(1, literal.size() - 2);
    int64_t count = 0;
    for (size_t i = 0; i < body.size(); ++count) {
        if (quote == '\'') {
            i += body[i] == '\'' ? 2 : 1; // a doubled quote
            continue;
        }
        if (body[i] != '\\') {
            ++i;
            continue;
        }
        // Escapes: \xHH, up to three octal digits, or one character.
        ++i;
        if (i < body.size() && (body[i] == 'x' || body[i] == 'X')) {
            ++i;
            for (int k = 0; k < 2 && i < body.size() && IsHex(body[i]); ++k)
                ++i;
        } else if (i < body.size() && body[i] >= '0' && body[i] <= '7') {
            for (int k = 0; k < 3 && i < body.size() && body[i] >= '0' && body[i] <= '7'; ++k)
                ++i;
        } else {
            ++i;
        }
    }
    return count;
}

std::optional<int64_t> SingleCharacterValue(std::string_view literal) {
    const std::optional<int64_t> count = LiteralByteCount(literal);
    if (count != 1)
        return std::nullopt;
    const char c = literal[1];
    if (literal.front() == '"' && c == '\\') {
        // Only the plain escapes have an obvious value; the rest are not worth guessing.
        switch (literal.size() > 2 ? literal[2] : 0) {
        case 'n':
            return 10;
        case 'r':
            return 13;
        case 't':
            return 9;
        case '\\':
        case '"':
        case '\'':
            return static_cast<unsigned char>(literal[2]);
        default:
            return std::nullopt;
        }
    }
    return static_cast<unsigned char>(c);
}

std::string_view StatementText(std::string_view line, uint32_t state, std::string& scratch) {
    size_t from = 0;
    state &= Z80ParserStateMask;
    if (state & (InLineComment | InPreprocessorLine | InDoubleQuoted | InSingleQuoted))
        return {};
    if (state & InBlockComment) {
        const size_t close = line.find("*/");
        if (close == std::string_view::npos)
            return {};
        from = close + 2;
    }
    bool block = false;
    size_t end = CodeEnd(line, from, block);
    if (!block)
        return line.substr(from, end - from);
    // Cut the block comments out, each leaving one blank so that it still separates words.
    scratch.assign(line.substr(from, end - from));
    while (block) {
        const size_t close = line.find("*/", end + 2);
        if (close == std::string_view::npos)
            break;
        scratch += ' ';
        const size_t next = close + 2;
        end = CodeEnd(line, next, block);
        scratch.append(line.substr(next, end - next));
    }
    return scratch;
}

Statement SplitStatement(std::string_view text) {
    Statement s;
    size_t pos = 0;
    if (!text.empty() && IsSymbolStart(text[0])) {
        const size_t end = SymbolEnd(text, 0);
        const std::string_view first = text.substr(0, end);
        if (end < text.size() && text[end] == ':') {
            s.label = first;
            pos = end + 1;
            if (pos < text.size() && text[pos] == ':') // "name::", a global label
                ++pos;
        } else if (IsReservedWord(first)) {
            s.word = first;
            s.operands = TrimBlanks(text.substr(end));
            return s;
        } else {
            s.label = first;
            pos = end;
        }
    } else {
        pos = SkipBlanks(text, 0);
        if (pos == text.size())
            return s;
        if (text[pos] == '%' || text[pos] == '#') {
            s.preprocessor = true;
            const size_t start = pos + 1;
            const size_t end = SymbolEnd(text, start);
            s.word = text.substr(start, end - start);
            s.operands = TrimBlanks(text.substr(end));
            return s;
        }
        if (!IsSymbolStart(text[pos])) {
            s.operands = TrimBlanks(text.substr(pos));
            return s;
        }
        const size_t end = SymbolEnd(text, pos);
        const std::string_view first = text.substr(pos, end - pos);
        if (end < text.size() && text[end] == ':') {
            s.label = first;
            pos = end + 1;
            if (pos < text.size() && text[pos] == ':')
                ++pos;
        } else if (DefinitionFollows(text, end) && !IsReservedWord(first)) {
            s.label = first;
            pos = end;
        } else {
            s.word = first;
            s.operands = TrimBlanks(text.substr(end));
            return s;
        }
    }
    pos = SkipBlanks(text, pos);
    if (pos < text.size() && text[pos] == '=') {
        s.word = text.substr(pos, 1);
        s.operands = TrimBlanks(text.substr(pos + 1));
        return s;
    }
    const size_t end = SymbolEnd(text, pos);
    if (end == pos) {
        s.operands = TrimBlanks(text.substr(pos));
        return s;
    }
    s.word = text.substr(pos, end - pos);
    s.operands = TrimBlanks(text.substr(end));
    return s;
}

Directive LookupDirective(std::string_view word) {
    static const DirectiveTable table;
    if (word.size() > 1 && word[0] == '.')
        word.remove_prefix(1);
    char lower[10];
    if (word.empty() || word.size() > sizeof lower)
        return {};
    for (size_t i = 0; i < word.size(); ++i)
        lower[i] =
            word[i] >= 'A' && word[i] <= 'Z' ? static_cast<char>(word[i] - 'A' + 'a') : word[i];
    const std::string_view key(lower, word.size());
    const auto it =
        std::lower_bound(table.sorted.begin(), table.sorted.end(), key,
                         [](const DirectiveName& d, std::string_view k) { return d.name < k; });
    return it != table.sorted.end() && it->name == key ? it->directive : Directive{};
}

DirectiveKind DefinitionWord(std::string_view word) {
    if (word.size() > 1 && word[0] == '.')
        word.remove_prefix(1);
    if (EqualsNoCase(word, "equ") || EqualsNoCase(word, "defl"))
        return DirectiveKind::Equate;
    if (EqualsNoCase(word, "macro"))
        return DirectiveKind::Macro;
    return DirectiveKind::None;
}

bool OperandCursor::Next(std::string_view& operand) {
    if (done_)
        return false;
    if (pos_ == 0 && TrimBlanks(text_).empty()) {
        done_ = true;
        return false;
    }
    int depth = 0;
    size_t i = pos_;
    while (i < text_.size()) {
        const char c = text_[i];
        if (c == '(' || c == '[') {
            ++depth;
        } else if ((c == ')' || c == ']') && depth > 0) {
            --depth;
        } else if (c == ',' && depth == 0) {
            break;
        } else if ((c == '"' || c == '\'') && !(c == '\'' && IsAfPrime(text_, i))) {
            i += QuotedLength(text_, i);
            continue;
        }
        ++i;
    }
    operand = TrimBlanks(text_.substr(pos_, i - pos_));
    if (i >= text_.size())
        done_ = true;
    else
        pos_ = i + 1;
    return true;
}

} // namespace z80
