#include "decoder/internal/modrm.h"

#include <cstring>

#include "decoder/internal/modrm_tables.h"

namespace vexa {
namespace {

void DecodeRegField(uint8_t modrm, OperandDescriptor* regOperand) {
    if (regOperand == nullptr) return;
    regOperand->kind = OperandKind::Register;
    regOperand->reg = (modrm >> 3) & 7;
}

// Stores the r/m operand's head word and displacement; the fields a form does
// not mention are zero in the word, as they are in the caller's descriptor.
// Returns the bytes consumed after the ModR/M byte.
unsigned StoreRm(const addressing::RmOperand& rm, OperandDescriptor& operand, uint8_t& prefixFlags) {
    std::memcpy(&operand, &rm.head, sizeof(rm.head));
    operand.disp = rm.disp;
    prefixFlags |= rm.flags;
    return rm.consumed - 1;
}

}  // namespace

bool DecodeModRM32(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                   OperandDescriptor* rmOperand) {
    if (modrm == nullptr || record == nullptr || rmOperand == nullptr) return false;
    DecodeRegField(modrm[0], regOperand);
    AddInstructionLength(*record, StoreRm(addressing::DecodeRm32(modrm), *rmOperand, record->prefixFlags));
    return true;
}

bool DecodeModRM16(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                   OperandDescriptor* rmOperand) {
    if (modrm == nullptr || record == nullptr || rmOperand == nullptr) return false;
    DecodeRegField(modrm[0], regOperand);
    AddInstructionLength(*record, StoreRm(addressing::DecodeRm16(modrm), *rmOperand, record->prefixFlags));
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
        consumed += StoreRm(addressing::DecodeRm(modrm, address32), *rmOperand, record->prefixFlags);
    }
    AddInstructionLength(*record, consumed);
    return ok;
}

}  // namespace vexa
