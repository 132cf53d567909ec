#pragma once
// Which dialog controls stand for which part of the composer: the bit rows,
// the prefix buttons, the editors, the field labels and the controls of each
// group.
#include <array>

#include "composer/composer_state.h"
#include "resources/resource.h"

namespace vexa {

constexpr unsigned kBitsPerRow = 8;

// The first (bit 7) button of each bit row, indexed by ComposerByte.
constexpr std::array<int, kComposerByteCount> kBitRowFirstId{
    IDC_OPCODE1_BITS, IDC_OPCODE2_BITS, IDC_OPCODE3_BITS, IDC_MODRM_BITS, IDC_SIB_BITS};

constexpr int kFirstBitButtonId = IDC_OPCODE1_BITS;
constexpr int kLastBitButtonId = IDC_SIB_BITS + kBitsPerRow - 1;

// The field label control of each slot, 0 to 10.
constexpr std::array<int, 11> kFieldLabelId{IDC_LABEL_0, IDC_LABEL_1, IDC_LABEL_2, IDC_LABEL_3,
                                            IDC_LABEL_4, IDC_LABEL_5, IDC_LABEL_6, IDC_LABEL_7,
                                            IDC_LABEL_8, IDC_LABEL_9, IDC_LABEL_10};

// A run of consecutive control ids, first to last; empty when last < first.
struct ControlRange {
    int first = 1;
    int last = 0;
};

// The controls that a group enables and disables, indexed by ComposerGroup:
// at most two runs of ids each.
constexpr std::array<std::array<ControlRange, 2>, kComposerGroupCount> kGroupControls{{
    {{{IDC_OPCODE2_BITS, IDC_OPCODE2_BITS + 7}, {}}},
    {{{IDC_OPCODE3_BITS, IDC_OPCODE3_BITS + 7}, {}}},
    {{{IDC_MODRM_BITS, IDC_MODRM_BITS + 7}, {IDC_MODRM_BOX, IDC_MODRM_RM}}},
    {{{IDC_SIB_BITS, IDC_SIB_BITS + 7}, {IDC_SIB_BOX, IDC_SIB_BASE}}},
    {{{IDC_DISPLACEMENT, IDC_DISPLACEMENT}, {IDC_DISPLACEMENT_BOX, IDC_DISPLACEMENT_BOX}}},
    {{{IDC_IMMEDIATE, IDC_IMMEDIATE}, {IDC_IMMEDIATE_BOX, IDC_IMMEDIATE_BOX}}},
}};

}  // namespace vexa
