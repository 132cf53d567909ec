#include "formatter/operand_text.h"

#include "formatter/operand_writer.h"
#include "formatter/padded_text.h"

namespace vexa {

// Built in a scratch buffer, as the padded writer may store past the text's
// end, then copied: the caller's buffer gets the text and its terminator only.
char* AppendOperand(char* end, const DecodedInstruction& instruction, const OperandDescriptor& operand) {
    char scratch[kOperandTextSize];
    const char* const scratchEnd = padded::PutOperand(scratch, instruction, operand);
    if (scratchEnd == nullptr) {
        *end = '\0';
        return nullptr;
    }
    return padded::CopyExact(end, scratch, scratchEnd);
}

bool FormatOperand(const DecodedInstruction& instruction, const OperandDescriptor& operand, char* text) {
    *text = '\0';
    return AppendOperand(text, instruction, operand) != nullptr;
}

}  // namespace vexa
