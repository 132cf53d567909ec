#include "tools/vexa_decode/explanation.h"

#include "decoder/mnemonic_list.h"
#include "decoder/opcode_classes.h"
#include "decoder/prefix_bytes.h"
#include "formatter/operand_text.h"
#include "tools/vexa_decode/byte_layout.h"
#include "tools/vexa_decode/class_forms.h"
#include "tools/vexa_decode/hex_text.h"
#include "tools/vexa_decode/invalid_reason.h"
#include "tools/vexa_decode/modrm_fields.h"
#include "tools/vexa_decode/opcode_fields.h"
#include "tools/vexa_decode/terminal_colour.h"

namespace vexa::cli {
namespace {

constexpr size_t kOffsetColumn = 6;
constexpr size_t kBytesColumn = 13;
constexpr size_t kRoleColumn = 14;
constexpr size_t kFieldNameColumn = 6;
constexpr size_t kFieldBitsColumn = 6;
constexpr size_t kFieldRangeColumn = 10;

void Pad(std::string& out, size_t written, size_t width) { out.append(written < width ? width - written : 1, ' '); }

const char* RoleName(ByteRole role) {
    switch (role) {
        case ByteRole::Prefix: return "prefix";
        case ByteRole::Opcode: return "opcode";
        case ByteRole::ModRM: return "ModR/M";
        case ByteRole::Sib: return "SIB";
        case ByteRole::Displacement: return "displacement";
        case ByteRole::Immediate: return "immediate";
        case ByteRole::Invalid: return "INVALID";
        case ByteRole::Unaccounted: break;
    }
    return "unaccounted";
}

// Everything the breakdown is built from.
struct Subject {
    DecodedWindow decoded;
    const HexBytes& bytes;
    bool colour;

