#include "tools/vexa_decode/json_record.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "decoder/decoder.h"
#include "decoder/mnemonic_list.h"
#include "formatter/display_lines.h"

namespace vexa::cli {
namespace {

void AppendNumber(std::string& out, uint32_t value) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof(digits), value);
    out.append(digits, result.ptr);
}

// Members after the first get their comma from here.
class JsonObject {
public:
    explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
    ~JsonObject() { out_ += '}'; }
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;

    std::string& Key(const char* name) {
        if (!first_) out_ += ',';
        first_ = false;
        AppendJsonString(out_, name);
        out_ += ':';
        return out_;
    }
    void Number(const char* name, uint32_t value) { AppendNumber(Key(name), value); }
    void Bool(const char* name, bool value) { Key(name) += value ? "true" : "false"; }
    void String(const char* name, const char* text) { AppendJsonString(Key(name), text); }

private:
    std::string& out_;
    bool first_ = true;
};

void AppendPrefixes(std::string& out, const DecodedInstruction& record) {
    JsonObject prefixes(out);
    prefixes.Bool("addressSizeOverride", (record.prefixFlags & PrefixFlag::AddressSizeOverride) != 0);
    prefixes.Bool("operandSizeOverride", (record.prefixFlags & PrefixFlag::OperandSizeOverride) != 0);
    prefixes.Bool("hasModRM", HasModRM(record));
    prefixes.Bool("hasSIB", HasSIB(record));
    prefixes.Number("segmentOverride", SegmentOverrideOf(record));
    prefixes.Bool("lockPrefix", (record.prefixFlags & PrefixFlag::LockPrefix) != 0);
    prefixes.Bool("repeatPrefix", HasRepeatPrefix(record));
    prefixes.Number("repeatKind", record.repeatAndLength & RepeatFlag::RepeatKind);
}

void AppendOperand(std::string& out, const OperandDescriptor& operand) {
    JsonObject slot(out);
    slot.Number("kind", operand.kind);
    slot.Number("memorySize", operand.memorySize);
    slot.Number("reg", operand.reg);
    slot.Number("base", operand.base);
    slot.Number("index", operand.index);
    slot.Number("scale", operand.scale);
    slot.Number("dispSize", operand.dispSize);
    slot.Number("disp", operand.disp);
    slot.Number("dispHigh", operand.dispHigh);
    slot.Number("immSize", operand.immSize);
    slot.Number("imm", operand.imm);
}

}  // namespace

void AppendJsonString(std::string& out, const char* text) {
    constexpr char kHexDigits[] = "0123456789abcdef";
    out += '"';
    for (; *text != '\0'; ++text) {
        const unsigned char c = static_cast<unsigned char>(*text);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            default:
                if (c < 0x20) {
                    out += "\\u00";
                    out += kHexDigits[c >> 4];
                    out += kHexDigits[c & 0x0F];
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
}

void AppendJsonRecord(std::string& out, const DecodeResult& result, const JsonPlace* place) {
    const DecodedInstruction& record = result.record;
    {
        JsonObject object(out);
        if (place != nullptr) {
            object.Number("address", place->address);
            char bytes[3 * kDecodeWindow + 1] = {};
            BuildBytesLine(place->bytes, place->count, bytes);
            if (place->count > 0) bytes[3 * std::min<size_t>(place->count, kDecodeWindow) - 1] = '\0';
            object.String("bytes", bytes);
            object.Bool("truncated", place->truncated);
        }
        object.Number("mode", result.is32BitMode ? 32 : 16);
        object.Bool("decodeOk", result.decodeOk);
        object.Bool("formatOk", result.formatOk);
        AppendPrefixes(object.Key("prefixes"), record);
        object.Number("length", InstructionLength(record));
        object.Number("opcodeClass", record.opcodeClass);
        object.Number("subClass", record.subClass);
        object.Number("mnemonic", record.mnemonic);
        object.String("mnemonicText", MnemonicText(record.mnemonic));
        object.Bool("invalid", IsInvalid(record));
        object.Bool("twoByteOpcode", (record.decodeFlags & DecodeFlag::TwoByteOpcode) != 0);
        object.Number("operandCount", record.operandCount);
        std::string& slots = object.Key("operands");
        slots += '[';
        for (size_t i = 0; i < std::size(record.operands); ++i) {
            if (i > 0) slots += ',';
            AppendOperand(slots, record.operands[i]);
        }
        slots += ']';
        object.String("instructionLine", result.instructionLine);
        object.String("bytesLine", result.bytesLine);
    }
    out += '\n';
}

}  // namespace vexa::cli
