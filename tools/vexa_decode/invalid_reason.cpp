#include "tools/vexa_decode/invalid_reason.h"

#include <algorithm>
#include <array>

#include "decoder/decoder.h"
#include "decoder/mnemonic_list.h"
#include "decoder/opcode_classes.h"
#include "tools/vexa_decode/field_variants.h"
#include "tools/vexa_decode/hex_text.h"

namespace vexa::cli {
namespace {

constexpr uint8_t kModMask = 0xC0;

struct Site {
    const DecodedWindow& decoded;
    unsigned opcodeAt;  // position of the opcode (0Fh for two-byte opcodes)
    unsigned modrmAt;   // position of the ModR/M byte, when the record has one

    const uint8_t* Window() const { return decoded.window; }
    uint8_t Byte(unsigned at) const { return decoded.window[at]; }
    uint8_t ModRM() const { return Byte(modrmAt); }
    bool RegisterForm() const { return (ModRM() & kModMask) == kModMask; }
    unsigned RegField() const { return (ModRM() >> 3) & 7; }
    bool TwoByte() const { return (decoded.record->decodeFlags & DecodeFlag::TwoByteOpcode) != 0; }
};

// "0F 6D", "D9 D1": the opcode bytes, and with `withModRM` the ModR/M byte.
std::string OpcodeBytes(const Site& site, bool withModRM) {
    std::string text = HexByte(site.Byte(site.opcodeAt));
    if (site.TwoByte()) text += " " + HexByte(site.Byte(site.opcodeAt + 1));
    if (withModRM) text += " " + HexByte(site.ModRM());
    return text;
}

// "/0, /2-/7"
std::string FieldValueList(uint8_t values) {
    std::string text;
    for (unsigned v = 0; v < 8; ++v) {
        if (!(values & (1u << v))) continue;
        unsigned last = v;
        while (last + 1 < 8 && (values & (1u << (last + 1)))) ++last;
        if (!text.empty()) text += ", ";
        text += "/" + std::to_string(v);
        if (last >= v + 2) {
            text += "-/" + std::to_string(last);
            v = last;
        }
    }
    return text;
}

std::string RegFieldText(unsigned reg) { return "reg field " + BinaryText(reg, 3) + " (/" + std::to_string(reg) + ")"; }

InvalidDiagnosis Diagnosis(InvalidReason reason, std::string text) {
    InvalidDiagnosis diagnosis;
    diagnosis.reason = reason;
    diagnosis.text = std::move(text);
    return diagnosis;
}

// The same ModR/M byte with the other addressing form: mod 11 becomes 00, any memory form 11.
uint8_t OtherAddressingForm(uint8_t modrm) {
    return (modrm & kModMask) == kModMask ? static_cast<uint8_t>(modrm & ~kModMask)
                                          : static_cast<uint8_t>(modrm | kModMask);
}

std::string ReservedRegText(const Site& site, uint8_t validValues) {
    const unsigned reg = site.RegField();
    if (site.TwoByte() && site.decoded.record->subClass == TwoByteClass::MovControlDebug) {
        return RegFieldText(reg) + " names cr" + std::to_string(reg) +
               ", which does not exist (there are cr0, cr2, cr3 and cr4)";
    }
    const std::string opcode = OpcodeBytes(site, false);
    return "reserved reg field: " + opcode + " /" + std::to_string(reg) + " is not an instruction (" + opcode +
           " defines " + FieldValueList(validValues) + ")";
}

InvalidDiagnosis DiagnoseFpu(const Site& site) {
    const std::string form = site.RegisterForm() ? OpcodeBytes(site, true)
                                                 : OpcodeBytes(site, false) + " /" + std::to_string(site.RegField()) +
                                                       " with a memory operand";
    return Diagnosis(InvalidReason::FpuForm, "x87 form not an instruction: " + form + " names no x87 instruction");
}

InvalidDiagnosis DiagnoseMmx(const Site& site) {
    const bool is32 = site.decoded.is32BitMode;
    const uint8_t valid = ValidFieldValues(site.Window(), site.modrmAt, site.ModRM(), kRegField, is32);
    if (valid != 0) {
        return Diagnosis(InvalidReason::MmxForm, "MMX form not an instruction: shift group " +
                                                     OpcodeBytes(site, false) + " has no operation for " +
                                                     RegFieldText(site.RegField()) + " (it defines " +
                                                     FieldValueList(valid) + ")");
    }
    return Diagnosis(InvalidReason::MmxForm,
                     "MMX form not an instruction: " + OpcodeBytes(site, false) + " names no MMX instruction");
}

InvalidDiagnosis DiagnoseSse(const Site& site) {
    return Diagnosis(InvalidReason::SseForm, "SSE form not an instruction: F3 " + OpcodeBytes(site, false) +
                                                 " is none of the scalar single-precision forms");
}

// "8D (lea)", or with the reg field when it selects the operation: "FF /3 (call)".
std::string NameOfForm(const Site& site, uint8_t modrm, const DecodedInstruction& record) {
    std::array<uint8_t, kDecodeWindow> window{};
    std::copy(site.Window(), site.Window() + kDecodeWindow, window.begin());
    window[site.modrmAt] = modrm;
    const FieldFinding reg = FindFieldUse(window.data(), site.modrmAt, kRegField, record, site.decoded.is32BitMode);
    std::string name = OpcodeBytes(site, false);
    if (reg.use == FieldUse::Selector) name += " /" + std::to_string(site.RegField());
    return name + " (" + MnemonicText(record.mnemonic) + ")";
}

// A fault of the addressing form, of the reg field, or of both, found by
// decoding again with the other form and with the other reg values.
InvalidDiagnosis DiagnoseModRM(const Site& site) {
    const bool is32 = site.decoded.is32BitMode;
    const uint8_t modrm = site.ModRM();
    const uint8_t otherForm = OtherAddressingForm(modrm);
    const bool registerForm = site.RegisterForm();
    const InvalidReason formReason =
        registerForm ? InvalidReason::RegisterWhereMemoryRequired : InvalidReason::MemoryWhereRegisterRequired;
    const bool controlRegister = site.TwoByte() && site.decoded.record->subClass == TwoByteClass::MovControlDebug;
    const InvalidReason regReason =
        controlRegister ? InvalidReason::NoSuchControlRegister : InvalidReason::ReservedRegField;

    DecodedInstruction withOtherForm{};
    if (DecodesValid(site.Window(), site.modrmAt, otherForm, is32, &withOtherForm)) {
        const std::string name = NameOfForm(site, otherForm, withOtherForm);
        return Diagnosis(formReason,
                         registerForm
                             ? "a register where memory is required: " + name + " takes only a memory operand"
                             : "a memory operand where a register is required: " + name + " takes only a register");
    }
    const uint8_t validRegs = ValidFieldValues(site.Window(), site.modrmAt, modrm, kRegField, is32);
    if (validRegs != 0) return Diagnosis(regReason, ReservedRegText(site, validRegs));

    const uint8_t validWithOtherForm = ValidFieldValues(site.Window(), site.modrmAt, otherForm, kRegField, is32);
    if (validWithOtherForm == 0) return Diagnosis(InvalidReason::Unexplained, "not an instruction");
    InvalidDiagnosis diagnosis =
        Diagnosis(formReason, std::string(registerForm ? "a register where memory is required"
                                                       : "a memory operand where a register is required") +
                                  ", and " + ReservedRegText(site, validWithOtherForm));
    diagnosis.alsoReservedRegField = true;
    return diagnosis;
}

}  // namespace

InvalidDiagnosis DiagnoseInvalid(const DecodedWindow& decoded) {
    const DecodedInstruction& record = *decoded.record;
    const unsigned prefixes = CountPrefixes(decoded.window);
    if (prefixes == 15) {
        return Diagnosis(InvalidReason::TooManyPrefixes, "more than 14 prefixes: the fifteenth byte is still a prefix");
    }
    const ShortenedDecode shortened = DecodeWithFewerPrefixes(decoded);
    if (shortened.ok && !IsInvalid(shortened.record)) {
        const unsigned length = InstructionLength(shortened.record) + shortened.removed;
        return Diagnosis(InvalidReason::TooLong,
                         "longer than 15 bytes: the instruction would take " + std::to_string(length) + " bytes");
    }

    // Further decodes with a field changed run on the shortened bytes, so that
    // a valid variant is not lost to the 15-byte limit.
    const DecodedWindow shortWindow{shortened.window.data(), kDecodeWindow, decoded.is32BitMode, &shortened.record};
    const DecodedWindow& subject = shortened.ok ? shortWindow : decoded;
    const unsigned opcodeAt = CountPrefixes(subject.window);
    const bool twoByte = (record.decodeFlags & DecodeFlag::TwoByteOpcode) != 0;
    const Site site{subject, opcodeAt, opcodeAt + (twoByte ? 2u : 1u)};
    if (twoByte && record.subClass == TwoByteClass::Invalid) {
        return Diagnosis(InvalidReason::UnknownOpcode,
                         "unknown opcode: " + OpcodeBytes(site, false) + " is not assigned");
    }
    if (!HasModRM(record)) return Diagnosis(InvalidReason::Unexplained, "not an instruction");
    if (!twoByte && record.opcodeClass == OpcodeClass::FpuEscape) return DiagnoseFpu(site);
    if (twoByte && record.subClass == TwoByteClass::Mmx) return DiagnoseMmx(site);
    if (twoByte && record.subClass == TwoByteClass::SseScalar) return DiagnoseSse(site);
    return DiagnoseModRM(site);
}

}  // namespace vexa::cli
