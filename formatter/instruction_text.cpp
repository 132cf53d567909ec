#include "formatter/instruction_text.h"

#include "decoder/mnemonic_list.h"
#include "formatter/operand_text.h"
#include "formatter/text_append.h"

namespace vexa {
namespace {

constexpr unsigned kOperandSlots = sizeof(DecodedInstruction::operands) / sizeof(OperandDescriptor);

char* AppendPrefixWords(const DecodedInstruction& instruction, char* end) {
    if ((instruction.prefixFlags & PrefixFlag::LockPrefix) != 0) end = AppendText(end, "lock ");
    if (HasRepeatPrefix(instruction)) end = AppendText(end, RepeatIsRep(instruction) ? "rep " : "repne ");
    return end;
}

}  // namespace

bool FormatInstruction(const DecodedInstruction* instruction, char* mnemonicText, char* operandText) {
    if (instruction == nullptr || mnemonicText == nullptr || operandText == nullptr) return false;
    *mnemonicText = '\0';
    *operandText = '\0';
    if (IsInvalid(*instruction) || instruction->mnemonic == Mnemonic::Invalid) {
        AppendText(mnemonicText, kMnemonicList[Mnemonic::Invalid]);
        return true;
    }
    // Values the decoder never stores; refuse them rather than read past the
    // mnemonic list or the operand slots.
    if (instruction->mnemonic >= kMnemonicCount || instruction->operandCount > kOperandSlots) return false;

    char* mnemonicEnd = AppendPrefixWords(*instruction, mnemonicText);
    AppendText(mnemonicEnd, instruction->mnemonic == Mnemonic::None ? "???" : kMnemonicList[instruction->mnemonic]);

    char* operandEnd = operandText;
    char operand[kOperandTextSize];
    for (unsigned i = 0; i < instruction->operandCount; ++i) {
        if (!FormatOperand(*instruction, instruction->operands[i], operand)) return false;
        if (i > 0) operandEnd = AppendText(operandEnd, ", ");
        operandEnd = AppendText(operandEnd, operand);
    }
    return true;
}

}  // namespace vexa
