// The viewer and the XM output thread together: tune buttons, pause and
// resume, and the spectrum reading the audible notes every frame while the
// thread plays. Run under ThreadSanitizer by `make tsan`.
#include <gtest/gtest.h>

#include "viewer_test_helpers.hpp"

namespace korveld {
namespace {

TEST(ViewerMusicThreads, TuneChangesPauseAndResumeWhileTheSpectrumReads) {
  platform::HeadlessOptions options;
  options.maxSeconds = 60.0;
  testing::RecordingPlatform run(
      "wait 2.5\nkey escape\nwait 3.6\n"
      "move 100 142\nclick\nwait 0.4\n"  // MUSIC 2
      "move 700 51\nclick\nwait 0.3\n"   // MUTE
      "click\nwait 0.4\n"                // resume
      "move 690 142\nclick\nwait 0.3\n"  // MUSIC 3
      "move 750 142\nclick\nwait 0.3\n"  // MUSIC 4
      "move 20 142\nclick\nwait 0.3\n"   // MUSIC 1
      "move 60 50\nclick\nwait 2\n",     // QUIT
      options);
  EXPECT_EQ(run.run(), 0);
  EXPECT_LT(run.timer(), 12.0);  // ended by QUIT, not by the time limit
}

}  // namespace
}  // namespace korveld
