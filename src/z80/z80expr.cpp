#include "z80/z80expr.h"

#include "syntax/z80parser.h"
#include "z80/z80lexer.h"

namespace z80 {
namespace {

constexpr int64_t kLimit = int64_t{1} << 32; // of one number
constexpr int64_t kRange = int64_t{1} << 40; // of every value in an expression

int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

// The digits of `text` in `base`; nullopt when one is no digit of the base, there is none, or
// the value passes the limit.
std::optional<int64_t> Digits(std::string_view text, int base) {
    if (text.empty())
        return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        const int d = DigitValue(c);
        if (d >= base)
            return std::nullopt;
        value = value * base + d;
        if (value > kLimit)
            return std::nullopt;
    }
    return value;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

class Evaluator {
public:
    explicit Evaluator(std::string_view text) : text_(text) {}

    std::optional<int64_t> Run() {
        std::optional<int64_t> v = Binary(0);
        SkipBlanks();
        if (!v || pos_ != text_.size())
            return std::nullopt;
        return v;
    }

private:
    // Binary operators from the loosest to the tightest: |, ^, &, << >>, + -, * / %.
    static int Precedence(std::string_view op) {
        if (op == "|")
            return 1;
        if (op == "^")
            return 2;
        if (op == "&")
            return 3;
        if (op == "<<" || op == ">>")
            return 4;
        if (op == "+" || op == "-")
            return 5;
        if (op == "*" || op == "/" || op == "%")
            return 6;
        return 0;
    }

    std::string_view PeekOperator() {
        SkipBlanks();
        if (pos_ >= text_.size())
            return {};
        const std::string_view rest = text_.substr(pos_);
        if (rest.starts_with("<<") || rest.starts_with(">>"))
            return rest.substr(0, 2);
        const std::string_view one = rest.substr(0, 1);
        return Precedence(one) > 0 ? one : std::string_view{};
    }

    std::optional<int64_t> Binary(int minPrecedence) {
        std::optional<int64_t> left = Unary();
        if (!left)
            return std::nullopt;
        for (;;) {
            const std::string_view op = PeekOperator();
            const int precedence = op.empty() ? 0 : Precedence(op);
            if (precedence == 0 || precedence <= minPrecedence)
                return left;
            pos_ += op.size();
            const std::optional<int64_t> right = Binary(precedence);
            if (!right)
                return std::nullopt;
            left = Apply(op, *left, *right);
            if (!left)
                return std::nullopt;
        }
    }

    // Every value stays within +-kRange, so that no operation can overflow.
    static std::optional<int64_t> Apply(std::string_view op, int64_t a, int64_t b) {
        if ((op == "/" || op == "%") && b == 0)
            return std::nullopt;
        if ((op == "<<" || op == ">>") && (b < 0 || b > 32))
            return std::nullopt;
        int64_t r = 0;
        bool overflow = false;
        switch (op[0]) {
        case '|':
            r = a | b;
            break;
        case '^':
            r = a ^ b;
            break;
        case '&':
            r = a & b;
            break;
        case '<':
            overflow = __builtin_mul_overflow(a, int64_t{1} << b, &r);
            break;
        case '>':
            r = a >> b;
            break;
        case '+':
            r = a + b;
            break;
        case '-':
            r = a - b;
            break;
        case '*':
            overflow = __builtin_mul_overflow(a, b, &r);
            break;
        case '/':
            r = a / b;
            break;
        default:
            r = a % b;
            break;
        }
        if (overflow || r > kRange || r < -kRange)
            return std::nullopt;
        return r;
    }

    std::optional<int64_t> Unary() {
        SkipBlanks();
        if (pos_ >= text_.size())
            return std::nullopt;
        const char c = text_[pos_];
        if (c == '+' || c == '-' || c == '~' || c == '!') {
            ++pos_;
            const std::optional<int64_t> v = Unary();
            if (!v)
                return std::nullopt;
            return c == '+' ? *v : c == '-' ? -*v : c == '~' ? ~*v : int64_t{*v == 0};
        }
        if (c == '(') {
            ++pos_;
            const std::optional<int64_t> v = Binary(0);
            SkipBlanks();
            if (!v || pos_ >= text_.size() || text_[pos_] != ')')
                return std::nullopt;
            ++pos_;
            return v;
        }
        if (c == '\'' || c == '"')
            return Character();
        // A number: a run of symbol characters, with the prefix of the $, # and % notations.
        size_t end = pos_;
        if (c == '$' || c == '#' || c == '%')
            ++end;
        while (end < text_.size() && IsSymbolChar(text_[end]))
            ++end;
        const std::string_view token = text_.substr(pos_, end - pos_);
        pos_ = end;
        return ParseNumber(token);
    }

    // A character literal of exactly one character: 'A', '''' or "A", "\n".
    std::optional<int64_t> Character() {
        const size_t length = QuotedLength(text_, pos_);
        const std::string_view literal = text_.substr(pos_, length);
        pos_ += length;
        return SingleCharacterValue(literal);
    }

    void SkipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t'))
            ++pos_;
    }

    std::string_view text_;
    size_t pos_ = 0;
};

} // namespace

std::optional<int64_t> ParseNumber(std::string_view t) {
    if (t.size() >= 2 && (t[0] == '$' || t[0] == '#'))
        return Digits(t.substr(1), 16);
    if (t.size() >= 2 && t[0] == '%')
        return Digits(t.substr(1), 2);
    if (t.empty() || !IsDigit(t[0]))
        return std::nullopt;
    const int n = static_cast<int>(t.size());
    if (MatchesNumberSyntax(t.data(), n)) {
        if (n >= 3 && t[1] == 'x')
            return Digits(t.substr(2), 16);
        const char last = t.back();
        if (n >= 2 && (last == 'h' || last == 'H'))
            return Digits(t.substr(0, t.size() - 1), 16);
        return Digits(t, 10); // nullopt for 1.5 or 1e3: no whole number
    }
    if (n >= 3 && t[0] == '0' && t[1] == 'X')
        return Digits(t.substr(2), 16);
    if (n >= 3 && t[0] == '0' && (t[1] == 'b' || t[1] == 'B'))
        return Digits(t.substr(2), 2);
    const std::string_view stem = t.substr(0, t.size() - 1);
    switch (t.back()) {
    case 'b':
    case 'B':
        return Digits(stem, 2);
    case 'o':
    case 'O':
    case 'q':
    case 'Q':
        return Digits(stem, 8);
    case 'd':
    case 'D':
        return Digits(stem, 10);
    default:
        return std::nullopt;
    }
}

std::optional<int64_t> EvaluateConstant(std::string_view expr) {
    return Evaluator(expr).Run();
}

} // namespace z80
