#pragma once
// The general-purpose decoders Vexa is measured against, set up for 32-bit
// code: Zydis (full decode, Intel formatter) and Capstone (text, with or
// without operand detail).
#include <Zydis/Zydis.h>
#include <capstone/capstone.h>

#include <cstddef>
#include <cstdint>

namespace vexa::bench {

struct ZydisPeer {
    ZydisDecoder decoder;
    ZydisFormatter formatter;

    ZydisPeer();
    // Length of the instruction at `bytes` (at most `size` bytes read), 0 when
    // Zydis does not decode it.
    unsigned Length(const uint8_t* bytes, size_t size) const;
};

class CapstonePeer {
public:
    explicit CapstonePeer(bool detail);
    ~CapstonePeer();
    CapstonePeer(const CapstonePeer&) = delete;
    CapstonePeer& operator=(const CapstonePeer&) = delete;

    bool ok() const { return insn_ != nullptr; }
    csh handle() const { return handle_; }
    cs_insn* insn() const { return insn_; }
    // Length of the instruction at `bytes` (exactly `size` bytes offered), 0
    // when Capstone does not decode it.
    unsigned Length(const uint8_t* bytes, size_t size) const;

private:
    csh handle_ = 0;
    cs_insn* insn_ = nullptr;
};

}  // namespace vexa::bench
