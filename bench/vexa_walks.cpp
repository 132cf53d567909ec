#include "bench/vexa_walks.h"

#include "decoder/decoder.h"
#include "formatter/instruction_text.h"

namespace vexa::bench {

size_t WalkVexaDecode(const Corpus& corpus, uint32_t& sink) {
    DecodedInstruction record;
    size_t walked = 0;
    for (size_t offset = 0; offset < corpus.codeSize; offset += InstructionLength(record), ++walked) {
        DecodeInstruction(corpus.data() + offset, &record, true);
        sink += record.mnemonic;
    }
    return walked;
}

size_t WalkVexaDecode16(const Corpus& corpus, uint32_t& sink) {
    DecodedInstruction record;
    size_t walked = 0;
    for (size_t offset = 0; offset < corpus.codeSize; offset += InstructionLength(record), ++walked) {
        DecodeInstruction(corpus.data() + offset, &record, false);
        sink += record.mnemonic;
    }
    return walked;
}

size_t WalkVexaDecodeFormat(const Corpus& corpus, uint32_t& sink) {
    DecodedInstruction record;
    char mnemonicText[kInstructionTextSize];
    char operandText[kInstructionTextSize];
    size_t walked = 0;
    for (size_t offset = 0; offset < corpus.codeSize; offset += InstructionLength(record), ++walked) {
        DecodeInstruction(corpus.data() + offset, &record, true);
        FormatInstruction(&record, mnemonicText, operandText);
        sink += static_cast<uint8_t>(mnemonicText[0]) + static_cast<uint8_t>(operandText[0]);
    }
    return walked;
}

size_t WalkZydisDecode(const Corpus& corpus, const ZydisPeer& zydis, uint32_t& sink) {
    ZydisDecodedInstruction instruction;
    ZydisDecodedOperand operands[ZYDIS_MAX_OPERAND_COUNT];
    size_t walked = 0;
    for (size_t offset = 0; offset < corpus.codeSize; offset += instruction.length, ++walked) {
        if (!ZYAN_SUCCESS(ZydisDecoderDecodeFull(&zydis.decoder, corpus.data() + offset, corpus.codeSize - offset,
                                                 &instruction, operands))) {
            instruction.length = 1;
            continue;
        }
        sink += instruction.mnemonic;
    }
    return walked;
}

size_t WalkZydisDecodeFormat(const Corpus& corpus, const ZydisPeer& zydis, uint32_t& sink) {
    ZydisDecodedInstruction instruction;
    ZydisDecodedOperand operands[ZYDIS_MAX_OPERAND_COUNT];
    char text[256];
    size_t walked = 0;
    for (size_t offset = 0; offset < corpus.codeSize; offset += instruction.length, ++walked) {
        if (!ZYAN_SUCCESS(ZydisDecoderDecodeFull(&zydis.decoder, corpus.data() + offset, corpus.codeSize - offset,
                                                 &instruction, operands))) {
            instruction.length = 1;
            continue;
        }
        ZydisFormatterFormatInstruction(&zydis.formatter, &instruction, operands, instruction.operand_count_visible,
                                        text, sizeof(text), offset, ZYAN_NULL);
        sink += static_cast<uint8_t>(text[0]);
    }
    return walked;
}

size_t WalkCapstone(const Corpus& corpus, const CapstonePeer& capstone, uint32_t& sink) {
    const uint8_t* code = corpus.data();
    size_t size = corpus.codeSize;
    uint64_t address = 0;
    size_t walked = 0;
    while (size != 0) {
        if (cs_disasm_iter(capstone.handle(), &code, &size, &address, capstone.insn())) {
            sink += static_cast<uint8_t>(capstone.insn()->op_str[0]);
        } else {
            ++code;
            --size;
            ++address;
        }
        ++walked;
    }
    return walked;
}

SkippedBytes CountSkippedBytes(const Corpus& corpus, const ZydisPeer& zydis, const CapstonePeer& capstone) {
    SkippedBytes skipped;
    DecodedInstruction record;
    for (size_t offset = 0; offset < corpus.codeSize; offset += InstructionLength(record)) {
        DecodeInstruction(corpus.data() + offset, &record, true);
        skipped.vexa += IsInvalid(record);
    }
    for (size_t offset = 0; offset < corpus.codeSize;) {
        const unsigned length = zydis.Length(corpus.data() + offset, corpus.codeSize - offset);
        skipped.zydis += length == 0;
        offset += length == 0 ? 1 : length;
    }
    const uint8_t* code = corpus.data();
    size_t size = corpus.codeSize;
    uint64_t address = 0;
    while (size != 0) {
        if (!cs_disasm_iter(capstone.handle(), &code, &size, &address, capstone.insn())) {
            ++code;
            --size;
            ++address;
            ++skipped.capstone;
        }
    }
    return skipped;
}

}  // namespace vexa::bench
