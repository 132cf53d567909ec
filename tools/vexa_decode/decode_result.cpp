#include "tools/vexa_decode/decode_result.h"

#include "decoder/decoder.h"

namespace vexa::cli {

void DecodeBytes(const HexBytes& bytes, bool is32BitMode, bool upperCase, DecodeResult& result) {
    result.is32BitMode = is32BitMode;
    result.record = DecodedInstruction{};
    result.decodeOk = DecodeInstruction(bytes.window.data(), &result.record, is32BitMode);
    result.formatOk = BuildDisplayLines(bytes.window.data(), result.record, result.decodeOk, upperCase,
                                        result.instructionLine, result.bytesLine);
}

}  // namespace vexa::cli
