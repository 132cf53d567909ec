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

// `size` is 1 to 16, and 16 bytes at `p` can be read.
inline Key KeyOfPadded(const char* p, size_t size) {
    Key k;
    std::memcpy(&k.low, p, 8);
    std::memcpy(&k.high, p + 8, 8);
    if (size < 8) {
        k.low &= (uint64_t{1} << (8 * size)) - 1;
        k.high = 0;
    } else if (size < 16) {
        k.high &= size == 8 ? 0 : (uint64_t{1} << (8 * (size - 8))) - 1;
    }
    return k;
}

Key KeyOf(std::string_view word) {
    if (word.empty() || word.size() > 16) return Key{};
    char padded[kWordReadBytes] = {};
    std::memcpy(padded, word.data(), word.size());
    return KeyOfPadded(padded, word.size());
}

// Every word of the syntax in one open-addressed table: a look-up is one
// hash of the key and, nearly always, one probe. A word may be several things
// at once (a prefix word and a mnemonic), so each entry holds all of them.
struct WordEntry {
    Key key;
    WordInfo info;
};

constexpr size_t kWordSlots = 2048;  // a power of two, over twice the words
static_assert((kWordSlots & (kWordSlots - 1)) == 0);

size_t SlotOf(const Key& k) {
    const uint64_t h = (k.low * 0x9E3779B97F4A7C15ull) ^ (k.high * 0xC2B2AE3D27D4EB4Full);
    return static_cast<size_t>(h >> 53) & (kWordSlots - 1);
}

struct Words {
    char registers[kRegisterSlots][kWordSize] = {};
    char sizes[kSizeCodes][kWordSize] = {};
    uint8_t sizeLengths[kSizeCodes] = {};
    char ptr[kWordSize] = {};
    char lock[kWordSize] = {};
    char rep[kWordSize] = {};
    char repne[kWordSize] = {};
    // Size keywords with a character other than a letter, digit or '_'
    // ("(48-bit)"): matched by comparing, in code order.
    uint8_t otherSizes[kSizeCodes] = {};
    int otherSizeCount = 0;
    WordEntry slots[kWordSlots] = {};
    bool overflow = false;
};

bool IsWordByte(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; }

// The entry of `key`, made empty-keyed for a new word; null when full.
WordEntry* SlotFor(Words& w, const Key& key) {
    for (size_t i = SlotOf(key), probes = 0; probes < kWordSlots; i = (i + 1) & (kWordSlots - 1), ++probes) {
        WordEntry& e = w.slots[i];
        if (e.key == key) return &e;
        if (e.key == Key{}) {
            e.key = key;
            return &e;
        }
    }
    w.overflow = true;
    return nullptr;
}

inline const WordEntry* FindKey(const Words& w, const Key& key) {
    for (size_t i = SlotOf(key);; i = (i + 1) & (kWordSlots - 1)) {
        const WordEntry& e = w.slots[i];
        if (e.key == key) return &e;
        if (e.key == Key{}) return nullptr;
    }
}

const WordEntry* FindWord(const Words& w, std::string_view word) {
    if (word.empty() || word.size() > 16) return nullptr;
    return FindKey(w, KeyOf(word));
}

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

void AddMnemonics(Words& w) {
    for (int i = Mnemonic::Invalid + 1; i < MnemonicCount() && i < kMaxMnemonics; ++i) {
        const char* name = MnemonicName(static_cast<uint16_t>(i));
        if (name[0] == '\0' || std::strlen(name) > 16) continue;
        WordEntry* e = SlotFor(w, KeyOf(name));
        if (e != nullptr && e->info.mnemonic == 0) e->info.mnemonic = static_cast<uint16_t>(i);
    }
}

uint16_t ExactMnemonic(Words& w, std::string_view name) {
    const WordEntry* e = FindWord(w, name);
    return e != nullptr ? e->info.mnemonic : 0;
}

// A peer's name takes the mnemonic of the name it stands for, unless it is a
// name of its own; the first synonym listed for a word wins.
void AddSynonym(Words& w, std::string_view alias, uint16_t mnemonic) {
    if (mnemonic == 0 || alias.size() > 16) return;
    WordEntry* e = SlotFor(w, KeyOf(alias));
    if (e != nullptr && e->info.mnemonic == 0) e->info.mnemonic = mnemonic;
}

void AddMnemonicSynonyms(Words& w) {
    for (const Synonym& s : kSynonyms) AddSynonym(w, s.alias, ExactMnemonic(w, s.name));
    for (const char* stem : kConditionStems) {
        const std::string_view st = stem;
        for (const Synonym& s : kConditionSynonyms) {
            char alias[kWordSize];
            char canonical[kWordSize];
            const size_t a = st.size() + std::strlen(s.alias);
            const size_t n = st.size() + std::strlen(s.name);
            if (a >= kWordSize || n >= kWordSize) continue;
            std::memcpy(alias, stem, st.size());
            std::memcpy(alias + st.size(), s.alias, a - st.size());
            std::memcpy(canonical, stem, st.size());
            std::memcpy(canonical + st.size(), s.name, n - st.size());
            AddSynonym(w, std::string_view(alias, a), ExactMnemonic(w, std::string_view(canonical, n)));
        }
    }
}

