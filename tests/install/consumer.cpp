// A program of another project: decodes and formats one instruction through the
// installed headers and library only. Exit code 0 when the text is right.
#include <cstdio>
#include <cstring>

#include "decoder/decoder.h"
#include "decoder/encoding_layout.h"
#include "formatter/display_lines.h"
#include "formatter/instruction_text.h"

int main() {
    const uint8_t bytes[vexa::kDecodeWindow] = {0x89, 0x40, 0x12};
    vexa::DecodedInstruction record{};
    char mnemonic[vexa::kInstructionTextSize], operands[vexa::kInstructionTextSize];
    if (!vexa::DecodeInstruction(bytes, &record, false) || !vexa::FormatInstruction(&record, mnemonic, operands)) return 1;
    std::printf("%s\t%s\n", mnemonic, operands);
    return std::strcmp(mnemonic, "mov") == 0 && std::strcmp(operands, "word ptr [bx+si+12], ax") == 0 ? 0 : 1;
}
