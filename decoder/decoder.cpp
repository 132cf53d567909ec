#include "decoder/decoder.h"

#include "decoder/internal/fpu_decoder.h"
#include "decoder/internal/mnemonic_tables.h"
#include "decoder/internal/modrm.h"
#include "decoder/internal/prefix_scan.h"
#include "decoder/internal/straight_line_decoder.h"
#include "decoder/mnemonic_list.h"
#include "decoder/opcode_classes.h"

namespace vexa {
namespace {

// A reset record holding the prefixes seen and counting them in its length.
void StartRecord(DecodedInstruction& record, PrefixBytes prefixes, unsigned position) {
    ResetRecord(&record);
    record.prefixFlags = prefixes.flags;
    record.repeatAndLength = prefixes.repeat;
    SetInstructionLength(record, position);
}

// Not an instruction: the record keeps what had been stored so far, and the
// repeat bits, but reads as INVALID, one byte long.
bool MarkInvalid(DecodedInstruction& record) {
    record.decodeFlags |= DecodeFlag::Invalid;
    record.mnemonic = Mnemonic::Invalid;
    SetInstructionLength(record, 1);
    return true;
}

// The opcodes the straight line refuses: the few instructions it has no entry
// for (IrregularOpcodeOf), and every encoding that is no instruction. Kept out of line: few
// instructions take it, and inlined it would cost the straight line registers.
#if defined(__GNUC__)
[[gnu::noinline]]
#endif
bool DecodeIrregular(const uint8_t* bytes, unsigned position, PrefixBytes prefixes, DecodedInstruction& record,
                     EffectiveSizes sizes) {
    StartRecord(record, prefixes, position);
    const uint8_t opcode = bytes[position];
    const bool twoByte = kOneByteClassTable[opcode] == OpcodeClass::TwoByteEscape;
    const uint8_t second = bytes[position + 1];
    const uint8_t* const modrm = bytes + position + 1 + twoByte;
    record.opcodeClass = kOneByteClassTable[opcode];
    record.subClass = twoByte ? kTwoByteClassTable[second] : 0;
    record.decodeFlags = twoByte ? DecodeFlag::TwoByteOpcode : 0;
    AddInstructionLength(record, 1u + twoByte);

    switch (IrregularOpcodeOf(twoByte, twoByte ? second : opcode, modrm[0])) {
        case IrregularOpcode::Enter:
            record.mnemonic = MnemonicIndexOf(kOneByteMnemonicTable[opcode]);
            for (unsigned slot = 0; slot < 2; ++slot) {
                OperandDescriptor& operand = record.operands[slot];
                operand.kind = OperandKind::Immediate;
                operand.immSize = kEnterImmediateSizes[slot];
                operand.imm = addressing::Load32(bytes + InstructionLength(record)) &
                              addressing::kDispMasks[operand.immSize];
                AddInstructionLength(record, operand.immSize);
            }
            record.operandCount = 2;
            return true;
        case IrregularOpcode::FpuRegister:
            if (DecodeFpuRegisterForm(bytes + position, &record)) return true;
            break;
        case IrregularOpcode::TableStoreWithRegister:
            // sgdt's reg field with a register: counted, unnamed, the register bare.
            if (!DecodeModRM(modrm, &record, nullptr, &record.operands[0], sizes.address32)) return false;
            record.operandCount = 1;
            return true;
        default: break;
    }
    // Not an instruction: the ModR/M flags stay as its decode would set them.
    record.prefixFlags |= addressing::DecodeRm(modrm, sizes.address32).flags;
    return MarkInvalid(record);
}

// An instruction with prefixes, and 16-bit code: out of line, so that the
// no-prefix 32-bit straight line is all the decode holds (fewer registers to
// save around it).
#if defined(__GNUC__)
[[gnu::noinline]]
#endif
bool DecodePrefixed(const uint8_t* bytes, DecodedInstruction* record, bool is32BitMode) {
    if (kOneByteClassTable[bytes[0]] != OpcodeClass::Prefix) {  // 16-bit code without a prefix
        constexpr EffectiveSizes sizes{false, false};
        if (!DecodeStraightLine(bytes, 0, PrefixBytes{}, false, *record, sizes)) {
            return DecodeIrregular(bytes, 0, PrefixBytes{}, *record, sizes);
        }
        return true;
    }

    // The prefixes are gathered apart from the record: the straight-line
    // decoder writes the whole record at once.
    PrefixBytes prefixes{};
    const unsigned position = ScanPrefixes(bytes, prefixes);
    if (position > kMaxPrefixes) {
        StartRecord(*record, prefixes, kMaxPrefixes);
        return MarkInvalid(*record);
    }
    const EffectiveSizes sizes = ComputeEffectiveSizes(is32BitMode, prefixes.flags);
    const bool repBeforeOpcode = bytes[position - 1] == PrefixValue::Rep;

    if (!DecodeStraightLine(bytes, position, prefixes, repBeforeOpcode, *record, sizes)) {
        const bool ok = DecodeIrregular(bytes, position, prefixes, *record, sizes);
        if (ok && InstructionLength(*record) > kMaxInstructionLength) return MarkInvalid(*record);
        return ok;
    }
    if (InstructionLength(*record) > kMaxInstructionLength) return MarkInvalid(*record);
    return true;
}

// The prefixes, then the opcode: by its straight-line entry where it has one,
// else as an irregular opcode.
#if defined(__GNUC__)
[[gnu::always_inline]]
#endif
inline bool Decode(const uint8_t* bytes, DecodedInstruction* record, bool is32BitMode) {
    if (bytes == nullptr || record == nullptr) return false;

    // Most instructions have no prefix and most code is 32-bit: the
    // straight-line decoder is inlined for it with its sizes as constants and
    // every prefix term known.
    if (is32BitMode && kOneByteClassTable[bytes[0]] != OpcodeClass::Prefix) [[likely]] {
        constexpr EffectiveSizes sizes{true, true};
        if (!DecodeStraightLine(bytes, 0, PrefixBytes{}, false, *record, sizes)) {
            return DecodeIrregular(bytes, 0, PrefixBytes{}, *record, sizes);
        }
        return true;  // at most 12 bytes without a prefix
    }
    return DecodePrefixed(bytes, record, is32BitMode);
}

}  // namespace

// Not split into a null-pointer check and a body: called from other units
// (no LTO), the split only adds a jump.
#if defined(__GNUC__) && !defined(__clang__)
[[gnu::optimize("no-partial-inlining")]]
#endif
bool DecodeInstruction(const uint8_t* bytes, DecodedInstruction* record, bool is32BitMode) {
    return Decode(bytes, record, is32BitMode);
}

bool DecodeInstruction(const uint8_t* bytes, DecodedInstruction* record) {
    return DecodeInstruction(bytes, record, mode32 != 0);
}

}  // namespace vexa
