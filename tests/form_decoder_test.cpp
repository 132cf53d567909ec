// The straight-line decoder against the class handlers: for every opcode byte
// (one-byte and after 0Fh), every ModR/M byte, SIB bytes of every shape, both
// modes and the prefix runs that change sizes, names or operands, both must
// produce the same record, field by field, and the same result.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "decoder/decoder.h"
#include "decoder/form_decoder.h"
#include "decoder/operand_forms.h"
#include "tests/test_support.h"

namespace vexa {
namespace {

std::string Hex(const uint8_t* bytes, size_t count) {
    std::string text;
    char byte[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(byte, sizeof byte, "%02X ", bytes[i]);
        text += byte;
    }
    return text;
}

// Prefix runs: sizes (66, 67), the repeat prefixes that name string and
// scalar forms, lock and a segment, and the longest run that still leaves the
// opcode, ModR/M, SIB and data inside the window.
struct PrefixRun {
    uint8_t count;
    uint8_t bytes[14];
};
constexpr PrefixRun kPrefixRuns[] = {
    {0, {}},
    {1, {0x66}},
    {1, {0x67}},
    {2, {0x66, 0x67}},
    {1, {0xF3}},
    {2, {0xF2, 0xF0}},
    {2, {0x26, 0x64}},
    {14, {0x66, 0x67, 0x2E, 0x36, 0x3E, 0x26, 0x64, 0x65, 0xF0, 0xF2, 0xF3, 0x66, 0x67, 0x3E}},
};

// SIB bytes: no index with base ebp (a displacement instead of a base when
// mod is 0), an index with every scale, and esp as base.
constexpr uint8_t kSibBytes[] = {0x25, 0x65, 0xA4, 0xDC};

TEST(FormDecoder, EveryOpcodeDecodesAsItsClassHandlerDecodesIt) {
    unsigned checked = 0;
    unsigned straight = 0;
    for (bool is32BitMode : {false, true}) {
        for (const PrefixRun& run : kPrefixRuns) {
            for (unsigned twoByte = 0; twoByte < 2; ++twoByte) {
                for (unsigned opcode = 0; opcode < 256; ++opcode) {
                    for (unsigned modrm = 0; modrm < 256; ++modrm) {
                        for (uint8_t sib : kSibBytes) {
                            uint8_t window[kDecodeWindow];
                            unsigned n = 0;
                            for (unsigned i = 0; i < run.count; ++i) window[n++] = run.bytes[i];
                            if (twoByte != 0) window[n++] = 0x0F;
                            window[n++] = static_cast<uint8_t>(opcode);
                            window[n++] = static_cast<uint8_t>(modrm);
                            window[n++] = sib;
                            // Displacement and data bytes with the sign bit set in some.
                            uint8_t filler = 0x81;
                            while (n < kDecodeWindow) {
                                window[n++] = filler;
                                filler = static_cast<uint8_t>(filler + 0x3B);
                            }

                            DecodedInstruction byForm;
                            DecodedInstruction byHandlers;
                            std::memset(&byForm, 0xA5, sizeof byForm);
                            std::memset(&byHandlers, 0x5A, sizeof byHandlers);
                            const bool formOk = DecodeInstruction(window, &byForm, is32BitMode);
                            const bool handlerOk = DecodeInstructionByHandlers(window, &byHandlers, is32BitMode);
                            ++checked;
                            straight += kOperandForms[twoByte][opcode].straightLine;
                            if (formOk != handlerOk || !test::SameRecord(byForm, byHandlers)) {
                                FAIL() << "records differ for " << Hex(window, kDecodeWindow)
                                       << (is32BitMode ? "(32-bit mode)" : "(16-bit mode)");
                            }
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 8'000'000u);
    // Most opcodes take the straight line; the check above covers both paths.
    EXPECT_GT(straight, checked / 2);
}

}  // namespace
}  // namespace vexa
