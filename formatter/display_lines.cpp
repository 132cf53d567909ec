#include "formatter/display_lines.h"

#include "decoder/decoder.h"
#include "formatter/instruction_text.h"
#include "formatter/text_append.h"

namespace vexa {

void BuildBytesLine(const uint8_t* bytes, unsigned count, char* bytesLine) {
    constexpr char kHexDigits[] = "0123456789ABCDEF";
    // The record's length field can hold up to 31; never read past the window.
    if (count > kDecodeWindow) count = kDecodeWindow;
    char* end = bytesLine;
    for (unsigned i = 0; i < count; ++i) {
        *end++ = kHexDigits[bytes[i] >> 4];
        *end++ = kHexDigits[bytes[i] & 0x0F];
        *end++ = ' ';
    }
    *end = '\0';
}

void ToUpperAscii(char* text) {
    for (; *text != '\0'; ++text) {
        if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
    }
}

bool BuildDisplayLines(const uint8_t* bytes, const DecodedInstruction& record, bool decodeOk, bool upperCase,
                       char* instructionLine, char* bytesLine) {
    *instructionLine = '\0';
    *bytesLine = '\0';
    char mnemonicText[kInstructionTextSize];
    char operandText[kInstructionTextSize];
    if (bytes == nullptr || !decodeOk || !FormatInstruction(&record, mnemonicText, operandText)) {
        AppendText(instructionLine, kDecodeErrorText);
        return false;
    }
    AppendText(AppendChar(AppendText(instructionLine, mnemonicText), '\t'), operandText);
    if (upperCase) ToUpperAscii(instructionLine);
    BuildBytesLine(bytes, InstructionLength(record), bytesLine);
    return true;
}

}  // namespace vexa
