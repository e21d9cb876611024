#include "z80/z80operand.h"

#include <algorithm>
#include <array>
#include <vector>

#include "z80/z80expr.h"
#include "z80/z80lexer.h"

namespace z80 {
namespace {

using K = OperandKind;

Operand Of(OperandKind kind) {
    Operand o;
    o.kind = kind;
    return o;
}

// Up to 8 ASCII characters folded to lower case in one integer; 0 for longer words or other
// bytes, which no table entry equals.
uint64_t PackLower(std::string_view word) {
    if (word.empty() || word.size() > 8)
        return 0;
    uint64_t key = 0;
    for (char c : word) {
        auto u = static_cast<unsigned char>(c);
        if (u >= 'A' && u <= 'Z')
            u = static_cast<unsigned char>(u - 'A' + 'a');
        if (u == 0 || u > 127)
            return 0;
        key = (key << 8) | u;
    }
    return key;
}

struct RegisterName {
    std::string_view name;
    OperandKind kind;
};

constexpr std::array kRegisters{
    RegisterName{"a", K::A},     RegisterName{"b", K::B},     RegisterName{"c", K::C},
    RegisterName{"d", K::D},     RegisterName{"e", K::E},     RegisterName{"h", K::H},
    RegisterName{"l", K::L},     RegisterName{"i", K::I},     RegisterName{"r", K::R},
    RegisterName{"f", K::F},     RegisterName{"af", K::AF},   RegisterName{"af'", K::AFPrime},
    RegisterName{"bc", K::BC},   RegisterName{"de", K::DE},   RegisterName{"hl", K::HL},
    RegisterName{"sp", K::SP},   RegisterName{"ix", K::IX},   RegisterName{"iy", K::IY},
    RegisterName{"ixh", K::IXH}, RegisterName{"ixl", K::IXL}, RegisterName{"iyh", K::IYH},
    RegisterName{"iyl", K::IYL}, RegisterName{"xh", K::IXH},  RegisterName{"xl", K::IXL},
    RegisterName{"yh", K::IYH},  RegisterName{"yl", K::IYL},  RegisterName{"hx", K::IXH},
    RegisterName{"lx", K::IXL},  RegisterName{"hy", K::IYH},  RegisterName{"ly", K::IYL},
    RegisterName{"nz", K::NZ},   RegisterName{"z", K::Z},     RegisterName{"nc", K::NC},
    RegisterName{"po", K::PO},   RegisterName{"pe", K::PE},   RegisterName{"p", K::P},
    RegisterName{"m", K::M},
};

struct RegisterKeys {
    std::array<uint64_t, kRegisters.size()> keys{};
    RegisterKeys() {
        for (size_t i = 0; i < kRegisters.size(); ++i)
            keys[i] = PackLower(kRegisters[i].name);
    }
};

// The register or condition named by exactly `word`, or Bad.
OperandKind RegisterOf(std::string_view word) {
    static const RegisterKeys table;
    if (word.size() > 3)
        return K::Bad;
    const uint64_t key = PackLower(word);
    for (size_t i = 0; i < table.keys.size(); ++i)
        if (table.keys[i] == key)
            return kRegisters[i].kind;
    return K::Bad;
}

// Some symbol of the expression names a register or condition ("1+b", "(ix+5)+1"): no operand
// of the processor looks like that.
bool MentionsRegister(std::string_view expression) {
    size_t i = 0;
    while (i < expression.size()) {
        const char c = expression[i];
        if ((c == '"' || c == '\'') && !(c == '\'' && IsAfPrime(expression, i))) {
            i += QuotedLength(expression, i);
            continue;
        }
        if (!IsSymbolChar(c)) {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < expression.size() && IsSymbolChar(expression[i]))
            ++i;
        if (IsSymbolStart(c) && RegisterOf(expression.substr(start, i - start)) != K::Bad)
            return true;
    }
    return false;
}

// The index of the bracket that closes the one at text[0], or npos.
size_t MatchingClose(std::string_view text) {
    int depth = 0;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '(' || c == '[') {
            ++depth;
        } else if (c == ')' || c == ']') {
            if (--depth == 0)
                return i;
        } else if ((c == '"' || c == '\'') && !(c == '\'' && IsAfPrime(text, i))) {
            i += QuotedLength(text, i);
            continue;
        }
        ++i;
    }
    return std::string_view::npos;
}

