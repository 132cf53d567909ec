#include "composer/composer_state.h"

namespace vexa {

uint8_t& ByteOf(ComposerState& state, ComposerByte which) {
    switch (which) {
        case ComposerByte::Opcode1: return state.opcode1;
        case ComposerByte::Opcode2: return state.opcode2;
        case ComposerByte::Opcode3: return state.opcode3;
        case ComposerByte::ModRM: return state.modrm;
        case ComposerByte::Sib: break;
    }
    return state.sib;
}

uint8_t ByteOf(const ComposerState& state, ComposerByte which) {
    return ByteOf(const_cast<ComposerState&>(state), which);
}

bool& GroupFlag(ComposerState& state, ComposerGroup group) {
    switch (group) {
        case ComposerGroup::Opcode2: return state.opcode2Used;
        case ComposerGroup::Opcode3: return state.opcode3Used;
        case ComposerGroup::ModRM: return state.modrmUsed;
        case ComposerGroup::Sib: return state.sibUsed;
        case ComposerGroup::Displacement: return state.dispUsed;
        case ComposerGroup::Immediate: break;
    }
    return state.immUsed;
}

bool GroupFlag(const ComposerState& state, ComposerGroup group) {
    return GroupFlag(const_cast<ComposerState&>(state), group);
}

}  // namespace vexa
