// The layout call beside DecodeInstruction: the same record and result for
// every encoding, spans that lie in order and add up to the length, and for
// one instruction of each kind of part, origin, reg-field use and invalid
// cause, the layout written out.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "decoder/decoder.h"
#include "decoder/encoding_layout.h"
#include "tests/prefix_run_windows.h"
#include "tests/test_support.h"

namespace vexa {
namespace {

std::string Span(const char* name, ByteSpan span, bool withCount = true) {
    char text[32];
    if (withCount) {
        std::snprintf(text, sizeof text, " %s@%u+%u", name, span.offset, span.count);
    } else {
        std::snprintf(text, sizeof text, " %s@%u", name, span.offset);
    }
    return text;
}

// "p1 op@1+1 modrm@2 sib@3 disp@4+4 imm@8+2 slots=rm,data regfield=ext len=10"
std::string LayoutText(const EncodingLayout& l) {
    static const char* const kMeanings[] = {"?", "imm", "simm8", "rel", "moffs", "const", "ptr", "sel"};
    static const char* const kOrigins[] = {"-", "reg", "rm", "opreg", "implied", "data", "data1"};
    static const char* const kUses[] = {"", "op", "ext", "unused"};
    static const char* const kCauses[] = {"",
                                          "too-many-prefixes",
                                          "too-long",
                                          "unknown-opcode",
                                          "reserved-reg",
                                          "no-such-cr",
                                          "register-for-memory",
                                          "memory-for-register",
                                          "fpu",
                                          "mmx",
                                          "sse"};
    std::string text;
    if (l.prefixCount != 0) text += " p" + std::to_string(l.prefixCount);
    if (l.opcode.count != 0) text += Span("op", l.opcode);
    if (l.modRM.count != 0) text += Span("modrm", l.modRM, false);
    if (l.sib.count != 0) text += Span("sib", l.sib, false);
    if (l.displacement.count != 0) text += Span("disp", l.displacement);
    for (unsigned run = 0; run < l.dataCount && run < 2; ++run) {
        text += Span(kMeanings[l.dataMeaning[run]], l.data[run]);
    }
    std::string slots;
    for (uint8_t origin : l.operandOrigin) {
        if (origin != OperandOrigin::None) slots += std::string(slots.empty() ? "" : ",") + kOrigins[origin];
    }
    if (!slots.empty()) text += " slots=" + slots;
    if (l.regFieldUse != RegFieldUse::None) {
        text += std::string(" regfield=") + kUses[l.regFieldUse];
        if (l.regFieldUse == RegFieldUse::Operand) text += std::to_string(l.regFieldOperand);
    }
    if (l.invalidCause != InvalidCause::None) text += std::string(" invalid=") + kCauses[l.invalidCause];
    text += " len=" + std::to_string(l.length);
    return text.substr(1);
}

struct LayoutCase {
    std::vector<uint8_t> bytes;
    bool is32BitMode;
    const char* expected;
};

std::vector<uint8_t> Prefixed(unsigned count, uint8_t prefix, std::vector<uint8_t> rest) {
    std::vector<uint8_t> bytes(count, prefix);
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

const LayoutCase kLayoutCases[] = {
    // Operands from the reg and r/m fields, with SIB and displacement.
    {{0x01, 0xD8}, true, "op@0+1 modrm@1 slots=rm,reg regfield=op1 len=2"},
    {{0x8B, 0x46, 0xFE}, false, "op@0+1 modrm@1 disp@2+1 slots=reg,rm regfield=op0 len=3"},
    {{0x66, 0x81, 0x84, 0x88, 1, 2, 3, 4, 5, 6}, true,
     "p1 op@1+1 modrm@2 sib@3 disp@4+4 imm@8+2 slots=rm,data regfield=ext len=10"},
    // Each kind of data run.
    {{0x83, 0xC0, 0xFF}, true, "op@0+1 modrm@1 simm8@2+1 slots=rm,data regfield=ext len=3"},
    {{0xE8, 0, 0, 0, 0}, true, "op@0+1 rel@1+4 slots=data len=5"},
    {{0x0F, 0x84, 0x10, 0x00}, false, "op@0+2 rel@2+2 slots=data len=4"},
    {{0xA1, 0x44, 0x33, 0x22, 0x11}, true, "op@0+1 moffs@1+4 slots=implied,data len=5"},
    {{0xC2, 0x08, 0x00}, true, "op@0+1 const@1+2 slots=data len=3"},
    {{0x9A, 0x78, 0x56, 0x34, 0x12, 0xCD, 0xAB}, true, "op@0+1 ptr@1+4 sel@5+2 slots=data len=7"},
    {{0x66, 0xEA, 0x34, 0x12, 0xCD, 0xAB}, true, "p1 op@1+1 ptr@2+2 sel@4+2 slots=data len=6"},
    {{0xC8, 0x10, 0x00, 0x02}, true, "op@0+1 imm@1+2 imm@3+1 slots=data,data1 len=4"},
    // Registers in the opcode and implied ones.
    {{0x40}, true, "op@0+1 slots=opreg len=1"},
    {{0x93}, false, "op@0+1 slots=implied,opreg len=1"},
    {{0x0F, 0xA8}, true, "op@0+2 slots=opreg len=2"},
    {{0xD1, 0xE0}, true, "op@0+1 modrm@1 slots=rm,implied regfield=ext len=2"},
    {{0xEE}, true, "op@0+1 slots=implied,implied len=1"},
    {{0x0F, 0xA5, 0xC3}, true, "op@0+2 modrm@2 slots=rm,reg,implied regfield=op1 len=3"},
    // The irregular opcodes, and forms named apart from their opcode table.
    {{0xDE, 0xC1}, true, "op@0+1 modrm@1 slots=rm,implied regfield=ext len=2"},
    {{0xD9, 0xE8}, true, "op@0+1 modrm@1 regfield=ext len=2"},
    {{0xDF, 0xE0}, true, "op@0+1 modrm@1 slots=implied regfield=ext len=2"},
    {{0xDD, 0x5C, 0x24, 0x08}, true, "op@0+1 modrm@1 sib@2 disp@3+1 slots=rm regfield=ext len=4"},
    {{0x0F, 0x01, 0xC0}, true, "op@0+2 modrm@2 slots=rm regfield=ext len=3"},
    {{0xF3, 0x0F, 0xC2, 0xC1, 0x01}, true, "p1 op@1+2 modrm@3 imm@4+1 slots=reg,rm,data regfield=op0 len=5"},
    {{0x0F, 0x58, 0xC1}, true, "op@0+2 modrm@2 regfield=unused len=3"},
    {{0x0F, 0x72, 0xD0, 0x03}, true, "op@0+2 modrm@2 imm@3+1 slots=rm,data regfield=ext len=4"},
    // Every cause of INVALID, with what was read.
    {Prefixed(15, 0x66, {0x90}), true, "p15 invalid=too-many-prefixes len=15"},
    {Prefixed(14, 0x3E, {0x81, 0x84, 0x88, 1, 2, 3, 4, 5, 6, 7, 8}), true,
     "p14 op@14+1 modrm@15 sib@16 disp@17+4 imm@21+4 slots=rm,data regfield=ext invalid=too-long len=25"},
    {Prefixed(12, 0x2E, {0xC8, 1, 2, 3}), true,
     "p12 op@12+1 imm@13+2 imm@15+1 slots=data,data1 invalid=too-long len=16"},
    {{0x0F, 0x04, 0x00}, true, "op@0+2 modrm@2 regfield=unused invalid=unknown-opcode len=3"},
    {{0xFE, 0x10}, true, "op@0+1 modrm@1 regfield=ext invalid=reserved-reg len=2"},
    {{0xC6, 0x48, 0x10, 0x01}, true, "op@0+1 modrm@1 disp@2+1 regfield=ext invalid=reserved-reg len=3"},
    {{0x0F, 0x00, 0x30}, false, "op@0+2 modrm@2 regfield=ext invalid=reserved-reg len=3"},
    {{0x0F, 0x20, 0xC8}, true, "op@0+2 modrm@2 regfield=op1 invalid=no-such-cr len=3"},
    {{0x8D, 0xC0}, true, "op@0+1 modrm@1 regfield=op0 invalid=register-for-memory len=2"},
    {{0xFF, 0xD8}, true, "op@0+1 modrm@1 regfield=ext invalid=register-for-memory len=2"},
    {{0x0F, 0xC7, 0xC8}, true, "op@0+2 modrm@2 regfield=ext invalid=register-for-memory len=3"},
    {{0x0F, 0xC7, 0x00}, true, "op@0+2 modrm@2 regfield=ext invalid=reserved-reg len=3"},
    {{0x0F, 0x22, 0x00}, true, "op@0+2 modrm@2 regfield=op0 invalid=memory-for-register len=3"},
    {{0xD9, 0x08}, true, "op@0+1 modrm@1 regfield=ext invalid=fpu len=2"},
    {{0xD9, 0xD8}, true, "op@0+1 modrm@1 regfield=ext invalid=fpu len=2"},
    {{0x0F, 0x71, 0xC0, 0x01}, true, "op@0+2 modrm@2 regfield=ext invalid=mmx len=3"},
    {{0xF3, 0x0F, 0x55, 0xC0}, true, "p1 op@1+2 modrm@3 regfield=unused invalid=sse len=4"},
};

TEST(EncodingLayout, DescribesEachKindOfPart) {
    for (const LayoutCase& c : kLayoutCases) {
        uint8_t window[kDecodeWindow] = {};
        std::memcpy(window, c.bytes.data(), c.bytes.size() < kDecodeWindow ? c.bytes.size() : kDecodeWindow);
        DecodedInstruction record{};
        EncodingLayout layout{};
        ASSERT_TRUE(DecodeInstructionLayout(window, &record, &layout, c.is32BitMode));
        EXPECT_EQ(LayoutText(layout), c.expected) << test::HexBytes(c.bytes);
    }
}

TEST(EncodingLayout, RefusesNullPointers) {
    const uint8_t window[kDecodeWindow] = {0x90};
    DecodedInstruction record{};
    EncodingLayout layout{};
    EXPECT_FALSE(DecodeInstructionLayout(window, &record, nullptr, true));
    EXPECT_FALSE(DecodeInstructionLayout(nullptr, &record, &layout, true));
    EXPECT_FALSE(DecodeInstructionLayout(window, nullptr, &layout, true));
    EXPECT_EQ(layout.length, 0);
}

// What must hold between a layout and its record; empty when all of it holds.
std::string BrokenAgreement(const DecodedInstruction& r, const EncodingLayout& l) {
    // The parts lie in order, each right after the one before.
    unsigned at = l.prefixCount;
    const ByteSpan parts[] = {l.opcode, l.modRM, l.sib, l.displacement, l.data[0], l.data[1]};
    for (const ByteSpan& part : parts) {
        if (part.count == 0) continue;
        if (part.offset != at) return "parts out of order";
        at += part.count;
    }
    if (at != l.length) return "the parts do not add up to the length";
    if (IsInvalid(r) != (l.invalidCause != InvalidCause::None)) return "invalid cause disagrees with the record";
    if (l.invalidCause == InvalidCause::TooLong) {
        if (l.length <= kMaxInstructionLength) return "too long at 15 bytes or fewer";
    } else if (IsInvalid(r)) {
        if (l.dataCount != 0) return "data read for an invalid encoding";
        return "";
    } else if (l.length != InstructionLength(r)) {
        return "length differs from the record's";
    }
    if ((l.modRM.count != 0) != HasModRM(r) || (l.sib.count != 0) != HasSIB(r)) return "ModR/M or SIB disagrees";
    if ((l.regFieldUse != RegFieldUse::None) != HasModRM(r)) return "reg field use without a ModR/M byte";
    for (unsigned slot = 0; slot < 3; ++slot) {
        const OperandDescriptor& o = r.operands[slot];
        const uint8_t origin = l.operandOrigin[slot];
        if ((slot < r.operandCount) != (origin != OperandOrigin::None)) {
            return "a slot's origin disagrees with the count";
        }
        if (l.regFieldUse == RegFieldUse::Operand && l.regFieldOperand == slot && origin != OperandOrigin::ModRMReg) {
            return "the reg field's slot is not from the reg field";
        }
        if (origin == OperandOrigin::ModRMRm && o.kind == OperandKind::Memory &&
            o.dispSize != l.displacement.count) {
            return "displacement size differs";
        }
        if (origin == OperandOrigin::Data) {
            const unsigned runs = l.dataCount == 2 && l.operandOrigin[1] != OperandOrigin::Data1 ? 2 : 1;
            const unsigned bytes = l.data[0].count + (runs == 2 ? l.data[1].count : 0);
            const unsigned recorded = o.kind == OperandKind::Immediate ? o.immSize : o.dispSize;
            const bool widened = l.dataMeaning[0] == DataMeaning::SignExtendedImm8;
            if (widened ? bytes != 1 : bytes != recorded) return "data run size differs from the operand's";
        }
        if (origin == OperandOrigin::Data1 && l.data[1].count != o.immSize) return "second run size differs";
    }
    return "";
}

// The prefix runs and SIB shapes of the straight-line test, over every
// opcode and ModR/M byte in both modes.
TEST(EncodingLayout, AgreesWithTheRecordForEveryEncoding) {
    struct Run {
        uint8_t count;
        uint8_t bytes[14];
    };
    static constexpr Run kRuns[] = {
        {0, {}},
        {1, {0x66}},
        {1, {0x67}},
        {2, {0x66, 0x67}},
        {1, {0xF3}},
        {2, {0xF2, 0xF0}},
        {14, {0x66, 0x67, 0x2E, 0x36, 0x3E, 0x26, 0x64, 0x65, 0xF0, 0xF2, 0xF3, 0x66, 0x67, 0x3E}},
    };
    unsigned checked = 0;
    bool agreed = true;
    for (bool is32BitMode : {false, true}) {
        for (const Run& run : kRuns) {
            test::ForEachPrefixRunWindow(run.bytes, run.count, [&](const uint8_t* window) {
                DecodedInstruction plain, withLayout;
                std::memset(&plain, 0xA5, sizeof plain);
                std::memset(&withLayout, 0x5A, sizeof withLayout);
                EncodingLayout layout;
                std::memset(&layout, 0xA5, sizeof layout);
                const bool plainOk = DecodeInstruction(window, &plain, is32BitMode);
                const bool layoutOk = DecodeInstructionLayout(window, &withLayout, &layout, is32BitMode);
                ++checked;
                std::string broken;
                if (plainOk != layoutOk || !test::SameRecord(plain, withLayout)) {
                    broken = "records differ";
                } else {
                    broken = BrokenAgreement(withLayout, layout);
                }
                if (broken.empty()) return true;
                ADD_FAILURE() << broken << " for "
                              << test::HexBytes(std::vector<uint8_t>(window, window + kDecodeWindow))
                              << (is32BitMode ? "(32-bit mode)" : "(16-bit mode)") << ": " << LayoutText(layout);
                return agreed = false;
            });
            if (!agreed) return;
        }
    }
    EXPECT_GT(checked, 7'000'000u);
}

}  // namespace
}  // namespace vexa
