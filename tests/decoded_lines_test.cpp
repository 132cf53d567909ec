#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>

#include "decoder/decoder.h"
#include "formatter/display_lines.h"

namespace vexa {
namespace {

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
