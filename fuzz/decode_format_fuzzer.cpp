// Fuzz target: decode + format of any byte string, in both modes.
//
// Per input, its first 25 bytes (zero-filled) go into a heap block of exactly
// 25 bytes, so under AddressSanitizer a read past position 24 is caught. Each
// mode decodes it through the global-flag entry point and the explicit-mode
// one and checks: the decode returns true, the record's invariants hold, the
// global mode flag is as it was, both entry points agree, the record formats,
// the mnemonic text fits 22 characters and the operand text 121 (written into
// blocks of exactly 23 and 122 bytes), the display lines are built from those
// texts, and vexa-decode's --json view of the same bytes reads back as the
// record. The rest of the input, taken as a raw record, must format without
// fault whatever its fields hold.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "decoder/decoder.h"
#include "formatter/display_lines.h"
#include "formatter/instruction_text.h"
#include "fuzz/record_checks.h"
#include "tools/vexa_decode/decode_result.h"
#include "tools/vexa_decode/json_record.h"

namespace {

using namespace vexa;

constexpr size_t kMnemonicTextMax = 22;
constexpr size_t kOperandTextMax = 121;

const uint8_t* g_input = nullptr;
size_t g_inputSize = 0;

[[noreturn]] void Fail(const char* what, bool is32BitMode) {
    std::fprintf(stderr, "\nvexa fuzz: %s (%s-bit mode) for bytes:", what, is32BitMode ? "32" : "16");
    for (size_t i = 0; i < g_inputSize && i < kDecodeWindow; ++i) std::fprintf(stderr, " %02X", g_input[i]);
    std::fprintf(stderr, "\n");
    std::abort();
}

// Heap blocks of exactly the sizes the checks rely on, allocated once.
struct Blocks {
    uint8_t* window = new uint8_t[kDecodeWindow];
    char* mnemonicText = new char[kMnemonicTextMax + 1];
    char* operandText = new char[kOperandTextMax + 1];
    char* rawMnemonicText = new char[kInstructionTextSize];
    char* rawOperandText = new char[kInstructionTextSize];
};

Blocks& TheBlocks() {
    static Blocks blocks;
    return blocks;
}

void CheckDisplayLines(const uint8_t* window, const DecodedInstruction& record, const char* mnemonicText,
                       const char* operandText, bool is32BitMode) {
    char line[kDisplayLineSize];
    char bytesLine[kDisplayLineSize];
    if (!BuildDisplayLines(window, record, true, false, line, bytesLine)) Fail("display lines refused", is32BitMode);
    const size_t mnemonicLength = std::strlen(mnemonicText);
    if (std::strncmp(line, mnemonicText, mnemonicLength) != 0 || line[mnemonicLength] != '\t' ||
        std::strcmp(line + mnemonicLength + 1, operandText) != 0) {
        Fail("instruction line is not mnemonic text, tab, operand text", is32BitMode);
    }
    static const char kDigits[] = "0123456789ABCDEF";
    const char* p = bytesLine;
    for (unsigned i = 0; i < InstructionLength(record); ++i, p += 3) {
        if (p[0] != kDigits[window[i] >> 4] || p[1] != kDigits[window[i] & 15] || p[2] != ' ') {
            Fail("bytes line is not the instruction's bytes", is32BitMode);
        }
    }
    if (*p != '\0') Fail("bytes line longer than the instruction", is32BitMode);
}

void CheckJsonView(const uint8_t* window, const DecodedInstruction& record, bool is32BitMode) {
    cli::HexBytes hex;
    std::copy_n(window, kDecodeWindow, hex.window.begin());
    hex.count = std::max<size_t>(1, std::min(g_inputSize, kDecodeWindow));
    static cli::DecodeResult result;
    cli::DecodeBytes(hex, is32BitMode, false, result);
    if (!result.decodeOk || !result.formatOk) Fail("vexa-decode reports a failure", is32BitMode);
    if (std::memcmp(&result.record, &record, sizeof record) != 0) Fail("vexa-decode decodes another record", is32BitMode);
    static std::string json;  // keeps its capacity from input to input
    json.clear();
    cli::AppendJsonRecord(json, result);
    if (const char* field = fuzz::JsonMismatch(json, result)) {
        static char what[96];
        std::snprintf(what, sizeof what, "--json disagrees with the record at %s", field);
        Fail(what, is32BitMode);
    }
}

void CheckMode(bool is32BitMode) {
    Blocks& blocks = TheBlocks();
    const uint8_t* window = blocks.window;

    // The global flag holds any nonzero value for 32-bit code.
    const uint8_t flag = is32BitMode ? 0x5A : 0;
    mode32 = flag;
    DecodedInstruction record;
    std::memset(&record, 0xCC, sizeof record);  // the decode must reset every field
    if (!DecodeInstruction(window, &record)) Fail("decode returned false", is32BitMode);
    if (mode32 != flag) Fail("decode changed mode32", is32BitMode);

    DecodedInstruction explicitMode;
    std::memset(&explicitMode, 0x33, sizeof explicitMode);
    mode32 = is32BitMode ? 0 : 1;  // the explicit mode must win over the flag
    if (!DecodeInstruction(window, &explicitMode, is32BitMode)) Fail("explicit-mode decode returned false", is32BitMode);
    if (mode32 != (is32BitMode ? 0 : 1)) Fail("explicit-mode decode changed mode32", is32BitMode);
    if (std::memcmp(&record, &explicitMode, sizeof record) != 0) Fail("the two entry points disagree", is32BitMode);

    if (const char* broken = fuzz::BrokenRecordInvariant(window, record)) Fail(broken, is32BitMode);

    if (!FormatInstruction(&record, blocks.mnemonicText, blocks.operandText)) Fail("format refused", is32BitMode);
    if (std::strlen(blocks.mnemonicText) > kMnemonicTextMax) Fail("mnemonic text too long", is32BitMode);
    if (std::strlen(blocks.operandText) > kOperandTextMax) Fail("operand text too long", is32BitMode);
    CheckDisplayLines(window, record, blocks.mnemonicText, blocks.operandText, is32BitMode);
    CheckJsonView(window, record, is32BitMode);
}

// Any field values at all: the formatter may refuse, but must stay inside its buffers.
void FormatRawRecord(const uint8_t* data, size_t size) {
    if (size <= kDecodeWindow) return;
    DecodedInstruction raw{};
    std::memcpy(&raw, data + kDecodeWindow, std::min(size - kDecodeWindow, sizeof raw));
    Blocks& blocks = TheBlocks();
    FormatInstruction(&raw, blocks.rawMnemonicText, blocks.rawOperandText);
    if (std::strlen(blocks.rawMnemonicText) >= kInstructionTextSize ||
        std::strlen(blocks.rawOperandText) >= kInstructionTextSize) {
        Fail("raw record text overflows", false);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    g_input = data;
    g_inputSize = size;
    uint8_t* window = TheBlocks().window;
    std::memset(window, 0, kDecodeWindow);
    std::memcpy(window, data, std::min(size, kDecodeWindow));
    const uint8_t savedFlag = mode32;
    CheckMode(false);
    CheckMode(true);
    mode32 = savedFlag;
    FormatRawRecord(data, size);
    return 0;
}
