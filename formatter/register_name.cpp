#include "formatter/register_name.h"

#include "decoder/decoded_instruction.h"
#include "formatter/padded_text.h"

namespace vexa {

// Built in a scratch word, as the padded writer stores 8 bytes whatever the
// name's length, then copied: the caller's buffer gets the name and its
// terminator only.
char* AppendRegisterName(char* end, uint8_t code) {
    char scratch[8];
    return padded::CopyExact(end, scratch, padded::PutRegisterName(scratch, code));
}

bool FormatRegisterName(uint8_t number, char* text, uint8_t registerClass) {
    if (registerClass <= RegisterClass::Xmm) AppendRegisterName(text, MakeRegisterCode(registerClass, number));
    return true;
}

}  // namespace vexa
