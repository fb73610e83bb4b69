// The mixer: loop points, the volume ramp and the 16-bit clip; and hostile
// steps, loops and lengths, played within bounds (the sanitizer build too).
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "platform/image_io.hpp"
#include "tests/support/golden.hpp"
#include "tests/xm/xm_test_helpers.hpp"

namespace korveld::xm {
namespace {

XmSample MakeSample(std::uint32_t length, std::int16_t value, std::uint8_t mode, std::uint32_t loopStart,
                    std::uint32_t loopLength) {
  XmSample s;
  s.length = length;
  s.data.assign(length + 8, 0);
  for (std::uint32_t i = 0; i < length; ++i) s.data[i] = value;
  s.loopMode = mode;
  s.loopStart = loopStart;
  s.loopLength = loopLength;
  s.bits = 16;
  if (mode == kLoopForward) s.data[loopStart + loopLength] = s.data[loopStart];
  if (mode == kLoopPingPong) s.data[loopStart + loopLength] = s.data[loopStart + loopLength - 1];
  return s;
}

// A voice at steady volumes (no ramp pending).
void Steady(MixVoice& v, const XmSample* s, int left, int right, double step) {
  v = MixVoice{};
  v.sample = s;
  v.leftVolume = left;
  v.rightVolume = right;
  v.lastLeftTarget = left;
  v.lastRightTarget = right;
  v.currentLeft = left * 256;
  v.currentRight = right * 256;
  v.stepInteger = static_cast<std::uint32_t>(step);
  v.stepFraction = static_cast<std::uint32_t>((step - std::floor(step)) * 4294967296.0);
}

struct MixerTest : testing::PlayerTest {
  std::vector<float> out = std::vector<float>(2 * 8192, 0.0f);
  void Mix(int frames) {
    std::fill(out.begin(), out.end(), 0.0f);
    MixVoices(player, out.data(), frames);
  }
};

TEST_F(MixerTest, LengthZeroSampleMixesNothingAndSwitchesOff) {
  Steady(player.voices[3], DummySample(), 100, 100, 1.0);
  Mix(64);
  EXPECT_EQ(player.voices[3].sample, nullptr);
  for (float f : out) ASSERT_EQ(f, 0.0f);
}

TEST_F(MixerTest, ForwardLoopSegmentWrapsInsideTheLoop) {
  const XmSample s = MakeSample(200, 1000, kLoopForward, 100, 10);
  MixVoice& v = player.voices[0];
  Steady(v, &s, 255, 255, 3.5);
  v.position = 108;
  Mix(1);  // ceiling(2 / 3.5) = 1 frame reaches 111.5, which wraps to 101.5
  EXPECT_EQ(std::tuple(v.position, v.fraction), std::tuple(101u, 0x80000000u));
  EXPECT_EQ(v.sample, &s);
  Mix(2);  // 105.0, 108.5
  EXPECT_EQ(std::tuple(v.position, v.fraction), std::tuple(108u, 0x80000000u));
  Mix(1);  // 112.0 -> 102.0
  EXPECT_EQ(std::tuple(v.position, v.fraction), std::tuple(102u, 0u));
  // Every frame inside the loop reads the constant.
  EXPECT_FLOAT_EQ(out[0], 1000.0f * (255 * 0.003921569f));
  v.stepInteger = 4;  // 106.0, then exactly the loop end: back to the start
  v.stepFraction = 0;
  Mix(2);
  EXPECT_EQ(v.position, 100u);
}

// Loops shorter than the step: forward loops wrap and ping-pong loops bounce
// by one remainder, landing where the wraps and reflections one at a time
// would, whatever the step.
TEST_F(MixerTest, LoopsShorterThanTheStepLandWhereSingleWrapsWould) {
  XmSample s = MakeSample(8, 100, kLoopForward, 2, 3);
  MixVoice& v = player.voices[0];
  Steady(v, &s, 0, 0, 1000.5);
  v.position = 2;
  Mix(1);  // 1002.5 -> 2 + (1000.5 mod 3) = 3.5
  EXPECT_EQ(std::tuple(v.position, v.fraction), std::tuple(3u, 0x80000000u));

  s.loopMode = kLoopPingPong;  // 1002.5 bounces 166 times between 5 and 2 to 3.5 - 2^-32, going back
  v.position = 2;
  v.fraction = 0;
  Mix(1);
  EXPECT_EQ(std::tuple(v.position, v.fraction, v.direction), std::tuple(3u, 0x7FFFFFFFu, 2));
  // 3.5 - 2^-32 - 1000.5 bounces back up, 999 past the start: 999 mod 6 = 3
  // lands on the loop end, 5 - 2^-32, going back.
  Mix(1);
  EXPECT_EQ(std::tuple(v.position, v.fraction, v.direction), std::tuple(4u, 0xFFFFFFFFu, 2));
}

// A sample end 2^24 values and more away (still, after the 128-frame ramp)
// is cut exactly: the voice sounds up to the frame that crosses the end and
// is off from there on, reading nothing past the sample.
TEST_F(MixerTest, FarSampleEndIsCutAtTheExactFrame) {
  constexpr std::uint32_t kLength = (1u << 24) + (1u << 22);
  xmgen::Sample s;
  s.useRawData = true;
  s.rawData.assign(kLength, 0);
  s.rawData[0] = 0x40;  // 8-bit deltas: every value 0x4000
  s.relativeNote = -1;
  xmgen::Module m = xmgen::SimpleModule(1, {s}, true);
  m.bpm = 32;  // a tick longer than the block: the block is one stretch
  m.cell(0, 0, 0) = {1, 1, 0, 0, 0};  // real note 255: a step of about 29,560 values
  ASSERT_TRUE(Load(m));
  BeginOfflineRender(player, player.CurrentSong.get());
  FillBlock(player);
  const std::int16_t* pcm = BlockPcm(player, 0);
  const MixVoice& v = player.voices[0];
  EXPECT_EQ(v.sample, nullptr);
  const std::uint64_t step = (std::uint64_t{v.stepInteger} << 32) | v.stepFraction;
  ASSERT_GT(step, std::uint64_t{29000} << 32);
  const std::uint64_t last = ((std::uint64_t{kLength} << 32) + step - 1) / step;  // frames that read the sample
  ASSERT_LT(last, static_cast<std::uint64_t>(kBlockFrames));
  EXPECT_NE(pcm[2 * (last - 1)], 0);
  for (std::uint64_t f = last; f < kBlockFrames; ++f) ASSERT_EQ(pcm[2 * f], 0) << "frame " << f;
}

// Where a voice stands on its loop's circle: forward loops from the loop
// start; ping-pong loops forward from the start and then back from the end,
// one round trip long (one below the start going forward, where a landing
// exactly on the start turns, is the round trip's last unit).
std::uint64_t AlongTheLoop(const MixVoice& v, const XmSample& s) {
  const std::uint64_t start = std::uint64_t{s.loopStart} << 32;
  const std::uint64_t length = std::uint64_t{s.loopLength} << 32;
  const std::uint64_t pos = (std::uint64_t{v.position} << 32) | v.fraction;
  if (s.loopMode == kLoopForward) return pos - start;
  if (v.direction == 1) return pos < start ? 2 * length - 1 : pos - start;
  return length + (start + length - 1 - pos);
}

// Every position a few 2^-32 units before a loop point, or before a multiple
// of the step from it, at a spread of steps: a call of one frame, of exactly
// the frames that reach the loop point, or of 64 frames moves the voice that
// many steps round its loop and leaves it inside. A count to the loop point
// rounded one frame short left the voice just before it with nothing to mix,
// for ever; one frame long left it past the loop end at the end of a call.
TEST_F(MixerTest, EveryPositionNearALoopPointAdvancesAndWraps) {
  const std::uint64_t kSteps[] = {(std::uint64_t{100} << 32) / kMixRate, 1u << 31, 0xFFFFFFFF, 1ull << 32,
                                  (1ull << 32) + 256,  11ull << 30,       3ull << 32,  (16ull << 32) + 12345,
                                  (29560ull << 32) + 0x1234567};
  MixVoice& v = player.voices[5];
  for (const std::uint8_t mode : {kLoopForward, kLoopPingPong}) {
    for (const std::uint32_t length : {1u, 2u, 3u, 16u}) {
      const XmSample s = MakeSample(24, 3000, mode, 3, length);
      const std::uint64_t loop = std::uint64_t{length} << 32;
      const std::uint64_t circle = mode == kLoopPingPong ? 2 * loop : loop;
      for (const std::uint64_t step : kSteps) {
        std::vector<std::uint64_t> distances;
        for (std::uint64_t d = 1; d <= 600; d += d < 8 ? 1 : 61) distances.push_back(d);
        for (std::uint64_t m = 1; m <= 3; ++m) {
          for (const int e : {-300, -5, -1, 1, 5, 300}) distances.push_back(m * step + static_cast<std::uint64_t>(e));
        }
        for (const int direction : {1, 2}) {
          for (const std::uint64_t distance : distances) {
            if (distance == 0 || distance >= loop) continue;
            const std::uint64_t reach = (distance + step - 1) / step;
            for (const std::uint64_t frames : {std::uint64_t{1}, reach, std::uint64_t{64}}) {
              Steady(v, &s, 100, 50, 0.0);
              v.stepInteger = static_cast<std::uint32_t>(step >> 32);
              v.stepFraction = static_cast<std::uint32_t>(step);
              v.direction = direction;
              const std::uint64_t pos = direction == 1 ? (std::uint64_t{s.loopEnd()} << 32) - distance
                                                       : (std::uint64_t{s.loopStart} << 32) + distance;
              v.position = static_cast<std::uint32_t>(pos >> 32);
              v.fraction = static_cast<std::uint32_t>(pos);
              const std::uint64_t expect = (AlongTheLoop(v, s) + frames * (step % circle)) % circle;
              Mix(static_cast<int>(frames));
              ASSERT_EQ(AlongTheLoop(v, s), expect) << "mode " << int{mode} << " length " << length << " step "
                                                    << step << " direction " << direction << " distance "
                                                    << distance << " frames " << frames;
              ASSERT_TRUE(v.position + 1 >= s.loopStart && v.position < s.loopEnd());
            }
          }
        }
      }
    }
  }
}

// Tiny loops at the fastest tempo (every voice ramping all the time, see
// TinyLoopModule) with distinct values: 3-value loops at real note 255, where
// every frame wraps, and 16-value loops at real note 123 (a step of 14.4
// values), where segments are one or two frames long. Two seconds of each
// match hashes taken from segment-by-segment mixing before the one-frame path
// and the replay's lookup tables existed.
TEST_F(MixerTest, TinyLoopsAtTheFastestTempoMatchTheirGoldenHashes) {
  for (const auto& [name, length, relativeNote] : {std::tuple{"tiny-loops-3", 3u, -1}, {"short-loops-16", 16u, 123}}) {
    xmgen::Module m = xmgen::TinyLoopModule();
    for (xmgen::Instrument& instrument : m.instruments) {
      xmgen::Sample& s = instrument.samples[0];
      s.values.clear();
      for (std::uint32_t i = 0; i <= length; ++i) s.values.push_back(static_cast<std::int16_t>(0x3000 - 0x700 * i));
      s.loopLength = length;
      s.relativeNote = static_cast<std::int8_t>(relativeNote);
    }
    ASSERT_TRUE(Load(m));
    BeginOfflineRender(player, player.CurrentSong.get());
    const std::vector<std::int16_t> pcm = testing::RenderBlocks(player, 100);
    support::ExpectGolden(KORVELD_SOURCE_DIR "/tests/xm/golden_hashes.txt", name,
                          platform::BytesHash(pcm.data(), pcm.size() * sizeof(std::int16_t)));
  }
}

// A volume change from 0 to 127 ramps over exactly 128 frames. Inside one
// segment the applied volume grows by the step each frame; where every frame
// is a segment of its own (a 1-value loop at a step of 29,560 values) it is
// stored back after each frame as a 24.8 volume, rounded to nearest.
TEST_F(MixerTest, VolumeRampRunsExactly128Frames) {
  const XmSample oneShot = MakeSample(4000, 10000, kLoopNone, 0, 4000);
  const XmSample tinyLoop = MakeSample(2, 10000, kLoopForward, 0, 1);
  const float step = 127 * 0.003921569f * (1.0f / 128.0f);
  for (const XmSample* s : {&oneShot, &tinyLoop}) {
    MixVoice& v = player.voices[0];
    Steady(v, s, 0, 0, s == &oneShot ? 1.0 : 29560.4);
    v.leftVolume = 127;
    Mix(300);
    float applied = 0.0f;
    for (int i = 0; i < 128; ++i) {
      ASSERT_EQ(out[static_cast<std::size_t>(2 * i)], 10000.0f * applied) << i;
      applied += step;
      if (s == &tinyLoop) applied = std::nearbyint(applied * 255.0f * 256.0f) * (1.0f / 256.0f) * 0.003921569f;
    }
    const float target = 10000.0f * (127 * 0.003921569f);
    for (int i = 128; i < 300; ++i) ASSERT_EQ(out[static_cast<std::size_t>(2 * i)], target) << i;
    for (int i = 0; i < 300; ++i) ASSERT_EQ(out[static_cast<std::size_t>(2 * i + 1)], 0.0f);
    EXPECT_EQ(v.rampCount, 0);
    EXPECT_EQ(v.currentLeft, 127 * 256);
  }
}

// A NaN (here one whose payload would show in the low bits) gives 0.
TEST(ClipTest, ClipsAndRoundsTiesToEven) {
  const float in[] = {0.5f,     1.5f,      __builtin_bit_cast(float, 0x7FC01234u), -0.5f,     -1.5f,
                      40000.0f, -40000.0f, 32767.4f,                               -32768.6f, 12.49f};
  std::int16_t outPcm[10] = {};
  ClipToPcm16(outPcm, in, 5);
  const std::int16_t expect[] = {0, 2, 0, 0, -2, 32767, -32768, 32767, -32768, 12};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(outPcm[i], expect[i]) << i;
  std::int16_t untouched[2] = {7, 7};
  ClipToPcm16(untouched, in, 0);
  ClipToPcm16(untouched, nullptr, 1);
  EXPECT_EQ(untouched[0], 7);
}

}  // namespace
}  // namespace korveld::xm
