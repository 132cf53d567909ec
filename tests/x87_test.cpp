#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder/internal/fpu_decoder.h"
#include "decoder/mnemonic_list.h"
#include "tests/test_support.h"

namespace vexa {
namespace {

constexpr uint8_t kAx = MakeRegisterCode(RegisterClass::Gpr16, 0);

// The decodes of single x87 instructions are in tests/data/x87_examples.txt.

TEST(FpuForms, MakeFpuRegister) {
    OperandDescriptor operand{};
    ASSERT_TRUE(MakeFpuRegister(&operand, 5));
    EXPECT_EQ(operand.kind, OperandKind::Register);
    EXPECT_EQ(operand.reg, 0x1D);
    EXPECT_FALSE(MakeFpuRegister(nullptr, 0));
}

TEST(FpuForms, MissingPointersAreRefused) {
    DecodedInstruction record{};
    const uint8_t bytes[kDecodeWindow] = {0xD9, 0xE8};
    EXPECT_FALSE(DecodeFpuRegisterForm(nullptr, &record));
    EXPECT_FALSE(DecodeFpuRegisterForm(bytes, nullptr));
}

// What is wrong with the decode of one escape instruction, or an empty string.
// `addressingBytes` is what ModR/M, SIB and displacement call for.
std::string FpuProblem(const DecodedInstruction& record, unsigned prefixCount, unsigned addressingBytes,
                       bool registerForm) {
    if (!HasModRM(record)) return "hasModRM clear";
    const unsigned length = prefixCount + 1 + addressingBytes;
    if (length > kMaxInstructionLength) return IsInvalid(record) ? "" : "over-long instruction accepted";
    if (IsInvalid(record)) return {};
    if (InstructionLength(record) != length) return "length";
    if (registerForm) {
        for (unsigned i = 0; i < record.operandCount; ++i) {
            const OperandDescriptor& operand = record.operands[i];
            if (operand.kind != OperandKind::Register) return "register form with a non-register operand";
            if (RegisterClassOf(operand.reg) != RegisterClass::Fpu && operand.reg != kAx) return "register class";
        }
        return {};
    }
    if (record.operandCount != 1 || record.operands[0].kind != OperandKind::Memory) return "memory operand";
    // Only the unnamed control slots leave the operand unsized.
    if ((record.mnemonic == Mnemonic::None) != (record.operands[0].memorySize == MemorySize::None)) {
        return "name and size disagree";
    }
    return {};
}

// Every escape with every second byte, in both modes and with each size
// prefix, and every SIB byte of the SIB-carrying memory forms: the decode
// holds its invariants, reads nothing past the window and counts exactly the
// bytes the encoding calls for.
TEST(FpuSweep, EveryEscapeAndSecondByte) {
    // The longest run reaches the end of the window (and is too long to be valid).
    std::vector<uint8_t> longestRun(13, 0x26);
    longestRun.push_back(0x67);
    const std::vector<std::vector<uint8_t>> kPrefixRuns = {{}, {0x66}, {0x67}, longestRun};
    test::GuardedWindow window;
    ASSERT_TRUE(window.ready());
    unsigned namedRegisterForms = 0;
    for (const bool is32BitMode : {false, true}) {
        for (const auto& prefixes : kPrefixRuns) {
            const bool addressOverride = !prefixes.empty() && prefixes.back() == 0x67;
            const bool address32 = is32BitMode != addressOverride;
            const unsigned prefixCount = prefixes.size();
            for (unsigned escape = 0xD8; escape <= 0xDF; ++escape) {
                for (unsigned modrm = 0; modrm < 256; ++modrm) {
                    const bool registerForm = (modrm >> 6) == 3;
                    const bool usesSib = address32 && !registerForm && (modrm & 7) == 4;
                    for (unsigned sib = 0; sib < (usesSib ? 256u : 1u); ++sib) {
                        std::vector<uint8_t> bytes = prefixes;
                        bytes.insert(bytes.end(), {static_cast<uint8_t>(escape), static_cast<uint8_t>(modrm),
                                                   static_cast<uint8_t>(sib), 0x11, 0x22, 0x33, 0x44});
                        std::string problem;
                        const DecodedInstruction record = test::SweepDecode(window, bytes, is32BitMode, problem);
                        if (problem.empty()) {
                            problem = FpuProblem(record, prefixCount, test::AddressingBytes(modrm, sib, address32),
                                                 registerForm);
                        }
                        ASSERT_TRUE(problem.empty()) << test::HexBytes(bytes) << problem;
                        if (registerForm && !IsInvalid(record) && prefixCount == 0 && !is32BitMode)
                            ++namedRegisterForms;
                    }
                }
            }
        }
    }
    // 64 (D8) + 44 (D9) + 33 (DA) + 52 (DB) + 64 (DC) + 40 (DD) + 57 (DE) + 17 (DF)
    EXPECT_EQ(namedRegisterForms, 371u);
}

}  // namespace
}  // namespace vexa
