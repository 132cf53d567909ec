#pragma once
// The padded writer of one operand's text, shared by AppendOperand and
// FormatInstruction (which inlines it once per operand slot).
//
// PutOperand writes only within the 44 bytes from `end` (the longest text,
// 44 characters, ends with its 44th byte), leaves the terminator to the
// caller, and returns nullptr when the operand cannot be printed.
#include "decoder/decoded_instruction.h"
#include "formatter/padded_text.h"

namespace vexa::padded {

// "[", or the segment override's name, ':' and '[' ("?s:[" for code 7), by
// SegmentOverrideOf, with the length in the top byte.
struct MemoryOpenWords {
    uint64_t words[8];
};
constexpr MemoryOpenWords MakeMemoryOpenWords() {
    constexpr const char* kOpenings[8] = {"[", "es:[", "cs:[", "ss:[", "ds:[", "fs:[", "gs:[", "?s:["};
    MemoryOpenWords table{};
    for (unsigned segment = 0; segment < 8; ++segment) table.words[segment] = PackText(kOpenings[segment]);
    return table;
}
inline constexpr MemoryOpenWords kMemoryOpenWords = MakeMemoryOpenWords();

// "*0" to "*15" by the scale byte's low 4 bits, with the length in the top byte.
struct ScaleWords {
    uint32_t words[16];
};
constexpr ScaleWords MakeScaleWords() {
    ScaleWords table{};
    for (uint32_t factor = 0; factor < 16; ++factor) {
        table.words[factor] = factor < 10 ? ('*' | ('0' + factor) << 8 | 2u << 24)
                                          : ('*' | '1' << 8 | ('0' + factor - 10) << 16 | 3u << 24);
    }
    return table;
}
inline constexpr ScaleWords kScaleWords = MakeScaleWords();

// Size keyword, segment, '[', base, '+' index '*' factor, displacement, ']'.
// For the 44-byte bound, the bytes each piece stores at most, counted from the
// operand's start (and where the text then ends): keyword 0-15 (16), opening
// 16-23 (20), base 20-27 (25), '+' and index 25-33 (31), factor 31-34 (34),
// sign 34 and digits 35-43 (43), ']' 43 (44).
[[gnu::always_inline]] inline char* PutMemory(char* end, const DecodedInstruction& instruction,
                                              const OperandDescriptor& operand) {
    end = PutSizeKeyword(end, operand.memorySize);
    const uint64_t openWord = kMemoryOpenWords.words[SegmentOverrideOf(instruction)];
    StoreWord(end, openWord);
    end += PackedLength(openWord);

    const uint8_t base = operand.base;
    const uint8_t index = operand.index;
    const bool hasBase = (base & kRegisterPresent) != 0;
    const bool hasIndex = (index & kRegisterPresent) != 0;
    const uint64_t baseWord = kRegisterWords.words[base & 0x7F];
    StoreWord(end, baseWord);
    end += hasBase ? PackedLength(baseWord) : 0;
    if (hasIndex) {
        *end = '+';
        end += hasBase;
        end = PutRegisterName(end, index);
        const uint32_t scaleWord = kScaleWords.words[operand.scale & 0x0F];
        StoreWord(end, scaleWord);
        end += (operand.scale & kScalePresent) != 0 ? scaleWord >> 24 : 0;
    }
    if (operand.dispSize != 0) {
        const uint32_t mask = WidthMask(operand.dispSize);
        if (mask == 0) return nullptr;
        // Beside a register the displacement is an offset and carries its
        // sign; alone it is an address of the field's full width.
        const uint32_t value = operand.disp & mask;
        if (hasBase || hasIndex) {
            end = PutSignedHex(end, value, (mask >> 1) + 1);
        } else {
            end = PutHex(end, value, 2u * operand.dispSize);
        }
    }
    *end = ']';
    return end + 1;
}

// The target as its distance from the instruction's first byte: length plus
// displacement, wrapping within the displacement's width. Nothing for a width
// other than 1, 2 or 4.
inline char* PutRelative(char* end, const DecodedInstruction& instruction, const OperandDescriptor& operand) {
    const uint32_t mask = WidthMask(operand.dispSize);
    if (mask == 0) return end;
    *end = '$';
    return PutSignedHex(end + 1, (InstructionLength(instruction) + operand.disp) & mask, (mask >> 1) + 1);
}

// Selector first, then the offset. A 6-byte pointer keeps its selector in
// dispHigh; a 4-byte one in the upper half of disp.
inline char* PutFarPointer(char* end, const OperandDescriptor& operand) {
    if (operand.dispSize == 6) {
        end = PutHex(end, operand.dispHigh, 4);
        *end = ':';
        return PutHex(end + 1, operand.disp, 8);
    }
    if (operand.dispSize == 4) {
        end = PutHex(end, operand.disp >> 16, 4);
        *end = ':';
        return PutHex(end + 1, operand.disp & 0xFFFF, 4);
    }
    return nullptr;
}

[[gnu::always_inline]] inline char* PutOperand(char* end, const DecodedInstruction& instruction,
                                               const OperandDescriptor& operand) {
    // Registers and memory, most operands, as two tests first: on changing
    // code they are mispredicted less often than the switch's indirect jump.
    if (operand.kind == OperandKind::Register) return PutRegisterName(end, operand.reg);
    if (operand.kind == OperandKind::Memory) return PutMemory(end, instruction, operand);
    switch (operand.kind) {
        case OperandKind::Immediate: {
            const uint32_t mask = WidthMask(operand.immSize);
            return mask != 0 ? PutHex(end, operand.imm & mask, 1) : end;
        }
        case OperandKind::Constant: {
            const uint32_t mask = WidthMask(operand.dispSize);
            return mask != 0 ? PutHex(end, operand.disp & mask, 2u * operand.dispSize) : nullptr;
        }
        case OperandKind::Relative: return PutRelative(end, instruction, operand);
        case OperandKind::FarPointer: return PutFarPointer(end, operand);
        default: return end;
    }
}

}  // namespace vexa::padded
