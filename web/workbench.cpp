// The workbench page over the composer: the one file of the page that knows
// the composer's and the decoder's headers. It keeps the composer state and the
// two editors' byte rows, answers the composer's view calls through the page's
// controls and turns the page's clicks and keys into the dialog's commands.
#include "web/workbench.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assembler/assembler.h"
#include "composer/composer.h"
#include "composer/dialog/dialog_controls.h"
#include "decoder/decoder.h"
#include "decoder/encoding_layout.h"
#include "hexedit/hex_edit_model.h"
#include "tools/vexa_decode/decode_result.h"
#include "tools/vexa_decode/explanation.h"
#include "tools/vexa_decode/hex_input.h"
#include "web/page_controls.h"

namespace vexa {
namespace {

// The prefix buttons and the choice each stands for.
struct PrefixButton {
    int id;
    bool PrefixChoices::*choice;
};
constexpr std::array<PrefixButton, 11> kPrefixButtons{{
    {IDC_OPERAND_SIZE, &PrefixChoices::operandSize},
    {IDC_ADDRESS_SIZE, &PrefixChoices::addressSize},
    {IDC_SEGMENT_CS, &PrefixChoices::cs},
    {IDC_SEGMENT_DS, &PrefixChoices::ds},
    {IDC_SEGMENT_ES, &PrefixChoices::es},
    {IDC_SEGMENT_FS, &PrefixChoices::fs},
    {IDC_SEGMENT_GS, &PrefixChoices::gs},
    {IDC_SEGMENT_SS, &PrefixChoices::ss},
    {IDC_LOCK, &PrefixChoices::lock},
    {IDC_REPNE, &PrefixChoices::repne},
    {IDC_REP, &PrefixChoices::rep},
}};

constexpr std::array<int, 2> kEditorId{IDC_DISPLACEMENT, IDC_IMMEDIATE};  // by ByteEditor

class PageView : public ComposerView {
public:
    PrefixChoices ReadPrefixChoices() const override {
        PrefixChoices choices;
        for (const PrefixButton& button : kPrefixButtons) choices.*button.choice = page_is_pressed(button.id) != 0;
        return choices;
    }
    unsigned EditorSize(ByteEditor editor) const override { return Editor(editor).size(); }
    bool ReadEditorBytes(ByteEditor editor, uint8_t* destination) const override {
        const auto bytes = Editor(editor).bytes();
        std::memcpy(destination, bytes.data(), bytes.size());
        return true;
    }
    void ResizeEditor(ByteEditor editor, unsigned byteCount) override {
        if (Editor(editor).SetSize(byteCount)) ShowEditor(editor);
    }
    void EnableGroup(ComposerGroup group, bool enabled) override {
        for (const ControlRange& range : kGroupControls[static_cast<unsigned>(group)]) {
            for (int id = range.first; id <= range.last; ++id) page_set_enabled(id, enabled ? 1 : 0);
        }
    }
    void ShowDisplayLines(const char* instructionLine, const char* bytesLine) override {
        page_set_text(IDC_INSTRUCTION_LINE, instructionLine);
        page_set_text(IDC_BYTES_LINE, bytesLine);
    }
    void ShowFieldLabel(unsigned slot, const char* text) override {
        if (slot < kFieldLabelId.size()) page_set_text(kFieldLabelId[slot], text);
    }
    void ShowBitCaption(ComposerByte row, unsigned position, const char* caption) override {
        const unsigned rowIndex = static_cast<unsigned>(row);
        if (rowIndex >= kBitRowFirstId.size() || position >= kBitsPerRow) return;
        page_set_text(kBitRowFirstId[rowIndex] + static_cast<int>(position), caption);
    }

    HexEditModel& Editor(ByteEditor editor) { return editors_[static_cast<unsigned>(editor)]; }
    const HexEditModel& Editor(ByteEditor editor) const { return editors_[static_cast<unsigned>(editor)]; }

