#pragma once
// Walks a stream of bytes instruction after instruction, as a listing does:
// each instruction's address, its bytes, its decode and the target of a
// relative branch. The input comes in chunks of any size and is decoded as it
// arrives, in one buffer allocated up front: nothing is allocated per
// instruction, and memory stays the same on an input of any length.
//
// An INVALID decode takes one byte, and the walk goes on from the next. An
// instruction that would need bytes past the end of the input is given as
// truncated, with the bytes there are, and so is one found INVALID on bytes
// past the end (DecodeInstructionLayout says how far the decoder read): the
// zeros after the end are never taken for code.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "decoder/decoded_instruction.h"
#include "decoder/decoder.h"

namespace vexa::cli {

struct WalkedInstruction {
    bool is32BitMode;
    uint32_t address;       // within the mode's width: 16 or 32 bits
    const uint8_t* window;  // kDecodeWindow bytes from the first byte; 00 past the end of the input
    unsigned length;        // bytes taken: the instruction's length, 1 for INVALID, the rest when truncated
    unsigned available;     // bytes of the input in the window
    bool decodeOk;          // DecodeInstruction's result; a failed decode takes one byte
    bool truncated;
    bool hasTarget;   // a relative branch, whose absolute target is `target`
    uint32_t target;  // within the mode's width
    DecodedInstruction record;
};

class InstructionWalker {
public:
    static constexpr size_t kChunkSize = size_t{1} << 16;

    InstructionWalker(bool is32BitMode, uint32_t origin);

    // Input goes to Space(), then at most Room() bytes (after Space(), never
    // less than kChunkSize), then Commit() says how many were put there.
    uint8_t* Space();
    size_t Room() const;
    void Commit(size_t count);
    // No more input: the bytes held are walked to the end.
    void Finish();

    // The next instruction; false when the walker needs more input, or after
    // Finish when every byte has been taken. `out` stays valid until the next
    // call of any member.
    bool Next(WalkedInstruction& out);

private:
    static constexpr size_t kBufferSize = kChunkSize + kDecodeWindow;

    std::unique_ptr<uint8_t[]> buffer_;
    size_t begin_ = 0;  // the next instruction's first byte
    size_t end_ = 0;    // past the last byte held
    bool finished_ = false;
    bool is32BitMode_;
    uint32_t address_;
    uint8_t lastWindow_[kDecodeWindow] = {};  // the input's last bytes, zero-filled
};

}  // namespace vexa::cli
