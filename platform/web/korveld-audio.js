// The magazine's sound output: an audio worklet that plays what the program's
// two sound devices left in the WebAssembly memory (platform/web_exchange.hpp,
// record Sound; the word indexes below are its fields):
// - the queue, a ring of mono samples (the intro's C64 tune), played once;
// - the loop, stereo frames played over and over (the viewer's music).
// Both are summed into the stereo output. The worklet only reads samples and
// moves the play positions; it never waits.
const QUEUE_WRITTEN = 0, QUEUE_PLAYED = 1, QUEUE_CAPACITY = 2, QUEUE_SAMPLES = 3, QUEUE_PAUSED = 4,
  QUEUE_GENERATION = 5, QUEUE_START = 6, LOOP_GENERATION = 7, LOOP_SAMPLES = 8, LOOP_FRAMES = 9,
  LOOP_PLAYED = 10, LOOP_PLAYED_GENERATION = 11, SOUNDING_FRAMES = 12;

class KorveldOutput extends AudioWorkletProcessor {
  constructor(options) {
    super();
    const { memory, sound } = options.processorOptions;
    this.u32 = new Uint32Array(memory);
    this.i32 = new Int32Array(memory);
    this.i16 = new Int16Array(memory);
    this.s = sound >> 2;
    this.queueGeneration = Atomics.load(this.u32, this.s + QUEUE_GENERATION);
    this.captureAt = -1;
    this.loopGeneration = -1;
    this.loopRead = 0;
    this.loopPlayed = 0;
  }

  // The queue's first render quantum after each open goes to the page, which
  // compares it with the native program's first samples.
  playQueue(left, right, n) {
    const { u32, i32, i16, s } = this;
    const generation = Atomics.load(u32, s + QUEUE_GENERATION);
    if (generation !== this.queueGeneration) {
      this.queueGeneration = generation;
      this.captureAt = Atomics.load(u32, s + QUEUE_START);
    }
    if (Atomics.load(i32, s + QUEUE_PAUSED)) return;
    const played = Atomics.load(u32, s + QUEUE_PLAYED);
    const take = Math.min(n, (Atomics.load(u32, s + QUEUE_WRITTEN) - played) >>> 0);
    if (take === 0) return;
    const mask = Atomics.load(i32, s + QUEUE_CAPACITY) - 1;
    const base = Atomics.load(i32, s + QUEUE_SAMPLES) >> 1;
    const first = played === this.captureAt && take === n ? new Array(n) : null;
    for (let i = 0; i < take; i++) {
      const v = i16[base + ((played + i) & mask)];
      if (first) first[i] = v;
      left[i] += v / 32768;
      right[i] += v / 32768;
    }
    if (first) {
      this.captureAt = -1;
      this.port.postMessage({ firstQueueBlock: first, generation });
    }
    // A reset may have moved the position meanwhile; then it wins.
    Atomics.compareExchange(u32, s + QUEUE_PLAYED, played, (played + take) >>> 0);
  }

  playLoop(left, right, n) {
    const { u32, i32, i16, s } = this;
    const generation = Atomics.load(u32, s + LOOP_GENERATION);
    if (generation !== this.loopGeneration) {
      this.loopGeneration = generation;
      this.loopRead = 0;
      this.loopPlayed = 0;
    }
    const frames = Atomics.load(i32, s + LOOP_FRAMES);
    if (frames <= 0) return;
    const base = Atomics.load(i32, s + LOOP_SAMPLES) >> 1;
    let at = this.loopRead % frames;
    for (let i = 0; i < n; i++) {
      left[i] += i16[base + 2 * at] / 32768;
      right[i] += i16[base + 2 * at + 1] / 32768;
      if (++at === frames) at = 0;
    }
    this.loopRead = at;
    this.loopPlayed = (this.loopPlayed + n) >>> 0;
    Atomics.store(u32, s + LOOP_PLAYED, this.loopPlayed);
    Atomics.store(u32, s + LOOP_PLAYED_GENERATION, generation);
  }

  process(inputs, outputs) {
    const out = outputs[0];
    const left = out[0], right = out[1] || out[0];
    const n = left.length;
    left.fill(0);
    right.fill(0);
    this.playQueue(left, right, n);
    this.playLoop(left, right, n);
    let sounding = 0;
    for (let i = 0; i < n; i++) {
      if (left[i] !== 0 || right[i] !== 0) sounding++;
      left[i] = Math.max(-1, Math.min(1, left[i]));
      right[i] = Math.max(-1, Math.min(1, right[i]));
    }
    if (sounding) Atomics.add(this.u32, this.s + SOUNDING_FRAMES, sounding);
    return true;
  }
}

registerProcessor('korveld-output', KorveldOutput);
