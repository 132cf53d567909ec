#include "decoder/modrm.h"

namespace vexa {
namespace {

constexpr uint8_t kGpr32Present = kRegisterPresent | (RegisterClass::Gpr32 << 3);  // 0x90
constexpr uint8_t kGpr16Present = kRegisterPresent | (RegisterClass::Gpr16 << 3);  // 0x88

// 16-bit addressing combinations by r/m: bx+si, bx+di, bp+si, bp+di, si, di, bp, bx.
constexpr uint8_t ModRM16BaseTable[8] = {
    kGpr16Present | 3, kGpr16Present | 3, kGpr16Present | 5, kGpr16Present | 5, 0, 0, kGpr16Present | 5,
    kGpr16Present | 3,
};
constexpr uint8_t ModRM16IndexTable[8] = {
    kGpr16Present | 6, kGpr16Present | 7, kGpr16Present | 6, kGpr16Present | 7, kGpr16Present | 6,
    kGpr16Present | 7, 0, 0,
};

}  // namespace

bool DecodeModRM32(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                   OperandDescriptor* rmOperand) {
    if (modrm == nullptr || record == nullptr || rmOperand == nullptr) return false;
    const uint8_t mod = modrm[0] >> 6;
    const uint8_t rm = modrm[0] & 7;
    if (regOperand != nullptr) {
        regOperand->kind = OperandKind::Register;
        regOperand->reg = (modrm[0] >> 3) & 7;
    }
    if (mod == 3) {
        rmOperand->kind = OperandKind::Register;
        rmOperand->reg = rm;
        return true;
    }
    rmOperand->kind = OperandKind::Memory;
    unsigned consumed = 0;
    if (mod == 0 && rm == 5) {
        rmOperand->dispSize = 4;
    } else {
        rmOperand->base = kGpr32Present | rm;
        rmOperand->dispSize = mod == 1 ? 1 : (mod == 2 ? 4 : 0);
    }
    const uint8_t* dispBytes = modrm + 1;
    if (rm == 4) {
        record->prefixFlags |= PrefixFlag::HasSIB;
        consumed += 1;
        const uint8_t sib = modrm[1];
        const uint8_t scaleBits = sib >> 6;
        const uint8_t index = (sib >> 3) & 7;
        const uint8_t base = sib & 7;
        if (index != 4) {
            rmOperand->index = kGpr32Present | index;
            rmOperand->scale = scaleBits == 0 ? 0 : static_cast<uint8_t>(kScalePresent | (1u << scaleBits));
        }
        if (base == 5 && mod == 0) {
            rmOperand->base = 0;
            rmOperand->dispSize = 4;
        } else {
            rmOperand->base = kGpr32Present | base;
        }
        dispBytes = modrm + 2;
    }
    consumed += rmOperand->dispSize;
    rmOperand->disp = ReadLittleEndian(dispBytes, rmOperand->dispSize);
    AddInstructionLength(*record, consumed);
    return true;
}

bool DecodeModRM16(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                   OperandDescriptor* rmOperand) {
    if (modrm == nullptr || record == nullptr || rmOperand == nullptr) return false;
    const uint8_t mod = modrm[0] >> 6;
    const uint8_t rm = modrm[0] & 7;
    if (regOperand != nullptr) {
        regOperand->kind = OperandKind::Register;
        regOperand->reg = (modrm[0] >> 3) & 7;
    }
    if (mod == 3) {
        rmOperand->kind = OperandKind::Register;
        rmOperand->reg = rm;
        return true;
    }
    rmOperand->kind = OperandKind::Memory;
    if (mod == 0 && rm == 6) {
        rmOperand->dispSize = 2;
    } else {
        rmOperand->base = ModRM16BaseTable[rm];
        rmOperand->index = ModRM16IndexTable[rm];
        rmOperand->dispSize = mod == 1 ? 1 : (mod == 2 ? 2 : 0);
    }
    rmOperand->disp = ReadLittleEndian(modrm + 1, rmOperand->dispSize);
    AddInstructionLength(*record, rmOperand->dispSize);
    return true;
}

bool DecodeModRM(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                 OperandDescriptor* rmOperand, bool address32) {
    const bool ok = address32 ? DecodeModRM32(modrm, record, regOperand, rmOperand)
                              : DecodeModRM16(modrm, record, regOperand, rmOperand);
    if (record != nullptr) {
        record->prefixFlags |= PrefixFlag::HasModRM;
        AddInstructionLength(*record, 1);
    }
    return ok;
}

}  // namespace vexa
