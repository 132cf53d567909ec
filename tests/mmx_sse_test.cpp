#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder/mnemonic_list.h"
#include "decoder/opcode_classes.h"
#include "tests/test_support.h"

namespace vexa {
namespace {

// The decodes of single MMX and SSE instructions are in
// tests/data/mmx_sse_examples.txt.

// What is wrong with the decode of one class-12 or class-13 instruction, or an
// empty string. `expectedLength` counts prefixes, opcode bytes and addressing.
constexpr uint8_t kEmms = 0x77;

std::string MediaProblem(const DecodedInstruction& record, uint8_t second, uint8_t subClass, bool scalarPrefix,
                         unsigned opcodeLength, unsigned expectedLength) {
    if (record.subClass != subClass) return "subClass";
    // Only emms goes without a ModR/M byte, also when too long to be valid.
    if (IsInvalid(record)) return HasModRM(record) || second == kEmms ? "" : "invalid without hasModRM";
    if (record.mnemonic == Mnemonic::Emms) {
        return InstructionLength(record) == opcodeLength && !HasModRM(record) ? "" : "emms length";
    }
    const bool hasImmediate =
        record.operandCount > 0 && record.operands[record.operandCount - 1].kind == OperandKind::Immediate;
    if (InstructionLength(record) != expectedLength + (hasImmediate ? 1 : 0)) return "length";
    if (subClass == TwoByteClass::SseScalar && !scalarPrefix) {
        return record.mnemonic == Mnemonic::None && record.operandCount == 0 ? "" : "named without F3";
    }
    if (record.mnemonic == Mnemonic::None || record.operandCount < 2) return "unnamed or missing operands";
    const uint8_t expectedClass = subClass == TwoByteClass::Mmx ? RegisterClass::Mmx : RegisterClass::Xmm;
    for (unsigned i = 0; i < record.operandCount; ++i) {
        const OperandDescriptor& operand = record.operands[i];
        if (operand.kind != OperandKind::Register) continue;
        const uint8_t cls = RegisterClassOf(operand.reg);
        if (cls != expectedClass && !(record.mnemonic == Mnemonic::Movd && cls == RegisterClass::Gpr32)) {
            return "register class";
        }
    }
    return {};
}

// Every class-12 and class-13 second byte with every ModR/M byte, in both
// modes and under prefix runs that do and do not make the scalar rule hold.
TEST(MediaSweep, EverySecondByteAndModRM) {
    // The longest run reaches the end of the window (and is too long to be valid).
    std::vector<uint8_t> longestRun(13, 0x3E);
    longestRun.push_back(0xF3);
    const std::vector<std::vector<uint8_t>> prefixRuns = {
        {}, {0xF3}, {0x66}, {0x67}, {0xF3, 0x66}, {0x66, 0xF3}, {0xF3, 0xF2}, {0xF2, 0xF3}, {0x67, 0xF3}, longestRun,
    };
    constexpr uint8_t kSib = 0x25;  // no base: a 32-bit displacement follows
    test::GuardedWindow window;
    ASSERT_TRUE(window.ready());
    for (unsigned second = 0; second < 256; ++second) {
        const uint8_t subClass = kTwoByteClassTable[second];
        if (subClass != TwoByteClass::Mmx && subClass != TwoByteClass::SseScalar) continue;
        for (const bool is32BitMode : {false, true}) {
            for (const auto& prefixes : prefixRuns) {
                const bool addressOverride = std::find(prefixes.begin(), prefixes.end(), 0x67) != prefixes.end();
                const bool address32 = is32BitMode != addressOverride;
                const bool scalarPrefix = !prefixes.empty() && prefixes.back() == 0xF3;
                const unsigned opcodeLength = prefixes.size() + 2;
                for (unsigned modrm = 0; modrm < 256; ++modrm) {
                    std::vector<uint8_t> bytes = prefixes;
                    bytes.insert(bytes.end(), {0x0F, static_cast<uint8_t>(second), static_cast<uint8_t>(modrm), kSib,
                                               0x11, 0x22, 0x33, 0x44});
                    std::string problem;
                    const DecodedInstruction record = test::SweepDecode(window, bytes, is32BitMode, problem);
                    if (problem.empty()) {
                        problem =
                            MediaProblem(record, static_cast<uint8_t>(second), subClass, scalarPrefix, opcodeLength,
                                         opcodeLength + test::AddressingBytes(modrm, kSib, address32));
                    }
                    ASSERT_TRUE(problem.empty()) << test::HexBytes(bytes) << problem;
                }
            }
        }
    }
}

}  // namespace
}  // namespace vexa
