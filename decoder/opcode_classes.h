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

// Indexed by the first opcode byte.
extern const uint8_t kOneByteClassTable[256];
// Indexed by the byte after 0Fh.
extern const uint8_t kTwoByteClassTable[256];

}  // namespace vexa
