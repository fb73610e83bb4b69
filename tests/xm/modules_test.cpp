// The four embedded modules: they load, run long enough before they loop,
// render bit-identically to the golden hashes of their first 20 seconds, and
// play in the program as they render offline.
// After an intended change, KORVELD_REGENERATE_GOLDEN=1 with
// --gtest_filter='Modules*Golden*' rewrites tests/xm/golden_hashes.txt and fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/program.hpp"
#include "content/sid/sid_tunes.hpp"
#include "content/xm/xm_modules.hpp"
#include "platform/headless.hpp"
#include "platform/image_io.hpp"
#include "platform/sound_output.hpp"
#include "sid/tune.hpp"
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

TEST_F(ModulesTest, GoldenHashesOfTheFirstTwentySeconds) {
  constexpr int kFrames = 44100 * 20;
  for (int n = 1; n <= content::kXmModuleCount; ++n) {
    const std::vector<std::int16_t> pcm = Render(n, kFrames);  // interleaved stereo, little-endian as hashed
    support::ExpectGolden(KORVELD_SOURCE_DIR "/tests/xm/golden_hashes.txt", "tune" + std::to_string(n),
                          platform::BytesHash(pcm.data(), pcm.size() * sizeof(std::int16_t)));
  }
}

// No jump in loudness when the viewer opens or a button changes the music: the first
// minute of every module and intro tune has an RMS within 1.5 dB of all others, unclipped.
TEST_F(ModulesTest, ModulesAndIntroTunesPlayWithinOneAndAHalfDecibels) {
  std::vector<std::pair<double, std::string>> levels;  // dBFS, which
  auto measure = [&](const std::string& name, const std::vector<std::int16_t>& pcm) {
    double squares = 0;
    for (const std::int16_t v : pcm) squares += static_cast<double>(v) * v;
    EXPECT_LT(*std::max_element(pcm.begin(), pcm.end()), 32767) << name;
    EXPECT_GT(*std::min_element(pcm.begin(), pcm.end()), -32768) << name;
    levels.emplace_back(20 * std::log10(std::sqrt(squares / static_cast<double>(pcm.size())) / 32768), name);
  };
  for (int n = 1; n <= content::kXmModuleCount; ++n) measure("module " + std::to_string(n), Render(n, 60 * 44100));
  for (int n = 1; n <= 12; ++n) {
    auto sid = std::make_unique<sid::SidState>();
    ASSERT_TRUE(sid::StartTune(*sid, content::SidTuneTable()[n].image, content::SidTuneTable()[n].song).ok);
    std::vector<std::int16_t> pcm(60 * 50 * sid::kFrameSamples);
    for (std::size_t at = 0; at < pcm.size(); at += sid::kFrameSamples) RenderFrame(*sid, &pcm[at], sid::kFrameSamples);
    measure("tune " + std::to_string(n), pcm);
  }
  std::sort(levels.begin(), levels.end());
  EXPECT_LE(levels.back().first - levels.front().first, 1.5)
      << levels.back().second << " at " << levels.back().first << " dBFS, " << levels.front().second << " at "
      << levels.front().first;
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
