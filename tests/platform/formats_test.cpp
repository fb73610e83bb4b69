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

TEST(Converters, EachFormatPutsEveryChannelUnderItsMaskAndTruncates) {
  struct Case {
    PixelFormat format;
    std::uint32_t r, g, b;
  };
  const std::array<Case, 8> cases = {{
      {PixelFormat::kXrgb32, 0xFF0000, 0x00FF00, 0x0000FF},
      {PixelFormat::kXbgr32, 0x0000FF, 0x00FF00, 0xFF0000},
      {PixelFormat::kBgr24, 0xFF0000, 0x00FF00, 0x0000FF},
      {PixelFormat::kRgb24, 0x0000FF, 0x00FF00, 0xFF0000},
      {PixelFormat::kRgb565, 0xF800, 0x07E0, 0x001F},
      {PixelFormat::kBgr565, 0x001F, 0x07E0, 0xF800},
      {PixelFormat::kXrgb1555, 0x7C00, 0x03E0, 0x001F},
      {PixelFormat::kXbgr1555, 0x001F, 0x03E0, 0x7C00},
  }};
  for (const Case& c : cases) {
    // Each mask selects exactly where its pure colour lands.
    EXPECT_EQ(ConvertPixel(c.format, 0x00FF0000), c.r) << static_cast<int>(c.format);
    EXPECT_EQ(ConvertPixel(c.format, 0x0000FF00), c.g) << static_cast<int>(c.format);
    EXPECT_EQ(ConvertPixel(c.format, 0x000000FF), c.b) << static_cast<int>(c.format);
  }
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
