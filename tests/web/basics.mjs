// The short runs: 16-bit colours with the Escape release and playing again,
// a window without audio with the right-button release, and a page without
// its program file.
import fs from 'node:fs';
import path from 'node:path';
import { checkRate, fail, musicRate, releaseEnds, sleep, waitFor } from './common.mjs';
import { checkFadeIn, describe, Frames } from './frames.mjs';
import { serve } from './serve.mjs';

export async function sixteenBits(run) {
  console.log('-- ?16: the loading and opening pictures in 5-6-5 colours; the Escape release ends with 0');
  const page = await run.browser.open(`${run.server.address}?16`);
  const frames = new Frames(run, 'sixteen', 16);
  // With the music decoded the click starts the opening at once.
  await waitFor(page, (s) => s.state === 'waiting' && s.paints >= 1 && s.musicDecoded, 30,
    'the loading picture and the decoded music');
  await frames.take(page);
  await page.click();
  await waitFor(page, (s) => s.gestureAt > 0, 10, 'the click taken');
  for (let i = 0; i < 25; i++) {
    await frames.take(page);
    await sleep(200);   // the sampling period, through the fade
  }
  const named = frames.name();
  console.log(`   ${describe(named)}`);
  if (named[0].kind !== 'loading') {
    fail(`the first picture at 16 bits is ${named[0].kind}`);
  }
  checkFadeIn(named, 'opening');
  await releaseEnds(page, 'Escape');
  console.log('   a click plays it again');
  await page.click();
  const again = await waitFor(page, (s) => s.number === 2 && s.paints >= 20, 30, 'a second run after the click');
  if (again.state !== 'playing') {
    fail(`the second run is ${again.state}`);
  }
  await releaseEnds(page, 'Escape');
  await page.close();
}

export async function windowWithoutAudio(run) {
  console.log('-- ?w without audio: the loading picture in full colour, the music position following the clock; the right-button release ends with 0');
  const page = await run.browser.open(`${run.server.prepared(() => {
    delete window.AudioContext;
    delete window.webkitAudioContext;
  })}?w`);
  await waitFor(page, (s) => s.state === 'waiting', 30, 'the wait for the click');
  const frames = new Frames(run, 'window', 32);
  await frames.take(page);
  const [shown] = frames.name();
  if (shown.kind !== 'loading') {
    fail(`the window shows ${shown.kind}, not the loading picture`);
  }
  await page.click();
  const first = await waitFor(page, (s) => s.musicPosition > 0, 30, 'the music\'s start');
  const later = await waitFor(page, (s) => s.musicAt - first.musicAt >= 2000, 10, 'two seconds of music');
  const rate = musicRate(first, later);
  console.log(`   music ${later.musicHeard ? 'heard' : 'silent'}, position moves ${Math.round(rate)} per second`);
  if (later.musicHeard) {
    fail('without audio the music is heard');
  }
  checkRate(rate, 'without audio');
  await releaseEnds(page, 'right');
  await page.close();
}

export async function missingProgramFile(run) {
  console.log('-- a page without its program file: exit code 7 and what it means');
  const bare = path.join(run.work, 'bare');
  fs.mkdirSync(bare, { recursive: true });
  for (const f of fs.readdirSync(run.dist)) {
    if (f !== 'QZ_Quillwave2k.exe') {
      fs.copyFileSync(path.join(run.dist, f), path.join(bare, f));
    }
  }
  const server = await serve(bare);
  const page = await run.browser.open(server.address);
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
