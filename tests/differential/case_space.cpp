#include "tests/differential/case_space.h"

#include <cstring>
#include <initializer_list>
#include <random>
#include <vector>

#include "decoder/opcode_classes.h"

namespace vexa::diff {
namespace {

// Displacement and immediate bytes: F0 DE BC 9A reads as a negative disp8,
// disp16 and disp32; 12 34 56 78 as positive ones.
constexpr uint8_t kNegativeFiller[8] = {0xF0, 0xDE, 0xBC, 0x9A, 0x78, 0x56, 0x34, 0x12};
constexpr uint8_t kPositiveFiller[8] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};

constexpr uint8_t kPrefixes[] = {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65, 0x66, 0x67, 0xF0, 0xF2, 0xF3};

// One-byte classes whose opcode is followed by a ModR/M byte (the x87 escapes too).
bool OneByteHasModRM(uint8_t opcodeClass) {
    switch (opcodeClass) {
        case 2: case 3: case 4: case 8: case 9: case 12: case 17: case 21: case 23: case 25: case 28:
            return true;
        default:
            return false;
    }
}

// Two-byte opcodes followed by a ModR/M byte: all classes but 0, 3, 6, 8 and emms.
bool TwoByteHasModRM(uint8_t second) {
    const uint8_t c = kTwoByteClassTable[second];
    if (second == 0x77) return false;
    return !(c == 0 || c == 3 || c == 6 || c == 8);
}

class Builder {
public:
    Builder(bool is32BitMode, const CaseVisitor& visit) : visit_(visit) { current_.is32BitMode = is32BitMode; }

    // Emits head + filler (chosen by `negative`).
    void Emit(const std::vector<uint8_t>& head, bool negative, uint8_t row) {
        std::memset(current_.bytes, 0, sizeof current_.bytes);
        size_t n = head.size() < kDecodeWindow ? head.size() : kDecodeWindow;
        std::memcpy(current_.bytes, head.data(), n);
        const uint8_t* filler = negative ? kNegativeFiller : kPositiveFiller;
        for (size_t i = 0; i < sizeof kNegativeFiller && n < kDecodeWindow; ++i) current_.bytes[n++] = filler[i];
        current_.row = row;
        visit_(current_);
    }

    // Every ModR/M byte after `head`, and every SIB byte where the addressing form reads one.
    void EveryAddressing(std::vector<uint8_t> head, bool address32, uint8_t row) {
        const size_t at = head.size();
        head.push_back(0);
        for (unsigned modrm = 0; modrm < 256; ++modrm) {
            head[at] = static_cast<uint8_t>(modrm);
            const bool negative = (modrm >> 3) & 1;
            const bool sib = address32 && (modrm >> 6) != 3 && (modrm & 7) == 4;
            if (!sib) {
                Emit(head, negative, row);
                continue;
            }
            head.push_back(0);
            for (unsigned s = 0; s < 256; ++s) {
                head[at + 1] = static_cast<uint8_t>(s);
                Emit(head, negative != ((s & 1) != 0), row);
            }
            head.pop_back();
        }
    }

    // Every value of the byte after `head`.
    void EveryNextByte(std::vector<uint8_t> head, uint8_t row) {
        head.push_back(0);
        for (unsigned next = 0; next < 256; ++next) {
            head.back() = static_cast<uint8_t>(next);
            Emit(head, (next & 1) != 0, row);
        }
    }

