#include "formatter/instruction_text.h"

#include <cstring>

#include "decoder/mnemonic_list.h"
#include "formatter/operand_text.h"
#include "formatter/text_append.h"

namespace vexa {
namespace {

constexpr unsigned kOperandSlots = sizeof(DecodedInstruction::operands) / sizeof(OperandDescriptor);

char* AppendPrefixWords(const DecodedInstruction& instruction, char* end) {
    if ((instruction.prefixFlags & PrefixFlag::LockPrefix) != 0) end = AppendShort(end, "lock ", 5);
    if (HasRepeatPrefix(instruction)) end = RepeatIsRep(instruction) ? AppendShort(end, "rep ", 4) : AppendShort(end, "repne ", 6);
    return end;
}

// The whole zero-padded slot is copied: at most 12 bytes, which the longest
// mnemonic text (11 bytes of prefix words, then the slot) still holds.
void AppendMnemonic(char* end, uint16_t mnemonic) {
    if (mnemonic == Mnemonic::None) {
        std::memcpy(end, "???", 4);
    } else {
        std::memcpy(end, kMnemonicList[mnemonic], kMnemonicSlotSize);
    }
}

}  // namespace

bool FormatInstruction(const DecodedInstruction* instruction, char* mnemonicText, char* operandText) {
    if (instruction == nullptr || mnemonicText == nullptr || operandText == nullptr) return false;
    *mnemonicText = '\0';
    *operandText = '\0';
    if (IsInvalid(*instruction) || instruction->mnemonic == Mnemonic::Invalid) {
        AppendMnemonic(mnemonicText, Mnemonic::Invalid);
        return true;
    }
    // Values the decoder never stores; refuse them rather than read past the
    // mnemonic list or the operand slots.
    if (instruction->mnemonic >= kMnemonicCount || instruction->operandCount > kOperandSlots) return false;

    AppendMnemonic(AppendPrefixWords(*instruction, mnemonicText), instruction->mnemonic);

    // Operands are written in place; a failing one is cut off again, so the
    // text keeps the operands completed before it.
    char* end = operandText;
    for (unsigned i = 0; i < instruction->operandCount; ++i) {
        char* start = end;
        if (i > 0) {
            start[0] = ',';
            start[1] = ' ';
            start += 2;
        }
        char* const next = AppendOperand(start, *instruction, instruction->operands[i]);
        if (next == nullptr) {
            *end = '\0';
            return false;
        }
        end = next;
    }
    return true;
}

}  // namespace vexa
