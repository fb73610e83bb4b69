// The replay, stepped one tick at a time on small modules built here.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>
#include <tuple>
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
  // Runs ticks and returns what `read` gives after each.
  template <class Read>
  std::vector<int> Trace(int ticks, Read read) {
    std::vector<int> seen;
    for (int t = 0; t < ticks; ++t) {
      Tick();
      seen.push_back(read());
    }
    return seen;
  }
  // Plays row 0 with one cell per channel and checks `field` of each channel
  // after each of the row's six ticks. Whatever the channel holds, its voice
  // never plays phase-inverted nor panned out of range.
  struct RowCase {
    const char* what;
    Cell cell;
    std::array<int, 6> want;
  };
  void ExpectRow(xmgen::Module m, std::int32_t XmChannel::*field, const std::vector<RowCase>& cases) {
    for (std::size_t c = 0; c < cases.size(); ++c) m.cell(0, 0, static_cast<int>(c)) = cases[c].cell;
    Start(m);
    for (int t = 0; t < 6; ++t) {
      Tick();
      for (int c = 0; c < static_cast<int>(cases.size()); ++c) {
        const RowCase& k = cases[static_cast<std::size_t>(c)];
        EXPECT_EQ(ch(c).*field, k.want[static_cast<std::size_t>(t)]) << k.what << " after tick " << t;
        EXPECT_GE(voice(c).volume, 0) << k.what << ": a volume below 0 plays the note phase-inverted";
        EXPECT_TRUE(voice(c).pan >= 0 && voice(c).pan <= 255) << k.what << ": voice pan " << voice(c).pan;
      }
    }
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

// F1F: rows of 31 ticks; F20: BPM 32, 3445 samples a tick; F00: a row every tick.
TEST_F(ReplayTest, SpeedAndBpmEffects) {
  Start(SmallModule(1), {{0, 0, {0, 0, 0, 0xF, 0x1F}}, {1, 0, {0, 0, 0, 0xF, 0x20}}, {2, 0, {0, 0, 0, 0xF, 0x00}}});
  EXPECT_EQ(Rows(64), (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}, {0, 2}, {0, 3}}));
  EXPECT_EQ(song().bpm, 32);
  EXPECT_EQ(song().samplesPerTick, 3445);
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

  Start(SmallModule(1), {{0, 0, {0, 0, 0, 0xE, 0xE2}}});  // at speed 6: 18 ticks
  EXPECT_EQ(Rows(19), (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}}));
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
    EXPECT_EQ(std::tuple(&voice(), voice().position), std::tuple(before, position));  // no swap to the paired voice
    EXPECT_EQ(std::tuple(ch().note, ch().instrument, ch().sample), std::tuple(C4 - 1, 0, song().instruments[0].samples[0]));
    EXPECT_EQ(std::tuple(ch().period, ch().tonePortaTarget), std::tuple(1712, 856));
    Tick(5);  // 3xx slides by 4 x 0x20 a tick; 5xx has no slide speed of its own yet
    EXPECT_EQ(ch().period, effect == 0x3 ? 1712 - 5 * 4 * 0x20 : 1712);
  }
}

