#include "composer/refresh.h"

#include "composer/display_texts.h"
#include "decoder/decoder.h"

namespace vexa {
namespace {

constexpr uint8_t kTwoByteEscape = 0x0F;

unsigned FirstDispSize(const DecodedInstruction& decoded) {
    for (const OperandDescriptor& operand : decoded.operands) {
        if (operand.dispSize != 0) return operand.dispSize;
    }
    return 0;
}

unsigned FirstImmSize(const DecodedInstruction& decoded) {
    for (const OperandDescriptor& operand : decoded.operands) {
        if (operand.immSize != 0) return operand.immSize;
    }
    return 0;
}

// The groups in use before this pass, with the editors' present sizes.
CalledForGroups GroupsInUse(const ComposerState& state, const CompositionInputs& inputs) {
    CalledForGroups groups;
    groups.modrm = state.modrmUsed;
    groups.sib = state.modrmUsed && state.sibUsed;
    groups.dispSize = state.dispUsed ? inputs.displacement.count : 0;
    groups.immSize = state.immUsed ? inputs.immediate.count : 0;
    return groups;
}

CompositionParts PartsFor(const ComposerState& state, const CalledForGroups& groups) {
    CompositionParts parts;
    parts.opcode2 = state.opcode2Used;
    parts.opcode3 = state.opcode3Used;
    parts.modrm = groups.modrm;
    parts.sib = groups.sib;
    parts.dispSize = groups.dispSize;
    parts.immSize = groups.immSize;
    return parts;
}

// Decodes the composition with `groups` into the record and gives the groups
// that decode calls for. False when the composition or the decode fails.
bool DecodeWith(ComposerState& state, const CompositionInputs& inputs, const CalledForGroups& groups,
                CalledForGroups* calledFor) {
    uint8_t buffer[kCompositionSize] = {};
    if (!WriteComposition(state, inputs, PartsFor(state, groups), buffer)) return false;
    if (!DecodeInstruction(buffer, &state.decoded, state.mode32)) return false;
    *calledFor = GroupsCalledFor(state.decoded);
    return true;
}

void ApplyGroups(ComposerState& state, ComposerView& view, const CalledForGroups& groups) {
    SetGroupEnabled(state, view, ComposerGroup::ModRM, groups.modrm);
    SetGroupEnabled(state, view, ComposerGroup::Sib, groups.sib);
    if (groups.dispSize != 0) view.ResizeEditor(ByteEditor::Displacement, groups.dispSize);
    if (groups.immSize != 0) view.ResizeEditor(ByteEditor::Immediate, groups.immSize);
    SetGroupEnabled(state, view, ComposerGroup::Displacement, groups.dispSize != 0);
    SetGroupEnabled(state, view, ComposerGroup::Immediate, groups.immSize != 0);
}

}  // namespace

void SetGroupEnabled(ComposerState& state, ComposerView& view, ComposerGroup group, bool enabled) {
    GroupFlag(state, group) = enabled;
    view.EnableGroup(group, enabled);
}

void DisableAllGroups(ComposerState& state, ComposerView& view) {
    for (unsigned g = 0; g < kComposerGroupCount; ++g) {
        SetGroupEnabled(state, view, static_cast<ComposerGroup>(g), false);
    }
}

CalledForGroups GroupsCalledFor(const DecodedInstruction& decoded) {
    CalledForGroups groups;
    groups.modrm = HasModRM(decoded);
    groups.sib = HasSIB(decoded);
    groups.dispSize = FirstDispSize(decoded);
    groups.immSize = FirstImmSize(decoded);
    return groups;
}

bool UpdateGroups(ComposerState& state, ComposerView& view) {
    if (IsPrefixValue(state.opcode1)) {
        DisableAllGroups(state, view);
        RefreshBitCaptions(state, view);
        return true;
    }
    SetGroupEnabled(state, view, ComposerGroup::Opcode2, state.opcode1 == kTwoByteEscape);

    // The rounds only decide; the editors are left alone until the groups settle,
    // so a misreading in an early round never cuts what the user typed.
    const CompositionInputs inputs = ReadCompositionInputs(view);
    CalledForGroups groups = GroupsInUse(state, inputs);
    for (unsigned round = 0; round < kMaxGroupRounds; ++round) {
        CalledForGroups calledFor;
        if (!DecodeWith(state, inputs, groups, &calledFor)) return false;
        if (calledFor == groups) break;
        groups = calledFor;
    }
    ApplyGroups(state, view, groups);
    RefreshBitCaptions(state, view);
    return true;
}

void Refresh(ComposerState& state, ComposerView& view) {
    // A failed group pass still gets a display pass, which reports the error.
    UpdateGroups(state, view);
    RenderDisplay(state, view);
}

void StartComposer(ComposerState& state, ComposerView& view) {
    state = ComposerState{};
    view.ResizeEditor(ByteEditor::Displacement, 1);
    view.ResizeEditor(ByteEditor::Immediate, 1);
    DisableAllGroups(state, view);
    Refresh(state, view);
}

}  // namespace vexa
