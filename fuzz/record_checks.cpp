#include "fuzz/record_checks.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "decoder/decoder.h"
#include "decoder/mnemonic_list.h"
#include "decoder/opcode_classes.h"
#include "fuzz/json_reader.h"

namespace vexa::fuzz {
namespace {

bool IsZero(const OperandDescriptor& operand) {
    const auto* b = reinterpret_cast<const uint8_t*>(&operand);
    for (size_t i = 0; i < sizeof operand; ++i) {
        if (b[i] != 0) return false;
    }
    return true;
}

bool FitsIn(uint32_t value, unsigned bytes) { return bytes >= 4 || (value >> (8 * bytes)) == 0; }

// A base or index register: absent (0), or present with class Gpr16/Gpr32.
bool IsAddressRegister(uint8_t code) {
    if (code == 0) return true;
    const uint8_t c = RegisterClassOf(code);
    return (code & kRegisterPresent) != 0 && (c == RegisterClass::Gpr16 || c == RegisterClass::Gpr32);
}

const char* BrokenOperand(const OperandDescriptor& o) {
    if (o.kind != OperandKind::FarPointer && o.dispHigh != 0) return "dispHigh set outside a 6-byte far pointer";
    switch (o.kind) {
        case OperandKind::Register:
            if (o.reg & kRegisterPresent) return "register operand with bit 7 set";
            if (RegisterClassOf(o.reg) > RegisterClass::Xmm) return "register class out of range";
            return nullptr;
        case OperandKind::Memory:
            if (o.memorySize == 1 || o.memorySize == 2 || o.memorySize > MemorySize::Bytes108) {
                return "memory size code out of range";
            }
            if (o.dispSize != 0 && o.dispSize != 1 && o.dispSize != 2 && o.dispSize != 4) return "memory dispSize";
            if (!FitsIn(o.disp, o.dispSize)) return "displacement wider than dispSize";
            if (!IsAddressRegister(o.base) || !IsAddressRegister(o.index)) return "base or index register code";
            if (o.scale != 0 && o.scale != 0x82 && o.scale != 0x84 && o.scale != 0x88) return "scale code";
            if (o.scale != 0 && o.index == 0) return "scale without an index";
            return nullptr;
        case OperandKind::Immediate:
            if (o.immSize != 1 && o.immSize != 2 && o.immSize != 4) return "immSize";
            if (!FitsIn(o.imm, o.immSize)) return "immediate wider than immSize";
            return nullptr;
        case OperandKind::Constant:
            if (o.dispSize != 2 || !FitsIn(o.disp, 2)) return "constant is not 16-bit";
            return nullptr;
        case OperandKind::Relative:
            if (o.dispSize != 1 && o.dispSize != 2 && o.dispSize != 4) return "relative dispSize";
            if (!FitsIn(o.disp, o.dispSize)) return "branch displacement wider than dispSize";
            return nullptr;
        case OperandKind::FarPointer:
            if (o.dispSize != 4 && o.dispSize != 6) return "far pointer dispSize";
            if (o.dispSize == 4 && o.dispHigh != 0) return "dispHigh set in a 4-byte far pointer";
            return nullptr;
        default:
            return "operand kind out of range";
    }
}

}  // namespace

const char* BrokenRecordInvariant(const uint8_t* bytes, const DecodedInstruction& record) {
    const unsigned length = InstructionLength(record);
    if (record.repeatAndLength & 0x80) return "bit 7 of the repeat/length byte set";
    if (record.decodeFlags & ~(DecodeFlag::TwoByteOpcode | DecodeFlag::Invalid)) return "unknown decodeFlags bit";
    if (SegmentOverrideOf(record) > SegmentOverride::Gs) return "segment override code out of range";
    if (HasSIB(record) && !HasModRM(record)) return "hasSIB without hasModRM";
    if (record.operandCount > 3) return "operandCount above 3";
    for (unsigned i = record.operandCount; i < 3; ++i) {
        if (!IsZero(record.operands[i])) return "slot past operandCount not zero";
    }
    if (IsInvalid(record)) {
        if (record.mnemonic != Mnemonic::Invalid) return "invalid record without mnemonic 1";
        if (length != 1) return "invalid record with a length other than 1";
        return nullptr;
    }
    if (length < 1 || length > kMaxInstructionLength) return "valid record with a length outside 1-15";
    if (record.mnemonic == Mnemonic::Invalid) return "mnemonic 1 without the invalid flag";
    if (record.mnemonic >= kMnemonicCount) return "mnemonic index out of the list";

    // The opcode is the first byte that is not a prefix, and it lies inside the length.
    unsigned prefixes = 0;
    while (prefixes < kDecodeWindow && kOneByteClassTable[bytes[prefixes]] == OpcodeClass::Prefix) ++prefixes;
    if (prefixes >= length) return "length does not reach the opcode";
    const uint8_t opcode = bytes[prefixes];
    if (record.opcodeClass != kOneByteClassTable[opcode]) return "opcodeClass is not the opcode's class";
    const bool twoByte = opcode == 0x0F;
    if (twoByte != ((record.decodeFlags & DecodeFlag::TwoByteOpcode) != 0)) return "twoByteOpcode flag";
    if (twoByte && (prefixes + 2 > length || record.subClass != kTwoByteClassTable[bytes[prefixes + 1]])) {
        return "subClass is not the second byte's class";
    }
    if (!twoByte && record.subClass != 0) return "subClass set for a one-byte opcode";
    for (unsigned i = 0; i < record.operandCount; ++i) {
        if (const char* broken = BrokenOperand(record.operands[i])) return broken;
    }
    return nullptr;
}

namespace {

// Looks fields up by path and remembers the first that differs.
class JsonComparer {
public:
    explicit JsonComparer(const JsonLeaves& leaves) : leaves_(leaves) {}

