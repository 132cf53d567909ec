// The workbench page in headless Chromium, driven by Playwright as the
// dialog's tests drive the dialog: control by control id, with real clicks and
// keys. Run by run_page_test.sh:
//   node page_test.js PAGE_DIR REPLAY_TOOL VEXA_DECODE
// PAGE_DIR holds the built page, REPLAY_TOOL is vexa_replay (the same actions
// through the native composer), VEXA_DECODE the command-line decoder.
'use strict';

const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { chromium } = require('playwright-core');

const [pageDir, replayTool, vexaDecode] = process.argv.slice(2);
const chromiumPath = process.env.CHROMIUM || '/usr/bin/chromium';
const pageUrl = pathToFileURL(path.join(pageDir, 'index.html')).href;
const kOpcode1 = 1013, kOpcode2 = 1021, kOpcode3 = 1029, kModRM = 1037, kSib = 1045;

// ---- driving the page ----

const sel = (id) => `[data-control-id="${id}"]`;

async function openPage(browser, hash = '') {
  // Tall enough that nothing scrolls: a click lands where it was aimed.
  const page = await browser.newPage({ viewport: { width: 1280, height: 2400 } });
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') page.errors.push(message.text());
  });
  await page.goto(pageUrl + hash);
  await page.waitForSelector('body.ready');
  return page;
}

const text = (page, id) => page.textContent(sel(id));
const click = (page, id) => page.click(sel(id), { force: true });
const pressed = (page, id) => page.getAttribute(sel(id), 'aria-pressed').then((v) => v === 'true');
const focusId = (page) => page.evaluate(() => Number(document.activeElement?.dataset.controlId ?? 0));

async function bitRow(page, first) {
  let row = '';
  for (let id = first; id < first + 8; ++id) row += await text(page, id);
  return row;
}

// Clicks the bits of a row that differ from `value`, bit 7 first.
async function clickBits(page, first, value) {
  for (let position = 0; position < 8; ++position) {
    const want = (value >> (7 - position)) & 1 ? '1' : '0';
    if ((await text(page, first + position)) !== want) await click(page, first + position);
  }
}

async function fieldLabels(page) {
  let labels = '';
  for (const id of [1058, 1059, 1060, 1061, 1062, 1064, 1065, 1066, 1067, 1068, 1069]) {
    labels += (await text(page, id)) || '-';
  }
  return labels;
}

const range = (first, last) => Array.from({ length: last - first + 1 }, (_, i) => first + i);
const groupControls = {
  opcode2: range(1021, 1028), opcode3: range(1029, 1036),
  modrm: [...range(1037, 1044), ...range(1071, 1074)], sib: [...range(1045, 1052), ...range(1075, 1078)],
  displacement: [1053, 1079], immediate: [1054, 1080],
};

// Every control of each group is enabled exactly when the group is in use.
async function expectGroups(page, inUse) {
  const disabled = await page.evaluate(() => Array.from(document.querySelectorAll('[data-control-id]'))
    .filter((e) => e.hasAttribute('disabled') || e.getAttribute('aria-disabled') === 'true')
    .map((e) => Number(e.dataset.controlId)));
  for (const [group, ids] of Object.entries(groupControls)) {
    for (const id of ids) assert.equal(disabled.includes(id), !inUse[group], `control ${id} of group ${group}`);
  }
}

// Clicks the high digit of an editor's first byte, so typing starts there.
async function clickEditor(page, id) {
  const digit = await page.$eval(`${sel(id)} .digit`, (d) => {
    const r = d.getBoundingClientRect();
    return { x: r.left + 2, y: r.top + r.height / 2 };
  });
  await page.mouse.click(digit.x, digit.y);
}

async function editor(page, id) {
  return page.evaluate((s) => {
    const e = document.querySelector(s);
    return { bytes: e.dataset.bytes, caret: Number(e.dataset.caret) };
  }, sel(id));
}

