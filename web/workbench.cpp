// The workbench page over the composer: the one file of the page that knows
// the composer's and the decoder's headers. It keeps the composer state and the
// two editors' byte rows, answers the composer's view calls through the page's
// controls and turns the page's clicks and keys into the dialog's commands.
#include "web/workbench.h"

#include <array>
#include <cstring>
#include <string>

#include "composer/composer_view.h"
#include "composer/composition.h"
#include "composer/dialog/dialog_controls.h"
#include "composer/prefix_values.h"
#include "composer/refresh.h"
#include "composer/start_composer.h"
#include "composer/toggle_bit.h"
#include "decoder/decoder.h"
#include "hexedit/hex_edit_model.h"
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
        if (length > first) {
            note(HexList(given.window.data() + first, std::min(length, end) - first) +
                 ", which no control holds (read as 00)");
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

std::string Fragment() {
    uint8_t composed[kCompositionSize];
    const unsigned count = Compose(composed);
    std::string out = workbench.state.mode32 ? "32" : "16";
    if (workbench.state.upperCase) out += 'u';
    out += '/';
    std::string bytes = HexList(composed, count);
    for (char& c : bytes) {
        if (c == ' ') c = '-';
    }
    return out + bytes;
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
}
