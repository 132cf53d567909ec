#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder/mnemonic_list.h"
#include "decoder/opcode_classes.h"
#include "tests/decoder_checks.h"
#include "tests/test_support.h"

namespace vexa {
namespace {

using test::Gpr32;
using test::Imm8;
using test::Mem;
using test::Mm;
using test::Reg;
using test::Xmm;

struct MediaCase {
    const char* name;
    std::vector<uint8_t> bytes;
    uint16_t mnemonic;
    std::vector<test::ExpectedOperand> operands;
    unsigned length;
};

class MediaForms : public ::testing::TestWithParam<MediaCase> {};

// All cases decode in 32-bit mode.
TEST_P(MediaForms, Decodes) {
    const MediaCase& c = GetParam();
    const DecodedInstruction record = test::DecodeBytes(c.bytes, true);
    ASSERT_FALSE(IsInvalid(record));
    EXPECT_STREQ(MnemonicText(record.mnemonic), MnemonicText(c.mnemonic));
    EXPECT_EQ(InstructionLength(record), c.length);
    EXPECT_TRUE(record.decodeFlags & DecodeFlag::TwoByteOpcode);
    test::ExpectOperands(record, c.operands);
}

INSTANTIATE_TEST_SUITE_P(
    Mmx, MediaForms,
    ::testing::Values(
        MediaCase{"emms", {0x0F, 0x77, 0xC0}, Mnemonic::Emms, {}, 2},
        MediaCase{"movd_load_gpr", {0x0F, 0x6E, 0xC8}, Mnemonic::Movd, {Reg(Mm(1)), Reg(Gpr32(0))}, 3},
        MediaCase{"movd_store_gpr", {0x0F, 0x7E, 0xC8}, Mnemonic::Movd, {Reg(Gpr32(0)), Reg(Mm(1))}, 3},
        MediaCase{"movd_load_dword", {0x0F, 0x6E, 0x00}, Mnemonic::Movd, {Reg(Mm(0)), Mem(MemorySize::Dword)}, 3},
        MediaCase{"movd_store_dword", {0x0F, 0x7E, 0x18}, Mnemonic::Movd, {Mem(MemorySize::Dword), Reg(Mm(3))}, 3},
        MediaCase{"movq_load_qword", {0x0F, 0x6F, 0x00}, Mnemonic::Movq, {Reg(Mm(0)), Mem(MemorySize::Qword)}, 3},
        MediaCase{"movq_store_qword", {0x0F, 0x7F, 0x00}, Mnemonic::Movq, {Mem(MemorySize::Qword), Reg(Mm(0))}, 3},
        MediaCase{"movq_register", {0x0F, 0x7F, 0xCA}, Mnemonic::Movq, {Reg(Mm(2)), Reg(Mm(1))}, 3},
        MediaCase{"paddb_registers", {0x0F, 0xFC, 0xC1}, Mnemonic::Paddb, {Reg(Mm(0)), Reg(Mm(1))}, 3},
        MediaCase{"psllq_register_count", {0x0F, 0xF3, 0xD3}, Mnemonic::Psllq, {Reg(Mm(2)), Reg(Mm(3))}, 3},
        MediaCase{"paddd_disp8", {0x0F, 0xFE, 0x40, 0x10}, Mnemonic::Paddd, {Reg(Mm(0)), Mem(MemorySize::Qword)}, 4},
        MediaCase{"punpcklbw", {0x0F, 0x60, 0xC1}, Mnemonic::Punpcklbw, {Reg(Mm(0)), Reg(Mm(1))}, 3},
        MediaCase{"psrlw_imm", {0x0F, 0x71, 0xD1, 0x05}, Mnemonic::Psrlw, {Reg(Mm(1)), Imm8(5)}, 4},
        MediaCase{"psraw_imm", {0x0F, 0x71, 0xE7, 0x80}, Mnemonic::Psraw, {Reg(Mm(7)), Imm8(0x80)}, 4},
        MediaCase{"pslld_imm", {0x0F, 0x72, 0xF0, 0x1F}, Mnemonic::Pslld, {Reg(Mm(0)), Imm8(0x1F)}, 4},
        MediaCase{"psrad_imm", {0x0F, 0x72, 0xE2, 0x01}, Mnemonic::Psrad, {Reg(Mm(2)), Imm8(1)}, 4},
        MediaCase{"psrlq_imm", {0x0F, 0x73, 0xD4, 0x3F}, Mnemonic::Psrlq, {Reg(Mm(4)), Imm8(0x3F)}, 4},
        MediaCase{"psllq_imm", {0x0F, 0x73, 0xF5, 0x02}, Mnemonic::Psllq, {Reg(Mm(5)), Imm8(2)}, 4},
        // The immediate follows ModR/M, SIB and displacement.
        MediaCase{"shift_group_memory_sib_disp8",
                  {0x0F, 0x71, 0x54, 0x24, 0x08, 0x05},
                  Mnemonic::Psrlw,
                  {Mem(MemorySize::Qword), Imm8(5)},
                  6},
        MediaCase{"prefixes_counted",
                  {0x3E, 0x67, 0x0F, 0xFC, 0x47, 0x01},
                  Mnemonic::Paddb,
                  {Reg(Mm(0)), Mem(MemorySize::Qword)},
                  6}),
    [](const auto& info) { return std::string(info.param.name); });

// The scalar forms need F3 as the last repeat prefix and directly before 0Fh.
INSTANTIATE_TEST_SUITE_P(
    SseScalar, MediaForms,
    ::testing::Values(
        MediaCase{"addss", {0xF3, 0x0F, 0x58, 0xC1}, Mnemonic::Addss, {Reg(Xmm(0)), Reg(Xmm(1))}, 4},
        MediaCase{"movss_load", {0xF3, 0x0F, 0x10, 0x01}, Mnemonic::Movss, {Reg(Xmm(0)), Mem(MemorySize::Dword)}, 4},
        MediaCase{"movss_store", {0xF3, 0x0F, 0x11, 0x01}, Mnemonic::Movss, {Mem(MemorySize::Dword), Reg(Xmm(0))}, 4},
        MediaCase{"cmpss_imm", {0xF3, 0x0F, 0xC2, 0xC1, 0x01}, Mnemonic::Cmpss, {Reg(Xmm(0)), Reg(Xmm(1)), Imm8(1)}, 5},
        MediaCase{"cmpss_imm_after_sib_disp",
                  {0xF3, 0x0F, 0xC2, 0x44, 0x24, 0x08, 0x07},
                  Mnemonic::Cmpss,
                  {Reg(Xmm(0)), Mem(MemorySize::Dword), Imm8(7)},
                  7},
        MediaCase{"sqrtss", {0xF3, 0x0F, 0x51, 0xD3}, Mnemonic::Sqrtss, {Reg(Xmm(2)), Reg(Xmm(3))}, 4},
        MediaCase{"rsqrtss", {0xF3, 0x0F, 0x52, 0xC0}, Mnemonic::Rsqrtss, {Reg(Xmm(0)), Reg(Xmm(0))}, 4},
        MediaCase{"rcpss", {0xF3, 0x0F, 0x53, 0xC0}, Mnemonic::Rcpss, {Reg(Xmm(0)), Reg(Xmm(0))}, 4},
        MediaCase{"mulss", {0xF3, 0x0F, 0x59, 0xC0}, Mnemonic::Mulss, {Reg(Xmm(0)), Reg(Xmm(0))}, 4},
        MediaCase{"subss", {0xF3, 0x0F, 0x5C, 0xC0}, Mnemonic::Subss, {Reg(Xmm(0)), Reg(Xmm(0))}, 4},
        MediaCase{"minss", {0xF3, 0x0F, 0x5D, 0xC0}, Mnemonic::Minss, {Reg(Xmm(0)), Reg(Xmm(0))}, 4},
        MediaCase{"divss", {0xF3, 0x0F, 0x5E, 0xC0}, Mnemonic::Divss, {Reg(Xmm(0)), Reg(Xmm(0))}, 4},
        MediaCase{"maxss_16bit_addressing",
                  {0xF3, 0x67, 0x66, 0xF3, 0x0F, 0x5F, 0x06, 0x34, 0x12},
                  Mnemonic::Maxss,
                  {Reg(Xmm(0)), Mem(MemorySize::Dword)},
                  9},
        MediaCase{"f3_after_66", {0x66, 0xF3, 0x0F, 0x58, 0xC1}, Mnemonic::Addss, {Reg(Xmm(0)), Reg(Xmm(1))}, 5},
        MediaCase{"f3_after_f2", {0xF2, 0xF3, 0x0F, 0x58, 0xC1}, Mnemonic::Addss, {Reg(Xmm(0)), Reg(Xmm(1))}, 5}),
    [](const auto& info) { return std::string(info.param.name); });

// Without the scalar prefix a class-13 opcode passes with its addressing bytes
// counted, unnamed and without operands; a following immediate is not counted.
INSTANTIATE_TEST_SUITE_P(
    SseUnnamed, MediaForms,
    ::testing::Values(MediaCase{"addps", {0x0F, 0x58, 0xC1}, Mnemonic::None, {}, 3},
                      MediaCase{"shufps_immediate_uncounted", {0x0F, 0xC6, 0xC1, 0x05}, Mnemonic::None, {}, 3},
                      MediaCase{"disp32_counted", {0x0F, 0x28, 0x05, 1, 2, 3, 4}, Mnemonic::None, {}, 7},
                      MediaCase{"f3_not_last_byte", {0xF3, 0x66, 0x0F, 0x58, 0xC1}, Mnemonic::None, {}, 5},
                      MediaCase{"f2_last_repeat", {0xF3, 0xF2, 0x0F, 0x58, 0xC1}, Mnemonic::None, {}, 5},
                      MediaCase{"f2_only", {0xF2, 0x0F, 0x10, 0xC1}, Mnemonic::None, {}, 4},
                      MediaCase{"pmulhuw_table_name_unused", {0x0F, 0xE4, 0xC1}, Mnemonic::None, {}, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MediaForms, ScalarPrefixIsRecordedAsRep) {
    const auto [ok, record] = test::Decode({0xF3, 0x0F, 0x58, 0xC1}, true);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(HasRepeatPrefix(record));
    EXPECT_TRUE(RepeatIsRep(record));
}

TEST(MediaForms, EmmsHasNoModRM) {
    const auto [ok, record] = test::Decode({0x0F, 0x77, 0x04, 0x25}, true);
    ASSERT_TRUE(ok);
    EXPECT_EQ(InstructionLength(record), 2u);
    EXPECT_FALSE(HasModRM(record));
    EXPECT_FALSE(HasSIB(record));
}

TEST(MediaForms, RefusedFormsAreInvalidWithModRM) {
    // Shift groups outside reg 2, 4, 6 (and 0F 73 /4, which has no arithmetic
    // form); class-12 bytes without a name; F3 forms outside the scalar set,
    // the conversions included.
    const std::vector<std::vector<uint8_t>> refused = {
        {0x0F, 0x73, 0xE1, 0x05},
        {0x0F, 0x71, 0xC1, 0x05},
        {0x0F, 0x72, 0xF8, 0x05},
        {0x0F, 0x6D, 0xC0},
        {0x0F, 0xE3, 0x00},
        {0x0F, 0xEE, 0xC1},
        {0xF3, 0x0F, 0x56, 0xC1},
        {0xF3, 0x0F, 0x55, 0xC1},
        {0xF3, 0x0F, 0x2A, 0xC1},
        {0xF3, 0x0F, 0x2C, 0x00},
        {0xF3, 0x0F, 0x2D, 0x05, 1, 2, 3, 4},
        {0xF3, 0x0F, 0x18, 0x00},
        {0xF3, 0x0F, 0xC6, 0xC1, 0x05},
    };
    for (const auto& bytes : refused) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        const DecodedInstruction record = test::DecodeBytes(bytes, true);
        EXPECT_TRUE(IsInvalid(record));
        EXPECT_EQ(InstructionLength(record), 1u);
        EXPECT_TRUE(HasModRM(record));
    }
}

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
