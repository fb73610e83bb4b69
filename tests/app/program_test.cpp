// The whole program on the headless backend: the phases in order, and Escape
// held across them.
#include "app/program.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/viewer/viewer_test_helpers.hpp"

namespace korveld {
namespace {

using platform::FrameKind;

// Lengths of the runs of noise-flash frames (uniform bands).
std::vector<int> NoiseRuns(const std::vector<platform::FrameRecord>& frames) {
  std::vector<int> runs;
  FrameKind last = FrameKind::kBlack;
  for (const auto& f : frames) {
    if (f.kind == FrameKind::kBands && last != FrameKind::kBands) runs.push_back(0);
    if (f.kind == FrameKind::kBands) ++runs.back();
    last = f.kind;
  }
  return runs;
}

TEST(Program, PhasesRunInOrderAndEscapeEndsWithStatusZero) {
  testing::RecordingPlatform run("wait 2.5\nkey escape\nwait 4\nkey escape\n");
  EXPECT_EQ(run.run(), 0);
  const auto& frames = run.frames();
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.front().kind, FrameKind::kBlack);  // intro start clears the screen
  // Three half-second flashes before the intro, six at the change-over.
  const auto runs = NoiseRuns(frames);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_NEAR(runs[0], 3 * 30, 6);
  EXPECT_NEAR(runs[1], 6 * 30, 12);
  // Intro frames between the two, viewer frames after the second.
  std::size_t i = 1;
  while (frames[i].kind == FrameKind::kBands) ++i;
  EXPECT_GT(frames[i].time, 1.6);  // the intro's first frame
  while (frames[i].kind != FrameKind::kBands) ++i;
  EXPECT_NEAR(frames[i].time, 2.5, 0.05);  // the change-over starts on the Escape press
  while (i < frames.size() && frames[i].kind == FrameKind::kBands) ++i;
  EXPECT_LT(i, frames.size());
  EXPECT_NEAR(frames.back().time, 6.5, 0.05);
  EXPECT_TRUE(run.scriptDone());
}

TEST(Program, EscapeHeldBlanksTheStartAndDoesNotEndTheViewer) {
  // Held from launch: a second of black frames, then the flashes.
  testing::RecordingPlatform start("hold escape\nwait 1\nrelease escape\nwait 3\nkey escape\nwait 4\nkey escape\n");
  EXPECT_EQ(start.run(), 0);
  int black = 0;
  while (start.frames()[black].kind == FrameKind::kBlack && start.frames()[black].time < 1.0) ++black;
  EXPECT_GE(black, 59);
  EXPECT_EQ(NoiseRuns(start.frames()).size(), 2u);
  // Held from the intro into the viewer: only the second press ends it.
  testing::RecordingPlatform held("wait 2.5\nhold escape\nwait 6\nrelease escape\nwait 1\nkey escape\n");
  EXPECT_EQ(held.run(), 0);
  EXPECT_GT(held.timer(), 9.4);  // ended by the press at 9.5 s, not by the hold
}

}  // namespace
}  // namespace korveld
