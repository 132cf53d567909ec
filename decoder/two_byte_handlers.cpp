// The handlers of the two-byte opcode classes. On entry to a handler the
// record's length counts the prefixes, 0Fh, the second opcode byte
// and, for the classes with a ModR/M byte, the ModR/M, SIB and displacement bytes.
#include "decoder/decode_context.h"
#include "decoder/mmx_sse_decoder.h"
#include "decoder/mnemonic_list.h"
#include "decoder/mnemonic_tables.h"
#include "decoder/opcode_classes.h"

namespace vexa {
namespace {

constexpr uint8_t kCl = 1;

// Sizes a full-size reg operand A and r/m operand B by the effective operand size.
void SizeRegAndRm(DecodeContext& ctx) {
    SetRegisterSize(&ctx.a.reg, ctx.sizes.operand32, true);
    SetOperandSize(&ctx.b, ctx.sizes.operand32, true);
}

// A word in both modes: word memory, or a 16-bit register.
void SizeAsWord(OperandDescriptor& operand) { SetOperandSize(&operand, false, true); }

// C8-CF: bswap register.
Outcome Bswap(DecodeContext& ctx) {
    PutRegister(ctx, 0, SizedRegisterCode(ctx.secondByte & 7, ctx.sizes.operand32, true));
    SetOperandCount(ctx, 1);
    return Outcome::Decoded;
}

// BA: bt/bts/btr/btc r/m, imm8.
Outcome BitTestImm(DecodeContext& ctx) {
    const uint16_t mnemonic = MnemonicIndexOf(kBitTestGroupMnemonicTable[ctx.regField]);
    ctx.Name(mnemonic);
    if (mnemonic == Mnemonic::Invalid) return Outcome::Invalid;
    ctx.a = TakeImmediate(ctx, 1);
    SetOperandSize(&ctx.b, ctx.sizes.operand32, true);
    ctx.Store(&ctx.b, &ctx.a);
    return Outcome::Decoded;
}

// 20-23: mov between a 32-bit register and a control (20, 22) or debug (21, 23) register.
Outcome MovControlDebug(DecodeContext& ctx) {
    if (IsMemory(ctx.b)) return Outcome::Invalid;
    const bool debug = (ctx.secondByte & 0x01) != 0;
    if (!debug) {
        // cr0, cr2, cr3 and cr4 exist.
        const uint8_t r = ctx.regField;
        if (r == 1 || r >= 5) return Outcome::Invalid;
    }
    SetRegisterClass(ctx.a, debug ? RegisterClass::Debug : RegisterClass::Control);
    SetRegisterClass(ctx.b, RegisterClass::Gpr32);
    if (ctx.secondByte & 0x02) {
        ctx.Store(&ctx.a, &ctx.b);
    } else {
        ctx.Store(&ctx.b, &ctx.a);
    }
    return Outcome::Decoded;
}

// A0, A1, A8, A9 (and B8, B9): push/pop with the segment register in bits 3-5.
Outcome SegmentPushPop(DecodeContext& ctx) {
    PutRegister(ctx, 0, MakeRegisterCode(RegisterClass::Segment, (ctx.secondByte >> 3) & 7));
    SetOperandCount(ctx, 1);
    return Outcome::Decoded;
}

// A4, AC: shld/shrd r/m, reg, imm8.
Outcome ShiftDoubleImm(DecodeContext& ctx) {
    if (!ctx.DecodeModRMInto(&ctx.Slot(1), &ctx.Slot(0))) return Outcome::Failed;
    PutImmediate(ctx, 2, 1);
    SetRegisterSize(&ctx.Slot(1).reg, ctx.sizes.operand32, true);
    SetOperandSize(&ctx.Slot(0), ctx.sizes.operand32, true);
    SetOperandCount(ctx, 3);
    return Outcome::Decoded;
}

// B0, B1, C0, C1: cmpxchg/xadd r/m, reg. B6, B7, BE, BF: movzx/movsx reg, r/m8 or r/m16.
Outcome WidthInBit0(DecodeContext& ctx) {
    const bool wide = (ctx.secondByte & 0x01) != 0;
    const bool extend = (ctx.secondByte & 0x06) == 0x06;
    OperandDescriptor& reg = ctx.Slot(extend ? 0 : 1);
    OperandDescriptor& rm = ctx.Slot(extend ? 1 : 0);
    if (!ctx.DecodeModRMInto(&reg, &rm)) return Outcome::Failed;
    SetOperandCount(ctx, 2);
    if (!extend) {
        SetRegisterSize(&reg.reg, ctx.sizes.operand32, wide);
        SetOperandSize(&rm, ctx.sizes.operand32, wide);
        return Outcome::Decoded;
    }
    // The source is a byte or a word whatever the operand size.
    SetRegisterSize(&reg.reg, ctx.sizes.operand32, true);
    SetOperandSize(&rm, false, wide);
    return Outcome::Decoded;
}

Outcome NoOperands(DecodeContext& ctx) {
    ctx.record->operandCount = 0;
    return Outcome::Decoded;
}

// 40-4F: cmovcc reg, r/m.
Outcome Cmov(DecodeContext& ctx) {
    if (!ctx.DecodeModRMInto(&ctx.Slot(0), &ctx.Slot(1))) return Outcome::Failed;
    SetRegisterSize(&ctx.Slot(0).reg, ctx.sizes.operand32, true);
    SetOperandSize(&ctx.Slot(1), ctx.sizes.operand32, true);
    SetOperandCount(ctx, 2);
    return Outcome::Decoded;
}

// 80-8F: jcc with a displacement of the effective operand size.
Outcome NearConditionalJump(DecodeContext& ctx) {
    PutDisplacement(ctx, 0, OperandKind::Relative, ctx.sizes.operand32 ? 4 : 2);
    SetOperandCount(ctx, 1);
    return Outcome::Decoded;
}

// 90-9F: setcc r/m8 (reg field 0 only).
Outcome Setcc(DecodeContext& ctx) {
    if (ctx.regField != 0) return Outcome::Invalid;
    SetOperandSize(&ctx.b, ctx.sizes.operand32, false);
    ctx.Store(&ctx.b);
    return Outcome::Decoded;
}

// 0F 00: sldt, str, lldt, ltr, verr, verw.
Outcome Group6(DecodeContext& ctx) {
    static constexpr uint16_t kNames[8] = {Mnemonic::Sldt, Mnemonic::Str,  Mnemonic::Lldt,    Mnemonic::Ltr,
                                           Mnemonic::Verr, Mnemonic::Verw, Mnemonic::Invalid, Mnemonic::Invalid};
    const uint16_t mnemonic = kNames[ctx.regField];
    ctx.Name(mnemonic);
    if (mnemonic == Mnemonic::Invalid) return Outcome::Invalid;
    if (mnemonic == Mnemonic::Sldt) {
        SetOperandSize(&ctx.b, ctx.sizes.operand32, true);
    } else {
        SizeAsWord(ctx.b);
    }
    ctx.Store(&ctx.b);
    return Outcome::Decoded;
}

// 0F 01: sgdt, sidt, lgdt, lidt, smsw, lmsw, invlpg.
Outcome Group7(DecodeContext& ctx) {
    OperandDescriptor& b = ctx.b;
    const bool memory = IsMemory(b);
    switch (ctx.regField) {
        case 0:  // A register operand leaves the instruction unnamed.
            ctx.Name(memory ? Mnemonic::Sgdt : Mnemonic::None);
            if (memory) b.memorySize = MemorySize::SixBytes;
            break;
        case 1:
        case 2:
        case 3:
            if (!memory) return Outcome::Invalid;
            ctx.Name(ctx.regField == 1 ? Mnemonic::Sidt : (ctx.regField == 2 ? Mnemonic::Lgdt : Mnemonic::Lidt));
            b.memorySize = ctx.regField == 1 ? MemorySize::SixBytes : MemorySize::Pointer48;
            break;
        case 4:
        case 6:
            ctx.Name(ctx.regField == 4 ? Mnemonic::Smsw : Mnemonic::Lmsw);
            if (memory) {
                b.memorySize = MemorySize::Word;
            } else {
                SetOperandSize(&b, ctx.sizes.operand32, true);
            }
            break;
        case 7:
            if (!memory) return Outcome::Invalid;
            ctx.Name(Mnemonic::Invlpg);
            b.memorySize = MemorySize::Byte;
            break;
        default:
            return Outcome::Invalid;
    }
    ctx.Store(&b);
    return Outcome::Decoded;
}

// 0F C7 /1: cmpxchg8b m64.
Outcome Cmpxchg8b(DecodeContext& ctx) {
    if (ctx.regField != 1 || !IsMemory(ctx.b)) return Outcome::Invalid;
    ctx.Name(Mnemonic::Cmpxchg8b);
    ctx.b.memorySize = MemorySize::Qword;
    ctx.Store(&ctx.b);
    return Outcome::Decoded;
}

Outcome SystemGroup(DecodeContext& ctx) {
    switch (ctx.secondByte) {
        case 0x00: return Group6(ctx);
        case 0x01: return Group7(ctx);
        default: return Cmpxchg8b(ctx);
    }
}

// Register and r/m forms told apart by the name the table gives.
Outcome RegRmByMnemonic(DecodeContext& ctx) {
    const uint16_t mnemonic = MnemonicIndexOf(kTwoByteMnemonicTable[ctx.secondByte]);
    ctx.Name(mnemonic);
    switch (mnemonic) {
        case Mnemonic::Bt:
        case Mnemonic::Bts:
        case Mnemonic::Btr:
        case Mnemonic::Btc:
            SizeRegAndRm(ctx);
            ctx.Store(&ctx.b, &ctx.a);
            return Outcome::Decoded;
        case Mnemonic::Shld:
        case Mnemonic::Shrd:
            SizeRegAndRm(ctx);
            ctx.c = RegisterOperand(RegisterClass::Gpr8, kCl);
            ctx.Store(&ctx.b, &ctx.a, &ctx.c);
            return Outcome::Decoded;
        case Mnemonic::Lss:
        case Mnemonic::Lfs:
        case Mnemonic::Lgs:
            // Load a far pointer: offset of the operand size plus a selector.
            SetRegisterSize(&ctx.a.reg, ctx.sizes.operand32, true);
            if (!IsMemory(ctx.b)) return Outcome::Invalid;
            ctx.b.memorySize = ctx.sizes.operand32 ? MemorySize::Pointer48 : MemorySize::Dword;
            ctx.Store(&ctx.a, &ctx.b);
            return Outcome::Decoded;
        default:  // bsf, bsr, imul, lar, lsl
            SizeRegAndRm(ctx);
            ctx.Store(&ctx.a, &ctx.b);
            return Outcome::Decoded;
    }
}

// MMX and scalar SSE decode their own ModR/M byte and name the instruction.
Outcome Mmx(DecodeContext& ctx) {
    return DecodeMmx(ctx.Opcode(), ctx.record, ctx.sizes) ? Outcome::Decoded : Outcome::Invalid;
}

// Without the scalar prefix the instruction stays nameless.
Outcome SseScalar(DecodeContext& ctx) {
    ctx.Name(Mnemonic::None);
    return DecodeSseScalar(ctx.Opcode(), ctx.record, ctx.sizes) ? Outcome::Decoded : Outcome::Invalid;
}

// An unassigned byte still has its ModR/M byte decoded, so the workbench can offer it.
Outcome Unassigned(DecodeContext&) { return Outcome::Invalid; }

}  // namespace

//                                          handler                                w      d
constexpr OpcodeHandler kTwoByteHandlers[kTwoByteHandlerCount] = {
    /*  0 Bswap */                         {Bswap,                                 false, false},
    /*  1 BitTestImm */                    {WithModRMInTemps<BitTestImm>,          false, false},
    /*  2 MovControlDebug */               {WithModRMInTemps<MovControlDebug>,     false, false},
    /*  3 SegmentPushPop */                {SegmentPushPop,                        false, false},
    /*  4 ShiftDoubleImm */                {ShiftDoubleImm,                        false, false},
    /*  5 WidthInBit0 */                   {WidthInBit0,                           false, false},
    /*  6 NoOperands */                    {NoOperands,                            false, false},
    /*  7 Cmov */                          {Cmov,                                  false, false},
    /*  8 NearConditionalJump */           {NearConditionalJump,                   false, false},
    /*  9 Setcc */                         {WithModRMInTemps<Setcc>,               false, false},
    /* 10 SystemGroup */                   {WithModRMInTemps<SystemGroup>,         false, false},
    /* 11 RegRmByMnemonic */               {WithModRMInTemps<RegRmByMnemonic>,     false, false},
    /* 12 Mmx (own ModR/M) */              {Mmx,                                   false, false},
    /* 13 SseScalar (own ModR/M) */        {SseScalar,                             false, false},
    /* 14 unassigned (99) */               {WithModRMInTemps<Unassigned>,          false, false},
};

}  // namespace vexa
