// The workbench page over the composer: the one file of the page that knows
// the composer's and the decoder's headers. It keeps the composer state and the
// two editors' byte rows, answers the composer's view calls through the page's
// controls and turns the page's clicks and keys into the dialog's commands.
#include "web/workbench.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "assembler/assembler.h"
#include "composer/composer.h"
#include "composer/dialog/dialog_controls.h"
#include "decoder/decoder.h"
#include "decoder/encoding_layout.h"
#include "decoder/mnemonic_list.h"
#include "hexedit/hex_edit_model.h"
#include "tools/vexa_decode/byte_layout.h"
#include "tools/vexa_decode/class_forms.h"
#include "tools/vexa_decode/hex_input.h"
#include "tools/vexa_decode/modrm_fields.h"
#include "tools/vexa_decode/opcode_fields.h"
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

std::string Binary(unsigned value, unsigned width) {
    std::string text;
    for (unsigned bit = width; bit-- > 0;) text += (value >> bit) & 1 ? '1' : '0';
    return text;
}

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

// The role names of vexa-decode --explain.
struct DataRole {
    const char* role;
    const char* what;
};
constexpr std::array<DataRole, 8> kDataRoles{{
    {"immediate", ""},  // DataMeaning::None: not used
    {"immediate", "value"},
    {"immediate", "imm8, sign-extended"},
    {"displacement", "branch displacement"},
    {"displacement", "memory offset"},
    {"immediate", "16-bit constant"},
    {"immediate", "far pointer offset"},
    {"immediate", "far pointer selector"},
}};
static_assert(kDataRoles.size() == DataMeaning::PointerSelector + 1);

constexpr std::array<const char*, 11> kInvalidCauses{
    "",
    "a fifteenth prefix byte",
    "longer than 15 bytes",
    "no instruction has this opcode",
    "the opcode does not define this reg field",
    "there is no such control register",
    "a register where only memory is allowed",
    "memory where only a register is allowed",
    "these x87 escape bytes name no instruction",
    "this MMX opcode names no instruction",
    "F3 0F xx outside the scalar single-precision forms",
};
static_assert(kInvalidCauses.size() == InvalidCause::SseForm + 1);

void ByteEntry(Json& json, const ComposedParts& parts, const uint8_t* window, ByteSpan span, const char* role,
               const std::string& what) {
    if (span.count == 0) return;
    json.Open('{').Key("at").Number(span.offset).Key("hex").String(HexList(window + span.offset, span.count));
    json.Key("role").String(role).Key("what").String(what).Key("given").Bool(span.offset + span.count <= parts.count);
    json.Key("controls").Open('[');
    for (unsigned i = 0; i < span.count; ++i) ControlsOf(json, parts, window, span.offset + i);
    json.Close(']').Close('}');
}

void FieldEntry(Json& json, const std::string& name, const std::string& bits, const std::string& range,
                const std::string& meaning, int rowFirst, unsigned highBit, unsigned lowBit) {
    json.Open('{').Key("name").String(name).Key("bits").String(bits).Key("range").String(range);
    json.Key("meaning").String(meaning).Key("controls").Open('[');
    BitButtons(json, rowFirst, highBit, lowBit);
    json.Close(']').Close('}');
}

void ByteFieldsEntry(Json& json, const char* title, uint8_t byte, const cli::ByteFields& fields, int rowFirst) {
    json.Open('{').Key("title").String(std::string(title) + " " + HexList(&byte, 1) + " = " + Binary(byte >> 6, 2) +
                                       " " + Binary((byte >> 3) & 7, 3) + " " + Binary(byte & 7, 3));
    json.Key("fields").Open('[');
    constexpr unsigned kHigh[] = {7, 5, 2}, kLow[] = {6, 3, 0};
    for (unsigned i = 0; i < fields.size(); ++i) {
        FieldEntry(json, fields[i].name, fields[i].bits, fields[i].range, fields[i].meaning, rowFirst, kHigh[i],
                   kLow[i]);
    }
    json.Close(']').Close('}');
}

