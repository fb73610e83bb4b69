// The loader and its memory source, on modules built here.
#include <gtest/gtest.h>

#include "tests/xm/xm_test_helpers.hpp"

namespace korveld::xm {
namespace {

using testing::ConstantSample;
using testing::Load;
using testing::OneSampleInstrument;
using testing::SmallModule;
using xmgen::Cell;

struct LoaderTest : ::testing::Test {
  testing::FakePlatform platform;
  XmPlayer player;
  void SetUp() override { XmPlayerInit(player, platform); }
  XmSong& song() { return *player.CurrentSong; }
};

TEST_F(LoaderTest, MemorySourceReadAndSeekStayInsideTheImage) {
  std::vector<std::uint8_t> image(100);
  for (int i = 0; i < 100; ++i) image[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  player.image = image.data();
  player.imageSize = 100;
  const SourceCallbacks io = MemorySourceCallbacks();
  void* h = io.open(player, "");
  ASSERT_NE(h, nullptr);
  io.seek(h, -4, 2);
  EXPECT_EQ(io.tell(h), 96);
  std::uint8_t buffer[10] = {};
  EXPECT_EQ(io.read(buffer, 10, h), 4);
  EXPECT_EQ(buffer[0], 96);
  EXPECT_EQ(buffer[3], 99);
  EXPECT_EQ(io.tell(h), 100);
  EXPECT_EQ(io.read(buffer, 10, h), 0);
  io.seek(h, 100, 2);
  EXPECT_EQ(io.tell(h), 100);
  io.seek(h, 10, 0);
  io.seek(h, 5, 1);
  EXPECT_EQ(io.tell(h), 15);
  io.seek(h, 3, 7);  // unknown mode leaves the position
  EXPECT_EQ(io.tell(h), 15);
  io.close(h);
}

TEST_F(LoaderTest, IncompleteOrFailingCallbacksGiveNoSong) {
  SourceCallbacks partial = MemorySourceCallbacks();
  partial.tell = nullptr;
  InstallSourceCallbacks(player, partial);
  EXPECT_EQ(player.callbacks.open, nullptr);  // an incomplete set clears all
  EXPECT_EQ(player.callbacks.read, nullptr);
  EXPECT_EQ(LoadSong(player, ""), nullptr);
  SourceCallbacks failing = MemorySourceCallbacks();
  failing.open = [](XmPlayer&, const char*) -> void* { return nullptr; };
  InstallSourceCallbacks(player, failing);
  ASSERT_TRUE(player.callbacks.complete());
  EXPECT_EQ(LoadSong(player, "x"), nullptr);  // the leak check sees the record released
}

TEST_F(LoaderTest, HeaderFieldsAndEmptySlotsUpToTheUsedPatternCount) {
  xmgen::Module m = SmallModule(4);
  m.orders = {0, 30, 0};
  m.speed = 5;
  m.bpm = 140;
  m.restart = 1;
  auto l = Load(player, m);
  ASSERT_TRUE(l.ok);
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
  m.restart = 9;
  auto bounded = Load(player, m);
  ASSERT_TRUE(bounded.ok);
  EXPECT_EQ(song().restartPosition, 0);
}

TEST_F(LoaderTest, PatternCellsPackedUnpackedAndConverted) {
  xmgen::Module m = SmallModule(2);
  m.patterns.clear();
  xmgen::Pattern& p = m.addPattern(2);
  // Row 0: 0x80 (empty), unpacked with first byte 0; row 1: note 97 with
  // instrument 200 (packed), and a packed instrument 128.
  p.raw = {0x80, 0, 5, 0x20, 0x0C, 0x40, 0x83, 97, 200, 0x82, 128};
  auto l = Load(player, m);
  ASSERT_TRUE(l.ok);
  const XmPattern& pat = song().patterns[0];
  ASSERT_EQ(pat.rows, 2);
  const PatternCell& empty = pat.cells[0];
  EXPECT_EQ(empty.note | empty.instrument | empty.volume | empty.effect | empty.parameter, 0);
  const PatternCell& unpacked = pat.cells[1];
  EXPECT_EQ(unpacked.note, 0);
  EXPECT_EQ(unpacked.instrument, 5);
  EXPECT_EQ(unpacked.volume, 0x20);
  EXPECT_EQ(unpacked.effect, 0x0C);
  EXPECT_EQ(unpacked.parameter, 0x40);
  EXPECT_EQ(pat.cells[2].note, 255);
  EXPECT_EQ(pat.cells[2].instrument, 0);
  EXPECT_EQ(pat.cells[3].instrument, 128);
}

TEST_F(LoaderTest, PackedSizeZeroKeepsTheRowCountAndEmptyCells) {
  xmgen::Module m = SmallModule(3);
  m.patterns.clear();
  m.addPattern(20).forceEmpty = true;
  auto l = Load(player, m);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(song().patterns[0].rows, 20);
  EXPECT_EQ(song().patterns[0].cells.size(), 60u);
  // The instrument after the empty pattern is still found.
  EXPECT_EQ(song().instruments[0].samples[0]->length, 1000u);
}

TEST_F(LoaderTest, BoundsRowCountZeroAndRejectsTooManyChannels) {
  xmgen::Module m = SmallModule(1);
  m.patterns.clear();
  m.addPattern(0);
  auto l = Load(player, m);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(song().patterns[0].rows, 64);
  EXPECT_EQ(song().patterns[0].cells.size(), 64u);

  xmgen::Module wide = SmallModule(33);
  EXPECT_FALSE(Load(player, wide).ok);
  EXPECT_EQ(player.CurrentSong, nullptr);
  EXPECT_EQ(GetNumChannels(player), 0);
}

TEST_F(LoaderTest, SampleTypesLengthsAndLoops) {
  xmgen::Module m = SmallModule(1);
  xmgen::Instrument& ins = m.instruments[0];
  ins.samples.clear();
  // Both loop bits: ping-pong.
  xmgen::Sample both = ConstantSample(100);
  both.sixteenBit = false;
  both.loopStart = 10;
  both.loopLength = 20;
  both.typeOverride = 3;
  ins.samples.push_back(both);
  // 16-bit: 1000 bytes with loop 200 + 400 bytes.
  xmgen::Sample wide = ConstantSample(500);
  wide.loop = xmgen::Loop::Forward;
  wide.loopStart = 100;
  wide.loopLength = 200;
  ins.samples.push_back(wide);
  // Loop length 0 with a loop type: no loop, whole length.
  xmgen::Sample zero = ConstantSample(64);
  zero.sixteenBit = false;
  zero.loop = xmgen::Loop::PingPong;
  zero.loopStart = 30;
  zero.loopLength = 0;
  ins.samples.push_back(zero);
  // No loop: loop start 0, loop length = length.
  xmgen::Sample none = ConstantSample(77);
  none.loopStart = 5;
  none.loopLength = 9;
  ins.samples.push_back(none);
  // Lengths past 64 KiB use the third byte of the length fields.
  xmgen::Sample large = ConstantSample(70000);
  large.sixteenBit = false;
  large.loop = xmgen::Loop::Forward;
  large.loopStart = 70;
  large.loopLength = 66000;
  ins.samples.push_back(large);
  auto l = Load(player, m);
  ASSERT_TRUE(l.ok);
  const XmInstrument& in = song().instruments[0];
  ASSERT_EQ(in.sampleCount, 5u);
  EXPECT_EQ(in.samples[0]->loopMode, kLoopPingPong);
  EXPECT_EQ(in.samples[0]->bits, 16);
  EXPECT_EQ(in.samples[1]->length, 500u);
  EXPECT_EQ(in.samples[1]->loopStart, 100u);
  EXPECT_EQ(in.samples[1]->loopLength, 200u);
  EXPECT_EQ(in.samples[1]->loopMode, kLoopForward);
  EXPECT_EQ(in.samples[2]->loopMode, kLoopNone);
  EXPECT_EQ(in.samples[2]->loopStart, 0u);
  EXPECT_EQ(in.samples[2]->loopLength, 64u);
  EXPECT_EQ(in.samples[3]->loopMode, kLoopNone);
  EXPECT_EQ(in.samples[3]->loopStart, 0u);
  EXPECT_EQ(in.samples[3]->loopLength, 77u);
  EXPECT_EQ(in.samples[4]->length, 70000u);
  EXPECT_EQ(in.samples[4]->loopLength, 66000u);
  for (int s = 5; s < 16; ++s) EXPECT_EQ(in.samples[static_cast<std::size_t>(s)], DummySample());
}

TEST_F(LoaderTest, EightBitDeltasWidenAndDecodeWithWrap) {
  xmgen::Module m = SmallModule(1);
  xmgen::Sample raw;
  raw.useRawData = true;
  raw.rawData = {10, static_cast<std::uint8_t>(-20), 5};
  m.instruments[0].samples = {raw};
  auto l = Load(player, m);
  ASSERT_TRUE(l.ok);
  const XmSample& s = *song().instruments[0].samples[0];
  ASSERT_EQ(s.length, 3u);
  EXPECT_EQ(s.data[0], 2560);
  EXPECT_EQ(s.data[1], -2560);
  EXPECT_EQ(s.data[2], -1280);
  EXPECT_EQ(s.data.size(), 11u);
  EXPECT_EQ(s.data[3], 0);  // no loop: nothing written after the end

  // The 16-bit accumulator wraps: 0x7000 + 0x7000 becomes negative.
  xmgen::Sample wrap;
  wrap.useRawData = true;
  wrap.sixteenBit = true;
  wrap.rawData = {0x00, 0x70, 0x00, 0x70};
  m.instruments[0].samples = {wrap};
  auto l2 = Load(player, m);
  ASSERT_TRUE(l2.ok);
  EXPECT_EQ(song().instruments[0].samples[0]->data[1], static_cast<std::int16_t>(0xE000));
}

TEST_F(LoaderTest, LoopFixUpValuesForInterpolation) {
  xmgen::Module m = SmallModule(1);
  xmgen::Sample fwd;
  fwd.sixteenBit = true;
  for (int i = 0; i < 40; ++i) fwd.values.push_back(static_cast<std::int16_t>(100 * i));
  fwd.loop = xmgen::Loop::Forward;
  fwd.loopStart = 10;
  fwd.loopLength = 20;
  xmgen::Sample ping = fwd;
  ping.loop = xmgen::Loop::PingPong;
  m.instruments[0].samples = {fwd, ping};
  auto l = Load(player, m);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(song().instruments[0].samples[0]->data[30], 1000);
  EXPECT_EQ(song().instruments[0].samples[1]->data[30], 2900);
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
  m.instruments.push_back(OneSampleInstrument(ConstantSample(4)));
  auto l = Load(player, m);
  ASSERT_TRUE(l.ok);
  const XmInstrument& in = song().instruments[0];
  EXPECT_EQ(in.volumeEnvelope.type, 0);
  EXPECT_EQ(in.panningEnvelope.type, 5);
  EXPECT_EQ(in.panningEnvelope.points[2].y, 64);
  EXPECT_EQ(in.keymap[40], 3);
  EXPECT_EQ(song().instruments[1].sampleCount, 0u);
  EXPECT_EQ(song().instruments[1].samples[0], DummySample());
  EXPECT_EQ(song().instruments[2].samples[0]->length, 4u);
}

TEST_F(LoaderTest, RejectsBadMagicAndTooManySamples) {
  xmgen::Module m = SmallModule(1);
  auto bytes = xmgen::WriteXm(m);
  bytes[0] = 'e';
  EXPECT_FALSE(LoadSongFromMemory(player, bytes.data(), static_cast<std::int32_t>(bytes.size())));
  EXPECT_EQ(player.CurrentSong, nullptr);

  xmgen::Module many = SmallModule(1);
  many.instruments.push_back(OneSampleInstrument(ConstantSample(10)));
  many.instruments[1].sampleCountOverride = 17;
  EXPECT_FALSE(Load(player, many).ok);
  EXPECT_FALSE(FreeSong(player));
}

TEST_F(LoaderTest, TruncatedAndCorruptImagesNeverCrash) {
  xmgen::Module m = SmallModule(4);
  m.orders = {0, 1, 0};
  m.addPattern(64);
  for (int r = 0; r < 64; r += 3) testing::Put(m, 0, r, r % 4, Cell{49, 1, 0x40, 0x0A, 0x12});
  xmgen::Sample s = ConstantSample(3000);
  s.loop = xmgen::Loop::PingPong;
  s.loopStart = 100;
  s.loopLength = 900;
  m.instruments.push_back(OneSampleInstrument(s));
  const auto full = xmgen::WriteXm(m);
  // Every prefix loads or fails cleanly; loaded prefixes play a little.
  for (std::size_t cut = 0; cut <= full.size(); cut += (cut < 400 ? 1 : 97)) {
    std::vector<std::uint8_t> bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
    if (LoadSongFromMemory(player, bytes.data(), static_cast<std::int32_t>(bytes.size()))) {
      ASSERT_TRUE(BeginOfflineRender(player, player.CurrentSong.get()));
      for (int b = 0; b < 3; ++b) FillBlock(player);
      StopSong(player);
    }
  }
  // Corrupt bytes all over the image (a fixed pseudo-random walk).
  std::uint32_t seed = 12345;
  for (int round = 0; round < 300; ++round) {
    std::vector<std::uint8_t> bytes = full;
    for (int k = 0; k < 8; ++k) {
      seed = seed * 1664525u + 1013904223u;
      const std::size_t at = 17 + (seed >> 8) % (bytes.size() - 17);
      seed = seed * 1664525u + 1013904223u;
      bytes[at] = static_cast<std::uint8_t>(seed >> 24);
    }
    if (LoadSongFromMemory(player, bytes.data(), static_cast<std::int32_t>(bytes.size()))) {
      ASSERT_TRUE(BeginOfflineRender(player, player.CurrentSong.get()));
      for (int b = 0; b < 10; ++b) FillBlock(player);
      StopSong(player);
    }
  }
}

TEST_F(LoaderTest, LoopBeyondTheDataIsCutToTheData) {
  xmgen::Module m = SmallModule(1);
  xmgen::Sample s = ConstantSample(50);
  s.loop = xmgen::Loop::Forward;
  s.loopStart = 40;
  s.loopLength = 30;
  m.instruments[0].samples = {s};
  auto l = Load(player, m);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(song().instruments[0].samples[0]->loopStart, 40u);
  EXPECT_EQ(song().instruments[0].samples[0]->loopLength, 10u);
}

}  // namespace
}  // namespace korveld::xm
