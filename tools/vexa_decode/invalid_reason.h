#pragma once
// Why the decoder found bytes INVALID, worked out afterwards from the bytes and
// the record (the decoder itself only marks the record invalid).
#include <string>

#include "tools/vexa_decode/byte_layout.h"

namespace vexa::cli {

enum class InvalidReason : uint8_t {
    TooManyPrefixes,              // a fifteenth prefix byte
    TooLong,                      // the instruction would be longer than 15 bytes
    UnknownOpcode,                // a second opcode byte with no instruction
    ReservedRegField,             // a reg field value the opcode (group) does not define
    NoSuchControlRegister,        // mov with cr1, cr5, cr6 or cr7
    RegisterWhereMemoryRequired,  // mod 11 where only a memory operand is allowed
    MemoryWhereRegisterRequired,  // a memory operand where only a register is allowed
    FpuForm,                      // x87 escape bytes that name no instruction
    MmxForm,                      // an MMX opcode that names no instruction
    SseForm,                      // F3 0F xx outside the scalar single-precision forms
    Unexplained,                  // none of the above (not expected)
};

struct InvalidDiagnosis {
    InvalidReason reason = InvalidReason::Unexplained;
    bool alsoReservedRegField = false;  // a second fault beside an addressing-form fault
    std::string text;                   // the reason in words, one line
};

// The reason the invalid record in `decoded` is invalid.
InvalidDiagnosis DiagnoseInvalid(const DecodedWindow& decoded);

}  // namespace vexa::cli
