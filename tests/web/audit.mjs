// The page as the web audits it, served by scripts/serve-web in Debian's
// chromium:
//
//   node audit.mjs WORK_DIR
//
// QZ_WEB_LEAST_PERFORMANCE sets the least performance score (0.95): the
// simulated slow phone scales the main thread's work as this machine ran it,
// so a machine that other work keeps busy scores lower.
// - the manifest as chromium reads it: a name, the start URL, a fullscreen or
//   standalone display, 192 and 512-pixel PNG icons that load;
// - Lighthouse with its mobile settings (simulated slow phone and network):
//   its four scores, the best of up to three runs each, printed; fails below
//   the least each may have.
// Prints what it saw; exits 1 at the first failure.
import lighthouse from 'lighthouse';
import { fail, launchChromium, reportFailure, serveWeb } from './lib.mjs';

const Least = { performance: Number(process.env.QZ_WEB_LEAST_PERFORMANCE || 0.95), accessibility: 1,
  'best-practices': 1, seo: 1 };
const Runs = 3;

const [work] = process.argv.slice(2, 3);
const browser = await launchChromium(work);
const server = await serveWeb();
await reportFailure(async () => {
  console.log('-- the manifest as chromium reads it');
  const page = await browser.newPage();
  await page.goto(server.address);
  const cdp = await page.createCDPSession();
  const read = await cdp.send('Page.getAppManifest');
  if (read.errors.length > 0 || !read.data) {
    fail(`the manifest ${read.url || '(none linked)'}: ${JSON.stringify(read.errors)}`);
  }
  const manifest = JSON.parse(read.data);
  const start = new URL(manifest.start_url, read.url).href;
  if (!manifest.name || !manifest.short_name || start !== server.address ||
      !['fullscreen', 'standalone'].includes(manifest.display)) {
    fail(`the manifest lacks a name, a start URL at the page or an app's display: ${read.data}`);
  }
  const icons = await page.evaluate(async (list, base) => Promise.all(list.map(async (icon) => {
    const image = new Image();
    image.src = new URL(icon.src, base).href;
    await image.decode().catch(() => {});
    return Object.assign({ drawn: `${image.naturalWidth}x${image.naturalHeight}` }, icon);
  })), manifest.icons || [], read.url);
  for (const side of [192, 512]) {
    const size = `${side}x${side}`;
    if (!icons.some((i) => i.sizes === size && i.drawn === size && (i.purpose || 'any').includes('any'))) {
      fail(`no ${size} icon that loads at that size: ${JSON.stringify(icons)}`);
    }
  }
  console.log(`   "${manifest.name}", ${manifest.display}, icons ${icons.map((i) => `${i.drawn} ${i.purpose || 'any'}`).join(', ')}`);
  await page.close();

  console.log(`-- Lighthouse, mobile settings; the least scores: ${JSON.stringify(Least)}`);
  const port = Number(new URL(browser.wsEndpoint()).port);
  const best = {};
  for (let run = 1; run <= Runs; run++) {
    const result = await lighthouse(server.address, { port, output: 'json', logLevel: 'error',
      onlyCategories: Object.keys(Least) });
    const lhr = result.lhr;
    if (lhr.runtimeError) {
      fail(`Lighthouse: ${lhr.runtimeError.message}`);
    }
    const scores = Object.keys(Least).map((c) => `${c} ${lhr.categories[c].score}`);
    const metrics = ['total-blocking-time', 'largest-contentful-paint', 'cumulative-layout-shift']
      .map((a) => `${a} ${lhr.audits[a].displayValue}`);
    console.log(`   run ${run}: ${scores.join(', ')} (${metrics.join(', ')})`);
    for (const c of Object.keys(Least)) {
      best[c] = Math.max(best[c] || 0, lhr.categories[c].score);
    }
    if (Object.keys(Least).every((c) => best[c] >= Least[c])) {
      break;
    }
  }
  const short = Object.keys(Least).filter((c) => best[c] < Least[c]);
  if (short.length > 0) {
    fail(`best scores below the least: ${short.map((c) => `${c} ${best[c]} < ${Least[c]}`).join(', ')}`);
  }
});
await browser.close();
await server.stop();
