#pragma once
// The assembler's one door into the decoder and the formatter: everything it
// knows about encodings it learns through these two calls, so a change inside
// the decoder touches nothing here but this file's .cpp.
#include <cstddef>
#include <cstdint>

#include "decoder/decoded_instruction.h"
#include "decoder/decoder.h"
#include "decoder/mnemonic_list.h"

namespace vexa::assembler {

// "mnemonic text \t operand text", as the workbench's instruction line.
constexpr size_t kLineSize = 280;

// Decodes the window (kDecodeWindow bytes) in the mode given. True when the
// decode is a named instruction (neither "INVALID" nor "???") whose text could
// be formatted into `line`.
bool DecodeNamed(const uint8_t* window, bool is32BitMode, DecodedInstruction& record, char* line);

// The line of a record built by hand; false when the formatter refuses it.
bool FormatLine(const DecodedInstruction& record, char* line);

// Whether two valid records agree in every field the formatter reads (the
// mnemonic, the lock and segment bits, the repeat bits, the counted operands
// field by field, and the length where a relative target shows it), so that
// their texts are the same without formatting either; the decoder's own bits
// (HasModRM, the opcode class, ...) do not show. False says nothing: the texts
// may still be the same. The round trip over the whole sweep holds this to
// what the formatter does.
bool SameShownFields(const DecodedInstruction& x, const DecodedInstruction& y);

// The mnemonic list's text of an index ("" outside the list).
const char* MnemonicName(uint16_t index);
int MnemonicCount();

}  // namespace vexa::assembler
