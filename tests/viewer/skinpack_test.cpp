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
#include <vector>

#include "content/skins/skins.hpp"
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

TEST(SkinPack, RefusesTheWrongSize) {
  const std::string p = Picture("small.png", 799, 600, 4);
  const Result r = Pack({p});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.error.find("is 799 x 600 pixels; a skin must be exactly 800 x 600"), std::string::npos) << r.error;
  EXPECT_TRUE(r.output.empty());
  std::remove(p.c_str());
}

TEST(SkinPack, RefusesMoreThan256Colours) {
  const std::string p = Picture("many.png", 800, 600, 300);
  const Result r = Pack({p});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.error.find("has 300 colours; a skin may have at most 256"), std::string::npos) << r.error;
  EXPECT_TRUE(r.output.empty());
  std::remove(p.c_str());
}

TEST(SkinPack, RefusesWhatIsNotAPicture) {
  const std::string p = TempPath("text.png");
  std::ofstream(p) << "not a picture at all";
  Result r = Pack({p});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.error.find("is not a PNG picture"), std::string::npos) << r.error;
  r = Pack({TempPath("missing.png")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.error.find("cannot open"), std::string::npos) << r.error;
  std::remove(p.c_str());
}

TEST(SkinPack, TheCheckedInSkinsPass) {
  const Result r = Pack({KORVELD_SOURCE_DIR "/content/skins/grunge.png", KORVELD_SOURCE_DIR "/content/skins/carbon.png"});
  EXPECT_EQ(r.status, 0) << r.error;
  ASSERT_EQ(r.output.size(), 2u * 480768);
  // What the program embeds is exactly what the converter makes of them.
  const auto embedded = korveld::content::SkinImages();
  ASSERT_EQ(embedded.size(), r.output.size());
  EXPECT_TRUE(std::equal(embedded.begin(), embedded.end(), r.output.begin()));
}

}  // namespace
