#pragma once
// One decoded case: the bytes, what Vexa and Zydis made of them, how they
// compare, and the encoding fields the classification of a difference looks at.
#include "decoder/decoded_instruction.h"
#include "tests/differential/case_space.h"
#include "tests/differential/comparison.h"
#include "tests/differential/normalized_instruction.h"
#include "tests/differential/zydis_view.h"

namespace vexa::diff {

// The prefixes and opcode bytes of a string, read with Vexa's prefix set.
struct Encoding {
    unsigned prefixCount = 0;
    bool has66 = false;
    bool has67 = false;
    bool hasLock = false;
    bool hasF2 = false;
    bool hasF3 = false;
    bool scalarPrefix = false;  // the last repeat prefix is F3 and stands right before the opcode
    uint8_t lastRepeat = 0;     // F2, F3 or 0
    uint8_t opcode = 0;         // first byte that is not a prefix
    bool twoByte = false;
    uint8_t second = 0;         // the byte after 0Fh
    uint8_t subClass = 0;       // its two-byte class
    uint8_t modrm = 0;          // the byte after the opcode byte(s)
    uint8_t mod = 0, reg = 0, rm = 0;
};

Encoding ReadEncoding(const uint8_t* bytes);

struct CaseResult {
    TestCase testCase{};
    DecodedInstruction record{};
    NormalizedInstruction vexa;
    ZydisDecode zydis;
    Comparison comparison;
    Encoding encoding;
};

// Decodes the case with both decoders and compares.
void DecodeCase(const TestCase& testCase, const ZydisPeer& zydis, CaseResult& out);

}  // namespace vexa::diff
