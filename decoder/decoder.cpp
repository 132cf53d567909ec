#include "decoder/decoder.h"

#include <array>

#include "decoder/decode_context.h"
#include "decoder/form_decoder.h"
#include "decoder/mnemonic_list.h"
#include "decoder/mnemonic_tables.h"
#include "decoder/opcode_classes.h"
#include "decoder/prefix_scan.h"

namespace vexa {
namespace {

// A reset record holding the prefixes seen and counting them in its length.
void StartRecord(DecodedInstruction& record, PrefixBytes prefixes, unsigned position) {
    ResetRecord(&record);
    record.prefixFlags = prefixes.flags;
    record.repeatAndLength = prefixes.repeat;
    SetInstructionLength(record, position);
}

// Not an instruction: the record keeps what had been stored so far, and the
// repeat bits, but reads as INVALID, one byte long.
bool MarkInvalid(DecodedInstruction& record) {
    record.decodeFlags |= DecodeFlag::Invalid;
    record.mnemonic = Mnemonic::Invalid;
    SetInstructionLength(record, 1);
    return true;
}

// The one-byte tables and the two-byte tables, by whether the opcode is 0Fh.
constexpr const OpcodeHandler* kHandlerTables[2] = {kOneByteHandlers, kTwoByteHandlers};
constexpr const uint32_t* kMnemonicTables[2] = {kOneByteMnemonicTable, kTwoByteMnemonicTable};

// Runs the handler of the opcode's class once the prefixes are known. 0Fh and
// the byte after it select an entry of the two-byte table, any other opcode
// one of the one-byte table, so every instruction costs one indirect call and
// no branch on its kind: which classes come along is not predictable, so such
// a branch would often be mispredicted.
Outcome DecodeOpcode(DecodeContext& ctx) {
    DecodedInstruction& record = *ctx.record;
    const uint8_t opcodeClass = kOneByteClassTable[ctx.opcode];
    record.opcodeClass = opcodeClass;
    if (opcodeClass >= OpcodeClass::kHandlerCount) return Outcome::Invalid;

    const bool twoByte = opcodeClass == OpcodeClass::TwoByteEscape;
    const uint8_t second = ctx.Opcode()[1];
    const uint8_t subClass = kTwoByteClassTable[second];
    const uint8_t twoByteEntry = subClass < kUnassignedTwoByteEntry ? subClass : kUnassignedTwoByteEntry;
    const OpcodeHandler& handler = kHandlerTables[twoByte][form_decoding::Select(twoByte, opcodeClass, twoByteEntry)];
    record.subClass = static_cast<uint8_t>(form_decoding::Select(twoByte, 0, subClass));
    record.decodeFlags = static_cast<uint8_t>(twoByte) * DecodeFlag::TwoByteOpcode;
    ctx.secondByte = static_cast<uint8_t>(form_decoding::Select(twoByte, 0, second));
    ctx.wide = (ctx.opcode & 0x01 & static_cast<uint8_t>(handler.wideInBit0)) != 0;
    ctx.direction = ((ctx.opcode >> 1) & 0x01 & static_cast<uint8_t>(handler.directionInBit1)) != 0;
    AddInstructionLength(record, 1u + twoByte);

    // Named from the table before the handler runs, for the same reason: the
    // handlers that name the instruction themselves overwrite it (their opcodes
    // have no table name or one the handler adjusts), and the invalid path
    // names every instruction it takes INVALID.
    ctx.Name(MnemonicIndexOf(kMnemonicTables[twoByte][form_decoding::Select(twoByte, ctx.opcode, second)]));
    return handler.handle(ctx);
}

// The opcode after `position` prefixes, by its class handler. Kept out of
// line: few instructions take it, and inlined it would cost the straight
// line registers.
#if defined(__GNUC__)
[[gnu::noinline]]
#endif
bool DecodeByHandler(const uint8_t* bytes, unsigned position, PrefixBytes prefixes, DecodedInstruction& record,
                     EffectiveSizes sizes) {
    StartRecord(record, prefixes, position);
    // The operand temps are cleared where they are first filled, by the ModR/M
    // decode or by a whole operand, not here: most instructions never use them.
    DecodeContext ctx;
    ctx.regField = 0;
    ctx.bytes = bytes;
    ctx.record = &record;
    ctx.sizes = sizes;
    ctx.opcodePosition = position;
    ctx.opcode = bytes[position];
    switch (DecodeOpcode(ctx)) {
        case Outcome::Failed: return false;
        case Outcome::Invalid: return MarkInvalid(record);
        case Outcome::Decoded: break;
    }
    if (InstructionLength(record) > kMaxInstructionLength) return MarkInvalid(record);
    return true;
}

// The prefixes, then the opcode: by its operand form where it has one (and
// kUseForms), else by its class handler.
template <bool kUseForms>
#if defined(__GNUC__)
[[gnu::always_inline]]
#endif
inline bool Decode(const uint8_t* bytes, DecodedInstruction* record, bool is32BitMode) {
    if (bytes == nullptr || record == nullptr) return false;

    // Most instructions have no prefix: their sizes are the mode's, and the
    // straight-line decoder is inlined for them with every prefix term known.
    if (kOneByteClassTable[bytes[0]] != OpcodeClass::Prefix) [[likely]] {
        const EffectiveSizes sizes{is32BitMode, is32BitMode};
        if (!kUseForms || !DecodeByForm(bytes, 0, PrefixBytes{}, false, *record, sizes)) {
            return DecodeByHandler(bytes, 0, PrefixBytes{}, *record, sizes);
        }
        return true;  // at most 12 bytes without a prefix
    }

    // The prefixes are gathered apart from the record: the straight-line
    // decoder writes the whole record at once.
    PrefixBytes prefixes{};
    unsigned position = 0;
    while (kOneByteClassTable[bytes[position]] == OpcodeClass::Prefix) {
        RecordPrefix(prefixes, bytes[position]);
        if (position == kMaxPrefixes) {  // a fifteenth prefix
            StartRecord(*record, prefixes, position);
            return MarkInvalid(*record);
        }
        ++position;
    }
    const EffectiveSizes sizes = ComputeEffectiveSizes(is32BitMode, prefixes.flags);
    const bool repBeforeOpcode = bytes[position - 1] == 0xF3;

    if (!kUseForms || !DecodeByForm(bytes, position, prefixes, repBeforeOpcode, *record, sizes)) {
        return DecodeByHandler(bytes, position, prefixes, *record, sizes);
    }
    if (InstructionLength(*record) > kMaxInstructionLength) return MarkInvalid(*record);
    return true;
}

}  // namespace

bool DecodeInstruction(const uint8_t* bytes, DecodedInstruction* record, bool is32BitMode) {
    return Decode<true>(bytes, record, is32BitMode);
}

bool DecodeInstructionByHandlers(const uint8_t* bytes, DecodedInstruction* record, bool is32BitMode) {
    return Decode<false>(bytes, record, is32BitMode);
}

bool DecodeInstruction(const uint8_t* bytes, DecodedInstruction* record) {
    return DecodeInstruction(bytes, record, mode32 != 0);
}

}  // namespace vexa
