// The workbench dialog as a user meets it: what each click and keystroke
// shows in the two lines, the labels, the bit captions, the enabled groups and
// the buttons' check states.
#include "tests/win32/workbench_dialog.h"

#include <string>
#include <vector>

namespace vexa {
namespace {

constexpr int kOpcode1 = 1013, kOpcode2 = 1021, kOpcode3 = 1029, kModRM = 1037, kSib = 1045;

TEST_F(WorkbenchDialog, StartsIn16BitModeWithTheModRMGroupAndFocusOnRep) {
    EXPECT_EQ(Text(1000), "add\tbyte ptr [bx+si], al");
    EXPECT_EQ(Text(1057), "00 00 ");
    EXPECT_EQ(FieldLabels(), "wd---------");
    for (int row : {kOpcode1, kOpcode2, kOpcode3, kModRM, kSib}) EXPECT_EQ(BitRow(row), "00000000") << row;
    ExpectGroups({.modrm = true});
    EXPECT_FALSE(Checked(1008));
    EXPECT_EQ(Text(1008), "32-bit Mode");
    EXPECT_EQ(Text(1056), "U");
    for (int id : {1001, 1002, 1003, 1004, 1005, 1006, 1055, 1007, 1009, 1010, 1011, 1012}) {
        EXPECT_FALSE(Checked(id)) << id;
    }
    EXPECT_EQ(HexEdit_GetSize(Item(1053)), 1u);
    EXPECT_EQ(HexEdit_GetSize(Item(1054)), 1u);
    EXPECT_EQ(FocusId(), 1012);
    const HGDIOBJ oemFixed = GetStockObject(OEM_FIXED_FONT);
    for (int line : {1000, 1057}) {
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(Item(line), WM_GETFONT, 0, 0)), oemFixed) << line;
    }
}

// 88h with ModR/M 40h and the displacement 12h typed in; bit 0 makes it 89h.
TEST_F(WorkbenchDialog, BitZeroTurnsMovByteIntoMovWord) {
    Click(kModRM + 1);
    ExpectGroups({.modrm = true, .displacement = true});
    ClickEditor(1053);
    TypeCharacter('1');
    TypeCharacter('2');
    ClickBits(kOpcode1, 0x88);
    EXPECT_EQ(Text(1000), "mov\tbyte ptr [bx+si+12], al");

    Click(kOpcode1 + 7);
    EXPECT_EQ(Text(1000), "mov\tword ptr [bx+si+12], ax");
    EXPECT_EQ(Text(1057), "89 40 12 ");
    EXPECT_EQ(BitRow(kOpcode1), "10001001");
    EXPECT_EQ(FieldLabels(), "wd---------");
    ExpectGroups({.modrm = true, .displacement = true});
}

// ModR/M 06h is kept while 90h needs none; one click to 10h brings in the
// ModR/M group and the 16-bit displacement at once.
TEST_F(WorkbenchDialog, OneBitClickBringsInModRMAndASizedDisplacement) {
    ClickBits(kModRM, 0x06);
    ClickEditor(1053);
    TypeCharacter('3');
    TypeCharacter('4');
    ClickBits(kOpcode1, 0x90);
    EXPECT_EQ(Text(1000), "nop\t");
    EXPECT_EQ(Text(1057), "90 ");
    EXPECT_EQ(FieldLabels(), "-----------");
    ExpectGroups({});

    Click(kOpcode1);  // bit 7: 90h -> 10h
    EXPECT_EQ(Text(1000), "adc\tbyte ptr [0034], al");
    EXPECT_EQ(Text(1057), "10 06 34 00 ");
    EXPECT_EQ(HexEdit_GetSize(Item(1053)), 2u);
    ExpectGroups({.modrm = true, .displacement = true});
    EXPECT_EQ(BitRow(kModRM), "00000110");
}

TEST_F(WorkbenchDialog, CaseButtonSwitchesTheInstructionLineOnly) {
    Click(1056);
    EXPECT_EQ(Text(1056), "L");
    EXPECT_EQ(Text(1000), "ADD\tBYTE PTR [BX+SI], AL");
    EXPECT_EQ(Text(1057), "00 00 ");
    ClickBits(kOpcode1, 0xF3);  // a prefix value: its description is never upper-cased
    EXPECT_EQ(Text(1000), "REP prefix");
    EXPECT_EQ(Text(1057), "");
    Click(kOpcode1);  // F3h -> 73h
    EXPECT_EQ(Text(1000), "JNB\t$+2");

    Click(1056);
    EXPECT_EQ(Text(1056), "U");
    EXPECT_EQ(Text(1000), "jnb\t$+2");
}

TEST_F(WorkbenchDialog, EmptySegmentButtonRemovesTheOverride) {
    Click(1005);
    EXPECT_TRUE(Checked(1005));
    EXPECT_EQ(Text(1000), "add\tbyte ptr es:[bx+si], al");
    EXPECT_EQ(Text(1057), "26 00 00 ");
    Click(1003);  // one segment at a time
    EXPECT_TRUE(Checked(1003));
    EXPECT_FALSE(Checked(1005));
    EXPECT_EQ(Text(1057), "64 00 00 ");

    Click(1055);
    EXPECT_TRUE(Checked(1055));
    EXPECT_FALSE(Checked(1003));
    EXPECT_EQ(Text(1000), "add\tbyte ptr [bx+si], al");
    EXPECT_EQ(Text(1057), "00 00 ");
}

