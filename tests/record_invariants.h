#pragma once
// The invariants of a decoded record, checked in one place for every decode
// the sweeps, the example files and the fuzz target make: the documented ones
// (invalid means INVALID of length 1; a valid length is 1-15; slots past
// operandCount are zero) and the value ranges the decoder stores (operand
// kinds, register classes, size codes, widths, flags, the classes of the
// opcode bytes).
#include <cstddef>
#include <cstdint>

#include "decoder/decoder.h"
#include "decoder/mnemonic_list.h"
#include "decoder/opcode_classes.h"

namespace vexa::test {
namespace invariant_detail {

inline bool IsZero(const OperandDescriptor& operand) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&operand);
    for (size_t i = 0; i < sizeof operand; ++i) {
        if (bytes[i] != 0) return false;
    }
    return true;
}

inline bool FitsIn(uint32_t value, unsigned bytes) { return bytes >= 4 || (value >> (8 * bytes)) == 0; }

// A base or index register: absent (0), or present with class Gpr16/Gpr32.
inline bool IsAddressRegister(uint8_t code) {
    if (code == 0) return true;
    const uint8_t c = RegisterClassOf(code);
    return (code & kRegisterPresent) != 0 && (c == RegisterClass::Gpr16 || c == RegisterClass::Gpr32);
}

inline const char* BrokenOperand(const OperandDescriptor& o) {
    if (o.kind != OperandKind::FarPointer && o.dispHigh != 0) return "dispHigh set outside a 6-byte far pointer";
    switch (o.kind) {
        case OperandKind::Register:
            if (o.reg & kRegisterPresent) return "register operand with bit 7 set";
            if (RegisterClassOf(o.reg) > RegisterClass::Xmm) return "register class out of range";
            return nullptr;
        case OperandKind::Memory:
            if (o.memorySize == 1 || o.memorySize == 2 || o.memorySize > MemorySize::Bytes108) {
                return "memory size code out of range";
            }
            if (o.dispSize != 0 && o.dispSize != 1 && o.dispSize != 2 && o.dispSize != 4) return "memory dispSize";
            if (!FitsIn(o.disp, o.dispSize)) return "displacement wider than dispSize";
            if (!IsAddressRegister(o.base) || !IsAddressRegister(o.index)) return "base or index register code";
            if (o.scale != 0 && o.scale != 0x82 && o.scale != 0x84 && o.scale != 0x88) return "scale code";
            if (o.scale != 0 && o.index == 0) return "scale without an index";
            return nullptr;
        case OperandKind::Immediate:
            if (o.immSize != 1 && o.immSize != 2 && o.immSize != 4) return "immSize";
            if (!FitsIn(o.imm, o.immSize)) return "immediate wider than immSize";
            return nullptr;
        case OperandKind::Constant:
            if (o.dispSize != 2 || !FitsIn(o.disp, 2)) return "constant is not 16-bit";
            return nullptr;
        case OperandKind::Relative:
            if (o.dispSize != 1 && o.dispSize != 2 && o.dispSize != 4) return "relative dispSize";
            if (!FitsIn(o.disp, o.dispSize)) return "branch displacement wider than dispSize";
            return nullptr;
        case OperandKind::FarPointer:
            if (o.dispSize != 4 && o.dispSize != 6) return "far pointer dispSize";
            if (o.dispSize == 4 && o.dispHigh != 0) return "dispHigh set in a 4-byte far pointer";
            return nullptr;
        default:
            return "operand kind out of range";
    }
}

}  // namespace invariant_detail

// The invariants of a record after a decode of the window `bytes` that
// returned true. Returns nullptr when all hold, else what is broken.
inline const char* BrokenRecordInvariant(const uint8_t* bytes, const DecodedInstruction& record) {
    using namespace invariant_detail;
    const unsigned length = InstructionLength(record);
    if (record.repeatAndLength & 0x80) return "bit 7 of the repeat/length byte set";
    if (record.decodeFlags & ~(DecodeFlag::TwoByteOpcode | DecodeFlag::Invalid)) return "unknown decodeFlags bit";
    if (SegmentOverrideOf(record) > SegmentOverride::Gs) return "segment override code out of range";
    if (HasSIB(record) && !HasModRM(record)) return "hasSIB without hasModRM";
    if (record.operandCount > 3) return "operandCount above 3";
    for (unsigned i = record.operandCount; i < 3; ++i) {
        if (!IsZero(record.operands[i])) return "slot past operandCount not zero";
    }
    if (IsInvalid(record)) {
        if (record.mnemonic != Mnemonic::Invalid) return "invalid record without mnemonic 1";
        if (length != 1) return "invalid record with a length other than 1";
        return nullptr;
    }
    if (length < 1 || length > kMaxInstructionLength) return "valid record with a length outside 1-15";
    if (record.mnemonic == Mnemonic::Invalid) return "mnemonic 1 without the invalid flag";
    if (record.mnemonic >= kMnemonicCount) return "mnemonic index out of the list";

    // The opcode is the first byte that is not a prefix, and it lies inside the length.
    unsigned prefixes = 0;
    while (prefixes < kDecodeWindow && kOneByteClassTable[bytes[prefixes]] == OpcodeClass::Prefix) ++prefixes;
    if (prefixes >= length) return "length does not reach the opcode";
    const uint8_t opcode = bytes[prefixes];
    if (record.opcodeClass != kOneByteClassTable[opcode]) return "opcodeClass is not the opcode's class";
    const bool twoByte = opcode == 0x0F;
    if (twoByte != ((record.decodeFlags & DecodeFlag::TwoByteOpcode) != 0)) return "twoByteOpcode flag";
    if (twoByte && (prefixes + 2 > length || record.subClass != kTwoByteClassTable[bytes[prefixes + 1]])) {
        return "subClass is not the second byte's class";
    }
    if (!twoByte && record.subClass != 0) return "subClass set for a one-byte opcode";
    for (unsigned i = 0; i < record.operandCount; ++i) {
        if (const char* broken = BrokenOperand(record.operands[i])) return broken;
    }
    return nullptr;
}

}  // namespace vexa::test