Operand Indirect(std::string_view inner) {
    switch (RegisterOf(inner)) {
    case K::C:
        return Of(K::AtC);
    case K::BC:
        return Of(K::AtBC);
    case K::DE:
        return Of(K::AtDE);
    case K::HL:
        return Of(K::AtHL);
    case K::SP:
        return Of(K::AtSP);
    case K::IX:
        return Of(K::AtIX);
    case K::IY:
        return Of(K::AtIY);
    case K::Bad:
        break;
    default:
        return Of(K::Bad);
    }
    if (inner.size() > 2) {
        const OperandKind base = RegisterOf(inner.substr(0, 2));
        const std::string_view rest = TrimBlanks(inner.substr(2));
        if ((base == K::IX || base == K::IY) && !rest.empty() && (rest[0] == '+' || rest[0] == '-'))
            return MentionsRegister(rest) ? Of(K::Bad)
                                          : Operand{base == K::IX ? K::AtIX : K::AtIY, true, rest};
    }
    // "(hl+1)" and the like are no addressing mode of the processor.
    if (inner.empty() || MentionsRegister(inner))
        return Of(K::Bad);
    return {K::Memory, false, inner};
}

enum class Pattern : uint8_t {
    Literal,
    R8,
    RX,
    IXHL,
    IYHL,
    SS,
    QQ,
    PP,
    RR,
    CC,
    JC,
    Expression,
    Memory,
    IndexIX,
    IndexIY,
    Zero,
};

struct PatternOperand {
    Pattern pattern = Pattern::Literal;
    OperandKind literal = K::Bad;
};

struct Compiled {
    const Form* form = nullptr;
    uint64_t key = 0;
    int count = 0;
    std::array<PatternOperand, 3> operands{};
};

PatternOperand CompileOperand(std::string_view text) {
    struct Named {
        std::string_view text;
        Pattern pattern;
    };
    static constexpr std::array kNamed{
        Named{"<r>", Pattern::R8},           Named{"<rx>", Pattern::RX},
        Named{"<ixhl>", Pattern::IXHL},      Named{"<iyhl>", Pattern::IYHL},
        Named{"<ss>", Pattern::SS},          Named{"<qq>", Pattern::QQ},
        Named{"<pp>", Pattern::PP},          Named{"<rr>", Pattern::RR},
        Named{"<cc>", Pattern::CC},          Named{"<jc>", Pattern::JC},
        Named{"<n>", Pattern::Expression},   Named{"<nn>", Pattern::Expression},
        Named{"<e>", Pattern::Expression},   Named{"<b>", Pattern::Expression},
        Named{"<p>", Pattern::Expression},   Named{"<m>", Pattern::Expression},
        Named{"(<n>)", Pattern::Memory},     Named{"(<nn>)", Pattern::Memory},
        Named{"(ix+<d>)", Pattern::IndexIX}, Named{"(iy+<d>)", Pattern::IndexIY},
        Named{"0", Pattern::Zero},
    };
    for (const Named& n : kNamed)
        if (n.text == text)
            return {n.pattern, K::Bad};
    return {Pattern::Literal, ClassifyOperand(text).kind};
}

class FormIndex {
public:
    FormIndex() {
        for (const Form& form : InstructionForms()) {
            Compiled c;
            c.form = &form;
            c.key = PackLower(form.mnemonic);
            OperandCursor cursor(form.operands);
            std::string_view op;
            while (cursor.Next(op) && c.count < 3)
                c.operands[static_cast<size_t>(c.count++)] = CompileOperand(op);
            forms_.push_back(c);
        }
        std::stable_sort(forms_.begin(), forms_.end(),
                         [](const Compiled& a, const Compiled& b) { return a.key < b.key; });
        for (const Compiled& c : forms_)
            if (keys_.empty() || keys_.back() != c.key)
                keys_.push_back(c.key);
    }

    bool Has(uint64_t key) const { return std::binary_search(keys_.begin(), keys_.end(), key); }

    std::span<const Compiled> Of(uint64_t key) const {
        auto lo = std::lower_bound(forms_.begin(), forms_.end(), key,
                                   [](const Compiled& c, uint64_t k) { return c.key < k; });
        auto hi = lo;
        while (hi != forms_.end() && hi->key == key)
            ++hi;
        return {lo, hi};
    }

private:
    std::vector<Compiled> forms_;
    std::vector<uint64_t> keys_; // the distinct mnemonics, sorted
};

