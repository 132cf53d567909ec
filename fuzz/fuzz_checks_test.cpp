// The fuzzer's own checks must catch what they are there for: a --json line
// that disagrees with its record, and a record that breaks an invariant.
#include <gtest/gtest.h>

#include <string>

#include "decoder/decoder.h"
#include "fuzz/json_reader.h"
#include "fuzz/record_checks.h"
#include "tools/vexa_decode/json_record.h"

namespace vexa::fuzz {
namespace {

struct Decoded {
    cli::DecodeResult result;
    std::string json;
};

Decoded DecodeForJson(std::initializer_list<uint8_t> bytes, bool is32BitMode) {
    Decoded d;
    cli::HexBytes hex;
    std::copy(bytes.begin(), bytes.end(), hex.window.begin());
    hex.count = bytes.size();
    cli::DecodeBytes(hex, is32BitMode, false, d.result);
    cli::AppendJsonRecord(d.json, d.result);
    return d;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST(FuzzChecksTest, JsonOfARecordAgreesWithIt) {
    // A tab and a far pointer in the line, a 6-byte pointer in the slots.
    const Decoded d = DecodeForJson({0x66, 0x9A, 0x78, 0x56, 0x34, 0x12, 0x00, 0xF0}, false);
    EXPECT_EQ(JsonMismatch(d.json, d.result), nullptr) << d.json;
}

TEST(FuzzChecksTest, JsonMismatchNamesTheField) {
    const Decoded d = DecodeForJson({0x83, 0xC0, 0xFF}, true);  // add eax, 0FFFFFFFFh
    struct Case {
        std::string from, to, field;
    };
    const Case cases[] = {
        {"\"length\":3", "\"length\":4", "length"},
        {"\"hasModRM\":true", "\"hasModRM\":false", "prefixes.hasModRM"},
        {"\"imm\":4294967295", "\"imm\":255", "operands.1.imm"},
        {"\"mnemonicText\":\"add\"", "\"mnemonicText\":\"adc\"", "mnemonicText"},
        {"\\t", " ", "instructionLine"},
        {"\"subClass\":0,", "", "subClass"},  // a missing field
    };
    for (const Case& c : cases) {
        const std::string tampered = Replace(d.json, c.from, c.to);
        const char* field = JsonMismatch(tampered, d.result);
        ASSERT_NE(field, nullptr) << tampered;
        EXPECT_EQ(std::string(field), c.field);
    }
}

TEST(FuzzChecksTest, MalformedJsonIsRejected) {
    const Decoded d = DecodeForJson({0x90}, true);
    const std::string malformed[] = {
        Replace(d.json, "\"mode\":32", "\"mode\":32,\"mode\":32"),  // a key twice
        Replace(d.json, "\"mode\":32", "\"mode\":032"),
        Replace(d.json, "\\t", "\\q"),
        Replace(d.json, "}\n", "}}\n"),
        d.json + d.json,  // two lines
        d.json.substr(0, d.json.size() - 1),  // no newline
    };
    for (const std::string& json : malformed) EXPECT_NE(JsonMismatch(json, d.result), nullptr) << json;
}

TEST(FuzzChecksTest, BrokenRecordsAreCaught) {
    const uint8_t bytes[kDecodeWindow] = {0x01, 0xC8};  // add eax, ecx
    DecodedInstruction good{};
    ASSERT_TRUE(DecodeInstruction(bytes, &good, true));
    ASSERT_EQ(BrokenRecordInvariant(bytes, good), nullptr);

    auto broken = [&](void (*damage)(DecodedInstruction&)) {
        DecodedInstruction r = good;
        damage(r);
        return BrokenRecordInvariant(bytes, r) != nullptr;
    };
    EXPECT_TRUE(broken([](DecodedInstruction& r) { r.operands[2].imm = 1; }));  // slot past operandCount
    EXPECT_TRUE(broken([](DecodedInstruction& r) { SetInstructionLength(r, 16); }));
    EXPECT_TRUE(broken([](DecodedInstruction& r) { r.decodeFlags |= DecodeFlag::Invalid; }));  // INVALID of length 2
    EXPECT_TRUE(broken([](DecodedInstruction& r) { r.operands[0].reg = MakeRegisterCode(9, 0); }));
    EXPECT_TRUE(broken([](DecodedInstruction& r) { r.opcodeClass = 3; }));
    EXPECT_TRUE(broken([](DecodedInstruction& r) { r.mnemonic = 400; }));
}

TEST(FuzzChecksTest, JsonReaderKeepsPathsAndUnescapes) {
    JsonLeaves leaves;
    ASSERT_TRUE(ReadJson("{\"a\":{\"b\":[1,true,\"x\\ty\\u0041\"]}}\n", leaves));
    ASSERT_EQ(leaves.count, 3u);
    EXPECT_EQ(leaves.Find("a.b.0")->number, 1u);
    EXPECT_TRUE(leaves.Find("a.b.1")->flag);
    EXPECT_STREQ(leaves.Find("a.b.2")->text, "x\tyA");
    EXPECT_EQ(leaves.Find("a.b"), nullptr);
}

}  // namespace
}  // namespace vexa::fuzz
