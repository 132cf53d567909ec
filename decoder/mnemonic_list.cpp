#include "decoder/mnemonic_list.h"

namespace vexa {

const char kMnemonicList[kMnemonicCount][kMnemonicSlotSize] = {
#define VEXA_MNEMONIC_TEXT(name, text) text,
    VEXA_MNEMONICS(VEXA_MNEMONIC_TEXT)
#undef VEXA_MNEMONIC_TEXT
};

}  // namespace vexa
