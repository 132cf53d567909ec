#pragma once
// ModR/M and SIB addressing: the register operand named by the reg field and the
// register-or-memory operand named by mod and r/m, with the displacement bytes.
#include <cstdint>

#include "decoder/decoded_instruction.h"

namespace vexa {

// Decodes the ModR/M byte at `modrm` (and SIB/displacement after it) in the
// addressing form of the effective address size. regOperand and rmOperand must
// be zeroed by the caller; registers get bare numbers (class bits 0). Adds every
// byte consumed to the record's length and sets hasModRM (and hasSIB). Reads
// the six bytes from `modrm` that the longest form takes (ModR/M, SIB, a 4-byte
// displacement), whatever the form; the decode window always has them.
bool DecodeModRM(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                 OperandDescriptor* rmOperand, bool address32);
bool DecodeModRM32(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                   OperandDescriptor* rmOperand);
bool DecodeModRM16(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                   OperandDescriptor* rmOperand);

// Number of immediate bytes of a full-size operand: 1 when not wide, else 4 or 2.
constexpr uint8_t ImmediateSize(bool operand32, bool wide) { return !wide ? 1 : (operand32 ? 4 : 2); }

// Reads n (0-4) little-endian bytes. The common widths are spelled out so that
// each becomes one load.
inline uint32_t ReadLittleEndian(const uint8_t* bytes, unsigned n) {
    switch (n) {
        case 1: return bytes[0];
        case 2: return static_cast<uint32_t>(bytes[0] | (bytes[1] << 8));
        case 4:
            return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                   (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
        default: {
            uint32_t value = 0;
            for (unsigned i = 0; i < n; ++i) value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
            return value;
        }
    }
}

}  // namespace vexa
