// The composer end to end: clicks and prefix choices in, groups, editor sizes
// and display lines out, with the real decoder and formatter.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "composer/prefix_values.h"
#include "composer_test_view.h"

namespace vexa {
namespace {

using test::ComposerFixture;
using Bytes = std::vector<uint8_t>;

struct GroupsInUse {
    bool opcode2, modrm, sib, disp, imm;
    bool operator==(const GroupsInUse&) const = default;
};

GroupsInUse Groups(const ComposerState& s) { return {s.opcode2Used, s.modrmUsed, s.sibUsed, s.dispUsed, s.immUsed}; }

void ExpectControlsMatchFlags(const ComposerFixture& c) {
    for (unsigned g = 0; g < kComposerGroupCount; ++g) {
        EXPECT_EQ(c.view.shown.enabled[g], GroupFlag(c.state, static_cast<ComposerGroup>(g))) << "group " << g;
    }
}

std::array<std::string, kFieldLabelSlots> Labels(std::initializer_list<std::pair<unsigned, const char*>> set) {
    std::array<std::string, kFieldLabelSlots> labels{};
    for (const auto& [slot, text] : set) labels[slot] = text;
    return labels;
}

TEST(ComposerScenario, StartsWithTheModRMGroupAndTwoZeroBytes) {
    ComposerFixture c;
    EXPECT_EQ(Groups(c.state), (GroupsInUse{false, true, false, false, false}));
    EXPECT_FALSE(c.state.opcode3Used);
    ExpectControlsMatchFlags(c);
    EXPECT_EQ(c.BytesLine(), "00 00 ");
    EXPECT_EQ(c.InstructionLine(), "add\tbyte ptr [bx+si], al");
    EXPECT_EQ(c.view.shown.labels, Labels({{0, "w"}, {1, "d"}}));
    EXPECT_EQ(c.EditorSize(ByteEditor::Displacement), 1u);
    EXPECT_EQ(c.EditorSize(ByteEditor::Immediate), 1u);
    for (const auto& row : c.view.shown.captions) {
        for (const std::string& caption : row) EXPECT_EQ(caption, "0");
    }
}

TEST(ComposerScenario, EscapeByteBringsInAndDropsTheSecondCodeByteKeepingItsValue) {
    ComposerFixture c;
    c.Set(ComposerByte::Opcode2, 0x85);  // toggled while not in use: kept, not composed
    EXPECT_FALSE(c.state.opcode2Used);
    c.Set(ComposerByte::Opcode1, 0x0F);
    EXPECT_TRUE(c.state.opcode2Used);
    EXPECT_EQ(c.BytesLine(), "0F 85 00 00 ");
    EXPECT_EQ(c.view.shown.labels, Labels({{5, "n"}, {6, "t"}, {7, "t"}, {8, "t"}}));
    c.Set(ComposerByte::Opcode1, 0x90);
    EXPECT_FALSE(c.state.opcode2Used);
    EXPECT_EQ(c.state.opcode2, 0x85);
    EXPECT_EQ(c.BytesLine(), "90 ");
    ExpectControlsMatchFlags(c);
}

TEST(ComposerScenario, PrefixValueTakesEveryGroupOutOfUseAndIsDescribed) {
    for (const uint8_t value : {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65, 0x66, 0x67, 0xF0, 0xF2, 0xF3}) {
        ComposerFixture c;
        c.Set(ComposerByte::Opcode1, 0x0F);
        c.Set(ComposerByte::Opcode2, 0xBA);  // bt group: ModR/M and an immediate
        c.view.prefixes = {.operandSize = true, .fs = true, .repne = true};
        c.Set(ComposerByte::Opcode1, value);
        EXPECT_EQ(Groups(c.state), (GroupsInUse{})) << std::hex << int{value};
        ExpectControlsMatchFlags(c);
        EXPECT_EQ(c.InstructionLine(), PrefixDescription(value));
        EXPECT_EQ(c.BytesLine(), "");
        EXPECT_EQ(c.view.shown.labels, Labels({}));
        EXPECT_EQ(c.view.shown.captions[0][0], (value & 0x80) ? "1" : "0");
    }
}

TEST(ComposerScenario, PrefixDescriptionsAreTheSystemsOwnWords) {
    ComposerFixture c;
    c.Set(ComposerByte::Opcode1, 0xF2);
    EXPECT_EQ(c.InstructionLine(), "REPNE prefix");
    c.Set(ComposerByte::Opcode1, 0x64);
    EXPECT_EQ(c.InstructionLine(), "FS segment override prefix");
    c.Set(ComposerByte::Opcode1, 0x66);
    EXPECT_EQ(c.InstructionLine(), "Operand size override prefix");
    c.Set(ComposerByte::Opcode1, 0xF1);  // not a prefix: decoded
    EXPECT_EQ(c.BytesLine(), "F1 ");
    EXPECT_EQ(PrefixDescription(0xF1), nullptr);
    EXPECT_NE(c.InstructionLine().find('\t'), std::string::npos);
}

TEST(ComposerScenario, PrefixesComeInFixedOrderWhateverTheClickOrder) {
    constexpr std::array<bool PrefixChoices::*, 6> kBoxes{&PrefixChoices::operandSize, &PrefixChoices::addressSize,
                                                           &PrefixChoices::ss,          &PrefixChoices::lock,
                                                           &PrefixChoices::rep,         &PrefixChoices::repne};
    std::array<unsigned, 6> clickOrder{0, 1, 2, 3, 4, 5};
    unsigned orders = 0;
    do {
        ComposerFixture c;
        c.Set(ComposerByte::Opcode1, 0x90);
        for (const unsigned box : clickOrder) {
            PrefixChoices p = c.view.prefixes;
            p.*kBoxes[box] = true;
            c.SetPrefixes(p);
        }
        ASSERT_EQ(c.BytesLine(), "66 67 36 F0 F2 F3 90 ");
        ++orders;
    } while (std::next_permutation(clickOrder.begin(), clickOrder.end()));
    EXPECT_EQ(orders, 720u);
}

TEST(ComposerScenario, DisplacementEditorKeepsItsBytesAcrossAnOpcodeThatNeedsNone) {
    ComposerFixture c;
    c.Set(ComposerByte::Opcode1, 0x8B);
    c.Set(ComposerByte::ModRM, 0x86);  // [bp+disp16]
    ASSERT_TRUE(c.state.dispUsed);
    c.view.Type(ByteEditor::Displacement, "3412");
    Refresh(c.state, c.view);
    EXPECT_EQ(c.BytesLine(), "8B 86 34 12 ");

    c.Set(ComposerByte::Opcode1, 0x90);
    EXPECT_FALSE(c.state.dispUsed);
    EXPECT_FALSE(c.view.shown.enabled[static_cast<unsigned>(ComposerGroup::Displacement)]);
    EXPECT_EQ(c.view.EditorBytes(ByteEditor::Displacement), (Bytes{0x34, 0x12}));

    c.Set(ComposerByte::Opcode1, 0x8B);
    EXPECT_TRUE(c.state.dispUsed);
    EXPECT_EQ(c.BytesLine(), "8B 86 34 12 ");
}

TEST(ComposerScenario, SibOnlyIn32BitModeForModRM04) {
    struct Case {
        bool mode32;
        uint8_t modrm;
        bool sib;
    };
    for (const Case k : {Case{true, 0x04, true}, Case{false, 0x04, false}, Case{true, 0x05, false},
                         Case{true, 0x03, false}, Case{true, 0xC4, false}}) {
        ComposerFixture c;
        c.SetMode32(k.mode32);
        c.Set(ComposerByte::Opcode1, 0x8B);
        c.Set(ComposerByte::ModRM, k.modrm);
        EXPECT_EQ(c.state.sibUsed, k.sib) << int{k.modrm} << " mode32 " << k.mode32;
        ExpectControlsMatchFlags(c);
    }
}

TEST(ComposerScenario, EditorSizesFollowTheOpcodeAndMode) {
    struct Case {
        const char* name;
        bool mode32;
        uint8_t opcode1;
        unsigned dispSize;  // 0 = group out of use
        unsigned immSize;
    };
    for (const Case k : {Case{"retn count", false, 0xC2, 2, 0}, Case{"retn count", true, 0xC2, 2, 0},
                         Case{"far jump", false, 0xEA, 4, 0}, Case{"far jump", true, 0xEA, 6, 0},
                         Case{"enter", false, 0xC8, 0, 2}, Case{"push imm", true, 0x68, 0, 4},
                         Case{"jmp rel", false, 0xE9, 2, 0}}) {
        ComposerFixture c;
        c.SetMode32(k.mode32);
        c.Set(ComposerByte::Opcode1, k.opcode1);
        EXPECT_EQ(c.state.dispUsed, k.dispSize != 0) << k.name;
        EXPECT_EQ(c.state.immUsed, k.immSize != 0) << k.name;
        if (k.dispSize != 0) {
            EXPECT_EQ(c.EditorSize(ByteEditor::Displacement), k.dispSize) << k.name;
        }
        if (k.immSize != 0) {
            EXPECT_EQ(c.EditorSize(ByteEditor::Immediate), k.immSize) << k.name;
        }
        EXPECT_FALSE(c.state.modrmUsed) << k.name;
    }
}

TEST(ComposerScenario, FarPointerBytesAreOffsetFirstSelectorLast) {
    ComposerFixture c;
    c.Set(ComposerByte::Opcode1, 0xEA);
    c.view.Type(ByteEditor::Displacement, "11223344");
    Refresh(c.state, c.view);
    EXPECT_EQ(c.BytesLine(), "EA 11 22 33 44 ");
    EXPECT_NE(c.InstructionLine().find("4433:2211"), std::string::npos) << c.InstructionLine();

    c.SetMode32(true);  // the editor grows to 6, keeping the four bytes typed
    c.view.Type(ByteEditor::Displacement, "1122334455");
    Refresh(c.state, c.view);
    EXPECT_EQ(c.BytesLine(), "EA 11 22 33 44 55 00 ");
    EXPECT_NE(c.InstructionLine().find("0055:44332211"), std::string::npos) << c.InstructionLine();
}

TEST(ComposerScenario, EnterReadsItsSecondImmediateFromTheZeroFill) {
    ComposerFixture c;
    c.Set(ComposerByte::Opcode1, 0xC8);
    c.view.Type(ByteEditor::Immediate, "1020");
    Refresh(c.state, c.view);
    EXPECT_EQ(c.BytesLine(), "C8 10 20 00 ");
}

TEST(ComposerScenario, NopIsOneByteWithoutLabels) {
    ComposerFixture c;
    c.Set(ComposerByte::Opcode1, 0x90);
    EXPECT_EQ(Groups(c.state), (GroupsInUse{}));
    EXPECT_EQ(c.BytesLine(), "90 ");
    EXPECT_EQ(c.view.shown.labels, Labels({}));
}

TEST(ComposerScenario, UpperCaseSwitchChangesOnlyTheFormattedLine) {
    ComposerFixture c;
    c.Set(ComposerByte::Opcode1, 0x8B);
    c.Set(ComposerByte::ModRM, 0x47);  // [bx+disp8]
    c.view.Type(ByteEditor::Displacement, "1a");
    Refresh(c.state, c.view);
    const std::string lower = c.InstructionLine();
    const std::string bytes = c.BytesLine();
    c.state.upperCase = true;
    Refresh(c.state, c.view);
    std::string upper = lower;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char ch) { return (ch >= 'a' && ch <= 'z') ? ch - 32 : ch; });
    EXPECT_EQ(c.InstructionLine(), upper);
    EXPECT_NE(c.InstructionLine(), lower);
    EXPECT_EQ(c.BytesLine(), bytes);

