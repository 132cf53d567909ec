#include "decoder/decoded_instruction.h"

namespace vexa {

uint8_t mode32 = 1;

}  // namespace vexa
