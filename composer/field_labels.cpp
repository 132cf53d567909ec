#include "composer/field_labels.h"

namespace vexa {
namespace {

constexpr uint8_t kTwoByteEscapeClass = 24;

constexpr FieldLabelRow kNoLabels{};
// Fields of the first code byte (slots 0-4 = its bits 0-4).
constexpr FieldLabelRow kWidth{"w"};
constexpr FieldLabelRow kWidthDirection{"w", "d"};
constexpr FieldLabelRow kWidthSignExtend{"w", "s"};
constexpr FieldLabelRow kDirection{nullptr, "d"};
constexpr FieldLabelRow kSignExtend{nullptr, "s"};
constexpr FieldLabelRow kSegmentRegister{nullptr, nullptr, nullptr, "r", "s"};
constexpr FieldLabelRow kCondition{"n", "t", "t", "t"};
constexpr FieldLabelRow kRegister{"g", "e", "r"};
constexpr FieldLabelRow kWidthRegister{"g", "e", "r", "w"};
// Fields of the second code byte (slots 5-10 = its bits 0-5).
constexpr FieldLabelRow kTwoByteRegister{nullptr, nullptr, nullptr, nullptr, nullptr, "g", "e", "r"};
constexpr FieldLabelRow kTwoByteDirection{nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "d"};
constexpr FieldLabelRow kTwoByteSegmentRegister{nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                nullptr, nullptr, "3",     "r",     "s"};
constexpr FieldLabelRow kTwoByteWidth{nullptr, nullptr, nullptr, nullptr, nullptr, "w"};
constexpr FieldLabelRow kTwoByteCondition{nullptr, nullptr, nullptr, nullptr, nullptr, "n", "t", "t", "t"};

// By opcode class 0-28.
constexpr std::array<const FieldLabelRow*, 29> kByOpcodeClass{
    &kNoLabels,          // 0 prefix
    &kNoLabels,          // 1
    &kWidthDirection,    // 2 ALU r/m,reg and mov r/m,reg
    &kNoLabels,          // 3
    &kWidth,             // 4 mov r/m,imm
    &kWidth,             // 5 in/out imm8
    &kSegmentRegister,   // 6 push/pop segment register
    &kNoLabels,          // 7
    &kWidthSignExtend,   // 8 ALU group r/m,imm
    &kWidth,             // 9 shift group, F6/F7 group
    &kWidth,             // 10 string instructions, in/out dx
    &kWidth,             // 11 ALU accumulator,imm
    &kNoLabels,          // 12
    &kCondition,         // 13 jcc rel8
    &kNoLabels,          // 14
    &kNoLabels,          // 15
    &kNoLabels,          // 16
    &kWidth,             // 17 shift group by imm8
    &kNoLabels,          // 18
    &kWidthRegister,     // 19 mov reg,imm
    &kWidthDirection,    // 20 mov accumulator,moffs
    &kDirection,         // 21 mov segment register
    &kSignExtend,        // 22 push imm
    &kSignExtend,        // 23 imul reg,r/m,imm
    &kNoLabels,          // 24 0Fh escape: by the second byte's class
    &kNoLabels,          // 25
    &kRegister,          // 26 inc/dec/push/pop/xchg reg
    &kNoLabels,          // 27
    &kWidth,             // 28 test/xchg r/m,reg
};

// By the second byte's class 0-13.
constexpr std::array<const FieldLabelRow*, 14> kByTwoByteClass{
    &kTwoByteRegister,         // 0 bswap
    &kNoLabels,                // 1
    &kTwoByteDirection,        // 2 mov control/debug register
    &kTwoByteSegmentRegister,  // 3 push/pop fs/gs
    &kNoLabels,                // 4
    &kTwoByteWidth,            // 5 cmpxchg, movzx/movsx, xadd
    &kNoLabels,                // 6
    &kTwoByteCondition,        // 7 cmovcc
    &kTwoByteCondition,        // 8 jcc rel16/32
    &kTwoByteCondition,        // 9 setcc
    &kNoLabels,                // 10
    &kNoLabels,                // 11
    &kNoLabels,                // 12
    &kNoLabels,                // 13
};

}  // namespace

const FieldLabelRow& FieldLabelsFor(uint8_t opcodeClass, uint8_t subClass) {
    if (opcodeClass >= kByOpcodeClass.size()) return kNoLabels;
    if (opcodeClass != kTwoByteEscapeClass) return *kByOpcodeClass[opcodeClass];
    return subClass < kByTwoByteClass.size() ? *kByTwoByteClass[subClass] : kNoLabels;
}

void SetFieldLabel(ComposerView& view, unsigned slot, const char* text) {
    if (slot >= kFieldLabelSlots || text == nullptr) return;
    view.ShowFieldLabel(slot, text);
}

void ClearFieldLabels(ComposerView& view) {
    for (unsigned slot = 0; slot < kFieldLabelSlots; ++slot) SetFieldLabel(view, slot, "");
}

void SetFieldLabels(ComposerView& view, uint8_t opcodeClass, uint8_t subClass) {
    const FieldLabelRow& row = FieldLabelsFor(opcodeClass, subClass);
    for (unsigned slot = 0; slot < kFieldLabelSlots; ++slot) SetFieldLabel(view, slot, row[slot]);
}

}  // namespace vexa
