#include "decoder/decoded_instruction.h"

#include <cstring>
#include <initializer_list>

namespace vexa {

uint8_t mode32 = 1;

void ResetRecord(DecodedInstruction* record) { std::memset(record, 0, sizeof(*record)); }

bool StoreOperands(DecodedInstruction* record, const OperandDescriptor* first, const OperandDescriptor* second,
                   const OperandDescriptor* third) {
    if (record == nullptr || (first == nullptr && second == nullptr && third == nullptr)) return false;
    uint8_t count = 0;
    for (const OperandDescriptor* operand : {first, second, third}) {
        if (operand != nullptr) record->operands[count++] = *operand;
    }
    record->operandCount = count;
    return true;
}

bool SetRegisterSize(uint8_t* reg, bool operand32, bool wide) {
    if (reg == nullptr) return false;
    if (wide) *reg |= MakeRegisterCode(operand32 ? RegisterClass::Gpr32 : RegisterClass::Gpr16, 0);
    return true;
}

bool SetMemorySize(uint8_t* memorySize, bool operand32, bool wide) {
    if (memorySize == nullptr) return false;
    *memorySize = !wide ? MemorySize::Byte : (operand32 ? MemorySize::Dword : MemorySize::Word);
    return true;
}

bool SetOperandSize(OperandDescriptor* operand, bool operand32, bool wide) {
    if (operand == nullptr) return false;
    if (operand->kind != OperandKind::Register) return SetMemorySize(&operand->memorySize, operand32, wide);
    return SetRegisterSize(&operand->reg, operand32, wide);
}

bool SignExtendImm8(int8_t value, uint32_t* imm, bool to16) {
    if (imm == nullptr) return false;
    const int32_t widened = value;
    *imm = to16 ? static_cast<uint16_t>(widened) : static_cast<uint32_t>(widened);
    return true;
}

}  // namespace vexa
