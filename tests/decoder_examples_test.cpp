// Decodes of concrete byte strings: prefixes, each opcode class, the far and
// relative branch sizes, and the invalid path.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "decoder/decoder.h"
#include "decoder/mnemonic_list.h"
#include "decoder/opcode_classes.h"
#include "tests/operand_builders.h"

namespace vexa {

bool operator==(const OperandDescriptor& x, const OperandDescriptor& y) {
    return x.kind == y.kind && x.memorySize == y.memorySize && x.reg == y.reg && x.base == y.base &&
           x.index == y.index && x.scale == y.scale && x.dispSize == y.dispSize && x.disp == y.disp &&
           x.dispHigh == y.dispHigh && x.immSize == y.immSize && x.imm == y.imm;
}

void PrintTo(const OperandDescriptor& o, std::ostream* os) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "{kind %u mem %u reg %02X base %02X index %02X scale %02X disp %u:%X high %X imm %u:%X}", o.kind,
                  o.memorySize, o.reg, o.base, o.index, o.scale, o.dispSize, o.disp, o.dispHigh, o.immSize, o.imm);
    *os << text;
}

namespace {

using namespace Mnemonic;

// Register operands and the base/index codes of memory operands.
OperandDescriptor Reg(uint8_t registerClass, uint8_t number) { return test::RegisterOperand(registerClass, number); }
OperandDescriptor R8(uint8_t n) { return Reg(RegisterClass::Gpr8, n); }
OperandDescriptor R16(uint8_t n) { return Reg(RegisterClass::Gpr16, n); }
OperandDescriptor R32(uint8_t n) { return Reg(RegisterClass::Gpr32, n); }
OperandDescriptor Seg(uint8_t n) { return Reg(RegisterClass::Segment, n); }
constexpr uint8_t B32(uint8_t n) { return 0x90 | n; }
constexpr uint8_t B16(uint8_t n) { return 0x88 | n; }
constexpr uint8_t kEax = 0, kEcx = 1, kEbx = 3, kEsi = 6;
constexpr uint8_t kBx = 3, kSi = 6;

OperandDescriptor Mem(uint8_t size, uint8_t base = 0, uint8_t index = 0, uint8_t scale = 0, uint8_t dispSize = 0,
                      uint32_t disp = 0) {
    return test::MemoryOperand(size, base, index, scale, dispSize, disp);
}
OperandDescriptor Imm(uint8_t size, uint32_t value) { return test::ImmediateOperand(size, value); }
OperandDescriptor WithDisp(uint8_t kind, uint8_t size, uint32_t disp, uint16_t high = 0) {
    return test::DispOperand(kind, size, disp, high);
}
OperandDescriptor Rel(uint8_t size, uint32_t disp) { return WithDisp(OperandKind::Relative, size, disp); }
OperandDescriptor Far(uint8_t size, uint32_t disp, uint16_t high = 0) {
    return WithDisp(OperandKind::FarPointer, size, disp, high);
}

constexpr bool k32 = true;
constexpr bool k16 = false;

std::vector<uint8_t> Repeat(uint8_t byte, size_t count, std::vector<uint8_t> tail = {}) {
    std::vector<uint8_t> bytes(count, byte);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

DecodedInstruction DecodeBytes(const std::vector<uint8_t>& bytes, bool is32BitMode) {
    std::array<uint8_t, kDecodeWindow> window{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), window.size()), window.begin());
    DecodedInstruction record;
    std::memset(&record, 0xCC, sizeof record);  // a stale record must not show through
    EXPECT_TRUE(DecodeInstruction(window.data(), &record, is32BitMode));
    return record;
}

struct ValidCase {
    const char* name;
    bool mode32;
    std::vector<uint8_t> bytes;
    uint16_t mnemonic;
    unsigned length;
    std::vector<OperandDescriptor> operands;
};

void PrintTo(const ValidCase& c, std::ostream* os) { *os << c.name; }

std::string CaseName(const char* name, bool mode32) { return std::string(name) + (mode32 ? "_32" : "_16"); }

class ValidDecode : public ::testing::TestWithParam<ValidCase> {};

TEST_P(ValidDecode, GivesNameLengthAndOperands) {
    const ValidCase& c = GetParam();
    const DecodedInstruction r = DecodeBytes(c.bytes, c.mode32);
    EXPECT_FALSE(IsInvalid(r));
    EXPECT_STREQ(MnemonicText(r.mnemonic), MnemonicText(c.mnemonic));
    EXPECT_EQ(InstructionLength(r), c.length);
    ASSERT_EQ(r.operandCount, c.operands.size());
    for (size_t i = 0; i < c.operands.size(); ++i) EXPECT_EQ(r.operands[i], c.operands[i]) << "operand " << i;
    for (size_t i = c.operands.size(); i < 3; ++i) EXPECT_EQ(r.operands[i], OperandDescriptor{}) << "slot " << i;
}

auto NameOf = [](const auto& info) { return CaseName(info.param.name, info.param.mode32); };

