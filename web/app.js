// The workbench page: the controls of the dialog as page elements, keyed by
// their control ids, and the events that reach the composer. Every rule of the
// composer, the decoder and the byte editors runs in the WebAssembly module;
// this file only draws what it is told and passes on what the user does, as
// the Win32 controls and the dialog manager do for the dialog.
'use strict';

(function () {
  const controls = new Map();
  for (const element of document.querySelectorAll('[data-control-id]')) {
    controls.set(Number(element.dataset.controlId), element);
  }
  const workbench = document.querySelector('.workbench');
  const buttons = Array.from(workbench.querySelectorAll('button'));
  const bytesForm = document.querySelector('.bytes-box');
  const bytesInput = document.querySelector('[data-role="bytes-input"]');
  const bytesMessage = document.getElementById('bytes-message');
  const assembleForm = document.querySelector('.assemble-box');
  const assembleInput = document.querySelector('[data-role="assemble"]');
  const assembleMessage = document.getElementById('assemble-message');
  const encodingList = assembleForm.querySelector('.encodings');
  const breakdown = document.querySelector('[data-role="breakdown"] .breakdown-body');

  const isRadio = (element) => element.closest('.segments') !== null;
  const isToggle = (element) => element.hasAttribute('aria-pressed');
  const isEditor = (element) => element.classList.contains('hexedit');
  const isFormControl = (element) => element instanceof HTMLButtonElement || element instanceof HTMLFieldSetElement;

  // Times from an event to the page updated, in milliseconds.
  const timings = [];
  const phases = [];
  window.vexaTimings = timings;
  window.vexaTimingPhases = phases;

  let vexa = null;  // the WebAssembly module

  // What the binding calls (page_controls.js).
  window.VexaPage = {
    setText(id, text) {
      const element = controls.get(id);
      if (!element || element.textContent === text) return;
      element.textContent = text;
      if (element.classList.contains('bit')) element.classList.toggle('one', text === '1');
    },
    setEnabled(id, enabled) {
      const element = controls.get(id);
      if (!element) return;
      if (isFormControl(element)) {
        if (element.disabled === enabled) element.disabled = !enabled;
      } else if (enabled) {
        element.removeAttribute('aria-disabled');
      } else {
        element.setAttribute('aria-disabled', 'true');
      }
      if (isEditor(element)) {
        element.tabIndex = enabled ? 0 : -1;
        if (!enabled && document.activeElement === element) element.blur();
      }
    },
    isPressed(id) {
      const element = controls.get(id);
      return element !== undefined && element.getAttribute('aria-pressed') === 'true';
    },
    setPressed(id, pressed) {
      const element = controls.get(id);
      if (!element) return;
      if (pressed && isRadio(element)) {
        for (const other of element.parentElement.querySelectorAll('[aria-pressed]')) {
          other.setAttribute('aria-pressed', 'false');
        }
      }
      element.setAttribute('aria-pressed', pressed ? 'true' : 'false');
    },
    showEditor(id, bytes, caret) {
      const element = controls.get(id);
      if (!element) return;
      element.dataset.bytes = bytes;
      element.dataset.caret = String(caret);
      const cells = [];
      bytes.split(' ').forEach((pair, index) => {
        const parity = index % 2 === 0 ? 'even' : 'odd';
        for (let half = 0; half < 2; ++half) {
          const nibble = 2 * index + half;
          const classes = ['digit', parity, half === 0 ? 'high' : 'low'];
          if (nibble === caret) classes.push('caret');
          cells.push(`<span class="${classes.join(' ')}">${pair[half]}</span>`);
        }
      });
      element.innerHTML = cells.join('');
    },
  };

  // The editors' cell geometry comes from the style sheet: a digit's width
  // and the gap after a byte, measured on a two-byte row.
  function measureEditorCells() {
    const probe = document.createElement('div');
    probe.className = 'hexedit';
    probe.style.position = 'absolute';
    probe.style.visibility = 'hidden';
    document.body.appendChild(probe);
    probe.innerHTML = '<span class="digit even high">0</span><span class="digit even low">0</span>' +
      '<span class="digit odd high">0</span>';
    const [first, , third] = probe.querySelectorAll('.digit');
    const width = Math.round(first.getBoundingClientRect().width);
    const stride = Math.round(third.getBoundingClientRect().left - first.getBoundingClientRect().left);
    probe.remove();
    vexa._vexa_editor_metrics(width, stride - 2 * width);
    for (const id of [1053, 1054]) {
      controls.get(id).dataset.cellWidth = String(width);
      controls.get(id).dataset.byteGap = String(stride - 2 * width);
    }
  }

  function fragment() {
    return vexa.UTF8ToString(vexa._vexa_fragment());
  }

  function load(hex, mode32, upperCase) {
    return vexa.ccall('vexa_load', 'string', ['string', 'number', 'number'], [hex, mode32, upperCase]);
  }

  const escape = (text) => text.replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);
  const roleClass = (role) => 'role-' + role.toLowerCase().replace(/[^a-z]/g, '');

  // Brings `live` to the markup of `fresh` in place: changed text and
  // attributes are set, nodes are made only where the structure differs. A
  // click changes a byte or two of the encoding, and laying out fresh nodes is
  // what costs.
  function morph(live, fresh) {
    if (live.nodeType === Node.TEXT_NODE) {
      if (live.nodeValue !== fresh.nodeValue) live.nodeValue = fresh.nodeValue;
      return;
    }
    for (const { name, value } of fresh.attributes) {
      if (live.getAttribute(name) !== value) live.setAttribute(name, value);
    }
    for (const { name } of Array.from(live.attributes)) {
      if (!fresh.hasAttribute(name)) live.removeAttribute(name);
    }
    const liveChildren = live.childNodes;
    const freshChildren = fresh.childNodes;
    for (let i = 0; i < freshChildren.length; ++i) {
      const old = liveChildren[i];
      const next = freshChildren[i];
      if (!old) live.appendChild(next.cloneNode(true));
      else if (old.nodeName !== next.nodeName) live.replaceChild(next.cloneNode(true), old);
      else morph(old, next);
    }
    while (liveChildren.length > freshChildren.length) live.lastChild.remove();
  }

  // The encoding as the binding lays it out: the bytes in their role colours,
  // then the bit fields; each names the controls that hold it. It is drawn as
  // a flat list of lines, and only the lines whose markup changed are touched.
  let shownBreakdown = '';
  const shownLines = [];
  const staging = document.createElement('template');
  function showBreakdown() {
    const json = vexa.UTF8ToString(vexa._vexa_breakdown());
    if (json === shownBreakdown) return;
    shownBreakdown = json;
    const encoding = JSON.parse(json);
    const bytes = encoding.bytes || [];
    const targets = (controls) => escape(controls.join(' '));
    const lines = [];
    if (encoding.note) lines.push(`<p class="note">${escape(encoding.note)}</p>`);
    if (bytes.length) {
      lines.push('<div class="chips" aria-label="bytes by role">' + bytes.map((b) =>
        `<span class="chip ${roleClass(b.role)}${b.given ? '' : ' zero-fill'}" data-highlight="${targets(b.controls)}" ` +
        `title="${escape(b.role)}: ${escape(b.what)}">${escape(b.hex)}</span>`).join('') + '</div>');
    }
    if (encoding.invalid) lines.push(`<p class="invalid">INVALID: ${escape(encoding.invalid)}</p>`);
    if (bytes.length) lines.push(`<div class="caption">bytes (${encoding.length})</div>`);
    for (const b of bytes) {
      lines.push(`<div class="row bytes-row" data-highlight="${targets(b.controls)}">` +
        `<span class="at">${b.at}</span><span class="hex">${escape(b.hex)}</span>` +
        `<span class="role ${roleClass(b.role)}">${escape(b.role)}</span>` +
        `<span class="what">${escape(b.what)}</span></div>`);
    }
    for (const f of encoding.fields || []) {
      lines.push(`<h3>${escape(f.title)}</h3>`);
      for (const x of f.fields) {
        lines.push(`<div class="row field-row" data-highlight="${targets(x.controls)}">` +
          `<span class="name">${escape(x.name)}</span><span class="hex">${escape(x.bits)}</span>` +
          `<span class="range">${escape(x.range)}</span><span class="what">${escape(x.meaning)}</span></div>`);
      }
    }
    if (encoding.sizes) lines.push(`<p class="sizes">${escape(encoding.sizes)}</p>`);

    for (let i = 0; i < lines.length; ++i) {
      if (shownLines[i] === lines[i]) continue;
      shownLines[i] = lines[i];
      staging.innerHTML = lines[i];
      const fresh = staging.content.firstChild;
      const old = breakdown.children[i];
      if (!old) breakdown.appendChild(fresh);
      else if (old.nodeName === fresh.nodeName) morph(old, fresh);
      else breakdown.replaceChild(fresh, old);
    }
    while (breakdown.children.length > lines.length) breakdown.lastElementChild.remove();
    shownLines.length = lines.length;
  }

  // Hovering a byte or a field of the breakdown marks the controls that hold it.
  let highlighted = [];
  function highlight(event) {
    for (const element of highlighted) element.classList.remove('highlight');
    const source = event.target.closest ? event.target.closest('[data-highlight]') : null;
    highlighted = source && event.type !== 'mouseleave'
      ? source.dataset.highlight.split(' ').filter(Boolean).map((id) => controls.get(Number(id))).filter(Boolean)
      : [];
    for (const element of highlighted) element.classList.add('highlight');
  }

  // The link follows the composer one step behind the page: a history entry
  // costs the browser more than the whole update, so it is written after the
  // event, once for changes that come in one burst.
  let linkPending = false;
  function updateLink() {
    linkPending = false;
    const hash = '#' + fragment();
    if (location.hash !== hash) history.pushState(null, '', hash);
  }

  // After every change: the encoding and the link follow the composer.
  // Each change's time, in milliseconds: the whole (event to page laid out)
  // and its parts, the composer's refresh, the encoding and the layout.
  function changed(started) {
    const refreshed = performance.now();
    showBreakdown();
    if (!linkPending) {
      linkPending = true;
      setTimeout(updateLink, 0);
    }
    const encoded = performance.now();
    void controls.get(1000).offsetWidth;  // lay the page out: the update is done when it can be shown
    const done = performance.now();
    timings.push(done - started);
    phases.push([refreshed - started, encoded - refreshed, done - encoded]);
    if (timings.length > 100000) {
      timings.shift();
      phases.shift();
    }
  }

  // "#32/66-89-40-12", "#16u/90": mode, case and the bytes.
  function loadFragment(hash) {
    const match = /^#(16|32)(u?)\/([0-9A-Fa-f]{2}(?:-[0-9A-Fa-f]{2})*)$/.exec(hash);
    if (!match) return false;
    const message = load(match[3], match[1] === '32' ? 1 : 0, match[2] === 'u' ? 1 : 0);
    showMessage(message);
    showBreakdown();
    return true;
  }

  function showMessage(text, element = bytesMessage) {
    element.textContent = text;
    element.classList.toggle('warning', text !== '');
  }

  function onClick(event) {
    const button = event.target.closest('button[data-control-id]');
    if (!button || button.disabled) return;
    const started = performance.now();
    const id = Number(button.dataset.controlId);
    if (isToggle(button)) {
      // Automatic buttons: pressed or released before the command, as the
      // dialog manager does; a segment button stays pressed.
      VexaPage.setPressed(id, isRadio(button) ? true : !VexaPage.isPressed(id));
    }
    vexa._vexa_command(id);
    changed(started);
  }

  // Enter does nothing on a prefix button, as in the dialog; arrow keys move
  // between the buttons, so that those Tab passes by can be reached.
  function onButtonKey(event) {
    const button = event.target.closest('button[data-control-id]');
    if (!button || event.altKey || event.ctrlKey || event.metaKey) return;
    if (event.key === 'Enter' && isToggle(button)) {
      event.preventDefault();
      return;
    }
    const step = { ArrowLeft: -1, ArrowUp: -1, ArrowRight: 1, ArrowDown: 1 }[event.key];
    if (!step) return;
    event.preventDefault();
    const enabled = buttons.filter((b) => !b.disabled);
    const at = enabled.indexOf(button);
    enabled[(at + step + enabled.length) % enabled.length].focus();
  }

  function refused(editor) {
    editor.classList.remove('refused');
    void editor.offsetWidth;  // restart the flash
    editor.classList.add('refused');
  }

  function onEditorKey(event) {
    const editor = event.currentTarget;
    if (event.altKey || event.ctrlKey || event.metaKey || editor.getAttribute('aria-disabled') === 'true') return;
    const id = Number(editor.dataset.controlId);
    const started = performance.now();
    if (event.key.length === 1) {
      event.preventDefault();
      if (vexa._vexa_editor_char(id, event.key.charCodeAt(0))) changed(started);
      else refused(editor);
    } else if (vexa.ccall('vexa_editor_key', 'number', ['number', 'string'], [id, event.key])) {
      event.preventDefault();
    }
  }

  function onEditorPointer(event) {
    const editor = event.currentTarget;
    if ((event.button !== 0 && event.button !== 2) || editor.getAttribute('aria-disabled') === 'true') return;
    editor.focus();
    const first = editor.querySelector('.digit');
    if (!first) return;
    const x = Math.floor(event.clientX - first.getBoundingClientRect().left);
    vexa._vexa_editor_click(Number(editor.dataset.controlId), x);
  }

  function onLoadBytes(event) {
    event.preventDefault();
    const started = performance.now();
    showMessage(load(bytesInput.value, -1, -1));
    changed(started);
  }

  // The assemble box: the text's bytes go into the controls; every encoding
  // of it is listed beside, and a click on one loads it.
  function onAssemble(event) {
    event.preventDefault();
    const started = performance.now();
    const result = JSON.parse(vexa.ccall('vexa_assemble', 'string', ['string'], [assembleInput.value]));
    if (result.error) {
      showMessage(result.error, assembleMessage);
      encodingList.innerHTML = '';  // they were another text's
      return;
    }
    showMessage(result.message, assembleMessage);
    encodingList.innerHTML = result.encodings.length < 2 ? '' : '<span>Encodings:</span>' + result.encodings
      .map((hex, i) => `<button type="button" class="encoding" aria-pressed="${i === 0}">${escape(hex)}</button>`)
      .join('');
    changed(started);
  }

  function onEncoding(event) {
    const button = event.target.closest('button.encoding');
    if (!button) return;
    const started = performance.now();
    for (const other of encodingList.querySelectorAll('button.encoding')) {
      other.setAttribute('aria-pressed', String(other === button));
    }
    showMessage(load(button.textContent, -1, -1), assembleMessage);
    changed(started);
  }

  function start(module) {
    vexa = module;
    measureEditorCells();
    vexa._vexa_start();
    loadFragment(location.hash);
    history.replaceState(null, '', '#' + fragment());
    showBreakdown();

    workbench.addEventListener('click', onClick);
    workbench.addEventListener('keydown', onButtonKey);
    for (const id of [1053, 1054]) {
      const editor = controls.get(id);
      editor.addEventListener('keydown', onEditorKey);
      editor.addEventListener('mousedown', onEditorPointer);
      editor.addEventListener('contextmenu', (event) => event.preventDefault());
    }
    bytesForm.addEventListener('submit', onLoadBytes);
    assembleForm.addEventListener('submit', onAssemble);
    encodingList.addEventListener('click', onEncoding);
    breakdown.addEventListener('mouseover', highlight);
    breakdown.addEventListener('mouseleave', highlight);
    window.addEventListener('popstate', () => loadFragment(location.hash));
    document.body.classList.add('ready');
    controls.get(1012).focus({ preventScroll: true });  // the dialog's first tab stop
  }

  // Over HTTP the loader fetches vexa.wasm beside it; from file:// a browser
  // fetches nothing, so the module comes as base64 in a script.
  function instantiate() {
    if (location.protocol !== 'file:') return VexaModule();
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = 'vexa.wasm.js';
      script.onload = resolve;
      script.onerror = reject;
      document.head.appendChild(script);
    }).then(() => VexaModule({ wasmBinary: Uint8Array.from(atob(window.vexaWasm), (c) => c.charCodeAt(0)) }));
  }

  instantiate().then(start);
})();
