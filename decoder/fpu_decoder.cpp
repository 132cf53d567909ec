#include "decoder/internal/fpu_decoder.h"

#include "decoder/internal/fpu_tables.h"

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

}  // namespace

bool DecodeFpuRegisterForm(const uint8_t* bytes, DecodedInstruction* record) {
    if (bytes == nullptr || record == nullptr) return false;
    // Every escape carries a ModR/M byte, named or not, so the workbench keeps
    // offering it for editing.
    record->prefixFlags |= PrefixFlag::HasModRM;
    const uint8_t modrm = bytes[1];
    if ((modrm >> 6) != 3) return false;
    const fpu::RegisterForm form = fpu::FindRegisterForm(bytes[0], modrm);
    if (form.mnemonic == Mnemonic::None) return false;
    record->mnemonic = form.mnemonic;
    AddInstructionLength(*record, 1);
    return StoreStackOperands(record, form.operands, modrm & 7);
}

bool MakeFpuRegister(OperandDescriptor* operand, uint8_t i) {
    if (operand == nullptr) return false;
    operand->kind = OperandKind::Register;
    operand->reg = MakeRegisterCode(RegisterClass::Fpu, i);
    return true;
}

}  // namespace vexa
