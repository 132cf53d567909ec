#pragma once
// Field-by-field comparison of two instructions in the common form.
#include <cstdint>
#include <string>

#include "tests/differential/normalized_instruction.h"

namespace vexa::diff {

// What differs; several bits may be set. Validity alone is reported when one
// side is valid and the other is not; two invalid results agree.
namespace Mismatch {
enum : uint32_t {
    Validity = 1u << 0,
    Length = 1u << 1,
    Mnemonic = 1u << 2,
    OperandCount = 1u << 3,
    OperandType = 1u << 4,
    Register = 1u << 5,
    MemorySize = 1u << 6,
    Segment = 1u << 7,
    Address = 1u << 8,  // base, index or scale
    Displacement = 1u << 9,
    Immediate = 1u << 10,
    Relative = 1u << 11,
    FarPointer = 1u << 12,
};
constexpr unsigned kCount = 13;
extern const char* const kNames[kCount];
}  // namespace Mismatch

struct Comparison {
    uint32_t mismatches = 0;
    int firstOperand = -1;  // first operand slot that differs, -1 for none
};

Comparison Compare(const NormalizedInstruction& a, const NormalizedInstruction& b);

// The bits of `mismatches` as words joined by "+" ("length+mnemonic").
const char* DescribeMismatches(uint32_t mismatches, char* buffer, unsigned size);

}  // namespace vexa::diff

namespace vexa::diff {

// A compact text of an instruction for reports: "mov eax, d[ebx+esi*4+0x10]".
std::string DescribeInstruction(const NormalizedInstruction& instruction);

}  // namespace vexa::diff