    bool is32BitMode() const { return current_.is32BitMode; }

private:
    const CaseVisitor& visit_;
    TestCase current_{};
};

std::vector<uint8_t> Concat(const std::vector<uint8_t>& a, std::initializer_list<uint8_t> b) {
    std::vector<uint8_t> out = a;
    out.insert(out.end(), b);
    return out;
}

bool AddressIs32(bool is32BitMode, const std::vector<uint8_t>& prefixes) {
    bool override67 = false;
    for (uint8_t p : prefixes) override67 = override67 || p == 0x67;
    return is32BitMode != override67;
}

void OneByteOpcodes(Builder& b, const std::vector<uint8_t>& prefixes) {
    const bool address32 = AddressIs32(b.is32BitMode(), prefixes);
    for (unsigned opcode = 0; opcode < 256; ++opcode) {
        const uint8_t c = kOneByteClassTable[opcode];
        if (c == OpcodeClass::Prefix || c == OpcodeClass::TwoByteEscape) continue;
        const auto head = Concat(prefixes, {static_cast<uint8_t>(opcode)});
        if (OneByteHasModRM(c)) {
            b.EveryAddressing(head, address32, c);
        } else {
            b.EveryNextByte(head, c);
        }
    }
}

void TwoByteOpcodes(Builder& b, const std::vector<uint8_t>& prefixes, bool onlySse, uint8_t rowOverride) {
    const bool address32 = AddressIs32(b.is32BitMode(), prefixes);
    for (unsigned second = 0; second < 256; ++second) {
        const uint8_t c = kTwoByteClassTable[second];
        if (c == TwoByteClass::Invalid) continue;
        if (onlySse && c != TwoByteClass::SseScalar) continue;
        const uint8_t row = rowOverride ? rowOverride : static_cast<uint8_t>(Row::kTwoByteBase + c);
        const auto head = Concat(prefixes, {0x0F, static_cast<uint8_t>(second)});
        if (TwoByteHasModRM(static_cast<uint8_t>(second))) {
            b.EveryAddressing(head, address32, row);
        } else {
            b.EveryNextByte(head, row);
        }
    }
}

void RandomStrings(Builder& b, unsigned count) {
    // Fixed seed per mode: the sample is the same on every run.
    std::mt19937 random(b.is32BitMode() ? 0x7E5A32u : 0x7E5A16u);
    auto next = [&random](unsigned bound) { return static_cast<unsigned>(random() % bound); };
    std::vector<uint8_t> head;
    for (unsigned n = 0; n < count; ++n) {
        head.clear();
        unsigned prefixCount = next(5);
        if (next(32) == 0) prefixCount = 10 + next(6);  // around the 14-prefix limit
        for (unsigned i = 0; i < prefixCount; ++i) head.push_back(kPrefixes[next(sizeof kPrefixes)]);
        const unsigned pick = next(8);
        if (pick < 2) {
            head.push_back(0x0F);
        } else if (pick == 2) {
            head.push_back(static_cast<uint8_t>(0xD8 + next(8)));
        }
        while (head.size() < kDecodeWindow) head.push_back(static_cast<uint8_t>(next(256)));
        b.Emit(head, false, Row::kRandom);
    }
}

}  // namespace

const char* RowName(uint8_t row) {
    static const char* const kOneByte[29] = {
        "",
        "1: int/aam/aad imm8",
        "2: r/m, reg (d, w)",
        "3: bound/arpl/lea/les/lds",
        "4: mov r/m, imm",
        "5: in/out imm8",
        "6: push/pop segment",
        "7: ret imm16",
        "8: group 1 r/m, imm",
        "9: shifts by 1/cl; group 3",
        "10: string; in/out dx",
        "11: accumulator, imm",
        "12: pop r/m; groups 4/5",
        "13: short jcc",
        "14: loop/jcxz/short jmp",
        "15: near call/jmp",
        "16: far call/jmp ptr",
        "17: shifts by imm8",
        "18: enter",
        "19: mov reg, imm",
        "20: mov accumulator, moffs",
        "21: mov segment",
        "22: push imm",
        "23: imul reg, r/m, imm",
        "24: (0F escape)",
        "25: x87 escapes D8-DF",
        "26: register in opcode",
        "27: no operands",
        "28: test/xchg r/m, reg",
    };
    static const char* const kTwoByte[14] = {
        "0F 0: bswap",
        "0F 1: bt group imm8",
        "0F 2: mov cr/dr",
        "0F 3: push/pop fs/gs",
        "0F 4: shld/shrd imm8",
        "0F 5: cmpxchg/xadd/movzx/movsx",
        "0F 6: no operands",
        "0F 7: cmovcc",
        "0F 8: near jcc",
        "0F 9: setcc",
        "0F 10: groups 6/7, cmpxchg8b",
        "0F 11: reg, r/m by name",
        "0F 12: MMX",
        "0F 13: SSE class, no F3/F2",
    };
    if (row < Row::kTwoByteBase) return kOneByte[row];
    if (row < Row::kRepeatPrefixedSse) return kTwoByte[row - Row::kTwoByteBase];
    if (row == Row::kRepeatPrefixedSse) return "0F 13 with F3 (scalar) or F2";
    if (row == Row::kRandom) return "random prefixed strings";
    return "?";
}

void ForEachCaseOfMode(bool is32BitMode, unsigned randomCount, const CaseVisitor& visit) {
    Builder b(is32BitMode, visit);
    const std::vector<std::vector<uint8_t>> sizePrefixes = {{}, {0x66}, {0x67}, {0x66, 0x67}};
    for (const auto& prefixes : sizePrefixes) {
        OneByteOpcodes(b, prefixes);
        TwoByteOpcodes(b, prefixes, false, 0);
    }
    // The scalar forms: F3 right before 0F, with 66h/67h before it; 66h between
    // F3 and 0F; and F2.
    const std::vector<std::vector<uint8_t>> repeatPrefixes = {
        {0xF3}, {0x66, 0xF3}, {0x67, 0xF3}, {0x66, 0x67, 0xF3}, {0xF3, 0x66}, {0xF2},
    };
    for (const auto& prefixes : repeatPrefixes) TwoByteOpcodes(b, prefixes, true, Row::kRepeatPrefixedSse);
    RandomStrings(b, randomCount);
}

void ForEachCase(unsigned randomPerMode, const CaseVisitor& visit) {
    ForEachCaseOfMode(false, randomPerMode, visit);
    ForEachCaseOfMode(true, randomPerMode, visit);
}

}  // namespace vexa::diff
