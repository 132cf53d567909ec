#pragma once
// Register names: "al", "ax", "eax", "st", "st(3)", "mm1", "cr0", "dr7", "es",
// "xmm2". Segment register numbers 6 and 7 have no register and read "?s".
#include <cstdint>

namespace vexa {

// Replaces `text` with the name of register `number` (0-7; higher bits are
// ignored) of `registerClass` (0-8). For any other class nothing is written.
// Always true. `text` needs 6 bytes.
bool FormatRegisterName(uint8_t number, char* text, uint8_t registerClass);

// Appends the name of a register code (number in bits 0-2, class in bits 3-6)
// and returns the new end; a class without names appends nothing.
char* AppendRegisterName(char* end, uint8_t code);

}  // namespace vexa
