#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder/internal/fpu_decoder.h"
#include "decoder/mnemonic_list.h"
#include "tests/decoder_checks.h"
#include "tests/test_support.h"

namespace vexa {
namespace {

using test::kAx;
using test::Mem;
using test::Reg;
using test::St;

struct FpuCase {
    const char* name;
    std::vector<uint8_t> bytes;
    bool is32BitMode;
    uint16_t mnemonic;
    std::vector<test::ExpectedOperand> operands;
    unsigned length;
};

class FpuForms : public ::testing::TestWithParam<FpuCase> {};

TEST_P(FpuForms, Decodes) {
    const FpuCase& c = GetParam();
    const DecodedInstruction record = test::DecodeBytes(c.bytes, c.is32BitMode);
    ASSERT_FALSE(IsInvalid(record));
    EXPECT_STREQ(MnemonicText(record.mnemonic), MnemonicText(c.mnemonic));
    EXPECT_EQ(InstructionLength(record), c.length);
    EXPECT_TRUE(HasModRM(record));
    test::ExpectOperands(record, c.operands);
}

// Stack register forms: the single-byte control rows first, then the
// per-escape rows with their operand orders.
INSTANTIATE_TEST_SUITE_P(
    RegisterForms, FpuForms,
    ::testing::Values(FpuCase{"D9E8_fld1", {0xD9, 0xE8}, true, Mnemonic::Fld1, {}, 2},
                      FpuCase{"D9FF_fcos", {0xD9, 0xFF}, false, Mnemonic::Fcos, {}, 2},
                      FpuCase{"D9D0_fnop", {0xD9, 0xD0}, true, Mnemonic::Fnop, {}, 2},
                      FpuCase{"D9C9_fxch", {0xD9, 0xC9}, true, Mnemonic::Fxch, {Reg(St(1))}, 2},
                      FpuCase{"DBE3_finit", {0xDB, 0xE3}, true, Mnemonic::Finit, {}, 2},
                      FpuCase{"DBE0_feni", {0xDB, 0xE0}, false, Mnemonic::Feni, {}, 2},
                      FpuCase{"DBE8_fucomi_st0", {0xDB, 0xE8}, true, Mnemonic::Fucomi, {Reg(St(0)), Reg(St(0))}, 2},
                      FpuCase{"DBF1_fcomi", {0xDB, 0xF1}, true, Mnemonic::Fcomi, {Reg(St(0)), Reg(St(1))}, 2},
                      FpuCase{"DBD3_fcmovnbe", {0xDB, 0xD3}, true, Mnemonic::Fcmovnbe, {Reg(St(0)), Reg(St(3))}, 2},
                      FpuCase{"DAC8_fcmove", {0xDA, 0xC8}, true, Mnemonic::Fcmove, {Reg(St(0)), Reg(St(0))}, 2},
                      FpuCase{"DAE9_fucompp", {0xDA, 0xE9}, true, Mnemonic::Fucompp, {}, 2},
                      FpuCase{"D8C1_fadd", {0xD8, 0xC1}, true, Mnemonic::Fadd, {Reg(St(0)), Reg(St(1))}, 2},
                      FpuCase{"D8D1_fcom_one_operand", {0xD8, 0xD1}, true, Mnemonic::Fcom, {Reg(St(1))}, 2},
                      FpuCase{"D8E1_fsub", {0xD8, 0xE1}, true, Mnemonic::Fsub, {Reg(St(0)), Reg(St(1))}, 2},
                      FpuCase{"DCC1_fadd_reversed", {0xDC, 0xC1}, true, Mnemonic::Fadd, {Reg(St(1)), Reg(St(0))}, 2},
                      FpuCase{"DCD9_fcomp", {0xDC, 0xD9}, true, Mnemonic::Fcomp, {Reg(St(1))}, 2},
                      FpuCase{"DCE1_fsubr", {0xDC, 0xE1}, true, Mnemonic::Fsubr, {Reg(St(1)), Reg(St(0))}, 2},
                      FpuCase{"DCE9_fsub", {0xDC, 0xE9}, true, Mnemonic::Fsub, {Reg(St(1)), Reg(St(0))}, 2},
                      FpuCase{"DCF1_fdivr", {0xDC, 0xF1}, true, Mnemonic::Fdivr, {Reg(St(1)), Reg(St(0))}, 2},
                      FpuCase{"DCF9_fdiv", {0xDC, 0xF9}, true, Mnemonic::Fdiv, {Reg(St(1)), Reg(St(0))}, 2},
                      FpuCase{"DDC7_ffree", {0xDD, 0xC7}, true, Mnemonic::Ffree, {Reg(St(7))}, 2},
                      FpuCase{"DDD9_fstp", {0xDD, 0xD9}, true, Mnemonic::Fstp, {Reg(St(1))}, 2},
                      FpuCase{"DDE9_fucomp", {0xDD, 0xE9}, true, Mnemonic::Fucomp, {Reg(St(1))}, 2},
                      FpuCase{"DEC1_faddp", {0xDE, 0xC1}, true, Mnemonic::Faddp, {Reg(St(1)), Reg(St(0))}, 2},
                      FpuCase{"DED1_fcomp", {0xDE, 0xD1}, true, Mnemonic::Fcomp, {Reg(St(1)), Reg(St(0))}, 2},
                      FpuCase{"DEE1_fsubrp", {0xDE, 0xE1}, true, Mnemonic::Fsubrp, {Reg(St(1)), Reg(St(0))}, 2},
                      FpuCase{"DEE9_fsubp", {0xDE, 0xE9}, true, Mnemonic::Fsubp, {Reg(St(1)), Reg(St(0))}, 2},
                      FpuCase{"DEF1_fdivrp", {0xDE, 0xF1}, true, Mnemonic::Fdivrp, {Reg(St(1)), Reg(St(0))}, 2},
                      FpuCase{"DEF9_fdivp", {0xDE, 0xF9}, true, Mnemonic::Fdivp, {Reg(St(1)), Reg(St(0))}, 2},
                      FpuCase{"DED9_fcompp", {0xDE, 0xD9}, true, Mnemonic::Fcompp, {}, 2},
                      FpuCase{"DFE0_fstsw_ax", {0xDF, 0xE0}, true, Mnemonic::Fstsw, {Reg(kAx)}, 2},
                      FpuCase{"DFEA_fucomip", {0xDF, 0xEA}, true, Mnemonic::Fucomip, {Reg(St(0)), Reg(St(2))}, 2},
                      FpuCase{"DFF7_fcomip", {0xDF, 0xF7}, true, Mnemonic::Fcomip, {Reg(St(0)), Reg(St(7))}, 2},
                      FpuCase{"prefixes_counted", {0x66, 0xF0, 0xD9, 0xE8}, true, Mnemonic::Fld1, {}, 4}),
    [](const auto& info) { return std::string(info.param.name); });

// Memory forms: the escape fixes the operand size, the reg field the
// operation; the odd escapes' reg 4-7 are control forms with their own sizes.
INSTANTIATE_TEST_SUITE_P(
    MemoryForms, FpuForms,
    ::testing::Values(
        FpuCase{"D800_fadd_dword", {0xD8, 0x00}, true, Mnemonic::Fadd, {Mem(MemorySize::Dword)}, 2},
        FpuCase{"D938_fstcw_word", {0xD9, 0x38}, true, Mnemonic::Fstcw, {Mem(MemorySize::Word)}, 2},
        FpuCase{"D918_fstp_dword", {0xD9, 0x18}, true, Mnemonic::Fstp, {Mem(MemorySize::Dword)}, 2},
        FpuCase{"DA3F_fidivr_dword", {0xDA, 0x3F}, false, Mnemonic::Fidivr, {Mem(MemorySize::Dword)}, 2},
        FpuCase{"DB10_fist_dword", {0xDB, 0x10}, true, Mnemonic::Fist, {Mem(MemorySize::Dword)}, 2},
        FpuCase{"DB28_fld_tbyte", {0xDB, 0x28}, true, Mnemonic::Fld, {Mem(MemorySize::Tbyte)}, 2},
        FpuCase{"DB38_fstp_tbyte", {0xDB, 0x38}, true, Mnemonic::Fstp, {Mem(MemorySize::Tbyte)}, 2},
        FpuCase{"DC30_fdiv_qword", {0xDC, 0x30}, true, Mnemonic::Fdiv, {Mem(MemorySize::Qword)}, 2},
        FpuCase{"DD06_fld_qword", {0xDD, 0x06, 0x34, 0x12}, false, Mnemonic::Fld, {Mem(MemorySize::Qword)}, 4},
        FpuCase{"DD38_fstsw_word", {0xDD, 0x38}, true, Mnemonic::Fstsw, {Mem(MemorySize::Word)}, 2},
        FpuCase{"DE08_fimul_word", {0xDE, 0x08}, true, Mnemonic::Fimul, {Mem(MemorySize::Word)}, 2},
        FpuCase{"D928_fldcw_word", {0xD9, 0x28}, true, Mnemonic::Fldcw, {Mem(MemorySize::Word)}, 2},
        FpuCase{"DF00_fild_word", {0xDF, 0x00}, true, Mnemonic::Fild, {Mem(MemorySize::Word)}, 2},
        FpuCase{"DF28_fild_qword", {0xDF, 0x28}, true, Mnemonic::Fild, {Mem(MemorySize::Qword)}, 2},
        FpuCase{"DF20_fbld_tbyte", {0xDF, 0x20}, true, Mnemonic::Fbld, {Mem(MemorySize::Tbyte)}, 2},
        FpuCase{"DF38_fistp_qword", {0xDF, 0x38}, true, Mnemonic::Fistp, {Mem(MemorySize::Qword)}, 2},
        FpuCase{"DB20_unnamed_unsized", {0xDB, 0x20}, true, Mnemonic::None, {Mem(MemorySize::None)}, 2},
        FpuCase{"DB34_unnamed_sib", {0xDB, 0x34, 0x24}, true, Mnemonic::None, {Mem(MemorySize::None)}, 3},
        FpuCase{"sib_disp32", {0xD8, 0x04, 0x25, 1, 2, 3, 4}, true, Mnemonic::Fadd, {Mem(MemorySize::Dword)}, 7},
        FpuCase{"address_override_16bit_form",
                {0x67, 0xD9, 0x06, 0x34, 0x12},
                true,
                Mnemonic::Fld,
                {Mem(MemorySize::Dword)},
                5},
        FpuCase{"address_override_32bit_form",
                {0x67, 0xD9, 0x05, 1, 2, 3, 4},
                false,
                Mnemonic::Fld,
                {Mem(MemorySize::Dword)},
                7}),
    [](const auto& info) { return std::string(info.param.name); });

// The environment image of fldenv/fstenv follows the effective operand size
// (28 bytes in 32-bit form, 14 in 16-bit form); the full state of frstor/fsave
// keeps one size.
INSTANTIATE_TEST_SUITE_P(
    EnvironmentAndStateSizes, FpuForms,
    ::testing::Values(
        FpuCase{"fldenv_32", {0xD9, 0x20}, true, Mnemonic::Fldenv, {Mem(MemorySize::TwentyEightBytes)}, 2},
        FpuCase{"fstenv_32_override", {0x66, 0xD9, 0x30}, true, Mnemonic::Fstenv, {Mem(MemorySize::FourteenBytes)}, 3},
        FpuCase{"fstenv_32", {0xD9, 0x30}, true, Mnemonic::Fstenv, {Mem(MemorySize::TwentyEightBytes)}, 2},
        FpuCase{"fldenv_16", {0xD9, 0x20}, false, Mnemonic::Fldenv, {Mem(MemorySize::FourteenBytes)}, 2},
        FpuCase{
            "fldenv_16_override", {0x66, 0xD9, 0x20}, false, Mnemonic::Fldenv, {Mem(MemorySize::TwentyEightBytes)}, 3},
        FpuCase{"fldenv_size_ignores_67",
                {0x67, 0xD9, 0x20},
                true,
                Mnemonic::Fldenv,
                {Mem(MemorySize::TwentyEightBytes)},
                3},
        FpuCase{"frstor_16", {0xDD, 0x26, 0x34, 0x12}, false, Mnemonic::Frstor, {Mem(MemorySize::Bytes108)}, 4},
        FpuCase{"fsave_32_override", {0x66, 0xDD, 0x30}, true, Mnemonic::Fsave, {Mem(MemorySize::Bytes108)}, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FpuForms, BareDisplacementIsRecorded) {
    const auto [ok, record] = test::Decode({0xDD, 0x26, 0x34, 0x12}, false);
    ASSERT_TRUE(ok);
    ASSERT_EQ(record.operandCount, 1);
    const OperandDescriptor& memory = record.operands[0];
    EXPECT_EQ(memory.base, 0);
    EXPECT_EQ(memory.index, 0);
    EXPECT_EQ(memory.dispSize, 2);
    EXPECT_EQ(memory.disp, 0x1234u);
}

// Byte combinations that name no x87 instruction become invalid, but keep the
// ModR/M byte offered for editing.
TEST(FpuForms, RefusedCombinationsAreInvalidWithModRM) {
    const std::vector<std::vector<uint8_t>> refused = {
        {0xD9, 0xE2}, {0xD9, 0xEF}, {0xD9, 0xD1}, {0xD9, 0xD8},
        {0xDA, 0xE8}, {0xDA, 0xF0}, {0xDB, 0xE4}, {0xDB, 0xF8},
        {0xDD, 0xC8}, {0xDD, 0xF0}, {0xDE, 0xD8}, {0xDF, 0xE1},
        {0xDF, 0xC0}, {0xD9, 0x08}, {0xDB, 0x08}, {0xDD, 0x0E, 0x34, 0x12},
        {0xDF, 0x08},
    };
    for (const auto& bytes : refused) {
        const DecodedInstruction record = test::DecodeBytes(bytes, true);
        SCOPED_TRACE(testing::PrintToString(bytes));
        EXPECT_TRUE(IsInvalid(record));
        EXPECT_EQ(record.mnemonic, Mnemonic::Invalid);
        EXPECT_EQ(InstructionLength(record), 1u);
        EXPECT_TRUE(HasModRM(record));
    }
}

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