    c.Set(ComposerByte::Opcode1, 0x67);
    EXPECT_EQ(c.InstructionLine(), "Address size override prefix");
    c.Set(ComposerByte::Opcode1, 0x8B);
    c.view.editorsAnswer = false;  // the displacement in use cannot be read
    Refresh(c.state, c.view);
    EXPECT_EQ(c.InstructionLine(), "Decode error!!!");
    EXPECT_EQ(c.BytesLine(), "");
    EXPECT_EQ(c.view.shown.labels, Labels({{0, "w"}, {1, "d"}}));  // still from the record
}

TEST(ComposerScenario, FieldLabelsFollowTheOpcodeClass) {
    struct Case {
        uint8_t opcode1, opcode2;
        std::array<std::string, kFieldLabelSlots> labels;
    };
    const Case cases[] = {
        {0x01, 0, Labels({{0, "w"}, {1, "d"}})},
        {0xA1, 0, Labels({{0, "w"}, {1, "d"}})},
        {0xC7, 0, Labels({{0, "w"}})},
        {0xF7, 0, Labels({{0, "w"}})},
        {0x1E, 0, Labels({{3, "r"}, {4, "s"}})},
        {0x83, 0, Labels({{0, "w"}, {1, "s"}})},
        {0x75, 0, Labels({{0, "n"}, {1, "t"}, {2, "t"}, {3, "t"}})},
        {0xBB, 0, Labels({{0, "g"}, {1, "e"}, {2, "r"}, {3, "w"}})},
        {0x8E, 0, Labels({{1, "d"}})},
        {0x6B, 0, Labels({{1, "s"}})},
        {0x53, 0, Labels({{0, "g"}, {1, "e"}, {2, "r"}})},
        {0xE8, 0, Labels({})},
        {0x0F, 0xC9, Labels({{5, "g"}, {6, "e"}, {7, "r"}})},
        {0x0F, 0x22, Labels({{6, "d"}})},
        {0x0F, 0xA8, Labels({{8, "3"}, {9, "r"}, {10, "s"}})},
        {0x0F, 0xB6, Labels({{5, "w"}})},
        {0x0F, 0x44, Labels({{5, "n"}, {6, "t"}, {7, "t"}, {8, "t"}})},
        {0x0F, 0x85, Labels({{5, "n"}, {6, "t"}, {7, "t"}, {8, "t"}})},
        {0x0F, 0x94, Labels({{5, "n"}, {6, "t"}, {7, "t"}, {8, "t"}})},
        {0x0F, 0xA2, Labels({})},
    };
    for (const Case& k : cases) {
        ComposerFixture c;
        c.Set(ComposerByte::Opcode2, k.opcode2);
        c.Set(ComposerByte::Opcode1, k.opcode1);
        EXPECT_EQ(c.view.shown.labels, k.labels) << std::hex << int{k.opcode1} << " " << int{k.opcode2};
    }
    EXPECT_EQ(FieldLabelsFor(99, 0), FieldLabelRow{});
    EXPECT_EQ(FieldLabelsFor(24, 99), FieldLabelRow{});
}

