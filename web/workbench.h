#pragma once
// The workbench page's side of the composer: what the page calls when the user
// acts, by the dialog's control ids. The page calls these from JavaScript; the
// native replay tool calls them directly. Everything they do goes back to the
// page through page_controls.h.
#include <cstdint>

extern "C" {

// The composer as the dialog opens it: 16-bit, lower case, no prefixes, both
// editors one byte, the groups as the first refresh decides.
void vexa_start();

// A click on a button that the page has already pressed or released, as the
// dialog manager does for the automatic buttons: bit buttons, prefix and
// segment buttons, "32-bit Mode" and "U"/"L". Other ids do nothing.
void vexa_command(int id);

// A character typed into a byte editor. 1 when it was a digit the editor took
// (the editor repaints and the composer refreshes), 0 when it was refused.
int vexa_editor_char(int id, uint32_t character);
// A key pressed in a byte editor ("End", "Home", "ArrowLeft", "ArrowRight",
// the browser's names). 1 when the editor answers the key.
int vexa_editor_key(int id, const char* key);
// A click at x pixels from the editor's left edge places the caret.
void vexa_editor_click(int id, int x);
// The page's cell geometry in pixels: the width of one digit and the gap
// after each byte.
void vexa_editor_metrics(int charWidth, int byteGap);

// Loads an instruction given as hex pairs (blanks or '-' between them) into
// the composer's controls, as far as they can hold it: prefixes, code bytes,
// ModR/M, SIB and the two editors. `mode32` and `upperCase` set the mode and
// the case switch (1 or 0), or keep them (-1). Returns "" when every byte is
// held, else one line naming what was left out or why the text is not hex;
// a text that is not hex changes nothing.
const char* vexa_load(const char* hex, int mode32, int upperCase);

// The assemble box: assembles `text` in the present mode and loads the
// shortest encoding into the controls. Returns JSON: {"encodings":["89 D8",
// "8B C3"],"message":"..."} with every encoding shortest first (as vexa-asm
// --all lists them) and what vexa_load said of the first, or {"error":"..."}
// in the assembler's words, the controls left as they were.
const char* vexa_assemble(const char* text);

// The state as a link fragment: "32/66-89-40-12", "16u/90" (mode, 'u' for
// upper case, the bytes composed).
const char* vexa_fragment();

// The encoding of the instruction shown, from the decoder's layout, as JSON:
//   {"length":N, "invalid":"why" (only when INVALID),
//    "bytes":[{"at","hex","role","what","given","controls":[ids]}...],
//    "fields":[{"title","fields":[{"name","bits","range","meaning","controls"}]}...],
//    "sizes":"operand size 16-bit, address size 32-bit"}
// or {"note":"..."} when there is nothing to lay out. Roles are those of
// vexa-decode --explain; "controls" are the ids of the buttons and editors
// that hold the bytes or bits.
const char* vexa_breakdown();
}
