#pragma once
// The tables and small helpers of the straight-line decoder: the layout of
// every data shape, as the words an operand is written with (the r/m operand
// comes from decoder/modrm_tables.h).
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "decoder/decoded_instruction.h"
#include "decoder/decoder.h"
#include "decoder/internal/modrm_tables.h"
#include "decoder/internal/opcode_descriptions.h"

namespace vexa::straight_line {

// An operand is written as three words: its first eight bytes (kind to
// dispSize, the head word of decoder/modrm_tables.h), the next eight (disp,
// dispHigh, immSize) and imm.
static_assert(offsetof(OperandDescriptor, dispHigh) == 12 && offsetof(OperandDescriptor, immSize) == 14 &&
                  offsetof(OperandDescriptor, imm) == 16 && sizeof(OperandDescriptor) == 20,
              "the operand words follow the descriptor's layout");

// The record is written as its eight header bytes and three operands.
static_assert(offsetof(DecodedInstruction, prefixFlags) == HeaderByte::PrefixFlags &&
                  offsetof(DecodedInstruction, repeatAndLength) == HeaderByte::RepeatAndLength &&
                  offsetof(DecodedInstruction, opcodeClass) == HeaderByte::OpcodeClass &&
                  offsetof(DecodedInstruction, subClass) == HeaderByte::SubClass &&
                  offsetof(DecodedInstruction, mnemonic) == HeaderByte::Mnemonic &&
                  offsetof(DecodedInstruction, decodeFlags) == HeaderByte::DecodeFlags &&
                  offsetof(DecodedInstruction, operandCount) == HeaderByte::OperandCount &&
                  offsetof(DecodedInstruction, operands) == 8 && sizeof(DecodedInstruction) == 8 + 3 * 20,
              "the header word follows the record's layout");

using addressing::DecodeRm;
namespace Field = addressing::Field;
using addressing::kDispMasks;
using addressing::Put;
using addressing::RmOperand;

namespace MiddleField {
enum : unsigned { DispHigh = 4, ImmSize = 6 };
}

inline uint64_t Load64(const uint8_t* bytes) {
    uint64_t value;
    std::memcpy(&value, bytes, sizeof(value));
    return value;
}

// Eight bytes from `at`, those past the decode window read as zero: data
// starts at most 22 bytes into the window (14 prefixes, two opcode bytes,
// ModR/M, SIB, a 4-byte displacement), so what an instruction reads of them
// always lies inside it.
inline uint64_t LoadWithinWindow(const uint8_t* bytes, unsigned at) {
    const unsigned from = at < kDecodeWindow - 8 ? at : kDecodeWindow - 8;
    return Load64(bytes + from) >> (8 * (at - from));
}

// --- Sizes and data operands ----------------------------------------------

// What a data shape makes of the (up to six) bytes after the addressing bytes.
struct DataLayout {
    uint64_t head;      // kind and dispSize
    uint64_t middle;    // immSize
    uint64_t dispMask;  // the bytes that go to disp and dispHigh, as they lie
    uint32_t immMask;   // the (sign-extended) value's bytes that go to imm
    uint8_t consumed;
    uint8_t signShift;  // 24: imm is the first byte sign-extended; 0 otherwise
    uint8_t constant;   // ORed into imm (the implied count 1)
};

constexpr DataLayout Immediate(unsigned size, uint32_t mask, unsigned consumed) {
    return {OperandKind::Immediate, Put(MiddleField::ImmSize, size), 0, mask, static_cast<uint8_t>(consumed), 0, 0};
}

constexpr DataLayout Displacement(uint8_t kind, unsigned size) {
    return {kind | Put(Field::DispSize, size), 0, kDispMasks[size], 0, static_cast<uint8_t>(size), 0, 0};
}

constexpr DataLayout MakeDataLayout(uint8_t shape, bool operand32, bool address32) {
    const unsigned full = operand32 ? 4 : 2;
    switch (shape) {
        case DataShape::Imm8: return Immediate(1, 0xFF, 1);
        case DataShape::ImmFull: return Immediate(full, kDispMasks[full], full);
        case DataShape::ImmSignExtended8: {
            DataLayout layout = Immediate(full, kDispMasks[full], 1);
            layout.signShift = 24;
            return layout;
        }
        case DataShape::ImpliedOne: {
            DataLayout layout = Immediate(1, 0, 0);
            layout.constant = 1;
            return layout;
        }
        case DataShape::Rel8: return Displacement(OperandKind::Relative, 1);
        case DataShape::RelFull: return Displacement(OperandKind::Relative, full);
        case DataShape::Constant16: return Displacement(OperandKind::Constant, 2);
        case DataShape::FarPointer: {
            // The offset, then the selector: a 4-byte pointer keeps both in
            // disp, a 6-byte one its selector in dispHigh, the bytes right after.
            DataLayout layout = Displacement(OperandKind::FarPointer, 4);
            layout.head = OperandKind::FarPointer | Put(Field::DispSize, full + 2);
            layout.dispMask = operand32 ? 0xFFFFFFFFFFFFull : 0xFFFFFFFFull;
            layout.consumed = static_cast<uint8_t>(full + 2);
            return layout;
        }
        case DataShape::MemoryOffset: return Displacement(OperandKind::Memory, address32 ? 4 : 2);
        default: return DataLayout{};
    }
}

// By [DataShape][operand32][address32].
inline constexpr std::array<std::array<std::array<DataLayout, 2>, 2>, DataShape::kCount> kDataLayouts = [] {
    std::array<std::array<std::array<DataLayout, 2>, 2>, DataShape::kCount> layouts{};
    for (unsigned shape = 0; shape < DataShape::kCount; ++shape) {
        for (unsigned operand32 = 0; operand32 < 2; ++operand32) {
            for (unsigned address32 = 0; address32 < 2; ++address32) {
                layouts[shape][operand32][address32] =
                    MakeDataLayout(static_cast<uint8_t>(shape), operand32 != 0, address32 != 0);
            }
        }
    }
    return layouts;
}();

// An operand whose first word is `head` and the rest zero, in two stores: the
// twelve zero bytes as 16 from byte 4, then the head over bytes 0-7.
inline void StoreHeadOnly(OperandDescriptor& operand, uint64_t head) {
    auto* bytes = reinterpret_cast<unsigned char*>(&operand);
    constexpr unsigned char kZeros[16] = {};
    std::memcpy(bytes + 4, kZeros, sizeof(kZeros));
    std::memcpy(bytes, &head, sizeof(head));
}

}  // namespace vexa::straight_line
