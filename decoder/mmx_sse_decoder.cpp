#include "decoder/mmx_sse_decoder.h"

#include "decoder/mnemonic_list.h"
#include "decoder/modrm.h"

namespace vexa {
namespace {

constexpr uint8_t kRepPrefix = 0xF3;

// Second-byte MMX names (the class-12 part of the two-byte mnemonic table);
// a temporary private copy until the shared table exists.
uint16_t TwoByteMnemonic(uint8_t second) {
    switch (second) {
        case 0x60: return Mnemonic::Punpcklbw;
        case 0x61: return Mnemonic::Punpcklwd;
        case 0x62: return Mnemonic::Punpckldq;
        case 0x63: return Mnemonic::Packsswb;
        case 0x64: return Mnemonic::Pcmpgtb;
        case 0x65: return Mnemonic::Pcmpgtw;
        case 0x66: return Mnemonic::Pcmpgtd;
        case 0x67: return Mnemonic::Packuswb;
        case 0x68: return Mnemonic::Punpckhbw;
        case 0x69: return Mnemonic::Punpckhwd;
        case 0x6A: return Mnemonic::Punpckhdq;
        case 0x6B: return Mnemonic::Packssdw;
        case 0x6E: return Mnemonic::Movd;
        case 0x6F: return Mnemonic::Movq;
        case 0x74: return Mnemonic::Pcmpeqb;
        case 0x75: return Mnemonic::Pcmpeqw;
        case 0x76: return Mnemonic::Pcmpeqd;
        case 0x77: return Mnemonic::Emms;
        case 0x7E: return Mnemonic::Movd;
        case 0x7F: return Mnemonic::Movq;
        case 0xD1: return Mnemonic::Psrlw;
        case 0xD2: return Mnemonic::Psrld;
        case 0xD3: return Mnemonic::Psrlq;
        case 0xD5: return Mnemonic::Pmullw;
        case 0xD8: return Mnemonic::Psubusb;
        case 0xD9: return Mnemonic::Psubusw;
        case 0xDB: return Mnemonic::Pand;
        case 0xDC: return Mnemonic::Paddusb;
        case 0xDD: return Mnemonic::Paddusw;
        case 0xDF: return Mnemonic::Pandn;
        case 0xE1: return Mnemonic::Psraw;
        case 0xE2: return Mnemonic::Psrad;
        case 0xE4: return Mnemonic::Pullhuw;
        case 0xE5: return Mnemonic::Pmulhw;
        case 0xE8: return Mnemonic::Psubsb;
        case 0xE9: return Mnemonic::Psubsw;
        case 0xEB: return Mnemonic::Por;
        case 0xEC: return Mnemonic::Paddsb;
        case 0xED: return Mnemonic::Paddsw;
        case 0xEF: return Mnemonic::Pxor;
        case 0xF1: return Mnemonic::Psllw;
        case 0xF2: return Mnemonic::Pslld;
        case 0xF3: return Mnemonic::Psllq;
        case 0xF5: return Mnemonic::Pmaddwd;
        case 0xF8: return Mnemonic::Psubb;
        case 0xF9: return Mnemonic::Psubw;
        case 0xFA: return Mnemonic::Psubd;
        case 0xFC: return Mnemonic::Paddb;
        case 0xFD: return Mnemonic::Paddw;
        case 0xFE: return Mnemonic::Paddd;
        default: return Mnemonic::None;
    }
}

// Shift-by-immediate groups 0F 71, 72, 73, by the ModR/M reg field.
constexpr uint16_t kShiftGroups[3][8] = {
    {Mnemonic::None, Mnemonic::None, Mnemonic::Psrlw, Mnemonic::None, Mnemonic::Psraw, Mnemonic::None,
     Mnemonic::Psllw, Mnemonic::None},
    {Mnemonic::None, Mnemonic::None, Mnemonic::Psrld, Mnemonic::None, Mnemonic::Psrad, Mnemonic::None,
     Mnemonic::Pslld, Mnemonic::None},
    {Mnemonic::None, Mnemonic::None, Mnemonic::Psrlq, Mnemonic::None, Mnemonic::None, Mnemonic::None,
     Mnemonic::Psllq, Mnemonic::None},
};
constexpr uint8_t kFirstShiftGroup = 0x71;
constexpr uint8_t kLastShiftGroup = 0x73;

// Scalar single-precision arithmetic row F3 0F 51-5F.
constexpr uint8_t kFirstScalarArithmetic = 0x51;
constexpr uint8_t kLastScalarArithmetic = 0x5F;
constexpr uint16_t kScalarArithmeticRow[15] = {
    Mnemonic::Sqrtss, Mnemonic::Rsqrtss, Mnemonic::Rcpss, Mnemonic::None,  Mnemonic::None,
    Mnemonic::None,   Mnemonic::None,    Mnemonic::Addss, Mnemonic::Mulss, Mnemonic::None,
    Mnemonic::None,   Mnemonic::Subss,   Mnemonic::Minss, Mnemonic::Divss, Mnemonic::Maxss,
};

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

bool StoreShiftGroup(const uint8_t* bytes, DecodedInstruction* record, unsigned lengthAtModRM,
                     OperandDescriptor* reg, OperandDescriptor* rm) {
    const uint8_t second = bytes[1];
    if (second < kFirstShiftGroup || second > kLastShiftGroup) return false;
    const uint16_t mnemonic = kShiftGroups[second - kFirstShiftGroup][reg->reg & 7];
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

uint16_t ScalarArithmeticMnemonic(uint8_t second) {
    if (second < kFirstScalarArithmetic || second > kLastScalarArithmetic) return Mnemonic::None;
    return kScalarArithmeticRow[second - kFirstScalarArithmetic];
}

}  // namespace

bool DecodeMmx(const uint8_t* bytes, DecodedInstruction* record, EffectiveSizes sizes) {
    if (bytes == nullptr || record == nullptr) return false;
    const uint8_t second = bytes[1];
    record->mnemonic = TwoByteMnemonic(second);
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
