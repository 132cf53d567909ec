// vexa-decode --list: the walker's lines against single decodes, addresses,
// branch targets at the wrap, truncation and INVALID at the end, chunking,
// and the listing of files and standard input end to end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/vexa_decode/decode_result.h"
#include "tools/vexa_decode/instruction_walker.h"
#include "tools/vexa_decode/listing.h"
#include "tools/vexa_decode/run.h"

namespace vexa::cli {
namespace {

std::string Line(const WalkedInstruction& instruction) {
    char line[kListingLineSize];
    return std::string(line, PutListingLine(line, instruction, false));
}

// One walked instruction with its line and bytes, taken while they are valid.
struct Listed {
    WalkedInstruction instruction;
    std::string line;
    std::vector<uint8_t> bytes;
};

// Feeds `bytes` in pieces of `piece` bytes and collects every instruction.
std::vector<Listed> Walk(const std::vector<uint8_t>& bytes, bool is32, uint32_t origin = 0, size_t piece = SIZE_MAX) {
    InstructionWalker walker(is32, origin);
    std::vector<Listed> listed;
    const auto drain = [&] {
        WalkedInstruction instruction;
        while (walker.Next(instruction)) {
            listed.push_back({instruction, Line(instruction),
                              std::vector<uint8_t>(instruction.window, instruction.window + instruction.length)});
        }
    };
    for (size_t at = 0; at < bytes.size();) {
        uint8_t* space = walker.Space();
        const size_t count = std::min({piece, walker.Room(), bytes.size() - at});
        std::memcpy(space, bytes.data() + at, count);
        walker.Commit(count);
        at += count;
        drain();
    }
    walker.Finish();
    drain();
    return listed;
}

// Code of both kinds with every sort of instruction: the golden classes and
// pseudo-random bytes, so that INVALID and odd lengths come up often.
std::vector<uint8_t> MixedCode(size_t size, uint32_t seed) {
    static const uint8_t kSamples[] = {0x55, 0x89, 0xE5, 0x66, 0xC7, 0x44, 0x8B, 0x12, 0x34, 0x12, 0x0F, 0x85, 0x10,
                                       0x00, 0x00, 0x00, 0xE8, 0xFD, 0xFF, 0xFF, 0xFF, 0xEB, 0xFE, 0xD9, 0xD1, 0xF3,
                                       0x0F, 0xC2, 0x41, 0x08, 0x01, 0x9A, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0xC3};
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = (seed >> 16) % 3 == 0 ? static_cast<uint8_t>(seed >> 8) : kSamples[(seed >> 20) % sizeof kSamples];
    }
    return bytes;
}

TEST(CliListing, EveryLineIsTheSingleDecodeOfItsBytesAndAddressesStepByLength) {
    for (bool is32 : {false, true}) {
        const std::vector<uint8_t> code = MixedCode(20000, is32 ? 7 : 11);
        const std::vector<Listed> listed = Walk(code, is32, 0x100);
        uint32_t address = 0x100;
        size_t offset = 0;
        for (size_t i = 0; i < listed.size(); ++i) {
            const WalkedInstruction& instruction = listed[i].instruction;
            const std::vector<uint8_t>& taken = listed[i].bytes;
            const std::string& line = listed[i].line;
            ASSERT_EQ(instruction.address, address) << i;
            ASSERT_TRUE(std::equal(taken.begin(), taken.end(), code.begin() + static_cast<long>(offset))) << i;
            // The instruction's own bytes alone, as vexa-decode HEX decodes them.
            HexBytes alone;
            std::copy(taken.begin(), taken.end(), alone.window.begin());
            alone.count = taken.size();
            DecodeResult single;
            DecodeBytes(alone, is32, false, single);
            const std::string text = line.substr((is32 ? 8 : 4) + 2 + kListingBytesWidth + 2);
            if (IsInvalid(instruction.record)) {
                EXPECT_EQ(instruction.length, 1u);
                EXPECT_EQ(text, "INVALID\t\n");
            } else if (!instruction.truncated) {
                EXPECT_EQ(InstructionLength(single.record), instruction.length) << line;
                EXPECT_EQ(text.substr(0, text.find("  ; ")),
                          single.instructionLine + std::string(instruction.hasTarget ? "" : "\n"))
                    << line;
            }
            address = (address + instruction.length) & (is32 ? 0xFFFFFFFFu : 0xFFFFu);
            offset += instruction.length;
        }
        EXPECT_EQ(offset, code.size());
        // In pieces of any size, across the walker's chunks, the same listing.
        for (size_t piece : {size_t{1}, size_t{7}, size_t{24}, size_t{25}, size_t{4096}}) {
            const std::vector<Listed> again = Walk(code, is32, 0x100, piece);
            ASSERT_EQ(again.size(), listed.size()) << piece;
            for (size_t i = 0; i < listed.size(); ++i) ASSERT_EQ(again[i].line, listed[i].line) << piece;
        }
    }
}

TEST(CliListing, LinesAndBranchTargetsAtTheWrap) {
    struct Case {
        bool is32;
        uint32_t origin;
        std::vector<uint8_t> bytes;
        std::vector<std::string> lines;
    };
    const std::string gap(kListingBytesWidth + 2, ' ');
    const auto at = [&](const char* address, const char* bytes) {
        return std::string(address) + "  " + bytes + gap.substr(std::strlen(bytes));
    };
    const Case cases[] = {
        {false, 0xFFFE, {0xEB, 0x00, 0x90}, {at("FFFE", "EB 00") + "jmp\t$+2  ; 0000\n", at("0000", "90") + "nop\t\n"}},
        {false, 0x0000, {0xEB, 0xFB}, {at("0000", "EB FB") + "jmp\t$-3  ; FFFD\n"}},
        {false, 0xFFF0, {0xE8, 0x0D, 0x00}, {at("FFF0", "E8 0D 00") + "call\t$+10  ; 0000\n"}},
        {false,
         0x7C00,
         {0x66, 0xE9, 0x00, 0x00, 0x01, 0x00},
         {at("7C00", "66 E9 00 00 01 00") + "jmp\t$+10006  ; 7C06\n"}},
        {true, 0xFFFFFFFE, {0x74, 0x10}, {at("FFFFFFFE", "74 10") + "je\t$+12  ; 00000010\n"}},
        {true, 0x10, {0xE9, 0xEB, 0xFF, 0xFF, 0xFF}, {at("00000010", "E9 EB FF FF FF") + "jmp\t$-10  ; 00000000\n"}},
        {true, 0, {0xE9, 0xF6, 0xFF, 0xFF, 0xFF}, {at("00000000", "E9 F6 FF FF FF") + "jmp\t$-5  ; FFFFFFFB\n"}},
        // INVALID takes one byte and the walk goes on; cut-off instructions keep the bytes there are.
        {true,
         0,
         {0xFF, 0xD8, 0xD1},
         {at("00000000", "FF") + "INVALID\t\n", at("00000001", "D8 D1") + "fcom\tst(1)\n"}},
        {true,
         0,
         {0x90, 0x0F, 0x85, 0x10},
         {at("00000000", "90") + "nop\t\n", at("00000001", "0F 85 10") + "(truncated)\n"}},
        {true, 0, {0xFF}, {at("00000000", "FF") + "(truncated)\n"}},
        // Invalid only for the zeros after the end: 0F 73 /0 is not an instruction, 0F 73 /2 is.
        {true, 0, {0x0F, 0x73}, {at("00000000", "0F 73") + "(truncated)\n"}},
        // INVALID whatever follows: an x87 form of no instruction, then a cut-off D1.
        {true, 0, {0xD9, 0xD1}, {at("00000000", "D9") + "INVALID\t\n", at("00000001", "D1") + "(truncated)\n"}},
        {true,
         0,
         {0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x90},
         {at("00000000", "66 66 66 66 66 66 66 66 66 66 66 66 66 66 90") + "nop\t\n"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines;
        for (const Listed& listed : Walk(c.bytes, c.is32, c.origin)) lines.push_back(listed.line);
        EXPECT_EQ(lines, c.lines);
    }
}

// The binary's process-level behaviour, through RunVexaDecode over files.
struct RunResult {
    int status;
    std::string out;
    std::string err;
};

std::string Contents(std::FILE* stream) {
    std::rewind(stream);
    std::string text;
    for (int c; (c = std::fgetc(stream)) != EOF;) text += static_cast<char>(c);
    return text;
}

RunResult RunWith(std::vector<std::string> words, const std::string& input = "") {
    words.insert(words.begin(), "vexa-decode");
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    RunResult run;
    run.status = RunVexaDecode(static_cast<int>(argv.size()), argv.data(), in, out, err);
    run.out = Contents(out);
    run.err = Contents(err);
    for (std::FILE* stream : {in, out, err}) std::fclose(stream);
    return run;
}

class TempFile {
public:
    explicit TempFile(const std::vector<uint8_t>& bytes) {
        char name[] = "/tmp/vexa_listing_XXXXXX";
        const int fd = mkstemp(name);
        path_ = name;
        EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
    }
    ~TempFile() { unlink(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char pair[4];
    for (uint8_t b : bytes) std::snprintf(pair, sizeof pair, "%02x ", b), text += pair;
    return text;
}

TEST(CliListing, FilesStandardInputAndArgumentsListAlike) {
    // Larger than the walker's chunk, so that instructions straddle reads.
    const std::vector<uint8_t> code = MixedCode(3 * InstructionWalker::kChunkSize + 1234, 5);
    const TempFile file(code);
    const RunResult fromFile = RunWith({"--list", "--file", file.Path()});
    ASSERT_EQ(fromFile.status, 0) << fromFile.err;
    // (Compared as booleans: a diff of listings this long takes gtest minutes.)
    EXPECT_TRUE(RunWith({"--list", "--raw"}, std::string(code.begin(), code.end())).out == fromFile.out);
    EXPECT_TRUE(RunWith({"--list"}, Hex(code)).out == fromFile.out);  // hex on standard input

    // --skip and --count cut the input, --org moves the addresses.
    const std::vector<uint8_t> part(code.begin() + 1000, code.begin() + 1400);
    EXPECT_EQ(RunWith({"--list", "--file", file.Path(), "--skip", "1000", "--count", "400", "--org", "3E8h"}).out,
              RunWith({"--list", "--org", "0x3E8", Hex(part)}).out);
    EXPECT_TRUE(
        RunWith({"--list", "--file", file.Path(), "--skip", "0x400", "--count", "100000000", "--org", "400"}).out ==
        RunWith({"--list", "--org", "400", "--raw"}, std::string(code.begin() + 0x400, code.end())).out);
    const RunResult pastTheEnd = RunWith({"--list", "--file", file.Path(), "--skip", std::to_string(code.size() + 5)});
    EXPECT_EQ(pastTheEnd.status, 0);
    EXPECT_EQ(pastTheEnd.out, "");

    const TempFile empty({});
    const RunResult nothing = RunWith({"--list", "--file", empty.Path()});
    EXPECT_EQ(nothing.status, 0);
    EXPECT_EQ(nothing.out + nothing.err, "");
}

TEST(CliListing, ErrorsAreSaidAndExitWithTwo) {
    struct Case {
        std::vector<std::string> words;
        std::string input;
        std::string out;  // what is listed before the error
        std::string err;
    };
    const std::string gap(kListingBytesWidth + 2, ' ');
    const Case cases[] = {
        {{"--list", "--file", "/nonexistent/code.bin"},
         "",
         "",
         "vexa-decode: cannot open '/nonexistent/code.bin': No such file or directory\n"},
        {{"--list", "--file", "/"}, "", "", "vexa-decode: cannot read '/': Is a directory\n"},
        {{"--list", "90", "0x9G"}, "", "", "vexa-decode: not a hex digit: 'G' in '0x9G'\n"},
        // The lines before a bad line are listed to their end, the bad line not at all.
        {{"--list", "--16"}, std::string(30, '9') + "\nc3 zz\n", std::string(), ""},
        {{"--org", "7C00", "90"},
         "",
         "",
         "vexa-decode: --raw, --file, --skip, --count and --org work only with --list\n"},
        {{"--list", "--org", "1234567890"}, "", "", "vexa-decode: bad value for --org: '1234567890'\n"},
        {{"--list", "--16", "--org", "17C00"}, "", "",
         "vexa-decode: --org 17C00h does not fit the 4-digit addresses of 16-bit code\n"},
        {{"--list", "--skip"}, "", "", "vexa-decode: --skip needs a value: --skip N\n"},
        {{"--list", "--file", "x", "90"},
         "",
         "",
         "vexa-decode: --file reads instructions from the file; unexpected argument '90'\n"},
    };
    for (const Case& c : cases) {
        const RunResult run = RunWith(c.words, c.input);
        EXPECT_EQ(run.status, kExitBadInput) << c.words[0];
        if (!c.input.empty()) {
            EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 15);  // cwd, not c3
            EXPECT_EQ(run.err, "vexa-decode: line 2: not a hex digit: 'z' in 'zz'; the listing stops here\n");
            continue;
        }
        EXPECT_EQ(run.out, c.out) << c.words[1];
        EXPECT_EQ(run.err, c.err) << c.words[1];
    }
}

TEST(CliListing, SingleDecodeNotesTheBytesLeftOver) {
    const RunResult run = RunWith({"55", "89", "e5"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "push\tebp\n55 \n");
    EXPECT_EQ(run.err,
              "vexa-decode: note: the instruction takes 1 of the 3 bytes given; 2 were not decoded "
              "(--list decodes them all)\n");
    EXPECT_EQ(RunWith({"66", "e9"}).err, "");  // fewer bytes than the instruction: nothing left over
}

}  // namespace
}  // namespace vexa::cli