std::string OpcodeWhat(const DecodedInstruction& record, bool secondByte) {
    const char* form = secondByte ? cli::TwoByteClassForm(record.subClass) : cli::OneByteClassForm(record.opcodeClass);
    std::string what = IsInvalid(record) ? "INVALID" : MnemonicText(record.mnemonic);
    what += ", class " + std::to_string(secondByte ? record.subClass : record.opcodeClass);
    if (form != nullptr && *form != '\0') what += std::string(": ") + form;
    return what;
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
    const bool secondByte = layout.opcode.count == 2;

    json.Key("length").Number(layout.length);
    if (layout.invalidCause != InvalidCause::None) {
        json.Key("invalid").String(kInvalidCauses[layout.invalidCause < kInvalidCauses.size() ? layout.invalidCause : 0]);
    }
    json.Key("bytes").Open('[');
    for (unsigned i = 0; i < layout.prefixCount; ++i) {
        const char* description = PrefixDescription(window[i]);
        ByteEntry(json, parts, window, ByteSpan{static_cast<uint8_t>(i), 1}, "prefix",
                  description != nullptr ? description : "prefix");
    }
    if (layout.opcode.count != 0) {
        ByteEntry(json, parts, window, ByteSpan{layout.opcode.offset, 1}, "opcode",
                  secondByte ? "two-byte escape, class 24" : OpcodeWhat(record, false));
        if (secondByte) {
            ByteEntry(json, parts, window, ByteSpan{static_cast<uint8_t>(layout.opcode.offset + 1), 1}, "opcode",
                      OpcodeWhat(record, true));
        }
    }
    const auto fieldsText = [&](const ByteSpan& span, const char* a, const char* b, const char* c) {
        if (span.count == 0) return std::string();
        const uint8_t byte = window[span.offset];
        return std::string(a) + " " + Binary(byte >> 6, 2) + ", " + b + " " + Binary((byte >> 3) & 7, 3) + ", " + c +
               " " + Binary(byte & 7, 3);
    };
    ByteEntry(json, parts, window, layout.modRM, "ModR/M", fieldsText(layout.modRM, "mod", "reg", "r/m"));
    ByteEntry(json, parts, window, layout.sib, "SIB", fieldsText(layout.sib, "scale", "index", "base"));
    // A run's value, lowest byte first: "1234h".
    const auto value = [&](const ByteSpan& span) {
        std::string digits;
        for (unsigned i = span.count; i-- > 0;) digits += HexList(window + span.offset + i, 1);
        return " " + digits + "h";
    };
    ByteEntry(json, parts, window, layout.displacement, "displacement",
              "memory displacement" + value(layout.displacement));
    for (unsigned i = 0; i < layout.dataCount && i < 2; ++i) {
        const uint8_t meaning = layout.dataMeaning[i] < kDataRoles.size() ? layout.dataMeaning[i] : 0;
        ByteEntry(json, parts, window, layout.data[i], kDataRoles[meaning].role,
                  kDataRoles[meaning].what + value(layout.data[i]));
    }
    json.Close(']');

    // The bit fields, as --explain gives them, over the bit buttons that hold them.
    json.Key("fields").Open('[');
    const cli::DecodedWindow decoded{window, count, state.mode32, &record};
    const bool tooLong =
        layout.invalidCause == InvalidCause::TooManyPrefixes || layout.invalidCause == InvalidCause::TooLong;
    if (layout.opcode.count != 0 && !tooLong) {
        const uint8_t* opcode = window + layout.opcode.offset;
        const cli::OpcodeFields fields = cli::FieldsOfOpcode(record, opcode);
        const int row = fields.secondByte ? IDC_OPCODE2_BITS : IDC_OPCODE1_BITS;
        std::string title = "opcode " + std::string(fields.secondByte ? "0F, second byte " : "") +
                            HexList(&fields.byte, 1) + " = " + Binary(fields.byte, 8);
        if (fields.count > 0) title += " = " + fields.pattern;
        json.Open('{').Key("title").String(title).Key("fields").Open('[');
        const bool operand32 = ComputeEffectiveSizes(state.mode32, record.prefixFlags).operand32;
        for (unsigned i = 0; i < fields.count && i < fields.fields.size(); ++i) {
            const cli::OpcodeField& field = fields.fields[i];
            const std::string range = field.highBit == field.lowBit
                                          ? "bit " + std::to_string(field.highBit)
                                          : "bits " + std::to_string(field.highBit) + "-" + std::to_string(field.lowBit);
            FieldEntry(json, field.name, Binary(field.value, field.highBit - field.lowBit + 1u), range,
                       cli::FieldMeaning(field, record, opcode, operand32), row, field.highBit, field.lowBit);
        }
        json.Close(']').Close('}');
    }
    if (layout.modRM.count != 0 && !tooLong) {
        ByteFieldsEntry(json, "ModR/M", window[layout.modRM.offset], cli::ModRMFields(decoded, layout.modRM.offset),
                        IDC_MODRM_BITS);
        if (layout.sib.count != 0) {
            ByteFieldsEntry(json, "SIB", window[layout.sib.offset], cli::SibFields(decoded, layout.modRM.offset),
                            IDC_SIB_BITS);
        }
    }
    json.Close(']');
    const EffectiveSizes sizes = ComputeEffectiveSizes(state.mode32, record.prefixFlags);
    json.Key("sizes").String(std::string("operand size ") + (sizes.operand32 ? "32" : "16") + "-bit, address size " +
                             (sizes.address32 ? "32" : "16") + "-bit");
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
