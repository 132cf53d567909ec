#pragma once
// What the opcodes of each class have in common, in words, as the breakdown
// names an opcode's class: "class 2: r/m and reg, d and w bits".
#include <cstdint>

namespace vexa::cli {

// The form of an OpcodeClass (0-28) or a TwoByteClass (0-13, 99); "" for
// any other value.
const char* OneByteClassForm(uint8_t opcodeClass);
const char* TwoByteClassForm(uint8_t subClass);

}  // namespace vexa::cli
