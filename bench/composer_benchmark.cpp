// The workbench's own cost: one composer Refresh() (group pass and display pass)
// after a user action, on an in-memory view that only stores what it is shown.
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>

#include "composer/composer_view.h"
#include "composer/refresh.h"
#include "composer/start_composer.h"

namespace vexa::bench {
namespace {

// A view without windows and without allocation: editors are fixed byte rows,
// shown texts are copied into fixed buffers.
class BenchView : public ComposerView {
public:
    static constexpr unsigned kEditorBytes = 6;

    PrefixChoices prefixes;

    PrefixChoices ReadPrefixChoices() const override { return prefixes; }
    unsigned EditorSize(ByteEditor editor) const override { return editors_[Index(editor)].count; }
    bool ReadEditorBytes(ByteEditor editor, uint8_t* destination) const override {
        const Editor& e = editors_[Index(editor)];
        std::memcpy(destination, e.bytes.data(), e.count);
        return true;
    }
    void ResizeEditor(ByteEditor editor, unsigned byteCount) override {
        Editor& e = editors_[Index(editor)];
        if (byteCount == 0 || byteCount > kEditorBytes || byteCount == e.count) return;
        for (unsigned i = e.count; i < byteCount; ++i) e.bytes[i] = 0;
        e.count = byteCount;
    }
    void EnableGroup(ComposerGroup group, bool enabled) override { enabled_[static_cast<unsigned>(group)] = enabled; }
    void ShowDisplayLines(const char* instructionLine, const char* bytesLine) override {
        std::strncpy(instructionLine_.data(), instructionLine, instructionLine_.size() - 1);
        std::strncpy(bytesLine_.data(), bytesLine, bytesLine_.size() - 1);
    }
    void ShowFieldLabel(unsigned slot, const char* text) override { labels_[slot % labels_.size()] = text; }
    void ShowBitCaption(ComposerByte row, unsigned position, const char* caption) override {
        captions_[static_cast<unsigned>(row) * 8 + position % 8] = caption;
    }

    // Bytes as if typed into an editor.
    void Fill(ByteEditor editor, std::initializer_list<uint8_t> bytes) {
        Editor& e = editors_[Index(editor)];
        unsigned i = 0;
        for (uint8_t b : bytes) {
            if (i < e.count) e.bytes[i++] = b;
        }
    }
    const char* InstructionLine() const { return instructionLine_.data(); }

private:
    struct Editor {
        std::array<uint8_t, kEditorBytes> bytes{};
        unsigned count = 1;
    };
    static unsigned Index(ByteEditor editor) { return static_cast<unsigned>(editor); }

    std::array<Editor, 2> editors_{};
    std::array<bool, kComposerGroupCount> enabled_{};
    std::array<char, 256> instructionLine_{};
    std::array<char, 256> bytesLine_{};
    std::array<const char*, 11> labels_{};
    std::array<const char*, 8 * kComposerByteCount> captions_{};
};

// Workbench states a user clicks through; each refresh sees one of them.
struct Setup {
    bool mode32;
    uint8_t opcode1, opcode2, modrm, sib;
    bool lock, rep;
};
constexpr Setup kSetups[] = {
    {true, 0x89, 0x00, 0x84, 0xB3, false, false},  // mov [ebx+esi*4+disp32], eax
    {true, 0x81, 0x00, 0x40, 0x00, true, false},   // lock add dword ptr [eax+disp8], imm32
    {true, 0x0F, 0x85, 0x00, 0x00, false, false},  // jne rel32
    {false, 0x89, 0x00, 0x40, 0x00, false, false}, // mov word ptr [bx+si+disp8], ax
    {true, 0xDD, 0x00, 0x05, 0x00, false, false},  // fld qword ptr [disp32]
    {true, 0x0F, 0xFE, 0xC1, 0x00, false, false},  // paddd mm0, mm1
    {true, 0xA5, 0x00, 0x00, 0x00, false, true},   // rep movsd
    {true, 0xF3, 0x00, 0x00, 0x00, false, false},  // a prefix value: its description
};

void ComposerRefresh(benchmark::State& state) {
    ComposerState composer;
    BenchView view;
    StartComposer(composer, view);
    view.Fill(ByteEditor::Displacement, {0x78, 0x56, 0x34, 0x12});
    view.Fill(ByteEditor::Immediate, {0x44, 0x33, 0x22, 0x11});
    size_t next = 0;
    for (auto _ : state) {
        const Setup& setup = kSetups[next];
        next = (next + 1) % std::size(kSetups);
        composer.mode32 = setup.mode32;
        composer.opcode1 = setup.opcode1;
        composer.opcode2 = setup.opcode2;
        composer.modrm = setup.modrm;
        composer.sib = setup.sib;
        view.prefixes.lock = setup.lock;
        view.prefixes.rep = setup.rep;
        Refresh(composer, view);
        benchmark::DoNotOptimize(view.InstructionLine()[0]);
    }
}

}  // namespace

// One iteration is one Refresh(); speedups.py reads its time as "refresh ns".
BENCHMARK(ComposerRefresh);

}  // namespace vexa::bench
