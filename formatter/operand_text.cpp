#include "formatter/operand_text.h"

#include "formatter/field_text.h"
#include "formatter/number_text.h"
#include "formatter/register_name.h"
#include "formatter/size_keyword.h"
#include "formatter/text_append.h"

namespace vexa {
namespace {

// Appends the name of a register code; an unknown class appends nothing.
char* AppendRegister(char* end, uint8_t code) {
    *end = '\0';
    FormatRegisterName(RegisterNumber(code), end, RegisterClassOf(code));
    return TextEnd(end);
}

bool FormatMemory(const DecodedInstruction& instruction, const OperandDescriptor& operand, char* text) {
    char* end = text;
    *end = '\0';
    if (operand.memorySize != MemorySize::None) {
        FormatSizeKeyword(&operand, end);
        end = TextEnd(end);
    }
    const uint8_t segment = SegmentOverrideOf(instruction);
    if (segment != SegmentOverride::None) {
        end = AppendRegister(end, MakeRegisterCode(RegisterClass::Segment, segment - 1));
        end = AppendChar(end, ':');
    }
    end = AppendChar(end, '[');

    const bool hasBase = (operand.base & kRegisterPresent) != 0;
    const bool hasIndex = (operand.index & kRegisterPresent) != 0;
    if (hasBase) end = AppendRegister(end, operand.base);
    if (hasIndex) {
        if (hasBase) end = AppendChar(end, '+');
        end = AppendRegister(end, operand.index);
        if ((operand.scale & kScalePresent) != 0) end = AppendDecimal(AppendChar(end, '*'), operand.scale & 0x0F);
    }
    if (operand.dispSize != 0) {
        // Beside a register the displacement is an offset and carries its sign;
        // alone it is an address.
        const bool printed = (hasBase || hasIndex) ? FormatSignedField(&operand, end) : FormatUnsignedField(&operand, end);
        if (!printed) return false;
        end = TextEnd(end);
    }
    AppendChar(end, ']');
    return true;
}

void FormatImmediate(const OperandDescriptor& operand, char* text) {
    switch (operand.immSize) {
        case 1: FormatHex8(static_cast<uint8_t>(operand.imm), text); break;
        case 2: FormatHex16(static_cast<uint16_t>(operand.imm), text); break;
        case 4: FormatHex32(operand.imm, text); break;
        default: *text = '\0'; break;
    }
}

// The target as its distance from the instruction's first byte: length plus
// displacement, wrapping within the displacement's width.
void FormatRelative(const DecodedInstruction& instruction, const OperandDescriptor& operand, char* text) {
    const uint32_t target = InstructionLength(instruction) + operand.disp;
    char* digits = AppendChar(text, '$');
    switch (operand.dispSize) {
        case 1: FormatSignedHex8(static_cast<uint8_t>(target), digits); break;
        case 2: FormatSignedHex16(static_cast<uint16_t>(target), digits); break;
        case 4: FormatSignedHex32(target, digits); break;
        default: *text = '\0'; break;
    }
}

// Selector first, then the offset. A 6-byte pointer keeps its selector in
// dispHigh; a 4-byte one in the upper half of disp.
bool FormatFarPointer(const OperandDescriptor& operand, char* text) {
    uint16_t selector;
    if (operand.dispSize == 6) {
        selector = operand.dispHigh;
    } else if (operand.dispSize == 4) {
        selector = static_cast<uint16_t>(operand.disp >> 16);
    } else {
        return false;
    }
    FormatFixedHex16(selector, text);
    char* offset = AppendChar(TextEnd(text), ':');
    if (operand.dispSize == 6) {
        FormatFixedHex32(operand.disp, offset);
    } else {
        FormatFixedHex16(static_cast<uint16_t>(operand.disp), offset);
    }
    return true;
}

}  // namespace

bool FormatOperand(const DecodedInstruction& instruction, const OperandDescriptor& operand, char* text) {
    *text = '\0';
    switch (operand.kind) {
        case OperandKind::Register: AppendRegister(text, operand.reg); return true;
        case OperandKind::Memory: return FormatMemory(instruction, operand, text);
        case OperandKind::Immediate: FormatImmediate(operand, text); return true;
        case OperandKind::Constant: return FormatUnsignedField(&operand, text);
        case OperandKind::Relative: FormatRelative(instruction, operand, text); return true;
        case OperandKind::FarPointer: return FormatFarPointer(operand, text);
        default: return true;
    }
}

}  // namespace vexa
