// The player with a sound device on a thread of its own: start and stop
// racing against refills, and the intro's music through the whole program on
// the headless backend (a function key starts its tune from the first
// frame). Run under ThreadSanitizer by `make tsan`.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/program.hpp"
#include "content/sid/sid_tunes.hpp"
#include "platform/headless.hpp"
#include "platform/sound_output.hpp"
#include "sid/tune.hpp"
#include "tests/sid/sid_test_helpers.hpp"

namespace korveld::sid {
namespace {

TEST(SidOutputThreads, StartStopStressLeavesNothingRunning) {
  testing::Rig rig;
  rig.device.runOnThread();
  // Waits (bounded) until the device has completed `more` further buffers.
  auto waitFor = [&](long more) {
    const long target = rig.device.completions() + more;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (rig.device.completions() < target && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    return rig.device.completions() >= target;
  };
  for (int i = 0; i < 60; ++i) {
    PlaySidTune(*rig.player, 1 + i % 12);
    // Let a few refills run on the device thread, or stop at once.
    if (i % 3 != 0) {
      ASSERT_TRUE(waitFor(i % 3 + 1)) << "no refills at round " << i;
    }
    if (i % 4 == 0) SidStop(*rig.player);
  }
  SidStop(*rig.player);
  EXPECT_FALSE(rig.device.isOpen());
  const long after = rig.device.completions();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(rig.device.completions(), after);
  EXPECT_TRUE(rig.boxes.empty());
}

// F3 then F7: whichever tune the intro chose, F7 starts tune 7 afresh.
constexpr const char* kScript = "wait 3\nkey f3\nwait 1\nkey f7\nwait 2\nkey escape\nwait 4\nkey escape\n";

struct IntroRun {
  int status = 0;
  std::vector<std::int16_t> audio;  // interleaved stereo
  std::vector<std::string> boxes;
};

IntroRun RunIntro() {
  std::vector<platform::ScriptCommand> script;
  std::string error;
  EXPECT_TRUE(platform::ParseScript(kScript, &script, &error)) << error;
  platform::HeadlessOptions options;
  options.maxSeconds = 30.0;
  options.captureAudio = true;
  platform::HeadlessPlatform p(options, std::move(script));
  p.setTimeoutHandler([] { ADD_FAILURE() << "the run did not end"; });
  const int status = app::RunProgram(p);
  return {status, p.capturedAudio(), p.messages()};
}

TEST(IntroMusic, FunctionKeyStartsItsTuneFromTheFirstFrame) {
  const IntroRun run = RunIntro();
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.boxes.empty());
  // Tune 7's first second as the player renders it, the same on both
  // channels, past the fade-in every start has.
  auto s = std::make_unique<SidState>();
  ASSERT_TRUE(StartTune(*s, content::SidTuneTable()[7].image, 0).ok);
  std::vector<std::int16_t> frame(kFrameSamples), want;
  for (int f = 0; f < 50; ++f) {
    RenderFrame(*s, frame.data(), kFrameSamples);
    for (std::int16_t v : frame) want.insert(want.end(), {v, v});
  }
  want.erase(want.begin(), want.begin() + 2 * platform::kRampFrames);
  // The key falls about 4 s in; the whole second plays without gaps or changes.
  const auto at = std::search(run.audio.begin(), run.audio.end(), want.begin(), want.end());
  ASSERT_NE(at, run.audio.end()) << "tune 7's first second is not in the captured sound";
  EXPECT_GT(at - run.audio.begin(), 2 * 3 * kMixingRate);
}

}  // namespace
}  // namespace korveld::sid
