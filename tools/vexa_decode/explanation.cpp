#include "tools/vexa_decode/explanation.h"

#include <algorithm>

#include "composer/composer_state.h"
#include "decoder/encoding_layout.h"
#include "decoder/internal/modrm.h"
#include "decoder/internal/opcode_descriptions.h"
#include "decoder/mnemonic_list.h"
#include "decoder/opcode_classes.h"
#include "decoder/prefix_bytes.h"
#include "formatter/operand_text.h"
#include "formatter/register_name.h"
#include "tools/vexa_decode/hex_text.h"
#include "tools/vexa_decode/opcode_fields.h"
#include "tools/vexa_decode/terminal_colour.h"

namespace vexa::cli {
namespace {

// The columns of a byte line ("0-1  66 C7  opcode  ...") and of a field line.
constexpr size_t kOffsetColumn = 6, kBytesColumn = 13, kRoleColumn = 14;
constexpr size_t kFieldNameColumn = 6, kFieldBitsColumn = 6, kFieldRangeColumn = 10;

// What a group of bytes holds: a part of the layout, finer than its role.
enum class Meaning : uint8_t {
    Prefix, Opcode, Escape, SecondOpcode, ModRM, Sib, AddressDisplacement,
    Immediate, SignExtendedImm8, BranchDisplacement, MemoryOffset, Constant, PointerOffset, PointerSelector,
    Invalid,
};

// The data runs' meanings, in the order of DataMeaning from Immediate on.
constexpr Meaning kDataMeanings[] = {Meaning::Immediate,      Meaning::SignExtendedImm8, Meaning::BranchDisplacement,
                                     Meaning::MemoryOffset,   Meaning::Constant,         Meaning::PointerOffset,
                                     Meaning::PointerSelector};
static_assert(DataMeaning::PointerSelector - DataMeaning::Immediate + 1 == std::size(kDataMeanings));

constexpr ByteRole kRoles[] = {ByteRole::Prefix,    ByteRole::Opcode,       ByteRole::Opcode,       ByteRole::Opcode,
                               ByteRole::ModRM,     ByteRole::Sib,          ByteRole::Displacement, ByteRole::Immediate,
                               ByteRole::Immediate, ByteRole::Displacement, ByteRole::Displacement, ByteRole::Immediate,
                               ByteRole::Immediate, ByteRole::Immediate,    ByteRole::Invalid};
constexpr const char* kRoleNames[] = {"prefix", "opcode", "ModR/M", "SIB", "displacement", "immediate", "INVALID"};

struct Group {
    uint8_t offset;
    uint8_t count;
    Meaning meaning;
    int8_t slot;  // the record's operand slot the bytes feed, or -1
};

struct Groups {
    std::array<Group, 26> list{};  // 15 prefixes and the rest
    unsigned count = 0;
    unsigned bytes = 0;
    void Add(unsigned offset, unsigned size, Meaning meaning, int slot = -1) {
        if (size == 0) return;
        list[count++] =
            Group{static_cast<uint8_t>(offset), static_cast<uint8_t>(size), meaning, static_cast<int8_t>(slot)};
        bytes += size;
    }
};

// Everything the breakdown is built from.
struct Subject {
    const uint8_t* window;
    size_t given;
    bool mode32;
    bool colour;
    const DecodedInstruction& record;  // the decode
    DecodedInstruction source;         // whose operands the bytes feed (see TooLong below)
    EncodingLayout layout;

