// A hidden page in Debian's chromium: the presentation stands still while
// its page is hidden, picture and music, and goes on from where it was, in
// step with its music, when the page is shown again.
//
//   node hidden.mjs DIST PROGRAM_FILE QZ_FRAMES WORK_DIR
//
// Plays to the moving scroller, notes how its column and the music position
// go together, hides the page for 10 s and shows it again. Then: the audio
// context was suspended while hidden and runs again; the music position and
// the column went on from where they were (no tick burst caught up with the
// hidden time); from half a second after the show, every picture is the
// scroller at the column that goes with the music position, as before.
// Prints what it saw; exits 1 at the first failure.
import fs from 'node:fs';
import path from 'node:path';
import { MusicRate, fail, framesClass, launchChromium, openPage, serve, sleep, waitFor, reportFailure } from './lib.mjs';

const [dist, programFile, classifier, work] = process.argv.slice(2, 6);
const Frames = framesClass(work, classifier, programFile);
const ScrollPeriod = 42;          // milliseconds per column of the scroller
const HiddenSeconds = 10;
const SettleMilliseconds = 500;   // after the show, the picture is in step again within this
const StepTolerance = 300;        // milliseconds between picture and music, beyond the usual spread:
                                  // a busy machine shakes the audio clock itself this much
const CatchUpMilliseconds = 500;  // scroller time beyond the music's over the hide and the show
// The scroller fades in from black under its flicker; from this column on
// no frame of it is black, so every one names its column.
const LitColumn = 100;

// Keeps the page's audio contexts where the test can see their state.
function watchAudio() {
  const Base = window.AudioContext;
  window.qzContexts = [];
  window.AudioContext = class extends Base {
    constructor(options) {
      super(options);
      window.qzContexts.push(this);
    }
  };
}

// The canvas and the position the program drew it at, read together.
const sample = (page) => page.evaluate(() => {
  const data = document.getElementById('screen').getContext('2d').getImageData(0, 0, 320, 240).data;
  let text = '';
  for (let i = 0; i < data.length; i += 0x8000) {
    text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
  }
  const contexts = window.qzContexts || [];
  return {
    pixels: btoa(text),
    position: window.qzRun.musicPosition,
    audio: contexts.length ? contexts[contexts.length - 1].state : 'none',
    visibility: document.visibilityState,
  };
});

// Samples for `ms` (at least one), every `every` ms, each with its time
// since `from`.
async function collect(page, ms, every, from) {
  const taken = [];
  const until = Date.now() + ms;
  do {
    const s = await sample(page);
    taken.push({ pixels: s.pixels, position: s.position, audio: s.audio, after: Date.now() - from });
    await sleep(every);
  } while (Date.now() < until);
  return taken;
}

// The samples named by the classifier.
function named(name, taken) {
  const frames = new Frames(name, 32);
  frames.taken = taken;
  frames.taken.forEach((t, i) => {
    t.file = path.join(frames.folder, `frame_${String(i).padStart(4, '0')}.rgba`);
    fs.writeFileSync(t.file, Buffer.from(t.pixels, 'base64'));
    delete t.pixels;
  });
  return frames.name();
}

// Milliseconds of music ahead of the scroller's column: steady while the two
// go together.
const lead = (f) => (f.position / MusicRate) * 1000 - f.values[0] * ScrollPeriod;

const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];

