#pragma once
// Mnemonic tables: the name of every opcode, and of every reg-field value of the
// opcodes whose ModR/M reg field selects the operation. Entries are 32-bit; the
// low 16 bits are an index into the mnemonic list, the high 16 bits are zero.
// In the opcode tables 0 means the handler names the instruction itself (or the
// byte is a prefix, an escape or a group); in the group tables 1 (INVALID) marks
// a reg-field value that is not an instruction.
#include <cstdint>

namespace vexa {

extern const uint32_t kOneByteMnemonicTable[256];  // by first opcode byte
extern const uint32_t kTwoByteMnemonicTable[256];  // by the byte after 0Fh

// Group tables, by ModR/M bits 3-5.
extern const uint32_t kGroup1MnemonicTable[8];      // 80-83
extern const uint32_t kShiftGroupMnemonicTable[8];  // C0, C1, D0-D3
extern const uint32_t kGroup3MnemonicTable[8];      // F6, F7
extern const uint32_t kGroup45MnemonicTable[8];     // FE, FF
extern const uint32_t kBitTestGroupMnemonicTable[8];  // 0F BA

constexpr uint16_t MnemonicIndexOf(uint32_t entry) { return static_cast<uint16_t>(entry & 0xFFFF); }

}  // namespace vexa