// 1xx stops at period 56, 2xx has no upper limit; E1y, E2y move by four
// units a step, X1y and X2y by one, on the row's first tick only.
TEST_F(ReplayTest, PortamentoLimits) {
  ExpectRow(SmallModule(6), &XmChannel::period,
            {{"1FF from C-7", {C4 + 36, 1, 0, 0x1, 0xFF}, {214, 56, 56, 56, 56, 56}},
             {"2FF", {C4, 1, 0, 0x2, 0xFF}, {1712, 2732, 3752, 4772, 5792, 6812}},
             {"E1F", {C4, 1, 0, 0xE, 0x1F}, {1652, 1652, 1652, 1652, 1652, 1652}},
             {"E2F", {C4, 1, 0, 0xE, 0x2F}, {1772, 1772, 1772, 1772, 1772, 1772}},
             {"X1F", {C4, 1, 0, 0x21, 0x1F}, {1697, 1697, 1697, 1697, 1697, 1697}},
             {"X2F", {C4, 1, 0, 0x21, 0x2F}, {1727, 1727, 1727, 1727, 1727, 1727}}});
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

// Every volume slide stops at 0 and at 64 (past the floor a fading note would
// come back phase-inverted and louder). The volume column's 6y and 7y slide on
// the row's first tick too, its 8y and 9y and EAy/EBy only there. Only C sets
// a volume above 64.
TEST_F(ReplayTest, VolumeSlidesStopAtZeroAndSixtyFour) {
  xmgen::Module m = SmallModule(11);
  m.instruments[0].samples[0].volume = 10;
  m.instruments.push_back(m.instruments[0]);
  m.instruments[1].samples[0].volume = 60;
  ExpectRow(m, &XmChannel::volume,
            {{"A04", {C4, 1, 0, 0xA, 0x04}, {10, 6, 2, 0, 0, 0}},
             {"AF0", {C4, 2, 0, 0xA, 0xF0}, {60, 64, 64, 64, 64, 64}},
             {"504", {C4, 1, 0, 0x5, 0x04}, {10, 6, 2, 0, 0, 0}},
             {"604", {C4, 1, 0, 0x6, 0x04}, {10, 6, 2, 0, 0, 0}},
             {"EBF", {C4, 1, 0, 0xE, 0xBF}, {0, 0, 0, 0, 0, 0}},
             {"EAF", {C4, 2, 0, 0xE, 0xAF}, {64, 64, 64, 64, 64, 64}},
             {"volume column 64", {C4, 1, 0x64}, {6, 2, 0, 0, 0, 0}},
             {"volume column 73", {C4, 2, 0x73}, {63, 64, 64, 64, 64, 64}},
             {"volume column 8F", {C4, 1, 0x8F}, {0, 0, 0, 0, 0, 0}},
             {"volume column 9F", {C4, 2, 0x9F}, {64, 64, 64, 64, 64, 64}},
             {"C7F sets more than 64", {C4, 1, 0, 0xC, 0x7F}, {127, 127, 127, 127, 127, 127}}});
  EXPECT_EQ(voice(10).volume, 253);  // and plays louder than 64 would (127)
}

// 8xx and E8y set the pan; Pxy slides stop at 0 and 255; the volume
// column's slides have no limit of their own (the voice keeps its pan in range).
TEST_F(ReplayTest, PanningEffects) {
  ExpectRow(SmallModule(6), &XmChannel::pan,
            {{"840", {C4, 1, 0, 0x8, 0x40}, {64, 64, 64, 64, 64, 64}},
             {"E8F", {C4, 1, 0, 0xE, 0x8F}, {240, 240, 240, 240, 240, 240}},
             {"PF0 from 240", {C4, 1, 0xCF, 0x19, 0xF0}, {240, 255, 255, 255, 255, 255}},
             {"P0F from 16", {C4, 1, 0xC1, 0x19, 0x0F}, {16, 1, 0, 0, 0, 0}},
             {"volume column DF", {C4, 1, 0xDF, 0x8, 0x10}, {16, 1, -14, -29, -44, -59}},
             {"volume column EF", {C4, 1, 0xEF, 0x8, 0xF0}, {240, 255, 270, 285, 300, 315}}});
}

// G caps at 64 and scales every voice; H slides stop at 0 and at 64.
TEST_F(ReplayTest, GlobalVolumeStaysWithinZeroAndSixtyFour) {
  Start(SmallModule(2), {{0, 0, {C4, 1, 0, 0x10, 0x08}},
                         {0, 1, {0, 0, 0, 0x11, 0x04}},
                         {1, 1, {0, 0, 0, 0x11, 0xF0}},
                         {2, 0, {0, 0, 0, 0x10, 0x7F}}});
  Tick();
  EXPECT_EQ(voice().volume, 15);  // 127.5 x 8 / 64
  EXPECT_EQ(Trace(12, [&] { return song().globalVolume; }),
            (std::vector<int>{4, 0, 0, 0, 0, 0, 15, 30, 45, 60, 64, 64}));
}

// A volume envelope 64 -> 32 -> 0 at ticks 0, 4 and 8 holds at its sustain
// point (32) until the key-off note (channel 0) or K (channel 1) on row 2
// releases it and starts the fadeout. Without an envelope (channel 2) key
// off silences at once.
TEST_F(ReplayTest, KeyOffLeavesTheSustainPointAndStartsTheFadeout) {
  xmgen::Module m = SmallModule(3);
  m.instruments.push_back(m.instruments[0]);
  m.instruments[1].volume = {{{0, 64}, {4, 32}, {8, 0}}, 1, 0, 0, kEnvelopeOn | kEnvelopeSustain};
  m.instruments[1].fadeout = 0x80;
  Start(m, {{0, 0, {C4, 2}}, {2, 0, {97}}, {0, 1, {C4, 2}}, {2, 1, {0, 0, 0, 0x14, 0}}, {0, 2, {C4, 1}}, {2, 2, {97}}});
  const std::vector<int> envelope = Trace(18, [&, t = 0]() mutable {
    EXPECT_EQ(ch(1).volumeEnvelope.current, ch(0).volumeEnvelope.current) << "K releases as the key-off note does";
    EXPECT_EQ(ch(0).fadeoutVolume, 65536 - 0x100 * std::max(0, t - 11)) << "tick " << t;
    EXPECT_EQ(voice(2).volume, t++ < 12 ? 127 : 0) << "no envelope: key off silences at once";
    return ch(0).volumeEnvelope.current;
  });
  EXPECT_EQ(envelope, (std::vector<int>{64, 56, 48, 40, 32, 32, 32, 32, 32, 32, 32, 32, 32, 24, 16, 8, 0, 0}))
      << "key off must release the envelope from its sustain point";
}

// A volume envelope looping over its three points, and a panning envelope
// that moves the voice's pan from the sample's 128 and stops at its end.
TEST_F(ReplayTest, EnvelopeLoopAndPanningEnvelope) {
  xmgen::Module m = SmallModule(1);
  m.instruments[0].volume = {{{0, 64}, {2, 0}, {4, 64}}, 0, 0, 2, kEnvelopeOn | kEnvelopeLoop};
  m.instruments[0].panning = {{{0, 32}, {2, 0}, {4, 64}}, 0, 0, 0, kEnvelopeOn};
  Start(m, {{0, 0, {C4, 1}}});
  std::vector<int> pan;
  EXPECT_EQ(Trace(8, [&] { return pan.push_back(voice().pan), ch().volumeEnvelope.current; }),
            (std::vector<int>{64, 32, 0, 32, 64, 32, 0, 32}));
  EXPECT_EQ(pan, (std::vector<int>{128, 64, 0, 128, 255, 255, 255, 255}));
}

// 047 plays the note, +4 and +7 semitones on ticks 0, 1, 2 and again on 3,
// 4, 5, each exactly as the plain note sounds, in both tables.
TEST_F(ReplayTest, ArpeggioSoundsLikeItsPlainNotes) {
  for (bool linear : {false, true}) {
    Start(SmallModule(4, linear), {{0, 0, {C4, 1, 0, 0x0, 0x47}}, {0, 1, {C4, 1}}, {0, 2, {C4 + 4, 1}}, {0, 3, {C4 + 7, 1}}});
    for (int t = 0; t < 6; ++t) {
      Tick();
      EXPECT_EQ(voice(0).frequency, voice(1 + t % 3).frequency) << (linear ? "linear" : "Amiga") << " tick " << t;
    }
  }
}

// E93 and E92 retrigger every third and every second tick, EC2 cuts on tick
// 2, and ED3 leaves the voice alone until tick 3 of its row, then starts its
// note (C-5) with its instrument and volume column.
TEST_F(ReplayTest, RetriggerNoteCutAndNoteDelay) {
  Start(SmallModule(4), {{0, 0, {C4, 1, 0, 0xE, 0x93}},
                         {0, 1, {C4, 1, 0, 0xE, 0x92}},
                         {0, 2, {C4, 1, 0, 0xE, 0xC2}},
                         {0, 3, {C4, 1, 0x20}},
                         {1, 3, {C4 + 12, 1, 0x30, 0xE, 0xD3}}});
  std::string triggers[4];
  for (int t = 0; t < 12; ++t) {
    for (int c = 0; c < 4; ++c) voice(c).position = 999;  // a trigger starts the sample again
    Tick();
    for (int c = 0; c < 4; ++c) triggers[c] += voice(c).position == 0 ? 'x' : '.';
    EXPECT_EQ(ch(2).volume, t < 2 ? 64 : 0) << "EC2 after tick " << t;
    EXPECT_EQ(voice(3).frequency, t < 9 ? 8362 : 16725) << "ED3 after tick " << t;
    EXPECT_EQ(ch(3).volume, t < 9 ? 16 : 32) << "ED3 after tick " << t;
  }
  EXPECT_EQ(triggers[0], "x..x........");
  EXPECT_EQ(triggers[1], "x.x.x.......");
  EXPECT_EQ(triggers[3], "x........x..");
}

// E41 and E72 choose the ramp for vibrato and the square for tremolo (both
// speed 4, depth 8, on the row after).
TEST_F(ReplayTest, WaveformControlChoosesRampAndSquare) {
  Start(SmallModule(2), {{0, 0, {C4, 1, 0, 0xE, 0x41}},
                         {1, 0, {0, 0, 0, 0x4, 0x48}},
                         {0, 1, {C4, 1, 0x20, 0xE, 0x72}},
                         {1, 1, {0, 0, 0, 0x7, 0x48}}});
  Tick(6);
  std::vector<int> tremolo;
  EXPECT_EQ(Trace(6, [&] { return tremolo.push_back(ch(1).volumeOffset), ch(0).frequencyOffset; }),
            (std::vector<int>{0, 0, -8, -16, -24, -32}));
  EXPECT_EQ(tremolo, (std::vector<int>{0, 31, 31, 31, 31, 31}));
}

// Lxx moves the volume envelope (64, 32, 0 at ticks 0, 4, 8) to tick xx:
// L06 takes up the slope between its points, L20 lies past the last point
// and holds its level with the envelope stopped.
TEST_F(ReplayTest, SetEnvelopePosition) {
  xmgen::Module m = SmallModule(2);
  m.instruments[0].volume = {{{0, 64}, {4, 32}, {8, 0}}, 0, 0, 0, kEnvelopeOn};
  m.instruments[0].volume.points[2][1] = 10;
  Start(m, {{0, 0, {C4, 1, 0, 0x15, 0x06}}, {0, 1, {C4, 1, 0, 0x15, 0x20}}});
  std::vector<int> past;
  EXPECT_EQ(Trace(4, [&] { return past.push_back(ch(1).volumeEnvelope.current), ch(0).volumeEnvelope.current; }),
            (std::vector<int>{21, 15, 10, 10}));
  EXPECT_EQ(past, (std::vector<int>{10, 10, 10, 10}));
}

// The instrument's square auto-vibrato (depth 8, rate 64) reaches full depth
// over its sweep of two ticks.
TEST_F(ReplayTest, AutoVibratoSweepsIn) {
  xmgen::Module m = SmallModule(1);
  m.instruments[0].vibratoType = 1;
  m.instruments[0].vibratoDepth = 8;
  m.instruments[0].vibratoRate = 64;
  m.instruments[0].vibratoSweep = 2;
  Start(m, {{0, 0, {C4, 1}}});
  EXPECT_EQ(Trace(6, [&] { return ch().frequencyOffset; }), (std::vector<int>{0, 4, -8, -8, 8, 8}));
}

// Every volume change of Rxy, one retrigger each from volume 32 (intervals
// above 1 are in the modules' golden hashes).
TEST_F(ReplayTest, MultiRetriggerVolumeChanges) {
  xmgen::Module m = SmallModule(16);
  for (int x = 0; x < 16; ++x) m.cell(0, 0, x) = {C4, 1, 0x30, 0x1B, static_cast<std::uint8_t>(x << 4 | 1)};
  Start(m);
  Tick(2);
  const int want[16] = {32, 31, 30, 28, 24, 16, 21, 16, 32, 33, 34, 36, 40, 48, 48, 64};
  for (int x = 0; x < 16; ++x) EXPECT_EQ(ch(x).volume, want[x]) << "R" << x << "1";
}

// Tremolo and vibrato (speed 4, depth 8) on the sine from position 0 (the
// vibrato's offset negated), and tremor on for two ticks, off for two.
TEST_F(ReplayTest, TremoloVibratoAndTremor) {
  ExpectRow(SmallModule(3), &XmChannel::volumeOffset,
            {{"748 at volume 16", {C4, 1, 0x20, 0x7, 0x48}, {0, 0, 12, 22, 29, 31}},
             {"748 at volume 64 adds nothing above 64", {C4, 1, 0, 0x7, 0x48}, {0, 0, 0, 0, 0, 0}},
             {"T11", {C4, 1, 0, 0x1D, 0x11}, {0, 0, -64, -64, 0, 0}}});
  ExpectRow(SmallModule(1), &XmChannel::frequencyOffset, {{"448", {C4, 1, 0, 0x4, 0x48}, {0, 0, -24, -44, -56, -60}}});
}

}  // namespace
}  // namespace korveld::xm