TEST_F(WorkbenchDialog, PrefixesComeInFixedOrderWhateverTheClickOrder) {
    for (int id : {1011, 1012, 1007, 1006, 1010, 1009}) Click(id);  // lock rep repne ss 67h 66h
    for (int id : {1011, 1012, 1007, 1006, 1010, 1009}) EXPECT_TRUE(Checked(id)) << id;
    EXPECT_EQ(Text(1057), "66 67 36 F0 F2 F3 00 00 ");
    EXPECT_EQ(Text(1000), "lock rep add\tbyte ptr ss:[eax], al");

    Click(1012);  // rep off again
    EXPECT_FALSE(Checked(1012));
    EXPECT_EQ(Text(1057), "66 67 36 F0 F2 00 00 ");
}

TEST_F(WorkbenchDialog, ModeButtonSwitchesTheDecodingMode) {
    ClickBits(kModRM, 0x04);
    EXPECT_EQ(Text(1000), "add\tbyte ptr [si], al");
    ExpectGroups({.modrm = true});

    Click(1008);
    EXPECT_TRUE(Checked(1008));
    EXPECT_EQ(Text(1000), "add\tbyte ptr [eax+eax], al");
    EXPECT_EQ(Text(1057), "00 04 00 ");
    ExpectGroups({.modrm = true, .sib = true});

    Click(1008);
    EXPECT_FALSE(Checked(1008));
    EXPECT_EQ(Text(1000), "add\tbyte ptr [si], al");
    ExpectGroups({.modrm = true});
}

TEST_F(WorkbenchDialog, EveryTypedDigitRedecodesAtOnce) {
    ClickBits(kOpcode1, 0xC2);  // retn with a 16-bit count, in the displacement editor
    ExpectGroups({.displacement = true});
    ClickEditor(1053);
    struct Step {
        char typed;
        const char* instruction;
        const char* bytes;
    };
    const std::vector<Step> steps{
        {'3', "retn\t0030", "C2 30 00 "}, {'4', "retn\t0034", "C2 34 00 "},
        {'1', "retn\t1034", "C2 34 10 "}, {'2', "retn\t1234", "C2 34 12 "},
        {'f', "retn\t1F34", "C2 34 1F "},  // the caret stays on the last digit
    };
    for (const Step& step : steps) {
        TypeCharacter(step.typed);
        EXPECT_EQ(Text(1000), step.instruction) << step.typed;
        EXPECT_EQ(Text(1057), step.bytes) << step.typed;
    }
    TypeCharacter('G');  // not a digit: nothing changes
    EXPECT_EQ(Text(1057), "C2 34 1F ");

    Click(kOpcode1 + 1);  // C2h -> 82h: an immediate byte instead
    ExpectGroups({.modrm = true, .immediate = true});
    ClickEditor(1054);
    TypeCharacter('7');
    EXPECT_EQ(Text(1057), "82 00 70 ");
}

TEST_F(WorkbenchDialog, EscapeByteBringsInTheSecondCodeByte) {
    ClickBits(kOpcode1, 0x0F);
    EXPECT_EQ(Text(1057), "0F 00 00 ");  // 0F 00 takes a ModR/M byte
    ExpectGroups({.opcode2 = true, .modrm = true});
    ClickBits(kOpcode2, 0x85);
    EXPECT_EQ(Text(1000), "jne\t$+4");
    EXPECT_EQ(Text(1057), "0F 85 00 00 ");
    EXPECT_EQ(FieldLabels(), "-----nttt--");
    ExpectGroups({.opcode2 = true, .displacement = true});

    Click(kOpcode1 + 4);  // 0Fh -> 07h: the second code byte drops out, its value kept
    EXPECT_EQ(Text(1000), "pop\tes");
    EXPECT_EQ(FieldLabels(), "---rs------");
    ExpectGroups({});
    EXPECT_EQ(BitRow(kOpcode2), "10000101");
}

TEST_F(WorkbenchDialog, EnterDoesNothing) {
    Click(1011);
    ASSERT_EQ(FocusId(), 1011);
    const std::string line = Text(1000);
    PressKey(VK_RETURN);
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_TRUE(Checked(1011));
    EXPECT_EQ(Text(1000), line);
    EXPECT_EQ(Text(1057), "F0 00 00 ");
}

// Tab visits the enabled tab stops in template order and wraps around.
TEST_F(WorkbenchDialog, TabVisitsTheEnabledTabStopsInTemplateOrder) {
    std::vector<int> visited{FocusId()};
    for (int i = 0; i < 20; ++i) {
        PressKey(VK_TAB);
        visited.push_back(FocusId());
    }
    const std::vector<int> expected{1012, 1007, 1011, 1013, 1014, 1015, 1016, 1017, 1018, 1019, 1020,
                                    1037, 1038, 1039, 1040, 1041, 1042, 1043, 1044, 1056, 1012};
    EXPECT_EQ(visited, expected);
}

}  // namespace
}  // namespace vexa
