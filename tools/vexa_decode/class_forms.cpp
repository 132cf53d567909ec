#include "tools/vexa_decode/class_forms.h"

#include "decoder/opcode_classes.h"

namespace vexa::cli {

const char* OneByteClassForm(uint8_t opcodeClass) { return OneByteClassDescription(opcodeClass).text; }

const char* TwoByteClassForm(uint8_t subClass) { return TwoByteClassDescription(subClass).text; }

}  // namespace vexa::cli
