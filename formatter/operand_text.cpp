#include "formatter/operand_text.h"

#include "formatter/field_text.h"
#include "formatter/number_text.h"
#include "formatter/register_name.h"
#include "formatter/size_keyword.h"
#include "formatter/text_append.h"

namespace vexa {
namespace {

char* AppendMemory(char* end, const DecodedInstruction& instruction, const OperandDescriptor& operand) {
    if (operand.memorySize != MemorySize::None) end = AppendSizeKeyword(end, operand.memorySize);
    const uint8_t segment = SegmentOverrideOf(instruction);
    if (segment != SegmentOverride::None) {
        end = AppendRegisterName(end, MakeRegisterCode(RegisterClass::Segment, segment - 1));
        *end++ = ':';
    }
    *end++ = '[';

    const bool hasBase = (operand.base & kRegisterPresent) != 0;
    const bool hasIndex = (operand.index & kRegisterPresent) != 0;
    if (hasBase) end = AppendRegisterName(end, operand.base);
    if (hasIndex) {
        if (hasBase) *end++ = '+';
        end = AppendRegisterName(end, operand.index);
        if ((operand.scale & kScalePresent) != 0) end = AppendDecimal(AppendChar(end, '*'), operand.scale & 0x0F);
    }
    if (operand.dispSize != 0) {
        // Beside a register the displacement is an offset and carries its sign;
        // alone it is an address.
        end = (hasBase || hasIndex) ? AppendSignedField(end, operand) : AppendUnsignedField(end, operand);
        if (end == nullptr) return nullptr;
    }
    return AppendChar(end, ']');
}

char* AppendImmediate(char* end, const OperandDescriptor& operand) {
    switch (operand.immSize) {
        case 1: return AppendHex(end, static_cast<uint8_t>(operand.imm), 1);
        case 2: return AppendHex(end, static_cast<uint16_t>(operand.imm), 1);
        case 4: return AppendHex(end, operand.imm, 1);
        default: *end = '\0'; return end;
    }
}

// The target as its distance from the instruction's first byte: length plus
// displacement, wrapping within the displacement's width.
char* AppendRelative(char* end, const DecodedInstruction& instruction, const OperandDescriptor& operand) {
    const uint32_t target = InstructionLength(instruction) + operand.disp;
    switch (operand.dispSize) {
        case 1: return AppendSignedHex(AppendChar(end, '$'), static_cast<uint8_t>(target), 0x80u);
        case 2: return AppendSignedHex(AppendChar(end, '$'), static_cast<uint16_t>(target), 0x8000u);
        case 4: return AppendSignedHex(AppendChar(end, '$'), target, 0x80000000u);
        default: *end = '\0'; return end;
    }
}

// Selector first, then the offset. A 6-byte pointer keeps its selector in
// dispHigh; a 4-byte one in the upper half of disp.
char* AppendFarPointer(char* end, const OperandDescriptor& operand) {
    if (operand.dispSize == 6) {
        end = AppendHex(end, operand.dispHigh, 4);
        return AppendHex(AppendChar(end, ':'), operand.disp, 8);
    }
    if (operand.dispSize == 4) {
        end = AppendHex(end, static_cast<uint16_t>(operand.disp >> 16), 4);
        return AppendHex(AppendChar(end, ':'), static_cast<uint16_t>(operand.disp), 4);
    }
    return nullptr;
}

}  // namespace

char* AppendOperand(char* end, const DecodedInstruction& instruction, const OperandDescriptor& operand) {
    // Registers and memory, most operands, as two tests first: on changing
    // code they are mispredicted less often than the switch's indirect jump.
    if (operand.kind == OperandKind::Register) return AppendRegisterName(end, operand.reg);
    if (operand.kind == OperandKind::Memory) return AppendMemory(end, instruction, operand);
    switch (operand.kind) {
        case OperandKind::Immediate: return AppendImmediate(end, operand);
        case OperandKind::Constant: return AppendUnsignedField(end, operand);
        case OperandKind::Relative: return AppendRelative(end, instruction, operand);
        case OperandKind::FarPointer: return AppendFarPointer(end, operand);
        default: *end = '\0'; return end;
    }
}

bool FormatOperand(const DecodedInstruction& instruction, const OperandDescriptor& operand, char* text) {
    *text = '\0';
    return AppendOperand(text, instruction, operand) != nullptr;
}

}  // namespace vexa
