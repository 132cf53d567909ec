#include "tests/differential/known_differences.h"

#include <cstdio>
#include <cstring>

#include "decoder/decoder.h"
#include "decoder/internal/mnemonic_tables.h"
#include "tests/differential/vexa_view.h"

namespace vexa::diff {
namespace {

bool Same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

bool VexaValid(const CaseResult& c) { return c.vexa.valid; }
bool PeerValid(const CaseResult& c) { return c.zydis.normalized.valid; }
bool VexaUnnamed(const CaseResult& c) { return c.vexa.valid && c.vexa.mnemonic[0] == 0; }
bool OnlyVexaValid(const CaseResult& c) { return VexaValid(c) && !PeerValid(c); }
bool OnlyPeerValid(const CaseResult& c) { return !VexaValid(c) && PeerValid(c); }

// Some difference, and none outside `mask`.
bool DiffersOnlyIn(const CaseResult& c, uint32_t mask) {
    return c.comparison.mismatches != 0 && (c.comparison.mismatches & ~mask) == 0;
}

const char* PeerMnemonic(const CaseResult& c) { return c.zydis.normalized.mnemonic; }

bool IsOneOf(const char* name, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        if (Same(name, n)) return true;
    }
    return false;
}

bool TwoByte(const CaseResult& c, uint8_t first, uint8_t last) {
    return c.encoding.twoByte && c.encoding.second >= first && c.encoding.second <= last;
}
bool OneByte(const CaseResult& c, uint8_t first, uint8_t last) {
    return !c.encoding.twoByte && c.encoding.opcode >= first && c.encoding.opcode <= last;
}

// Instruction sets up to the Pentium III's, as the peer files its instructions.
bool PeerIsaIsOfVexasEra(const CaseResult& c) {
    switch (c.zydis.instruction.meta.isa_set) {
        case ZYDIS_ISA_SET_I86:
        case ZYDIS_ISA_SET_I186:
        case ZYDIS_ISA_SET_I286REAL:
        case ZYDIS_ISA_SET_I286PROTECTED:
        case ZYDIS_ISA_SET_I386:
        case ZYDIS_ISA_SET_I486REAL:
        case ZYDIS_ISA_SET_I486:
        case ZYDIS_ISA_SET_PENTIUMREAL:
        case ZYDIS_ISA_SET_PENTIUMMMX:
        case ZYDIS_ISA_SET_PPRO:
        case ZYDIS_ISA_SET_CMOV:
        case ZYDIS_ISA_SET_FCMOV:
        case ZYDIS_ISA_SET_X87:
        case ZYDIS_ISA_SET_RDPMC:
        case ZYDIS_ISA_SET_LAHF:
        case ZYDIS_ISA_SET_FAT_NOP:
        case ZYDIS_ISA_SET_PREFETCH_NOP:
        case ZYDIS_ISA_SET_SSE:
        case ZYDIS_ISA_SET_SSEMXCSR:
        case ZYDIS_ISA_SET_SSE_PREFETCH:
        case ZYDIS_ISA_SET_FXSAVE:
            return true;
        default:
            return false;
    }
}

// ---- prefixes ---------------------------------------------------------------

// The peers may reject the bytes for any of several prefixes at once (lock,
// 66h and F2/F3 before an MMX opcode, say), so a prefix class is also tried
// with all four of them dropped.
bool ExplainedByOwnOrAllPrefixes(const CaseResult& c, const Classifier& k, std::initializer_list<uint8_t> own) {
    return k.ExplainedByPrefixes(c, own) || k.ExplainedByPrefixes(c, {0xF0, 0x66, 0xF2, 0xF3});
}

bool LockOnAnyInstruction(const CaseResult& c, const Classifier& k) {
    return c.encoding.hasLock && ExplainedByOwnOrAllPrefixes(c, k, {0xF0});
}

bool OperandSizePrefixOnMmx(const CaseResult& c, const Classifier& k) {
    return c.encoding.has66 && c.encoding.twoByte && c.encoding.subClass == 12 &&
           ExplainedByOwnOrAllPrefixes(c, k, {0x66});
}

bool SseClass(const CaseResult& c) { return c.encoding.twoByte && c.encoding.subClass == 13; }

// Outside the SSE class, where F3 has its own meaning to Vexa.
bool RepeatPrefixSelectsAnotherInstruction(const CaseResult& c, const Classifier& k) {
    return (c.encoding.hasF2 || c.encoding.hasF3) && !SseClass(c) && ExplainedByOwnOrAllPrefixes(c, k, {0xF2, 0xF3});
}

// ---- names ------------------------------------------------------------------

bool SizeInvariantNames(const CaseResult& c, const Classifier&) {
    struct Pair { const char* vexa; const char* peer; };
    static constexpr Pair kPairs[] = {
        {"cbw", "cwde"}, {"cwd", "cdq"}, {"pusha", "pushad"}, {"popa", "popad"},
        {"pushf", "pushfd"}, {"popf", "popfd"}, {"iret", "iretd"},
    };
    if (!DiffersOnlyIn(c, Mismatch::Mnemonic)) return false;
    for (const Pair& p : kPairs) {
        if (Same(c.vexa.mnemonic, p.vexa) && Same(PeerMnemonic(c), p.peer)) return true;
    }
    return false;
}

bool ShiftGroupSal(const CaseResult& c, const Classifier&) {
    const bool shiftGroup = OneByte(c, 0xC0, 0xC1) || OneByte(c, 0xD0, 0xD3);
    return shiftGroup && c.encoding.reg == 6 && DiffersOnlyIn(c, Mismatch::Mnemonic) &&
           Same(c.vexa.mnemonic, "sal") && Same(PeerMnemonic(c), "shl");
}

bool TestXchgOperandOrder(const CaseResult& c, const Classifier&) {
    if (!IsOneOf(c.vexa.mnemonic, {"test", "xchg"})) return false;
    if (c.vexa.operandCount != 2 || c.zydis.normalized.operandCount != 2) return false;
    if ((c.comparison.mismatches & ~(Mismatch::OperandType | Mismatch::Register | Mismatch::MemorySize |
                                     Mismatch::Address | Mismatch::Displacement | Mismatch::Segment)) != 0) {
        return false;
    }
    NormalizedInstruction swapped = c.vexa;
    swapped.operands[0] = c.vexa.operands[1];
    swapped.operands[1] = c.vexa.operands[0];
    return Compare(swapped, c.zydis.normalized).mismatches == 0;
}

// ---- integer opcodes --------------------------------------------------------

bool Group3RegisterField1(const CaseResult& c, const Classifier&) {
    return OneByte(c, 0xF6, 0xF7) && c.encoding.reg == 1 && OnlyPeerValid(c) && Same(PeerMnemonic(c), "test");
}

bool SetccRegisterField(const CaseResult& c, const Classifier&) {
    return TwoByte(c, 0x90, 0x9F) && c.encoding.reg != 0 && OnlyPeerValid(c);
}

bool MovControlDebugWithMemory(const CaseResult& c, const Classifier&) {
    return TwoByte(c, 0x20, 0x23) && c.encoding.mod != 3 && OnlyPeerValid(c) && Same(PeerMnemonic(c), "mov");
}

// The segment operand of 8C (second) or 8E (first), as Vexa reads it.
const char* SegmentOperand(const CaseResult& c) {
    const NormalizedOperand& o = c.vexa.operands[c.encoding.opcode == 0x8C ? 1 : 0];
    return c.vexa.operandCount == 2 && o.type == OperandType::Register ? o.reg : "";
}

bool MovSegmentNumbers6And7(const CaseResult& c, const Classifier&) {
    return (OneByte(c, 0x8C, 0x8C) || OneByte(c, 0x8E, 0x8E)) && c.encoding.reg >= 6 && OnlyVexaValid(c) &&
           IsOneOf(SegmentOperand(c), {"seg6", "seg7"});
}

bool MovToCs(const CaseResult& c, const Classifier&) {
    return OneByte(c, 0x8E, 0x8E) && c.encoding.reg == 1 && OnlyVexaValid(c) && Same(SegmentOperand(c), "cs");
}

bool MovFromSegmentRegisterWidth(const CaseResult& c, const Classifier&) {
    if (!OneByte(c, 0x8C, 0x8C) || c.encoding.mod != 3 || !DiffersOnlyIn(c, Mismatch::Register)) return false;
    const NormalizedOperand& v = c.vexa.operands[0];
    const NormalizedOperand& p = c.zydis.normalized.operands[0];
    return v.type == OperandType::Register && p.type == OperandType::Register && p.reg[0] == 'e' &&
           Same(p.reg + 1, v.reg);
}

bool PushPopSegment7(const CaseResult& c, const Classifier&) {
    return TwoByte(c, 0xB8, 0xB9) && VexaValid(c) && c.vexa.operandCount == 1 && Same(c.vexa.operands[0].reg, "seg7");
}

bool LeaMemoryOperand(const CaseResult& c, const Classifier&) {
    return OneByte(c, 0x8D, 0x8D) && DiffersOnlyIn(c, Mismatch::MemorySize | Mismatch::Segment);
}

bool NotrackPrefix(const CaseResult& c, const Classifier&) {
    const bool indirectBranch = OneByte(c, 0xFF, 0xFF) && c.encoding.reg >= 2 && c.encoding.reg <= 5;
    return indirectBranch && (c.zydis.instruction.attributes & ZYDIS_ATTRIB_HAS_NOTRACK) &&
           DiffersOnlyIn(c, Mismatch::Segment) && std::strcmp(c.vexa.operands[0].segment, "ds") == 0;
}

bool LarLslMemorySize(const CaseResult& c, const Classifier&) {
    return TwoByte(c, 0x02, 0x03) && DiffersOnlyIn(c, Mismatch::MemorySize) &&
           c.zydis.normalized.operands[1].sizeBytes == 2;
}

bool SystemOperandWidths(const CaseResult& c, const Classifier&) {
    return TwoByte(c, 0x00, 0x01) && IsOneOf(c.vexa.mnemonic, {"sldt", "str", "lmsw"}) &&
           DiffersOnlyIn(c, Mismatch::MemorySize | Mismatch::Register);
}

// Vexa's reading is fixed: no name, and the r/m register with class bits 0.
bool Group7RegisterFormUnnamed(const CaseResult& c, const Classifier&) {
    if (!TwoByte(c, 0x01, 0x01) || c.encoding.reg != 0 || c.encoding.mod != 3 || !VexaUnnamed(c)) return false;
    const char* rm = VexaRegisterName(MakeRegisterCode(RegisterClass::Gpr8, c.encoding.rm));
    return c.vexa.operandCount == 1 && c.vexa.operands[0].type == OperandType::Register &&
           Same(c.vexa.operands[0].reg, rm) && !(c.comparison.mismatches & Mismatch::Length);
}

bool VexPrefixes(const CaseResult& c, const Classifier&) {
    return (OneByte(c, 0xC4, 0xC5) || OneByte(c, 0x62, 0x62)) && c.encoding.mod == 3 && OnlyPeerValid(c);
}

bool TwoByteTableInvalid(const CaseResult& c, const Classifier&) {
    return c.encoding.twoByte && c.encoding.subClass == 99 && OnlyPeerValid(c);
}

// ---- x87 --------------------------------------------------------------------

bool X87EmptyControlSlots(const CaseResult& c, const Classifier&) {
    const uint8_t esc = c.encoding.opcode;
    const bool slot = (esc == 0xDB && (c.encoding.reg == 4 || c.encoding.reg == 6)) || (esc == 0xDD && c.encoding.reg == 5);
    return !c.encoding.twoByte && slot && c.encoding.mod != 3 && VexaUnnamed(c) && !PeerValid(c) &&
           c.vexa.operandCount == 1 && c.vexa.operands[0].type == OperandType::Memory &&
           c.vexa.operands[0].sizeBytes == 0;
}

bool FrstorFsaveSize(const CaseResult& c, const Classifier&) {
    return OneByte(c, 0xDD, 0xDD) && IsOneOf(c.vexa.mnemonic, {"frstor", "fsave"}) &&
           DiffersOnlyIn(c, Mismatch::MemorySize) && c.vexa.operands[0].sizeBytes == 108 &&
           c.zydis.normalized.operands[0].sizeBytes == 94;
}

bool X87RegisterAliases(const CaseResult& c, const Classifier&) {
    return OneByte(c, 0xD8, 0xDF) && c.encoding.mod == 3 && OnlyPeerValid(c) &&
           IsOneOf(PeerMnemonic(c), {"ffreep", "fstp", "fstpnce", "fxch", "fsetpm287_nop"});
}

bool FcompDeD0Operands(const CaseResult& c, const Classifier&) {
    return OneByte(c, 0xDE, 0xDE) && c.encoding.modrm >= 0xD0 && c.encoding.modrm <= 0xD7 &&
           DiffersOnlyIn(c, Mismatch::OperandCount) && c.vexa.operandCount == 2 && c.zydis.normalized.operandCount == 1;
}

bool FucompImplicitSt0(const CaseResult& c, const Classifier&) {
    if (!OneByte(c, 0xDD, 0xDD) || c.encoding.modrm < 0xE8 || c.encoding.modrm > 0xEF) return false;
    const NormalizedInstruction& p = c.zydis.normalized;
    if (c.vexa.operandCount != 1 || p.operandCount != 2 || !Same(p.operands[0].reg, "st0")) return false;
    NormalizedInstruction dropped = p;
    dropped.operands[0] = p.operands[1];
    dropped.operandCount = 1;
    return Compare(c.vexa, dropped).mismatches == 0;
}

// ---- MMX --------------------------------------------------------------------

bool MmxUnnamedOpcodes(const CaseResult& c, const Classifier&) {
    if (!c.encoding.twoByte || c.encoding.subClass != 12) return false;
    const uint8_t x = c.encoding.second;
    const bool unnamed = MnemonicIndexOf(kTwoByteMnemonicTable[x]) == 0 && !(x >= 0x71 && x <= 0x73);
    return unnamed && OnlyPeerValid(c);
}

bool MmxShiftGroupMemory(const CaseResult& c, const Classifier&) {
    const NormalizedOperand* o = c.vexa.operands;
    return TwoByte(c, 0x71, 0x73) && c.encoding.mod != 3 && OnlyVexaValid(c) && c.vexa.operandCount == 2 &&
           o[0].type == OperandType::Memory && o[0].sizeBytes == 8 && o[1].type == OperandType::Immediate &&
           o[1].valueBytes == 1;
}

bool UnpackLowMemorySize(const CaseResult& c, const Classifier&) {
    return TwoByte(c, 0x60, 0x62) && DiffersOnlyIn(c, Mismatch::MemorySize) &&
           c.vexa.operands[1].sizeBytes == 8 && c.zydis.normalized.operands[1].sizeBytes == 4;
}

// ---- the SSE class ----------------------------------------------------------

// The unnamed pass-through counts ModR/M, SIB and displacement but no imm8:
// its length is the peer's, or one less for the opcodes that take an imm8.
bool PassThroughLength(const CaseResult& c) {
    const uint8_t x = c.encoding.second;
    const bool takesImm8 = x == 0x70 || x == 0xC2 || x == 0xC4 || x == 0xC5 || x == 0xC6;
    return c.zydis.normalized.length == c.vexa.length + (takesImm8 ? 1 : 0);
}

bool ScalarPrefixNotNextToOpcode(const CaseResult& c, const Classifier&) {
    return SseClass(c) && c.encoding.lastRepeat == 0xF3 && !c.encoding.scalarPrefix && VexaUnnamed(c) &&
           PeerValid(c) && PassThroughLength(c);
}

bool SseImmediateUncounted(const CaseResult& c, const Classifier&) {
    return SseClass(c) && VexaUnnamed(c) && PeerValid(c) && c.zydis.normalized.length == c.vexa.length + 1 &&
           PassThroughLength(c);
}

bool SseUnnamed(const CaseResult& c, const Classifier&) {
    return SseClass(c) && VexaUnnamed(c) && PeerValid(c) && PassThroughLength(c) &&
           DiffersOnlyIn(c, Mismatch::Mnemonic | Mismatch::OperandCount);
}

bool SseUnnamedPeerInvalid(const CaseResult& c, const Classifier&) {
    return SseClass(c) && VexaUnnamed(c) && c.vexa.operandCount == 0 && !PeerValid(c);
}

bool ScalarFormOutsideSet(const CaseResult& c, const Classifier&) {
    return SseClass(c) && c.encoding.scalarPrefix && OnlyPeerValid(c);
}

// ---- later extensions -------------------------------------------------------

bool LaterExtension(const CaseResult& c, const Classifier&) {
    return OnlyPeerValid(c) && !PeerIsaIsOfVexasEra(c);
}

}  // namespace

