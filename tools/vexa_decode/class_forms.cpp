#include "tools/vexa_decode/class_forms.h"

#include <array>

#include "decoder/opcode_classes.h"

namespace vexa::cli {
namespace {

constexpr std::array<const char*, OpcodeClass::kHandlerCount> kOneByteForms{
    "prefix",
    "imm8",
    "r/m and reg, d and w bits",
    "reg and memory of a fixed size",
    "r/m, imm (reg field 0)",
    "accumulator and port imm8",
    "segment register in opcode bits 3-4",
    "imm16 constant",
    "group 1: r/m, imm",
    "shift group by 1 or cl; group 3",
    "string instructions; in/out with dx",
    "accumulator, imm",
    "pop r/m; groups 4 and 5",
    "short conditional jump",
    "loops, jcxz, short jmp",
    "near call/jmp",
    "far call/jmp with pointer",
    "shift group by imm8",
    "enter imm16, imm8",
    "mov register, imm (register in bits 0-2, w in bit 3)",
    "mov accumulator and memory offset",
    "mov with segment register",
    "push imm",
    "imul reg, r/m, imm",
    "two-byte escape",
    "x87 escape",
    "register in bits 0-2",
    "no operands",
    "test/xchg r/m with reg",
};

constexpr std::array<const char*, 14> kTwoByteForms{
    "bswap, register in bits 0-2",
    "group 8: bt/bts/btr/btc r/m, imm8",
    "mov with a control or debug register",
    "push/pop fs, gs, segment register in bits 3-5",
    "shld/shrd r/m, reg, imm8",
    "w in bit 0: cmpxchg, xadd, movzx, movsx",
    "no operands",
    "cmovcc reg, r/m",
    "near conditional jump",
    "setcc r/m8 (reg field 0)",
    "groups 6 and 7, cmpxchg8b",
    "reg and r/m, by mnemonic",
    "MMX",
    "scalar SSE (with F3)",
};

}  // namespace

const char* OneByteClassForm(uint8_t opcodeClass) {
    return opcodeClass < kOneByteForms.size() ? kOneByteForms[opcodeClass] : "";
}

const char* TwoByteClassForm(uint8_t subClass) {
    if (subClass == TwoByteClass::Invalid) return "not assigned";
    return subClass < kTwoByteForms.size() ? kTwoByteForms[subClass] : "";
}

}  // namespace vexa::cli
