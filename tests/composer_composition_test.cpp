#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "composer/composer.h"
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

TEST(ComposerToggleBit, LeftmostButtonIsBitSevenAndOutOfRowClicksAreIgnored) {
    ComposerState state;
    ASSERT_TRUE(ToggleBit(state, ComposerByte::Opcode1, 0));
    ASSERT_TRUE(ToggleBit(state, ComposerByte::Sib, 7));
    ASSERT_TRUE(ToggleBit(state, ComposerByte::Opcode3, 3));  // never in use, still toggled
    EXPECT_EQ(state.opcode1, 0x80);
    EXPECT_EQ(state.sib, 0x01);
    EXPECT_EQ(state.opcode3, 0x10);
    EXPECT_FALSE(ToggleBit(state, ComposerByte::Opcode1, 8));
    EXPECT_FALSE(ToggleBit(state, static_cast<ComposerByte>(5), 0));
    EXPECT_EQ(state.opcode1, 0x80);
}

TEST(ComposerComposition, WritesEveryPartInItsFixedPlace) {
    ComposerState state;
    state.opcode1 = 0x0F;
    state.opcode2 = 0xAF;
    state.opcode3 = 0x33;
    state.modrm = 0x84;
    state.sib = 0x25;
    state.opcode2Used = state.opcode3Used = state.modrmUsed = state.sibUsed = state.dispUsed = state.immUsed = true;
    MemoryComposerView view;
    view.prefixes = {.operandSize = true, .addressSize = true, .ss = true, .lock = true, .repne = true, .rep = true};
    view.ResizeEditor(ByteEditor::Displacement, 4);
    view.Type(ByteEditor::Displacement, "11223344");
    view.ResizeEditor(ByteEditor::Immediate, 2);
    view.Type(ByteEditor::Immediate, "a5b6");
    EXPECT_EQ(Compose(state, view), (std::vector<uint8_t>{0x66, 0x67, 0x36, 0xF0, 0xF2, 0xF3, 0x0F, 0xAF, 0x33, 0x84,
                                                          0x25, 0x11, 0x22, 0x33, 0x44, 0xA5, 0xB6}));

    state.opcode2Used = state.opcode3Used = state.modrmUsed = state.dispUsed = state.immUsed = false;
    view.prefixes = {};
    EXPECT_EQ(Compose(state, view), std::vector<uint8_t>{0x0F});  // no SIB without the ModR/M byte
}

TEST(ComposerComposition, WritesOnlyTheFirstChosenSegment) {
    struct Case {
        bool PrefixChoices::*first;
        bool PrefixChoices::*later;
        uint8_t expected;
    };
    for (const Case c : {Case{&PrefixChoices::cs, &PrefixChoices::ss, 0x2E}, Case{&PrefixChoices::ds, &PrefixChoices::es, 0x3E},
                         Case{&PrefixChoices::es, &PrefixChoices::fs, 0x26}, Case{&PrefixChoices::fs, &PrefixChoices::gs, 0x64},
                         Case{&PrefixChoices::gs, &PrefixChoices::ss, 0x65}, Case{&PrefixChoices::ss, &PrefixChoices::ss, 0x36}}) {
        ComposerState state;
        state.opcode1 = 0x8B;
        MemoryComposerView view;
        view.prefixes.*c.first = view.prefixes.*c.later = true;
        EXPECT_EQ(Compose(state, view), (std::vector<uint8_t>{c.expected, 0x8B}));
    }
}

TEST(ComposerComposition, FailsWithoutBufferOrWhenAnEditorInUseCannotBeRead) {
    ComposerState state;
    MemoryComposerView view;
    std::array<uint8_t, kCompositionSize> buffer{};
    EXPECT_FALSE(ComposeBytes(state, view, nullptr));
    view.editorsAnswer = false;
    EXPECT_TRUE(ComposeBytes(state, view, buffer.data()));  // editors out of use are not needed
    state.immUsed = true;
    EXPECT_FALSE(ComposeBytes(state, view, buffer.data()));
}

}  // namespace
}  // namespace vexa
