#pragma once
// Names of the MMX and scalar SSE opcodes that the two-byte mnemonic table
// does not give: the shift-by-immediate groups, named by the ModR/M reg field,
// and the scalar single-precision arithmetic row behind an F3h prefix. Shared
// by the straight-line forms and the layout call.
#include <cstdint>

#include "decoder/mnemonic_list.h"

namespace vexa {

// Shift-by-immediate groups 0F 71 (words), 72 (dwords), 73 (qword): reg 2
// shifts right logically, reg 4 arithmetically, reg 6 left.
struct ShiftGroup {
    uint16_t logicalRight;
    uint16_t arithmeticRight;
    uint16_t left;
};
constexpr uint8_t kFirstShiftGroup = 0x71;
constexpr uint8_t kLastShiftGroup = 0x73;
inline constexpr ShiftGroup kShiftGroups[3] = {
    {Mnemonic::Psrlw, Mnemonic::Psraw, Mnemonic::Psllw},
    {Mnemonic::Psrld, Mnemonic::Psrad, Mnemonic::Pslld},
    {Mnemonic::Psrlq, Mnemonic::None, Mnemonic::Psllq},
};

// None when the byte is no shift group or the reg field names no shift.
constexpr uint16_t ShiftGroupMnemonic(uint8_t second, uint8_t reg) {
    if (second < kFirstShiftGroup || second > kLastShiftGroup) return Mnemonic::None;
    const ShiftGroup& group = kShiftGroups[second - kFirstShiftGroup];
    switch (reg) {
        case 2: return group.logicalRight;
        case 4: return group.arithmeticRight;
        case 6: return group.left;
        default: return Mnemonic::None;
    }
}

// Scalar single-precision arithmetic row F3 0F 51-5F.
constexpr uint8_t kFirstScalarArithmetic = 0x51;
constexpr uint8_t kLastScalarArithmetic = 0x5F;
inline constexpr uint16_t kScalarArithmeticRow[15] = {
    Mnemonic::Sqrtss, Mnemonic::Rsqrtss, Mnemonic::Rcpss, Mnemonic::None,  Mnemonic::None,
    Mnemonic::None,   Mnemonic::None,    Mnemonic::Addss, Mnemonic::Mulss, Mnemonic::None,
    Mnemonic::None,   Mnemonic::Subss,   Mnemonic::Minss, Mnemonic::Divss, Mnemonic::Maxss,
};

constexpr uint16_t ScalarArithmeticMnemonic(uint8_t second) {
    if (second < kFirstScalarArithmetic || second > kLastScalarArithmetic) return Mnemonic::None;
    return kScalarArithmeticRow[second - kFirstScalarArithmetic];
}

}  // namespace vexa
