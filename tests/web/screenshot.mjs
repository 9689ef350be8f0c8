// Takes the README's picture of the page (docs/web.png): the page as it
// waits for the first click, in a 960x600 browser window.
//
//   node screenshot.mjs ADDRESS OUT.png     (the page served, e.g. by scripts/serve-web)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [address, out] = process.argv.slice(2);
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'qz-chromium-'));
const browser = await puppeteer.launch({
  executablePath: '/usr/lib/chromium/chromium',
  headless: true,
  userDataDir: profile,
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 960, height: 600 });
  await page.goto(address);
  await page.waitForFunction(() => window.qzRun && window.qzRun.state === 'waiting', { timeout: 30000 });
  await page.screenshot({ path: out });
} finally {
  await browser.close();
  fs.rmSync(profile, { recursive: true, force: true });
}
