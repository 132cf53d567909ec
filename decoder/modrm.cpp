#include "decoder/internal/modrm.h"

#include <cstring>

#include "decoder/internal/modrm_tables.h"

namespace vexa {
namespace {

// One addressing form: the reg field as a bare register number, the r/m
// operand as its head word and displacement (the fields a form does not
// mention are zero in the word, as in the caller's descriptor), and the SIB
// and displacement bytes added to the length.
bool DecodeAddressingForm(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                          OperandDescriptor* rmOperand, bool address32) {
    if (modrm == nullptr || record == nullptr || rmOperand == nullptr) return false;
    if (regOperand != nullptr) {
        regOperand->kind = OperandKind::Register;
        regOperand->reg = (modrm[0] >> 3) & 7;
    }
    const addressing::RmOperand rm = addressing::DecodeRm(modrm, address32);
    std::memcpy(rmOperand, &rm.head, sizeof(rm.head));
    rmOperand->disp = rm.disp;
    record->prefixFlags |= rm.flags & PrefixFlag::HasSIB;
    AddInstructionLength(*record, rm.consumed - 1);
    return true;
}

}  // namespace

bool DecodeModRM32(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                   OperandDescriptor* rmOperand) {
    return DecodeAddressingForm(modrm, record, regOperand, rmOperand, true);
}

bool DecodeModRM16(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                   OperandDescriptor* rmOperand) {
    return DecodeAddressingForm(modrm, record, regOperand, rmOperand, false);
}

bool DecodeModRM(const uint8_t* modrm, DecodedInstruction* record, OperandDescriptor* regOperand,
                 OperandDescriptor* rmOperand, bool address32) {
    if (record == nullptr) return false;
    // The ModR/M byte is counted even when there is nothing to decode it into.
    record->prefixFlags |= PrefixFlag::HasModRM;
    AddInstructionLength(*record, 1);
    return address32 ? DecodeModRM32(modrm, record, regOperand, rmOperand)
                     : DecodeModRM16(modrm, record, regOperand, rmOperand);
}

}  // namespace vexa
