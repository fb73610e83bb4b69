// The replay, stepped one tick at a time on small modules built here.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>

#include "tests/xm/xm_test_helpers.hpp"

namespace korveld::xm {
namespace {

using testing::C4;
using testing::SmallModule;
using xmgen::Cell;

struct At {
  int row, channel;
  Cell cell;
};

struct ReplayTest : testing::PlayerTest {
  XmChannel& ch(int c = 0) { return player.channels[static_cast<std::size_t>(c)]; }
  MixVoice& voice(int c = 0) { return player.voices[static_cast<std::size_t>(ch(c).voice)]; }
  // Loads the module with the cells put into its first pattern, from its start.
  void Start(xmgen::Module m, std::initializer_list<At> cells = {}) {
    for (const At& a : cells) m.cell(0, a.row, a.channel) = a.cell;
    ASSERT_TRUE(Load(m));
    ResetSongState(player, song());
  }
  void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) UpdateTick(player, song());
  }
  // Runs ticks and returns the (order, row) of every row processed.
  std::vector<std::pair<int, int>> Rows(int ticks) {
    std::vector<std::pair<int, int>> rows;
    for (int i = 0; i < ticks; ++i) {
      const bool rowTick = song().tick == 0;
      Tick();
      if (rowTick) rows.emplace_back(song().order, song().row);
    }
    return rows;
  }
};

TEST(AmigaPeriodTest, TableExamples) {
  const int cases[][3] = {{48, 0, 1712}, {48, 127, 1616}, {48, -128, 1813}, {48, 64, 1664}, {60, 0, 856}, {0, 0, 27392}};
  for (const auto& c : cases) EXPECT_EQ(AmigaPeriod(c[0], c[1]), c[2]) << c[0] << " " << c[1];
}

TEST_F(ReplayTest, NoteFortyEightInBothTables) {
  for (bool linear : {false, true}) {
    Start(SmallModule(1, linear), {{0, 0, {C4, 1}}});
    Tick();
    EXPECT_EQ(ch().period, linear ? 4608 : 1712);
    EXPECT_EQ(voice().frequency, linear ? 8363 : 8362);
    EXPECT_EQ(voice().stepInteger, 0u);
    EXPECT_EQ(voice().stepFraction, static_cast<std::uint32_t>((static_cast<std::uint64_t>(voice().frequency) << 32) / 44100));
    EXPECT_EQ(voice().sample, song().instruments[0].samples[0]);
    EXPECT_EQ(voice().volume, 127);  // default volume 64 at full envelope, fadeout and global volume
  }
}

TEST_F(ReplayTest, SpeedAndBpmEffects) {
  Start(SmallModule(1), {{0, 0, {0, 0, 0, 0xF, 0x1F}}, {1, 0, {0, 0, 0, 0xF, 0x20}}, {2, 0, {0, 0, 0, 0xF, 0x00}}});
  Tick();
  EXPECT_EQ(song().speed, 31);
  Tick(30);
  EXPECT_EQ(song().tick, 0);
  Tick();
  EXPECT_EQ(song().row, 1);
  EXPECT_EQ(song().bpm, 32);
  EXPECT_EQ(song().samplesPerTick, 3445);
  Tick(31);  // row 2: F00
  EXPECT_EQ(song().speed, 0);
  EXPECT_EQ(song().tick, 0);  // every tick is a row
  Tick();
  EXPECT_EQ(song().row, 3);
  Tick();
  EXPECT_EQ(song().row, 4);
}

