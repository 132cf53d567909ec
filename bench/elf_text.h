#pragma once
// The code section (.text) of a 32-bit little-endian ELF file, read straight
// from the file: the real-code corpus needs nothing but its bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace vexa::bench {

// The bytes of the section named ".text". Empty, with `error` saying why, when
// the file cannot be read, is not such an ELF file, or has no such section.
std::vector<uint8_t> ReadElf32Text(const std::string& path, std::string& error);

}  // namespace vexa::bench
