// The text parser: one instruction's text into a ParsedInstruction. A small
// hand-written scanner over a lower-cased copy; every error quotes the
// original text at the token's place.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "assembler/assembler.h"
#include "assembler/parsed_instruction.h"
#include "assembler/syntax_names.h"
#include "decoder/decoded_instruction.h"

namespace vexa::assembler {
namespace {

constexpr int64_t kMaxNumber = 0xFFFFFFFFll;

// Character classes by table: the scanner asks one of these per character.
namespace CharClass {
enum : uint8_t { Blank = 1, Letter = 2, Digit = 4, Hex = 8 };
}
struct CharTables {
    uint8_t cls[256] = {};
    char lower[256] = {};
};
constexpr CharTables MakeCharTables() {
    CharTables t;
    for (int c = 0; c < 256; ++c) t.lower[c] = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (char c : {' ', '\t', '\r', '\n'}) t.cls[static_cast<uint8_t>(c)] = CharClass::Blank;
    for (int c = 'a'; c <= 'z'; ++c) t.cls[c] = CharClass::Letter;
    t.cls[static_cast<uint8_t>('_')] = CharClass::Letter;
    for (int c = '0'; c <= '9'; ++c) t.cls[c] = CharClass::Digit | CharClass::Hex;
    for (int c = 'a'; c <= 'f'; ++c) t.cls[c] |= CharClass::Hex;
    return t;
}
constexpr CharTables kChars = MakeCharTables();
static_assert(kChars.lower[static_cast<uint8_t>('Q')] == 'q' && kChars.cls[static_cast<uint8_t>('f')] == (CharClass::Letter | CharClass::Hex));

uint8_t ClassOf(char c) { return kChars.cls[static_cast<uint8_t>(c)]; }
bool IsBlank(char c) { return ClassOf(c) & CharClass::Blank; }
bool IsLetter(char c) { return ClassOf(c) & CharClass::Letter; }
bool IsDigit(char c) { return ClassOf(c) & CharClass::Digit; }
bool IsWordChar(char c) { return ClassOf(c) & (CharClass::Letter | CharClass::Digit); }
int HexDigit(char c) {
    if (!(ClassOf(c) & CharClass::Hex)) return -1;
    return IsDigit(c) ? c - '0' : c - 'a' + 10;
}

// Eight characters lower-cased at once: 20h added to each byte from 'A' to 'Z'
// (a byte from 80h up is left alone, as the table would).
constexpr uint64_t LowerCase8(uint64_t chunk) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    const uint64_t low7 = chunk & (0x7F * kOnes);
    const uint64_t atLeastA = low7 + (0x80 - 'A') * kOnes;  // top bit set where the byte >= 'A'
    const uint64_t aboveZ = low7 + (0x80 - 'Z' - 1) * kOnes;  // where it > 'Z'
    const uint64_t upper = atLeastA & ~aboveZ & ~chunk & (0x80 * kOnes);
    return chunk | (upper >> 2);
}
static_assert(LowerCase8(0x5A41405B7A61C1DAull) == 0x7A61405B7A61C1DAull);

// The 16-bit address registers by number: bx, bp are bases, si, di indexes.
constexpr uint8_t kBx = 3, kBp = 5, kSi = 6, kDi = 7, kEsp = 4;

class Parser {
public:
    Parser(const char* text, bool is32BitMode, char* error) : original_(text), is32_(is32BitMode), error_(error) {}

