// The page's controls as the workbench binding calls them (page_controls.h):
// each call goes to the page's own functions in app.js, by control id.
mergeInto(LibraryManager.library, {
  page_set_text: function (id, text) {
    VexaPage.setText(id, UTF8ToString(text));
  },
  page_set_enabled: function (id, enabled) {
    VexaPage.setEnabled(id, enabled !== 0);
  },
  page_is_pressed: function (id) {
    return VexaPage.isPressed(id) ? 1 : 0;
  },
  page_set_pressed: function (id, pressed) {
    VexaPage.setPressed(id, pressed !== 0);
  },
  page_show_editor: function (id, bytes, caret) {
    VexaPage.showEditor(id, UTF8ToString(bytes), caret >>> 0);
  },
});
