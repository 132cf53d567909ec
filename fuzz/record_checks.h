#pragma once
// Checks the fuzzer applies to every decode: the invariants of the decoded
// record (tests/record_invariants.h), and the agreement of vexa-decode's --json view with the record.
#include <cstdint>
#include <string_view>

#include "decoder/decoded_instruction.h"
#include "tests/record_invariants.h"
#include "tools/vexa_decode/decode_result.h"

namespace vexa::fuzz {

// The invariants of a decoded record are the tests' own, stated once.
using test::BrokenRecordInvariant;

// Compares one JSON line of vexa-decode --json with the result it was written
// from, field by field. Returns nullptr when they agree, else the path of the
// first field that differs or is missing.
const char* JsonMismatch(std::string_view json, const cli::DecodeResult& result);

}  // namespace vexa::fuzz
