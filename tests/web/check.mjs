// The browser build in Debian's chromium: the page served on 127.0.0.1,
// driven by puppeteer-core, its canvas read back and named by qz_webframes
// (the system's own drawing on the host).
//
//   node check.mjs DIST PROGRAM_FILE QZ_WEBFRAMES WORK_DIR [--whole]
//
// Runs, each in a fresh page:
// - at 16 bits the loading and opening pictures show 5-6-5 colours, the
//   Escape release ends the run with 0 and a click plays again;
// - in a window without audio the music position follows the clock, and
//   the right-button release ends the run with 0;
// - the opening fades in over the loading picture after the click, then
//   black, then the scroller, with the music's position moving at the
//   music's rate; the Escape release ends the run with 0 (with --whole the
//   run goes on through the closing picture to the presentation's end);
// - a page without its program file shows code 7 and its meaning.
// Prints what it saw; exits 1 at the first failure.
import fs from 'node:fs';
import path from 'node:path';
import { MusicRate, describe, fail, framesClass, launchChromium, serve, sleep, state, waitFor } from './lib.mjs';

const [dist, programFile, classifier, work] = process.argv.slice(2, 6);
const whole = process.argv.includes('--whole');

const Frames = framesClass(work, classifier, programFile);

let browser;

// Keeps the first pictures the page paints after the click, and when: the
// click-to-opening time, free of sampling delays.
function watchFirstPaints() {
  const Kept = 40;
  const put = CanvasRenderingContext2D.prototype.putImageData;
  window.qzFirstPaints = [];
  CanvasRenderingContext2D.prototype.putImageData = function (image, x, y) {
    put.call(this, image, x, y);
    const run = window.qzRun;
    if (window.qzFirstPaints.length >= Kept || !run || run.state !== 'playing' || !run.gestureAt) {
      return;
    }
    let text = '';
    for (let i = 0; i < image.data.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, image.data.subarray(i, i + 0x8000));
    }
    window.qzFirstPaints.push({ after: performance.now() - run.gestureAt, pixels: btoa(text) });
  };
}

async function openPage(address, query, prepare) {
  const page = await browser.newPage();
  if (prepare) {
    await page.evaluateOnNewDocument(prepare);
  }
  await page.setViewport({ width: 960, height: 720 });
  page.on('pageerror', (e) => console.log(`   page error: ${e.message}`));
  await page.goto(address + query);
  return page;
}

