#include "formatter/field_text.h"

#include "formatter/number_text.h"

namespace vexa {

bool FormatUnsignedField(const OperandDescriptor* operand, char* text) {
    if (operand == nullptr || text == nullptr) return false;
    switch (operand->dispSize) {
        case 1: return FormatFixedHex8(static_cast<uint8_t>(operand->disp), text);
        case 2: return FormatFixedHex16(static_cast<uint16_t>(operand->disp), text);
        case 4: return FormatFixedHex32(operand->disp, text);
        default: return false;
    }
}

bool FormatSignedField(const OperandDescriptor* operand, char* text) {
    if (operand == nullptr || text == nullptr) return false;
    switch (operand->dispSize) {
        case 1: return FormatSignedHex8(static_cast<uint8_t>(operand->disp), text);
        case 2: return FormatSignedHex16(static_cast<uint16_t>(operand->disp), text);
        case 4: return FormatSignedHex32(operand->disp, text);
        default: return false;
    }
}

}  // namespace vexa
