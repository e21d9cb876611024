#include "z80/z80symbols.h"

#include "syntax/z80parser.h"
#include "z80/z80lexer.h"

namespace z80 {
namespace {

// The first symbol of `text`, or empty.
std::string_view FirstSymbol(std::string_view text) {
    size_t end = 0;
    if (text.empty() || !IsSymbolStart(text[0]))
        return {};
    while (end < text.size() && IsSymbolChar(text[end]))
        ++end;
    return text.substr(0, end);
}

bool Found(SymbolKind kind, std::string_view name, LineSymbol& symbol) {
    if (name.empty())
        return false;
    symbol.kind = kind;
    symbol.name = name;
    return true;
}

} // namespace

std::string_view SymbolAt(std::string_view line, int x) {
    if (x < 0 || static_cast<size_t>(x) > line.size())
        return {};
    size_t begin = static_cast<size_t>(x);
    if (begin == line.size() || !IsSymbolChar(line[begin])) {
        if (begin == 0 || !IsSymbolChar(line[begin - 1]))
            return {};
    }
    while (begin > 0 && IsSymbolChar(line[begin - 1]))
        --begin;
    size_t end = static_cast<size_t>(x);
    while (end < line.size() && IsSymbolChar(line[end]))
        ++end;
    // A run may start with digits or '$' ("$FF", "12h"): the symbol, if any, starts at its first
    // symbol-start character; a run that starts with a digit is a number.
    if (!IsSymbolStart(line[begin]))
        return {};
    return line.substr(begin, end - begin);
}

bool FindLineSymbol(std::string_view line, uint32_t state, LineSymbol& symbol) {
    if ((state & Z80ParserStateMask) != 0)
        return false;
    // Only the first words matter, and no comment, quote or string starts a word, so the raw
    // line serves: the operands are not looked into (except for the name after "macro").
    const Statement s = SplitStatement(line);
    if (s.preprocessor) {
        if (EqualsNoCase(s.word, "macro"))
            return Found(SymbolKind::Macro, FirstSymbol(s.operands), symbol);
        if (EqualsNoCase(s.word, "define"))
            return Found(SymbolKind::Equate, FirstSymbol(s.operands), symbol);
        return false;
    }
    const DirectiveKind kind = DefinitionWord(s.word);
    if (s.label.empty()) {
        if (kind == DirectiveKind::Macro)
            return Found(SymbolKind::Macro, FirstSymbol(s.operands), symbol);
        return false;
    }
    if (s.word == "=" || kind == DirectiveKind::Equate)
        return Found(SymbolKind::Equate, s.label, symbol);
    if (kind == DirectiveKind::Macro)
        return Found(SymbolKind::Macro, s.label, symbol);
    return Found(SymbolKind::Label, s.label, symbol);
}

} // namespace z80
