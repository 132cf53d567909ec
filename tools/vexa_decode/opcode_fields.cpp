#include "tools/vexa_decode/opcode_fields.h"

#include <string_view>

#include "composer/field_labels.h"
#include "decoder/internal/mnemonic_tables.h"
#include "decoder/mnemonic_list.h"
#include "decoder/opcode_classes.h"
#include "formatter/register_name.h"

namespace vexa::cli {
namespace {

// Label slots 0-4 stand over bits 0-4 of the first code byte, 5-10 over bits
// 0-5 of the second.
constexpr unsigned kFirstByteSlots = 5;
constexpr uint8_t kShortJccBase = 0x70;

// Multi-letter fields first, so "sr3" is not read as "s" and "r".
constexpr std::string_view kFieldNames[] = {"tttn", "sr3", "reg", "sr", "w", "d", "s"};

bool IsTwoByte(const DecodedInstruction& record) { return (record.decodeFlags & DecodeFlag::TwoByteOpcode) != 0; }

std::string RegisterName(unsigned number, uint8_t registerClass) {
    char name[8] = {};
    FormatRegisterName(static_cast<uint8_t>(number), name, registerClass);
    return name;
}

std::string WidthMeaning(const OpcodeField& field, const DecodedInstruction& record, const uint8_t* opcode,
                         bool operand32) {
    const bool extendingMove =
        IsTwoByte(record) && record.subClass == TwoByteClass::WidthInBit0 && (opcode[1] & 0x06) == 0x06;
    if (extendingMove) return field.value ? "word source" : "byte source";
    if (!field.value) return "byte operand";
    return operand32 ? "full size: 32-bit by the operand size" : "full size: 16-bit by the operand size";
}

std::string DirectionMeaning(const OpcodeField& field, const DecodedInstruction& record) {
    const bool to = field.value != 0;
    if (IsTwoByte(record)) return to ? "to the control or debug register" : "from the control or debug register";
    switch (record.opcodeClass) {
        case OpcodeClass::MovAccumulatorOffset:
            return to ? "store the accumulator to memory" : "load the accumulator from memory";
        case OpcodeClass::MovSegment:
            return to ? "to the segment register: sreg, r/m" : "from the segment register: r/m, sreg";
        default: return to ? "to the reg operand: reg, r/m" : "from the reg operand: r/m, reg";
    }
}

std::string SignExtendMeaning(const OpcodeField& field, const DecodedInstruction& record, const uint8_t* opcode) {
    const bool byteGroup = record.opcodeClass == OpcodeClass::Group1 && (opcode[0] & 1) == 0;
    if (byteGroup) return field.value ? "byte immediate (82 reads as 80)" : "byte immediate";
    return field.value ? "an imm8 sign-extended to the operand size" : "an immediate of the operand size";
}

std::string ConditionMeaning(const OpcodeField& field) {
    // The short jumps 70-7F name every condition: "jne" gives "ne".
    const char* jump = MnemonicText(MnemonicIndexOf(kOneByteMnemonicTable[kShortJccBase + field.value]));
    return std::string("condition ") + (jump[0] != '\0' ? jump + 1 : "");
}

std::string RegisterMeaning(const OpcodeField& field, const DecodedInstruction& record, const uint8_t* opcode,
                            bool operand32) {
    const bool wide = IsTwoByte(record) || record.opcodeClass != OpcodeClass::MovRegImm || (opcode[0] & 0x08) != 0;
    const uint8_t registerClass =
        !wide ? RegisterClass::Gpr8 : (operand32 ? RegisterClass::Gpr32 : RegisterClass::Gpr16);
    return "register " + RegisterName(field.value, registerClass);
}

// The letters of the byte's labelled bits, bit 7 first ('\0' for none).
std::array<char, 8> LettersOf(const FieldLabelRow& row, unsigned firstSlot, unsigned slotCount) {
    std::array<char, 8> letters{};
    for (unsigned bit = 0; bit < slotCount; ++bit) {
        const char* label = row[firstSlot + bit];
        if (label != nullptr && label[0] != '\0') letters[7 - bit] = label[0];
    }
    return letters;
}

// Reads the fields from the highest labelled bit down, longest name first.
void ParseFields(OpcodeFields& fields, const std::array<char, 8>& letters) {
    for (unsigned position = 0; position < 8;) {
        if (letters[position] == '\0') {
            ++position;
            continue;
        }
        std::string_view match;
        for (std::string_view name : kFieldNames) {
            if (position + name.size() > 8) continue;
            bool same = true;
            for (size_t k = 0; k < name.size(); ++k) same = same && letters[position + k] == name[k];
            if (same) {
                match = name;
                break;
            }
        }
        if (match.empty()) match = std::string_view(&letters[position], 1);  // a letter no field starts with
        const unsigned high = 7 - position;
        const unsigned low = high + 1 - static_cast<unsigned>(match.size());
        const unsigned value = (fields.byte >> low) & ((1u << match.size()) - 1);
        if (fields.count < fields.fields.size()) {
            fields.fields[fields.count++] =
                OpcodeField{std::string(match), static_cast<uint8_t>(high), static_cast<uint8_t>(low), value};
        }
        position += static_cast<unsigned>(match.size());
    }
}

}  // namespace

OpcodeFields FieldsOfOpcode(const DecodedInstruction& record, const uint8_t* opcode) {
    OpcodeFields fields;
    const FieldLabelRow& row = FieldLabelsFor(record.opcodeClass, record.subClass);
    fields.secondByte = IsTwoByte(record);
    fields.byte = fields.secondByte ? opcode[1] : opcode[0];
    const std::array<char, 8> letters = fields.secondByte
                                            ? LettersOf(row, kFirstByteSlots, kFieldLabelSlots - kFirstByteSlots)
                                            : LettersOf(row, 0, kFirstByteSlots);
    for (unsigned position = 0; position < 8; ++position) {
        fields.pattern +=
            letters[position] != '\0' ? letters[position] : ((fields.byte >> (7 - position)) & 1 ? '1' : '0');
    }
    ParseFields(fields, letters);
    return fields;
}

std::string FieldMeaning(const OpcodeField& field, const DecodedInstruction& record, const uint8_t* opcode,
                         bool operand32) {
    if (field.name == "w") return WidthMeaning(field, record, opcode, operand32);
    if (field.name == "d") return DirectionMeaning(field, record);
    if (field.name == "s") return SignExtendMeaning(field, record, opcode);
    if (field.name == "tttn") return ConditionMeaning(field);
    if (field.name == "reg") return RegisterMeaning(field, record, opcode, operand32);
    if (field.name == "sr" || field.name == "sr3")
        return "segment register " + RegisterName(field.value, RegisterClass::Segment);
    return "";
}

}  // namespace vexa::cli
