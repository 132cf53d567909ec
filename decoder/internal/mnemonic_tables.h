#pragma once
// Mnemonic tables: the name of every opcode, and of every reg-field value of the
// opcodes whose ModR/M reg field selects the operation. Entries are 32-bit; the
// low 16 bits are an index into the mnemonic list, the high 16 bits are zero.
// In the opcode tables 0 means the operand form names the instruction (or the
// byte is a prefix, an escape or a group); in the group tables 1 (INVALID) marks
// a reg-field value that is not an instruction.
#include <cstdint>

#include "decoder/mnemonic_list.h"

namespace vexa {

constexpr uint16_t MnemonicIndexOf(uint32_t entry) { return static_cast<uint16_t>(entry & 0xFFFF); }

// The rows name their entries without the Mnemonic:: prefix.
namespace mnemonic_table_rows {
using namespace Mnemonic;

// By first opcode byte.
inline constexpr uint32_t kOneByteMnemonicTable[256] = {
    Add, Add, Add, Add, Add, Add, Push, Pop,  // 00-07
    Or, Or, Or, Or, Or, Or, Push, Pop,  // 08-0F
    Adc, Adc, Adc, Adc, Adc, Adc, Push, Pop,  // 10-17
    Sbb, Sbb, Sbb, Sbb, Sbb, Sbb, Push, Pop,  // 18-1F
    And, And, And, And, And, And, None, Daa,  // 20-27
    Sub, Sub, Sub, Sub, Sub, Sub, None, Das,  // 28-2F
    Xor, Xor, Xor, Xor, Xor, Xor, None, Aaa,  // 30-37
    Cmp, Cmp, Cmp, Cmp, Cmp, Cmp, None, Aas,  // 38-3F
    Inc, Inc, Inc, Inc, Inc, Inc, Inc, Inc,  // 40-47
    Dec, Dec, Dec, Dec, Dec, Dec, Dec, Dec,  // 48-4F
    Push, Push, Push, Push, Push, Push, Push, Push,  // 50-57
    Pop, Pop, Pop, Pop, Pop, Pop, Pop, Pop,  // 58-5F
    Pusha, Popa, Bound, Arpl, None, None, None, None,  // 60-67
    Push, Imul, Push, Imul, Insb, Insd, Outsb, Outsd,  // 68-6F
    Jo, Jno, Jb, Jnb, Je, Jne, Jna, Ja,  // 70-77
    Js, Jns, Jp, Jnp, Jl, Jnl, Jng, Jg,  // 78-7F
    None, None, None, None, Test, Test, Xchg, Xchg,  // 80-87
    Mov, Mov, Mov, Mov, Mov, Lea, Mov, None,  // 88-8F
    Nop, Xchg, Xchg, Xchg, Xchg, Xchg, Xchg, Xchg,  // 90-97
    Cbw, Cwd, Call, Wait, Pushf, Popf, Sahf, Lahf,  // 98-9F
    Mov, Mov, Mov, Mov, Movsb, Movsd, Cmpsb, Cmpsd,  // A0-A7
    Test, Test, Stosb, Stosd, Lodsb, Lodsd, Scasb, Scasd,  // A8-AF
    Mov, Mov, Mov, Mov, Mov, Mov, Mov, Mov,  // B0-B7
    Mov, Mov, Mov, Mov, Mov, Mov, Mov, Mov,  // B8-BF
    None, None, Retn, Retn, Les, Lds, None, None,  // C0-C7
    Enter, Leave, Retf, Retf, Int3, Int, Into, Iret,  // C8-CF
    None, None, None, None, Aam, Aad, Salc, Xlat,  // D0-D7
    None, None, None, None, None, None, None, None,  // D8-DF
    Loopnz, Loopz, Loop, Jecxz, In, In, Out, Out,  // E0-E7
    Call, Jmp, Jmp, Jmp, In, In, Out, Out,  // E8-EF
    None, Int1, None, None, Hlt, Cmc, None, None,  // F0-F7
    Clc, Stc, Cli, Sti, Cld, Std, None, None,  // F8-FF
};

// By the byte after 0Fh.
inline constexpr uint32_t kTwoByteMnemonicTable[256] = {
    None, None, Lar, Lsl, None, None, Clts, None,  // 00-07
    Invd, Wbinvd, None, Ud2, None, None, None, None,  // 08-0F
    None, None, None, None, None, None, None, None,  // 10-17
    None, None, None, None, None, None, None, None,  // 18-1F
    Mov, Mov, Mov, Mov, None, None, None, None,  // 20-27
    None, None, None, None, None, None, None, None,  // 28-2F
    Wrmsr, Rdtsc, Rdmsr, Rdpmc, None, None, None, None,  // 30-37
    None, None, None, None, None, None, None, None,  // 38-3F
    Cmovo, Cmovno, Cmovb, Cmovnb, Cmove, Cmovne, Cmovna, Cmova,  // 40-47
    Cmovs, Cmovns, Cmovp, Cmovnp, Cmovl, Cmovnl, Cmovng, Cmovg,  // 48-4F
    None, None, None, None, None, None, None, None,  // 50-57
    None, None, None, None, None, None, None, None,  // 58-5F
    Punpcklbw, Punpcklwd, Punpckldq, Packsswb, Pcmpgtb, Pcmpgtw, Pcmpgtd, Packuswb,  // 60-67
    Punpckhbw, Punpckhwd, Punpckhdq, Packssdw, None, None, Movd, Movq,  // 68-6F
    None, None, None, None, Pcmpeqb, Pcmpeqw, Pcmpeqd, Emms,  // 70-77
    None, None, None, None, None, None, Movd, Movq,  // 78-7F
    Jo, Jno, Jb, Jnb, Je, Jne, Jna, Ja,  // 80-87
    Js, Jns, Jp, Jnp, Jl, Jnl, Jng, Jg,  // 88-8F
    Seto, Setno, Setb, Setnb, Sete, Setne, Setna, Seta,  // 90-97
    Sets, Setns, Setp, Setnp, Setl, Setnl, Setng, Setg,  // 98-9F
    Push, Pop, Cpuid, Bt, Shld, Shld, None, None,  // A0-A7
    Push, Pop, Rsm, Bts, Shrd, Shrd, None, Imul,  // A8-AF
    Cmpxchg, Cmpxchg, Lss, Btr, Lfs, Lgs, Movzx, Movzx,  // B0-B7
    Push, Pop, None, Btc, Bsf, Bsr, Movsx, Movsx,  // B8-BF
    Xadd, Xadd, None, None, None, None, None, None,  // C0-C7
    Bswap, Bswap, Bswap, Bswap, Bswap, Bswap, Bswap, Bswap,  // C8-CF
    None, Psrlw, Psrld, Psrlq, None, Pmullw, None, None,  // D0-D7
    Psubusb, Psubusw, None, Pand, Paddusb, Paddusw, None, Pandn,  // D8-DF
    None, Psraw, Psrad, None, Pullhuw, Pmulhw, None, None,  // E0-E7
    Psubsb, Psubsw, None, Por, Paddsb, Paddsw, None, Pxor,  // E8-EF
    None, Psllw, Pslld, Psllq, None, Pmaddwd, None, None,  // F0-F7
    Psubb, Psubw, Psubd, None, Paddb, Paddw, Paddd, None,  // F8-FF
};

// Group tables, by ModR/M bits 3-5: 80-83, C0/C1/D0-D3, F6/F7, FE/FF, 0F BA.
inline constexpr uint32_t kGroup1MnemonicTable[8] = {Add, Or, Adc, Sbb, And, Sub, Xor, Cmp};
inline constexpr uint32_t kShiftGroupMnemonicTable[8] = {Rol, Ror, Rcl, Rcr, Shl, Shr, Sal, Sar};
inline constexpr uint32_t kGroup3MnemonicTable[8] = {Test, Invalid, Not, Neg, Mul, Imul, Div, Idiv};
inline constexpr uint32_t kGroup45MnemonicTable[8] = {Inc, Dec, Call, Call, Jmp, Jmp, Push, Invalid};
inline constexpr uint32_t kBitTestGroupMnemonicTable[8] = {Invalid, Invalid, Invalid, Invalid, Bt, Bts, Btr, Btc};

}  // namespace mnemonic_table_rows

using mnemonic_table_rows::kBitTestGroupMnemonicTable;
using mnemonic_table_rows::kGroup1MnemonicTable;
using mnemonic_table_rows::kGroup3MnemonicTable;
using mnemonic_table_rows::kGroup45MnemonicTable;
using mnemonic_table_rows::kOneByteMnemonicTable;
using mnemonic_table_rows::kShiftGroupMnemonicTable;
using mnemonic_table_rows::kTwoByteMnemonicTable;

}  // namespace vexa
