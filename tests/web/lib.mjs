// What the browser checks share: a static server for the page, the page's
// state and canvas, the canvas pictures named by qz_webframes, polling, and
// Debian's chromium launched headless.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

export const Chromium = '/usr/lib/chromium/chromium';
export const MusicRate = 44100;

const types = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.mp4': 'video/mp4',
};

export function fail(message) {
  console.log(`FAIL: ${message}`);
  process.exit(1);
}

export function sleep(ms) {
  return new Promise((done) => setTimeout(done, ms));
}

// A static server for one folder, on 127.0.0.1 only, on a free port.
export async function serve(folder) {
  const server = http.createServer((request, response) => {
    let name = decodeURIComponent(request.url.split('?')[0]).replace(/^\/+/, '') || 'index.html';
    const file = path.join(folder, path.normalize(name));
    if (!file.startsWith(folder)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      response.end(data);
    });
  });
  await new Promise((done) => server.listen(0, '127.0.0.1', done));
  return { server, address: `http://127.0.0.1:${server.address().port}/` };
}

// The page's state and its canvas.
export const state = (page) => page.evaluate(() => Object.assign({}, window.qzRun,
  { status: document.getElementById('status').textContent }));

export const canvasBytes = (page) => page.evaluate(() => {
  const data = document.getElementById('screen').getContext('2d').getImageData(0, 0, 320, 240).data;
  let text = '';
  for (let i = 0; i < data.length; i += 0x8000) {
    text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
  }
  return btoa(text);
});

export async function waitFor(page, test, seconds, what) {
  const until = Date.now() + seconds * 1000;
  for (;;) {
    const s = await state(page);
    if (test(s)) {
      return s;
    }
    if (Date.now() > until) {
      fail(`${what}: not within ${seconds} s (state ${JSON.stringify(s)})`);
    }
    await sleep(50);
  }
}

// Canvas pictures kept as files and named in one go by the classifier.
export function framesClass(work, classifier, programFile) {
  return class Frames {
    constructor(name, depth) {
      this.folder = path.join(work, name);
      fs.mkdirSync(this.folder, { recursive: true });
      this.depth = depth;
      this.taken = [];
    }

    async take(page, extra = {}) {
      const at = Date.now();
      const file = path.join(this.folder, `frame_${String(this.taken.length).padStart(4, '0')}.rgba`);
      fs.writeFileSync(file, Buffer.from(await canvasBytes(page), 'base64'));
      this.taken.push(Object.assign({ file, at }, extra));
    }

    name() {
      if (this.taken.length === 0) {
        return [];
      }
      const out = execFileSync(classifier, [programFile, String(this.depth), ...this.taken.map((t) => t.file)],
        { encoding: 'utf8', maxBuffer: 1 << 24 });
      const names = new Map(out.trim().split('\n').map((line) => {
        const [file, ...what] = line.split(' ');
        return [file, what];
      }));
      return this.taken.map((t) => Object.assign(t, { kind: names.get(t.file)[0], values: names.get(t.file).slice(1).map(Number) }));
    }
  };
}

export function describe(frames) {
  const runs = [];
  for (const f of frames) {
    const last = runs[runs.length - 1];
    const label = f.kind === 'scroller' || f.kind === 'unknown' || f.kind === 'black' || f.kind === 'loading'
      ? f.kind : `${f.kind} ${f.values[0]}`;
    if (last && last.label === label) {
      last.count++;
    } else {
      runs.push({ label, count: 1 });
    }
  }
  return runs.map((r) => (r.count > 1 ? `${r.label} x${r.count}` : r.label)).join(', ');
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