    bool Run(ParsedInstruction& out) {
        // Measured, copied, then lower-cased eight characters at a time; the
        // zeros after the text end every scan and pad the word keys.
        const size_t n = std::strlen(original_);
        if (n > kMaxTextLength) return Fail("instruction text longer than %u characters", unsigned(kMaxTextLength));
        std::memcpy(lower_, original_, n);
        std::memset(lower_ + n, 0, kPadding);
        for (size_t i = 0; i < n; i += 8) {
            uint64_t chunk;
            std::memcpy(&chunk, lower_ + i, 8);
            chunk = LowerCase8(chunk);
            std::memcpy(lower_ + i, &chunk, 8);
        }
        size_ = n;
        SkipBlanks();
        if (AtEnd()) return Fail("empty instruction: expected a mnemonic");
        size_t start = pos_;
        std::string_view word = ReadWord();
        const WordInfo* info = nullptr;
        for (;;) {
            if (word.empty()) return FailAt(start, start + 1, "expected a mnemonic, not '%s'");
            info = LookUpWordIn(word.data(), word.size());
            const PrefixWord prefix = info != nullptr ? info->prefix : PrefixWord::None;
            if (prefix == PrefixWord::None) break;
            if (prefix == PrefixWord::Lock) out.lock = true;
            if (prefix == PrefixWord::Rep) out.repeat = 0xF3;
            if (prefix == PrefixWord::Repne) out.repeat = 0xF2;
            SkipBlanks();
            if (AtEnd()) return FailAt(start, pos_, "expected a mnemonic after '%s'");
            start = pos_;
            word = ReadWord();
        }
        if (pos_ < size_ && !IsBlank(Peek()) && Peek() != ';') {
            return FailAt(start, TokenEnd(start), "unknown mnemonic '%s'");
        }
        out.mnemonic = info != nullptr ? info->mnemonic : 0;
        if (out.mnemonic == 0) return FailAt(start, pos_, "unknown mnemonic '%s'");
        SkipBlanks();
        while (!AtEnd()) {
            if (out.operandCount == 3) return FailAt(pos_, size_, "too many operands: at most three, not '%s'");
            ParsedOperand& operand = out.operands[out.operandCount++];
            if (!ParseOperand(operand)) return false;
            SkipBlanks();
            if (AtEnd()) break;
            if (Peek() != ',') return FailAt(pos_, TokenEnd(pos_), "expected ',' between operands, not '%s'");
            ++pos_;
            SkipBlanks();
            if (AtEnd()) return Fail("expected an operand after the last ','");
        }
        return true;
    }

private:
    bool AtEnd() const { return pos_ >= size_ || lower_[pos_] == ';'; }
    char Peek() const { return pos_ < size_ ? lower_[pos_] : '\0'; }
    void SkipBlanks() { pos_ = BlanksEnd(pos_); }
    // The scans run on locals: the text ends in a '\0', which is no blank
    // and no word character, so the end needs no test of its own.
    size_t BlanksEnd(size_t at) const {
        while (IsBlank(lower_[at])) ++at;
        return at;
    }
    size_t WordEnd(size_t at) const {
        while (IsWordChar(lower_[at])) ++at;
        return at;
    }
    std::string_view ReadWord() {
        const size_t start = pos_;
        pos_ = WordEnd(start);
        return std::string_view(lower_ + start, pos_ - start);
    }
    // The end of the blank- or comma-delimited token at `start`, for quoting.
    size_t TokenEnd(size_t start) const {
        size_t end = start;
        while (end < size_ && !IsBlank(lower_[end]) && lower_[end] != ',') ++end;
        return end > start ? end : start + 1 <= size_ ? start + 1 : start;
    }

    bool Fail(const char* format, ...) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(error_, kAssembleErrorSize, format, args);
        va_end(args);
        return false;
    }
    // `format` holds one %s: the original text from start to end.
    bool FailAt(size_t start, size_t end, const char* format) {
        if (end > size_) end = size_;
        if (start > end) start = end;
        char token[kMaxTextLength + 1];
        const size_t n = end - start;
        std::memcpy(token, original_ + start, n);
        token[n] = '\0';
        return Fail(format, token);
    }

    // FindRegister for a name in lower_.
    static bool FindRegisterIn(std::string_view name, uint8_t* code) {
        const WordInfo* info = LookUpWordIn(name.data(), name.size());
        if (info == nullptr || !info->isRegister) return false;
        *code = info->registerCode;
        return true;
    }

    // A register name at pos_: "eax", "st(3)". Empty when none.
    std::string_view ReadName() {
        const size_t start = pos_;
        if (!IsLetter(Peek())) return {};
        ReadWord();
        if (Peek() == '(') {
            size_t end = pos_ + 1;
            while (end < size_ && IsDigit(lower_[end])) ++end;
            if (end < size_ && lower_[end] == ')' && end > pos_ + 1) pos_ = end + 1;
        }
        return std::string_view(lower_ + start, pos_ - start);
    }

