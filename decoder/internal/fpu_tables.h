#pragma once
// The x87 mnemonic tables. Mnemonic::None marks a combination that names no
// instruction.
#include <cstdint>

#include "decoder/decoded_instruction.h"
#include "decoder/mnemonic_list.h"

namespace vexa::fpu {

// The arithmetic row, by reg field (D8 and DC memory forms).
constexpr uint16_t kArithmeticRow[8] = {
    Mnemonic::Fadd, Mnemonic::Fmul, Mnemonic::Fcom, Mnemonic::Fcomp,
    Mnemonic::Fsub, Mnemonic::Fsubr, Mnemonic::Fdiv, Mnemonic::Fdivr,
};

// Real load/store, reg 0-3 of an odd escape (D9, DD memory forms).
constexpr uint16_t kRealLoadStoreRow[4] = {Mnemonic::Fld, Mnemonic::None, Mnemonic::Fst, Mnemonic::Fstp};

// Integer arithmetic, by reg field (DA, DE memory forms).
constexpr uint16_t kIntegerArithmeticRow[8] = {
    Mnemonic::Fiadd, Mnemonic::Fimul, Mnemonic::Ficom, Mnemonic::Ficomp,
    Mnemonic::Fisub, Mnemonic::Fisubr, Mnemonic::Fidiv, Mnemonic::Fidivr,
};

// Integer load/store, reg 0-3 of an odd escape (DB, DF memory forms).
constexpr uint16_t kIntegerLoadStoreRow[4] = {Mnemonic::Fild, Mnemonic::None, Mnemonic::Fist, Mnemonic::Fistp};

// The D9 E0-FF row (constants, transcendentals, stack control), by the low
// five bits of the second byte.
constexpr uint16_t kD9ConstantRow[32] = {
    Mnemonic::Fchs,  Mnemonic::Fabs,   Mnemonic::None,   Mnemonic::None,    // E0-E3
    Mnemonic::Ftst,  Mnemonic::Fxam,   Mnemonic::None,   Mnemonic::None,    // E4-E7
    Mnemonic::Fld1,  Mnemonic::Fld2t,  Mnemonic::Fld2e,  Mnemonic::Fldpi,   // E8-EB
    Mnemonic::Fldlg2, Mnemonic::Fldln2, Mnemonic::Fldz,  Mnemonic::None,    // EC-EF
    Mnemonic::F2xm1, Mnemonic::Fyl2x,  Mnemonic::Fptan,  Mnemonic::Fpatan,  // F0-F3
    Mnemonic::Fxtract, Mnemonic::Fprem1, Mnemonic::Fdecstp, Mnemonic::Fincstp,  // F4-F7
    Mnemonic::Fprem, Mnemonic::Fyl2xp1, Mnemonic::Fsqrt, Mnemonic::Fsincos,  // F8-FB
    Mnemonic::Frndint, Mnemonic::Fscale, Mnemonic::Fsin, Mnemonic::Fcos,    // FC-FF
};

// The DB E0-E3 row (8087/287 control).
constexpr uint16_t kDbControlRow[4] = {Mnemonic::Feni, Mnemonic::Fdisi, Mnemonic::Fclex, Mnemonic::Finit};

// Memory control forms of the odd escapes, reg 4-7, indexed by
// 4 * (escape bits 1-2) + (reg - 4). fldenv and fstenv address an environment
// image whose layout follows the effective operand size (28 bytes in 32-bit
// form, 14 in 16-bit form), so their size is decided at decode time.
struct ControlForm {
    uint16_t mnemonic;
    uint8_t memorySize;
    bool sizedByOperandSize;
};

constexpr ControlForm kMemoryControlRow[16] = {
    // D9
    {Mnemonic::Fldenv, MemorySize::TwentyEightBytes, true},
    {Mnemonic::Fldcw, MemorySize::Word, false},
    {Mnemonic::Fstenv, MemorySize::TwentyEightBytes, true},
    {Mnemonic::Fstcw, MemorySize::Word, false},
    // DB
    {Mnemonic::None, MemorySize::None, false},
    {Mnemonic::Fld, MemorySize::Tbyte, false},
    {Mnemonic::None, MemorySize::None, false},
    {Mnemonic::Fstp, MemorySize::Tbyte, false},
    // DD
    {Mnemonic::Frstor, MemorySize::Bytes108, false},
    {Mnemonic::None, MemorySize::None, false},
    {Mnemonic::Fsave, MemorySize::Bytes108, false},
    {Mnemonic::Fstsw, MemorySize::Word, false},
    // DF
    {Mnemonic::Fbld, MemorySize::Tbyte, false},
    {Mnemonic::Fild, MemorySize::Qword, false},
    {Mnemonic::Fbstp, MemorySize::Tbyte, false},
    {Mnemonic::Fistp, MemorySize::Qword, false},
};

// Register forms (mod 11) by escape and reg field: each row covers the eight
// second bytes C0+8r .. C7+8r, with i = the r/m field naming st(i). A row with
// onlyRm >= 0 holds a single instruction at that r/m value. Rows covered by
// the D9 E0-FF and DB E0-E3 rows are empty here; those rows are consulted first.
enum class StackOperands : uint8_t {
    None,        // no operands
    StI,         // st(i)
    StStI,       // st, st(i)
    StISt,       // st(i), st
    Ax,          // ax (fstsw)
};

struct RegisterForm {
    uint16_t mnemonic;
    StackOperands operands;
    int8_t onlyRm;
};

constexpr RegisterForm kNoRegisterForm{Mnemonic::None, StackOperands::None, -1};

constexpr RegisterForm kRegisterRows[8][8] = {
    // D8: st, st(i) except the compares, which take st(i) alone
    {
        {Mnemonic::Fadd, StackOperands::StStI, -1},
        {Mnemonic::Fmul, StackOperands::StStI, -1},
        {Mnemonic::Fcom, StackOperands::StI, -1},
        {Mnemonic::Fcomp, StackOperands::StI, -1},
        {Mnemonic::Fsub, StackOperands::StStI, -1},
        {Mnemonic::Fsubr, StackOperands::StStI, -1},
        {Mnemonic::Fdiv, StackOperands::StStI, -1},
        {Mnemonic::Fdivr, StackOperands::StStI, -1},
    },
    // D9 (E0-FF come from kD9ConstantRow)
    {
        {Mnemonic::Fld, StackOperands::StI, -1},
        {Mnemonic::Fxch, StackOperands::StI, -1},
        {Mnemonic::Fnop, StackOperands::None, 0},
        kNoRegisterForm,
        kNoRegisterForm,
        kNoRegisterForm,
        kNoRegisterForm,
        kNoRegisterForm,
    },
    // DA
    {
        {Mnemonic::Fcmovb, StackOperands::StStI, -1},
        {Mnemonic::Fcmove, StackOperands::StStI, -1},
        {Mnemonic::Fcmovbe, StackOperands::StStI, -1},
        {Mnemonic::Fcmovu, StackOperands::StStI, -1},
        kNoRegisterForm,
        {Mnemonic::Fucompp, StackOperands::None, 1},
        kNoRegisterForm,
        kNoRegisterForm,
    },
    // DB (E0-E3 come from kDbControlRow)
    {
        {Mnemonic::Fcmovnb, StackOperands::StStI, -1},
        {Mnemonic::Fcmovne, StackOperands::StStI, -1},
        {Mnemonic::Fcmovnbe, StackOperands::StStI, -1},
        {Mnemonic::Fcmovnu, StackOperands::StStI, -1},
        kNoRegisterForm,
        {Mnemonic::Fucomi, StackOperands::StStI, -1},
        {Mnemonic::Fcomi, StackOperands::StStI, -1},
        kNoRegisterForm,
    },
    // DC: the destination is st(i); the subtract and divide rows swap their
    // reversed and plain names against the D8 row
    {
        {Mnemonic::Fadd, StackOperands::StISt, -1},
        {Mnemonic::Fmul, StackOperands::StISt, -1},
        {Mnemonic::Fcom, StackOperands::StI, -1},
        {Mnemonic::Fcomp, StackOperands::StI, -1},
        {Mnemonic::Fsubr, StackOperands::StISt, -1},
        {Mnemonic::Fsub, StackOperands::StISt, -1},
        {Mnemonic::Fdivr, StackOperands::StISt, -1},
        {Mnemonic::Fdiv, StackOperands::StISt, -1},
    },
    // DD
    {
        {Mnemonic::Ffree, StackOperands::StI, -1},
        kNoRegisterForm,
        {Mnemonic::Fst, StackOperands::StI, -1},
        {Mnemonic::Fstp, StackOperands::StI, -1},
        {Mnemonic::Fucom, StackOperands::StI, -1},
        {Mnemonic::Fucomp, StackOperands::StI, -1},
        kNoRegisterForm,
        kNoRegisterForm,
    },
    // DE: the popping forms
    {
        {Mnemonic::Faddp, StackOperands::StISt, -1},
        {Mnemonic::Fmulp, StackOperands::StISt, -1},
        {Mnemonic::Fcomp, StackOperands::StISt, -1},
        {Mnemonic::Fcompp, StackOperands::None, 1},
        {Mnemonic::Fsubrp, StackOperands::StISt, -1},
        {Mnemonic::Fsubp, StackOperands::StISt, -1},
        {Mnemonic::Fdivrp, StackOperands::StISt, -1},
        {Mnemonic::Fdivp, StackOperands::StISt, -1},
    },
    // DF
    {
        kNoRegisterForm,
        kNoRegisterForm,
        kNoRegisterForm,
        kNoRegisterForm,
        {Mnemonic::Fstsw, StackOperands::Ax, 0},
        {Mnemonic::Fucomip, StackOperands::StStI, -1},
        {Mnemonic::Fcomip, StackOperands::StStI, -1},
        kNoRegisterForm,
    },
};

// Memory forms other than the control forms, by escape: the row naming the operation by
// reg field (reg 0-7 for an even escape, 0-3 for an odd one) and the operand's
// size.
struct MemoryRow {
    const uint16_t* mnemonics;
    uint8_t memorySize;
};

constexpr MemoryRow kMemoryRows[8] = {
    {kArithmeticRow, MemorySize::Dword},         // D8: m32 real
    {kRealLoadStoreRow, MemorySize::Dword},      // D9: m32 real
    {kIntegerArithmeticRow, MemorySize::Dword},  // DA: m32 integer
    {kIntegerLoadStoreRow, MemorySize::Dword},   // DB: m32 integer
    {kArithmeticRow, MemorySize::Qword},         // DC: m64 real
    {kRealLoadStoreRow, MemorySize::Qword},      // DD: m64 real
    {kIntegerArithmeticRow, MemorySize::Word},   // DE: m16 integer
    {kIntegerLoadStoreRow, MemorySize::Word},    // DF: m16 integer
};

// Name and size of a memory form, given its escape and reg field.
struct MemoryForm {
    uint16_t mnemonic;
    uint8_t memorySize;
    bool valid;
};

constexpr MemoryForm FindMemoryForm(uint8_t escape, uint8_t reg, bool operand32) {
    const bool oddEscape = (escape & 1) != 0;
    if (oddEscape && reg >= 4) {
        // Control forms: an empty slot still decodes, unnamed and unsized.
        const ControlForm& form = kMemoryControlRow[4 * ((escape >> 1) & 3) + (reg - 4)];
        uint8_t size = form.memorySize;
        if (form.sizedByOperandSize) size = operand32 ? MemorySize::TwentyEightBytes : MemorySize::FourteenBytes;
        return {form.mnemonic, size, true};
    }
    const MemoryRow& row = kMemoryRows[escape & 7];
    const uint16_t mnemonic = row.mnemonics[reg];
    return {mnemonic, row.memorySize, mnemonic != Mnemonic::None};
}

// The register form named by a mod-11 second byte, or kNoRegisterForm. The
// single-byte control rows (DB E0-E3, then D9 E0-FF) take precedence over the
// per-escape rows.
constexpr RegisterForm FindRegisterForm(uint8_t escape, uint8_t modrm) {
    if (escape == 0xDB && modrm >= 0xE0 && modrm <= 0xE3) return {kDbControlRow[modrm & 3], StackOperands::None, -1};
    if (escape == 0xD9 && modrm >= 0xE0) {
        const uint16_t mnemonic = kD9ConstantRow[modrm & 0x1F];
        if (mnemonic != Mnemonic::None) return {mnemonic, StackOperands::None, -1};
    }
    const RegisterForm& row = kRegisterRows[escape & 7][(modrm >> 3) & 7];
    if (row.onlyRm >= 0 && row.onlyRm != (modrm & 7)) return kNoRegisterForm;
    return row;
}

}  // namespace vexa::fpu
