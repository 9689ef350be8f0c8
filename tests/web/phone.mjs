// The page on a phone in Debian's chromium: a portrait touch screen with no
// mouse or keyboard (puppeteer's mobile emulation, touch events).
//
//   node phone.mjs DIST PROGRAM_FILE QZ_FRAMES WORK_DIR
//
// - the prompt asks for a tap, not for a key or a click;
// - the picture takes the largest whole enlargement that fits the screen,
//   and shrinks to fit a screen narrower than itself;
// - a tap starts the presentation (the opening fades in), a double tap asks
//   for full screen and a single one does not;
// - at the end the page offers a tap to play again, and a tap does.
// Prints what it saw; exits 1 at the first failure.
import path from 'node:path';
import { describe, fail, framesClass, launchChromium, openPage, serve, sleep, waitFor, reportFailure } from './lib.mjs';

const [dist, programFile, classifier, work] = process.argv.slice(2, 6);
const Frames = framesClass(work, classifier, programFile);
const Phone = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };

// Counts the page's requests for full screen.
function countFullScreen() {
  window.qzFullScreenAsked = 0;
  const ask = Element.prototype.requestFullscreen;
  Element.prototype.requestFullscreen = function () {
    window.qzFullScreenAsked++;
    return ask ? ask.apply(this, arguments) : Promise.resolve();
  };
}

const asked = (page) => page.evaluate(() => window.qzFullScreenAsked);

const canvasSize = (page) => page.evaluate(() => {
  const r = document.getElementById('screen').getBoundingClientRect();
  return [r.width, r.height];
});

// Screens and the picture's size on them, in CSS pixels.
const Sizes = [
  [390, 844, 320, 240],    // a phone upright: 1.2 times would not be whole
  [844, 390, 320, 240],    // the same phone on its side: the height limits
  [1024, 1366, 960, 720],  // a tablet upright
  [1366, 1024, 1280, 960], // the tablet on its side
  [280, 653, 280, 210],    // a folded phone narrower than the picture: shrunk to fit
];

const browser = await launchChromium(work);
const server = await serve(path.resolve(dist));
const address = server.address;
await reportFailure(async () => {
  console.log('-- a phone upright: the prompt, the fit, a tap, a double tap, the end');
  const page = await openPage(browser, address, '', { prepare: countFullScreen, viewport: Phone });
  const waiting = await waitFor(page, (s) => s.state === 'waiting' && s.paints >= 1, 30, 'the loading picture');
  console.log(`   "${waiting.status}"`);
  if (!/\btap\b/i.test(waiting.status) || /\b(key|click)\b/i.test(waiting.status)) {
    fail(`on a phone the page says "${waiting.status}"`);
  }

  for (const [width, height, w, h] of Sizes) {
    await page.setViewport(Object.assign({}, Phone, { width, height }));
    const want = `${w}x${h}`;
    let got = '';
    const until = Date.now() + 3000;
    while (got !== want && Date.now() < until) {
      got = (await canvasSize(page)).map((v) => Math.round(v * 100) / 100).join('x');
      await sleep(20);
    }
    if (got !== want) {
      fail(`on a ${width}x${height} screen the picture is ${got}, want ${want}`);
    }
  }
  console.log(`   the picture fits: ${Sizes.map(([w, h, pw, ph]) => `${w}x${h} ${pw}x${ph}`).join(', ')}`);
  await page.setViewport(Phone);

  await page.touchscreen.tap(195, 422);
  await waitFor(page, (s) => s.state === 'playing' && s.firstFrameAt > 0, 30, 'the first frame after the tap');
  const frames = new Frames('phone', 32);
  for (let i = 0; i < 12; i++) {
    await frames.take(page);
    await sleep(150);
  }
  const named = frames.name();
  console.log(`   after the tap: ${describe(named)}`);
  if (!named.some((f) => f.kind === 'opening' && f.values[0] > 0) || named.some((f) => f.kind === 'unknown')) {
    fail('the tap did not start the presentation');
  }
  if ((await asked(page)) !== 0) {
    fail('a single tap asked for full screen');
  }
  // Both taps made inside the browser, so that a busy machine cannot part them.
  const cdp = await page.createCDPSession();
  await cdp.send('Input.synthesizeTapGesture', { x: 195, y: 422, tapCount: 2, gestureSourceType: 'touch' });
  const fullScreen = await page.waitForFunction(() => window.qzFullScreenAsked > 0, { polling: 50, timeout: 3000 })
    .then(() => true, () => false);
  if (!fullScreen) {
    fail('a double tap did not ask for full screen');
  }
  console.log(`   a double tap asked for full screen ${await asked(page)} time(s)`);

  // A phone has no Escape key; the test ends the run with one all the same.
  await page.keyboard.press('Escape');
  const ended = await waitFor(page, (s) => s.state === 'ended', 5, 'the end after Escape');
  console.log(`   "${ended.status}"`);
  if (ended.exitCode !== 0 || !/\btap\b.*play again/i.test(ended.status) || /\b(key|click)\b/i.test(ended.status)) {
    fail(`at the end on a phone: code ${ended.exitCode}, "${ended.status}"`);
  }
  await page.touchscreen.tap(195, 422);
  const again = await waitFor(page, (s) => s.number === 2 && s.paints >= 5, 30, 'a second run after a tap');
  if (again.state !== 'playing') {
    fail(`the second run is ${again.state}`);
  }
  console.log('phone: ok');
}).finally(async () => {
  await browser.close();
  server.close();
});
