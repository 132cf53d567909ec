#pragma once
// Plain zero-terminated text appends for the formatter. Each returns the new
// end of the text (where its terminator stands). The callers size their
// buffers for the longest text they can build, so no bound is checked here;
// nothing is ever written past the terminator. (The instruction text's pieces
// are written as padded words instead, see padded_text.h.)

namespace vexa {

// Copies `source` (terminator included) to `end`.
inline char* AppendText(char* end, const char* source) {
    while ((*end = *source++) != '\0') ++end;
    return end;
}

inline char* AppendChar(char* end, char c) {
    *end++ = c;
    *end = '\0';
    return end;
}

}  // namespace vexa
