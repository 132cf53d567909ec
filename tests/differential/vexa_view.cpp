#include "tests/differential/vexa_view.h"

#include "decoder/mnemonic_list.h"

namespace vexa::diff {
namespace {

constexpr const char* kRegisterNames[9][8] = {
    {"al", "cl", "dl", "bl", "ah", "ch", "dh", "bh"},
    {"ax", "cx", "dx", "bx", "sp", "bp", "si", "di"},
    {"eax", "ecx", "edx", "ebx", "esp", "ebp", "esi", "edi"},
    {"st0", "st1", "st2", "st3", "st4", "st5", "st6", "st7"},
    {"mm0", "mm1", "mm2", "mm3", "mm4", "mm5", "mm6", "mm7"},
    {"cr0", "cr1", "cr2", "cr3", "cr4", "cr5", "cr6", "cr7"},
    {"dr0", "dr1", "dr2", "dr3", "dr4", "dr5", "dr6", "dr7"},
    {"es", "cs", "ss", "ds", "fs", "gs", "seg6", "seg7"},
    {"xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7"},
};

// Bytes accessed for each memory size code; 0 where the code states no size.
constexpr unsigned kMemorySizeBytes[13] = {0, 0, 0, 6, 1, 14, 2, 28, 4, 6, 8, 10, 108};

constexpr const char* kSegmentNames[7] = {"", "es", "cs", "ss", "ds", "fs", "gs"};

uint64_t LowBytes(uint64_t value, unsigned bytes) {
    return bytes >= 8 ? value : value & ((uint64_t{1} << (8 * bytes)) - 1);
}

NormalizedOperand NormalizeOperand(const OperandDescriptor& operand, const DecodedInstruction& record) {
    NormalizedOperand out;
    switch (operand.kind) {
        case OperandKind::Register:
            out.type = OperandType::Register;
            out.reg = VexaRegisterName(operand.reg);
            break;
        case OperandKind::Memory:
            out.type = OperandType::Memory;
            out.sizeBytes = operand.memorySize < 13 ? kMemorySizeBytes[operand.memorySize] : 0;
            out.segment = kSegmentNames[SegmentOverrideOf(record) % 7];
            if (operand.base & kRegisterPresent) out.base = VexaRegisterName(operand.base & 0x7F);
            if (operand.index & kRegisterPresent) {
                out.index = VexaRegisterName(operand.index & 0x7F);
                // A factor of 1 is stored as no scale.
                out.scale = (operand.scale & kScalePresent) ? (operand.scale & 0x0F) : 1;
            }
            out.dispBytes = operand.dispSize;
            out.disp = static_cast<uint32_t>(LowBytes(operand.disp, operand.dispSize));
            break;
        case OperandKind::Immediate:
            out.type = OperandType::Immediate;
            out.valueBytes = operand.immSize;
            out.extendedBytes = operand.immSize;
            out.value = LowBytes(operand.imm, operand.immSize);
            break;
        case OperandKind::Constant:  // retn/retf imm16: an immediate to every peer
            out.type = OperandType::Immediate;
            out.valueBytes = operand.dispSize;
            out.extendedBytes = operand.dispSize;
            out.value = LowBytes(operand.disp, operand.dispSize);
            break;
        case OperandKind::Relative:
            out.type = OperandType::Relative;
            out.valueBytes = operand.dispSize;
            out.value = LowBytes(operand.disp, operand.dispSize);
            break;
        case OperandKind::FarPointer:
            out.type = OperandType::FarPointer;
            if (operand.dispSize == 6) {
                out.offset = operand.disp;
                out.offsetBytes = 4;
                out.selector = operand.dispHigh;
            } else {
                out.offset = operand.disp & 0xFFFF;
                out.offsetBytes = 2;
                out.selector = static_cast<uint16_t>(operand.disp >> 16);
            }
            break;
        default:
            out.reg = "?kind";
            break;
    }
    return out;
}

}  // namespace

const char* VexaRegisterName(uint8_t code) {
    const uint8_t registerClass = RegisterClassOf(code);
    if (registerClass > RegisterClass::Xmm) return "?reg";
    return kRegisterNames[registerClass][RegisterNumber(code)];
}

NormalizedInstruction NormalizeVexa(const DecodedInstruction& record) {
    NormalizedInstruction out;
    if (IsInvalid(record)) return out;
    out.valid = true;
    out.length = InstructionLength(record);
    out.mnemonic = MnemonicText(record.mnemonic);
    out.operandCount = record.operandCount <= 3 ? record.operandCount : 3;
    for (unsigned i = 0; i < out.operandCount; ++i) out.operands[i] = NormalizeOperand(record.operands[i], record);
    return out;
}

}  // namespace vexa::diff
