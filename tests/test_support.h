#pragma once
// Helpers shared by the decoder and formatter tests: decode windows (plain,
// and one that borders an inaccessible page), hand-made operands and records,
// and the comparison and printing of operands and bytes.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "decoder/decoder.h"
#include "tests/record_invariants.h"

namespace vexa::test {

// ---- Decoding byte strings ----

// The bytes at the start of a zero-filled decode window, as the workbench
// composes them; bytes past the window are dropped.
inline std::array<uint8_t, kDecodeWindow> Window(const uint8_t* bytes, size_t count) {
    std::array<uint8_t, kDecodeWindow> window{};
    std::copy_n(bytes, std::min(count, window.size()), window.begin());
    return window;
}
inline std::array<uint8_t, kDecodeWindow> Window(std::initializer_list<uint8_t> bytes) {
    return Window(bytes.begin(), bytes.size());
}
inline std::array<uint8_t, kDecodeWindow> Window(const std::vector<uint8_t>& bytes) {
    return Window(bytes.data(), bytes.size());
}

struct DecodeResult {
    bool ok;
    DecodedInstruction record;
};

// Decodes a window into a record filled with garbage first, so that a field
// the decoder forgets to write shows up.
inline DecodeResult Decode(const std::array<uint8_t, kDecodeWindow>& window, bool is32BitMode) {
    DecodeResult result;
    std::memset(&result.record, 0xCC, sizeof result.record);
    result.ok = DecodeInstruction(window.data(), &result.record, is32BitMode);
    return result;
}
inline DecodeResult Decode(const std::vector<uint8_t>& bytes, bool is32BitMode) {
    return Decode(Window(bytes), is32BitMode);
}

// "%02X " for each byte, as the workbench's bytes line shows them.
inline std::string HexBytes(const uint8_t* bytes, size_t count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < count; ++i) text += {digits[bytes[i] >> 4], digits[bytes[i] & 15], ' '};
    return text;
}
inline std::string HexBytes(const std::vector<uint8_t>& bytes) { return HexBytes(bytes.data(), bytes.size()); }

// A decode window at the very end of a readable page, followed by a page that
// cannot be read: a read past the window's last byte faults.
class GuardedWindow {
public:
    GuardedWindow() : pageSize_(static_cast<size_t>(sysconf(_SC_PAGESIZE))) {
        void* mapping = mmap(nullptr, 2 * pageSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping == MAP_FAILED) return;
        pages_ = static_cast<uint8_t*>(mapping);
        if (mprotect(pages_ + pageSize_, pageSize_, PROT_NONE) != 0) {
            munmap(pages_, 2 * pageSize_);
            pages_ = nullptr;
        }
    }
    ~GuardedWindow() {
        if (pages_ != nullptr) munmap(pages_, 2 * pageSize_);
    }
    GuardedWindow(const GuardedWindow&) = delete;
    GuardedWindow& operator=(const GuardedWindow&) = delete;

    bool ready() const { return pages_ != nullptr; }

    // The window itself, for callers that lay out their bytes in place.
    uint8_t* data() const { return pages_ + pageSize_ - kDecodeWindow; }

    // The bytes at the start of the zero-filled window.
    const uint8_t* Fill(const std::vector<uint8_t>& bytes) {
        uint8_t* window = data();
        std::fill_n(window, kDecodeWindow, 0);
        std::copy_n(bytes.data(), std::min(bytes.size(), kDecodeWindow), window);
        return window;
    }

private:
    size_t pageSize_;
    uint8_t* pages_ = nullptr;
};

// Decodes in the guarded window under the global mode flag. `problem` receives
// a description when the decode returns false, changes the mode flag or
// leaves a record that breaks an invariant; it stays empty otherwise.
inline DecodedInstruction SweepDecode(GuardedWindow& window, const std::vector<uint8_t>& bytes, bool is32BitMode,
                                      std::string& problem) {
    const uint8_t savedMode = mode32;
    const uint8_t mode = is32BitMode ? 1 : 0;
    mode32 = mode;
    DecodedInstruction record{};
    const uint8_t* const data = window.Fill(bytes);
    const bool ok = DecodeInstruction(data, &record);
    problem.clear();
    if (!ok) {
        problem = "decode returned false";
    } else if (mode32 != mode) {
        problem = "mode32 changed";
    } else if (const char* broken = BrokenRecordInvariant(data, record)) {
        problem = broken;
    }
    mode32 = savedMode;
    return record;
}

