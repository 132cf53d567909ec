#pragma once
// Padded writers: the formatter's pieces (register names, size keywords, hex
// numbers) stored as whole words from tables of zero-padded entries, the end
// then advanced by the piece's length. No loop and no branch on a length,
// which changes from one operand to the next and would be mispredicted.
//
// Each Put writer returns the new end of the text but may have written bytes
// past it (up to 16, see each writer): a following piece overwrites them, and
// the caller writes the terminator where the text ends. Callers therefore
// reserve that slack in their buffers; the public Append functions, whose
// callers do not, go through CopyExact instead.
#include <bit>
#include <cstdint>
#include <cstring>

namespace vexa::padded {

static_assert(std::endian::native == std::endian::little, "words are stored as their bytes in text order");

inline void StoreWord(char* at, uint64_t word) { std::memcpy(at, &word, sizeof word); }
inline void StoreWord(char* at, uint32_t word) { std::memcpy(at, &word, sizeof word); }

// Up to 7 characters in the low bytes, zero-padded, and their count in the
// top byte.
constexpr uint64_t PackText(const char* text) {
    uint64_t word = 0;
    unsigned length = 0;
    for (; text[length] != '\0'; ++length) word |= uint64_t{static_cast<uint8_t>(text[length])} << (8 * length);
    return word | (uint64_t{length} << 56);
}
constexpr unsigned PackedLength(uint64_t word) { return static_cast<unsigned>(word >> 56); }

// Register names by the register code's low 7 bits (class in bits 3-6, number
// in 0-2). The top of the x87 stack is "st", never "st(0)"; segment numbers 6
// and 7 have no register; classes past Xmm have no names (length 0).
struct RegisterWords {
    uint64_t words[128];
};
constexpr RegisterWords MakeRegisterWords() {
    constexpr const char* kNames[9][8] = {
        {"al", "cl", "dl", "bl", "ah", "ch", "dh", "bh"},
        {"ax", "cx", "dx", "bx", "sp", "bp", "si", "di"},
        {"eax", "ecx", "edx", "ebx", "esp", "ebp", "esi", "edi"},
        {"st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)"},
        {"mm0", "mm1", "mm2", "mm3", "mm4", "mm5", "mm6", "mm7"},
        {"cr0", "cr1", "cr2", "cr3", "cr4", "cr5", "cr6", "cr7"},
        {"dr0", "dr1", "dr2", "dr3", "dr4", "dr5", "dr6", "dr7"},
        {"es", "cs", "ss", "ds", "fs", "gs", "?s", "?s"},
        {"xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7"},
    };
    RegisterWords table{};
    for (unsigned registerClass = 0; registerClass < 9; ++registerClass) {
        for (unsigned number = 0; number < 8; ++number) {
            table.words[registerClass * 8 + number] = PackText(kNames[registerClass][number]);
        }
    }
    return table;
}
inline constexpr RegisterWords kRegisterWords = MakeRegisterWords();

// Writes 8 bytes: past the returned end at most 6 (a name has 2-5
// characters), or all 8 for a class without names.
inline char* PutRegisterName(char* end, uint8_t code) {
    const uint64_t word = kRegisterWords.words[code & 0x7F];
    StoreWord(end, word);
    return end + PackedLength(word);
}

struct alignas(32) SizeKeyword {
    char text[17];  // 16 are stored
    uint8_t length;
};

// Indexed by memorySize; 0 writes nothing, and codes 1-2 and those past the
// table have no keyword, only "ptr ".
inline constexpr SizeKeyword kSizeKeywords[] = {
    {"", 0},
    {"ptr ", 4},
    {"ptr ", 4},
    {"(6-bytes) ptr ", 14},
    {"byte ptr ", 9},
    {"(14-bytes) ptr ", 15},
    {"word ptr ", 9},
    {"(28-bytes) ptr ", 15},
    {"dword ptr ", 10},
    {"(48-bit) ptr ", 13},
    {"qword ptr ", 10},
    {"tbyte ptr ", 10},
    {"(108-bytes) ptr ", 16},
};
inline constexpr unsigned kSizeKeywordCount = sizeof(kSizeKeywords) / sizeof(kSizeKeywords[0]);

// Writes 16 bytes: past the returned end at most 12, or all 16 for code 0.
inline char* PutSizeKeyword(char* end, uint8_t memorySize) {
    const SizeKeyword& keyword = kSizeKeywords[memorySize < kSizeKeywordCount ? memorySize : 1];
    std::memcpy(end, keyword.text, 16);
    return end + keyword.length;
}

// The two hex digits of each byte value, first digit in the low byte.
struct HexPairs {
    uint16_t pairs[256];
};
constexpr HexPairs MakeHexPairs() {
    constexpr char kDigits[] = "0123456789ABCDEF";
    HexPairs table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        table.pairs[byte] = static_cast<uint16_t>(kDigits[byte >> 4] | kDigits[byte & 15] << 8);
    }
    return table;
}
inline constexpr HexPairs kHexPairs = MakeHexPairs();

// The eight hex digits of `value` as the bytes of a word, most significant
// digit in the lowest byte: four table pairs, no branch and no loop.
inline uint64_t HexDigitWord(uint32_t value) {
    return uint64_t{kHexPairs.pairs[value >> 24]} | uint64_t{kHexPairs.pairs[(value >> 16) & 0xFF]} << 16 |
           uint64_t{kHexPairs.pairs[(value >> 8) & 0xFF]} << 32 | uint64_t{kHexPairs.pairs[value & 0xFF]} << 48;
}

// At least `minDigits` (1-8) digits, after a "0" when the first is a letter.
// The wanted digits are shifted to the word's low bytes, zeros behind them.
// Writes at most 9 bytes; past the returned end at most 7.
inline char* PutHex(char* end, uint32_t value, unsigned minDigits) {
    const unsigned significant = (static_cast<unsigned>(std::bit_width(value | 1u)) + 3) / 4;
    const unsigned digits = significant > minDigits ? significant : minDigits;
    const uint64_t word = HexDigitWord(value) >> (64 - 8 * digits);
    *end = '0';
    end += (word & 0xFF) >= 'A';
    StoreWord(end, word);
    return end + digits;
}

// Sign, then the magnitude in as few digits as it needs. The magnitude of a
// negative value is its negation within the width, so the most negative value
// stays itself. Writes at most 10 bytes; past the returned end at most 7.
// The sign is arithmetic rather than a branch: offsets of either sign are common.
inline char* PutSignedHex(char* end, uint32_t value, uint32_t signBit) {
    const uint32_t mask = signBit | (signBit - 1);
    const uint32_t negative = (value & signBit) != 0;
    static_assert('-' == '+' + 2);
    *end = static_cast<char>('+' + 2 * negative);
    const uint32_t flip = 0u - negative;  // all ones for a negative value
    return PutHex(end + 1, ((value ^ flip) + negative) & mask, 1);
}

// The value mask of a field width of 1, 2 or 4 bytes; 0 for any other width.
inline constexpr uint32_t kWidthMasks[5] = {0, 0xFFu, 0xFFFFu, 0, 0xFFFFFFFFu};
inline uint32_t WidthMask(uint8_t size) { return size <= 4 ? kWidthMasks[size] : 0; }

// Copies a piece a Put writer built in `scratch` to `end` with its
// terminator, writing nothing past that; returns the new end.
inline char* CopyExact(char* end, const char* scratch, const char* scratchEnd) {
    const size_t length = static_cast<size_t>(scratchEnd - scratch);
    std::memcpy(end, scratch, length);
    end[length] = '\0';
    return end + length;
}

}  // namespace vexa::padded
