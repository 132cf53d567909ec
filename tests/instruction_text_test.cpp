#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "decoder/mnemonic_list.h"
#include "formatter/instruction_text.h"
#include "tests/test_support.h"

namespace vexa {
namespace {

using namespace test;
namespace RC = RegisterClass;

constexpr uint8_t kLock = PrefixFlag::LockPrefix;
constexpr uint8_t kRep = RepeatFlag::RepeatPrefix | RepeatFlag::RepeatKind;
constexpr uint8_t kRepne = RepeatFlag::RepeatPrefix;

DecodedInstruction WithRepeat(DecodedInstruction d, uint8_t repeatBits) {
    d.repeatAndLength |= repeatBits;
    return d;
}

DecodedInstruction Invalidated(DecodedInstruction d) {
    d.decodeFlags |= DecodeFlag::Invalid;
    return d;
}

struct InstructionCase {
    const char* name;
    DecodedInstruction instruction;
    const char* mnemonicText;
    const char* operandText;
};

const OperandDescriptor kEsiScaledMemory =
    MemoryOperand(MemorySize::Dword, Present(RC::Gpr32, 3), Present(RC::Gpr32, 6), Scale(4), 1, 0x10);

const InstructionCase kInstructionCases[] = {
    {"lock, segment, memory and register",
     Instruction(Mnemonic::Add, {kEsiScaledMemory, RegisterOperand(RC::Gpr32, 0)}, 5,
                 kLock | SegmentPrefix(SegmentOverride::Es)),
     "lock add", "dword ptr es:[ebx+esi*4+10], eax"},
    {"invalid flag hides prefixes and operands",
     Invalidated(Instruction(Mnemonic::Add, {kEsiScaledMemory, RegisterOperand(RC::Gpr32, 0)}, 1, kLock)), "INVALID",
     ""},
    {"mnemonic 1 without the flag", Instruction(Mnemonic::Invalid, {RegisterOperand(RC::Gpr32, 0)}), "INVALID", ""},
    {"lock before rep", WithRepeat(Instruction(Mnemonic::Movsb, {}, 1, kLock), kRep), "lock rep movsb", ""},
    {"repne", WithRepeat(Instruction(Mnemonic::Cmpsb, {}), kRepne), "repne cmpsb", ""},
    {"nameless keeps prefixes and operands", Instruction(Mnemonic::None, {RegisterOperand(RC::Gpr32, 0)}, 2, kLock),
     "lock ???", "eax"},
    {"three operands, two separators",
     Instruction(Mnemonic::Imul, {RegisterOperand(RC::Gpr16, 0), RegisterOperand(RC::Gpr16, 1), ImmediateOperand(1, 0x10)}),
     "imul", "ax, cx, 10"},
    {"segment override on registers only",
     Instruction(Mnemonic::Mov, {RegisterOperand(RC::Gpr32, 0), RegisterOperand(RC::Gpr32, 1)}, 3,
                 SegmentPrefix(SegmentOverride::Fs)),
     "mov", "eax, ecx"},
    {"unknown kind keeps its separator", Instruction(Mnemonic::Push, {RegisterOperand(RC::Gpr32, 0), DispOperand(7, 1, 0)}),
     "push", "eax, "},
    {"longest mnemonic text", WithRepeat(Instruction(Mnemonic::Prefetchnta, {}, 1, kLock), kRepne),
     "lock repne prefetchnta", ""},
    {"far pointer",
     Instruction(Mnemonic::Jmp, {DispOperand(OperandKind::FarPointer, 4, 0xF000FFF0)}, 5), "jmp", "0F000:0FFF0"},
};

TEST(InstructionText, AssemblesMnemonicAndOperands) {
    for (const InstructionCase& c : kInstructionCases) {
        char mnemonicText[kInstructionTextSize] = "stale";
        char operandText[kInstructionTextSize] = "stale";
        EXPECT_TRUE(FormatInstruction(&c.instruction, mnemonicText, operandText)) << c.name;
        EXPECT_STREQ(mnemonicText, c.mnemonicText) << c.name;
        EXPECT_STREQ(operandText, c.operandText) << c.name;
    }
}

TEST(InstructionText, UnprintableOperandFailsKeepingEarlierOperands) {
    const DecodedInstruction d = Instruction(
        Mnemonic::Retn, {RegisterOperand(RC::Gpr32, 0), DispOperand(OperandKind::Constant, 3, 8), RegisterOperand(RC::Gpr32, 1)});
    char mnemonicText[kInstructionTextSize], operandText[kInstructionTextSize];
    EXPECT_FALSE(FormatInstruction(&d, mnemonicText, operandText));
    EXPECT_STREQ(mnemonicText, "retn");
    EXPECT_STREQ(operandText, "eax");
}

// Operand slots are written ahead of the count; only the counted ones may
// show in the text or fail it, whatever the others hold.
TEST(InstructionText, SlotsPastTheCountNeitherShowNorFail) {
    const OperandDescriptor unprintable = DispOperand(OperandKind::Constant, 3, 8);
    const OperandDescriptor eax = RegisterOperand(RC::Gpr32, 0);
    struct Case {
        const char* name;
        OperandDescriptor first, second;
        uint8_t count;
        bool formats;
        const char* operandText;
    };
    const Case cases[] = {
        {"no operands, unprintable slots", unprintable, unprintable, 0, true, ""},
        {"one operand, unprintable second slot", eax, unprintable, 1, true, "eax"},
        {"one operand, memory in the second slot", eax, kEsiScaledMemory, 1, true, "eax"},
        {"one unprintable operand", unprintable, eax, 1, false, ""},
        {"two operands, the second unprintable", eax, unprintable, 2, false, "eax"},
        {"two operands", kEsiScaledMemory, eax, 2, true, "dword ptr [ebx+esi*4+10], eax"},
    };
    for (const Case& c : cases) {
        DecodedInstruction d = Instruction(Mnemonic::Add, {c.first, c.second, unprintable});
        d.operandCount = c.count;
        char mnemonicText[kInstructionTextSize], operandText[kInstructionTextSize];
        EXPECT_EQ(FormatInstruction(&d, mnemonicText, operandText), c.formats) << c.name;
        EXPECT_STREQ(mnemonicText, "add") << c.name;
        EXPECT_STREQ(operandText, c.operandText) << c.name;
    }
}

// The texts are stored as whole padded words; whatever the record holds,
// nothing may land past the sizes the header documents: 23 bytes of mnemonic
// text, 137 of operand text (three operands of the longest kind, 44
// characters each, and two separators).
TEST(InstructionText, LongestTextsStayWithinTheDocumentedSizes) {
    constexpr size_t kMnemonicNeed = 23;
    constexpr size_t kOperandNeed = 137;
    const OperandDescriptor longest = MemoryOperand(MemorySize::Bytes108, Present(RC::Fpu, 1), Present(RC::Fpu, 2),
                                                    Scale(15), 4, 0x80000000);
    const char* const longestText = "(108-bytes) ptr ?s:[st(1)+st(2)*15-80000000]";
    struct Case {
        const char* name;
        DecodedInstruction instruction;
        std::string mnemonicText;
        std::string operandText;
    };
    const Case cases[] = {
        {"three longest operands",
         WithRepeat(Instruction(Mnemonic::Prefetchnta, {longest, longest, longest}, 1, kLock | SegmentPrefix(7)), kRepne),
         "lock repne prefetchnta", std::string(longestText) + ", " + longestText + ", " + longestText},
        {"short texts", Instruction(Mnemonic::Nop, {RegisterOperand(RC::Gpr8, 0)}), "nop", "al"},
        {"no operands", Instruction(Mnemonic::Cbw, {}), "cbw", ""},
    };
    for (const Case& c : cases) {
        char mnemonicText[kInstructionTextSize];
        char operandText[kInstructionTextSize];
        std::memset(mnemonicText, '#', sizeof mnemonicText);
        std::memset(operandText, '#', sizeof operandText);
        EXPECT_TRUE(FormatInstruction(&c.instruction, mnemonicText, operandText)) << c.name;
        EXPECT_EQ(mnemonicText, c.mnemonicText) << c.name;
        EXPECT_EQ(operandText, c.operandText) << c.name;
        EXPECT_EQ(std::string(mnemonicText + kMnemonicNeed, sizeof mnemonicText - kMnemonicNeed),
                  std::string(sizeof mnemonicText - kMnemonicNeed, '#'))
            << c.name;
        EXPECT_EQ(std::string(operandText + kOperandNeed, sizeof operandText - kOperandNeed),
                  std::string(sizeof operandText - kOperandNeed, '#'))
            << c.name;
    }
}

// Records the decoder never writes must not make the formatter read past the
// mnemonic list or the operand slots.
TEST(InstructionText, OutOfRangeFieldsFail) {
    DecodedInstruction beyondList = Instruction(Mnemonic::Nop, {});
    beyondList.mnemonic = kMnemonicCount;
    DecodedInstruction tooManyOperands = Instruction(Mnemonic::Nop, {});
    tooManyOperands.operandCount = 4;
    for (const DecodedInstruction& d : {beyondList, tooManyOperands}) {
        char mnemonicText[kInstructionTextSize], operandText[kInstructionTextSize];
        EXPECT_FALSE(FormatInstruction(&d, mnemonicText, operandText));
    }
}

}  // namespace
}  // namespace vexa
