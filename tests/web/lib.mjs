// What the puppeteer-only checks (phone.mjs, hidden.mjs) and the CPU
// measurement (cpu.mjs) add to the engine-independent helpers: chromium's
// own page, with its touch emulation and its tabs.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import readline from 'node:readline';
import puppeteer from 'puppeteer-core';
import { Failure } from './common.mjs';
import { Frames } from './frames.mjs';

export { MusicRate, fail, sleep, state, waitFor } from './common.mjs';
export { describe } from './frames.mjs';
export { serve } from './serve.mjs';

export const Chromium = '/usr/lib/chromium/chromium';

// Frames whose pictures are named with this program file and classifier.
export function framesClass(work, classifier, programFile) {
  const run = { work, classifier, programFile };
  return class extends Frames {
    constructor(name, depth) {
      super(run, name, depth);
    }
  };
}

// Runs a check's body; a failure it finds is printed and makes the exit
// status 1.
export async function reportFailure(body) {
  try {
    await body();
  } catch (e) {
    if (!(e instanceof Failure)) {
      throw e;
    }
    console.log(`FAIL: ${e.message}`);
    process.exitCode = 1;
  }
}

// Headless chromium with its own profile under `work`; sound plays without
// a gesture so that a page's audio runs as it would after a click.
export function launchChromium(work) {
  fs.mkdirSync(work, { recursive: true });
  return puppeteer.launch({
    executablePath: Chromium,
    headless: true,
    userDataDir: fs.mkdtempSync(path.join(work, 'chromium-')),
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required'],
  });
}

// A fresh page at `address + query`; `prepare` runs in it before its own
// scripts, `viewport` is puppeteer's.
export async function openPage(browser, address, query, { prepare, viewport }) {
  const page = await browser.newPage();
  if (prepare) {
    await page.evaluateOnNewDocument(prepare);
  }
  await page.setViewport(viewport);
  page.on('pageerror', (e) => console.log(`   page error: ${e.message}`));
  await page.goto(address + query);
  return page;
}

// scripts/serve-web on a free port: { address, stop() }, stop resolving once
// the server has gone.
export async function serveWeb() {
  const script = path.join(path.dirname(new URL(import.meta.url).pathname), '../../scripts/serve-web');
  const server = spawn(script, ['0'], { stdio: ['ignore', 'pipe', 'inherit'] });
  const gone = new Promise((done) => server.on('exit', done));
  const lines = readline.createInterface({ input: server.stdout });
  const address = await Promise.race([
    new Promise((done) => lines.on('line', (line) => { const m = /http:\S+/.exec(line); if (m) done(m[0]); })),
    gone.then(() => { throw new Failure('scripts/serve-web did not start'); }),
  ]);
  return {
    address,
    async stop() {
      server.kill();
      await gone;
    },
  };
}
