#include "decoder/mnemonic_list.h"

namespace vexa {

const char kMnemonicList[kMnemonicCount][kMnemonicSlotSize] = {
    "", "INVALID", "aaa", "aad", "aam",  // 0
    "aas", "adc", "add", "and", "arpl",  // 5
    "bound", "bsf", "bsr", "bswap", "bt",  // 10
    "btc", "btr", "bts", "call", "cwd",  // 15
    "clc", "cld", "cli", "clts", "cmc",  // 20
    "cmovo", "cmovno", "cmovb", "cmovnb", "cmove",  // 25
    "cmovne", "cmovna", "cmova", "cmovs", "cmovns",  // 30
    "cmovp", "cmovnp", "cmovl", "cmovnl", "cmovng",  // 35
    "cmovg", "cmp", "cmpsb", "cmpsw", "cmpsd",  // 40
    "cmpxchg", "cmpxchg8b", "cpuid", "cbw", "daa",  // 45
    "das", "dec", "div", "enter", "hlt",  // 50
    "idiv", "imul", "in", "inc", "insb",  // 55
    "insw", "insd", "int", "int1", "int3",  // 60
    "into", "invd", "invlpg", "iret", "jo",  // 65
    "jno", "jb", "jnb", "je", "jne",  // 70
    "jna", "ja", "js", "jns", "jp",  // 75
    "jnp", "jl", "jnl", "jng", "jg",  // 80
    "jcxz", "jecxz", "jmp", "lahf", "lar",  // 85
    "lds", "lea", "leave", "les", "lfs",  // 90
    "lgdt", "lgs", "lidt", "lldt", "lmsw",  // 95
    "lodsb", "lodsw", "lodsd", "loop", "loopnz",  // 100
    "loopz", "lsl", "lss", "ltr", "mov",  // 105
    "movsb", "movsw", "movsd", "movsx", "movzx",  // 110
    "mul", "neg", "nop", "not", "or",  // 115
    "out", "outsb", "outsw", "outsd", "pop",  // 120
    "popa", "popf", "push", "pusha", "pushf",  // 125
    "rcl", "rcr", "rdmsr", "rdpmc", "rdtsc",  // 130
    "retn", "retf", "rol", "ror", "rsm",  // 135
    "sahf", "sal", "salc", "sar", "sbb",  // 140
    "scasb", "scasw", "scasd", "seto", "setno",  // 145
    "setb", "setnb", "sete", "setne", "setna",  // 150
    "seta", "sets", "setns", "setp", "setnp",  // 155
    "setl", "setnl", "setng", "setg", "sgdt",  // 160
    "shl", "shld", "shr", "shrd", "sidt",  // 165
    "sldt", "smsw", "stc", "std", "sti",  // 170
    "stosb", "stosw", "stosd", "str", "sub",  // 175
    "sysenter", "sysexit", "test", "ud2", "verr",  // 180
    "verw", "wait", "wbinvd", "wrmsr", "xadd",  // 185
    "xchg", "xlat", "xor", "f2xm1", "fabs",  // 190
    "fadd", "faddp", "fbld", "fbstp", "fchs",  // 195
    "fclex", "fcmovb", "fcmove", "fcmovbe", "fcmovu",  // 200
    "fcmovnb", "fcmovne", "fcmovnbe", "fcmovnu", "fcom",  // 205
    "fcomi", "fcomip", "fcomp", "fcompp", "fcos",  // 210
    "fdecstp", "fdisi", "fdiv", "fdivp", "fdivr",  // 215
    "fdivrp", "feni", "ffree", "fiadd", "ficom",  // 220
    "ficomp", "fidiv", "fidivr", "fild", "fimul",  // 225
    "fincstp", "finit", "fist", "fistp", "fisub",  // 230
    "fisubr", "fld", "fld1", "fld2e", "fld2t",  // 235
    "fldcw", "fldenv", "fldlg2", "fldln2", "fldpi",  // 240
    "fldz", "fmul", "fmulp", "fnop", "fpatan",  // 245
    "fprem", "fprem1", "fptan", "frndint", "frstor",  // 250
    "fsave", "fscale", "fsin", "fsincos", "fsqrt",  // 255
    "fst", "fstcw", "fstenv", "fstp", "fstsw",  // 260
    "fsub", "fsubp", "fsubr", "fsubrp", "ftst",  // 265
    "fucom", "fucomi", "fucomip", "fucomp", "fucompp",  // 270
    "fxam", "fxch", "fxtract", "fyl2x", "fyl2xp1",  // 275
    "emms", "movd", "movq", "packssdw", "packsswb",  // 280
    "packuswb", "paddb", "paddw", "paddd", "paddsb",  // 285
    "paddsw", "paddusb", "paddusw", "pand", "pandn",  // 290
    "pcmpeqb", "pcmpeqw", "pcmpeqd", "pcmpgtb", "pcmpgtw",  // 295
    "pcmpgtd", "pmaddwd", "pullhuw", "pmulhw", "pmullw",  // 300
    "por", "psllw", "pslld", "psllq", "psraw",  // 305
    "psrad", "psrlw", "psrld", "psrlq", "psubb",  // 310
    "psubw", "psubd", "psubsb", "psubsw", "psubusb",  // 315
    "psubusw", "punpckhbw", "punpckhwd", "punpckhdq", "punpcklbw",  // 320
    "punpcklwd", "punpckldq", "pxor", "prefetchnta", "prefetcht0",  // 325
    "prefetcht1", "prefetcht2", "movhlps", "movlhps", "movmskps",  // 330
    "ldmxcsr", "stmxcsr", "pmovmskb", "maskmovq", "sfence",  // 335
    "subss", "sqrtss", "rsqrtss", "rcpss", "mulss",  // 340
    "movss", "minss", "maxss", "divss", "cvtsi2ss",  // 345
    "addss", "cmpss", "cvtss2si", "cvttss2si", "pshufw",  // 350
    "pextrw", "pinsrw", "shufps", "cmpps", "subps",  // 355
    "ucomiss", "unpckhps", "unpcklps", "xorps", "orps",  // 360
    "rcpps", "rsqrtps", "sqrtps", "maxps", "minps",  // 365
    "divps", "addps", "andnps", "andps", "comiss",  // 370
    "cvtpi2ps", "movntps", "movaps", "movlps", "movhps",  // 375
    "movups", "mulps", "movntq", "pmulhuw", "psadbw",  // 380
    "pavgb", "pavgw", "pmaxsw", "pmaxub", "pminsw",  // 385
    "pminub", "cvtps2pi", "cvttps2pi", "", "",  // 390
};

}  // namespace vexa
