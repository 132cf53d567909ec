#pragma once
// The two lines the workbench shows for a decoded instruction, shared by the
// dialog and vexa-decode so that both print the same text:
//   instruction line  "mov\tword ptr [bx+si+12], ax"  (mnemonic text, tab,
//                     operand text), or "Decode error!!!"
//   bytes line        "89 40 12 "  ("%02X " per instruction byte), or empty
//                     after a failure
#include <cstddef>
#include <cstdint>

#include "decoder/decoded_instruction.h"

namespace vexa {

// Size of each line buffer; both lines always fit.
constexpr size_t kDisplayLineSize = 256;

constexpr char kDecodeErrorText[] = "Decode error!!!";

// Builds both lines from the decode window `bytes` (kDecodeWindow bytes, as
// decoded into `record`) and the decoder's result `decodeOk`. With upperCase
// the ASCII letters a-z of a formatted instruction line become capitals; the
// error text and the bytes line are never changed. Returns true when the
// instruction line holds formatted text, false when it holds "Decode error!!!"
// (decodeOk false or the formatter refused the record). Both buffers need
// kDisplayLineSize bytes.
bool BuildDisplayLines(const uint8_t* bytes, const DecodedInstruction& record, bool decodeOk, bool upperCase,
                       char* instructionLine, char* bytesLine);

// The instruction line alone, as BuildDisplayLines builds it, at `line`
// (kDisplayLineSize bytes). Returns the end of a formatted line (where its
// terminating zero stands), or nullptr when the line holds "Decode error!!!".
char* BuildInstructionLine(const DecodedInstruction& record, bool decodeOk, bool upperCase, char* line);

// "%02X " for each of the first `count` bytes; at most kDecodeWindow of them
// are shown.
void BuildBytesLine(const uint8_t* bytes, unsigned count, char* bytesLine);

// Turns ASCII a-z into A-Z in place; everything else stays.
void ToUpperAscii(char* text);

}  // namespace vexa