void AddRegister(Words& w, std::string_view name, uint8_t code) {
    if (name.empty() || name.size() > 16) return;
    WordEntry* e = SlotFor(w, KeyOf(name));
    if (e == nullptr || e->info.isRegister) return;
    e->info.isRegister = true;
    e->info.registerCode = code;
}

void AddPrefix(Words& w, std::string_view name, PrefixWord prefix) {
    if (name.empty() || name.size() > 16) return;
    WordEntry* e = SlotFor(w, KeyOf(name));
    if (e != nullptr && e->info.prefix == PrefixWord::None) e->info.prefix = prefix;
}

void MakeKeys(Words& w) {
    for (int slot = 0; slot < kRegisterSlots; ++slot) {
        AddRegister(w, w.registers[slot], MakeRegisterCode(static_cast<uint8_t>(slot / 8), static_cast<uint8_t>(slot % 8)));
    }
    // The formatter writes the top of the stack "st"; "st(0)" is the same.
    if (const WordEntry* st = FindWord(w, "st"); st != nullptr && st->info.isRegister) AddRegister(w, "st(0)", st->info.registerCode);
    for (int code = 1; code < kSizeCodes; ++code) {
        w.sizeLengths[code] = static_cast<uint8_t>(std::strlen(w.sizes[code]));
        const std::string_view k(w.sizes[code], w.sizeLengths[code]);
        if (k.empty()) continue;
        if (std::all_of(k.begin(), k.end(), IsWordByte) && k.size() <= 16) {
            WordEntry* e = SlotFor(w, KeyOf(k));
            if (e != nullptr && e->info.sizeCode == 0) e->info.sizeCode = static_cast<uint8_t>(code);
        } else {
            w.otherSizes[w.otherSizeCount++] = static_cast<uint8_t>(code);
        }
    }
    AddPrefix(w, w.lock, PrefixWord::Lock);
    AddPrefix(w, w.rep, PrefixWord::Rep);
    AddPrefix(w, w.repne, PrefixWord::Repne);
    for (const Synonym& s : kRepeatSynonyms) {
        const WordEntry* e = FindWord(w, s.name);
        if (e != nullptr && e->info.prefix != PrefixWord::None) AddPrefix(w, s.alias, e->info.prefix);
    }
}

// Filled once, at first use, and only read after.
Words g_words;

[[gnu::noinline]] const Words& BuildWords() {
    Words& w = g_words;
    ReadRegisterNames(w);
    ReadSizeKeywords(w);
    ReadPrefixWords(w);
    AddMnemonics(w);
    AddMnemonicSynonyms(w);
    MakeKeys(w);
    return w;
}

// A guard and a load on every look-up; the building is out of line.
inline const Words& TheWords() {
    static const Words& words = BuildWords();
    return words;
}

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool FindRegister(std::string_view name, uint8_t* code) {
    const WordEntry* e = FindWord(TheWords(), name);
    if (e == nullptr || !e->info.isRegister) return false;
    *code = e->info.registerCode;
    return true;
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
    // The first keyword, in code order, that begins the text and is not
    // followed by a letter or digit: a keyword of word characters only is
    // then the whole word at the start of the text.
    size_t word = 0;
    while (word < text.size() && IsWordByte(text[word])) ++word;
    const WordEntry* e = word > 0 ? FindWord(w, text.substr(0, word)) : nullptr;
    uint8_t best = e != nullptr ? e->info.sizeCode : 0;
    for (int i = 0; i < w.otherSizeCount; ++i) {
        const uint8_t code = w.otherSizes[i];
        if (best != 0 && code > best) break;
        const std::string_view k(w.sizes[code], w.sizeLengths[code]);
        if (k[0] != text[0] || text.substr(0, k.size()) != k) continue;
        if (text.size() > k.size() && IsWordByte(text[k.size()])) continue;
        best = code;
        break;
    }
    if (best == 0) return 0;
    *memorySize = best;
    return w.sizeLengths[best];
}

const char* SizeKeyword(uint8_t memorySize) { return memorySize < kSizeCodes ? TheWords().sizes[memorySize] : ""; }
const char* PtrWord() { return TheWords().ptr; }

PrefixWord FindPrefixWord(std::string_view name) {
    const WordEntry* e = FindWord(TheWords(), name);
    return e != nullptr ? e->info.prefix : PrefixWord::None;
}

uint16_t FindMnemonic(std::string_view name) {
    const WordEntry* e = FindWord(TheWords(), name);
    return e != nullptr ? e->info.mnemonic : 0;
}

const WordInfo* LookUpWord(std::string_view word) {
    const WordEntry* e = FindWord(TheWords(), word);
    return e != nullptr ? &e->info : nullptr;
}

const WordInfo* LookUpWordIn(const char* word, size_t size) {
    if (size == 0 || size > 16) return nullptr;
    const WordEntry* e = FindKey(TheWords(), KeyOfPadded(word, size));
    return e != nullptr ? &e->info : nullptr;
}

bool WordStorageSufficed() { return !TheWords().overflow; }

}  // namespace vexa::assembler
