#include <gtest/gtest.h>

#include <cstring>

#include "decoder/mnemonic_list.h"
#include "formatter/display_lines.h"
#include "tests/test_support.h"

namespace vexa {
namespace {

using namespace test;
namespace RC = RegisterClass;

struct Lines {
    bool ok;
    char instruction[kDisplayLineSize];
    char bytes[kDisplayLineSize];
};

Lines Build(std::initializer_list<uint8_t> bytes, const DecodedInstruction& record, bool decodeOk, bool upperCase) {
    const auto window = Window(bytes);
    Lines lines{};
    lines.ok = BuildDisplayLines(window.data(), record, decodeOk, upperCase, lines.instruction, lines.bytes);
    return lines;
}

const DecodedInstruction kMovToMemory =
    Instruction(Mnemonic::Mov, {MemoryOperand(MemorySize::Word, Present(RC::Gpr16, 3), Present(RC::Gpr16, 6), 0, 1, 0x12),
                                RegisterOperand(RC::Gpr16, 0)},
                3);

TEST(DisplayLines, UpperCaseChangesOnlyLettersOfTheInstructionLine) {
    const DecodedInstruction d = Instruction(
        Mnemonic::Add, {MemoryOperand(MemorySize::Dword, Present(RC::Gpr32, 3), 0, 0, 1, 0xF8), ImmediateOperand(1, 0xAB)},
        3, PrefixFlag::LockPrefix | SegmentPrefix(SegmentOverride::Es));
    const Lines lines = Build({0xF0, 0x26, 0xab}, d, true, true);
    EXPECT_STREQ(lines.instruction, "LOCK ADD\tDWORD PTR ES:[EBX-8], 0AB");
    EXPECT_STREQ(lines.bytes, "F0 26 AB ");
}

TEST(DisplayLines, FailuresShowTheErrorTextUnchangedAndNoBytes) {
    DecodedInstruction unprintable = Instruction(Mnemonic::Retn, {DispOperand(OperandKind::Constant, 3, 0)}, 3);
    const struct {
        const char* name;
        DecodedInstruction record;
        bool decodeOk;
    } cases[] = {{"decode failed", kMovToMemory, false}, {"format failed", unprintable, true}};
    for (const auto& c : cases) {
        for (bool upperCase : {false, true}) {
            const Lines lines = Build({0x89, 0x40, 0x12}, c.record, c.decodeOk, upperCase);
            EXPECT_FALSE(lines.ok) << c.name;
            EXPECT_STREQ(lines.instruction, "Decode error!!!") << c.name;
            EXPECT_STREQ(lines.bytes, "") << c.name;
        }
    }
}

// The length field holds up to 31; the bytes line stops at the window's end.
TEST(DisplayLines, BytesLineNeverReadsPastTheWindow) {
    DecodedInstruction d = Instruction(Mnemonic::Nop, {});
    SetInstructionLength(d, 31);
    const Lines lines = Build({0x90}, d, true, false);
    EXPECT_EQ(std::strlen(lines.bytes), 3 * kDecodeWindow);
}

}  // namespace
}  // namespace vexa
