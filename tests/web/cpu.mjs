// What the page costs while the scroller plays, against a <video> element
// playing a capture of the same presentation, in the same headless chromium
// in the same run. A measurement, not a test: run it on demand
// (tools/timing/webcpu.sh makes the capture and runs it).
//
//   node cpu.mjs DIST VIDEO WORK_DIR [SECONDS] [ROUNDS]
//
// VIDEO is a part of the capture from inside the scroller. Each round
// measures the page for SECONDS (default 10) from 5 s into the music, then
// the video for SECONDS from 2 s into its play, each alone in the browser.
// The figure is the CPU time of chromium's renderer and GPU processes
// together per second of wall-clock time (100% = one core); the audio
// service and the browser process are shown beside it.
import fs from 'node:fs';
import path from 'node:path';
import { MusicRate, launchChromium, openPage, serve, sleep, waitFor, reportFailure } from './lib.mjs';

const [dist, video, work] = process.argv.slice(2, 5);
const Seconds = Number(process.argv[5] || 10);
const Rounds = Number(process.argv[6] || 2);
const ClockTicks = 100;   // USER_HZ: /proc's CPU times are in hundredths of a second
const Viewport = { width: 960, height: 720 };

// The processes below `root` and what chromium calls each (--type=...).
function descendants(root) {
  const parents = new Map();
  for (const name of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) {
      continue;
    }
    try {
      const stat = fs.readFileSync(`/proc/${name}/stat`, 'utf8');
      parents.set(Number(name), Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]));
    } catch (e) {
      // gone meanwhile
    }
  }
  const found = new Map([[root, 'browser']]);
  for (let grew = true; grew;) {
    grew = false;
    for (const [pid, parent] of parents) {
      if (!found.has(pid) && found.has(parent)) {
        let type = 'other';
        try {
          const line = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8');
          const t = /--type=([\w-]+)/.exec(line);
          const sub = /--utility-sub-type=([\w.]+)/.exec(line);
          type = t ? (sub ? `${t[1]} ${sub[1].split('.')[0]}` : t[1]) : 'other';
        } catch (e) {
          // gone meanwhile
        }
        found.set(pid, type);
        grew = true;
      }
    }
  }
  return found;
}

// CPU ticks (user and system) of each process, by pid.
function times(processes) {
  const out = new Map();
  for (const [pid, type] of processes) {
    try {
      const fields = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      const after = fields.slice(fields.lastIndexOf(')') + 2).split(' ');
      out.set(pid, { type, ticks: Number(after[11]) + Number(after[12]) });
    } catch (e) {
      // gone meanwhile
    }
  }
  return out;
}

// Percent of one core by process type over `seconds` of wall-clock time.
async function measure(root, seconds) {
  const start = times(descendants(root));
  const from = process.hrtime.bigint();
  await sleep(seconds * 1000);
  const end = times(descendants(root));
  const wall = Number(process.hrtime.bigint() - from) / 1e9;
  const byType = {};
  for (const [pid, { type, ticks }] of end) {
    const before = start.has(pid) ? start.get(pid).ticks : 0;
    byType[type] = (byType[type] || 0) + (ticks - before) / ClockTicks / wall * 100;
  }
  return byType;
}

const costOf = (t) => (t.renderer || 0) + (t['gpu-process'] || 0);

function show(what, t, extra) {
  const others = Object.entries(t).filter(([k]) => k !== 'renderer' && k !== 'gpu-process')
    .map(([k, v]) => `${k} ${v.toFixed(1)}%`).join(', ');
  console.log(`   ${what}: renderer + GPU ${costOf(t).toFixed(1)}% of a core ` +
    `(renderer ${(t.renderer || 0).toFixed(1)}%, GPU ${(t['gpu-process'] || 0).toFixed(1)}%; ${others}); ${extra}`);
}

// The page and the video side by side in one folder.
const folder = fs.mkdtempSync(path.join(path.resolve(work), 'served-'));
for (const f of fs.readdirSync(dist)) {
  fs.symlinkSync(path.resolve(dist, f), path.join(folder, f));
}
fs.symlinkSync(path.resolve(video), path.join(folder, 'capture.mp4'));
fs.writeFileSync(path.join(folder, 'video.html'), '<!doctype html><html><body style="margin:0;background:#000">' +
  `<video id="v" src="capture.mp4" autoplay loop playsinline width="${Viewport.width}" height="${Viewport.height}">` +
  '</video></body></html>');

const browser = await launchChromium(work);
const root = browser.process().pid;
const server = await serve(folder);
const address = server.address;
const results = { page: [], video: [] };
await reportFailure(async () => {
  for (let round = 1; round <= Rounds; round++) {
    console.log(`-- round ${round}: ${Seconds} s of each`);
    const page = await openPage(browser, address, '', { viewport: Viewport });
    await waitFor(page, (s) => s.state === 'waiting', 60, 'the wait for the click');
    await page.mouse.click(480, 360);
    await waitFor(page, (s) => s.musicPosition > 5 * MusicRate, 60, 'the scroller, 5 s into the music');
    const paints = (await page.evaluate(() => window.qzRun.paints));
    const pageCost = await measure(root, Seconds);
    const painted = (await page.evaluate(() => window.qzRun.paints)) - paints;
    show('the page', pageCost, `${(painted / Seconds).toFixed(1)} pictures per second`);
    await page.close();
    results.page.push(costOf(pageCost));

    const player = await openPage(browser, address, 'video.html', { viewport: Viewport });
    const playing = await player.waitForFunction(() => {
      const v = document.getElementById('v');
      return !v.paused && v.currentTime > 2;
    }, { polling: 100, timeout: 30000 }).then(() => true, () => false);
    if (!playing) {
      const error = await player.evaluate(() => {
        const v = document.getElementById('v');
        return v.error ? `error ${v.error.code} ${v.error.message}` : `paused ${v.paused} at ${v.currentTime}`;
      });
      console.log(`FAIL: the video does not play (${error})`);
      process.exit(1);
    }
    const frames = () => player.evaluate(() => document.getElementById('v').getVideoPlaybackQuality().totalVideoFrames);
    const shown = await frames();
    const videoCost = await measure(root, Seconds);
    const decoded = (await frames()) - shown;
    show('the video', videoCost, `${(decoded / Seconds).toFixed(1)} frames per second`);
    await player.close();
    results.video.push(costOf(videoCost));
  }
  const mean = (list) => list.reduce((a, b) => a + b, 0) / list.length;
  console.log(`page ${mean(results.page).toFixed(1)}% against video ${mean(results.video).toFixed(1)}% ` +
    `of a core (renderer + GPU, mean of ${Rounds} rounds of ${Seconds} s)`);
}).finally(async () => {
  await browser.close();
  server.close();
  fs.rmSync(folder, { recursive: true, force: true });
});
