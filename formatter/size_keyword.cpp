#include "formatter/size_keyword.h"

#include "formatter/padded_text.h"

namespace vexa {

// Built in a scratch buffer, as the padded writer stores 16 bytes whatever the
// keyword's length, then copied: the caller's buffer gets the keyword and its
// terminator only.
char* AppendSizeKeyword(char* end, uint8_t memorySize) {
    char scratch[16];
    return padded::CopyExact(end, scratch, padded::PutSizeKeyword(scratch, memorySize));
}

bool FormatSizeKeyword(const OperandDescriptor* operand, char* text) {
    if (operand == nullptr || text == nullptr) return false;
    AppendSizeKeyword(text, operand->memorySize);
    return true;
}

}  // namespace vexa
