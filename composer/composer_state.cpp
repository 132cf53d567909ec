#include "composer/composer_state.h"

#include <array>
#include <cstring>

#include "decoder/prefix_bytes.h"

namespace vexa {
namespace {

// The prefix bytes in the order a composition writes them, whatever order the
// user clicked them in; of the segment overrides only the first chosen one is
// written. Values, kinds and descriptions are the decoder's (decoder/prefix_bytes.h).
struct PrefixByte {
    bool PrefixChoices::*chosen;
    uint8_t value;
};

constexpr std::array<PrefixByte, 11> kPrefixBytes{{
    {&PrefixChoices::operandSize, PrefixValue::OperandSize},
    {&PrefixChoices::addressSize, PrefixValue::AddressSize},
    {&PrefixChoices::cs, PrefixValue::Cs},
    {&PrefixChoices::ds, PrefixValue::Ds},
    {&PrefixChoices::es, PrefixValue::Es},
    {&PrefixChoices::fs, PrefixValue::Fs},
    {&PrefixChoices::gs, PrefixValue::Gs},
    {&PrefixChoices::ss, PrefixValue::Ss},
    {&PrefixChoices::lock, PrefixValue::Lock},
    {&PrefixChoices::repne, PrefixValue::Repne},
    {&PrefixChoices::rep, PrefixValue::Rep},
}};

// Description by byte value, built once at compile time so the lookup is an index.
constexpr std::array<const char*, 256> kDescriptionByValue = [] {
    std::array<const char*, 256> table{};
    for (const PrefixInfo& prefix : kPrefixes) table[prefix.value] = prefix.description;
    return table;
}();

unsigned WritePrefixes(const PrefixChoices& prefixes, uint8_t* out) {
    unsigned n = 0;
    bool segmentWritten = false;
    for (const PrefixByte& prefix : kPrefixBytes) {
        const bool segment = PrefixInfoOf(prefix.value).kind == PrefixKind::Segment;
        if (!(prefixes.*prefix.chosen) || (segment && segmentWritten)) continue;
        out[n++] = prefix.value;
        segmentWritten = segmentWritten || segment;
    }
    return n;
}

EditorContents ReadEditor(const ComposerView& view, ByteEditor editor) {
    EditorContents contents;
    const unsigned count = view.EditorSize(editor);
    if (count == 0 || count > kEditorCapacity) return contents;
    if (!view.ReadEditorBytes(editor, contents.bytes)) {
        std::memset(contents.bytes, 0, sizeof(contents.bytes));
        return contents;
    }
    contents.count = count;
    contents.readable = true;
    return contents;
}

// The editor's leading `size` bytes; bytes past its count are the zeros of
// EditorContents.
unsigned WriteEditorBytes(const EditorContents& editor, unsigned size, uint8_t* out) {
    std::memcpy(out, editor.bytes, size);
    return size;
}

}  // namespace

uint8_t& ByteOf(ComposerState& state, ComposerByte which) {
    switch (which) {
        case ComposerByte::Opcode1: return state.opcode1;
        case ComposerByte::Opcode2: return state.opcode2;
        case ComposerByte::Opcode3: return state.opcode3;
        case ComposerByte::ModRM: return state.modrm;
        case ComposerByte::Sib: break;
    }
    return state.sib;
}

uint8_t ByteOf(const ComposerState& state, ComposerByte which) {
    return ByteOf(const_cast<ComposerState&>(state), which);
}

bool& GroupFlag(ComposerState& state, ComposerGroup group) {
    switch (group) {
        case ComposerGroup::Opcode2: return state.opcode2Used;
        case ComposerGroup::Opcode3: return state.opcode3Used;
        case ComposerGroup::ModRM: return state.modrmUsed;
        case ComposerGroup::Sib: return state.sibUsed;
        case ComposerGroup::Displacement: return state.dispUsed;
        case ComposerGroup::Immediate: break;
    }
    return state.immUsed;
}

bool GroupFlag(const ComposerState& state, ComposerGroup group) {
    return GroupFlag(const_cast<ComposerState&>(state), group);
}

bool ToggleBit(ComposerState& state, ComposerByte byteIndex, unsigned position) {
    if (position > 7 || static_cast<unsigned>(byteIndex) >= kComposerByteCount) return false;
    uint8_t& byte = ByteOf(state, byteIndex);
    byte = static_cast<uint8_t>(byte ^ (1u << (7 - position)));
    return true;
}

bool IsPrefixValue(uint8_t opcode1) { return kDescriptionByValue[opcode1] != nullptr; }

const char* PrefixDescription(uint8_t opcode1) { return kDescriptionByValue[opcode1]; }

CompositionInputs ReadCompositionInputs(const ComposerView& view) {
    CompositionInputs inputs;
    inputs.prefixes = view.ReadPrefixChoices();
    inputs.displacement = ReadEditor(view, ByteEditor::Displacement);
    inputs.immediate = ReadEditor(view, ByteEditor::Immediate);
    return inputs;
}

bool WriteComposition(const ComposerState& state, const CompositionInputs& inputs, const CompositionParts& parts,
                      uint8_t* buffer) {
    if (buffer == nullptr || parts.dispSize > kEditorCapacity || parts.immSize > kEditorCapacity) return false;
    unsigned n = WritePrefixes(inputs.prefixes, buffer);
    buffer[n++] = state.opcode1;
    if (parts.opcode2) buffer[n++] = state.opcode2;
    if (parts.opcode3) buffer[n++] = state.opcode3;
    if (parts.modrm) {
        buffer[n++] = state.modrm;
        if (parts.sib) buffer[n++] = state.sib;
    }
    n += WriteEditorBytes(inputs.displacement, parts.dispSize, buffer + n);
    WriteEditorBytes(inputs.immediate, parts.immSize, buffer + n);
    return true;
}

bool ComposeBytes(const ComposerState& state, const ComposerView& view, uint8_t* buffer) {
    if (buffer == nullptr) return false;
    const CompositionInputs inputs = ReadCompositionInputs(view);
    if ((state.dispUsed && !inputs.displacement.readable) || (state.immUsed && !inputs.immediate.readable)) {
        return false;
    }
    CompositionParts parts;
    parts.opcode2 = state.opcode2Used;
    parts.opcode3 = state.opcode3Used;
    parts.modrm = state.modrmUsed;
    parts.sib = state.sibUsed;
    parts.dispSize = state.dispUsed ? inputs.displacement.count : 0;
    parts.immSize = state.immUsed ? inputs.immediate.count : 0;
    return WriteComposition(state, inputs, parts, buffer);
}

}  // namespace vexa
