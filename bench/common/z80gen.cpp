#include "common/z80gen.h"

#include <array>
#include <string_view>

namespace {

// splitmix64: fixed arithmetic, so the output is the same everywhere.
class Prng {
public:
    explicit Prng(uint64_t seed) : state_(seed * 0x9e3779b97f4a7c15ull + 0x632be59bd9b4e019ull) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    // 0 <= result < n; the tiny modulo bias does not matter for test text.
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
    template <size_t N> std::string_view Pick(const std::array<std::string_view, N>& items) {
        return items[Below(static_cast<uint32_t>(N))];
    }

private:
    uint64_t state_;
};

constexpr std::array<std::string_view, 8> kImplied{"nop", "ret", "exx", "ldir",
                                                   "di",  "ei",  "daa", "neg"};
constexpr std::array<std::string_view, 10> kAlu{"add", "adc", "sub", "sbc", "and",
                                                "or",  "xor", "cp",  "inc", "dec"};
constexpr std::array<std::string_view, 7> kReg8{"a", "b", "c", "d", "e", "h", "l"};
constexpr std::array<std::string_view, 6> kReg16{"hl", "de", "bc", "sp", "ix", "iy"};
constexpr std::array<std::string_view, 8> kCond{"nz", "z", "nc", "c", "po", "pe", "p", "m"};
constexpr std::array<std::string_view, 6> kJump{"jp", "jr", "call", "djnz", "jp", "call"};
constexpr std::array<std::string_view, 6> kBits{"bit", "set", "res", "rl", "srl", "rlc"};
constexpr std::array<std::string_view, 12> kWords{"loop", "next", "draw", "init",   "read", "key",
                                                  "tile", "copy", "wait", "sprite", "buf",  "irq"};
constexpr std::array<std::string_view, 8> kComment{
    "save the loop counter",    "advance to the next row",
    "wrap around at the edge",  "set the border colour",
    "clear carry before sbc",   "self-modified operand",
    "keep interrupts off here", "x = x * 2 + 1"};
constexpr std::array<std::string_view, 6> kPreproc{"%include \"defs.inc\"", "%define DEBUG 1",
                                                   "%ifdef DEBUG",          "%endif",
                                                   "%macro push_all",       "%endm"};

class Writer {
public:
    Writer(std::string& out, Prng& rng) : out_(out), rng_(rng) {}

    void Line(std::string_view text) {
        out_ += text;
        out_ += "\r\n";
    }

    std::string Label() {
        std::string label(rng_.Pick(kWords));
        label += '_';
        label += std::to_string(rng_.Below(4000));
        return label;
    }

    // A number in one of the notations the highlighter knows.
    std::string Number(uint32_t max) {
        uint32_t v = rng_.Below(max);
        static constexpr char kHex[] = "0123456789ABCDEF";
        std::string hex;
        for (uint32_t x = v; x != 0 || hex.empty(); x >>= 4)
            hex.insert(hex.begin(), kHex[x & 15]);
        std::string bin;
        for (uint32_t x = v & 0xff; x != 0 || bin.empty(); x >>= 1)
            bin.insert(bin.begin(), static_cast<char>('0' + (x & 1)));
        switch (rng_.Below(7)) {
        case 0:
            return (hex[0] >= 'A' ? "0" : "") + hex + "h";
        case 1:
            return "$" + hex;
        case 2:
            return "0x" + hex;
        case 3:
            return "%" + bin;
        case 4:
            return bin + "b";
        default:
            return std::to_string(v);
        }
    }

    std::string Operand8() {
        switch (rng_.Below(6)) {
        case 0:
            return "(hl)";
        case 1:
            return "(ix+" + Number(128) + ")";
        case 2:
            return Number(256);
        default:
            return std::string(rng_.Pick(kReg8));
        }
    }

    void Instruction() {
        std::string line = "\t";
        switch (rng_.Below(9)) {
        case 0:
            line += rng_.Pick(kImplied);
            break;
        case 1:
        case 2:
            line += "ld ";
            line += rng_.Pick(kReg8);
            line += ',';
            line += Operand8();
            break;
        case 3:
            line += "ld ";
            line += rng_.Pick(kReg16);
            line += ',';
            line += rng_.Below(2) ? Number(65536) : "(" + Label() + ")";
            break;
        case 4:
        case 5:
            line += rng_.Pick(kAlu);
            line += ' ';
            line += Operand8();
            break;
        case 6:
            line += rng_.Pick(kJump);
            line += ' ';
            if (rng_.Below(2)) {
                line += rng_.Pick(kCond);
                line += ',';
            }
            line += Label();
            break;
        case 7:
            line += rng_.Pick(kBits);
            line += ' ';
            line += std::to_string(rng_.Below(8));
            line += ',';
            line += rng_.Pick(kReg8);
            break;
        default:
            line += rng_.Below(2) ? "push " : "pop ";
            line += rng_.Pick(kReg16);
            break;
        }
        if (rng_.Below(8) < 6) {
            line += line.size() < 8 ? "\t\t; " : "\t; ";
            line += rng_.Pick(kComment);
        }
        Line(line);
    }

    void Directive() {
        switch (rng_.Below(5)) {
        case 0:
            Line("\tdb " + Number(256) + "," + Number(256) + ",\"" +
                 std::string(rng_.Pick(kWords)) + "\",0");
            break;
        case 1:
            Line("\tdw " + Label() + "," + Number(65536));
            break;
        case 2:
            Line(Label() + " equ " + Number(65536));
            break;
        case 3:
            Line("\torg " + Number(65536));
            break;
        default:
            Line("\tdefs " + Number(64) + ",'" +
                 std::string(1, static_cast<char>('A' + rng_.Below(26))) + "'");
            break;
        }
    }

    void Block() {
        Line("/* " + std::string(rng_.Pick(kComment)));
        for (uint32_t i = rng_.Below(3); i > 0; --i)
            Line("   " + std::string(rng_.Pick(kComment)));
        Line("*/");
    }

    void Next() {
        uint32_t roll = rng_.Below(100);
        if (roll < 68)
            Instruction();
        else if (roll < 78)
            Line(Label() + ":");
        else if (roll < 86)
            Directive();
        else if (roll < 92)
            Line("; " + std::string(rng_.Pick(kComment)) + " - " +
                 std::string(rng_.Pick(kComment)));
        else if (roll < 96)
            Line("");
        else if (roll < 98)
            Line(std::string(rng_.Pick(kPreproc)));
        else
            Block();
    }

private:
    std::string& out_;
    Prng& rng_;
};

} // namespace

std::string GenerateZ80Source(size_t targetBytes, uint32_t seed) {
    std::string out;
    out.reserve(targetBytes + 256);
    Prng rng(seed);
    Writer writer(out, rng);
    while (out.size() < targetBytes)
        writer.Next();
    return out;
}
