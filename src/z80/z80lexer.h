// Cutting one line of Z80 source into its statement: the code outside comments, the label, the
// mnemonic or directive word and its operands. Shared by the line figures and the label scanner.
// Lines may hold any byte; bytes above 127 are neither symbol characters nor blanks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace z80 {

namespace lexer_detail {
enum : uint8_t { SymbolStart = 1, SymbolChar = 2, Blank = 4 };
constexpr std::array<uint8_t, 256> MakeClasses() {
    std::array<uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (letter || c == '_' || c == '.' || c == '?' || c == '@')
            t[static_cast<size_t>(c)] |= SymbolStart | SymbolChar;
        if ((c >= '0' && c <= '9') || c == '$')
            t[static_cast<size_t>(c)] |= SymbolChar;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f')
            t[static_cast<size_t>(c)] |= Blank;
    }
    return t;
}
inline constexpr std::array<uint8_t, 256> kClasses = MakeClasses();
} // namespace lexer_detail

// A symbol starts with a letter, '_', '.', '?' or '@' and goes on with those, digits and '$'.
inline bool IsSymbolStart(char c) {
    return lexer_detail::kClasses[static_cast<unsigned char>(c)] & lexer_detail::SymbolStart;
}
inline bool IsSymbolChar(char c) {
    return lexer_detail::kClasses[static_cast<unsigned char>(c)] & lexer_detail::SymbolChar;
}
inline bool IsBlank(char c) {
    return lexer_detail::kClasses[static_cast<unsigned char>(c)] & lexer_detail::Blank;
}
std::string_view TrimBlanks(std::string_view text);
// Lower-case ASCII equality.
bool EqualsNoCase(std::string_view a, std::string_view lowerCase);

// True when the quote at text[pos] is the prime of "af'" rather than the start of a literal.
bool IsAfPrime(std::string_view text, size_t pos);
// The length of the quoted literal that starts at text[pos] (a ' or a "), closing quote
// included, or up to the end of `text` when it is not closed. A double-quoted literal takes
// backslash escapes; in a single-quoted one a doubled quote stands for a quote.
size_t QuotedLength(std::string_view text, size_t pos);
// The number of bytes a whole quoted literal stands for ("ab\n" is 3); nullopt when it is not
// closed.
std::optional<int64_t> LiteralByteCount(std::string_view literal);
// The value of a quoted literal of exactly one character; nullopt for any other literal.
std::optional<int64_t> SingleCharacterValue(std::string_view literal);

// The code of a line that starts in the colouring's state `state` (the Z80 parser's state bits):
// the text before a ';' comment, with "/* */" comments inside it turned into one blank; empty
// when the whole line continues a comment, a preprocessor line or a string of the line above.
// Quotes are honoured (';' inside "..." or ';' is text), as is the prime of "af'". Points into
// `line`, or into `scratch` when a block comment had to be cut out.
std::string_view StatementText(std::string_view line, uint32_t state, std::string& scratch);

// What the assemblers make of a statement.
struct Statement {
    // The name the line defines: a symbol at the start of the line (with or without a colon),
    // one anywhere before the word when a colon follows it, or one before "equ", "defl", "=" or
    // "macro". Empty when there is none.
    std::string_view label;
    // The mnemonic, directive or macro name after the label, "=" for "name = value", or for a
    // preprocessor line the directive after its '%' or '#'. Empty when there is none.
    std::string_view word;
    // The text after the word, blanks trimmed. When no word could be read (a line that starts
    // with something no symbol starts with), the whole trimmed text.
    std::string_view operands;
    // The first non-blank character is '%' or '#'.
    bool preprocessor = false;
};

// Splits statement text (see StatementText). A symbol at the very start of the line is a label
// unless it is a mnemonic or directive and no colon follows it: "nop" at column 0 is an
// instruction, "start ld a,1" and "start: ld a,1" define "start".
Statement SplitStatement(std::string_view text);

// The directives that the figures and the scanner know, by what they do.
enum class DirectiveKind : uint8_t {
    None,        // not a directive: a mnemonic or a macro call
    NoCode,      // takes no room: org, include, if, endm, ...
    Equate,      // equ, defl
    Macro,       // macro
    List,        // db/dw/dd ...: a comma list of `unit`-byte items (strings by length for db)
    Reserve,     // ds/resb ...: a count of `unit`-byte items
    Times,       // times n <statement>
    UnknownSize, // incbin, align: a size that only the assembler can know
};
struct Directive {
    DirectiveKind kind = DirectiveKind::None;
    uint8_t unit = 0;
};
// Case-insensitive; one leading '.' is allowed (".db", ".org").
Directive LookupDirective(std::string_view word);
// Equate for "equ" and "defl", Macro for "macro", None otherwise: the words that make the symbol
// before them a definition. Cheaper than LookupDirective.
DirectiveKind DefinitionWord(std::string_view word);

// Walks an operand list, splitting at the commas outside parentheses, brackets and quotes.
class OperandCursor {
public:
    explicit OperandCursor(std::string_view operands) : text_(operands) {}
    // The next operand, blanks trimmed; false when the list is done. "a,,b" yields an empty
    // operand in the middle; an empty list yields nothing.
    bool Next(std::string_view& operand);

private:
    std::string_view text_;
    size_t pos_ = 0;
    bool done_ = false;
};

} // namespace z80
