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

bool FindLineSymbol(std::string_view line, uint32_t state, LineSymbol& symbol) {
    if ((state & Z80ParserStateMask) != 0)
        return false;
    // Only the first words matter: stop before anything that may start a comment or a string,
    // so that no quote or comment needs to be followed.
    size_t end = 0;
    while (end < line.size()) {
        const char c = line[end];
        if (c == ';' || c == '"' || c == '\'' || c == '/')
            break;
        ++end;
    }
    const Statement s = SplitStatement(line.substr(0, end));
    if (s.preprocessor) {
        if (EqualsNoCase(s.word, "macro"))
            return Found(SymbolKind::Macro, FirstSymbol(s.operands), symbol);
        if (EqualsNoCase(s.word, "define"))
            return Found(SymbolKind::Equate, FirstSymbol(s.operands), symbol);
        return false;
    }
    const DirectiveKind kind = LookupDirective(s.word).kind;
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
