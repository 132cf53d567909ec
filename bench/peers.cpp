#include "bench/peers.h"

namespace vexa::bench {

ZydisPeer::ZydisPeer() {
    ZydisDecoderInit(&decoder, ZYDIS_MACHINE_MODE_LEGACY_32, ZYDIS_STACK_WIDTH_32);
    ZydisFormatterInit(&formatter, ZYDIS_FORMATTER_STYLE_INTEL);
}

unsigned ZydisPeer::Length(const uint8_t* bytes, size_t size) const {
    ZydisDecodedInstruction instruction;
    ZydisDecodedOperand operands[ZYDIS_MAX_OPERAND_COUNT];
    if (!ZYAN_SUCCESS(ZydisDecoderDecodeFull(&decoder, bytes, size, &instruction, operands))) return 0;
    return instruction.length;
}

CapstonePeer::CapstonePeer(bool detail) {
    if (cs_open(CS_ARCH_X86, CS_MODE_32, &handle_) != CS_ERR_OK) return;
    cs_option(handle_, CS_OPT_DETAIL, detail ? CS_OPT_ON : CS_OPT_OFF);
    insn_ = cs_malloc(handle_);
}

CapstonePeer::~CapstonePeer() {
    if (insn_ != nullptr) cs_free(insn_, 1);
    if (handle_ != 0) cs_close(&handle_);
}

unsigned CapstonePeer::Length(const uint8_t* bytes, size_t size) const {
    const uint8_t* code = bytes;
    size_t remaining = size;
    uint64_t address = 0;
    if (!cs_disasm_iter(handle_, &code, &remaining, &address, insn_)) return 0;
    return insn_->size;
}

}  // namespace vexa::bench
