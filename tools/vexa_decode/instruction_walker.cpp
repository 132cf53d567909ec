#include "tools/vexa_decode/instruction_walker.h"

#include <algorithm>
#include <cstring>

namespace vexa::cli {
namespace {

uint32_t WidthMask(bool is32BitMode) { return is32BitMode ? 0xFFFFFFFFu : 0xFFFFu; }

int32_t SignExtend(uint32_t value, unsigned bytes) {
    switch (bytes) {
        case 1: return static_cast<int8_t>(value);
        case 2: return static_cast<int16_t>(value);
        default: return static_cast<int32_t>(value);
    }
}

// An INVALID decode of the input's last `available` bytes that rests on the
// zeros after them: some value of the first missing byte makes an instruction.
// Past 14 bytes nothing missing can make one valid: it would be too long.
bool ValidWithMoreBytes(const uint8_t* window, unsigned available, bool is32BitMode) {
    if (available >= kMaxInstructionLength) return false;
    uint8_t variant[kDecodeWindow];
    std::memcpy(variant, window, kDecodeWindow);
    DecodedInstruction record;
    for (unsigned value = 0; value < 256; ++value) {
        variant[available] = static_cast<uint8_t>(value);
        if (DecodeInstruction(variant, &record, is32BitMode) && !IsInvalid(record)) return true;
    }
    return false;
}

}  // namespace

InstructionWalker::InstructionWalker(bool is32BitMode, uint32_t origin)
    : buffer_(new uint8_t[kBufferSize]), is32BitMode_(is32BitMode), address_(origin & WidthMask(is32BitMode)) {}

uint8_t* InstructionWalker::Space() {
    // What is left is shorter than a decode window: move it to the front.
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    return buffer_.get() + end_;
}

size_t InstructionWalker::Room() const { return kBufferSize - end_; }

void InstructionWalker::Commit(size_t count) { end_ += std::min(count, Room()); }

void InstructionWalker::Finish() { finished_ = true; }

bool InstructionWalker::Next(WalkedInstruction& out) {
    const size_t left = end_ - begin_;
    if (left == 0 || (left < kDecodeWindow && !finished_)) return false;
    const uint8_t* window = buffer_.get() + begin_;
    if (left < kDecodeWindow) {
        std::memset(lastWindow_, 0, sizeof lastWindow_);
        std::memcpy(lastWindow_, window, left);
        window = lastWindow_;
    }
    out.is32BitMode = is32BitMode_;
    out.address = address_;
    out.window = window;
    out.available = static_cast<unsigned>(std::min(left, kDecodeWindow));
    out.decodeOk = DecodeInstruction(window, &out.record, is32BitMode_);
    const bool invalid = !out.decodeOk || IsInvalid(out.record);
    const unsigned length = invalid ? 1 : std::max(1u, InstructionLength(out.record));
    out.truncated = length > left || (invalid && out.decodeOk && left < kDecodeWindow &&
                                      ValidWithMoreBytes(window, out.available, is32BitMode_));
    out.length = out.truncated ? static_cast<unsigned>(left) : length;
    // A relative branch has that one operand.
    const OperandDescriptor& operand = out.record.operands[0];
    out.hasTarget = !invalid && !out.truncated && operand.kind == OperandKind::Relative && out.record.operandCount == 1;
    if (out.hasTarget) {
        out.target = (address_ + length + static_cast<uint32_t>(SignExtend(operand.disp, operand.dispSize))) &
                     WidthMask(is32BitMode_);
    }
    begin_ += out.length;
    address_ = (address_ + out.length) & WidthMask(is32BitMode_);
    return true;
}

}  // namespace vexa::cli
