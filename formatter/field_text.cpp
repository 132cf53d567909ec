#include "formatter/field_text.h"

#include "formatter/number_text.h"

namespace vexa {

char* AppendUnsignedField(char* end, const OperandDescriptor& operand) {
    switch (operand.dispSize) {
        case 1: return AppendHex(end, static_cast<uint8_t>(operand.disp), 2);
        case 2: return AppendHex(end, static_cast<uint16_t>(operand.disp), 4);
        case 4: return AppendHex(end, operand.disp, 8);
        default: return nullptr;
    }
}

char* AppendSignedField(char* end, const OperandDescriptor& operand) {
    switch (operand.dispSize) {
        case 1: return AppendSignedHex(end, static_cast<uint8_t>(operand.disp), 0x80u);
        case 2: return AppendSignedHex(end, static_cast<uint16_t>(operand.disp), 0x8000u);
        case 4: return AppendSignedHex(end, operand.disp, 0x80000000u);
        default: return nullptr;
    }
}

bool FormatUnsignedField(const OperandDescriptor* operand, char* text) {
    return operand != nullptr && text != nullptr && AppendUnsignedField(text, *operand) != nullptr;
}

bool FormatSignedField(const OperandDescriptor* operand, char* text) {
    return operand != nullptr && text != nullptr && AppendSignedField(text, *operand) != nullptr;
}

}  // namespace vexa
