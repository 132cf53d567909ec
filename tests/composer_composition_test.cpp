#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "composer/composition.h"
#include "composer/toggle_bit.h"
#include "composer_test_view.h"

namespace vexa {
namespace {

using test::MemoryComposerView;

std::vector<uint8_t> Compose(const ComposerState& state, const MemoryComposerView& view) {
    std::array<uint8_t, kCompositionSize> buffer{};
    EXPECT_TRUE(ComposeBytes(state, view, buffer.data()));
    std::vector<uint8_t> bytes(buffer.begin(), buffer.end());
    while (!bytes.empty() && bytes.back() == 0) bytes.pop_back();
    return bytes;
}

TEST(ComposerToggleBit, LeftmostButtonIsBitSeven) {
    struct Case {
        ComposerByte row;
        unsigned position;
        uint8_t expected;
    };
    for (const Case c : {Case{ComposerByte::Opcode1, 0, 0x80}, Case{ComposerByte::Opcode1, 7, 0x01},
                         Case{ComposerByte::Opcode2, 3, 0x10}, Case{ComposerByte::Opcode3, 6, 0x02},
                         Case{ComposerByte::ModRM, 1, 0x40}, Case{ComposerByte::Sib, 4, 0x08}}) {
        ComposerState state;
        ASSERT_TRUE(ToggleBit(state, c.row, c.position));
        EXPECT_EQ(ByteOf(state, c.row), c.expected);
        ASSERT_TRUE(ToggleBit(state, c.row, c.position));
        EXPECT_EQ(ByteOf(state, c.row), 0);
    }
}

TEST(ComposerToggleBit, IgnoresPositionsOutsideTheRow) {
    ComposerState state;
    EXPECT_FALSE(ToggleBit(state, ComposerByte::Opcode1, 8));
    EXPECT_FALSE(ToggleBit(state, static_cast<ComposerByte>(5), 0));
    EXPECT_EQ(state.opcode1, 0);
}

TEST(ComposerComposition, WritesEveryPartInItsFixedPlace) {
    ComposerState state;
    state.opcode1 = 0x0F;
    state.opcode2 = 0xAF;
    state.opcode3 = 0x33;
    state.modrm = 0x84;
    state.sib = 0x25;
    state.opcode2Used = state.opcode3Used = state.modrmUsed = state.sibUsed = true;
    state.dispUsed = state.immUsed = true;
    MemoryComposerView view;
    view.prefixes = {.operandSize = true, .addressSize = true, .ss = true, .lock = true, .repne = true, .rep = true};
    view.ResizeEditor(ByteEditor::Displacement, 4);
    view.Type(ByteEditor::Displacement, "11223344");
    view.ResizeEditor(ByteEditor::Immediate, 2);
    view.Type(ByteEditor::Immediate, "a5b6");
    EXPECT_EQ(Compose(state, view), (std::vector<uint8_t>{0x66, 0x67, 0x36, 0xF0, 0xF2, 0xF3, 0x0F, 0xAF, 0x33, 0x84,
                                                          0x25, 0x11, 0x22, 0x33, 0x44, 0xA5, 0xB6}));
}

TEST(ComposerComposition, LeavesOutPartsNotInUse) {
    ComposerState state;
    state.opcode1 = 0x90;
    state.opcode2 = state.modrm = state.sib = 0xAA;
    state.sibUsed = true;  // without the ModR/M byte a SIB byte is never written
    MemoryComposerView view;
    view.Type(ByteEditor::Displacement, "bb");
    view.Type(ByteEditor::Immediate, "cc");
    EXPECT_EQ(Compose(state, view), std::vector<uint8_t>{0x90});
}

TEST(ComposerComposition, WritesOnlyTheFirstChosenSegment) {
    struct Case {
        bool PrefixChoices::*first;
        bool PrefixChoices::*second;  // a later choice that loses
        uint8_t expected;
    };
    for (const Case c : {Case{&PrefixChoices::cs, &PrefixChoices::ss, 0x2E},
                         Case{&PrefixChoices::ds, &PrefixChoices::es, 0x3E},
                         Case{&PrefixChoices::es, &PrefixChoices::gs, 0x26},
                         Case{&PrefixChoices::fs, &PrefixChoices::ss, 0x64},
                         Case{&PrefixChoices::gs, &PrefixChoices::ss, 0x65},
                         Case{&PrefixChoices::ss, &PrefixChoices::ss, 0x36}}) {
        ComposerState state;
        state.opcode1 = 0x8B;
        MemoryComposerView view;
        view.prefixes.*c.first = true;
        view.prefixes.*c.second = true;
        EXPECT_EQ(Compose(state, view), (std::vector<uint8_t>{c.expected, 0x8B}));
    }
}

TEST(ComposerComposition, FailsWithoutBufferOrWhenAnEditorInUseCannotBeRead) {
    ComposerState state;
    MemoryComposerView view;
    EXPECT_FALSE(ComposeBytes(state, view, nullptr));

    view.editorsAnswer = false;
    std::array<uint8_t, kCompositionSize> buffer{};
    EXPECT_TRUE(ComposeBytes(state, view, buffer.data()));  // editors not in use: not read into the string
    state.immUsed = true;
    EXPECT_FALSE(ComposeBytes(state, view, buffer.data()));
}

TEST(ComposerComposition, CutsOrZeroExtendsEditorBytesToTheSizesAsked) {
    ComposerState state;
    state.opcode1 = 0xC8;
    MemoryComposerView view;
    view.ResizeEditor(ByteEditor::Displacement, 2);
    view.Type(ByteEditor::Displacement, "1122");
    view.Type(ByteEditor::Immediate, "33");
    const CompositionInputs inputs = ReadCompositionInputs(view);
    CompositionParts parts;
    parts.dispSize = 1;
    parts.immSize = 4;
    std::array<uint8_t, kCompositionSize> buffer{};
    ASSERT_TRUE(WriteComposition(state, inputs, parts, buffer.data()));
    EXPECT_EQ((std::vector<uint8_t>(buffer.begin(), buffer.begin() + 7)),
              (std::vector<uint8_t>{0xC8, 0x11, 0x33, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(view.EditorBytes(ByteEditor::Displacement), (std::vector<uint8_t>{0x11, 0x22}));  // untouched
}

}  // namespace
}  // namespace vexa
