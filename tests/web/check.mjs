// The browser build in one browser engine: the page served on 127.0.0.1,
// driven through that engine's adapter (engines.mjs), its canvas read back
// and named by qz_frames (from the program file's pictures, on the host).
//
//   node check.mjs ENGINE DIST PROGRAM_FILE QZ_FRAMES WORK_DIR [--whole]
//
// ENGINE is chromium, firefox or webkit. Runs each check in turn, each in a
// fresh page:
// - sixteenBits: at 16 bits the loading and opening pictures show 5-6-5
//   colours, the Escape release ends the run with 0 and a click plays again;
// - windowWithoutAudio: in a window without audio the music position follows
//   the clock, and the right-button release ends the run with 0;
// - presentation: the opening fades in over the loading picture after the
//   click, then black, then the scroller, with the music's position moving
//   at the music's rate; the Escape release ends the run with 0 (with
//   --whole the run goes on through the closing picture to the end);
// - missingProgramFile: a page without its program file shows code 7 and
//   its meaning.
// Prints what it saw; exits 1 at the first failure.
//
// A new check is a module exporting async function (run), added to checks
// below. run holds: engine, browser (engines.mjs: open(url) gives a page to
// evaluate in and to click, press and type on), server (serve.mjs: address,
// prepared(fn) for a page that runs fn first), dist, programFile,
// classifier and work (for frames.mjs's Frames), whole. common.mjs has
// waitFor, state, releaseEnds, the music's rate; a check calls fail() at the
// first fault.
import fs from 'node:fs';
import path from 'node:path';
import { missingProgramFile, sixteenBits, windowWithoutAudio } from './basics.mjs';
import { Failure } from './common.mjs';
import { engines, launch } from './engines.mjs';
import { presentation } from './presentation.mjs';
import { serve } from './serve.mjs';

const checks = [sixteenBits, windowWithoutAudio, presentation, missingProgramFile];

const [engine, dist, programFile, classifier, work] = process.argv.slice(2, 7);
if (!engines.includes(engine) || !work) {
  console.log('usage: node check.mjs chromium|firefox|webkit DIST PROGRAM_FILE QZ_FRAMES WORK_DIR [--whole]');
  process.exit(2);
}
fs.mkdirSync(work, { recursive: true });
const run = {
  engine,
  dist: path.resolve(dist),
  programFile,
  classifier,
  work,
  whole: process.argv.includes('--whole'),
  server: await serve(dist),
};
try {
  run.browser = await launch(engine, work);
  for (const check of checks) {
    await check(run);
  }
  console.log(`web (${engine}): ok`);
} catch (e) {
  console.log(e instanceof Failure ? `FAIL: ${e.message}` : `FAIL: ${e.stack}`);
  process.exitCode = 1;
} finally {
  await run.browser?.close();
  run.server.close();
}
