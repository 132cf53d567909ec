#pragma once
// The windows of the prefix-run sweep: every opcode (one-byte and after 0Fh)
// x every ModR/M x four SIB shapes behind a run of prefixes, the rest of the
// window a fixed varying filler, so that displacements and immediates differ.
#include <cstdint>

#include "decoder/decoder.h"

namespace vexa::test {

// Calls `visit(window)` for each window; stops when it returns false.
template <class Visit>
void ForEachPrefixRunWindow(const uint8_t* run, unsigned count, Visit&& visit) {
    static constexpr uint8_t kSibBytes[] = {0x25, 0x65, 0xA4, 0xDC};
    for (unsigned twoByte = 0; twoByte < 2; ++twoByte) {
        for (unsigned opcode = 0; opcode < 256; ++opcode) {
            for (unsigned modrm = 0; modrm < 256; ++modrm) {
                for (uint8_t sib : kSibBytes) {
                    uint8_t window[kDecodeWindow];
                    unsigned n = 0;
                    for (unsigned i = 0; i < count; ++i) window[n++] = run[i];
                    if (twoByte != 0) window[n++] = 0x0F;
                    window[n++] = static_cast<uint8_t>(opcode);
                    window[n++] = static_cast<uint8_t>(modrm);
                    window[n++] = sib;
                    for (uint8_t filler = 0x81; n < kDecodeWindow; filler = static_cast<uint8_t>(filler + 0x3B)) {
                        window[n++] = filler;
                    }
                    if (!visit(window)) return;
                }
            }
        }
    }
}

}  // namespace vexa::test
