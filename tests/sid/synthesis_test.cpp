// SID synthesis: step tables, waveforms, envelopes, filter, volume and the
// sample channel, checked against the worked numbers.
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <utility>

#include "sid/cpu.hpp"
#include "sid/synthesis.hpp"
#include "tests/sid/sid_test_helpers.hpp"

namespace korveld::sid {
namespace {

using testing::FreshState;

std::int16_t RenderOne(SidState& s) {
  std::int16_t out = 0;
  SidRender(s, &out, 1);
  return out;
}

// Writes each register of the list in turn.
void Write(SidState& s, std::initializer_list<std::pair<int, std::uint8_t>> writes) {
  for (auto [r, v] : writes) SidWriteRegister(s, r, v);
}

// After a reset every voice sits in its attack phase, so even a voice with
// no waveform rises towards full scale: the tests park the voices they do
// not look at at level 0 (sustain 0 keeps them there).
std::unique_ptr<SidState> QuietState() {
  auto s = FreshState();
  for (SidVoice& v : s->voices) v.phase = kSustain;
  return s;
}

// Voice v frozen at accumulator a (frequency 0) and full envelope, unfiltered.
void FreezeVoice(SidState& s, int v, std::uint32_t a, std::uint8_t control) {
  SidWriteRegister(s, v * 7 + 4, control);
  s.voices[v].accumulator = a;
  s.voices[v].envelopeLevel = 0xFFFFFF;
  s.voices[v].phase = kAttack;  // the attack clamps at the top at once
}

// The envelope rates at 44100 Hz. The tunes' golden hashes reach only the
// rates the tunes use; this holds all sixteen of each.
TEST(SidTables, EnvelopeStepsAt44100) {
  auto s = FreshState();
  EXPECT_EQ(s->tables.attackSteps, (std::array<std::uint32_t, 16>{168867, 47495, 24124, 15998, 10200, 6908, 5692, 4855,
                                                                   3877, 1555, 777, 486, 389, 129, 77, 48}));
  EXPECT_EQ(s->tables.decayReleaseSteps, (std::array<std::uint32_t, 16>{42660, 15468, 7857, 5210, 3322, 2250, 1853,
                                                                         1581, 1262, 506, 253, 158, 126, 42, 25, 15}));
}

TEST(SidRender, ThreeSawsAtTheTopAndFullVolume) {
  auto s = QuietState();
  SidWriteRegister(*s, 24, 0x0F);
  for (int v = 0; v < 3; ++v) FreezeVoice(*s, v, 0x0FFFFFFF, 0x21);
  EXPECT_EQ(RenderOne(*s), 3 * 507 * 15);
}

// One voice frozen at an accumulator, volume 1: the waveform's value at full envelope.
TEST(SidRender, WaveformsAtTheirEdges) {
  struct Case {
    const char* what;
    int voice;
    std::uint32_t accumulator;
    std::uint8_t control;
    std::uint16_t pulseWidth;
    int want;
  };
  const int t = (0x1000000 >> 19) & 0xFF;
  const Case cases[] = {
      {"no waveform bit: constant $FF", 0, 0x1234567, 0x01, 0, 507},
      {"pulse width 0: high only at 0", 0, 0, 0x41, 0, 507},
      {"pulse width 0, accumulator 1", 0, 1, 0x41, 0, -512},
      {"pulse width $FFF", 0, 0xFFF0000, 0x41, 0xFFFF, 507},  // high byte stored whole, masked to 12 bits
      {"pulse width $FFF, one past", 0, 0xFFF0001, 0x41, 0xFFFF, -512},
      {"triangle and sawtooth are ANDed", 0, 0x3A00000, 0x31, 0, ((0x74 & 0x3A) - 128) * 0xFFFFFF >> 22},
      {"the triangle folds down", 0, 0x9000000, 0x11, 0, ((((0x9000000 >> 19) & 0xFF) ^ 0xFF) - 128) * 0xFFFFFF >> 22},
      // Voice 2 ring-modulated by voice 1, whose accumulator (0) is in its lower half.
      {"ring modulation inverts the triangle", 1, 0x1000000, 0x15, 0, ((t ^ 0xFF) - 128) * 0xFFFFFF >> 22},
      {"the test bit holds the triangle at 0, which ring inverts", 1, 0x1000000, 0x1D, 0, 127 * 0xFFFFFF >> 22},
  };
  for (const Case& c : cases) {
    auto s = QuietState();
    Write(*s, {{24, 0x01}, {c.voice * 7 + 2, c.pulseWidth & 0xFF}, {c.voice * 7 + 3, c.pulseWidth >> 8}});
    FreezeVoice(*s, c.voice, c.accumulator, c.control);
    EXPECT_EQ(RenderOne(*s), c.want) << c.what;
  }
}

TEST(SidRender, HardSyncResetsToReferencePhase) {
  auto s = QuietState();
  // Voice 1 (frequency $2000) syncs to voice 3 ($1000), which wraps this sample.
  Write(*s, {{14, 0x00}, {15, 0x10}, {1, 0x20}, {4, 0x22}});
  const std::uint32_t step3 = 0x1000 * 359, step1 = 0x2000 * 359;
  s->voices[2].accumulator = 5;  // below its step: it wrapped
  s->voices[0].accumulator = 0x1234;
  RenderOne(*s);
  // Voice 1 runs before voice 3 advances: it sees accumulator 5.
  EXPECT_EQ(s->voices[0].accumulator, (5u * step1) / step3);
}

// The noise register runs whether or not noise sounds, and its output byte
// follows it either way: a voice switched to noise later starts from it.
TEST(SidRender, NoiseOutputFollowsTheRegisterWhileNoiseIsOff) {
  auto silent = QuietState();
  auto noisy = QuietState();
  Write(*silent, {{0, 0xFF}, {1, 0xFF}, {4, 0x20}});
  Write(*noisy, {{0, 0xFF}, {1, 0xFF}, {4, 0x80}});
  std::array<std::int16_t, 300> out{};
  SidRender(*silent, out.data(), 300);
  SidRender(*noisy, out.data(), 300);
  EXPECT_EQ(silent->voices[0].noiseRegister, noisy->voices[0].noiseRegister);
  EXPECT_NE(noisy->voices[0].noiseOutput, 0);
  EXPECT_EQ(silent->voices[0].noiseOutput, noisy->voices[0].noiseOutput);
}

TEST(SidEnvelope, GateOneDoesNotRetriggerButGateZeroThenOneDoes) {
  auto s = QuietState();
  Write(*s, {{5, 0x00}, {6, 0x80}, {4, 0x11}});  // fastest attack and decay, sustain 8
  std::array<std::int16_t, 600> out{};
  SidRender(*s, out.data(), 600);
  EXPECT_EQ(s->voices[0].phase, kSustain);
  EXPECT_EQ(s->voices[0].envelopeLevel, 0x800000);
  SidWriteRegister(*s, 4, 0x11);
  EXPECT_EQ(s->voices[0].phase, kSustain);
  SidWriteRegister(*s, 4, 0x10);
  EXPECT_EQ(s->voices[0].phase, kRelease);
  SidWriteRegister(*s, 4, 0x11);
  EXPECT_EQ(s->voices[0].phase, kAttack);
  EXPECT_EQ(s->voices[0].envelopeLevel, 0x800000);  // attack resumes from here
  RenderOne(*s);
  EXPECT_EQ(s->voices[0].envelopeLevel, 0x800000 + 168867);
  // The attack and the decay end on the sample whose step reaches their limit exactly.
  s->voices[0].envelopeLevel = 0xFFFFFF - 3 * 168867;
  SidRender(*s, out.data(), 3);
  EXPECT_EQ(s->voices[0].phase, kDecay);
  s->voices[0].envelopeLevel = 0x800000 + 2 * 42660;
  SidRender(*s, out.data(), 2);
  EXPECT_EQ(s->voices[0].phase, kSustain);
}

TEST(SidEnvelope, SustainRegisterChangeRestartsDecay) {
  auto s = QuietState();
  Write(*s, {{6, 0xA0}, {4, 0x01}});
  s->voices[0].phase = kSustain;
  s->voices[0].envelopeLevel = 0xA00000;
  SidWriteRegister(*s, 6, 0x40);
  RenderOne(*s);
  EXPECT_EQ(s->voices[0].phase, kDecay);
  EXPECT_EQ(s->voices[0].envelopeLevel, 0xA00000);
  RenderOne(*s);
  EXPECT_EQ(s->voices[0].envelopeLevel, 0xA00000 - 42660);
}

TEST(SidEnvelope, ReleaseSettlesAtTheFloor) {
  auto s = QuietState();
  Write(*s, {{24, 0x01}, {4, 0x00}});  // gate off right after reset, no waveform
  EXPECT_EQ(RenderOne(*s), (127 * 0x40000) >> 22);  // lifted to the floor
  EXPECT_EQ(s->voices[0].envelopeLevel, 0x40000);
  s->voices[0].envelopeLevel = 0xFFFFFF;
  std::array<std::int16_t, 2000> out{};
  SidRender(*s, out.data(), 2000);
  EXPECT_EQ(s->voices[0].envelopeLevel, 0x40000);
  EXPECT_EQ(out.back(), 7);
  s->voices[0].envelopeLevel = 0x40000 + 2 * 42660 - 1;  // the second step lands one below the floor
  SidRender(*s, out.data(), 2);
  EXPECT_EQ(s->voices[0].envelopeLevel, 0x40000);
}

TEST(SidFilter, CutoffSaturatesAndResonanceTerm) {
  auto s = QuietState();
  SidWriteRegister(*s, 22, 0x80);
  RenderOne(*s);
  EXPECT_EQ(s->filter.cutoff, 65536);
  Write(*s, {{22, 0x7F}, {21, 0xFF}});  // only bits 0..2 of register 21 count
  RenderOne(*s);
  EXPECT_EQ(s->filter.cutoff, (0x7F * 16 + 7) * 32);
  EXPECT_EQ(s->filter.resonanceTerm, 307);
  SidWriteRegister(*s, 23, 0xF0);
  RenderOne(*s);
  EXPECT_EQ(s->filter.resonanceTerm, 153);
}

// Voice 3's constant +507 through the filter at half cutoff, one mode bit at
// a time. The first sample is the input through one step of each stage
// (high 507, band half of it, low half again); from then on the low pass
// lets the constant through (a step below it: each stage rounds down) and
// the band and high pass settle to 0. Voice 3 off silences it, filtered or not.
TEST(SidFilter, EachModeBitTakesItsOwnOutput) {
  struct Case {
    const char* what;
    std::uint8_t mode;
    int first, settled;
  };
  const Case cases[] = {{"no mode: filtered voices are silent", 0x00, 0, 0}, {"low pass", 0x10, 126, 507},
                        {"band pass", 0x20, 253, 0}, {"high pass", 0x40, 507, 0}, {"all three add up", 0x70, 886, 507},
                        {"voice 3 off", 0xF0, 0, 0}};
  for (const Case& c : cases) {
    auto s = QuietState();
    // The slowest decay towards sustain $F keeps the input at +507.
    Write(*s, {{19, 0x0F}, {20, 0xF0}, {22, 0x40}, {23, 0x04}, {24, static_cast<std::uint8_t>(c.mode | 0x01)}});
    FreezeVoice(*s, 2, 0, 0x01);
    EXPECT_EQ(RenderOne(*s), c.first) << c.what;
    std::array<std::int16_t, 2000> out{};
    SidRender(*s, out.data(), 2000);
    EXPECT_NEAR(out.back(), c.settled, 1) << c.what;
  }
}

TEST(SidMix, OverloadClipsInsteadOfWrapping) {
  auto s = QuietState();
  SidWriteRegister(*s, 24, 0x1F);
  s->filter.low = 30000 << 16;  // a ringing filter far above full scale
  EXPECT_EQ(RenderOne(*s), 32767);
  s->filter.low = -(30000 << 16);
  EXPECT_EQ(RenderOne(*s), -32768);
}

// Sample channel: start $3000, end $3002, given period, command $FF.
void StartSample(SidState& s, std::uint16_t period, std::uint8_t repeats) {
  const std::pair<std::uint16_t, int> writes[] = {{0xD41E, 0x00},   {0xD41F, 0x30},        {0xD43D, 0x02},
                                                  {0xD43E, 0x30},   {0xD45D, period & 0xFF}, {0xD45E, period >> 8},
                                                  {0xD43F, repeats}, {0xD47E, 0x01},        {0xD47F, 0x30},
                                                  {0xD41D, 0xFF}};
  for (auto [address, value] : writes) WriteByte(s, address, static_cast<std::uint8_t>(value));
}

// Each level is heard from the sample after its step. Order 0 starts on the
// high nibble of the start byte, then the low and high nibbles of the next;
// order 1 steps to the next byte at once and plays its high, then its low
// nibble.
// The step onto the end address leaves the range and silences the channel.
TEST(SampleChannel, ReachesTheOutputAtVolumeZeroInEitherNibbleOrder) {
  auto level = [](int nibble) { return static_cast<std::int16_t>((nibble - 7) * 1024); };
  const std::array<std::int16_t, 6> want[] = {{0, level(0xF), level(0xC), level(0x3), 0, 0},
                                              {0, level(0x3), level(0xC), 0, 0, 0}};
  for (std::uint8_t order : {0, 1}) {
    auto s = QuietState();
    s->memory.bytes[0x3000] = 0xF0;
    s->memory.bytes[0x3001] = 0x3C;
    WriteByte(*s, 0xD47D, order);
    StartSample(*s, 8, 0);  // step 123156 > 44100: one nibble per sample
    std::array<std::int16_t, 6> out{};
    SidRender(*s, out.data(), 6);
    EXPECT_EQ(out, want[order]) << "nibble order " << int{order};
    EXPECT_EQ(s->sample.active, 1);
  }
}

TEST(SampleChannel, RepeatsFromTheRepeatAddress) {
  auto s = QuietState();
  s->memory.bytes[0x3000] = 0x12;
  s->memory.bytes[0x3001] = 0x34;
  StartSample(*s, 1, 1);  // the shortest period steps like any other
  std::array<std::int16_t, 8> out{};
  SidRender(*s, out.data(), 8);
  auto level = [](int nibble) { return static_cast<std::int16_t>((nibble - 7) * 1024); };
  // One repeat from $3001, then the end byte's low nibble, then silence.
  const std::array<std::int16_t, 8> want = {0, level(1), level(4), level(3), level(4), level(3), 0, 0};
  EXPECT_EQ(out, want);
  EXPECT_EQ(s->sample.repeatCountCopy, 0);
}

TEST(SampleChannel, PeriodZeroHoldsAndCommandFDStops) {
  auto s = QuietState();
  s->sampleLevel = 3 * 1024;
  StartSample(*s, 0, 0);
  std::array<std::int16_t, 4> out{};
  SidRender(*s, out.data(), 4);
  for (std::int16_t v : out) EXPECT_EQ(v, 3 * 1024);
  WriteByte(*s, 0xD41D, 0xFD);
  EXPECT_EQ(RenderOne(*s), 0);
}

TEST(SidRegisters, DumpOrderFollowsTheChip) {
  auto s = QuietState();
  for (int r = 0; r < 25; ++r) SidWriteRegister(*s, r, static_cast<std::uint8_t>(r + 1));
  SidWriteRegister(*s, 29, 0x77);  // ignored
  for (int r = 0; r < 25; ++r) EXPECT_EQ(SidRegisterValue(*s, r), r + 1);
  EXPECT_EQ(s->registers.bytes[7], 0);
  EXPECT_EQ(s->registers.bytes[27], 25);
}

}  // namespace
}  // namespace korveld::sid
