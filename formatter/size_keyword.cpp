#include "formatter/size_keyword.h"

#include "formatter/text_append.h"

namespace vexa {
namespace {

// Indexed by memorySize; codes 0-2 have no keyword.
constexpr const char* kSizeKeywords[] = {
    "", "", "", "(6-bytes) ", "byte ", "(14-bytes) ", "word ", "(28-bytes) ", "dword ", "(48-bit) ", "qword ",
    "tbyte ", "(108-bytes) ",
};
constexpr unsigned kSizeKeywordCount = sizeof(kSizeKeywords) / sizeof(kSizeKeywords[0]);

}  // namespace

bool FormatSizeKeyword(const OperandDescriptor* operand, char* text) {
    if (operand == nullptr || text == nullptr) return false;
    *text = '\0';
    const uint8_t code = operand->memorySize;
    if (code == MemorySize::None) return true;
    char* end = text;
    if (code < kSizeKeywordCount) end = AppendText(end, kSizeKeywords[code]);
    AppendText(end, "ptr ");
    return true;
}

}  // namespace vexa
