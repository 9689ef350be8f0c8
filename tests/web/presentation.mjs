// The presentation with its music: the loading picture, the opening fading
// in right after the click, black, the moving scroller, the music position
// at the music's rate; then the Escape release, or with run.whole the
// closing picture and the end of the presentation.
import { checkRate, fail, musicRate, releaseEnds, sleep, state, waitFor } from './common.mjs';
import { checkFadeIn, describe, Frames } from './frames.mjs';

// Keeps the first pictures the page paints after the click, and when: the
// click-to-opening time, free of sampling delays. Runs in the page.
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

// Black comes and goes between scenes; the scenes themselves come in order,
// each of them seen, with black between the opening and the scroller, and
// the scroller moving right.
function checkScenes(named, whole) {
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
}

export async function presentation(run) {
  console.log(run.whole ? '-- the whole presentation, with its music' : '-- the presentation up to the scroller, ended with Escape');
  const page = await run.browser.open(run.server.prepared(watchFirstPaints));
  const frames = new Frames(run, 'presentation', 32);
  const waiting = await waitFor(page, (s) => s.state === 'waiting' && s.paints >= 1 && s.musicDecoded, 30,
    'the loading picture and the decoded music');
  if (!/click/i.test(waiting.status)) {
    fail(`no line asks for the click: "${waiting.status}"`);
  }
  await frames.take(page);
  const clickedAt = Date.now();
  await page.click();

  // Opening, black and the scroller's start: a close look.
  const positions = [];
  while (Date.now() - clickedAt < 22000) {
    const s = await state(page);
    if (s.state !== 'playing') {
      fail(`the run ended early: ${JSON.stringify(s)}`);
    }
    await frames.take(page);
    positions.push(s);
    await sleep(120);   // the sampling period
  }
  if (run.whole) {
    const until = Date.now() + 170000;
    while ((await state(page)).state === 'playing') {
      if (Date.now() > until) {
        fail('the presentation did not end within 190 s of the click');
      }
      await frames.take(page);
      await sleep(900);   // the sampling period
    }
  } else {
    await releaseEnds(page, 'Escape');
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
  checkScenes(named, run.whole);
  if (run.whole) {
    checkFadeIn(named, 'closing');
  }

  // The music: still before the scroller, then moving at its own rate.
  const moving = positions.filter((p) => p.musicPosition > 0);
  if (moving.length < 10) {
    fail('the music position never moved');
  }
  const last = moving[moving.length - 1];
  if (!last.musicHeard) {
    fail('the music did not play through the page\'s audio');
  }
  const heard = moving.filter((p) => p.musicHeard);
  const rate = musicRate(moving[0], last);
  const audioRate = (heard[heard.length - 1].musicPosition - heard[0].musicPosition) /
    (heard[heard.length - 1].audioTime - heard[0].audioTime);
  console.log(`   music heard, position moves ${Math.round(rate)} per second, ${Math.round(audioRate)} per second ` +
    'of the audio clock');
  checkRate(audioRate, 'by the audio clock');
  if (run.browser.soundKeepsTime) {
    checkRate(rate, 'heard');
  }

  const paints = await page.evaluate(() => window.qzFirstPaints);
  const early = new Frames(run, 'first-paints', 32);
  paints.forEach((p) => early.keep(p.pixels, { after: p.after }));
  const opening = early.name().find((f) => f.kind === 'opening' && f.values[0] > 0);
  if (!opening) {
    fail(`no lit opening picture among the first paints after the click: ${describe(early.taken)}`);
  }
  console.log(`   first paints after the click: ${describe(early.taken)}; the first lit opening picture ` +
    `(level ${opening.values[0]}) ${opening.after.toFixed(0)} ms after the click`);
  if (end.exitCode !== 0 || !/play again/.test(end.status)) {
    fail(`the run ended with code ${end.exitCode}, "${end.status}"`);
  }
  if (run.whole && tookSeconds < 125) {
    fail(`the presentation ended ${tookSeconds} s after the click, too early for its music`);
  }
  console.log(`   ended with 0 after ${tookSeconds.toFixed(1)} s: "${end.status}"`);
  await page.close();
}
