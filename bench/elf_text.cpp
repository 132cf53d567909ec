#include "bench/elf_text.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace vexa::bench {
namespace {

// Offsets in the ELF32 file header and in a section header.
constexpr size_t kHeaderSize = 52;
constexpr size_t kSectionTableOffset = 0x20;
constexpr size_t kSectionEntrySize = 0x2E;
constexpr size_t kSectionCount = 0x30;
constexpr size_t kSectionNamesIndex = 0x32;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kSectionName = 0;
constexpr size_t kSectionType = 4;
constexpr size_t kSectionOffset = 16;
constexpr size_t kSectionSize = 20;
constexpr uint32_t kNoBits = 8;  // SHT_NOBITS: the section has no bytes in the file

uint32_t Read(const std::vector<uint8_t>& file, size_t at, size_t size) {
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i) value |= static_cast<uint32_t>(file[at + i]) << (8 * i);
    return value;
}

// True when [offset, offset + size) lies inside the file.
bool Inside(const std::vector<uint8_t>& file, uint64_t offset, uint64_t size) {
    return offset <= file.size() && size <= file.size() - offset;
}

}  // namespace

std::vector<uint8_t> ReadElf32Text(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + " not found";
        return {};
    }
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    static constexpr uint8_t kIdent[] = {0x7F, 'E', 'L', 'F', 1 /* 32-bit */, 1 /* little-endian */};
    if (file.size() < kHeaderSize || std::memcmp(file.data(), kIdent, sizeof kIdent) != 0) {
        error = path + " is not a 32-bit little-endian ELF file";
        return {};
    }
    const uint32_t table = Read(file, kSectionTableOffset, 4);
    const uint32_t entrySize = Read(file, kSectionEntrySize, 2);
    const uint32_t count = Read(file, kSectionCount, 2);
    const uint32_t namesIndex = Read(file, kSectionNamesIndex, 2);
    if (entrySize < kSectionHeaderSize || namesIndex >= count ||
        !Inside(file, table, static_cast<uint64_t>(entrySize) * count)) {
        error = path + ": damaged section table";
        return {};
    }
    const auto header = [&](uint32_t index) { return table + static_cast<size_t>(index) * entrySize; };
    const uint32_t names = Read(file, header(namesIndex) + kSectionOffset, 4);
    const uint32_t namesSize = Read(file, header(namesIndex) + kSectionSize, 4);
    if (!Inside(file, names, namesSize)) {
        error = path + ": damaged section names";
        return {};
    }
    static constexpr char kText[] = ".text";
    for (uint32_t index = 0; index < count; ++index) {
        const size_t at = header(index);
        const uint32_t name = Read(file, at + kSectionName, 4);
        if (name >= namesSize || namesSize - name < sizeof kText ||
            std::memcmp(file.data() + names + name, kText, sizeof kText) != 0) {
            continue;
        }
        const uint32_t offset = Read(file, at + kSectionOffset, 4);
        const uint32_t size = Read(file, at + kSectionSize, 4);
        if (Read(file, at + kSectionType, 4) == kNoBits || !Inside(file, offset, size)) {
            error = path + ": .text lies outside the file";
            return {};
        }
        return std::vector<uint8_t>(file.begin() + offset, file.begin() + offset + size);
    }
    error = path + " has no .text section";
    return {};
}

}  // namespace vexa::bench