// The state of every control, as vexa_replay prints it.
function snapshot(page) {
  return page.evaluate(() => {
    const element = (id) => document.querySelector(`[data-control-id="${id}"]`);
    const text = (id) => element(id).textContent;
    let captions = '';
    for (let id = 1013; id <= 1052; ++id) captions += text(id);
    const ids = (predicate) => Array.from(document.querySelectorAll('[data-control-id]'))
      .filter(predicate).map((e) => Number(e.dataset.controlId)).sort((a, b) => a - b);
    return {
      line: text(1000),
      bytes: text(1057),
      captions,
      labels: [1058, 1059, 1060, 1061, 1062, 1064, 1065, 1066, 1067, 1068, 1069].map(text),
      case: text(1056),
      pressed: ids((e) => e.getAttribute('aria-pressed') === 'true'),
      disabled: ids((e) => e.hasAttribute('disabled') || e.getAttribute('aria-disabled') === 'true'),
      editors: [1053, 1054].map((id) => ({ bytes: element(id).dataset.bytes, caret: Number(element(id).dataset.caret) })),
      message: document.getElementById('bytes-message').textContent,
    };
  });
}

async function assemble(page, text) {
  await page.fill('[data-role="assemble"]', text);
  await page.press('[data-role="assemble"]', 'Enter');
}

async function loadBytes(page, hex) {
  await page.fill('[data-role="bytes-input"]', hex);
  await page.press('[data-role="bytes-input"]', 'Enter');
}

// ---- the cases ----

const cases = [];
const test = (name, body) => cases.push({ name, body });

test('start state: 16-bit, ModR/M group, focus on rep', async (page) => {
  assert.equal(await text(page, 1000), 'add\tbyte ptr [bx+si], al');
  assert.equal(await text(page, 1057), '00 00 ');
  assert.equal(await fieldLabels(page), 'wd---------');
  for (const row of [kOpcode1, kOpcode2, kOpcode3, kModRM, kSib]) assert.equal(await bitRow(page, row), '00000000');
  await expectGroups(page, { modrm: true });
  assert.equal(await pressed(page, 1008), false);
  assert.equal(await text(page, 1008), '32-bit Mode');
  assert.equal(await text(page, 1056), 'U');
  for (const id of [1001, 1002, 1003, 1004, 1005, 1006, 1055, 1007, 1009, 1010, 1011, 1012]) {
    assert.equal(await pressed(page, id), false, `button ${id}`);
  }
  assert.deepEqual(await editor(page, 1053), { bytes: '00', caret: 0 });
  assert.deepEqual(await editor(page, 1054), { bytes: '00', caret: 0 });
  assert.equal(await focusId(page), 1012);
});

test('88h to 89h: the displacement stays in the same click', async (page) => {
  await click(page, kModRM + 1);
  await expectGroups(page, { modrm: true, displacement: true });
  await clickEditor(page, 1053);
  await page.keyboard.press('1');
  await page.keyboard.press('2');
  await clickBits(page, kOpcode1, 0x88);
  assert.equal(await text(page, 1000), 'mov\tbyte ptr [bx+si+12], al');
  await click(page, kOpcode1 + 7);
  assert.equal(await text(page, 1000), 'mov\tword ptr [bx+si+12], ax');
  assert.equal(await text(page, 1057), '89 40 12 ');
  assert.equal(await bitRow(page, kOpcode1), '10001001');
  assert.equal(await fieldLabels(page), 'wd---------');
  await expectGroups(page, { modrm: true, displacement: true });
});

test('90h to 10h brings in ModR/M and a sized displacement at once', async (page) => {
  await clickBits(page, kModRM, 0x06);
  await clickEditor(page, 1053);
  await page.keyboard.press('3');
  await page.keyboard.press('4');
  await clickBits(page, kOpcode1, 0x90);
  assert.equal(await text(page, 1000), 'nop\t');
  assert.equal(await text(page, 1057), '90 ');
  assert.equal(await fieldLabels(page), '-----------');
  await expectGroups(page, {});
  await click(page, kOpcode1);
  assert.equal(await text(page, 1000), 'adc\tbyte ptr [0034], al');
  assert.equal(await text(page, 1057), '10 06 34 00 ');
  assert.deepEqual(await editor(page, 1053), { bytes: '34 00', caret: 2 });
  await expectGroups(page, { modrm: true, displacement: true });
});

test('U/L switches the instruction line only', async (page) => {
  await click(page, 1056);
  assert.equal(await text(page, 1056), 'L');
  assert.equal(await text(page, 1000), 'ADD\tBYTE PTR [BX+SI], AL');
  assert.equal(await text(page, 1057), '00 00 ');
  await clickBits(page, kOpcode1, 0xF3);
  assert.equal(await text(page, 1000), 'REP prefix');
  assert.equal(await text(page, 1057), '');
  await click(page, kOpcode1);
  assert.equal(await text(page, 1000), 'JNB\t$+2');
  await click(page, 1056);
  assert.equal(await text(page, 1056), 'U');
  assert.equal(await text(page, 1000), 'jnb\t$+2');
});

