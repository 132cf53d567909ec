#include "fuzz/json_reader.h"

#include <cstdio>
#include <cstring>

namespace vexa::fuzz {
namespace {

constexpr int kMaxDepth = 4;

class Reader {
public:
    Reader(std::string_view text, JsonLeaves& out) : text_(text), out_(out) {}

    bool Value(int depth) {
        if (depth > kMaxDepth) return false;
        SkipBlanks();
        if (AtEnd()) return false;
        switch (Peek()) {
            case '{': return Object(depth);
            case '[': return Array(depth);
            case '"': {
                JsonLeaf* leaf = NewLeaf(JsonLeaf::Type::String);
                return leaf != nullptr && String(leaf->text, sizeof leaf->text);
            }
            case 't': return Bool(true);
            case 'f': return Bool(false);
            default: {
                JsonLeaf* leaf = NewLeaf(JsonLeaf::Type::Number);
                return leaf != nullptr && Number(leaf->number);
            }
        }
    }

    bool Finish() {
        SkipBlanks();
        return AtEnd();
    }

private:
    bool AtEnd() const { return position_ >= text_.size(); }
    char Peek() const { return text_[position_]; }
    void SkipBlanks() {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\n' || Peek() == '\r' || Peek() == '\t')) ++position_;
    }
    bool Expect(char c) {
        SkipBlanks();
        if (AtEnd() || Peek() != c) return false;
        ++position_;
        return true;
    }

    // A leaf at the current path; nullptr when full. (Keys are unique within
    // their object, so paths are unique.)
    JsonLeaf* NewLeaf(JsonLeaf::Type type) {
        if (out_.count == JsonLeaves::kCapacity) return nullptr;
        JsonLeaf& leaf = out_.leaves[out_.count++];
        leaf.type = type;
        leaf.number = 0;
        leaf.flag = false;
        leaf.text[0] = '\0';
        std::memcpy(leaf.path, path_, pathLength_ + 1);
        return &leaf;
    }

    bool Bool(bool value) {
        const std::string_view word = value ? "true" : "false";
        if (text_.substr(position_, word.size()) != word) return false;
        position_ += word.size();
        JsonLeaf* leaf = NewLeaf(JsonLeaf::Type::Bool);
        if (leaf == nullptr) return false;
        leaf->flag = value;
        return true;
    }

    // Appends ".name" (or "name" at the top) to the path; returns the old length.
    bool PushPath(const char* name, size_t& saved) {
        saved = pathLength_;
        const size_t extra = (pathLength_ > 0 ? 1 : 0) + std::strlen(name);
        if (pathLength_ + extra >= sizeof path_) return false;
        if (pathLength_ > 0) path_[pathLength_++] = '.';
        std::strcpy(path_ + pathLength_, name);
        pathLength_ += std::strlen(name);
        return true;
    }
    void PopPath(size_t saved) {
        pathLength_ = saved;
        path_[pathLength_] = '\0';
    }

    bool Object(int depth) {
        constexpr int kMaxKeys = 16;
        char keys[kMaxKeys][JsonLeaf::kPathSize];
        int keyCount = 0;
        ++position_;
        if (Expect('}')) return true;
        do {
            SkipBlanks();
            if (keyCount == kMaxKeys) return false;
            char* key = keys[keyCount];
            if (AtEnd() || Peek() != '"' || !String(key, JsonLeaf::kPathSize) || !Expect(':')) return false;
            for (int k = 0; k < keyCount; ++k) {
                if (std::strcmp(keys[k], key) == 0) return false;  // a key given twice
            }
            ++keyCount;
            size_t saved;
            if (!PushPath(key, saved) || !Value(depth + 1)) return false;
            PopPath(saved);
        } while (Expect(','));
        return Expect('}');
    }

    bool Array(int depth) {
        ++position_;
        if (Expect(']')) return true;
        unsigned index = 0;
        do {
            char name[12];
            std::snprintf(name, sizeof name, "%u", index++);
            size_t saved;
            if (!PushPath(name, saved) || !Value(depth + 1)) return false;
            PopPath(saved);
        } while (Expect(','));
        return Expect(']');
    }

    static int HexDigit(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    bool String(char* out, size_t size) {
        size_t n = 0;
        auto put = [&](char c) {
            if (n + 1 >= size) return false;
            out[n++] = c;
            return true;
        };
        ++position_;  // the opening quote
        while (!AtEnd()) {
            const char c = text_[position_++];
            if (c == '"') {
                out[n] = '\0';
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) return false;  // control characters must be escaped
            if (c != '\\') {
                if (!put(c)) return false;
                continue;
            }
            if (AtEnd()) return false;
            char decoded;
            switch (text_[position_++]) {
                case '"': decoded = '"'; break;
                case '\\': decoded = '\\'; break;
                case '/': decoded = '/'; break;
                case 't': decoded = '\t'; break;
                case 'n': decoded = '\n'; break;
                case 'r': decoded = '\r'; break;
                case 'b': decoded = '\b'; break;
                case 'f': decoded = '\f'; break;
                case 'u': {
                    if (position_ + 4 > text_.size()) return false;
                    unsigned code = 0;
                    for (int i = 0; i < 4; ++i) {
                        const int d = HexDigit(text_[position_++]);
                        if (d < 0) return false;
                        code = code * 16 + static_cast<unsigned>(d);
                    }
                    if (code == 0 || code > 0xFF) return false;  // single-byte texts, no embedded zero
                    decoded = static_cast<char>(code);
                    break;
                }
                default: return false;
            }
            if (!put(decoded)) return false;
        }
        return false;
    }

    bool Number(uint64_t& out) {
        const size_t start = position_;
        out = 0;
        while (!AtEnd() && Peek() >= '0' && Peek() <= '9') {
            if (out > (UINT64_MAX - 9) / 10) return false;
            out = out * 10 + static_cast<uint64_t>(Peek() - '0');
            ++position_;
        }
        if (position_ == start) return false;
        return !(position_ - start > 1 && text_[start] == '0');  // no leading zeros
    }

    std::string_view text_;
    JsonLeaves& out_;
    size_t position_ = 0;
    char path_[JsonLeaf::kPathSize] = {};
    size_t pathLength_ = 0;
};

}  // namespace

const JsonLeaf* JsonLeaves::Find(std::string_view path) const {
    for (size_t n = 0; n < count; ++n) {
        const size_t i = (next_ + n) % count;
        if (path == leaves[i].path) {
            next_ = i + 1;
            return &leaves[i];
        }
    }
    return nullptr;
}

bool ReadJson(std::string_view text, JsonLeaves& out) {
    out.count = 0;
    Reader reader(text, out);
    return reader.Value(0) && reader.Finish();
}

}  // namespace vexa::fuzz
