#include "assembler/syntax_names.h"

#include <algorithm>
#include <cstring>

#include "assembler/decoder_view.h"

namespace vexa::assembler {
namespace {

constexpr int kClassCount = 9;  // Gpr8 .. Xmm
constexpr int kRegisterSlots = kClassCount * 8;
constexpr int kSizeCodes = 13;
constexpr size_t kWordSize = 16;
constexpr int kMaxMnemonics = 512;

// Peers' names for Vexa's mnemonics (docs/decoder-differences.md): the same
// bytes, another spelling.
struct Synonym {
    const char* alias;
    const char* name;
};
constexpr Synonym kSynonyms[] = {
    {"loope", "loopz"},     {"loopne", "loopnz"},   {"fnstenv", "fstenv"},    {"fnstcw", "fstcw"},
    {"fnsave", "fsave"},    {"fnstsw", "fstsw"},    {"fnclex", "fclex"},      {"fninit", "finit"},
    {"fneni", "feni"},      {"fndisi", "fdisi"},    {"feni8087_nop", "feni"}, {"fdisi8087_nop", "fdisi"},
    {"fldl2e", "fld2e"},    {"fldl2t", "fld2t"},    {"fwait", "wait"},        {"ret", "retn"},
    {"icebp", "int1"},      {"xlatb", "xlat"},
};
// Condition-code synonyms, applied after "j", "set" and "cmov".
constexpr Synonym kConditionSynonyms[] = {
    {"z", "e"},   {"nz", "ne"}, {"be", "na"}, {"nbe", "a"}, {"le", "ng"},  {"nle", "g"},  {"ae", "nb"},
    {"ge", "nl"}, {"c", "b"},   {"nae", "b"}, {"nc", "nb"}, {"pe", "p"},   {"po", "np"},  {"nge", "l"},
};
constexpr const char* kConditionStems[] = {"j", "set", "cmov"};
constexpr Synonym kRepeatSynonyms[] = {{"repe", "rep"}, {"repz", "rep"}, {"repnz", "repne"}};

// A word of up to 16 characters as two numbers, so that a look-up compares
// numbers, not strings; 0 for a longer word (none of the lists has one).
struct Key {
    uint64_t low = 0;
    uint64_t high = 0;
    bool operator==(const Key& o) const { return low == o.low && high == o.high; }
    bool operator<(const Key& o) const { return high != o.high ? high < o.high : low < o.low; }
};

Key KeyOf(std::string_view word) {
    Key k;
    if (word.size() > 16) return k;
    const size_t low = word.size() < 8 ? word.size() : 8;
    std::memcpy(&k.low, word.data(), low);  // the byte order only has to be the same every time
    std::memcpy(&k.high, word.data() + low, word.size() - low);
    return k;
}

struct MnemonicKey {
    Key key;
    uint16_t index;
};

struct RegisterKey {
    Key key;
    uint8_t code;
};

struct Words {
    char registers[kRegisterSlots][kWordSize] = {};
    RegisterKey sortedRegisters[kRegisterSlots] = {};
    int registerCount = 0;
    char sizes[kSizeCodes][kWordSize] = {};
    uint8_t sizeLengths[kSizeCodes] = {};
    char ptr[kWordSize] = {};
    char lock[kWordSize] = {};
    char rep[kWordSize] = {};
    char repne[kWordSize] = {};
    Key lockKey, repKey, repneKey;
    MnemonicKey sortedMnemonics[kMaxMnemonics] = {};
    int mnemonicCount = 0;
};

// Copies `text` up to `end` (not included) into `to`.
void CopyWord(char* to, const char* text, const char* end) {
    const size_t n = std::min(static_cast<size_t>(end - text), kWordSize - 1);
    std::memcpy(to, text, n);
    to[n] = '\0';
}

// Any named mnemonic, to give a record a mnemonic text that does not end in a
// blank.
constexpr uint16_t kSomeMnemonic = 2;

void ReadRegisterNames(Words& w) {
    for (int slot = 0; slot < kRegisterSlots; ++slot) {
        DecodedInstruction r{};
        r.mnemonic = kSomeMnemonic;
        r.operandCount = 1;
        r.operands[0].kind = OperandKind::Register;
        r.operands[0].reg = MakeRegisterCode(static_cast<uint8_t>(slot / 8), static_cast<uint8_t>(slot % 8));
        char line[kLineSize];
        if (!FormatLine(r, line)) continue;
        const char* tab = std::strchr(line, '\t');
        // "?s" is no register a user can write.
        if (tab != nullptr && std::strchr(tab, '?') == nullptr) CopyWord(w.registers[slot], tab + 1, tab + std::strlen(tab));
    }
}

void ReadSizeKeywords(Words& w) {
    for (int code = 1; code < kSizeCodes; ++code) {
        DecodedInstruction r{};
        r.mnemonic = kSomeMnemonic;
        r.operandCount = 1;
        r.operands[0].kind = OperandKind::Memory;
        r.operands[0].memorySize = static_cast<uint8_t>(code);
        r.operands[0].dispSize = 2;
        char line[kLineSize];
        if (!FormatLine(r, line)) continue;
        const char* start = std::strchr(line, '\t') + 1;
        const char* bracket = std::strchr(start, '[');
        // "<keyword> ptr [": the last word before the bracket is "ptr".
        const char* lastBlank = bracket - 1;
        const char* ptrStart = lastBlank;
        while (ptrStart > start && ptrStart[-1] != ' ') --ptrStart;
        CopyWord(w.ptr, ptrStart, lastBlank);
        if (ptrStart - 1 > start) CopyWord(w.sizes[code], start, ptrStart - 1);
    }
}

void ReadPrefixWords(Words& w) {
    const struct {
        uint8_t prefixFlags, repeat;
        char* word;
    } rows[] = {
        {PrefixFlag::LockPrefix, 0, w.lock},
        {0, RepeatFlag::RepeatPrefix | RepeatFlag::RepeatKind, w.rep},
        {0, RepeatFlag::RepeatPrefix, w.repne},
    };
    for (const auto& row : rows) {
        DecodedInstruction r{};
        r.mnemonic = kSomeMnemonic;
        r.prefixFlags = row.prefixFlags;
        r.repeatAndLength = row.repeat;
        char line[kLineSize];
        if (FormatLine(r, line)) CopyWord(row.word, line, std::strchr(line, ' '));
    }
}

void SortMnemonics(Words& w) {
    for (int i = Mnemonic::Invalid + 1; i < MnemonicCount() && w.mnemonicCount < kMaxMnemonics; ++i) {
        const char* name = MnemonicName(static_cast<uint16_t>(i));
        if (name[0] != '\0') w.sortedMnemonics[w.mnemonicCount++] = {KeyOf(name), static_cast<uint16_t>(i)};
    }
    std::sort(w.sortedMnemonics, w.sortedMnemonics + w.mnemonicCount,
              [](const MnemonicKey& a, const MnemonicKey& b) { return a.key < b.key; });
}

void MakeKeys(Words& w) {
    for (int slot = 0; slot < kRegisterSlots; ++slot) {
        if (w.registers[slot][0] == '\0') continue;
        w.sortedRegisters[w.registerCount++] = {
            KeyOf(w.registers[slot]), MakeRegisterCode(static_cast<uint8_t>(slot / 8), static_cast<uint8_t>(slot % 8))};
    }
    std::sort(w.sortedRegisters, w.sortedRegisters + w.registerCount,
              [](const RegisterKey& a, const RegisterKey& b) { return a.key < b.key; });
    for (int code = 0; code < kSizeCodes; ++code) w.sizeLengths[code] = static_cast<uint8_t>(std::strlen(w.sizes[code]));
    w.lockKey = KeyOf(w.lock);
    w.repKey = KeyOf(w.rep);
    w.repneKey = KeyOf(w.repne);
}

const Words& TheWords() {
    static const Words words = [] {
        Words w;
        ReadRegisterNames(w);
        ReadSizeKeywords(w);
        ReadPrefixWords(w);
        SortMnemonics(w);
        MakeKeys(w);
        return w;
    }();
    return words;
}

uint16_t FindExactMnemonic(std::string_view name) {
    if (name.empty() || name.size() > 16) return 0;
    const Words& w = TheWords();
    const Key key = KeyOf(name);
    const MnemonicKey* end = w.sortedMnemonics + w.mnemonicCount;
    const MnemonicKey* it = std::lower_bound(w.sortedMnemonics, end, key,
                                             [](const MnemonicKey& a, const Key& k) { return a.key < k; });
    return it != end && it->key == key ? it->index : 0;
}

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool FindRegister(std::string_view name, uint8_t* code) {
    if (name.empty() || name.size() > 16) return false;
    const Words& w = TheWords();
    const Key key = KeyOf(name);
    const RegisterKey* end = w.sortedRegisters + w.registerCount;
    const RegisterKey* it = std::lower_bound(w.sortedRegisters, end, key,
                                             [](const RegisterKey& a, const Key& k) { return a.key < k; });
    if (it != end && it->key == key) {
        *code = it->code;
        return true;
    }
    if (name == "st(0)") return FindRegister("st", code);  // the formatter writes the top of the stack "st"
    return false;
}

bool IsRegisterLike(std::string_view name) {
    const Words& w = TheWords();
    // The stem of each numbered class is its first register's name without
    // the digit ("cr", "mm", "xmm"), or "st(" for the x87 stack.
    for (int cls = 0; cls < kClassCount; ++cls) {
        std::string_view first = w.registers[cls * 8 + 1];
        if (first.empty()) continue;
        if (first.back() == ')') {
            const size_t open = first.find('(');
            if (name.size() > open + 2 && name.substr(0, open + 1) == first.substr(0, open + 1) && name.back() == ')' &&
                AllDigits(name.substr(open + 1, name.size() - open - 2))) {
                return true;
            }
        } else if (first.back() == '1') {
            std::string_view stem = first.substr(0, first.size() - 1);
            if (name.size() > stem.size() && name.substr(0, stem.size()) == stem && AllDigits(name.substr(stem.size()))) {
                return true;
            }
        }
    }
    return false;
}

size_t MatchSizeKeyword(std::string_view text, uint8_t* memorySize) {
    const Words& w = TheWords();
    if (text.empty()) return 0;
    for (int code = 1; code < kSizeCodes; ++code) {
        const std::string_view k(w.sizes[code], w.sizeLengths[code]);
        if (k.empty() || k[0] != text[0] || text.substr(0, k.size()) != k) continue;
        if (text.size() > k.size()) {
            const char next = text[k.size()];
            if ((next >= 'a' && next <= 'z') || (next >= '0' && next <= '9') || next == '_') continue;
        }
        *memorySize = static_cast<uint8_t>(code);
        return k.size();
    }
    return 0;
}

const char* SizeKeyword(uint8_t memorySize) { return memorySize < kSizeCodes ? TheWords().sizes[memorySize] : ""; }
const char* PtrWord() { return TheWords().ptr; }

PrefixWord FindPrefixWord(std::string_view name) {
    const Words& w = TheWords();
    for (const Synonym& s : kRepeatSynonyms) {
        if (name == s.alias) name = s.name;
    }
    const Key key = KeyOf(name);
    if (key == w.lockKey) return PrefixWord::Lock;
    if (key == w.repKey) return PrefixWord::Rep;
    if (key == w.repneKey) return PrefixWord::Repne;
    return PrefixWord::None;
}

uint16_t FindMnemonic(std::string_view name) {
    if (const uint16_t index = FindExactMnemonic(name)) return index;
    for (const Synonym& s : kSynonyms) {
        if (name == s.alias) return FindExactMnemonic(s.name);
    }
    for (const char* stem : kConditionStems) {
        const std::string_view st = stem;
        if (name.substr(0, st.size()) != st) continue;
        for (const Synonym& s : kConditionSynonyms) {
            if (name.substr(st.size()) != s.alias) continue;
            char canonical[kWordSize];
            const size_t n = st.size() + std::strlen(s.name);
            if (n >= kWordSize) continue;
            std::memcpy(canonical, stem, st.size());
            std::memcpy(canonical + st.size(), s.name, n - st.size());
            if (const uint16_t index = FindExactMnemonic(std::string_view(canonical, n))) return index;
        }
    }
    return 0;
}

}  // namespace vexa::assembler
