#include "decoder/mmx_sse_decoder.h"

#include "decoder/media_names.h"
#include "decoder/mnemonic_list.h"
#include "decoder/mnemonic_tables.h"
#include "decoder/modrm.h"

namespace vexa {
namespace {

constexpr uint8_t kRepPrefix = 0xF3;

void MakeRegisterOf(OperandDescriptor* operand, uint8_t registerClass) {
    operand->reg |= MakeRegisterCode(registerClass, 0);
}

// A register operand takes the class; a memory operand the size.
void CompleteRmOperand(OperandDescriptor* operand, uint8_t registerClass, uint8_t memorySize) {
    if (operand->kind == OperandKind::Memory) {
        operand->memorySize = memorySize;
    } else {
        MakeRegisterOf(operand, registerClass);
    }
}

// The imm8 that follows ModR/M, SIB and displacement. `bytes` is the 0Fh byte
// and `lengthAtModRM` the record's length before DecodeModRM ran.
void TakeImmediate8(const uint8_t* bytes, DecodedInstruction* record, unsigned lengthAtModRM,
                    OperandDescriptor* operand) {
    const unsigned addressingBytes = InstructionLength(*record) - lengthAtModRM;
    *operand = OperandDescriptor{};
    operand->kind = OperandKind::Immediate;
    operand->immSize = 1;
    operand->imm = bytes[2 + addressingBytes];
    AddInstructionLength(*record, 1);
}

bool IsMoveDataOrQuad(uint16_t mnemonic) { return mnemonic == Mnemonic::Movd || mnemonic == Mnemonic::Movq; }

// movd/movq: 0F 6E/6F load mm from r/m, 0F 7E/7F store mm to r/m (bit 4).
bool StoreMmxMove(DecodedInstruction* record, uint8_t second, OperandDescriptor* reg, OperandDescriptor* rm) {
    MakeRegisterOf(reg, RegisterClass::Mmx);
    if (record->mnemonic == Mnemonic::Movd) {
        CompleteRmOperand(rm, RegisterClass::Gpr32, MemorySize::Dword);
    } else {
        CompleteRmOperand(rm, RegisterClass::Mmx, MemorySize::Qword);
    }
    const bool store = (second & 0x10) != 0;
    return store ? StoreOperands(record, rm, reg, nullptr) : StoreOperands(record, reg, rm, nullptr);
}

bool StoreShiftGroup(const uint8_t* bytes, DecodedInstruction* record, unsigned lengthAtModRM, OperandDescriptor* reg,
                     OperandDescriptor* rm) {
    const uint16_t mnemonic = ShiftGroupMnemonic(bytes[1], reg->reg & 7);
    if (mnemonic == Mnemonic::None) return false;
    record->mnemonic = mnemonic;
    // The reg field named the operation; its slot carries the shift count.
    TakeImmediate8(bytes, record, lengthAtModRM, reg);
    CompleteRmOperand(rm, RegisterClass::Mmx, MemorySize::Qword);
    return StoreOperands(record, rm, reg, nullptr);
}

// The scalar forms are chosen by a rep prefix that is both the last repeat
// prefix and the byte right before 0Fh. The byte before 0Fh is only looked at
// when a repeat prefix was seen, so it is always a prefix of this instruction.
bool HasScalarPrefix(const uint8_t* bytes, const DecodedInstruction& record) {
    return HasRepeatPrefix(record) && RepeatIsRep(record) && bytes[-1] == kRepPrefix;
}

}  // namespace

bool DecodeMmx(const uint8_t* bytes, DecodedInstruction* record, EffectiveSizes sizes) {
    if (bytes == nullptr || record == nullptr) return false;
    const uint8_t second = bytes[1];
    record->mnemonic = MnemonicIndexOf(kTwoByteMnemonicTable[second]);
    // emms has no ModR/M byte; the byte after it belongs to the next instruction.
    if (record->mnemonic == Mnemonic::Emms) {
        record->operandCount = 0;
        return true;
    }
    OperandDescriptor reg{}, rm{};
    const unsigned lengthAtModRM = InstructionLength(*record);
    if (!DecodeModRM(bytes + 2, record, &reg, &rm, sizes.address32)) return false;
    if (IsMoveDataOrQuad(record->mnemonic)) return StoreMmxMove(record, second, &reg, &rm);
    if (record->mnemonic == Mnemonic::None) return StoreShiftGroup(bytes, record, lengthAtModRM, &reg, &rm);
    MakeRegisterOf(&reg, RegisterClass::Mmx);
    CompleteRmOperand(&rm, RegisterClass::Mmx, MemorySize::Qword);
    return StoreOperands(record, &reg, &rm, nullptr);
}

bool DecodeSseScalar(const uint8_t* bytes, DecodedInstruction* record, EffectiveSizes sizes) {
    if (bytes == nullptr || record == nullptr) return false;
    OperandDescriptor reg{}, rm{}, immediate{};
    const unsigned lengthAtModRM = InstructionLength(*record);
    if (!DecodeModRM(bytes + 2, record, &reg, &rm, sizes.address32)) return false;
    // Without the scalar prefix these opcodes are packed or other SSE forms the
    // decoder does not name: their addressing bytes are counted, nothing more.
    if (!HasScalarPrefix(bytes, *record)) return true;

    MakeRegisterOf(&reg, RegisterClass::Xmm);
    CompleteRmOperand(&rm, RegisterClass::Xmm, MemorySize::Dword);
    const uint8_t second = bytes[1];
    switch (second) {
        case 0x10:
            record->mnemonic = Mnemonic::Movss;
            return StoreOperands(record, &reg, &rm, nullptr);
        case 0x11:
            record->mnemonic = Mnemonic::Movss;
            return StoreOperands(record, &rm, &reg, nullptr);
        case 0xC2:
            // The comparison predicate stays a plain number.
            record->mnemonic = Mnemonic::Cmpss;
            TakeImmediate8(bytes, record, lengthAtModRM, &immediate);
            return StoreOperands(record, &reg, &rm, &immediate);
        default:
            break;
    }
    const uint16_t mnemonic = ScalarArithmeticMnemonic(second);
    if (mnemonic == Mnemonic::None) return false;
    record->mnemonic = mnemonic;
    return StoreOperands(record, &reg, &rm, nullptr);
}

}  // namespace vexa