TEST(ComposerScenario, BitCaptionsShowEveryBitOfTheFiveBytes) {
    ComposerFixture c;
    c.Click(ComposerByte::Opcode1, 0);
    c.Click(ComposerByte::Opcode1, 7);  // 81h
    c.Click(ComposerByte::Sib, 2);      // 20h, toggled while SIB is out of use
    const auto& captions = c.view.shown.captions;
    EXPECT_EQ(captions[0], (std::array<std::string, 8>{"1", "0", "0", "0", "0", "0", "0", "1"}));
    EXPECT_EQ(captions[4], (std::array<std::string, 8>{"0", "0", "1", "0", "0", "0", "0", "0"}));
}

// The group pass settles in the same refresh: the ModR/M byte brought in by an
// opcode change is read for its displacement at once.
TEST(ComposerScenario, OpcodeChangeBringsInModRMAndItsDisplacementTogether) {
    ComposerFixture c;
    c.Set(ComposerByte::Opcode1, 0x90);
    c.Set(ComposerByte::ModRM, 0x06);  // kept while out of use; with 10h: [disp16]
    c.view.Type(ByteEditor::Displacement, "34");
    ASSERT_EQ(Groups(c.state), (GroupsInUse{}));

    c.Click(ComposerByte::Opcode1, 0);  // 90h -> 10h, adc r/m8, reg8
    EXPECT_EQ(c.state.opcode1, 0x10);
    EXPECT_EQ(Groups(c.state), (GroupsInUse{false, true, false, true, false}));
    ExpectControlsMatchFlags(c);
    EXPECT_EQ(c.view.EditorBytes(ByteEditor::Displacement), (Bytes{0x34, 0x00}));
    EXPECT_EQ(c.BytesLine(), "10 06 34 00 ");
}

