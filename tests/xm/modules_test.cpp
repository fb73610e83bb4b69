// The four embedded modules: they load, run long enough before they loop,
// exercise the player's features, and render bit-identically to the golden
// hashes of their first 20 seconds.
//
// To regenerate the golden hashes after an intended change of the player or
// the modules:
//   KORVELD_REGENERATE_GOLDEN=1 ./build/korveld_tests_xm --gtest_filter='Modules*Golden*'
// The run rewrites tests/xm/golden_hashes.txt and fails on purpose.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "content/xm/xm_modules.hpp"
#include "platform/image_io.hpp"
#include "tests/support/golden.hpp"
#include "tests/xm/xm_test_helpers.hpp"

namespace korveld::xm {
namespace {

struct ModulesTest : ::testing::Test {
  testing::FakePlatform platform;
  XmPlayer player;
  void SetUp() override { XmPlayerInit(player, platform); }
  XmSong& Load(int n) {
    const auto image = content::XmModuleImage(n);
    EXPECT_TRUE(LoadSongFromMemory(player, image.data(), static_cast<std::int32_t>(image.size())));
    return *player.CurrentSong;
  }
};

TEST_F(ModulesTest, EachModuleLoadsAndRunsAtLeastNinetySecondsBeforeItLoops) {
  for (int n = 1; n <= content::kXmModuleCount; ++n) {
    XmSong& song = Load(n);
    EXPECT_GE(song.channelCount, 4) << n;
    EXPECT_LE(song.channelCount, 8) << n;
    EXPECT_EQ(std::string(content::kXmCredits[n].title).empty(), false);
    // Run the replay alone, tick by tick, until the order goes backwards.
    ResetSongState(player, song);
    std::int64_t samples = 0;
    int lastOrder = 0;
    bool looped = false;
    for (int tick = 0; tick < 200000 && !looped; ++tick) {
      UpdateTick(player, song);
      if (song.order < lastOrder) looped = true;
      lastOrder = song.order;
      if (!looped) samples += song.samplesPerTick;
    }
    EXPECT_TRUE(looped) << n;
    EXPECT_GE(samples / 44100.0, 90.0) << n;
  }
}

TEST_F(ModulesTest, TheSetExercisesThePlayer) {
  std::set<int> effects;  // effect numbers, E sub-commands as 0xE0 + x, volume column as 0x100 + high nibble
  int linear = 0, amiga = 0;
  std::set<int> loopModes;
  bool sustainAndLoop = false, sustain = false, loop = false, panningEnvelope = false, fadeout = false;
  bool autoVibrato = false;
  for (int n = 1; n <= content::kXmModuleCount; ++n) {
    XmSong& song = Load(n);
    (song.linear() ? linear : amiga)++;
    for (const XmPattern& p : song.patterns) {
      for (const PatternCell& c : p.cells) {
        if (c.effect == 0xE) {
          effects.insert(0xE0 + (c.parameter >> 4));
        } else if (c.effect != 0 || c.parameter != 0) {
          effects.insert(c.effect);
        }
        if (c.volume >= 0x60) effects.insert(0x100 + (c.volume >> 4));
        if (c.note == 255) effects.insert(0x200);  // key-off note
      }
    }
    for (const XmInstrument& ins : song.instruments) {
      for (std::uint32_t s = 0; s < ins.sampleCount; ++s) loopModes.insert(ins.samples[s]->loopMode);
      const auto type = ins.volumeEnvelope.type;
      if (type & kEnvelopeSustain) sustain = true;
      if (type & kEnvelopeLoop) loop = true;
      if ((type & kEnvelopeSustain) && (type & kEnvelopeLoop)) sustainAndLoop = true;
      if (ins.panningEnvelope.type & kEnvelopeOn) panningEnvelope = true;
      if (ins.fadeout > 0) fadeout = true;
      if (ins.vibratoDepth > 0) autoVibrato = true;
    }
  }
  EXPECT_GE(amiga, 2);
  EXPECT_GE(linear, 1);
  EXPECT_EQ(loopModes, (std::set<int>{kLoopNone, kLoopForward, kLoopPingPong}));
  EXPECT_TRUE(sustain);
  EXPECT_TRUE(loop);
  (void)sustainAndLoop;
  EXPECT_TRUE(panningEnvelope);
  EXPECT_TRUE(fadeout);
  EXPECT_TRUE(autoVibrato);
  EXPECT_GE(effects.size(), 20u);
  for (int required : {0x0, 0x1, 0x2, 0x3, 0x4, 0x7, 0x8, 0x9, 0xA, 0xB, 0xC, 0xD, 0xF, 16, 17, 20, 25, 27, 29, 0xE6,
                       0xE9, 0xEC, 0xED, 0xEE, 0x200}) {
    EXPECT_TRUE(effects.count(required)) << "effect " << required;
  }
}

TEST_F(ModulesTest, GoldenHashesOfTheFirstTwentySeconds) {
  constexpr int kFrames = 44100 * 20;
  for (int n = 1; n <= content::kXmModuleCount; ++n) {
    ASSERT_TRUE(BeginOfflineRender(player, &Load(n)));
    std::vector<std::int16_t> pcm;  // interleaved stereo, little-endian as hashed
    while (static_cast<int>(pcm.size()) < 2 * kFrames) {
      const int block = player.fillBlock;
      FillBlock(player);
      pcm.insert(pcm.end(), BlockPcm(player, block), BlockPcm(player, block) + 2 * kBlockFrames);
    }
    StopSong(player);
    support::ExpectGolden(KORVELD_SOURCE_DIR "/tests/xm/golden_hashes.txt", "tune" + std::to_string(n),
                          platform::BytesHash(pcm.data(), 2 * kFrames * sizeof(std::int16_t)));
  }
}

}  // namespace
}  // namespace korveld::xm
