// The loader and its memory source, on modules built here, including
// hostile ones: each loads within its bounds or is refused with its reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>

#include "tests/xm/xm_test_helpers.hpp"

namespace korveld::xm {
namespace {

using testing::SmallModule;
using xmgen::ConstantSample;

using LoaderTest = testing::PlayerTest;

TEST_F(LoaderTest, CursorReadsAndSeeksStayInsideTheImage) {
  std::vector<std::uint8_t> bytes(100);
  for (int i = 0; i < 100; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  MemoryCursor at{bytes.data(), 100, 0};
  Seek(at, -4, SeekFrom::End);
  std::uint8_t buffer[10] = {};
  EXPECT_EQ(Read(at, buffer, 10), 4);  // reads stop at the end
  EXPECT_EQ(buffer[3], 99);
  EXPECT_EQ(Read(at, buffer, 10), 0);
  Seek(at, -200, SeekFrom::Current);  // never before the start
  EXPECT_EQ(Tell(at), 0);
  Seek(at, 10, SeekFrom::Start);
  Seek(at, 200, SeekFrom::Current);  // nor past the end
  EXPECT_EQ(Tell(at), 100);
  // A missing image of a non-zero size is refused before anything is read.
  EXPECT_FALSE(LoadSongFromMemory(player, nullptr, 10));
  EXPECT_STREQ(player.loadError, "no module source");
}

TEST_F(LoaderTest, HeaderFieldsAndEmptySlotsUpToTheUsedPatternCount) {
  xmgen::Module m = SmallModule(4);
  m.orders = {0, 30, 0};
  m.restart = 1;
  ASSERT_TRUE(Load(m));
  EXPECT_EQ(song().restartPosition, 1);
  EXPECT_EQ(GetNumChannels(player), 4);
  EXPECT_EQ(song().usedPatternCount, 31);  // pattern 30 is used, 1..30 are not stored
  EXPECT_EQ(song().patternSlotCount, 31);
  for (int p = 1; p <= 30; ++p) {
    ASSERT_EQ(song().patterns[static_cast<std::size_t>(p)].rows, 64);
    ASSERT_EQ(song().patterns[static_cast<std::size_t>(p)].cells.size(), 64u * 4);
  }
  // A restart position beyond the song is bounded to 0.
  m.orders = {0, 0};
  m.restart = 2;
  ASSERT_TRUE(Load(m));
  EXPECT_EQ(song().restartPosition, 0);
  // A song length past the order table's 256 entries plays the 256.
  m.orders.assign(256, 0);
  image = xmgen::WriteXm(m);
  image[64] = 300 & 0xFF;
  image[65] = 300 >> 8;
  ASSERT_TRUE(LoadSongFromMemory(player, image.data(), static_cast<std::int32_t>(image.size())));
  EXPECT_EQ(song().songLength, 256);
}

TEST_F(LoaderTest, PatternCellsPackedUnpackedEmptyAndWithoutRows) {
  xmgen::Module m = SmallModule(2);
  m.patterns.clear();
  // Row 0: 0x80 (empty), unpacked with first byte 0; row 1: note 97 with
  // instrument 200 (packed), and a packed instrument 128.
  m.addPattern(2).raw = {0x80, 0, 5, 0x20, 0x0C, 0x40, 0x83, 97, 200, 0x82, 128};
  m.addPattern(20).forceEmpty = true;  // packed size 0: the rows stay, all empty
  m.addPattern(0);                     // no rows: 64
  m.orders = {0, 1, 2};
  ASSERT_TRUE(Load(m));
  const XmPattern& pat = song().patterns[0];
  ASSERT_EQ(pat.rows, 2);
  auto fields = [](const PatternCell& c) { return std::array<int, 5>{c.note, c.instrument, c.volume, c.effect, c.parameter}; };
  EXPECT_EQ(fields(pat.cells[0]), (std::array<int, 5>{0, 0, 0, 0, 0}));
  EXPECT_EQ(fields(pat.cells[1]), (std::array<int, 5>{0, 5, 0x20, 0x0C, 0x40}));
  EXPECT_EQ(fields(pat.cells[2]), (std::array<int, 5>{255, 0, 0, 0, 0}));
  EXPECT_EQ(pat.cells[3].instrument, 128);
  for (auto [p, rows] : {std::pair{1, 20}, {2, 64}}) {
    EXPECT_EQ(song().patterns[p].rows, rows);
    EXPECT_EQ(song().patterns[p].cells.size(), 2u * rows);
  }
  EXPECT_EQ(song().instruments[0].samples[0]->length, 1000u);  // found after the empty patterns
}

TEST_F(LoaderTest, SampleTypesLengthsAndLoops) {
  auto sample = [](std::uint32_t length, bool sixteenBit, xmgen::Loop loop, std::uint32_t start, std::uint32_t size) {
    xmgen::Sample s = ConstantSample(length);
    s.sixteenBit = sixteenBit;
    s.loop = loop;
    s.loopStart = start;
    s.loopLength = size;
    return s;
  };
  using L = xmgen::Loop;
  xmgen::Sample both = sample(100, false, L::None, 10, 20);
  both.typeOverride = 3;  // both loop bits: ping-pong
  xmgen::Module m = SmallModule(1);
  m.instruments[0].samples = {
      both,
      sample(500, true, L::Forward, 100, 200),      // 16-bit: 1000 bytes with loop 200 + 400 bytes
      sample(64, false, L::PingPong, 30, 0),        // loop length 0: no loop, whole length
      sample(77, true, L::None, 5, 9),              // no loop: loop start 0, loop length = length
      sample(70000, false, L::Forward, 70, 66000),  // past 64 KiB: the third byte of the fields
      sample(50, true, L::Forward, 40, 30),         // a loop beyond the data is cut to the data
  };
  ASSERT_TRUE(Load(m));
  const XmInstrument& in = song().instruments[0];
  ASSERT_EQ(in.sampleCount, 6u);
  EXPECT_EQ(in.samples[0]->bits, 16);
  const std::uint32_t want[][4] = {{100, 10, 20, kLoopPingPong}, {500, 100, 200, kLoopForward},
                                   {64, 0, 64, kLoopNone},       {77, 0, 77, kLoopNone},
                                   {70000, 70, 66000, kLoopForward}, {50, 40, 10, kLoopForward}};
  for (std::size_t i = 0; i < 6; ++i) {
    const XmSample& s = *in.samples[i];
    EXPECT_EQ((std::array<std::uint32_t, 4>{s.length, s.loopStart, s.loopLength, s.loopMode}), std::to_array(want[i]))
        << i;
  }
  for (int s = 6; s < 16; ++s) EXPECT_EQ(in.samples[static_cast<std::size_t>(s)], DummySample());
}

// 8-bit deltas widen to 16 bits; a looped sample repeats the value that
// follows its loop end for interpolation: the loop start forward, the last
// value ping-pong.
TEST_F(LoaderTest, DeltasWidenAndLoopsAreFixedUpForInterpolation) {
  xmgen::Sample raw;
  raw.useRawData = true;
  raw.rawData = {10, static_cast<std::uint8_t>(-20), 5};
  xmgen::Sample forward;
  forward.sixteenBit = true;
  for (int i = 0; i < 40; ++i) forward.values.push_back(static_cast<std::int16_t>(100 * i));
  forward.loop = xmgen::Loop::Forward;
  forward.loopStart = 10;
  forward.loopLength = 20;
  xmgen::Sample ping = forward;
  ping.loop = xmgen::Loop::PingPong;
  ASSERT_TRUE(Load(xmgen::SimpleModule(1, {raw, forward, ping})));
  EXPECT_EQ(song().instruments[0].samples[0]->data, (std::vector<std::int16_t>{2560, -2560, -1280, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(song().instruments[1].samples[0]->data[30], 1000);
  EXPECT_EQ(song().instruments[2].samples[0]->data[30], 2900);
}

TEST_F(LoaderTest, InstrumentEnvelopesKeymapAndEmptyInstruments) {
  xmgen::Module m = SmallModule(1);
  xmgen::Instrument& ins = m.instruments[0];
  ins.volume.points = {{0, 64}};
  ins.volume.type = 1;  // one point: switched off
  ins.panning.points = {{0, 32}, {10, 0}, {20, 64}};
  ins.panning.type = 1 | 4;
  ins.panning.loopStart = 1;
  ins.panning.loopEnd = 2;
  ins.keymap[40] = 3;
  m.instruments.push_back(xmgen::Instrument{});  // no samples
  m.instruments.push_back(xmgen::OneSampleInstrument(ConstantSample(4)));
  ASSERT_TRUE(Load(m));
  const XmInstrument& in = song().instruments[0];
  EXPECT_EQ(std::tuple(in.volumeEnvelope.type, in.panningEnvelope.type, in.panningEnvelope.points[2].y, in.keymap[40]),
            std::tuple(0, 5, 64, 3));
  EXPECT_EQ(std::tuple(song().instruments[1].sampleCount, song().instruments[1].samples[0]), std::tuple(0u, DummySample()));
  EXPECT_EQ(song().instruments[2].samples[0]->length, 4u);
}

// Envelope levels above 64 load as 64; Lxx before the first point of an
// envelope far out in x stays in range.
TEST_F(LoaderTest, EnvelopeLevelsAreClampedAtLoadAndLxxStaysInRange) {
  xmgen::Module m = SmallModule(2);
  xmgen::Instrument& ins = m.instruments[0];
  ins.volume = {{{0, 65535}, {8, 65535}, {16, 32}}, 0, 0, 0, 1};
  ins.panning = {{{0, 65535}, {4, 65535}}, 0, 0, 0, 1};
  m.instruments.push_back(ins);
  m.instruments[1].volume.points = {{60000, 0}, {60001, 64}};
  m.cell(0, 0, 0) = {49, 1, 0, 0, 0};
  m.cell(0, 0, 1) = {49, 2, 0, 21, 0};  // L00
  ASSERT_TRUE(Load(m));
  EXPECT_EQ(song().instruments[0].volumeEnvelope.points[1].y, 64);
  EXPECT_EQ(song().instruments[0].panningEnvelope.points[1].y, 64);
  BeginOfflineRender(player, player.CurrentSong.get());
  testing::RenderBlocks(player, 50);
  const EnvelopeState& far = player.channels[1].volumeEnvelope;
  EXPECT_GE(far.current, 0);
  EXPECT_LE(far.current, 64);
}

// What the loader refuses, each with its reason and no song left loaded; a
// module it takes resets the reason.
TEST_F(LoaderTest, RefusalsNameTheirReason) {
  xmgen::Module tooWide = SmallModule(33);
  EXPECT_FALSE(Load(tooWide));
  EXPECT_STREQ(player.loadError, "more than 32 channels");
  EXPECT_EQ(player.CurrentSong, nullptr);
  EXPECT_EQ(GetNumChannels(player), 0);

  xmgen::Sample huge = ConstantSample(10);
  huge.lengthBytesOverride = 0x7FFFFFF0;  // 2 GB claimed by a file of a few hundred bytes
  EXPECT_FALSE(Load(xmgen::SimpleModule(1, {huge})));
  EXPECT_STREQ(player.loadError, "the samples claim far more data than the file holds");

  const std::uint8_t notAModule[] = "Extended Modula: ";
  EXPECT_FALSE(LoadSongFromMemory(player, notAModule, sizeof notAModule));
  EXPECT_STREQ(player.loadError, "not an XM module (no \"Extended Module: \" header)");

  xmgen::Module many = SmallModule(1);
  many.instruments[0].samples.assign(16, ConstantSample(4));  // 16 samples load
  ASSERT_TRUE(Load(many));
  EXPECT_EQ(player.loadError, nullptr);
  EXPECT_EQ(song().instruments[0].sampleCount, 16u);
  many.instruments[0].sampleCountOverride = 17;
  EXPECT_FALSE(Load(many));
  EXPECT_STREQ(player.loadError, "an instrument has more than 16 samples");
  EXPECT_FALSE(FreeSong(player));
}

// Layouts the loader does not read are refused by name, not by a symptom
// further on (older patterns read as more than 256 rows, 4-bit ADPCM data as
// an instrument of more than 16 samples).
TEST_F(LoaderTest, OlderLayoutsAndAdpcmSamplesAreRefusedByName) {
  std::vector<std::uint8_t> bytes = xmgen::WriteXm(SmallModule(1));
  auto load = [&] { return LoadSongFromMemory(player, bytes.data(), static_cast<std::int32_t>(bytes.size())); };
  ASSERT_EQ(bytes[58], 4);  // version 1.04
  bytes[58] = 2;
  EXPECT_FALSE(load());
  EXPECT_STREQ(player.loadError, "older XM layout (v1.02) not supported");
  bytes[58] = 3;
  EXPECT_FALSE(load());
  EXPECT_STREQ(player.loadError, "older XM layout (v1.03) not supported");

  xmgen::Sample eight = ConstantSample(10);
  eight.sixteenBit = false;
  eight.name = "packed";
  xmgen::Sample sixteen = ConstantSample(10);
  sixteen.name = "wide";
  for (xmgen::Sample* s : {&sixteen, &eight}) {
    bytes = xmgen::WriteXm(xmgen::SimpleModule(1, {*s}));
    const auto name = std::search(bytes.begin(), bytes.end(), s->name.begin(), s->name.end());
    name[-1] = 0xAD;  // the reserved byte before the name
    EXPECT_EQ(load(), s == &sixteen) << s->name;  // only 8-bit data is ever packed
  }
  EXPECT_STREQ(player.loadError, "ADPCM-packed samples not supported");
}

}  // namespace
}  // namespace korveld::xm
