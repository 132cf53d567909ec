#pragma once
// The bytes of one decoded instruction in order, grouped by role: prefixes,
// opcode byte(s), ModR/M, SIB, displacement and immediate bytes. Built after
// the decode from the bytes and the record, never inside the decoder.
#include <array>
#include <cstddef>
#include <cstdint>

#include "decoder/decoded_instruction.h"
#include "decoder/decoder.h"

namespace vexa::cli {

// The decode window and what the decoder made of it.
struct DecodedWindow {
    const uint8_t* window;  // kDecodeWindow bytes
    size_t givenCount;      // bytes the user gave; the rest of the window is 00
    bool is32BitMode;
    const DecodedInstruction* record;
};

// The role of a group of bytes, as peer tools name them.
enum class ByteRole : uint8_t { Prefix, Opcode, ModRM, Sib, Displacement, Immediate, Invalid, Unaccounted };

// What a group of bytes holds, finer than its role.
enum class ByteMeaning : uint8_t {
    Prefix,
    Opcode,        // a one-byte opcode
    Escape,        // 0Fh
    SecondOpcode,  // the byte after 0Fh
    ModRM,
    Sib,
    AddressDisplacement,  // the displacement of a ModR/M memory operand
    BranchDisplacement,   // a relative branch target
    MemoryOffset,         // the offset of mov accumulator, [offset]
    Constant,             // retn/retf imm16
    PointerOffset,        // the offset of a far pointer
    PointerSelector,      // the selector of a far pointer
    Immediate,
    SignExtendedImm8,  // an imm8 the record holds widened
    Invalid,           // the one byte an INVALID result is counted as
    Unaccounted,       // bytes the layout could not place (never expected)
};

ByteRole RoleOf(ByteMeaning meaning);

struct ByteGroup {
    uint8_t offset;  // position of the first byte in the window
    uint8_t count;
    ByteMeaning meaning;
    int8_t operand;  // the record's operand slot the bytes feed, or -1
};

// At most 15 prefixes and 10 further groups.
struct ByteLayout {
    std::array<ByteGroup, 26> groups{};
    unsigned groupCount = 0;
    // The record whose operand slots the groups name (for an instruction that
    // is invalid only for its length, the decode with fewer prefixes).
    DecodedInstruction source{};

    unsigned ByteCount() const;
    void Append(unsigned count, ByteMeaning meaning, int operand = -1);
};

// The ModR/M byte at `modrm` read on its own: the r/m operand it names (a
// register number or a memory operand) and whether a SIB byte and how many
// displacement bytes follow it.
struct ModRMReading {
    OperandDescriptor rm{};
    bool sib = false;
    unsigned displacementBytes = 0;
};
ModRMReading ReadModRM(const uint8_t* modrm, bool address32);

// Prefix bytes at the start of the window, at most 15 (a fifteenth prefix
// makes the instruction invalid).
unsigned CountPrefixes(const uint8_t* window);

// The groups of a decoded instruction; they add up to its length. For an
// INVALID result this is the one byte it is counted as.
ByteLayout LayoutOfInstruction(const DecodedWindow& decoded);

// The groups of what the decoder read before it found the bytes invalid.
ByteLayout LayoutOfBytesRead(const DecodedWindow& decoded);

// Decodes the instruction again with its prefixes cut down to those that
// change how it decodes (the last 66h, 67h and F2h/F3h and the last prefix
// byte), so an instruction that is invalid only for its length decodes, and
// one invalid for another reason can be decoded again with a field changed
// without running over 15 bytes. `window` holds the shortened bytes, `record`
// their decode when `ok`; `removed` is the number of prefixes left out.
struct ShortenedDecode {
    bool ok = false;
    unsigned removed = 0;
    std::array<uint8_t, kDecodeWindow> window{};
    DecodedInstruction record{};
};
ShortenedDecode DecodeWithFewerPrefixes(const DecodedWindow& decoded);

}  // namespace vexa::cli
