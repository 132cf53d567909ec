#pragma once
// What a ModR/M field does in one instruction, learnt by decoding the same
// bytes again with the field set to each other value: if one operand's
// register number follows the field, the field names that operand; if the
// name or the validity changes, the field selects the operation; if nothing
// changes, the instruction does not use it. Asking the decoder keeps the
// answers true to it without a second copy of its rules.
#include <cstdint>

#include "decoder/decoded_instruction.h"

namespace vexa::cli {

// The reg field (bits 5-3) and the r/m field (bits 2-0) of a ModR/M byte.
struct ModRMField {
    uint8_t mask;
    uint8_t shift;
};
constexpr ModRMField kRegField{0x38, 3};
constexpr ModRMField kRmField{0x07, 0};

// Decodes the window with the byte at `position` replaced by `value`; true
// when that decode succeeds and names an instruction (not INVALID).
bool DecodesValid(const uint8_t* window, unsigned position, uint8_t value, bool is32BitMode,
                  DecodedInstruction* record = nullptr);

// Bit v set when the byte at `position` decodes valid with `field` set to v
// and its other bits as in `modrm`.
uint8_t ValidFieldValues(const uint8_t* window, unsigned position, uint8_t modrm, ModRMField field, bool is32BitMode);

enum class FieldUse : uint8_t { Operand, Selector, Unused };

struct FieldFinding {
    FieldUse use = FieldUse::Unused;
    int operand = -1;  // the record's slot, for FieldUse::Operand
};

// How the valid `record` uses `field` of the ModR/M byte at `position`.
FieldFinding FindFieldUse(const uint8_t* window, unsigned position, ModRMField field, const DecodedInstruction& record,
                          bool is32BitMode);

}  // namespace vexa::cli
