// vexa_digest: one 64-bit FNV-1a digest of everything the decoder and the
// formatter make of a fixed, large set of byte strings, so that a rework of
// their inside can be shown to change no output. Prints one digest per part
// and the case counts; two builds agree when every line agrees.
//
//   records  every field of every record, and the decoder's result
//   lines    the instruction text and both display lines, lower and upper case
//   cli      vexa-decode's --json and --explain output for every 61st case
//
// The cases: the differential test's space (every opcode x ModR/M x SIB with
// 66h/67h, both modes, the scalar SSE forms, random prefixed strings), then
// every opcode x ModR/M x four SIB shapes behind the prefix runs of lock,
// rep, repne, segments and the 14-prefix run.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "decoder/decoder.h"
#include "formatter/display_lines.h"
#include "formatter/instruction_text.h"
#include "tests/differential/case_space.h"
#include "tests/prefix_run_windows.h"
#include "tools/vexa_decode/decode_result.h"
#include "tools/vexa_decode/explanation.h"
#include "tools/vexa_decode/json_record.h"

namespace {

using namespace vexa;

struct Digest {
    uint64_t value = 0xcbf29ce484222325ull;
    void Add(const void* data, size_t size) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < size; ++i) value = (value ^ bytes[i]) * 0x100000001b3ull;
    }
    void Add(uint64_t v, size_t size) { Add(&v, size); }
    void AddText(const char* text) { Add(text, std::strlen(text) + 1); }
};

struct Totals {
    Digest records, lines, cli;
    uint64_t cases = 0, cliCases = 0;
};

void AddRecord(Digest& d, bool ok, const DecodedInstruction& r) {
    d.Add(ok, 1);
    d.Add(r.prefixFlags, 1);
    d.Add(r.repeatAndLength, 1);
    d.Add(r.opcodeClass, 1);
    d.Add(r.subClass, 1);
    d.Add(r.mnemonic, 2);
    d.Add(r.decodeFlags, 1);
    d.Add(r.operandCount, 1);
    for (const OperandDescriptor& o : r.operands) {
        d.Add(o.kind, 1);
        d.Add(o.memorySize, 1);
        d.Add(o.reg, 1);
        d.Add(o.base, 1);
        d.Add(o.index, 1);
        d.Add(o.scale, 1);
        d.Add(o.dispSize, 1);
        d.Add(o.disp, 4);
        d.Add(o.dispHigh, 2);
        d.Add(o.immSize, 1);
        d.Add(o.imm, 4);
    }
}

void Visit(Totals& t, const uint8_t* window, bool is32BitMode) {
    DecodedInstruction record{};
    const bool ok = DecodeInstruction(window, &record, is32BitMode);
    AddRecord(t.records, ok, record);

    char mnemonic[kInstructionTextSize], operands[kInstructionTextSize];
    mnemonic[0] = operands[0] = 0;
    t.lines.Add(FormatInstruction(&record, mnemonic, operands), 1);
    t.lines.AddText(mnemonic);
    t.lines.AddText(operands);
    for (const bool upper : {false, true}) {
        char line[kDisplayLineSize], bytes[kDisplayLineSize];
        t.lines.Add(BuildDisplayLines(window, record, ok, upper, line, bytes), 1);
        t.lines.AddText(line);
        t.lines.AddText(bytes);
    }

    if (t.cases++ % 61 == 0) {
        cli::HexBytes hex;
        std::memcpy(hex.window.data(), window, kDecodeWindow);
        hex.count = 15;
        cli::DecodeResult result;
        cli::DecodeBytes(hex, is32BitMode, false, result);
        std::string out;
        cli::AppendJsonRecord(out, result);
        cli::AppendExplanation(out, hex, result, false);
        t.cli.Add(out.data(), out.size());
        ++t.cliCases;
    }
}

// The prefix-run windows behind `run`.
void PrefixRunSweep(Totals& t, const uint8_t* run, unsigned count, bool is32BitMode) {
    test::ForEachPrefixRunWindow(run, count, [&](const uint8_t* window) {
        Visit(t, window, is32BitMode);
        return true;
    });
}

struct PrefixRun {
    uint8_t count;
    uint8_t bytes[14];
};
constexpr PrefixRun kPrefixRuns[] = {
    {1, {0xF0}},
    {1, {0xF3}},
    {1, {0xF2}},
    {1, {0x2E}},
    {2, {0xF2, 0xF0}},
    {2, {0x26, 0x64}},
    {3, {0xF3, 0x66, 0x67}},
    {14, {0x66, 0x67, 0x2E, 0x36, 0x3E, 0x26, 0x64, 0x65, 0xF0, 0xF2, 0xF3, 0x66, 0x67, 0x3E}},
};

void Print(const char* part, const Totals& t) {
    std::printf("%-12s cases %10llu  records %016llx  lines %016llx  cli %016llx (%llu cases)\n", part,
                static_cast<unsigned long long>(t.cases), static_cast<unsigned long long>(t.records.value),
                static_cast<unsigned long long>(t.lines.value), static_cast<unsigned long long>(t.cli.value),
                static_cast<unsigned long long>(t.cliCases));
}

}  // namespace

int main() {
    Totals space;
    diff::ForEachCase(100000, [&space](const diff::TestCase& c) { Visit(space, c.bytes, c.is32BitMode); });
    Print("space", space);
    Totals runs;
    for (const bool is32BitMode : {false, true}) {
        for (const PrefixRun& run : kPrefixRuns) PrefixRunSweep(runs, run.bytes, run.count, is32BitMode);
    }
    Print("prefix-runs", runs);
    return 0;
}
