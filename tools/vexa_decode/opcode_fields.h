#pragma once
// The named bit fields of the opcode, as the decoder describes them for the
// opcode's class (ClassDescription): "w" width, "d" direction, "s" sign
// extension, "tttn" a condition, "reg" a register, "sr" and "sr3" a segment
// register.
#include <array>
#include <cstdint>
#include <string>

#include "decoder/decoded_instruction.h"

namespace vexa::cli {

struct OpcodeField {
    uint8_t kind;  // OpcodeFieldKind; its letters name it: "w", "tttn", "reg", "sr3"
    uint8_t highBit;
    uint8_t lowBit;
    unsigned value;
};

// The fields of the byte that carries them: the first opcode byte, or for a
// two-byte opcode the byte after 0Fh.
struct OpcodeFields {
    uint8_t byte = 0;
    bool secondByte = false;
    std::string pattern;  // the byte in binary with field letters for field bits: "100010dw"
    std::array<OpcodeField, 4> fields{};
    unsigned count = 0;
};

// A register's name: "ebx", "fs".
std::string RegisterName(unsigned number, uint8_t registerClass);

// `opcode` points at the first opcode byte of the record's instruction.
OpcodeFields FieldsOfOpcode(const DecodedInstruction& record, const uint8_t* opcode);

// What the field's value means in this instruction: "full size: 32-bit",
// "condition ne", "register ebx", "segment register fs".
std::string FieldMeaning(const OpcodeField& field, const DecodedInstruction& record, const uint8_t* opcode,
                         bool operand32);

}  // namespace vexa::cli
