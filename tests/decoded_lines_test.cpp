#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "formatter/display_lines.h"
#include "test_support.h"

namespace vexa {
namespace {

using test::Window;

struct LinesCase {
    bool is32BitMode;
    std::initializer_list<uint8_t> bytes;
    const char* instructionLine;
    const char* bytesLine;
};

// Byte strings through the decoder and the formatter to the workbench's lines.
const LinesCase kLinesCases[] = {
    {false, {0x89, 0x40, 0x12}, "mov\tword ptr [bx+si+12], ax", "89 40 12 "},
    {true, {0x66, 0x89, 0x40, 0x12}, "mov\tword ptr [eax+12], ax", "66 89 40 12 "},
    {true, {0xF0, 0x26, 0x01, 0x44, 0xB3, 0x10}, "lock add\tdword ptr es:[ebx+esi*4+10], eax", "F0 26 01 44 B3 10 "},
    {true, {0xF0, 0xF3, 0xA4}, "lock rep movsb\t", "F0 F3 A4 "},
    {true, {0xF3, 0xF2, 0xA6}, "repne cmpsb\t", "F3 F2 A6 "},
    {true, {0x26, 0x90}, "nop\t", "26 90 "},
    {true, {0x8B, 0x45, 0xF8}, "mov\teax, dword ptr [ebp-8]", "8B 45 F8 "},
    {true, {0xA1, 0x00, 0x00, 0x00, 0xA0}, "mov\teax, dword ptr [0A0000000]", "A1 00 00 00 A0 "},
    {true, {0x80, 0x00, 0xFF}, "add\tbyte ptr [eax], 0FF", "80 00 FF "},
    {true, {0x83, 0xC0, 0xFF}, "add\teax, 0FFFFFFFF", "83 C0 FF "},
    {true, {0xC2, 0x08, 0x00}, "retn\t0008", "C2 08 00 "},
    {true, {0xEB, 0xFE}, "jmp\t$+0", "EB FE "},
    {true, {0xEB, 0x7F}, "jmp\t$-7F", "EB 7F "},
    {true, {0xE8}, "call\t$+5", "E8 00 00 00 00 "},
    {true, {0x66, 0xE9}, "jmp\t$+4", "66 E9 00 00 "},
    {true, {0x67, 0xE9}, "jmp\t$+6", "67 E9 00 00 00 00 "},
    {true, {0xEA, 0x78, 0x56, 0x34, 0x12, 0x34, 0x12}, "jmp\t1234:12345678", "EA 78 56 34 12 34 12 "},
    {false, {0xEA, 0xF0, 0xFF, 0x00, 0xF0}, "jmp\t0F000:0FFF0", "EA F0 FF 00 F0 "},
    {true, {0xFF, 0x18}, "call\t(48-bit) ptr [eax]", "FF 18 "},
    {true, {0xFF, 0xC0}, "inc\teax", "FF C0 "},
    {true, {0x66, 0xFF, 0xC8}, "dec\tax", "66 FF C8 "},
    {true, {0xFE, 0xC0}, "inc\tal", "FE C0 "},
    {true, {0xFF, 0xD8}, "INVALID\t", "FF "},
    {true, {0x0F, 0x58, 0xC1}, "???\t", "0F 58 C1 "},
    {true, {0x0F, 0xB8}, "push\t?s", "0F B8 "},
    {true, {0xD9, 0xC9}, "fxch\tst(1)", "D9 C9 "},
    {true, {0x0F, 0x01, 0x10}, "lgdt\t(48-bit) ptr [eax]", "0F 01 10 "},
};

TEST(DecodedLines, ByteStringsGiveTheWorkbenchLines) {
    for (const LinesCase& c : kLinesCases) {
        const auto window = Window(c.bytes);
        DecodedInstruction record{};
        const bool decoded = DecodeInstruction(window.data(), &record, c.is32BitMode);
        char instructionLine[kDisplayLineSize], bytesLine[kDisplayLineSize];
        EXPECT_TRUE(BuildDisplayLines(window.data(), record, decoded, false, instructionLine, bytesLine))
            << c.instructionLine;
        EXPECT_STREQ(instructionLine, c.instructionLine);
        EXPECT_STREQ(bytesLine, c.bytesLine) << c.instructionLine;
    }
}

// Every record the decoder writes must be printable: over every first and
// second byte (and 0F with every second and third byte), with and without 66h
// and 67h, in both modes, a decode never ends in "Decode error!!!", and the
// bytes line lists exactly the instruction's bytes.
TEST(DecodedLines, EveryDecodedRecordFormats) {
    const std::initializer_list<uint8_t> prefixSets[] = {{}, {0x66}, {0x67}, {0x0F}, {0x66, 0x0F}, {0x67, 0x0F}};
    for (bool is32BitMode : {false, true}) {
        for (const auto& prefixes : prefixSets) {
            for (unsigned pair = 0; pair < 0x10000; ++pair) {
                std::array<uint8_t, kDecodeWindow> window{};
                std::copy(prefixes.begin(), prefixes.end(), window.begin());
                window[prefixes.size()] = static_cast<uint8_t>(pair >> 8);
                window[prefixes.size() + 1] = static_cast<uint8_t>(pair);
                window[prefixes.size() + 2] = 0x44;  // a SIB byte or immediate when one is read
                DecodedInstruction record{};
                ASSERT_TRUE(DecodeInstruction(window.data(), &record, is32BitMode));
                char instructionLine[kDisplayLineSize], bytesLine[kDisplayLineSize];
                ASSERT_TRUE(BuildDisplayLines(window.data(), record, true, true, instructionLine, bytesLine))
                    << "mode32 " << is32BitMode << " bytes " << std::hex << pair;
                ASSERT_EQ(std::strlen(bytesLine), 3 * InstructionLength(record));
            }
        }
    }
}

}  // namespace
}  // namespace vexa