TEST_F(ReplayTest, PositionJumpAndBreakInterplay) {
  xmgen::Module m = SmallModule(2);
  m.orders = {0, 1, 2, 3, 4};
  for (int p = 1; p < 5; ++p) m.addPattern(64);
  m.speed = 1;
  m.cell(1, 0, 1) = {0, 0, 0, 0xB, 0x04};
  m.cell(1, 0, 0) = {0, 0, 0, 0xD, 0x05};  // B after D overrides both: order 4 row 0
  m.cell(4, 0, 0) = {0, 0, 0, 0xD, 0x02};  // D of the last order goes to order 0
  Start(m, {{0, 0, {0, 0, 0, 0xB, 0x05}},    // beyond the song: order 0
            {0, 1, {0, 0, 0, 0xD, 0x12}},    // D after B keeps B's order, sets row 12
            {12, 0, {0, 0, 0, 0xD, 0x64}}});  // 6/4 = 64 > 63: row 0 of the next order
  const std::vector<std::pair<int, int>> expect = {{0, 0}, {0, 12}, {1, 0}, {4, 0}, {0, 2}, {0, 3}};
  EXPECT_EQ(Rows(6), expect);
}

TEST_F(ReplayTest, RunningOffTheEndGoesToTheRestartPosition) {
  xmgen::Module m = SmallModule(1);
  m.orders = {0, 1, 1};
  m.addPattern(2);
  m.restart = 1;
  m.speed = 1;
  Start(m);
  const auto rows = Rows(64 + 2 + 2 + 2);
  EXPECT_EQ(rows[64], std::make_pair(1, 0));
  EXPECT_EQ(rows[66], std::make_pair(2, 0));
  EXPECT_EQ(rows[68], std::make_pair(1, 0));
}

TEST_F(ReplayTest, PatternLoopPlaysRowsThreeTimesAndPatternDelayLengthensARow) {
  xmgen::Module m = SmallModule(1);
  m.speed = 1;
  Start(m, {{4, 0, {0, 0, 0, 0xE, 0x60}}, {8, 0, {0, 0, 0, 0xE, 0x62}}});
  std::vector<int> seq;
  for (auto& r : Rows(20)) seq.push_back(r.second);
  EXPECT_EQ(seq, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 4, 5, 6, 7, 8, 4, 5, 6, 7, 8, 9}));

  Start(SmallModule(1), {{0, 0, {0, 0, 0, 0xE, 0xE2}}});
  int ticks = 0;
  do {
    Tick();
    ++ticks;
  } while (song().tick != 0);
  EXPECT_EQ(ticks, 18);
}

TEST_F(ReplayTest, SetVolumeAboveSixtyFourPlaysLouder) {
  Start(SmallModule(1), {{0, 0, {C4, 1, 0, 0xC, 0x7F}}});
  Tick();
  EXPECT_EQ(ch().volume, 127);
  EXPECT_EQ(voice().volume, 253);
}

// 3xx and 5xx take the note as the slide's target without a trigger.
TEST_F(ReplayTest, TonePortamentoSlidesWithoutRetrigger) {
  for (std::uint8_t effect : {0x3, 0x5}) {
    xmgen::Module m = SmallModule(1);
    m.instruments.push_back(xmgen::OneSampleInstrument(xmgen::ConstantSample(500)));
    Start(m, {{0, 0, {C4, 1}}, {1, 0, {C4 + 12, 2, 0, effect, 0x20}}});
    Tick(6);
    const MixVoice* before = &voice();
    const std::uint32_t position = before->position;
    Tick();  // row 1, tick 0
    EXPECT_EQ(&voice(), before);  // no swap to the paired voice: no trigger
    EXPECT_EQ(voice().position, position);
    EXPECT_EQ(ch().note, C4 - 1);
    EXPECT_EQ(ch().instrument, 0);
    EXPECT_EQ(ch().sample, song().instruments[0].samples[0]);
    EXPECT_EQ(ch().period, 1712);
    EXPECT_EQ(ch().tonePortaTarget, 856);
    Tick(5);  // 3xx slides by 4 x 0x20 a tick; 5xx has no slide speed of its own yet
    EXPECT_EQ(ch().period, effect == 0x3 ? 1712 - 5 * 4 * 0x20 : 1712);
  }
}

