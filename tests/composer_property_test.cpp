// After every refresh the groups and editor sizes are exactly those the shown
// decode calls for, and a refresh with nothing changed changes nothing.
#include <gtest/gtest.h>

#include <string>

#include "composer/prefix_values.h"
#include "composer/update_groups.h"
#include "composer_test_view.h"

namespace vexa {
namespace {

using test::ComposerFixture;

// Checks the state after a refresh; returns a description of the first
// mismatch, empty when everything agrees.
std::string Mismatch(const ComposerFixture& c) {
    const ComposerState& s = c.state;
    for (unsigned g = 0; g < kComposerGroupCount; ++g) {
        if (c.view.shown.enabled[g] != GroupFlag(s, static_cast<ComposerGroup>(g))) return "controls differ from flags";
    }
    if (s.opcode3Used) return "third code byte in use";
    if (IsPrefixValue(s.opcode1)) {
        if (s.opcode2Used || s.modrmUsed || s.sibUsed || s.dispUsed || s.immUsed) return "group in use for a prefix";
        return {};
    }
    if (s.opcode2Used != (s.opcode1 == 0x0F)) return "second code byte";
    const CalledForGroups called = GroupsCalledFor(s.decoded);
    if (s.modrmUsed != called.modrm) return "ModR/M";
    if (s.sibUsed != called.sib) return "SIB";
    if (s.dispUsed != (called.dispSize != 0)) return "displacement in use";
    if (s.immUsed != (called.immSize != 0)) return "immediate in use";
    if (s.dispUsed && c.EditorSize(ByteEditor::Displacement) != called.dispSize) return "displacement size";
    if (s.immUsed && c.EditorSize(ByteEditor::Immediate) != called.immSize) return "immediate size";
    return {};
}

// Sets the bytes, refreshes twice and checks both the agreement and that the
// second refresh left everything as the first did.
void Check(ComposerFixture& c, uint8_t opcode1, uint8_t opcode2, uint8_t modrm, uint8_t sib) {
    c.state.opcode1 = opcode1;
    c.state.opcode2 = opcode2;
    c.state.modrm = modrm;
    c.state.sib = sib;
    c.view.resizes = {};
    Refresh(c.state, c.view);
    const std::string mismatch = Mismatch(c);
    ASSERT_TRUE(mismatch.empty()) << mismatch << " for " << std::hex << int{opcode1} << " " << int{opcode2} << " "
                                  << int{modrm} << " " << int{sib} << " mode32 " << c.state.mode32 << ": "
                                  << c.InstructionLine() << " / " << c.BytesLine();
    ASSERT_LE(c.view.resizes[0], 1u);
    ASSERT_LE(c.view.resizes[1], 1u);

    const ComposerState before = c.state;
    const test::ShownState shown = c.view.Snapshot();
    Refresh(c.state, c.view);
    ASSERT_EQ(c.view.Snapshot(), shown) << "second refresh changed the display for " << std::hex << int{opcode1}
                                        << " " << int{modrm};
    ASSERT_EQ(GroupsCalledFor(c.state.decoded), GroupsCalledFor(before.decoded));
    ASSERT_EQ(InstructionLength(c.state.decoded), InstructionLength(before.decoded));
    ASSERT_EQ((std::array{c.state.opcode2Used, c.state.modrmUsed, c.state.sibUsed, c.state.dispUsed,
                          c.state.immUsed}),
              (std::array{before.opcode2Used, before.modrmUsed, before.sibUsed, before.dispUsed, before.immUsed}));
}

// Editor contents that are not all zero, so a cut or a shift would show.
void TypeSomething(ComposerFixture& c) {
    c.view.ResizeEditor(ByteEditor::Displacement, 6);
    c.view.Type(ByteEditor::Displacement, "a1b2c3d4e5f6");
    c.view.ResizeEditor(ByteEditor::Immediate, 4);
    c.view.Type(ByteEditor::Immediate, "17283945");
}

TEST(ComposerProperty, GroupsMatchTheShownDecodeForEveryOpcodeAndModRM) {
    for (const bool mode32 : {false, true}) {
        ComposerFixture c;
        c.state.mode32 = mode32;
        TypeSomething(c);
        // The previous refresh's groups carry over, so each case starts from
        // the flags of the one before.
        for (unsigned modrm = 0; modrm < 256; ++modrm) {
            for (unsigned opcode1 = 0; opcode1 < 256; ++opcode1) {
                const auto sib = static_cast<uint8_t>(modrm * 37 + opcode1);  // SIB bases 5 with every mod
                Check(c, static_cast<uint8_t>(opcode1), 0x00, static_cast<uint8_t>(modrm), sib);
                if (HasFailure()) return;
            }
        }
    }
}

TEST(ComposerProperty, GroupsMatchTheShownDecodeForSecondCodeBytes) {
    for (const bool mode32 : {false, true}) {
        ComposerFixture c;
        c.state.mode32 = mode32;
        TypeSomething(c);
        for (unsigned modrm = 0; modrm < 256; modrm += 7) {
            for (unsigned opcode2 = 0; opcode2 < 256; ++opcode2) {
                Check(c, 0x0F, static_cast<uint8_t>(opcode2), static_cast<uint8_t>(modrm),
                      static_cast<uint8_t>(opcode2 ^ modrm));
                Check(c, static_cast<uint8_t>(opcode2), static_cast<uint8_t>(opcode2), static_cast<uint8_t>(modrm),
                      0x05);  // back from the escape
                if (HasFailure()) return;
            }
        }
    }
}

TEST(ComposerProperty, GroupsMatchTheShownDecodeUnderPrefixes) {
    const PrefixChoices prefixSets[] = {
        {.operandSize = true},
        {.addressSize = true},
        {.operandSize = true, .addressSize = true},
        {.fs = true, .lock = true, .rep = true},
        {.operandSize = true, .addressSize = true, .ss = true, .lock = true, .repne = true, .rep = true},
    };
    for (const bool mode32 : {false, true}) {
        for (const PrefixChoices& prefixes : prefixSets) {
            ComposerFixture c;
            c.state.mode32 = mode32;
            c.view.prefixes = prefixes;
            TypeSomething(c);
            for (unsigned modrm = 0; modrm < 256; modrm += 5) {
                for (unsigned opcode1 = 0; opcode1 < 256; ++opcode1) {
                    Check(c, static_cast<uint8_t>(opcode1), static_cast<uint8_t>(modrm), static_cast<uint8_t>(modrm),
                          static_cast<uint8_t>(~modrm));
                    if (HasFailure()) return;
                }
            }
        }
    }
}

}  // namespace
}  // namespace vexa
