// The four embedded modules: they load, run long enough before they loop,
// exercise the player's features, render bit-identically to the golden hashes
// of their first 20 seconds, and play in the program as they render offline.
// After an intended change, KORVELD_REGENERATE_GOLDEN=1 with
// --gtest_filter='Modules*Golden*' rewrites tests/xm/golden_hashes.txt and fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/program.hpp"
#include "content/xm/xm_modules.hpp"
#include "platform/headless.hpp"
#include "platform/image_io.hpp"
#include "platform/sound_output.hpp"
#include "tests/support/golden.hpp"
#include "tests/xm/xm_test_helpers.hpp"

namespace korveld::xm {
namespace {

struct ModulesTest : testing::PlayerTest {
  XmSong& Load(int n) {
    const auto bytes = content::XmModuleImage(n);
    EXPECT_TRUE(LoadSongFromMemory(player, bytes.data(), static_cast<std::int32_t>(bytes.size())));
    return *player.CurrentSong;
  }
  // The first `frames` frames of tune n, rendered offline.
  std::vector<std::int16_t> Render(int n, int frames) {
    EXPECT_TRUE(BeginOfflineRender(player, &Load(n)));
    std::vector<std::int16_t> pcm = testing::RenderBlocks(player, frames / kBlockFrames + 1);
    pcm.resize(static_cast<std::size_t>(2 * frames));
    return pcm;
  }
};

TEST_F(ModulesTest, EachModuleLoadsAndRunsAtLeastNinetySecondsBeforeItLoops) {
  for (int n = 1; n <= content::kXmModuleCount; ++n) {
    XmSong& song = Load(n);
    EXPECT_GE(song.channelCount, 4) << n;
    EXPECT_LE(song.channelCount, 8) << n;
    EXPECT_FALSE(std::string(content::kXmCredits[n].title).empty());
    // Run the replay alone, tick by tick, until the order goes backwards.
    ResetSongState(player, song);
    std::int64_t samples = 0;
    int tick = 0;
    for (int lastOrder = 0; tick < 200000 && song.order >= lastOrder; ++tick) {
      lastOrder = song.order;
      samples += song.samplesPerTick;
      UpdateTick(player, song);
    }
    EXPECT_LT(tick, 200000) << n << " never loops";
    EXPECT_GE(samples / 44100.0, 90.0) << n;
  }
}

// Between them the modules use both frequency tables, every loop mode,
// volume envelopes with sustain and loop, panning envelopes, fadeout,
// auto-vibrato and the effects listed (E sub-commands as 0xE0 + x, the
// volume column as 0x100 + its high nibble, the key-off note as 0x200).
TEST_F(ModulesTest, TheSetExercisesThePlayer) {
  std::set<int> effects, loopModes;
  int linear = 0, features = 0;
  for (int n = 1; n <= content::kXmModuleCount; ++n) {
    XmSong& song = Load(n);
    linear += song.linear();
    for (const XmPattern& p : song.patterns) {
      for (const PatternCell& c : p.cells) {
        if (c.effect == 0xE) {
          effects.insert(0xE0 + (c.parameter >> 4));
        } else if (c.effect != 0 || c.parameter != 0) {
          effects.insert(c.effect);
        }
        if (c.volume >= 0x60) effects.insert(0x100 + (c.volume >> 4));
        if (c.note == 255) effects.insert(0x200);
      }
    }
    for (const XmInstrument& ins : song.instruments) {
      for (std::uint32_t s = 0; s < ins.sampleCount; ++s) loopModes.insert(ins.samples[s]->loopMode);
      features |= ((ins.volumeEnvelope.type & kEnvelopeSustain) ? 1 : 0) |
                  ((ins.volumeEnvelope.type & kEnvelopeLoop) ? 2 : 0) |
                  ((ins.panningEnvelope.type & kEnvelopeOn) ? 4 : 0) | (ins.fadeout > 0 ? 8 : 0) |
                  (ins.vibratoDepth > 0 ? 16 : 0);
    }
  }
  EXPECT_GE(linear, 1);
  EXPECT_LE(linear, content::kXmModuleCount - 2);
  EXPECT_EQ(loopModes, (std::set<int>{kLoopNone, kLoopForward, kLoopPingPong}));
  EXPECT_EQ(features, 31);
  EXPECT_GE(effects.size(), 20u);
  for (int required : {0x0, 0x1, 0x2, 0x3, 0x4, 0x7, 0x8, 0x9, 0xA, 0xB, 0xC, 0xD, 0xF, 16, 17, 20, 25, 27, 29, 0xE6,
                       0xE9, 0xEC, 0xED, 0xEE, 0x200}) {
    EXPECT_TRUE(effects.count(required)) << "effect " << required;
  }
}

TEST_F(ModulesTest, GoldenHashesOfTheFirstTwentySeconds) {
  constexpr int kFrames = 44100 * 20;
  for (int n = 1; n <= content::kXmModuleCount; ++n) {
    const std::vector<std::int16_t> pcm = Render(n, kFrames);  // interleaved stereo, little-endian as hashed
    support::ExpectGolden(KORVELD_SOURCE_DIR "/tests/xm/golden_hashes.txt", "tune" + std::to_string(n),
                          platform::BytesHash(pcm.data(), pcm.size() * sizeof(std::int16_t)));
  }
}

// End to end: the program on the headless backend plays XM tune 1 after the
// intro, through the looping device and the output thread, and what it plays
// is, sample for sample, the tune as rendered offline.
TEST_F(ModulesTest, TheViewerPlaysTuneOneExactlyAsRenderedOffline) {
  std::vector<platform::ScriptCommand> script;
  std::string error;
  ASSERT_TRUE(platform::ParseScript("wait 2.5\nkey escape\nwait 12\nkey escape\n", &script, &error)) << error;
  platform::HeadlessOptions options;
  options.captureAudio = true;
  platform::HeadlessPlatform p(options, std::move(script));
  p.setTimeoutHandler([] { ADD_FAILURE() << "the run did not end"; });
  ASSERT_EQ(app::RunProgram(p), 0);
  const std::vector<std::int16_t> played = p.capturedAudio();

  // Tune 1 starts with a quiet intro; find where a stretch of it begins in
  // what was played.
  const std::vector<std::int16_t> tune = Render(1, 44100 * 8);
  const int keyAt = 2 * 30000;
  const int keyLength = 2 * 400;
  ASSERT_TRUE(std::any_of(tune.begin() + keyAt, tune.begin() + keyAt + keyLength, [](std::int16_t v) { return v; }));
  const auto found = std::search(played.begin(), played.end(), tune.begin() + keyAt, tune.begin() + keyAt + keyLength);
  ASSERT_NE(found, played.end()) << "tune 1 is not in the program's sound";
  const auto start = (found - played.begin()) - keyAt;
  // The change-over starts on the Escape press at 2.5 s; the tune follows the
  // noise flashes.
  EXPECT_GT(start / 2, 44100 * 2.5);
  EXPECT_LT(start / 2, 44100 * 6.0);
  // At least seven seconds of it play, identical to the offline render after
  // the fade-in of every start.
  const std::size_t compare = std::min<std::size_t>(tune.size(), played.size() - static_cast<std::size_t>(start));
  ASSERT_GE(compare, 2u * 44100 * 7);
  const std::ptrdiff_t ramp = 2 * platform::kRampFrames;
  EXPECT_TRUE(std::equal(tune.begin() + ramp, tune.begin() + static_cast<std::ptrdiff_t>(compare),
                         played.begin() + start + ramp));
}

}  // namespace
}  // namespace korveld::xm
