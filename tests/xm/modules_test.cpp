// The four embedded modules: they load, run long enough before they loop and
// render bit-identically to the golden hashes of their first 20 seconds.
// After an intended change, KORVELD_REGENERATE_GOLDEN=1 with
// --gtest_filter='Modules*Golden*' rewrites tests/xm/golden_hashes.txt and fails.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/xm/xm_modules.hpp"
#include "platform/image_io.hpp"
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

}  // namespace
}  // namespace korveld::xm
