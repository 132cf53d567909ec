#include "hexedit/hex_edit_model.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace vexa {
namespace {

// The value of a hexadecimal digit the editor accepts, or -1. Only lower-case
// letters count: the editor shows upper case but takes "a"-"f" alone.
int DigitValue(uint32_t character) {
    if (character >= '0' && character <= '9') return static_cast<int>(character - '0');
    if (character >= 'a' && character <= 'f') return static_cast<int>(character - 'a' + 10);
    return -1;
}

}  // namespace

uint8_t* AllocateZeroedBytes(uint32_t count) { return new (std::nothrow) uint8_t[count](); }

HexEditModel::HexEditModel() : data_(new uint8_t[1]()) {}

bool HexEditModel::SetSize(uint32_t newCount, ByteBufferAllocator allocate) {
    if (newCount == 0 || newCount == 0xFFFFFFFF || newCount == byteCount_) return false;
    if (newCount > kMaxByteCount) return false;
    std::unique_ptr<uint8_t[]> buffer(allocate(newCount));
    if (!buffer) return false;
    std::memcpy(buffer.get(), data_.get(), std::min(byteCount_, newCount));
    data_ = std::move(buffer);
    byteCount_ = newCount;
    caretPos_ = std::min(caretPos_, LastNibble());
    return true;
}

void HexEditModel::SetCaret(int64_t position) {
    caretPos_ = static_cast<uint32_t>(std::clamp<int64_t>(position, 0, LastNibble()));
}

bool HexEditModel::TypeCharacter(uint32_t character) {
    const int digit = DigitValue(character);
    if (digit < 0) return false;
    uint8_t& byte = data_[caretPos_ / 2];
    if (caretPos_ % 2 == 0) {
        byte = static_cast<uint8_t>((digit << 4) | (byte & 0x0F));
    } else {
        byte = static_cast<uint8_t>((byte & 0xF0) | digit);
    }
    SetCaret(int64_t{caretPos_} + 1);
    return true;
}

void HexEditModel::PressKey(HexEditKey key) {
    switch (key) {
        case HexEditKey::End: SetCaret(LastNibble()); break;
        case HexEditKey::Home: SetCaret(0); break;
        case HexEditKey::Left: SetCaret(int64_t{caretPos_} - 1); break;
        case HexEditKey::Right: SetCaret(int64_t{caretPos_} + 1); break;
    }
}

int32_t HexEditModel::CaretX() const {
    const int64_t x = int64_t{caretPos_ / 2} * byteGap + int64_t{caretPos_} * charWidth;
    return static_cast<int32_t>(std::min<int64_t>(x, INT32_MAX));
}

int32_t HexEditModel::ByteCellX(uint32_t k) const {
    return static_cast<int32_t>(std::min<int64_t>(int64_t{k} * Stride(), INT32_MAX));
}

uint32_t HexEditModel::HitTest(int32_t x) const {
    const int64_t stride = Stride();
    if (stride <= 0 || x <= 0) return 0;
    const int64_t n = x / stride;
    const int64_t byteLeft = n * stride;
    int64_t nibble = 2 * n + 2;  // in the gap: the next byte's high digit
    if (x <= byteLeft + charWidth) {
        nibble = 2 * n;
    } else if (x < byteLeft + 2 * charWidth) {
        nibble = 2 * n + 1;
    }
    return static_cast<uint32_t>(std::min<int64_t>(nibble, 0xFFFFFFFF));
}

}  // namespace vexa