    void Number(const char* path, uint64_t expected) {
        const JsonLeaf* leaf = leaves_.Find(path);
        if (leaf == nullptr || leaf->type != JsonLeaf::Type::Number || leaf->number != expected) Fail(path);
    }
    void Bool(const char* path, bool expected) {
        const JsonLeaf* leaf = leaves_.Find(path);
        if (leaf == nullptr || leaf->type != JsonLeaf::Type::Bool || leaf->flag != expected) Fail(path);
    }
    void String(const char* path, const char* expected) {
        const JsonLeaf* leaf = leaves_.Find(path);
        if (leaf == nullptr || leaf->type != JsonLeaf::Type::String || std::strcmp(leaf->text, expected) != 0) Fail(path);
    }
    void Fail(const char* path) {
        if (mismatch_ == nullptr) {
            std::snprintf(failedPath_, sizeof failedPath_, "%s", path);
            mismatch_ = failedPath_;
        }
    }
    const char* mismatch() const { return mismatch_; }

private:
    const JsonLeaves& leaves_;
    const char* mismatch_ = nullptr;
    static inline char failedPath_[JsonLeaf::kPathSize] = {};
};

}  // namespace

const char* JsonMismatch(std::string_view json, const cli::DecodeResult& result) {
    static JsonLeaves leaves;
    if (json.empty() || json.back() != '\n' || json.find('\n') != json.size() - 1) return "(not exactly one line)";
    if (!ReadJson(json, leaves)) return "(not one JSON value)";
    JsonComparer check(leaves);
    const DecodedInstruction& r = result.record;
    check.Number("mode", result.is32BitMode ? 32 : 16);
    check.Bool("decodeOk", result.decodeOk);
    check.Bool("formatOk", result.formatOk);
    check.Bool("prefixes.addressSizeOverride", (r.prefixFlags & PrefixFlag::AddressSizeOverride) != 0);
    check.Bool("prefixes.operandSizeOverride", (r.prefixFlags & PrefixFlag::OperandSizeOverride) != 0);
    check.Bool("prefixes.hasModRM", HasModRM(r));
    check.Bool("prefixes.hasSIB", HasSIB(r));
    check.Number("prefixes.segmentOverride", SegmentOverrideOf(r));
    check.Bool("prefixes.lockPrefix", (r.prefixFlags & PrefixFlag::LockPrefix) != 0);
    check.Bool("prefixes.repeatPrefix", HasRepeatPrefix(r));
    check.Number("prefixes.repeatKind", r.repeatAndLength & RepeatFlag::RepeatKind);
    check.Number("length", InstructionLength(r));
    check.Number("opcodeClass", r.opcodeClass);
    check.Number("subClass", r.subClass);
    check.Number("mnemonic", r.mnemonic);
    check.String("mnemonicText", MnemonicText(r.mnemonic));
    check.Bool("invalid", IsInvalid(r));
    check.Bool("twoByteOpcode", (r.decodeFlags & DecodeFlag::TwoByteOpcode) != 0);
    check.Number("operandCount", r.operandCount);
    char path[JsonLeaf::kPathSize];
    for (size_t i = 0; i < std::size(r.operands); ++i) {
        const OperandDescriptor& o = r.operands[i];
        const auto field = [&](const char* name) {
            std::snprintf(path, sizeof path, "operands.%zu.%s", i, name);
            return path;
        };
        check.Number(field("kind"), o.kind);
        check.Number(field("memorySize"), o.memorySize);
        check.Number(field("reg"), o.reg);
        check.Number(field("base"), o.base);
        check.Number(field("index"), o.index);
        check.Number(field("scale"), o.scale);
        check.Number(field("dispSize"), o.dispSize);
        check.Number(field("disp"), o.disp);
        check.Number(field("dispHigh"), o.dispHigh);
        check.Number(field("immSize"), o.immSize);
        check.Number(field("imm"), o.imm);
    }
    check.String("instructionLine", result.instructionLine);
    check.String("bytesLine", result.bytesLine);
    return check.mismatch();
}

}  // namespace vexa::fuzz
