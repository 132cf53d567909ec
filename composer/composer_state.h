#pragma once
// The instruction under construction: the five bytes edited bit by bit, which of
// the optional parts are in use, the case switch, the decoding mode and the
// record of the most recent decode.
#include <cstdint>

#include "decoder/decoded_instruction.h"

namespace vexa {

// The five bit-button rows, top-left to bottom-right.
enum class ComposerByte : uint8_t { Opcode1, Opcode2, Opcode3, ModRM, Sib };
constexpr unsigned kComposerByteCount = 5;

// The optional parts of the instruction; each has a flag here and a set of
// controls in the dialog that are enabled exactly while the flag is set.
enum class ComposerGroup : uint8_t { Opcode2, Opcode3, ModRM, Sib, Displacement, Immediate };
constexpr unsigned kComposerGroupCount = 6;

struct ComposerState {
    uint8_t opcode1 = 0;
    uint8_t opcode2 = 0;  // the byte after the 0Fh escape
    uint8_t opcode3 = 0;  // kept and toggled, never in use
    uint8_t modrm = 0;
    uint8_t sib = 0;

    bool opcode2Used = false;
    bool opcode3Used = false;  // nothing sets it
    bool modrmUsed = false;
    bool sibUsed = false;  // only together with modrmUsed
    bool dispUsed = false;
    bool immUsed = false;

    bool upperCase = false;
    // Decoding mode of this composer (32-bit default sizes when set); passed to
    // every decode, so the composer never depends on the global flag.
    bool mode32 = false;

    // The most recent decode; the display pass's decode is the one left here.
    DecodedInstruction decoded{};
};

uint8_t& ByteOf(ComposerState& state, ComposerByte which);
uint8_t ByteOf(const ComposerState& state, ComposerByte which);
bool& GroupFlag(ComposerState& state, ComposerGroup group);
bool GroupFlag(const ComposerState& state, ComposerGroup group);

}  // namespace vexa
