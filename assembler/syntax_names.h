#pragma once
// The words of the instruction text: register names, size keywords, prefix
// words and mnemonics. Each is read off the formatter's own output once, at
// first use, so the assembler accepts exactly the spellings the formatter
// writes; the peers' spellings that mean the same bytes are added on top.
#include <cstdint>
#include <string_view>

namespace vexa::assembler {

// Register code of an exact name ("eax", "st(3)", "xmm7"); false otherwise.
bool FindRegister(std::string_view name, uint8_t* code);

// A name shaped like a register of a class that has no such number: "cr9",
// "mm8", "st(8)". Such a name is an operand no encoding can take.
bool IsRegisterLike(std::string_view name);

// The size keyword at the start of `text` (lower case), as the formatter
// writes it ("dword", "(48-bit)"), not followed by a letter or digit. Returns
// the characters it takes, 0 when there is none, and its MemorySize code.
size_t MatchSizeKeyword(std::string_view text, uint8_t* memorySize);
const char* SizeKeyword(uint8_t memorySize);  // "dword"; "" for none
const char* PtrWord();                        // "ptr"

enum class PrefixWord : uint8_t { None, Lock, Rep, Repne };
PrefixWord FindPrefixWord(std::string_view name);

// Everything one word of letters, digits, '_' (or a register name such as
// "st(3)") is: the parser asks once per word instead of once per list.
struct WordInfo {
    uint16_t mnemonic;     // as FindMnemonic; 0 when none
    uint8_t registerCode;  // when isRegister, as FindRegister
    bool isRegister;
    PrefixWord prefix;     // as FindPrefixWord
    uint8_t sizeCode;      // a size keyword of word characters ("dword"); 0 when none
};
// Null for a word that is none of these.
const WordInfo* LookUpWord(std::string_view word);

// The same for the `size` characters at `word`, where kWordReadBytes bytes
// from `word` on may be read (the parser's buffer is padded for it): the
// word's key is then two loads, not a loop.
constexpr size_t kWordReadBytes = 16;
const WordInfo* LookUpWordIn(const char* word, size_t size);

// Mnemonic index of a name or of a peer's synonym for it; 0 when unknown.
uint16_t FindMnemonic(std::string_view name);

// Whether the table of words held every word (a test keeps it so).
bool WordStorageSufficed();

}  // namespace vexa::assembler