INSTANTIATE_TEST_SUITE_P(
    Prefixes, ValidDecode,
    ::testing::Values(
        ValidCase{"nop", k32, {0x90}, Nop, 1, {}},
        ValidCase{"nop_66", k32, {0x66, 0x90}, Nop, 2, {}},
        ValidCase{"fourteen_prefixes", k32, Repeat(0x66, 14, {0x90}), Nop, 15, {}},
        ValidCase{"thirteen_prefixes_two_byte", k32, Repeat(0x3E, 13, {0x0F, 0x31}), Rdtsc, 15, {}},
        ValidCase{"last_segment_wins", k32, {0x26, 0x2E, 0x8B, 0x00}, Mov, 4, {R32(kEax), Mem(8, B32(kEax))}},
        ValidCase{"rep_movsd", k32, {0xF3, 0xA5}, Movsd, 2, {}},
        ValidCase{"movsw_66", k32, {0x66, 0xA5}, Movsw, 2, {}},
        ValidCase{"movsw", k16, {0xA5}, Movsw, 1, {}},
        ValidCase{"movsd_66", k16, {0x66, 0xA5}, Movsd, 2, {}},
        ValidCase{"lock_add_sib", k32, {0xF0, 0x26, 0x01, 0x44, 0xB3, 0x10}, Add, 6,
                  {Mem(8, B32(kEbx), B32(kEsi), 0x84, 1, 0x10), R32(kEax)}},
        ValidCase{"mov_bx_si_disp8", k16, {0x89, 0x40, 0x12}, Mov, 3, {Mem(6, B16(kBx), B16(kSi), 0, 1, 0x12), R16(0)}},
        ValidCase{"mov_addr16_in_32", k32, {0x67, 0x8B, 0x00}, Mov, 3, {R32(kEax), Mem(8, B16(kBx), B16(kSi))}},
        ValidCase{"mov_addr32_in_16", k16, {0x67, 0x66, 0x8B, 0x00}, Mov, 4, {R32(kEax), Mem(8, B32(kEax))}}),
    NameOf);

// Relative branches and far pointers take the effective operand size; jcxz/jecxz
// and the A0-A3 memory offsets take the address size.
INSTANTIATE_TEST_SUITE_P(
    BranchSizes, ValidDecode,
    ::testing::Values(
        ValidCase{"jmp_rel32", k32, {0xE9, 0x78, 0x56, 0x34, 0x12}, Jmp, 5, {Rel(4, 0x12345678)}},
        ValidCase{"jmp_67_keeps_rel32", k32, {0x67, 0xE9, 0x78, 0x56, 0x34, 0x12}, Jmp, 6, {Rel(4, 0x12345678)}},
        ValidCase{"jmp_66_rel16", k32, {0x66, 0xE9, 0x34, 0x12}, Jmp, 4, {Rel(2, 0x1234)}},
        ValidCase{"jmp_rel16", k16, {0xE9, 0x34, 0x12}, Jmp, 3, {Rel(2, 0x1234)}},
        ValidCase{"jmp_66_rel32", k16, {0x66, 0xE9, 0x78, 0x56, 0x34, 0x12}, Jmp, 6, {Rel(4, 0x12345678)}},
        ValidCase{"call_rel32", k32, {0xE8, 0xFB, 0xFF, 0xFF, 0xFF}, Call, 5, {Rel(4, 0xFFFFFFFB)}},
        ValidCase{"call_66_rel16", k32, {0x66, 0xE8, 0xFC, 0xFF}, Call, 4, {Rel(2, 0xFFFC)}},
        ValidCase{"je_rel32", k32, {0x0F, 0x84, 1, 2, 3, 4}, Je, 6, {Rel(4, 0x04030201)}},
        ValidCase{"je_66_rel16", k32, {0x66, 0x0F, 0x84, 1, 2}, Je, 5, {Rel(2, 0x0201)}},
        ValidCase{"je_67_rel32", k32, {0x67, 0x0F, 0x84, 1, 2, 3, 4}, Je, 7, {Rel(4, 0x04030201)}},
        ValidCase{"jg_rel16", k16, {0x0F, 0x8F, 1, 2}, Jg, 4, {Rel(2, 0x0201)}},
        ValidCase{"call_far_16_32", k32, {0x9A, 1, 2, 3, 4, 5, 6}, Call, 7, {Far(6, 0x04030201, 0x0605)}},
        ValidCase{"call_far_66", k32, {0x66, 0x9A, 1, 2, 3, 4}, Call, 6, {Far(4, 0x04030201)}},
        ValidCase{"jmp_far_67_keeps_48", k32, {0x67, 0xEA, 1, 2, 3, 4, 5, 6}, Jmp, 8, {Far(6, 0x04030201, 0x0605)}},
        ValidCase{"jmp_far", k16, {0xEA, 1, 2, 3, 4}, Jmp, 5, {Far(4, 0x04030201)}},
        ValidCase{"jmp_far_66", k16, {0x66, 0xEA, 1, 2, 3, 4, 5, 6}, Jmp, 8, {Far(6, 0x04030201, 0x0605)}},
        ValidCase{"jecxz", k32, {0xE3, 0x10}, Jecxz, 2, {Rel(1, 0x10)}},
        ValidCase{"jcxz_67", k32, {0x67, 0xE3, 0x10}, Jcxz, 3, {Rel(1, 0x10)}},
        ValidCase{"jcxz", k16, {0xE3, 0x10}, Jcxz, 2, {Rel(1, 0x10)}},
        ValidCase{"jecxz_67", k16, {0x67, 0xE3, 0x10}, Jecxz, 3, {Rel(1, 0x10)}},
        ValidCase{"jecxz_66_stays", k32, {0x66, 0xE3, 0x10}, Jecxz, 3, {Rel(1, 0x10)}},
        ValidCase{"mov_eax_moffs32", k32, {0xA1, 1, 2, 3, 4}, Mov, 5, {R32(kEax), Mem(8, 0, 0, 0, 4, 0x04030201)}},
        ValidCase{"mov_eax_moffs16_67", k32, {0x67, 0xA1, 1, 2}, Mov, 4, {R32(kEax), Mem(8, 0, 0, 0, 2, 0x0201)}},
        ValidCase{"mov_moffs_al", k16, {0xA2, 1, 2}, Mov, 3, {Mem(4, 0, 0, 0, 2, 0x0201), R8(0)}},
        ValidCase{"mov_moffs_ax_66", k32, {0x66, 0xA3, 1, 2, 3, 4}, Mov, 6, {Mem(6, 0, 0, 0, 4, 0x04030201), R16(0)}},
        ValidCase{"je_short", k32, {0x74, 0xFE}, Je, 2, {Rel(1, 0xFE)}},
        ValidCase{"loop", k16, {0xE2, 0x80}, Loop, 2, {Rel(1, 0x80)}},
        ValidCase{"jmp_short", k32, {0xEB, 0x00}, Jmp, 2, {Rel(1, 0)}}),
    NameOf);

