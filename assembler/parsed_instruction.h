#pragma once
// One instruction as the text parser reads it: what the user wrote, with
// synonyms resolved and the address's terms put in the formatter's order, but
// no encoding chosen yet.
#include <cstddef>
#include <cstdint>

namespace vexa::assembler {

// Longest text taken, in characters.
constexpr size_t kMaxTextLength = 255;

enum class OperandForm : uint8_t { Register, Memory, Number, Relative, FarPointer };

struct ParsedNumber {
    int64_t value = 0;
    // 2 or 4 when written as the formatter's fixed-width hex ("0008",
    // "00001234", "0F000"), which tells the width; 0 otherwise.
    uint8_t fixedBytes = 0;
};

struct ParsedOperand {
    OperandForm form = OperandForm::Register;
    // Register: its code; `exists` false for a name like "cr9".
    uint8_t reg = 0;
    bool exists = true;
    // Memory: size keyword (0 = none written), segment (SegmentOverride code),
    // base and index as register codes with kRegisterPresent (0 = none), the
    // scale factor (0 = none shown), the displacement and the address size.
    uint8_t memorySize = 0;
    uint8_t segment = 0;
    uint8_t base = 0;
    uint8_t index = 0;
    uint8_t scale = 0;
    bool hasDisp = false;
    ParsedNumber disp;
    uint8_t addressBytes = 0;
    // Number: the immediate; Relative: the target ($+N); FarPointer: offset.
    ParsedNumber number;
    uint16_t selector = 0;
    // The operand's place in the text, for messages.
    uint16_t textStart = 0;
    uint16_t textEnd = 0;
};

struct ParsedInstruction {
    uint16_t mnemonic = 0;
    bool lock = false;
    uint8_t repeat = 0;  // 0, or the prefix byte F3h (rep) / F2h (repne)
    uint8_t operandCount = 0;
    ParsedOperand operands[3];
};

// Reads `text` for the mode given. False with a message in `error`
// (kAssembleErrorSize bytes) naming the token at fault.
bool ParseInstruction(const char* text, bool is32BitMode, ParsedInstruction& out, char* error);

// The text trimmed, its blanks folded to one space, into `out` (at least
// kMaxTextLength + 1 bytes): the form quoted by "no encoding of '...'".
void TidyText(const char* text, char* out);

}  // namespace vexa::assembler
