#pragma once
// Hand-made operands and records for the decoder and formatter tests.
#include <initializer_list>

#include "decoder/decoded_instruction.h"

namespace vexa::test {

constexpr uint8_t Present(uint8_t registerClass, uint8_t number) {
    return kRegisterPresent | MakeRegisterCode(registerClass, number);
}
constexpr uint8_t kNoRegister = 0;
constexpr uint8_t Scale(uint8_t factor) { return kScalePresent | factor; }

inline OperandDescriptor RegisterOperand(uint8_t registerClass, uint8_t number) {
    OperandDescriptor o{};
    o.kind = OperandKind::Register;
    o.reg = MakeRegisterCode(registerClass, number);
    return o;
}

inline OperandDescriptor MemoryOperand(uint8_t memorySize, uint8_t base, uint8_t index, uint8_t scale,
                                       uint8_t dispSize, uint32_t disp) {
    OperandDescriptor o{};
    o.kind = OperandKind::Memory;
    o.memorySize = memorySize;
    o.base = base;
    o.index = index;
    o.scale = scale;
    o.dispSize = dispSize;
    o.disp = disp;
    return o;
}

inline OperandDescriptor ImmediateOperand(uint8_t immSize, uint32_t imm) {
    OperandDescriptor o{};
    o.kind = OperandKind::Immediate;
    o.immSize = immSize;
    o.imm = imm;
    return o;
}

// Constant, Relative and FarPointer keep their number in disp (and dispHigh).
inline OperandDescriptor DispOperand(uint8_t kind, uint8_t dispSize, uint32_t disp, uint16_t dispHigh = 0) {
    OperandDescriptor o{};
    o.kind = kind;
    o.dispSize = dispSize;
    o.disp = disp;
    o.dispHigh = dispHigh;
    return o;
}

inline DecodedInstruction Instruction(uint16_t mnemonic, std::initializer_list<OperandDescriptor> operands,
                                      unsigned length = 1, uint8_t prefixFlags = 0) {
    DecodedInstruction d{};
    d.mnemonic = mnemonic;
    d.prefixFlags = prefixFlags;
    SetInstructionLength(d, length);
    for (const OperandDescriptor& o : operands) d.operands[d.operandCount++] = o;
    return d;
}

constexpr uint8_t SegmentPrefix(uint8_t segmentOverride) {
    return static_cast<uint8_t>(segmentOverride << PrefixFlag::SegmentShift);
}

}  // namespace vexa::test
