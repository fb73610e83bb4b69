// Song control, block rendering and the audible position (with a device and
// a thread the test drives), and the viewer's music selection on top.
#include <gtest/gtest.h>

#include <tuple>

#include "tests/xm/xm_test_helpers.hpp"
#include "viewer/music.hpp"

namespace korveld::xm {
namespace {

using testing::SmallModule;

struct OutputTest : testing::PlayerTest {
  testing::FakePlatform platform;
  testing::ManualThreads manual;
  void SetUp() override {
    platform.threadService = &manual;
    manual.device = &platform.device;
    XmPlayerInit(player, platform);
  }
  void TearDown() override { FreeSong(player); }
  // Runs the output thread until it has polled the device `polls` times.
  void RunThread(int polls) {
    manual.onSleep = [this, polls, n = 0]() mutable {
      if (++n == polls) player.stopRequest = 1;
    };
    manual.runBody();
  }
};

// The row reached at the end of block k at speed 6 and 882 frames per tick.
int RowAfterBlock(int k) { return (884 * (k + 1) - 1) / 882 / 6; }

TEST_F(OutputTest, PlaySongPrimesAllBlocksBeforeTheDeviceStarts) {
  xmgen::Module m = SmallModule(1);
  m.cell(0, 0, 0) = {49, 1};
  ASSERT_TRUE(Load(m));
  ASSERT_TRUE(PlaySong(player));
  EXPECT_EQ(std::tuple(platform.device.opens.load(), player.fillBlock, manual.started), std::tuple(1, 0, 1));
  // The device's copy is the whole primed ring, and it differs from silence.
  ASSERT_EQ(platform.device.copy.size(), 353600u);
  EXPECT_EQ(0, std::memcmp(platform.device.copy.data(), player.deviceBuffer.data(), 353600));
  EXPECT_NE(player.deviceBuffer[2 * 100], 0);
  EXPECT_EQ(platform.device.writes, 0);
  // Ring entries: order 0 and the row reached at the end of each block.
  for (int k = 0; k < 100; ++k) ASSERT_EQ(RingEntry(player, k), (RowAfterBlock(k) % 64) << 8 | RowAfterBlock(k) / 64);
  EXPECT_EQ(std::tuple(GetAudibleOrder(player, &song()), GetAudibleRow(player, &song()), GetAudibleNote(player, 0)),
            std::tuple(0, 0, 49u | (1u << 8)));
  EXPECT_TRUE(StopSong(player));
  EXPECT_EQ(std::tuple(platform.device.closes.load(), manual.joined), std::tuple(1, 1));
  EXPECT_EQ(player.positionRing, nullptr);
  EXPECT_EQ(GetAudibleRow(player, &song()), 0);
}

struct TickLog {
  static inline int calls = 0;
  static void Record(XmPlayer& player, XmSong& song) {
    calls++;
    if (calls == 4) SetBpm(song, 32);
    UpdateTick(player, song);
  }
};

TEST_F(OutputTest, TicksFallAtTheirFramesAndABpmChangeActsFromTheNextTick) {
  ASSERT_TRUE(Load(SmallModule(1)));
  ASSERT_TRUE(BeginOfflineRender(player, &song()));
  EXPECT_EQ(RingEntry(player, 99), 0);  // no block rendered yet: order 0, row 0
  TickLog::calls = 0;
  song().tickProcedure = TickLog::Record;
  FillBlock(player);  // ticks at frames 0 and 882
  EXPECT_EQ(std::tuple(TickLog::calls, song().samplesUntilNextTick), std::tuple(2, 880));
  FillBlock(player);  // frame 1764 lies in block 1 (884..1767)
  EXPECT_EQ(std::tuple(TickLog::calls, song().samplesUntilNextTick), std::tuple(3, 882 - 4));
  FillBlock(player);  // the fourth tick (frame 2646) sets BPM 32: 3445 frames
  EXPECT_EQ(std::tuple(TickLog::calls, song().samplesUntilNextTick), std::tuple(4, 3445 - (2652 - 2646)));
}

TEST_F(OutputTest, StopWithoutPlayAndFailedOpen) {
  ASSERT_TRUE(Load(SmallModule(1)));
  EXPECT_TRUE(StopSong(player));
  EXPECT_EQ(platform.device.opens + platform.device.closes, 0);
  EXPECT_FALSE(StopSong(player, nullptr));
  EXPECT_FALSE(PlaySong(player, nullptr));
  platform.device.failOpen = true;
  EXPECT_FALSE(PlaySong(player));
  EXPECT_EQ(manual.started, 0);
  EXPECT_TRUE(StopSong(player));
  EXPECT_EQ(platform.device.closes, 0);  // never opened: nothing to close
}

TEST_F(OutputTest, OutputThreadRendersBehindTheDevice) {
  xmgen::Module m = SmallModule(2);
  for (int r = 0; r < 64; ++r) m.cell(0, r, r % 2) = {static_cast<std::uint8_t>(37 + r % 24), 1};
  m.cell(0, 7, 1) = {97};
  ASSERT_TRUE(Load(m));
  ASSERT_TRUE(PlaySong(player));
  RunThread(400);  // 2 s of device time
  // 2 s at 5 ms per poll: 400 polls of 882 bytes = 352800 bytes = 88200 frames,
  // 99 blocks and 684 frames: the thread has rendered blocks 0..98 again.
  EXPECT_EQ(player.fillBlock, 99);
  EXPECT_EQ(player.audibleBlock.load(), 99);
  EXPECT_GT(platform.device.writes, 98);
  // The ring now holds positions from the second pass: block 0 ends at frame
  // 88400 + 884 of the song.
  EXPECT_EQ(RingEntry(player, 0) >> 8, (88400 + 884 - 1) / 882 / 6 % 64);
  EXPECT_EQ(player.threadFinished.load(), 1);
  // Block 99 is audible now: its entry is from the first pass.
  EXPECT_EQ(GetAudibleRow(player, &song()), RowAfterBlock(99) % 64);
}

TEST_F(OutputTest, AudibleNoteReportsTheRawCell) {
  xmgen::Module m = SmallModule(3);
  m.cell(0, 0, 0) = {97};
  m.cell(0, 0, 2) = {61, 1};
  m.cell(0, 1, 0) = {50, 1};  // what a read past the last channel would find
  ASSERT_TRUE(Load(m));
  EXPECT_EQ(GetAudibleNote(player, 0), 255u);  // stopped: row 0 of the first order
  ASSERT_TRUE(PlaySong(player));
  const std::uint32_t notes[] = {0, 255, 0, 61 | 256, 0};  // channels -1..3
  for (int c = -1; c < 4; ++c) EXPECT_EQ(GetAudibleNote(player, c), notes[c + 1]) << c;
  FreeSong(player);
  EXPECT_EQ(GetAudibleNote(player, 0), 0u);
  EXPECT_EQ(GetNumChannels(player), 0);
}

TEST_F(OutputTest, PlayRestartsFromTheBeginning) {
  xmgen::Module m = SmallModule(1);
  m.orders = {0, 0, 0};
  // Loud from row 0, quiet from row 4: a restart that kept the position or
  // the channel would start quiet.
  m.cell(0, 0, 0) = {49, 1, 0x50, 0, 0};
  m.cell(0, 4, 0) = {49, 1, 0x20, 0, 0};
  ASSERT_TRUE(Load(m));
  ASSERT_TRUE(PlaySong(player));
  const std::vector<std::int16_t> first = player.deviceBuffer;
  RunThread(300);
  ASSERT_TRUE(PlaySong(player));
  EXPECT_EQ(player.deviceBuffer, first);
  EXPECT_EQ(song().order, RingEntry(player, 99) & 0xFF);
}

// StartXmTune switches songs completely and records the channel count;
// StopXmMusic stops and releases the song.
TEST_F(OutputTest, StartXmTuneSwitchesSongsAndStopXmMusicReleases) {
  viewer::MusicState music;
  const int channels[] = {0, 4, 6, 4, 8};
  for (int n : {1, 2, 3, 4, 1}) {
    viewer::StartXmTune(music, player, n);
    ASSERT_NE(player.CurrentSong, nullptr) << n;
    EXPECT_EQ(music.CurrentTune, n);
    EXPECT_EQ(music.SpectrumChannels, channels[n]);
    EXPECT_EQ(player.PlayingSong, player.CurrentSong.get());
    EXPECT_EQ(platform.device.copy.size(), 353600u);
    // The previous tune's device was closed before this one opened.
    EXPECT_EQ(platform.device.opens - platform.device.closes, 1);
  }
  EXPECT_EQ(manual.started, 5);
  viewer::StopXmMusic(player);
  EXPECT_EQ(player.CurrentSong, nullptr);
  EXPECT_EQ(player.PlayingSong, nullptr);
  EXPECT_EQ(platform.device.opens, platform.device.closes);
  viewer::StopXmMusic(player);  // a second shutdown is harmless
  EXPECT_EQ(GetNumChannels(player), 0);
}

}  // namespace
}  // namespace korveld::xm
