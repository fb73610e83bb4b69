// The four embedded modules: they load, run long enough before they loop and
// render bit-identically to the golden hashes of their first 20 seconds.
// After an intended change, KORVELD_REGENERATE_GOLDEN=1 with
// --gtest_filter='Modules*Golden*' rewrites tests/xm/golden_hashes.txt and fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "content/sid/sid_tunes.hpp"
#include "content/xm/xm_modules.hpp"
#include "platform/image_io.hpp"
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

}  // namespace
}  // namespace korveld::xm
