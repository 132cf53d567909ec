// After every refresh the groups and editor sizes are exactly those the shown
// decode calls for, and a refresh with nothing changed changes nothing.
#include <gtest/gtest.h>

#include <string>

#include "composer/composer.h"
#include "composer_test_view.h"

namespace vexa {
namespace {

using test::ComposerFixture;

// The first disagreement between the groups and the shown decode, or empty.
std::string Mismatch(const ComposerFixture& c) {
    const ComposerState& s = c.state;
    for (unsigned g = 0; g < kComposerGroupCount; ++g) {
        if (c.view.shown.enabled[g] != GroupFlag(s, static_cast<ComposerGroup>(g))) return "controls differ from flags";
    }
    if (IsPrefixValue(s.opcode1)) {
        const bool any = s.opcode2Used || s.opcode3Used || s.modrmUsed || s.sibUsed || s.dispUsed || s.immUsed;
        return any ? "group in use for a prefix" : "";
    }
    const CalledForGroups called = GroupsCalledFor(s.decoded);
    if (s.opcode3Used || s.opcode2Used != (s.opcode1 == 0x0F)) return "code byte groups";
    if (s.modrmUsed != called.modrm || s.sibUsed != called.sib) return "ModR/M or SIB";
    if (s.dispUsed != (called.dispSize != 0) || s.immUsed != (called.immSize != 0)) return "editor groups";
    if (s.dispUsed && c.EditorSize(ByteEditor::Displacement) != called.dispSize) return "displacement size";
    if (s.immUsed && c.EditorSize(ByteEditor::Immediate) != called.immSize) return "immediate size";
    return {};
}

// Sets the bytes and refreshes twice, carrying the groups of the case before.
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
    ASSERT_LE(c.view.resizes[0], 1u);  // the rounds never resize; only the settled sizes do
    ASSERT_LE(c.view.resizes[1], 1u);

    const ComposerState before = c.state;
    const test::ShownState shown = c.view.Snapshot();
    Refresh(c.state, c.view);
    ASSERT_EQ(c.view.Snapshot(), shown) << "second refresh changed the display for " << std::hex << int{opcode1}
                                        << " " << int{modrm};
    ASSERT_EQ(GroupsCalledFor(c.state.decoded), GroupsCalledFor(before.decoded));
}

// A composer in the mode with the prefixes, its editors holding non-zero bytes
// so that a cut or a shift would show.
ComposerFixture Composer(bool mode32, const PrefixChoices& prefixes = {}) {
    ComposerFixture c;
    c.state.mode32 = mode32;
    c.view.prefixes = prefixes;
    c.view.ResizeEditor(ByteEditor::Displacement, 6);
    c.view.Type(ByteEditor::Displacement, "a1b2c3d4e5f6");
    c.view.ResizeEditor(ByteEditor::Immediate, 4);
    c.view.Type(ByteEditor::Immediate, "17283945");
    return c;
}

TEST(ComposerProperty, GroupsMatchTheShownDecodeForEveryOpcodeAndModRM) {
    for (const bool mode32 : {false, true}) {
        ComposerFixture c = Composer(mode32);
        for (unsigned modrm = 0; modrm < 256; ++modrm) {
            for (unsigned opcode1 = 0; opcode1 < 256; ++opcode1) {
                const auto sib = static_cast<uint8_t>(modrm * 37 + opcode1);  // SIB base 5 under every mod
                Check(c, static_cast<uint8_t>(opcode1), 0, static_cast<uint8_t>(modrm), sib);
                if (HasFailure()) return;
            }
        }
    }
}

TEST(ComposerProperty, GroupsMatchTheShownDecodeForSecondCodeBytesAndUnderPrefixes) {
    const PrefixChoices prefixSets[] = {
        {},
        {.operandSize = true},
        {.addressSize = true},
        {.fs = true, .lock = true, .rep = true},
        {.operandSize = true, .addressSize = true, .ss = true, .lock = true, .repne = true, .rep = true},
    };
    for (const bool mode32 : {false, true}) {
        for (const PrefixChoices& prefixes : prefixSets) {
            ComposerFixture c = Composer(mode32, prefixes);
            for (unsigned modrm = 0; modrm < 256; modrm += 7) {
                for (unsigned other = 0; other < 256; ++other) {
                    const auto byte = static_cast<uint8_t>(other);
                    Check(c, 0x0F, byte, static_cast<uint8_t>(modrm), static_cast<uint8_t>(byte ^ modrm));
                    Check(c, byte, byte, static_cast<uint8_t>(modrm), 0x05);  // and back from the escape
                    if (HasFailure()) return;
                }
            }
        }
    }
}

}  // namespace
}  // namespace vexa
