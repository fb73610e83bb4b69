// The mixer: segment cutting at loop points, ping-pong reflection, the
// 128-frame volume ramp, panning and the 16-bit clip.
#include <gtest/gtest.h>

#include <cmath>

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

struct MixerTest : ::testing::Test {
  XmPlayer player;
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
}

TEST_F(MixerTest, PingPongReversesAtBothEnds) {
  const XmSample s = MakeSample(64, 500, kLoopPingPong, 10, 20);  // loop 10..30
  MixVoice& v = player.voices[0];
  Steady(v, &s, 100, 100, 4.0);
  v.position = 20;
  std::vector<int> directions{v.direction};
  std::vector<std::uint32_t> positions;
  for (int i = 0; i < 12; ++i) {
    Mix(1);
    if (v.direction != directions.back()) directions.push_back(v.direction);
    positions.push_back(v.position);
    ASSERT_GE(v.position, 9u);
    ASSERT_LE(v.position, 30u);
  }
  ASSERT_GE(directions.size(), 3u);
  EXPECT_EQ(directions[0], 1);
  EXPECT_EQ(directions[1], 2);
  EXPECT_EQ(directions[2], 1);
  // 20, 24, 28 then 32 reflects at 30 to 28 - 2^-32 (27.999..).
  EXPECT_EQ(positions[2], 27u);
}

TEST_F(MixerTest, NonLoopingSampleEndsAndSwitchesOff) {
  const XmSample s = MakeSample(10, 300, kLoopNone, 0, 10);
  MixVoice& v = player.voices[5];
  Steady(v, &s, 255, 0, 1.0);
  Mix(20);
  EXPECT_EQ(v.sample, nullptr);
  EXPECT_FLOAT_EQ(out[2 * 9], 300.0f * (255 * 0.003921569f));
  for (int i = 10; i < 20; ++i) ASSERT_EQ(out[static_cast<std::size_t>(2 * i)], 0.0f);
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

TEST_F(MixerTest, ChangeDuringARampStartsANewRampFromTheReachedVolume) {
  const XmSample s = MakeSample(4000, 10000, kLoopNone, 0, 4000);
  MixVoice& v = player.voices[0];
  Steady(v, &s, 0, 0, 1.0);
  v.leftVolume = 128;
  Mix(64);
  EXPECT_EQ(v.rampCount, 64);
  const float reached = static_cast<float>(v.currentLeft) / 256.0f;
  EXPECT_NEAR(reached, 64.0f, 0.6f);
  v.leftVolume = 0;
  Mix(200);
  EXPECT_NEAR(out[0], 10000.0f * reached / 255.0f, 2.0f);
  EXPECT_NEAR(out[2 * 64], 10000.0f * reached / 255.0f / 2, 2.0f);
  EXPECT_GT(out[2 * 127], 0.0f);
  for (int i = 128; i < 200; ++i) ASSERT_EQ(out[static_cast<std::size_t>(2 * i)], 0.0f);
}

TEST_F(MixerTest, HardPanPutsAVoiceOnOneSideOnly) {
  testing::FakePlatform platform;
  XmPlayerInit(player, platform);
  XmSong song;
  song.globalVolume = 64;
  XmChannel& c = player.channels[0];
  const XmSample s = MakeSample(100, 1000, kLoopForward, 0, 100);
  for (int pan : {255, 0}) {
    c = XmChannel{};
    c.volume = 64;
    c.volumeEnvelope.current = 64;
    c.panningEnvelope.current = 32;
    c.fadeoutVolume = 65536;
    c.pan = pan;
    c.period = 1712;
    c.requests = kRequestTrigger | kRequestVolume | kRequestPan | kRequestFrequency;
    player.voices[0] = MixVoice{};
    CommitChannel(player, c, &s, song);
    const MixVoice& v = player.voices[static_cast<std::size_t>(c.voice)];
    EXPECT_EQ(v.volume, 127);
    EXPECT_EQ(v.leftVolume, pan == 255 ? 127 : 0);
    EXPECT_EQ(v.rightVolume, pan == 255 ? 0 : 127);
    Mix(300);
    for (int i = 0; i < 300; ++i) {
      ASSERT_EQ(out[static_cast<std::size_t>(2 * i + (pan == 255 ? 1 : 0))], 0.0f);
    }
    EXPECT_GT(std::fabs(out[2 * 200 + (pan == 255 ? 0 : 1)]), 400.0f);
  }
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
