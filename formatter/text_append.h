#pragma once
// Plain zero-terminated text appends for the formatter. The callers size their
// buffers for the longest text they can build, so no bound is checked here.

namespace vexa {

// Copies `source` (terminator included) to `end` and returns the new end.
inline char* AppendText(char* end, const char* source) {
    while ((*end = *source++) != '\0') ++end;
    return end;
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