// FE is the byte form, FF the full-size form; far indirect call/jmp need memory
// and read an offset of the operand size plus a selector.
INSTANTIATE_TEST_SUITE_P(
    Group45, ValidDecode,
    ::testing::Values(
        ValidCase{"inc_eax", k32, {0xFF, 0xC0}, Inc, 2, {R32(kEax)}},
        ValidCase{"inc_dword_mem", k32, {0xFF, 0x00}, Inc, 2, {Mem(8, B32(kEax))}},
        ValidCase{"dec_ax_66", k32, {0x66, 0xFF, 0xC8}, Dec, 3, {R16(0)}},
        ValidCase{"inc_al", k32, {0xFE, 0xC0}, Inc, 2, {R8(0)}},
        ValidCase{"dec_byte_mem", k16, {0xFE, 0x0F}, Dec, 2, {Mem(4, B16(kBx))}},
        ValidCase{"inc_ax", k16, {0xFF, 0xC0}, Inc, 2, {R16(0)}},
        ValidCase{"call_near_mem", k32, {0xFF, 0x10}, Call, 2, {Mem(8, B32(kEax))}},
        ValidCase{"call_near_reg", k32, {0xFF, 0xD0}, Call, 2, {R32(kEax)}},
        ValidCase{"call_far_mem", k32, {0xFF, 0x18}, Call, 2, {Mem(9, B32(kEax))}},
        ValidCase{"call_far_mem_66", k32, {0x66, 0xFF, 0x18}, Call, 3, {Mem(8, B32(kEax))}},
        ValidCase{"call_far_mem", k16, {0xFF, 0x1F}, Call, 2, {Mem(8, B16(kBx))}},
        ValidCase{"jmp_far_mem", k32, {0xFF, 0x28}, Jmp, 2, {Mem(9, B32(kEax))}},
        ValidCase{"jmp_near_reg", k16, {0xFF, 0xE3}, Jmp, 2, {R16(kBx)}},
        ValidCase{"push_mem", k32, {0xFF, 0x30}, Push, 2, {Mem(8, B32(kEax))}},
        ValidCase{"pop_mem", k32, {0x8F, 0x00}, Pop, 2, {Mem(8, B32(kEax))}},
        ValidCase{"pop_reg", k16, {0x8F, 0xC0}, Pop, 2, {R16(0)}}),
    NameOf);

