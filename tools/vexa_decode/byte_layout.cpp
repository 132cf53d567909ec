#include "tools/vexa_decode/byte_layout.h"

#include <algorithm>

#include "decoder/decoder.h"
#include "decoder/internal/modrm.h"
#include "decoder/opcode_classes.h"
#include "decoder/prefix_bytes.h"

namespace vexa::cli {
namespace {

constexpr unsigned kMostPrefixesRead = 15;

bool IsTwoByte(const DecodedInstruction& record) { return (record.decodeFlags & DecodeFlag::TwoByteOpcode) != 0; }

// The memory operand built from the ModR/M byte, or -1.
int MemorySlot(const DecodedInstruction& record) {
    for (unsigned i = 0; i < record.operandCount && i < 3; ++i) {
        if (record.operands[i].kind == OperandKind::Memory) return static_cast<int>(i);
    }
    return -1;
}

void AppendPrefixes(ByteLayout& layout, unsigned count) {
    for (unsigned i = 0; i < count; ++i) layout.Append(1, ByteMeaning::Prefix);
}

// Opcode byte(s), then ModR/M, SIB and displacement when the record has a ModR/M byte.
void AppendOpcodeAndAddressing(ByteLayout& layout, const uint8_t* window, const DecodedInstruction& record,
                               bool is32BitMode) {
    if (IsTwoByte(record)) {
        layout.Append(1, ByteMeaning::Escape);
        layout.Append(1, ByteMeaning::SecondOpcode);
    } else {
        layout.Append(1, ByteMeaning::Opcode);
    }
    if (!HasModRM(record)) return;
    const bool address32 = ComputeEffectiveSizes(is32BitMode, record.prefixFlags).address32;
    const ModRMReading modrm = ReadModRM(window + layout.ByteCount(), address32);
    layout.Append(1, ByteMeaning::ModRM);
    if (modrm.sib) layout.Append(1, ByteMeaning::Sib);
    if (modrm.displacementBytes != 0) {
        layout.Append(modrm.displacementBytes, ByteMeaning::AddressDisplacement, MemorySlot(record));
    }
}

// Bytes an operand takes after the addressing bytes, other than immediates.
unsigned TrailingDisplacementBytes(const DecodedInstruction& record, const OperandDescriptor& operand) {
    switch (operand.kind) {
        case OperandKind::Relative:
        case OperandKind::Constant:
        case OperandKind::FarPointer: return operand.dispSize;
        case OperandKind::Memory: return HasModRM(record) ? 0 : operand.dispSize;  // a memory offset
        default: return 0;
    }
}

// The `tailBytes` after the addressing bytes belong to the operands, in slot
// order. Immediates usually take immSize bytes; when they do not add up, the
// one immediate took what is left: 1 byte for an imm8 the record holds
// widened, none for the count 1 that D0/D1 imply.
void AppendOperandBytes(ByteLayout& layout, const DecodedInstruction& record, unsigned tailBytes) {
    const unsigned count = std::min<unsigned>(record.operandCount, 3);
    unsigned displacementBytes = 0, immediateTotal = 0, immediateCount = 0;
    for (unsigned i = 0; i < count; ++i) {
        const OperandDescriptor& operand = record.operands[i];
        displacementBytes += TrailingDisplacementBytes(record, operand);
        if (operand.kind == OperandKind::Immediate) {
            immediateTotal += operand.immSize;
            ++immediateCount;
        }
    }
    if (displacementBytes > tailBytes) return;
    const unsigned immediateBytes = tailBytes - displacementBytes;
    const bool asRecorded = immediateTotal == immediateBytes;
    if (!asRecorded && immediateCount != 1) return;

    for (unsigned i = 0; i < count; ++i) {
        const OperandDescriptor& operand = record.operands[i];
        const auto slot = static_cast<int>(i);
        switch (operand.kind) {
            case OperandKind::Relative: layout.Append(operand.dispSize, ByteMeaning::BranchDisplacement, slot); break;
            case OperandKind::Constant: layout.Append(operand.dispSize, ByteMeaning::Constant, slot); break;
            case OperandKind::FarPointer:
                layout.Append(operand.dispSize - 2u, ByteMeaning::PointerOffset, slot);
                layout.Append(2, ByteMeaning::PointerSelector, slot);
                break;
            case OperandKind::Memory:
                if (!HasModRM(record)) layout.Append(operand.dispSize, ByteMeaning::MemoryOffset, slot);
                break;
            case OperandKind::Immediate: {
                const unsigned size = asRecorded ? operand.immSize : immediateBytes;
                if (size == 0) break;
                const bool widened = size == 1 && operand.immSize > 1;
                layout.Append(size, widened ? ByteMeaning::SignExtendedImm8 : ByteMeaning::Immediate, slot);
                break;
            }
            default: break;
        }
    }
}

// Whatever the groups did not place up to `end` (kept so the bytes always add up).
void AppendUnaccounted(ByteLayout& layout, unsigned end) {
    if (layout.ByteCount() < end) layout.Append(end - layout.ByteCount(), ByteMeaning::Unaccounted);
}

// The groups of an instruction the record describes, after `prefixes` prefixes,
// `bodyLength` bytes from the opcode on.
void AppendBody(ByteLayout& layout, const uint8_t* window, const DecodedInstruction& record, unsigned bodyLength,
                bool is32BitMode) {
    const unsigned end = layout.ByteCount() + bodyLength;
    AppendOpcodeAndAddressing(layout, window, record, is32BitMode);
    if (layout.ByteCount() <= end) AppendOperandBytes(layout, record, end - layout.ByteCount());
    AppendUnaccounted(layout, end);
}

}  // namespace

ByteRole RoleOf(ByteMeaning meaning) {
    switch (meaning) {
        case ByteMeaning::Prefix: return ByteRole::Prefix;
        case ByteMeaning::Opcode:
        case ByteMeaning::Escape:
        case ByteMeaning::SecondOpcode: return ByteRole::Opcode;
        case ByteMeaning::ModRM: return ByteRole::ModRM;
        case ByteMeaning::Sib: return ByteRole::Sib;
        case ByteMeaning::AddressDisplacement:
        case ByteMeaning::BranchDisplacement:
        case ByteMeaning::MemoryOffset: return ByteRole::Displacement;
        case ByteMeaning::Constant:
        case ByteMeaning::PointerOffset:
        case ByteMeaning::PointerSelector:
        case ByteMeaning::Immediate:
        case ByteMeaning::SignExtendedImm8: return ByteRole::Immediate;
        case ByteMeaning::Invalid: return ByteRole::Invalid;
        case ByteMeaning::Unaccounted: break;
    }
    return ByteRole::Unaccounted;
}

unsigned ByteLayout::ByteCount() const {
    unsigned total = 0;
    for (unsigned i = 0; i < groupCount; ++i) total += groups[i].count;
    return total;
}

void ByteLayout::Append(unsigned count, ByteMeaning meaning, int operand) {
    if (count == 0 || groupCount == groups.size()) return;
    groups[groupCount++] = ByteGroup{static_cast<uint8_t>(ByteCount()), static_cast<uint8_t>(count), meaning,
                                     static_cast<int8_t>(operand)};
}

ModRMReading ReadModRM(const uint8_t* modrm, bool address32) {
    ModRMReading reading;
    DecodedInstruction scratch{};
    OperandDescriptor reg{};
    DecodeModRM(modrm, &scratch, &reg, &reading.rm, address32);
    reading.sib = HasSIB(scratch);
    reading.displacementBytes = reading.rm.kind == OperandKind::Memory ? reading.rm.dispSize : 0;
    return reading;
}

unsigned CountPrefixes(const uint8_t* window) {
    unsigned count = 0;
    while (count < kMostPrefixesRead && kOneByteClassTable[window[count]] == OpcodeClass::Prefix) ++count;
    return count;
}

ByteLayout LayoutOfInstruction(const DecodedWindow& decoded) {
    const DecodedInstruction& record = *decoded.record;
    ByteLayout layout;
    layout.source = record;
    if (IsInvalid(record)) {
        layout.Append(1, ByteMeaning::Invalid);
        return layout;
    }
    const unsigned prefixes = CountPrefixes(decoded.window);
    const unsigned length = InstructionLength(record);
    AppendPrefixes(layout, prefixes);
    AppendBody(layout, decoded.window, record, length > prefixes ? length - prefixes : 0, decoded.is32BitMode);
    return layout;
}

ByteLayout LayoutOfBytesRead(const DecodedWindow& decoded) {
    if (!IsInvalid(*decoded.record)) return LayoutOfInstruction(decoded);
    ByteLayout layout;
    layout.source = *decoded.record;
    const unsigned prefixes = CountPrefixes(decoded.window);
    AppendPrefixes(layout, prefixes);
    if (prefixes == kMostPrefixesRead) return layout;  // the decoder stopped at the fifteenth

    // Invalid for its length alone: the shortened instruction shows what was read.
    const ShortenedDecode shortened = DecodeWithFewerPrefixes(decoded);
    if (shortened.ok && !IsInvalid(shortened.record)) {
        const unsigned body = InstructionLength(shortened.record) - (prefixes - shortened.removed);
        layout.source = shortened.record;
        AppendBody(layout, decoded.window, shortened.record, body, decoded.is32BitMode);
        return layout;
    }
    // Found invalid before any immediate was read.
    AppendOpcodeAndAddressing(layout, decoded.window, *decoded.record, decoded.is32BitMode);
    return layout;
}

ShortenedDecode DecodeWithFewerPrefixes(const DecodedWindow& decoded) {
    ShortenedDecode result;
    const uint8_t* window = decoded.window;
    const unsigned prefixes = CountPrefixes(window);
    if (prefixes == kMostPrefixesRead) return result;

    int last66 = -1, last67 = -1, lastRepeat = -1;
    for (unsigned i = 0; i < prefixes; ++i) {
        const uint8_t kind = PrefixInfoOf(window[i]).kind;
        if (kind == PrefixKind::OperandSize) last66 = static_cast<int>(i);
        if (kind == PrefixKind::AddressSize) last67 = static_cast<int>(i);
        if (kind == PrefixKind::Repeat) lastRepeat = static_cast<int>(i);
    }
    // The last prefix byte stays too: the scalar SSE forms look at the byte before 0Fh.
    std::array<uint8_t, kDecodeWindow>& buffer = result.window;
    unsigned kept = 0;
    for (unsigned i = 0; i < prefixes; ++i) {
        const int at = static_cast<int>(i);
        if (at == last66 || at == last67 || at == lastRepeat || i + 1 == prefixes) buffer[kept++] = window[i];
    }
    std::copy(window + prefixes, window + kDecodeWindow, buffer.begin() + kept);
    result.removed = prefixes - kept;
    result.ok = DecodeInstruction(buffer.data(), &result.record, decoded.is32BitMode);
    return result;
}

}  // namespace vexa::cli
