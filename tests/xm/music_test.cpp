// The viewer's music selection: StartXmTune switches songs completely and
// records the channel count; StopXmMusic stops and releases the song.
#include <gtest/gtest.h>

#include <memory>

#include "content/xm/xm_modules.hpp"
#include "tests/xm/xm_test_helpers.hpp"
#include "viewer/music.hpp"

namespace korveld::xm {
namespace {

TEST(MusicTest, StartXmTuneSwitchesSongsAndStopXmMusicReleases) {
  testing::FakePlatform platform;
  testing::ManualThreads manual;
  platform.threadsInUse = &manual;
  auto player = std::make_unique<XmPlayer>();
  XmPlayer& xm = *player;
  viewer::MusicState music;
  XmPlayerInit(xm, platform);
  const int channels[] = {0, 4, 6, 4, 8};
  for (int n : {1, 2, 3, 4, 1}) {
    viewer::StartXmTune(music, xm, n);
    ASSERT_NE(xm.CurrentSong, nullptr) << n;
    EXPECT_EQ(music.CurrentTune, n);
    EXPECT_EQ(music.SpectrumChannels, channels[n]);
    EXPECT_EQ(xm.PlayingSong, xm.CurrentSong.get());
    EXPECT_EQ(platform.device.copy.size(), 353600u);
    // The previous tune's device was closed before this one opened.
    EXPECT_EQ(platform.device.opens - platform.device.closes, 1);
  }
  EXPECT_EQ(manual.started, 5);
  viewer::StopXmMusic(xm);
  EXPECT_EQ(xm.CurrentSong, nullptr);
  EXPECT_EQ(xm.PlayingSong, nullptr);
  EXPECT_EQ(platform.device.opens, platform.device.closes);
  viewer::StopXmMusic(xm);  // a second shutdown is harmless
  EXPECT_EQ(GetNumChannels(xm), 0);
}

}  // namespace
}  // namespace korveld::xm