    EffectiveSizes Sizes() const { return ComputeEffectiveSizes(mode32, record.prefixFlags); }
    bool TwoByte() const { return layout.opcode.count == 2; }
    uint8_t ModRM() const { return window[layout.modRM.offset]; }
};

void Pad(std::string& out, size_t written, size_t width) { out.append(written < width ? width - written : 1, ' '); }

int SlotOf(const EncodingLayout& layout, uint8_t origin) {
    for (int slot = 0; slot < 3; ++slot) {
        if (layout.operandOrigin[slot] == origin) return slot;
    }
    return -1;
}

Groups GroupsOf(const Subject& s) {
    const EncodingLayout& layout = s.layout;
    Groups groups;
    for (unsigned i = 0; i < layout.prefixCount; ++i) groups.Add(i, 1, Meaning::Prefix);
    if (layout.opcode.count == 2) {
        groups.Add(layout.opcode.offset, 1, Meaning::Escape);
        groups.Add(layout.opcode.offset + 1u, 1, Meaning::SecondOpcode);
    } else {
        groups.Add(layout.opcode.offset, layout.opcode.count, Meaning::Opcode);
    }
    groups.Add(layout.modRM.offset, layout.modRM.count, Meaning::ModRM);
    groups.Add(layout.sib.offset, layout.sib.count, Meaning::Sib);
    int memorySlot = -1;
    for (int slot = 2; slot >= 0; --slot) {
        if (s.source.operands[slot].kind == OperandKind::Memory && slot < s.source.operandCount) memorySlot = slot;
    }
    groups.Add(layout.displacement.offset, layout.displacement.count, Meaning::AddressDisplacement, memorySlot);
    const int dataSlot = SlotOf(layout, OperandOrigin::Data);
    const int data1Slot = SlotOf(layout, OperandOrigin::Data1);
    for (unsigned run = 0; run < layout.dataCount; ++run) {
        groups.Add(layout.data[run].offset, layout.data[run].count,
                   kDataMeanings[layout.dataMeaning[run] - DataMeaning::Immediate],
                   run == 1 && data1Slot >= 0 ? data1Slot : dataSlot);
    }
    return groups;
}

std::string ClassText(const DecodedInstruction& record, bool secondByte) {
    if (secondByte) {
        return "two-byte class " + std::to_string(record.subClass) + ": " + TwoByteClassDescription(record.subClass).text;
    }
    return "class " + std::to_string(record.opcodeClass) + ": " + OneByteClassDescription(record.opcodeClass).text;
}

std::string NamedClassText(const DecodedInstruction& record, bool secondByte) {
    if (IsInvalid(record)) return ClassText(record, secondByte);
    const char* name = MnemonicText(record.mnemonic);
    return std::string(name[0] != '\0' ? name : "??? (no name)") + ", " + ClassText(record, secondByte);
}

// A segment or a repeat prefix that a later one of its kind replaces says so.
std::string PrefixText(const Subject& s, unsigned at) {
    const auto kind = [](uint8_t byte) {
        const uint8_t prefixKind = PrefixInfoOf(byte).kind;
        return prefixKind == PrefixKind::Segment || prefixKind == PrefixKind::Repeat ? prefixKind : 0;
    };
    const std::string text = PrefixDescription(s.window[at]);
    for (unsigned later = at + 1; later < s.layout.prefixCount; ++later) {
        if (kind(s.window[at]) != 0 && kind(s.window[at]) == kind(s.window[later])) {
            return text + " (replaced by the later " + HexByte(s.window[later]) + "h)";
        }
    }
    return text;
}

std::string OperandText(const DecodedInstruction& record, const OperandDescriptor& operand) {
    char text[kOperandTextSize] = {};
    FormatOperand(record, operand, text);
    return text;
}

// A value with its signed reading when that differs: "0F0h (-10h)".
std::string ValueWithSign(uint32_t value, unsigned size) {
    const std::string plain = HexValue(value);
    const std::string signedText = SignedHexValue(value, size);
    return signedText[0] == '-' ? plain + " (" + signedText + ")" : plain;
}

std::string GroupDescription(const Subject& s, const Group& group) {
    const OperandDescriptor* operand = group.slot >= 0 ? &s.source.operands[group.slot] : nullptr;
    uint32_t value = 0;
    for (unsigned i = 0; i < group.count && i < 4; ++i) value |= uint32_t{s.window[group.offset + i]} << (8 * i);
    switch (group.meaning) {
        case Meaning::Prefix: return PrefixText(s, group.offset);
        case Meaning::Opcode: return NamedClassText(s.source, false);
        case Meaning::Escape: return "two-byte escape, class " + std::to_string(OpcodeClass::TwoByteEscape);
        case Meaning::SecondOpcode: return NamedClassText(s.source, true);
        case Meaning::ModRM:
        case Meaning::Sib: {
            const uint8_t byte = s.window[group.offset];
            const bool modrm = group.meaning == Meaning::ModRM;
            return std::string(modrm ? "mod " : "scale ") + BinaryText(byte >> 6, 2) + (modrm ? ", reg " : ", index ") +
                   BinaryText((byte >> 3) & 7, 3) + (modrm ? ", r/m " : ", base ") + BinaryText(byte & 7, 3);
        }
        case Meaning::AddressDisplacement: return "memory displacement " + ValueWithSign(value, group.count);
        case Meaning::BranchDisplacement: {
            std::string text = "branch displacement " + ValueWithSign(value, group.count);
            if (operand != nullptr && !IsInvalid(s.source)) text += ", target " + OperandText(s.source, *operand);
            return text;
        }
        case Meaning::MemoryOffset: return "memory offset " + HexValue(value);
        case Meaning::Constant: return "16-bit constant " + HexValue(value);
        case Meaning::PointerOffset: return "far pointer offset " + HexValue(value);
        case Meaning::PointerSelector: return "far pointer selector " + HexValue(value);
        case Meaning::Immediate: return "value " + HexValue(operand != nullptr ? operand->imm : value);
        case Meaning::SignExtendedImm8:
            return "imm8 " + HexValue(value) + ", sign-extended to " +
                   HexValue(operand != nullptr ? operand->imm : value);
        case Meaning::Invalid: break;
    }
    return "not an instruction: counted as one byte";
}

void AppendGroups(std::string& out, const Subject& s, const char* heading, const Groups& groups) {
    out += heading;
    out += " (" + std::to_string(groups.bytes) + "):\n";
    for (unsigned i = 0; i < groups.count; ++i) {
        const Group& group = groups.list[i];
        const ByteRole role = kRoles[static_cast<int>(group.meaning)];
        std::string offset = std::to_string(group.offset);
        if (group.count > 1) offset += "-" + std::to_string(group.offset + group.count - 1);
        const std::string hex = HexByteList(s.window + group.offset, group.count);
        const std::string roleName = kRoleNames[static_cast<int>(role)];
        out += "  " + offset;
        Pad(out, offset.size(), kOffsetColumn);
        AppendInRoleColour(out, role, hex, s.colour);
        Pad(out, hex.size(), kBytesColumn);
        AppendInRoleColour(out, role, roleName, s.colour);
        Pad(out, roleName.size(), kRoleColumn);
        out += GroupDescription(s, group);
        if (group.offset + group.count > s.given) out += " [not given: read as 00]";
        out += '\n';
    }
}

void AppendFieldLine(std::string& out, const std::string& name, const std::string& bits, const std::string& range,
                     const std::string& meaning) {
    out += "  " + name;
    Pad(out, name.size(), kFieldNameColumn);
    out += bits;
    Pad(out, bits.size(), kFieldBitsColumn);
    out += range;
    Pad(out, range.size(), kFieldRangeColumn);
    out += meaning + "\n";
}

void AppendOpcode(std::string& out, const Subject& s) {
    const uint8_t* opcode = s.window + s.layout.opcode.offset;
    const OpcodeFields fields = FieldsOfOpcode(s.source, opcode);
    AppendInRoleColour(out, ByteRole::Opcode, "opcode", s.colour);
    out += " ";
    if (fields.secondByte) out += "0F, second byte ";
    out += HexByte(fields.byte) + " = " + BinaryText(fields.byte, 8);
    if (fields.count > 0) out += " = " + fields.pattern;
    out += " (" + ClassText(s.source, fields.secondByte) + ")\n";
    for (unsigned i = 0; i < fields.count; ++i) {
        const OpcodeField& field = fields.fields[i];
        const std::string range = field.highBit == field.lowBit
                                      ? "bit " + std::to_string(field.highBit)
                                      : "bits " + std::to_string(field.highBit) + "-" + std::to_string(field.lowBit);
        AppendFieldLine(out, kOpcodeFieldLetters[field.kind], BinaryText(field.value, field.highBit - field.lowBit + 1u), range,
                        FieldMeaning(field, s.source, opcode, s.Sizes().operand32));
    }
}

std::string SlotText(const Subject& s, int slot) {
    return "register " +
           RegisterName(RegisterNumber(s.record.operands[slot].reg), RegisterClassOf(s.record.operands[slot].reg)) +
           " (operand " + std::to_string(slot + 1) + ")";
}

std::string SelectedName(const DecodedInstruction& record) {
    const char* name = MnemonicText(record.mnemonic);
    return name[0] != '\0' ? std::string("selects ") + name : "selects an unnamed form";
}

std::string ModMeaning(const Subject& s, unsigned mod) {
    if (mod == 3) return "register operand, no memory";
    const bool address32 = s.Sizes().address32;
    if (mod == 1) return "memory, an 8-bit displacement follows";
    if (mod == 2) return std::string("memory, a ") + (address32 ? "32-bit" : "16-bit") + " displacement follows";
    if (s.layout.displacement.count == 0) return "memory, no displacement";
    return std::string("memory, no base: a ") + (address32 ? "32-bit" : "16-bit") + " displacement follows" +
           (s.layout.sib.count != 0 ? " the SIB byte" : "");
}

std::string RegMeaning(const Subject& s, unsigned reg) {
    if (IsInvalid(s.record)) return "/" + std::to_string(reg);
    switch (s.layout.regFieldUse) {
        case RegFieldUse::Operand: return SlotText(s, s.layout.regFieldOperand);
        case RegFieldUse::OpcodeExtension:
            return "opcode extension /" + std::to_string(reg) + ": " + SelectedName(s.record);
        default: return "not used by this instruction";
    }
}

std::string RmMeaning(const Subject& s, unsigned mod, unsigned rm) {
    const DecodedInstruction& record = s.record;
    if (mod != 3) {
        std::string memory;
        for (unsigned i = 0; i < record.operandCount && i < 3 && !IsInvalid(record) && memory.empty(); ++i) {
            if (record.operands[i].kind == OperandKind::Memory) {
                memory =
                    "memory " + OperandText(record, record.operands[i]) + " (operand " + std::to_string(i + 1) + ")";
            }
        }
        if (memory.empty()) {  // no memory operand stored (an invalid result): the addressing alone
            DecodedInstruction scratch{};
            OperandDescriptor reg{}, operand{};
            DecodeModRM(s.window + s.layout.modRM.offset, &scratch, &reg, &operand, s.Sizes().address32);
            memory = "memory " + OperandText(record, operand);
        }
        return s.layout.sib.count != 0 ? "a SIB byte follows; " + memory : memory;
    }
    if (IsInvalid(record)) return "register number " + std::to_string(rm);
    const int slot = SlotOf(s.layout, OperandOrigin::ModRMRm);
    if (slot >= 0) return SlotText(s, slot);
    if (!s.TwoByte() && record.opcodeClass == OpcodeClass::FpuEscape)
        return "part of the operation: " + SelectedName(record);
    return "not used by this instruction";
}

// A ModR/M or SIB byte as its three fields: 2, 3 and 3 bits.
void AppendByteFields(std::string& out, const Subject& s, ByteRole role, const char* heading, uint8_t byte,
                      const char* const names[3], const std::string meanings[3]) {
    static const char* const kRanges[] = {"bits 7-6", "bits 5-3", "bits 2-0"};
    const unsigned values[] = {static_cast<unsigned>(byte >> 6), (byte >> 3u) & 7u, byte & 7u};
    AppendInRoleColour(out, role, heading, s.colour);
    out += " " + HexByte(byte) + " = " + BinaryText(values[0], 2) + " " + BinaryText(values[1], 3) + " " +
           BinaryText(values[2], 3) + " (" + names[0] + " " + names[1] + " " + names[2] + ")\n";
    for (unsigned i = 0; i < 3; ++i) {
        AppendFieldLine(out, names[i], BinaryText(values[i], i == 0 ? 2 : 3), kRanges[i], meanings[i]);
    }
}

void AppendAddressing(std::string& out, const Subject& s) {
    const uint8_t modrm = s.ModRM();
    const unsigned mod = modrm >> 6, reg = (modrm >> 3) & 7, rm = modrm & 7;
    const std::string modrmMeanings[3] = {ModMeaning(s, mod), RegMeaning(s, reg), RmMeaning(s, mod, rm)};
    static const char* const kModRMNames[] = {"mod", "reg", "r/m"};
    AppendByteFields(out, s, ByteRole::ModRM, "ModR/M", modrm, kModRMNames, modrmMeanings);
    if (s.layout.sib.count == 0) return;
    const uint8_t sib = s.window[s.layout.sib.offset];
    const unsigned scale = sib >> 6, index = (sib >> 3) & 7, base = sib & 7;
    const bool noIndex = index == 4;
    const std::string sibMeanings[3] = {
        noIndex ? "not used: there is no index" : "index times " + std::to_string(1u << scale),
        noIndex ? "no index (100)"
                : "index register " + RegisterName(static_cast<uint8_t>(index), RegisterClass::Gpr32),
        base == 5 && mod == 0 ? "no base (101 with mod 00): a 32-bit displacement follows"
                              : "base register " + RegisterName(static_cast<uint8_t>(base), RegisterClass::Gpr32)};
    static const char* const kSibNames[] = {"scale", "index", "base"};
    AppendByteFields(out, s, ByteRole::Sib, "SIB", sib, kSibNames, sibMeanings);
}

// "0F 6D", "D9 D1": the opcode bytes, and with `withModRM` the ModR/M byte.
std::string OpcodeBytes(const Subject& s, bool withModRM) {
    std::string text = HexByteList(s.window + s.layout.opcode.offset, s.layout.opcode.count);
    return withModRM ? text + " " + HexByte(s.ModRM()) : text;
}

// "/0, /2-/7"
std::string FieldValueList(uint8_t values) {
    std::string text;
    for (unsigned v = 0; v < 8; ++v) {
        if (!(values & (1u << v))) continue;
        unsigned last = v;
        while (last + 1 < 8 && (values & (1u << (last + 1)))) ++last;
        text += (text.empty() ? "/" : ", /") + std::to_string(v);
        if (last >= v + 2) text += "-/" + std::to_string(v = last);
    }
    return text;
}

// The description of this opcode's entry for reg field `reg`.
const OpcodeDescription& EntryOf(const Subject& s, unsigned reg) {
    const uint8_t byte = s.window[s.layout.opcode.offset + s.layout.opcode.count - 1];
    const bool afterRep = s.layout.prefixCount > 0 && s.window[s.layout.opcode.offset - 1] == PrefixValue::Rep;
    const unsigned map = !s.TwoByte() ? OpcodeMap::OneByte : afterRep ? OpcodeMap::TwoByteAfterRep : OpcodeMap::TwoByte;
    const OpcodeDescription& form = kOpcodeDescriptions[map][byte];
    return form.regRow != RegRow::None ? kRegRowDescriptions[form.regRow][reg] : form;
}

// The reg fields the decoder's forms of this opcode take with the addressing
// form given: bit r for reg field r.
uint8_t ValidRegs(const Subject& s, bool registerForm) {
    const uint8_t byte = s.window[s.layout.opcode.offset + s.layout.opcode.count - 1];
    uint8_t valid = 0;
    for (unsigned reg = 0; reg < 8; ++reg) {
        // 0F 01 /0 with a register decodes too, though no straight-line description takes it.
        const auto modrm = static_cast<uint8_t>((registerForm ? 0xC0 : 0) | (reg << 3));
        const bool sgdtWithRegister =
            IrregularOpcodeOf(s.TwoByte(), byte, modrm) == IrregularOpcode::TableStoreWithRegister;
        if (TakesEncoding(EntryOf(s, reg), reg, registerForm) || sgdtWithRegister) {
            valid = static_cast<uint8_t>(valid | (1u << reg));
        }
    }
    return valid;
}

std::string ReservedRegText(const Subject& s, uint8_t valid) {
    const std::string opcode = OpcodeBytes(s, false), reg = std::to_string((s.ModRM() >> 3) & 7);
    if (s.TwoByte() && s.record.subClass == TwoByteClass::MovControlDebug) {
        std::string existing;  // "cr0, cr2, cr3 and cr4": the reg fields the opcode takes
        const uint8_t registers = ValidRegs(s, true);
        for (unsigned n = 0; n < 8; ++n) {
            if (!((registers >> n) & 1)) continue;
            const bool last = (registers >> (n + 1)) == 0;
            existing += (existing.empty() ? "cr" : last ? " and cr" : ", cr") + std::to_string(n);
        }
        return "reg field " + BinaryText((s.ModRM() >> 3) & 7, 3) + " (/" + reg + ") names cr" + reg +
               ", which does not exist (there are " + existing + ")";
    }
    return "reserved reg field: " + opcode + " /" + reg + " is not an instruction (" + opcode + " defines " +
           FieldValueList(valid) + ")";
}

// "8D (lea)", or with the reg field when it selects the operation: "FF /3 (call)".
std::string NameOfOtherForm(const Subject& s, uint8_t modrm) {
    uint8_t window[kDecodeWindow];
    std::copy(s.window, s.window + kDecodeWindow, window);
    window[s.layout.modRM.offset] = modrm;
    DecodedInstruction record{};
    EncodingLayout layout{};
    DecodeInstructionLayout(window, &record, &layout, s.mode32);
    std::string name = OpcodeBytes(s, false);
    const unsigned reg = (modrm >> 3) & 7;
    if (layout.regFieldUse == RegFieldUse::OpcodeExtension) name += " /" + std::to_string(reg);
    // Behind a long prefix run the other form may be too long to be named: its description names it.
    const OpcodeDescription& entry = EntryOf(s, reg);
    const uint16_t mnemonic = layout.invalidCause != InvalidCause::TooLong ? record.mnemonic
                              : entry.group != NameGroup::None     ? kGroupNames[entry.group][reg]
                                                                   : entry.mnemonic;
    return name + " (" + MnemonicText(mnemonic) + ")";
}

std::string InvalidText(const Subject& s) {
    const uint8_t modrm = s.layout.modRM.count != 0 ? s.ModRM() : 0;
    const bool registerForm = modrm >= 0xC0;
    const std::string reg = std::to_string((modrm >> 3) & 7);
    const std::string regField = "reg field " + BinaryText((modrm >> 3) & 7, 3) + " (/" + reg + ")";
    switch (s.layout.invalidCause) {
        case InvalidCause::TooManyPrefixes: return "more than 14 prefixes: the fifteenth byte is still a prefix";
        case InvalidCause::TooLong:
            return "longer than 15 bytes: the instruction would take " + std::to_string(s.layout.length) + " bytes";
        case InvalidCause::UnknownOpcode: return "unknown opcode: " + OpcodeBytes(s, false) + " is not assigned";
        case InvalidCause::NoSuchControlRegister:
        case InvalidCause::ReservedRegField: return ReservedRegText(s, ValidRegs(s, registerForm));
        case InvalidCause::RegisterWhereMemoryRequired:
        case InvalidCause::MemoryWhereRegisterRequired: {
            const uint8_t other = registerForm ? modrm & 0x3F : modrm | 0xC0;
            const std::string fault =
                registerForm ? "a register where memory is required" : "a memory operand where a register is required";
            if ((ValidRegs(s, !registerForm) >> ((modrm >> 3) & 7)) & 1) {
                return fault + ": " + NameOfOtherForm(s, static_cast<uint8_t>(other)) +
                       (registerForm ? " takes only a memory operand" : " takes only a register");
            }
            return fault + ", and " + ReservedRegText(s, ValidRegs(s, !registerForm));
        }
        case InvalidCause::FpuForm:
            return "x87 form not an instruction: " +
                   (registerForm ? OpcodeBytes(s, true)
                                 : OpcodeBytes(s, false) + " /" + reg + " with a memory operand") +
                   " names no x87 instruction";
        case InvalidCause::MmxForm: {
            const uint8_t valid = ValidRegs(s, registerForm);
            if (valid == 0)
                return "MMX form not an instruction: " + OpcodeBytes(s, false) + " names no MMX instruction";
            return "MMX form not an instruction: shift group " + OpcodeBytes(s, false) + " has no operation for " +
                   regField + " (it defines " + FieldValueList(valid) + ")";
        }
        case InvalidCause::SseForm:
            return "SSE form not an instruction: F3 " + OpcodeBytes(s, false) +
                   " is none of the scalar single-precision forms";
        default: return "not an instruction";
    }
}

// "16-bit (32-bit mode, 66h prefix)"
std::string SizeText(bool size32, bool mode32, bool prefixed, const char* prefix) {
    std::string text = std::string(size32 ? "32-bit" : "16-bit") + " (" + (mode32 ? "32-bit" : "16-bit") + " mode";
    if (prefixed) text += std::string(", ") + prefix + " prefix";
    return text + ")";
}

// An instruction INVALID for its length alone, decoded without the prefixes
// that change nothing (all but the last 66h, 67h and F2h/F3h, and the last
// prefix byte, which the scalar SSE forms look at): the values its bytes hold.
DecodedInstruction WithoutRedundantPrefixes(const Subject& s) {
    const unsigned prefixes = s.layout.prefixCount;
    const auto last = [&](uint8_t a, uint8_t b) {
        int found = -1;
        for (unsigned i = 0; i < prefixes; ++i)
            found = s.window[i] == a || s.window[i] == b ? static_cast<int>(i) : found;
        return found;
    };
    const int last66 = last(PrefixValue::OperandSize, PrefixValue::OperandSize);
    const int last67 = last(PrefixValue::AddressSize, PrefixValue::AddressSize);
    const int lastRepeat = last(PrefixValue::Repne, PrefixValue::Rep);
    uint8_t window[kDecodeWindow] = {};
    unsigned kept = 0;
    for (unsigned i = 0; i < prefixes; ++i) {
        const int at = static_cast<int>(i);
        if (at == last66 || at == last67 || at == lastRepeat || i + 1 == prefixes) window[kept++] = s.window[i];
    }
    std::copy(s.window + prefixes, s.window + kDecodeWindow, window + kept);
    DecodedInstruction record{};
    DecodeInstruction(window, &record, s.mode32);
    return record;
}

}  // namespace

void AppendExplanation(std::string& out, const HexBytes& bytes, const DecodeResult& result, bool colour) {
    Subject s{bytes.window.data(), bytes.count, result.is32BitMode, colour, result.record, result.record, {}};
    DecodedInstruction scratch{};
    if (!result.decodeOk || !DecodeInstructionLayout(s.window, &scratch, &s.layout, s.mode32)) {
        out += "the decoder reported a failure: there is no breakdown\n\n";
        return;
    }
    const bool invalid = IsInvalid(result.record);
    if (s.layout.invalidCause == InvalidCause::TooLong) s.source = WithoutRedundantPrefixes(s);
    if (invalid) {
        Groups one;
        one.Add(0, 1, Meaning::Invalid);
        AppendGroups(out, s, "bytes", one);
        AppendGroups(out, s, "read", GroupsOf(s));
        AppendInRoleColour(out, ByteRole::Invalid, "invalid:", colour);
        out += " " + InvalidText(s) + "\n";
    } else {
        AppendGroups(out, s, "bytes", GroupsOf(s));
    }
    if (s.layout.opcode.count != 0) AppendOpcode(out, s);
    if (s.layout.modRM.count != 0) AppendAddressing(out, s);
    const EffectiveSizes sizes = s.Sizes();
    const uint8_t flags = result.record.prefixFlags;
    out +=
        "operand size: " + SizeText(sizes.operand32, s.mode32, (flags & PrefixFlag::OperandSizeOverride) != 0, "66h") +
        "\naddress size: " +
        SizeText(sizes.address32, s.mode32, (flags & PrefixFlag::AddressSizeOverride) != 0, "67h") + "\n\n";
}

std::string ExplanationExample() {
    static constexpr char kHex[] = "66 C7 44 8B 12 34 12";
    HexBytes bytes;
    HexParseError error;
    ParseHexLine(kHex, bytes, error);
    DecodeResult result;
    DecodeBytes(bytes, true, false, result);
    std::string output = std::string(result.instructionLine) + "\n" + result.bytesLine + "\n";
    AppendExplanation(output, bytes, result, false);
    std::string text = std::string("  $ vexa-decode --explain ") + kHex + "\n";
    size_t start = 0;
    while (start < output.size()) {
        const size_t end = output.find('\n', start);
        const std::string line = output.substr(start, end - start);
        if (!line.empty()) text += "  " + line;
        text += '\n';
        start = end + 1;
    }
    return text;
}

}  // namespace vexa::cli
