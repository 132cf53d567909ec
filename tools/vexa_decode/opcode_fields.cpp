#include "tools/vexa_decode/opcode_fields.h"

#include <algorithm>
#include <string_view>

#include "decoder/internal/mnemonic_tables.h"
#include "decoder/mnemonic_list.h"
#include "decoder/opcode_classes.h"
#include "formatter/register_name.h"

namespace vexa::cli {
namespace {

constexpr uint8_t kShortJccBase = 0x70;

bool IsTwoByte(const DecodedInstruction& record) { return (record.decodeFlags & DecodeFlag::TwoByteOpcode) != 0; }


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

}  // namespace

std::string RegisterName(unsigned number, uint8_t registerClass) {
    char name[8] = {};
    FormatRegisterName(static_cast<uint8_t>(number), name, registerClass);
    return name;
}

OpcodeFields FieldsOfOpcode(const DecodedInstruction& record, const uint8_t* opcode) {
    OpcodeFields fields;
    fields.secondByte = IsTwoByte(record);
    fields.byte = fields.secondByte ? opcode[1] : opcode[0];
    // The escape class's fields lie in the second byte, every other class's in the first.
    const bool fieldsHere = (record.opcodeClass == OpcodeClass::TwoByteEscape) == fields.secondByte;
    const ClassDescription& description = FieldClassDescription(record.opcodeClass, record.subClass);
    std::array<char, 8> letters{};  // bit 7 first; '\0' for a bit no field covers
    for (const OpcodeBitField& field : description.fields) {
        const std::string_view name = kOpcodeFieldLetters[field.kind];
        if (!fieldsHere || name.empty()) continue;
        const unsigned high = field.lowBit + static_cast<unsigned>(name.size()) - 1;
        for (unsigned i = 0; i < name.size(); ++i) letters[7 - high + i] = name[i];
        const unsigned value = (fields.byte >> field.lowBit) & ((1u << name.size()) - 1);
        fields.fields[fields.count++] =
            OpcodeField{field.kind, static_cast<uint8_t>(high), field.lowBit, value};
    }
    // Listed from the highest bit down.
    std::sort(fields.fields.begin(), fields.fields.begin() + fields.count,
              [](const OpcodeField& a, const OpcodeField& b) { return a.highBit > b.highBit; });
    for (unsigned position = 0; position < 8; ++position) {
        fields.pattern +=
            letters[position] != '\0' ? letters[position] : ((fields.byte >> (7 - position)) & 1 ? '1' : '0');
    }
    return fields;
}

std::string FieldMeaning(const OpcodeField& field, const DecodedInstruction& record, const uint8_t* opcode,
                         bool operand32) {
    switch (field.kind) {
        case OpcodeFieldKind::Width: return WidthMeaning(field, record, opcode, operand32);
        case OpcodeFieldKind::Direction: return DirectionMeaning(field, record);
        case OpcodeFieldKind::SignExtend: return SignExtendMeaning(field, record, opcode);
        case OpcodeFieldKind::Condition: return ConditionMeaning(field);
        case OpcodeFieldKind::Register: return RegisterMeaning(field, record, opcode, operand32);
        case OpcodeFieldKind::SegmentRegister:
        case OpcodeFieldKind::SegmentRegister3:
            return "segment register " + RegisterName(field.value, RegisterClass::Segment);
        default: break;
    }
    return "";
}

}  // namespace vexa::cli
