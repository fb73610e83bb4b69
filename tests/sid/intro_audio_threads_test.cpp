// The intro's music through the whole program on the headless backend: a
// function key starts its tune from the first frame, and a machine without
// sound shows the error boxes and carries on.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/program.hpp"
#include "content/sid/sid_tunes.hpp"
#include "platform/headless.hpp"
#include "sid/tune.hpp"

namespace korveld::sid {
namespace {

// F3 then F7: whichever tune the intro chose, F7 starts tune 7 afresh.
constexpr const char* kScript = "wait 3\nkey f3\nwait 1\nkey f7\nwait 2\nkey escape\nwait 4\nkey escape\n";

struct IntroRun {
  std::vector<std::int16_t> audio;  // interleaved stereo
  std::vector<std::string> boxes;
  int status = 0;
};

IntroRun RunIntro(bool audioFails) {
  std::vector<platform::ScriptCommand> script;
  std::string error;
  EXPECT_TRUE(platform::ParseScript(kScript, &script, &error)) << error;
  platform::HeadlessOptions options;
  options.maxSeconds = 30.0;
  options.captureAudio = true;
  options.audioFails = audioFails;
  platform::HeadlessPlatform p(options, std::move(script));
  p.setTimeoutHandler([] { ADD_FAILURE() << "the run did not end"; });
  IntroRun r;
  r.status = app::RunProgram(p);
  r.audio = p.capturedAudio();
  r.boxes = p.messages();
  return r;
}

TEST(IntroMusic, FunctionKeyStartsItsTuneFromTheFirstFrame) {
  const IntroRun run = RunIntro(false);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.boxes.empty());

  // Tune 7's first second as the player renders it.
  auto s = std::make_unique<SidState>();
  SidReset(*s, kMixingRate);
  ASSERT_TRUE(LoadTuneImage(*s, content::SidTuneTable()[7].image).ok);
  CallInit(*s, 0);
  std::vector<std::int16_t> want(50 * kFrameSamples);
  for (int f = 0; f < 50; ++f) RenderFrame(*s, want.data() + f * kFrameSamples, kFrameSamples);

  std::vector<std::int16_t> left(run.audio.size() / 2);
  for (std::size_t i = 0; i < left.size(); ++i) left[i] = run.audio[2 * i];
  // The key falls about 4 s in; the device plays mono on both channels.
  const auto at = std::search(left.begin(), left.end(), want.begin(), want.begin() + kFrameSamples);
  ASSERT_NE(at, left.end()) << "tune 7's first frame is not in the captured sound";
  const auto offset = static_cast<std::size_t>(at - left.begin());
  EXPECT_GT(offset, 3u * kMixingRate);
  ASSERT_LE(offset + want.size(), left.size());
  EXPECT_TRUE(std::equal(want.begin(), want.end(), left.begin() + static_cast<std::ptrdiff_t>(offset)))
      << "the first second of tune 7 plays with gaps or changes";
  // Mono: the right channel carries the same samples.
  std::size_t differ = 0;
  for (std::size_t i = offset; i < offset + want.size(); ++i) differ += run.audio[2 * i + 1] != left[i];
  EXPECT_EQ(differ, 0u);
}

TEST(IntroMusic, NoSoundDeviceShowsTwoErrorBoxesPerTuneStart) {
  const IntroRun run = RunIntro(true);
  EXPECT_EQ(run.status, 0);
  // The intro's own tune, then F3 (unless it was tune 3) and F7.
  EXPECT_TRUE(run.boxes.size() == 4u || run.boxes.size() == 6u) << run.boxes.size();
  for (const std::string& box : run.boxes) EXPECT_EQ(box.rfind("Error: ", 0), 0u) << box;
}

}  // namespace
}  // namespace korveld::sid
