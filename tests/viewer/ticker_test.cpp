// The ticker's wrap and each tune's own credit; what it draws and how it
// moves from frame to frame are pinned by the session's header goldens.
#include <gtest/gtest.h>


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

TEST_F(Ticker, WrapsAfterTheLastCharacter) {
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
