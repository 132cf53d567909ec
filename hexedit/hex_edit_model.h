#pragma once
// The byte row behind a HexEditControl: the bytes, the caret in nibbles, the
// colours and the cell geometry, with the editing rules that need no window.
// The Win32 window class (hex_edit_control.h) keeps one of these per window.
#include <cstdint>
#include <memory>
#include <span>

namespace vexa {

// A Win32 COLORREF: 0x00BBGGRR.
using Colour = uint32_t;
constexpr Colour Rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return red | (static_cast<Colour>(green) << 8) | (static_cast<Colour>(blue) << 16);
}

constexpr Colour kHexEditTextEven = Rgb(0, 0, 136);  // dark blue
constexpr Colour kHexEditTextOdd = Rgb(0, 0, 204);   // blue
constexpr Colour kHexEditWhite = Rgb(255, 255, 255);

// The keys the editor answers; every other key is ignored.
enum class HexEditKey { End, Home, Left, Right };

// Returns `count` zero-filled bytes allocated with new[], or nullptr when the
// memory cannot be had. SetSize takes one so a failing allocation can be tested.
using ByteBufferAllocator = uint8_t* (*)(uint32_t count);
uint8_t* AllocateZeroedBytes(uint32_t count);

class HexEditModel {
public:
    static constexpr uint32_t kMaxByteCount = 0x7FFFFFFF;

    // One byte 00h with the caret on its high digit. Throws std::bad_alloc.
    HexEditModel();

    uint32_t size() const { return byteCount_; }
    std::span<const uint8_t> bytes() const { return {data_.get(), byteCount_}; }
    // Caret position in nibbles: byte index * 2, plus 1 for the low digit.
    uint32_t caret() const { return caretPos_; }
    // Index of the byte drawn at the left edge; nothing scrolls, so always 0.
    uint32_t firstVisible() const { return firstVisible_; }

    // Sets the number of bytes: the leading bytes survive, new ones are 00h and
    // the caret is clamped into the new row. 0, FFFFFFFFh and the current size
    // are ignored; so is a size whose buffer cannot be allocated, which keeps the
    // old bytes, and one past kMaxByteCount, whose nibbles a 32-bit caret could
    // not address. Returns true when the size changed.
    bool SetSize(uint32_t newCount, ByteBufferAllocator allocate = AllocateZeroedBytes);

    // Stores the caret clamped to 0 .. 2 * size() - 1; a negative position is 0.
    void SetCaret(int64_t position);

    // A typed character: "0"-"9" and "a"-"f" overwrite the nibble under the caret
    // and move the caret one nibble right (it stays on the last digit). Anything
    // else, capitals included, changes nothing and answers false.
    bool TypeCharacter(uint32_t character);

    // Moves the caret for End, Home, Left or Right; bytes never change.
    void PressKey(HexEditKey key);

    // Geometry in pixels. A byte is two cells of charWidth followed by byteGap.
    int32_t Stride() const { return byteGap + 2 * charWidth; }
    // Left edge of the byte drawn k-th from the left.
    int32_t ByteCellX(uint32_t k) const;
    // Left edge of the caret: the cell of the digit it stands on.
    int32_t CaretX() const;
    // The nibble under client x coordinate `x`: a digit cell answers its own
    // nibble, the gap after a byte the high digit of the next byte. The answer
    // may lie past the row; SetCaret clamps it.
    uint32_t HitTest(int32_t x) const;

    // Colours and metrics: the window sets charWidth and charHeight from the
    // system fixed font when it is created.
    Colour textColorEven = kHexEditTextEven;
    Colour backColorEven = kHexEditWhite;
    Colour textColorOdd = kHexEditTextOdd;
    Colour backColorOdd = kHexEditWhite;
    Colour backColor = kHexEditWhite;
    int32_t byteGap = 3;
    int32_t charWidth = 0;
    int32_t charHeight = 0;

private:
    uint32_t LastNibble() const { return 2 * byteCount_ - 1; }

    uint32_t byteCount_ = 1;
    std::unique_ptr<uint8_t[]> data_;
    uint32_t firstVisible_ = 0;
    uint32_t caretPos_ = 0;
};

}  // namespace vexa