INSTANTIATE_TEST_SUITE_P(
    OneByteClasses, ValidDecode,
    ::testing::Values(
        ValidCase{"int_imm8", k32, {0xCD, 0x21}, Int, 2, {Imm(1, 0x21)}},
        ValidCase{"aam", k16, {0xD4, 0x0A}, Aam, 2, {Imm(1, 0x0A)}},
        ValidCase{"add_rm_reg", k32, {0x00, 0xC8}, Add, 2, {R8(0), R8(kEcx)}},
        ValidCase{"add_reg_rm", k32, {0x02, 0xC8}, Add, 2, {R8(kEcx), R8(0)}},
        ValidCase{"mov_reg_rm_66", k32, {0x66, 0x8B, 0xC1}, Mov, 3, {R16(0), R16(kEcx)}},
        ValidCase{"arpl_reg", k16, {0x63, 0xC8}, Arpl, 2, {R16(0), R16(kEcx)}},
        ValidCase{"arpl_mem", k32, {0x63, 0x08}, Arpl, 2, {Mem(6, B32(kEax)), R16(kEcx)}},
        ValidCase{"lea", k32, {0x8D, 0x04, 0x24}, Lea, 3, {R32(kEax), Mem(8, B32(4))}},
        ValidCase{"lea_66", k32, {0x66, 0x8D, 0x00}, Lea, 3, {R16(0), Mem(6, B32(kEax))}},
        ValidCase{"bound", k32, {0x62, 0x00}, Bound, 2, {R32(kEax), Mem(10, B32(kEax))}},
        ValidCase{"bound", k16, {0x62, 0x00}, Bound, 2, {R16(0), Mem(8, B16(kBx), B16(kSi))}},
        ValidCase{"les", k32, {0xC4, 0x00}, Les, 2, {R32(kEax), Mem(9, B32(kEax))}},
        ValidCase{"lds", k16, {0xC5, 0x07}, Lds, 2, {R16(0), Mem(8, B16(kBx))}},
        ValidCase{"mov_mem_imm32", k32, {0xC7, 0x00, 0x78, 0x56, 0x34, 0x12}, Mov, 6, {Mem(8, B32(kEax)), Imm(4, 0x12345678)}},
        ValidCase{"mov_mem_imm16_66", k32, {0x66, 0xC7, 0x00, 0x34, 0x12}, Mov, 5, {Mem(6, B32(kEax)), Imm(2, 0x1234)}},
        ValidCase{"mov_disp_imm8", k32, {0xC6, 0x40, 0x08, 0x7F}, Mov, 4, {Mem(4, B32(kEax), 0, 0, 1, 8), Imm(1, 0x7F)}},
        ValidCase{"in_al_imm", k32, {0xE4, 0x60}, In, 2, {R8(0), Imm(1, 0x60)}},
        ValidCase{"in_ax_imm_66", k32, {0x66, 0xE5, 0x60}, In, 3, {R16(0), Imm(1, 0x60)}},
        ValidCase{"out_imm_eax", k32, {0xE7, 0x60}, Out, 2, {Imm(1, 0x60), R32(kEax)}},
        ValidCase{"push_es", k16, {0x06}, Push, 1, {Seg(0)}},
        ValidCase{"push_cs", k32, {0x0E}, Push, 1, {Seg(1)}},
        ValidCase{"pop_ds", k32, {0x1F}, Pop, 1, {Seg(3)}},
        ValidCase{"retn_imm16", k32, {0xC2, 0x08, 0x00}, Retn, 3, {WithDisp(OperandKind::Constant, 2, 8)}},
        ValidCase{"retf_imm16", k16, {0xCA, 0x34, 0x12}, Retf, 3, {WithDisp(OperandKind::Constant, 2, 0x1234)}},
        ValidCase{"add_sign_extended", k32, {0x83, 0xC0, 0xFF}, Add, 3, {R32(kEax), Imm(4, 0xFFFFFFFF)}},
        ValidCase{"sub_sign_extended_66", k32, {0x66, 0x83, 0xE8, 0x80}, Sub, 4, {R16(0), Imm(2, 0xFF80)}},
        ValidCase{"cmp_sign_extended", k16, {0x83, 0x3F, 0x7F}, Cmp, 3, {Mem(6, B16(kBx)), Imm(2, 0x007F)}},
        ValidCase{"add_imm8", k32, {0x80, 0xC0, 0x7F}, Add, 3, {R8(0), Imm(1, 0x7F)}},
        ValidCase{"or_82_not_extended", k32, {0x82, 0xC8, 0x80}, Or, 3, {R8(0), Imm(1, 0x80)}},
        ValidCase{"xor_imm32", k32, {0x81, 0xF0, 1, 2, 3, 4}, Xor, 6, {R32(kEax), Imm(4, 0x04030201)}},
        ValidCase{"xor_imm16", k16, {0x81, 0xF0, 1, 2}, Xor, 4, {R16(0), Imm(2, 0x0201)}},
        ValidCase{"shl_by_1", k32, {0xD0, 0xE0}, Shl, 2, {R8(0), Imm(1, 1)}},
        ValidCase{"sar_by_cl", k32, {0xD3, 0xF8}, Sar, 2, {R32(kEax), R8(kEcx)}},
        ValidCase{"rol_mem_by_1", k16, {0xD1, 0x07}, Rol, 2, {Mem(6, B16(kBx)), Imm(1, 1)}},
        ValidCase{"test_imm", k32, {0xF6, 0xC0, 0x12}, Test, 3, {R8(0), Imm(1, 0x12)}},
        ValidCase{"test_imm16", k16, {0xF7, 0xC0, 0x34, 0x12}, Test, 4, {R16(0), Imm(2, 0x1234)}},
        ValidCase{"neg", k32, {0xF7, 0xD8}, Neg, 2, {R32(kEax)}},
        ValidCase{"idiv_mem", k32, {0xF7, 0x38}, Idiv, 2, {Mem(8, B32(kEax))}},
        ValidCase{"stosb", k32, {0xAA}, Stosb, 1, {}},
        ValidCase{"insw", k16, {0x6D}, Insw, 1, {}},
        ValidCase{"lodsd_66", k16, {0x66, 0xAD}, Lodsd, 2, {}},
        ValidCase{"cmpsw", k16, {0xA7}, Cmpsw, 1, {}},
        ValidCase{"in_al_dx", k32, {0xEC}, In, 1, {R8(0), R16(2)}},
        ValidCase{"out_dx_ax", k16, {0xEF}, Out, 1, {R16(2), R16(0)}},
        ValidCase{"add_eax_imm32", k32, {0x05, 1, 2, 3, 4}, Add, 5, {R32(kEax), Imm(4, 0x04030201)}},
        ValidCase{"add_ax_imm16_66", k32, {0x66, 0x05, 1, 2}, Add, 4, {R16(0), Imm(2, 0x0201)}},
        ValidCase{"test_al_imm8", k16, {0xA8, 0xFF}, Test, 2, {R8(0), Imm(1, 0xFF)}},
        ValidCase{"shl_imm8", k32, {0xC1, 0xE0, 0x04}, Shl, 3, {R32(kEax), Imm(1, 4)}},
        ValidCase{"enter", k32, {0xC8, 0x10, 0x00, 0x01}, Enter, 4, {Imm(2, 0x0010), Imm(1, 1)}},
        ValidCase{"mov_eax_imm32", k32, {0xB8, 1, 2, 3, 4}, Mov, 5, {R32(kEax), Imm(4, 0x04030201)}},
        ValidCase{"mov_bh_imm8", k32, {0xB7, 0x12}, Mov, 2, {R8(7), Imm(1, 0x12)}},
        ValidCase{"mov_sp_imm16", k16, {0xBC, 1, 2}, Mov, 3, {R16(4), Imm(2, 0x0201)}},
        ValidCase{"mov_ax_imm16_66", k32, {0x66, 0xB8, 1, 2}, Mov, 4, {R16(0), Imm(2, 0x0201)}},
        ValidCase{"mov_ax_ds", k32, {0x8C, 0xD8}, Mov, 2, {R16(0), Seg(3)}},
        ValidCase{"mov_ds_mem", k32, {0x8E, 0x18}, Mov, 2, {Seg(3), Mem(6, B32(kEax))}},
        ValidCase{"push_imm32", k32, {0x68, 1, 2, 3, 4}, Push, 5, {Imm(4, 0x04030201)}},
        ValidCase{"push_imm16", k16, {0x68, 1, 2}, Push, 3, {Imm(2, 0x0201)}},
        ValidCase{"push_sign_extended", k32, {0x6A, 0xFF}, Push, 2, {Imm(4, 0xFFFFFFFF)}},
        ValidCase{"push_sign_extended", k16, {0x6A, 0x80}, Push, 2, {Imm(2, 0xFF80)}},
        ValidCase{"imul_imm8", k32, {0x6B, 0xC1, 0xFE}, Imul, 3, {R32(kEax), R32(kEcx), Imm(4, 0xFFFFFFFE)}},
        ValidCase{"imul_imm32_sib", k32, {0x69, 0x04, 0x24, 1, 2, 3, 4}, Imul, 7,
                  {R32(kEax), Mem(8, B32(4)), Imm(4, 0x04030201)}},
        ValidCase{"imul_imm16", k16, {0x69, 0x06, 0x34, 0x12, 1, 2}, Imul, 6,
                  {R16(0), Mem(6, 0, 0, 0, 2, 0x1234), Imm(2, 0x0201)}},
        ValidCase{"inc_eax", k32, {0x40}, Inc, 1, {R32(kEax)}},
        ValidCase{"dec_di_66", k32, {0x66, 0x4F}, Dec, 2, {R16(7)}},
        ValidCase{"push_ax", k16, {0x50}, Push, 1, {R16(0)}},
        ValidCase{"xchg_eax_ebx", k32, {0x93}, Xchg, 1, {R32(kEax), R32(kEbx)}},
        ValidCase{"cbw", k32, {0x98}, Cbw, 1, {}},
        ValidCase{"cbw_66", k32, {0x66, 0x98}, Cbw, 2, {}},
        ValidCase{"cwd", k32, {0x99}, Cwd, 1, {}},
        ValidCase{"pusha", k32, {0x60}, Pusha, 1, {}},
        ValidCase{"retn", k16, {0xC3}, Retn, 1, {}},
        ValidCase{"salc", k32, {0xD6}, Salc, 1, {}},
        ValidCase{"test_reg_first", k32, {0x84, 0x08}, Test, 2, {R8(kEcx), Mem(4, B32(kEax))}},
        ValidCase{"xchg_reg_first", k16, {0x87, 0x07}, Xchg, 2, {R16(0), Mem(6, B16(kBx))}}),
    NameOf);

