#pragma once
// Vexa's side of the comparison: a decoded record in the common form.
#include "decoder/decoded_instruction.h"
#include "tests/differential/normalized_instruction.h"

namespace vexa::diff {

// The lower-case name of a register code (class and number), as the peers
// spell it: "eax", "st0", "mm1", "cr3", "dr7", "fs", "xmm2". Segment numbers
// 6 and 7, which name no register, read "seg6" and "seg7".
const char* VexaRegisterName(uint8_t code);

// The record of a decode that returned true, in the common form. An invalid
// record is only "not valid"; nothing else of it is compared.
NormalizedInstruction NormalizeVexa(const DecodedInstruction& record);

}  // namespace vexa::diff
