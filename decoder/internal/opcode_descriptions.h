#pragma once
// Opcode descriptions: the one description of every opcode (one-byte, two-byte
// after 0Fh, and two-byte right behind an F3h): its name, which slot takes
// the reg field, the r/m field, a register fixed by the opcode or the data
// after the addressing bytes, with what sizing, and which reg fields and
// addressing forms are instructions; for the groups whose reg field decides
// the operands, a row of eight descriptions. Built at compile time from the class
// and mnemonic tables. The straight-line decoder builds the same few
// candidate operands for every instruction and each slot takes the one its
// description names; the layout call reads the same descriptions to say where
// each part lies. The few instructions with no straight-line entry are
// classified by IrregularOpcodeOf.
#include <array>
#include <cstdint>

#include "decoder/decoded_instruction.h"
#include "decoder/internal/fpu_tables.h"
#include "decoder/internal/media_names.h"
#include "decoder/internal/mnemonic_tables.h"
#include "decoder/mnemonic_list.h"
#include "decoder/opcode_classes.h"

namespace vexa {

// Where an operand slot takes its operand from.
namespace OperandSource {
enum : uint8_t { None = 0, Reg = 1, Rm = 2, FixedA = 3, FixedB = 4, Data = 5 };
constexpr unsigned kCount = 6;
}  // namespace OperandSource

// How a register or memory operand is sized: the class bits a register gets,
// the memory size a memory operand gets.
namespace Sizing {
enum : uint8_t {
    None = 0,         // class bits 0, no memory size
    Byte,             // 8-bit register, byte ptr
    Full,             // 16- or 32-bit register and word or dword ptr, by the operand size
    Word,             // 16-bit register, word ptr
    Dword,            // 32-bit register, dword ptr
    Segment,          // segment register
    Mmx,              // mm register, qword ptr
    XmmScalar,        // xmm register, dword ptr
    BoundPair,        // memory only: dword or qword ptr (two bounds of the operand size)
    FarPointerMemory, // memory only: dword or (48-bit) ptr (offset of the operand size and a selector)
    Environment,      // memory only: (14-bytes) or (28-bytes) ptr, by the operand size
    SixBytes,         // memory only: (6-bytes) ptr
    Pointer48,        // memory only: (48-bit) ptr
    Qword,            // memory only: qword ptr
    Tbyte,            // memory only: tbyte ptr
    Bytes108,         // memory only: (108-bytes) ptr
    WordOrFull,       // word ptr, or a 16- or 32-bit register by the operand size
    Control,          // control register
    Debug,            // debug register
};
constexpr unsigned kCount = 19;
}  // namespace Sizing

// The operand made of the bytes after the addressing bytes.
namespace DataShape {
enum : uint8_t {
    None = 0,
    Imm8,              // immediate byte
    ImmFull,           // immediate of the operand size
    ImmSignExtended8,  // immediate byte sign-extended to the operand size
    ImpliedOne,        // the shift count 1: an immediate byte that is not encoded
    Rel8,              // relative byte
    RelFull,           // relative of the operand size
    Constant16,        // a 16-bit number (retn/retf)
    FarPointer,        // offset of the operand size, then a selector
    MemoryOffset,      // memory at an offset of the address size
};
constexpr unsigned kCount = 10;
}  // namespace DataShape

// Name rows for the opcodes whose ModR/M reg field selects the operation.
namespace NameGroup {
enum : uint8_t { None = 0, Group1, Shift, BitTest, MmxWordShift, MmxDwordShift, MmxQwordShift };
constexpr unsigned kCount = 7;
}  // namespace NameGroup

// Opcodes whose reg field decides more than the name (operands, sizes, which
// operand kinds are valid): each has a row of eight forms, by the reg field.
namespace RegRow {
enum : uint8_t {
    None = 0,
    Group3Byte,  // F6
    Group3Full,  // F7
    PopRm,       // 8F
    Group4,      // FE
    Group5,      // FF
    Group6,      // 0F 00
    Group7,      // 0F 01
    Group9,      // 0F C7
    FpuD8,       // D8-DF: memory forms (register forms are irregular)
};
constexpr unsigned kCount = FpuD8 + 8;
}  // namespace RegRow

struct OpcodeDescription {
    bool straightLine;   // false: no straight-line form (irregular, or no instruction)
    bool hasModRM;
    uint8_t validRegs;   // bit r set: reg field r names an instruction
    bool memoryOnly;     // a register r/m operand is no instruction
    bool registerOnly;   // a memory r/m operand is no instruction
    uint8_t regRow;      // RegRow: the form is the row's entry for the reg field
    uint8_t operandCount;
    uint8_t source[3];   // OperandSource per slot
    uint8_t regSizing;   // for the ModR/M reg operand
    uint8_t rmSizing;    // for the ModR/M r/m operand
    uint8_t dataSizing;  // memory size of a memory-offset data operand
    uint8_t data;        // DataShape
    uint8_t fixedA;      // register number of candidate FixedA
    uint8_t fixedASizing;
    uint8_t fixedB;
    uint8_t fixedBSizing;
    bool fixedAInOpcode;        // FixedA's number is in bits of the opcode byte (else implied by it)
    bool fixedBInOpcode;
    uint8_t group;              // NameGroup: the name comes from its row by the reg field
    bool wordFormBelow;         // a 16-bit operand size names the entry before (movsw after movsd)
    bool shortAddressBelow;     // a 16-bit address size names the entry before (jcxz after jecxz)
    uint16_t mnemonic;
};

namespace opcode_description_rows {

using namespace Mnemonic;

constexpr uint16_t GroupName(uint8_t group, unsigned reg) {
    switch (group) {
        case NameGroup::Group1: return MnemonicIndexOf(kGroup1MnemonicTable[reg]);
        case NameGroup::Shift: return MnemonicIndexOf(kShiftGroupMnemonicTable[reg]);
        case NameGroup::BitTest: return MnemonicIndexOf(kBitTestGroupMnemonicTable[reg]);
        case NameGroup::MmxWordShift: return ShiftGroupMnemonic(0x71, static_cast<uint8_t>(reg));
        case NameGroup::MmxDwordShift: return ShiftGroupMnemonic(0x72, static_cast<uint8_t>(reg));
        case NameGroup::MmxQwordShift: return ShiftGroupMnemonic(0x73, static_cast<uint8_t>(reg));
        default: return None;
    }
}

// Indexed by [group][reg]; row 0 (no group) names nothing.
inline constexpr std::array<std::array<uint16_t, 8>, NameGroup::kCount> kGroupNames = [] {
    std::array<std::array<uint16_t, 8>, NameGroup::kCount> rows{};
    for (uint8_t group = 1; group < NameGroup::kCount; ++group) {
        for (unsigned reg = 0; reg < 8; ++reg) rows[group][reg] = GroupName(group, reg);
    }
    return rows;
}();

constexpr uint8_t ValidRegs(uint8_t group) {
    uint8_t valid = 0;
    for (unsigned reg = 0; reg < 8; ++reg) {
        const uint16_t name = kGroupNames[group][reg];
        if (name != None && name != Invalid) valid = static_cast<uint8_t>(valid | (1u << reg));
    }
    return valid;
}

// A straight-line form with up to three slots.
constexpr OpcodeDescription Slots(uint16_t mnemonic, uint8_t s0 = OperandSource::None, uint8_t s1 = OperandSource::None,
                            uint8_t s2 = OperandSource::None) {
    OpcodeDescription form{};
    form.straightLine = true;
    form.validRegs = 0xFF;
    form.mnemonic = mnemonic;
    form.source[0] = s0;
    form.source[1] = s1;
    form.source[2] = s2;
    form.operandCount = static_cast<uint8_t>((s0 != OperandSource::None) + (s1 != OperandSource::None) +
                                             (s2 != OperandSource::None));
    return form;
}

// reg and r/m, the r/m operand first unless `regFirst`.
constexpr OpcodeDescription RegRmForm(uint16_t mnemonic, bool regFirst, uint8_t regSizing, uint8_t rmSizing) {
    OpcodeDescription form = regFirst ? Slots(mnemonic, OperandSource::Reg, OperandSource::Rm)
                                : Slots(mnemonic, OperandSource::Rm, OperandSource::Reg);
    form.hasModRM = true;
    form.regSizing = regSizing;
    form.rmSizing = rmSizing;
    return form;
}

constexpr OpcodeDescription WithData(OpcodeDescription form, uint8_t data) {
    form.data = data;
    return form;
}

constexpr OpcodeDescription WithFixedA(OpcodeDescription form, uint8_t number, uint8_t sizing) {
    form.fixedA = number;
    form.fixedASizing = sizing;
    return form;
}

constexpr OpcodeDescription WithFixedB(OpcodeDescription form, uint8_t number, uint8_t sizing) {
    form.fixedB = number;
    form.fixedBSizing = sizing;
    return form;
}

// A register numbered by bits of the opcode byte (40+r, B8+r, 0F C8+r, the sreg of 06/07).
constexpr OpcodeDescription WithOpcodeRegisterA(OpcodeDescription form, uint8_t number, uint8_t sizing) {
    form = WithFixedA(form, number, sizing);
    form.fixedAInOpcode = true;
    return form;
}

constexpr OpcodeDescription WithOpcodeRegisterB(OpcodeDescription form, uint8_t number, uint8_t sizing) {
    form = WithFixedB(form, number, sizing);
    form.fixedBInOpcode = true;
    return form;
}

constexpr OpcodeDescription WithGroup(OpcodeDescription form, uint8_t group) {
    form.group = group;
    form.validRegs = ValidRegs(group);
    return form;
}

// r/m first, then the data operand.
constexpr OpcodeDescription RmDataForm(uint16_t mnemonic, uint8_t rmSizing, uint8_t data) {
    OpcodeDescription form = WithData(Slots(mnemonic, OperandSource::Rm, OperandSource::Data), data);
    form.hasModRM = true;
    form.rmSizing = rmSizing;
    return form;
}

constexpr OpcodeDescription NoInstruction() { return OpcodeDescription{}; }

constexpr uint8_t WidthSizing(bool wide) { return wide ? Sizing::Full : Sizing::Byte; }

// The r/m operand alone.
constexpr OpcodeDescription RmForm(uint16_t mnemonic, uint8_t rmSizing) {
    OpcodeDescription form = Slots(mnemonic, OperandSource::Rm);
    form.hasModRM = true;
    form.rmSizing = rmSizing;
    return form;
}

constexpr OpcodeDescription MemoryOnly(OpcodeDescription form) {
    form.memoryOnly = true;
    return form;
}

constexpr OpcodeDescription RowForm(uint8_t row) {
    OpcodeDescription form = Slots(None);
    form.hasModRM = true;
    form.regRow = row;
    return form;
}

// The size of an x87 memory operand as a sizing (they are all memory only).
constexpr uint8_t FpuMemorySizing(uint8_t memorySize) {
    switch (memorySize) {
        case MemorySize::Word: return Sizing::Word;
        case MemorySize::Dword: return Sizing::Dword;
        case MemorySize::Qword: return Sizing::Qword;
        case MemorySize::Tbyte: return Sizing::Tbyte;
        case MemorySize::Bytes108: return Sizing::Bytes108;
        case MemorySize::FourteenBytes:
        case MemorySize::TwentyEightBytes: return Sizing::Environment;
        default: return Sizing::None;
    }
}

// Entry `reg` of a row; entries that are no instruction have no form.
constexpr OpcodeDescription DescribeRegRowEntry(uint8_t row, uint8_t reg) {
    switch (row) {
        case RegRow::Group3Byte:
        case RegRow::Group3Full: {
            const uint8_t sized = WidthSizing(row == RegRow::Group3Full);
            const uint16_t name = MnemonicIndexOf(kGroup3MnemonicTable[reg]);
            if (name == Invalid) return NoInstruction();
            const uint8_t testData = row == RegRow::Group3Full ? DataShape::ImmFull : DataShape::Imm8;
            if (name == Test) return RmDataForm(Test, sized, testData);
            return RmForm(name, sized);
        }
        case RegRow::PopRm: return reg == 0 ? RmForm(Pop, Sizing::Full) : NoInstruction();
        case RegRow::Group4:
            return reg <= 1 ? RmForm(MnemonicIndexOf(kGroup45MnemonicTable[reg]), Sizing::Byte) : NoInstruction();
        case RegRow::Group5: {
            const uint16_t name = MnemonicIndexOf(kGroup45MnemonicTable[reg]);
            if (name == Invalid) return NoInstruction();
            // call/jmp far through a memory pointer: offset plus selector.
            if (reg == 3 || reg == 5) return MemoryOnly(RmForm(name, Sizing::FarPointerMemory));
            return RmForm(name, Sizing::Full);
        }
        case RegRow::Group6: {
            constexpr uint16_t kNames[8] = {Sldt, Str, Lldt, Ltr, Verr, Verw, Invalid, Invalid};
            if (kNames[reg] == Invalid) return NoInstruction();
            return RmForm(kNames[reg], kNames[reg] == Sldt ? Sizing::Full : Sizing::Word);
        }
        case RegRow::Group7:
            switch (reg) {
                case 0: return MemoryOnly(RmForm(Sgdt, Sizing::SixBytes));  // unnamed with a register
                case 1: return MemoryOnly(RmForm(Sidt, Sizing::SixBytes));
                case 2: return MemoryOnly(RmForm(Lgdt, Sizing::Pointer48));
                case 3: return MemoryOnly(RmForm(Lidt, Sizing::Pointer48));
                case 4: return RmForm(Smsw, Sizing::WordOrFull);
                case 6: return RmForm(Lmsw, Sizing::WordOrFull);
                case 7: return MemoryOnly(RmForm(Invlpg, Sizing::Byte));
                default: return NoInstruction();
            }
        case RegRow::Group9: return reg == 1 ? MemoryOnly(RmForm(Cmpxchg8b, Sizing::Qword)) : NoInstruction();
        default: {
            if (row < RegRow::FpuD8 || row >= RegRow::kCount) return NoInstruction();
            const uint8_t escape = static_cast<uint8_t>(0xD8 + (row - RegRow::FpuD8));
            // The operand size decides only the environment's size, which the sizing carries.
            const fpu::MemoryForm memory = fpu::FindMemoryForm(escape, reg, true);
            if (!memory.valid) return NoInstruction();
            return MemoryOnly(RmForm(memory.mnemonic, FpuMemorySizing(memory.memorySize)));
        }
    }
}

// The value of a one-bit field of the class's description in `byte`; false
// when the class has no such field.
constexpr bool FieldSet(const ClassDescription& description, uint8_t kind, uint8_t byte) {
    for (const OpcodeBitField& field : description.fields) {
        if (field.kind == kind) return ((byte >> field.lowBit) & 1) != 0;
    }
    return false;
}

constexpr OpcodeDescription DescribeOneByte(uint8_t opcode) {
    const uint16_t name = MnemonicIndexOf(kOneByteMnemonicTable[opcode]);
    const ClassDescription& description = OneByteClassDescription(kOneByteClassTable[opcode]);
    const bool wide = FieldSet(description, OpcodeFieldKind::Width, opcode);
    const bool direction = FieldSet(description, OpcodeFieldKind::Direction, opcode);
    const bool signExtend = FieldSet(description, OpcodeFieldKind::SignExtend, opcode);
    const bool toPort = (opcode & 0x02) != 0;  // out rather than in
    const uint8_t sized = WidthSizing(wide);
    switch (kOneByteClassTable[opcode]) {
        case OpcodeClass::Imm8: return WithData(Slots(name, OperandSource::Data), DataShape::Imm8);
        case OpcodeClass::RegRm: return RegRmForm(name, direction, sized, sized);
        case OpcodeClass::RegMemFixed: {
            if (opcode == 0x63) return RegRmForm(name, false, Sizing::Word, Sizing::Word);  // arpl r/m16, r16
            const uint8_t memorySizing = opcode == 0x62   ? Sizing::BoundPair
                                         : opcode == 0x8D ? Sizing::Full
                                                          : Sizing::FarPointerMemory;
            return MemoryOnly(RegRmForm(name, true, Sizing::Full, memorySizing));
        }
        case OpcodeClass::MovRmImm: {
            OpcodeDescription form = RmDataForm(Mov, sized, wide ? DataShape::ImmFull : DataShape::Imm8);
            form.validRegs = 0x01;
            return form;
        }
        case OpcodeClass::PortImm8: {
            const OpcodeDescription form = toPort ? Slots(name, OperandSource::Data, OperandSource::FixedA)
                                               : Slots(name, OperandSource::FixedA, OperandSource::Data);
            return WithData(WithFixedA(form, 0, sized), DataShape::Imm8);
        }
        case OpcodeClass::SegmentPushPop:
            return WithOpcodeRegisterA(Slots(name, OperandSource::FixedA), (opcode >> 3) & 3, Sizing::Segment);
        case OpcodeClass::ReturnImm16: return WithData(Slots(name, OperandSource::Data), DataShape::Constant16);
        case OpcodeClass::Group1: {
            const uint8_t data =
                !wide ? DataShape::Imm8 : (signExtend ? DataShape::ImmSignExtended8 : DataShape::ImmFull);
            return WithGroup(RmDataForm(None, sized, data), NameGroup::Group1);
        }
        case OpcodeClass::ShiftOrGroup3:
            if (opcode <= 0xD1) return WithGroup(RmDataForm(None, sized, DataShape::ImpliedOne), NameGroup::Shift);
            if (opcode <= 0xD3) {
                OpcodeDescription form =
                    WithFixedA(Slots(None, OperandSource::Rm, OperandSource::FixedA), 1, Sizing::Byte);
                form.hasModRM = true;
                form.rmSizing = sized;
                return WithGroup(form, NameGroup::Shift);
            }
            return RowForm(opcode == 0xF6 ? RegRow::Group3Byte : RegRow::Group3Full);
        case OpcodeClass::StringOrPortDx: {
            if (opcode >= 0xEC) {
                const OpcodeDescription form = toPort ? Slots(name, OperandSource::FixedB, OperandSource::FixedA)
                                                   : Slots(name, OperandSource::FixedA, OperandSource::FixedB);
                return WithFixedB(WithFixedA(form, 0, sized), 2, Sizing::Word);
            }
            OpcodeDescription form = Slots(name);
            form.wordFormBelow = wide;
            return form;
        }
        case OpcodeClass::AccumulatorImm:
            return WithData(WithFixedA(Slots(name, OperandSource::FixedA, OperandSource::Data), 0, sized),
                            wide ? DataShape::ImmFull : DataShape::Imm8);
        case OpcodeClass::ShortConditionalJump:
        case OpcodeClass::LoopOrShortJump: {
            OpcodeDescription form = WithData(Slots(name, OperandSource::Data), DataShape::Rel8);
            form.shortAddressBelow = opcode == 0xE3;
            return form;
        }
        case OpcodeClass::NearCallJmp: return WithData(Slots(name, OperandSource::Data), DataShape::RelFull);
        case OpcodeClass::FarCallJmp: return WithData(Slots(name, OperandSource::Data), DataShape::FarPointer);
        case OpcodeClass::ShiftImm8: return WithGroup(RmDataForm(None, sized, DataShape::Imm8), NameGroup::Shift);
        case OpcodeClass::MovRegImm:  // w in bit 3
            return WithData(WithOpcodeRegisterA(Slots(name, OperandSource::FixedA, OperandSource::Data), opcode & 7,
                                                sized),
                            wide ? DataShape::ImmFull : DataShape::Imm8);
        case OpcodeClass::MovAccumulatorOffset: {
            OpcodeDescription form = direction ? Slots(name, OperandSource::Data, OperandSource::FixedA)
                                         : Slots(name, OperandSource::FixedA, OperandSource::Data);
            form.dataSizing = sized;
            return WithData(WithFixedA(form, 0, sized), DataShape::MemoryOffset);
        }
        case OpcodeClass::MovSegment: return RegRmForm(name, direction, Sizing::Segment, Sizing::Word);
        case OpcodeClass::PushImm:
            return WithData(Slots(name, OperandSource::Data),
                            signExtend ? DataShape::ImmSignExtended8 : DataShape::ImmFull);
        case OpcodeClass::ImulImm: {
            OpcodeDescription form = RegRmForm(name, true, Sizing::Full, Sizing::Full);
            form.source[2] = OperandSource::Data;
            form.operandCount = 3;
            return WithData(form, signExtend ? DataShape::ImmSignExtended8 : DataShape::ImmFull);
        }
        case OpcodeClass::RegisterInOpcode:
            if (opcode >= 0x91) {  // xchg accumulator, register
                return WithOpcodeRegisterB(WithFixedA(Slots(name, OperandSource::FixedA, OperandSource::FixedB), 0,
                                                      Sizing::Full),
                                           opcode & 7, Sizing::Full);
            }
            return WithOpcodeRegisterA(Slots(name, OperandSource::FixedA), opcode & 7, Sizing::Full);
        case OpcodeClass::NoOperands: return Slots(name);
        case OpcodeClass::TestXchg: return RegRmForm(name, true, sized, sized);
        case OpcodeClass::PopOrGroup45:
            return RowForm(opcode == 0x8F ? RegRow::PopRm : (opcode == 0xFE ? RegRow::Group4 : RegRow::Group5));
        case OpcodeClass::FpuEscape: return RowForm(static_cast<uint8_t>(RegRow::FpuD8 + (opcode - 0xD8)));
        default:
            // Prefixes, 0Fh, unassigned bytes, and enter (two immediates).
            return NoInstruction();
    }
}

constexpr OpcodeDescription DescribeMmx(uint8_t second) {
    const uint16_t name = MnemonicIndexOf(kTwoByteMnemonicTable[second]);
    const bool store = (second & 0x10) != 0;
    if (name == Emms) return Slots(Emms);
    if (name == Movd) return RegRmForm(Movd, !store, Sizing::Mmx, Sizing::Dword);
    if (name == Movq) return RegRmForm(Movq, !store, Sizing::Mmx, Sizing::Mmx);
    if (name == None) {
        // 71-73: shift mm by an immediate, named by the reg field.
        if (second < kFirstShiftGroup || second > kLastShiftGroup) return NoInstruction();
        const auto group = static_cast<uint8_t>(NameGroup::MmxWordShift + (second - kFirstShiftGroup));
        return WithGroup(RmDataForm(None, Sizing::Mmx, DataShape::Imm8), group);
    }
    return RegRmForm(name, true, Sizing::Mmx, Sizing::Mmx);
}

// Scalar SSE opcodes without an F3h right before 0Fh: packed or other forms
// that are counted (prefixes, opcode, addressing bytes) but not named.
constexpr OpcodeDescription UnnamedSse() {
    OpcodeDescription form = Slots(None);
    form.hasModRM = true;
    return form;
}

// Scalar SSE opcodes behind an F3h right before 0Fh.
constexpr OpcodeDescription DescribeScalarSse(uint8_t second) {
    switch (second) {
        case 0x10: return RegRmForm(Movss, true, Sizing::XmmScalar, Sizing::XmmScalar);
        case 0x11: return RegRmForm(Movss, false, Sizing::XmmScalar, Sizing::XmmScalar);
        case 0xC2: {  // the comparison predicate stays a plain number
            OpcodeDescription form = RegRmForm(Cmpss, true, Sizing::XmmScalar, Sizing::XmmScalar);
            form.source[2] = OperandSource::Data;
            form.operandCount = 3;
            return WithData(form, DataShape::Imm8);
        }
        default: {
            const uint16_t name = ScalarArithmeticMnemonic(second);
            // The rest of the row is no instruction.
            return name == None ? NoInstruction() : RegRmForm(name, true, Sizing::XmmScalar, Sizing::XmmScalar);
        }
    }
}

constexpr OpcodeDescription DescribeTwoByte(uint8_t second) {
    const uint16_t name = MnemonicIndexOf(kTwoByteMnemonicTable[second]);
    const ClassDescription& description = TwoByteClassDescription(kTwoByteClassTable[second]);
    const bool wide = FieldSet(description, OpcodeFieldKind::Width, second);
    const bool direction = FieldSet(description, OpcodeFieldKind::Direction, second);
    switch (kTwoByteClassTable[second]) {
        case TwoByteClass::Bswap:
            return WithOpcodeRegisterA(Slots(name, OperandSource::FixedA), second & 7, Sizing::Full);
        case TwoByteClass::BitTestImm:
            return WithGroup(RmDataForm(None, Sizing::Full, DataShape::Imm8), NameGroup::BitTest);
        case TwoByteClass::SegmentPushPop:
            return WithOpcodeRegisterA(Slots(name, OperandSource::FixedA), (second >> 3) & 7, Sizing::Segment);
        case TwoByteClass::ShiftDoubleImm: {
            OpcodeDescription form = RegRmForm(name, false, Sizing::Full, Sizing::Full);
            form.source[2] = OperandSource::Data;
            form.operandCount = 3;
            return WithData(form, DataShape::Imm8);
        }
        case TwoByteClass::WidthInBit0:
            if ((second & 0x06) == 0x06) {  // movzx, movsx: a byte or word source
                return RegRmForm(name, true, Sizing::Full, wide ? Sizing::Word : Sizing::Byte);
            }
            return RegRmForm(name, false, WidthSizing(wide), WidthSizing(wide));
        case TwoByteClass::NoOperands: return Slots(name);
        case TwoByteClass::Cmov: return RegRmForm(name, true, Sizing::Full, Sizing::Full);
        case TwoByteClass::NearConditionalJump: return WithData(Slots(name, OperandSource::Data), DataShape::RelFull);
        case TwoByteClass::Setcc: {
            OpcodeDescription form = Slots(name, OperandSource::Rm);
            form.hasModRM = true;
            form.rmSizing = Sizing::Byte;
            form.validRegs = 0x01;
            return form;
        }
        case TwoByteClass::RegRmByMnemonic:
            switch (name) {
                case Bt:
                case Bts:
                case Btr:
                case Btc: return RegRmForm(name, false, Sizing::Full, Sizing::Full);
                case Shld:
                case Shrd: {
                    OpcodeDescription form =
                        WithFixedA(RegRmForm(name, false, Sizing::Full, Sizing::Full), 1, Sizing::Byte);
                    form.source[2] = OperandSource::FixedA;
                    form.operandCount = 3;
                    return form;
                }
                case Lss:
                case Lfs:
                case Lgs: return MemoryOnly(RegRmForm(name, true, Sizing::Full, Sizing::FarPointerMemory));
                default: return RegRmForm(name, true, Sizing::Full, Sizing::Full);
            }
        case TwoByteClass::Mmx: return DescribeMmx(second);
        case TwoByteClass::SseScalar: return UnnamedSse();
        case TwoByteClass::SystemGroup:
            return RowForm(second == 0x00 ? RegRow::Group6 : (second == 0x01 ? RegRow::Group7 : RegRow::Group9));
        case TwoByteClass::MovControlDebug: {
            // Between a 32-bit register and a control register (cr0, cr2-cr4
            // exist) or a debug register; bit 1 set: into the special register.
            const bool debug = (second & 0x01) != 0;
            const uint8_t special = debug ? Sizing::Debug : Sizing::Control;
            OpcodeDescription form = RegRmForm(name, direction, special, Sizing::Dword);
            form.registerOnly = true;
            form.validRegs = debug ? 0xFF : 0x1D;
            return form;
        }
        default:  // unassigned bytes
            return NoInstruction();
    }
}

}  // namespace opcode_description_rows

// The opcode maps of the forms: one-byte opcodes, two-byte opcodes, and
// two-byte opcodes right behind an F3h prefix (the scalar SSE forms).
namespace OpcodeMap {
enum : unsigned { OneByte = 0, TwoByte = 1, TwoByteAfterRep = 2 };
constexpr unsigned kCount = 3;
}  // namespace OpcodeMap

// Indexed by [OpcodeMap][opcode byte].
inline constexpr std::array<std::array<OpcodeDescription, 256>, OpcodeMap::kCount> kOpcodeDescriptions = [] {
    std::array<std::array<OpcodeDescription, 256>, OpcodeMap::kCount> forms{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        const auto opcode = static_cast<uint8_t>(byte);
        forms[OpcodeMap::OneByte][byte] = opcode_description_rows::DescribeOneByte(opcode);
        forms[OpcodeMap::TwoByte][byte] = opcode_description_rows::DescribeTwoByte(opcode);
        forms[OpcodeMap::TwoByteAfterRep][byte] = kTwoByteClassTable[byte] == TwoByteClass::SseScalar
                                                    ? opcode_description_rows::DescribeScalarSse(opcode)
                                                    : opcode_description_rows::DescribeTwoByte(opcode);
    }
    return forms;
}();

using opcode_description_rows::kGroupNames;

// Indexed by [RegRow][reg field]; row 0 is never taken.
inline constexpr std::array<std::array<OpcodeDescription, 8>, RegRow::kCount> kRegRowDescriptions = [] {
    std::array<std::array<OpcodeDescription, 8>, RegRow::kCount> forms{};
    for (unsigned row = 1; row < RegRow::kCount; ++row) {
        for (unsigned reg = 0; reg < 8; ++reg) {
            forms[row][reg] =
                opcode_description_rows::DescribeRegRowEntry(static_cast<uint8_t>(row), static_cast<uint8_t>(reg));
        }
    }
    return forms;
}();

// Whether the straight line takes `form` with this reg field and addressing
// form (a register r/m operand, or memory or no ModR/M byte).
constexpr bool TakesEncoding(const OpcodeDescription& form, unsigned regField, bool registerForm) {
    if (!form.straightLine || ((form.validRegs >> regField) & 1) == 0) return false;
    return registerForm ? !form.memoryOnly : !form.registerOnly;
}

// The instructions the straight line has no form for, decoded apart and
// described by the layout call from this same classification.
namespace IrregularOpcode {
enum : uint8_t {
    None = 0,                // a straight-line form, or no instruction
    Enter,                   // C8: two immediates
    FpuRegister,             // D8-DF with mod 11: the stack and control forms of decoder/fpu_tables.h
    TableStoreWithRegister,  // 0F 01 /0 with mod 11: unnamed, the register bare
};
}  // namespace IrregularOpcode

inline constexpr uint8_t kEnterImmediateSizes[2] = {2, 1};  // enter imm16, imm8

// `byte` is the opcode byte, or the byte after 0Fh when `twoByte`.
constexpr uint8_t IrregularOpcodeOf(bool twoByte, uint8_t byte, uint8_t modrm) {
    const bool registerForm = modrm >= 0xC0;
    const uint8_t row = kOpcodeDescriptions[twoByte ? OpcodeMap::TwoByte : OpcodeMap::OneByte][byte].regRow;
    if (twoByte) {
        return row == RegRow::Group7 && registerForm && ((modrm >> 3) & 7) == 0
                   ? IrregularOpcode::TableStoreWithRegister
                   : IrregularOpcode::None;
    }
    if (kOneByteClassTable[byte] == OpcodeClass::Enter) return IrregularOpcode::Enter;
    return row >= RegRow::FpuD8 && registerForm ? IrregularOpcode::FpuRegister : IrregularOpcode::None;
}

// The opcode (map and byte) of each row, for the record's class fields.
struct RowOpcode {
    bool twoByte;
    uint8_t byte;
};
// Found in the descriptions (the one-byte and two-byte maps), which name each row once.
constexpr RowOpcode RowOpcodeOf(unsigned row) {
    for (unsigned map = OpcodeMap::OneByte; map <= OpcodeMap::TwoByte; ++map) {
        for (unsigned byte = 0; byte < 256; ++byte) {
            if (kOpcodeDescriptions[map][byte].regRow == row) {
                return {map == OpcodeMap::TwoByte, static_cast<uint8_t>(byte)};
            }
        }
    }
    return {false, 0};
}

// A description resolved for one operand size: what the straight-line decoder reads
// per instruction, with the sizes already turned into class bits and memory
// sizes, the fixed registers into register codes, and the record's header as
// far as the opcode decides it.
// 64 bytes: the tables are indexed by a shift.
struct alignas(64) StraightLineEntry {
    uint64_t header;  // the record's first eight bytes: class, subclass, name
                      // (0 for a name group: its row names it), two-byte flag, operand count
    uint32_t validByModReg;  // bit (ModR/M byte >> 3), i.e. by mod and reg field: the
                             // entry names an instruction (or has no ModR/M byte);
                             // 0 when the opcode has no straight-line form
    uint8_t hasModRM;     // 1 when a ModR/M byte follows the opcode
    // The entry the straight line takes is kStraightLineEntries' entry
    // rowIndex + (reg field & regMask): this one (regMask 0), or for an opcode
    // whose reg field decides more than the register (a RegRow, or a name
    // group's opcode) the one of its row (regMask 7). An index, not a
    // conditional: the compiler makes that a branch, which the common group
    // opcodes mispredict.
    uint16_t rowIndex;
    uint8_t regMask;
    uint8_t data;
    uint8_t regClassBits;
    uint8_t dataMemorySize;
    uint8_t shortAddressBelow;  // 1: a 16-bit address size names the entry before
    // Where the operands that vary with the bytes go: the record offset of the
    // slot that takes the reg, the r/m and the data operand, or kNoSlot. The
    // slots are first written whole from slotHeads (the fixed registers in
    // theirs, zero elsewhere), then these three are stored over theirs. A reg
    // operand with no slot has offset 0: its byte lands in the header, which
    // is stored after it; an r/m operand with none has the third slot's,
    // which is written after it.
    uint8_t regAt;
    uint8_t rmAt;
    uint8_t dataAt;
    uint64_t slotHeads[3];
    // The r/m operand's memory size or class bits, where they lie in its first word.
    uint64_t rmMemoryBits;
    uint64_t rmRegisterBits;
};
inline constexpr uint8_t kNoSlot = 0xFF;
static_assert(sizeof(StraightLineEntry) == 64, "the entry tables are indexed by a shift");

// Byte positions in the record's first eight bytes.
namespace HeaderByte {
enum : unsigned { PrefixFlags = 0, RepeatAndLength = 1, OpcodeClass = 2, SubClass = 3, Mnemonic = 4, DecodeFlags = 6,
                  OperandCount = 7 };
}

struct SizingBits {
    uint8_t classBits;
    uint8_t memorySize;
};

// By [Sizing][operand32].
inline constexpr SizingBits kSizingBits[Sizing::kCount][2] = {
    /* None */ {{0, MemorySize::None}, {0, MemorySize::None}},
    /* Byte */ {{0, MemorySize::Byte}, {0, MemorySize::Byte}},
    /* Full */
    {{MakeRegisterCode(RegisterClass::Gpr16, 0), MemorySize::Word},
     {MakeRegisterCode(RegisterClass::Gpr32, 0), MemorySize::Dword}},
    /* Word */
    {{MakeRegisterCode(RegisterClass::Gpr16, 0), MemorySize::Word},
     {MakeRegisterCode(RegisterClass::Gpr16, 0), MemorySize::Word}},
    /* Dword */
    {{MakeRegisterCode(RegisterClass::Gpr32, 0), MemorySize::Dword},
     {MakeRegisterCode(RegisterClass::Gpr32, 0), MemorySize::Dword}},
    /* Segment */
    {{MakeRegisterCode(RegisterClass::Segment, 0), MemorySize::None},
     {MakeRegisterCode(RegisterClass::Segment, 0), MemorySize::None}},
    /* Mmx */
    {{MakeRegisterCode(RegisterClass::Mmx, 0), MemorySize::Qword},
     {MakeRegisterCode(RegisterClass::Mmx, 0), MemorySize::Qword}},
    /* XmmScalar */
    {{MakeRegisterCode(RegisterClass::Xmm, 0), MemorySize::Dword},
     {MakeRegisterCode(RegisterClass::Xmm, 0), MemorySize::Dword}},
    /* BoundPair */ {{0, MemorySize::Dword}, {0, MemorySize::Qword}},
    /* FarPointerMemory */ {{0, MemorySize::Dword}, {0, MemorySize::Pointer48}},
    /* Environment */ {{0, MemorySize::FourteenBytes}, {0, MemorySize::TwentyEightBytes}},
    /* SixBytes */ {{0, MemorySize::SixBytes}, {0, MemorySize::SixBytes}},
    /* Pointer48 */ {{0, MemorySize::Pointer48}, {0, MemorySize::Pointer48}},
    /* Qword */ {{0, MemorySize::Qword}, {0, MemorySize::Qword}},
    /* Tbyte */ {{0, MemorySize::Tbyte}, {0, MemorySize::Tbyte}},
    /* Bytes108 */ {{0, MemorySize::Bytes108}, {0, MemorySize::Bytes108}},
    /* WordOrFull */
    {{MakeRegisterCode(RegisterClass::Gpr16, 0), MemorySize::Word},
     {MakeRegisterCode(RegisterClass::Gpr32, 0), MemorySize::Word}},
    /* Control */
    {{MakeRegisterCode(RegisterClass::Control, 0), MemorySize::None},
     {MakeRegisterCode(RegisterClass::Control, 0), MemorySize::None}},
    /* Debug */
    {{MakeRegisterCode(RegisterClass::Debug, 0), MemorySize::None},
     {MakeRegisterCode(RegisterClass::Debug, 0), MemorySize::None}},
};

constexpr uint64_t HeaderField(unsigned byte, uint64_t value) { return value << (8 * byte); }

constexpr StraightLineEntry ResolveEntry(const OpcodeDescription& form, bool operand32, bool twoByte, uint8_t byte) {
    StraightLineEntry resolved{};
    const uint8_t opcodeClass = twoByte ? static_cast<uint8_t>(OpcodeClass::TwoByteEscape) : kOneByteClassTable[byte];
    const uint8_t subClass = twoByte ? kTwoByteClassTable[byte] : 0;
    const uint16_t mnemonic =
        form.group != NameGroup::None
            ? 0
            : static_cast<uint16_t>(form.mnemonic - (form.wordFormBelow && !operand32 ? 1 : 0));
    resolved.header = HeaderField(HeaderByte::OpcodeClass, opcodeClass) | HeaderField(HeaderByte::SubClass, subClass) |
                      HeaderField(HeaderByte::Mnemonic, mnemonic) |
                      HeaderField(HeaderByte::DecodeFlags, twoByte ? DecodeFlag::TwoByteOpcode : 0) |
                      HeaderField(HeaderByte::OperandCount, form.operandCount);
    resolved.hasModRM = form.hasModRM ? 1 : 0;
    // Bit (mod << 3 | reg): mod 3 is the register form.
    for (unsigned modReg = 0; modReg < 32; ++modReg) {
        resolved.validByModReg |= static_cast<uint32_t>(TakesEncoding(form, modReg & 7, modReg >= 24)) << modReg;
    }
    resolved.data = form.data;
    resolved.regClassBits = kSizingBits[form.regSizing][operand32].classBits;
    resolved.dataMemorySize = kSizingBits[form.dataSizing][operand32].memorySize;
    resolved.shortAddressBelow = form.shortAddressBelow ? 1 : 0;
    resolved.rmMemoryBits = static_cast<uint64_t>(kSizingBits[form.rmSizing][operand32].memorySize) << 8;
    resolved.rmRegisterBits = static_cast<uint64_t>(kSizingBits[form.rmSizing][operand32].classBits) << 16;
    const uint8_t fixedA = static_cast<uint8_t>(form.fixedA | kSizingBits[form.fixedASizing][operand32].classBits);
    const uint8_t fixedB = static_cast<uint8_t>(form.fixedB | kSizingBits[form.fixedBSizing][operand32].classBits);
    resolved.regAt = resolved.rmAt = resolved.dataAt = kNoSlot;
    for (unsigned slot = 0; slot < 3; ++slot) {
        const auto at = static_cast<uint8_t>(8 + 20 * slot);  // the record offset of operands[slot]
        // The varying operands are stored over their slots one after the
        // other: a form that took one of them into two slots stops the build.
        const auto place = [at](uint8_t& where) {
            if (where != kNoSlot) throw "a form takes the same operand into two slots";
            where = at;
        };
        switch (form.source[slot]) {
            case OperandSource::Reg: place(resolved.regAt); break;
            case OperandSource::Rm: place(resolved.rmAt); break;
            case OperandSource::Data: place(resolved.dataAt); break;
            case OperandSource::FixedA: resolved.slotHeads[slot] = static_cast<uint64_t>(fixedA) << 16; break;
            case OperandSource::FixedB: resolved.slotHeads[slot] = static_cast<uint64_t>(fixedB) << 16; break;
            default: break;
        }
    }
    if (resolved.regAt == kNoSlot) resolved.regAt = 0;
    // The r/m operand is stored before the third slot is written (see the
    // straight line): with no slot of its own it goes there, and it may not
    // take that slot itself.
    constexpr uint8_t kThirdSlotAt = 8 + 20 * 2;
    if (resolved.rmAt == kThirdSlotAt) throw "an r/m operand in the third slot";
    if (resolved.rmAt == kNoSlot) resolved.rmAt = kThirdSlotAt;
    return resolved;
}

// The opcodes whose reg field picks only the name (a NameGroup, no RegRow)
// take a row of entries too, after the RegRow rows, each entry named: the
// straight line then finds every name in its entry's header.
struct GroupOpcode {
    uint8_t map;
    uint8_t byte;
};
constexpr bool IsNameGroupOpcode(const OpcodeDescription& form) {
    return form.group != NameGroup::None && form.regRow == RegRow::None;
}
constexpr unsigned CountNameGroupOpcodes() {
    unsigned count = 0;
    for (const auto& map : kOpcodeDescriptions) {
        for (const OpcodeDescription& form : map) count += IsNameGroupOpcode(form);
    }
    return count;
}
inline constexpr unsigned kNameGroupOpcodeCount = CountNameGroupOpcodes();
inline constexpr unsigned kStraightLineRowCount = RegRow::kCount + kNameGroupOpcodeCount;

inline constexpr std::array<GroupOpcode, kNameGroupOpcodeCount> kNameGroupOpcodes = [] {
    std::array<GroupOpcode, kNameGroupOpcodeCount> opcodes{};
    unsigned next = 0;
    for (unsigned map = 0; map < OpcodeMap::kCount; ++map) {
        for (unsigned byte = 0; byte < 256; ++byte) {
            if (IsNameGroupOpcode(kOpcodeDescriptions[map][byte])) {
                opcodes[next++] = {static_cast<uint8_t>(map), static_cast<uint8_t>(byte)};
            }
        }
    }
    return opcodes;
}();

// The entries by [operand32][index]: the three maps first, by OpcodeMap * 256
// + opcode byte, then the rows by kRowsStart + row * 8 + reg field (row 0 is
// never taken).
inline constexpr unsigned kRowsStart = OpcodeMap::kCount * 256;
inline constexpr unsigned kStraightLineEntryCount = kRowsStart + kStraightLineRowCount * 8;
static_assert(kStraightLineEntryCount <= 0x10000, "an entry index is 16 bits");
using StraightLineTable = std::array<std::array<StraightLineEntry, kStraightLineEntryCount>, 2>;

constexpr StraightLineEntry Unrouted(StraightLineEntry entry, unsigned index) {
    entry.rowIndex = static_cast<uint16_t>(index);
    entry.regMask = 0;
    return entry;
}

inline constexpr StraightLineTable kStraightLineEntries = [] {
    StraightLineTable forms{};
    for (unsigned operand32 = 0; operand32 < 2; ++operand32) {
        auto& entries = forms[operand32];
        for (unsigned map = 0; map < OpcodeMap::kCount; ++map) {
            for (unsigned byte = 0; byte < 256; ++byte) {
                const OpcodeDescription& form = kOpcodeDescriptions[map][byte];
                const unsigned index = map * 256 + byte;
                entries[index] = Unrouted(
                    ResolveEntry(form, operand32 != 0, map != OpcodeMap::OneByte, static_cast<uint8_t>(byte)), index);
                if (form.regRow != RegRow::None) {
                    entries[index].rowIndex = static_cast<uint16_t>(kRowsStart + form.regRow * 8);
                    entries[index].regMask = 7;
                }
            }
        }
        for (unsigned row = 1; row < RegRow::kCount; ++row) {
            const RowOpcode opcode = RowOpcodeOf(row);
            for (unsigned reg = 0; reg < 8; ++reg) {
                const OpcodeDescription& form = kRegRowDescriptions[row][reg];
                // A row's entry names itself: its name may not come from a group too.
                if (form.group != NameGroup::None) throw "a reg row entry with a name group";
                const unsigned index = kRowsStart + row * 8 + reg;
                entries[index] = Unrouted(ResolveEntry(form, operand32 != 0, opcode.twoByte, opcode.byte), index);
            }
        }
        for (unsigned group = 0; group < kNameGroupOpcodeCount; ++group) {
            const GroupOpcode opcode = kNameGroupOpcodes[group];
            const OpcodeDescription& form = kOpcodeDescriptions[opcode.map][opcode.byte];
            const unsigned row = RegRow::kCount + group;
            StraightLineEntry& opcodeEntry = entries[opcode.map * 256 + opcode.byte];
            opcodeEntry.rowIndex = static_cast<uint16_t>(kRowsStart + row * 8);
            opcodeEntry.regMask = 7;
            for (unsigned reg = 0; reg < 8; ++reg) {
                const unsigned index = kRowsStart + row * 8 + reg;
                StraightLineEntry entry =
                    ResolveEntry(form, operand32 != 0, opcode.map != OpcodeMap::OneByte, opcode.byte);
                entry.header |= HeaderField(HeaderByte::Mnemonic, kGroupNames[form.group][reg]);
                entries[index] = Unrouted(entry, index);
            }
        }
    }
    return forms;
}();

}  // namespace vexa