// The levels of one picture's frames must rise through several steps to
// (nearly) full brightness. The frame at full brightness is drawn before
// the hold and shown after it, so the hold shows the one before.
function checkFadeIn(frames, picture) {
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

// Pressing Escape changes nothing; its release ends the run with 0 and the
// page offers to play again.
async function escapeEnds(page) {
  await page.keyboard.down('Escape');
  await sleep(400);
  if ((await state(page)).state !== 'playing') {
    fail('pressing Escape ended the run');
  }
  await page.keyboard.up('Escape');
  const s = await waitFor(page, (s) => s.state === 'ended', 3, 'the end after the Escape release');
  if (s.exitCode !== 0 || !/play again/.test(s.status)) {
    fail(`after the Escape release: code ${s.exitCode}, "${s.status}"`);
  }
  return s;
}

// --- the runs ------------------------------------------------------------------

async function missingProgramFile() {
  console.log('-- a page without its program file: exit code 7 and what it means');
  const bare = path.join(work, 'bare');
  fs.mkdirSync(bare, { recursive: true });
  for (const f of fs.readdirSync(dist)) {
    if (f !== 'QZ_Quillwave2k.exe') {
      fs.copyFileSync(path.join(dist, f), path.join(bare, f));
    }
  }
  const { server, address } = await serve(bare);
  const page = await openPage(address, '');
  const s = await waitFor(page, (s) => s.state === 'ended', 20, 'the run without its program file ended');
  if (s.exitCode !== 7) {
    fail(`exit code ${s.exitCode} without the program file, want 7`);
  }
  if (!/\b7\b/.test(s.status) || !/program file/.test(s.status)) {
    fail(`the page says "${s.status}"`);
  }
  console.log(`   "${s.status}"`);
  await page.close();
  server.close();
}

async function sixteenBits(address) {
  console.log('-- ?16: the loading and opening pictures in 5-6-5 colours; the Escape release ends with 0');
  const page = await openPage(address, '?16');
  const frames = new Frames('sixteen', 16);
  await waitFor(page, (s) => s.state === 'waiting' && s.paints >= 1, 30, 'the loading picture');
  await frames.take(page);
  await page.mouse.click(480, 360);
  await waitFor(page, (s) => s.paints >= 40, 30, 'frames after the click');
  for (let i = 0; i < 25; i++) {
    await frames.take(page);
    await sleep(200);
  }
  const named = frames.name();
  console.log(`   ${describe(named)}`);
  if (named[0].kind !== 'loading') {
    fail(`the first picture at 16 bits is ${named[0].kind}`);
  }
  checkFadeIn(named, 'opening');
  await escapeEnds(page);
  console.log('   a click plays it again');
  await page.mouse.click(480, 360);
  const again = await waitFor(page, (s) => s.number === 2 && s.paints >= 20, 30, 'a second run after the click');
  if (again.state !== 'playing') {
    fail(`the second run is ${again.state}`);
  }
  await escapeEnds(page);
  await page.close();
}

async function windowWithoutAudio(address) {
  console.log('-- ?w without audio: the loading picture in full colour, the music position following the clock; the right-button release ends with 0');
  const page = await openPage(address, '?w', () => {
    delete window.AudioContext;
    delete window.webkitAudioContext;
  });
  await waitFor(page, (s) => s.state === 'waiting', 30, 'the wait for the click');
  const frames = new Frames('window', 32);
  await frames.take(page);
  if (frames.name()[0].kind !== 'loading') {
    fail(`the window shows ${frames.taken[0].kind}, not the loading picture`);
  }
  await page.mouse.click(480, 360);
  const first = await waitFor(page, (s) => s.musicPosition > 0, 30, 'the music\'s start');
  const firstAt = Date.now();
  await sleep(2000);
  const later = await state(page);
  const rate = (later.musicPosition - first.musicPosition) / ((Date.now() - firstAt) / 1000);
  console.log(`   music ${later.musicHeard ? 'heard' : 'silent'}, position moves ${Math.round(rate)} per second`);
  if (later.musicHeard || Math.abs(rate - MusicRate) > MusicRate * 0.05) {
    fail(`without audio the music is ${later.musicHeard ? 'heard' : 'silent'} and moves ${rate} per second`);
  }
  await page.mouse.down({ button: 'right' });
  await sleep(500);
  if ((await state(page)).state !== 'playing') {
    fail('pressing the right button ended the run');
  }
  await page.mouse.up({ button: 'right' });
  const s = await waitFor(page, (s) => s.state === 'ended', 3, 'the end after the right-button release');
  if (s.exitCode !== 0 || !/play again/.test(s.status)) {
    fail(`after the right-button release: code ${s.exitCode}, "${s.status}"`);
  }
  await page.close();
}

async function presentation(address) {
  console.log(whole ? '-- the whole presentation, with its music' : '-- the presentation up to the scroller, ended with Escape');
  const page = await openPage(address, '', watchFirstPaints);
  const frames = new Frames('presentation', 32);
  await waitFor(page, (s) => s.state === 'waiting' && s.paints >= 1, 30, 'the loading picture');
  const waiting = await state(page);
  if (!/click/i.test(waiting.status)) {
    fail(`no line asks for the click: "${waiting.status}"`);
  }
  await sleep(2500);   // the music is decoded meanwhile
  await frames.take(page);
  const clickedAt = Date.now();
  await page.mouse.click(480, 360);

  // Opening, black and the scroller's start: a close look.
  const positions = [];
  while (Date.now() - clickedAt < 22000) {
    const s = await state(page);
    if (s.state !== 'playing') {
      fail(`the run ended early: ${JSON.stringify(s)}`);
    }
    await frames.take(page, { position: s.musicPosition, heard: s.musicHeard });
    positions.push({ at: Date.now(), position: s.musicPosition, heard: s.musicHeard });
    await sleep(120);
  }
  if (whole) {
    const until = Date.now() + 170000;
    while ((await state(page)).state === 'playing') {
      if (Date.now() > until) {
        fail('the presentation did not end within 190 s of the click');
      }
      await frames.take(page);
      await sleep(900);
    }
  } else {
    await escapeEnds(page);
  }
  const end = await waitFor(page, (s) => s.state === 'ended', 3, 'the end of the run');
  const tookSeconds = (Date.now() - clickedAt) / 1000;
  const named = frames.name();
  console.log(`   ${describe(named)}`);

  if (named[0].kind !== 'loading') {
    fail(`the picture before the click is ${named[0].kind}, not the loading picture`);
  }
  const unknown = named.filter((f) => f.kind === 'unknown');
  if (unknown.length > 0) {
    fail(`${unknown.length} pictures are no frame the system draws (first: ${unknown[0].file})`);
  }
  checkFadeIn(named, 'opening');
  // Black comes and goes between scenes; the scenes themselves come in order.
  const order = ['loading', 'opening', 'scroller'].concat(whole ? ['closing'] : []);
  let at = 0;
  for (const f of named.filter((f) => f.kind !== 'black')) {
    const i = order.indexOf(f.kind);
    if (i < at) {
      fail(`${f.kind} came after ${order[at]}`);
    }
    at = i;
  }
  for (const kind of order) {
    if (!named.some((f) => f.kind === kind)) {
      fail(`no ${kind} picture was seen`);
    }
  }
  const lastOpening = named.map((f) => f.kind).lastIndexOf('opening');
  const firstScroller = named.findIndex((f) => f.kind === 'scroller');
  if (!named.slice(lastOpening, firstScroller).some((f) => f.kind === 'black')) {
    fail('no black frame between the opening picture and the scroller');
  }
  const scroll = named.filter((f) => f.kind === 'scroller').map((f) => f.values[0]);
  if (scroll.some((p, i) => i > 0 && p < scroll[i - 1]) || scroll[scroll.length - 1] <= scroll[0]) {
    fail(`the scroller did not move right: ${scroll.join(' ')}`);
  }
  if (whole) {
    checkFadeIn(named, 'closing');
  }

  // The music: still before the scroller, then moving at its own rate.
  const moving = positions.filter((p) => p.position > 0);
  if (moving.length < 10) {
    fail('the music position never moved');
  }
  const first = moving[0];
  const last = moving[moving.length - 1];
  const rate = (last.position - first.position) / ((last.at - first.at) / 1000);
  console.log(`   music ${last.heard ? 'heard' : 'silent'}, position moves ${Math.round(rate)} per second`);
  if (Math.abs(rate - MusicRate) > MusicRate * 0.05) {
    fail(`the music position moves ${rate} per second, want about ${MusicRate}`);
  }
  if (!last.heard) {
    fail('the music did not play through the page\'s audio');
  }
  const paints = await page.evaluate(() => window.qzFirstPaints);
  const early = new Frames('first-paints', 32);
  paints.forEach((p, i) => {
    const file = path.join(early.folder, `paint_${i}.rgba`);
    fs.writeFileSync(file, Buffer.from(p.pixels, 'base64'));
    early.taken.push({ file, after: p.after });
  });
  const opening = early.name().find((f) => f.kind === 'opening' && f.values[0] > 0);
  if (!opening) {
    fail(`no lit opening picture among the first paints after the click: ${describe(early.taken)}`);
  }
  console.log(`   first paints after the click: ${describe(early.taken)}; the first lit opening picture ` +
    `(level ${opening.values[0]}) ${opening.after.toFixed(0)} ms after the click`);
  if (end.exitCode !== 0 || !/play again/.test(end.status)) {
    fail(`the run ended with code ${end.exitCode}, "${end.status}"`);
  }
  if (whole && tookSeconds < 125) {
    fail(`the presentation ended ${tookSeconds} s after the click, too early for its music`);
  }
  console.log(`   ended with 0 after ${tookSeconds.toFixed(1)} s: "${end.status}"`);
  await page.close();
}

// --- main -------------------------------------------------------------------------

fs.mkdirSync(work, { recursive: true });
browser = await launchChromium(work);
const { server, address } = await serve(path.resolve(dist));
try {
  await sixteenBits(address);
  await windowWithoutAudio(address);
  await presentation(address);
  await missingProgramFile();
  console.log('web: ok');
} finally {
  await browser.close();
  server.close();
}