const FormIndex& Index() {
    static const FormIndex index;
    return index;
}

uint64_t MnemonicKey(std::string_view word) {
    if (word.size() > 4 || word.empty())
        return PackLower(word);
    char lower[4];
    for (size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        lower[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return PackLower(CanonicalMnemonic(std::string_view(lower, word.size())));
}

bool Accepts(PatternOperand p, const Operand& o) {
    const OperandKind k = o.kind;
    switch (p.pattern) {
    case Pattern::Literal:
        if (p.literal == K::AtIX || p.literal == K::AtIY)
            return k == p.literal && !o.displaced;
        if (p.literal == K::AFPrime) // "ex af,af" without the prime is accepted too
            return k == K::AFPrime || k == K::AF;
        return k == p.literal;
    case Pattern::R8:
        return k == K::A || k == K::B || k == K::C || k == K::D || k == K::E || k == K::H ||
               k == K::L;
    case Pattern::RX:
        return k == K::A || k == K::B || k == K::C || k == K::D || k == K::E;
    case Pattern::IXHL:
        return k == K::IXH || k == K::IXL;
    case Pattern::IYHL:
        return k == K::IYH || k == K::IYL;
    case Pattern::SS:
        return k == K::BC || k == K::DE || k == K::HL || k == K::SP;
    case Pattern::QQ:
        return k == K::BC || k == K::DE || k == K::HL || k == K::AF;
    case Pattern::PP:
        return k == K::BC || k == K::DE || k == K::IX || k == K::SP;
    case Pattern::RR:
        return k == K::BC || k == K::DE || k == K::IY || k == K::SP;
    case Pattern::CC:
        return k == K::NZ || k == K::Z || k == K::NC || k == K::C || k == K::PO || k == K::PE ||
               k == K::P || k == K::M;
    case Pattern::JC:
        return k == K::NZ || k == K::Z || k == K::NC || k == K::C;
    case Pattern::Expression:
        return k == K::Immediate;
    case Pattern::Memory:
        return k == K::Memory;
    case Pattern::IndexIX:
        return k == K::AtIX;
    case Pattern::IndexIY:
        return k == K::AtIY;
    case Pattern::Zero:
        return k == K::Immediate && EvaluateConstant(o.expression) == 0;
    }
    return false;
}

const Form* Find(uint64_t key, std::span<const Operand> operands) {
    for (const Compiled& c : Index().Of(key)) {
        if (static_cast<size_t>(c.count) != operands.size())
            continue;
        bool all = true;
        for (size_t i = 0; i < operands.size() && all; ++i)
            all = Accepts(c.operands[i], operands[i]);
        if (all)
            return c.form;
    }
    return nullptr;
}

} // namespace

Operand ClassifyOperand(std::string_view text) {
    const std::string_view t = TrimBlanks(text);
    if (t.empty())
        return Of(K::Bad);
    const char open = t.front();
    if ((open == '(' && t.back() == ')') || (open == '[' && t.back() == ']')) {
        if (MatchingClose(t) == t.size() - 1)
            return Indirect(TrimBlanks(t.substr(1, t.size() - 2)));
    }
    const OperandKind reg = RegisterOf(t);
    if (reg != K::Bad)
        return Of(reg);
    if (MentionsRegister(t))
        return Of(K::Bad);
    return {K::Immediate, false, t};
}

bool IsMnemonic(std::string_view word) {
    const uint64_t key = MnemonicKey(word);
    return key != 0 && Index().Has(key);
}

const Form* MatchForm(std::string_view mnemonic, std::span<const Operand> operands) {
    const uint64_t key = MnemonicKey(mnemonic);
    if (key == 0 || operands.size() > 3)
        return nullptr;
    if (const Form* form = Find(key, operands))
        return form;
    // The shorthands: an implied accumulator written or left out.
    if (operands.size() == 1 &&
        (key == PackLower("add") || key == PackLower("adc") || key == PackLower("sbc"))) {
        const std::array<Operand, 2> withA{Of(K::A), operands[0]};
        return Find(key, withA);
    }
    if (operands.size() == 2 && operands[0].kind == K::A &&
        (key == PackLower("sub") || key == PackLower("and") || key == PackLower("or") ||
         key == PackLower("xor") || key == PackLower("cp")))
        return Find(key, operands.subspan(1));
    return nullptr;
}

} // namespace z80
