#include "tools/vexa_decode/terminal_colour.h"

#include <unistd.h>

#include <cstdlib>

namespace vexa::cli {
namespace {

const char* RoleColour(ByteRole role) {
    switch (role) {
        case ByteRole::Prefix: return "\x1b[35m";        // magenta
        case ByteRole::Opcode: return "\x1b[1;33m";      // bold yellow
        case ByteRole::ModRM: return "\x1b[36m";         // cyan
        case ByteRole::Sib: return "\x1b[34m";           // blue
        case ByteRole::Displacement: return "\x1b[32m";  // green
        case ByteRole::Immediate: return "\x1b[31m";     // red
        case ByteRole::Invalid: return "\x1b[1;31m";     // bold red
        case ByteRole::Unaccounted: break;
    }
    return "\x1b[7m";  // reverse
}

constexpr char kReset[] = "\x1b[0m";

}  // namespace

bool ShouldColour(bool outputIsTerminal, bool noColorSet) { return outputIsTerminal && !noColorSet; }

bool ShouldColour(std::FILE* stream) {
    return ShouldColour(isatty(fileno(stream)) == 1, std::getenv("NO_COLOR") != nullptr);
}

void AppendInRoleColour(std::string& out, ByteRole role, std::string_view text, bool colour) {
    if (!colour) {
        out += text;
        return;
    }
    out += RoleColour(role);
    out += text;
    out += kReset;
}

}  // namespace vexa::cli
