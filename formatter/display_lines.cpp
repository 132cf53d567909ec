#include "formatter/display_lines.h"

#include <cstring>

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

char* BuildInstructionLine(const DecodedInstruction& record, bool decodeOk, bool upperCase, char* line) {
    // The mnemonic text goes straight into the line, the operand text after its tab.
    char operandText[kInstructionTextSize];
    static_assert(kInstructionTextSize <= kDisplayLineSize);
    if (!decodeOk || !FormatInstruction(&record, line, operandText)) {
        *line = '\0';
        AppendText(line, kDecodeErrorText);
        return nullptr;
    }
    char* end = line + std::strlen(line);
    *end++ = '\t';
    const size_t operandLength = std::strlen(operandText);
    std::memcpy(end, operandText, operandLength + 1);
    if (upperCase) ToUpperAscii(line);
    return end + operandLength;
}

bool BuildDisplayLines(const uint8_t* bytes, const DecodedInstruction& record, bool decodeOk, bool upperCase,
                       char* instructionLine, char* bytesLine) {
    *bytesLine = '\0';
    if (BuildInstructionLine(record, bytes != nullptr && decodeOk, upperCase, instructionLine) == nullptr) return false;
    BuildBytesLine(bytes, InstructionLength(record), bytesLine);
    return true;
}

}  // namespace vexa
