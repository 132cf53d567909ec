#include "decoder/modrm.h"

#include <array>

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

// Displacement width by mod (mod 0 has none, save the special cases).
constexpr uint8_t kDisp32ByMod[3] = {0, 1, 4};
constexpr uint8_t kDisp16ByMod[3] = {0, 1, 2};

void DecodeRegField(uint8_t modrm, OperandDescriptor* regOperand) {
    if (regOperand == nullptr) return;
    regOperand->kind = OperandKind::Register;
    regOperand->reg = (modrm >> 3) & 7;
}

// The displacement read as one whole word, keeping its `size` (0, 1, 2 or 4)
// low bytes: no branch on the width. The word lies within the six bytes from
// the ModR/M byte that its longest form (SIB and a 4-byte displacement) takes.
uint32_t ReadDisplacement(const uint8_t* bytes, unsigned size) {
    static constexpr uint32_t kMasks[5] = {0, 0xFF, 0xFFFF, 0xFFFFFF, 0xFFFFFFFF};
    return ReadLittleEndian(bytes, 4) & kMasks[size];
}

// What a ModR/M byte alone says about the r/m operand in 32-bit addressing:
// one table lookup instead of branches on mod and r/m, which follow the code
// and cannot be predicted.
struct Rm32Form {
    uint8_t kind;
    uint8_t reg;       // register forms
    uint8_t base;      // memory forms; the SIB byte may replace it
    uint8_t dispSize;  // the SIB byte may replace it
    bool sib;
};

constexpr Rm32Form MakeRm32Form(uint8_t modrm) {
    const uint8_t mod = modrm >> 6;
    const uint8_t r = modrm & 7;
    if (mod == 3) return {OperandKind::Register, r, 0, 0, false};
    if (mod == 0 && r == 5) return {OperandKind::Memory, 0, 0, 4, false};  // disp32 alone
    return {OperandKind::Memory, 0, static_cast<uint8_t>(kGpr32Present | r), kDisp32ByMod[mod], r == 4};
}

constexpr std::array<Rm32Form, 256> kRm32Forms = [] {
    std::array<Rm32Form, 256> forms{};
    for (unsigned modrm = 0; modrm < 256; ++modrm) forms[modrm] = MakeRm32Form(static_cast<uint8_t>(modrm));
    return forms;
}();

// The r/m operand in 32-bit addressing. Returns the SIB and displacement bytes
// it consumed after the ModR/M byte; sets hasSIB in `prefixFlags`.
unsigned DecodeRm32(const uint8_t* modrm, OperandDescriptor& rm, uint8_t& prefixFlags) {
    const Rm32Form& form = kRm32Forms[modrm[0]];
    rm.kind = form.kind;
    rm.reg = form.reg;
    rm.base = form.base;
    rm.dispSize = form.dispSize;
    if (!form.sib) {
        rm.disp = ReadDisplacement(modrm + 1, rm.dispSize);
        return rm.dispSize;
    }
    prefixFlags |= PrefixFlag::HasSIB;
    const uint8_t sib = modrm[1];
    const uint8_t scaleBits = sib >> 6;
    const uint8_t index = (sib >> 3) & 7;
    const uint8_t base = sib & 7;
    if (index != 4) {
        rm.index = kGpr32Present | index;
        rm.scale = scaleBits == 0 ? 0 : static_cast<uint8_t>(kScalePresent | (1u << scaleBits));
    }
    if (base == 5 && (modrm[0] >> 6) == 0) {
        rm.base = 0;
        rm.dispSize = 4;
    } else {
        rm.base = kGpr32Present | base;
    }
    rm.disp = ReadDisplacement(modrm + 2, rm.dispSize);
    return 1u + rm.dispSize;
}

// The r/m operand in 16-bit addressing; returns the displacement bytes consumed.
unsigned DecodeRm16(const uint8_t* modrm, OperandDescriptor& rm) {
    const uint8_t mod = modrm[0] >> 6;
    const uint8_t r = modrm[0] & 7;
    if (mod == 3) {
        rm.kind = OperandKind::Register;
        rm.reg = r;
        return 0;
    }
    rm.kind = OperandKind::Memory;
    if (mod == 0 && r == 6) {
        rm.dispSize = 2;
    } else {
        rm.base = ModRM16BaseTable[r];
        rm.index = ModRM16IndexTable[r];
        rm.dispSize = kDisp16ByMod[mod];
    }
    rm.disp = ReadDisplacement(modrm + 1, rm.dispSize);
    return rm.dispSize;
}

}  // namespace

bool DecodeModRM32(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                   OperandDescriptor* rmOperand) {
    if (modrm == nullptr || record == nullptr || rmOperand == nullptr) return false;
    DecodeRegField(modrm[0], regOperand);
    AddInstructionLength(*record, DecodeRm32(modrm, *rmOperand, record->prefixFlags));
    return true;
}

bool DecodeModRM16(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                   OperandDescriptor* rmOperand) {
    if (modrm == nullptr || record == nullptr || rmOperand == nullptr) return false;
    DecodeRegField(modrm[0], regOperand);
    AddInstructionLength(*record, DecodeRm16(modrm, *rmOperand));
    return true;
}

bool DecodeModRM(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                 OperandDescriptor* rmOperand, bool address32) {
    if (record == nullptr) return false;
    // The ModR/M byte is counted even when there is nothing to decode it into.
    record->prefixFlags |= PrefixFlag::HasModRM;
    const bool ok = modrm != nullptr && rmOperand != nullptr;
    unsigned consumed = 1;
    if (ok) {
        DecodeRegField(modrm[0], regOperand);
        consumed += address32 ? DecodeRm32(modrm, *rmOperand, record->prefixFlags) : DecodeRm16(modrm, *rmOperand);
    }
    AddInstructionLength(*record, consumed);
    return ok;
}

}  // namespace vexa