const browser = await launchChromium(work);
const server = await serve(path.resolve(dist));
const address = server.address;
await reportFailure(async () => {
  console.log(`-- a page hidden for ${HiddenSeconds} s during the scroller, then shown again`);
  const page = await openPage(browser, address, '', { prepare: watchAudio, viewport: { width: 960, height: 720 } });
  // The tab that will hide it, opened now so that the hide is one step.
  const other = await browser.newPage();
  await page.bringToFront();
  await page.waitForFunction(() => document.visibilityState === 'visible', { polling: 50, timeout: 5000 });
  await waitFor(page, (s) => s.state === 'waiting', 30, 'the wait for the click');
  await page.mouse.click(480, 360);

  // The scroller moving, lit, with the music heard.
  let before = [];
  const until = Date.now() + 45000;
  while (before.length < 8 || before[0].values[0] < LitColumn) {
    if (Date.now() > until) {
      fail(`the scroller did not move past column ${LitColumn} within 45 s of the click`);
    }
    const seen = named('before', await collect(page, 1500, 100, Date.now()));
    before = seen.filter((f) => f.kind === 'scroller' && f.position > 0);
    if (before.length && before[before.length - 1].values[0] <= before[0].values[0]) {
      before = [];
    }
  }
  if (before.some((f) => f.audio !== 'running')) {
    fail(`the audio context is ${before.find((f) => f.audio !== 'running').audio} during the scroller`);
  }
  const leadBefore = median(before.map(lead));
  const spread = Math.max(...before.map((f) => Math.abs(lead(f) - leadBefore)));
  console.log(`   before: columns ${before[0].values[0]}..${before[before.length - 1].values[0]}, ` +
    `music ${leadBefore.toFixed(0)} ms ahead of the picture (spread ${spread.toFixed(0)} ms)`);

  // A second tab brought to the front hides the page, as a viewer's would.
  const atHide = await collect(page, 0, 0, Date.now());
  const sampledAt = Date.now();
  await other.bringToFront();
  const hiddenAt = Date.now();
  let hidden = await sample(page);
  while (hidden.visibility !== 'hidden' || hidden.audio !== 'suspended') {
    if (Date.now() - hiddenAt > 3000) {
      fail(`3 s after another tab came to the front the page is ${hidden.visibility}, its audio ${hidden.audio}`);
    }
    await sleep(50);
    hidden = await sample(page);
  }
  while (Date.now() - hiddenAt < HiddenSeconds * 1000) {
    await sleep(200);
  }

  await page.bringToFront();
  const shownAt = Date.now();
  const after = named('after', await collect(page, 2000, 50, shownAt));
  const last = named('hide', atHide)[0];
  const settled = after.filter((f) => f.after >= SettleMilliseconds);
  const first = after[0];
  console.log(`   after: ${after.length} pictures in 2 s, the first ${first.kind} ${first.values.join(' ')} ` +
    `at music ${first.position} (${((first.position - last.position) / MusicRate).toFixed(2)} s after the hide)`);
  const strange = settled.find((f) => f.kind !== 'scroller');
  if (strange) {
    fail(`${strange.after} ms after the show the picture is ${strange.kind} (${strange.file})`);
  }
  // The music may move only while the page was still or again in view.
  const moved = (first.position - last.position) / MusicRate;
  const inView = (hiddenAt - sampledAt + first.after + SettleMilliseconds) / 1000;
  if (moved > inView || moved < 0) {
    fail(`the music position moved ${moved.toFixed(2)} s over the hide and the show, ` +
      `of which the page was in view for ${inView.toFixed(2)} s at most`);
  }
  if (last.kind !== 'scroller' || first.kind !== 'scroller') {
    fail(`the pictures at the hide and at the show are ${last.kind} and ${first.kind}`);
  }
  const columns = first.values[0] - last.values[0];
  if (columns * ScrollPeriod > moved * 1000 + CatchUpMilliseconds) {
    fail(`the scroller moved ${columns} columns over the hide and the show, the music ${moved.toFixed(2)} s: ` +
      'the hidden time was caught up');
  }
  // A busy machine may stall the page between its ticks and its music
  // reading now and then, before the hide as after it; a page out of step
  // is out of step in most pictures.
  const leads = settled.map((f) => `${f.after} ms: ${lead(f).toFixed(0)}`).join(', ');
  const off = settled.filter((f) => Math.abs(lead(f) - leadBefore) > spread + StepTolerance);
  if (settled.length < 3 || off.length > settled.length / 4 ||
    Math.abs(median(settled.map(lead)) - leadBefore) > StepTolerance) {
    fail(`after the show the music is ahead of the picture by (after the show: ms ahead) ${leads}; ` +
      `was ${leadBefore.toFixed(0)} ms`);
  }
  if (settled.some((f) => f.audio !== 'running')) {
    fail('the audio context does not run again after the show');
  }
  const leadAfter = median(settled.map(lead));
  console.log(`   in step again: music ${leadAfter.toFixed(0)} ms ahead of the picture, ` +
    `the scroller ${columns} columns on, the audio ${settled[settled.length - 1].audio}`);
  console.log('hidden: ok');
}).finally(async () => {
  await browser.close();
  server.close();
});
