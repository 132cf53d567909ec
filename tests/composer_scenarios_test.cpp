// The composer end to end: clicks and prefix choices in, groups, editor sizes
// and display lines out, with the real decoder and formatter.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "composer/composer.h"
#include "composer_test_view.h"

namespace vexa {
namespace {

using test::ComposerFixture;
using Bytes = std::vector<uint8_t>;
using Captions = std::array<std::string, 8>;

struct GroupsInUse {
    bool opcode2, modrm, sib, disp, imm;
    bool operator==(const GroupsInUse&) const = default;
};

GroupsInUse Groups(const ComposerFixture& c) {
    const ComposerState& s = c.state;
    for (unsigned g = 0; g < kComposerGroupCount; ++g) {
        EXPECT_EQ(c.view.shown.enabled[g], GroupFlag(s, static_cast<ComposerGroup>(g))) << "controls of group " << g;
    }
    EXPECT_FALSE(s.opcode3Used);
    return {s.opcode2Used, s.modrmUsed, s.sibUsed, s.dispUsed, s.immUsed};
}

std::array<std::string, kFieldLabelSlots> Labels(std::initializer_list<std::pair<unsigned, const char*>> set) {
    std::array<std::string, kFieldLabelSlots> labels{};
    for (const auto& [slot, text] : set) labels[slot] = text;
    return labels;
}

TEST(ComposerScenario, StartsWithTheModRMGroupAndTwoZeroBytes) {
    ComposerFixture c;
    EXPECT_EQ(Groups(c), (GroupsInUse{false, true, false, false, false}));
    EXPECT_EQ(c.BytesLine(), "00 00 ");
    EXPECT_EQ(c.InstructionLine(), "add\tbyte ptr [bx+si], al");
    EXPECT_EQ(c.view.shown.labels, Labels({{0, "w"}, {1, "d"}}));
    EXPECT_EQ(c.EditorSize(ByteEditor::Displacement), 1u);
    EXPECT_EQ(c.EditorSize(ByteEditor::Immediate), 1u);
    const Captions zeros{"0", "0", "0", "0", "0", "0", "0", "0"};
    for (const Captions& row : c.view.shown.captions) EXPECT_EQ(row, zeros);
}

TEST(ComposerScenario, EscapeByteBringsInAndDropsTheSecondCodeByteKeepingItsValue) {
    ComposerFixture c;
    c.Set(ComposerByte::Opcode2, 0x85);  // set while out of use: kept, not composed
    c.Set(ComposerByte::Opcode1, 0x0F);
    EXPECT_TRUE(Groups(c).opcode2);
    EXPECT_EQ(c.BytesLine(), "0F 85 00 00 ");
    EXPECT_EQ(c.view.shown.labels, Labels({{5, "n"}, {6, "t"}, {7, "t"}, {8, "t"}}));
    c.Set(ComposerByte::Opcode1, 0x90);
    EXPECT_FALSE(Groups(c).opcode2);
    EXPECT_EQ(c.state.opcode2, 0x85);
    EXPECT_EQ(c.BytesLine(), "90 ");
}

TEST(ComposerScenario, PrefixValueTakesEveryGroupOutOfUseAndIsDescribed) {
    for (const uint8_t value : {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65, 0x66, 0x67, 0xF0, 0xF2, 0xF3}) {
        ComposerFixture c;
        c.Set(ComposerByte::Opcode2, 0xBA);  // bt group: ModR/M and an immediate
        c.Set(ComposerByte::Opcode1, 0x0F);
        c.view.prefixes = {.operandSize = true, .fs = true, .repne = true};
        c.Set(ComposerByte::Opcode1, value);
        EXPECT_EQ(Groups(c), (GroupsInUse{})) << std::hex << int{value};
        EXPECT_EQ(c.InstructionLine(), PrefixDescription(value));
        EXPECT_EQ(c.BytesLine(), "");
        EXPECT_EQ(c.view.shown.labels, Labels({}));
    }
    ComposerFixture c;
    c.Set(ComposerByte::Opcode1, 0xF2);
    EXPECT_EQ(c.InstructionLine(), "REPNE prefix");
    c.Set(ComposerByte::Opcode1, 0x64);
    EXPECT_EQ(c.InstructionLine(), "FS segment override prefix");
    c.Set(ComposerByte::Opcode1, 0xF1);  // not a prefix: decoded
    EXPECT_EQ(c.BytesLine(), "F1 ");
    EXPECT_NE(c.InstructionLine().find('\t'), std::string::npos);
}

TEST(ComposerScenario, PrefixesComeInFixedOrderWhateverTheClickOrder) {
    constexpr std::array<bool PrefixChoices::*, 6> kBoxes{&PrefixChoices::operandSize, &PrefixChoices::addressSize,
                                                           &PrefixChoices::ss,          &PrefixChoices::lock,
                                                           &PrefixChoices::rep,         &PrefixChoices::repne};
    std::array<unsigned, 6> clickOrder{0, 1, 2, 3, 4, 5};
    do {
        ComposerFixture c;
        c.Set(ComposerByte::Opcode1, 0x90);
        for (const unsigned box : clickOrder) {
            PrefixChoices p = c.view.prefixes;
            p.*kBoxes[box] = true;
            c.SetPrefixes(p);
        }
        ASSERT_EQ(c.BytesLine(), "66 67 36 F0 F2 F3 90 ");
    } while (std::next_permutation(clickOrder.begin(), clickOrder.end()));
}

TEST(ComposerScenario, GroupsAndEditorSizesFollowTheOpcodeAndMode) {
    struct Case {
        const char* name;
        bool mode32;
        uint8_t opcode1, modrm;
        GroupsInUse groups;
        unsigned editorSize;  // of the group in use, if any
        const char* bytesLine;
    };
    const Case cases[] = {
        {"SIB for ModR/M 04h in 32-bit mode", true, 0x8B, 0x04, {false, true, true, false, false}, 0, "8B 04 00 "},
        {"no SIB for 04h in 16-bit mode", false, 0x8B, 0x04, {false, true, false, false, false}, 0, "8B 04 "},
        {"no SIB for 05h", true, 0x8B, 0x05, {false, true, false, true, false}, 4, "8B 05 00 00 00 00 "},
        {"no SIB for a register", true, 0x8B, 0xC4, {false, true, false, false, false}, 0, "8B C4 "},
        {"retn count", false, 0xC2, 0, {false, false, false, true, false}, 2, "C2 00 00 "},
        {"retn count", true, 0xC2, 0, {false, false, false, true, false}, 2, "C2 00 00 "},
        {"far jump", false, 0xEA, 0, {false, false, false, true, false}, 4, "EA 00 00 00 00 "},
        {"far jump", true, 0xEA, 0, {false, false, false, true, false}, 6, "EA 00 00 00 00 00 00 "},
        {"enter: second immediate from the zero fill", false, 0xC8, 0, {false, false, false, false, true}, 2,
         "C8 00 00 00 "},
        {"push imm", true, 0x68, 0, {false, false, false, false, true}, 4, "68 00 00 00 00 "},
        {"nop", false, 0x90, 0, {}, 0, "90 "},
    };
    for (const Case& k : cases) {
        ComposerFixture c;
        c.SetMode32(k.mode32);
        c.Set(ComposerByte::ModRM, k.modrm);
        c.Set(ComposerByte::Opcode1, k.opcode1);
        EXPECT_EQ(Groups(c), k.groups) << k.name;
        EXPECT_EQ(c.BytesLine(), k.bytesLine) << k.name;
        const ByteEditor editor = k.groups.disp ? ByteEditor::Displacement : ByteEditor::Immediate;
        if (k.groups.disp || k.groups.imm) {
            EXPECT_EQ(c.EditorSize(editor), k.editorSize) << k.name;
        }
    }
}

TEST(ComposerScenario, FarPointerBytesAreOffsetFirstSelectorLast) {
    ComposerFixture c;
    c.Set(ComposerByte::Opcode1, 0xEA);
    c.view.Type(ByteEditor::Displacement, "11223344");
    Refresh(c.state, c.view);
    EXPECT_EQ(c.BytesLine(), "EA 11 22 33 44 ");
    EXPECT_EQ(c.InstructionLine(), "jmp\t4433:2211");
    c.SetMode32(true);  // grows to 6 bytes, keeping the four typed
    EXPECT_EQ(c.BytesLine(), "EA 11 22 33 44 00 00 ");
    EXPECT_EQ(c.InstructionLine(), "jmp\t0000:44332211");
}

TEST(ComposerScenario, DisplacementEditorKeepsItsBytesAcrossAnOpcodeThatNeedsNone) {
    ComposerFixture c;
    c.Set(ComposerByte::Opcode1, 0x8B);
    c.Set(ComposerByte::ModRM, 0x86);  // [bp+disp16]
    c.view.Type(ByteEditor::Displacement, "3412");
    Refresh(c.state, c.view);
    EXPECT_EQ(c.BytesLine(), "8B 86 34 12 ");
    c.Set(ComposerByte::Opcode1, 0x90);
    EXPECT_FALSE(Groups(c).disp);
    EXPECT_EQ(c.view.EditorBytes(ByteEditor::Displacement), (Bytes{0x34, 0x12}));
    c.Set(ComposerByte::Opcode1, 0x8B);
    EXPECT_EQ(c.BytesLine(), "8B 86 34 12 ");
}

TEST(ComposerScenario, UpperCaseSwitchChangesOnlyTheFormattedLine) {
    ComposerFixture c;
    c.Set(ComposerByte::Opcode1, 0x8B);
    c.Set(ComposerByte::ModRM, 0x47);  // [bx+disp8]
    c.view.Type(ByteEditor::Displacement, "1a");
    c.state.upperCase = true;
    Refresh(c.state, c.view);
    EXPECT_EQ(c.InstructionLine(), "MOV\tAX, WORD PTR [BX+1A]");
    EXPECT_EQ(c.BytesLine(), "8B 47 1A ");
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
        {0xA1, 0, Labels({{0, "w"}, {1, "d"}})},
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

// The groups settle in the refresh that changes the opcode: the ModR/M byte
// brought in is read for its displacement at once.
TEST(ComposerScenario, OpcodeChangeBringsInModRMAndItsDisplacementTogether) {
    ComposerFixture c;
    c.Set(ComposerByte::Opcode1, 0x90);
    c.Set(ComposerByte::ModRM, 0x06);  // kept while out of use; with 10h: [disp16]
    c.view.Type(ByteEditor::Displacement, "34");
    c.Click(ComposerByte::Opcode1, 0);  // 90h -> 10h, adc r/m8, reg8
    EXPECT_EQ(c.view.shown.captions[0], (Captions{"0", "0", "0", "1", "0", "0", "0", "0"}));
    EXPECT_EQ(Groups(c), (GroupsInUse{false, true, false, true, false}));
    EXPECT_EQ(c.view.EditorBytes(ByteEditor::Displacement), (Bytes{0x34, 0x00}));
    EXPECT_EQ(c.BytesLine(), "10 06 34 00 ");
}

TEST(ComposerScenario, EarlyMisreadingNeverCutsTypedBytes) {
    // A 32-bit jump with 4 displacement bytes typed, then 8Bh with ModR/M 84h
    // (SIB, disp32): the first round, on the old flags, takes the typed 45h for
    // a ModR/M byte with a 1-byte displacement. The editor must stay as typed.
    ComposerFixture c;
    c.SetMode32(true);
    c.Set(ComposerByte::ModRM, 0x84);
    c.Set(ComposerByte::Sib, 0x25);
    c.Set(ComposerByte::Opcode1, 0xE9);
    c.view.Type(ByteEditor::Displacement, "45223344");
    c.view.resizes = {};
    c.Set(ComposerByte::Opcode1, 0x8B);
    EXPECT_EQ(Groups(c), (GroupsInUse{false, true, true, true, false}));
    EXPECT_EQ(c.view.EditorBytes(ByteEditor::Displacement), (Bytes{0x45, 0x22, 0x33, 0x44}));
    EXPECT_EQ(c.view.resizes[0], 0u);
    EXPECT_EQ(c.BytesLine(), "8B 84 25 45 22 33 44 ");
}

}  // namespace
}  // namespace vexa
