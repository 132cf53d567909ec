#include "formatter/register_name.h"

#include "decoder/decoded_instruction.h"
#include "formatter/text_append.h"

namespace vexa {
namespace {

constexpr char kGpr8Names[8][3] = {"al", "cl", "dl", "bl", "ah", "ch", "dh", "bh"};
constexpr char kGpr16Names[8][3] = {"ax", "cx", "dx", "bx", "sp", "bp", "si", "di"};
constexpr char kSegmentNames[8][3] = {"es", "cs", "ss", "ds", "fs", "gs", "?s", "?s"};

void WriteNumbered(const char* prefix, uint8_t number, char* text) {
    AppendDecimal(AppendText(text, prefix), number);
}

}  // namespace

bool FormatRegisterName(uint8_t number, char* text, uint8_t registerClass) {
    number &= 7;
    switch (registerClass) {
        case RegisterClass::Gpr8: AppendText(text, kGpr8Names[number]); break;
        case RegisterClass::Gpr16: AppendText(text, kGpr16Names[number]); break;
        case RegisterClass::Gpr32: AppendText(AppendText(text, "e"), kGpr16Names[number]); break;
        case RegisterClass::Fpu:
            // The top of the stack is "st", never "st(0)".
            if (number == 0) {
                AppendText(text, "st");
            } else {
                AppendChar(AppendDecimal(AppendText(text, "st("), number), ')');
            }
            break;
        case RegisterClass::Mmx: WriteNumbered("mm", number, text); break;
        case RegisterClass::Control: WriteNumbered("cr", number, text); break;
        case RegisterClass::Debug: WriteNumbered("dr", number, text); break;
        case RegisterClass::Segment: AppendText(text, kSegmentNames[number]); break;
        case RegisterClass::Xmm: WriteNumbered("xmm", number, text); break;
        default: break;
    }
    return true;
}

}  // namespace vexa
