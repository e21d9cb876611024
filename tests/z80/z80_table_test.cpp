// The instruction table against a real assembler: every form is written out with every register
// it takes, pasmo assembles the file with a listing, and the size of each line in the listing
// must be the size the figures give for it. Skipped when pasmo is not installed
// (scripts/install-deps.sh installs it).
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "z80/z80figures.h"
#include "z80/z80table.h"

namespace {

// What each placeholder is written as: every register it takes, and one or two values.
const std::map<std::string, std::vector<std::string>>& Expansions() {
    static const std::map<std::string, std::vector<std::string>> table{
        {"<r>", {"a", "b", "c", "d", "e", "h", "l"}},
        {"<rx>", {"a", "b", "c", "d", "e"}},
        {"<ixhl>", {"ixh", "ixl"}},
        {"<iyhl>", {"iyh", "iyl"}},
        {"<ss>", {"bc", "de", "hl", "sp"}},
        {"<qq>", {"bc", "de", "hl", "af"}},
        {"<pp>", {"bc", "de", "ix", "sp"}},
        {"<rr>", {"bc", "de", "iy", "sp"}},
        {"<cc>", {"nz", "z", "nc", "c", "po", "pe", "p", "m"}},
        {"<jc>", {"nz", "z", "nc", "c"}},
        {"<n>", {"12h"}},
        {"<nn>", {"1234h"}},
        {"<d>", {"5", "127"}},
        {"<e>", {"$"}},
        {"<b>", {"0", "7"}},
        {"<p>", {"38h"}},
        {"<m>", {"0", "2"}},
    };
    return table;
}

void Expand(const std::string& operands, std::vector<std::string>& out) {
    const size_t open = operands.find('<');
    if (open == std::string::npos) {
        out.push_back(operands);
        return;
    }
    const size_t close = operands.find('>', open);
    const std::string name = operands.substr(open, close + 1 - open);
    for (const std::string& value : Expansions().at(name))
        Expand(operands.substr(0, open) + value + operands.substr(close + 1), out);
}

struct Instance {
    const z80::Form* form;
    std::string line;
};

std::vector<Instance> EveryInstance() {
    std::vector<Instance> all;
    for (const z80::Form& form : z80::InstructionForms()) {
        std::vector<std::string> operands;
        Expand(std::string(form.operands), operands);
        for (const std::string& ops : operands)
            all.push_back(
                {&form, "\t" + std::string(form.mnemonic) + (ops.empty() ? "" : " ") + ops});
    }
    return all;
}

// The forms pasmo 0.5 does not assemble: the ED 70 / ED 71 forms and the DD CB / FD CB forms
// that copy the result into a register.
bool PasmoKnows(const z80::Form& form) {
    return !(form.operands == "(c)" || form.operands == "f,(c)" || form.operands == "(c),0" ||
             form.operands.find("),<r>") != std::string_view::npos);
}

TEST(InstructionTable, EveryFormIsReachedAndTheFiguresComeFromIt) {
    const std::span<const z80::Form> forms = z80::InstructionForms();
    std::map<const z80::Form*, int> own;
    for (const Instance& i : EveryInstance()) {
        const z80::LineFigures f = z80::AnalyzeLine(i.line);
        ASSERT_EQ(f.kind, z80::LineKind::Instruction) << i.line;
        // An earlier row may take the same operands ("ld hl,(nn)" before "ld ss,(nn)"), a later
        // one never.
        EXPECT_LE(f.form, i.form) << i.line;
        EXPECT_EQ(f.form->mnemonic, i.form->mnemonic) << i.line;
        EXPECT_EQ(f.bytes, f.form->bytes);
        EXPECT_EQ(f.maxTStates, f.form->tStates);
        ++own[f.form];
    }
    for (const z80::Form& form : forms) {
        EXPECT_GT(own[&form], 0) << form.mnemonic << " " << form.operands << " is never chosen";
        EXPECT_TRUE(form.bytes >= 1 && form.bytes <= 4) << form.mnemonic << " " << form.operands;
        EXPECT_TRUE(form.tStates >= 4 && form.tStates <= 23);
        EXPECT_LT(form.tStatesOtherwise, form.tStates);
    }
}

std::string CommandOutput(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[4096];
        size_t n = 0;
        while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0)
            output.append(chunk, n);
        pclose(pipe);
    }
    return output;
}

TEST(InstructionTable, SizesMatchTheAssembler) {
    if (std::system("command -v pasmo >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pasmo is not installed (Debian package pasmo, installed by "
                        "scripts/install-deps.sh): the table is not checked against an assembler";

    std::vector<Instance> instances;
    for (Instance& i : EveryInstance())
        if (PasmoKnows(*i.form))
            instances.push_back(std::move(i));
    ASSERT_GT(instances.size(), 600u);

    char pattern[] = "/tmp/velmora-z80-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path dir = pattern;
    {
        std::ofstream source(dir / "forms.asm");
        for (size_t k = 0; k < instances.size(); ++k)
            source << "L" << k << ":" << instances[k].line << "\n";
        source << "L" << instances.size() << ":\n";
    }
    // "-d" makes pasmo print its listing: "ADDR:BYTES<tab>TEXT", and "ADDR:<tab><tab>label NAME"
    // where a label is defined.
    const std::string listing = CommandOutput(
        "cd '" + dir.string() + "' && pasmo -d forms.asm forms.bin 2>&1; echo \"exit $?\"");
    std::filesystem::remove_all(dir);
    ASSERT_NE(listing.find("exit 0"), std::string::npos) << listing.substr(0, 2000);

    std::vector<int> sizes(instances.size() + 1, 0);
    int current = -1;
    std::istringstream in(listing);
    std::string row;
    while (std::getline(in, row)) {
        const size_t colon = row.find(':');
        if (colon != 4)
            continue;
        const size_t tab = row.find('\t', colon);
        const std::string bytes = row.substr(colon + 1, tab - colon - 1);
        const size_t text = row.find_first_not_of('\t', tab);
        if (bytes.empty() && text != std::string::npos && row.compare(text, 7, "label L") == 0)
            current = std::stoi(row.substr(text + 7));
        else if (current >= 0)
            sizes[static_cast<size_t>(current)] += static_cast<int>(bytes.size() / 2);
    }
    ASSERT_EQ(current, static_cast<int>(instances.size())) << "the listing ended early";
    for (size_t k = 0; k < instances.size(); ++k)
        EXPECT_EQ(z80::AnalyzeLine(instances[k].line).bytes, sizes[k]) << instances[k].line;
}

} // namespace
