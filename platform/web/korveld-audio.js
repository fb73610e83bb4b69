// The magazine's sound output: an audio worklet that plays the program's one
// sound stream from a ring of 16-bit stereo frames in the WebAssembly memory
// (platform/web_exchange.hpp, record Sound; the word indexes below are its
// fields). The program keeps the ring filled a little ahead; the worklet only
// reads frames and moves its play position, and never waits: a ring that
// runs dry plays silence.
const WRITTEN = 0, PLAYED = 1, CAPACITY = 2, SAMPLES = 3, MARK = 4, MARK_GENERATION = 5, SOUNDING_FRAMES = 6;
const MARK_FRAMES = 128;

class KorveldOutput extends AudioWorkletProcessor {
  constructor(options) {
    super();
    const { memory, sound } = options.processorOptions;
    this.u32 = new Uint32Array(memory);
    this.i32 = new Int32Array(memory);
    this.i16 = new Int16Array(memory);
    this.s = sound >> 2;
    this.markGeneration = Atomics.load(this.u32, this.s + MARK_GENERATION);
    this.markAt = -1;
  }

  // Once the frames from a new mark have been played, their left samples go
  // to the page.
  sendMark(played, base, mask) {
    const { u32, i16, s } = this;
    const generation = Atomics.load(u32, s + MARK_GENERATION);
    if (generation !== this.markGeneration) {
      this.markGeneration = generation;
      this.markAt = Atomics.load(u32, s + MARK);
    }
    if (this.markAt < 0 || ((played - this.markAt) >>> 0) < MARK_FRAMES || ((played - this.markAt) >>> 0) > mask) return;
    const block = new Array(MARK_FRAMES);
    for (let i = 0; i < MARK_FRAMES; i++) block[i] = i16[base + 2 * ((this.markAt + i) & mask)];
    this.markAt = -1;
    this.port.postMessage({ firstQueueBlock: block, generation });
  }

  process(inputs, outputs) {
    const { u32, i32, i16, s } = this;
    const out = outputs[0];
    const left = out[0], right = out[1] || out[0];
    const n = left.length;
    const played = Atomics.load(u32, s + PLAYED);
    const take = Math.min(n, (Atomics.load(u32, s + WRITTEN) - played) >>> 0);
    const mask = Atomics.load(i32, s + CAPACITY) - 1;
    const base = Atomics.load(i32, s + SAMPLES) >> 1;
    let sounding = 0;
    for (let i = 0; i < take; i++) {
      const at = base + 2 * ((played + i) & mask);
      const l = i16[at], r = i16[at + 1];
      if (l !== 0 || r !== 0) sounding++;
      left[i] = l / 32768;
      right[i] = r / 32768;
    }
    left.fill(0, take);
    right.fill(0, take);
    Atomics.store(u32, s + PLAYED, (played + take) >>> 0);
    if (sounding) Atomics.add(u32, s + SOUNDING_FRAMES, sounding);
    this.sendMark((played + take) >>> 0, base, mask);
    return true;
  }
}

registerProcessor('korveld-output', KorveldOutput);
