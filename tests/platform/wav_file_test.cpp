#include "platform/wav_file.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace korveld::platform {
namespace {

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

}  // namespace
}  // namespace korveld::platform
