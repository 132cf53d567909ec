#pragma once
// The tables and small helpers of the straight-line decoder: the r/m operand
// of every ModR/M (and SIB) byte and the layout of every data shape, as the
// words an operand is written with.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "decoder/decoded_instruction.h"
#include "decoder/decoder.h"
#include "decoder/operand_forms.h"

namespace vexa::form_decoding {

// An operand is written as three words: its first eight bytes (kind to
// dispSize), the next eight (disp, dispHigh, immSize) and imm.
static_assert(offsetof(OperandDescriptor, kind) == 0 && offsetof(OperandDescriptor, memorySize) == 1 &&
              offsetof(OperandDescriptor, reg) == 2 && offsetof(OperandDescriptor, base) == 3 &&
              offsetof(OperandDescriptor, index) == 4 && offsetof(OperandDescriptor, scale) == 5 &&
              offsetof(OperandDescriptor, dispSize) == 6 && offsetof(OperandDescriptor, disp) == 8 &&
              offsetof(OperandDescriptor, dispHigh) == 12 && offsetof(OperandDescriptor, immSize) == 14 &&
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

namespace Field {
enum : unsigned { Kind = 0, MemorySize = 1, Reg = 2, Base = 3, Index = 4, Scale = 5, DispSize = 6 };
}
namespace MiddleField {
enum : unsigned { DispHigh = 4, ImmSize = 6 };
}

constexpr uint64_t Put(unsigned byte, uint64_t value) { return value << (8 * byte); }

// `ifClear` or `ifSet` by `condition`, as arithmetic: the compiler may turn a
// conditional expression into a branch, and these conditions follow the code.
constexpr uint32_t Select(bool condition, uint32_t ifClear, uint32_t ifSet) {
    return ifClear ^ ((ifClear ^ ifSet) & (0u - static_cast<uint32_t>(condition)));
}

inline uint32_t Load32(const uint8_t* bytes) {
    uint32_t value;
    std::memcpy(&value, bytes, sizeof(value));
    return value;
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

inline constexpr uint32_t kDispMasks[5] = {0, 0xFF, 0xFFFF, 0xFFFFFF, 0xFFFFFFFF};

inline constexpr uint8_t kGpr32Present = kRegisterPresent | (RegisterClass::Gpr32 << 3);
inline constexpr uint8_t kGpr16Present = kRegisterPresent | (RegisterClass::Gpr16 << 3);

// --- The r/m operand, by table -------------------------------------------

struct Rm32Entry {
    uint64_t head;  // without a SIB byte
    uint8_t sib;    // 1: a SIB byte follows and decides base, index, scale
    uint8_t mod;
};

constexpr Rm32Entry MakeRm32Entry(uint8_t modrm) {
    constexpr uint8_t kDispByMod[3] = {0, 1, 4};
    const uint8_t mod = modrm >> 6;
    const uint8_t r = modrm & 7;
    if (mod == 3) return {Put(Field::Reg, r), 0, mod};
    if (mod == 0 && r == 5) return {OperandKind::Memory | Put(Field::DispSize, 4), 0, mod};
    if (r == 4) return {0, 1, mod};
    return {OperandKind::Memory | Put(Field::Base, kGpr32Present | r) | Put(Field::DispSize, kDispByMod[mod]), 0, mod};
}

constexpr uint64_t MakeSibHead(uint8_t mod, uint8_t sib) {
    constexpr uint8_t kDispByMod[3] = {0, 1, 4};
    if (mod == 3) return 0;  // no SIB byte with a register operand
    const uint8_t scaleBits = sib >> 6;
    const uint8_t index = (sib >> 3) & 7;
    const uint8_t base = sib & 7;
    uint64_t head = OperandKind::Memory;
    if (index != 4) {
        head |= Put(Field::Index, kGpr32Present | index);
        if (scaleBits != 0) head |= Put(Field::Scale, kScalePresent | (1u << scaleBits));
    }
    if (base == 5 && mod == 0) return head | Put(Field::DispSize, 4);
    return head | Put(Field::Base, kGpr32Present | base) | Put(Field::DispSize, kDispByMod[mod]);
}

inline constexpr std::array<Rm32Entry, 256> kRm32Entries = [] {
    std::array<Rm32Entry, 256> entries{};
    for (unsigned modrm = 0; modrm < 256; ++modrm) entries[modrm] = MakeRm32Entry(static_cast<uint8_t>(modrm));
    return entries;
}();

// By [mod][SIB byte].
inline constexpr std::array<std::array<uint64_t, 256>, 4> kSibHeads = [] {
    std::array<std::array<uint64_t, 256>, 4> heads{};
    for (unsigned mod = 0; mod < 4; ++mod) {
        for (unsigned sib = 0; sib < 256; ++sib) {
            heads[mod][sib] = MakeSibHead(static_cast<uint8_t>(mod), static_cast<uint8_t>(sib));
        }
    }
    return heads;
}();

constexpr uint64_t MakeRm16Head(uint8_t modrm) {
    // By r/m: bx+si, bx+di, bp+si, bp+di, si, di, bp, bx.
    constexpr uint8_t kBase[8] = {kGpr16Present | 3, kGpr16Present | 3, kGpr16Present | 5, kGpr16Present | 5, 0, 0,
                                  kGpr16Present | 5, kGpr16Present | 3};
    constexpr uint8_t kIndex[8] = {kGpr16Present | 6, kGpr16Present | 7, kGpr16Present | 6, kGpr16Present | 7,
                                   kGpr16Present | 6, kGpr16Present | 7, 0, 0};
    constexpr uint8_t kDispByMod[3] = {0, 1, 2};
    const uint8_t mod = modrm >> 6;
    const uint8_t r = modrm & 7;
    if (mod == 3) return Put(Field::Reg, r);
    if (mod == 0 && r == 6) return OperandKind::Memory | Put(Field::DispSize, 2);
    return OperandKind::Memory | Put(Field::Base, kBase[r]) | Put(Field::Index, kIndex[r]) |
           Put(Field::DispSize, kDispByMod[mod]);
}

inline constexpr std::array<uint64_t, 256> kRm16Heads = [] {
    std::array<uint64_t, 256> heads{};
    for (unsigned modrm = 0; modrm < 256; ++modrm) heads[modrm] = MakeRm16Head(static_cast<uint8_t>(modrm));
    return heads;
}();

struct RmOperand {
    uint64_t head;
    uint32_t disp;
    unsigned consumed;  // the ModR/M byte, SIB and displacement
    uint8_t flags;      // PrefixFlag bits the ModR/M byte sets
};

inline RmOperand DecodeRm32(const uint8_t* modrm) {
    const Rm32Entry& entry = kRm32Entries[modrm[0]];
    const uint64_t sibMask = 0 - static_cast<uint64_t>(entry.sib);
    const uint64_t head = (entry.head & ~sibMask) | (kSibHeads[entry.mod][modrm[1]] & sibMask);
    const unsigned dispSize = (head >> (8 * Field::DispSize)) & 0xFF;
    return {head, Load32(modrm + 1 + entry.sib) & kDispMasks[dispSize], 1u + entry.sib + dispSize,
            static_cast<uint8_t>(PrefixFlag::HasModRM | (entry.sib * PrefixFlag::HasSIB))};
}

inline RmOperand DecodeRm16(const uint8_t* modrm) {
    const uint64_t head = kRm16Heads[modrm[0]];
    const unsigned dispSize = (head >> (8 * Field::DispSize)) & 0xFF;
    return {head, Load32(modrm + 1) & kDispMasks[dispSize], 1u + dispSize, PrefixFlag::HasModRM};
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

inline void StoreOperand(OperandDescriptor& operand, uint64_t head, uint64_t middle, uint32_t imm) {
    auto* bytes = reinterpret_cast<unsigned char*>(&operand);
    std::memcpy(bytes, &head, sizeof(head));
    std::memcpy(bytes + 8, &middle, sizeof(middle));
    std::memcpy(bytes + 16, &imm, sizeof(imm));
}

}  // namespace vexa::form_decoding
