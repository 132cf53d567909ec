#pragma once
// One instruction taken from hex bytes to its record and its two display lines.
#include "decoder/decoded_instruction.h"
#include "formatter/display_lines.h"
#include "tools/vexa_decode/hex_input.h"

namespace vexa::cli {

struct DecodeResult {
    bool is32BitMode = true;
    bool decodeOk = false;
    bool formatOk = false;
    DecodedInstruction record{};
    char instructionLine[kDisplayLineSize] = {};
    char bytesLine[kDisplayLineSize] = {};
};

// Decodes the window of `bytes` in the mode given (the global mode flag is
// neither read nor written) and builds the lines.
void DecodeBytes(const HexBytes& bytes, bool is32BitMode, bool upperCase, DecodeResult& result);

}  // namespace vexa::cli