test('the empty segment button removes the override', async (page) => {
  await click(page, 1005);
  assert.equal(await pressed(page, 1005), true);
  assert.equal(await text(page, 1000), 'add\tbyte ptr es:[bx+si], al');
  assert.equal(await text(page, 1057), '26 00 00 ');
  await click(page, 1003);
  assert.equal(await pressed(page, 1003), true);
  assert.equal(await pressed(page, 1005), false);
  assert.equal(await text(page, 1057), '64 00 00 ');
  await click(page, 1055);
  assert.equal(await pressed(page, 1055), true);
  assert.equal(await pressed(page, 1003), false);
  assert.equal(await text(page, 1000), 'add\tbyte ptr [bx+si], al');
  assert.equal(await text(page, 1057), '00 00 ');
});

test('prefixes come in a fixed order whatever the click order', async (page) => {
  for (const id of [1011, 1012, 1007, 1006, 1010, 1009]) await click(page, id);
  for (const id of [1011, 1012, 1007, 1006, 1010, 1009]) assert.equal(await pressed(page, id), true, `${id}`);
  assert.equal(await text(page, 1057), '66 67 36 F0 F2 F3 00 00 ');
  assert.equal(await text(page, 1000), 'lock rep add\tbyte ptr ss:[eax], al');
  await click(page, 1012);
  assert.equal(await pressed(page, 1012), false);
  assert.equal(await text(page, 1057), '66 67 36 F0 F2 00 00 ');
});

test('32-bit mode brings in the SIB byte for ModR/M 04h', async (page) => {
  await clickBits(page, kModRM, 0x04);
  assert.equal(await text(page, 1000), 'add\tbyte ptr [si], al');
  await expectGroups(page, { modrm: true });
  await click(page, 1008);
  assert.equal(await pressed(page, 1008), true);
  assert.equal(await text(page, 1000), 'add\tbyte ptr [eax+eax], al');
  assert.equal(await text(page, 1057), '00 04 00 ');
  await expectGroups(page, { modrm: true, sib: true });
  await click(page, 1008);
  assert.equal(await text(page, 1000), 'add\tbyte ptr [si], al');
  await expectGroups(page, { modrm: true });
});

test('typed digits redecode at once; refused keys flash and change nothing', async (page) => {
  await clickBits(page, kOpcode1, 0xC2);
  await expectGroups(page, { displacement: true });
  await clickEditor(page, 1053);
  const steps = [['3', 'retn\t0030', 'C2 30 00 '], ['4', 'retn\t0034', 'C2 34 00 '],
    ['1', 'retn\t1034', 'C2 34 10 '], ['2', 'retn\t1234', 'C2 34 12 '], ['f', 'retn\t1F34', 'C2 34 1F ']];
  for (const [key, line, bytes] of steps) {
    await page.keyboard.press(key);
    assert.equal(await text(page, 1000), line, key);
    assert.equal(await text(page, 1057), bytes, key);
  }
  for (const key of ['G', 'A', ' ']) {
    await page.evaluate((s) => document.querySelector(s).classList.remove('refused'), sel(1053));
    await page.keyboard.press(key);
    assert.equal(await text(page, 1057), 'C2 34 1F ', key);
    assert.equal(await page.evaluate((s) => document.querySelector(s).classList.contains('refused'), sel(1053)), true,
      `a flash for ${key}`);
  }
  // Home, End and the arrows as in the control; other keys change nothing.
  const caretAfter = [['Home', 0], ['ArrowLeft', 0], ['ArrowRight', 1], ['End', 3], ['ArrowRight', 3],
    ['ArrowLeft', 2], ['ArrowUp', 2], ['Delete', 2], ['Backspace', 2]];
  for (const [key, caret] of caretAfter) {
    await page.keyboard.press(key);
    assert.deepEqual(await editor(page, 1053), { bytes: '34 1F', caret }, key);
  }
  await page.keyboard.press('9');
  assert.equal(await text(page, 1057), 'C2 34 9F ');
  // A click places the caret on the digit under it, the gap after a byte
  // counting as the next byte's high digit.
  const cells = await page.evaluate((s) => {
    const e = document.querySelector(s);
    const digits = Array.from(e.querySelectorAll('.digit')).map((d) => d.getBoundingClientRect());
    return { digits: digits.map((r) => ({ x: r.left, y: r.top + r.height / 2, w: r.width })) };
  }, sel(1053));
  const [d0, d1, d2] = cells.digits;
  for (const [x, caret] of [[d1.x + d1.w / 2, 1], [d0.x + 2, 0], [d1.x + d1.w + 2, 2], [d2.x + 3, 2]]) {
    await page.mouse.click(x, d0.y);
    assert.equal((await editor(page, 1053)).caret, caret, `click at ${x}`);
  }
  await page.mouse.click(d0.x + 2, d0.y, { button: 'right' });
  assert.equal((await editor(page, 1053)).caret, 0, 'right click');

  await click(page, kOpcode1 + 1);  // C2h -> 82h: an immediate byte instead
  await expectGroups(page, { modrm: true, immediate: true });
  await clickEditor(page, 1054);
  await page.keyboard.press('7');
  assert.equal(await text(page, 1057), '82 00 70 ');
});

