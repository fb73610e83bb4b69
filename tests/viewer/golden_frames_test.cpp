// Golden frames of the whole program run headless from a script, as
// korveld-render runs it: page 11 after start-up, page 4 dragged to its
// middle, and the same with the pointer over the scroll-bar thumb. Each
// golden is the hash of the pixels below the header (rows 176..599: the skin
// around the text area, the glows, the text, the thumb and the pointer) in
// the last frame before the program ends. When the pages, the font or the
// skins change on purpose:
//   KORVELD_REGENERATE_GOLDEN=1 ./build/korveld_tests_viewer --gtest_filter='GoldenFrames.*'
// A mismatch leaves the frame as build/golden_<name>.png.
#include <gtest/gtest.h>

#include <string>

#include "platform/image_io.hpp"
#include "tests/support/golden.hpp"
#include "viewer_test_helpers.hpp"

namespace korveld {
namespace {

constexpr int kFirstRow = 176;

void CheckGolden(const std::string& name, const std::string& script) {
  testing::RecordingPlatform run(script);
  ASSERT_EQ(run.run(), 0);
  const int width = render::kScreenWidth, height = render::kScreenHeight;
  support::ExpectGolden(KORVELD_SOURCE_DIR "/tests/viewer/golden/frames.txt", name,
                        platform::FrameHash(run.last.data() + kFirstRow * width, (height - kFirstRow) * width));
  std::string error;
  if (::testing::Test::HasFailure())
    platform::WritePng(KORVELD_BINARY_DIR "/golden_" + name + ".png", run.last.data(), width, height, &error);
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