const char* OriginName(Origin origin) {
    switch (origin) {
        case Origin::VexaNaming: return "Vexa naming";
        case Origin::VexaScope: return "Vexa scope";
        case Origin::PeerChoice: return "peer choice";
    }
    return "?";
}

const KnownDifference kKnownDifferences[] = {
    // Prefixes first: they explain a difference only when the rest agrees.
    {"lock-accepted", "32: F0 40", Origin::VexaScope, "a lock prefix is accepted on every instruction; the peers reject it where the CPU raises #UD",
     "the decoder records lock as a prefix and checks no lock rules", LockOnAnyInstruction},
    {"mmx-with-66", "32: 66 0F FC C1", Origin::VexaScope, "66h before an MMX opcode: Vexa ignores it and decodes the MMX form, the peers decode the SSE2 xmm form",
     "SSE2 is outside the decoder's instruction set", OperandSizePrefixOnMmx},
    {"repeat-prefix-selects", "32: F3 0F BC C1", Origin::VexaScope, "F2/F3 that the peers read as a mandatory prefix: they decode another instruction (SSE2/SSE3 forms of MMX opcodes, popcnt/tzcnt/lzcnt, pause for F3 90, ...) or reject the bytes",
     "outside the class-13 scalar forms Vexa keeps F2/F3 as repeat prefixes and decodes the opcode as it stands", RepeatPrefixSelectsAnotherInstruction},
    // Naming and display.
    {"size-invariant-names", "32: 98", Origin::VexaNaming, "98, 99, 60, 61, 9C, 9D, CF keep one name in every operand size (cbw, cwd, pusha, popa, pushf, popf, iret); the peers use cwde, cdq, pushad, ... for the 32-bit forms",
     "the one-byte mnemonic table has one name per opcode", SizeInvariantNames},
    {"shift-group-sal", "32: D1 F0", Origin::VexaNaming, "reg field 6 of the shift groups C0, C1, D0-D3 is named sal; the peers call it shl",
     "the shift group table names /6 sal (it is the undocumented copy of /4)", ShiftGroupSal},
    {"test-xchg-order", "32: 85 C8", Origin::VexaNaming, "test and xchg (84-87, 91-97) show the register (or accumulator) operand first; the peers show the other one first",
     "both operations are symmetric; the decoder stores the register operand first", TestXchgOperandOrder},
    // Integer opcodes as the tables have them.
    {"group3-reg1-invalid", "32: F6 C8 01", Origin::VexaScope, "F6/F7 with reg field 1 is invalid; the peers read the undocumented copy of test",
     "the group F6/F7 table marks reg field 1 invalid", Group3RegisterField1},
    {"setcc-reg-field", "32: 0F 94 C8", Origin::VexaScope, "setcc (0F 90-9F) with a nonzero reg field is invalid; the peers ignore the reg field",
     "the decoder requires reg field 0", SetccRegisterField},
    {"mov-cr-dr-memory", "32: 0F 20 00", Origin::VexaScope, "0F 20-23 with a memory ModR/M is invalid; the peers (like the CPU) ignore mod and read a register",
     "the decoder requires a register operand", MovControlDebugWithMemory},
    {"mov-segment-6-7", "32: 8C F0", Origin::VexaScope, "8C/8E with segment register number 6 or 7 decode (shown ?s); the peers reject them",
     "the decoder takes the reg field as the segment number unchecked", MovSegmentNumbers6And7},
    {"mov-to-cs", "32: 8E C8", Origin::VexaScope, "8E with reg field 1 (mov cs, r/m) decodes; the peers reject it",
     "the decoder does not check the destination segment", MovToCs},
    {"mov-from-segment-width", "32: 8C C0", Origin::VexaScope, "8C with a register destination is always 16-bit in Vexa; the peers widen it to eax under a 32-bit operand size",
     "the decoder gives the r/m operand of 8C/8E class Gpr16", MovFromSegmentRegisterWidth},
    {"push-pop-segment-7", "32: 0F B9", Origin::VexaScope, "0F B8/B9 decode as push/pop of segment register 7 (?s); the peers read ud1 or nothing",
     "the two-byte class table puts B8/B9 in the push/pop segment class", PushPopSegment7},
    {"lea-memory-operand", "32: 66 8D 00", Origin::PeerChoice, "lea's memory operand: Vexa sizes it by the operand size and shows a segment override; Zydis sizes it by the address size and drops the segment",
     "lea reads no memory; size and segment are only shown", LeaMemoryOperand},
    {"notrack-prefix", "32: 3E FF 10", Origin::PeerChoice, "3Eh before an indirect call/jmp (FF /2-/5): Vexa shows the ds override, Zydis reads the CET notrack prefix",
     "notrack is a later reading of the same byte", NotrackPrefix},
    {"lar-lsl-memory-size", "32: 0F 02 00", Origin::VexaScope, "lar/lsl with a memory source: Vexa sizes it by the operand size (dword), the peers as a word",
     "the decoder sizes lar/lsl like bsf/bsr", LarLslMemorySize},
    {"system-operand-widths", "32: 0F 00 00", Origin::VexaScope, "sldt to memory is sized by the operand size, str to a register is always 16-bit, lmsw from a register follows the operand size; the peers differ",
     "the decoder's sizing rules for groups 6 and 7", SystemOperandWidths},
    {"group7-register-unnamed", "32: 0F 01 C1", Origin::VexaScope, "0F 01 with reg field 0 and a register operand decodes unnamed (\"\?\?\?\"); the peers name VMX instructions or reject it",
     "the decoder leaves these forms unnamed", Group7RegisterFormUnnamed},
    {"vex-evex", "32: C5 F8 77", Origin::VexaScope, "C4/C5 (and 62) with a register ModR/M: Vexa reads les/lds/bound and rejects them, the peers read a VEX/EVEX prefix",
     "VEX and EVEX are outside the decoder's instruction set", VexPrefixes},
    {"two-byte-table-invalid", "32: 0F 34", Origin::VexaScope, "0F bytes the two-byte class table marks invalid (sysenter, sysexit, the long nop 0F 1F, 3DNow!, ...) are invalid; the peers decode them",
     "the two-byte class table", TwoByteTableInvalid},
    // x87.
    {"x87-empty-control-slots", "32: DB 20", Origin::VexaScope, "DB /4, DB /6 and DD /5 with a memory operand decode unnamed and unsized; the peers reject them",
     "the empty slots of the x87 memory control row decode without a name", X87EmptyControlSlots},
    {"frstor-fsave-108", "32: 66 DD 30", Origin::VexaScope, "frstor/fsave under a 16-bit operand size: Vexa shows 108 bytes, the peers 94",
     "frstor and fsave keep the 108-byte size in every mode", FrstorFsaveSize},
    {"x87-register-aliases", "32: DF C0", Origin::VexaScope, "undocumented x87 register aliases (ffreep DF C0, fstp DF D0/D9 D8, fxch DD C8/DF C8, fsetpm DB E4) are invalid",
     "the x87 register tables have no rows for them", X87RegisterAliases},
    {"fcomp-de-d0-operands", "32: DE D1", Origin::VexaScope, "DE D0-D7 shows fcomp st(i), st; the peers show fcomp st(i)",
     "the DE row of the x87 register table gives fcomp two operands", FcompDeD0Operands},
    {"fucomp-implicit-st0", "32: DD E9", Origin::PeerChoice, "Zydis lists an implicit st0 before fucomp st(i) (DD E8-EF) but not before fucom",
     "Zydis's own operand listing", FucompImplicitSt0},
    // MMX.
    {"mmx-unnamed-opcodes", "32: 0F E3 C1", Origin::VexaScope, "MMX-class opcodes with no name in the two-byte table (0F E3 pavgw, 0F EE pmaxsw, 0F FB psubq, 0F D0, 0F FF, ...) are invalid",
     "an empty two-byte table entry of class 12 is invalid", MmxUnnamedOpcodes},
    {"mmx-shift-memory", "32: 0F 71 10 05", Origin::VexaScope, "the MMX shift groups 0F 71-73 accept a memory operand; the peers reject it",
     "the shift groups accept a memory form as such", MmxShiftGroupMemory},
    {"punpckl-qword", "32: 0F 60 00", Origin::VexaScope, "punpcklbw/wd/dq (0F 60-62) from memory: Vexa shows qword, the peers dword",
     "MMX memory operands are qword throughout", UnpackLowMemorySize},
    // The SSE class.
    {"scalar-prefix-not-adjacent", "32: F3 66 0F 58 C1", Origin::VexaScope, "F3 that is not the byte right before 0F (F3 66 0F 58): Vexa passes the opcode unnamed, the peers decode the scalar form",
     "the scalar forms need F3 right before 0F", ScalarPrefixNotNextToOpcode},
    {"sse-imm8-uncounted", "32: 0F C6 C1 05", Origin::VexaScope, "class-13 opcodes 70, C2, C4, C5, C6 without the scalar prefix: the unnamed pass-through does not count their imm8, so Vexa is one byte shorter",
     "the unnamed pass-through counts only the ModR/M, SIB and displacement bytes", SseImmediateUncounted},
    {"sse-unnamed", "32: 0F 58 C1", Origin::VexaScope, "class-13 opcodes without the scalar prefix (packed SSE, SSE2, prefetch, fxsave, ...) pass unnamed (\"\?\?\?\") with no operands",
     "the decoder names only the F3 scalar single-precision forms", SseUnnamed},
    {"sse-unnamed-peer-invalid", "32: 0F 13 C0", Origin::VexaScope, "class-13 opcodes without the scalar prefix pass unnamed with any ModR/M; the peers reject some (a register where memory is required, ...)",
     "the unnamed pass-through checks nothing", SseUnnamedPeerInvalid},
    {"scalar-outside-set", "32: F3 0F 2A C1", Origin::VexaScope, "F3 scalar forms outside movss/cmpss/51-5F (F3 0F 2A/2C/2D cvt*, 12, 16, 2B, 70, 18, AE, ...) fail",
     "the decoder's scalar set is movss, cmpss and the 51-5F arithmetic row", ScalarFormOutsideSet},
    // Last: what the peers know from later processors.
    {"later-extension", "32: DD 08", Origin::VexaScope, "the peers decode an instruction of a later extension (SSE2/3, VMX, SVM, RDRAND, TSX, XSAVE, ...) where Vexa reads an invalid instruction",
     "Vexa covers the 386 to Pentium III instruction set", LaterExtension},
};
const unsigned kKnownDifferenceCount = sizeof kKnownDifferences / sizeof kKnownDifferences[0];