test('0Fh brings in the second code byte', async (page) => {
  await clickBits(page, kOpcode1, 0x0F);
  assert.equal(await text(page, 1057), '0F 00 00 ');
  await expectGroups(page, { opcode2: true, modrm: true });
  await clickBits(page, kOpcode2, 0x85);
  assert.equal(await text(page, 1000), 'jne\t$+4');
  assert.equal(await text(page, 1057), '0F 85 00 00 ');
  assert.equal(await fieldLabels(page), '-----nttt--');
  await expectGroups(page, { opcode2: true, displacement: true });
  await click(page, kOpcode1 + 4);
  assert.equal(await text(page, 1000), 'pop\tes');
  assert.equal(await fieldLabels(page), '---rs------');
  await expectGroups(page, {});
  assert.equal(await bitRow(page, kOpcode2), '10000101');
});

test('Enter does nothing on a prefix button; Space presses it; arrows move', async (page) => {
  await click(page, 1011);
  assert.equal(await focusId(page), 1011);
  await page.keyboard.press('Enter');
  assert.equal(await pressed(page, 1011), true);
  assert.equal(await text(page, 1057), 'F0 00 00 ');
  await page.keyboard.press(' ');
  assert.equal(await pressed(page, 1011), false);
  assert.equal(await text(page, 1057), '00 00 ');
  // Arrow keys reach the buttons that Tab passes by.
  await page.focus(sel(1012));
  await page.keyboard.press('ArrowLeft');
  assert.equal(await focusId(page), 1010);
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('ArrowDown');
  assert.equal(await focusId(page), 1007);
});

test('Tab visits the enabled tab stops in the dialog order', async (page) => {
  const visited = [await focusId(page)];
  for (let i = 0; i < 20; ++i) {
    await page.keyboard.press('Tab');
    visited.push(await focusId(page));
  }
  assert.deepEqual(visited.slice(0, 20), [1012, 1007, 1011, 1013, 1014, 1015, 1016, 1017, 1018, 1019, 1020,
    1037, 1038, 1039, 1040, 1041, 1042, 1043, 1044, 1056]);
  // With both editors in use (C8h, enter) they follow U.
  await clickBits(page, kOpcode1, 0xC8);
  await page.focus(sel(1056));
  await page.keyboard.press('Tab');
  assert.equal(await focusId(page), 1054);
  await clickBits(page, kOpcode1, 0xEA);  // jmp far: the displacement editor only
  await page.focus(sel(1056));
  await page.keyboard.press('Tab');
  assert.equal(await focusId(page), 1053);
});

