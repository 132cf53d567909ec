#include "tests/differential/mnemonic_aliases.h"

#include <cstring>

namespace vexa::diff {

namespace {
constexpr const char* kConditionSynonym = "condition code synonym";
constexpr const char* kNoWaitForm = "the no-wait spelling; Vexa names the x87 control forms without the n";
}  // namespace

const MnemonicAlias kMnemonicAliases[] = {
    // Vexa spells condition codes b/nb, e/ne, na/a, l/nl, ng/g.
    {"jz", "je", kConditionSynonym},
    {"jnz", "jne", kConditionSynonym},
    {"jbe", "jna", kConditionSynonym},
    {"jnbe", "ja", kConditionSynonym},
    {"jle", "jng", kConditionSynonym},
    {"jnle", "jg", kConditionSynonym},
    {"jae", "jnb", kConditionSynonym},
    {"jge", "jnl", kConditionSynonym},
    {"setz", "sete", kConditionSynonym},
    {"setnz", "setne", kConditionSynonym},
    {"setbe", "setna", kConditionSynonym},
    {"setnbe", "seta", kConditionSynonym},
    {"setle", "setng", kConditionSynonym},
    {"setnle", "setg", kConditionSynonym},
    {"setae", "setnb", kConditionSynonym},
    {"setge", "setnl", kConditionSynonym},
    {"cmovz", "cmove", kConditionSynonym},
    {"cmovnz", "cmovne", kConditionSynonym},
    {"cmovbe", "cmovna", kConditionSynonym},
    {"cmovnbe", "cmova", kConditionSynonym},
    {"cmovle", "cmovng", kConditionSynonym},
    {"cmovnle", "cmovg", kConditionSynonym},
    {"cmovae", "cmovnb", kConditionSynonym},
    {"cmovge", "cmovnl", kConditionSynonym},
    {"loope", "loopz", kConditionSynonym},
    {"loopne", "loopnz", kConditionSynonym},
    // x87 control instructions: the peers name the no-wait encodings fn*.
    {"fnstenv", "fstenv", kNoWaitForm},
    {"fnstcw", "fstcw", kNoWaitForm},
    {"fnsave", "fsave", kNoWaitForm},
    {"fnstsw", "fstsw", kNoWaitForm},
    {"fnclex", "fclex", kNoWaitForm},
    {"fninit", "finit", kNoWaitForm},
    {"fneni", "feni", kNoWaitForm},
    {"fndisi", "fdisi", kNoWaitForm},
    {"feni8087_nop", "feni", "DB E0: the 8087 instruction, a no-op on later FPUs"},
    {"fdisi8087_nop", "fdisi", "DB E1: the 8087 instruction, a no-op on later FPUs"},
    // Other spellings of the same instruction.
    {"fldl2e", "fld2e", "Vexa's mnemonic list spells the log2(e) constant fld2e"},
    {"fldl2t", "fld2t", "Vexa's mnemonic list spells the log2(10) constant fld2t"},
    {"fwait", "wait", "9B: the peers use the x87 spelling"},
    {"ret", "retn", "C2/C3: Vexa names the near return retn (the far one retf)"},
    {"int1", "int1", "F1"},
    {"icebp", "int1", "F1: the peers' other name"},
    {"xlatb", "xlat", "D7: with or without the b"},
};
const unsigned kMnemonicAliasCount = sizeof kMnemonicAliases / sizeof kMnemonicAliases[0];

const char* CommonMnemonic(const char* peerName) {
    for (const MnemonicAlias& alias : kMnemonicAliases) {
        if (std::strcmp(alias.peer, peerName) == 0) return alias.vexa;
    }
    return peerName;
}

}  // namespace vexa::diff
