// The page in headless Chromium and Firefox (puppeteer-core), served by
// platform/web/serve.py as a plain static host serves it (no isolation
// headers, 1.5 Mbit/s), compared with the native korveld-render on the same
// session. Every click, tap and key press is zero-length.
// Environment: KORVELD_WEB_DIR, KORVELD_RENDER, KORVELD_NODE_MODULES, CHROMIUM and
// FIREFOX (default: the system's), KORVELD_BROWSERS ("chrome firefox"), KORVELD_SHOTS.
import { spawn, execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import http from 'node:http';
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
let group = '';
function check(name, ok, detail = '') {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${group}${name}${detail ? ': ' + detail : ''}`);
  if (!ok) failures.push(group + name);
}
const daemons = [];
const systemPath = (variable, candidates) => process.env[variable] || candidates.find((p) => fs.existsSync(p));
const browsers = {
  chrome: { executablePath: systemPath('CHROMIUM', ['/usr/bin/chromium', '/usr/bin/chromium-browser']),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--autoplay-policy=user-gesture-required'] },
  firefox: { browser: 'firefox', executablePath: systemPath('FIREFOX', ['/usr/bin/firefox-esr', '/usr/bin/firefox']),
    env: soundServer() },
};

// Firefox runs a page's audio only where it can play it: a private
// PulseAudio daemon with a null sink gives it somewhere to.
function soundServer() {
  const run = path.join(work, 'pulse');
  fs.mkdirSync(run, { mode: 0o700 });
  const env = { ...process.env, XDG_RUNTIME_DIR: run, HOME: run, PULSE_RUNTIME_PATH: path.join(run, 'pulse'),
    PULSE_STATE_PATH: path.join(run, 'state') };
  delete env.PULSE_SERVER;
  daemons.push(spawn('pulseaudio', ['-n', '--daemonize=no', '--exit-idle-time=-1', '--use-pid-file=no',
    '-L', 'module-null-sink sink_name=korveld', '-L', 'module-native-protocol-unix'], { env, stdio: 'ignore' }));
  return env;
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

// Served as most static hosts serve, at 1.5 Mbit/s.
const server = spawn('python3', [path.join(here, '../../platform/web/serve.py'), '--plain', '--rate', '187500', '0',
  webDir], { stdio: ['ignore', 'pipe', 'inherit'] });
const url = await new Promise((resolve) => server.stdout.once('data', (d) => resolve(/http\S+/.exec(String(d))[0])));

// The server hands out the precompressed copy the browser accepts, and a
// cached copy is revalidated, not fetched again.
const get = (file, headers) => new Promise((resolve, reject) => http.get(url + file, { headers }, (r) => {
  r.resume();
  r.on('end', () => resolve(r.headers['content-encoding'] + ' ' + r.headers['content-length'] + ' ' + r.statusCode));
}).on('error', reject));
const size = (f) => fs.statSync(path.join(webDir, f)).size;
const sent = [await get('korveld.js', { 'Accept-Encoding': 'gzip, br' }), await get('korveld.js', { 'Accept-Encoding': 'gzip' }),
  await get('korveld.js', {})];
check('server: brotli, gzip or none as accepted', sent.join() ===
  `br ${size('korveld.js.br')} 200,gzip ${size('korveld.js.gz')} 200,undefined ${size('korveld.js')} 200`, sent.join());
const etag = await new Promise((resolve) => http.get(url + 'korveld.js', (r) => { r.resume(); resolve(r.headers.etag); }));
check('server: cached, revalidated', (await get('korveld.js', { 'If-None-Match': etag })).endsWith(' 304'));

async function session(name) {
  group = `${name}: `;
  const socket = browsers[name].env && path.join(browsers[name].env.PULSE_RUNTIME_PATH, 'native');
  for (let i = 0; socket && !fs.existsSync(socket) && i < 50; i++) await sleep(100);
  const browser = await puppeteer.launch({ ...browsers[name], headless: true, userDataDir: `${work}/${name}`,
    defaultViewport: { width: 1700, height: 1300, hasTouch: true } });
  const pageErrors = (page) => page.on('pageerror', (e) => check('no script error', false, String(e)));
  // Asks again (also across a reload) until the answer is good or the time is up.
  const until = async (ask, good, seconds = 10) => {
    let answer;
    for (const end = Date.now() + seconds * 1000; ; await sleep(100)) {
      try { answer = await ask(); } catch { answer = undefined; }
      if ((answer !== undefined && good(answer)) || Date.now() > end) return answer;
    }
  };
  try {
    // Where no service worker may run, the page says in one sentence what
    // the host must send.
    {
      const page = await browser.newPage();
      pageErrors(page);
      await page.evaluateOnNewDocument(() => { delete Navigator.prototype.serviceWorker; });
      await page.goto(url, { waitUntil: 'load' });
      const said = await until(() => page.$eval('#line', (l) => l.textContent), (t) => t.length > 0);
      check('without isolation: one sentence names the headers',
        /^This host does not send the headers Cross-Origin-Opener-Policy: same-origin and Cross-Origin-Embedder-Policy: require-corp[^.]*\.$/.test(said) &&
        await page.evaluate(() => korveld.state) === 'error', said);
      await page.close();
    }

    const page = await browser.newPage();
    pageErrors(page);
    await page.goto(url, { waitUntil: 'load' });
    const shot = (name2) => page.screenshot({ path: path.join(shots, `browser-${name}-${name2}.png`) });
    check('isolates itself on a plain host', await until(() => page.evaluate(() => crossOriginIsolated &&
      korveld.state === 'title'), (v) => v === true) === true);
    check('frames are drawn by the presenter worker', await page.evaluate(() => korveld.presenter) === 'worker');
    const box = await (await page.$('#screen')).boundingBox();
    const at = (x, y) => [box.x + (x + 0.5) * box.width / 800, box.y + (y + 0.5) * box.height / 600];
    const click = async (x, y) => { await page.mouse.move(...at(x, y)); await page.mouse.click(...at(x, y)); };
    const press = (key) => page.keyboard.press(key);

    // Share of equal pixels between the canvas and a native shot in a region.
    const sameAs = (shotName, [x, y, w, h]) => page.evaluate(async (src, x, y, w, h) => {
      const c = new OffscreenCanvas(800, 600).getContext('2d');
      c.drawImage(await createImageBitmap(await (await fetch(src)).blob()), 0, 0);
      const a = c.getImageData(x, y, w, h).data;
      const b = await korveld.readPixels(x, y, w, h);
      let same = 0;
      for (let i = 0; i < a.length; i += 4) if (a[i] === b[i] && a[i + 1] === b[i + 1] && a[i + 2] === b[i + 2]) same++;
      return same / (w * h);
    }, native(shotName), x, y, w, h);
    const settled = (shotName, region, least) => until(() => sameAs(shotName, region), (v) => v > least);
    const text = [20, 190, 740, 400];

    check('whole-number scale, centred', box.width === 1600 && box.height === 1200 && box.x === 50 && box.y === 50,
      JSON.stringify(box));

    // The bar counts the program's bytes from the click to the first frame.
    await click(400, 300);
    const bar = await until(() => page.evaluate(() => ({ visible: !document.getElementById('load').hidden,
      width: document.querySelector('#load div').style.width, frames: korveld.framesShown })),
    (b) => b.frames > 0 || (b.visible && parseFloat(b.width) > 0 && parseFloat(b.width) < 100));
    await page.waitForFunction(() => korveld.framesShown > 0, { timeout: 30000 });
    const seen = await page.evaluate(() => korveld.barShown);
    check('loading bar between the click and the first frame', bar.visible && bar.frames === 0 &&
      seen.some((f) => f > 0 && f < 1) && seen.every((f, i) => i === 0 || f >= seen[i - 1]) &&
      await page.evaluate(() => document.getElementById('load').hidden), `${JSON.stringify(bar)}, ${seen.length} steps`);

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
    const grunge = await settled('grunge', text, 0.99);
    check('viewer: Grunge skin with page text', grunge > 0.99, `${(100 * grunge).toFixed(2)}% of the text area as native`);
    await shot('grunge');

    // A finger drawn up over the text by four lines scrolls it as one wheel
    // notch towards the reader does; End and Home as natively.
    const [fx, fy] = at(400, 450);  // 12 CSS pixels make it a drag, 50 frame pixels more a notch
    await page.touchscreen.touchStart(fx, fy);
    await page.touchscreen.touchMove(fx, fy - 12);
    await page.touchscreen.touchMove(fx, fy - 12 - 50 * box.height / 600);
    await page.touchscreen.touchEnd();
    const dragged = await settled('wheel', text, 0.99);
    await press('End');
    const end = await settled('end', text, 0.99);
    check('a touch drag and End scroll the page', dragged > 0.99 && end > 0.99,
      `${(100 * dragged).toFixed(2)}% and ${(100 * end).toFixed(2)}% of the text area as native`);
    await press('Home');
    await settled('grunge', text, 0.99);
    await page.mouse.wheel({ deltaY: 100 });
    check('one wheel notch scrolls four lines', await settled('wheel', text, 0.99) > 0.99);
    await press('Home');

    await click(80, 75);
    await page.mouse.move(...at(1, 1));
    const menu = await settled('charts', [147, 60, 503, 58], 0.99);
    check('a zero-length click on CHARTS opens the charts menu', menu > 0.99, `${(100 * menu).toFixed(2)}% of the menu as native`);

    await press('F2');
    const carbon = await settled('carbon', [0, 0, 800, 600], 0.95);
    check('F2: Carbon skin', carbon > 0.95, `${(100 * carbon).toFixed(2)}% of the frame as native`);

    // A hidden tab: the pictures stop, the worklet keeps playing the music.
    const progress = () => page.evaluate(() => [korveld.framesShown, korveld.soundingFrames()]);
    const other = await browser.newPage();
    await other.bringToFront();
    const hidden = await until(() => page.evaluate(() => document.hidden), (h) => h === true, 5);
    await sleep(500);
    const h0 = await progress();
    await sleep(1500);
    const h1 = await progress();
    await page.bringToFront();
    await other.close();
    check('hidden tab: pictures pause, music plays on', hidden && h1[0] - h0[0] <= 1 && h1[1] - h0[1] > 44100,
      `frames ${h0[0]} -> ${h1[0]}, sounding ${h0[1]} -> ${h1[1]}`);

    await page.click('#full');
    check('the full-screen button enters full screen',
      await until(() => page.evaluate(() => !!document.fullscreenElement), (f) => f, 5) === true);
    await page.evaluate(() => document.fullscreenElement && document.exitFullscreen());  // awaited
    await page.setViewport({ width: 1366, height: 1000, hasTouch: true });  // 2x does not fit: fill
    Object.assign(box, await (await page.$('#screen')).boundingBox());
    check('a window too small for 2x is filled at 4:3', box.height === 1000 && Math.round(box.width) === 1333 &&
      await page.evaluate(() => korveld.fill), JSON.stringify(box));

    await page.touchscreen.tap(...at(63, 58));  // QUIT on the Carbon skin
    await until(() => page.evaluate(() => korveld.state), (s) => s === 'ended', 5);
    check('a tap on QUIT ends the magazine and the page offers it again',
      await page.evaluate(() => korveld.state === 'ended' && korveld.status === 0 && /again/.test(korveld.card)));
    // The program's event callbacks point into its memory: none may outlive it.
    check('no event callbacks after the end', await page.evaluate(() => JSEvents.eventHandlers.length) === 0);
    await click(400, 300);
    const again = await until(() => page.evaluate(() => [korveld.runs, korveld.framesShown, korveld.soundingFrames(), korveld.state]),
      ([runs, frames, sounding]) => runs === 2 && frames > 10 && sounding > 0, 30);
    check('a click starts it again without a reload', again[0] === 2 && again[1] > 10 && again[2] > 0, JSON.stringify(again));
  } finally {
    await browser.close();
  }
}

try {
  for (const name of (process.env.KORVELD_BROWSERS || 'chrome firefox').split(/\s+/).filter(Boolean)) {
    try {
      await session(name);
    } catch (e) {
      check('session', false, String(e.stack || e));
    }
  }
} finally {
  server.kill();
  for (const daemon of daemons) daemon.kill();
  fs.rmSync(work, { recursive: true, force: true });
}
console.log(failures.length ? `${failures.length} failed` : 'all passed');
process.exit(failures.length ? 1 : 0);
