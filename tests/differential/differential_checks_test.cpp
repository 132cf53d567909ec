// The classification of differences must not swallow decoder faults: a wrong
// length, name or operand on an instruction both sides decode must stay
// unexplained, whatever documented class lies near it.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "tests/differential/case_result.h"
#include "tests/differential/known_differences.h"
#include "tests/differential/mnemonic_aliases.h"

namespace vexa::diff {
namespace {

TestCase MakeCase(std::initializer_list<uint8_t> bytes, bool is32BitMode) {
    TestCase c{};
    std::copy(bytes.begin(), bytes.end(), c.bytes);
    c.is32BitMode = is32BitMode;
    return c;
}

// A fault put into Vexa's reading; false where it does not apply.
struct Damage {
    const char* what;
    bool (*apply)(NormalizedInstruction&);
};

const Damage kDamages[] = {
    {"length one more", [](NormalizedInstruction& v) { return ++v.length, true; }},
    {"length one less", [](NormalizedInstruction& v) { return --v.length, true; }},
    {"another name", [](NormalizedInstruction& v) { return v.mnemonic = "sub", true; }},
    {"a lost operand",
     [](NormalizedInstruction& v) {
         if (v.operandCount == 0) return false;
         --v.operandCount;
         return true;
     }},
    {"another register",
     [](NormalizedInstruction& v) {
         for (unsigned i = 0; i < v.operandCount; ++i) {
             if (v.operands[i].type == OperandType::Register) {
                 v.operands[i].reg = "ebp";
                 return true;
             }
         }
         return false;
     }},
};

class DifferentialChecksTest : public ::testing::Test {
protected:
    ZydisPeer zydis;
    Classifier classifier{zydis};
};

TEST_F(DifferentialChecksTest, AgreedInstructionsAgree) {
    CaseResult r;
    for (const TestCase& c : {MakeCase({0x01, 0xC8}, true), MakeCase({0x66, 0xE9, 0x34, 0x12}, true),
                              MakeCase({0xD9, 0xE9}, false), MakeCase({0xF3, 0x0F, 0x58, 0xC1}, true),
                              MakeCase({0x0F, 0xFC, 0xC1}, false), MakeCase({0xDF, 0xE0}, true)}) {
        DecodeCase(c, zydis, r);
        EXPECT_EQ(r.comparison.mismatches, 0u) << c.bytes[0];
    }
}

TEST_F(DifferentialChecksTest, DamagedReadingsStayUnexplained) {
    // Instructions near documented classes: test (operand order), xchg with
    // the accumulator, lea, the SSE class, MMX with 66h, x87 aliases.
    const TestCase cases[] = {
        MakeCase({0x01, 0xC8}, true),
        MakeCase({0x85, 0xC8}, true),
        MakeCase({0x8D, 0x04, 0x88}, true),
        MakeCase({0xF3, 0x0F, 0x58, 0xC1}, true),
        MakeCase({0x0F, 0xFC, 0xC1}, false),
        MakeCase({0xDE, 0xE9}, true),
        MakeCase({0xF0, 0x01, 0x08}, true),
        MakeCase({0x0F, 0x60, 0xC1}, true),
        MakeCase({0xF3, 0x66, 0x0F, 0x58, 0xC1}, true),
        MakeCase({0x0F, 0xC6, 0xC1, 0x05}, true),
        MakeCase({0x0F, 0x01, 0xC1}, true),
        MakeCase({0x0F, 0x58, 0x04, 0x88}, true),
    };
    CaseResult r;
    for (const TestCase& c : cases) {
        for (const Damage& damage : kDamages) {
            DecodeCase(c, zydis, r);
            if (!damage.apply(r.vexa)) continue;
            r.comparison = Compare(r.vexa, r.zydis.normalized);
            ASSERT_NE(r.comparison.mismatches, 0u) << damage.what;
            EXPECT_LT(classifier.Classify(r), 0)
                << damage.what << " on " << std::hex << int(c.bytes[0]) << " " << int(c.bytes[1]) << " classified as "
                << kKnownDifferences[classifier.Classify(r)].id;
        }
    }
}

// Each class's own example (the one docs/decoder-differences.md shows) is a
// disagreement, and that class is the one that explains it.
TEST_F(DifferentialChecksTest, EveryClassExplainsItsExample) {
    CaseResult r;
    for (unsigned k = 0; k < kKnownDifferenceCount; ++k) {
        const KnownDifference& d = kKnownDifferences[k];
        TestCase testCase;
        ASSERT_TRUE(ParseExample(d.example, testCase)) << d.id;
        DecodeCase(testCase, zydis, r);
        EXPECT_NE(r.comparison.mismatches, 0u) << d.id << " " << d.example;
        const int found = classifier.Classify(r);
        EXPECT_EQ(found, static_cast<int>(k))
            << d.id << " " << d.example << " classified as " << (found >= 0 ? kKnownDifferences[found].id : "none");
    }
}

TEST(MnemonicAliasesTest, MapOnlyToNamesOfTheSameInstruction) {
    EXPECT_STREQ(CommonMnemonic("jz"), "je");
    EXPECT_STREQ(CommonMnemonic("fnstenv"), "fstenv");
    EXPECT_STREQ(CommonMnemonic("cwde"), "cwde");  // a different reading, not an alias
    EXPECT_STREQ(CommonMnemonic("mov"), "mov");
}

}  // namespace
}  // namespace vexa::diff
