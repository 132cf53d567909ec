#pragma once
// A small JSON reader for checking vexa-decode's --json output. It reads one
// value into a flat list of leaves named by their path ("prefixes.hasSIB",
// "operands.2.disp"): strings (with the escapes the writer uses), unsigned
// numbers, true and false. It allocates nothing, so the fuzzer can run it on
// every input; it is not a general JSON library.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vexa::fuzz {

struct JsonLeaf {
    enum class Type : uint8_t { String, Number, Bool };
    static constexpr size_t kPathSize = 40;
    static constexpr size_t kTextSize = 320;

    Type type = Type::Number;
    char path[kPathSize] = {};
    uint64_t number = 0;
    bool flag = false;
    char text[kTextSize] = {};  // the unescaped string, zero-terminated
};

struct JsonLeaves {
    static constexpr size_t kCapacity = 80;
    JsonLeaf leaves[kCapacity];
    size_t count = 0;

    // The leaf at `path`, or nullptr. Looks from after the last leaf found, so
    // reading the leaves in their written order is quick.
    const JsonLeaf* Find(std::string_view path) const;

private:
    mutable size_t next_ = 0;
};

// Reads one value that fills `text` (blanks and a newline may follow). False
// on a syntax error, a key given twice, a string or path too long for a leaf,
// nesting deeper than 4, more than 16 keys in an object or more leaves than
// kCapacity.
bool ReadJson(std::string_view text, JsonLeaves& out);

}  // namespace vexa::fuzz
