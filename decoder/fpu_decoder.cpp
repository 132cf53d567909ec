#include "decoder/fpu_decoder.h"

namespace vexa {

// Not decoded yet: every escape is refused (the caller records it as invalid).
bool DecodeFpuEscape(const uint8_t* bytes, DecodedInstruction* record, EffectiveSizes) {
    if (bytes == nullptr || record == nullptr) return false;
    record->prefixFlags |= PrefixFlag::HasModRM;
    return false;
}

bool MakeFpuRegister(OperandDescriptor* operand, uint8_t i) {
    if (operand == nullptr) return false;
    operand->kind = OperandKind::Register;
    operand->reg = MakeRegisterCode(RegisterClass::Fpu, i);
    return true;
}

}  // namespace vexa
