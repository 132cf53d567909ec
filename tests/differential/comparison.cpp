#include "tests/differential/comparison.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace vexa::diff {

const char* const Mismatch::kNames[Mismatch::kCount] = {
    "validity", "length", "mnemonic", "operand-count", "operand-type", "register", "memory-size",
    "segment", "address", "displacement", "immediate", "relative", "far-pointer",
};

namespace {

bool Same(const char* x, const char* y) { return std::strcmp(x, y) == 0; }

uint64_t LowBytes(uint64_t value, unsigned bytes) {
    return bytes >= 8 ? value : value & ((uint64_t{1} << (8 * bytes)) - 1);
}

// Immediates agree when they share a width (the encoded one or the one a
// sign-extended imm8 stands for) and their values agree in it.
bool SameImmediate(const NormalizedOperand& a, const NormalizedOperand& b) {
    for (unsigned wa : {a.valueBytes, a.extendedBytes}) {
        for (unsigned wb : {b.valueBytes, b.extendedBytes}) {
            if (wa == wb && LowBytes(a.value, wa) == LowBytes(b.value, wb)) return true;
        }
    }
    return false;
}

// [si] may be written as a base or as an index taken once: the same address.
NormalizedOperand CanonicalAddress(NormalizedOperand o) {
    if (o.type == OperandType::Memory && o.base[0] == 0 && o.index[0] != 0 && o.scale == 1) {
        o.base = o.index;
        o.index = "";
        o.scale = 0;
    }
    return o;
}

uint32_t CompareOperands(const NormalizedOperand& first, const NormalizedOperand& second) {
    const NormalizedOperand a = CanonicalAddress(first);
    const NormalizedOperand b = CanonicalAddress(second);
    if (a.type != b.type) return Mismatch::OperandType;
    uint32_t m = 0;
    switch (a.type) {
        case OperandType::Register:
            if (!Same(a.reg, b.reg)) m |= Mismatch::Register;
            break;
        case OperandType::Memory:
            if (a.sizeBytes != b.sizeBytes) m |= Mismatch::MemorySize;
            if (!Same(a.segment, b.segment)) m |= Mismatch::Segment;
            if (!Same(a.base, b.base) || !Same(a.index, b.index) || a.scale != b.scale) m |= Mismatch::Address;
            if (a.dispBytes != b.dispBytes || a.disp != b.disp) m |= Mismatch::Displacement;
            break;
        case OperandType::Immediate:
            if (!SameImmediate(a, b)) m |= Mismatch::Immediate;
            break;
        case OperandType::Relative:
            if (a.valueBytes != b.valueBytes || a.value != b.value) m |= Mismatch::Relative;
            break;
        case OperandType::FarPointer:
            if (a.selector != b.selector || a.offset != b.offset || a.offsetBytes != b.offsetBytes) {
                m |= Mismatch::FarPointer;
            }
            break;
    }
    return m;
}

}  // namespace

Comparison Compare(const NormalizedInstruction& a, const NormalizedInstruction& b) {
    Comparison result;
    if (a.valid != b.valid) {
        result.mismatches = Mismatch::Validity;
        return result;
    }
    if (!a.valid) return result;
    if (a.length != b.length) result.mismatches |= Mismatch::Length;
    if (!Same(a.mnemonic, b.mnemonic)) result.mismatches |= Mismatch::Mnemonic;
    if (a.operandCount != b.operandCount) result.mismatches |= Mismatch::OperandCount;
    const unsigned common = a.operandCount < b.operandCount ? a.operandCount : b.operandCount;
    for (unsigned i = 0; i < common; ++i) {
        const uint32_t m = CompareOperands(a.operands[i], b.operands[i]);
        if (m != 0 && result.firstOperand < 0) result.firstOperand = static_cast<int>(i);
        result.mismatches |= m;
    }
    return result;
}

const char* DescribeMismatches(uint32_t mismatches, char* buffer, unsigned size) {
    buffer[0] = 0;
    for (unsigned bit = 0; bit < Mismatch::kCount; ++bit) {
        if (!(mismatches & (1u << bit))) continue;
        if (buffer[0]) std::strncat(buffer, "+", size - std::strlen(buffer) - 1);
        std::strncat(buffer, Mismatch::kNames[bit], size - std::strlen(buffer) - 1);
    }
    return buffer;
}

}  // namespace vexa::diff

namespace vexa::diff {

std::string DescribeInstruction(const NormalizedInstruction& instruction) {
    if (!instruction.valid) return "(invalid)";
    char buffer[96];
    std::string text = instruction.mnemonic[0] ? instruction.mnemonic : "???";
    std::snprintf(buffer, sizeof buffer, " /%u", instruction.length);
    text += buffer;
    for (unsigned i = 0; i < instruction.operandCount; ++i) {
        const NormalizedOperand& o = instruction.operands[i];
        text += i == 0 ? " " : ", ";
        switch (o.type) {
            case OperandType::Register:
                text += o.reg;
                break;
            case OperandType::Memory:
                std::snprintf(buffer, sizeof buffer, "m%u %s%s[%s%s%s%s d%u:%X]", o.sizeBytes, o.segment,
                              o.segment[0] ? ":" : "", o.base, o.base[0] && o.index[0] ? "+" : "", o.index,
                              o.index[0] ? (o.scale == 8 ? "*8" : o.scale == 4 ? "*4" : o.scale == 2 ? "*2" : "*1") : "",
                              o.dispBytes, o.disp);
                text += buffer;
                break;
            case OperandType::Immediate:
                std::snprintf(buffer, sizeof buffer, "imm%u/%u:%llX", o.valueBytes, o.extendedBytes,
                              static_cast<unsigned long long>(o.value));
                text += buffer;
                break;
            case OperandType::Relative:
                std::snprintf(buffer, sizeof buffer, "rel%u:%llX", o.valueBytes, static_cast<unsigned long long>(o.value));
                text += buffer;
                break;
            case OperandType::FarPointer:
                std::snprintf(buffer, sizeof buffer, "%04X:%X/%u", o.selector, o.offset, o.offsetBytes);
                text += buffer;
                break;
        }
    }
    return text;
}

}  // namespace vexa::diff
