#pragma once
// Checks the fuzzer applies to every decode: the invariants of the decoded
// record, and the agreement of vexa-decode's --json view with the record.
#include <cstdint>
#include <string_view>

#include "decoder/decoded_instruction.h"
#include "tools/vexa_decode/decode_result.h"

namespace vexa::fuzz {

// The invariants of a record after a decode of `bytes` that returned true:
// the documented ones (invalid means INVALID of length 1; a valid length is
// 1-15; slots past operandCount are zero) and the value ranges the decoder
// stores (operand kinds, register classes, size codes, widths, flags).
// Returns nullptr when all hold, else what is broken.
const char* BrokenRecordInvariant(const uint8_t* bytes, const DecodedInstruction& record);

// Compares one JSON line of vexa-decode --json with the result it was written
// from, field by field. Returns nullptr when they agree, else the path of the
// first field that differs or is missing.
const char* JsonMismatch(std::string_view json, const cli::DecodeResult& result);

}  // namespace vexa::fuzz
