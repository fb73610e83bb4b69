#include <gtest/gtest.h>

#include <cmath>

#include "content/xm/xm_modules.hpp"
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
  for (int n = 1; n <= 4; ++n) {
    const auto& credit = content::kXmCredits[n];
    EXPECT_EQ(t.text[n], std::string(65, ' ') + help + std::string(credit.title) + " composed by " +
                             std::string(credit.composer) + "....");
  }
  EXPECT_EQ(t.text[5], std::string(65, ' ') + help);
}

void DrawTicker(app::Program& p) {
  DrawTicker(p.frame, p.viewer.ticker, p.viewer.font, p.viewer.view.CurrentSkin);
}

class Ticker : public ::testing::Test {
 protected:
  void SetUp() override { program = testing::MakeViewerProgram(platform); }
  testing::ScriptedPlatform platform;
  std::unique_ptr<app::Program> program;
};

TEST_F(Ticker, MovesAPixelAFrameAndACharacterEveryNine) {
  auto& t = program->viewer.ticker;
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
  auto& t = program->viewer.ticker;
  t.text[1] = std::string(200, 'x');
  for (int f = 0; f < 1800; ++f) DrawTicker(*program);
  EXPECT_EQ(t.position, 200);
  DrawTicker(*program);
  EXPECT_EQ(t.position, 1);
}

}  // namespace
}  // namespace korveld::viewer

namespace korveld::viewer {
namespace {

// The ticker's glyphs in rows 120..140 of a black frame.
std::vector<std::uint32_t> TickerRows(app::Program& p) {
  p.frame.clear();
  DrawTicker(p);
  return std::vector<std::uint32_t>(p.frame.pixels.begin() + 120 * 800, p.frame.pixels.begin() + 141 * 800);
}

TEST_F(Ticker, TheSecondFrameIsTheFirstMovedOnePixelLeft) {
  auto& t = program->viewer.ticker;
  t.text[1] = "KORVELD TICKER " + std::string(80, '#');
  const auto first = TickerRows(*program);
  const auto second = TickerRows(*program);
  int ink = 0;
  for (int y = 0; y < 21; ++y) {
    for (int x = 146; x <= 648; ++x) {
      ASSERT_EQ(second[y * 800 + x], first[y * 800 + x + 1]) << x << "," << 120 + y;
      ink += first[y * 800 + x] != 0;
    }
    // Nothing outside the window.
    for (int x = 0; x < 146; ++x) ASSERT_EQ(first[y * 800 + x], 0u);
    for (int x = 650; x < 800; ++x) ASSERT_EQ(first[y * 800 + x], 0u);
  }
  EXPECT_GT(ink, 100);
  // Skin 1 draws from row 123: rows 120..122 stay black.
  for (int x = 0; x < 800 * 3; ++x) ASSERT_EQ(first[x], 0u);
}

TEST_F(Ticker, SkinTwoDrawsOneRowLower) {
  auto& t = program->viewer.ticker;
  t.text[1] = std::string(80, '#');
  const auto one = TickerRows(*program);
  t.offset = 0.0;
  program->viewer.view.CurrentSkin = 2;
  const auto two = TickerRows(*program);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 800; ++x) ASSERT_EQ(two[(y + 1) * 800 + x], one[y * 800 + x]);
}

}  // namespace
}  // namespace korveld::viewer
