// Measures the page in the system Chromium (headless): the size of its
// files as built and as sent compressed (brotli, gzip), the time from the
// opening click to the first frame on a fast line and on a 1.5 Mbit/s one,
// frames per second and the page thread's share of a core in the intro and
// the viewer (Chrome's own task timings) at device pixel ratio 2 and, for the
// viewer, also 1, beside the whole browser's share (every process of it: the
// program's threads, the presenter, compositing), and whether a hidden tab
// stops the frames and keeps the sound. Environment as for
// tests/web/browser_test.mjs.
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const here = path.dirname(new URL(import.meta.url).pathname);
const webDir = process.env.KORVELD_WEB_DIR;
const puppeteer = createRequire(path.resolve(process.env.KORVELD_NODE_MODULES, 'x.js'))('puppeteer-core');
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
// CPU seconds of a process and all its descendants (Linux /proc).
const ticksPerSecond = 100;
function treeSeconds(root) {
  const parents = new Map(), ticks = new Map();
  for (const pid of fs.readdirSync('/proc').filter((d) => /^\d+$/.test(d))) {
    try {
      const fields = fs.readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ').at(-1).split(' ');
      parents.set(+pid, +fields[1]);
      ticks.set(+pid, +fields[11] + +fields[12]);
    } catch { /* gone meanwhile */ }
  }
  const inTree = (pid) => pid === root || (pid > 1 && parents.has(pid) && inTree(parents.get(pid)));
  let sum = 0;
  for (const [pid, t] of ticks) if (inTree(pid)) sum += t;
  return sum / ticksPerSecond;
}
const files = ['index.html', 'korveld.js', 'korveld.wasm', 'korveld.worker.js', 'korveld-audio.js',
  'korveld-isolation.js', 'korveld-present.js'];
const bytes = (suffix) => files.reduce((n, f) => n + fs.statSync(path.join(webDir, f + suffix)).size, 0);
const result = { pageBytes: bytes(''), brotliBytes: bytes('.br'), gzipBytes: bytes('.gz') };

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'korveld-measure-'));
const serve = async (...options) => {
  const server = spawn('python3', [path.join(here, '../platform/web/serve.py'), ...options, '0', webDir],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  const url = await new Promise((resolve) => server.stdout.once('data', (d) => resolve(/http\S+/.exec(String(d))[0])));
  return { server, url };
};
const viewport = { width: 960, height: 680 };
const { server, url } = await serve();
const slow = await serve('--rate', '187500');  // 1.5 Mbit/s
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true, userDataDir: profile,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
  defaultViewport: viewport,
});
try {
  // The first frame on a 1.5 Mbit/s line, clicked as soon as the card shows.
  {
    const page = await browser.newPage();
    await page.goto(slow.url, { waitUntil: 'domcontentloaded' });
    await page.mouse.click(480, 340);
    await page.waitForFunction(() => korveld.framesShown > 0, { timeout: 60000, polling: 50 });
    result.slowLine = await page.evaluate(() => ({ firstFrameMs: Math.round(korveld.firstFrameAt - korveld.gestureAt),
      barSteps: korveld.barShown.length }));
    await page.close();
  }
  const page = await browser.newPage();
  await page.setViewport({ ...viewport, deviceScaleFactor: 2 });
  await page.goto(url, { waitUntil: 'load' });
  await page.mouse.click(480, 340);
  await page.waitForFunction(() => korveld.framesShown > 0, { timeout: 10000 });
  result.firstFrameMs = Math.round(await page.evaluate(() => korveld.firstFrameAt - korveld.gestureAt));
  await sleep(2000);
  const cdp = await page.createCDPSession();
  await cdp.send('Performance.enable');
  const metrics = async () => Object.fromEntries((await cdp.send('Performance.getMetrics')).metrics
    .map((m) => [m.name, m.value]));
  const rate = async (seconds) => {
    const m0 = await metrics(), f0 = await page.evaluate(() => korveld.framesShown);
    const c0 = treeSeconds(browser.process().pid);
    await sleep(seconds * 1000);
    const m1 = await metrics(), f1 = await page.evaluate(() => korveld.framesShown);
    const c1 = treeSeconds(browser.process().pid);
    const t = m1.Timestamp - m0.Timestamp;
    return { fps: +((f1 - f0) / t).toFixed(1), pageThreadShare: +((m1.TaskDuration - m0.TaskDuration) / t).toFixed(3),
      browserShare: +((c1 - c0) / t).toFixed(3) };
  };
  // The intro and the viewer on a screen of two device pixels to a CSS
  // pixel, then the viewer on a screen of one.
  result.intro = { dpr2: await rate(5) };
  await page.keyboard.down('Escape');
  await sleep(150);
  await page.keyboard.up('Escape');
  await sleep(4000);
  result.viewer = { dpr2: await rate(5) };
  await page.setViewport({ ...viewport, deviceScaleFactor: 1 });
  await sleep(1000);
  result.viewer.dpr1 = await rate(5);

  const progress = () => page.evaluate(() => [korveld.framesShown, korveld.soundingFrames()]);
  const other = await browser.newPage();
  await other.bringToFront();
  await sleep(500);
  const h0 = await progress();
  await sleep(2000);
  const h1 = await progress();
  await page.bringToFront();
  await other.close();
  await sleep(1000);
  const h2 = await progress();
  result.hiddenTab = { picturesStopped: h1[0] === h0[0], soundFrames: h1[1] - h0[1], resumed: h2[0] > h1[0] };
} finally {
  await browser.close();
  server.kill();
  slow.server.kill();
  fs.rmSync(profile, { recursive: true, force: true });
}
console.log(JSON.stringify(result, null, 1));
