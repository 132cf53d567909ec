#pragma once
// The mnemonic list: every name the decoder can give an instruction, indexed by
// the record's 16-bit mnemonic field. Each name is stated once, in
// VEXA_MNEMONICS, with its text: the enum below and the text list are both
// made from it. Each text slot is 12 bytes, zero-padded, so the longest name
// (11 characters) still ends with a zero byte.
#include <cstdint>

namespace vexa {

constexpr int kMnemonicSlotSize = 12;

// X(Name, "text"), in index order.
#define VEXA_MNEMONICS(X) \
    X(None, "") X(Invalid, "INVALID") X(Aaa, "aaa") X(Aad, "aad")                                            /* 0 */ \
    X(Aam, "aam") X(Aas, "aas") X(Adc, "adc") X(Add, "add")                                                  /* 4 */ \
    X(And, "and") X(Arpl, "arpl") X(Bound, "bound") X(Bsf, "bsf")                                            /* 8 */ \
    X(Bsr, "bsr") X(Bswap, "bswap") X(Bt, "bt") X(Btc, "btc")                                                /* 12 */ \
    X(Btr, "btr") X(Bts, "bts") X(Call, "call") X(Cwd, "cwd")                                                /* 16 */ \
    X(Clc, "clc") X(Cld, "cld") X(Cli, "cli") X(Clts, "clts")                                                /* 20 */ \
    X(Cmc, "cmc") X(Cmovo, "cmovo") X(Cmovno, "cmovno") X(Cmovb, "cmovb")                                    /* 24 */ \
    X(Cmovnb, "cmovnb") X(Cmove, "cmove") X(Cmovne, "cmovne") X(Cmovna, "cmovna")                            /* 28 */ \
    X(Cmova, "cmova") X(Cmovs, "cmovs") X(Cmovns, "cmovns") X(Cmovp, "cmovp")                                /* 32 */ \
    X(Cmovnp, "cmovnp") X(Cmovl, "cmovl") X(Cmovnl, "cmovnl") X(Cmovng, "cmovng")                            /* 36 */ \
    X(Cmovg, "cmovg") X(Cmp, "cmp") X(Cmpsb, "cmpsb") X(Cmpsw, "cmpsw")                                      /* 40 */ \
    X(Cmpsd, "cmpsd") X(Cmpxchg, "cmpxchg") X(Cmpxchg8b, "cmpxchg8b") X(Cpuid, "cpuid")                      /* 44 */ \
    X(Cbw, "cbw") X(Daa, "daa") X(Das, "das") X(Dec, "dec")                                                  /* 48 */ \
    X(Div, "div") X(Enter, "enter") X(Hlt, "hlt") X(Idiv, "idiv")                                            /* 52 */ \
    X(Imul, "imul") X(In, "in") X(Inc, "inc") X(Insb, "insb")                                                /* 56 */ \
    X(Insw, "insw") X(Insd, "insd") X(Int, "int") X(Int1, "int1")                                            /* 60 */ \
    X(Int3, "int3") X(Into, "into") X(Invd, "invd") X(Invlpg, "invlpg")                                      /* 64 */ \
    X(Iret, "iret") X(Jo, "jo") X(Jno, "jno") X(Jb, "jb")                                                    /* 68 */ \
    X(Jnb, "jnb") X(Je, "je") X(Jne, "jne") X(Jna, "jna")                                                    /* 72 */ \
    X(Ja, "ja") X(Js, "js") X(Jns, "jns") X(Jp, "jp")                                                        /* 76 */ \
    X(Jnp, "jnp") X(Jl, "jl") X(Jnl, "jnl") X(Jng, "jng")                                                    /* 80 */ \
    X(Jg, "jg") X(Jcxz, "jcxz") X(Jecxz, "jecxz") X(Jmp, "jmp")                                              /* 84 */ \
    X(Lahf, "lahf") X(Lar, "lar") X(Lds, "lds") X(Lea, "lea")                                                /* 88 */ \
    X(Leave, "leave") X(Les, "les") X(Lfs, "lfs") X(Lgdt, "lgdt")                                            /* 92 */ \
    X(Lgs, "lgs") X(Lidt, "lidt") X(Lldt, "lldt") X(Lmsw, "lmsw")                                            /* 96 */ \
    X(Lodsb, "lodsb") X(Lodsw, "lodsw") X(Lodsd, "lodsd") X(Loop, "loop")                                    /* 100 */ \
    X(Loopnz, "loopnz") X(Loopz, "loopz") X(Lsl, "lsl") X(Lss, "lss")                                        /* 104 */ \
    X(Ltr, "ltr") X(Mov, "mov") X(Movsb, "movsb") X(Movsw, "movsw")                                          /* 108 */ \
    X(Movsd, "movsd") X(Movsx, "movsx") X(Movzx, "movzx") X(Mul, "mul")                                      /* 112 */ \
    X(Neg, "neg") X(Nop, "nop") X(Not, "not") X(Or, "or")                                                    /* 116 */ \
    X(Out, "out") X(Outsb, "outsb") X(Outsw, "outsw") X(Outsd, "outsd")                                      /* 120 */ \
    X(Pop, "pop") X(Popa, "popa") X(Popf, "popf") X(Push, "push")                                            /* 124 */ \
    X(Pusha, "pusha") X(Pushf, "pushf") X(Rcl, "rcl") X(Rcr, "rcr")                                          /* 128 */ \
    X(Rdmsr, "rdmsr") X(Rdpmc, "rdpmc") X(Rdtsc, "rdtsc") X(Retn, "retn")                                    /* 132 */ \
    X(Retf, "retf") X(Rol, "rol") X(Ror, "ror") X(Rsm, "rsm")                                                /* 136 */ \
    X(Sahf, "sahf") X(Sal, "sal") X(Salc, "salc") X(Sar, "sar")                                              /* 140 */ \
    X(Sbb, "sbb") X(Scasb, "scasb") X(Scasw, "scasw") X(Scasd, "scasd")                                      /* 144 */ \
    X(Seto, "seto") X(Setno, "setno") X(Setb, "setb") X(Setnb, "setnb")                                      /* 148 */ \
    X(Sete, "sete") X(Setne, "setne") X(Setna, "setna") X(Seta, "seta")                                      /* 152 */ \
    X(Sets, "sets") X(Setns, "setns") X(Setp, "setp") X(Setnp, "setnp")                                      /* 156 */ \
    X(Setl, "setl") X(Setnl, "setnl") X(Setng, "setng") X(Setg, "setg")                                      /* 160 */ \
    X(Sgdt, "sgdt") X(Shl, "shl") X(Shld, "shld") X(Shr, "shr")                                              /* 164 */ \
    X(Shrd, "shrd") X(Sidt, "sidt") X(Sldt, "sldt") X(Smsw, "smsw")                                          /* 168 */ \
    X(Stc, "stc") X(Std, "std") X(Sti, "sti") X(Stosb, "stosb")                                              /* 172 */ \
    X(Stosw, "stosw") X(Stosd, "stosd") X(Str, "str") X(Sub, "sub")                                          /* 176 */ \
    X(Sysenter, "sysenter") X(Sysexit, "sysexit") X(Test, "test") X(Ud2, "ud2")                              /* 180 */ \
    X(Verr, "verr") X(Verw, "verw") X(Wait, "wait") X(Wbinvd, "wbinvd")                                      /* 184 */ \
    X(Wrmsr, "wrmsr") X(Xadd, "xadd") X(Xchg, "xchg") X(Xlat, "xlat")                                        /* 188 */ \
    X(Xor, "xor") X(F2xm1, "f2xm1") X(Fabs, "fabs") X(Fadd, "fadd")                                          /* 192 */ \
    X(Faddp, "faddp") X(Fbld, "fbld") X(Fbstp, "fbstp") X(Fchs, "fchs")                                      /* 196 */ \
    X(Fclex, "fclex") X(Fcmovb, "fcmovb") X(Fcmove, "fcmove") X(Fcmovbe, "fcmovbe")                          /* 200 */ \
    X(Fcmovu, "fcmovu") X(Fcmovnb, "fcmovnb") X(Fcmovne, "fcmovne") X(Fcmovnbe, "fcmovnbe")                  /* 204 */ \
    X(Fcmovnu, "fcmovnu") X(Fcom, "fcom") X(Fcomi, "fcomi") X(Fcomip, "fcomip")                              /* 208 */ \
    X(Fcomp, "fcomp") X(Fcompp, "fcompp") X(Fcos, "fcos") X(Fdecstp, "fdecstp")                              /* 212 */ \
    X(Fdisi, "fdisi") X(Fdiv, "fdiv") X(Fdivp, "fdivp") X(Fdivr, "fdivr")                                    /* 216 */ \
    X(Fdivrp, "fdivrp") X(Feni, "feni") X(Ffree, "ffree") X(Fiadd, "fiadd")                                  /* 220 */ \
    X(Ficom, "ficom") X(Ficomp, "ficomp") X(Fidiv, "fidiv") X(Fidivr, "fidivr")                              /* 224 */ \
    X(Fild, "fild") X(Fimul, "fimul") X(Fincstp, "fincstp") X(Finit, "finit")                                /* 228 */ \
    X(Fist, "fist") X(Fistp, "fistp") X(Fisub, "fisub") X(Fisubr, "fisubr")                                  /* 232 */ \
    X(Fld, "fld") X(Fld1, "fld1") X(Fld2e, "fld2e") X(Fld2t, "fld2t")                                        /* 236 */ \
    X(Fldcw, "fldcw") X(Fldenv, "fldenv") X(Fldlg2, "fldlg2") X(Fldln2, "fldln2")                            /* 240 */ \
    X(Fldpi, "fldpi") X(Fldz, "fldz") X(Fmul, "fmul") X(Fmulp, "fmulp")                                      /* 244 */ \
    X(Fnop, "fnop") X(Fpatan, "fpatan") X(Fprem, "fprem") X(Fprem1, "fprem1")                                /* 248 */ \
    X(Fptan, "fptan") X(Frndint, "frndint") X(Frstor, "frstor") X(Fsave, "fsave")                            /* 252 */ \
    X(Fscale, "fscale") X(Fsin, "fsin") X(Fsincos, "fsincos") X(Fsqrt, "fsqrt")                              /* 256 */ \
    X(Fst, "fst") X(Fstcw, "fstcw") X(Fstenv, "fstenv") X(Fstp, "fstp")                                      /* 260 */ \
    X(Fstsw, "fstsw") X(Fsub, "fsub") X(Fsubp, "fsubp") X(Fsubr, "fsubr")                                    /* 264 */ \
    X(Fsubrp, "fsubrp") X(Ftst, "ftst") X(Fucom, "fucom") X(Fucomi, "fucomi")                                /* 268 */ \
    X(Fucomip, "fucomip") X(Fucomp, "fucomp") X(Fucompp, "fucompp") X(Fxam, "fxam")                          /* 272 */ \
    X(Fxch, "fxch") X(Fxtract, "fxtract") X(Fyl2x, "fyl2x") X(Fyl2xp1, "fyl2xp1")                            /* 276 */ \
    X(Emms, "emms") X(Movd, "movd") X(Movq, "movq") X(Packssdw, "packssdw")                                  /* 280 */ \
    X(Packsswb, "packsswb") X(Packuswb, "packuswb") X(Paddb, "paddb") X(Paddw, "paddw")                      /* 284 */ \
    X(Paddd, "paddd") X(Paddsb, "paddsb") X(Paddsw, "paddsw") X(Paddusb, "paddusb")                          /* 288 */ \
    X(Paddusw, "paddusw") X(Pand, "pand") X(Pandn, "pandn") X(Pcmpeqb, "pcmpeqb")                            /* 292 */ \
    X(Pcmpeqw, "pcmpeqw") X(Pcmpeqd, "pcmpeqd") X(Pcmpgtb, "pcmpgtb") X(Pcmpgtw, "pcmpgtw")                  /* 296 */ \
    X(Pcmpgtd, "pcmpgtd") X(Pmaddwd, "pmaddwd") X(Pullhuw, "pullhuw") X(Pmulhw, "pmulhw")                    /* 300 */ \
    X(Pmullw, "pmullw") X(Por, "por") X(Psllw, "psllw") X(Pslld, "pslld")                                    /* 304 */ \
    X(Psllq, "psllq") X(Psraw, "psraw") X(Psrad, "psrad") X(Psrlw, "psrlw")                                  /* 308 */ \
    X(Psrld, "psrld") X(Psrlq, "psrlq") X(Psubb, "psubb") X(Psubw, "psubw")                                  /* 312 */ \
    X(Psubd, "psubd") X(Psubsb, "psubsb") X(Psubsw, "psubsw") X(Psubusb, "psubusb")                          /* 316 */ \
    X(Psubusw, "psubusw") X(Punpckhbw, "punpckhbw") X(Punpckhwd, "punpckhwd") X(Punpckhdq, "punpckhdq")      /* 320 */ \
    X(Punpcklbw, "punpcklbw") X(Punpcklwd, "punpcklwd") X(Punpckldq, "punpckldq") X(Pxor, "pxor")            /* 324 */ \
    X(Prefetchnta, "prefetchnta") X(Prefetcht0, "prefetcht0") X(Prefetcht1, "prefetcht1") X(Prefetcht2, "prefetcht2") /* 328 */ \
    X(Movhlps, "movhlps") X(Movlhps, "movlhps") X(Movmskps, "movmskps") X(Ldmxcsr, "ldmxcsr")                /* 332 */ \
    X(Stmxcsr, "stmxcsr") X(Pmovmskb, "pmovmskb") X(Maskmovq, "maskmovq") X(Sfence, "sfence")                /* 336 */ \
    X(Subss, "subss") X(Sqrtss, "sqrtss") X(Rsqrtss, "rsqrtss") X(Rcpss, "rcpss")                            /* 340 */ \
    X(Mulss, "mulss") X(Movss, "movss") X(Minss, "minss") X(Maxss, "maxss")                                  /* 344 */ \
    X(Divss, "divss") X(Cvtsi2ss, "cvtsi2ss") X(Addss, "addss") X(Cmpss, "cmpss")                            /* 348 */ \
    X(Cvtss2si, "cvtss2si") X(Cvttss2si, "cvttss2si") X(Pshufw, "pshufw") X(Pextrw, "pextrw")                /* 352 */ \
    X(Pinsrw, "pinsrw") X(Shufps, "shufps") X(Cmpps, "cmpps") X(Subps, "subps")                              /* 356 */ \
    X(Ucomiss, "ucomiss") X(Unpckhps, "unpckhps") X(Unpcklps, "unpcklps") X(Xorps, "xorps")                  /* 360 */ \
    X(Orps, "orps") X(Rcpps, "rcpps") X(Rsqrtps, "rsqrtps") X(Sqrtps, "sqrtps")                              /* 364 */ \
    X(Maxps, "maxps") X(Minps, "minps") X(Divps, "divps") X(Addps, "addps")                                  /* 368 */ \
    X(Andnps, "andnps") X(Andps, "andps") X(Comiss, "comiss") X(Cvtpi2ps, "cvtpi2ps")                        /* 372 */ \
    X(Movntps, "movntps") X(Movaps, "movaps") X(Movlps, "movlps") X(Movhps, "movhps")                        /* 376 */ \
    X(Movups, "movups") X(Mulps, "mulps") X(Movntq, "movntq") X(Pmulhuw, "pmulhuw")                          /* 380 */ \
    X(Psadbw, "psadbw") X(Pavgb, "pavgb") X(Pavgw, "pavgw") X(Pmaxsw, "pmaxsw")                              /* 384 */ \
    X(Pmaxub, "pmaxub") X(Pminsw, "pminsw") X(Pminub, "pminub") X(Cvtps2pi, "cvtps2pi")                      /* 388 */ \
    X(Cvttps2pi, "cvttps2pi") X(Unused393, "") X(Unused394, "")                                              /* 392 */

namespace Mnemonic {
enum : uint16_t {
#define VEXA_MNEMONIC_NAME(name, text) name,
    VEXA_MNEMONICS(VEXA_MNEMONIC_NAME)
#undef VEXA_MNEMONIC_NAME
};
}  // namespace Mnemonic

constexpr int kMnemonicCount = 0
#define VEXA_MNEMONIC_ONE(name, text) +1
    VEXA_MNEMONICS(VEXA_MNEMONIC_ONE)
#undef VEXA_MNEMONIC_ONE
    ;
static_assert(kMnemonicCount == 395, "the record's mnemonic field indexes 395 names");

extern const char kMnemonicList[kMnemonicCount][kMnemonicSlotSize];

// Text of a mnemonic index; the empty text for an index outside the list.
inline const char* MnemonicText(uint16_t index) {
    return index < kMnemonicCount ? kMnemonicList[index] : kMnemonicList[0];
}

}  // namespace vexa
