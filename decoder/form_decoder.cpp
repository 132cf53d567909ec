#include "decoder/form_decoder.h"

#include <array>
#include <cstddef>
#include <cstring>

#include "decoder/decoder.h"
#include "decoder/operand_forms.h"

namespace vexa {
namespace {

// An operand is written as three words: its first eight bytes (kind to
// dispSize), the next eight (disp, dispHigh, immSize) and imm.
static_assert(offsetof(OperandDescriptor, kind) == 0 && offsetof(OperandDescriptor, memorySize) == 1 &&
              offsetof(OperandDescriptor, reg) == 2 && offsetof(OperandDescriptor, base) == 3 &&
              offsetof(OperandDescriptor, index) == 4 && offsetof(OperandDescriptor, scale) == 5 &&
              offsetof(OperandDescriptor, dispSize) == 6 && offsetof(OperandDescriptor, disp) == 8 &&
              offsetof(OperandDescriptor, dispHigh) == 12 && offsetof(OperandDescriptor, immSize) == 14 &&
              offsetof(OperandDescriptor, imm) == 16 && sizeof(OperandDescriptor) == 20,
              "the operand words follow the descriptor's layout");

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

uint32_t Load32(const uint8_t* bytes) {
    uint32_t value;
    std::memcpy(&value, bytes, sizeof(value));
    return value;
}

uint16_t Load16(const uint8_t* bytes) {
    uint16_t value;
    std::memcpy(&value, bytes, sizeof(value));
    return value;
}

// Four bytes from `at`, those past the decode window read as zero: the window
// ends at most three bytes after an instruction's last data byte.
uint32_t LoadWithinWindow(const uint8_t* bytes, unsigned at) {
    const unsigned from = at < kDecodeWindow - 4 ? at : kDecodeWindow - 4;
    return Load32(bytes + from) >> (8 * (at - from));
}

constexpr uint32_t kDispMasks[5] = {0, 0xFF, 0xFFFF, 0xFFFFFF, 0xFFFFFFFF};

constexpr uint8_t kGpr32Present = kRegisterPresent | (RegisterClass::Gpr32 << 3);
constexpr uint8_t kGpr16Present = kRegisterPresent | (RegisterClass::Gpr16 << 3);

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

constexpr std::array<Rm32Entry, 256> kRm32Entries = [] {
    std::array<Rm32Entry, 256> entries{};
    for (unsigned modrm = 0; modrm < 256; ++modrm) entries[modrm] = MakeRm32Entry(static_cast<uint8_t>(modrm));
    return entries;
}();

// By [mod][SIB byte].
constexpr std::array<std::array<uint64_t, 256>, 4> kSibHeads = [] {
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

constexpr std::array<uint64_t, 256> kRm16Heads = [] {
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

RmOperand DecodeRm32(const uint8_t* modrm) {
    const Rm32Entry& entry = kRm32Entries[modrm[0]];
    const uint64_t sibMask = 0 - static_cast<uint64_t>(entry.sib);
    const uint64_t head = (entry.head & ~sibMask) | (kSibHeads[entry.mod][modrm[1]] & sibMask);
    const unsigned dispSize = (head >> (8 * Field::DispSize)) & 0xFF;
    return {head, Load32(modrm + 1 + entry.sib) & kDispMasks[dispSize], 1u + entry.sib + dispSize,
            static_cast<uint8_t>(PrefixFlag::HasModRM | (entry.sib * PrefixFlag::HasSIB))};
}

RmOperand DecodeRm16(const uint8_t* modrm) {
    const uint64_t head = kRm16Heads[modrm[0]];
    const unsigned dispSize = (head >> (8 * Field::DispSize)) & 0xFF;
    return {head, Load32(modrm + 1) & kDispMasks[dispSize], 1u + dispSize, PrefixFlag::HasModRM};
}

// --- Sizes and data operands ----------------------------------------------

// What a data shape makes of the (up to six) bytes after the addressing bytes.
struct DataLayout {
    uint64_t head;      // kind and dispSize
    uint64_t middle;    // immSize
    uint32_t immMask;   // the value's bytes that go to imm
    uint32_t dispMask;  // the value's bytes that go to disp
    uint16_t highMask;  // bytes 5 and 6 to dispHigh (a 6-byte far pointer)
    uint8_t consumed;
    uint8_t signExtend;  // the value is the first byte, sign-extended
    uint8_t constant;    // ORed into imm (the implied count 1)
};

constexpr DataLayout Immediate(unsigned size, uint32_t mask, unsigned consumed) {
    return {OperandKind::Immediate, Put(MiddleField::ImmSize, size), mask, 0, 0, static_cast<uint8_t>(consumed), 0, 0};
}

constexpr DataLayout Displacement(uint8_t kind, unsigned size) {
    return {kind | Put(Field::DispSize, size), 0, 0, kDispMasks[size], 0, static_cast<uint8_t>(size), 0, 0};
}

constexpr DataLayout MakeDataLayout(uint8_t shape, bool operand32, bool address32) {
    const unsigned full = operand32 ? 4 : 2;
    switch (shape) {
        case DataShape::Imm8: return Immediate(1, 0xFF, 1);
        case DataShape::ImmFull: return Immediate(full, kDispMasks[full], full);
        case DataShape::ImmSignExtended8: {
            DataLayout layout = Immediate(full, kDispMasks[full], 1);
            layout.signExtend = 1;
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
        case DataShape::FarPointer:
            // The offset, then the selector: a 4-byte pointer keeps both in
            // disp, a 6-byte one its selector in dispHigh.
            return {OperandKind::FarPointer | Put(Field::DispSize, full + 2), 0, 0, 0xFFFFFFFF,
                    static_cast<uint16_t>(operand32 ? 0xFFFF : 0), static_cast<uint8_t>(full + 2), 0, 0};
        case DataShape::MemoryOffset: return Displacement(OperandKind::Memory, address32 ? 4 : 2);
        default: return DataLayout{};
    }
}

// By [DataShape][operand32][address32].
constexpr std::array<std::array<std::array<DataLayout, 2>, 2>, DataShape::kCount> kDataLayouts = [] {
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

void StoreOperand(OperandDescriptor& operand, uint64_t head, uint64_t middle, uint32_t imm) {
    auto* bytes = reinterpret_cast<unsigned char*>(&operand);
    std::memcpy(bytes, &head, sizeof(head));
    std::memcpy(bytes + 8, &middle, sizeof(middle));
    std::memcpy(bytes + 16, &imm, sizeof(imm));
}

}  // namespace

bool DecodeByForm(const uint8_t* bytes, unsigned position, DecodedInstruction& record, EffectiveSizes sizes) {
    const uint8_t opcode = bytes[position];
    const uint8_t second = bytes[position + 1];
    const bool twoByte = opcode == 0x0F;
    const StraightForm& form = kStraightForms[sizes.operand32][twoByte][Select(twoByte, opcode, second)];
    const unsigned modrmAt = position + 1 + twoByte;
    const uint8_t* const modrm = bytes + modrmAt;
    const unsigned regField = (modrm[0] >> 3) & 7;
    if ((form.flags & StraightFlag::StraightLine) == 0 || ((form.validRegs >> regField) & 1) == 0) return false;

    // The ModR/M byte is decoded whether or not the form has one, and counted
    // only if it has: a byte that is not a ModR/M byte costs a few loads, a
    // branch on the form would be mispredicted.
    const RmOperand rm = sizes.address32 ? DecodeRm32(modrm) : DecodeRm16(modrm);
    const unsigned modrmMask = 0u - ((form.flags & StraightFlag::HasModRM) != 0);
    const unsigned dataAt = modrmAt + (rm.consumed & modrmMask);
    const DataLayout& layout = kDataLayouts[form.data][sizes.operand32][sizes.address32];

    // The candidates, indexed by OperandSource; each slot takes the one its form names.
    uint64_t head[OperandSource::kCount];
    uint64_t middle[OperandSource::kCount] = {};
    uint32_t imm[OperandSource::kCount] = {};
    head[OperandSource::None] = 0;
    head[OperandSource::Reg] = Put(Field::Reg, regField | form.regClassBits);
    head[OperandSource::FixedA] = Put(Field::Reg, form.fixedA);
    head[OperandSource::FixedB] = Put(Field::Reg, form.fixedB);

    // A register r/m operand gets class bits, a memory one a memory size (kind 1).
    const uint64_t memoryMask = 0 - (rm.head & OperandKind::Memory);
    head[OperandSource::Rm] = rm.head | (Put(Field::MemorySize, form.rmMemorySize) & memoryMask) |
                              (Put(Field::Reg, form.rmClassBits) & ~memoryMask);
    middle[OperandSource::Rm] = rm.disp;

    const uint32_t raw = LoadWithinWindow(bytes, dataAt);
    const uint32_t value = Select(layout.signExtend != 0, raw, static_cast<uint32_t>(static_cast<int8_t>(raw)));
    const uint16_t high = Load16(bytes + (dataAt + 4 < kDecodeWindow - 2 ? dataAt + 4 : kDecodeWindow - 2));
    head[OperandSource::Data] = layout.head | Put(Field::MemorySize, form.dataMemorySize);
    middle[OperandSource::Data] =
        layout.middle | (value & layout.dispMask) | Put(MiddleField::DispHigh, high & layout.highMask);
    imm[OperandSource::Data] = (value & layout.immMask) | layout.constant;

    for (unsigned slot = 0; slot < 3; ++slot) {
        const uint8_t source = form.source[slot];
        StoreOperand(record.operands[slot], head[source], middle[source], imm[source]);
    }

    const uint32_t name = Select(form.group != FormGroup::None, form.mnemonic, kGroupNames[form.group][regField]);
    const bool shortAddress = (form.flags & StraightFlag::ShortAddressBelow) != 0 && !sizes.address32;
    record.mnemonic = static_cast<uint16_t>(name - shortAddress);
    record.operandCount = form.operandCount;
    record.prefixFlags |= static_cast<uint8_t>(rm.flags & modrmMask);
    record.opcodeClass = form.opcodeClass;
    record.subClass = form.subClass;
    record.decodeFlags = static_cast<uint8_t>(twoByte) * DecodeFlag::TwoByteOpcode;
    SetInstructionLength(record, dataAt + layout.consumed);
    return true;
}

}  // namespace vexa
