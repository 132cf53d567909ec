// The assembler: what a person types and what the formatter writes, the bytes
// chosen, the messages for bad text, and the list of every encoding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assembler/assembler.h"
#include "assembler/candidate_encoder.h"
#include "assembler/encoding_index.h"
#include "assembler/syntax_names.h"

namespace vexa {
namespace {

constexpr bool k16 = false;
constexpr bool k32 = true;

std::string Hex(const uint8_t* bytes, unsigned count) {
    std::string s;
    static const char kDigits[] = "0123456789ABCDEF";
    for (unsigned i = 0; i < count; ++i) {
        if (i) s += ' ';
        s += kDigits[bytes[i] >> 4];
        s += kDigits[bytes[i] & 15];
    }
    return s;
}

std::string Assemble(const char* text, bool is32, std::string* message = nullptr) {
    uint8_t bytes[kMaxInstructionLength];
    unsigned length = 0;
    AssembleError error{};
    if (!AssembleInstruction(text, is32, bytes, &length, &error)) {
        if (message) *message = error.message;
        return "error";
    }
    return Hex(bytes, length);
}

struct Case {
    bool is32;
    const char* text;
    const char* bytes;
};

// The tie rule, prefix order, synonyms, and the liberties a person takes.
const Case kCases[] = {
    {k32, "mov eax, ebx", "89 D8"},                      // tie: the lower byte string, as GNU as
    {k32, "add eax, 1", "83 C0 01"},                     // imm8 sign-extended beats imm32
    {k32, "add eax, 80", "05 80 00 00 00"},              // 80h does not sign-extend to itself
    {k32, "add eax, -1", "83 C0 FF"},
    {k32, "add eax, 0FFFFFFFF", "83 C0 FF"},
    {k16, "add ax, 0FFFF", "83 C0 FF"},
    {k32, "MOV EAX, [EBX+4]", "8B 43 04"},               // any case; size from the register
    {k32, "mov\teax,dword   ptr[ ebx + 4 ]", "8B 43 04"},
    {k32, "mov eax, dword [4+ebx]", "8B 43 04"},          // ptr optional, terms in any order
    {k32, "mov eax, [esi*4+ebx]", "8B 04 B3"},
    {k32, "mov eax, [4*esi+ebx+0x10]", "8B 44 B3 10"},
    {k32, "mov eax, [ebx+10h-8]", "8B 43 08"},
    {k32, "mov eax, [ebx+esi*1]", "8B 04 33"},
    {k32, "mov eax, [esp]", "8B 04 24"},
    {k32, "mov eax, [ebp]", "8B 45 00"},                  // written as [ebp+0]
    {k32, "mov eax, [eax+esp]", "8B 04 04"},               // esp cannot index: it becomes the base
    {k32, "mov eax, [esi*2]", "8B 04 75 00 00 00 00"},
    {k32, "mov eax, [00001234]", "A1 34 12 00 00"},
    {k32, "mov eax, [1234]", "67 A1 34 12"},               // four digits: the formatter's 16-bit address
    {k32, "mov eax, [0x1234]", "A1 34 12 00 00"},
    {k16, "mov ax, [bx+si+12]", "8B 40 12"},
    {k16, "mov ax, [si+bx+12]", "8B 40 12"},
    {k16, "mov ax, [bp]", "8B 46 00"},
    {k16, "mov ax, [si]", "8B 04"},
    {k16, "mov eax, [ebx]", "66 67 8B 03"},
    {k16, "mov ax, [1234]", "A1 34 12"},
    {k32, "lock add dword ptr es:[ebx+esi*4+10], eax", "26 F0 01 44 B3 10"},
    {k32, "lock rep add dword ptr es:[bx], eax", "67 26 F0 F3 01 07"},  // 66h 67h segment F0h F2h/F3h
    {k32, "addss xmm0, xmm1", "F3 0F 58 C1"},             // the rep the formatter shows is implied
    {k32, "rep addss xmm0, xmm1", "F3 0F 58 C1"},
    {k32, "movss xmm0, dword ptr [eax]", "F3 0F 10 00"},
    {k32, "movq mm0, mm1", "0F 6F C1"},
    {k32, "jz $+5", "74 03"},                              // synonyms of the peers
    {k32, "jnae $+2", "72 00"},
    {k32, "setnz al", "0F 95 C0"},
    {k32, "cmovge eax, ebx", "0F 4D C3"},
    {k32, "loope $-10", "E1 EE"},
    {k32, "fnstsw ax", "DF E0"},
    {k32, "fwait", "9B"},
    {k32, "ret", "C3"},
    {k32, "repe cmpsb", "F3 A6"},
    {k32, "repnz scasb", "F2 AE"},
    {k32, "jmp $+90000", "E9 FB FF 08 00"},
    {k32, "jmp $", "EB FE"},
    {k32, "jmp $-7E", "EB 80"},
    {k32, "jmp $+81", "66 E9 7D 00"},                      // the text shows no operand size: 66h rel16 is shorter
    {k32, "jmp $+8081", "E9 7C 80 00 00"},
    {k16, "jmp $+90000", "66 E9 FA FF 08 00"},
    {k16, "jecxz $+3", "67 E3 00"},
    {k32, "jmp 1234:00005678", "EA 78 56 00 00 34 12"},
    {k32, "jmp 1234:5678", "66 EA 78 56 34 12"},           // four digits: the 16-bit pointer
    {k16, "call 0F000:0FFF0", "9A F0 FF 00 F0"},
    {k32, "retn 0008", "C2 08 00"},
    {k32, "retn 8", "C2 08 00"},
    {k32, "int 3", "CD 03"},
    {k32, "int3", "CC"},
    {k32, "shl eax, 1", "D1 E0"},
    {k32, "shl eax, cl", "D3 E0"},
    {k32, "shl eax, 2", "C1 E0 02"},
    {k32, "enter 10, 5", "C8 10 00 05"},
    {k32, "fadd st, st(1)", "D8 C1"},
    {k32, "fadd st(1), st", "DC C1"},
    {k32, "fld st(0)", "D9 C0"},
    {k32, "fld tbyte ptr [eax]", "DB 28"},
    {k32, "fsave (108-bytes) ptr [eax]", "DD 30"},
    {k32, "lgdt (48-bit) ptr [eax]", "0F 01 10"},
    {k32, "sgdt [eax]", "0F 01 00"},                       // one size only: none needs writing
    {k32, "push 1", "6A 01"},
    {k32, "push eax", "50"},
    {k32, "push es", "06"},
    {k32, "mov eax, cr0", "0F 20 C0"},
    {k32, "movzx eax, byte ptr [ebx]", "0F B6 03"},
    {k32, "movzx eax, bl", "0F B6 C3"},
    {k32, "mov al, byte ptr ds:[ebx]", "3E 8A 03"},
    {k32, "mov eax, ebx ; comment", "89 D8"},
    {k32, "nop", "90"},
};

TEST(Assembler, AssemblesTheTable) {
    for (const Case& c : kCases) {
        std::string message;
        EXPECT_EQ(Assemble(c.text, c.is32, &message), c.bytes) << (c.is32 ? "32" : "16") << "-bit '" << c.text << "' " << message;
    }
}

struct BadCase {
    bool is32;
    const char* text;
    const char* message;
};

const BadCase kBadCases[] = {
    {k32, "mvo eax, ebx", "unknown mnemonic 'mvo'"},
    {k32, "mov [eax], 1", "operand size is ambiguous: write byte, word or dword ptr"},
    {k32, "fld [eax]", "operand size is ambiguous: write dword, qword or tbyte ptr"},
    {k32, "mov al, dword ptr [eax]", "'al' cannot be used with 'dword ptr'"},
    {k32, "mov al, 1FF", "immediate 1FFh does not fit in 8 bits"},
    {k32, "mov al, -81", "immediate -81h does not fit in 8 bits"},
    {k32, "enter 10, 100", "immediate 100h does not fit in 8 bits"},  // the operand at fault, not the first
    {k32, "retn 10000", "immediate 10000h does not fit in 16 bits"},
    {k32, "mov cr9, eax", "no encoding of 'mov cr9, eax'"},
    {k16, "jcxz $+90000", "relative target $+90000 is out of range in 16-bit code"},
    {k32, "loop $-90000", "relative target $-90000 is out of range in 32-bit code"},
    {k32, "mov eax, ebx, ecx, edx", "too many operands: at most three, not 'edx'"},
    {k32, "mov eax,", "expected an operand after the last ','"},
    {k32, "mov eax ebx", "expected ',' between operands, not 'ebx'"},
    {k32, "mov eax, [ebx", "expected ']' to close '[ebx'"},
    {k32, "mov eax, []", "empty address '[]'"},
    {k32, "mov eax, [ebx-esi]", "a register cannot be subtracted: '-esi'"},
    {k32, "mov eax, [esi*3]", "scale factor '3' must be 1, 2, 4 or 8"},
    {k32, "mov eax, [esp*2]", "'esp' cannot be an index register"},
    {k32, "mov eax, [bx+esi]", "16- and 32-bit registers cannot be mixed in '[bx+esi]'"},
    {k32, "mov eax, [al]", "'al' cannot be used in an address"},
    {k16, "mov ax, [ax]", "'ax' cannot be used in a 16-bit address"},
    {k16, "mov ax, [si*2]", "a 16-bit address has no scale factor: 'si*2]'"},
    {k16, "mov ax, [bx+bp]", "no 16-bit address has the registers of '[bx+bp]'"},
    {k32, "mov eax, foo", "unknown operand 'foo'"},
    {k32, "mov al, FF", "number 'FF' must begin with a digit: write 0 before it"},
    {k32, "mov al, 1FG", "'1FG' is not a number (write hex as 1F, 0x1F or 1Fh)"},
    {k32, "mov eax, 100000000", "number '100000000' does not fit in 32 bits"},
    {k32, "mov eax, dword ptr ebx", "expected '[' after 'dword ptr '"},
    {k32, "rep", "expected a mnemonic after 'rep'"},
    {k32, "   ", "empty instruction: expected a mnemonic"},
    {k32, "jmp 10000:0", "selector '10000' does not fit in 16 bits"},
    {k32, "mov al, ebx", "no encoding of 'mov al, ebx'"},
    {k32, "addss xmm0, mm1", "no encoding of 'addss xmm0, mm1'"},
    {k32, "repne addss xmm0, xmm1", "no encoding of 'repne addss xmm0, xmm1'"},
    {k32, "push byte ptr [eax]", "no encoding of 'push byte ptr [eax]'"},
    {k32, "mov eax, [ebx+100000000]", "number '100000000' does not fit in 32 bits"},
    {k16, "mov ax, [bx+10000]", "displacement in '[bx+10000]' does not fit in a 16-bit address"},
};

TEST(Assembler, ExplainsBadText) {
    for (const BadCase& c : kBadCases) {
        std::string message;
        EXPECT_EQ(Assemble(c.text, c.is32, &message), "error") << c.text;
        EXPECT_EQ(message, c.message) << c.text;
    }
}

TEST(Assembler, RefusesNullPointersAndOverlongText) {
    uint8_t bytes[kMaxInstructionLength];
    unsigned length = 0;
    AssembleError error{};
    EXPECT_FALSE(AssembleInstruction(nullptr, true, bytes, &length, &error));
    EXPECT_FALSE(AssembleInstruction("nop", true, nullptr, &length, &error));
    EXPECT_FALSE(AssembleInstruction("nop", true, bytes, nullptr, &error));
    EXPECT_FALSE(AssembleInstruction("nop", true, bytes, &length, nullptr));
    const std::string longText = "mov eax, [ebx" + std::string(300, ' ') + "]";
    std::string message;
    EXPECT_EQ(Assemble(longText.c_str(), true, &message), "error");
    EXPECT_EQ(message, "instruction text longer than 255 characters");
}

std::vector<std::string> All(const char* text, bool is32) {
    AssembledBytes encodings[kMaxListedEncodings];
    unsigned count = 0;
    AssembleError error{};
    std::vector<std::string> out;
    if (!ListEncodings(text, is32, encodings, kMaxListedEncodings, &count, &error)) return {error.message};
    for (unsigned i = 0; i < count; ++i) out.push_back(Hex(encodings[i].bytes, encodings[i].length));
    return out;
}

TEST(Assembler, ListsEveryEncodingShortestFirst) {
    using V = std::vector<std::string>;
    EXPECT_EQ(All("mov eax, ebx", k32), (V{"89 D8", "8B C3"}));
    EXPECT_EQ(All("add eax, 1", k32), (V{"83 C0 01", "05 01 00 00 00", "81 C0 01 00 00 00"}));
    EXPECT_EQ(All("mov ax, [bx+12]", k16), (V{"8B 47 12", "8B 87 12 00"}));
    EXPECT_EQ(All("mov eax, [ebx]", k32), (V{"8B 03", "8B 04 23"}));
    // No redundant prefix: 66h changes nothing an MMX or scalar SSE text shows.
    EXPECT_EQ(All("paddb mm0, mm1", k32), (V{"0F FC C1"}));
    EXPECT_EQ(All("addss xmm0, xmm1", k16), (V{"F3 0F 58 C1"}));
    EXPECT_EQ(All("mvo eax, ebx", k32), (V{"unknown mnemonic 'mvo'"}));
    // The first of the list is what AssembleInstruction chooses.
    for (const Case& c : kCases) EXPECT_EQ(All(c.text, c.is32).front(), c.bytes) << c.text;
}

// AssembleInstruction holds the candidates of one mnemonic and operand kinds
// in a fixed array; the tables must stay within it.
TEST(Assembler, CandidateGroupsFitTheFixedStorage) {
    EXPECT_TRUE(assembler::CandidateStorageSufficed());
    EXPECT_TRUE(assembler::WordStorageSufficed());
    for (bool is32 : {false, true}) {
        for (uint16_t mnemonic = 0; mnemonic < 512; ++mnemonic) {
            const assembler::CandidateRange all = assembler::CandidatesOf(mnemonic, is32);
            for (const assembler::Candidate* c = all.begin; c != all.end; ++c) {
                const assembler::CandidateRange group = assembler::CandidatesOf(mnemonic, c->signature, is32);
                ASSERT_LE(group.end - group.begin, static_cast<long>(assembler::kMaxPending)) << mnemonic;
            }
        }
    }
}

}  // namespace
}  // namespace vexa
