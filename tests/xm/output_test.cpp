// Song control, block rendering and the audible position, with a device
// whose play position the test moves and a thread the test runs itself.
#include <gtest/gtest.h>

#include "tests/xm/xm_test_helpers.hpp"

namespace korveld::xm {
namespace {

using testing::Load;
using testing::Put;
using testing::SmallModule;
using xmgen::Cell;

struct OutputTest : ::testing::Test {
  testing::FakePlatform platform;
  testing::ManualThreads manual;
  XmPlayer player;
  testing::LoadedSong loaded;
  void SetUp() override {
    platform.threadsInUse = &manual;
    manual.device = &platform.device;
    XmPlayerInit(player, platform);
  }
  void TearDown() override { FreeSong(player); }
  XmSong& song() { return *player.CurrentSong; }
  void LoadModule(const xmgen::Module& m) {
    loaded = Load(player, m);
    ASSERT_TRUE(loaded.ok);
  }
};

// The row reached at the end of block k at speed 6 and 882 frames per tick.
int RowAfterBlock(int k) {
  const int lastTick = (884 * (k + 1) - 1) / 882;
  return lastTick / 6;
}

TEST_F(OutputTest, PlaySongPrimesAllBlocksBeforeTheDeviceStarts) {
  xmgen::Module m = SmallModule(1);
  Put(m, 0, 0, 0, Cell{49, 1});
  LoadModule(m);
  ASSERT_TRUE(PlaySong(player));
  EXPECT_EQ(platform.device.opens, 1);
  EXPECT_EQ(player.fillBlock, 0);
  EXPECT_EQ(manual.started, 1);
  EXPECT_TRUE(manual.highPriority);
  // The device's copy is the whole primed ring, and it differs from silence.
  ASSERT_EQ(platform.device.copy.size(), 353600u);
  EXPECT_EQ(0, std::memcmp(platform.device.copy.data(), player.deviceBuffer.data(), 353600));
  EXPECT_NE(player.deviceBuffer[2 * 100], 0);
  EXPECT_EQ(platform.device.writes, 0);
  // Ring entries: order 0 and the row reached at the end of each block.
  for (int k = 0; k < 100; ++k) {
    const std::uint16_t entry = RingEntry(player, k);
    const int row = RowAfterBlock(k);
    ASSERT_EQ(entry & 0xFF, row / 64) << k;
    ASSERT_EQ(entry >> 8, row % 64) << k;
  }
  EXPECT_EQ(GetAudibleOrder(player, &song()), 0);
  EXPECT_EQ(GetAudibleRow(player, &song()), 0);
  EXPECT_EQ(GetAudibleNote(player, 0), 49u | (1u << 8));
  EXPECT_TRUE(StopSong(player));
  EXPECT_EQ(platform.device.closes, 1);
  EXPECT_EQ(manual.joined, 1);
  EXPECT_EQ(player.positionRing, nullptr);
  EXPECT_EQ(GetAudibleRow(player, &song()), 0);
}

struct TickLog {
  static inline std::vector<std::int32_t> untilNext;
  static inline int calls = 0;
  static void Record(XmPlayer& player, XmSong& song) {
    calls++;
    if (calls == 4) SetBpm(song, 32);
    UpdateTick(player, song);
  }
};

TEST_F(OutputTest, TicksFallAtTheirFramesAndABpmChangeActsFromTheNextTick) {
  LoadModule(SmallModule(1));
  ASSERT_TRUE(BeginOfflineRender(player, &song()));
  TickLog::calls = 0;
  song().tickProcedure = TickLog::Record;
  FillBlock(player);  // ticks at frames 0 and 882
  EXPECT_EQ(TickLog::calls, 2);
  EXPECT_EQ(song().samplesUntilNextTick, 880);
  FillBlock(player);  // frame 1764 lies in block 1 (884..1767)
  EXPECT_EQ(TickLog::calls, 3);
  EXPECT_EQ(song().samplesUntilNextTick, 882 - 4);
  FillBlock(player);  // the fourth tick (frame 2646) sets BPM 32: 3445 frames
  EXPECT_EQ(TickLog::calls, 4);
  EXPECT_EQ(song().samplesUntilNextTick, 3445 - (2652 - 2646));
  StopSong(player);
}

TEST_F(OutputTest, StopWithoutPlayAndFailedOpen) {
  LoadModule(SmallModule(1));
  EXPECT_TRUE(StopSong(player));
  EXPECT_EQ(platform.device.opens, 0);
  EXPECT_EQ(platform.device.closes, 0);
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
  for (int r = 0; r < 64; ++r) Put(m, 0, r, r % 2, Cell{static_cast<std::uint8_t>(37 + r % 24), 1});
  Put(m, 0, 7, 1, Cell{97});
  LoadModule(m);
  ASSERT_TRUE(PlaySong(player));
  int polls = 0;
  manual.onSleep = [&] {
    if (++polls == 400) player.stopRequest = 1;  // 2 s of device time
  };
  manual.runBody();
  // 2 s at 5 ms per poll: 400 polls of 882 bytes = 352800 bytes = 88200 frames,
  // 99 blocks and 684 frames: the thread has rendered blocks 0..98 again.
  EXPECT_EQ(player.fillBlock, 99);
  EXPECT_EQ(player.audibleBlock.load(), 99);
  EXPECT_GT(platform.device.writes, 98);
  // The ring now holds positions from the second pass: block 0 ends at frame
  // 88400 + 884 of the song.
  const int lastTick = (88400 + 884 - 1) / 882;
  EXPECT_EQ(RingEntry(player, 0) >> 8, (lastTick / 6) % 64);
  EXPECT_EQ(player.threadFinished.load(), 1);
  // Block 99 is audible now: its entry is from the first pass.
  EXPECT_EQ(GetAudibleRow(player, &song()), RowAfterBlock(99) % 64);
  StopSong(player);
}

TEST_F(OutputTest, AudibleNoteReportsTheRawCell) {
  xmgen::Module m = SmallModule(3);
  Put(m, 0, 0, 0, Cell{97});
  Put(m, 0, 0, 2, Cell{61, 1});
  LoadModule(m);
  EXPECT_EQ(GetAudibleNote(player, 0), 255u);  // stopped: row 0 of the first order
  ASSERT_TRUE(PlaySong(player));
  EXPECT_EQ(GetAudibleNote(player, 0), 255u);
  EXPECT_EQ(GetAudibleNote(player, 1), 0u);
  EXPECT_EQ(GetAudibleNote(player, 2), 61u | 256u);
  EXPECT_EQ(GetAudibleNote(player, 3), 0u);
  EXPECT_EQ(GetAudibleNote(player, -1), 0u);
  FreeSong(player);
  EXPECT_EQ(GetAudibleNote(player, 0), 0u);
  EXPECT_EQ(GetNumChannels(player), 0);
}

TEST_F(OutputTest, PlayRestartsFromTheBeginning) {
  xmgen::Module m = SmallModule(1);
  m.orders = {0, 0, 0};
  LoadModule(m);
  ASSERT_TRUE(PlaySong(player));
  const std::vector<std::int16_t> first = player.deviceBuffer;
  int polls = 0;
  manual.onSleep = [&] {
    if (++polls == 300) player.stopRequest = 1;
  };
  manual.runBody();
  ASSERT_TRUE(PlaySong(player));
  EXPECT_EQ(player.deviceBuffer, first);
  EXPECT_EQ(song().order, RingEntry(player, 99) & 0xFF);
}

}  // namespace
}  // namespace korveld::xm
