// Fuzz target: the assembler's text parser and encoder, on any text.
//
// The first byte picks the mode; the rest, cut at the first zero byte, is the
// text, copied into a heap block of exactly its size plus the terminator, so
// under AddressSanitizer a read past the text's end is caught. The checks: a
// failure leaves a message that is not empty and ends inside its buffer; a
// success gives 1 to 15 bytes that decode to a named instruction, whose text
// assembles again to bytes no longer than these that decode to the same text
// (the round trip), and ListEncodings agrees on the first encoding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assembler/assembler.h"
#include "decoder/decoder.h"
#include "formatter/instruction_text.h"

namespace {

using namespace vexa;

[[noreturn]] void Fail(const char* what, const char* text, bool is32) {
    std::fprintf(stderr, "\nvexa asm fuzz: %s (%s-bit mode) for text '%s'\n", what, is32 ? "32" : "16", text);
    std::abort();
}

bool Line(const uint8_t* bytes, unsigned length, bool is32, char* line, unsigned* decodedLength) {
    uint8_t window[kDecodeWindow] = {};
    std::memcpy(window, bytes, length);
    DecodedInstruction record{};
    if (!DecodeInstruction(window, &record, is32) || IsInvalid(record) || record.mnemonic <= 1) return false;
    char mnemonicText[kInstructionTextSize];
    char operandText[kInstructionTextSize];
    if (!FormatInstruction(&record, mnemonicText, operandText)) return false;
    std::snprintf(line, 2 * kInstructionTextSize, "%s\t%s", mnemonicText, operandText);
    *decodedLength = InstructionLength(record);
    return true;
}

void Check(const char* text, bool is32) {
    uint8_t bytes[kMaxInstructionLength];
    unsigned length = 0;
    AssembleError error;
    std::memset(&error, 0x5A, sizeof error);
    if (!AssembleInstruction(text, is32, bytes, &length, &error)) {
        if (std::memchr(error.message, '\0', sizeof error.message) == nullptr) Fail("message not terminated", text, is32);
        if (error.message[0] == '\0') Fail("empty message", text, is32);
        return;
    }
    if (length < 1 || length > kMaxInstructionLength) Fail("length out of 1..15", text, is32);
    char line[2 * kInstructionTextSize];
    unsigned decodedLength = 0;
    if (!Line(bytes, length, is32, line, &decodedLength)) Fail("bytes are no named instruction", text, is32);
    if (decodedLength != length) Fail("bytes decode to another length", text, is32);
    uint8_t again[kMaxInstructionLength];
    unsigned againLength = 0;
    if (!AssembleInstruction(line, is32, again, &againLength, &error)) Fail("its own text does not assemble", text, is32);
    char lineAgain[2 * kInstructionTextSize];
    if (againLength > length || !Line(again, againLength, is32, lineAgain, &decodedLength) ||
        std::strcmp(line, lineAgain) != 0) {
        Fail("its own text does not round trip", text, is32);
    }
    AssembledBytes list[4];
    unsigned count = 0;
    if (!ListEncodings(text, is32, list, 4, &count, &error) || count == 0 || list[0].length != length ||
        std::memcmp(list[0].bytes, bytes, length) != 0) {
        Fail("ListEncodings disagrees", text, is32);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool is32 = data[0] & 1;
    const uint8_t* body = data + 1;
    size_t n = 0;
    while (n < size - 1 && body[n] != 0) ++n;
    char* text = new char[n + 1];
    std::memcpy(text, body, n);
    text[n] = '\0';
    Check(text, is32);
    delete[] text;
    return 0;
}
