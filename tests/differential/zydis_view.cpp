#include "tests/differential/zydis_view.h"

#include "tests/differential/mnemonic_aliases.h"

namespace vexa::diff {
namespace {

uint64_t LowBytes(uint64_t value, unsigned bytes) {
    return bytes >= 8 ? value : value & ((uint64_t{1} << (8 * bytes)) - 1);
}

const char* RegisterName(ZydisRegister reg) {
    if (reg == ZYDIS_REGISTER_NONE) return "";
    const char* name = ZydisRegisterGetString(reg);
    return name != nullptr ? name : "?reg";
}

NormalizedOperand NormalizeOperand(const ZydisDecodedInstruction& instruction, const ZydisDecodedOperand& operand) {
    NormalizedOperand out;
    switch (operand.type) {
        case ZYDIS_OPERAND_TYPE_REGISTER:
            out.type = OperandType::Register;
            out.reg = RegisterName(operand.reg.value);
            break;
        case ZYDIS_OPERAND_TYPE_MEMORY:
            out.type = OperandType::Memory;
            out.sizeBytes = operand.size / 8;
            // Zydis always names the segment used; only an explicit override is compared.
            if (instruction.attributes & ZYDIS_ATTRIB_HAS_SEGMENT) out.segment = RegisterName(operand.mem.segment);
            out.base = RegisterName(operand.mem.base);
            out.index = RegisterName(operand.mem.index);
            out.scale = operand.mem.index != ZYDIS_REGISTER_NONE ? operand.mem.scale : 0;
            if (operand.mem.disp.has_displacement) {
                out.dispBytes = instruction.raw.disp.size / 8;
                out.disp = static_cast<uint32_t>(LowBytes(static_cast<uint64_t>(operand.mem.disp.value), out.dispBytes));
            }
            break;
        case ZYDIS_OPERAND_TYPE_POINTER:
            out.type = OperandType::FarPointer;
            out.selector = operand.ptr.segment;
            out.offset = operand.ptr.offset;
            out.offsetBytes = operand.size > 16 ? (operand.size - 16) / 8 : 0;
            break;
        case ZYDIS_OPERAND_TYPE_IMMEDIATE:
            if (operand.imm.is_relative) {
                out.type = OperandType::Relative;
                out.valueBytes = instruction.raw.imm[0].size / 8;
                out.value = LowBytes(operand.imm.value.u, out.valueBytes);
            } else {
                out.type = OperandType::Immediate;
                out.valueBytes = operand.size / 8;
                out.extendedBytes = out.valueBytes;
                // A signed imm8 stands for its sign-extension to the operand size.
                if (operand.imm.is_signed && operand.size == 8 && instruction.operand_width > 8) {
                    out.extendedBytes = instruction.operand_width / 8;
                }
                out.value = operand.imm.value.u;  // sign-extended when signed
            }
            break;
        default:
            out.reg = "?operand";
            break;
    }
    return out;
}

const char* Mnemonic(const ZydisDecodedInstruction& instruction) {
    // Zydis names both returns "ret" and tells them apart by the branch type.
    if (instruction.mnemonic == ZYDIS_MNEMONIC_RET && instruction.meta.branch_type == ZYDIS_BRANCH_TYPE_FAR) {
        return "retf";
    }
    const char* name = ZydisMnemonicGetString(instruction.mnemonic);
    return CommonMnemonic(name != nullptr ? name : "?");
}

}  // namespace

ZydisPeer::ZydisPeer() {
    ZydisDecoderInit(&decoder16_, ZYDIS_MACHINE_MODE_LEGACY_16, ZYDIS_STACK_WIDTH_16);
    ZydisDecoderInit(&decoder32_, ZYDIS_MACHINE_MODE_LEGACY_32, ZYDIS_STACK_WIDTH_32);
}

void ZydisPeer::Decode(const uint8_t* bytes, size_t size, bool is32BitMode, ZydisDecode& out) const {
    out.normalized = NormalizedInstruction{};
    out.status = ZydisDecoderDecodeFull(is32BitMode ? &decoder32_ : &decoder16_, bytes, size, &out.instruction,
                                        out.operands);
    if (!ZYAN_SUCCESS(out.status)) return;
    NormalizedInstruction& n = out.normalized;
    n.valid = true;
    n.length = out.instruction.length;
    n.mnemonic = Mnemonic(out.instruction);
    for (unsigned i = 0; i < out.instruction.operand_count && n.operandCount < kMaxOperands; ++i) {
        const ZydisDecodedOperand& operand = out.operands[i];
        if (operand.visibility == ZYDIS_OPERAND_VISIBILITY_HIDDEN) continue;
        n.operands[n.operandCount++] = NormalizeOperand(out.instruction, operand);
    }
}

}  // namespace vexa::diff
