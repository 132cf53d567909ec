// vexa-decode --explain: byte roles, opcode fields, ModR/M and SIB meanings,
// prefixes and sizes, the reasons for INVALID, and sweeps showing that the
// byte roles always add up and carry the values the record holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "decoder/decoder.h"
#include "decoder/encoding_layout.h"
#include "decoder/opcode_classes.h"
#include "tools/vexa_decode/decode_result.h"
#include "tools/vexa_decode/explanation.h"
#include "tools/vexa_decode/options.h"
#include "tools/vexa_decode/terminal_colour.h"

namespace vexa::cli {
namespace {

constexpr bool k16 = false;
constexpr bool k32 = true;

std::string Explain(const char* hex, bool is32, bool colour = false) {
    HexBytes bytes;
    HexParseError error;
    EXPECT_TRUE(ParseHexLine(hex, bytes, error)) << hex;
    DecodeResult result;
    DecodeBytes(bytes, is32, false, result);
    std::string out;
    AppendExplanation(out, bytes, result, colour);
    return out;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// The lines of the section whose heading starts with `heading`, up to the next heading.
std::vector<std::string> Section(const std::string& text, const std::string& heading) {
    std::vector<std::string> section;
    bool inside = false;
    for (const std::string& line : Lines(text)) {
        if (line.rfind("  ", 0) != 0)
            inside = line.rfind(heading, 0) == 0;
        else if (inside)
            section.push_back(line);
    }
    return section;
}

// "P O M S D I2": one token per group of the "bytes" (or "read") list, by
// what its description says, with the byte count when above one.
std::string Signature(const std::string& text, const char* heading = "bytes (") {
    static const std::pair<const char*, const char*> kTokens[] = {{"two-byte escape", "0F"},
                                                                  {"memory displacement", "D"},
                                                                  {"branch displacement", "B"},
                                                                  {"memory offset", "MO"},
                                                                  {"16-bit constant", "C"},
                                                                  {"far pointer offset", "PO"},
                                                                  {"far pointer selector", "PS"},
                                                                  {"value", "I"},
                                                                  {"imm8", "X"},
                                                                  {"not an instruction", "!"}};
    std::string signature;
    for (const std::string& line : Section(text, heading)) {
        const std::string role = line.substr(2 + 6 + 13, line.find(' ', 2 + 6 + 13) - (2 + 6 + 13));
        const std::string description = line.substr(2 + 6 + 13 + 14);
        std::string token = role == "prefix" ? "P" : role == "ModR/M" ? "M" : role == "SIB" ? "S" : "?";
        if (role == "opcode") token = description.find("two-byte class") != std::string::npos ? "O2" : "O";
        for (const auto& [start, name] : kTokens) {
            if (description.rfind(start, 0) == 0) token = name;
        }
        const std::string offsets = line.substr(2, line.find(' ', 2) - 2);
        const size_t dash = offsets.find('-');
        const int count = dash == std::string::npos ? 1 : std::stoi(offsets.substr(dash + 1)) - std::stoi(offsets) + 1;
        if (!signature.empty()) signature += ' ';
        signature += token + (count > 1 ? std::to_string(count) : "");
    }
    return signature;
}

// The meaning column of a field line ("  name  bits  range  meaning").
std::string FieldMeaningOf(const std::string& line) { return line.substr(2 + 6 + 6 + 10); }

// A representative of every opcode class and two-byte class, both addressing
// forms, SIB with and without index, and every kind of trailing bytes.
TEST(CliExplainLayout, EveryClassHasItsBytesInOrder) {
    struct Case {
        bool is32;
        const char* hex;
        const char* signature;
    };
    const Case cases[] = {
        {k32, "CD 21", "O I"},                          // 1 imm8
        {k32, "89 40 12", "O M D"},                     // 2, mod 01
        {k16, "89 40 12", "O M D"},                     // 2, 16-bit form
        {k32, "8D 04 8D 00 10 00 00", "O M S D4"},      // 3, SIB with index, no base
        {k32, "66 C7 44 8B 12 34 12", "P O M S D I2"},  // 4
        {k32, "E4 60", "O I"},                          // 5
        {k32, "1E", "O"},                               // 6
        {k32, "C2 08 00", "O C2"},                      // 7
        {k32, "81 C0 78 56 34 12", "O M I4"},           // 8 full-size immediate
        {k16, "83 C0 F0", "O M X"},                     // 8 imm8 sign-extended
        {k32, "D1 E0", "O M"},                          // 9: the count 1 takes no byte
        {k32, "F7 00 78 56 34 12", "O M I4"},           // 9 test r/m, imm
        {k32, "F3 A5", "P O"},                          // 10
        {k16, "05 34 12", "O I2"},                      // 11
        {k32, "FF 44 24 08", "O M S D"},                // 12, SIB without index
        {k32, "75 10", "O B"},                          // 13
        {k32, "E3 10", "O B"},                          // 14
        {k32, "66 E9 10 00", "P O B2"},                 // 15
        {k32, "9A 11 22 33 44 55 66", "O PO4 PS2"},     // 16, 32-bit offset
        {k16, "EA 11 22 33 44", "O PO2 PS2"},           // 16, 16-bit offset
        {k32, "C1 E0 05", "O M I"},                     // 17
        {k32, "C8 10 20 30", "O I2 I"},                 // 18
        {k32, "BB 78 56 34 12", "O I4"},                // 19
        {k32, "67 A1 34 12", "P O MO2"},                // 20
        {k32, "8E 1D 78 56 34 12", "O M D4"},           // 21
        {k16, "8E 1E 34 12", "O M D2"},                 // 21, 16-bit displacement only
        {k32, "6A FF", "O X"},                          // 22
        {k32, "69 C0 78 56 34 12", "O M I4"},           // 23
        {k32, "D9 E8", "O M"},                          // 25 register form
        {k16, "DD 26 34 12", "O M D2"},                 // 25 memory form
        {k32, "53", "O"},                               // 26
        {k32, "90", "O"},                               // 27
        {k32, "87 84 C8 78 56 34 12", "O M S D4"},      // 28, mod 10 with SIB
        {k32, "0F C9", "0F O2"},                        // two-byte 0
        {k32, "0F BA 20 05", "0F O2 M I"},              // 1
        {k32, "0F 22 D8", "0F O2 M"},                   // 2
        {k32, "0F A8", "0F O2"},                        // 3
        {k32, "0F AC 45 FC 04", "0F O2 M D I"},         // 4
        {k32, "0F B7 04 24", "0F O2 M S"},              // 5
        {k32, "0F A2", "0F O2"},                        // 6
        {k32, "0F 44 05 78 56 34 12", "0F O2 M D4"},    // 7
        {k16, "0F 85 FE FF", "0F O2 B2"},               // 8
        {k32, "0F 94 C0", "0F O2 M"},                   // 9
        {k32, "0F 01 15 78 56 34 12", "0F O2 M D4"},    // 10
        {k32, "0F AF C1", "0F O2 M"},                   // 11
        {k32, "0F 71 D1 05", "0F O2 M I"},              // 12 MMX shift group
        {k32, "0F 77", "0F O2"},                        // 12 emms: no ModR/M
        {k32, "F3 0F C2 41 08 01", "P 0F O2 M D I"},    // 13 cmpss
        {k32, "0F C6 C1 05", "0F O2 M"},                // 13 unnamed: the imm8 is not counted
        {k32, "66", "P O M"},                           // a lone prefix reads on into the zero fill
    };
    for (const Case& c : cases) {
        const std::string text = Explain(c.hex, c.is32);
        EXPECT_EQ(Signature(text), c.signature) << c.hex << "\n" << text;
        HexBytes bytes;
        HexParseError error;
        ParseHexLine(c.hex, bytes, error);
        DecodeResult result;
        DecodeBytes(bytes, c.is32, false, result);
        ASSERT_FALSE(IsInvalid(result.record)) << c.hex;
        EXPECT_TRUE(Contains(text, "bytes (" + std::to_string(InstructionLength(result.record)) + "):\n")) << c.hex;
    }
}

TEST(CliExplainOpcode, FieldsFollowTheWorkbenchLabels) {
    struct Case {
        bool is32;
        const char* hex;
        const char* pattern;
        std::vector<std::string> fields;  // "name value: meaning"
    };
    const Case cases[] = {
        {k32,
         "89 C0",
         "100010dw",
         {"d 0: from the reg operand: r/m, reg", "w 1: full size: 32-bit by the operand size"}},
        {k32, "A2 78 56 34 12", "101000dw", {"d 1: store the accumulator to memory", "w 0: byte operand"}},
        {k32, "8C D8", "100011d0", {"d 0: from the segment register: r/m, sreg"}},
        {k16, "A9 34 12", "1010100w", {"w 1: full size: 16-bit by the operand size"}},
        {k32, "17", "000sr111", {"sr 10: segment register ss"}},
        {k32,
         "83 C0 01",
         "100000sw",
         {"s 1: an imm8 sign-extended to the operand size", "w 1: full size: 32-bit by the operand size"}},
        {k32, "80 C0 01", "100000sw", {"s 0: byte immediate", "w 0: byte operand"}},
        {k32, "7E 00", "0111tttn", {"tttn 1110: condition ng"}},
        {k32, "B4 01", "1011wreg", {"w 0: byte operand", "reg 100: register ah"}},
        {k16, "BC 00 00", "1011wreg", {"w 1: full size: 16-bit by the operand size", "reg 100: register sp"}},
        {k32, "68 00 00 00 00", "011010s0", {"s 0: an immediate of the operand size"}},
        {k32, "66 4F", "01001reg", {"reg 111: register di"}},
        {k32, "C3", "11000011", {}},
        {k32, "0F CB", "11001reg", {"reg 011: register ebx"}},
        {k32, "0F 23 C8", "001000d1", {"d 1: to the control or debug register"}},
        {k32, "0F A9", "10sr3001", {"sr3 101: segment register gs"}},
        {k32, "0F B9", "10sr3001", {"sr3 111: segment register ?s"}},
        {k32, "0F BF C0", "1011111w", {"w 1: word source"}},
        {k32, "0F B1 C0", "1011000w", {"w 1: full size: 32-bit by the operand size"}},
        {k32, "0F 4C C0", "0100tttn", {"tttn 1100: condition l"}},
        {k32, "0F 80 00 00 00 00", "1000tttn", {"tttn 0000: condition o"}},
        {k32, "0F 9B C0", "1001tttn", {"tttn 1011: condition np"}},
    };
    for (const Case& c : cases) {
        const std::string text = Explain(c.hex, c.is32);
        const std::vector<std::string> lines = Section(text, "opcode ");
        std::vector<std::string> shown;
        for (const std::string& line : lines) {
            const std::string name = line.substr(2, line.find(' ', 2) - 2);
            const std::string bits = line.substr(8, line.find(' ', 8) - 8);
            shown.push_back(name + " " + bits + ": " + FieldMeaningOf(line));
        }
        EXPECT_EQ(shown, c.fields) << c.hex << "\n" << text;
        if (!c.fields.empty()) {
            EXPECT_TRUE(Contains(text, std::string(" = ") + c.pattern + " (")) << c.hex;
        }
    }
}

TEST(CliExplainModRM, FieldsSayWhatTheyDoInThisInstruction) {
    struct Case {
        bool is32;
        const char* hex;
        std::vector<std::string> meanings;  // mod, reg, r/m[, scale, index, base]
    };
    const Case cases[] = {
        // reg and r/m naming registers, by the operand slot the decoder filled
        {k32, "01 D8", {"register operand, no memory", "register ebx (operand 2)", "register eax (operand 1)"}},
        {k32, "0F 22 D8", {"register operand, no memory", "register cr3 (operand 1)", "register eax (operand 2)"}},
        {k32, "0F 7E C8", {"register operand, no memory", "register mm1 (operand 2)", "register eax (operand 1)"}},
        // reg selecting the operation, and r/m as part of it
        {k32,
         "83 E8 01",
         {"register operand, no memory", "opcode extension /5: selects sub", "register eax (operand 1)"}},
        {k32,
         "D9 EE",
         {"register operand, no memory", "opcode extension /5: selects fldz", "part of the operation: selects fldz"}},
        {k32,
         "0F 58 C1",
         {"register operand, no memory", "not used by this instruction", "not used by this instruction"}},
        // 16-bit forms
        {k16,
         "8B 46 FE",
         {"memory, an 8-bit displacement follows", "register ax (operand 1)", "memory word ptr [bp-2] (operand 2)"}},
        {k16,
         "8B 36 34 12",
         {"memory, no base: a 16-bit displacement follows", "register si (operand 1)",
          "memory word ptr [1234] (operand 2)"}},
        {k16,
         "8B 84 00 10",
         {"memory, a 16-bit displacement follows", "register ax (operand 1)", "memory word ptr [si+1000] (operand 2)"}},
        // 32-bit forms, with and without SIB
        {k32,
         "8B 05 78 56 34 12",
         {"memory, no base: a 32-bit displacement follows", "register eax (operand 1)",
          "memory dword ptr [12345678] (operand 2)"}},
        {k32,
         "8B 85 F0 FF FF FF",
         {"memory, a 32-bit displacement follows", "register eax (operand 1)",
          "memory dword ptr [ebp-10] (operand 2)"}},
        {k32,
         "8B 04 B3",
         {"memory, no displacement", "register eax (operand 1)",
          "a SIB byte follows; memory dword ptr [ebx+esi*4] (operand 2)", "index times 4", "index register esi",
          "base register ebx"}},
        {k32,
         "8B 04 24",
         {"memory, no displacement", "register eax (operand 1)",
          "a SIB byte follows; memory dword ptr [esp] (operand 2)", "not used: there is no index", "no index (100)",
          "base register esp"}},
        {k32,
         "8B 04 0D 00 10 00 00",
         {"memory, no base: a 32-bit displacement follows the SIB byte", "register eax (operand 1)",
          "a SIB byte follows; memory dword ptr [ecx+1000] (operand 2)", "index times 1", "index register ecx",
          "no base (101 with mod 00): a 32-bit displacement follows"}},
        {k32,
         "8B 44 AD 08",
         {"memory, an 8-bit displacement follows", "register eax (operand 1)",
          "a SIB byte follows; memory dword ptr [ebp+ebp*4+8] (operand 2)", "index times 4", "index register ebp",
          "base register ebp"}},
        // invalid: the raw fields, and the addressing from the bytes
        {k32, "C6 0D 78 56 34 12", {"memory, no base: a 32-bit displacement follows", "/1", "memory [12345678]"}},
    };
    for (const Case& c : cases) {
        const std::string text = Explain(c.hex, c.is32);
        std::vector<std::string> shown;
        for (const char* heading : {"ModR/M ", "SIB "}) {
            for (const std::string& line : Section(text, heading)) shown.push_back(FieldMeaningOf(line));
        }
        EXPECT_EQ(shown, c.meanings) << c.hex << "\n" << text;
    }
}

TEST(CliExplainPrefixes, EveryPrefixIsNamedAndTheSizesSayWhoSetThem) {
    struct Case {
        bool is32;
        const char* hex;
        std::vector<std::string> lines;  // each must appear in the breakdown
    };
    const Case cases[] = {
        {k32, "F0 01 00", {"LOCK prefix"}},
        {k32, "F2 AE", {"REPNE prefix"}},
        {k32, "F3 AA", {"REP prefix"}},
        {k32, "26 8B 00", {"ES segment override prefix"}},
        {k32, "2E 8B 00", {"CS segment override prefix"}},
        {k32, "36 8B 00", {"SS segment override prefix"}},
        {k32, "3E 8B 00", {"DS segment override prefix"}},
        {k32, "64 8B 00", {"FS segment override prefix"}},
        {k32, "65 8B 00", {"GS segment override prefix"}},
        {k32,
         "26 2E 8B 00",
         {"ES segment override prefix (replaced by the later 2Eh)", "CS segment override prefix\n"}},
        {k32, "F2 F3 A4", {"REPNE prefix (replaced by the later F3h)"}},
        {k32,
         "66 8B 00",
         {"Operand size override prefix", "operand size: 16-bit (32-bit mode, 66h prefix)",
          "address size: 32-bit (32-bit mode)\n"}},
        {k32,
         "67 8B 00",
         {"Address size override prefix", "operand size: 32-bit (32-bit mode)\n",
          "address size: 16-bit (32-bit mode, 67h prefix)"}},
        {k16,
         "66 67 8B 00",
         {"operand size: 32-bit (16-bit mode, 66h prefix)", "address size: 32-bit (16-bit mode, 67h prefix)"}},
        {k16, "8B 00", {"operand size: 16-bit (16-bit mode)\n", "address size: 16-bit (16-bit mode)\n"}},
    };
    for (const Case& c : cases) {
        const std::string text = Explain(c.hex, c.is32);
        for (const std::string& line : c.lines)
            EXPECT_TRUE(Contains(text, line)) << c.hex << ": " << line << "\n" << text;
    }
}

TEST(CliExplainInvalid, EachReasonInWords) {
    struct Case {
        bool is32;
        const char* hex;
        uint8_t cause;
        const char* words;
        unsigned bytesRead;
    };
    const Case cases[] = {
        {k32, "66 66 66 66 66 66 66 66 66 66 66 66 66 66 66 90", InvalidCause::TooManyPrefixes, "more than 14 prefixes",
         15},
        {k32, "66 66 66 66 66 66 66 66 66 66 66 C7 84 24 11 22 33 44 55 66", InvalidCause::TooLong,
         "longer than 15 bytes: the instruction would take 20 bytes", 20},
        {k32, "F3 F3 F3 F3 F3 F3 F3 F3 F3 26 F3 0F C2 84 24 11 22 33 44 01", InvalidCause::TooLong,
         "would take 20 bytes", 20},  // cmpss keeps its immediate: F3 still stands right before 0F
        {k32, "F3 F3 F3 F3 F3 F3 F3 F3 F3 F3 26 0F C2 84 24 11 22 33 44 01", InvalidCause::TooLong,
         "would take 19 bytes", 19},  // F3 not right before 0F: unnamed, the imm8 is not read
        {k32, "66 66 66 66 66 66 66 66 66 66 66 66 66 66 FF F8", InvalidCause::ReservedRegField, "FF /7", 16},
        {k32, "0F 04", InvalidCause::UnknownOpcode, "unknown opcode: 0F 04 is not assigned", 3},
        {k32, "F6 C8", InvalidCause::ReservedRegField, "F6 /1 is not an instruction (F6 defines /0, /2-/7)", 2},
        {k32, "FF 3D 78 56 34 12", InvalidCause::ReservedRegField, "FF /7 is not an instruction (FF defines /0-/6)", 6},
        {k32, "FE D0", InvalidCause::ReservedRegField, "FE defines /0, /1", 2},
        {k32, "C6 C8 00", InvalidCause::ReservedRegField, "C6 /1 is not an instruction (C6 defines /0)", 2},
        {k32, "8F C8", InvalidCause::ReservedRegField, "8F defines /0", 2},
        {k32, "0F BA C8 05", InvalidCause::ReservedRegField, "0F BA defines /4-/7", 3},
        {k32, "0F 00 F0", InvalidCause::ReservedRegField, "0F 00 /6 is not an instruction", 3},
        {k32, "0F 90 C8", InvalidCause::ReservedRegField, "0F 90 defines /0", 3},
        {k32, "0F 22 C8", InvalidCause::NoSuchControlRegister, "names cr1, which does not exist", 3},
        {k32, "8D C0", InvalidCause::RegisterWhereMemoryRequired, "8D (lea) takes only a memory operand", 2},
        {k16, "62 C0", InvalidCause::RegisterWhereMemoryRequired, "62 (bound)", 2},
        {k32, "FF D8", InvalidCause::RegisterWhereMemoryRequired, "FF /3 (call) takes only a memory operand", 2},
        {k32, "0F 01 C8", InvalidCause::RegisterWhereMemoryRequired, "0F 01 /1 (sidt)", 3},
        {k32, "0F 01 E8", InvalidCause::ReservedRegField, "0F 01 defines /0, /4, /6", 3},  // /0 with a register too
        {k16, "66 67 2E 36 3E 26 64 65 F0 F2 F3 66 67 3E 62 C1", InvalidCause::RegisterWhereMemoryRequired,
         "62 (bound) takes only a memory operand", 16},  // the memory form would be too long
        {k32, "0F B4 C0", InvalidCause::RegisterWhereMemoryRequired, "0F B4 (lfs)", 3},
        {k32, "0F C7 C0", InvalidCause::RegisterWhereMemoryRequired,
         "a register where memory is required, and reserved reg field: 0F C7 /0 is not an instruction (0F C7 defines "
         "/1)",
         3},
        {k32, "0F 21 00", InvalidCause::MemoryWhereRegisterRequired, "0F 21 (mov) takes only a register", 3},
        {k32, "D9 D1", InvalidCause::FpuForm, "x87 form not an instruction: D9 D1", 2},
        {k16, "DB 0E 34 12", InvalidCause::FpuForm, "DB /1 with a memory operand", 4},
        {k32, "0F 6D C0", InvalidCause::MmxForm, "0F 6D names no MMX instruction", 3},
        {k32, "0F 73 E1 05", InvalidCause::MmxForm,
         "shift group 0F 73 has no operation for reg field 100 (/4) (it defines /2, /6)", 3},
        {k32, "F3 0F 2A C1", InvalidCause::SseForm, "F3 0F 2A is none of the scalar single-precision forms", 4},
    };
    for (const Case& c : cases) {
        const std::string text = Explain(c.hex, c.is32);
        HexBytes bytes;
        HexParseError error;
        ParseHexLine(c.hex, bytes, error);
        DecodedInstruction record{};
        EncodingLayout layout{};
        ASSERT_TRUE(DecodeInstructionLayout(bytes.window.data(), &record, &layout, c.is32)) << c.hex;
        ASSERT_TRUE(IsInvalid(record)) << c.hex;
        EXPECT_EQ(layout.invalidCause, c.cause) << c.hex << "\n" << text;
        const size_t reason = text.find("\ninvalid: ");
        ASSERT_NE(reason, std::string::npos) << text;
        EXPECT_TRUE(Contains(text.substr(reason, text.find('\n', reason + 1) - reason), c.words)) << c.hex << "\n"
                                                                                                  << text;
        EXPECT_TRUE(Contains(text, "read (" + std::to_string(c.bytesRead) + "):\n")) << c.hex << "\n" << text;
        EXPECT_EQ(Signature(text), "!") << c.hex;
    }
}

// The whole text of two breakdowns, so that its lines stay stable for scripts.
TEST(CliExplainText, StableLineOrientedOutput) {
    EXPECT_EQ(Explain("66 C7 44 8B 12 34 12", k32),
              "bytes (7):\n"
              "  0     66           prefix        Operand size override prefix\n"
              "  1     C7           opcode        mov, class 4: r/m, imm (reg field 0)\n"
              "  2     44           ModR/M        mod 01, reg 000, r/m 100\n"
              "  3     8B           SIB           scale 10, index 001, base 011\n"
              "  4     12           displacement  memory displacement 12h\n"
              "  5-6   34 12        immediate     value 1234h\n"
              "opcode C7 = 11000111 = 1100011w (class 4: r/m, imm (reg field 0))\n"
              "  w     1     bit 0     full size: 16-bit by the operand size\n"
              "ModR/M 44 = 01 000 100 (mod reg r/m)\n"
              "  mod   01    bits 7-6  memory, an 8-bit displacement follows\n"
              "  reg   000   bits 5-3  opcode extension /0: selects mov\n"
              "  r/m   100   bits 2-0  a SIB byte follows; memory word ptr [ebx+ecx*4+12] (operand 1)\n"
              "SIB 8B = 10 001 011 (scale index base)\n"
              "  scale 10    bits 7-6  index times 4\n"
              "  index 001   bits 5-3  index register ecx\n"
              "  base  011   bits 2-0  base register ebx\n"
              "operand size: 16-bit (32-bit mode, 66h prefix)\n"
              "address size: 32-bit (32-bit mode)\n"
              "\n");
    EXPECT_EQ(Explain("66 FF D8", k32),
              "bytes (1):\n"
              "  0     66           INVALID       not an instruction: counted as one byte\n"
              "read (3):\n"
              "  0     66           prefix        Operand size override prefix\n"
              "  1     FF           opcode        class 12: pop r/m; groups 4 and 5\n"
              "  2     D8           ModR/M        mod 11, reg 011, r/m 000\n"
              "invalid: a register where memory is required: FF /3 (call) takes only a memory operand\n"
              "opcode FF = 11111111 (class 12: pop r/m; groups 4 and 5)\n"
              "ModR/M D8 = 11 011 000 (mod reg r/m)\n"
              "  mod   11    bits 7-6  register operand, no memory\n"
              "  reg   011   bits 5-3  /3\n"
              "  r/m   000   bits 2-0  register number 0\n"
              "operand size: 16-bit (32-bit mode, 66h prefix)\n"
              "address size: 32-bit (32-bit mode)\n"
              "\n");
}

TEST(CliExplainText, ColourOnlyWhenAsked) {
    EXPECT_FALSE(Contains(Explain("66 C7 44 8B 12 34 12", k32, false), "\x1b["));
    const std::string coloured = Explain("66 C7 44 8B 12 34 12", k32, true);
    EXPECT_TRUE(Contains(coloured, "\x1b[35m66\x1b[0m"));         // prefix
    EXPECT_TRUE(Contains(coloured, "\x1b[31mimmediate\x1b[0m"));  // role word
    EXPECT_TRUE(Contains(Explain("FF D8", k32, true), "\x1b[1;31minvalid:\x1b[0m"));

    EXPECT_TRUE(ShouldColour(true, false));
    EXPECT_FALSE(ShouldColour(true, true));
    EXPECT_FALSE(ShouldColour(false, false));
}

TEST(CliExplainOptions, ExplainIsAnOptionThatJsonExcludes) {
    const char* explain[] = {"vexa-decode", "--explain", "--16", "90"};
    Options options;
    std::string error;
    ASSERT_TRUE(ParseArguments(4, explain, options, error));
    EXPECT_TRUE(options.explain);
    const char* both[] = {"vexa-decode", "--explain", "--json", "90"};
    Options rejected;
    EXPECT_FALSE(ParseArguments(4, both, rejected, error));
    EXPECT_EQ(error, "--explain and --json cannot be combined");
    EXPECT_TRUE(Contains(UsageText(), "--explain"));
    EXPECT_TRUE(Contains(UsageText(), "$ vexa-decode --explain"));
}

// Checks one decode's breakdown: the bytes add up to the length, every byte
// is placed, and an invalid result has a reason and a plausible read.
void CheckLayout(const uint8_t* window, bool is32, std::string& failures) {
    HexBytes bytes;
    std::copy(window, window + kDecodeWindow, bytes.window.begin());
    bytes.count = kDecodeWindow;
    DecodeResult result;
    DecodeBytes(bytes, is32, false, result);
    if (!result.decodeOk) return;
    std::string text;
    AppendExplanation(text, bytes, result, false);
    const auto fail = [&](const char* what) {
        if (failures.size() > 2000) return;
        char hex[4];
        failures += what;
        failures += ":";
        for (unsigned i = 0; i < 16; ++i) {
            std::snprintf(hex, sizeof hex, " %02X", window[i]);
            failures += hex;
        }
        failures += is32 ? " (32)\n" : " (16)\n";
    };
    const bool invalid = IsInvalid(result.record);
    const unsigned length = invalid ? 1 : InstructionLength(result.record);
    if (text.rfind("bytes (" + std::to_string(length) + "):\n", 0) != 0) fail("bytes do not add up to the length");
    if (Contains(text, "not placed") || Contains(text, "unaccounted")) fail("bytes not placed");
    if (!invalid) return;
    const size_t read = text.find("\nread (");
    const int count = read == std::string::npos ? 0 : std::atoi(text.c_str() + read + 7);
    if (count < 1 || count > static_cast<int>(kDecodeWindow)) fail("implausible read");
    if (Contains(text, "\ninvalid: not an instruction\n")) fail("no reason for INVALID");
}

// Every first byte and ModR/M byte with a following SIB and bytes that make
// displacements and immediates visible, with each size prefix and F3, in
// both modes; then every byte after 0Fh likewise.
TEST(CliExplainSweep, RolesAddUpAndInvalidAlwaysHasAReason) {
    const uint8_t prefixSets[][2] = {{0, 0}, {0x66, 0}, {0x67, 0}, {0xF3, 0}, {0x66, 0x67}};
    std::string failures;
    for (bool is32 : {false, true}) {
        for (const auto& prefixes : prefixSets) {
            for (unsigned twoByte = 0; twoByte < 2; ++twoByte) {
                for (unsigned opcode = 0; opcode < 256; ++opcode) {
                    for (unsigned modrm = 0; modrm < 256; ++modrm) {
                        uint8_t window[kDecodeWindow] = {};
                        unsigned at = 0;
                        for (uint8_t p : prefixes) {
                            if (p != 0) window[at++] = p;
                        }
                        if (twoByte) window[at++] = 0x0F;
                        window[at++] = static_cast<uint8_t>(opcode);
                        window[at++] = static_cast<uint8_t>(modrm);
                        window[at++] = static_cast<uint8_t>(0x8D ^ opcode);  // SIB, or the first following byte
                        for (unsigned k = 0; at < kDecodeWindow; ++k) window[at++] = static_cast<uint8_t>(0xF1 + 7 * k);
                        CheckLayout(window, is32, failures);
                    }
                }
            }
        }
    }
    EXPECT_EQ(failures, "");
}

// Every SIB byte under each ModR/M form that reads one, and runs of prefixes
// around the limits of 14 prefixes and 15 bytes.
TEST(CliExplainSweep, SibFormsAndPrefixRuns) {
    std::string failures;
    for (uint8_t modrm : {0x04, 0x44, 0x84, 0x3C, 0xBC}) {
        for (unsigned sib = 0; sib < 256; ++sib) {
            for (uint8_t opcode : {0x8B, 0xC7, 0x81, 0x69, 0xF6, 0xD8, 0xDD}) {
                const uint8_t window[kDecodeWindow] = {opcode, modrm, static_cast<uint8_t>(sib), 0x80, 0x11, 0x22, 0x83,
                                                       0x44,   0x55};
                CheckLayout(window, true, failures);
            }
        }
    }
    const uint8_t prefixBytes[] = {0x66, 0x67, 0xF3, 0x26, 0xF0};
    const uint8_t bodies[][9] = {{0x90},
                                 {0xC7, 0x84, 0x24, 1, 2, 3, 4, 5, 6},
                                 {0x0F, 0xC2, 0x84, 0x24, 1, 2, 3, 4, 7},
                                 {0x81, 0x05, 1, 2, 3, 4, 5, 6, 7},
                                 {0xE8, 1, 2, 3, 4},
                                 {0xFF, 0xF8}};
    for (unsigned count = 0; count <= 15; ++count) {
        for (uint8_t prefix : prefixBytes) {
            for (const auto& body : bodies) {
                for (bool is32 : {false, true}) {
                    uint8_t window[kDecodeWindow] = {};
                    for (unsigned i = 0; i < count; ++i) window[i] = i % 3 == 2 ? 0xF3 : prefix;
                    std::copy(std::begin(body), std::end(body), window + count);  // 15 + 9 bytes fit
                    CheckLayout(window, is32, failures);
                }
            }
        }
    }
    EXPECT_EQ(failures, "");
}

}  // namespace
}  // namespace vexa::cli
