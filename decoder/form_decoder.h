#pragma once
// The straight-line decoder: decodes an opcode by its operand form (see
// decoder/operand_forms.h) without a branch or a call on the kind of
// instruction. Most instructions take it; the rest go to their class handler.
#include <cstdint>

#include "decoder/decoded_instruction.h"

namespace vexa {

// Decodes the opcode at bytes[position], after `position` prefixes whose
// effects the record already holds (the rest of it as reset), within the
// decode window. Returns false, with the record untouched, when the opcode has
// no straight-line form or its reg field names no instruction: its class
// handler decodes it then. Never reads past the decode window.
bool DecodeByForm(const uint8_t* bytes, unsigned position, DecodedInstruction& record, EffectiveSizes sizes);

// DecodeInstruction with every opcode left to its class handler: the reference
// the straight-line decoder is held to (same result for every input).
bool DecodeInstructionByHandlers(const uint8_t* bytes, DecodedInstruction* record, bool is32BitMode);

}  // namespace vexa
