#include "tools/vexa_decode/field_variants.h"

#include <algorithm>
#include <array>

#include "decoder/decoder.h"

namespace vexa::cli {
namespace {

bool SameOperand(const OperandDescriptor& a, const OperandDescriptor& b) {
    return a.kind == b.kind && a.memorySize == b.memorySize && a.reg == b.reg && a.base == b.base &&
           a.index == b.index && a.scale == b.scale && a.dispSize == b.dispSize && a.disp == b.disp &&
           a.dispHigh == b.dispHigh && a.immSize == b.immSize && a.imm == b.imm;
}

// A register operand that differs from `original` only in its number, which is `number`.
bool OnlyNumberChangedTo(const OperandDescriptor& original, const OperandDescriptor& variant, uint8_t number) {
    if (original.kind != OperandKind::Register || variant.kind != OperandKind::Register) return false;
    if (RegisterClassOf(original.reg) != RegisterClassOf(variant.reg)) return false;
    return RegisterNumber(variant.reg) == number && RegisterNumber(original.reg) != number;
}

// The one slot whose register follows the field, all others unchanged; or -1.
int SlotFollowingField(const DecodedInstruction& original, const DecodedInstruction& variant, uint8_t value) {
    if (variant.mnemonic != original.mnemonic || variant.operandCount != original.operandCount) return -1;
    int follower = -1;
    for (unsigned i = 0; i < std::min<unsigned>(original.operandCount, 3); ++i) {
        if (SameOperand(original.operands[i], variant.operands[i])) continue;
        if (follower >= 0 || !OnlyNumberChangedTo(original.operands[i], variant.operands[i], value)) return -1;
        follower = static_cast<int>(i);
    }
    return follower;
}

bool SameInstruction(const DecodedInstruction& a, const DecodedInstruction& b) {
    if (a.mnemonic != b.mnemonic || a.operandCount != b.operandCount) return false;
    for (unsigned i = 0; i < std::min<unsigned>(a.operandCount, 3); ++i) {
        if (!SameOperand(a.operands[i], b.operands[i])) return false;
    }
    return InstructionLength(a) == InstructionLength(b);
}

uint8_t WithField(uint8_t modrm, ModRMField field, unsigned value) {
    return static_cast<uint8_t>((modrm & ~field.mask) | ((value << field.shift) & field.mask));
}

}  // namespace

bool DecodesValid(const uint8_t* window, unsigned position, uint8_t value, bool is32BitMode,
                  DecodedInstruction* record) {
    std::array<uint8_t, kDecodeWindow> variant{};
    std::copy(window, window + kDecodeWindow, variant.begin());
    variant[position] = value;
    DecodedInstruction scratch{};
    DecodedInstruction& target = record != nullptr ? *record : scratch;
    return DecodeInstruction(variant.data(), &target, is32BitMode) && !IsInvalid(target);
}

uint8_t ValidFieldValues(const uint8_t* window, unsigned position, uint8_t modrm, ModRMField field, bool is32BitMode) {
    uint8_t values = 0;
    for (unsigned v = 0; v < 8; ++v) {
        if (DecodesValid(window, position, WithField(modrm, field, v), is32BitMode)) values |= 1u << v;
    }
    return values;
}

FieldFinding FindFieldUse(const uint8_t* window, unsigned position, ModRMField field, const DecodedInstruction& record,
                          bool is32BitMode) {
    const uint8_t modrm = window[position];
    const unsigned current = (modrm & field.mask) >> field.shift;
    bool changesSomething = false;
    for (unsigned v = 0; v < 8; ++v) {
        if (v == current) continue;
        DecodedInstruction variant{};
        if (!DecodesValid(window, position, WithField(modrm, field, v), is32BitMode, &variant)) {
            changesSomething = true;
            continue;
        }
        const int slot = SlotFollowingField(record, variant, static_cast<uint8_t>(v));
        if (slot >= 0) return FieldFinding{FieldUse::Operand, slot};
        if (!SameInstruction(record, variant)) changesSomething = true;
    }
    return FieldFinding{changesSomething ? FieldUse::Selector : FieldUse::Unused, -1};
}

}  // namespace vexa::cli
