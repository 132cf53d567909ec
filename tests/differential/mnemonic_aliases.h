#pragma once
// The normalisation table of mnemonics: names under which a peer decoder
// spells an instruction that Vexa names otherwise, mapped to Vexa's spelling.
// Only pure spelling differences belong here (the same instruction, the same
// operands); names that stand for a different reading of the bytes are
// disagreements and are classified as such.
namespace vexa::diff {

struct MnemonicAlias {
    const char* peer;
    const char* vexa;
    const char* why;
};

// The whole table, for the report.
extern const MnemonicAlias kMnemonicAliases[];
extern const unsigned kMnemonicAliasCount;

// Vexa's spelling of a peer's mnemonic; the name itself when it has no alias.
const char* CommonMnemonic(const char* peerName);

}  // namespace vexa::diff
