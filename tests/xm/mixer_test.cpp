// The mixer: loop points, the volume ramp and the 16-bit clip; and hostile
// steps, loops and lengths, played within bounds (the sanitizer build too).
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

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
  std::vector<float> out = std::vector<float>(2 * 4096, 0.0f);
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
  EXPECT_EQ(v.position, 101u);
  EXPECT_EQ(v.fraction, 0x80000000u);
  EXPECT_EQ(v.sample, &s);
  Mix(2);  // 105.0, 108.5
  EXPECT_EQ(v.position, 108u);
  EXPECT_EQ(v.fraction, 0x80000000u);
  Mix(1);  // 112.0 -> 102.0
  EXPECT_EQ(v.position, 102u);
  EXPECT_EQ(v.fraction, 0u);
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
  EXPECT_EQ(v.position, 3u);
  EXPECT_EQ(v.fraction, 0x80000000u);

  s.loopMode = kLoopPingPong;  // 1002.5 bounces 166 times between 5 and 2 to 3.5 - 2^-32, going back
  v.position = 2;
  v.fraction = 0;
  Mix(1);
  EXPECT_EQ(v.position, 3u);
  EXPECT_EQ(v.fraction, 0x7FFFFFFFu);
  EXPECT_EQ(v.direction, 2);
  // 3.5 - 2^-32 - 1000.5 bounces back up, 999 past the start: 999 mod 6 = 3
  // lands on the loop end, 5 - 2^-32, going back.
  Mix(1);
  EXPECT_EQ(v.position, 4u);
  EXPECT_EQ(v.fraction, 0xFFFFFFFFu);
  EXPECT_EQ(v.direction, 2);
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

// CPU time of this thread: a loaded machine cannot make the bound flake.
double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Every frame a loop boundary on every voice: ten seconds render within a
// bound that a loop per wrap would pass many times over.
TEST_F(MixerTest, TinyLoopsAtTheHighestStepRenderTenSecondsInBoundedTime) {
  ASSERT_TRUE(Load(xmgen::TinyLoopModule()));
  BeginOfflineRender(player, player.CurrentSong.get());
  const double start = ThreadCpuSeconds();
  std::vector<std::int16_t> pcm;
  for (int second = 0; second < 10 && ThreadCpuSeconds() - start < 60.0; ++second) {
    pcm = testing::RenderBlocks(player, kMixRate / kBlockFrames);
  }
  ASSERT_LT(ThreadCpuSeconds() - start, 60.0) << "past the bound of 60 s CPU";
  for (const MixVoice& v : player.voices) ASSERT_TRUE(v.sample == nullptr || v.position < 1u);
  // A 1-value loop plays its value: the output settles at a constant.
  EXPECT_NE(pcm.back(), 0);
  EXPECT_EQ(pcm[pcm.size() - 2], pcm[pcm.size() - 2 - 2 * 1000]);
}

TEST_F(MixerTest, VolumeRampRunsExactly128Frames) {
  const XmSample s = MakeSample(4000, 10000, kLoopNone, 0, 4000);
  MixVoice& v = player.voices[0];
  Steady(v, &s, 0, 0, 1.0);
  v.leftVolume = 127;
  Mix(300);
  const float target = 10000.0f * (127 * 0.003921569f);
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_NEAR(out[2 * 64], target * 64 / 128, 1.0);
  EXPECT_LT(out[2 * 127], target);
  EXPECT_NEAR(out[2 * 127], target * 127 / 128, 1.0);
  for (int i = 128; i < 300; ++i) ASSERT_EQ(out[static_cast<std::size_t>(2 * i)], target) << i;
  for (int i = 0; i < 300; ++i) ASSERT_EQ(out[static_cast<std::size_t>(2 * i + 1)], 0.0f);
  EXPECT_EQ(v.rampCount, 0);
  EXPECT_EQ(v.currentLeft, 127 * 256);

}

TEST(ClipTest, ClipsAndRoundsTiesToEven) {
  const float in[] = {0.5f, 1.5f, 2.5f, -0.5f, -1.5f, 40000.0f, -40000.0f, 32767.4f, -32768.6f, 12.49f};
  std::int16_t outPcm[10] = {};
  ClipToPcm16(outPcm, in, 5);
  const std::int16_t expect[] = {0, 2, 2, 0, -2, 32767, -32768, 32767, -32768, 12};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(outPcm[i], expect[i]) << i;
  std::int16_t untouched[2] = {7, 7};
  ClipToPcm16(untouched, in, 0);
  ClipToPcm16(untouched, nullptr, 1);
  EXPECT_EQ(untouched[0], 7);
}

}  // namespace
}  // namespace korveld::xm
