// One adapter per browser engine, so the checks are written once. An engine
// opens pages; a page runs a function in the page and gives it the viewer's
// gestures:
//
//   const browser = await launch('firefox', workDir);
//   const page = await browser.open(url);   // in a 960x720 view, loaded
//   await page.evaluate(fn, ...args);       // fn's result, as JSON
//   await page.click();                     // left button on the canvas
//   await page.press('right'); await page.release('right');
//   await page.keyDown('Escape'); await page.keyUp('Escape');
//   await page.close(); await browser.close();
//   browser.soundKeepsTime   // its sound output's clock is the system's
//
// chromium and firefox go through puppeteer-core (Chrome's protocol and
// WebDriver BiDi), webkit through WebKitWebDriver and selenium-webdriver
// (classic WebDriver), in the X server named by DISPLAY, with the mouse
// buttons pressed through xdotool.
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import path from 'node:path';
import puppeteer from 'puppeteer-core';
import { Builder, By, Key } from 'selenium-webdriver';

export const engines = ['chromium', 'firefox', 'webkit'];

const View = { width: 960, height: 720 };
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// --- puppeteer: chromium, firefox -------------------------------------------

const launchOptions = {
  chromium: (profile) => ({
    executablePath: '/usr/lib/chromium/chromium',
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required'],
  }),
  firefox: (profile) => ({
    browser: 'firefox',
    executablePath: '/usr/bin/firefox-esr',
    userDataDir: profile,
    // Without a sound device Firefox never starts an audio context; its
    // stand-in device runs one, on a clock of its own.
    extraPrefsFirefox: { 'media.cubeb.force_mock_context': true },
  }),
};

async function launchPuppeteer(engine, work) {
  const profile = fs.mkdtempSync(path.join(work, `${engine}-`));
  const browser = await puppeteer.launch(Object.assign({ headless: true, protocolTimeout: 60000 },
    launchOptions[engine](profile)));
  return {
    // Firefox's stand-in sound device falls behind the system's clock when
    // a busy machine starves it; Chromium's own silent output keeps time.
    soundKeepsTime: engine === 'chromium',
    async open(url) {
      const page = await browser.newPage();
      page.on('pageerror', (e) => console.log(`   page error: ${e.message}`));
      await page.setViewport(View);
      await page.goto(url);
      const centre = async () => page.evaluate(() => {
        const r = document.getElementById('screen').getBoundingClientRect();
        return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
      });
      return {
        evaluate: (fn, ...args) => page.evaluate(fn, ...args),
        async click() {
          const c = await centre();
          await page.mouse.click(c.x, c.y);
        },
        async press(button) {
          const c = await centre();
          await page.mouse.move(c.x, c.y);
          await page.mouse.down({ button });
        },
        release: (button) => page.mouse.up({ button }),
        keyDown: (key) => page.keyboard.down(key),
        keyUp: (key) => page.keyboard.up(key),
        close: () => page.close(),
      };
    },
    close: () => browser.close(),
  };
}

// --- classic WebDriver: webkit ------------------------------------------------

function xdotool(...args) {
  execFileSync('xdotool', args.map(String));
}

async function freePort() {
  const server = net.createServer();
  await new Promise((done) => server.listen(0, '127.0.0.1', done));
  const port = server.address().port;
  await new Promise((done) => server.close(done));
  return port;
}

async function launchWebKit() {
  const port = await freePort();
  const service = spawn('WebKitWebDriver', [`--port=${port}`, '--host=127.0.0.1'], { stdio: ['ignore', 'ignore', 'inherit'] });
  process.on('exit', () => service.kill());
  const url = `http://127.0.0.1:${port}`;
  for (let tries = 0; ; tries++) {
    try {
      if ((await fetch(`${url}/status`)).ok) {
        break;
      }
    } catch (e) {
      // not listening yet
    }
    if (tries > 300 || service.exitCode !== null) {
      service.kill();
      throw new Error('WebKitWebDriver did not start');
    }
    await sleep(100);
  }
  const driver = await new Builder().usingServer(url).withCapabilities({
    browserName: 'MiniBrowser',
    'webkitgtk:browserOptions': {
      binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
      args: ['--automation'],
    },
  }).build();
  // The window's decorations take their share: grow it until the view fits.
  await driver.manage().window().setRect({ x: 0, y: 0, width: View.width, height: View.height });
  const inner = await driver.executeScript('return [innerWidth, innerHeight]');
  await driver.manage().window().setRect({ width: 2 * View.width - inner[0], height: 2 * View.height - inner[1] });
  const canvas = () => driver.findElement(By.id('screen'));
  const xButtons = { left: 1, middle: 2, right: 3 };
  const keys = { Escape: Key.ESCAPE };
  return {
    soundKeepsTime: true,   // GStreamer's output with no sound card
    async open(url) {
      await driver.get(url);
      return {
        evaluate: (fn, ...args) => driver.executeScript(`return (${fn}).apply(null, arguments);`, ...args),
        click: async () => driver.actions().move({ origin: await canvas() }).click().perform(),
        // WebKitWebDriver sends a right-button release as the left button's
        // (mouseup with button 0), which no viewer's mouse does: the buttons
        // go through the X server instead, at the window's centre.
        async press(button) {
          const r = await driver.manage().window().getRect();
          xdotool('mousemove', r.x + Math.floor(r.width / 2), r.y + Math.floor(r.height / 2),
            'mousedown', xButtons[button]);
        },
        release: async (button) => xdotool('mouseup', xButtons[button]),
        keyDown: (key) => driver.actions().keyDown(keys[key] || key).perform(),
        keyUp: (key) => driver.actions().keyUp(keys[key] || key).perform(),
        close: () => driver.get('about:blank'),
      };
    },
    async close() {
      try {
        await driver.quit();
      } finally {
        service.kill();
      }
    },
  };
}

export function launch(engine, work) {
  return engine === 'webkit' ? launchWebKit() : launchPuppeteer(engine, work);
}
