#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "formatter/field_text.h"
#include "formatter/number_text.h"
#include "formatter/operand_text.h"
#include "formatter/register_name.h"
#include "formatter/size_keyword.h"
#include "tests/test_support.h"

namespace vexa {
namespace {

using namespace test;
namespace RC = RegisterClass;
namespace MS = MemorySize;

struct OperandCase {
    const char* name;
    OperandDescriptor operand;
    const char* text;
    unsigned length = 1;           // the instruction's, for relative targets
    uint8_t segmentOverride = 0;   // the instruction's, for memory operands
};

const OperandCase kOperandCases[] = {
    {"gpr32", RegisterOperand(RC::Gpr32, 0), "eax"},
    {"fpu top", RegisterOperand(RC::Fpu, 0), "st"},
    {"fpu 3", RegisterOperand(RC::Fpu, 3), "st(3)"},
    {"segment", RegisterOperand(RC::Segment, 4), "fs"},
    {"unknown class", RegisterOperand(12, 1), ""},

    {"base and negative disp8", MemoryOperand(MS::Dword, Present(RC::Gpr32, 5), 0, 0, 1, 0xF8), "dword ptr [ebp-8]"},
    {"segment, base, scaled index", MemoryOperand(MS::Byte, Present(RC::Gpr32, 3), Present(RC::Gpr32, 6), Scale(4), 1, 0x10),
     "byte ptr es:[ebx+esi*4+10]", 1, SegmentOverride::Es},
    {"absolute", MemoryOperand(MS::None, 0, 0, 0, 4, 0x00123456), "[00123456]"},
    {"absolute, leading letter", MemoryOperand(MS::None, 0, 0, 0, 4, 0xA0000000), "[0A0000000]"},
    {"16-bit pair", MemoryOperand(MS::None, Present(RC::Gpr16, 3), Present(RC::Gpr16, 6), 0, 1, 0x0A), "[bx+si+0A]"},
    {"index without base is signed", MemoryOperand(MS::None, 0, Present(RC::Gpr32, 6), Scale(8), 4, 0x1000),
     "[esi*8+1000]"},
    {"zero disp is shown", MemoryOperand(MS::None, Present(RC::Gpr32, 3), 0, 0, 1, 0), "[ebx+0]"},
    {"no disp", MemoryOperand(MS::Dword, Present(RC::Gpr32, 0), 0, 0, 0, 0), "dword ptr [eax]"},
    {"scale without index hidden", MemoryOperand(MS::None, Present(RC::Gpr32, 0), 0, Scale(2), 0, 0), "[eax]"},
    {"index without scale", MemoryOperand(MS::None, Present(RC::Gpr32, 0), Present(RC::Gpr32, 1), 0, 0, 0), "[eax+ecx]"},

    {"imm8", ImmediateOperand(1, 0xFF), "0FF"},
    {"imm32", ImmediateOperand(4, 0x10), "10"},
    {"imm16 uses low half", ImmediateOperand(2, 0xFFFF1234), "1234"},
    {"imm of no width", ImmediateOperand(3, 5), ""},

    {"constant", DispOperand(OperandKind::Constant, 2, 8), "0008"},
    {"constant leading letter", DispOperand(OperandKind::Constant, 2, 0xFFFF), "0FFFF"},

    {"rel8 to self", DispOperand(OperandKind::Relative, 1, 0xFE), "$+0", 2},
    {"rel32 zero", DispOperand(OperandKind::Relative, 4, 0), "$+5", 5},
    {"rel8 backwards", DispOperand(OperandKind::Relative, 1, 0x80), "$-7E", 2},
    {"rel8 sum wraps in 8 bits", DispOperand(OperandKind::Relative, 1, 0x7F), "$-7F", 2},
    {"rel16 sum wraps in 16 bits", DispOperand(OperandKind::Relative, 2, 0x7FFE), "$-7FFE", 4},
    {"rel32 backwards", DispOperand(OperandKind::Relative, 4, 0xFFFFFFF0), "$-0A", 6},

    {"far 16:32", DispOperand(OperandKind::FarPointer, 6, 0x00005678, 0x1234), "1234:00005678"},
    {"far 16:16", DispOperand(OperandKind::FarPointer, 4, 0xF000FFF0), "0F000:0FFF0"},

    {"unknown kind", DispOperand(9, 4, 1), ""},
};

TEST(OperandText, EveryKind) {
    for (const OperandCase& c : kOperandCases) {
        DecodedInstruction instruction{};
        SetInstructionLength(instruction, c.length);
        instruction.prefixFlags = SegmentPrefix(c.segmentOverride);
        char text[kOperandTextSize] = "stale";
        EXPECT_TRUE(FormatOperand(instruction, c.operand, text)) << c.name;
        EXPECT_STREQ(text, c.text) << c.name;
    }
}

TEST(OperandText, UnprintableWidthsFail) {
    const OperandDescriptor unprintable[] = {
        MemoryOperand(MS::Dword, Present(RC::Gpr32, 0), 0, 0, 3, 0),
        MemoryOperand(MS::None, 0, 0, 0, 6, 0),
        DispOperand(OperandKind::Constant, 3, 0),
        DispOperand(OperandKind::Constant, 0, 0),
        DispOperand(OperandKind::FarPointer, 2, 0),
        DispOperand(OperandKind::FarPointer, 0, 0),
    };
    const DecodedInstruction instruction{};
    for (const OperandDescriptor& operand : unprintable) {
        char text[kOperandTextSize];
        EXPECT_FALSE(FormatOperand(instruction, operand, text)) << "kind " << int(operand.kind);
    }
}

// The public appends write the text and its terminator and nothing past it,
// so callers may size their buffers for the text alone.
TEST(OperandText, AppendsWriteNothingPastTheTerminator) {
    const DecodedInstruction instruction{};
    struct Case {
        const char* text;
        char* (*append)(char* end, const DecodedInstruction& instruction);
    };
    const Case cases[] = {
        {"al", [](char* end, const DecodedInstruction& d) { return AppendOperand(end, d, RegisterOperand(RC::Gpr8, 0)); }},
        {"[bx]",
         [](char* end, const DecodedInstruction& d) {
             return AppendOperand(end, d, MemoryOperand(MS::None, Present(RC::Gpr16, 3), 0, 0, 0, 0));
         }},
        {"5", [](char* end, const DecodedInstruction& d) { return AppendOperand(end, d, ImmediateOperand(1, 5)); }},
        {"ptr ", [](char* end, const DecodedInstruction&) { return AppendSizeKeyword(end, 1); }},
        {"st", [](char* end, const DecodedInstruction&) { return AppendRegisterName(end, MakeRegisterCode(RC::Fpu, 0)); }},
        {"7", [](char* end, const DecodedInstruction&) { return AppendHex(end, 7, 1); }},
        {"-1", [](char* end, const DecodedInstruction&) { return AppendSignedHex(end, 0xFF, 0x80); }},
    };
    for (const Case& c : cases) {
        char text[32];
        std::memset(text, '#', sizeof text);
        const char* const end = c.append(text, instruction);
        const size_t length = std::strlen(c.text);
        EXPECT_EQ(end, text + length) << c.text;
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(std::string(text + length + 1, sizeof text - length - 1), std::string(sizeof text - length - 1, '#'))
            << c.text;
    }
}

TEST(FieldText, PrintsTheLowDispSizeBytes) {
    struct Case {
        uint8_t dispSize;
        const char* unsignedText;
        const char* signedText;
    };
    const Case cases[] = {{1, "0F0", "-10"}, {2, "0FFF0", "-10"}, {4, "0FFFFFFF0", "-10"}};
    for (const Case& c : cases) {
        const OperandDescriptor operand = DispOperand(OperandKind::Constant, c.dispSize, 0xFFFFFFF0);
        char text[16];
        ASSERT_TRUE(FormatUnsignedField(&operand, text));
        EXPECT_STREQ(text, c.unsignedText);
        ASSERT_TRUE(FormatSignedField(&operand, text));
        EXPECT_STREQ(text, c.signedText);
    }
}

}  // namespace
}  // namespace vexa
