// The page in a real browser: the system Chromium, headless, driven through
// puppeteer-core, against platform/web/serve.py. What the page shows is
// compared with what the native headless program (korveld-render) shows and
// plays for the same session.
//
// Environment: KORVELD_WEB_DIR (the built page), KORVELD_RENDER (the native
// korveld-render), KORVELD_NODE_MODULES (where puppeteer-core is installed),
// CHROMIUM (default /usr/bin/chromium), KORVELD_SHOTS (keep screenshots there).
import { spawn, execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const here = path.dirname(new URL(import.meta.url).pathname);
const webDir = process.env.KORVELD_WEB_DIR;
const renderTool = process.env.KORVELD_RENDER;
const puppeteer = createRequire(path.resolve(process.env.KORVELD_NODE_MODULES, 'x.js'))('puppeteer-core');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'korveld-browser-'));
const shots = process.env.KORVELD_SHOTS || work;
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const failures = [];
function check(name, ok, detail = '') {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}${detail ? ': ' + detail : ''}`);
  if (!ok) failures.push(name);
}

// The native session: the same steps the browser takes below.
const script = ['wait 2', 'key f1', 'wait 1', 'key escape', 'wait 4', 'move 1 1', 'wait 0.5',
  `shot ${work}/grunge.png`, 'wheel -1', 'wait 0.5', `shot ${work}/wheel.png`, 'key end', 'wait 0.5',
  `shot ${work}/end.png`, 'key home', 'wait 0.5', 'move 80 75', 'click', 'wait 0.5', 'move 1 1', 'wait 0.5',
  `shot ${work}/charts.png`, 'key f2', 'wait 0.5', `shot ${work}/carbon.png`, 'key escape'].join('\n');
fs.writeFileSync(`${work}/session.txt`, script + '\n');
execFileSync(renderTool, ['--script', `${work}/session.txt`, '--audio', `${work}/session.wav`], { stdio: 'ignore' });
const wav = fs.readFileSync(`${work}/session.wav`);
const data = wav.indexOf('data');
const nativeLeft = [];
for (let at = data + 8; at + 4 <= wav.length; at += 4) nativeLeft.push(wav.readInt16LE(at));
const native = (name) => 'data:image/png;base64,' + fs.readFileSync(`${work}/${name}.png`).toString('base64');

const server = spawn('python3', [path.join(here, '../../platform/web/serve.py'), '0', webDir],
  { stdio: ['ignore', 'pipe', 'inherit'] });
const url = await new Promise((resolve) => server.stdout.once('data', (d) => resolve(/http\S+/.exec(String(d))[0])));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true, userDataDir: `${work}/profile`,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--autoplay-policy=user-gesture-required'],
  defaultViewport: { width: 1700, height: 1300 },
});

try {
  const page = await browser.newPage();
  page.on('pageerror', (e) => check('no script error', false, String(e)));
  await page.goto(url, { waitUntil: 'load' });
  const box = await (await page.$('#screen')).boundingBox();
  const at = (x, y) => [box.x + (x + 0.5) * box.width / 800, box.y + (y + 0.5) * box.height / 600];
  // Held for a few frames: a press that begins and ends between two polls is never seen.
  const press = async (key) => { await page.keyboard.down(key); await sleep(150); await page.keyboard.up(key); };
  const click = async (x, y) => { await page.mouse.move(...at(x, y)); await page.mouse.down(); await sleep(150);
    await page.mouse.up(); };
  const shot = (name) => page.screenshot({ path: path.join(shots, `browser-${name}.png`) });

  // Light pixels of the canvas inside rows y0..y1, and the frame's pixels.
  const lightIn = (y0, y1) => page.evaluate((a, b) => {
    const d = document.getElementById('screen').getContext('2d').getImageData(0, a, 800, b - a).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i] > 150 && d[i + 1] > 150 && d[i + 2] > 150) n++;
    return n;
  }, y0, y1);
  // Share of equal pixels between the canvas and a native shot in a region.
  const sameAs = (name, [x, y, w, h]) => page.evaluate(async (src, x, y, w, h) => {
    const native = await createImageBitmap(await (await fetch(src)).blob());
    const c = new OffscreenCanvas(800, 600).getContext('2d');
    c.drawImage(native, 0, 0);
    const a = c.getImageData(x, y, w, h).data;
    const b = document.getElementById('screen').getContext('2d').getImageData(x, y, w, h).data;
    let same = 0;
    for (let i = 0; i < a.length; i += 4) if (a[i] === b[i] && a[i + 1] === b[i + 1] && a[i + 2] === b[i + 2]) same++;
    return same / (w * h);
  }, native(name), x, y, w, h);
  // Asks again until the answer is good or ten seconds have passed: a busy
  // machine may take longer to get there.
  const until = async (ask, good) => {
    let answer = await ask();
    for (const end = Date.now() + 10000; !good(answer) && Date.now() < end; answer = await ask()) await sleep(200);
    return answer;
  };
  const settled = (name, region, least) => until(() => sameAs(name, region), (v) => v > least);

  check('cross-origin isolated', await page.evaluate(() => crossOriginIsolated));
  check('whole-number scale, centred', box.width === 1600 && box.height === 1200 && box.x === 50 && box.y === 50,
    JSON.stringify(box));
  check('title card', await page.evaluate(() => korveld.state) === 'title' && await lightIn(280, 320) > 300 &&
    await lightIn(0, 270) === 0);
  await shot('title');

  await page.mouse.click(...at(400, 300));
  await page.waitForFunction(() => korveld.framesShown > 0, { timeout: 10000 });
  const intro = await until(() => page.evaluate(() => {
    const d = document.getElementById('screen').getContext('2d').getImageData(0, 0, 800, 600).data;
    const px = (x, y) => d.subarray((y * 800 + x) * 4, (y * 800 + x) * 4 + 3);
    let barRows = 0, stars = 0;  // stars: cores of the front layer's 2 x 2 stars
    for (let y = 0; y < 600; y++) {
      let blue = 0;
      for (let x = 0; x < 800; x++) { const [r, g, b] = px(x, y); if (b >= 64 && b > 2 * Math.max(r, g)) blue++; }
      if (blue > 760) barRows++;
    }
    for (let y = 0; y < 600; y++) for (let x = 0; x < 800; x++) {
      const [r, g, b] = px(x, y);
      if (r === 0x99 && g === 0x99 && b === 0x99) stars++;
    }
    return { barRows, stars };
  }), (found) => found.barRows >= 8 && found.stars >= 100);
  check('intro: raster bars and stars', intro.barRows >= 8 && intro.stars >= 100, JSON.stringify(intro));
  await shot('intro');

  // F1 restarts the intro with tune 1 (or keeps it, if the draw chose it).
  await press('F1');
  const nativeAt = (block) => {
    for (let i = 0; block.length === 128 && i + 128 <= nativeLeft.length; i++)
      if (block.every((v, k) => v === nativeLeft[i + k])) return i;
    return -1;
  };
  const sound = await until(async () => {
    const s = await page.evaluate(() => ({ sounding: korveld.soundingFrames(), block: korveld.queueBlocks.at(-1) || [] }));
    return { ...s, found: nativeAt(s.block) };
  }, (s) => s.sounding > 44100 && s.found >= 0);
  check('the worklet plays sound', sound.sounding > 44100, `${sound.sounding} frames`);
  check('first SID block equals the native render\'s', sound.found >= 0 && sound.block.some((v) => v !== 0),
    `head ${sound.block.slice(0, 4)}, native at sample ${sound.found}`);

  await press('Escape');
  await page.mouse.move(...at(1, 1));
  const text = await settled('grunge', [20, 190, 740, 400], 0.99);
  check('viewer: Grunge skin with page text', text > 0.99, `${(100 * text).toFixed(2)}% of the text area as native`);
  await shot('grunge');

  // One notch towards the reader, then End, scroll as natively (Home goes back).
  await page.mouse.wheel({ deltaY: 100 });
  const wheel = await settled('wheel', [20, 190, 740, 400], 0.99);
  await press('End');
  const end = await settled('end', [20, 190, 740, 400], 0.99);
  check('wheel and End scroll the page', wheel > 0.99 && end > 0.99,
    `${(100 * wheel).toFixed(2)}% and ${(100 * end).toFixed(2)}% of the text area as native`);
  await press('Home');
  await settled('grunge', [20, 190, 740, 400], 0.99);

  await click(80, 75);
  await page.mouse.move(...at(1, 1));
  const menu = await settled('charts', [147, 60, 503, 58], 0.99);
  check('CHARTS opens the charts menu', menu > 0.99, `${(100 * menu).toFixed(2)}% of the menu as native`);

  await press('F2');
  const carbon = await settled('carbon', [0, 0, 800, 600], 0.95);
  check('F2: Carbon skin', carbon > 0.95, `${(100 * carbon).toFixed(2)}% of the frame as native`);
  await shot('carbon');

  await click(63, 58);  // QUIT on the Carbon skin
  await page.waitForFunction(() => korveld.state === 'ended', { timeout: 5000 }).catch(() => {});
  check('QUIT ends the program and the page says so',
    await page.evaluate(() => korveld.state === 'ended' && korveld.status === 0) && await lightIn(280, 320) > 300);
  // The program's event callbacks point into its memory: none may outlive it.
  check('no event callbacks after the end', await page.evaluate(() => JSEvents.eventHandlers.length) === 0);
  await shot('ended');
} finally {
  await browser.close();
  server.kill();
  fs.rmSync(work, { recursive: true, force: true });
}
console.log(failures.length ? `${failures.length} failed` : 'all passed');
process.exit(failures.length ? 1 : 0);