TEST_F(ReplayTest, PortamentoLimits) {
  xmgen::Module m = SmallModule(3);
  m.speed = 31;
  Start(m, {{0, 0, {C4 + 36, 1, 0, 0x1, 0xFF}},
            {0, 1, {C4, 1, 0, 0x2, 0xFF}},
            {0, 2, {C4, 1, 0, 0xE, 0x1F}},
            {1, 2, {0, 0, 0, 0x21, 0x1F}}});
  Tick(31);
  EXPECT_EQ(ch(0).period, 56);
  EXPECT_EQ(ch(1).period, 1712 + 30 * 4 * 0xFF);
  EXPECT_EQ(ch(2).period, 1712 - 60);
  Tick();  // extra-fine portamento: no factor 4 and no limit
  EXPECT_EQ(ch(2).period, 1712 - 60 - 15);
}

TEST_F(ReplayTest, SampleOffsetBeyondTheLoopRewindsWithoutTrigger) {
  Start(SmallModule(1), {{0, 0, {C4, 1, 0, 0x9, 0x02}}, {1, 0, {C4, 1, 0, 0x9, 0x04}}});  // 1024 >= 1000
  Tick();
  EXPECT_EQ(voice().position, 512u);
  Tick(5);
  const MixVoice* before = &voice();
  voice().position = 300;
  Tick();
  EXPECT_EQ(&voice(), before);
  EXPECT_EQ(voice().position, 0u);
}

TEST_F(ReplayTest, SetFinetuneWritesTheSampleRecord) {
  Start(SmallModule(1), {{0, 0, {C4, 1, 0, 0xE, 0x5F}}, {1, 0, {C4, 1}}});
  Tick();
  EXPECT_EQ(song().instruments[0].samples[0]->finetune, 15);
  Tick(6);
  EXPECT_EQ(ch().period, AmigaPeriod(48, 15));
}

TEST_F(ReplayTest, VolumeColumnSlideActsOnTickZero) {
  Start(SmallModule(1), {{0, 0, {C4, 1, 0x63}}});
  Tick();
  EXPECT_EQ(ch().volume, 61);
  Tick(5);
  EXPECT_EQ(ch().volume, 64 - 6 * 3);
}

// Every volume change of Rxy, one retrigger each from volume 32 (E9x and
// Rxy timing are in the modules' golden hashes).
TEST_F(ReplayTest, MultiRetriggerVolumeChanges) {
  xmgen::Module m = SmallModule(16);
  for (int x = 0; x < 16; ++x) m.cell(0, 0, x) = {C4, 1, 0x30, 0x1B, static_cast<std::uint8_t>(x << 4 | 1)};
  Start(m);
  Tick(2);
  const int want[16] = {32, 31, 30, 28, 24, 16, 21, 16, 32, 33, 34, 36, 40, 48, 48, 64};
  for (int x = 0; x < 16; ++x) EXPECT_EQ(ch(x).volume, want[x]) << "R" << x << "1";
}

TEST_F(ReplayTest, TremoloVibratoAndTremor) {
  Start(SmallModule(3), {{0, 0, {C4, 1, 0x20, 0x7, 0x48}},
                         {0, 1, {C4, 1, 0, 0x4, 0x48}},
                         {0, 2, {C4, 1, 0, 0x1D, 0x11}}});  // tremor: on 2 ticks, off 2
  std::vector<int> tremor;  // channel 2's volume as its voice plays it
  auto tick = [&] {
    Tick();
    tremor.push_back(voice(2).volume);
  };
  tick();
  EXPECT_EQ(ch(1).frequencyOffset, 0);  // position 0: sine 0
  tick();
  // Tremolo at position 0 adds the sine of position 0 (0); vibrato runs at position 4.
  EXPECT_EQ(ch(0).volumeOffset, 0);
  tick();
  const int sine8 = static_cast<int>(std::fabs(std::sin(8 * static_cast<double>(0.049087375f))) * 256);
  EXPECT_EQ(ch(0).volumeOffset, (sine8 * 8) >> 6);
  EXPECT_EQ(ch(1).frequencyOffset, -(((sine8 * 8) >> 5) & ~3));  // the vibrato's sine is negated
  for (int i = 0; i < 3; ++i) tick();
  EXPECT_EQ(tremor, (std::vector<int>{127, 127, 0, 0, 127, 127}));
}

}  // namespace
}  // namespace korveld::xm
