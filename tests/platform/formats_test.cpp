// Byte-level formats at the platform's edge: pixel conversion, WAV files,
// wheel notches.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "platform/converters.hpp"
#include "platform/input_map.hpp"
#include "platform/wav_file.hpp"

namespace korveld::platform {
namespace {

TEST(Converters, EveryTableRowFromItsMasksAndSixFiveSixTruncates) {
  struct Case {
    int bits;
    std::uint32_t r, g, b;
    PixelFormat expected;
  };
  const std::array<Case, 8> cases = {{
      {32, 0xFF0000, 0x00FF00, 0x0000FF, PixelFormat::kXrgb32},
      {32, 0x0000FF, 0x00FF00, 0xFF0000, PixelFormat::kXbgr32},
      {24, 0xFF0000, 0x00FF00, 0x0000FF, PixelFormat::kBgr24},
      {24, 0x0000FF, 0x00FF00, 0xFF0000, PixelFormat::kRgb24},
      {16, 0xF800, 0x07E0, 0x001F, PixelFormat::kRgb565},
      {16, 0x001F, 0x07E0, 0xF800, PixelFormat::kBgr565},
      {16, 0x7C00, 0x03E0, 0x001F, PixelFormat::kXrgb1555},
      {16, 0x001F, 0x03E0, 0x7C00, PixelFormat::kXbgr1555},
  }};
  for (const Case& c : cases) {
    PixelFormat f;
    ASSERT_TRUE(FormatForMasks(c.bits, c.r, c.g, c.b, &f)) << c.bits;
    EXPECT_EQ(f, c.expected);
    // Each mask selects exactly where its pure colour lands.
    EXPECT_EQ(ConvertPixel(f, 0x00FF0000), c.r) << c.bits;
    EXPECT_EQ(ConvertPixel(f, 0x0000FF00), c.g) << c.bits;
    EXPECT_EQ(ConvertPixel(f, 0x000000FF), c.b) << c.bits;
  }
  PixelFormat f;
  EXPECT_FALSE(FormatForMasks(16, 0xF800, 0x07E0, 0x00FF, &f));
  EXPECT_FALSE(FormatForMasks(8, 0xE0, 0x1C, 0x03, &f));
  EXPECT_EQ(ConvertPixel(PixelFormat::kRgb565, 0x00808080), 0x8410u);
  // 0x07 in every channel is below one step of 5 or 6 bits: truncated away.
  EXPECT_EQ(ConvertPixel(PixelFormat::kRgb565, 0x00070307), 0x0000u);
}

TEST(Converters, RowsWriteMemoryOrderAndIgnoreTheTopByte) {
  const std::uint32_t src[2] = {0xAA123456, 0x00ABCDEF};
  using Bytes = std::array<std::uint8_t, 8>;
  for (auto [format, want] : {std::pair{PixelFormat::kBgr24, Bytes{0x56, 0x34, 0x12, 0xEF, 0xCD, 0xAB}},
                              {PixelFormat::kRgb24, Bytes{0x12, 0x34, 0x56, 0xAB, 0xCD, 0xEF}},
                              {PixelFormat::kXbgr32, Bytes{0x12, 0x34, 0x56, 0, 0xAB, 0xCD, 0xEF, 0}},
                              {PixelFormat::kRgb565, Bytes{0xAA, 0x11, 0x7D, 0xAE}}}) {
    Bytes out{};
    ConvertRow(format, src, out.data(), 2);
    EXPECT_EQ(out, want) << static_cast<int>(format);
  }
}

TEST(WriteWav, HeaderAndLittleEndianSamples) {
  const std::string path = ::testing::TempDir() + "korveld_wav_file.wav";
  const std::vector<std::int16_t> samples = {1, -2, 0x1234, -32768};
  std::string error;
  ASSERT_TRUE(WriteWav(path, samples, 2, 44100, &error)) << error;
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  std::remove(path.c_str());
  const std::vector<std::uint8_t> want = {
      'R', 'I', 'F', 'F', 44, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0,
      0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0, 4, 0, 16, 0, 'd', 'a', 't', 'a', 8, 0, 0, 0,
      1, 0, 0xFE, 0xFF, 0x34, 0x12, 0x00, 0x80};
  EXPECT_EQ(bytes, want);
  EXPECT_FALSE(WriteWav(::testing::TempDir() + "no/such/folder/x.wav", samples, 2, 44100, &error));
  EXPECT_NE(error.find("no/such/folder"), std::string::npos) << error;
}

TEST(WheelNotches, PartNotchesAddNothingAndWholeOnesAllCount) {
  // A touchpad's part of a notch is 0; a fast turn gives several in one
  // event; natural scrolling reports the other sign.
  for (auto [raw, natural, want] : {std::tuple{0, false, 0}, {0, true, 0}, {1, false, 1}, {-1, false, -1},
                                    {3, false, 3}, {-2, false, -2}, {2, true, -2}})
    EXPECT_EQ(WheelNotches(raw, natural), want) << raw << natural;
}

}  // namespace
}  // namespace korveld::platform
