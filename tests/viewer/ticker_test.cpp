// The ticker's motion over many frames and each tune's own credit; what it
// draws in a frame is pinned by the session's header goldens.
#include <gtest/gtest.h>

#include <cmath>

#include "content/xm/xm_modules.hpp"
#include "viewer_test_helpers.hpp"

namespace korveld::viewer {
namespace {

class Ticker : public ::testing::Test {
 protected:
  void SetUp() override { program = testing::MakeViewerProgram(platform); }
  void Draw() { DrawTicker(program->frame, ticker(), program->viewer.font, program->viewer.view.CurrentSkin); }
  TickerState& ticker() { return program->viewer.ticker; }
  testing::ScriptedPlatform platform;
  std::unique_ptr<app::Program> program;
};

TEST_F(Ticker, MovesAPixelAFrameACharacterEveryNineAndWrapsAfterTheLast) {
  std::vector<int> xs;
  for (int f = 0; f < 20; ++f) {
    xs.push_back(146 - static_cast<int>(std::floor(ticker().offset)));
    Draw();
  }
  EXPECT_EQ((std::vector<int>{xs[0], xs[1], xs[9], xs[10], xs[18], xs[19]}),
            (std::vector<int>{146, 145, 137, 145, 137, 145}));
  EXPECT_EQ(ticker().position, 3);
  // A 200-character text wraps after 1800 frames plus the first.
  ticker().text[1] = std::string(200, 'x');
  ticker().position = 1;
  ticker().offset = 0.0;
  for (int f = 0; f < 1800; ++f) Draw();
  EXPECT_EQ(ticker().position, 200);
  Draw();
  EXPECT_EQ(ticker().position, 1);
}

// The session never stays on a tune long enough to show its credit.
TEST(TickerText, NamesTheSelectedTunesOwnCredit) {
  for (int n = 1; n <= content::kXmModuleCount; ++n) {
    const auto& credit = content::kXmCredits[n];
    EXPECT_TRUE(TickerTextFor(n).ends_with(std::string(credit.title) + " composed by " + std::string(credit.composer) + "...."))
        << n;
  }
}

}  // namespace
}  // namespace korveld::viewer