    // A number token at pos_ ("0x1F", "1Fh", "1F", "0F000").
    bool ReadNumber(ParsedNumber& number) {
        const size_t start = pos_;
        pos_ = WordEnd(start);
        std::string_view t(lower_ + start, pos_ - start);
        std::string_view digits = t;
        bool bare = false;
        if (t.size() > 2 && t[0] == '0' && t[1] == 'x') {
            digits = t.substr(2);
        } else if (t.size() > 1 && t.back() == 'h') {
            digits = t.substr(0, t.size() - 1);
        } else {
            bare = true;
        }
        uint64_t value = 0;
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0) return FailAt(start, pos_, "'%s' is not a number (write hex as 1F, 0x1F or 1Fh)");
            value = value * 16 + static_cast<unsigned>(d);
            if (value > static_cast<uint64_t>(kMaxNumber)) return FailAt(start, pos_, "number '%s' does not fit in 32 bits");
        }
        number.value = static_cast<int64_t>(value);
        number.fixedBytes = 0;
        if (bare) {
            // The formatter's fixed widths: 4 or 8 digits, with one more "0"
            // in front of a leading letter.
            const bool padded = digits.size() > 1 && digits[0] == '0' && HexDigit(digits[1]) >= 10;
            const size_t width = digits.size();
            if (width == 4 || (width == 5 && padded)) number.fixedBytes = 2;
            if (width == 8 || (width == 9 && padded)) number.fixedBytes = 4;
        }
        return true;
    }

    bool ReadSignedNumber(ParsedNumber& number) {
        bool negative = false;
        if (Peek() == '+' || Peek() == '-') {
            negative = Peek() == '-';
            ++pos_;
            SkipBlanks();
        }
        if (!IsDigit(Peek())) return FailAt(pos_, TokenEnd(pos_), "expected a number, not '%s'");
        if (!ReadNumber(number)) return false;
        if (negative) {
            number.value = -number.value;
            number.fixedBytes = 0;
        }
        return true;
    }

    // The scale factor, the one decimal number of the syntax.
    bool ReadScale(uint8_t& scale) {
        const size_t start = pos_;
        pos_ = WordEnd(start);
        const std::string_view t(lower_ + start, pos_ - start);
        if (t == "1" || t == "2" || t == "4" || t == "8") {
            scale = static_cast<uint8_t>(t[0] - '0');
            return true;
        }
        return FailAt(start, pos_ > start ? pos_ : TokenEnd(start), "scale factor '%s' must be 1, 2, 4 or 8");
    }

    bool ParseOperand(ParsedOperand& op) {
        const size_t start = pos_;
        op.textStart = static_cast<uint16_t>(start);
        uint8_t size = 0;
        // The word at the start, looked up once: a size keyword, or else
        // (most often) the register the operand is.
        bool firstKnown = false;
        const WordInfo* first = nullptr;
        size_t firstEnd = pos_;
        size_t n = 0;
        if (IsLetter(Peek())) {
            firstEnd = WordEnd(firstEnd);
            first = LookUpWordIn(lower_ + pos_, firstEnd - pos_);
            firstKnown = true;
            if (first != nullptr && first->sizeCode != 0) {
                size = first->sizeCode;
                n = firstEnd - pos_;
            }
        } else if (Peek() == '(') {
            n = MatchSizeKeyword(std::string_view(lower_ + pos_, size_ - pos_), &size);  // "(48-bit)"
        }
        if (n != 0) {
            firstKnown = false;
            pos_ += n;
            op.memorySize = size;
            SkipBlanks();
            const size_t save = pos_;
            if (ReadWord() != PtrWord()) pos_ = save;
            SkipBlanks();
        }
        // A segment register followed by ':'.
        {
            const size_t save = pos_;
            uint8_t code = 0;
            const std::string_view name = ReadName();
            SkipBlanks();
            if (!name.empty() && Peek() == ':' && FindRegisterIn(name, &code) &&
                RegisterClassOf(code) == RegisterClass::Segment) {
                ++pos_;
                op.segment = static_cast<uint8_t>(RegisterNumber(code) + 1);
                SkipBlanks();
            } else {
                pos_ = save;
            }
        }
        if (Peek() == '[') {
            if (!ParseMemory(op)) return false;
        } else if (op.memorySize != 0 || op.segment != 0) {
            return FailAt(start, pos_, "expected '[' after '%s'");
        } else if (Peek() == '$') {
            ++pos_;
            SkipBlanks();
            op.form = OperandForm::Relative;
            if (Peek() == '+' || Peek() == '-') {
                if (!ReadSignedNumber(op.number)) return false;
            }
        } else if (IsDigit(Peek()) || Peek() == '+' || Peek() == '-') {
            if (!ReadSignedNumber(op.number)) return false;
            op.form = OperandForm::Number;
            SkipBlanks();
            if (Peek() == ':') {
                ++pos_;
                SkipBlanks();
                if (op.number.value < 0 || op.number.value > 0xFFFF) {
                    return FailAt(start, pos_ - 1, "selector '%s' does not fit in 16 bits");
                }
                op.selector = static_cast<uint16_t>(op.number.value);
                if (!IsDigit(Peek())) return FailAt(pos_, TokenEnd(pos_), "expected the offset after ':', not '%s'");
                if (!ReadNumber(op.number)) return false;
                op.form = OperandForm::FarPointer;
            }
        } else if (IsLetter(Peek())) {
            const std::string_view name = ReadName();
            op.form = OperandForm::Register;
            bool found;
            if (firstKnown && name.data() == lower_ + start && name.size() == firstEnd - start) {
                found = first != nullptr && first->isRegister;
                if (found) op.reg = first->registerCode;
            } else {
                found = FindRegisterIn(name, &op.reg);
            }
            if (!found) {
                if (!IsRegisterLike(name)) {
                    bool hex = true;
                    for (char c : name) hex = hex && HexDigit(c) >= 0;
                    if (hex) return FailAt(start, pos_, "number '%s' must begin with a digit: write 0 before it");
                    return FailAt(start, pos_, "unknown operand '%s'");
                }
                op.exists = false;
            }
        } else {
            return FailAt(pos_, TokenEnd(pos_), "expected an operand, not '%s'");
        }
        op.textEnd = static_cast<uint16_t>(pos_);
        return true;
    }

    struct AddressRegister {
        uint8_t code;
        uint8_t scale;
        size_t start, end;
    };

    bool ParseMemory(ParsedOperand& op) {
        const size_t open = pos_;
        ++pos_;
        op.form = OperandForm::Memory;
        AddressRegister regs[2];
        int regCount = 0;
        int dispTerms = 0;
        int64_t disp = 0;
        uint8_t fixedBytes = 0;
        bool first = true;
        for (;;) {
            SkipBlanks();
            bool negative = false;
            if (Peek() == '+' || Peek() == '-') {
                negative = Peek() == '-';
                ++pos_;
                SkipBlanks();
            } else if (!first) {
                if (pos_ >= size_) return FailAt(open, pos_, "expected ']' to close '%s'");
                return FailAt(pos_, TokenEnd(pos_), "expected '+', '-' or ']' in the address, not '%s'");
            }
            const size_t termStart = pos_;
            if (IsDigit(Peek())) {
                ParsedNumber n;
                if (!ReadNumber(n)) return false;
                SkipBlanks();
                if (Peek() == '*') {
                    // "4*esi": the number is the scale.
                    pos_ = termStart;
                    uint8_t scale = 0;
                    if (!ReadScale(scale)) return false;
                    SkipBlanks();
                    ++pos_;
                    SkipBlanks();
                    const size_t regStart = pos_;
                    uint8_t code = 0;
                    if (!ReadAddressRegister(code)) return false;
                    if (!AddRegister(regs, regCount, {code, scale, termStart, pos_}, negative, regStart)) return false;
                } else {
                    disp += negative ? -n.value : n.value;
                    fixedBytes = negative ? 0 : n.fixedBytes;
                    ++dispTerms;
                }
            } else if (IsLetter(Peek())) {
                uint8_t code = 0;
                if (!ReadAddressRegister(code)) return false;
                const size_t regEnd = pos_;
                SkipBlanks();
                uint8_t scale = 0;
                if (Peek() == '*') {
                    ++pos_;
                    SkipBlanks();
                    if (!ReadScale(scale)) return false;
                }
                if (!AddRegister(regs, regCount, {code, scale, termStart, regEnd}, negative, termStart)) return false;
            } else if (Peek() == ']' && first) {
                return FailAt(open, pos_ + 1, "empty address '%s'");
            } else {
                if (pos_ >= size_) return FailAt(open, pos_, "expected ']' to close '%s'");
                return FailAt(pos_, TokenEnd(pos_), "expected a register or a number in the address, not '%s'");
            }
            first = false;
            SkipBlanks();
            if (Peek() == ']') {
                ++pos_;
                break;
            }
        }
        if (dispTerms > 0) {
            op.hasDisp = true;
            op.disp.value = disp;
            op.disp.fixedBytes = dispTerms == 1 && regCount == 0 ? fixedBytes : 0;
        }
        return ResolveAddress(op, regs, regCount, open);
    }

    bool ReadAddressRegister(uint8_t& code) {
        const size_t start = pos_;
        const std::string_view name = ReadName();
        if (!FindRegisterIn(name, &code)) {
            return FailAt(start, pos_ > start ? pos_ : TokenEnd(start), "unknown register '%s' in the address");
        }
        const uint8_t cls = RegisterClassOf(code);
        if (cls != RegisterClass::Gpr16 && cls != RegisterClass::Gpr32) {
            return FailAt(start, pos_, "'%s' cannot be used in an address");
        }
        return true;
    }

    bool AddRegister(AddressRegister* regs, int& count, AddressRegister reg, bool negative, size_t start) {
        if (negative) return FailAt(start, reg.end, "a register cannot be subtracted: '-%s'");
        if (count == 2) return FailAt(reg.start, reg.end, "too many registers in the address at '%s'");
        if (reg.scale == 1) reg.scale = 0;  // "*1" is the unscaled register
        regs[count++] = reg;
        return true;
    }

    bool ResolveAddress(ParsedOperand& op, AddressRegister* regs, int count, size_t open) {
        if (count == 2 && RegisterClassOf(regs[0].code) != RegisterClassOf(regs[1].code)) {
            return FailAt(open, pos_, "16- and 32-bit registers cannot be mixed in '%s'");
        }
        if (count > 0) {
            op.addressBytes = RegisterClassOf(regs[0].code) == RegisterClass::Gpr32 ? 4 : 2;
        } else if (op.disp.fixedBytes != 0) {
            op.addressBytes = op.disp.fixedBytes;
        } else {
            op.addressBytes = is32_ || op.disp.value > 0xFFFF || op.disp.value < -0x8000 ? 4 : 2;
        }
        const int64_t limit = op.addressBytes == 2 ? 0xFFFF : kMaxNumber;
        if (op.disp.value > limit || op.disp.value < -(limit + 1) / 2) {
            return FailAt(open, pos_, op.addressBytes == 2 ? "displacement in '%s' does not fit in a 16-bit address"
                                                         : "displacement in '%s' does not fit in 32 bits");
        }
        if (op.addressBytes == 2) {
            for (int i = 0; i < count; ++i) {
                const uint8_t n = RegisterNumber(regs[i].code);
                if (regs[i].scale != 0) return FailAt(regs[i].start, pos_, "a 16-bit address has no scale factor: '%s'");
                uint8_t& slot = (n == kBx || n == kBp) ? op.base : (n == kSi || n == kDi) ? op.index : op.scale;
                if (&slot == &op.scale) return FailAt(regs[i].start, regs[i].end, "'%s' cannot be used in a 16-bit address");
                if (slot != 0) return FailAt(open, pos_, "no 16-bit address has the registers of '%s'");
                slot = static_cast<uint8_t>(regs[i].code | kRegisterPresent);
            }
            return true;
        }
        // 32-bit: a scaled register is the index; of two unscaled ones the
        // first is the base, unless the second is esp, which cannot index.
        int indexAt = -1;
        for (int i = 0; i < count; ++i) {
            if (regs[i].scale != 0) {
                if (indexAt >= 0) return FailAt(open, pos_, "only one register can be scaled in '%s'");
                indexAt = i;
            }
        }
        if (indexAt < 0 && count == 2) indexAt = RegisterNumber(regs[1].code) == kEsp ? 0 : 1;
        for (int i = 0; i < count; ++i) {
            const uint8_t code = static_cast<uint8_t>(regs[i].code | kRegisterPresent);
            if (i == indexAt) {
                if (RegisterNumber(regs[i].code) == kEsp) {
                    return FailAt(regs[i].start, regs[i].end, "'%s' cannot be an index register");
                }
                op.index = code;
                op.scale = regs[i].scale;
            } else {
                op.base = code;
            }
        }
        return true;
    }

    const char* original_;
    bool is32_;
    char* error_;
    // Zeros after the text: one for its end, more for eight-byte chunks and
    // the word keys' loads (kWordReadBytes from a word's start).
    static constexpr size_t kPadding = kWordReadBytes + 8;
    char lower_[kMaxTextLength + kPadding];  // filled by Run up to size_
    size_t size_ = 0;
    size_t pos_ = 0;
};

}  // namespace

bool ParseInstruction(const char* text, bool is32BitMode, ParsedInstruction& out, char* error) {
    out = ParsedInstruction{};
    Parser parser(text, is32BitMode, error);
    return parser.Run(out);
}

void TidyText(const char* text, char* out) {
    size_t n = 0;
    bool blank = false;  // blanks were skipped since the last character written
    for (const char* c = text; *c != '\0' && n < kMaxTextLength; ++c) {
        if (IsBlank(*c)) {
            blank = n > 0;
            continue;
        }
        if (blank) out[n++] = ' ';
        blank = false;
        if (n < kMaxTextLength) out[n++] = *c;
    }
    out[n] = '\0';
}

}  // namespace vexa::assembler
