#include "fuzz/record_checks.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "decoder/decoder.h"
#include "decoder/mnemonic_list.h"
#include "fuzz/json_reader.h"

namespace vexa::fuzz {
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
