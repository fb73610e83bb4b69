// Tune images: loading, the play vector left unset, and reset.
#include <gtest/gtest.h>

#include <array>
#include <iterator>

#include "sid/tune.hpp"
#include "tests/sid/sid_test_helpers.hpp"

namespace korveld::sid {
namespace {

using testing::FreshState;
using testing::TuneImageParts;
using testing::MakeImage;

// The data goes where the load address before it says, not the header's
// load field; only the low byte of the data offset counts.
TEST(LoadTuneImage, LoadAddressFromTheDataAndDataOffsetLowByte) {
  auto s = FreshState();
  TuneImageParts parts;
  parts.headerLoad = 0x4000;
  parts.dataOffset = 0x017C;
  parts.load = parts.init = parts.play = 0x1234;
  parts.program = {0x60, 0xAB};
  const auto image = MakeImage(parts);
  ASSERT_EQ(image.size(), 0x7Cu + 4);
  const LoadResult r = LoadTuneImage(*s, image);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.load, 0x1234);
  EXPECT_EQ(s->memory.bytes[0x1235], 0xAB);
  EXPECT_EQ(s->memory.bytes[0x4001], 0x00);
}

// Tunes whose init sets the vector are the embedded tunes' case, under their
// golden hashes; here init leaves it alone.
TEST(LoadTuneImage, InitWithoutVectorLeavesPlayZeroAndFramesRunNoCode) {
  auto s = FreshState();
  TuneImageParts parts;
  parts.program = {0xA9, 0x0F, 0x8D, 0x18, 0xD4, 0x60};  // init sets volume only
  ASSERT_TRUE(LoadTuneImage(*s, MakeImage(parts)).ok);
  EXPECT_EQ(s->tune.play, 0);
  std::array<std::int16_t, kFrameSamples> out{};
  RenderFrame(*s, out.data(), kFrameSamples);
  EXPECT_EQ(s->counters.lastInstructions, 0u);
  // All three voices attack from 0 with no waveform (constant $FF): the
  // first sample is 3 x ((127 x 168867) >> 22) x 15; decay to sustain 0
  // brings them back to silence.
  EXPECT_EQ(out.front(), 3 * ((127 * 168867) >> 22) * 15);
  EXPECT_EQ(out.back(), 0);
}

TEST(LoadTuneImage, RejectsShortAndOverlongImagesWithoutTouchingMemory) {
  auto s = FreshState();
  s->memory.bytes[0x8000] = 0x77;
  TuneImageParts parts;
  auto image = MakeImage(parts);
  image.resize(0x7D);  // one byte of the load address
  LoadResult r = LoadTuneImage(*s, image);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error, nullptr);
  EXPECT_FALSE(LoadTuneImage(*s, std::vector<std::uint8_t>(10, 0)).ok);

  parts.load = 0xFFF0;
  parts.program.assign(0x11, 0xEA);  // one byte past $FFFF
  EXPECT_FALSE(LoadTuneImage(*s, MakeImage(parts)).ok);
  parts.program.assign(0x10, 0xEA);  // ends exactly at $FFFF
  EXPECT_TRUE(LoadTuneImage(*s, MakeImage(parts)).ok);
  EXPECT_EQ(s->memory.bytes[0xFFFF], 0xEA);
  EXPECT_EQ(s->memory.bytes[0x8000], 0x00);  // cleared by the successful load
}

TEST(SidReset, ClearsEverythingButTheSampleLevel) {
  auto s = FreshState();
  s->memory.bytes[0x1234] = 9;
  s->registers.bytes[27] = 0x0F;
  s->voices[1].phase = kRelease;
  s->sample.active = 1;
  s->sample.repeatCount = 3;
  s->sampleLevel = -2048;
  s->tune.play = 0x1003;
  SidReset(*s, kMixingRate);
  EXPECT_EQ(s->memory.bytes[0x1234], 0);
  EXPECT_EQ(s->registers.bytes[27], 0);
  EXPECT_EQ(s->tune.play, 0);
  EXPECT_EQ(s->voices[1].phase, kAttack);
  EXPECT_EQ(s->sample.active, 0);
  EXPECT_EQ(s->sample.repeatCount, 0);  // a sample started without $D43F plays once
  EXPECT_EQ(s->sampleLevel, -2048);
}

}  // namespace
}  // namespace korveld::sid
