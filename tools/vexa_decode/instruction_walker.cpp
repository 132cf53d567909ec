#include "tools/vexa_decode/instruction_walker.h"

#include <algorithm>
#include <cstring>

#include "decoder/encoding_layout.h"

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
    // Near the end, the layout says how far the decoder read: past the end,
    // the instruction (or what made it INVALID) rests on bytes that are not there.
    EncodingLayout layout{};
    out.decodeOk = left < kDecodeWindow ? DecodeInstructionLayout(window, &out.record, &layout, is32BitMode_)
                                        : DecodeInstruction(window, &out.record, is32BitMode_);
    const bool invalid = !out.decodeOk || IsInvalid(out.record);
    const unsigned length = invalid ? 1 : std::max(1u, InstructionLength(out.record));
    out.truncated = length > left || (invalid && layout.length > left && left < kMaxInstructionLength);
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
