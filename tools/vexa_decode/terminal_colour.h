#pragma once
// ANSI colours for the byte roles of the breakdown: only on a terminal, and
// never when NO_COLOR is set (whatever its value).
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace vexa::cli {

// The role of a group of bytes in the breakdown, as peer tools name them.
enum class ByteRole : uint8_t { Prefix, Opcode, ModRM, Sib, Displacement, Immediate, Invalid, Unaccounted };

bool ShouldColour(bool outputIsTerminal, bool noColorSet);

// Whether `stream` is a terminal and NO_COLOR is unset.
bool ShouldColour(std::FILE* stream);

// Appends `text`, wrapped in the role's colour when `colour` is set.
void AppendInRoleColour(std::string& out, ByteRole role, std::string_view text, bool colour);

}  // namespace vexa::cli
