'use strict';
// The presenter: draws the title cards and every frame the program publishes
// onto the page's canvas. It runs in a worker of its own that holds the
// canvas (transferred to it from the page), so showing 60 frames a second
// costs the page's thread nothing; a browser that cannot hand a canvas to a
// worker runs the same code on the page.
//
// Messages in: { canvas, pageOrigin } once, then { card: text },
// { attach: { memory, exchange, shown } }, { detach: true } and
// { read: { id, x, y, w, h } }. Messages out: { firstFrameAt } (on the page's
// clock) when a run's first frame shows, { read: id, data } for a read.
// shown[0] counts the run's frames shown, for the page to read at any time.

// eslint-disable-next-line no-unused-vars
function korveldPresenter(canvas, reply) {
  // Exchange record words (platform/web_exchange.hpp).
  const PUBLISHED = 0, SHOWN = 1, PIXELS = 2, CHANGED_FIRST = 7, CHANGED_END = 8;
  const ROW_BYTES = 800 * 4;
  const g = canvas.getContext('2d', { alpha: false });
  const image = g.createImageData(800, 600);
  let heap = null, bytes = null, shown = null, exchange = -1, waiting = false, whole = true;
  // Worker clocks start with the worker; the page's with the page.
  const pageClock = (origin) => performance.timeOrigin + performance.now() - origin;
  const nextFrame = typeof requestAnimationFrame === 'function' ? requestAnimationFrame
    : (f) => setTimeout(f, 16);
  let pageOrigin = 0;

  function card(text) {
    g.fillStyle = '#000';
    g.fillRect(0, 0, 800, 600);
    g.fillStyle = '#d8d8d8';
    g.font = 'bold 20px monospace';
    g.textAlign = 'center';
    g.fillText(text, 400, 306);
  }

  // One display frame: take the newest frame if there is one and let the
  // program go on. ImageData cannot view shared memory, hence the copy: of
  // the rows that changed, or of all of them for a run's first frame (the
  // canvas showed a card before it).
  function present() {
    waiting = false;
    if (exchange < 0) return;
    const published = Atomics.load(heap, exchange + PUBLISHED);
    if (published !== Atomics.load(heap, exchange + SHOWN)) {
      const at = heap[exchange + PIXELS];
      const first = whole ? 0 : heap[exchange + CHANGED_FIRST];
      const end = whole ? 600 : heap[exchange + CHANGED_END];
      whole = false;
      if (end > first) {
        image.data.set(bytes.subarray(at + first * ROW_BYTES, at + end * ROW_BYTES), first * ROW_BYTES);
        g.putImageData(image, 0, 0, 0, first, 800, end - first);
      }
      Atomics.store(heap, exchange + SHOWN, published);
      Atomics.notify(heap, exchange + SHOWN);
      if (Atomics.add(shown, 0, 1) === 0) reply({ firstFrameAt: pageClock(pageOrigin) });
    }
    waiting = true;
    nextFrame(present);
  }

  return (data) => {
    if (data.pageOrigin !== undefined) pageOrigin = data.pageOrigin;
    if (data.detach) exchange = -1;
    if (data.card !== undefined) card(data.card);
    if (data.attach) {
      heap = new Int32Array(data.attach.memory);
      bytes = new Uint8Array(data.attach.memory);
      shown = data.attach.shown;
      whole = true;
      exchange = data.attach.exchange;
      if (!waiting) present();
    }
    if (data.read) {
      const { id, x, y, w, h } = data.read;
      reply({ read: id, data: g.getImageData(x, y, w, h).data });
    }
  };
}

if (typeof WorkerGlobalScope !== 'undefined' && self instanceof WorkerGlobalScope) {
  let handle = null;
  onmessage = ({ data }) => {
    if (data.canvas) handle = korveldPresenter(data.canvas, (m) => postMessage(m));
    if (handle) handle(data);
  };
}
