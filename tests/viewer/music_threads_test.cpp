// The viewer and the XM output thread together: tune buttons, pause and
// resume, and the spectrum reading the audible notes every frame while the
// thread plays. Run under ThreadSanitizer by `make tsan`.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program.hpp"
#include "platform/headless.hpp"

namespace korveld {
namespace {

TEST(ViewerMusicThreads, TuneChangesPauseAndResumeWhileTheSpectrumReads) {
  const std::string script =
      "wait 2.5\nkey escape\nwait 3.6\n"
      "move 100 142\nclick\nwait 0.4\n"   // MUSIC 2
      "move 700 51\nclick\nwait 0.3\n"    // MUTE
      "click\nwait 0.4\n"                 // resume
      "move 690 142\nclick\nwait 0.3\n"   // MUSIC 3
      "move 750 142\nclick\nwait 0.3\n"   // MUSIC 4
      "move 20 142\nclick\nwait 0.3\n"    // MUSIC 1
      "move 60 50\nclick\nwait 2\n";      // QUIT
  std::vector<platform::ScriptCommand> commands;
  std::string error;
  ASSERT_TRUE(platform::ParseScript(script, &commands, &error)) << error;
  platform::HeadlessOptions options;
  options.maxSeconds = 60.0;
  platform::HeadlessPlatform headless(options, std::move(commands));
  headless.setTimeoutHandler([] { ADD_FAILURE() << "the run did not end"; });
  EXPECT_EQ(app::RunProgram(headless), 0);
  EXPECT_LT(headless.timer(), 12.0);  // ended by QUIT, not by the time limit
}

}  // namespace
}  // namespace korveld
