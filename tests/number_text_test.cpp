#include <gtest/gtest.h>

#include <string>

#include "formatter/number_text.h"

namespace vexa {
namespace {

using Formatter = bool (*)(uint32_t, char*);

struct NumberCase {
    const char* operation;
    Formatter format;
    uint32_t value;
    const char* text;
};

#define VEXA_NUMBER_OP(name, type) \
    #name, [](uint32_t v, char* t) { return name(static_cast<type>(v), t); }

const NumberCase kNumberCases[] = {
    // Fixed width: padded, "0" in front exactly from A0, A000, A0000000 on.
    {VEXA_NUMBER_OP(FormatFixedHex8, uint8_t), 0x05, "05"},
    {VEXA_NUMBER_OP(FormatFixedHex8, uint8_t), 0x9F, "9F"},
    {VEXA_NUMBER_OP(FormatFixedHex8, uint8_t), 0xA0, "0A0"},
    {VEXA_NUMBER_OP(FormatFixedHex8, uint8_t), 0x0A, "0A"},
    {VEXA_NUMBER_OP(FormatFixedHex16, uint16_t), 0x0008, "0008"},
    {VEXA_NUMBER_OP(FormatFixedHex16, uint16_t), 0x9FFF, "9FFF"},
    {VEXA_NUMBER_OP(FormatFixedHex16, uint16_t), 0xF000, "0F000"},
    {VEXA_NUMBER_OP(FormatFixedHex32, uint32_t), 0x00123456, "00123456"},
    {VEXA_NUMBER_OP(FormatFixedHex32, uint32_t), 0x9FFFFFFF, "9FFFFFFF"},
    {VEXA_NUMBER_OP(FormatFixedHex32, uint32_t), 0xA0000000, "0A0000000"},
    // Shortest: no padding, "0" in front of a leading letter.
    {VEXA_NUMBER_OP(FormatHex8, uint8_t), 0x00, "0"},
    {VEXA_NUMBER_OP(FormatHex8, uint8_t), 0x0A, "0A"},
    {VEXA_NUMBER_OP(FormatHex8, uint8_t), 0x10, "10"},
    {VEXA_NUMBER_OP(FormatHex8, uint8_t), 0xFF, "0FF"},
    {VEXA_NUMBER_OP(FormatHex16, uint16_t), 0x0100, "100"},
    {VEXA_NUMBER_OP(FormatHex16, uint16_t), 0xC000, "0C000"},
    {VEXA_NUMBER_OP(FormatHex32, uint32_t), 0xFFFFFFFF, "0FFFFFFFF"},
    {VEXA_NUMBER_OP(FormatHex32, uint32_t), 0x12345678, "12345678"},
    {VEXA_NUMBER_OP(FormatHex32, uint32_t), 0x000B0000, "0B0000"},
    // Signed: sign always, magnitude within the width, most negative is itself.
    {VEXA_NUMBER_OP(FormatSignedHex8, uint8_t), 0x00, "+0"},
    {VEXA_NUMBER_OP(FormatSignedHex8, uint8_t), 0x0A, "+0A"},
    {VEXA_NUMBER_OP(FormatSignedHex8, uint8_t), 0x7F, "+7F"},
    {VEXA_NUMBER_OP(FormatSignedHex8, uint8_t), 0x80, "-80"},
    {VEXA_NUMBER_OP(FormatSignedHex8, uint8_t), 0xF6, "-0A"},
    {VEXA_NUMBER_OP(FormatSignedHex8, uint8_t), 0xFC, "-4"},
    {VEXA_NUMBER_OP(FormatSignedHex16, uint16_t), 0x7FFF, "+7FFF"},
    {VEXA_NUMBER_OP(FormatSignedHex16, uint16_t), 0x8000, "-8000"},
    {VEXA_NUMBER_OP(FormatSignedHex16, uint16_t), 0xFFFF, "-1"},
    {VEXA_NUMBER_OP(FormatSignedHex16, uint16_t), 0x5000, "+5000"},
    {VEXA_NUMBER_OP(FormatSignedHex32, uint32_t), 0x80000000, "-80000000"},
    {VEXA_NUMBER_OP(FormatSignedHex32, uint32_t), 0x00001000, "+1000"},
    {VEXA_NUMBER_OP(FormatSignedHex32, uint32_t), 0xFFFFFF10, "-0F0"},
    {VEXA_NUMBER_OP(FormatSignedHex32, uint32_t), 0x7FFFFFFF, "+7FFFFFFF"},
};

TEST(NumberText, MatchesTheDocumentedTexts) {
    for (const NumberCase& c : kNumberCases) {
        char text[16] = "stale";
        ASSERT_TRUE(c.format(c.value, text)) << c.operation;
        EXPECT_STREQ(text, c.text) << c.operation << " of " << std::hex << c.value;
    }
}

// The leading-zero rule over a whole width: a text never starts with a letter,
// and the digits read back as the value.
TEST(NumberText, ShortestAndSignedReadBackOverAll16BitValues) {
    for (uint32_t value = 0; value <= 0xFFFF; ++value) {
        char text[16];
        FormatHex16(static_cast<uint16_t>(value), text);
        ASSERT_TRUE(text[0] >= '0' && text[0] <= '9') << text;
        ASSERT_EQ(std::stoul(text, nullptr, 16), value);

        FormatSignedHex16(static_cast<uint16_t>(value), text);
        ASSERT_TRUE(text[1] >= '0' && text[1] <= '9') << text;
        const long magnitude = static_cast<long>(std::stoul(text + 1, nullptr, 16));
        ASSERT_EQ(text[0] == '-' ? -magnitude : magnitude, static_cast<int16_t>(value));
    }
}

}  // namespace
}  // namespace vexa
