// The README's picture of the page: headless Chromium over the built page,
// one instruction assembled in 32-bit mode, the pointer over its SIB byte.
//   node screenshot.js PAGE_DIR OUT.png
'use strict';

const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { chromium } = require('playwright-core');

const [pageDir, out] = process.argv.slice(2);

(async () => {
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium' });
  const page = await browser.newPage({ viewport: { width: 940, height: 1000 }, deviceScaleFactor: 1 });
  await page.goto(pathToFileURL(path.join(pageDir, 'index.html')).href + '#32/66-C7-44-8B-12-34-12');
  await page.waitForSelector('body.ready');
  await page.fill('[data-role="assemble"]', 'mov word ptr [ebx+ecx*4+12], 1234');
  await page.press('[data-role="assemble"]', 'Enter');
  await page.hover('.bytes-row >> nth=3');
  await page.screenshot({ path: out, fullPage: true });
  await browser.close();
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
