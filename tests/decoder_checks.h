#pragma once
// Checks shared by the decoder tests: operand expectations written compactly,
// the invariants every decoded record must hold, and a decode window whose end
// borders an inaccessible page.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "decoder/decoder.h"
#include "decoder/mnemonic_list.h"

namespace vexa::test {

// One expected operand: a register code, a memory operand of a given size, or
// an 8-bit immediate.
struct ExpectedOperand {
    uint8_t kind;
    uint8_t reg;
    uint8_t memorySize;
    uint32_t imm;
};

constexpr ExpectedOperand Reg(uint8_t code) { return {OperandKind::Register, code, 0, 0}; }
constexpr ExpectedOperand Mem(uint8_t memorySize) { return {OperandKind::Memory, 0, memorySize, 0}; }
constexpr ExpectedOperand Imm8(uint8_t value) { return {OperandKind::Immediate, 0, 0, value}; }

constexpr uint8_t St(uint8_t i) { return MakeRegisterCode(RegisterClass::Fpu, i); }
constexpr uint8_t Mm(uint8_t i) { return MakeRegisterCode(RegisterClass::Mmx, i); }
constexpr uint8_t Xmm(uint8_t i) { return MakeRegisterCode(RegisterClass::Xmm, i); }
constexpr uint8_t Gpr32(uint8_t i) { return MakeRegisterCode(RegisterClass::Gpr32, i); }
constexpr uint8_t kAx = MakeRegisterCode(RegisterClass::Gpr16, 0);

inline void ExpectOperands(const DecodedInstruction& record, const std::vector<ExpectedOperand>& expected) {
    ASSERT_EQ(record.operandCount, expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const OperandDescriptor& actual = record.operands[i];
        SCOPED_TRACE("operand " + std::to_string(i));
        EXPECT_EQ(actual.kind, expected[i].kind);
        if (expected[i].kind == OperandKind::Register) {
            EXPECT_EQ(actual.reg, expected[i].reg);
        } else if (expected[i].kind == OperandKind::Memory) {
            EXPECT_EQ(actual.memorySize, expected[i].memorySize);
        } else if (expected[i].kind == OperandKind::Immediate) {
            EXPECT_EQ(actual.immSize, 1);
            EXPECT_EQ(actual.imm, expected[i].imm);
        }
    }
}

// Decodes a byte list in a zero-filled window; the decode must return true.
inline DecodedInstruction DecodeBytes(const std::vector<uint8_t>& bytes, bool is32BitMode) {
    std::vector<uint8_t> window(kDecodeWindow, 0);
    std::copy_n(bytes.begin(), std::min(bytes.size(), kDecodeWindow), window.begin());
    DecodedInstruction record{};
    EXPECT_TRUE(DecodeInstruction(window.data(), &record, is32BitMode));
    return record;
}

// Field by field: the padding bytes of a record are never compared.
inline bool SameOperand(const OperandDescriptor& a, const OperandDescriptor& b) {
    return a.kind == b.kind && a.memorySize == b.memorySize && a.reg == b.reg && a.base == b.base &&
           a.index == b.index && a.scale == b.scale && a.dispSize == b.dispSize && a.disp == b.disp &&
           a.dispHigh == b.dispHigh && a.immSize == b.immSize && a.imm == b.imm;
}

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

inline bool IsZero(const OperandDescriptor& operand) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&operand);
    return std::all_of(bytes, bytes + sizeof(operand), [](uint8_t b) { return b == 0; });
}

// The invariants of a record after a decode that returned true. Returns a
// description of the first one broken, or an empty string.
inline std::string BrokenInvariant(const DecodedInstruction& record) {
    const unsigned length = InstructionLength(record);
    if (IsInvalid(record)) {
        if (record.mnemonic != Mnemonic::Invalid) return "invalid record without mnemonic 1";
        if (length != 1) return "invalid record with length " + std::to_string(length);
    } else if (length < 1 || length > kMaxInstructionLength) {
        return "valid record with length " + std::to_string(length);
    }
    if (record.operandCount > 3) return "operandCount " + std::to_string(record.operandCount);
    for (unsigned slot = record.operandCount; slot < 3; ++slot) {
        if (!IsZero(record.operands[slot])) return "slot " + std::to_string(slot) + " past operandCount not zero";
    }
    if (record.repeatAndLength & 0x80) return "bit 7 of the repeat/length byte set";
    return {};
}

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
    const uint8_t* Fill(const uint8_t* bytes, size_t count) {
        uint8_t* window = data();
        std::fill_n(window, kDecodeWindow, 0);
        std::copy_n(bytes, std::min(count, kDecodeWindow), window);
        return window;
    }
    const uint8_t* Fill(const std::vector<uint8_t>& bytes) { return Fill(bytes.data(), bytes.size()); }

private:
    size_t pageSize_;
    uint8_t* pages_ = nullptr;
};

inline std::string HexBytes(const std::vector<uint8_t>& bytes) {
    std::string text;
    static const char digits[] = "0123456789ABCDEF";
    for (uint8_t b : bytes) text += {digits[b >> 4], digits[b & 15], ' '};
    return text;
}

// Decodes in the guarded window under the global mode flag. `problem` receives
// a description when the decode returns false, changes the mode flag or
// leaves a record that breaks an invariant; it stays empty otherwise.
inline DecodedInstruction SweepDecode(GuardedWindow& window, const std::vector<uint8_t>& bytes, bool is32BitMode,
                                      std::string& problem) {
    const uint8_t savedMode = mode32;
    const uint8_t mode = is32BitMode ? 1 : 0;
    mode32 = mode;
    DecodedInstruction record{};
    const bool ok = DecodeInstruction(window.Fill(bytes), &record);
    if (!ok) {
        problem = "decode returned false";
    } else if (mode32 != mode) {
        problem = "mode32 changed";
    } else {
        problem = BrokenInvariant(record);
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

}  // namespace vexa::test
