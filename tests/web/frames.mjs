// Canvas pictures kept as files and named in one go by qz_frames (from the
// program file's pictures, on the host), and what a series of them shows.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fail } from './common.mjs';

// The canvas's pixels, as base64 (a string crosses every driver cheaply).
export const canvasBytes = (page) => page.evaluate(() => {
  const data = document.getElementById('screen').getContext('2d').getImageData(0, 0, 320, 240).data;
  let text = '';
  for (let i = 0; i < data.length; i += 0x8000) {
    text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
  }
  return btoa(text);
});

export class Frames {
  // run: { work, programFile, classifier }; name: the folder for the files.
  constructor(run, name, depth) {
    this.run = run;
    this.folder = path.join(run.work, name);
    fs.mkdirSync(this.folder, { recursive: true });
    this.depth = depth;
    this.taken = [];
  }

  async take(page, extra = {}) {
    this.keep(await canvasBytes(page), extra);
  }

  keep(base64, extra = {}) {
    const file = path.join(this.folder, `frame_${String(this.taken.length).padStart(4, '0')}.rgba`);
    fs.writeFileSync(file, Buffer.from(base64, 'base64'));
    this.taken.push(Object.assign({ file }, extra));
  }

  // Each picture with its kind ('loading', 'opening', 'black', 'scroller',
  // 'closing', 'unknown') and values (a level, a scroll position).
  name() {
    if (this.taken.length === 0) {
      return [];
    }
    // One line per picture, in order; status 1 says some were unknown.
    const named = spawnSync(this.run.classifier,
      [this.run.programFile, '--depth', String(this.depth), ...this.taken.map((t) => t.file)],
      { encoding: 'utf8', maxBuffer: 1 << 24 });
    const lines = (named.stdout || '').trim().split('\n');
    if ((named.status !== 0 && named.status !== 1) || lines.length !== this.taken.length) {
      fail(`qz_frames could not name the pictures (status ${named.status}): ${named.stderr}`);
    }
    return this.taken.map((t, i) => {
      const [kind, ...values] = lines[i].split(' ');
      return Object.assign(t, { kind, values: values.map(Number) });
    });
  }
}

// "loading, opening 12, opening 40 x3, black, scroller x20".
export function describe(frames) {
  const runs = [];
  for (const f of frames) {
    const last = runs[runs.length - 1];
    const label = ['scroller', 'unknown', 'black', 'loading'].includes(f.kind) ? f.kind : `${f.kind} ${f.values[0]}`;
    if (last && last.label === label) {
      last.count++;
    } else {
      runs.push({ label, count: 1 });
    }
  }
  return runs.map((r) => (r.count > 1 ? `${r.label} x${r.count}` : r.label)).join(', ');
}

// The levels of one picture's frames must rise through several steps to
// (nearly) full brightness. The frame at full brightness is drawn before
// the hold and shown after it, so the hold shows the one before.
export function checkFadeIn(frames, picture) {
  const levels = frames.filter((f) => f.kind === picture).map((f) => f.values[0]);
  const rising = [];
  for (const l of levels) {
    if (rising.length && l < rising[rising.length - 1]) {
      break;
    }
    rising.push(l);
  }
  const steps = new Set(rising.filter((l) => l > 0 && l < 128));
  if (steps.size < 4 || rising[rising.length - 1] < 120) {
    fail(`the ${picture} picture did not fade in: levels ${levels.join(' ')}`);
  }
}
