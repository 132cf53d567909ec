#pragma once
// The one set of ModR/M and SIB tables: for every ModR/M byte (and, in 32-bit
// addressing, every SIB byte behind it) the r/m operand's first eight bytes,
// as one word. The straight-line decoder ORs its sizes into the word and
// stores it; DecodeModRM stores it as it is.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "decoder/decoded_instruction.h"

namespace vexa::addressing {

// An operand's first eight bytes (kind to dispSize) as a word: the byte of each field.
static_assert(offsetof(OperandDescriptor, kind) == 0 && offsetof(OperandDescriptor, memorySize) == 1 &&
                  offsetof(OperandDescriptor, reg) == 2 && offsetof(OperandDescriptor, base) == 3 &&
                  offsetof(OperandDescriptor, index) == 4 && offsetof(OperandDescriptor, scale) == 5 &&
                  offsetof(OperandDescriptor, dispSize) == 6 && offsetof(OperandDescriptor, disp) == 8,
              "the head word follows the descriptor's layout");
namespace Field {
enum : unsigned { Kind = 0, MemorySize = 1, Reg = 2, Base = 3, Index = 4, Scale = 5, DispSize = 6 };
}

constexpr uint64_t Put(unsigned byte, uint64_t value) { return value << (8 * byte); }

inline uint32_t Load32(const uint8_t* bytes) {
    uint32_t value;
    std::memcpy(&value, bytes, sizeof(value));
    return value;
}

// The low `size` (0-4) bytes of a word read whole: no branch on the width.
inline constexpr uint32_t kDispMasks[5] = {0, 0xFF, 0xFFFF, 0xFFFFFF, 0xFFFFFFFF};

inline constexpr uint8_t kGpr32Present = kRegisterPresent | (RegisterClass::Gpr32 << 3);  // 0x90
inline constexpr uint8_t kGpr16Present = kRegisterPresent | (RegisterClass::Gpr16 << 3);  // 0x88

// Displacement bytes by [address32][mod] (mod 3 has none; the special no-base
// forms of mod 0 take the full size instead).
inline constexpr uint8_t kDispSizeByMod[2][4] = {{0, 1, 2, 0}, {0, 1, 4, 0}};

// 16-bit addressing by r/m: bx+si, bx+di, bp+si, bp+di, si, di, bp, bx.
inline constexpr uint8_t ModRM16BaseTable[8] = {kGpr16Present | 3, kGpr16Present | 3, kGpr16Present | 5,
                                                kGpr16Present | 5, 0,                 0,
                                                kGpr16Present | 5, kGpr16Present | 3};
inline constexpr uint8_t ModRM16IndexTable[8] = {kGpr16Present | 6, kGpr16Present | 7, kGpr16Present | 6,
                                                 kGpr16Present | 7, kGpr16Present | 6, kGpr16Present | 7,
                                                 0,                 0};

// A ModR/M byte in 32-bit addressing, before its SIB byte.
struct Rm32Entry {
    uint64_t head;  // without a SIB byte
    uint8_t sib;    // 1: a SIB byte follows and decides base, index, scale
    uint8_t mod;
};

constexpr Rm32Entry MakeRm32Entry(uint8_t modrm) {
    const uint8_t mod = modrm >> 6;
    const uint8_t r = modrm & 7;
    if (mod == 3) return {Put(Field::Reg, r), 0, mod};
    if (mod == 0 && r == 5) return {OperandKind::Memory | Put(Field::DispSize, 4), 0, mod};  // disp32 alone
    if (r == 4) return {0, 1, mod};
    return {OperandKind::Memory | Put(Field::Base, kGpr32Present | r) | Put(Field::DispSize, kDispSizeByMod[1][mod]), 0,
            mod};
}

constexpr uint64_t MakeSibHead(uint8_t mod, uint8_t sib) {
    if (mod == 3) return 0;  // no SIB byte with a register operand
    const uint8_t scaleBits = sib >> 6;
    const uint8_t index = (sib >> 3) & 7;
    const uint8_t base = sib & 7;
    uint64_t head = OperandKind::Memory;
    if (index != 4) {  // a factor of 1 is not stored
        head |= Put(Field::Index, kGpr32Present | index);
        if (scaleBits != 0) head |= Put(Field::Scale, kScalePresent | (1u << scaleBits));
    }
    if (base == 5 && mod == 0) return head | Put(Field::DispSize, 4);
    return head | Put(Field::Base, kGpr32Present | base) | Put(Field::DispSize, kDispSizeByMod[1][mod]);
}

constexpr uint64_t MakeRm16Head(uint8_t modrm) {
    const uint8_t mod = modrm >> 6;
    const uint8_t r = modrm & 7;
    if (mod == 3) return Put(Field::Reg, r);
    if (mod == 0 && r == 6) return OperandKind::Memory | Put(Field::DispSize, 2);  // disp16 alone
    return OperandKind::Memory | Put(Field::Base, ModRM16BaseTable[r]) | Put(Field::Index, ModRM16IndexTable[r]) |
           Put(Field::DispSize, kDispSizeByMod[0][mod]);
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

inline constexpr std::array<uint64_t, 256> kRm16Heads = [] {
    std::array<uint64_t, 256> heads{};
    for (unsigned modrm = 0; modrm < 256; ++modrm) heads[modrm] = MakeRm16Head(static_cast<uint8_t>(modrm));
    return heads;
}();

// The r/m operand of one ModR/M byte (with its SIB byte and displacement).
struct RmOperand {
    uint64_t head;      // kind, reg (a bare number), base, index, scale, dispSize
    uint32_t disp;
    unsigned consumed;  // the ModR/M byte, SIB and displacement
    uint8_t flags;      // PrefixFlag bits the ModR/M byte sets
};

// The r/m heads of 32-bit addressing in one table: rows 0-3 by [mod][SIB
// byte] for the ModR/M bytes with a SIB byte, row 4 by the ModR/M byte for
// the others. Each ModR/M byte says where its head lies: one load, no select.
struct Rm32Index {
    uint16_t row;     // the head's index with a SIB byte of 0
    uint8_t sibMask;  // 0xFF: the SIB byte is added to `row`
    uint8_t sib;      // 1: a SIB byte follows
};

inline constexpr std::array<uint64_t, 5 * 256> kRm32Heads = [] {
    std::array<uint64_t, 5 * 256> heads{};
    for (unsigned mod = 0; mod < 4; ++mod) {
        for (unsigned sib = 0; sib < 256; ++sib) heads[mod * 256 + sib] = kSibHeads[mod][sib];
    }
    for (unsigned modrm = 0; modrm < 256; ++modrm) heads[4 * 256 + modrm] = kRm32Entries[modrm].head;
    return heads;
}();

inline constexpr std::array<Rm32Index, 256> kRm32Indexes = [] {
    std::array<Rm32Index, 256> indexes{};
    for (unsigned modrm = 0; modrm < 256; ++modrm) {
        const Rm32Entry& entry = kRm32Entries[modrm];
        indexes[modrm] = entry.sib ? Rm32Index{static_cast<uint16_t>(entry.mod * 256), 0xFF, 1}
                                   : Rm32Index{static_cast<uint16_t>(4 * 256 + modrm), 0, 0};
    }
    return indexes;
}();

// Both read the six bytes from `modrm` that the longest form takes, whatever the form.
inline RmOperand DecodeRm32(const uint8_t* modrm) {
    const Rm32Index index = kRm32Indexes[modrm[0]];
    const uint64_t head = kRm32Heads[index.row + (modrm[1] & index.sibMask)];
    const unsigned dispSize = (head >> (8 * Field::DispSize)) & 0xFF;
    return {head, Load32(modrm + 1 + index.sib) & kDispMasks[dispSize], 1u + index.sib + dispSize,
            static_cast<uint8_t>(PrefixFlag::HasModRM | (index.sib * PrefixFlag::HasSIB))};
}

inline RmOperand DecodeRm16(const uint8_t* modrm) {
    const uint64_t head = kRm16Heads[modrm[0]];
    const unsigned dispSize = (head >> (8 * Field::DispSize)) & 0xFF;
    return {head, Load32(modrm + 1) & kDispMasks[dispSize], 1u + dispSize, PrefixFlag::HasModRM};
}

inline RmOperand DecodeRm(const uint8_t* modrm, bool address32) {
    return address32 ? DecodeRm32(modrm) : DecodeRm16(modrm);
}

}  // namespace vexa::addressing
