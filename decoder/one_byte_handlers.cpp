// Handlers of the one-byte opcode classes. On entry the record's length counts
// the prefixes, the opcode byte and, for the classes with a ModR/M byte, the
// ModR/M, SIB and displacement bytes, so the cursor stands on the first
// immediate or offset byte.
#include "decoder/decode_context.h"
#include "decoder/fpu_decoder.h"
#include "decoder/mnemonic_list.h"
#include "decoder/mnemonic_tables.h"

namespace vexa {
namespace {

constexpr uint8_t kAccumulator = 0;
constexpr uint8_t kCl = 1;
constexpr uint8_t kDx = 2;

Outcome Invalid(DecodeContext&) { return Outcome::Invalid; }

// CD, D4, D5: int, aam, aad imm8.
Outcome Imm8(DecodeContext& ctx) {
    PutImmediate(ctx, 0, 1);
    SetOperandCount(ctx, 1);
    return Outcome::Decoded;
}

// r/m and reg; d set: the register is the destination.
Outcome RegRm(DecodeContext& ctx) {
    OperandDescriptor& reg = ctx.Slot(ctx.direction ? 0 : 1);
    OperandDescriptor& rm = ctx.Slot(ctx.direction ? 1 : 0);
    if (!ctx.DecodeModRMInto(&reg, &rm)) return Outcome::Failed;
    SetRegisterSize(&reg.reg, ctx.sizes.operand32, ctx.wide);
    SetOperandSize(&rm, ctx.sizes.operand32, ctx.wide);
    SetOperandCount(ctx, 2);
    return Outcome::Decoded;
}

// 62 bound, 63 arpl, 8D lea, C4 les, C5 lds.
Outcome RegMemFixed(DecodeContext& ctx) {
    const bool operand32 = ctx.sizes.operand32;
    if (ctx.opcode == 0x63) {  // arpl r/m16, r16
        SetRegisterClass(ctx.a, RegisterClass::Gpr16);
        if (IsMemory(ctx.b)) {
            ctx.b.memorySize = MemorySize::Word;
        } else {
            SetRegisterClass(ctx.b, RegisterClass::Gpr16);
        }
        ctx.Store(&ctx.b, &ctx.a);
        return Outcome::Decoded;
    }
    if (!IsMemory(ctx.b)) return Outcome::Invalid;
    SetRegisterSize(&ctx.a.reg, operand32, true);
    switch (ctx.opcode) {
        case 0x62: ctx.b.memorySize = operand32 ? MemorySize::Qword : MemorySize::Dword; break;
        case 0x8D: ctx.b.memorySize = operand32 ? MemorySize::Dword : MemorySize::Word; break;
        default: ctx.b.memorySize = operand32 ? MemorySize::Pointer48 : MemorySize::Dword; break;
    }
    ctx.Store(&ctx.a, &ctx.b);
    return Outcome::Decoded;
}

// C6, C7: mov r/m, imm (reg field 0 only).
Outcome MovRmImm(DecodeContext& ctx) {
    if (ctx.regField != 0) return Outcome::Invalid;
    ctx.Name(Mnemonic::Mov);
    ctx.a = TakeImmediate(ctx, ImmediateSize(ctx.sizes.operand32, ctx.wide));
    SetOperandSize(&ctx.b, ctx.sizes.operand32, ctx.wide);
    ctx.Store(&ctx.b, &ctx.a);
    return Outcome::Decoded;
}

// E4-E7: in accumulator, imm8 / out imm8, accumulator.
Outcome PortImm8(DecodeContext& ctx) {
    const unsigned portSlot = (ctx.opcode & 0x02) != 0 ? 0 : 1;
    PutRegister(ctx, 1 - portSlot, SizedRegisterCode(kAccumulator, ctx.sizes.operand32, ctx.wide));
    PutImmediate(ctx, portSlot, 1);
    SetOperandCount(ctx, 2);
    return Outcome::Decoded;
}

// push/pop es, cs, ss, ds: the segment register is in opcode bits 3-4.
Outcome SegmentPushPop(DecodeContext& ctx) {
    PutRegister(ctx, 0, MakeRegisterCode(RegisterClass::Segment, (ctx.opcode >> 3) & 3));
    SetOperandCount(ctx, 1);
    return Outcome::Decoded;
}

// C2, CA: retn/retf imm16.
Outcome ReturnImm16(DecodeContext& ctx) {
    PutDisplacement(ctx, 0, OperandKind::Constant, 2);
    SetOperandCount(ctx, 1);
    return Outcome::Decoded;
}

// 80-83: group 1 r/m, imm. 83 sign-extends an imm8 to the operand size.
Outcome Group1(DecodeContext& ctx) {
    if (!ctx.DecodeModRMInto(nullptr, &ctx.Slot(0))) return Outcome::Failed;
    ctx.Name(MnemonicIndexOf(kGroup1MnemonicTable[ctx.regField]));
    if (!ctx.wide) {
        PutImmediate(ctx, 1, 1);
    } else if (ctx.opcode & 0x02) {
        ctx.Slot(1) = TakeSignExtendedImm8(ctx);
    } else {
        PutImmediate(ctx, 1, ctx.sizes.operand32 ? 4 : 2);
    }
    SetOperandSize(&ctx.Slot(0), ctx.sizes.operand32, ctx.wide);
    SetOperandCount(ctx, 2);
    return Outcome::Decoded;
}

// D0-D3: shift by 1 or cl. F6, F7: group 3.
Outcome ShiftOrGroup3(DecodeContext& ctx) {
    SetOperandSize(&ctx.b, ctx.sizes.operand32, ctx.wide);
    if (ctx.opcode <= 0xD1) {
        // The count 1 is implied by the opcode: shown, but not encoded.
        ctx.Name(MnemonicIndexOf(kShiftGroupMnemonicTable[ctx.regField]));
        ctx.a = OperandDescriptor{};
        ctx.a.kind = OperandKind::Immediate;
        ctx.a.immSize = 1;
        ctx.a.imm = 1;
        ctx.Store(&ctx.b, &ctx.a);
        return Outcome::Decoded;
    }
    if (ctx.opcode <= 0xD3) {
        ctx.Name(MnemonicIndexOf(kShiftGroupMnemonicTable[ctx.regField]));
        ctx.a = RegisterOperand(RegisterClass::Gpr8, kCl);
        ctx.Store(&ctx.b, &ctx.a);
        return Outcome::Decoded;
    }
    const uint16_t mnemonic = MnemonicIndexOf(kGroup3MnemonicTable[ctx.regField]);
    ctx.Name(mnemonic);
    if (mnemonic == Mnemonic::Invalid) return Outcome::Invalid;
    if (mnemonic == Mnemonic::Test) {
        ctx.a = TakeImmediate(ctx, ImmediateSize(ctx.sizes.operand32, ctx.wide));
        ctx.Store(&ctx.b, &ctx.a);
    } else {
        ctx.Store(&ctx.b);
    }
    return Outcome::Decoded;
}

// String instructions, and in/out with the port in dx.
Outcome StringOrPortDx(DecodeContext& ctx) {
    if (ctx.opcode >= 0xEC) {
        const unsigned portSlot = (ctx.opcode & 0x02) != 0 ? 0 : 1;
        PutRegister(ctx, 1 - portSlot, SizedRegisterCode(kAccumulator, ctx.sizes.operand32, ctx.wide));
        PutRegister(ctx, portSlot, MakeRegisterCode(RegisterClass::Gpr16, kDx));
        SetOperandCount(ctx, 2);
        return Outcome::Decoded;
    }
    // The table names the dword form; the word form is the entry before it.
    if (ctx.wide && !ctx.sizes.operand32) --ctx.record->mnemonic;
    ctx.record->operandCount = 0;
    return Outcome::Decoded;
}

// Accumulator, full-size immediate.
Outcome AccumulatorImm(DecodeContext& ctx) {
    PutRegister(ctx, 0, SizedRegisterCode(kAccumulator, ctx.sizes.operand32, ctx.wide));
    PutImmediate(ctx, 1, ImmediateSize(ctx.sizes.operand32, ctx.wide));
    SetOperandCount(ctx, 2);
    return Outcome::Decoded;
}

// 8F: pop r/m. FE, FF: groups 4 and 5.
Outcome PopOrGroup45(DecodeContext& ctx) {
    const bool operand32 = ctx.sizes.operand32;
    bool wide = true;
    if (ctx.opcode == 0x8F) {
        if (ctx.regField != 0) return Outcome::Invalid;
        ctx.Name(Mnemonic::Pop);
    } else {
        const uint16_t mnemonic = MnemonicIndexOf(kGroup45MnemonicTable[ctx.regField]);
        ctx.Name(mnemonic);
        if (mnemonic == Mnemonic::Invalid) return Outcome::Invalid;
        if (mnemonic == Mnemonic::Inc || mnemonic == Mnemonic::Dec) {
            wide = ctx.wide;
        } else if (ctx.opcode != 0xFF) {
            return Outcome::Invalid;  // FE has only inc and dec
        }
    }
    const bool farIndirect = ctx.opcode == 0xFF && (ctx.regField == 3 || ctx.regField == 5);
    if (farIndirect) {
        // call/jmp far through a memory pointer: offset plus selector.
        if (!IsMemory(ctx.b)) return Outcome::Invalid;
        ctx.b.memorySize = operand32 ? MemorySize::Pointer48 : MemorySize::Dword;
    } else if (IsMemory(ctx.b)) {
        SetMemorySize(&ctx.b.memorySize, operand32, wide);
    } else {
        SetRegisterSize(&ctx.b.reg, operand32, wide);
    }
    ctx.Store(&ctx.b);
    return Outcome::Decoded;
}

// 70-7F, E0-E3, EB: short branches with an 8-bit displacement.
Outcome ShortBranch(DecodeContext& ctx) {
    PutDisplacement(ctx, 0, OperandKind::Relative, 1);
    SetOperandCount(ctx, 1);
    // The table names E3 jecxz; the address size decides.
    if (ctx.opcode == 0xE3) ctx.Name(ctx.sizes.address32 ? Mnemonic::Jecxz : Mnemonic::Jcxz);
    return Outcome::Decoded;
}

// E8, E9: near call/jmp; the displacement has the effective operand size.
Outcome NearCallJmp(DecodeContext& ctx) {
    PutDisplacement(ctx, 0, OperandKind::Relative, ctx.sizes.operand32 ? 4 : 2);
    SetOperandCount(ctx, 1);
    return Outcome::Decoded;
}

// 9A, EA: far call/jmp with an immediate pointer; the offset has the effective operand size.
Outcome FarCallJmp(DecodeContext& ctx) {
    ctx.a = TakeDisplacement(ctx, OperandKind::FarPointer, ctx.sizes.operand32 ? 6 : 4);
    ctx.Store(&ctx.a);
    return Outcome::Decoded;
}

// C0, C1: shift r/m by imm8.
Outcome ShiftImm8(DecodeContext& ctx) {
    if (!ctx.DecodeModRMInto(nullptr, &ctx.Slot(0))) return Outcome::Failed;
    ctx.Name(MnemonicIndexOf(kShiftGroupMnemonicTable[ctx.regField]));
    PutImmediate(ctx, 1, 1);
    SetOperandSize(&ctx.Slot(0), ctx.sizes.operand32, ctx.wide);
    SetOperandCount(ctx, 2);
    return Outcome::Decoded;
}

// C8: enter imm16, imm8.
Outcome Enter(DecodeContext& ctx) {
    PutImmediate(ctx, 0, 2);
    PutImmediate(ctx, 1, 1);
    SetOperandCount(ctx, 2);
    return Outcome::Decoded;
}

// B0-BF: mov register, imm; register in bits 0-2, w in bit 3.
Outcome MovRegImm(DecodeContext& ctx) {
    const bool wide = (ctx.opcode & 0x08) != 0;
    PutRegister(ctx, 0, SizedRegisterCode(ctx.opcode & 7, ctx.sizes.operand32, wide));
    PutImmediate(ctx, 1, ImmediateSize(ctx.sizes.operand32, wide));
    SetOperandCount(ctx, 2);
    return Outcome::Decoded;
}

// A0-A3: mov between the accumulator and a memory offset of the address size.
Outcome MovAccumulatorOffset(DecodeContext& ctx) {
    const unsigned memorySlot = ctx.direction ? 0 : 1;
    PutDisplacement(ctx, memorySlot, OperandKind::Memory, ctx.sizes.address32 ? 4 : 2);
    SetMemorySize(&ctx.record->operands[memorySlot].memorySize, ctx.sizes.operand32, ctx.wide);
    PutRegister(ctx, 1 - memorySlot, SizedRegisterCode(kAccumulator, ctx.sizes.operand32, ctx.wide));
    SetOperandCount(ctx, 2);
    return Outcome::Decoded;
}

// 8C, 8E: mov with a segment register (reg field); the other operand is 16-bit.
Outcome MovSegment(DecodeContext& ctx) {
    OperandDescriptor& segment = ctx.Slot(ctx.direction ? 0 : 1);
    OperandDescriptor& rm = ctx.Slot(ctx.direction ? 1 : 0);
    if (!ctx.DecodeModRMInto(&segment, &rm)) return Outcome::Failed;
    SetRegisterClass(segment, RegisterClass::Segment);
    if (IsMemory(rm)) {
        rm.memorySize = MemorySize::Word;
    } else {
        SetRegisterClass(rm, RegisterClass::Gpr16);
    }
    SetOperandCount(ctx, 2);
    return Outcome::Decoded;
}

// 68, 6A: push imm.
Outcome PushImm(DecodeContext& ctx) {
    ctx.a = TakeWordOrSignExtendedImmediate(ctx);
    ctx.Store(&ctx.a);
    return Outcome::Decoded;
}

// 69, 6B: imul reg, r/m, imm.
Outcome ImulImm(DecodeContext& ctx) {
    if (!ctx.DecodeModRMInto(&ctx.Slot(0), &ctx.Slot(1))) return Outcome::Failed;
    ctx.Slot(2) = TakeWordOrSignExtendedImmediate(ctx);
    SetRegisterSize(&ctx.Slot(0).reg, ctx.sizes.operand32, true);
    SetOperandSize(&ctx.Slot(1), ctx.sizes.operand32, true);
    SetOperandCount(ctx, 3);
    return Outcome::Decoded;
}

// D8-DF: the x87 decoder names the instruction and builds its operands.
Outcome FpuEscape(DecodeContext& ctx) {
    return DecodeFpuEscape(ctx.Opcode(), ctx.record, ctx.sizes) ? Outcome::Decoded : Outcome::Invalid;
}

// 40-5F: inc, dec, push, pop register. 91-97: xchg accumulator, register.
Outcome RegisterInOpcode(DecodeContext& ctx) {
    const uint8_t inOpcode = SizedRegisterCode(ctx.opcode & 7, ctx.sizes.operand32, true);
    const bool exchange = ctx.opcode >= 0x91;  // xchg accumulator, register
    // Without a branch on the opcode: the second slot stays zero for one operand.
    PutRegister(ctx, 0, exchange ? SizedRegisterCode(kAccumulator, ctx.sizes.operand32, true) : inOpcode);
    PutRegister(ctx, 1, exchange ? inOpcode : 0);
    SetOperandCount(ctx, exchange ? 2 : 1);
    return Outcome::Decoded;
}

Outcome NoOperands(DecodeContext& ctx) {
    ctx.record->operandCount = 0;
    return Outcome::Decoded;
}

// 84-87: test/xchg; the register operand is shown first.
Outcome TestXchg(DecodeContext& ctx) {
    if (!ctx.DecodeModRMInto(&ctx.Slot(0), &ctx.Slot(1))) return Outcome::Failed;
    SetOperandSize(&ctx.Slot(1), ctx.sizes.operand32, ctx.wide);
    SetRegisterSize(&ctx.Slot(0).reg, ctx.sizes.operand32, ctx.wide);
    SetOperandCount(ctx, 2);
    return Outcome::Decoded;
}

}  // namespace

//                                       handler                           w      d
constexpr OpcodeHandler kOneByteHandlers[kOneByteHandlerCount] = {
    /*  0 prefix (never run) */         {Invalid,                          false, false},
    /*  1 Imm8 */                       {Imm8,                             false, false},
    /*  2 RegRm */                      {RegRm,                            true,  true},
    /*  3 RegMemFixed */                {WithModRMInTemps<RegMemFixed>,    false, false},
    /*  4 MovRmImm */                   {WithModRMInTemps<MovRmImm>,       true,  false},
    /*  5 PortImm8 */                   {PortImm8,                         true,  false},
    /*  6 SegmentPushPop */             {SegmentPushPop,                   false, false},
    /*  7 ReturnImm16 */                {ReturnImm16,                      false, false},
    /*  8 Group1 */                     {Group1,                           true,  false},
    /*  9 ShiftOrGroup3 */              {WithModRMInTemps<ShiftOrGroup3>,  true,  false},
    /* 10 StringOrPortDx */             {StringOrPortDx,                   true,  false},
    /* 11 AccumulatorImm */             {AccumulatorImm,                   true,  false},
    /* 12 PopOrGroup45 */               {WithModRMInTemps<PopOrGroup45>,   true,  false},
    /* 13 ShortConditionalJump */       {ShortBranch,                      false, false},
    /* 14 LoopOrShortJump */            {ShortBranch,                      false, false},
    /* 15 NearCallJmp */                {NearCallJmp,                      false, false},
    /* 16 FarCallJmp */                 {FarCallJmp,                       false, false},
    /* 17 ShiftImm8 */                  {ShiftImm8,                        true,  false},
    /* 18 Enter */                      {Enter,                            false, false},
    /* 19 MovRegImm */                  {MovRegImm,                        false, false},
    /* 20 MovAccumulatorOffset */       {MovAccumulatorOffset,             true,  true},
    /* 21 MovSegment */                 {MovSegment,                       false, true},
    /* 22 PushImm */                    {PushImm,                          false, false},
    /* 23 ImulImm */                    {ImulImm,                          false, false},
    /* 24 0Fh (not run) */              {Invalid,                          false, false},
    /* 25 FpuEscape */                  {FpuEscape,                        false, false},
    /* 26 RegisterInOpcode */           {RegisterInOpcode,                 false, false},
    /* 27 NoOperands */                 {NoOperands,                       false, false},
    /* 28 TestXchg */                   {TestXchg,                         true,  false},
};

}  // namespace vexa
