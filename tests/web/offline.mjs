// The page without a network, in Debian's chromium: a first visit through
// scripts/serve-web plays and leaves the service worker holding the files;
// then the server is stopped and a reload plays again from those files alone,
// with the loading picture and the opening fading in, every picture one the
// system draws (named by qz_frames).
//
//   node offline.mjs PROGRAM_FILE QZ_FRAMES WORK_DIR
//
// Prints what it saw; exits 1 at the first failure.
import { checkFadeIn } from './frames.mjs';
import { describe, fail, framesClass, launchChromium, reportFailure, serveWeb, sleep, state, waitFor } from './lib.mjs';

const [programFile, classifier, work] = process.argv.slice(2, 5);
const Frames = framesClass(work, classifier, programFile);

// Clicks once the loading picture shows and the music is decoded; keeps the
// pictures of the next `seconds`.
async function play(page, frames, seconds) {
  await waitFor(page, (s) => s.state === 'waiting' && s.paints >= 1 && s.musicDecoded, 30,
    'the loading picture and the decoded music');
  await frames.take(page);
  const box = await page.evaluate(() => {
    const r = document.getElementById('screen').getBoundingClientRect();
    return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
  });
  await page.mouse.click(box.x, box.y);
  for (const until = Date.now() + seconds * 1000; Date.now() < until;) {
    await frames.take(page);
    await sleep(200);   // the sampling period, through the fade
  }
  const s = await state(page);
  if (s.state !== 'playing') {
    fail(`the run is ${s.state} after ${seconds} s: "${s.status}"`);
  }
}

const browser = await launchChromium(work);
const server = await serveWeb();
await reportFailure(async () => {
  console.log('-- a first visit plays and leaves the files with the service worker');
  const page = await browser.newPage();
  page.on('pageerror', (e) => console.log(`   page error: ${e.message}`));
  await page.setViewport({ width: 960, height: 720 });
  await page.goto(server.address);
  await play(page, new Frames('online', 32), 2);
  const kept = await page.evaluate(async () => {
    await navigator.serviceWorker.ready;
    const names = await caches.keys();
    return Promise.all(names.map(async (name) => [name, (await (await caches.open(name)).keys()).length]));
  });
  if (kept.length !== 1) {
    fail(`the service worker keeps ${kept.length} caches, want one: ${JSON.stringify(kept)}`);
  }
  console.log(`   cache ${kept[0][0]}: ${kept[0][1]} files`);

  console.log('-- the server stopped, the page reloaded: it plays from the kept files');
  await server.stop();
  await page.reload();
  const frames = new Frames('offline', 32);
  await play(page, frames, 5);
  // A HEAD request past the service worker and the HTTP cache finds no server.
  const from = await page.evaluate(async () => {
    const answer = await fetch('QZ_Quillwave2k.exe', { method: 'HEAD', cache: 'no-store' }).catch(() => null);
    return { controlled: !!navigator.serviceWorker.controller, network: !!answer };
  });
  if (!from.controlled || from.network) {
    fail(`the reloaded page: ${JSON.stringify(from)}, want a service worker and no server`);
  }
  const named = frames.name();
  console.log(`   ${describe(named)}`);
  const unknown = named.filter((f) => f.kind === 'unknown');
  if (named[0].kind !== 'loading' || unknown.length > 0) {
    fail(`offline the page shows ${named[0].kind} first and ${unknown.length} pictures the system does not draw`);
  }
  checkFadeIn(named, 'opening');
});
await browser.close();
await server.stop();
