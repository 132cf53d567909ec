#include "decoder/fpu_decoder.h"

#include "decoder/fpu_tables.h"
#include "decoder/modrm.h"

namespace vexa {
namespace {

constexpr uint8_t kAx = MakeRegisterCode(RegisterClass::Gpr16, 0);

bool StoreStackOperands(DecodedInstruction* record, fpu::StackOperands pattern, uint8_t i) {
    OperandDescriptor st{}, stI{};
    MakeFpuRegister(&st, 0);
    MakeFpuRegister(&stI, i);
    switch (pattern) {
        case fpu::StackOperands::None:
            record->operandCount = 0;
            return true;
        case fpu::StackOperands::StI:
            return StoreOperands(record, &stI, nullptr, nullptr);
        case fpu::StackOperands::StStI:
            return StoreOperands(record, &st, &stI, nullptr);
        case fpu::StackOperands::StISt:
            return StoreOperands(record, &stI, &st, nullptr);
        case fpu::StackOperands::Ax: {
            OperandDescriptor ax{};
            ax.kind = OperandKind::Register;
            ax.reg = kAx;
            return StoreOperands(record, &ax, nullptr, nullptr);
        }
    }
    return false;
}

// A mod-11 second byte: one byte beyond the escape, operands on the stack.
bool DecodeRegisterForm(const uint8_t* bytes, DecodedInstruction* record) {
    const uint8_t modrm = bytes[1];
    const fpu::RegisterForm form = fpu::FindRegisterForm(bytes[0], modrm);
    // A register byte with no name would reach the memory forms only to be
    // rejected there for not addressing memory; refuse it here instead.
    if (form.mnemonic == Mnemonic::None) return false;
    record->mnemonic = form.mnemonic;
    AddInstructionLength(*record, 1);
    return StoreStackOperands(record, form.operands, modrm & 7);
}

bool DecodeMemoryForm(const uint8_t* bytes, DecodedInstruction* record, EffectiveSizes sizes) {
    OperandDescriptor reg{}, memory{};
    if (!DecodeModRM(bytes + 1, record, &reg, &memory, sizes.address32)) return false;
    if (memory.kind != OperandKind::Memory) return false;
    const fpu::MemoryForm form = fpu::FindMemoryForm(bytes[0], reg.reg, sizes.operand32);
    if (!form.valid) return false;
    record->mnemonic = form.mnemonic;
    memory.memorySize = form.memorySize;
    return StoreOperands(record, &memory, nullptr, nullptr);
}

}  // namespace

bool DecodeFpuEscape(const uint8_t* bytes, DecodedInstruction* record, EffectiveSizes sizes) {
    if (bytes == nullptr || record == nullptr) return false;
    // Every escape carries a ModR/M byte, decoded or not, so the workbench keeps
    // offering it for editing.
    record->prefixFlags |= PrefixFlag::HasModRM;
    const bool registerForm = (bytes[1] >> 6) == 3;
    return registerForm ? DecodeRegisterForm(bytes, record) : DecodeMemoryForm(bytes, record, sizes);
}

bool MakeFpuRegister(OperandDescriptor* operand, uint8_t i) {
    if (operand == nullptr) return false;
    operand->kind = OperandKind::Register;
    operand->reg = MakeRegisterCode(RegisterClass::Fpu, i);
    return true;
}

}  // namespace vexa
