// End to end: the whole program on the headless backend plays XM tune 1 after
// the intro, through the looping device and the output thread, and what it
// plays is, sample for sample, the tune as rendered offline.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/program.hpp"
#include "content/xm/xm_modules.hpp"
#include "platform/headless.hpp"
#include "xm/xm_player.hpp"

namespace korveld::xm {
namespace {

std::vector<std::int16_t> RenderOffline(int tune, int frames) {
  auto player = std::make_unique<XmPlayer>();  // offline: no platform needed
  const auto image = content::XmModuleImage(tune);
  EXPECT_TRUE(LoadSongFromMemory(*player, image.data(), static_cast<std::int32_t>(image.size())));
  BeginOfflineRender(*player, player->CurrentSong.get());
  std::vector<std::int16_t> out;
  while (static_cast<int>(out.size()) < 2 * frames) {
    const int block = player->fillBlock;
    FillBlock(*player);
    const std::int16_t* pcm = BlockPcm(*player, block);
    out.insert(out.end(), pcm, pcm + 2 * kBlockFrames);
  }
  out.resize(static_cast<std::size_t>(2 * frames));
  StopSong(*player);
  return out;
}

TEST(ProgramAudio, TheViewerPlaysTuneOneExactlyAsRenderedOffline) {
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
  const std::vector<std::int16_t> tune = RenderOffline(1, 44100 * 8);
  const int keyAt = 2 * 30000;
  const int keyLength = 2 * 400;
  ASSERT_TRUE(std::any_of(tune.begin() + keyAt, tune.begin() + keyAt + keyLength, [](std::int16_t v) { return v; }));
  const auto found = std::search(played.begin(), played.end(), tune.begin() + keyAt, tune.begin() + keyAt + keyLength);
  ASSERT_NE(found, played.end()) << "tune 1 is not in the program's sound";
  const auto start = (found - played.begin()) - keyAt;
  ASSERT_GE(start, 0);
  // The change-over starts on the Escape press at 2.5 s; the tune follows the
  // noise flashes.
  EXPECT_GT(start / 2, 44100 * 2.5);
  EXPECT_LT(start / 2, 44100 * 6.0);
  // At least seven seconds of it play, identical to the offline render.
  const std::size_t compare = std::min<std::size_t>(tune.size(), played.size() - static_cast<std::size_t>(start));
  ASSERT_GE(compare, 2u * 44100 * 7);
  EXPECT_TRUE(std::equal(tune.begin(), tune.begin() + static_cast<std::ptrdiff_t>(compare), played.begin() + start));
}

}  // namespace
}  // namespace korveld::xm
