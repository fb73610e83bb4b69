// The build-time skin converter: what it accepts and the messages with which
// it stops the build.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/image_io.hpp"

namespace {

const std::string kTool = KORVELD_BINARY_DIR "/korveld-skinpack";

struct Result {
  int status = -1;
  std::string error;
  std::vector<unsigned char> output;
};

std::string TempPath(const std::string& name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr ? dir : "/tmp") + "/korveld_skinpack_" + std::to_string(::getpid()) + "_" + name;
}

Result Pack(const std::vector<std::string>& inputs) {
  const std::string out = TempPath("out.bin");
  const std::string err = TempPath("err.txt");
  std::string command = kTool + " " + out;
  for (const auto& in : inputs) command += " " + in;
  command += " 2>" + err;
  std::remove(out.c_str());
  Result r;
  const int raw = std::system(command.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream e(err);
  r.error.assign(std::istreambuf_iterator<char>(e), {});
  std::ifstream o(out, std::ios::binary);
  r.output.assign(std::istreambuf_iterator<char>(o), {});
  std::remove(out.c_str());
  std::remove(err.c_str());
  return r;
}

std::string Picture(const std::string& name, int width, int height, int colours) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint32_t>((i % colours) * 0x010203);
  const std::string path = TempPath(name);
  std::string error;
  EXPECT_TRUE(korveld::platform::WritePng(path, pixels.data(), width, height, &error)) << error;
  return path;
}

TEST(SkinPack, PacksTwoPicturesBackToBack) {
  const std::string a = Picture("a.png", 800, 600, 256);
  const std::string b = Picture("b.png", 800, 600, 3);
  const Result r = Pack({a, b});
  EXPECT_EQ(r.status, 0) << r.error;
  ASSERT_EQ(r.output.size(), 2u * 480768);
  // First-seen order: pixel 1 has colour 0x010203, the palette's entry 1.
  EXPECT_EQ(r.output[3], 1);
  EXPECT_EQ(r.output[4], 2);
  EXPECT_EQ(r.output[5], 3);
  EXPECT_EQ(r.output[768 + 1], 1);
  EXPECT_EQ(r.output[768 + 255], 255);
  EXPECT_EQ(r.output[768 + 256], 0);
  EXPECT_EQ(r.output[480768 + 768 + 5], 2);
  std::remove(a.c_str());
  std::remove(b.c_str());
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
    const Result r = Pack({path});
    EXPECT_EQ(r.status, 1) << path;
    EXPECT_NE(r.error.find(reason), std::string::npos) << r.error;
    EXPECT_TRUE(r.output.empty()) << path;
    std::remove(path.c_str());
  }
}

}  // namespace
