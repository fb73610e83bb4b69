#include <gtest/gtest.h>

#include <cmath>

#include "viewer_test_helpers.hpp"

namespace korveld::viewer {
namespace {

TEST(TickerTexts, SpacesThenHelpThenTheSongsCredit) {
  TickerState t;
  StoreTickerTexts(t);
  const std::string help = "F1 To select 'Grunge' skin    F2 To select 'Carbon' skin   Selected song: ";
  for (int n = 1; n <= 4; ++n) {
    const std::string& text = t.text[n];
    ASSERT_GT(text.size(), 65 + help.size());
    EXPECT_EQ(text.substr(0, 65), std::string(65, ' '));
    EXPECT_EQ(text.substr(65, help.size()), help);
    EXPECT_NE(text.find(" composed by ", 65 + help.size()), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "....");
    EXPECT_NE(text[65 + help.size()], ' ');
  }
  EXPECT_NE(t.text[1], t.text[2]);
  EXPECT_EQ(t.text[5], std::string(65, ' ') + help);
}

class Ticker : public ::testing::Test {
 protected:
  void SetUp() override { program = testing::MakeViewerProgram(platform); }
  testing::ScriptedPlatform platform;
  std::unique_ptr<Program> program;
};

TEST_F(Ticker, MovesAPixelAFrameAndACharacterEveryNine) {
  auto& t = program->ticker;
  std::vector<int> xs;
  for (int f = 0; f < 20; ++f) {
    xs.push_back(146 - static_cast<int>(std::floor(t.offset)));
    DrawTicker(*program);
  }
  EXPECT_EQ(xs[0], 146);
  EXPECT_EQ(xs[1], 145);
  EXPECT_EQ(xs[9], 137);
  EXPECT_EQ(xs[10], 145);
  EXPECT_EQ(xs[18], 137);
  EXPECT_EQ(xs[19], 145);
  EXPECT_EQ(t.position, 3);
}

TEST_F(Ticker, A200CharacterTextWrapsAfter1800FramesPlusTheFirst) {
  auto& t = program->ticker;
  t.text[1] = std::string(200, 'x');
  for (int f = 0; f < 1800; ++f) DrawTicker(*program);
  EXPECT_EQ(t.position, 200);
  DrawTicker(*program);
  EXPECT_EQ(t.position, 1);
}

}  // namespace
}  // namespace korveld::viewer
