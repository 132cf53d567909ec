#include "formatter/instruction_text.h"

#include <cstring>

#include "decoder/mnemonic_list.h"
#include "formatter/operand_writer.h"
#include "formatter/padded_text.h"

namespace vexa {
namespace {

constexpr unsigned kOperandSlots = sizeof(DecodedInstruction::operands) / sizeof(OperandDescriptor);

struct alignas(32) PrefixWords {
    char text[17];  // 16 are stored
    uint8_t length;
};

// By the lock bit, then the two repeat bits (prefix seen, rep rather than
// repne): one load for any mix of prefixes.
constexpr PrefixWords kPrefixWords[8] = {
    {"", 0},      {"", 0},          {"repne ", 6},       {"rep ", 4},
    {"lock ", 5}, {"lock ", 5},     {"lock repne ", 11}, {"lock rep ", 9},
};
static_assert(RepeatFlag::RepeatKind == 1 && RepeatFlag::RepeatPrefix == 2 && PrefixFlag::LockPrefix == 0x80);

// Stores 16 bytes, which the mnemonic's slot then overwrites from the end
// returned on.
char* PutPrefixWords(const DecodedInstruction& instruction, char* end) {
    const unsigned lock = instruction.prefixFlags >> 7;
    const PrefixWords& words = kPrefixWords[lock << 2 | (instruction.repeatAndLength & 3u)];
    std::memcpy(end, words.text, 16);
    return end + words.length;
}

bool CutAt(char* end) {
    *end = '\0';
    return false;
}

constexpr char kNamelessSlot[kMnemonicSlotSize] = "???";

}  // namespace

// The mnemonic text is stored as the prefix words' 16 bytes, then the whole
// zero-padded 12-byte slot of the name after them: at most 11 + 12 bytes, the
// 23 the mnemonic text may need. The operand pieces are stored as padded words
// (see operand_writer.h): each operand writes within the 44 bytes from its
// start, so three of them and their separators stay within the 137 bytes the
// longest operand text needs. The first two slots are written even when not
// counted, within 90 bytes, and no more than the counted slots when they are.
bool FormatInstruction(const DecodedInstruction* instruction, char* mnemonicText, char* operandText) {
    if (instruction == nullptr || mnemonicText == nullptr || operandText == nullptr) return false;
    const DecodedInstruction& record = *instruction;
    const uint16_t mnemonic = record.mnemonic;
    const unsigned count = record.operandCount;
    *operandText = '\0';
    // The usual record (valid, named, in range) passes three quick tests.
    const char* name;
    if (!IsInvalid(record) && static_cast<uint16_t>(mnemonic - Mnemonic::Aaa) < kMnemonicCount - Mnemonic::Aaa &&
        count <= kOperandSlots) [[likely]] {
        name = kMnemonicList[mnemonic];
    } else if (IsInvalid(record) || mnemonic == Mnemonic::Invalid) {
        std::memcpy(mnemonicText, kMnemonicList[Mnemonic::Invalid], kMnemonicSlotSize);
        return true;
    } else if (mnemonic >= kMnemonicCount || count > kOperandSlots) {
        // Values the decoder never stores; refuse them rather than read past
        // the mnemonic list or the operand slots.
        *mnemonicText = '\0';
        return false;
    } else {
        name = kNamelessSlot;
    }
    // Most instructions have no prefix words: a test is cheaper than the table.
    const bool prefixed = (record.prefixFlags & PrefixFlag::LockPrefix) != 0 || HasRepeatPrefix(record);
    char* const nameStart = prefixed ? PutPrefixWords(record, mnemonicText) : mnemonicText;
    std::memcpy(nameStart, name, kMnemonicSlotSize);

    // The first two slots are written whatever the count, and the end is
    // then picked by the count: a loop over a count that changes from one
    // record to the next is mispredicted, and a slot past the count costs
    // less (its text is cut off, its failure ignored). The separator is
    // stored after the first operand and kept when the second is counted. A
    // failing counted operand is cut off again, so the text keeps the
    // operands completed before it.
    char* const start = operandText;
    char* first = padded::PutOperand(start, record, record.operands[0]);
    if (first == nullptr) [[unlikely]] {
        if (count >= 1) return CutAt(start);
        first = start;
    }
    first[0] = ',';
    first[1] = ' ';
    char* second = padded::PutOperand(first + 2, record, record.operands[1]);
    if (second == nullptr) [[unlikely]] {
        if (count >= 2) return CutAt(first);
        second = first;
    }
    // By the count (at most 3, checked above): one load, no arithmetic on it.
    char* const ends[kOperandSlots + 1] = {start, first, second, second};
    char* end = ends[count];
    if (count > 2) [[unlikely]] {
        end[0] = ',';
        end[1] = ' ';
        char* const third = padded::PutOperand(end + 2, record, record.operands[2]);
        if (third == nullptr) return CutAt(end);
        end = third;
    }
    *end = '\0';
    return true;
}

}  // namespace vexa
