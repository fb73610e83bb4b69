// The whole program on the headless backend: phases in order, exit
// statuses, determinism.
#include "app/program.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless.hpp"

namespace korveld {
namespace {

using platform::FrameKind;
using platform::HeadlessOptions;
using platform::HeadlessPlatform;

struct RunResult {
  int status = 0;
  std::vector<platform::FrameRecord> frames;
  std::uint64_t hash = 0;
  double seconds = 0;
};

RunResult RunScript(const std::string& text, HeadlessOptions options = {}) {
  std::vector<platform::ScriptCommand> script;
  std::string error;
  EXPECT_TRUE(platform::ParseScript(text, &script, &error)) << error;
  HeadlessPlatform p(options, std::move(script));
  p.setTimeoutHandler([] { ADD_FAILURE() << "the run did not end"; });
  RunResult r;
  r.status = app::RunProgram(p);
  r.frames = p.frames();
  r.hash = p.combinedFrameHash();
  r.seconds = p.timer();
  return r;
}

// Runs of noise-flash frames (uniform bands) between other frames.
std::vector<int> NoiseRuns(const std::vector<platform::FrameRecord>& frames) {
  std::vector<int> runs;
  bool inRun = false;
  for (const auto& f : frames) {
    const bool bands = f.kind == FrameKind::kBands;
    if (bands && !inRun) runs.push_back(0);
    if (bands) ++runs.back();
    inRun = bands;
  }
  return runs;
}

TEST(Program, PhasesRunInOrderAndEscapeEndsWithStatusZero) {
  const RunResult r = RunScript("wait 2.5\nkey escape\nwait 4\nkey escape\n");
  EXPECT_EQ(r.status, 0);
  ASSERT_FALSE(r.frames.empty());
  EXPECT_EQ(r.frames.front().kind, FrameKind::kBlack);  // intro start clears the screen
  // Three half-second flashes before the intro, six at the change-over.
  const auto runs = NoiseRuns(r.frames);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_NEAR(runs[0], 3 * 30, 6);
  EXPECT_NEAR(runs[1], 6 * 30, 12);
  // Intro frames between the two, viewer frames after the second.
  std::size_t i = 1;
  while (r.frames[i].kind == FrameKind::kBands) ++i;
  const double introStart = r.frames[i].time;
  while (r.frames[i].kind != FrameKind::kBands) ++i;
  EXPECT_NEAR(r.frames[i].time, 2.5, 0.05);  // the change-over starts on the Escape press
  while (i < r.frames.size() && r.frames[i].kind == FrameKind::kBands) ++i;
  EXPECT_GT(introStart, 1.6);
  EXPECT_LT(i, r.frames.size());
  EXPECT_NEAR(r.seconds, 6.5, 0.05);
}

TEST(Program, SameScriptSameFrames) {
  const std::string script = "move 400 300\nwait 2\nclick\nwait 3.7\nwheel -2\nwait 0.5\nkey escape\n";
  const RunResult a = RunScript(script);
  const RunResult b = RunScript(script);
  ASSERT_EQ(a.frames.size(), b.frames.size());
  EXPECT_EQ(a.hash, b.hash);
  EXPECT_EQ(a.status, 0);
}

TEST(Program, EscapeHeldIntoTheViewerDoesNotEndIt) {
  const RunResult held = RunScript("wait 2.5\nhold escape\nwait 6\nrelease escape\nwait 1\nkey escape\n");
  EXPECT_EQ(held.status, 0);
  EXPECT_GT(held.seconds, 9.4);  // ended by the second press at 9.5 s, not by the hold
}

TEST(Program, ReleaseWaitShowsBlackWhileEscapeIsHeld) {
  const RunResult r = RunScript("hold escape\nwait 1\nrelease escape\nwait 3\nkey escape\nwait 4\nkey escape\n");
  EXPECT_EQ(r.status, 0);
  int black = 0;
  while (r.frames[black].kind == FrameKind::kBlack && r.frames[black].time < 1.0) ++black;
  EXPECT_GE(black, 59);  // a second of black frames before the flashes
  EXPECT_EQ(NoiseRuns(r.frames).size(), 2u);
}

TEST(Program, NoDisplayEndsWithMinusOneAndShowsNothing) {
  HeadlessOptions options;
  options.displayFails = true;
  const RunResult r = RunScript("", options);
  EXPECT_EQ(r.status, -1);
  EXPECT_TRUE(r.frames.empty());
}

}  // namespace
}  // namespace korveld
