#pragma once
// One candidate filled in with one parsed instruction: the bytes, then the
// check that they decode and format to the text the input stands for.
#include <cstdint>

#include "assembler/decoder_view.h"
#include "assembler/encoding_index.h"
#include "assembler/parsed_instruction.h"
#include "decoder/decoder.h"

namespace vexa::assembler {

// Why a candidate gave no encoding; the assembler's message is chosen from the
// reasons of all candidates.
enum class Miss : uint8_t {
    None,
    Shape,         // an operand of another kind, register or form
    Variant,       // the address variant asked for does not apply
    MemorySize,    // everything fits but the size keyword
    ImmediateFit,  // everything fits but an immediate's value
    Check,         // the bytes decode to another text (a relative target out of range, ...)
};

struct Encoded {
    uint8_t bytes[kMaxInstructionLength];
    uint8_t length;
    uint8_t prefixCount;
    uint8_t immediateBytes;  // bytes of its immediates (the tie rule prefers fewer)
    uint8_t memorySize;  // of the memory operand, as decoded (for the ambiguity check)
    char line[kLineSize];  // the decoded instruction line
};

// The address forms one memory operand can take: 0 the shortest; 1 with a
// wider displacement; 2 through a SIB byte without an index; 3 both.
constexpr unsigned kAddressVariants = 4;

struct MissDetail {
    uint8_t fitBits = 0;     // ImmediateFit: the width the value missed
    uint8_t fitOperand = 0;  // and the operand whose value it is
};

// The bytes of a candidate before the check.
struct Pending {
    uint8_t bytes[kMaxInstructionLength];
    uint8_t length;
    uint8_t prefixCount;
    uint8_t immediateBytes;
    uint8_t shownRepeat;  // the repeat word the text shows (0, F3h, F2h)
    uint8_t segment;
};

// The most candidates of one mnemonic with the same operand kinds (16 in
// either mode; a test keeps the tables within it).
constexpr unsigned kMaxPending = 64;

// Fills in the candidate; false with the reason when it cannot take the text.
bool BuildCandidate(const Candidate& c, const ParsedInstruction& p, bool is32BitMode, unsigned variant, Pending& out,
                    Miss& miss, MissDetail& detail);

// The check: true when the bytes decode, at their length, to the line of the
// text; `line` (kLineSize bytes) then holds it and `memorySize` the size of
// the memory operand as decoded (0 for none).
bool CheckCandidate(const ParsedInstruction& p, bool is32BitMode, const Pending& pending, char* line,
                    uint8_t* memorySize);

// Both steps.
bool EncodeCandidate(const Candidate& c, const ParsedInstruction& p, bool is32BitMode, unsigned variant, Encoded& out,
                     Miss& miss, MissDetail& detail);

// True when `bytes` decode in the mode to a named instruction whose line is
// `line` and whose length is `length`.
bool DecodesTo(const uint8_t* bytes, unsigned length, bool is32BitMode, const char* line);

}  // namespace vexa::assembler
