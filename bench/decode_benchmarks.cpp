// Vexa, Zydis and Capstone walking the same corpus instruction by instruction:
// decoding alone, and decoding plus the instruction's text.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/corpus_access.h"
#include "bench/peers.h"
#include "decoder/decoder.h"
#include "formatter/instruction_text.h"

namespace vexa::bench {
namespace {

// One pass over the corpus per iteration; the counters report instructions
// (items) and bytes per second.
void ReportThroughput(benchmark::State& state, const Corpus& corpus) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * corpus.instructionCount));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * corpus.codeSize));
}

void CheckWalked(benchmark::State& state, size_t walked, const Corpus& corpus) {
    if (walked != corpus.instructionCount) state.SkipWithError("the walk lost step with the corpus");
}

void VexaDecode(benchmark::State& state) {
    const Corpus& corpus = SharedCorpus();
    DecodedInstruction record;
    size_t walked = 0;
    for (auto _ : state) {
        walked = 0;
        for (size_t offset = 0; offset < corpus.codeSize; offset += InstructionLength(record), ++walked) {
            DecodeInstruction(corpus.data() + offset, &record, true);
            benchmark::DoNotOptimize(record);
        }
    }
    CheckWalked(state, walked, corpus);
    ReportThroughput(state, corpus);
}

void VexaDecodeFormat(benchmark::State& state) {
    const Corpus& corpus = SharedCorpus();
    DecodedInstruction record;
    char mnemonicText[kInstructionTextSize];
    char operandText[kInstructionTextSize];
    size_t walked = 0;
    for (auto _ : state) {
        walked = 0;
        for (size_t offset = 0; offset < corpus.codeSize; offset += InstructionLength(record), ++walked) {
            DecodeInstruction(corpus.data() + offset, &record, true);
            FormatInstruction(&record, mnemonicText, operandText);
            benchmark::DoNotOptimize(mnemonicText);
            benchmark::DoNotOptimize(operandText);
        }
    }
    CheckWalked(state, walked, corpus);
    ReportThroughput(state, corpus);
}

void ZydisDecode(benchmark::State& state) {
    const Corpus& corpus = SharedCorpus();
    const ZydisPeer zydis;
    ZydisDecodedInstruction instruction;
    ZydisDecodedOperand operands[ZYDIS_MAX_OPERAND_COUNT];
    size_t walked = 0;
    for (auto _ : state) {
        walked = 0;
        for (size_t offset = 0; offset < corpus.codeSize; offset += instruction.length, ++walked) {
            if (!ZYAN_SUCCESS(ZydisDecoderDecodeFull(&zydis.decoder, corpus.data() + offset,
                                                     corpus.codeSize - offset, &instruction, operands))) {
                break;
            }
            benchmark::DoNotOptimize(instruction);
            benchmark::DoNotOptimize(operands);
        }
    }
    CheckWalked(state, walked, corpus);
    ReportThroughput(state, corpus);
}

void ZydisDecodeFormat(benchmark::State& state) {
    const Corpus& corpus = SharedCorpus();
    const ZydisPeer zydis;
    ZydisDecodedInstruction instruction;
    ZydisDecodedOperand operands[ZYDIS_MAX_OPERAND_COUNT];
    char text[256];
    size_t walked = 0;
    for (auto _ : state) {
        walked = 0;
        for (size_t offset = 0; offset < corpus.codeSize; offset += instruction.length, ++walked) {
            if (!ZYAN_SUCCESS(ZydisDecoderDecodeFull(&zydis.decoder, corpus.data() + offset,
                                                     corpus.codeSize - offset, &instruction, operands))) {
                break;
            }
            ZydisFormatterFormatInstruction(&zydis.formatter, &instruction, operands,
                                            instruction.operand_count_visible, text, sizeof(text), offset,
                                            ZYAN_NULL);
            benchmark::DoNotOptimize(text);
        }
    }
    CheckWalked(state, walked, corpus);
    ReportThroughput(state, corpus);
}

// Capstone always produces the text; detail adds the operand breakdown.
void CapstoneDisassemble(benchmark::State& state, bool detail) {
    const Corpus& corpus = SharedCorpus();
    const CapstonePeer capstone(detail);
    if (!capstone.ok()) {
        state.SkipWithError("capstone did not open");
        return;
    }
    size_t walked = 0;
    for (auto _ : state) {
        walked = 0;
        const uint8_t* code = corpus.data();
        size_t size = corpus.codeSize;
        uint64_t address = 0;
        while (cs_disasm_iter(capstone.handle(), &code, &size, &address, capstone.insn())) {
            benchmark::DoNotOptimize(capstone.insn()->op_str);
            ++walked;
        }
    }
    CheckWalked(state, walked, corpus);
    ReportThroughput(state, corpus);
}

void CapstoneDetailOff(benchmark::State& state) { CapstoneDisassemble(state, false); }
void CapstoneDetailOn(benchmark::State& state) { CapstoneDisassemble(state, true); }

}  // namespace

// The names are read by speedups.py.
BENCHMARK(VexaDecode);
BENCHMARK(VexaDecodeFormat);
BENCHMARK(ZydisDecode);
BENCHMARK(ZydisDecodeFormat);
BENCHMARK(CapstoneDetailOff);
BENCHMARK(CapstoneDetailOn);

}  // namespace vexa::bench
