#include "decoder/mmx_sse_decoder.h"

namespace vexa {

// Not decoded yet: refused (the caller records the instruction as invalid).
bool DecodeMmx(const uint8_t* bytes, DecodedInstruction* record, EffectiveSizes) {
    return bytes != nullptr && record != nullptr && false;
}

bool DecodeSseScalar(const uint8_t* bytes, DecodedInstruction* record, EffectiveSizes) {
    return bytes != nullptr && record != nullptr && false;
}

}  // namespace vexa
