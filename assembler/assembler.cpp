// AssembleInstruction and ListEncodings: parse, try every candidate of the
// mnemonic, keep what the decoder confirms, and explain a failure from the
// reasons the candidates gave.
#include "assembler/assembler.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "assembler/candidate_encoder.h"
#include "assembler/encoding_index.h"
#include "assembler/parsed_instruction.h"
#include "assembler/syntax_names.h"

namespace vexa {
namespace {

using namespace assembler;

constexpr unsigned kMaxCollected = 256;

struct Reasons {
    bool sizeMiss = false;
    bool fitMiss = false;
    bool checkMiss = false;
    uint8_t fitBits = 0;
    uint8_t fitOperand = 0;  // the operand whose value did not fit the widest
    uint32_t sizesSeen = 0;  // bit per MemorySize code of the encodings found
};

// The signature of the candidates that can take the parsed operands.
uint32_t TextSignature(const ParsedInstruction& p) {
    uint32_t signature = p.operandCount;
    for (unsigned i = 0; i < p.operandCount; ++i) {
        const ParsedOperand& op = p.operands[i];
        uint8_t byte = 0xFF;  // matches no candidate
        switch (op.form) {
            case OperandForm::Register:
                if (op.exists) byte = OperandSignature(OperandKind::Register, RegisterClassOf(op.reg));
                break;
            case OperandForm::Memory: byte = OperandSignature(OperandKind::Memory, 0); break;
            case OperandForm::Number: byte = OperandSignature(OperandKind::Immediate, 0); break;
            case OperandForm::Relative: byte = OperandSignature(OperandKind::Relative, 0); break;
            case OperandForm::FarPointer: byte = OperandSignature(OperandKind::FarPointer, 0); break;
        }
        signature |= static_cast<uint32_t>(byte) << (8 * (i + 1));
    }
    return signature;
}

// The register codes of the text's register operands, byte i for operand i,
// to compare with a candidate's RegisterKey.
uint32_t TextRegisters(const ParsedInstruction& p) {
    uint32_t registers = 0;
    for (unsigned i = 0; i < p.operandCount; ++i) {
        if (p.operands[i].form == OperandForm::Register) registers |= static_cast<uint32_t>(p.operands[i].reg) << (8 * i);
    }
    return registers;
}

// False when the candidate fixes a register the text does not have: such a
// candidate gives no encoding and no reason (Match would say Shape).
bool RegistersFit(const Candidate& c, uint32_t textRegisters) {
    return (textRegisters & c.registerMask) == c.registers;
}

void Note(Reasons& reasons, Miss miss, const MissDetail& detail) {
    if (miss == Miss::MemorySize) reasons.sizeMiss = true;
    if (miss == Miss::ImmediateFit) {
        reasons.fitMiss = true;
        if (detail.fitBits > reasons.fitBits) {
            reasons.fitBits = detail.fitBits;
            reasons.fitOperand = detail.fitOperand;
        }
    }
    if (miss == Miss::Check) reasons.checkMiss = true;
}

// Calls visit(const Encoded&) for every encoding the decoder confirms.
template <typename Visit>
void ForEachEncoding(const ParsedInstruction& p, bool is32, unsigned variants, Reasons& reasons, Visit&& visit) {
    const CandidateRange range = CandidatesOf(p.mnemonic, TextSignature(p), is32);
    const uint32_t registers = TextRegisters(p);
    for (const Candidate* c = range.begin; c != range.end; ++c) {
        if (!RegistersFit(*c, registers)) continue;
        for (unsigned v = 0; v < variants; ++v) {
            Encoded e;
            Miss miss = Miss::None;
            MissDetail detail;
            if (EncodeCandidate(*c, p, is32, v, e, miss, detail)) {
                reasons.sizesSeen |= 1u << e.memorySize;
                visit(e);
                continue;
            }
            if (miss == Miss::Shape) break;  // no other address variant helps
            Note(reasons, miss, detail);
        }
    }
}

// "1FFh", "-81h", "0FFh": hex as the workbench writes it, with an "h".
void HexText(int64_t value, char* out, size_t size, const char* suffix) {
    const bool negative = value < 0;
    const unsigned long long magnitude = static_cast<unsigned long long>(negative ? -value : value);
    char digits[24];
    std::snprintf(digits, sizeof digits, "%llX", magnitude);
    std::snprintf(out, size, "%s%s%s%s", negative ? "-" : "", digits[0] >= 'A' ? "0" : "", digits, suffix);
}

void SetError(AssembleError* error, const char* format, const char* a = "", const char* b = "") {
    std::snprintf(error->message, kAssembleErrorSize, format, a, b);
}

const ParsedOperand* MemoryOperand(const ParsedInstruction& p) {
    for (unsigned i = 0; i < p.operandCount; ++i) {
        if (p.operands[i].form == OperandForm::Memory) return &p.operands[i];
    }
    return nullptr;
}

// True (with the message set) when a size left out fits several encodings.
bool Ambiguous(const ParsedInstruction& p, const Reasons& reasons, AssembleError* error) {
    const ParsedOperand* memory = MemoryOperand(p);
    if (memory == nullptr || memory->memorySize != 0) return false;
    if ((reasons.sizesSeen & (reasons.sizesSeen - 1)) == 0) return false;
    char list[kAssembleErrorSize] = "";
    unsigned total = 0;
    for (unsigned code = 1; code < 32; ++code) total += (reasons.sizesSeen >> code) & 1;
    unsigned written = 0;
    for (unsigned code = 1; code < 32; ++code) {
        if (!((reasons.sizesSeen >> code) & 1)) continue;
        const size_t used = std::strlen(list);
        std::snprintf(list + used, sizeof list - used, "%s%s", written == 0 ? "" : written + 1 == total ? " or " : ", ",
                      SizeKeyword(static_cast<uint8_t>(code)));
        ++written;
    }
    SetError(error, "operand size is ambiguous: write %s %s", list, PtrWord());
    return true;
}

void Explain(const char* text, bool is32, const ParsedInstruction& p, const Reasons& reasons, AssembleError* error) {
    if (reasons.sizeMiss) {
        const ParsedOperand* memory = MemoryOperand(p);
        for (unsigned i = 0; i < p.operandCount && memory != nullptr; ++i) {
            const ParsedOperand& op = p.operands[i];
            if (op.form != OperandForm::Register) continue;
            char reg[kMaxTextLength + 1];
            const size_t n = static_cast<size_t>(op.textEnd - op.textStart);
            std::memcpy(reg, text + op.textStart, n);
            reg[n] = '\0';
            char size[48];
            std::snprintf(size, sizeof size, "%s %s", SizeKeyword(memory->memorySize), PtrWord());
            SetError(error, "'%.40s' cannot be used with '%s'", reg, size);
            return;
        }
    }
    if (reasons.fitMiss) {
        char value[32];
        HexText(p.operands[reasons.fitOperand].number.value, value, sizeof value, "h");
        char bits[16];
        std::snprintf(bits, sizeof bits, "%u", reasons.fitBits);
        SetError(error, "immediate %s does not fit in %s bits", value, bits);
        return;
    }
    if (reasons.checkMiss) {
        for (unsigned i = 0; i < p.operandCount; ++i) {
            if (p.operands[i].form != OperandForm::Relative) continue;
            char target[32];
            HexText(p.operands[i].number.value, target, sizeof target, "");
            char signedTarget[40];
            std::snprintf(signedTarget, sizeof signedTarget, "%s%s", p.operands[i].number.value < 0 ? "" : "+", target);
            SetError(error, "relative target $%s is out of range in %s-bit code", signedTarget, is32 ? "32" : "16");
            return;
        }
    }
    char tidy[kMaxTextLength + 1];
    TidyText(text, tidy);
    SetError(error, "no encoding of '%.160s'", tidy);
}

// The order of encodings: shorter first; of equally long ones, the one with
// fewer immediate bytes (a sign-extended imm8 before a full immediate), then
// the lower byte string (the direction bit clear, the load opcode of MMX and
// SSE moves). That is the choice GNU as makes in every tie (docs/assembler.md).
struct Rank {
    const uint8_t* bytes;
    unsigned length;
    unsigned immediateBytes;
};
bool Before(const Rank& a, const Rank& b) {
    if (a.length != b.length) return a.length < b.length;
    if (a.immediateBytes != b.immediateBytes) return a.immediateBytes < b.immediateBytes;
    return std::memcmp(a.bytes, b.bytes, a.length) < 0;
}

}  // namespace

static_assert(kAssembledLineSize == assembler::kLineSize);

bool AssembleInstruction(const char* text, bool is32BitMode, uint8_t* bytes, unsigned* length, AssembleError* error) {
    char line[kAssembledLineSize];
    return AssembleInstruction(text, is32BitMode, bytes, length, line, error);
}

bool AssembleInstruction(const char* text, bool is32BitMode, uint8_t* bytes, unsigned* length, char* line,
                         AssembleError* error) {
    if (text == nullptr || bytes == nullptr || length == nullptr || line == nullptr || error == nullptr) return false;
    ParsedInstruction p;
    if (!ParseInstruction(text, is32BitMode, p, error->message)) return false;
    // Every candidate that takes the text, in the order of the tie rule; the
    // first that passes the check is the answer. A size left out may fit
    // several, so then every one is checked, to see whether it is ambiguous.
    Pending pending[kMaxPending];
    unsigned order[kMaxPending];
    unsigned count = 0;
    Reasons reasons;
    const CandidateRange range = CandidatesOf(p.mnemonic, TextSignature(p), is32BitMode);
    const uint32_t registers = TextRegisters(p);
    for (const Candidate* c = range.begin; c != range.end && count < kMaxPending; ++c) {
        if (!RegistersFit(*c, registers)) continue;
        Miss miss = Miss::None;
        MissDetail detail;
        if (BuildCandidate(*c, p, is32BitMode, 0, pending[count], miss, detail)) {
            ++count;
        } else {
            Note(reasons, miss, detail);
        }
    }
    for (unsigned i = 0; i < count; ++i) order[i] = i;
    std::sort(order, order + count, [&pending](unsigned a, unsigned b) {
        const Pending& x = pending[a];
        const Pending& y = pending[b];
        return Before({x.bytes, x.length, x.immediateBytes}, {y.bytes, y.length, y.immediateBytes});
    });
    const ParsedOperand* memory = MemoryOperand(p);
    const bool checkAll = memory != nullptr && memory->memorySize == 0;
    int chosen = -1;
    for (unsigned k = 0; k < count; ++k) {
        const unsigned i = order[k];
        char checkedLine[kAssembledLineSize];
        uint8_t memorySize = 0;
        if (!CheckCandidate(p, is32BitMode, pending[i], chosen < 0 ? line : checkedLine, &memorySize)) {
            reasons.checkMiss = true;
            continue;
        }
        reasons.sizesSeen |= 1u << memorySize;
        if (chosen < 0) chosen = static_cast<int>(i);
        if (!checkAll) break;
    }
    if (Ambiguous(p, reasons, error)) return false;
    if (chosen < 0) {
        Explain(text, is32BitMode, p, reasons, error);
        return false;
    }
    std::memcpy(bytes, pending[chosen].bytes, pending[chosen].length);
    *length = pending[chosen].length;
    return true;
}

bool ListEncodings(const char* text, bool is32BitMode, AssembledBytes* encodings, unsigned capacity, unsigned* count,
                   AssembleError* error) {
    if (text == nullptr || encodings == nullptr || count == nullptr || error == nullptr) return false;
    *count = 0;
    ParsedInstruction p;
    if (!ParseInstruction(text, is32BitMode, p, error->message)) return false;
    Reasons reasons;
    AssembledBytes found[kMaxCollected];
    uint8_t foundImmediate[kMaxCollected];
    unsigned foundCount = 0;
    ForEachEncoding(p, is32BitMode, kAddressVariants, reasons, [&](const Encoded& e) {
        // A prefix the instruction reads the same without is redundant.
        for (unsigned i = 0; i < e.prefixCount; ++i) {
            uint8_t shorter[kMaxInstructionLength];
            std::memcpy(shorter, e.bytes, i);
            std::memcpy(shorter + i, e.bytes + i + 1, e.length - i - 1u);
            if (DecodesTo(shorter, e.length - 1u, is32BitMode, e.line)) return;
        }
        for (unsigned i = 0; i < foundCount; ++i) {
            if (found[i].length == e.length && std::memcmp(found[i].bytes, e.bytes, e.length) == 0) return;
        }
        if (foundCount == kMaxCollected) return;
        // Insert in order.
        unsigned at = foundCount;
        while (at > 0 && Before({e.bytes, e.length, e.immediateBytes},
                                {found[at - 1].bytes, found[at - 1].length, foundImmediate[at - 1]})) {
            found[at] = found[at - 1];
            foundImmediate[at] = foundImmediate[at - 1];
            --at;
        }
        std::memcpy(found[at].bytes, e.bytes, e.length);
        found[at].length = e.length;
        foundImmediate[at] = e.immediateBytes;
        ++foundCount;
    });
    if (Ambiguous(p, reasons, error)) return false;
    if (foundCount == 0) {
        Explain(text, is32BitMode, p, reasons, error);
        return false;
    }
    for (unsigned i = 0; i < foundCount && i < capacity; ++i) encodings[i] = found[i];
    *count = foundCount < capacity ? foundCount : capacity;
    return true;
}

}  // namespace vexa
