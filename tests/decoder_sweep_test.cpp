// Sweeps over the whole one-byte and two-byte opcode space: every opcode byte,
// every ModR/M byte and, where one is read, every SIB byte, with and without
// 66h and 67h, in both modes. Every decode must hold the record's invariants,
// and the decode window sits right before an inaccessible page, so a read past
// its 25th byte kills the test.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "decoder/decoder.h"
#include "tests/test_support.h"

namespace vexa {
namespace {

using test::GuardedWindow;

struct SweepResult {
    uint64_t decodes = 0;
    uint64_t failures = 0;
    std::string firstFailure;
};

// What is wrong with a decode of `window`, or nullptr.
const char* BrokenDecode(bool ok, const uint8_t* window, const DecodedInstruction& record) {
    return ok ? test::BrokenRecordInvariant(window, record) : "returned false";
}

void Check(const uint8_t* window, bool is32BitMode, SweepResult& result) {
    DecodedInstruction record;
    std::memset(&record, 0xA5, sizeof record);  // whatever the last decode left
    const uint8_t modeBefore = mode32;
    const bool ok = DecodeInstruction(window, &record, is32BitMode);
    const char* broken = mode32 != modeBefore ? "mode32 changed" : BrokenDecode(ok, window, record);
    ++result.decodes;
    if (broken == nullptr) return;
    if (result.failures++ == 0) {
        char text[160];
        int n = std::snprintf(text, sizeof text, "%s (%s mode):", broken, is32BitMode ? "32-bit" : "16-bit");
        for (size_t i = 0; i < kDecodeWindow && n < static_cast<int>(sizeof text) - 4; ++i) {
            n += std::snprintf(text + n, sizeof text - n, " %02X", window[i]);
        }
        result.firstFailure = text;
    }
}

// Decodes `prefixes` then (0Fh and) every opcode x every ModR/M x every SIB where
// the addressing form reads one; the bytes after them are a fixed pattern.
void SweepOpcodeSpace(uint8_t* window, const std::vector<uint8_t>& prefixes, bool escape, bool is32BitMode,
                      SweepResult& result) {
    size_t position = 0;
    for (uint8_t prefix : prefixes) window[position++] = prefix;
    if (escape) window[position++] = 0x0F;
    const size_t opcodeAt = position;
    for (size_t i = opcodeAt + 3; i < kDecodeWindow; ++i) window[i] = static_cast<uint8_t>(0x81 + 0x11 * i);

    bool addressOverride = false;
    for (uint8_t prefix : prefixes) addressOverride |= prefix == 0x67;
    const bool address32 = is32BitMode != addressOverride;

    for (unsigned opcode = 0; opcode < 256; ++opcode) {
        window[opcodeAt] = static_cast<uint8_t>(opcode);
        for (unsigned modrm = 0; modrm < 256; ++modrm) {
            window[opcodeAt + 1] = static_cast<uint8_t>(modrm);
            const bool sibForm = address32 && (modrm >> 6) != 3 && (modrm & 7) == 4;
            if (!sibForm) {
                window[opcodeAt + 2] = static_cast<uint8_t>(modrm ^ 0x5A);
                Check(window, is32BitMode, result);
                continue;
            }
            for (unsigned sib = 0; sib < 256; ++sib) {
                window[opcodeAt + 2] = static_cast<uint8_t>(sib);
                Check(window, is32BitMode, result);
            }
        }
    }
}

struct SweepCase {
    const char* name;
    size_t prefixCount;  // 66h/67h as chosen, padded to this many with other prefixes
};

void PrintTo(const SweepCase& c, std::ostream* os) { *os << c.name; }

class OpcodeSpaceSweep : public ::testing::TestWithParam<SweepCase> {};

// 66h and 67h last, after as many other prefixes as the case asks for.
std::vector<uint8_t> PrefixBytes(size_t count, bool operandOverride, bool addressOverride) {
    static constexpr uint8_t kPadding[] = {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65, 0xF0, 0xF2, 0xF3};
    const size_t overrides = (operandOverride ? 1 : 0) + (addressOverride ? 1 : 0);
    std::vector<uint8_t> prefixes;
    for (size_t i = 0; i + overrides < count; ++i) prefixes.push_back(kPadding[i % std::size(kPadding)]);
    if (operandOverride) prefixes.push_back(0x66);
    if (addressOverride) prefixes.push_back(0x67);
    return prefixes;
}

TEST_P(OpcodeSpaceSweep, HoldsInvariantsWithinTheWindow) {
    GuardedWindow guarded;
    ASSERT_TRUE(guarded.ready());
    SweepResult result;
    for (const bool is32BitMode : {false, true}) {
        for (const bool escape : {false, true}) {
            for (const unsigned overrides : {0u, 1u, 2u, 3u}) {
                const auto prefixes = PrefixBytes(GetParam().prefixCount, overrides & 1, overrides & 2);
                SweepOpcodeSpace(guarded.data(), prefixes, escape, is32BitMode, result);
            }
        }
    }
    EXPECT_EQ(result.failures, 0u) << result.firstFailure;
    // Half of the mode/override combinations address in 32 bits and read a SIB byte
    // after each of the 24 SIB-form ModR/M values.
    constexpr uint64_t kWithSib = 256 * (232 + 24 * 256);
    constexpr uint64_t kWithoutSib = 256 * 256;
    EXPECT_EQ(result.decodes, 8 * kWithSib + 8 * kWithoutSib);
}

// With no other prefixes each opcode has room for all its bytes; with fourteen
// every instruction reaches as far as the decoder ever reads.
INSTANTIATE_TEST_SUITE_P(All, OpcodeSpaceSweep,
                         ::testing::Values(SweepCase{"overrides_only", 0}, SweepCase{"fourteen_prefixes", 14}),
                         [](const auto& info) { return std::string(info.param.name); });

// The longest reach: fourteen prefixes, opcode, ModR/M, SIB, disp32 and imm32
// end on the window's last byte, in 32-bit mode and in 16-bit mode with 66h and 67h.
TEST(DecodeWindow, LongestInstructionEndsOnTheLastByte) {
    GuardedWindow guarded;
    ASSERT_TRUE(guarded.ready());
    uint8_t* window = guarded.data();
    const uint8_t tail[] = {0x81, 0x84, 0x88, 1, 2, 3, 4, 5, 6, 7, 8};
    static_assert(14 + sizeof tail == kDecodeWindow);
    for (const bool is32BitMode : {true, false}) {
        for (size_t i = 0; i < 14; ++i) window[i] = is32BitMode ? 0x3E : (i % 2 ? 0x67 : 0x66);
        std::memcpy(window + 14, tail, sizeof tail);
        DecodedInstruction record;
        ASSERT_TRUE(DecodeInstruction(window, &record, is32BitMode));
        EXPECT_TRUE(IsInvalid(record));
        EXPECT_TRUE(HasSIB(record));
        ASSERT_EQ(record.operandCount, 2);
        EXPECT_EQ(record.operands[0].disp, 0x04030201u);
        EXPECT_EQ(record.operands[1].imm, 0x08070605u);  // the last byte was read, and nothing after it
    }
}

// The convenience entry point reads the global mode and leaves it as it was.
TEST(DecodeWindow, GlobalModeEntryPointHoldsInvariants) {
    GuardedWindow guarded;
    ASSERT_TRUE(guarded.ready());
    const uint8_t saved = mode32;
    SweepResult result;
    uint8_t* window = guarded.data();
    for (const uint8_t mode : {0, 1}) {
        mode32 = mode;
        for (unsigned first = 0; first < 256; ++first) {
            for (unsigned second = 0; second < 256; ++second) {
                window[0] = static_cast<uint8_t>(first);
                window[1] = static_cast<uint8_t>(second);
                DecodedInstruction viaGlobal;
                DecodedInstruction viaFlag;
                const bool okGlobal = DecodeInstruction(window, &viaGlobal);
                const bool okFlag = DecodeInstruction(window, &viaFlag, mode != 0);
                ++result.decodes;
                const char* broken = mode32 != mode ? "mode32 changed" : BrokenDecode(okGlobal, window, viaGlobal);
                if (broken == nullptr && (okGlobal != okFlag || std::memcmp(&viaGlobal, &viaFlag, sizeof viaFlag) != 0)) {
                    broken = "global-mode decode differs from explicit-mode decode";
                }
                if (broken != nullptr && result.failures++ == 0) {
                    result.firstFailure = std::string(broken) + " at " + std::to_string(first) + " " +
                                          std::to_string(second) + " mode " + std::to_string(mode);
                }
            }
        }
    }
    mode32 = saved;
    EXPECT_EQ(result.failures, 0u) << result.firstFailure;
}

}  // namespace
}  // namespace vexa
