#pragma once
// The straight-line decoder: decodes an opcode by its entry of the tables
// resolved from the opcode descriptions (decoder/internal/opcode_descriptions.h)
// with no call and, but for the groups whose reg field picks a row of
// entries, no branch on the kind of instruction. Most
// instructions take it; the rest are irregular (see IrregularOpcode) or invalid.
#include <cstdint>
#include <cstring>

#include "decoder/decoded_instruction.h"
#include "decoder/internal/straight_line_tables.h"

namespace vexa {

// What the prefixes made of the record's first two bytes: the prefix flags,
// and the repeat bits (its length bits left zero).
struct PrefixBytes {
    uint8_t flags;
    uint8_t repeat;
};

// Decodes the opcode at bytes[position], after `position` prefixes (the last
// of them an F3h when `repBeforeOpcode`), within the decode window, writing
// the whole record. Returns false, with the record untouched, when the opcode
// has no straight-line entry or its reg field names no instruction: its class
// caller decodes it apart then. Never reads past the decode window. Always inlined
// into the decode: it runs for most instructions, and a call would save and
// restore most registers around it.
#if defined(__GNUC__)
[[gnu::always_inline]]
#endif
inline bool DecodeStraightLine(const uint8_t* bytes, unsigned position, PrefixBytes prefixes, bool repBeforeOpcode,
                         DecodedInstruction& record, EffectiveSizes sizes) {
    using namespace straight_line;
    const uint8_t opcode = bytes[position];
    const uint8_t second = bytes[position + 1];
    const bool twoByte = opcode == 0x0F;
    // An F3h right before 0Fh selects the scalar SSE forms.
    const unsigned map = twoByte + (twoByte & repBeforeOpcode);
    // A conditional move, not arithmetic: two instructions.
    const unsigned index = twoByte ? second : opcode;
    const auto& entries = kStraightLineEntries[sizes.operand32];
    const StraightLineEntry* entry = &entries[map * 256 + index];
    const unsigned modrmAt = position + 1 + twoByte;
    const uint8_t* const modrm = bytes + modrmAt;
    const unsigned regField = (modrm[0] >> 3) & 7;
    // Opcodes whose reg field decides the operands or the name take their row's entry.
    entry = &entries[entry->rowIndex + (regField & entry->regMask)];
    if (((entry->validByModReg >> (modrm[0] >> 3)) & 1) == 0) return false;

    // The ModR/M byte is decoded whether or not the entry has one, and counted
    // only if it has: a byte that is not a ModR/M byte costs a few loads, a
    // branch on the entry would be mispredicted.
    const RmOperand rm = DecodeRm(modrm, sizes.address32);
    const unsigned modrmMask = 0u - entry->hasModRM;
    const unsigned dataAt = modrmAt + (rm.consumed & modrmMask);
    const DataLayout& layout = kDataLayouts[entry->data][sizes.operand32][sizes.address32];

    // The slots whole, from the entry: the registers the opcode fixes, zero
    // elsewhere. Then the three operands that vary with the bytes are stored
    // over the slots that take them. One the entry has no slot for goes
    // where it is overwritten: a reg operand to the header, stored last; an
    // r/m operand, stored before the third slot is written, to that slot; a
    // data operand to a scratch operand.
    unsigned char scratch[sizeof(OperandDescriptor)];
    unsigned char* const base = reinterpret_cast<unsigned char*>(&record);
    StoreHeadOnly(record.operands[0], entry->slotHeads[0]);
    StoreHeadOnly(record.operands[1], entry->slotHeads[1]);

    // A register r/m operand gets class bits, a memory one a memory size
    // (kind 1): one of two words of the entry, by a conditional move.
    const uint64_t rmHead =
        rm.head | ((rm.head & OperandKind::Memory) != 0 ? entry->rmMemoryBits : entry->rmRegisterBits);
    const uint64_t rmMiddle = rm.disp;
    unsigned char* const rmSlot = base + entry->rmAt;
    std::memcpy(rmSlot, &rmHead, sizeof(rmHead));
    std::memcpy(rmSlot + 8, &rmMiddle, sizeof(rmMiddle));
    StoreHeadOnly(record.operands[2], entry->slotHeads[2]);

    // The reg operand: a register (kind 0), its code alone.
    base[entry->regAt + Field::Reg] = static_cast<uint8_t>(regField | entry->regClassBits);

    // Without a prefix the data starts at most 8 bytes in (0Fh, opcode,
    // ModR/M, SIB, displacement): eight bytes from there lie inside the window.
    static_assert(8 + 8 <= kDecodeWindow, "an unprefixed instruction's data is loaded whole");
    const uint64_t raw = position == 0 ? Load64(bytes + dataAt) : LoadWithinWindow(bytes, dataAt);
    const uint32_t value = static_cast<uint32_t>(static_cast<int32_t>(static_cast<uint32_t>(raw) << layout.signShift) >>
                                                 layout.signShift);
    const uint64_t dataHead = layout.head | Put(Field::MemorySize, entry->dataMemorySize);
    const uint64_t dataMiddle = layout.middle | (raw & layout.dispMask);
    const uint32_t dataImm = (value & layout.immMask) | layout.constant;
    unsigned char* const dataSlot = entry->dataAt != kNoSlot ? base + entry->dataAt : scratch;
    std::memcpy(dataSlot, &dataHead, sizeof(dataHead));
    std::memcpy(dataSlot + 8, &dataMiddle, sizeof(dataMiddle));
    std::memcpy(dataSlot + 16, &dataImm, sizeof(dataImm));

    // The header in one store: the entry's part (with the name), the
    // prefixes, the ModR/M flags and the length.
    const unsigned length = dataAt + layout.consumed;
    // jcxz is the entry before jecxz: subtracted from the name field, which
    // holds at least jecxz then, so nothing borrows from the fields above.
    const uint64_t shortAddressName = static_cast<uint64_t>(entry->shortAddressBelow & !sizes.address32)
                                      << (8 * HeaderByte::Mnemonic);
    const uint64_t header =
        (entry->header | prefixes.flags | (rm.flags & modrmMask) |
         HeaderField(HeaderByte::RepeatAndLength, prefixes.repeat | (length << RepeatFlag::LengthShift))) -
        shortAddressName;
    std::memcpy(&record, &header, sizeof(header));
    // The length byte once more, on its own: a caller stepping through code
    // reads it to find the next instruction, and a load from this store waits
    // only for the length, not for the whole header word.
    record.repeatAndLength = static_cast<uint8_t>(prefixes.repeat | (length << RepeatFlag::LengthShift));
    return true;
}

}  // namespace vexa
