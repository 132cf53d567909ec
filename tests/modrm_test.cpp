#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "decoder/internal/modrm.h"

namespace vexa {
namespace {

struct ModRMCase {
    const char* name;
    bool address32;
    std::vector<uint8_t> bytes;
    uint8_t kind, base, index, scale, dispSize;
    uint32_t disp;
    unsigned length;
    bool sib;
};

class ModRMForms : public ::testing::TestWithParam<ModRMCase> {};

TEST_P(ModRMForms, DecodesAddressingForm) {
    const ModRMCase& c = GetParam();
    std::array<uint8_t, 25> buffer{};
    std::copy(c.bytes.begin(), c.bytes.end(), buffer.begin());
    DecodedInstruction record{};
    OperandDescriptor reg{}, rm{};
    ASSERT_TRUE(DecodeModRM(buffer.data(), &record, &reg, &rm, c.address32));
    EXPECT_EQ(rm.kind, c.kind);
    EXPECT_EQ(rm.base, c.base);
    EXPECT_EQ(rm.index, c.index);
    EXPECT_EQ(rm.scale, c.scale);
    EXPECT_EQ(rm.dispSize, c.dispSize);
    EXPECT_EQ(rm.disp, c.disp);
    EXPECT_EQ(InstructionLength(record), c.length);
    EXPECT_TRUE(HasModRM(record));
    EXPECT_EQ(HasSIB(record), c.sib);
    EXPECT_EQ(reg.kind, OperandKind::Register);
    EXPECT_EQ(reg.reg, (c.bytes[0] >> 3) & 7);
}

INSTANTIATE_TEST_SUITE_P(
    All, ModRMForms,
    ::testing::Values(
        ModRMCase{"sib_disp32_only", true, {0x04, 0x25, 0x78, 0x56, 0x34, 0x12}, 1, 0, 0, 0, 4, 0x12345678, 6, true},
        ModRMCase{"esp_base_disp8", true, {0x44, 0x24, 0x08}, 1, 0x94, 0, 0, 1, 0x08, 3, true},
        ModRMCase{"index_scaled_no_base", true, {0x0C, 0x8D, 0x00, 0x10, 0x00, 0x00}, 1, 0, 0x91, 0x84, 4, 0x1000, 6,
                  true},
        ModRMCase{"no_index_scale_ignored", true, {0x04, 0xE0}, 1, 0x90, 0, 0, 0, 0, 2, true},
        ModRMCase{"scale_one_not_stored", true, {0x04, 0x00}, 1, 0x90, 0x90, 0, 0, 0, 2, true},
        ModRMCase{"ebp_disp32_mod10", true, {0x85, 0x01, 0x02, 0x03, 0x04}, 1, 0x95, 0, 0, 4, 0x04030201, 5, false},
        ModRMCase{"bare_disp32", true, {0x05, 0x01, 0x02, 0x03, 0x04}, 1, 0, 0, 0, 4, 0x04030201, 5, false},
        ModRMCase{"register32", true, {0xC1}, 0, 0, 0, 0, 0, 0, 1, false},
        ModRMCase{"bare_disp16", false, {0x06, 0x34, 0x12}, 1, 0, 0, 0, 2, 0x1234, 3, false},
        ModRMCase{"bp_disp8", false, {0x46, 0x00}, 1, 0x8D, 0, 0, 1, 0, 2, false},
        ModRMCase{"si_only", false, {0x04}, 1, 0, 0x8E, 0, 0, 0, 1, false},
        ModRMCase{"bx_si_disp16", false, {0x80, 0xFF, 0x7F}, 1, 0x8B, 0x8E, 0, 2, 0x7FFF, 3, false},
        ModRMCase{"register16", false, {0xD8}, 0, 0, 0, 0, 0, 0, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexa
