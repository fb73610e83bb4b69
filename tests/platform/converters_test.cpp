#include "platform/converters.hpp"

#include <gtest/gtest.h>

#include <array>

namespace korveld::platform {
namespace {

TEST(Converters, SixFiveSixTruncatesNeverRounds) {
  EXPECT_EQ(ConvertPixel(PixelFormat::kRgb565, 0x00FFFFFF), 0xFFFFu);
  EXPECT_EQ(ConvertPixel(PixelFormat::kRgb565, 0x00808080), 0x8410u);
  // 0x07 in every channel is below one step of 5 or 6 bits: all truncated away.
  EXPECT_EQ(ConvertPixel(PixelFormat::kRgb565, 0x00070307), 0x0000u);
  EXPECT_EQ(ConvertPixel(PixelFormat::kBgr565, 0x00F80000), 0x001Fu);
}

TEST(Converters, EveryTableRowFromItsMasks) {
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
}

TEST(Converters, RowsWriteMemoryOrderAndIgnoreTheTopByte) {
  const std::uint32_t src[2] = {0xAA123456, 0x00ABCDEF};
  std::array<std::uint8_t, 8> out{};
  ConvertRow(PixelFormat::kBgr24, src, out.data(), 2);
  EXPECT_EQ(out[0], 0x56);
  EXPECT_EQ(out[1], 0x34);
  EXPECT_EQ(out[2], 0x12);
  EXPECT_EQ(out[3], 0xEF);
  ConvertRow(PixelFormat::kRgb24, src, out.data(), 2);
  EXPECT_EQ(out[0], 0x12);
  EXPECT_EQ(out[2], 0x56);
  ConvertRow(PixelFormat::kXbgr32, src, out.data(), 2);
  EXPECT_EQ(out[0], 0x12);  // red first in memory
  EXPECT_EQ(out[2], 0x56);
  EXPECT_EQ(out[3], 0x00);  // top byte dropped
  ConvertRow(PixelFormat::kRgb565, src, out.data(), 2);
  const std::uint16_t first = static_cast<std::uint16_t>(out[0] | out[1] << 8);
  EXPECT_EQ(first, ConvertPixel(PixelFormat::kRgb565, 0x123456));
}

}  // namespace
}  // namespace korveld::platform
