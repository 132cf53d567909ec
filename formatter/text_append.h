#pragma once
// Plain zero-terminated text appends for the formatter. Each returns the new
// end of the text (where its terminator stands). The callers size their
// buffers for the longest text they can build, so no bound is checked here;
// nothing is ever written past the terminator.
#include <cstring>

namespace vexa {

// Copies `source` (terminator included) to `end`.
inline char* AppendText(char* end, const char* source) {
    while ((*end = *source++) != '\0') ++end;
    return end;
}

// Copies exactly `length` (0-16) characters with at most two overlapping word
// moves, then the terminator: names and keywords of known length.
inline char* AppendShort(char* end, const char* source, unsigned length) {
    if (length >= 8) {
        std::memcpy(end, source, 8);
        std::memcpy(end + length - 8, source + length - 8, 8);
    } else if (length >= 4) {
        std::memcpy(end, source, 4);
        std::memcpy(end + length - 4, source + length - 4, 4);
    } else if (length >= 2) {
        std::memcpy(end, source, 2);
        std::memcpy(end + length - 2, source + length - 2, 2);
    } else if (length == 1) {
        *end = *source;
    }
    end[length] = '\0';
    return end + length;
}

inline char* AppendChar(char* end, char c) {
    *end++ = c;
    *end = '\0';
    return end;
}

// Appends 0-99 in decimal.
inline char* AppendDecimal(char* end, unsigned value) {
    if (value >= 10) *end++ = static_cast<char>('0' + value / 10 % 10);
    return AppendChar(end, static_cast<char>('0' + value % 10));
}

inline char* TextEnd(char* text) {
    while (*text != '\0') ++text;
    return text;
}

}  // namespace vexa
