// Decodes of concrete byte strings: the example files under tests/data hold
// one case a line (bytes, mode, the instruction line the workbench shows, and
// the record facts the text does not show); this test decodes each and
// reports a mismatch at the file and line that hold the case. The format is
// described at the top of tests/data/decoder_examples.txt.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "decoder/decoder.h"
#include "formatter/display_lines.h"
#include "formatter/instruction_text.h"
#include "tests/test_support.h"

namespace vexa {
namespace {

// ---- Reading a case ----

struct ExampleCase {
    bool is32BitMode = false;
    std::vector<uint8_t> bytes;
    std::string instructionLine;  // mnemonic text, tab, operand text
    std::vector<std::string> facts;
};

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

// "8B", or "66*14" for fourteen bytes 66.
bool ReadBytes(const std::string& text, std::vector<uint8_t>& bytes) {
    for (const std::string& word : Words(text)) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(word.c_str(), &end, 16);
        if (end != word.c_str() + 2 || value > 0xFF) return false;
        unsigned long count = 1;
        if (*end == '*') count = std::strtoul(end + 1, &end, 10);
        if (*end != '\0' || count == 0) return false;
        bytes.insert(bytes.end(), count, static_cast<uint8_t>(value));
    }
    return !bytes.empty() && bytes.size() <= kDecodeWindow;
}

// "mode bytes | mnemonic | operands | facts  # note"; empty `error` when the line reads.
ExampleCase ReadCase(std::string line, std::string& error) {
    ExampleCase c;
    line = line.substr(0, line.find('#'));
    std::vector<std::string> fields;
    for (size_t start = 0;;) {
        const size_t bar = line.find('|', start);
        fields.push_back(Trim(line.substr(start, bar - start)));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    if (fields.size() != 4) {
        error = "expected four fields separated by |";
        return c;
    }
    const size_t space = fields[0].find(' ');
    const std::string mode = fields[0].substr(0, space);
    if ((mode != "16" && mode != "32") || space == std::string::npos) {
        error = "the line must start with the mode (16 or 32) and the bytes";
        return c;
    }
    c.is32BitMode = mode == "32";
    if (!ReadBytes(fields[0].substr(space + 1), c.bytes)) {
        error = "bytes: hex pairs (or BB*N), 1 to 25 of them";
        return c;
    }
    c.instructionLine = fields[1] + '\t' + fields[2];
    c.facts = Words(fields[3]);
    return c;
}

// ---- What the record shows beyond the text ----

// The raw widths of the operands in order, as the facts spell them.
std::string Widths(const DecodedInstruction& r) {
    std::string widths;
    for (unsigned i = 0; i < r.operandCount && i < 3; ++i) {
        const OperandDescriptor& o = r.operands[i];
        const auto add = [&](char letter, unsigned size) {
            if (!widths.empty()) widths += ' ';
            widths += letter + std::to_string(size);
        };
        switch (o.kind) {
            case OperandKind::Memory:
                if (o.dispSize != 0) add('d', o.dispSize);
                break;
            case OperandKind::Immediate: add('i', o.immSize); break;
            case OperandKind::Relative: add('j', o.dispSize); break;
            case OperandKind::Constant: add('c', o.dispSize); break;
            case OperandKind::FarPointer: add('p', o.dispSize); break;
        }
    }
    return widths;
}

bool IsWidth(const std::string& fact) {
    return fact.size() == 2 && std::string("dijcp").find(fact[0]) != std::string::npos &&
           std::string("1246").find(fact[1]) != std::string::npos;
}

// A flag named by a bare fact; false when the name is not one.
bool FlagOf(const std::string& name, const DecodedInstruction& r, bool& value) {
    if (name == "modrm") value = HasModRM(r);
    else if (name == "sib") value = HasSIB(r);
    else if (name == "twobyte") value = (r.decodeFlags & DecodeFlag::TwoByteOpcode) != 0;
    else if (name == "osize") value = (r.prefixFlags & PrefixFlag::OperandSizeOverride) != 0;
    else if (name == "asize") value = (r.prefixFlags & PrefixFlag::AddressSizeOverride) != 0;
    else return false;
    return true;
}

// The value a name=value fact names; empty when the name is not one.
std::string ValueOf(const std::string& name, const DecodedInstruction& r) {
    static const char* const kSegments[] = {"none", "es", "cs", "ss", "ds", "fs", "gs", "?", "?"};
    if (name == "len") return std::to_string(InstructionLength(r));
    if (name == "rep") return HasRepeatPrefix(r) ? (RepeatIsRep(r) ? "rep" : "repne") : "none";
    if (name == "seg") return kSegments[SegmentOverrideOf(r)];
    if (name == "class") return std::to_string(r.opcodeClass);
    if (name == "sub") return std::to_string(r.subClass);
    if (name == "ops") return std::to_string(r.operandCount);
    return {};
}

// An instruction line as the files write it: " | " in place of the tab.
std::string AsFields(std::string line) {
    const size_t tab = line.find('\t');
    return tab == std::string::npos ? line : line.replace(tab, 1, " | ");
}

// Every disagreement between the case and its decode, one per line.
std::string Mismatches(const ExampleCase& c) {
    std::string problems;
    const auto problem = [&](const std::string& text) { problems += "\n  " + text; };
    const auto window = test::Window(c.bytes);
    const auto [ok, r] = test::Decode(window, c.is32BitMode);
    if (!ok) return "\n  the decode returned false";
    if (const char* broken = test::BrokenRecordInvariant(window.data(), r)) {
        problem(std::string("invariant: ") + broken);
    }

    char instructionLine[kDisplayLineSize], bytesLine[kDisplayLineSize];
    if (!BuildDisplayLines(window.data(), r, true, false, instructionLine, bytesLine)) {
        problem("the record does not format");
    }
    if (c.instructionLine != instructionLine) problem("the decode reads " + AsFields(instructionLine));

    bool invalid = false, lengthGiven = false;
    std::string widths;
    for (const std::string& fact : c.facts) {
        const size_t equals = fact.find('=');
        bool flag = false;
        if (fact == "invalid") {
            invalid = true;
        } else if (IsWidth(fact)) {
            widths += (widths.empty() ? "" : " ") + fact;
        } else if (equals != std::string::npos) {
            const std::string name = fact.substr(0, equals), actual = ValueOf(name, r);
            lengthGiven |= name == "len";
            if (actual.empty()) problem("unknown fact " + fact);
            else if (actual != fact.substr(equals + 1)) problem(fact + " but the record has " + name + "=" + actual);
        } else if (const bool negated = fact[0] == '-'; FlagOf(fact.substr(negated ? 1 : 0), r, flag)) {
            if (flag == negated) problem(fact + " does not hold");
        } else {
            problem("unknown fact " + fact);
        }
    }
    if (invalid != IsInvalid(r)) problem(IsInvalid(r) ? "the record is invalid" : "the record is not invalid");
    if (!invalid && !lengthGiven) problem("a valid case must give len=");
    if (widths != Widths(r)) problem("operand widths \"" + Widths(r) + "\", expected \"" + widths + "\"");
    // The bytes line shows exactly the instruction's bytes.
    if (bytesLine != test::HexBytes(window.data(), InstructionLength(r))) {
        problem("bytes line \"" + std::string(bytesLine) + "\"");
    }
    return problems;
}

// ---- The files ----

std::string DataPath(const std::string& name) { return std::string(VEXA_TEST_DATA_DIR) + "/" + name; }

class ExampleFile : public ::testing::TestWithParam<const char*> {};

TEST_P(ExampleFile, EveryCaseDecodesAsWritten) {
    const std::string path = DataPath(GetParam());
    std::ifstream file(path);
    ASSERT_TRUE(file) << "cannot read " << path;
    unsigned lineNumber = 0, cases = 0;
    for (std::string line; std::getline(file, line);) {
        ++lineNumber;
        if (Trim(line).empty() || Trim(line)[0] == '#') continue;
        ++cases;
        std::string error;
        const ExampleCase c = ReadCase(line, error);
        const std::string problems = error.empty() ? Mismatches(c) : "\n  " + error;
        if (!problems.empty()) ADD_FAILURE_AT(path.c_str(), lineNumber) << line << problems;
    }
    EXPECT_GT(cases, 0u) << path;
}

INSTANTIATE_TEST_SUITE_P(Data, ExampleFile,
                         ::testing::Values("decoder_examples.txt", "x87_examples.txt", "mmx_sse_examples.txt"),
                         [](const auto& info) {
                             const std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

// ---- What the files cannot say ----

// The operands of a rejected instruction stay in the record (the text hides
// them): 14 prefixes, opcode, ModR/M, SIB, disp32 and imm32 make 25 bytes.
TEST(InvalidRecord, KeepsOperandsOfAnOverlongInstruction) {
    std::vector<uint8_t> bytes(14, 0x3E);
    bytes.insert(bytes.end(), {0x81, 0x84, 0x88, 1, 2, 3, 4, 5, 6, 7, 8});
    const auto [ok, r] = test::Decode(bytes, true);
    ASSERT_TRUE(ok);
    ASSERT_EQ(r.operandCount, 2);
    const OperandDescriptor memory = test::MemoryOperand(MemorySize::Dword, test::Present(RegisterClass::Gpr32, 0),
                                                         test::Present(RegisterClass::Gpr32, 1), test::Scale(4), 4,
                                                         0x04030201);
    EXPECT_TRUE(test::SameOperand(r.operands[0], memory)) << test::OperandFields(r.operands[0]);
    EXPECT_TRUE(test::SameOperand(r.operands[1], test::ImmediateOperand(4, 0x08070605)))
        << test::OperandFields(r.operands[1]);
}

TEST(DecodeInstructionApi, RefusesNullPointers) {
    const uint8_t bytes[kDecodeWindow] = {0x90};
    DecodedInstruction record{};
    record.mnemonic = 0x1234;
    EXPECT_FALSE(DecodeInstruction(nullptr, &record, true));
    EXPECT_EQ(record.mnemonic, 0x1234);  // untouched
    EXPECT_FALSE(DecodeInstruction(bytes, nullptr, true));
    EXPECT_FALSE(DecodeInstruction(nullptr, &record));
}

TEST(DecodeInstructionApi, GlobalModeIsReadAndLeftAsItWas) {
    const uint8_t saved = mode32;
    const auto window = test::Window({0xE3, 0x00});
    for (const uint8_t mode : {0, 1}) {
        mode32 = mode;
        DecodedInstruction record{};
        ASSERT_TRUE(DecodeInstruction(window.data(), &record));
        char mnemonicText[kInstructionTextSize], operandText[kInstructionTextSize];
        ASSERT_TRUE(FormatInstruction(&record, mnemonicText, operandText));
        EXPECT_STREQ(mnemonicText, mode ? "jecxz" : "jcxz");
        EXPECT_EQ(mode32, mode);
    }
    mode32 = saved;
}

}  // namespace
}  // namespace vexa
