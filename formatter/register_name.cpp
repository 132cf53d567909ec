#include "formatter/register_name.h"

#include <cstring>

#include "decoder/decoded_instruction.h"
#include "formatter/text_append.h"

namespace vexa {
namespace {

struct RegisterName {
    char text[7];
    uint8_t length;
};

constexpr unsigned kNamedClasses = RegisterClass::Xmm + 1;

// By class, then number. The top of the x87 stack is "st", never "st(0)".
constexpr RegisterName kRegisterNames[kNamedClasses][8] = {
    {{"al", 2}, {"cl", 2}, {"dl", 2}, {"bl", 2}, {"ah", 2}, {"ch", 2}, {"dh", 2}, {"bh", 2}},
    {{"ax", 2}, {"cx", 2}, {"dx", 2}, {"bx", 2}, {"sp", 2}, {"bp", 2}, {"si", 2}, {"di", 2}},
    {{"eax", 3}, {"ecx", 3}, {"edx", 3}, {"ebx", 3}, {"esp", 3}, {"ebp", 3}, {"esi", 3}, {"edi", 3}},
    {{"st", 2}, {"st(1)", 5}, {"st(2)", 5}, {"st(3)", 5}, {"st(4)", 5}, {"st(5)", 5}, {"st(6)", 5}, {"st(7)", 5}},
    {{"mm0", 3}, {"mm1", 3}, {"mm2", 3}, {"mm3", 3}, {"mm4", 3}, {"mm5", 3}, {"mm6", 3}, {"mm7", 3}},
    {{"cr0", 3}, {"cr1", 3}, {"cr2", 3}, {"cr3", 3}, {"cr4", 3}, {"cr5", 3}, {"cr6", 3}, {"cr7", 3}},
    {{"dr0", 3}, {"dr1", 3}, {"dr2", 3}, {"dr3", 3}, {"dr4", 3}, {"dr5", 3}, {"dr6", 3}, {"dr7", 3}},
    {{"es", 2}, {"cs", 2}, {"ss", 2}, {"ds", 2}, {"fs", 2}, {"gs", 2}, {"?s", 2}, {"?s", 2}},
    {{"xmm0", 4}, {"xmm1", 4}, {"xmm2", 4}, {"xmm3", 4}, {"xmm4", 4}, {"xmm5", 4}, {"xmm6", 4}, {"xmm7", 4}},
};

}  // namespace

char* AppendRegisterName(char* end, uint8_t code) {
    const uint8_t registerClass = RegisterClassOf(code);
    if (registerClass >= kNamedClasses) {
        *end = '\0';
        return end;
    }
    // Every name has 2 to 5 characters: the first three (the third may be the
    // padding zero) and the last two cover them all without a branch on the
    // length, which changes from one operand to the next.
    const RegisterName& name = kRegisterNames[registerClass][RegisterNumber(code)];
    const unsigned length = name.length;
    std::memcpy(end, name.text, 3);
    std::memcpy(end + length - 2, name.text + length - 2, 2);
    end[length] = '\0';
    return end + length;
}

bool FormatRegisterName(uint8_t number, char* text, uint8_t registerClass) {
    if (registerClass < kNamedClasses) AppendRegisterName(text, MakeRegisterCode(registerClass, number));
    return true;
}

}  // namespace vexa
