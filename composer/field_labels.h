#pragma once
// The one-letter labels over the opcode bits that name the current opcode's bit
// fields: "w" width, "d" direction, "s" sign extension, "n"/"t" the condition
// field, "r","e","g" a register field, "s","r","3" a segment-register field.
#include <array>
#include <cstdint>

#include "composer/composer_view.h"

namespace vexa {

// Slots 0-4 stand over bits 0-4 of the first code byte, slots 5-10 over bits
// 0-5 of the second.
constexpr unsigned kFieldLabelSlots = 11;

// The label of each slot; nullptr = no label.
using FieldLabelRow = std::array<const char*, kFieldLabelSlots>;

// The labels for an opcode class; for the 0Fh escape class by the second byte's
// class. Classes without fields give an empty row.
const FieldLabelRow& FieldLabelsFor(uint8_t opcodeClass, uint8_t subClass);

// Does nothing for slot 11 or more or a missing text.
void SetFieldLabel(ComposerView& view, unsigned slot, const char* text);
void ClearFieldLabels(ComposerView& view);
// Sets the labels of FieldLabelsFor; slots without a label are left as they are.
void SetFieldLabels(ComposerView& view, uint8_t opcodeClass, uint8_t subClass);

}  // namespace vexa