INSTANTIATE_TEST_SUITE_P(
    TwoByteClasses, ValidDecode,
    ::testing::Values(
        ValidCase{"bswap", k32, {0x0F, 0xC8}, Bswap, 2, {R32(kEax)}},
        ValidCase{"bswap_66", k32, {0x66, 0x0F, 0xC9}, Bswap, 3, {R16(kEcx)}},
        ValidCase{"bt_imm", k32, {0x0F, 0xBA, 0xE0, 0x05}, Bt, 4, {R32(kEax), Imm(1, 5)}},
        ValidCase{"btc_mem_imm", k16, {0x0F, 0xBA, 0x3F, 0x05}, Btc, 4, {Mem(6, B16(kBx)), Imm(1, 5)}},
        ValidCase{"mov_from_cr0", k32, {0x0F, 0x20, 0xC0}, Mov, 3, {R32(kEax), Reg(RegisterClass::Control, 0)}},
        ValidCase{"mov_to_cr3", k16, {0x0F, 0x22, 0xD8}, Mov, 3, {Reg(RegisterClass::Control, 3), R32(kEax)}},
        ValidCase{"mov_to_dr1", k32, {0x0F, 0x23, 0xC8}, Mov, 3, {Reg(RegisterClass::Debug, 1), R32(kEax)}},
        ValidCase{"mov_from_dr7", k32, {0x0F, 0x21, 0xF8}, Mov, 3, {R32(kEax), Reg(RegisterClass::Debug, 7)}},
        ValidCase{"push_fs", k32, {0x0F, 0xA0}, Push, 2, {Seg(4)}},
        ValidCase{"pop_fs", k32, {0x0F, 0xA1}, Pop, 2, {Seg(4)}},
        ValidCase{"pop_gs", k16, {0x0F, 0xA9}, Pop, 2, {Seg(5)}},
        ValidCase{"push_segment_7", k32, {0x0F, 0xB8}, Push, 2, {Seg(7)}},
        ValidCase{"pop_segment_7", k32, {0x0F, 0xB9}, Pop, 2, {Seg(7)}},
        ValidCase{"shld_imm", k32, {0x0F, 0xA4, 0xC8, 0x04}, Shld, 4, {R32(kEax), R32(kEcx), Imm(1, 4)}},
        ValidCase{"shrd_imm", k16, {0x0F, 0xAC, 0x0F, 0x04}, Shrd, 4, {Mem(6, B16(kBx)), R16(kEcx), Imm(1, 4)}},
        ValidCase{"cmpxchg", k32, {0x0F, 0xB1, 0x08}, Cmpxchg, 3, {Mem(8, B32(kEax)), R32(kEcx)}},
        ValidCase{"cmpxchg_byte", k32, {0x0F, 0xB0, 0xC8}, Cmpxchg, 3, {R8(0), R8(kEcx)}},
        ValidCase{"xadd_66", k32, {0x66, 0x0F, 0xC1, 0xC8}, Xadd, 4, {R16(0), R16(kEcx)}},
        ValidCase{"movzx_byte_mem", k32, {0x0F, 0xB6, 0x00}, Movzx, 3, {R32(kEax), Mem(4, B32(kEax))}},
        ValidCase{"movzx_word_mem", k32, {0x0F, 0xB7, 0x00}, Movzx, 3, {R32(kEax), Mem(6, B32(kEax))}},
        ValidCase{"movzx_word_mem", k16, {0x0F, 0xB7, 0x00}, Movzx, 3, {R16(0), Mem(6, B16(kBx), B16(kSi))}},
        ValidCase{"movzx_66", k32, {0x66, 0x0F, 0xB6, 0xC1}, Movzx, 4, {R16(0), R8(kEcx)}},
        ValidCase{"movsx_word_reg", k32, {0x0F, 0xBF, 0xC1}, Movsx, 3, {R32(kEax), R16(kEcx)}},
        ValidCase{"rdtsc", k32, {0x0F, 0x31}, Rdtsc, 2, {}},
        ValidCase{"cpuid", k16, {0x0F, 0xA2}, Cpuid, 2, {}},
        ValidCase{"ud2", k32, {0x0F, 0x0B}, Ud2, 2, {}},
        ValidCase{"cmove", k32, {0x0F, 0x44, 0xC1}, Cmove, 3, {R32(kEax), R32(kEcx)}},
        ValidCase{"cmovg_mem_66", k32, {0x66, 0x0F, 0x4F, 0x00}, Cmovg, 4, {R16(0), Mem(6, B32(kEax))}},
        ValidCase{"sete", k32, {0x0F, 0x94, 0xC0}, Sete, 3, {R8(0)}},
        ValidCase{"setb_mem", k16, {0x0F, 0x92, 0x07}, Setb, 3, {Mem(4, B16(kBx))}},
        ValidCase{"sldt_reg", k32, {0x0F, 0x00, 0xC0}, Sldt, 3, {R32(kEax)}},
        ValidCase{"sldt_mem", k16, {0x0F, 0x00, 0x07}, Sldt, 3, {Mem(6, B16(kBx))}},
        ValidCase{"str_mem_word", k32, {0x0F, 0x00, 0x08}, Str, 3, {Mem(6, B32(kEax))}},
        ValidCase{"ltr_reg_word", k32, {0x0F, 0x00, 0xD8}, Ltr, 3, {R16(0)}},
        ValidCase{"verw", k32, {0x0F, 0x00, 0x28}, Verw, 3, {Mem(6, B32(kEax))}},
        ValidCase{"sgdt", k32, {0x0F, 0x01, 0x00}, Sgdt, 3, {Mem(3, B32(kEax))}},
        ValidCase{"sgdt_register_unnamed", k32, {0x0F, 0x01, 0xC0}, None, 3, {Reg(0, 0)}},
        ValidCase{"sidt", k16, {0x0F, 0x01, 0x0F}, Sidt, 3, {Mem(3, B16(kBx))}},
        ValidCase{"lgdt", k32, {0x0F, 0x01, 0x10}, Lgdt, 3, {Mem(9, B32(kEax))}},
        ValidCase{"lidt", k16, {0x0F, 0x01, 0x1F}, Lidt, 3, {Mem(9, B16(kBx))}},
        ValidCase{"smsw_mem", k32, {0x0F, 0x01, 0x20}, Smsw, 3, {Mem(6, B32(kEax))}},
        ValidCase{"smsw_reg", k32, {0x0F, 0x01, 0xE0}, Smsw, 3, {R32(kEax)}},
        ValidCase{"lmsw_reg_66", k32, {0x66, 0x0F, 0x01, 0xF0}, Lmsw, 4, {R16(0)}},
        ValidCase{"invlpg", k32, {0x0F, 0x01, 0x38}, Invlpg, 3, {Mem(4, B32(kEax))}},
        ValidCase{"cmpxchg8b", k32, {0x0F, 0xC7, 0x08}, Cmpxchg8b, 3, {Mem(10, B32(kEax))}},
        ValidCase{"imul_reg_rm", k32, {0x0F, 0xAF, 0xC1}, Imul, 3, {R32(kEax), R32(kEcx)}},
        ValidCase{"bsf", k16, {0x0F, 0xBC, 0x07}, Bsf, 3, {R16(0), Mem(6, B16(kBx))}},
        ValidCase{"lar", k32, {0x0F, 0x02, 0xC1}, Lar, 3, {R32(kEax), R32(kEcx)}},
        ValidCase{"bt_rm_reg", k32, {0x0F, 0xA3, 0xC8}, Bt, 3, {R32(kEax), R32(kEcx)}},
        ValidCase{"bts_mem_reg", k32, {0x0F, 0xAB, 0x08}, Bts, 3, {Mem(8, B32(kEax)), R32(kEcx)}},
        ValidCase{"shld_cl", k32, {0x0F, 0xA5, 0xC8}, Shld, 3, {R32(kEax), R32(kEcx), R8(kEcx)}},
        ValidCase{"shrd_cl_66", k32, {0x66, 0x0F, 0xAD, 0xC8}, Shrd, 4, {R16(0), R16(kEcx), R8(kEcx)}},
        ValidCase{"lss", k32, {0x0F, 0xB2, 0x00}, Lss, 3, {R32(kEax), Mem(9, B32(kEax))}},
        ValidCase{"lfs_66", k32, {0x66, 0x0F, 0xB4, 0x00}, Lfs, 4, {R16(0), Mem(8, B32(kEax))}},
        ValidCase{"lgs", k16, {0x0F, 0xB5, 0x07}, Lgs, 3, {R16(0), Mem(8, B16(kBx))}}),
    NameOf);

