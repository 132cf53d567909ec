// Builds the candidate table of each mode by decoding the opcode space. Every
// fact about an encoding (its mnemonic, which operand a field feeds, how many
// immediate bytes follow, whether an imm8 is sign-extended) is read from what
// the decoder does with probe bytes, never written down here.
#include "assembler/encoding_index.h"

#include <algorithm>
#include <cstring>

#include "assembler/decoder_view.h"
#include "decoder/decoded_instruction.h"
#include "decoder/decoder.h"

namespace vexa::assembler {
namespace {

constexpr size_t kCapacity = 16384;
constexpr int kMaxMnemonics = 512;

// Bytes after the ModR/M byte (or the opcode) while probing: two patterns, so
// that a field which takes its value from them shows where it lies and how
// many bytes it has, and an operand the opcode fixes shows the same value both
// times.
constexpr uint8_t kMarkerA = 0x81;
constexpr uint8_t kMarkerB = 0x01;
constexpr unsigned kMarkerCount = 8;

constexpr uint8_t kPrefixBytes[] = {0x66, 0x67, 0xF3, 0xF2};  // by CandidatePrefix bit, in emitting order
constexpr uint8_t kPrefixBits[] = {CandidatePrefix::OperandSize, CandidatePrefix::AddressSize, CandidatePrefix::Rep,
                                   CandidatePrefix::Repne};

struct SignatureOrder {
    bool operator()(const Candidate& c, uint32_t s) const { return c.signature < s; }
    bool operator()(uint32_t s, const Candidate& c) const { return s < c.signature; }
};

bool IsPrefixByte(uint8_t b) {
    switch (b) {
        case 0x26: case 0x2E: case 0x36: case 0x3E: case 0x64: case 0x65:
        case 0x66: case 0x67: case 0xF0: case 0xF2: case 0xF3:
            return true;
        default:
            return false;
    }
}

struct Table {
    Candidate candidates[kCapacity];
    size_t count;
    uint32_t start[kMaxMnemonics + 1];
    bool overflow;
};

Table g_tables[2];

struct Probe {
    DecodedInstruction record;
    char line[kLineSize];
    bool named = false;
};

// A form: prefixes, opcode, and the ModR/M byte when it has one.
struct Form {
    uint8_t prefixes;
    uint8_t opcode[2];
    uint8_t opcodeLength;
    bool hasModRM;
    uint8_t modrm;
};

unsigned HeadBytes(const Form& f, uint8_t prefixes, uint8_t* out) {
    unsigned n = 0;
    for (size_t i = 0; i < sizeof kPrefixBits; ++i) {
        if (prefixes & kPrefixBits[i]) out[n++] = kPrefixBytes[i];
    }
    for (unsigned i = 0; i < f.opcodeLength; ++i) out[n++] = f.opcode[i];
    if (f.hasModRM) out[n++] = f.modrm;
    return n;
}

// Decodes a form with marker bytes after it; `withText` also formats it
// (a named instruction must have a text without "?").
Probe Run(const Form& f, uint8_t prefixes, uint8_t marker, bool is32, unsigned* headLength, bool withText = true) {
    uint8_t window[kDecodeWindow] = {};
    const unsigned n = HeadBytes(f, prefixes, window);
    for (unsigned i = 0; i < kMarkerCount; ++i) window[n + i] = static_cast<uint8_t>(marker + i);
    Probe p;
    if (!withText) {
        p.record = DecodedInstruction{};
        p.named = DecodeInstruction(window, &p.record, is32) && !IsInvalid(p.record) && p.record.mnemonic > Mnemonic::Invalid;
        p.line[0] = '\0';
        if (headLength != nullptr) *headLength = n;
        return p;
    }
    p.named = DecodeNamed(window, is32, p.record, p.line) && std::strchr(p.line, '?') == nullptr;
    if (headLength != nullptr) *headLength = n;
    return p;
}

// Gives a probe decoded without its text the text; a named instruction must
// have one without "?". False when it is not named.
bool AddText(Probe& p) {
    p.named = p.named && FormatLine(p.record, p.line) && std::strchr(p.line, '?') == nullptr;
    return p.named;
}

uint8_t ByteOf(uint64_t value, unsigned i) { return static_cast<uint8_t>(value >> (8 * i)); }

// Where the marker bytes of `value` begin, and how many follow in order.
bool FindField(uint64_t value, unsigned size, unsigned tail, uint8_t& offset, uint8_t& count) {
    const unsigned first = ByteOf(value, 0);
    if (first < kMarkerA || first >= kMarkerA + tail) return false;
    offset = static_cast<uint8_t>(first - kMarkerA);
    count = 0;
    while (count < size && ByteOf(value, count) == kMarkerA + offset + count) ++count;
    return true;
}

// The shapes of a form from its two probes; false when the form is not one
// the assembler can fill in.
bool ReadShapes(const Probe& a, const Probe& b, bool hasModRM, unsigned tail, Candidate& c) {
    if (a.record.operandCount != b.record.operandCount || a.record.mnemonic != b.record.mnemonic) return false;
    c.operandCount = a.record.operandCount;
    unsigned covered = 0;
    for (unsigned i = 0; i < c.operandCount; ++i) {
        const OperandDescriptor& x = a.record.operands[i];
        const OperandDescriptor& y = b.record.operands[i];
        OperandShape& s = c.operands[i];
        s = OperandShape{};
        s.kind = x.kind;
        if (x.kind != y.kind) return false;
        switch (x.kind) {
            case OperandKind::Register:
                if (x.reg != y.reg) return false;
                s.code = x.reg;
                break;
            case OperandKind::Memory:
                s.code = x.memorySize;
                if (!hasModRM) {
                    s.flags = ShapeFlag::Moffs;
                    s.size = x.dispSize;
                    if (!FindField(x.disp, x.dispSize, tail, s.tailOffset, s.tailCount)) return false;
                }
                break;
            case OperandKind::Immediate:
                s.size = x.immSize;
                if (x.imm == y.imm) {
                    if (x.imm > 0xFF) return false;
                    s.flags = ShapeFlag::Fixed;
                    s.fixedValue = static_cast<uint8_t>(x.imm);
                } else if (!FindField(x.imm, x.immSize, tail, s.tailOffset, s.tailCount)) {
                    return false;
                }
                break;
            case OperandKind::Constant:
            case OperandKind::Relative:
                s.size = x.dispSize;
                if (!FindField(x.disp, x.dispSize, tail, s.tailOffset, s.tailCount) || s.tailCount != x.dispSize) return false;
                break;
            case OperandKind::FarPointer: {
                s.size = x.dispSize;
                const uint64_t bytes = x.disp | (static_cast<uint64_t>(x.dispHigh) << 32);
                if (!FindField(bytes, x.dispSize, tail, s.tailOffset, s.tailCount) || s.tailCount != x.dispSize) return false;
                break;
            }
            default:
                return false;
        }
        covered += s.tailCount;
    }
    return covered == tail;
}

// The candidate of one form, or false when the form is no candidate: not a
// named instruction, or a prefix of it that changes nothing the text shows.
bool MakeCandidate(const Form& f, bool is32, Candidate& c) {
    // Each probe is decoded once, and given its text only where it is asked.
    unsigned head = 0;
    Probe a = Run(f, f.prefixes, kMarkerA, is32, &head, false);
    if (!a.named) return false;
    const bool operandSize = (f.prefixes & CandidatePrefix::OperandSize) != 0;
    Probe withoutOperandSize;
    if (operandSize) {
        // Most forms that 66h leaves as they are show it before any text is
        // made: the records with and without it show the same fields.
        withoutOperandSize = Run(f, static_cast<uint8_t>(f.prefixes & ~CandidatePrefix::OperandSize), kMarkerA, is32,
                                 nullptr, false);
        if (withoutOperandSize.named && SameShownFields(a.record, withoutOperandSize.record)) return false;
    }
    if (!AddText(a)) return false;
    // The second pattern only shows which values come from the bytes.
    const Probe b = Run(f, f.prefixes, kMarkerB, is32, nullptr, false);
    if (!b.named) return false;
    const unsigned length = InstructionLength(a.record);
    if (length != InstructionLength(b.record) || length < head || length - head > kMarkerCount) return false;
    if (HasModRM(a.record) != f.hasModRM) return false;
    for (size_t i = 0; i < sizeof kPrefixBits; ++i) {
        const uint8_t bit = kPrefixBits[i];
        if (!(f.prefixes & bit)) continue;
        // Only 66h is judged by the text; the others by the mnemonic alone.
        if (bit == CandidatePrefix::OperandSize) {
            // 66h belongs to the opcode where it changes the text.
            if (withoutOperandSize.named && AddText(withoutOperandSize) &&
                std::strcmp(withoutOperandSize.line, a.line) == 0) {
                return false;
            }
            continue;
        }
        const Probe without = Run(f, static_cast<uint8_t>(f.prefixes & ~bit), kMarkerA, is32, nullptr, false);
        if (without.named && without.record.mnemonic == a.record.mnemonic) {
            // F3h/F2h/67h belong to the opcode only where they change its
            // mnemonic (the scalar SSE forms, jecxz); elsewhere they are the
            // user's rep word or follow from the address.
            return false;
        }
    }
    c = Candidate{};
    c.mnemonic = a.record.mnemonic;
    c.prefixes = f.prefixes;
    c.opcodeLength = f.opcodeLength;
    c.opcode[0] = f.opcode[0];
    c.opcode[1] = f.opcode[1];
    c.modrm = f.modrm;
    c.tailLength = static_cast<uint8_t>(length - head);
    return ReadShapes(a, b, f.hasModRM, c.tailLength, c);
}

void Add(Table& t, Candidate c) {
    if (t.count == kCapacity) {
        t.overflow = true;
        return;
    }
    c.signature = ShapeSignature(c);
    SetRegisterKey(c);
    t.candidates[t.count++] = c;
}

bool SameShape(const OperandShape& x, const OperandShape& y) { return std::memcmp(&x, &y, sizeof x) == 0; }

// The eight register forms of one reg field: one candidate when they differ
// only in one register operand that follows the r/m field, else one each.
void AddRegisterForms(Table& t, Form f, bool is32, uint8_t reg) {
    Candidate forms[8];
    bool ok[8];
    bool allOk = true;
    for (uint8_t rm = 0; rm < 8; ++rm) {
        f.modrm = static_cast<uint8_t>(0xC0 | (reg << 3) | rm);
        ok[rm] = MakeCandidate(f, is32, forms[rm]);
        if (ok[rm]) forms[rm].form = ModRMForm::FixedRegister;
        allOk = allOk && ok[rm];
    }
    int tied = -1;
    if (allOk) {
        for (uint8_t rm = 1; rm < 8 && tied != -2; ++rm) {
            const Candidate& x = forms[0];
            const Candidate& y = forms[rm];
            if (x.mnemonic != y.mnemonic || x.operandCount != y.operandCount || x.tailLength != y.tailLength) {
                tied = -2;
                break;
            }
            for (unsigned i = 0; i < x.operandCount; ++i) {
                if (SameShape(x.operands[i], y.operands[i])) continue;
                const bool follows = x.operands[i].kind == OperandKind::Register &&
                                     y.operands[i].kind == OperandKind::Register &&
                                     RegisterClassOf(x.operands[i].code) == RegisterClassOf(y.operands[i].code) &&
                                     RegisterNumber(x.operands[i].code) == 0 && RegisterNumber(y.operands[i].code) == rm;
                if (!follows || (tied >= 0 && tied != static_cast<int>(i))) {
                    tied = -2;
                    break;
                }
                tied = static_cast<int>(i);
            }
        }
    }
    if (tied >= 0) {
        Candidate c = forms[0];
        c.form = ModRMForm::TiedRegister;
        c.modrm = static_cast<uint8_t>(0xC0 | (reg << 3));
        c.operands[tied].flags |= ShapeFlag::TiedToRm;
        Add(t, c);
        return;
    }
    for (unsigned rm = 0; rm < 8; ++rm) {
        if (ok[rm]) Add(t, forms[rm]);
    }
}

void AddOpcode(Table& t, Form f, bool is32) {
    // Does the opcode read a ModR/M byte? Ask the decoder with two bytes after it.
    bool hasModRM = false;
    for (unsigned probe = 0; probe < 256 && !hasModRM; probe += 8) {  // mod 00 and 11, every reg field
        if (probe == 0x40) probe = 0xC0;
        uint8_t window[kDecodeWindow] = {};
        f.hasModRM = false;
        const unsigned n = HeadBytes(f, f.prefixes, window);
        window[n] = static_cast<uint8_t>(probe);
        DecodedInstruction r{};
        if (DecodeInstruction(window, &r, is32) && !IsInvalid(r) && HasModRM(r)) hasModRM = true;
    }
    if (!hasModRM) {
        f.hasModRM = false;
        f.modrm = 0;
        Candidate c;
        if (MakeCandidate(f, is32, c)) {
            c.form = ModRMForm::None;
            Add(t, c);
        }
        return;
    }
    // The address size a ModR/M memory operand has follows from the text, so
    // 67h is never part of such an opcode.
    if (f.prefixes & CandidatePrefix::AddressSize) return;
    f.hasModRM = true;
    for (uint8_t reg = 0; reg < 8; ++reg) {
        AddRegisterForms(t, f, is32, reg);
        // mod 00, r/m 000: [bx+si] or [eax], no displacement.
        f.modrm = static_cast<uint8_t>(reg << 3);
        Candidate c;
        if (MakeCandidate(f, is32, c)) {
            c.form = ModRMForm::Memory;
            Add(t, c);
        }
    }
}

// Whether F3h, F2h or 67h in `f.prefixes` make any reading of the opcode
// another instruction (the scalar SSE forms, jecxz): a quick look with the
// decoder alone, so that the many opcodes they leave alone cost little.
// The mnemonic a form reads without F3h, F2h and 67h, for each of the two
// probes: the same for every such prefix, so decoded once per opcode and 66h.
struct PlainReading {
    bool known = false;
    bool named[2] = {};
    uint16_t mnemonic[2] = {};
};

bool RepeatOrAddressPrefixMatters(Form f, bool is32, PlainReading& plain) {
    constexpr unsigned kProbes[2] = {0x00u, 0xC0u};
    const uint8_t extra = CandidatePrefix::Rep | CandidatePrefix::Repne | CandidatePrefix::AddressSize;
    const uint8_t without = static_cast<uint8_t>(f.prefixes & ~extra);
    f.hasModRM = false;
    if (!plain.known) {
        for (unsigned i = 0; i < 2; ++i) {
            uint8_t b[kDecodeWindow] = {};
            b[HeadBytes(f, without, b)] = static_cast<uint8_t>(kProbes[i]);
            DecodedInstruction y{};
            plain.named[i] = DecodeInstruction(b, &y, is32) && !IsInvalid(y) && y.mnemonic > Mnemonic::Invalid;
            plain.mnemonic[i] = y.mnemonic;
        }
        plain.known = true;
    }
    for (unsigned i = 0; i < 2; ++i) {
        uint8_t a[kDecodeWindow] = {};
        a[HeadBytes(f, f.prefixes, a)] = static_cast<uint8_t>(kProbes[i]);
        DecodedInstruction x{};
        const bool xNamed = DecodeInstruction(a, &x, is32) && !IsInvalid(x) && x.mnemonic > Mnemonic::Invalid;
        if (xNamed && (!plain.named[i] || x.mnemonic != plain.mnemonic[i])) return true;
    }
    return false;
}

void Build(Table& t, bool is32) {
    for (uint8_t osz : {uint8_t{0}, uint8_t{CandidatePrefix::OperandSize}}) {
        PlainReading plain[512];  // by opcode: one-byte ones, then 0F xx
        for (uint8_t rep : {uint8_t{0}, uint8_t{CandidatePrefix::Rep}, uint8_t{CandidatePrefix::Repne}}) {
            for (uint8_t asz : {uint8_t{0}, uint8_t{CandidatePrefix::AddressSize}}) {
                Form f{};
                f.prefixes = static_cast<uint8_t>(osz | rep | asz);
                for (unsigned op = 0; op < 256; ++op) {
                    if (IsPrefixByte(static_cast<uint8_t>(op)) || op == 0x0F) continue;
                    f.opcode[0] = static_cast<uint8_t>(op);
                    f.opcodeLength = 1;
                    if ((rep | asz) == 0 || RepeatOrAddressPrefixMatters(f, is32, plain[op])) AddOpcode(t, f, is32);
                }
                for (unsigned op = 0; op < 256; ++op) {
                    f.opcode[0] = 0x0F;
                    f.opcode[1] = static_cast<uint8_t>(op);
                    f.opcodeLength = 2;
                    if ((rep | asz) == 0 || RepeatOrAddressPrefixMatters(f, is32, plain[256 + op])) AddOpcode(t, f, is32);
                }
            }
        }
    }
    // Group by mnemonic, then by signature, in an order fixed by the bytes.
    std::sort(t.candidates, t.candidates + t.count, [](const Candidate& x, const Candidate& y) {
        if (x.mnemonic != y.mnemonic) return x.mnemonic < y.mnemonic;
        if (x.signature != y.signature) return x.signature < y.signature;
        return std::memcmp(&x, &y, sizeof x) < 0;
    });
    size_t at = 0;
    for (int m = 0; m <= kMaxMnemonics; ++m) {
        while (at < t.count && t.candidates[at].mnemonic < m) ++at;
        t.start[m] = static_cast<uint32_t>(at);
    }
}

// Each mode's table is built at its first use (a program that assembles for
// one mode only builds one).
const Table& TableOf(bool is32) {
    if (is32) {
        static const bool built32 = (Build(g_tables[1], true), true);
        (void)built32;
        return g_tables[1];
    }
    static const bool built16 = (Build(g_tables[0], false), true);
    (void)built16;
    return g_tables[0];
}

}  // namespace

CandidateRange CandidatesOf(uint16_t mnemonic, bool is32BitMode) {
    const Table& t = TableOf(is32BitMode);
    if (mnemonic >= kMaxMnemonics) return {t.candidates, t.candidates};
    return {t.candidates + t.start[mnemonic], t.candidates + t.start[mnemonic + 1]};
}

CandidateRange CandidatesOf(uint16_t mnemonic, uint32_t signature, bool is32BitMode) {
    const CandidateRange all = CandidatesOf(mnemonic, is32BitMode);
    const auto range = std::equal_range(all.begin, all.end, signature, SignatureOrder{});
    return {range.first, range.second};
}

uint8_t OperandSignature(uint8_t kind, uint8_t registerClass) {
    switch (kind) {
        case OperandKind::Register: return static_cast<uint8_t>(0x10 | registerClass);
        case OperandKind::Memory: return 0x20;
        case OperandKind::Immediate:
        case OperandKind::Constant: return 0x30;
        case OperandKind::Relative: return 0x40;
        case OperandKind::FarPointer: return 0x50;
        default: return 0xF0;
    }
}

uint32_t ShapeSignature(const Candidate& c) {
    uint32_t signature = c.operandCount;
    for (unsigned i = 0; i < c.operandCount; ++i) {
        signature |= static_cast<uint32_t>(OperandSignature(c.operands[i].kind, RegisterClassOf(c.operands[i].code)))
                     << (8 * (i + 1));
    }
    return signature;
}

void SetRegisterKey(Candidate& c) {
    c.registers = 0;
    c.registerMask = 0;
    for (unsigned i = 0; i < c.operandCount; ++i) {
        const OperandShape& s = c.operands[i];
        if (s.kind != OperandKind::Register || (s.flags & ShapeFlag::TiedToRm)) continue;
        c.registers |= static_cast<uint32_t>(s.code) << (8 * i);
        c.registerMask |= 0xFFu << (8 * i);
    }
}

size_t CandidateCount(bool is32BitMode) { return TableOf(is32BitMode).count; }
bool CandidateStorageSufficed() { return !TableOf(false).overflow && !TableOf(true).overflow; }

}  // namespace vexa::assembler