bool ParseExample(const char* example, TestCase& testCase) {
    testCase = TestCase{};
    if (std::strncmp(example, "16: ", 4) != 0 && std::strncmp(example, "32: ", 4) != 0) return false;
    testCase.is32BitMode = example[0] == '3';
    unsigned count = 0;
    for (const char* p = example + 4; *p != 0;) {
        unsigned value = 0;
        int consumed = 0;
        if (count == kDecodeWindow || std::sscanf(p, "%2x%n", &value, &consumed) != 1 || consumed != 2) return false;
        testCase.bytes[count++] = static_cast<uint8_t>(value);
        p += consumed;
        if (*p == ' ') ++p;
    }
    return count > 0;
}

int Classifier::Classify(const CaseResult& c) const {
    if (c.comparison.mismatches == 0) return -1;
    for (unsigned i = 0; i < kKnownDifferenceCount; ++i) {
        if (kKnownDifferences[i].matches(c, *this)) return static_cast<int>(i);
    }
    return -1;
}

bool Classifier::ExplainedByPrefixes(const CaseResult& c, std::initializer_list<uint8_t> prefixes) const {
    if (depth_ >= 3) return false;
    // The string without those prefix bytes, zero-filled at the end.
    TestCase reduced = c.testCase;
    unsigned out = 0, removed = 0;
    for (unsigned i = 0; i < kDecodeWindow; ++i) {
        const uint8_t b = c.testCase.bytes[i];
        bool drop = false;
        if (i < c.encoding.prefixCount) {
            for (uint8_t p : prefixes) drop = drop || b == p;
        }
        if (drop) {
            ++removed;
        } else {
            reduced.bytes[out++] = b;
        }
    }
    if (removed == 0) return false;
    while (out < kDecodeWindow) reduced.bytes[out++] = 0;

    CaseResult r;
    DecodeCase(reduced, zydis_, r);
    // Vexa must read the string as before, the prefixes aside, and the peer
    // must read it otherwise: the prefixes matter to the peer alone.
    NormalizedInstruction vexaBefore = c.vexa;
    if (vexaBefore.valid) vexaBefore.length -= removed;
    if (Compare(vexaBefore, r.vexa).mismatches != 0) return false;
    NormalizedInstruction peerBefore = c.zydis.normalized;
    if (peerBefore.valid) peerBefore.length -= removed;
    if (Compare(peerBefore, r.zydis.normalized).mismatches == 0) return false;
    if (r.comparison.mismatches == 0) return true;
    ++depth_;
    const bool known = Classify(r) >= 0;
    --depth_;
    return known;
}

}  // namespace vexa::diff
