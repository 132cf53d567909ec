#include "assembler/candidate_encoder.h"

#include <cstring>

#include "assembler/decoder_view.h"
#include "decoder/decoded_instruction.h"

namespace vexa::assembler {
namespace {

// The segment override prefix of each SegmentOverride code (es cs ss ds fs gs).
constexpr uint8_t kSegmentPrefix[7] = {0, 0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65};

bool Fits(int64_t value, unsigned bits) {
    const int64_t span = int64_t{1} << bits;
    return value >= -(span / 2) && value < span;
}

uint32_t Truncate(int64_t value, unsigned bytes) {
    const uint64_t v = static_cast<uint64_t>(value);
    return bytes >= 4 ? static_cast<uint32_t>(v) : static_cast<uint32_t>(v & ((uint64_t{1} << (8 * bytes)) - 1));
}

void PutLittleEndian(uint8_t* at, uint64_t value, unsigned count) {
    for (unsigned i = 0; i < count; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

struct Address {
    uint8_t modrm = 0;
    bool hasSib = false;
    uint8_t sib = 0;
    uint8_t dispBytes = 0;
    uint32_t disp = 0;
};

bool FitsSigned8(uint32_t value, unsigned addressBytes) {
    const int32_t v = addressBytes == 2 ? static_cast<int16_t>(value) : static_cast<int32_t>(value);
    return v >= -128 && v <= 127;
}

// ModR/M (with the reg bits given), SIB and displacement of a memory operand.
bool EncodeAddress(const ParsedOperand& op, uint8_t regBits, unsigned variant, Address& a) {
    const bool wide = variant & 1;
    const bool viaSib = variant & 2;
    const bool hasBase = op.base != 0;
    const bool hasIndex = op.index != 0;
    const uint8_t base = RegisterNumber(op.base);
    const uint8_t index = RegisterNumber(op.index);
    a.disp = Truncate(op.disp.value, op.addressBytes);
    const uint8_t fullDisp = op.addressBytes;
    uint8_t mod = 0;
    uint8_t rm = 0;
    bool needDisp = op.hasDisp;
    if (op.addressBytes == 2) {
        if (viaSib) return false;
        if (!hasBase && !hasIndex) {
            if (wide) return false;
            a.modrm = static_cast<uint8_t>(regBits | 6);
            a.dispBytes = 2;
            return true;
        }
        // r/m 0-7: bx+si, bx+di, bp+si, bp+di, si, di, bp, bx.
        if (hasBase && hasIndex) {
            rm = static_cast<uint8_t>((base == 5 ? 2 : 0) | (index == 7 ? 1 : 0));
        } else if (hasIndex) {
            rm = index == 6 ? 4 : 5;
        } else {
            rm = base == 5 ? 6 : 7;
            needDisp = needDisp || base == 5;  // [bp] with mod 00 is the absolute form
        }
    } else {
        if (!hasBase && !hasIndex) {
            if (wide) return false;
            if (viaSib) {
                a.modrm = static_cast<uint8_t>(regBits | 4);
                a.hasSib = true;
                a.sib = 0x25;  // no index, no base: disp32
            } else {
                a.modrm = static_cast<uint8_t>(regBits | 5);
            }
            a.dispBytes = 4;
            return true;
        }
        const bool sib = hasIndex || base == 4 || viaSib;
        if (viaSib && (hasIndex || base == 4)) return false;  // the SIB form is the shortest already
        if (sib) {
            uint8_t ss = 0;
            while ((1u << ss) < op.scale) ++ss;
            a.hasSib = true;
            a.sib = static_cast<uint8_t>((ss << 6) | ((hasIndex ? index : 4) << 3) | (hasBase ? base : 5));
            rm = 4;
            if (!hasBase) {
                if (wide) return false;
                a.modrm = static_cast<uint8_t>(regBits | rm);
                a.dispBytes = 4;
                return true;
            }
        } else {
            rm = base;
        }
        needDisp = needDisp || base == 5;  // ebp as base needs a displacement
    }
    if (!needDisp) {
        if (wide) return false;
        mod = 0;
    } else if (FitsSigned8(a.disp, op.addressBytes)) {
        mod = wide ? 2 : 1;
        a.dispBytes = wide ? fullDisp : 1;
    } else {
        if (wide) return false;
        mod = 2;
        a.dispBytes = fullDisp;
    }
    a.modrm = static_cast<uint8_t>((mod << 6) | regBits | rm);
    return true;
}

void NoteFit(MissDetail& detail, unsigned bits, unsigned operand) {
    if (bits > detail.fitBits) {
        detail.fitBits = static_cast<uint8_t>(bits);
        detail.fitOperand = static_cast<uint8_t>(operand);
    }
}

// Matches the parsed operands against the candidate's shapes.
Miss Match(const Candidate& c, const ParsedInstruction& p, MissDetail& detail) {
    if (p.operandCount != c.operandCount) return Miss::Shape;
    bool sizeMiss = false;
    bool fitMiss = false;
    for (unsigned i = 0; i < c.operandCount; ++i) {
        const OperandShape& s = c.operands[i];
        const ParsedOperand& op = p.operands[i];
        switch (s.kind) {
            case OperandKind::Register:
                if (op.form != OperandForm::Register || !op.exists) return Miss::Shape;
                if (s.flags & ShapeFlag::TiedToRm) {
                    if (RegisterClassOf(op.reg) != RegisterClassOf(s.code)) return Miss::Shape;
                } else if (op.reg != s.code) {
                    return Miss::Shape;
                }
                break;
            case OperandKind::Memory:
                if (op.form != OperandForm::Memory) return Miss::Shape;
                if ((s.flags & ShapeFlag::Moffs) && (op.base != 0 || op.index != 0)) return Miss::Shape;
                if (op.memorySize != 0 && op.memorySize != s.code) sizeMiss = true;
                break;
            case OperandKind::Immediate:
                if (op.form != OperandForm::Number) return Miss::Shape;
                if (s.flags & ShapeFlag::Fixed) {
                    if (op.number.value != s.fixedValue) return Miss::Shape;
                } else if (!Fits(op.number.value, 8u * s.size)) {
                    fitMiss = true;
                    NoteFit(detail, 8u * s.size, i);
                }
                break;
            case OperandKind::Constant:
                if (op.form != OperandForm::Number) return Miss::Shape;
                if (op.number.fixedBytes != 0 && op.number.fixedBytes != s.size) return Miss::Shape;
                if (!Fits(op.number.value, 8u * s.size)) {
                    fitMiss = true;
                    NoteFit(detail, 8u * s.size, i);
                }
                break;
            case OperandKind::Relative:
                if (op.form != OperandForm::Relative) return Miss::Shape;
                break;
            case OperandKind::FarPointer: {
                if (op.form != OperandForm::FarPointer) return Miss::Shape;
                const unsigned offsetBytes = s.size - 2u;
                if (op.number.fixedBytes != 0 && op.number.fixedBytes != offsetBytes) return Miss::Shape;
                if (!Fits(op.number.value, 8 * offsetBytes) || op.number.value < 0) return Miss::Shape;
                break;
            }
            default:
                return Miss::Shape;
        }
    }
    if (sizeMiss) return Miss::MemorySize;
    if (fitMiss) return Miss::ImmediateFit;
    return Miss::None;
}

// The record the text stands for, with the widths of the decoded one where
// the text leaves them open. Its formatted line is the canonical text.
DecodedInstruction TextRecord(const ParsedInstruction& p, const DecodedInstruction& decoded, uint8_t shownRepeat,
                              uint8_t segment) {
    DecodedInstruction s{};
    s.mnemonic = p.mnemonic;
    s.prefixFlags = static_cast<uint8_t>((p.lock ? PrefixFlag::LockPrefix : 0) | (segment << PrefixFlag::SegmentShift));
    if (shownRepeat != 0) {
        s.repeatAndLength = static_cast<uint8_t>(RepeatFlag::RepeatPrefix | (shownRepeat == 0xF3 ? RepeatFlag::RepeatKind : 0));
    }
    SetInstructionLength(s, InstructionLength(decoded));
    s.operandCount = p.operandCount;
    for (unsigned i = 0; i < p.operandCount; ++i) {
        const ParsedOperand& op = p.operands[i];
        const OperandDescriptor& d = decoded.operands[i];
        OperandDescriptor& o = s.operands[i];
        switch (op.form) {
            case OperandForm::Register:
                o.kind = OperandKind::Register;
                o.reg = op.reg;
                break;
            case OperandForm::Memory:
                o.kind = OperandKind::Memory;
                o.memorySize = op.memorySize != 0 ? op.memorySize : d.memorySize;
                o.base = op.base;
                o.index = op.index;
                o.scale = op.scale > 1 ? static_cast<uint8_t>(kScalePresent | op.scale) : 0;
                if (op.hasDisp || d.dispSize != 0) {
                    o.dispSize = (op.base == 0 && op.index == 0 && op.disp.fixedBytes != 0) ? op.disp.fixedBytes : d.dispSize;
                    o.disp = Truncate(op.disp.value, o.dispSize);
                }
                break;
            case OperandForm::Number:
                if (d.kind == OperandKind::Constant) {
                    o.kind = OperandKind::Constant;
                    o.dispSize = op.number.fixedBytes != 0 ? op.number.fixedBytes : d.dispSize;
                    o.disp = Truncate(op.number.value, o.dispSize);
                } else {
                    o.kind = OperandKind::Immediate;
                    o.immSize = d.immSize;
                    o.imm = Truncate(op.number.value, d.immSize);
                }
                break;
            case OperandForm::Relative:
                // The whole target, at 32 bits, so that a target the
                // displacement cannot reach reads differently.
                o.kind = OperandKind::Relative;
                o.dispSize = 4;
                o.disp = static_cast<uint32_t>(op.number.value - static_cast<int64_t>(InstructionLength(decoded)));
                break;
            case OperandForm::FarPointer:
                o.kind = OperandKind::FarPointer;
                o.dispSize = op.number.fixedBytes == 2 ? 4 : op.number.fixedBytes == 4 ? 6 : d.dispSize;
                if (o.dispSize == 4) {
                    o.disp = Truncate(op.number.value, 2) | (static_cast<uint32_t>(op.selector) << 16);
                } else {
                    o.disp = static_cast<uint32_t>(op.number.value);
                    o.dispHigh = op.selector;
                }
                break;
        }
    }
    return s;
}

}  // namespace

bool DecodesTo(const uint8_t* bytes, unsigned length, bool is32BitMode, const char* line) {
    uint8_t window[kDecodeWindow] = {};
    std::memcpy(window, bytes, length);
    DecodedInstruction r;
    char decoded[kLineSize];
    return DecodeNamed(window, is32BitMode, r, decoded) && InstructionLength(r) == length &&
           std::strcmp(decoded, line) == 0;
}

bool BuildCandidate(const Candidate& c, const ParsedInstruction& p, bool is32BitMode, unsigned variant, Pending& out,
                    Miss& miss, MissDetail& detail) {
    miss = Match(c, p, detail);
    if (miss != Miss::None) return false;
    // The memory operand, if any, and the register that follows r/m.
    const ParsedOperand* memory = nullptr;
    uint8_t tiedNumber = 0;
    for (unsigned i = 0; i < p.operandCount; ++i) {
        if (p.operands[i].form == OperandForm::Memory) memory = &p.operands[i];
        if (c.operands[i].flags & ShapeFlag::TiedToRm) tiedNumber = RegisterNumber(p.operands[i].reg);
    }
    const bool modrmMemory = c.form == ModRMForm::Memory;
    if (variant != 0 && !modrmMemory) {
        miss = Miss::Variant;
        return false;
    }
    uint8_t b[kDecodeWindow] = {};
    unsigned n = 0;
    const uint8_t defaultAddress = is32BitMode ? 4 : 2;
    if (c.prefixes & CandidatePrefix::OperandSize) b[n++] = 0x66;
    if ((c.prefixes & CandidatePrefix::AddressSize) || (memory != nullptr && memory->addressBytes != defaultAddress)) b[n++] = 0x67;
    const uint8_t segment = memory != nullptr ? memory->segment : 0;
    if (segment != 0) b[n++] = kSegmentPrefix[segment];
    if (p.lock) b[n++] = 0xF0;
    const uint8_t ownRepeat = (c.prefixes & CandidatePrefix::Rep) ? 0xF3 : (c.prefixes & CandidatePrefix::Repne) ? 0xF2 : 0;
    if (p.repeat != 0 && p.repeat != ownRepeat) b[n++] = p.repeat;
    if (ownRepeat != 0) b[n++] = ownRepeat;
    // The text shows the repeat word the user wrote, or the one the opcode implies.
    const uint8_t shownRepeat = p.repeat != 0 ? p.repeat : ownRepeat;
    out.prefixCount = static_cast<uint8_t>(n);
    for (unsigned i = 0; i < c.opcodeLength; ++i) b[n++] = c.opcode[i];
    switch (c.form) {
        case ModRMForm::FixedRegister: b[n++] = c.modrm; break;
        case ModRMForm::TiedRegister: b[n++] = static_cast<uint8_t>(c.modrm | tiedNumber); break;
        case ModRMForm::Memory: {
            Address a;
            if (!EncodeAddress(*memory, static_cast<uint8_t>(c.modrm & 0x38), variant, a)) {
                miss = Miss::Variant;
                return false;
            }
            b[n++] = a.modrm;
            if (a.hasSib) b[n++] = a.sib;
            PutLittleEndian(b + n, a.disp, a.dispBytes);
            n += a.dispBytes;
            break;
        }
        default: break;
    }
    // The bytes after: immediates, constants, far pointers, a moffs address;
    // a relative displacement once the length is known.
    const unsigned tail = n;
    unsigned tailLength = c.tailLength;
    int relativeAt = -1;
    for (unsigned i = 0; i < c.operandCount; ++i) {
        const OperandShape& s = c.operands[i];
        const ParsedOperand& op = p.operands[i];
        if (s.kind == OperandKind::Memory && (s.flags & ShapeFlag::Moffs)) {
            tailLength = tailLength - s.tailCount + op.addressBytes;
            PutLittleEndian(b + tail + s.tailOffset, Truncate(op.disp.value, op.addressBytes), op.addressBytes);
        } else if (s.kind == OperandKind::Immediate || s.kind == OperandKind::Constant) {
            PutLittleEndian(b + tail + s.tailOffset, static_cast<uint64_t>(op.number.value), s.tailCount);
        } else if (s.kind == OperandKind::FarPointer) {
            PutLittleEndian(b + tail + s.tailOffset, static_cast<uint64_t>(op.number.value), s.size - 2u);
            PutLittleEndian(b + tail + s.tailOffset + s.size - 2u, op.selector, 2);
        } else if (s.kind == OperandKind::Relative) {
            relativeAt = static_cast<int>(i);
        }
    }
    n += tailLength;
    if (n > kMaxInstructionLength) {
        miss = Miss::Check;
        return false;
    }
    if (relativeAt >= 0) {
        const OperandShape& s = c.operands[relativeAt];
        PutLittleEndian(b + tail + s.tailOffset, static_cast<uint64_t>(p.operands[relativeAt].number.value - n), s.tailCount);
    }
    std::memcpy(out.bytes, b, n);
    out.length = static_cast<uint8_t>(n);
    out.immediateBytes = 0;
    for (unsigned i = 0; i < c.operandCount; ++i) {
        if (c.operands[i].kind == OperandKind::Immediate) out.immediateBytes = static_cast<uint8_t>(out.immediateBytes + c.operands[i].tailCount);
    }
    out.shownRepeat = shownRepeat;
    out.segment = segment;
    return true;
}

bool CheckCandidate(const ParsedInstruction& p, bool is32BitMode, const Pending& pending, char* line,
                    uint8_t* memorySize) {
    uint8_t window[kDecodeWindow] = {};
    std::memcpy(window, pending.bytes, pending.length);
    DecodedInstruction decoded;
    if (!DecodeNamed(window, is32BitMode, decoded, line) || InstructionLength(decoded) != pending.length) return false;
    const DecodedInstruction text = TextRecord(p, decoded, pending.shownRepeat, pending.segment);
    // The text's record formats to the line the decode gave when it is the
    // decoded record in every field the formatter reads, which is the usual
    // case and needs no second format; otherwise the two texts are compared.
    if (!SameShownFields(text, decoded)) {
        char expected[kLineSize];
        if (!FormatLine(text, expected) || std::strcmp(expected, line) != 0) return false;
    }
    *memorySize = 0;
    for (unsigned i = 0; i < decoded.operandCount; ++i) {
        if (decoded.operands[i].kind == OperandKind::Memory) *memorySize = decoded.operands[i].memorySize;
    }
    return true;
}

bool EncodeCandidate(const Candidate& c, const ParsedInstruction& p, bool is32BitMode, unsigned variant, Encoded& out,
                     Miss& miss, MissDetail& detail) {
    Pending pending;
    if (!BuildCandidate(c, p, is32BitMode, variant, pending, miss, detail)) return false;
    if (!CheckCandidate(p, is32BitMode, pending, out.line, &out.memorySize)) {
        miss = Miss::Check;
        return false;
    }
    std::memcpy(out.bytes, pending.bytes, pending.length);
    out.length = pending.length;
    out.prefixCount = pending.prefixCount;
    out.immediateBytes = pending.immediateBytes;
    return true;
}

}  // namespace vexa::assembler
