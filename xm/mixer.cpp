// The software mixer: every voice with a sample is resampled with linear
// interpolation into the stereo float buffer, with a 128-frame linear ramp on
// every change of its left or right volume. Segments are cut beforehand at the
// next loop point or sample end and at the end of a ramp, so the per-frame
// loop needs no range checks.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "xm/xm_player.hpp"

namespace korveld::xm {

// Four-lane vectors in the compilers' vector extension: SSE on x86-64,
// WebAssembly SIMD where the build enables it, plain scalar code elsewhere.
// Each lane does the same float operations in the same order as the scalar
// code, so every path gives the same bits.
using Float4 = float __attribute__((vector_size(16)));
using Int4 = std::int32_t __attribute__((vector_size(16)));
inline Int4 Bits(Float4 x) { return __builtin_bit_cast(Int4, x); }

namespace {

constexpr float kVolumeScale = 0.003921569f;  // 1/255
constexpr float kCurrentScale = 1.0f / 256.0f;  // 24.8 volumes
constexpr float kFractionScale = 4.656613e-10f;  // 2^-31

inline std::uint64_t Fixed(std::uint32_t integer, std::uint32_t fraction) {
  return (std::uint64_t{integer} << 32) | fraction;
}

// x mod m: after a step shorter than the loop the remainder is one
// subtraction, so the division is left for the long steps.
inline std::uint64_t Remainder(std::uint64_t x, std::uint64_t m) {
  if (x < m) return x;
  x -= m;
  return x < m ? x : x % m;
}

// The sample value at a 32.32 position, interpolated between the two
// values around it (the fraction's top 31 bits).
inline float ValueAt(const std::int16_t* data, std::uint64_t pos) {
  const std::uint32_t p = static_cast<std::uint32_t>(pos >> 32);
  const float a = data[p];
  const float b = data[p + 1];
  const float f = static_cast<float>(static_cast<std::uint32_t>(pos) >> 1) * kFractionScale;
  return a + (b - a) * f;
}

// The two neighbouring values at an index, read as one 32-bit word: the
// value itself in the low half, the next in the high half (both targets
// are little-endian).
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
inline std::int32_t PairAt(const std::int16_t* data, std::uint32_t index) {
  std::int32_t word;
  std::memcpy(&word, data + index, sizeof word);
  return word;
}

// Frames of a segment without a ramp, four per pass, then two, each lane
// as ValueAt computes it. The fractions' low 32 bits of the four positions
// move on in 32-bit lanes: their sums wrap as the 64-bit sums' low halves do.
void MixPlain(const std::int16_t* data, std::uint64_t& pos, std::uint64_t step, float* out, int frames, float left,
              float right, float appliedLeft, float appliedRight) {
  using UInt4 = std::uint32_t __attribute__((vector_size(16)));
  const Float4 volumes = {left, right, left, right};
  const Float4 fractionScale = {kFractionScale, kFractionScale, kFractionScale, kFractionScale};
  const auto low = static_cast<std::uint32_t>(pos);
  const auto stepLow = static_cast<std::uint32_t>(step);
  UInt4 fractions = {low, low + stepLow, low + 2 * stepLow, low + 3 * stepLow};
  const UInt4 fractionStep = {4 * stepLow, 4 * stepLow, 4 * stepLow, 4 * stepLow};
  int i = 0;
  for (; i + 3 < frames; i += 4) {
    const auto i0 = static_cast<std::uint32_t>(pos >> 32);
    pos += step;
    const auto i1 = static_cast<std::uint32_t>(pos >> 32);
    pos += step;
    const auto i2 = static_cast<std::uint32_t>(pos >> 32);
    pos += step;
    const auto i3 = static_cast<std::uint32_t>(pos >> 32);
    pos += step;
    const UInt4 pairs = {static_cast<std::uint32_t>(PairAt(data, i0)), static_cast<std::uint32_t>(PairAt(data, i1)),
                         static_cast<std::uint32_t>(PairAt(data, i2)), static_cast<std::uint32_t>(PairAt(data, i3))};
    const Int4 a = __builtin_bit_cast(Int4, pairs << 16) >> 16;
    const Int4 b = __builtin_bit_cast(Int4, pairs) >> 16;
    const Int4 fraction = __builtin_bit_cast(Int4, fractions >> 1);
    fractions += fractionStep;
    const Float4 fa = __builtin_convertvector(a, Float4);
    const Float4 fb = __builtin_convertvector(b, Float4);
    const Float4 v = fa + (fb - fa) * (__builtin_convertvector(fraction, Float4) * fractionScale);
    Float4 first, second;
    std::memcpy(&first, out, sizeof first);
    std::memcpy(&second, out + 4, sizeof second);
    first += __builtin_shufflevector(v, v, 0, 0, 1, 1) * volumes;
    second += __builtin_shufflevector(v, v, 2, 2, 3, 3) * volumes;
    std::memcpy(out, &first, sizeof first);
    std::memcpy(out + 4, &second, sizeof second);
    out += 8;
  }
  if (i + 1 < frames) {
    const float v0 = ValueAt(data, pos);
    pos += step;
    const float v1 = ValueAt(data, pos);
    pos += step;
    out[0] += v0 * left;
    out[1] += v0 * right;
    out[2] += v1 * left;
    out[3] += v1 * right;
    out += 4;
    i += 2;
  }
  if (i < frames) {
    // The odd last frame goes through the ramp path with zero ramp steps.
    const float v = ValueAt(data, pos);
    out[0] += v * appliedLeft;
    out[1] += v * appliedRight;
    pos += step;
  }
}

void MixRamp(const std::int16_t* data, std::uint64_t& pos, std::uint64_t step, float* out, int frames,
             float& appliedLeft, float& appliedRight, float leftStep, float rightStep) {
  for (int i = 0; i < frames; ++i) {
    const float v = ValueAt(data, pos);
    out[0] += v * appliedLeft;
    out[1] += v * appliedRight;
    appliedLeft += leftStep;
    appliedRight += rightStep;
    pos += step;
    out += 2;
  }
}

// Frames until the position first reaches the next boundary, exactly: the
// last frame of the count is the first at or past the boundary, so a segment
// never reads beyond the boundary plus one value, and the wrap after it always
// finds the voice at or past the boundary. 0 when it is there already; a
// voice with a zero step never gets there. (A count rounded at 2^-24 of a
// sample value came out one frame short for distances just past a multiple
// of the step: the voice stopped a fraction short of its boundary, found a
// count of 0 there and never moved again.)
std::uint64_t FramesToBoundary(const MixVoice& v, std::uint64_t pos) {
  const XmSample& s = *v.sample;
  std::uint64_t distance;
  if (v.direction == 1) {
    std::uint32_t end = s.loopEnd();
    if ((pos >> 32) > end) end = s.length;
    const std::uint64_t boundary = std::uint64_t{end} << 32;
    if (boundary <= pos) return 0;
    distance = boundary - pos;
  } else {
    const std::uint64_t boundary = std::uint64_t{s.loopStart} << 32;
    if (pos <= boundary) return 0;
    distance = pos - boundary;
  }
  const std::uint64_t step = Fixed(v.stepInteger, v.stepFraction);
  if (step == 0) return UINT64_MAX;
  return distance / step + (distance % step != 0 ? 1 : 0);
}

// Ping-pong reflection at the end just reached. A step longer than the loop
// overshoots by several loop lengths; the bounces repeat every two loop
// lengths, so the landing point is found by one remainder whatever the step.
void Reflect(MixVoice& v, std::uint64_t& pos) {
  const XmSample& s = *v.sample;
  const std::uint64_t start = std::uint64_t{s.loopStart} << 32;
  const std::uint64_t end = std::uint64_t{s.loopEnd()} << 32;
  const std::uint64_t length = end - start;  // not 0: the caller checks
  if (v.direction == 2) {
    // How far the last step went below the start; the step is far shorter
    // than 2^63, so the difference is exact even when the position wrapped.
    const std::uint64_t below = start - pos;
    if (below == 0) {
      // Landed exactly on the loop start: one 2^-32 below it, moving forward.
      pos = start == 0 ? 0 : start - 1;
      v.direction = 1;
      return;
    }
    const std::uint64_t over = Remainder(below - 1, 2 * length);
    if (over < length) {
      pos = start + over;
      v.direction = 1;
    } else {
      pos = end - 1 - (over - length);
      v.direction = 2;
    }
  } else {
    const std::uint64_t over = Remainder(pos - end, 2 * length);
    if (over < length) {
      pos = end - 1 - over;
      v.direction = 2;
    } else {
      pos = start + (over - length);
      v.direction = 1;
    }
  }
}

// The ramp for the next segment: the one running while the targets stay,
// else a new one of rampLength frames from the volumes reached towards
// changed targets (steps stored in the voice). Returns its frames, 0 for none.
std::int32_t SetUpRamp(MixVoice& v, std::int32_t rampLength, float rampReciprocal) {
  if (v.rampCount != 0 && v.leftVolume == v.lastLeftTarget && v.rightVolume == v.lastRightTarget) return v.rampCount;
  v.lastLeftTarget = v.leftVolume;
  const int leftDiff = v.leftVolume - (v.currentLeft >> 8);
  v.leftRampStep = leftDiff == 0 ? 0.0f : static_cast<float>(leftDiff) * kVolumeScale * rampReciprocal;
  v.lastRightTarget = v.rightVolume;
  const int rightDiff = v.rightVolume - (v.currentRight >> 8);
  v.rightRampStep = rightDiff == 0 ? 0.0f : static_cast<float>(rightDiff) * kVolumeScale * rampReciprocal;
  return leftDiff != 0 || rightDiff != 0 ? rampLength : 0;
}

// After `frames` frames of a ramp: the applied volumes go back into the
// voice's 24.8 volumes, and at the ramp's end they settle on the targets.
void StoreRampVolumes(MixVoice& v, float appliedLeft, float appliedRight, std::int32_t frames) {
  v.currentLeft = static_cast<std::int32_t>(std::nearbyint(appliedLeft * 255.0f * 256.0f));
  v.currentRight = static_cast<std::int32_t>(std::nearbyint(appliedRight * 255.0f * 256.0f));
  v.rampCount -= frames;
  if (v.rampCount == 0) {
    v.leftRampStep = 0.0f;
    v.rightRampStep = 0.0f;
    v.currentLeft = v.leftVolume * 256;
    v.currentRight = v.rightVolume * 256;
  }
}

// Whether the voice sits inside a loop no longer than its step, where every
// frame crosses a loop point: a one-frame count to the boundary whatever the
// position (the distance is at most one loop length), then a wrap.
bool EveryFrameWraps(const MixVoice& v, std::uint64_t pos) {
  const XmSample& s = *v.sample;
  const std::uint64_t start = std::uint64_t{s.loopStart} << 32;
  const std::uint64_t end = std::uint64_t{s.loopEnd()} << 32;
  if (Fixed(v.stepInteger, v.stepFraction) < end - start) return false;
  constexpr std::int32_t kSmall = 1 << 21;  // 24.8 volumes (real ones stay below 2^15)
  for (const std::int32_t volume : {v.currentLeft, v.currentRight, v.leftVolume * 256, v.rightVolume * 256}) {
    if (volume <= -kSmall || volume >= kSmall) return false;
  }
  if (s.loopMode == kLoopForward) return v.direction == 1 && pos >= start && pos < end;
  if (s.loopMode != kLoopPingPong) return false;
  return v.direction == 1 ? pos >= start && pos < end : pos > start && pos < end;
}

// The frames of a voice for which EveryFrameWraps holds, one at a time, each
// as its one-frame segment would mix it (a ramp frame stores its volumes
// back; a plain frame uses the applied volumes), without a count and a
// remainder per frame: the voice walks a circle of one loop length (forward
// loops) or one round trip (ping-pong) by the step's remainder, one
// subtraction a frame. Stops where a ping-pong voice lands exactly on its
// loop start, which the caller's segments handle. Returns the frames mixed.
std::int32_t MixTinyLoop(MixVoice& v, std::uint64_t& pos, float* out, std::int32_t frames) {
  const XmSample& s = *v.sample;
  const std::int16_t* data = s.values();
  const std::uint64_t start = std::uint64_t{s.loopStart} << 32;
  const std::uint64_t length = std::uint64_t{s.loopLength} << 32;
  const std::uint64_t last = start + length - 1;  // the end on the way back
  const bool pingPong = s.loopMode == kLoopPingPong;
  const std::uint64_t circle = pingPong ? 2 * length : length;
  // The step modulo the circle, a whole number of values: only the step's
  // integer part needs the remainder, a 32-bit one.
  const std::uint64_t values = circle >> 32;
  const std::uint32_t integer = values > UINT32_MAX ? v.stepInteger : v.stepInteger % static_cast<std::uint32_t>(values);
  const std::uint64_t advance = Fixed(integer, v.stepFraction);
  // From the loop start going forward, then from the end going back.
  std::uint64_t along = v.direction == 1 ? pos - start : length + (last - pos);
  // A ramp stores its volumes back after every frame. Here they stay in
  // floats from frame to frame, which keeps two conversions out of each
  // frame's chain and gives the same bits: the 24.8 volumes are integers
  // below 2^21 (see EveryFrameWraps), exact in a float; scaling by powers of
  // two commutes with rounding, so x 1/256 x 1/255 is one multiply by
  // 1/255/256 and x 255 x 256 one by 65280; and adding and taking away
  // 1.5 x 2^23 rounds a float below 2^22 to an integer, ties to even.
  constexpr float kApplied = kVolumeScale * kCurrentScale;
  constexpr float kStore = 255.0f * 256.0f;
  constexpr float kRound = 12582912.0f;
  float currentLeft = static_cast<float>(v.currentLeft);
  float currentRight = static_cast<float>(v.currentRight);
  bool silent = false;
  float appliedLeft = 0.0f;
  float appliedRight = 0.0f;
  const auto steady = [&] {
    silent = v.leftVolume == 0 && v.rightVolume == 0 && v.currentLeft == 0 && v.currentRight == 0;
    appliedLeft = static_cast<float>(v.currentLeft) * kCurrentScale * kVolumeScale;
    appliedRight = static_cast<float>(v.currentRight) * kCurrentScale * kVolumeScale;
  };
  steady();
  std::int32_t i = 0;
  for (; i < frames; ++i, out += 2) {
    if (pingPong && along == circle - 1) break;  // on the loop start, going back
    const std::uint64_t at = along < length ? start + along : last - (along - length);
    along += advance;
    if (along >= circle) along -= circle;
    if (v.rampCount > 0) {
      const float left = currentLeft * kApplied;
      const float right = currentRight * kApplied;
      const float value = ValueAt(data, at);
      out[0] += value * left;
      out[1] += value * right;
      currentLeft = ((left + v.leftRampStep) * kStore + kRound) - kRound;
      currentRight = ((right + v.rightRampStep) * kStore + kRound) - kRound;
      if (--v.rampCount == 0) {
        v.leftRampStep = 0.0f;
        v.rightRampStep = 0.0f;
        v.currentLeft = v.leftVolume * 256;
        v.currentRight = v.rightVolume * 256;
        currentLeft = static_cast<float>(v.currentLeft);
        currentRight = static_cast<float>(v.currentRight);
        steady();
      }
    } else if (!silent) {
      const float value = ValueAt(data, at);
      out[0] += value * appliedLeft;
      out[1] += value * appliedRight;
    }
  }
  v.currentLeft = static_cast<std::int32_t>(currentLeft);
  v.currentRight = static_cast<std::int32_t>(currentRight);
  v.direction = along < length ? 1 : 2;
  pos = along < length ? start + along : last - (along - length);
  return i;
}

// Adds one voice's next frames to the buffer, segment by segment, and
// moves its position on (or ends it at the end of a sample without a loop).
void MixOneVoice(MixVoice& v, float* buffer, std::int32_t frames, std::int32_t rampLength, float rampReciprocal) {
  float* out = buffer;
  std::int32_t remaining = frames;
  std::uint64_t pos = Fixed(v.position, v.fraction);
  if (v.sample->loopMode != kLoopPingPong) v.direction = 1;  // only ping-pong loops run backward
  while (remaining > 0) {
    const XmSample& s = *v.sample;
    // A position outside the data can only come from a corrupt loop; keep
    // the reads inside the sample.
    if ((pos >> 32) > s.length) pos = std::uint64_t{s.length} << 32;

    const std::int32_t ramp = SetUpRamp(v, rampLength, rampReciprocal);
    if (ramp > 0) v.rampCount = ramp;
    // In a loop no longer than the step the frames go one at a time, each
    // as its one-frame segment below would mix it. (A ramp that is kept
    // while this segment mixes without one takes the segments.)
    if (EveryFrameWraps(v, pos) && (ramp > 0) == (v.rampCount > 0)) {
      const std::int32_t done = MixTinyLoop(v, pos, out, remaining);
      out += 2 * done;
      remaining -= done;
      if (done > 0) continue;
    }

    std::int32_t segment = remaining;
    bool boundary = false;
    const std::uint64_t n = FramesToBoundary(v, pos);
    if (n <= static_cast<std::uint64_t>(segment)) {
      segment = static_cast<std::int32_t>(n);
      boundary = true;
    }
    const std::int32_t boundarySegment = segment;
    if (ramp > 0 && segment > ramp) segment = ramp;

    const float left = static_cast<float>(v.leftVolume) * kVolumeScale;
    const float right = static_cast<float>(v.rightVolume) * kVolumeScale;
    float appliedLeft = static_cast<float>(v.currentLeft) * kCurrentScale * kVolumeScale;
    float appliedRight = static_cast<float>(v.currentRight) * kCurrentScale * kVolumeScale;

    std::uint64_t step = Fixed(v.stepInteger, v.stepFraction);
    if (v.direction == 2) step = ~step + 1;

    const std::int16_t* data = s.values();
    if (ramp > 0) {
      MixRamp(data, pos, step, out, segment, appliedLeft, appliedRight, v.leftRampStep, v.rightRampStep);
      StoreRampVolumes(v, appliedLeft, appliedRight, segment);
    } else if (v.leftVolume == 0 && v.rightVolume == 0 && v.currentLeft == 0 && v.currentRight == 0) {
      // Silent: every product is zero, so only the position moves.
      pos += step * static_cast<std::uint64_t>(segment);
    } else if (segment > 0) {
      MixPlain(data, pos, step, out, segment, left, right, appliedLeft, appliedRight);
    }
    out += 2 * segment;
    remaining -= segment;

    if (segment != boundarySegment || !boundary) {
      if (segment == boundarySegment) break;  // done for this call
      continue;  // the ramp ended inside the segment
    }

    // The segment ended at the boundary, which the count always reaches: the
    // wrap moves the voice back inside its loop (or ends it), so every pass
    // mixes at least one frame or leaves the boundary behind.
    if (s.loopMode == kLoopForward && s.loopLength != 0) {
      const std::uint64_t start = std::uint64_t{s.loopStart} << 32;
      const std::uint64_t length = std::uint64_t{s.loopLength} << 32;
      if (pos >= start + length) {
        pos = start + Remainder(pos - start, length);
      }
    } else if (s.loopMode == kLoopPingPong && s.loopLength != 0) {
      Reflect(v, pos);
    } else {
      pos = 0;
      v.sample = nullptr;
      break;
    }
  }
  v.position = static_cast<std::uint32_t>(pos >> 32);
  v.fraction = static_cast<std::uint32_t>(pos);
}

}  // namespace

void MixVoices(XmPlayer& player, float* buffer, std::int32_t frames) {
  if (frames < 1) return;
  for (MixVoice& voice : player.voices) {
    if (voice.sample == nullptr) continue;
    MixOneVoice(voice, buffer, frames, player.rampLength, player.rampReciprocal);
  }
}

void ClipToPcm16(std::int16_t* destination, const float* source, std::int32_t frames) {
  if (frames < 1 || destination == nullptr || source == nullptr) return;
  const std::int32_t count = 2 * frames;
  std::int32_t i = 0;
  // Clamped to the 16-bit range, then rounded by adding 1.5 x 2^23, which
  // leaves the integer, ties to even as lrint rounds, in the low bits of the
  // float (2^22 + value: the low 16 bits are the value's own). NaN, which
  // lrint turns into 0 here, is masked to 0.
  const auto round = [](const float* at) {
    Float4 x;
    std::memcpy(&x, at, sizeof x);
    const Int4 high = x > 32767.0f;
    const Int4 low = x < -32768.0f;
    const Int4 number = x == x;
    const Float4 top = {32767.0f, 32767.0f, 32767.0f, 32767.0f};
    const Float4 bottom = {-32768.0f, -32768.0f, -32768.0f, -32768.0f};
    const Int4 clamped = (Bits(x) & ~(high | low)) | (Bits(top) & high) | (Bits(bottom) & low);
    const Float4 rounded = __builtin_bit_cast(Float4, clamped) + 12582912.0f;
    return Bits(rounded) & number;
  };
  // Eight values a pass: the low halves of two vectors' lanes, picked into
  // one (little-endian: a lane's low half is its first 16-bit element).
  using Short8 = std::int16_t __attribute__((vector_size(16)));
  for (; i + 8 <= count; i += 8) {
    const Short8 first = __builtin_bit_cast(Short8, round(source + i));
    const Short8 second = __builtin_bit_cast(Short8, round(source + i + 4));
    const Short8 values = __builtin_shufflevector(first, second, 0, 2, 4, 6, 8, 10, 12, 14);
    std::memcpy(destination + i, &values, sizeof values);
  }
  for (; i + 4 <= count; i += 4) {
    const Int4 bits = round(source + i);
    for (int k = 0; k < 4; ++k) destination[i + k] = static_cast<std::int16_t>(bits[k]);
  }
  for (; i < count; ++i) {
    const float x = source[i];
    std::int16_t value;
    if (x >= 32767.0f) {
      value = 32767;
    } else if (x <= -32768.0f) {
      value = -32768;
    } else {
      value = static_cast<std::int16_t>(std::lrint(x));  // ties to even
    }
    destination[i] = value;
  }
}

}  // namespace korveld::xm
