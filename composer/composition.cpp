#include "composer/composition.h"

#include <array>
#include <cstring>

#include "decoder/prefix_bytes.h"

namespace vexa {
namespace {

struct SegmentPrefix {
    bool PrefixChoices::*chosen;
    uint8_t value;
};

// Tested in this order; only the first chosen one is written.
constexpr std::array<SegmentPrefix, 6> kSegmentPrefixes{{
    {&PrefixChoices::cs, PrefixByte::Cs},
    {&PrefixChoices::ds, PrefixByte::Ds},
    {&PrefixChoices::es, PrefixByte::Es},
    {&PrefixChoices::fs, PrefixByte::Fs},
    {&PrefixChoices::gs, PrefixByte::Gs},
    {&PrefixChoices::ss, PrefixByte::Ss},
}};

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

unsigned WritePrefixes(const PrefixChoices& prefixes, uint8_t* out) {
    unsigned n = 0;
    if (prefixes.operandSize) out[n++] = PrefixByte::OperandSize;
    if (prefixes.addressSize) out[n++] = PrefixByte::AddressSize;
    for (const SegmentPrefix& segment : kSegmentPrefixes) {
        if (prefixes.*segment.chosen) {
            out[n++] = segment.value;
            break;
        }
    }
    if (prefixes.lock) out[n++] = PrefixByte::Lock;
    if (prefixes.repne) out[n++] = PrefixByte::Repne;
    if (prefixes.rep) out[n++] = PrefixByte::Rep;
    return n;
}

// The editor's leading `size` bytes; bytes past its count are the zeros of
// EditorContents.
unsigned WriteEditorBytes(const EditorContents& editor, unsigned size, uint8_t* out) {
    std::memcpy(out, editor.bytes, size);
    return size;
}

}  // namespace

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
