// The viewer's music selection: StartXmTune switches songs completely and
// records the channel count; StopXmMusic stops and releases the song.
#include <gtest/gtest.h>

#include "content/xm/xm_modules.hpp"
#include "tests/xm/xm_test_helpers.hpp"
#include "viewer/program.hpp"

namespace korveld::xm {
namespace {

TEST(MusicTest, StartXmTuneSwitchesSongsAndStopXmMusicReleases) {
  testing::FakePlatform platform;
  testing::ManualThreads manual;
  platform.threadsInUse = &manual;
  auto program = viewer::MakeProgram(platform);
  viewer::Program& p = *program;
  XmPlayerInit(p.xm, platform);
  const int channels[] = {0, 4, 6, 4, 8};
  for (int n : {1, 2, 3, 4, 1}) {
    viewer::StartXmTune(p, n);
    ASSERT_NE(p.xm.CurrentSong, nullptr) << n;
    EXPECT_EQ(p.music.CurrentTune, n);
    EXPECT_EQ(p.music.SpectrumChannels, channels[n]);
    EXPECT_EQ(p.xm.playing, p.xm.CurrentSong.get());
    EXPECT_EQ(platform.device.copy.size(), 353600u);
    // The previous tune's device was closed before this one opened.
    EXPECT_EQ(platform.device.opens - platform.device.closes, 1);
  }
  EXPECT_EQ(manual.started, 5);
  viewer::StopXmMusic(p);
  EXPECT_EQ(p.xm.CurrentSong, nullptr);
  EXPECT_EQ(p.xm.playing, nullptr);
  EXPECT_EQ(platform.device.opens, platform.device.closes);
  viewer::StopXmMusic(p);  // a second shutdown is harmless
  EXPECT_EQ(GetNumChannels(p.xm), 0);
}

}  // namespace
}  // namespace korveld::xm