    const DecodedInstruction& Record() const { return *decoded.record; }
    EffectiveSizes Sizes() const { return ComputeEffectiveSizes(decoded.is32BitMode, Record().prefixFlags); }
};

std::string ClassText(const DecodedInstruction& record, bool secondByte) {
    if (secondByte) {
        return "two-byte class " + std::to_string(record.subClass) + ": " + TwoByteClassForm(record.subClass);
    }
    return "class " + std::to_string(record.opcodeClass) + ": " + OneByteClassForm(record.opcodeClass);
}

std::string NamedClassText(const DecodedInstruction& record, bool secondByte) {
    if (IsInvalid(record)) return ClassText(record, secondByte);
    const char* name = MnemonicText(record.mnemonic);
    return std::string(name[0] != '\0' ? name : "??? (no name)") + ", " + ClassText(record, secondByte);
}

bool IsSegmentPrefix(uint8_t value) { return PrefixInfoOf(value).kind == PrefixKind::Segment; }
bool IsRepeatPrefix(uint8_t value) { return PrefixInfoOf(value).kind == PrefixKind::Repeat; }

// The prefix's description; a segment or repeat prefix that a later one of its
// kind replaces says so.
std::string PrefixText(const uint8_t* window, unsigned at) {
    std::string text = PrefixInfoOf(window[at]).description;
    const unsigned prefixes = CountPrefixes(window);
    for (unsigned later = at + 1; later < prefixes; ++later) {
        if (IsSegmentPrefix(window[at]) && IsSegmentPrefix(window[later])) {
            return text + " (replaced by the later " + HexByte(window[later]) + "h)";
        }
        if (IsRepeatPrefix(window[at]) && IsRepeatPrefix(window[later])) {
            return text + " (replaced by the later " + HexByte(window[later]) + "h)";
        }
    }
    return text;
}

// A value with its signed reading when that differs: "0F0h (-10h)".
std::string ValueWithSign(uint32_t value, unsigned size) {
    const std::string plain = HexValue(value);
    const std::string signedText = SignedHexValue(value, size);
    return signedText[0] == '-' ? plain + " (" + signedText + ")" : plain;
}

// The group's little-endian bytes as the number they make.
uint32_t GroupValue(const Subject& s, const ByteGroup& group) {
    uint32_t value = 0;
    for (unsigned i = 0; i < group.count && i < 4; ++i)
        value |= uint32_t{s.decoded.window[group.offset + i]} << (8 * i);
    return value;
}

std::string GroupDescription(const Subject& s, const ByteLayout& layout, const ByteGroup& group) {
    const DecodedInstruction& source = layout.source;
    const OperandDescriptor* operand = group.operand >= 0 ? &source.operands[group.operand] : nullptr;
    const uint8_t first = s.decoded.window[group.offset];
    const uint32_t value = GroupValue(s, group);
    switch (group.meaning) {
        case ByteMeaning::Prefix: return PrefixText(s.decoded.window, group.offset);
        case ByteMeaning::Opcode: return NamedClassText(source, false);
        case ByteMeaning::Escape: return "two-byte escape, class 24";
        case ByteMeaning::SecondOpcode: return NamedClassText(source, true);
        case ByteMeaning::ModRM:
            return "mod " + BinaryText(first >> 6, 2) + ", reg " + BinaryText((first >> 3) & 7, 3) + ", r/m " +
                   BinaryText(first & 7, 3);
        case ByteMeaning::Sib:
            return "scale " + BinaryText(first >> 6, 2) + ", index " + BinaryText((first >> 3) & 7, 3) + ", base " +
                   BinaryText(first & 7, 3);
        case ByteMeaning::AddressDisplacement: return "memory displacement " + ValueWithSign(value, group.count);
        case ByteMeaning::BranchDisplacement: {
            std::string text = "branch displacement " + ValueWithSign(value, group.count);
            if (operand != nullptr && !IsInvalid(source)) {
                char target[kOperandTextSize] = {};
                FormatOperand(source, *operand, target);
                text += std::string(", target ") + target;
            }
            return text;
        }
        case ByteMeaning::MemoryOffset: return "memory offset " + HexValue(value);
        case ByteMeaning::Constant: return "16-bit constant " + HexValue(value);
        case ByteMeaning::PointerOffset: return "far pointer offset " + HexValue(value);
        case ByteMeaning::PointerSelector: return "far pointer selector " + HexValue(value);
        case ByteMeaning::Immediate: return "value " + HexValue(operand != nullptr ? operand->imm : value);
        case ByteMeaning::SignExtendedImm8:
            return "imm8 " + HexValue(value) + ", sign-extended to " +
                   HexValue(operand != nullptr ? operand->imm : value);
        case ByteMeaning::Invalid: return "not an instruction: counted as one byte";
        case ByteMeaning::Unaccounted: break;
    }
    return "not placed";
}

void AppendGroupLine(std::string& out, const Subject& s, const ByteLayout& layout, const ByteGroup& group) {
    const ByteRole role = RoleOf(group.meaning);
    std::string offset = std::to_string(group.offset);
    if (group.count > 1) offset += "-" + std::to_string(group.offset + group.count - 1);
    const std::string hex = HexByteList(s.decoded.window + group.offset, group.count);
    const char* roleName = RoleName(role);

    out += "  ";
    out += offset;
    Pad(out, offset.size(), kOffsetColumn);
    AppendInRoleColour(out, role, hex, s.colour);
    Pad(out, hex.size(), kBytesColumn);
    AppendInRoleColour(out, role, roleName, s.colour);
    Pad(out, std::char_traits<char>::length(roleName), kRoleColumn);
    out += GroupDescription(s, layout, group);
    if (group.offset + group.count > s.bytes.count) out += " [not given: read as 00]";
    out += '\n';
}

void AppendLayout(std::string& out, const Subject& s, const char* heading, const ByteLayout& layout) {
    out += heading;
    out += " (" + std::to_string(layout.ByteCount()) + "):\n";
    for (unsigned i = 0; i < layout.groupCount; ++i) AppendGroupLine(out, s, layout, layout.groups[i]);
}

void AppendFieldLine(std::string& out, const std::string& name, const std::string& bits, const std::string& range,
                     const std::string& meaning) {
    out += "  " + name;
    Pad(out, name.size(), kFieldNameColumn);
    out += bits;
    Pad(out, bits.size(), kFieldBitsColumn);
    out += range;
    Pad(out, range.size(), kFieldRangeColumn);
    out += meaning;
    out += '\n';
}

std::string BitRange(const OpcodeField& field) {
    if (field.highBit == field.lowBit) return "bit " + std::to_string(field.highBit);
    return "bits " + std::to_string(field.highBit) + "-" + std::to_string(field.lowBit);
}

void AppendOpcode(std::string& out, const Subject& s, const DecodedInstruction& record, unsigned opcodeAt) {
    const uint8_t* opcode = s.decoded.window + opcodeAt;
    const OpcodeFields fields = FieldsOfOpcode(record, opcode);
    AppendInRoleColour(out, ByteRole::Opcode, "opcode", s.colour);
    out += " ";
    if (fields.secondByte) out += "0F, second byte ";
    out += HexByte(fields.byte) + " = " + BinaryText(fields.byte, 8);
    if (fields.count > 0) out += " = " + fields.pattern;
    out += " (" + ClassText(record, fields.secondByte) + ")\n";
    for (unsigned i = 0; i < fields.count; ++i) {
        const OpcodeField& field = fields.fields[i];
        AppendFieldLine(out, field.name, BinaryText(field.value, field.highBit - field.lowBit + 1u), BitRange(field),
                        FieldMeaning(field, record, opcode, s.Sizes().operand32));
    }
}

void AppendByteFields(std::string& out, const Subject& s, ByteRole role, const char* heading, uint8_t byte,
                      const char* layout, const ByteFields& fields) {
    AppendInRoleColour(out, role, heading, s.colour);
    const uint8_t top = byte >> 6, middle = (byte >> 3) & 7, low = byte & 7;
    out += " " + HexByte(byte) + " = " + BinaryText(top, 2) + " " + BinaryText(middle, 3) + " " + BinaryText(low, 3) +
           " (" + layout + ")\n";
    for (const FieldLine& field : fields) AppendFieldLine(out, field.name, field.bits, field.range, field.meaning);
}

void AppendAddressing(std::string& out, const Subject& s, unsigned modrmAt) {
    AppendByteFields(out, s, ByteRole::ModRM, "ModR/M", s.decoded.window[modrmAt], "mod reg r/m",
                     ModRMFields(s.decoded, modrmAt));
    const ModRMReading reading = ReadModRM(s.decoded.window + modrmAt, s.Sizes().address32);
    if (reading.sib) {
        AppendByteFields(out, s, ByteRole::Sib, "SIB", s.decoded.window[modrmAt + 1], "scale index base",
                         SibFields(s.decoded, modrmAt));
    }
}

// "16-bit (32-bit mode, 66h prefix)"
std::string SizeText(bool size32, bool mode32, bool prefixed, const char* prefix) {
    std::string text = std::string(size32 ? "32-bit" : "16-bit") + " (" + (mode32 ? "32-bit" : "16-bit") + " mode";
    if (prefixed) text += std::string(", ") + prefix + " prefix";
    return text + ")";
}

void AppendSizes(std::string& out, const Subject& s) {
    const DecodedInstruction& record = s.Record();
    const EffectiveSizes sizes = s.Sizes();
    const bool mode32 = s.decoded.is32BitMode;
    out += "operand size: " +
           SizeText(sizes.operand32, mode32, (record.prefixFlags & PrefixFlag::OperandSizeOverride) != 0, "66h") + "\n";
    out += "address size: " +
           SizeText(sizes.address32, mode32, (record.prefixFlags & PrefixFlag::AddressSizeOverride) != 0, "67h") + "\n";
}

// The opcode, ModR/M and SIB of the record that describes the bytes: for an
// instruction too long to be valid, its decode with fewer prefixes.
void AppendEncoding(std::string& out, const Subject& s, const ByteLayout& layout) {
    unsigned opcodeAt = 0, modrmAt = 0;
    bool hasOpcode = false, hasModRM = false;
    for (unsigned i = 0; i < layout.groupCount; ++i) {
        const ByteGroup& group = layout.groups[i];
        if (!hasOpcode && RoleOf(group.meaning) == ByteRole::Opcode) {
            opcodeAt = group.offset;
            hasOpcode = true;
        }
        if (group.meaning == ByteMeaning::ModRM) {
            modrmAt = group.offset;
            hasModRM = true;
        }
    }
    if (!hasOpcode) return;
    AppendOpcode(out, s, layout.source, opcodeAt);
    if (hasModRM) AppendAddressing(out, s, modrmAt);
}

}  // namespace

void AppendExplanation(std::string& out, const HexBytes& bytes, const DecodeResult& result, bool colour) {
    const Subject s{DecodedWindow{bytes.window.data(), bytes.count, result.is32BitMode, &result.record}, bytes, colour};
    if (!result.decodeOk) {
        out += "the decoder reported a failure: there is no breakdown\n\n";
        return;
    }
    const ByteLayout layout = LayoutOfInstruction(s.decoded);
    AppendLayout(out, s, "bytes", layout);
    const bool invalid = IsInvalid(result.record);
    const ByteLayout read = invalid ? LayoutOfBytesRead(s.decoded) : layout;
    if (invalid) {
        AppendLayout(out, s, "read", read);
        AppendInRoleColour(out, ByteRole::Invalid, "invalid:", colour);
        out += " " + DiagnoseInvalid(s.decoded).text + "\n";
    }
    AppendEncoding(out, s, read);
    AppendSizes(out, s);
    out += '\n';
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