// Encodings that are not instructions: the record reads INVALID, one byte long.
struct InvalidCase {
    const char* name;
    bool mode32;
    std::vector<uint8_t> bytes;
};

void PrintTo(const InvalidCase& c, std::ostream* os) { *os << c.name; }

class InvalidDecode : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidDecode, IsMarkedInvalid) {
    const InvalidCase& c = GetParam();
    const DecodedInstruction r = DecodeBytes(c.bytes, c.mode32);
    EXPECT_TRUE(IsInvalid(r));
    EXPECT_EQ(r.mnemonic, Invalid);
    EXPECT_EQ(InstructionLength(r), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    All, InvalidDecode,
    ::testing::Values(
        InvalidCase{"fifteen_prefixes", k32, Repeat(0x66, 15, {0x90})},
        InvalidCase{"sixteen_bytes", k32, Repeat(0x66, 14, {0x05, 1, 2})},
        InvalidCase{"two_byte_sixteen_bytes", k16, Repeat(0xF0, 14, {0x0F, 0x31})},
        InvalidCase{"mov_rm_imm_reg1", k32, {0xC6, 0xC8, 0x00}},
        InvalidCase{"mov_rm_imm_reg7", k16, {0xC7, 0x38, 0x00, 0x00}},
        InvalidCase{"fe_call", k32, {0xFE, 0xD0}},
        InvalidCase{"fe_push", k32, {0xFE, 0x30}},
        InvalidCase{"ff_reg7", k32, {0xFF, 0x38}},
        InvalidCase{"call_far_register", k32, {0xFF, 0xD8}},
        InvalidCase{"jmp_far_register", k16, {0xFF, 0xE8}},
        InvalidCase{"pop_rm_reg1", k32, {0x8F, 0x08}},
        InvalidCase{"group3_reg1", k32, {0xF6, 0xC8}},
        InvalidCase{"lea_register", k32, {0x8D, 0xC0}},
        InvalidCase{"bound_register", k32, {0x62, 0xC0}},
        InvalidCase{"les_register", k16, {0xC4, 0xC0}},
        InvalidCase{"two_byte_unassigned", k32, {0x0F, 0x04}},
        InvalidCase{"two_byte_0f_0f", k16, {0x0F, 0x0F, 0x00}},
        InvalidCase{"bt_imm_reg0", k32, {0x0F, 0xBA, 0xC0, 0x01}},
        InvalidCase{"mov_to_cr1", k32, {0x0F, 0x22, 0xC8}},
        InvalidCase{"mov_from_cr5", k32, {0x0F, 0x20, 0xE8}},
        InvalidCase{"mov_control_memory", k32, {0x0F, 0x20, 0x00}},
        InvalidCase{"setcc_reg1", k32, {0x0F, 0x94, 0xC8}},
        InvalidCase{"group6_reg6", k32, {0x0F, 0x00, 0x30}},
        InvalidCase{"sidt_register", k32, {0x0F, 0x01, 0xC8}},
        InvalidCase{"lgdt_register", k32, {0x0F, 0x01, 0xD0}},
        InvalidCase{"group7_reg5", k32, {0x0F, 0x01, 0x28}},
        InvalidCase{"invlpg_register", k32, {0x0F, 0x01, 0xF8}},
        InvalidCase{"cmpxchg8b_register", k32, {0x0F, 0xC7, 0xC8}},
        InvalidCase{"group9_reg0", k32, {0x0F, 0xC7, 0x00}},
        InvalidCase{"lss_register", k32, {0x0F, 0xB2, 0xC0}}),
    NameOf);

// What an invalid record keeps: the dialog still reads the prefix bits, the
// classes and the operands stored before the encoding was rejected.
TEST(InvalidRecord, KeepsPrefixAndRepeatBits) {
    const DecodedInstruction r = DecodeBytes(Repeat(0xF3, 15), k32);
    EXPECT_TRUE(HasRepeatPrefix(r));
    EXPECT_TRUE(RepeatIsRep(r));
    EXPECT_EQ(r.opcodeClass, OpcodeClass::Prefix);
    EXPECT_EQ(r.operandCount, 0);

    const DecodedInstruction twoByte = DecodeBytes({0xF2, 0x66, 0x0F, 0x04, 0x00}, k32);
    EXPECT_TRUE(IsInvalid(twoByte));
    EXPECT_TRUE(HasRepeatPrefix(twoByte));
    EXPECT_FALSE(RepeatIsRep(twoByte));
    EXPECT_EQ(twoByte.prefixFlags & PrefixFlag::OperandSizeOverride, PrefixFlag::OperandSizeOverride);
    EXPECT_EQ(twoByte.opcodeClass, OpcodeClass::TwoByteEscape);
    EXPECT_EQ(twoByte.subClass, TwoByteClass::Invalid);
    EXPECT_TRUE(twoByte.decodeFlags & DecodeFlag::TwoByteOpcode);
    EXPECT_TRUE(HasModRM(twoByte));  // the workbench still offers the ModR/M byte
}

TEST(InvalidRecord, KeepsModRMFlagsWhenTheOperandIsRejected) {
    const DecodedInstruction r = DecodeBytes({0x8D, 0xC0}, k32);
    EXPECT_EQ(r.opcodeClass, OpcodeClass::RegMemFixed);
    EXPECT_TRUE(HasModRM(r));
    EXPECT_EQ(r.operandCount, 0);
}

TEST(InvalidRecord, KeepsOperandsOfAnOverlongInstruction) {
    // 14 prefixes, opcode, ModR/M, SIB, disp32, imm32: 25 bytes.
    const DecodedInstruction r =
        DecodeBytes(Repeat(0x3E, 14, {0x81, 0x84, 0x88, 1, 2, 3, 4, 5, 6, 7, 8}), k32);
    EXPECT_TRUE(IsInvalid(r));
    EXPECT_EQ(InstructionLength(r), 1u);
    EXPECT_TRUE(HasModRM(r));
    EXPECT_TRUE(HasSIB(r));
    EXPECT_EQ(SegmentOverrideOf(r), SegmentOverride::Ds);
    EXPECT_EQ(r.opcodeClass, OpcodeClass::Group1);
    ASSERT_EQ(r.operandCount, 2);
    EXPECT_EQ(r.operands[0], Mem(8, B32(0), B32(1), 0x84, 4, 0x04030201));
    EXPECT_EQ(r.operands[1], Imm(4, 0x08070605));
}

TEST(DecodeRecord, RecordsClassesAndFlags) {
    const DecodedInstruction r = DecodeBytes({0x65, 0x67, 0x0F, 0xB6, 0x00}, k32);
    EXPECT_EQ(r.opcodeClass, OpcodeClass::TwoByteEscape);
    EXPECT_EQ(r.subClass, TwoByteClass::WidthInBit0);
    EXPECT_EQ(r.decodeFlags, DecodeFlag::TwoByteOpcode);
    EXPECT_EQ(SegmentOverrideOf(r), SegmentOverride::Gs);
    EXPECT_EQ(r.prefixFlags & PrefixFlag::AddressSizeOverride, PrefixFlag::AddressSizeOverride);
    EXPECT_FALSE(HasRepeatPrefix(r));

    const DecodedInstruction oneByte = DecodeBytes({0xF2, 0xF3, 0x90}, k16);
    EXPECT_EQ(oneByte.opcodeClass, OpcodeClass::NoOperands);
    EXPECT_EQ(oneByte.subClass, 0);
    EXPECT_EQ(oneByte.decodeFlags, 0);
    EXPECT_TRUE(RepeatIsRep(oneByte));  // the last of F2/F3 decides
}

// An SSE-class opcode is named by its own decoder only, never by the one-byte
// table entry of 0Fh.
TEST(DecodeRecord, UnnamedSseOpcodeIsNotNamedPop) {
    const DecodedInstruction r = DecodeBytes({0x0F, 0x58, 0xC1}, k32);
    EXPECT_EQ(r.subClass, TwoByteClass::SseScalar);
    EXPECT_NE(r.mnemonic, Pop);
}

TEST(DecodeInstructionApi, RefusesNullPointers) {
    const uint8_t bytes[kDecodeWindow] = {0x90};
    DecodedInstruction record{};
    record.mnemonic = 0x1234;
    EXPECT_FALSE(DecodeInstruction(nullptr, &record, true));
    EXPECT_EQ(record.mnemonic, 0x1234);  // untouched
    EXPECT_FALSE(DecodeInstruction(bytes, nullptr, true));
    EXPECT_FALSE(DecodeInstruction(nullptr, &record));
}

TEST(DecodeInstructionApi, GlobalModeIsReadAndLeftAsItWas) {
    const uint8_t saved = mode32;
    const uint8_t bytes[kDecodeWindow] = {0xE3, 0x00};
    DecodedInstruction record{};
    for (const uint8_t mode : {0, 1}) {
        mode32 = mode;
        ASSERT_TRUE(DecodeInstruction(bytes, &record));
        EXPECT_EQ(record.mnemonic, mode ? Jecxz : Jcxz);
        EXPECT_EQ(mode32, mode);
    }
    mode32 = saved;
}

}  // namespace
}  // namespace vexa
