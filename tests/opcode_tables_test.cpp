// Sanity of the constant tables: classes agree with the opcode listing of each
// handler, mnemonic entries name the right texts, and the group tables hold the
// documented indexes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "decoder/internal/mnemonic_tables.h"
#include "decoder/mnemonic_list.h"
#include "decoder/opcode_classes.h"

namespace vexa {
namespace {

using Ranges = std::vector<std::pair<uint8_t, uint8_t>>;  // inclusive

struct ClassListing {
    uint8_t opcodeClass;
    Ranges opcodes;
};

// Checks that every byte listed has the class of its listing and that the
// listings cover each byte at most once; returns how many bytes they cover.
int CheckListings(const uint8_t (&table)[256], const std::vector<ClassListing>& listings) {
    int listed[256] = {};
    int covered = 0;
    for (const ClassListing& listing : listings) {
        for (const auto& [first, last] : listing.opcodes) {
            for (unsigned byte = first; byte <= last; ++byte) {
                EXPECT_EQ(table[byte], listing.opcodeClass) << "byte " << std::hex << byte;
                EXPECT_EQ(listed[byte]++, 0) << "byte " << std::hex << byte << " listed twice";
                ++covered;
            }
        }
    }
    return covered;
}

TEST(OneByteClassTable, AgreesWithTheOpcodeListOfEveryClass) {
    const std::vector<ClassListing> listings = {
        {0, {{0x26, 0x26}, {0x2E, 0x2E}, {0x36, 0x36}, {0x3E, 0x3E}, {0x64, 0x67}, {0xF0, 0xF0}, {0xF2, 0xF3}}},
        {1, {{0xCD, 0xCD}, {0xD4, 0xD5}}},
        {2, {{0x00, 0x03}, {0x08, 0x0B}, {0x10, 0x13}, {0x18, 0x1B}, {0x20, 0x23}, {0x28, 0x2B}, {0x30, 0x33},
             {0x38, 0x3B}, {0x88, 0x8B}}},
        {3, {{0x62, 0x63}, {0x8D, 0x8D}, {0xC4, 0xC5}}},
        {4, {{0xC6, 0xC7}}},
        {5, {{0xE4, 0xE7}}},
        {6, {{0x06, 0x07}, {0x0E, 0x0E}, {0x16, 0x17}, {0x1E, 0x1F}}},
        {7, {{0xC2, 0xC2}, {0xCA, 0xCA}}},
        {8, {{0x80, 0x83}}},
        {9, {{0xD0, 0xD3}, {0xF6, 0xF7}}},
        {10, {{0x6C, 0x6F}, {0xA4, 0xA7}, {0xAA, 0xAF}, {0xEC, 0xEF}}},
        {11, {{0x04, 0x05}, {0x0C, 0x0D}, {0x14, 0x15}, {0x1C, 0x1D}, {0x24, 0x25}, {0x2C, 0x2D}, {0x34, 0x35},
              {0x3C, 0x3D}, {0xA8, 0xA9}}},
        {12, {{0x8F, 0x8F}, {0xFE, 0xFF}}},
        {13, {{0x70, 0x7F}}},
        {14, {{0xE0, 0xE3}, {0xEB, 0xEB}}},
        {15, {{0xE8, 0xE9}}},
        {16, {{0x9A, 0x9A}, {0xEA, 0xEA}}},
        {17, {{0xC0, 0xC1}}},
        {18, {{0xC8, 0xC8}}},
        {19, {{0xB0, 0xBF}}},
        {20, {{0xA0, 0xA3}}},
        {21, {{0x8C, 0x8C}, {0x8E, 0x8E}}},
        {22, {{0x68, 0x68}, {0x6A, 0x6A}}},
        {23, {{0x69, 0x69}, {0x6B, 0x6B}}},
        {24, {{0x0F, 0x0F}}},
        {25, {{0xD8, 0xDF}}},
        {26, {{0x40, 0x5F}, {0x91, 0x97}}},
        {27, {{0x27, 0x27}, {0x2F, 0x2F}, {0x37, 0x37}, {0x3F, 0x3F}, {0x60, 0x61}, {0x90, 0x90}, {0x98, 0x99},
              {0x9B, 0x9F}, {0xC3, 0xC3}, {0xC9, 0xC9}, {0xCB, 0xCC}, {0xCE, 0xCF}, {0xD6, 0xD7}, {0xF1, 0xF1},
              {0xF4, 0xF5}, {0xF8, 0xFD}}},
        {28, {{0x84, 0x87}}},
    };
    EXPECT_EQ(CheckListings(kOneByteClassTable, listings), 256);
}

TEST(TwoByteClassTable, AgreesWithTheSecondBytesOfEveryHandler) {
    const std::vector<ClassListing> listings = {
        {0, {{0xC8, 0xCF}}},
        {1, {{0xBA, 0xBA}}},
        {2, {{0x20, 0x23}}},
        {3, {{0xA0, 0xA1}, {0xA8, 0xA9}, {0xB8, 0xB9}}},
        {4, {{0xA4, 0xA4}, {0xAC, 0xAC}}},
        {5, {{0xB0, 0xB1}, {0xB6, 0xB7}, {0xBE, 0xBF}, {0xC0, 0xC1}}},
        {6, {{0x06, 0x06}, {0x08, 0x09}, {0x0B, 0x0B}, {0x30, 0x33}, {0xA2, 0xA2}, {0xAA, 0xAA}}},
        {7, {{0x40, 0x4F}}},
        {8, {{0x80, 0x8F}}},
        {9, {{0x90, 0x9F}}},
        {10, {{0x00, 0x01}, {0xC7, 0xC7}}},
        {11, {{0x02, 0x03}, {0xA3, 0xA3}, {0xA5, 0xA5}, {0xAB, 0xAB}, {0xAD, 0xAD}, {0xAF, 0xAF}, {0xB2, 0xB5},
              {0xBB, 0xBD}}},
    };
    const int handled = CheckListings(kTwoByteClassTable, listings);
    int mmx = 0, sse = 0, unassigned = 0;
    for (unsigned byte = 0; byte < 256; ++byte) {
        const uint8_t c = kTwoByteClassTable[byte];
        mmx += c == TwoByteClass::Mmx;
        sse += c == TwoByteClass::SseScalar;
        unassigned += c == TwoByteClass::Invalid;
    }
    EXPECT_EQ(handled + mmx + sse + unassigned, 256);
    EXPECT_EQ(mmx, 59);
    EXPECT_EQ(sse, 45);
    EXPECT_EQ(unassigned, 48);
    const std::vector<std::pair<uint8_t, uint8_t>> spots = {
        {0x60, 12}, {0x6F, 12}, {0x77, 12}, {0xE3, 12}, {0xEE, 12}, {0xF3, 12}, {0xFE, 12}, {0xFF, 12},
        {0x10, 13}, {0x18, 13}, {0x2F, 13}, {0x70, 13}, {0xAE, 13}, {0xC2, 13}, {0xE4, 13}, {0xF7, 13},
        {0x04, 99}, {0x0F, 99}, {0x19, 99}, {0x6C, 99}, {0xA6, 99}, {0xA7, 99}, {0xC3, 99}, {0xF4, 99},
    };
    for (const auto& [byte, expected] : spots) EXPECT_EQ(kTwoByteClassTable[byte], expected) << std::hex << +byte;
}

TEST(MnemonicTables, EntriesAreIndexesIntoTheList) {
    auto check = [](const uint32_t* table, size_t size, const char* name) {
        int unnamed = 0;
        for (size_t i = 0; i < size; ++i) {
            EXPECT_EQ(table[i] >> 16, 0u) << name << " " << i;
            EXPECT_LT(MnemonicIndexOf(table[i]), kMnemonicCount) << name << " " << i;
            unnamed += table[i] == 0;
        }
        return unnamed;
    };
    EXPECT_EQ(check(kOneByteMnemonicTable, 256, "one-byte"), 36);
    EXPECT_EQ(check(kTwoByteMnemonicTable, 256, "two-byte"), 106);
    for (const uint32_t* group : {kGroup1MnemonicTable, kShiftGroupMnemonicTable, kGroup3MnemonicTable,
                                  kGroup45MnemonicTable, kBitTestGroupMnemonicTable}) {
        EXPECT_EQ(check(group, 8, "group"), 0);
    }
}

struct NamedEntry {
    uint8_t byte;
    const char* text;  // "" for an entry of 0
};

void ExpectNames(const uint32_t (&table)[256], const std::vector<NamedEntry>& entries) {
    for (const NamedEntry& e : entries) {
        EXPECT_STREQ(MnemonicText(MnemonicIndexOf(table[e.byte])), e.text) << "byte " << std::hex << +e.byte;
    }
}

TEST(MnemonicTables, OneByteEntriesNameTheirOpcodes) {
    ExpectNames(kOneByteMnemonicTable,
                {{0x00, "add"}, {0x07, "pop"}, {0x0E, "push"}, {0x0F, "pop"}, {0x10, "adc"}, {0x1D, "sbb"},
                 {0x26, ""}, {0x27, "daa"}, {0x2F, "das"}, {0x30, "xor"}, {0x3B, "cmp"}, {0x3F, "aas"},
                 {0x40, "inc"}, {0x4F, "dec"}, {0x50, "push"}, {0x5F, "pop"}, {0x60, "pusha"}, {0x62, "bound"},
                 {0x63, "arpl"}, {0x66, ""}, {0x6B, "imul"}, {0x6D, "insd"}, {0x6F, "outsd"}, {0x70, "jo"},
                 {0x72, "jb"}, {0x7A, "jp"}, {0x7F, "jg"}, {0x80, ""}, {0x85, "test"}, {0x87, "xchg"},
                 {0x8D, "lea"}, {0x8F, ""}, {0x90, "nop"}, {0x97, "xchg"}, {0x98, "cbw"}, {0x99, "cwd"},
                 {0x9A, "call"}, {0x9B, "wait"}, {0x9F, "lahf"}, {0xA0, "mov"}, {0xA5, "movsd"}, {0xA7, "cmpsd"},
                 {0xA9, "test"}, {0xAB, "stosd"}, {0xAF, "scasd"}, {0xB0, "mov"}, {0xBF, "mov"}, {0xC0, ""},
                 {0xC3, "retn"}, {0xC5, "lds"}, {0xC8, "enter"}, {0xCB, "retf"}, {0xCC, "int3"}, {0xCF, "iret"},
                 {0xD3, ""}, {0xD6, "salc"}, {0xD7, "xlat"}, {0xDF, ""}, {0xE0, "loopnz"}, {0xE3, "jecxz"},
                 {0xE7, "out"}, {0xE8, "call"}, {0xEB, "jmp"}, {0xEC, "in"}, {0xF0, ""}, {0xF1, "int1"},
                 {0xF4, "hlt"}, {0xF7, ""}, {0xF8, "clc"}, {0xFD, "std"}, {0xFF, ""}});
}

TEST(MnemonicTables, TwoByteEntriesNameTheirOpcodes) {
    ExpectNames(kTwoByteMnemonicTable,
                {{0x00, ""}, {0x02, "lar"}, {0x06, "clts"}, {0x09, "wbinvd"}, {0x0B, "ud2"}, {0x10, ""},
                 {0x20, "mov"}, {0x23, "mov"}, {0x30, "wrmsr"}, {0x33, "rdpmc"}, {0x40, "cmovo"}, {0x46, "cmovna"},
                 {0x4F, "cmovg"}, {0x58, ""}, {0x60, "punpcklbw"}, {0x63, "packsswb"}, {0x6B, "packssdw"},
                 {0x6E, "movd"}, {0x6F, "movq"}, {0x70, ""}, {0x74, "pcmpeqb"}, {0x77, "emms"}, {0x7F, "movq"},
                 {0x80, "jo"}, {0x87, "ja"}, {0x8C, "jl"}, {0x90, "seto"}, {0x9E, "setng"}, {0xA0, "push"},
                 {0xA1, "pop"}, {0xA2, "cpuid"}, {0xA5, "shld"}, {0xAA, "rsm"}, {0xAD, "shrd"}, {0xAF, "imul"},
                 {0xB0, "cmpxchg"}, {0xB2, "lss"}, {0xB5, "lgs"}, {0xB7, "movzx"}, {0xB8, "push"}, {0xB9, "pop"},
                 {0xBA, ""}, {0xBC, "bsf"}, {0xBF, "movsx"}, {0xC1, "xadd"}, {0xC7, ""}, {0xCF, "bswap"},
                 {0xD1, "psrlw"}, {0xD5, "pmullw"}, {0xDB, "pand"}, {0xDF, "pandn"}, {0xE3, ""},
                 {0xE4, "pullhuw"}, {0xE9, "psubsw"}, {0xEE, ""}, {0xEF, "pxor"}, {0xF3, "psllq"},
                 {0xF5, "pmaddwd"}, {0xFA, "psubd"}, {0xFE, "paddd"}, {0xFF, ""}});
}

TEST(MnemonicTables, GroupEntriesHoldTheirIndexes) {
    struct Group {
        const uint32_t* table;
        uint16_t indexes[8];
    };
    const Group groups[] = {
        {kGroup1MnemonicTable, {7, 119, 6, 144, 8, 179, 192, 41}},
        {kShiftGroupMnemonicTable, {137, 138, 130, 131, 165, 167, 141, 143}},
        {kGroup3MnemonicTable, {182, 1, 118, 116, 115, 56, 52, 55}},
        {kGroup45MnemonicTable, {58, 51, 18, 18, 87, 87, 127, 1}},
        {kBitTestGroupMnemonicTable, {1, 1, 1, 1, 14, 17, 16, 15}},
    };
    for (const Group& g : groups) {
        for (int r = 0; r < 8; ++r) EXPECT_EQ(g.table[r], g.indexes[r]) << "reg field " << r;
    }
    EXPECT_STREQ(MnemonicText(MnemonicIndexOf(kGroup1MnemonicTable[7])), "cmp");
    EXPECT_STREQ(MnemonicText(MnemonicIndexOf(kShiftGroupMnemonicTable[6])), "sal");
    EXPECT_STREQ(MnemonicText(MnemonicIndexOf(kGroup3MnemonicTable[5])), "imul");
    EXPECT_STREQ(MnemonicText(MnemonicIndexOf(kBitTestGroupMnemonicTable[7])), "btc");
}

TEST(MnemonicList, SlotsAreTerminatedAndIndexedAsListed) {
    for (int i = 0; i < kMnemonicCount; ++i) {
        EXPECT_EQ(kMnemonicList[i][kMnemonicSlotSize - 1], '\0') << i;
    }
    EXPECT_STREQ(MnemonicText(0), "");
    EXPECT_STREQ(MnemonicText(1), "INVALID");
    EXPECT_STREQ(MnemonicText(Mnemonic::Prefetchnta), "prefetchnta");
    EXPECT_EQ(std::strlen(MnemonicText(Mnemonic::Prefetchnta)), 11u);
    EXPECT_STREQ(MnemonicText(392), "cvttps2pi");
    EXPECT_STREQ(MnemonicText(393), "");
    EXPECT_STREQ(MnemonicText(394), "");
    EXPECT_STREQ(MnemonicText(Mnemonic::Cwd), "cwd");
    EXPECT_STREQ(MnemonicText(Mnemonic::Fld), "fld");
    EXPECT_STREQ(MnemonicText(Mnemonic::Emms), "emms");
}

}  // namespace
}  // namespace vexa
