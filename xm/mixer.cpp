// The software mixer: every voice with a sample is resampled with linear
// interpolation into the stereo float buffer, with a 128-frame linear ramp on
// every change of its left or right volume. Segments are cut beforehand at the
// next loop point or sample end and at the end of a ramp, so the per-frame
// loop needs no range checks.
#include <algorithm>
#include <cmath>

#include "xm/xm_player.hpp"

namespace korveld::xm {
namespace {

constexpr float kVolumeScale = 0.003921569f;  // 1/255
constexpr float kCurrentScale = 1.0f / 256.0f;  // 24.8 volumes
constexpr float kFractionScale = 4.656613e-10f;  // 2^-31

inline std::uint64_t Fixed(std::uint32_t integer, std::uint32_t fraction) {
  return (std::uint64_t{integer} << 32) | fraction;
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

// Frames of a segment without a ramp, two per pass.
void MixPlain(const std::int16_t* data, std::uint64_t& pos, std::uint64_t step, float* out, int frames, float left,
              float right, float appliedLeft, float appliedRight) {
  int i = 0;
  for (; i + 1 < frames; i += 2) {
    const float v0 = ValueAt(data, pos);
    pos += step;
    const float v1 = ValueAt(data, pos);
    pos += step;
    out[0] += v0 * left;
    out[1] += v0 * right;
    out[2] += v1 * left;
    out[3] += v1 * right;
    out += 4;
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
    if (v.position > end) end = s.length;
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
    const std::uint64_t over = (below - 1) % (2 * length);
    if (over < length) {
      pos = start + over;
      v.direction = 1;
    } else {
      pos = end - 1 - (over - length);
      v.direction = 2;
    }
  } else {
    const std::uint64_t over = (pos - end) % (2 * length);
    if (over < length) {
      pos = end - 1 - over;
      v.direction = 2;
    } else {
      pos = start + (over - length);
      v.direction = 1;
    }
  }
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
    v.position = static_cast<std::uint32_t>(pos >> 32);

    std::int32_t segment = remaining;
    bool boundary = false;
    const std::uint64_t n = FramesToBoundary(v, pos);
    if (n <= static_cast<std::uint64_t>(segment)) {
      segment = static_cast<std::int32_t>(n);
      boundary = true;
    }
    const std::int32_t boundarySegment = segment;

    float leftStep = 0.0f;
    float rightStep = 0.0f;
    std::int32_t ramp = 0;
    if (v.rampCount != 0 && v.leftVolume == v.lastLeftTarget && v.rightVolume == v.lastRightTarget) {
      ramp = v.rampCount;
      leftStep = v.leftRampStep;
      rightStep = v.rightRampStep;
    } else {
      v.lastLeftTarget = v.leftVolume;
      const int leftDiff = v.leftVolume - (v.currentLeft >> 8);
      leftStep = leftDiff == 0 ? 0.0f : static_cast<float>(leftDiff) * kVolumeScale * rampReciprocal;
      v.leftRampStep = leftStep;
      v.lastRightTarget = v.rightVolume;
      const int rightDiff = v.rightVolume - (v.currentRight >> 8);
      rightStep = rightDiff == 0 ? 0.0f : static_cast<float>(rightDiff) * kVolumeScale * rampReciprocal;
      v.rightRampStep = rightStep;
      if (leftDiff != 0 || rightDiff != 0) ramp = rampLength;
    }
    if (ramp > 0) {
      v.rampCount = ramp;
      if (segment > ramp) segment = ramp;
    }

    const float left = static_cast<float>(v.leftVolume) * kVolumeScale;
    const float right = static_cast<float>(v.rightVolume) * kVolumeScale;
    float appliedLeft = static_cast<float>(v.currentLeft) * kCurrentScale * kVolumeScale;
    float appliedRight = static_cast<float>(v.currentRight) * kCurrentScale * kVolumeScale;

    std::uint64_t step = Fixed(v.stepInteger, v.stepFraction);
    if (v.direction == 2) step = ~step + 1;

    const std::int16_t* data = s.values();
    if (ramp > 0) {
      MixRamp(data, pos, step, out, segment, appliedLeft, appliedRight, leftStep, rightStep);
      v.currentLeft = static_cast<std::int32_t>(std::nearbyint(appliedLeft * 255.0f * 256.0f));
      v.currentRight = static_cast<std::int32_t>(std::nearbyint(appliedRight * 255.0f * 256.0f));
      v.rampCount -= segment;
      if (v.rampCount == 0) {
        v.leftRampStep = 0.0f;
        v.rightRampStep = 0.0f;
        v.currentLeft = v.leftVolume * 256;
        v.currentRight = v.rightVolume * 256;
      }
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
        pos = start + (pos - start) % length;
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
  for (std::int32_t i = 0; i < count; ++i) {
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