// Bytes of ModR/M, SIB and displacement that a ModR/M byte (and the SIB byte
// after it) calls for, worked out from the encoding rules.
inline unsigned AddressingBytes(uint8_t modrm, uint8_t sib, bool address32) {
    const unsigned mod = modrm >> 6, rm = modrm & 7;
    if (mod == 3) return 1;
    if (!address32) {
        if (mod == 0) return rm == 6 ? 3 : 1;
        return mod == 1 ? 2 : 3;
    }
    unsigned count = 1;
    if (rm == 4) {
        count += 1;
        if (mod == 0 && (sib & 7) == 5) return count + 4;
    }
    if (mod == 0) return rm == 5 ? count + 4 : count;
    return count + (mod == 1 ? 1 : 4);
}

// ---- Hand-made operands and records ----

constexpr uint8_t Present(uint8_t registerClass, uint8_t number) {
    return kRegisterPresent | MakeRegisterCode(registerClass, number);
}
constexpr uint8_t Scale(uint8_t factor) { return kScalePresent | factor; }

inline OperandDescriptor RegisterOperand(uint8_t registerClass, uint8_t number) {
    OperandDescriptor o{};
    o.kind = OperandKind::Register;
    o.reg = MakeRegisterCode(registerClass, number);
    return o;
}

inline OperandDescriptor MemoryOperand(uint8_t memorySize, uint8_t base, uint8_t index, uint8_t scale,
                                       uint8_t dispSize, uint32_t disp) {
    OperandDescriptor o{};
    o.kind = OperandKind::Memory;
    o.memorySize = memorySize;
    o.base = base;
    o.index = index;
    o.scale = scale;
    o.dispSize = dispSize;
    o.disp = disp;
    return o;
}

inline OperandDescriptor ImmediateOperand(uint8_t immSize, uint32_t imm) {
    OperandDescriptor o{};
    o.kind = OperandKind::Immediate;
    o.immSize = immSize;
    o.imm = imm;
    return o;
}

// Constant, Relative and FarPointer keep their number in disp (and dispHigh).
inline OperandDescriptor DispOperand(uint8_t kind, uint8_t dispSize, uint32_t disp, uint16_t dispHigh = 0) {
    OperandDescriptor o{};
    o.kind = kind;
    o.dispSize = dispSize;
    o.disp = disp;
    o.dispHigh = dispHigh;
    return o;
}

inline DecodedInstruction Instruction(uint16_t mnemonic, std::initializer_list<OperandDescriptor> operands,
                                      unsigned length = 1, uint8_t prefixFlags = 0) {
    DecodedInstruction d{};
    d.mnemonic = mnemonic;
    d.prefixFlags = prefixFlags;
    SetInstructionLength(d, length);
    for (const OperandDescriptor& o : operands) d.operands[d.operandCount++] = o;
    return d;
}

constexpr uint8_t SegmentPrefix(uint8_t segmentOverride) {
    return static_cast<uint8_t>(segmentOverride << PrefixFlag::SegmentShift);
}

// ---- Comparing and printing operands ----

// Field by field: the padding between the fields is not compared.
inline bool SameOperand(const OperandDescriptor& x, const OperandDescriptor& y) {
    return x.kind == y.kind && x.memorySize == y.memorySize && x.reg == y.reg && x.base == y.base &&
           x.index == y.index && x.scale == y.scale && x.dispSize == y.dispSize && x.disp == y.disp &&
           x.dispHigh == y.dispHigh && x.immSize == y.immSize && x.imm == y.imm;
}

// Every field of two records, operand by operand; padding is never compared.
inline bool SameRecord(const DecodedInstruction& a, const DecodedInstruction& b) {
    if (a.prefixFlags != b.prefixFlags || a.repeatAndLength != b.repeatAndLength || a.opcodeClass != b.opcodeClass ||
        a.subClass != b.subClass || a.mnemonic != b.mnemonic || a.decodeFlags != b.decodeFlags ||
        a.operandCount != b.operandCount) {
        return false;
    }
    for (unsigned i = 0; i < 3; ++i) {
        if (!SameOperand(a.operands[i], b.operands[i])) return false;
    }
    return true;
}

inline std::string OperandFields(const OperandDescriptor& o) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "{kind %u mem %u reg %02X base %02X index %02X scale %02X disp %u:%X high %X imm %u:%X}", o.kind,
                  o.memorySize, o.reg, o.base, o.index, o.scale, o.dispSize, o.disp, o.dispHigh, o.immSize, o.imm);
    return text;
}

}  // namespace vexa::test
