#include "z80/z80figures.h"

#include <algorithm>
#include <array>

#include "buffer/textbuffer.h"
#include "syntax/z80parser.h"
#include "z80/z80expr.h"
#include "z80/z80lexer.h"
#include "z80/z80operand.h"

namespace z80 {
namespace {

// "times" inside "times" is followed this deep, no deeper.
constexpr int kMaxTimesDepth = 4;

LineFigures Unknown() {
    LineFigures f;
    f.kind = LineKind::Unknown;
    return f;
}

LineFigures Data(int64_t bytes, bool known = true) {
    LineFigures f;
    f.kind = LineKind::Data;
    f.sizeKnown = known;
    f.bytes = known ? bytes : 0;
    return f;
}

LineFigures Instruction(std::string_view mnemonic, std::string_view operandText) {
    std::array<Operand, 3> operands;
    size_t count = 0;
    OperandCursor cursor(operandText);
    std::string_view op;
    while (cursor.Next(op)) {
        if (count == operands.size())
            return Unknown();
        operands[count++] = ClassifyOperand(op);
    }
    const Form* form = MatchForm(mnemonic, std::span<const Operand>(operands.data(), count));
    if (!form)
        return Unknown();
    LineFigures f;
    f.kind = LineKind::Instruction;
    f.bytes = form->bytes;
    f.minTStates = form->MinTStates();
    f.maxTStates = form->MaxTStates();
    f.form = form;
    return f;
}

// db and the other lists: `unit` bytes per item; for db a quoted string counts its characters.
LineFigures ListData(std::string_view operands, int unit) {
    OperandCursor cursor(operands);
    std::string_view item;
    int64_t total = 0;
    bool any = false;
    while (cursor.Next(item)) {
        any = true;
        if (item.empty())
            return Unknown();
        if (unit == 1 && (item[0] == '"' || item[0] == '\'')) {
            const size_t length = QuotedLength(item, 0);
            const std::optional<int64_t> count = LiteralByteCount(item.substr(0, length));
            if (!count)
                return Unknown();
            // A string with an expression behind it ("abc"+80h) still gives its characters.
            total += length == item.size() ? *count : std::max<int64_t>(*count, 1);
        } else {
            total += unit;
        }
    }
    return any ? Data(total) : Unknown();
}

// ds and the other reservations: a count of `unit`-byte items, then an optional fill value.
LineFigures Reserve(std::string_view operands, int unit) {
    OperandCursor cursor(operands);
    std::string_view count;
    if (!cursor.Next(count) || count.empty())
        return Unknown();
    const std::optional<int64_t> n = EvaluateConstant(count);
    if (!n || *n < 0)
        return Data(0, false);
    return Data(*n * unit);
}

bool IsOperatorChar(char c) {
    return c == '+' || c == '-' || c == '*' || c == '/' || c == '%' || c == '&' || c == '|' ||
           c == '^' || c == '~' || c == '<' || c == '>' || c == '(' || c == '!';
}

LineFigures AnalyzeStatement(const Statement& s, int depth);

// "times <count> <statement>": the count ends at the first blank that is followed by a symbol
// and not preceded by an operator ("times 2 * 3 nop").
LineFigures Times(std::string_view operands, int depth) {
    if (depth >= kMaxTimesDepth)
        return Unknown();
    size_t split = std::string_view::npos;
    int parens = 0;
    for (size_t i = 0; i + 1 < operands.size(); ++i) {
        const char c = operands[i];
        parens += c == '(' ? 1 : c == ')' ? -1 : 0;
        if (parens == 0 && IsBlank(c) && i > 0 && !IsOperatorChar(operands[i - 1]) &&
            !IsBlank(operands[i - 1])) {
            const std::string_view rest = TrimBlanks(operands.substr(i));
            if (!rest.empty() && IsSymbolStart(rest[0])) {
                split = i;
                break;
            }
        }
    }
    if (split == std::string_view::npos)
        return Unknown();
    LineFigures inner =
        AnalyzeStatement(SplitStatement(TrimBlanks(operands.substr(split))), depth + 1);
    if (inner.kind == LineKind::None || inner.kind == LineKind::Unknown)
        return inner;
    const std::optional<int64_t> n = EvaluateConstant(operands.substr(0, split));
    if (!n || *n < 0 || !inner.sizeKnown) {
        inner.sizeKnown = false;
        inner.bytes = inner.minTStates = inner.maxTStates = 0;
        return inner;
    }
    inner.bytes *= *n;
    inner.minTStates *= *n;
    inner.maxTStates *= *n;
    return inner;
}

LineFigures AnalyzeStatement(const Statement& s, int depth) {
    if (s.preprocessor)
        return {};
    if (s.word.empty())
        return s.operands.empty() ? LineFigures{} : Unknown();
    if (s.word == "=")
        return {};
    if (IsMnemonic(s.word))
        return Instruction(s.word, s.operands);
    const Directive d = LookupDirective(s.word);
    switch (d.kind) {
    case DirectiveKind::None:
        return Unknown();
    case DirectiveKind::NoCode:
    case DirectiveKind::Equate:
    case DirectiveKind::Macro:
        return {};
    case DirectiveKind::List:
        return ListData(s.operands, d.unit);
    case DirectiveKind::Reserve:
        return Reserve(s.operands, d.unit);
    case DirectiveKind::Times:
        return Times(s.operands, depth);
    case DirectiveKind::UnknownSize:
        return Data(0, false);
    }
    return Unknown();
}

} // namespace

LineFigures AnalyzeLine(std::string_view line, uint32_t state) {
    std::string scratch;
    return AnalyzeStatement(SplitStatement(StatementText(line, state, scratch)), 0);
}

std::string FormatLineFigures(const LineFigures& f) {
    switch (f.kind) {
    case LineKind::None:
        return {};
    case LineKind::Unknown:
        return "?";
    case LineKind::Data:
        return f.sizeKnown ? std::to_string(f.bytes) + " B" : "? B";
    case LineKind::Instruction:
        break;
    }
    if (!f.sizeKnown)
        return "? B  ? T";
    std::string text = std::to_string(f.bytes) + " B  " + std::to_string(f.maxTStates);
    if (f.minTStates != f.maxTStates)
        text += "/" + std::to_string(f.minTStates);
    return text + " T";
}

SelectionFigures& SelectionFigures::operator+=(const LineFigures& line) {
    ++lines;
    if (!line.Counted()) {
        ++uncounted;
        return *this;
    }
    bytes += line.bytes;
    minTStates += line.minTStates;
    maxTStates += line.maxTStates;
    return *this;
}

SelectionFigures& SelectionFigures::operator+=(const SelectionFigures& other) {
    bytes += other.bytes;
    minTStates += other.minTStates;
    maxTStates += other.maxTStates;
    lines += other.lines;
    uncounted += other.uncounted;
    return *this;
}

SelectionFigures& SelectionFigures::operator-=(const SelectionFigures& other) {
    bytes -= other.bytes;
    minTStates -= other.minTStates;
    maxTStates -= other.maxTStates;
    lines -= other.lines;
    uncounted -= other.uncounted;
    return *this;
}

std::string FormatSelectionFigures(const SelectionFigures& f) {
    std::string text = "sel " + std::to_string(f.bytes) + " B  " + std::to_string(f.minTStates);
    if (f.minTStates != f.maxTStates)
        text += "-" + std::to_string(f.maxTStates);
    text += " T";
    if (f.uncounted > 0)
        text += "  (" + std::to_string(f.uncounted) + " ?)";
    return text;
}

SelectionFigures SumLines(const CTextBuffer& buffer, int first, int last, uint32_t state) {
    SelectionFigures sum;
    first = std::max(first, 0);
    last = std::min(last, buffer.LineCount() - 1);
    std::string scratch;
    int unused = 0;
    for (int line = first; line <= last; ++line) {
        const std::string_view text = buffer.LineText(line);
        sum += AnalyzeStatement(SplitStatement(StatementText(text, state, scratch)), 0);
        state = ColorizeZ80Line(state, text, nullptr, unused);
    }
    return sum;
}

std::pair<int, int> SelectedLines(TextPosition start, TextPosition end) {
    if (end.y < start.y || (end.y == start.y && end.x < start.x))
        std::swap(start, end);
    int last = end.y;
    if (end.y > start.y && end.x == 0)
        --last;
    return {start.y, last};
}

} // namespace z80
