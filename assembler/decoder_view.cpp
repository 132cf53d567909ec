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

namespace {

bool SameOperand(const OperandDescriptor& x, const OperandDescriptor& y) {
    return x.kind == y.kind && x.memorySize == y.memorySize && x.reg == y.reg && x.base == y.base &&
           x.index == y.index && x.scale == y.scale && x.dispSize == y.dispSize && x.disp == y.disp &&
           x.dispHigh == y.dispHigh && x.immSize == y.immSize && x.imm == y.imm;
}

}  // namespace

bool SameShownFields(const DecodedInstruction& x, const DecodedInstruction& y) {
    constexpr uint8_t kShownPrefixBits = PrefixFlag::LockPrefix | PrefixFlag::SegmentMask;
    constexpr uint8_t kRepeatBits = RepeatFlag::RepeatKind | RepeatFlag::RepeatPrefix;
    if (x.mnemonic != y.mnemonic || x.operandCount != y.operandCount || x.operandCount > 3 ||
        ((x.prefixFlags ^ y.prefixFlags) & kShownPrefixBits) != 0 ||
        ((x.repeatAndLength ^ y.repeatAndLength) & kRepeatBits) != 0 || IsInvalid(x) || IsInvalid(y)) {
        return false;
    }
    for (unsigned i = 0; i < x.operandCount; ++i) {
        if (!SameOperand(x.operands[i], y.operands[i])) return false;
        // A relative target is shown from the instruction's end.
        if (x.operands[i].kind == OperandKind::Relative && InstructionLength(x) != InstructionLength(y)) return false;
    }
    return true;
}

const char* MnemonicName(uint16_t index) { return MnemonicText(index); }
int MnemonicCount() { return kMnemonicCount; }

}  // namespace vexa::assembler
