#include "tools/vexa_decode/modrm_fields.h"

#include "decoder/mnemonic_list.h"
#include "formatter/operand_text.h"
#include "formatter/register_name.h"
#include "tools/vexa_decode/field_variants.h"
#include "tools/vexa_decode/hex_text.h"

namespace vexa::cli {
namespace {

constexpr unsigned kRegisterForm = 3;
constexpr unsigned kSibFollows = 4;  // r/m 100 in 32-bit addressing
constexpr unsigned kNoBase32 = 5;    // r/m 101 (or SIB base 101) with mod 00
constexpr unsigned kNoBase16 = 6;    // r/m 110 with mod 00
constexpr unsigned kNoIndex = 4;     // SIB index 100

bool Address32(const DecodedWindow& decoded) {
    return ComputeEffectiveSizes(decoded.is32BitMode, decoded.record->prefixFlags).address32;
}

std::string RegisterText(uint8_t code) {
    char name[8] = {};
    FormatRegisterName(RegisterNumber(code), name, RegisterClassOf(code));
    return name;
}

std::string OperandText(const DecodedInstruction& record, const OperandDescriptor& operand) {
    char text[kOperandTextSize] = {};
    FormatOperand(record, operand, text);
    return text;
}

std::string ModMeaning(const DecodedWindow& decoded, unsigned mod, unsigned rm, unsigned modrmAt) {
    if (mod == kRegisterForm) return "register operand, no memory";
    const bool address32 = Address32(decoded);
    const char* wide = address32 ? "32-bit" : "16-bit";
    if (mod == 1) return "memory, an 8-bit displacement follows";
    if (mod == 2) return std::string("memory, a ") + wide + " displacement follows";
    if (address32 && rm == kNoBase32) return "memory, no base: a 32-bit displacement follows";
    if (!address32 && rm == kNoBase16) return "memory, no base: a 16-bit displacement follows";
    if (address32 && rm == kSibFollows && (decoded.window[modrmAt + 1] & 7) == kNoBase32) {
        return "memory, no base: a 32-bit displacement follows the SIB byte";
    }
    return "memory, no displacement";
}

std::string OperandNumber(int slot) { return " (operand " + std::to_string(slot + 1) + ")"; }

std::string SelectedName(const DecodedInstruction& record) {
    const char* name = MnemonicText(record.mnemonic);
    return name[0] != '\0' ? std::string("selects ") + name : "selects an unnamed form";
}

std::string RegMeaning(const DecodedWindow& decoded, unsigned modrmAt, unsigned reg) {
    const DecodedInstruction& record = *decoded.record;
    if (IsInvalid(record)) return "/" + std::to_string(reg);
    const FieldFinding finding = FindFieldUse(decoded.window, modrmAt, kRegField, record, decoded.is32BitMode);
    switch (finding.use) {
        case FieldUse::Operand:
            return "register " + RegisterText(record.operands[finding.operand].reg) + OperandNumber(finding.operand);
        case FieldUse::Selector: return "opcode extension /" + std::to_string(reg) + ": " + SelectedName(record);
        case FieldUse::Unused: break;
    }
    return "not used by this instruction";
}

std::string MemoryText(const DecodedWindow& decoded, unsigned modrmAt) {
    const DecodedInstruction& record = *decoded.record;
    if (!IsInvalid(record)) {
        for (unsigned i = 0; i < record.operandCount && i < 3; ++i) {
            if (record.operands[i].kind == OperandKind::Memory) {
                return "memory " + OperandText(record, record.operands[i]) + OperandNumber(static_cast<int>(i));
            }
        }
    }
    // No memory operand stored (an invalid result): the addressing alone.
    const ModRMReading reading = ReadModRM(decoded.window + modrmAt, Address32(decoded));
    return "memory " + OperandText(record, reading.rm);
}

std::string RmMeaning(const DecodedWindow& decoded, unsigned modrmAt, unsigned mod, unsigned rm) {
    const DecodedInstruction& record = *decoded.record;
    if (mod != kRegisterForm) {
        const std::string memory = MemoryText(decoded, modrmAt);
        return Address32(decoded) && rm == kSibFollows ? "a SIB byte follows; " + memory : memory;
    }
    if (IsInvalid(record)) return "register number " + std::to_string(rm);
    const FieldFinding finding = FindFieldUse(decoded.window, modrmAt, kRmField, record, decoded.is32BitMode);
    switch (finding.use) {
        case FieldUse::Operand:
            return "register " + RegisterText(record.operands[finding.operand].reg) + OperandNumber(finding.operand);
        case FieldUse::Selector: return "part of the operation: " + SelectedName(record);
        case FieldUse::Unused: break;
    }
    return "not used by this instruction";
}

std::string Gpr32Name(unsigned number) {
    char name[8] = {};
    FormatRegisterName(static_cast<uint8_t>(number), name, RegisterClass::Gpr32);
    return name;
}

}  // namespace

ByteFields ModRMFields(const DecodedWindow& decoded, unsigned modrmAt) {
    const uint8_t modrm = decoded.window[modrmAt];
    const unsigned mod = modrm >> 6, reg = (modrm >> 3) & 7, rm = modrm & 7;
    return ByteFields{
        FieldLine{"mod", BinaryText(mod, 2), "bits 7-6", ModMeaning(decoded, mod, rm, modrmAt)},
        FieldLine{"reg", BinaryText(reg, 3), "bits 5-3", RegMeaning(decoded, modrmAt, reg)},
        FieldLine{"r/m", BinaryText(rm, 3), "bits 2-0", RmMeaning(decoded, modrmAt, mod, rm)},
    };
}

ByteFields SibFields(const DecodedWindow& decoded, unsigned modrmAt) {
    const unsigned mod = decoded.window[modrmAt] >> 6;
    const uint8_t sib = decoded.window[modrmAt + 1];
    const unsigned scale = sib >> 6, index = (sib >> 3) & 7, base = sib & 7;
    const bool noIndex = index == kNoIndex;
    const bool noBase = base == kNoBase32 && mod == 0;
    return ByteFields{
        FieldLine{"scale", BinaryText(scale, 2), "bits 7-6",
                  noIndex ? "not used: there is no index" : "index times " + std::to_string(1u << scale)},
        FieldLine{"index", BinaryText(index, 3), "bits 5-3",
                  noIndex ? std::string("no index (100)") : "index register " + Gpr32Name(index)},
        FieldLine{"base", BinaryText(base, 3), "bits 2-0",
                  noBase ? std::string("no base (101 with mod 00): a 32-bit displacement follows")
                         : "base register " + Gpr32Name(base)},
    };
}

}  // namespace vexa::cli