    void ShowEditor(ByteEditor editor) {
        const HexEditModel& model = Editor(editor);
        char bytes[3 * kEditorCapacity + 1] = "";
        char* out = bytes;
        for (const uint8_t byte : model.bytes().first(std::min<size_t>(model.size(), kEditorCapacity))) {
            constexpr char kDigits[] = "0123456789ABCDEF";
            if (out != bytes) *out++ = ' ';
            *out++ = kDigits[byte >> 4];
            *out++ = kDigits[byte & 0x0F];
        }
        *out = '\0';
        page_show_editor(kEditorId[static_cast<unsigned>(editor)], bytes, model.caret());
    }

    // Fresh editors, as the dialog's controls are when it opens.
    void ResetEditors(int32_t charWidth, int32_t byteGap) {
        for (HexEditModel& model : editors_) {
            model = HexEditModel();
            model.charWidth = charWidth;
            model.byteGap = byteGap;
        }
    }

private:
    std::array<HexEditModel, 2> editors_;
};

struct Workbench {
    ComposerState state;
    PageView view;
    int32_t charWidth = 12;  // until the page measures its cells
    int32_t byteGap = 6;
    std::string text;  // the last text handed to the page
};
Workbench workbench;

bool EditorOf(int id, ByteEditor* editor) {
    if (id == IDC_DISPLACEMENT) *editor = ByteEditor::Displacement;
    else if (id == IDC_IMMEDIATE) *editor = ByteEditor::Immediate;
    else return false;
    return true;
}

// An editor whose group is out of use is disabled and takes no input.
bool EditorTakesInput(int id, ByteEditor* editor) {
    if (!EditorOf(id, editor)) return false;
    const ComposerGroup group =
        *editor == ByteEditor::Displacement ? ComposerGroup::Displacement : ComposerGroup::Immediate;
    return GroupFlag(workbench.state, group);
}

bool IsPrefixButton(int id) {
    if (id == IDC_SEGMENT_NONE) return true;
    for (const PrefixButton& button : kPrefixButtons) {
        if (button.id == id) return true;
    }
    return false;
}

void ShowCase() { page_set_text(IDC_CASE, workbench.state.upperCase ? "L" : "U"); }

void Start() {
    workbench.view.ResetEditors(workbench.charWidth, workbench.byteGap);
    StartComposer(workbench.state, workbench.view);
    ShowCase();
    workbench.view.ShowEditor(ByteEditor::Displacement);
    workbench.view.ShowEditor(ByteEditor::Immediate);
}

// The composed bytes and their count. The composition reports no length, so
// it is written twice, over zeros and over FFh: it writes a run from the start
// and nothing else, so the run ends where the two buffers first differ.
unsigned Compose(uint8_t* bytes) {
    uint8_t overOnes[kCompositionSize];
    std::memset(bytes, 0, kCompositionSize);
    std::memset(overOnes, 0xFF, sizeof(overOnes));
    if (!ComposeBytes(workbench.state, workbench.view, bytes) ||
        !ComposeBytes(workbench.state, workbench.view, overOnes)) {
        return 0;
    }
    unsigned count = 0;
    while (count < kCompositionSize && bytes[count] == overOnes[count]) ++count;
    return count;
}

// The byte a prefix button adds, as the composition writes it.
uint8_t PrefixByteOf(const PrefixButton& button) {
    CompositionInputs inputs;
    inputs.prefixes.*button.choice = true;
    ComposerState bare;
    uint8_t buffer[kCompositionSize] = {};
    WriteComposition(bare, inputs, CompositionParts{}, buffer);
    return buffer[0];
}

void PressPrefixFor(uint8_t value) {
    for (const PrefixButton& button : kPrefixButtons) {
        if (PrefixByteOf(button) == value) page_set_pressed(button.id, 1);
    }
}

// Types `count` bytes into an editor from its first digit, as the user would.
void TypeBytes(ByteEditor editor, const uint8_t* bytes, unsigned count) {
    HexEditModel& model = workbench.view.Editor(editor);
    model.SetCaret(0);
    for (unsigned i = 0; i < count && i < model.size(); ++i) {
        constexpr char kDigits[] = "0123456789abcdef";
        model.TypeCharacter(static_cast<uint8_t>(kDigits[bytes[i] >> 4]));
        model.TypeCharacter(static_cast<uint8_t>(kDigits[bytes[i] & 0x0F]));
    }
    model.SetCaret(0);
    workbench.view.ShowEditor(editor);
}

std::string HexList(const uint8_t* bytes, unsigned count) {
    std::string out;
    for (unsigned i = 0; i < count; ++i) {
        constexpr char kDigits[] = "0123456789ABCDEF";
        if (i != 0) out += ' ';
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
    return out;
}

// What of `given` the composition does not hold, in words; "" when it holds
// all of it. `prefixCount` given bytes were taken as prefixes.
std::string Unheld(const cli::HexBytes& given, unsigned prefixCount) {
    uint8_t composed[kCompositionSize];
    const unsigned count = Compose(composed);
    unsigned composedPrefixes = 0;
    while (composedPrefixes + 1 < count && IsPrefixValue(composed[composedPrefixes])) ++composedPrefixes;

    std::string report;
    const auto note = [&report](const std::string& part) { report += (report.empty() ? "" : "; ") + part; };
    if (composedPrefixes != prefixCount || std::memcmp(composed, given.window.data(), prefixCount) != 0) {
        note("prefixes " + HexList(given.window.data(), prefixCount) + " held as " +
             (composedPrefixes == 0 ? std::string("none") : HexList(composed, composedPrefixes)) +
             " (one of each, in the order 66h, 67h, segment, F0h, F2h, F3h)");
    }
    // After the prefixes the composition follows the given bytes one for one.
    const unsigned rest = static_cast<unsigned>(given.count) - prefixCount;
    const unsigned heldRest = count - composedPrefixes;
    const uint8_t* givenRest = given.window.data() + prefixCount;
    const uint8_t* composedRest = composed + composedPrefixes;
    for (unsigned i = 0; i < rest && i < heldRest; ++i) {
        if (givenRest[i] != composedRest[i]) {
            note("byte " + HexList(givenRest + i, 1) + " at offset " + std::to_string(prefixCount + i) +
                 " held as " + HexList(composedRest + i, 1));
        }
    }
    if (rest > heldRest) {
        // Past what the controls hold: bytes the decoded instruction still
        // reads (enter's second immediate) or bytes after it.
        DecodedInstruction decodedGiven{};
        DecodeInstruction(given.window.data(), &decodedGiven, workbench.state.mode32);
        const unsigned first = prefixCount + heldRest;
        const unsigned end = static_cast<unsigned>(given.count);
        const unsigned length = std::max<unsigned>(InstructionLength(decodedGiven), first);
        const unsigned unheldEnd = std::min(length, end);
        const bool allZero = std::all_of(given.window.data() + first, given.window.data() + unheldEnd,
                                         [](uint8_t byte) { return byte == 0; });
        if (unheldEnd > first && !allZero) {  // zeros are what the zero fill reads anyway
            note(HexList(given.window.data() + first, unheldEnd - first) + ", which no control holds (read as 00)");
        }
        if (end > length) note(HexList(given.window.data() + length, end - length) + " after the instruction");
    }
    return report.empty() ? report : "Left out: " + report;
}

std::string Load(const char* hex, int mode32, int upperCase) {
    std::string text = hex == nullptr ? "" : hex;
    for (char& c : text) {
        if (c == '-' || c == ',') c = ' ';
    }
    cli::HexBytes given;
    cli::HexParseError error;
    if (!cli::ParseHexLine(text, given, error)) return cli::DescribeHexError(error);

    ComposerState& state = workbench.state;
    const bool is32 = mode32 < 0 ? state.mode32 : mode32 != 0;
    const bool upper = upperCase < 0 ? state.upperCase : upperCase != 0;
    for (const PrefixButton& button : kPrefixButtons) page_set_pressed(button.id, 0);
    page_set_pressed(IDC_SEGMENT_NONE, 0);
    page_set_pressed(IDC_MODE32, is32 ? 1 : 0);
    Start();
    state.mode32 = is32;
    state.upperCase = upper;
    ShowCase();

    // The bytes go to the controls in the order the composition writes them;
    // each refresh tells which control takes the next ones. A lone last byte
    // is the first code byte even when it is a prefix value.
    const uint8_t* b = given.window.data();
    const unsigned n = static_cast<unsigned>(given.count);
    unsigned i = 0;
    while (i + 1 < n && IsPrefixValue(b[i])) PressPrefixFor(b[i++]);
    const unsigned prefixCount = i;
    // The next byte for a control; 00 past the given ones, as the zero fill.
    const auto take = [&] {
        const uint8_t byte = i < n ? b[i] : 0;
        ++i;
        return byte;
    };
    state.opcode1 = take();
    Refresh(state, workbench.view);
    if (state.opcode2Used) {
        state.opcode2 = take();
        Refresh(state, workbench.view);
    }
    if (state.modrmUsed) {
        state.modrm = take();
        Refresh(state, workbench.view);
    }
    if (state.modrmUsed && state.sibUsed) {
        state.sib = take();
        Refresh(state, workbench.view);
    }
    for (const auto& [editor, group] : {std::pair{ByteEditor::Displacement, ComposerGroup::Displacement},
                                       std::pair{ByteEditor::Immediate, ComposerGroup::Immediate}}) {
        if (!GroupFlag(state, group)) continue;
        const unsigned size = workbench.view.EditorSize(editor);
        TypeBytes(editor, b + std::min(i, n), i < n ? std::min(size, n - i) : 0);
        i += size;
    }
    Refresh(state, workbench.view);
    return Unheld(given, prefixCount);
}

// The composed bytes up to the decoded instruction's end: an editor may hold
// more than the instruction reads (a sign-extended imm8's is sized to the
// operand), and those bytes would come back as bytes after it.
std::string Fragment() {
    uint8_t composed[kCompositionSize];
    unsigned count = Compose(composed);
    const DecodedInstruction& shown = workbench.state.decoded;
    if (!IsPrefixValue(workbench.state.opcode1) && !IsInvalid(shown)) {
        count = std::min(count, InstructionLength(shown));
    }
    std::string out = workbench.state.mode32 ? "32" : "16";
    if (workbench.state.upperCase) out += 'u';
    out += '/';
    std::string bytes = HexList(composed, count);
    for (char& c : bytes) {
        if (c == ' ') c = '-';
    }
    return out + bytes;
}

// ---- the breakdown: the encoding of what the composer shows, from the
// decoder's layout, as JSON for the page to draw ----

class Json {
public:
    Json& Bool(bool value) {
        Separate();
        out_ += value ? "true" : "false";
        return *this;
    }
    Json& Key(const char* key) {
        Separate();
        out_ += '"';
        out_ += key;
        out_ += "\":";
        fresh_ = true;
        return *this;
    }
    Json& String(const std::string& text) {
        Separate();
        out_ += '"';
        for (const char c : text) {
            if (c == '"' || c == '\\') out_ += '\\';
            if (c == '\t') {
                out_ += "\\t";
                continue;
            }
            if (static_cast<unsigned char>(c) < 0x20) continue;
            out_ += c;
        }
        out_ += '"';
        return *this;
    }
    Json& Number(unsigned value) {
        Separate();
        out_ += std::to_string(value);
        return *this;
    }
    Json& Open(char bracket) {
        Separate();
        out_ += bracket;
        fresh_ = true;
        return *this;
    }
    Json& Close(char bracket) {
        out_ += bracket;
        fresh_ = false;
        return *this;
    }
    const std::string& Text() const { return out_; }

private:
    void Separate() {
        if (!fresh_) out_ += ',';
        fresh_ = false;
    }
    std::string out_;
    bool fresh_ = true;
};

// Where the composition put each part, so that a byte of the layout can name
// the control that holds it.
struct ComposedParts {
    unsigned count = 0;     // composed bytes
    unsigned prefixes = 0;  // prefix bytes at the start
    unsigned opcode2At = 0, modrmAt = 0, sibAt = 0, dispAt = 0, immAt = 0;
    unsigned dispCount = 0, immCount = 0;
    bool opcode2 = false, modrm = false, sib = false;
};

ComposedParts PartsOf(unsigned count) {
    const ComposerState& state = workbench.state;
    ComposedParts parts;
    parts.count = count;
    parts.opcode2 = state.opcode2Used;
    parts.modrm = state.modrmUsed;
    parts.sib = state.modrmUsed && state.sibUsed;
    parts.dispCount = state.dispUsed ? workbench.view.EditorSize(ByteEditor::Displacement) : 0;
    parts.immCount = state.immUsed ? workbench.view.EditorSize(ByteEditor::Immediate) : 0;
    const unsigned afterPrefixes = 1 + parts.opcode2 + parts.modrm + parts.sib + parts.dispCount + parts.immCount;
    parts.prefixes = count >= afterPrefixes ? count - afterPrefixes : 0;
    parts.opcode2At = parts.prefixes + 1;
    parts.modrmAt = parts.opcode2At + parts.opcode2;
    parts.sibAt = parts.modrmAt + parts.modrm;
    parts.dispAt = parts.sibAt + parts.sib;
    parts.immAt = parts.dispAt + parts.dispCount;
    return parts;
}

void BitButtons(Json& json, int rowFirst, unsigned highBit, unsigned lowBit) {
    for (unsigned bit = highBit + 1; bit-- > lowBit;) json.Number(static_cast<unsigned>(rowFirst) + 7 - bit);
}

// The controls that hold the byte at `offset` of the composition.
void ControlsOf(Json& json, const ComposedParts& parts, const uint8_t* window, unsigned offset) {
    if (offset >= parts.count) return;  // read from the zero fill
    if (offset < parts.prefixes) {
        for (const PrefixButton& button : kPrefixButtons) {
            if (PrefixByteOf(button) == window[offset]) json.Number(static_cast<unsigned>(button.id));
        }
    } else if (offset == parts.prefixes) {
        BitButtons(json, IDC_OPCODE1_BITS, 7, 0);
    } else if (parts.opcode2 && offset == parts.opcode2At) {
        BitButtons(json, IDC_OPCODE2_BITS, 7, 0);
    } else if (parts.modrm && offset == parts.modrmAt) {
        BitButtons(json, IDC_MODRM_BITS, 7, 0);
    } else if (parts.sib && offset == parts.sibAt) {
        BitButtons(json, IDC_SIB_BITS, 7, 0);
    } else if (offset >= parts.dispAt && offset < parts.dispAt + parts.dispCount) {
        json.Number(IDC_DISPLACEMENT);
    } else if (offset >= parts.immAt && offset < parts.immAt + parts.immCount) {
        json.Number(IDC_IMMEDIATE);
    }
}

// The role of each data run, by DataMeaning, as vexa-decode --explain names it.
constexpr std::array<const char*, 8> kDataRoles{
    "immediate",     // None: not used
    "immediate",     // Immediate
    "immediate",     // SignExtendedImm8
    "displacement",  // Relative
    "displacement",  // MemoryOffset
    "immediate",     // Constant
    "immediate",     // PointerOffset
    "immediate",     // PointerSelector
};
static_assert(kDataRoles.size() == DataMeaning::PointerSelector + 1);

// The blank-separated words of one line of the explanation.
class Words {
public:
    explicit Words(const std::string& line) : line_(line) {}
    bool Indented() const { return line_.rfind("  ", 0) == 0; }
    std::string Peek() const {
        size_t at = line_.find_first_not_of(' ', at_);
        if (at == std::string::npos) return "";
        return line_.substr(at, line_.find(' ', at) == std::string::npos ? std::string::npos : line_.find(' ', at) - at);
    }
    std::string Next() {
        const std::string word = Peek();
        const size_t at = line_.find_first_not_of(' ', at_);
        at_ = at == std::string::npos ? line_.size() : at + word.size();
        return word;
    }
    std::string Rest() const {
        const size_t at = line_.find_first_not_of(' ', at_);
        return at == std::string::npos ? "" : line_.substr(at);
    }

private:
    const std::string& line_;
    size_t at_ = 0;
};

bool IsHexPair(const std::string& word) {
    return word.size() == 2 && std::isxdigit(static_cast<unsigned char>(word[0])) &&
           std::isxdigit(static_cast<unsigned char>(word[1]));
}

// What vexa-decode --explain says of the composed bytes, line by line: the
// breakdown's words are its words.
struct Explanation {
    std::vector<std::string> lines;

    // The description of the byte run at `offset` in the "bytes" list (or the
    // "read" list, for an INVALID result).
    std::string DescriptionAt(unsigned offset) const {
        const char* list = Starts("read (") ? "read (" : "bytes (";
        bool inList = false;
        for (const std::string& line : lines) {
            if (line.rfind(list, 0) == 0) {
                inList = true;
            } else if (inList) {
                // "  0-1   34 12        immediate     value 1234h"
                Words words(line);
                if (!words.Indented()) break;
                const std::string at = words.Next();
                if (std::strtoul(at.c_str(), nullptr, 10) != offset) continue;
                while (IsHexPair(words.Peek())) words.Next();
                words.Next();  // the role
                return words.Rest();
            }
        }
        return "";
    }
    bool Starts(const char* prefix) const {
        for (const std::string& line : lines) {
            if (line.rfind(prefix, 0) == 0) return true;
        }
        return false;
    }
    // The rest of the first line that starts with `prefix`.
    std::string After(const char* prefix) const {
        for (const std::string& line : lines) {
            if (line.rfind(prefix, 0) == 0) return line.substr(std::strlen(prefix));
        }
        return "";
    }
};

Explanation Explain(const uint8_t* window, unsigned count, bool mode32) {
    cli::HexBytes bytes;
    std::memcpy(bytes.window.data(), window, bytes.window.size());
    bytes.count = count;
    cli::DecodeResult result;
    cli::DecodeBytes(bytes, mode32, false, result);
    std::string text;
    cli::AppendExplanation(text, bytes, result, false);
    Explanation explanation;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        explanation.lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return explanation;
}

void ByteEntry(Json& json, const ComposedParts& parts, const uint8_t* window, const Explanation& explanation,
               ByteSpan span, const char* role) {
    if (span.count == 0) return;
    json.Open('{').Key("at").Number(span.offset).Key("hex").String(HexList(window + span.offset, span.count));
    json.Key("role").String(role).Key("what").String(explanation.DescriptionAt(span.offset));
    json.Key("given").Bool(span.offset + span.count <= parts.count);
    json.Key("controls").Open('[');
    for (unsigned i = 0; i < span.count; ++i) ControlsOf(json, parts, window, span.offset + i);
    json.Close(']').Close('}');
}

// The opcode, ModR/M and SIB sections of the explanation, each field over the
// bit buttons that hold it: "  mod   01    bits 7-6  memory, ...".
void FieldSections(Json& json, const Explanation& explanation) {
    bool open = false;
    int row = 0;
    for (const std::string& line : explanation.lines) {
        const bool opcode = line.rfind("opcode ", 0) == 0;
        const bool modrm = line.rfind("ModR/M ", 0) == 0;
        const bool sib = line.rfind("SIB ", 0) == 0;
        if (opcode || modrm || sib) {
            if (open) json.Close(']').Close('}');
            row = sib ? IDC_SIB_BITS
                  : modrm ? IDC_MODRM_BITS
                          : (line.find("second byte") != std::string::npos ? IDC_OPCODE2_BITS : IDC_OPCODE1_BITS);
            json.Open('{').Key("title").String(line).Key("fields").Open('[');
            open = true;
            continue;
        }
        if (!open) continue;
        Words words(line);
        const std::string name = words.Next();
        const std::string bits = words.Next();
        const std::string range = words.Next();
        const std::string span = words.Next();  // "7-6" or "0"
        unsigned high = 0, low = 0;
        const bool isField = words.Indented() && !bits.empty() && bits.find_first_not_of("01") == std::string::npos &&
                             (range == "bit" || range == "bits") && std::sscanf(span.c_str(), "%u", &high) == 1;
        if (!isField) {
            json.Close(']').Close('}');
            open = false;
            continue;
        }
        low = high;
        if (const size_t dash = span.find('-'); dash != std::string::npos) low = std::strtoul(span.c_str() + dash + 1, nullptr, 10);
        if (high > 7 || low > high) continue;
        json.Open('{').Key("name").String(name).Key("bits").String(bits);
        json.Key("range").String(range + " " + span).Key("meaning").String(words.Rest()).Key("controls").Open('[');
        BitButtons(json, row, high, low);
        json.Close(']').Close('}');
    }
    if (open) json.Close(']').Close('}');
}

std::string Breakdown() {
    const ComposerState& state = workbench.state;
    Json json;
    json.Open('{');
    if (IsPrefixValue(state.opcode1)) {
        json.Key("note").String(std::string("The first code byte holds a prefix: ") +
                                PrefixDescription(state.opcode1) + ". Prefixes go in with the buttons above.");
        return json.Close('}').Text();
    }
    uint8_t window[kCompositionSize];
    const unsigned count = Compose(window);
    DecodedInstruction record{};
    EncodingLayout layout{};
    if (count == 0 || !DecodeInstructionLayout(window, &record, &layout, state.mode32)) {
        json.Key("note").String("The decoder reported a failure: there is no breakdown.");
        return json.Close('}').Text();
    }
    const ComposedParts parts = PartsOf(count);
    const Explanation explanation = Explain(window, count, state.mode32);

    // The bytes where the decoder's layout puts them (for an INVALID result,
    // those it read), with the roles --explain gives them.
    json.Key("length").Number(layout.length);
    if (layout.invalidCause != InvalidCause::None) json.Key("invalid").String(explanation.After("invalid: "));
    json.Key("bytes").Open('[');
    for (unsigned i = 0; i < layout.prefixCount; ++i) {
        ByteEntry(json, parts, window, explanation, ByteSpan{static_cast<uint8_t>(i), 1}, "prefix");
    }
    if (layout.opcode.count != 0) {
        ByteEntry(json, parts, window, explanation, ByteSpan{layout.opcode.offset, 1}, "opcode");
        if (layout.opcode.count == 2) {
            ByteEntry(json, parts, window, explanation, ByteSpan{static_cast<uint8_t>(layout.opcode.offset + 1), 1},
                      "opcode");
        }
    }
    ByteEntry(json, parts, window, explanation, layout.modRM, "ModR/M");
    ByteEntry(json, parts, window, explanation, layout.sib, "SIB");
    ByteEntry(json, parts, window, explanation, layout.displacement, "displacement");
    for (unsigned i = 0; i < layout.dataCount && i < 2; ++i) {
        const uint8_t meaning = layout.dataMeaning[i] < kDataRoles.size() ? layout.dataMeaning[i] : 0;
        ByteEntry(json, parts, window, explanation, layout.data[i], kDataRoles[meaning]);
    }
    json.Close(']');
    json.Key("fields").Open('[');
    FieldSections(json, explanation);
    json.Close(']');
    json.Key("sizes").String(explanation.After("operand size: ").empty()
                                 ? std::string()
                                 : "operand size " + explanation.After("operand size: ") + "; address size " +
                                       explanation.After("address size: "));
    return json.Close('}').Text();
}

// The assemble box: the text's encodings, shortest first, the first loaded
// into the controls, as JSON {"encodings":[...],"message":...} or
// {"error":...} in the assembler's words.
std::string Assemble(const char* text) {
    Json json;
    json.Open('{');
    AssembledBytes encodings[kMaxListedEncodings];
    unsigned count = 0;
    AssembleError error{};
    if (text == nullptr ||
        !ListEncodings(text, workbench.state.mode32, encodings, kMaxListedEncodings, &count, &error) || count == 0) {
        json.Key("error").String(text == nullptr ? "no text" : error.message);
        return json.Close('}').Text();
    }
    json.Key("encodings").Open('[');
    for (unsigned i = 0; i < count; ++i) json.String(HexList(encodings[i].bytes, encodings[i].length));
    json.Close(']');
    json.Key("message").String(Load(HexList(encodings[0].bytes, encodings[0].length).c_str(), -1, -1));
    return json.Close('}').Text();
}

}  // namespace
}  // namespace vexa

using vexa::workbench;

extern "C" {

void vexa_start() {
    workbench.state = vexa::ComposerState{};
    vexa::Start();
}

void vexa_command(int id) {
    vexa::ComposerState& state = workbench.state;
    if (id >= vexa::kFirstBitButtonId && id <= vexa::kLastBitButtonId) {
        const unsigned index = static_cast<unsigned>(id - vexa::kFirstBitButtonId);
        vexa::ToggleBit(state, static_cast<vexa::ComposerByte>(index / vexa::kBitsPerRow),
                        index % vexa::kBitsPerRow);
    } else if (id == IDC_MODE32) {
        state.mode32 = page_is_pressed(IDC_MODE32) != 0;
    } else if (id == IDC_CASE) {
        state.upperCase = !state.upperCase;
        vexa::ShowCase();  // the button names the case it switches to
    } else if (!vexa::IsPrefixButton(id)) {
        return;
    }
    vexa::Refresh(state, workbench.view);
}

int vexa_editor_char(int id, uint32_t character) {
    vexa::ByteEditor editor;
    if (!vexa::EditorTakesInput(id, &editor)) return 0;
    if (!workbench.view.Editor(editor).TypeCharacter(character)) return 0;
    workbench.view.ShowEditor(editor);
    vexa::Refresh(workbench.state, workbench.view);
    return 1;
}

int vexa_editor_key(int id, const char* key) {
    struct Key {
        const char* name;
        vexa::HexEditKey key;
    };
    static constexpr Key kKeys[] = {{"End", vexa::HexEditKey::End},
                                    {"Home", vexa::HexEditKey::Home},
                                    {"ArrowLeft", vexa::HexEditKey::Left},
                                    {"ArrowRight", vexa::HexEditKey::Right}};
    vexa::ByteEditor editor;
    if (key == nullptr || !vexa::EditorTakesInput(id, &editor)) return 0;
    for (const Key& k : kKeys) {
        if (std::strcmp(k.name, key) != 0) continue;
        workbench.view.Editor(editor).PressKey(k.key);
        workbench.view.ShowEditor(editor);
        return 1;
    }
    return 0;
}

void vexa_editor_click(int id, int x) {
    vexa::ByteEditor editor;
    if (!vexa::EditorTakesInput(id, &editor)) return;
    vexa::HexEditModel& model = workbench.view.Editor(editor);
    model.SetCaret(int64_t{model.HitTest(x)} + 2 * int64_t{model.firstVisible()});
    workbench.view.ShowEditor(editor);
}

void vexa_editor_metrics(int charWidth, int byteGap) {
    workbench.charWidth = charWidth;
    workbench.byteGap = byteGap;
    for (auto editor : {vexa::ByteEditor::Displacement, vexa::ByteEditor::Immediate}) {
        workbench.view.Editor(editor).charWidth = charWidth;
        workbench.view.Editor(editor).byteGap = byteGap;
    }
}

const char* vexa_load(const char* hex, int mode32, int upperCase) {
    workbench.text = vexa::Load(hex, mode32, upperCase);
    return workbench.text.c_str();
}

const char* vexa_fragment() {
    workbench.text = vexa::Fragment();
    return workbench.text.c_str();
}

const char* vexa_assemble(const char* text) {
    workbench.text = vexa::Assemble(text);
    return workbench.text.c_str();
}

const char* vexa_breakdown() {
    workbench.text = vexa::Breakdown();
    return workbench.text.c_str();
}
}
