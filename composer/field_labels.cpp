#include "composer/field_labels.h"

#include "decoder/opcode_classes.h"

namespace vexa {
namespace {

constexpr FieldLabelRow kNoLabels{};
constexpr unsigned kSecondByteFirstSlot = 5;

// Every ASCII character as a one-letter text, for the labels' pointers.
constexpr std::array<char, 256> kOneLetterTexts = [] {
    std::array<char, 256> texts{};
    for (unsigned c = 0; c < 128; ++c) texts[2 * c] = static_cast<char>(c);
    return texts;
}();

constexpr unsigned LetterCount(const char* letters) {
    unsigned count = 0;
    while (letters[count] != '\0') ++count;
    return count;
}

// A class's bit fields as labels, a letter over each bit, from `firstSlot` on.
constexpr FieldLabelRow MakeRow(const ClassDescription& description, unsigned firstSlot) {
    FieldLabelRow row{};
    for (const OpcodeBitField& field : description.fields) {
        const char* letters = kOpcodeFieldLetters[field.kind];
        const unsigned count = LetterCount(letters);
        for (unsigned i = 0; i < count; ++i) {
            const unsigned char letter = static_cast<unsigned char>(letters[count - 1 - i]);  // from the low bit up
            row[firstSlot + field.lowBit + i] = &kOneLetterTexts[2 * letter];
        }
    }
    return row;
}

constexpr std::array<FieldLabelRow, OpcodeClass::kCount> kByOpcodeClass = [] {
    std::array<FieldLabelRow, OpcodeClass::kCount> rows{};
    for (unsigned c = 0; c < OpcodeClass::kCount; ++c) rows[c] = MakeRow(kOneByteClassDescriptions[c], 0);
    return rows;
}();

constexpr std::array<FieldLabelRow, TwoByteClass::kCount> kByTwoByteClass = [] {
    std::array<FieldLabelRow, TwoByteClass::kCount> rows{};
    for (unsigned c = 0; c < TwoByteClass::kCount; ++c) {
        rows[c] = MakeRow(kTwoByteClassDescriptions[c], kSecondByteFirstSlot);
    }
    return rows;
}();

}  // namespace

const FieldLabelRow& FieldLabelsFor(uint8_t opcodeClass, uint8_t subClass) {
    if (opcodeClass >= kByOpcodeClass.size()) return kNoLabels;
    if (opcodeClass != OpcodeClass::TwoByteEscape) return kByOpcodeClass[opcodeClass];
    return subClass < kByTwoByteClass.size() ? kByTwoByteClass[subClass] : kNoLabels;
}

void SetFieldLabel(ComposerView& view, unsigned slot, const char* text) {
    if (slot >= kFieldLabelSlots || text == nullptr) return;
    view.ShowFieldLabel(slot, text);
}

void ClearFieldLabels(ComposerView& view) {
    for (unsigned slot = 0; slot < kFieldLabelSlots; ++slot) SetFieldLabel(view, slot, "");
}

void SetFieldLabels(ComposerView& view, uint8_t opcodeClass, uint8_t subClass) {
    const FieldLabelRow& row = FieldLabelsFor(opcodeClass, subClass);
    for (unsigned slot = 0; slot < kFieldLabelSlots; ++slot) SetFieldLabel(view, slot, row[slot]);
}

}  // namespace vexa
