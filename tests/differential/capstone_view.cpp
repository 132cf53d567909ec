#include "tests/differential/capstone_view.h"

#include <cstdio>
#include <cstring>

#include "tests/differential/mnemonic_aliases.h"

namespace vexa::diff {
namespace {

uint64_t LowBytes(uint64_t value, unsigned bytes) {
    return bytes >= 8 ? value : value & ((uint64_t{1} << (8 * bytes)) - 1);
}

// Capstone spells the stack registers "st(i)"; the common form is "sti".
const char* RegisterName(csh handle, unsigned reg) {
    static const char* const kStack[8] = {"st0", "st1", "st2", "st3", "st4", "st5", "st6", "st7"};
    if (reg == X86_REG_INVALID) return "";
    const char* name = cs_reg_name(handle, reg);
    if (name == nullptr) return "?reg";
    if (std::strncmp(name, "st(", 3) == 0 && name[3] >= '0' && name[3] <= '7') return kStack[name[3] - '0'];
    return name;
}

bool IsBranch(const char* mnemonic) {
    return mnemonic[0] == 'j' || std::strncmp(mnemonic, "loop", 4) == 0 || std::strcmp(mnemonic, "call") == 0;
}

}  // namespace

CapstonePeer::CapstonePeer() {
    cs_open(CS_ARCH_X86, CS_MODE_16, &handle16_);
    cs_open(CS_ARCH_X86, CS_MODE_32, &handle32_);
    cs_option(handle16_, CS_OPT_DETAIL, CS_OPT_ON);
    cs_option(handle32_, CS_OPT_DETAIL, CS_OPT_ON);
    insn16_ = cs_malloc(handle16_);
    insn32_ = cs_malloc(handle32_);
}

CapstonePeer::~CapstonePeer() {
    if (insn16_ != nullptr) cs_free(insn16_, 1);
    if (insn32_ != nullptr) cs_free(insn32_, 1);
    if (handle16_ != 0) cs_close(&handle16_);
    if (handle32_ != 0) cs_close(&handle32_);
}

NormalizedInstruction CapstonePeer::Decode(const uint8_t* bytes, size_t size, bool is32BitMode) {
    NormalizedInstruction out;
    csh handle = is32BitMode ? handle32_ : handle16_;
    cs_insn* insn = is32BitMode ? insn32_ : insn16_;
    if (handle == 0 || insn == nullptr) return out;
    const uint8_t* code = bytes;
    size_t codeSize = size;
    uint64_t address = 0;
    if (!cs_disasm_iter(handle, &code, &codeSize, &address, insn)) return out;
    out.valid = true;
    out.length = insn->size;
    // Prefix words ("rep movsb", "lock add") are not part of the mnemonic here.
    const char* name = std::strrchr(insn->mnemonic, ' ');
    name = name != nullptr ? name + 1 : insn->mnemonic;
    std::snprintf(mnemonic_, sizeof mnemonic_, "%s", name);
    if (std::strcmp(mnemonic_, "ljmp") == 0) std::strcpy(mnemonic_, "jmp");
    if (std::strcmp(mnemonic_, "lcall") == 0) std::strcpy(mnemonic_, "call");
    out.mnemonic = CommonMnemonic(mnemonic_);
    if (insn->detail == nullptr) return out;

    const cs_x86& x86 = insn->detail->x86;
    // A far pointer comes as two immediates, selector first.
    if (x86.op_count == 2 && x86.operands[0].type == X86_OP_IMM && x86.operands[1].type == X86_OP_IMM &&
        (std::strcmp(mnemonic_, "jmp") == 0 || std::strcmp(mnemonic_, "call") == 0)) {
        NormalizedOperand& far = out.operands[out.operandCount++];
        far.type = OperandType::FarPointer;
        far.selector = static_cast<uint16_t>(x86.operands[0].imm);
        far.offset = static_cast<uint32_t>(x86.operands[1].imm);
        // The offset has the effective operand size (prefix[2] holds a 66h).
        far.offsetBytes = is32BitMode != (x86.prefix[2] == 0x66) ? 4 : 2;
        return out;
    }
    for (unsigned i = 0; i < x86.op_count && out.operandCount < kMaxOperands; ++i) {
        const cs_x86_op& op = x86.operands[i];
        NormalizedOperand& n = out.operands[out.operandCount++];
        switch (op.type) {
            case X86_OP_REG:
                n.type = OperandType::Register;
                n.reg = RegisterName(handle, op.reg);
                break;
            case X86_OP_MEM:
                n.type = OperandType::Memory;
                n.sizeBytes = op.size;
                n.segment = RegisterName(handle, op.mem.segment);
                n.base = RegisterName(handle, op.mem.base);
                n.index = RegisterName(handle, op.mem.index);
                n.scale = op.mem.index != X86_REG_INVALID ? static_cast<unsigned>(op.mem.scale) : 0;
                n.dispBytes = x86.encoding.disp_size;
                n.disp = static_cast<uint32_t>(LowBytes(static_cast<uint64_t>(op.mem.disp), n.dispBytes));
                break;
            case X86_OP_IMM:
                if (IsBranch(mnemonic_) && x86.encoding.imm_size != 0) {
                    // Capstone gives the target; the displacement is target - length.
                    n.type = OperandType::Relative;
                    n.valueBytes = x86.encoding.imm_size;
                    n.value = LowBytes(static_cast<uint64_t>(op.imm) - insn->size, n.valueBytes);
                } else {
                    n.type = OperandType::Immediate;
                    n.valueBytes = op.size;
                    n.extendedBytes = op.size;
                    n.value = static_cast<uint64_t>(op.imm);
                }
                break;
            default:
                n.reg = "?operand";
                break;
        }
    }
    return out;
}

}  // namespace vexa::diff
