#pragma once
// --explain: the breakdown printed after an instruction's two lines. Plain,
// line-oriented text (an empty line ends it); with `colour` the byte roles
// carry ANSI colours.
//
//   bytes (5):                   every byte in order with its role, adding up to the length
//     0      66           prefix        Operand size override prefix
//     ...
//   opcode 89 = 10001001 = 100010dw (class 2: ...)   its named bit fields, one per line
//   ModR/M 44 = 01 000 100       mod / reg / r/m, one per line
//   SIB 8B = 10 001 011          scale / index / base, one per line
//   operand size: 16-bit (32-bit mode, 66h prefix)
//   address size: 32-bit (32-bit mode)
//
// An INVALID result adds what the decoder read and, on an "invalid:" line, why.
// Where each byte lies, what it feeds and why bytes are INVALID come from the
// decoder (DecodeInstructionLayout); which reg fields an opcode takes, from
// its operand forms. Two texts take one more decode: the values of an
// instruction too long to be valid (decoded without its redundant prefixes),
// and the name of the addressing form an opcode wants instead of the one given.
#include <string>

#include "tools/vexa_decode/decode_result.h"
#include "tools/vexa_decode/hex_input.h"

namespace vexa::cli {

void AppendExplanation(std::string& out, const HexBytes& bytes, const DecodeResult& result, bool colour);

// The --help example: the command line and its whole output, each line indented.
std::string ExplanationExample();

}  // namespace vexa::cli
