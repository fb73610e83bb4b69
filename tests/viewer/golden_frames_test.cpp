// Golden frames of the whole program, run headless from a script as
// korveld-render runs it: page 11 after start-up, page 4 dragged to its
// middle, and the same with the pointer over the scroll-bar thumb. Each
// golden is the hash of the exact pixels below the header (rows 176..599:
// the skin around the text area, the glows, the text, the thumb and the
// pointer) in the last frame before the program ends.
//
// When the pages, the font or the skins change on purpose, regenerate with
//   KORVELD_REGENERATE_GOLDEN=1 ./build/korveld_tests_viewer --gtest_filter='GoldenFrames.*'
// which rewrites tests/viewer/golden/frames.txt and fails, so it cannot be
// left switched on. A mismatch leaves the frame as build/golden_<name>.png.
#include <gtest/gtest.h>

#include <array>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/program.hpp"
#include "platform/headless.hpp"
#include "platform/image_io.hpp"

namespace korveld {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kFirstRow = 176;
const std::string kGoldenFile = std::string(KORVELD_SOURCE_DIR) + "/tests/viewer/golden/frames.txt";

// Keeps a copy of the last presented frame.
class CapturingPlatform : public platform::HeadlessPlatform {
 public:
  using HeadlessPlatform::HeadlessPlatform;
  int update(const std::uint32_t* frame) override {
    std::copy(frame, frame + kWidth * kHeight, last.begin());
    return HeadlessPlatform::update(frame);
  }
  std::array<std::uint32_t, kWidth * kHeight> last{};
};

std::map<std::string, std::string> ReadGoldens() {
  std::map<std::string, std::string> goldens;
  std::ifstream in(kGoldenFile);
  std::string name, hash;
  while (in >> name >> hash) goldens[name] = hash;
  return goldens;
}

void WriteGolden(const std::string& name, const std::string& hash) {
  auto goldens = ReadGoldens();
  goldens[name] = hash;
  std::ofstream out(kGoldenFile);
  for (const auto& [n, h] : goldens) out << n << ' ' << h << '\n';
}

void CheckGolden(const std::string& name, const std::string& script) {
  std::vector<platform::ScriptCommand> commands;
  std::string error;
  ASSERT_TRUE(platform::ParseScript(script, &commands, &error)) << error;
  auto platform = std::make_unique<CapturingPlatform>(platform::HeadlessOptions{}, commands);
  platform->setTimeoutHandler([] { std::fprintf(stderr, "golden run timed out\n"); std::_Exit(124); });
  ASSERT_EQ(app::RunProgram(*platform), 0);
  const std::uint64_t value =
      platform::FrameHash(platform->last.data() + kFirstRow * kWidth, (kHeight - kFirstRow) * kWidth);
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016" PRIx64, value);

  if (std::getenv("KORVELD_REGENERATE_GOLDEN") != nullptr) {
    WriteGolden(name, hash);
    FAIL() << "rewrote the golden of " << name << " (" << hash << "); run again without KORVELD_REGENERATE_GOLDEN";
  }
  const auto goldens = ReadGoldens();
  const auto it = goldens.find(name);
  const std::string want = it == goldens.end() ? "(none)" : it->second;
  if (want != hash) {
    const std::string png = std::string(KORVELD_BINARY_DIR) + "/golden_" + name + ".png";
    platform::WritePng(png, platform->last.data(), kWidth, kHeight, &error);
    FAIL() << name << ": frame hash " << hash << ", golden " << want << "; the frame is in " << png
           << "; if the change is intended, regenerate (see tests/viewer/golden_frames_test.cpp)";
  }
}

// Intro ended with Escape, then the change-over's three seconds of flashes.
constexpr const char* kToViewer = "wait 3\nkey escape\nwait 4\n";
// Charts menu, then its fourth left entry, then the thumb dragged to the
// bar's middle and the pointer moved away.
constexpr const char* kToPage4Middle =
    "move 79 74\nclick\nwait 0.5\nmove 200 102\nclick\nwait 3\n"
    "move 782 376\npress\nwait 0.3\nunpress\nmove 400 300\nwait 0.5\n";

TEST(GoldenFrames, Page11AtStart) {
  CheckGolden("page11", std::string(kToViewer) + "move 400 300\nwait 0.5\nkey escape\n");
}

TEST(GoldenFrames, Page4ScrolledToTheMiddle) {
  CheckGolden("page4_middle", std::string(kToViewer) + kToPage4Middle + "key escape\n");
}

TEST(GoldenFrames, Page4ThumbHovered) {
  CheckGolden("page4_thumb_hovered", std::string(kToViewer) + kToPage4Middle + "move 782 380\nwait 0.6\nkey escape\n");
}

}  // namespace
}  // namespace korveld
