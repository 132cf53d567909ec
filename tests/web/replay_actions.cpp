// vexa_replay: the workbench page's actions replayed through the native
// composer, for comparing with the page in the browser. Reads one action a
// line from standard input and prints, after the start and after every action,
// the state of the controls as one JSON line (the page test builds the same
// line from the page's elements):
//   click ID            a click on a button (ignored when it is disabled)
//   char ID CODE        a character typed into a byte editor
//   key ID NAME         a key pressed in a byte editor (ArrowLeft, Home, ...)
//   editorclick ID X    a click X pixels into a byte editor
//   metrics W GAP       the page's digit width and byte gap
//   assemble TEXT       the assemble box
//   load MODE UPPER HEX the bytes box or a link (MODE and UPPER 1, 0, or -1
//                       to keep them)
// The controls here behave as the dialog manager's: check boxes flip, a
// segment button releases the others, a disabled control takes nothing.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "resources/resource.h"
#include "web/page_controls.h"
#include "web/workbench.h"

namespace {

std::map<int, std::string> texts{{IDC_CASE, "U"}};
std::set<int> disabled;
std::set<int> pressed;
struct Editor {
    std::string bytes;
    uint32_t caret = 0;
};
std::map<int, Editor> editors;
std::string loadMessage;  // what the bytes box said last

constexpr int kSegmentButtons[] = {IDC_SEGMENT_CS, IDC_SEGMENT_DS, IDC_SEGMENT_ES, IDC_SEGMENT_FS,
                                   IDC_SEGMENT_GS, IDC_SEGMENT_SS, IDC_SEGMENT_NONE};
constexpr int kCheckBoxes[] = {IDC_MODE32, IDC_OPERAND_SIZE, IDC_ADDRESS_SIZE, IDC_REP, IDC_REPNE, IDC_LOCK};

bool IsSegmentButton(int id) { return std::ranges::find(kSegmentButtons, id) != std::end(kSegmentButtons); }
bool IsCheckBox(int id) { return std::ranges::find(kCheckBoxes, id) != std::end(kCheckBoxes); }

void Press(int id, bool on) {
    if (on && IsSegmentButton(id)) {
        for (int other : kSegmentButtons) pressed.erase(other);
    }
    if (on) pressed.insert(id);
    else pressed.erase(id);
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string IdList(const std::set<int>& ids) {
    std::string out = "[";
    for (const int id : ids) out += (out.size() > 1 ? "," : "") + std::to_string(id);
    return out + "]";
}

// Key order and spelling as the page test writes its snapshot.
void PrintState() {
    std::string captions;
    for (int id = IDC_OPCODE1_BITS; id < IDC_SIB_BITS + 8; ++id) captions += texts[id];
    std::string labels = "[";
    for (int id = IDC_LABEL_0; id <= IDC_LABEL_10; ++id) {
        if (id == 1063) continue;  // no control has this id
        labels += (labels.size() > 1 ? "," : "") + Quoted(texts[id]);
    }
    labels += "]";
    std::string editorList = "[";
    for (const int id : {IDC_DISPLACEMENT, IDC_IMMEDIATE}) {
        const Editor& e = editors[id];
        editorList += (editorList.size() > 1 ? "," : "") + std::string("{\"bytes\":") + Quoted(e.bytes) +
                      ",\"caret\":" + std::to_string(e.caret) + "}";
    }
    editorList += "]";
    std::cout << "{\"line\":" << Quoted(texts[IDC_INSTRUCTION_LINE]) << ",\"bytes\":" << Quoted(texts[IDC_BYTES_LINE])
              << ",\"captions\":" << Quoted(captions) << ",\"labels\":" << labels
              << ",\"case\":" << Quoted(texts[IDC_CASE]) << ",\"pressed\":" << IdList(pressed)
              << ",\"disabled\":" << IdList(disabled) << ",\"editors\":" << editorList
              << ",\"message\":" << Quoted(loadMessage) << "}\n";
}

void Act(const std::string& line) {
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    int id = 0;
    if (verb == "click" && in >> id) {
        if (disabled.count(id) != 0) return;
        if (IsCheckBox(id)) Press(id, pressed.count(id) == 0);
        else if (IsSegmentButton(id)) Press(id, true);
        vexa_command(id);
    } else if (verb == "char") {
        uint32_t code = 0;
        if (in >> id >> code && disabled.count(id) == 0) vexa_editor_char(id, code);
    } else if (verb == "key") {
        std::string name;
        if (in >> id >> name && disabled.count(id) == 0) vexa_editor_key(id, name.c_str());
    } else if (verb == "editorclick") {
        int x = 0;
        if (in >> id >> x && disabled.count(id) == 0) vexa_editor_click(id, x);
    } else if (verb == "metrics") {
        int width = 0, gap = 0;
        if (in >> width >> gap) vexa_editor_metrics(width, gap);
    } else if (verb == "assemble") {
        std::string text;
        std::getline(in >> std::ws, text);
        vexa_assemble(text.c_str());
    } else if (verb == "load") {
        int mode = -1, upper = -1;
        std::string hex;
        in >> mode >> upper;
        std::getline(in, hex);
        loadMessage = vexa_load(hex.c_str(), mode, upper);
    }
}

}  // namespace

extern "C" {
void page_set_text(int id, const char* text) { texts[id] = text; }
void page_set_enabled(int id, int enabled) {
    if (enabled) disabled.erase(id);
    else disabled.insert(id);
}
int page_is_pressed(int id) { return pressed.count(id) != 0 ? 1 : 0; }
void page_set_pressed(int id, int on) { Press(id, on != 0); }
void page_show_editor(int id, const char* bytes, uint32_t caret) { editors[id] = Editor{bytes, caret}; }
}

int main() {
    vexa_start();
    PrintState();
    for (std::string line; std::getline(std::cin, line);) {
        if (line.empty()) continue;
        Act(line);
        PrintState();
    }
    return 0;
}