test('every control id of the dialog is one element; buttons are buttons', async (page) => {
  const header = fs.readFileSync(path.join(__dirname, '../../resources/resource.h'), 'utf8');
  const ids = new Set();
  for (const [, name, value] of header.matchAll(/#define (IDC_\w+) (\d+)/g)) {
    ids.add(Number(value));
    if (name.endsWith('_BITS')) for (let i = 1; i < 8; ++i) ids.add(Number(value) + i);
  }
  for (const id of ids) {
    const found = await page.$$eval(sel(id), (e) => e.map((x) => x.tagName));
    assert.equal(found.length, 1, `control ${id}`);
  }
  const stray = await page.$$eval('[data-control-id]', (e) => e.map((x) => Number(x.dataset.controlId)));
  assert.deepEqual(stray.filter((id) => !ids.has(id)), []);
  for (const id of [...ids].filter((id) => id >= 1001 && id <= 1056 && id !== 1053 && id !== 1054)) {
    assert.equal(await page.$eval(sel(id), (e) => e.tagName), 'BUTTON', `control ${id}`);
  }
  for (const id of [1053, 1054]) assert.equal(await page.getAttribute(sel(id), 'tabindex'), '-1');
});

test('bytes box: loads what the controls hold and names what they cannot', async (page) => {
  await loadBytes(page, '66 89 40 12');
  assert.equal(await text(page, 1000), 'mov\tdword ptr [bx+si+12], eax');
  assert.equal(await text(page, 1057), '66 89 40 12 ');
  assert.equal(await pressed(page, 1009), true);
  assert.equal(await page.textContent('#bytes-message'), '');
  await click(page, 1008);  // the mode is kept by the next load
  await loadBytes(page, 'F3 66 A5');
  assert.equal(await text(page, 1057), '66 F3 A5 ');
  assert.match(await page.textContent('#bytes-message'), /^Left out: prefixes F3 66 held as 66 F3/);
  await loadBytes(page, 'c8 34 12 05 90');
  assert.equal(await text(page, 1000), 'enter\t1234, 0');
  assert.equal(await page.textContent('#bytes-message'), 'Left out: 05, which no control holds (read as 00); 90 after the instruction');
  await loadBytes(page, '2E 3E 8B 84 25 78 56 34 12');
  assert.equal(await text(page, 1057), '3E 8B 84 25 78 56 34 12 ');
  assert.match(await page.textContent('#bytes-message'), /^Left out: prefixes 2E 3E held as 3E/);
  await loadBytes(page, 'C8 34 12 00');  // a 00 the zero fill reads anyway is not left out
  assert.equal(await page.textContent('#bytes-message'), '');
  await loadBytes(page, '83 C0 01');  // the immediate editor holds 4 bytes; the link only the 3 read
  assert.equal(await text(page, 1057), '83 C0 01 ');
  await page.waitForFunction(() => location.hash === '#32/83-C0-01', null, { timeout: 5000 });
  await loadBytes(page, '0F');  // the second code byte from the zero fill
  assert.equal(await text(page, 1057), '0F 00 00 ');
  assert.equal(await page.textContent('#bytes-message'), '');
  const before = await snapshot(page);
  await loadBytes(page, '66 8');
  assert.match(await page.textContent('#bytes-message'), /odd number of hex digits/);
  assert.deepEqual({ ...(await snapshot(page)), message: '' }, { ...before, message: '' });
});

test('assemble box: the bytes go into the controls; the other encodings load with a click', async (page) => {
  await click(page, 1008);  // 32-bit
  await assemble(page, 'mov eax, ebx');
  assert.equal(await text(page, 1000), 'mov\teax, ebx');
  assert.equal(await text(page, 1057), '89 D8 ');
  assert.equal(await bitRow(page, kModRM), '11011000');
  const listed = await page.$$eval('.encodings button', (b) => b.map((x) => x.textContent));
  const asm = path.join(path.dirname(vexaDecode), 'vexa-asm');
  const all = execFileSync(asm, ['--all', '--32', 'mov eax, ebx']).toString().split('\n').filter((l, i) => i % 2 === 1 && l);
  assert.deepEqual(listed, all.map((l) => l.trim()));
  await page.click('.encodings button >> nth=1');
  assert.equal(await text(page, 1057), '8B C3 ');
  assert.equal(await text(page, 1000), 'mov\teax, ebx');
  assert.equal(await bitRow(page, kOpcode1), '10001011');

  // Prefixes, ModR/M, SIB, displacement and immediate all land in their controls.
  await assemble(page, 'lock add word ptr es:[ebx+esi*4+10], 1234');
  assert.equal(await text(page, 1000), 'lock add\tword ptr es:[ebx+esi*4+10], 1234');
  for (const id of [1009, 1005, 1011]) assert.equal(await pressed(page, id), true, `button ${id}`);
  assert.deepEqual(await editor(page, 1053), { bytes: '10', caret: 0 });
  assert.deepEqual(await editor(page, 1054), { bytes: '34 12', caret: 0 });

  // An error in the assembler's words, the controls as they were.
  const before = await snapshot(page);
  await assemble(page, 'mov eax,');
  let words = '';
  try { execFileSync(asm, ['mov eax,'], { stdio: 'pipe' }); } catch (error) { words = error.stderr.toString(); }
  assert.equal(`vexa-asm: ${await page.textContent('#assemble-message')}\n`, words);
  assert.deepEqual(await snapshot(page), before);
});

test('the link holds mode, case and bytes; Back and Forward step through changes', async (page, browser) => {
  await clickBits(page, kModRM, 0x40);
  await click(page, 1008);
  await click(page, 1009);
  await clickEditor(page, 1053);
  await page.keyboard.press('1');
  await page.keyboard.press('2');
  await clickBits(page, kOpcode1, 0x89);
  await click(page, 1056);
  // The link follows just after the page.
  const hash = '#32u/66-89-40-12';
  await page.waitForFunction((h) => location.hash === h, hash, { timeout: 5000 });
  const shown = await snapshot(page);

  const other = await openPage(browser, hash);
  assert.equal(await text(other, 1000), 'MOV\tWORD PTR [EAX+12], AX');
  // The link restores what is shown; the editors' carets start on the left.
  const restored = await snapshot(other);
  assert.deepEqual({ ...restored, editors: null }, { ...shown, editors: null });
  assert.equal(restored.editors[0].bytes, shown.editors[0].bytes);
  await other.close();

  await page.goBack();  // before U
  assert.equal(await page.evaluate(() => location.hash), '#32/66-89-40-12');
  assert.equal(await text(page, 1000), 'mov\tword ptr [eax+12], ax');
  assert.equal(await text(page, 1056), 'U');
  await page.goBack();  // before the last bit of 89h: 88h
  assert.equal(await text(page, 1057), '66 88 40 12 ');
  await page.goForward();
  await page.goForward();
  assert.equal(await text(page, 1000), 'MOV\tWORD PTR [EAX+12], AX');

  // A link that is not one, or holds more than an instruction, starts afresh
  // and says why.
  for (const bad of ['#junk', '#32/zz', `#32/${Array(26).fill('90').join('-')}`]) {
    const opened = await openPage(browser, bad);
    assert.equal(await text(opened, 1057), '00 00 ', bad);
    assert.equal(await opened.evaluate(() => location.hash), '#16/00-00');
    if (bad.startsWith('#32/9')) assert.match(await opened.textContent('#bytes-message'), /more than 25|too many/i);
    await opened.close();
  }
});

// The role of every byte as vexa-decode --explain lists it, offset -> role:
// for an INVALID result, of the bytes the decoder read.
function explainedRoles(mode, hex) {
  const output = execFileSync(vexaDecode, ['--explain', `--${mode}`, ...hex.split(' ')], { stdio: 'pipe' }).toString();
  const roles = {};
  const lines = output.split('\n');
  const heading = lines.find((l) => l.startsWith('read (')) || lines.find((l) => l.startsWith('bytes ('));
  for (let i = lines.indexOf(heading) + 1; /^\s+\d/.test(lines[i]); ++i) {
    const [, first, last, role] = /^\s+(\d+)(?:-(\d+))?\s+(?:[0-9A-F]{2} )*[0-9A-F]{2}\s+(\S+)/.exec(lines[i]);
    for (let at = Number(first); at <= Number(last ?? first); ++at) roles[at] = role;
  }
  return roles;
}

test('the breakdown gives each byte the role --explain gives it', async (page, browser) => {
  const cases = [
    [32, '66 C7 44 8B 12 34 12'], [16, '89 40 12'], [32, '0F 85 78 56 34 12'], [16, 'EA 11 22 33 44'],
    [32, '8B 04 25 78 56 34 12'], [16, 'C8 34 12'], [32, 'F3 A5'], [32, '83 C0 FF'], [16, 'C2 34 12'],
    [32, 'A1 78 56 34 12'], [32, '0F B6 C0'], [32, 'D9 E8'], [32, 'F3 0F 58 C1'], [16, '26 F0 FF 06 34 12'],
    [32, '6B 44 24 08 7F'], [16, '0F C8'], [32, '0F 01 D0'],
  ];
  for (const [mode, hex] of cases) {
    const shown = await openPage(browser, `#${mode}/${hex.replaceAll(' ', '-')}`);
    const chips = await shown.$$eval('[data-role="breakdown"] .bytes-row', (rows) => rows
      .map((r) => ({ at: Number(r.children[0].textContent), count: r.children[1].textContent.split(' ').length,
        role: r.children[2].textContent })));
    const roles = {};
    for (const { at, count, role } of chips) for (let i = 0; i < count; ++i) roles[at + i] = role;
    assert.deepEqual(roles, explainedRoles(mode, hex), `${mode}-bit ${hex}`);
    assert.deepEqual(shown.errors, []);
    await shown.close();
  }

  // Hovering a byte marks the controls that hold it; a field, its bits.
  await page.goto(pageUrl + '#32/66-C7-44-8B-12-34-12');
  await page.waitForSelector('body.ready');
  const marked = () => page.$$eval('.highlight', (e) => e.map((x) => Number(x.dataset.controlId)).sort((a, b) => a - b));
  await page.hover('.bytes-row >> nth=2');  // 44, ModR/M
  assert.deepEqual(await marked(), [1037, 1038, 1039, 1040, 1041, 1042, 1043, 1044]);
  await page.hover('.bytes-row >> nth=0');  // 66
  assert.deepEqual(await marked(), [1009]);
  await page.hover('.bytes-row >> nth=5');  // 34 12, the immediate editor
  assert.deepEqual(await marked(), [1054]);
  await page.hover('.field-row .name:text-is("w")');  // the opcode's w bit
  assert.deepEqual(await marked(), [1020]);
  await page.hover('.field-row .name:text-is("index")');  // SIB bits 5-3
  assert.deepEqual(await marked(), [1047, 1048, 1049]);
  await page.hover('h1');
  assert.deepEqual(await marked(), []);
});

// A static host on the loopback address: the page's files as they are.
function serve(root) {
  const types = { '.html': 'text/html', '.css': 'text/css', '.js': 'text/javascript', '.wasm': 'application/wasm' };
  const server = http.createServer((request, response) => {
    const file = path.join(root, decodeURIComponent(new URL(request.url, 'http://x').pathname.replace(/\/$/, '/index.html')));
    if (!file.startsWith(root) || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    const body = fs.readFileSync(file);
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream',
      'Content-Length': body.length });
    response.end(body);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

test('from a static host the page transfers at most 300 KB and works', async (page, browser) => {
  const server = await serve(pageDir);
  try {
    const served = await browser.newPage();
    let transferred = 0;
    const files = [];
    served.on('response', async (response) => {
      const length = Number(response.headers()['content-length'] || 0);
      transferred += length;
      files.push(`${path.basename(new URL(response.url()).pathname) || 'index.html'} ${length}`);
    });
    await served.goto(`http://127.0.0.1:${server.address().port}/#32/66-89-40-12`);
    await served.waitForSelector('body.ready');
    assert.equal(await text(served, 1000), 'mov\tword ptr [eax+12], ax');
    console.log(`  page transfer: ${(transferred / 1024).toFixed(1)} KiB (${files.join(', ')})`);
    assert.ok(transferred <= 300 * 1024, `${transferred} bytes`);
    assert.ok(!files.some((f) => f.startsWith('vexa.wasm.js')), 'the file:// copy of the module is not fetched');
    await served.close();
  } finally {
    server.close();
  }
});

// A random walk from a fixed seed, compared after every action with the
// native composer given the same actions by vexa_replay.
function random(seed) {
  let state = seed >>> 0;
  return () => {
    state = (state + 0x6D2B79F5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

test('random walk of 400 actions matches the native composer', async (page) => {
  const rand = random(20260418);
  const pick = (list) => list[Math.floor(rand() * list.length)];
  const metrics = await page.evaluate((s) => {
    const e = document.querySelector(s);
    return `metrics ${e.dataset.cellWidth} ${e.dataset.byteGap}`;
  }, sel(1053));
  const actions = [metrics];
  const seen = [await snapshot(page)];
  await page.evaluate(() => { window.vexaTimings.length = 0; });
  const bits = Array.from({ length: 40 }, (_, i) => 1013 + i);
  const others = [1001, 1002, 1003, 1004, 1005, 1006, 1055, 1007, 1008, 1009, 1010, 1011, 1012, 1056];
  const assembled = ['mov eax, [ebx+ecx*4+12]', 'lock add word ptr es:[bx+si], 7', 'jmp 1234:5678', 'mov eax,'];
  const loads = ['66 89 40 12', '0F 85 34 12', 'F3 66 A5', 'C8 34 12 05', '8B 84 25 78 56 34 12', 'EA 11 22 33 44 55 66'];
  for (let step = 0; step < 400; ++step) {
    const r = rand();
    if (r < 0.5) {
      const enabled = await page.$$eval('button.bit:not([disabled])', (e) => e.map((b) => Number(b.dataset.controlId)));
      const id = rand() < 0.85 ? pick(enabled) : pick(bits);
      await click(page, id);
      actions.push(`click ${id}`);
    } else if (r < 0.66) {
      const id = pick(others);
      await click(page, id);
      actions.push(`click ${id}`);
    } else if (r < 0.86) {
      const id = pick([1053, 1054]);
      const key = pick([...'0123456789abcdef', 'A', 'G', 'x', ' ']);
      await page.focus(sel(id));
      await page.keyboard.press(key);
      actions.push(`char ${id} ${key.charCodeAt(0)}`);
    } else if (r < 0.93) {
      const id = pick([1053, 1054]);
      const key = pick(['ArrowLeft', 'ArrowRight', 'Home', 'End', 'ArrowUp', 'Delete']);
      await page.focus(sel(id));
      await page.keyboard.press(key);
      actions.push(`key ${id} ${key}`);
    } else if (r < 0.98) {
      const id = pick([1053, 1054]);
      const at = await page.$eval(sel(id), (e) => {
        const box = e.getBoundingClientRect();
        const first = e.querySelector('.digit').getBoundingClientRect();
        return { left: first.left, x: Math.ceil(first.left), y: Math.floor(box.top + box.height / 2) };
      });
      const x = at.x + Math.floor(rand() * 120);
      await page.mouse.click(x, at.y);
      actions.push(`editorclick ${id} ${Math.floor(x - at.left)}`);
    } else if (r < 0.99) {
      const hex = pick(loads);
      await loadBytes(page, hex);
      actions.push(`load -1 -1 ${hex}`);
    } else {
      const text = pick(assembled);
      await assemble(page, text);
      actions.push(`assemble ${text}`);
    }
    seen.push(await snapshot(page));
  }
  const replayed = execFileSync(replayTool, { input: actions.join('\n') + '\n' }).toString().trim().split('\n')
    .map((line) => JSON.parse(line));
  // The metrics line changes nothing shown: the tool prints for it too.
  const native = [replayed[0], ...replayed.slice(2)];
  assert.equal(native.length, seen.length);
  let mismatches = 0;
  for (let i = 0; i < seen.length; ++i) {
    if (JSON.stringify(seen[i]) !== JSON.stringify(native[i])) {
      if (mismatches++ < 3) {
        console.log(`  mismatch after action ${i} (${actions[i]}):\n    page   ${JSON.stringify(seen[i])}\n    native ${JSON.stringify(native[i])}`);
      }
    }
  }
  // Each change: the page's controls, lines and encoding updated (refresh and
  // encoding), then the browser's layout of them, forced in the page.
  const { timings, phases } = await page.evaluate(() => ({ timings: window.vexaTimings.slice(),
    phases: window.vexaTimingPhases.slice() }));
  const medianOf = (list) => list.slice().sort((a, b) => a - b)[Math.floor(list.length / 2)];
  const updated = phases.map(([refresh, encoding]) => refresh + encoding);
  const median = medianOf(updated);
  const [refresh, encoding, layout] = [0, 1, 2].map((i) => medianOf(phases.map((p) => p[i])).toFixed(2));
  console.log(`  random walk: ${actions.length - 1} actions, ${mismatches} mismatches`);
  console.log(`  click to updated page: median ${median.toFixed(2)} ms (composer refresh ${refresh}, ` +
    `encoding ${encoding}) over ${timings.length} changes; with the layout forced after it ` +
    `(${layout}) median ${medianOf(timings).toFixed(2)} ms; performance.now() steps 0.1 ms here`);
  assert.equal(mismatches, 0);
  assert.ok(median < 2, `median ${median} ms`);
});

// ---- running ----

(async () => {
  const browser = await chromium.launch({ executablePath: chromiumPath, args: ['--no-sandbox'] });
  console.log(`page tests in ${browser.version()} on ${pageUrl}`);
  let passed = 0, failed = 0;
  for (const { name, body } of cases) {
    const page = await openPage(browser);
    try {
      await body(page, browser);
      assert.deepEqual(page.errors, [], 'errors on the page');
      ++passed;
      console.log(`ok   ${name}`);
    } catch (error) {
      ++failed;
      console.log(`FAIL ${name}\n  ${String(error.stack || error).split('\n').slice(0, 6).join('\n  ')}`);
    }
    await page.close();
  }
  await browser.close();
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 ? 0 : 1);
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
