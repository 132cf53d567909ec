#pragma once
// Opcode classes: the handler number of every first opcode byte and of every
// byte after the 0Fh escape. The decoder dispatches on them and the workbench
// chooses its bit-field labels by them.
#include <cstdint>

namespace vexa {

namespace OpcodeClass {
enum : uint8_t {
    Prefix = 0,                 // 26, 2E, 36, 3E, 64-67, F0, F2, F3
    Imm8 = 1,                   // int, aam, aad
    RegRm = 2,                  // r/m and reg, d and w bits
    RegMemFixed = 3,            // bound, arpl, lea, les, lds
    MovRmImm = 4,               // C6, C7
    PortImm8 = 5,               // in/out with an imm8 port
    SegmentPushPop = 6,         // segment register in opcode bits 3-4
    ReturnImm16 = 7,            // retn/retf imm16
    Group1 = 8,                 // 80-83
    ShiftOrGroup3 = 9,          // D0-D3, F6, F7
    StringOrPortDx = 10,        // string instructions; in/out with dx
    AccumulatorImm = 11,        // al/ax/eax and an immediate
    PopOrGroup45 = 12,          // 8F, FE, FF
    ShortConditionalJump = 13,  // 70-7F
    LoopOrShortJump = 14,       // E0-E3, EB
    NearCallJmp = 15,           // E8, E9
    FarCallJmp = 16,            // 9A, EA
    ShiftImm8 = 17,             // C0, C1
    Enter = 18,                 // C8
    MovRegImm = 19,             // B0-BF
    MovAccumulatorOffset = 20,  // A0-A3
    MovSegment = 21,            // 8C, 8E
    PushImm = 22,               // 68, 6A
    ImulImm = 23,               // 69, 6B
    TwoByteEscape = 24,         // 0F
    FpuEscape = 25,             // D8-DF
    RegisterInOpcode = 26,      // 40-5F, 91-97
    NoOperands = 27,
    TestXchg = 28,              // 84-87
    Invalid = 99,
};
constexpr uint8_t kHandlerCount = 29;  // 0 (prefix, never dispatched) to 28
}  // namespace OpcodeClass

namespace TwoByteClass {
enum : uint8_t {
    Bswap = 0,                 // C8-CF
    BitTestImm = 1,            // BA
    MovControlDebug = 2,       // 20-23
    SegmentPushPop = 3,        // A0, A1, A8, A9, B8, B9
    ShiftDoubleImm = 4,        // A4, AC
    WidthInBit0 = 5,           // cmpxchg, xadd, movzx, movsx
    NoOperands = 6,
    Cmov = 7,                  // 40-4F
    NearConditionalJump = 8,   // 80-8F
    Setcc = 9,                 // 90-9F
    SystemGroup = 10,          // 00, 01, C7
    RegRmByMnemonic = 11,      // lar, lsl, bt*, shld/shrd cl, imul, lss/lfs/lgs, bsf, bsr
    Mmx = 12,
    SseScalar = 13,
    Invalid = 99,
};
constexpr uint8_t kHandlerCount = 12;  // 0 to 11; 12 and 13 go to their own decoders
}  // namespace TwoByteClass

// Row = high hex digit of the byte, column = low hex digit.

// Indexed by the first opcode byte.
inline constexpr uint8_t kOneByteClassTable[256] = {
     2,  2,  2,  2, 11, 11,  6,  6,  2,  2,  2,  2, 11, 11,  6, 24,  // 0x
     2,  2,  2,  2, 11, 11,  6,  6,  2,  2,  2,  2, 11, 11,  6,  6,  // 1x
     2,  2,  2,  2, 11, 11,  0, 27,  2,  2,  2,  2, 11, 11,  0, 27,  // 2x
     2,  2,  2,  2, 11, 11,  0, 27,  2,  2,  2,  2, 11, 11,  0, 27,  // 3x
    26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26,  // 4x
    26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26, 26,  // 5x
    27, 27,  3,  3,  0,  0,  0,  0, 22, 23, 22, 23, 10, 10, 10, 10,  // 6x
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,  // 7x
     8,  8,  8,  8, 28, 28, 28, 28,  2,  2,  2,  2, 21,  3, 21, 12,  // 8x
    27, 26, 26, 26, 26, 26, 26, 26, 27, 27, 16, 27, 27, 27, 27, 27,  // 9x
    20, 20, 20, 20, 10, 10, 10, 10, 11, 11, 10, 10, 10, 10, 10, 10,  // Ax
    19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 19,  // Bx
    17, 17,  7, 27,  3,  3,  4,  4, 18, 27,  7, 27, 27,  1, 27, 27,  // Cx
     9,  9,  9,  9,  1,  1, 27, 27, 25, 25, 25, 25, 25, 25, 25, 25,  // Dx
    14, 14, 14, 14,  5,  5,  5,  5, 15, 15, 16, 14, 10, 10, 10, 10,  // Ex
     0, 27,  0,  0, 27, 27,  9,  9, 27, 27, 27, 27, 27, 27, 12, 12,  // Fx
};

// Indexed by the byte after 0Fh.
inline constexpr uint8_t kTwoByteClassTable[256] = {
    10, 10, 11, 11, 99, 99,  6, 99,  6,  6, 99,  6, 99, 99, 99, 99,  // 0x
    13, 13, 13, 13, 13, 13, 13, 13, 13, 99, 99, 99, 99, 99, 99, 99,  // 1x
     2,  2,  2,  2, 99, 99, 99, 99, 13, 13, 13, 13, 13, 13, 13, 13,  // 2x
     6,  6,  6,  6, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,  // 3x
     7,  7,  7,  7,  7,  7,  7,  7,  7,  7,  7,  7,  7,  7,  7,  7,  // 4x
    13, 13, 13, 13, 99, 13, 13, 13, 13, 13, 99, 99, 13, 13, 13, 13,  // 5x
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 99, 12, 12, 12,  // 6x
    13, 12, 12, 12, 12, 12, 12, 12, 99, 99, 99, 99, 99, 99, 12, 12,  // 7x
     8,  8,  8,  8,  8,  8,  8,  8,  8,  8,  8,  8,  8,  8,  8,  8,  // 8x
     9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  // 9x
     3,  3,  6, 11,  4, 11, 99, 99,  3,  3,  6, 11,  4, 11, 13, 11,  // Ax
     5,  5, 11, 11, 11, 11,  5,  5,  3,  3,  1, 11, 11, 11,  5,  5,  // Bx
     5,  5, 13, 99, 13, 13, 13, 10,  0,  0,  0,  0,  0,  0,  0,  0,  // Cx
    12, 12, 12, 12, 99, 12, 99, 13, 12, 12, 13, 12, 12, 12, 13, 12,  // Dx
    13, 12, 12, 12, 13, 12, 99, 13, 12, 12, 13, 12, 12, 12, 12, 12,  // Ex
    12, 12, 12, 12, 99, 12, 13, 13, 12, 12, 12, 12, 12, 12, 12, 12,  // Fx
};


}  // namespace vexa
