// The build-time skin converter: the messages with which it stops the build.
// What it makes of a good skin is in every golden frame.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/image_io.hpp"

namespace {

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "korveld_skinpack_" + std::to_string(::getpid()) + "_" + name;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  std::remove(path.c_str());
  return bytes;
}

// Runs the tool on `inputs`: its exit status, stderr and output file.
std::pair<int, std::pair<std::string, std::string>> Pack(const std::vector<std::string>& inputs) {
  const std::string out = TempPath("out.bin"), err = TempPath("err.txt");
  std::string command = KORVELD_BINARY_DIR "/korveld-skinpack " + out;
  for (const auto& in : inputs) command += " " + in;
  std::remove(out.c_str());
  const int raw = std::system((command + " 2>" + err).c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, {Slurp(err), Slurp(out)}};
}

// Pixel i has colour (i % colours) * 0x010203.
std::string Picture(const std::string& name, int width, int height, int colours) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint32_t>((i % colours) * 0x010203);
  const std::string path = TempPath(name);
  std::string error;
  EXPECT_TRUE(korveld::platform::WritePng(path, pixels.data(), width, height, &error)) << error;
  return path;
}

// Each refusal: exit status 1, the reason on stderr, and no output file.
TEST(SkinPack, RefusesWhatIsNotASkin) {
  const std::string text = TempPath("text.png");
  std::ofstream(text) << "not a picture at all";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {Picture("small.png", 799, 600, 4), "is 799 x 600 pixels; a skin must be exactly 800 x 600"},
      {Picture("many.png", 800, 600, 300), "has 300 colours; a skin may have at most 256"},
      {text, "is not a PNG picture"},
      {TempPath("missing.png"), "cannot open"}};
  for (const auto& [path, reason] : cases) {
    const auto [status, result] = Pack({path});
    EXPECT_EQ(status, 1) << path;
    EXPECT_NE(result.first.find(reason), std::string::npos) << result.first;
    EXPECT_TRUE(result.second.empty()) << path;
    std::remove(path.c_str());
  }
}

}  // namespace
