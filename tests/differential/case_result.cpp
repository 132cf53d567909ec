#include "tests/differential/case_result.h"

#include "decoder/decoder.h"
#include "decoder/opcode_classes.h"
#include "tests/differential/vexa_view.h"

namespace vexa::diff {

Encoding ReadEncoding(const uint8_t* bytes) {
    Encoding e;
    unsigned i = 0;
    while (i + 1 < kDecodeWindow && kOneByteClassTable[bytes[i]] == OpcodeClass::Prefix) {
        switch (bytes[i]) {
            case 0x66: e.has66 = true; break;
            case 0x67: e.has67 = true; break;
            case 0xF0: e.hasLock = true; break;
            case 0xF2: e.hasF2 = true; e.lastRepeat = 0xF2; break;
            case 0xF3: e.hasF3 = true; e.lastRepeat = 0xF3; break;
            default: break;
        }
        ++i;
    }
    e.prefixCount = i;
    e.opcode = bytes[i];
    unsigned modrmAt = i + 1;
    if (e.opcode == 0x0F && i + 1 < kDecodeWindow) {
        e.twoByte = true;
        e.second = bytes[i + 1];
        e.subClass = kTwoByteClassTable[e.second];
        modrmAt = i + 2;
        e.scalarPrefix = e.lastRepeat == 0xF3 && i > 0 && bytes[i - 1] == 0xF3;
    }
    if (modrmAt < kDecodeWindow) {
        e.modrm = bytes[modrmAt];
        e.mod = e.modrm >> 6;
        e.reg = (e.modrm >> 3) & 7;
        e.rm = e.modrm & 7;
    }
    return e;
}

void DecodeCase(const TestCase& testCase, const ZydisPeer& zydis, CaseResult& out) {
    out.testCase = testCase;
    out.record = DecodedInstruction{};
    const bool ok = DecodeInstruction(testCase.bytes, &out.record, testCase.is32BitMode);
    out.vexa = NormalizeVexa(out.record);
    if (!ok) {
        // A decode that reports failure is never an agreement.
        out.vexa.valid = true;
        out.vexa.mnemonic = "(decode error)";
    }
    zydis.Decode(testCase.bytes, kDecodeWindow, testCase.is32BitMode, out.zydis);
    out.comparison = Compare(out.vexa, out.zydis.normalized);
    out.encoding = ReadEncoding(testCase.bytes);
}

}  // namespace vexa::diff
