// The layout call: decodes as DecodeInstruction does and then walks the same
// bytes through the same tables (the prefix scan, the opcode's description,
// the r/m decode, the data shapes) to say where each part lay. DecodeInstruction
// itself is untouched by it. The irregular opcodes (enter, the x87 register
// forms, 0F 01 /0 with a register) come from the same classification and
// tables as their decode; an invalid encoding's cause from where its
// opcode's descriptions take which encodings.
#include "decoder/encoding_layout.h"

#include "decoder/decoder.h"
#include "decoder/internal/fpu_tables.h"
#include "decoder/internal/opcode_descriptions.h"
#include "decoder/internal/prefix_scan.h"
#include "decoder/internal/straight_line_tables.h"
#include "decoder/opcode_classes.h"

namespace vexa {
namespace {

void AddRun(EncodingLayout& layout, unsigned offset, unsigned count, uint8_t meaning) {
    const unsigned run = layout.dataCount++;
    layout.data[run] = ByteSpan{static_cast<uint8_t>(offset), static_cast<uint8_t>(count)};
    layout.dataMeaning[run] = meaning;
}

// The data runs a shape reads, with what they mean.
void AddData(EncodingLayout& layout, uint8_t shape, bool operand32, bool address32, unsigned at) {
    const unsigned consumed = straight_line::kDataLayouts[shape][operand32][address32].consumed;
    auto add = [&layout](unsigned offset, unsigned count, uint8_t meaning) { AddRun(layout, offset, count, meaning); };
    switch (shape) {
        case DataShape::Imm8:
        case DataShape::ImmFull: add(at, consumed, DataMeaning::Immediate); break;
        case DataShape::ImmSignExtended8: add(at, consumed, DataMeaning::SignExtendedImm8); break;
        case DataShape::Rel8:
        case DataShape::RelFull: add(at, consumed, DataMeaning::Relative); break;
        case DataShape::Constant16: add(at, consumed, DataMeaning::Constant); break;
        case DataShape::MemoryOffset: add(at, consumed, DataMeaning::MemoryOffset); break;
        case DataShape::FarPointer:
            add(at, consumed - 2, DataMeaning::PointerOffset);
            add(at + consumed - 2, 2, DataMeaning::PointerSelector);
            break;
        default: break;  // none, or the implied count 1
    }
}

uint8_t OriginOf(const OpcodeDescription& description, uint8_t source) {
    switch (source) {
        case OperandSource::Reg: return OperandOrigin::ModRMReg;
        case OperandSource::Rm: return OperandOrigin::ModRMRm;
        case OperandSource::FixedA:
            return description.fixedAInOpcode ? OperandOrigin::OpcodeRegister : OperandOrigin::Implied;
        case OperandSource::FixedB:
            return description.fixedBInOpcode ? OperandOrigin::OpcodeRegister : OperandOrigin::Implied;
        case OperandSource::Data:
            // The count 1 of D0/D1 has no bytes of its own.
            return description.data == DataShape::ImpliedOne ? OperandOrigin::Implied : OperandOrigin::Data;
        default: return OperandOrigin::None;
    }
}

// What the reg field does under `description` (that of the reg field's entry).
uint8_t RegFieldUseOf(const OpcodeDescription& description, bool row, uint8_t& operandSlot) {
    for (unsigned slot = 0; slot < 3; ++slot) {
        if (description.source[slot] == OperandSource::Reg) {
            operandSlot = static_cast<uint8_t>(slot);
            return RegFieldUse::Operand;
        }
    }
    if (!row && !description.straightLine) return RegFieldUse::Unused;  // no instruction to select
    if (row || description.group != NameGroup::None || description.validRegs != 0xFF) {
        return RegFieldUse::OpcodeExtension;
    }
    return RegFieldUse::Unused;
}

// Why an opcode with a ModR/M byte refuses this reg field and addressing
// form (register or memory), from which encodings its descriptions take: the
// other addressing form with the same reg field first, then another reg field
// with this addressing form.
uint8_t CauseFromDescriptions(const OpcodeDescription* const entries[8], unsigned regField, bool registerForm,
                              bool controlRegister) {
    const uint8_t formCause = registerForm ? InvalidCause::RegisterWhereMemoryRequired
                                           : InvalidCause::MemoryWhereRegisterRequired;
    if (TakesEncoding(*entries[regField], regField, !registerForm)) return formCause;
    for (unsigned reg = 0; reg < 8; ++reg) {
        if (TakesEncoding(*entries[reg], reg, registerForm)) {
            return controlRegister ? InvalidCause::NoSuchControlRegister : InvalidCause::ReservedRegField;
        }
    }
    for (unsigned reg = 0; reg < 8; ++reg) {
        if (TakesEncoding(*entries[reg], reg, !registerForm)) return formCause;
    }
    return InvalidCause::UnknownOpcode;
}

// The ModR/M byte at `at` with its SIB byte and displacement; returns the offset after them.
unsigned AddAddressing(EncodingLayout& layout, const uint8_t* bytes, unsigned at, bool address32) {
    const addressing::RmOperand rm = addressing::DecodeRm(bytes + at, address32);
    const unsigned sib = (rm.flags & PrefixFlag::HasSIB) != 0 ? 1 : 0;
    const unsigned displacement = rm.consumed - 1 - sib;
    layout.modRM = ByteSpan{static_cast<uint8_t>(at), 1};
    layout.sib = ByteSpan{static_cast<uint8_t>(at + 1), static_cast<uint8_t>(sib)};
    layout.displacement = ByteSpan{static_cast<uint8_t>(at + 1 + sib), static_cast<uint8_t>(displacement)};
    if (sib == 0) layout.sib.offset = 0;
    if (displacement == 0) layout.displacement.offset = 0;
    return at + rm.consumed;
}

// The x87 register forms: the r/m field names st(i), st0 and ax are implied.
bool DescribeFpuRegisterForm(EncodingLayout& layout, uint8_t escape, uint8_t modrm) {
    const fpu::RegisterForm stack = fpu::FindRegisterForm(escape, modrm);
    if (stack.mnemonic == Mnemonic::None) return false;
    uint8_t* origin = layout.operandOrigin;
    switch (stack.operands) {
        case fpu::StackOperands::None: break;
        case fpu::StackOperands::StI: origin[0] = OperandOrigin::ModRMRm; break;
        case fpu::StackOperands::StStI:
            origin[0] = OperandOrigin::Implied;
            origin[1] = OperandOrigin::ModRMRm;
            break;
        case fpu::StackOperands::StISt:
            origin[0] = OperandOrigin::ModRMRm;
            origin[1] = OperandOrigin::Implied;
            break;
        case fpu::StackOperands::Ax: origin[0] = OperandOrigin::Implied; break;
    }
    return true;
}

void Describe(const uint8_t* bytes, bool is32BitMode, EncodingLayout& layout) {
    PrefixBytes prefixes{};
    const unsigned position = ScanPrefixes(bytes, prefixes);
    layout.prefixCount = static_cast<uint8_t>(position);
    if (position > kMaxPrefixes) {
        layout.opcode.offset = layout.prefixCount;
        layout.invalidCause = InvalidCause::TooManyPrefixes;
        layout.length = layout.prefixCount;
        return;
    }
    const EffectiveSizes sizes = ComputeEffectiveSizes(is32BitMode, prefixes.flags);
    const bool repBeforeOpcode = position > 0 && bytes[position - 1] == PrefixValue::Rep;

    const uint8_t opcode = bytes[position];
    const bool twoByte = kOneByteClassTable[opcode] == OpcodeClass::TwoByteEscape;
    const uint8_t second = bytes[position + 1];
    const uint8_t byte = twoByte ? second : opcode;
    layout.opcode = ByteSpan{static_cast<uint8_t>(position), static_cast<uint8_t>(1 + twoByte)};
    const unsigned modrmAt = position + 1 + twoByte;
    const uint8_t modrm = bytes[modrmAt];
    const unsigned regField = (modrm >> 3) & 7;
    const bool registerForm = modrm >= 0xC0;

    const unsigned map =
        twoByte ? (repBeforeOpcode ? OpcodeMap::TwoByteAfterRep : OpcodeMap::TwoByte) : OpcodeMap::OneByte;
    const OpcodeDescription& opcodeDescription = kOpcodeDescriptions[map][byte];
    const bool row = opcodeDescription.regRow != RegRow::None;
    const OpcodeDescription* entries[8];
    for (unsigned reg = 0; reg < 8; ++reg) {
        entries[reg] = row ? &kRegRowDescriptions[opcodeDescription.regRow][reg] : &opcodeDescription;
    }
    const OpcodeDescription& description = *entries[regField];

    const bool takes = TakesEncoding(description, regField, registerForm);
    const uint8_t irregular = takes ? uint8_t{IrregularOpcode::None} : IrregularOpcodeOf(twoByte, byte, modrm);
    // Every opcode the straight line refuses reads a ModR/M byte, but enter.
    unsigned end = modrmAt;
    if (description.hasModRM || (!takes && irregular != IrregularOpcode::Enter)) {
        end = AddAddressing(layout, bytes, modrmAt, sizes.address32);
        layout.regFieldUse = RegFieldUseOf(description, row, layout.regFieldOperand);
    }

    if (takes) {
        for (unsigned slot = 0; slot < 3; ++slot) {
            layout.operandOrigin[slot] = OriginOf(description, description.source[slot]);
        }
        AddData(layout, description.data, sizes.operand32, sizes.address32, end);
    } else if (irregular == IrregularOpcode::Enter) {
        layout.operandOrigin[0] = OperandOrigin::Data;
        layout.operandOrigin[1] = OperandOrigin::Data1;
        AddRun(layout, end, kEnterImmediateSizes[0], DataMeaning::Immediate);
        AddRun(layout, end + kEnterImmediateSizes[0], kEnterImmediateSizes[1], DataMeaning::Immediate);
    } else if (irregular == IrregularOpcode::FpuRegister && DescribeFpuRegisterForm(layout, opcode, modrm)) {
        layout.regFieldUse = RegFieldUse::OpcodeExtension;
    } else if (irregular == IrregularOpcode::TableStoreWithRegister) {
        layout.operandOrigin[0] = OperandOrigin::ModRMRm;
    } else if (!twoByte && kOneByteClassTable[opcode] == OpcodeClass::FpuEscape) {
        layout.regFieldUse = RegFieldUse::OpcodeExtension;
        layout.invalidCause = InvalidCause::FpuForm;
    } else if (twoByte && kTwoByteClassTable[second] == TwoByteClass::Invalid) {
        layout.invalidCause = InvalidCause::UnknownOpcode;
    } else if (twoByte && kTwoByteClassTable[second] == TwoByteClass::Mmx) {
        layout.invalidCause = InvalidCause::MmxForm;
    } else if (twoByte && kTwoByteClassTable[second] == TwoByteClass::SseScalar) {
        layout.invalidCause = InvalidCause::SseForm;
    } else {
        const bool controlRegister = twoByte && kTwoByteClassTable[second] == TwoByteClass::MovControlDebug;
        layout.invalidCause = CauseFromDescriptions(entries, regField, registerForm, controlRegister);
    }

    for (unsigned run = 0; run < layout.dataCount; ++run) end = layout.data[run].offset + layout.data[run].count;
    layout.length = static_cast<uint8_t>(end);
    if (layout.invalidCause == InvalidCause::None && end > kMaxInstructionLength) {
        layout.invalidCause = InvalidCause::TooLong;
    }
    if (layout.invalidCause != InvalidCause::None && layout.invalidCause != InvalidCause::TooLong) {
        // Found invalid before its operands were made: no slot was filled from the bytes.
        for (uint8_t& origin : layout.operandOrigin) origin = OperandOrigin::None;
    }
}

}  // namespace

bool DecodeInstructionLayout(const uint8_t* bytes, DecodedInstruction* record, EncodingLayout* layout,
                             bool is32BitMode) {
    if (layout == nullptr) return false;
    *layout = EncodingLayout{};
    if (!DecodeInstruction(bytes, record, is32BitMode)) return false;
    Describe(bytes, is32BitMode, *layout);
    return true;
}

}  // namespace vexa
