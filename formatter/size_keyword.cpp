#include "formatter/size_keyword.h"

#include "formatter/text_append.h"

namespace vexa {
namespace {

struct SizeKeyword {
    char text[17];
    uint8_t length;
};

// Indexed by memorySize; 0 writes nothing, and codes 1-2 and those past the
// table have no keyword, only "ptr ".
constexpr SizeKeyword kSizeKeywords[] = {
    {"", 0},
    {"ptr ", 4},
    {"ptr ", 4},
    {"(6-bytes) ptr ", 14},
    {"byte ptr ", 9},
    {"(14-bytes) ptr ", 15},
    {"word ptr ", 9},
    {"(28-bytes) ptr ", 15},
    {"dword ptr ", 10},
    {"(48-bit) ptr ", 13},
    {"qword ptr ", 10},
    {"tbyte ptr ", 10},
    {"(108-bytes) ptr ", 16},
};
constexpr unsigned kSizeKeywordCount = sizeof(kSizeKeywords) / sizeof(kSizeKeywords[0]);
constexpr SizeKeyword kPtrOnly = {"ptr ", 4};

}  // namespace

char* AppendSizeKeyword(char* end, uint8_t memorySize) {
    const SizeKeyword& keyword = memorySize < kSizeKeywordCount ? kSizeKeywords[memorySize] : kPtrOnly;
    return AppendShort(end, keyword.text, keyword.length);
}

bool FormatSizeKeyword(const OperandDescriptor* operand, char* text) {
    if (operand == nullptr || text == nullptr) return false;
    AppendSizeKeyword(text, operand->memorySize);
    return true;
}

}  // namespace vexa
