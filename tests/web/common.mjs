// What every check of the page uses: failing, waiting for the page's state,
// the music's rate, and the quit gestures.
export const MusicRate = 44100;
export const RateTolerance = 0.02;

// A fault the page shows; check.mjs reports it, closes the browser and
// exits with 1.
export class Failure extends Error {}

export function fail(message) {
  throw new Failure(message);
}

export function sleep(ms) {
  return new Promise((done) => setTimeout(done, ms));
}

// window.qzRun (page.js) with the status line and the page's clock.
export const state = (page) => page.evaluate(() => Object.assign({}, window.qzRun,
  { status: document.getElementById('status').textContent, now: performance.now() }));

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

// Samples per second between two states, by the page's own clock at the
// moments the program read the music's position.
export function musicRate(first, last) {
  return (last.musicPosition - first.musicPosition) / ((last.musicAt - first.musicAt) / 1000);
}

export function checkRate(rate, what) {
  if (!(Math.abs(rate - MusicRate) <= MusicRate * RateTolerance)) {
    fail(`${what}: the music position moves ${Math.round(rate)} per second, want ${MusicRate} within ${RateTolerance * 100}%`);
  }
}

// Pressing changes nothing; the release ends the run with 0 and the page
// offers to play again. gesture: 'Escape' or a mouse button ('right').
export async function releaseEnds(page, gesture) {
  const key = gesture === 'Escape';
  const before = (await state(page)).posted;
  await (key ? page.keyDown(gesture) : page.press(gesture));
  // The program must have taken the press before its release is sent.
  const pressed = await waitFor(page, (s) => s.state !== 'playing' || (s.posted > before && s.taken === s.posted),
    5, `the ${gesture} press taken`);
  if (pressed.state !== 'playing') {
    fail(`pressing ${gesture} ended the run`);
  }
  await (key ? page.keyUp(gesture) : page.release(gesture));
  const s = await waitFor(page, (s) => s.state === 'ended', 5, `the end after the ${gesture} release`);
  if (s.exitCode !== 0 || !/play again/.test(s.status)) {
    fail(`after the ${gesture} release: code ${s.exitCode}, "${s.status}"`);
  }
  return s;
}
