#pragma once
// One decoded instruction as the differential test compares it: validity,
// length, the mnemonic in one common spelling, and the operands a reader sees,
// reduced to what every decoder can state (register names, memory size,
// base/index/scale, displacement, immediate and relative values, far pointers).
#include <cstdint>

namespace vexa::diff {

enum class OperandType : uint8_t { Register, Memory, Immediate, Relative, FarPointer };

struct NormalizedOperand {
    OperandType type = OperandType::Register;
    const char* reg = "";      // Register: lower-case name ("eax", "st1", "mm0", "cr0", "es")
    unsigned sizeBytes = 0;    // Memory: bytes accessed; 0 = no size stated
    const char* segment = "";  // Memory: an explicit segment override, "" for none
    const char* base = "";     // Memory: "" for none
    const char* index = "";
    unsigned scale = 0;        // Memory: 1, 2, 4, 8 with an index, else 0
    unsigned dispBytes = 0;    // Memory: displacement width, 0 = none
    uint32_t disp = 0;         // raw displacement bytes, dispBytes of them
    unsigned valueBytes = 0;   // Immediate: width of the value; Relative: displacement width
    unsigned extendedBytes = 0;  // Immediate: the width a sign-extended imm8 stands for (else valueBytes)
    uint64_t value = 0;        // Immediate value (sign-extended when signed) or branch displacement
    uint16_t selector = 0;     // FarPointer
    uint32_t offset = 0;
    unsigned offsetBytes = 0;
};

constexpr unsigned kMaxOperands = 6;

struct NormalizedInstruction {
    bool valid = false;
    unsigned length = 0;
    const char* mnemonic = "";  // lower case, peer aliases already mapped to the common spelling
    unsigned operandCount = 0;
    NormalizedOperand operands[kMaxOperands];
};

}  // namespace vexa::diff
