#include <gtest/gtest.h>

#include "formatter/register_name.h"
#include "formatter/size_keyword.h"

namespace vexa {
namespace {

TEST(RegisterName, NamesEveryClass) {
    struct Case {
        uint8_t registerClass, number;
        const char* name;
    };
    const Case cases[] = {
        {RegisterClass::Gpr8, 0, "al"},      {RegisterClass::Gpr8, 4, "ah"},      {RegisterClass::Gpr8, 7, "bh"},
        {RegisterClass::Gpr16, 4, "sp"},     {RegisterClass::Gpr16, 7, "di"},     {RegisterClass::Gpr32, 0, "eax"},
        {RegisterClass::Gpr32, 4, "esp"},    {RegisterClass::Gpr32, 7, "edi"},    {RegisterClass::Fpu, 0, "st"},
        {RegisterClass::Fpu, 1, "st(1)"},    {RegisterClass::Fpu, 7, "st(7)"},    {RegisterClass::Mmx, 0, "mm0"},
        {RegisterClass::Control, 4, "cr4"},  {RegisterClass::Debug, 7, "dr7"},    {RegisterClass::Segment, 0, "es"},
        {RegisterClass::Segment, 5, "gs"},   {RegisterClass::Segment, 6, "?s"},   {RegisterClass::Segment, 7, "?s"},
        {RegisterClass::Xmm, 2, "xmm2"},
    };
    for (const Case& c : cases) {
        char text[8] = "stale";
        EXPECT_TRUE(FormatRegisterName(c.number, text, c.registerClass));
        EXPECT_STREQ(text, c.name) << "class " << int(c.registerClass) << " number " << int(c.number);
    }
}

TEST(RegisterName, UnknownClassWritesNothing) {
    for (uint8_t registerClass = 9; registerClass < 16; ++registerClass) {
        char text[8] = "stale";
        EXPECT_TRUE(FormatRegisterName(0, text, registerClass));
        EXPECT_STREQ(text, "stale");
    }
}

TEST(SizeKeyword, TextOfEveryCode) {
    const char* const expected[] = {
        "", "ptr ", "ptr ", "(6-bytes) ptr ", "byte ptr ", "(14-bytes) ptr ", "word ptr ", "(28-bytes) ptr ",
        "dword ptr ", "(48-bit) ptr ", "qword ptr ", "tbyte ptr ", "(108-bytes) ptr ", "ptr ",
    };
    for (uint8_t code = 0; code < std::size(expected); ++code) {
        OperandDescriptor operand{};
        operand.memorySize = code;
        char text[32] = "stale";
        EXPECT_TRUE(FormatSizeKeyword(&operand, text));
        EXPECT_STREQ(text, expected[code]) << "code " << int(code);
    }
    OperandDescriptor operand{};
    operand.memorySize = 255;
    char text[32];
    FormatSizeKeyword(&operand, text);
    EXPECT_STREQ(text, "ptr ");
}

}  // namespace
}  // namespace vexa
