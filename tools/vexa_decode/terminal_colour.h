#pragma once
// ANSI colours for the byte roles of the breakdown: only on a terminal, and
// never when NO_COLOR is set (whatever its value).
#include <cstdio>
#include <string>
#include <string_view>

#include "tools/vexa_decode/byte_layout.h"

namespace vexa::cli {

bool ShouldColour(bool outputIsTerminal, bool noColorSet);

// Whether `stream` is a terminal and NO_COLOR is unset.
bool ShouldColour(std::FILE* stream);

// Appends `text`, wrapped in the role's colour when `colour` is set.
void AppendInRoleColour(std::string& out, ByteRole role, std::string_view text, bool colour);

}  // namespace vexa::cli