TEST(ComposerScenario, EarlyMisreadingNeverCutsTypedBytes) {
    // 32-bit mode, a jump with its 4 displacement bytes typed. Switching to 8Bh
    // with ModR/M 84h (SIB, disp32): the first round, with the old flags, takes
    // the typed 45h for a ModR/M byte calling for one displacement byte. The
    // editor must stay as typed and end at the settled 4 bytes.
    ComposerFixture c;
    c.SetMode32(true);
    c.Set(ComposerByte::ModRM, 0x84);
    c.Set(ComposerByte::Sib, 0x25);
    c.Set(ComposerByte::Opcode1, 0xE9);
    ASSERT_EQ(Groups(c.state), (GroupsInUse{false, false, false, true, false}));
    c.view.Type(ByteEditor::Displacement, "45223344");
    c.view.resizes = {};

    c.Set(ComposerByte::Opcode1, 0x8B);
    EXPECT_EQ(Groups(c.state), (GroupsInUse{false, true, true, true, false}));
    EXPECT_EQ(c.view.EditorBytes(ByteEditor::Displacement), (Bytes{0x45, 0x22, 0x33, 0x44}));
    EXPECT_EQ(c.view.resizes[0], 0u);
    EXPECT_EQ(c.BytesLine(), "8B 84 25 45 22 33 44 ");
}

}  // namespace
}  // namespace vexa
