#include "assembler/decoder_view.h"

#include <cstring>

#include "decoder/mnemonic_list.h"
#include "formatter/instruction_text.h"

namespace vexa::assembler {

bool FormatLine(const DecodedInstruction& record, char* line) {
    char mnemonicText[kInstructionTextSize];
    char operandText[kInstructionTextSize];
    if (!FormatInstruction(&record, mnemonicText, operandText)) return false;
    const size_t m = std::strlen(mnemonicText);
    const size_t o = std::strlen(operandText);
    if (m + 1 + o >= kLineSize) return false;
    std::memcpy(line, mnemonicText, m);
    line[m] = '\t';
    std::memcpy(line + m + 1, operandText, o + 1);
    return true;
}

bool DecodeNamed(const uint8_t* window, bool is32BitMode, DecodedInstruction& record, char* line) {
    record = DecodedInstruction{};
    if (!DecodeInstruction(window, &record, is32BitMode)) return false;
    if (IsInvalid(record) || record.mnemonic <= Mnemonic::Invalid) return false;
    return FormatLine(record, line);
}

const char* MnemonicName(uint16_t index) { return MnemonicText(index); }
int MnemonicCount() { return kMnemonicCount; }

}  // namespace vexa::assembler
