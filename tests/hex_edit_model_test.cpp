#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "hexedit/hex_edit_model.h"

namespace vexa {
namespace {

std::vector<uint8_t> Bytes(const HexEditModel& model) { return {model.bytes().begin(), model.bytes().end()}; }

HexEditModel ModelOfSize(uint32_t size) {
    HexEditModel model;
    model.SetSize(size);
    return model;
}

TEST(HexEditModel, StartsWithOneZeroByteAndTheCaretOnItsHighDigit) {
    HexEditModel model;
    EXPECT_EQ(model.size(), 1u);
    EXPECT_EQ(Bytes(model), std::vector<uint8_t>{0x00});
    EXPECT_EQ(model.caret(), 0u);
    EXPECT_EQ(model.textColorEven, 0x880000u);
    EXPECT_EQ(model.textColorOdd, 0xCC0000u);
    EXPECT_EQ(model.byteGap, 3);
}

struct TypingCase {
    const char* name;
    uint32_t size;
    std::string typed;
    std::vector<uint8_t> bytes;
    uint32_t caret;
};

void PrintTo(const TypingCase& c, std::ostream* out) { *out << c.name; }

class Typing : public ::testing::TestWithParam<TypingCase> {};

TEST_P(Typing, OverwritesNibblesLeftToRight) {
    const TypingCase& c = GetParam();
    HexEditModel model = ModelOfSize(c.size);
    for (char ch : c.typed) EXPECT_TRUE(model.TypeCharacter(static_cast<uint8_t>(ch))) << ch;
    EXPECT_EQ(Bytes(model), c.bytes);
    EXPECT_EQ(model.caret(), c.caret);
}

INSTANTIATE_TEST_SUITE_P(
    HexEditModel, Typing,
    ::testing::Values(TypingCase{"HighDigitFirst", 1, "1", {0x10}, 1},
                      TypingCase{"LowDigitSecond", 1, "12", {0x12}, 1},
                      TypingCase{"LastDigitIsOverwrittenAgain", 1, "123", {0x13}, 1},
                      TypingCase{"LowerCaseLetters", 2, "a0fe", {0xA0, 0xFE}, 3},
                      TypingCase{"FillsARow", 3, "09af5b", {0x09, 0xAF, 0x5B}, 5},
                      TypingCase{"StopsOnTheLastNibble", 2, "1234567", {0x12, 0x37}, 3}),
    [](const auto& info) { return info.param.name; });

TEST(HexEditModel, RejectsEverythingButDigitsAndLowerCaseHexLetters) {
    HexEditModel model = ModelOfSize(2);
    model.TypeCharacter('7');
    const uint32_t rejected[] = {'A', 'F', 'g', 'G', 'x', ' ', '/', ':', '`', '\0', '\t', 0x100 + '1', 0xE1};
    for (uint32_t ch : rejected) {
        EXPECT_FALSE(model.TypeCharacter(ch)) << ch;
    }
    EXPECT_EQ(Bytes(model), (std::vector<uint8_t>{0x70, 0x00}));
    EXPECT_EQ(model.caret(), 1u);
}

TEST(HexEditModel, KeysMoveTheCaretWithinTheRow) {
    HexEditModel model = ModelOfSize(4);
    const struct {
        HexEditKey key;
        uint32_t caret;
    } steps[] = {
        {HexEditKey::End, 7},  {HexEditKey::Right, 7}, {HexEditKey::Left, 6},  {HexEditKey::Home, 0},
        {HexEditKey::Left, 0}, {HexEditKey::Right, 1}, {HexEditKey::Right, 2},
    };
    for (const auto& step : steps) {
        model.PressKey(step.key);
        EXPECT_EQ(model.caret(), step.caret);
    }
    EXPECT_EQ(Bytes(model), std::vector<uint8_t>(4, 0x00));
}

TEST(HexEditModel, SetCaretClampsToTheRow) {
    HexEditModel model = ModelOfSize(3);
    const struct {
        int64_t position;
        uint32_t caret;
    } cases[] = {{-1, 0}, {INT32_MIN, 0}, {0, 0}, {4, 4}, {5, 5}, {6, 5}, {INT32_MAX, 5}, {0xFFFFFFFF, 5}};
    for (const auto& c : cases) {
        model.SetCaret(c.position);
        EXPECT_EQ(model.caret(), c.caret) << c.position;
    }
}

TEST(HexEditModel, ResizingKeepsTheLeadingBytes) {
    HexEditModel model;
    model.TypeCharacter('5');
    model.TypeCharacter('a');
    EXPECT_TRUE(model.SetSize(4));
    EXPECT_EQ(Bytes(model), (std::vector<uint8_t>{0x5A, 0x00, 0x00, 0x00}));
    EXPECT_EQ(model.caret(), 1u);
    EXPECT_TRUE(model.SetSize(1));
    EXPECT_EQ(Bytes(model), std::vector<uint8_t>{0x5A});
}

TEST(HexEditModel, ShrinkingClampsTheCaret) {
    HexEditModel model = ModelOfSize(4);
    model.PressKey(HexEditKey::End);
    model.SetSize(1);
    EXPECT_EQ(model.caret(), 1u);
}

TEST(HexEditModel, IgnoresZeroAllOnesAndTheCurrentSize) {
    HexEditModel model = ModelOfSize(2);
    model.TypeCharacter('c');
    model.PressKey(HexEditKey::End);
    for (uint32_t size : {0u, 0xFFFFFFFFu, 2u}) {
        EXPECT_FALSE(model.SetSize(size)) << size;
        EXPECT_EQ(Bytes(model), (std::vector<uint8_t>{0xC0, 0x00}));
        EXPECT_EQ(model.caret(), 3u);
    }
}

uint8_t* FailingAllocator(uint32_t) { return nullptr; }

TEST(HexEditModel, KeepsTheOldRowWhenTheNewOneCannotBeAllocated) {
    HexEditModel model = ModelOfSize(3);
    model.TypeCharacter('e');
    model.PressKey(HexEditKey::End);
    EXPECT_FALSE(model.SetSize(1, FailingAllocator));
    EXPECT_FALSE(model.SetSize(HexEditModel::kMaxByteCount + 1));
    EXPECT_EQ(Bytes(model), (std::vector<uint8_t>{0xE0, 0x00, 0x00}));
    EXPECT_EQ(model.caret(), 5u);
}

// 8-pixel cells and a 3-pixel gap: bytes start every 19 pixels.
HexEditModel ModelWithCells(uint32_t size) {
    HexEditModel model = ModelOfSize(size);
    model.charWidth = 8;
    model.charHeight = 16;
    return model;
}

TEST(HexEditModel, CellGeometry) {
    HexEditModel model = ModelWithCells(3);
    EXPECT_EQ(model.Stride(), 19);
    EXPECT_EQ(model.ByteCellX(0), 0);
    EXPECT_EQ(model.ByteCellX(2), 38);
    const int32_t caretX[] = {0, 8, 19, 27, 38, 46};
    for (uint32_t p = 0; p < 6; ++p) {
        model.SetCaret(p);
        EXPECT_EQ(model.CaretX(), caretX[p]) << p;
    }
}

TEST(HexEditModel, HitTestMapsCellsAndGaps) {
    HexEditModel model = ModelWithCells(2);
    const struct {
        int32_t x;
        uint32_t nibble;
    } cases[] = {{0, 0},   {8, 0},   {9, 1},   {15, 1},  {16, 2},  {18, 2},
                 {19, 2},  {27, 2},  {28, 3},  {35, 4},  {500, 52}, {-5, 0}};
    for (const auto& c : cases) EXPECT_EQ(model.HitTest(c.x), c.nibble) << c.x;
    model.charWidth = 0;
    model.byteGap = 0;
    EXPECT_EQ(model.HitTest(10), 0u);
}

}  // namespace
}  // namespace vexa
