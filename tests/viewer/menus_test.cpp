#include <gtest/gtest.h>

#include <tuple>

#include "content/startup/startup_data.hpp"
#include "render/font.hpp"
#include "viewer_test_helpers.hpp"

namespace korveld::viewer {
namespace {

using testing::MakeViewerProgram;
using testing::ScriptedPlatform;
using testing::SetPointer;

std::uint32_t Blend(std::uint32_t d, int alpha, int r, int g, int b) {
  auto ch = [&](int s, int shift) { return static_cast<std::uint32_t>((s * alpha + ((d >> shift) & 0xFF) * (256 - alpha)) / 256) << shift; };
  return ch(r, 16) | ch(g, 8) | ch(b, 0);
}

TEST(ButtonTable, ReadsBothSkinsFromTheStartupList) {
  ButtonState bt;
  ASSERT_TRUE(ReadButtonTable(bt, content::StartupDataList().subspan(121, kButtonItems)));
  EXPECT_EQ(bt.x[0][1], 35);
  EXPECT_EQ(bt.y[0][1], 40);
  EXPECT_EQ(bt.w[0][1], 88);
  EXPECT_EQ(bt.h[0][1], 19);
  EXPECT_EQ(bt.x[0][7], 9);
  EXPECT_EQ(bt.y[0][7], 132);
  EXPECT_EQ(bt.w[0][7], 57);
  EXPECT_EQ(bt.x[1][10], 733);
  EXPECT_EQ(bt.y[1][10], 137);
  EXPECT_EQ(bt.w[1][10], 43);
  EXPECT_EQ(bt.h[1][10], 8);
  EXPECT_EQ(bt.x[1][4], 698);
  for (int b = 1; b <= 10; ++b) {
    EXPECT_EQ(bt.latch[b], (b == 3 || b == 7) ? 1 : 0) << b;
    EXPECT_EQ(bt.glow[b], 0);
  }
}

TEST(ButtonTable, AShortListIsReportedAndLeavesTheRestZero) {
  ButtonState bt;
  const auto items = content::StartupDataList().subspan(121, 61);
  EXPECT_FALSE(ReadButtonTable(bt, items));
  EXPECT_EQ(bt.x[0][10], 729);
  EXPECT_EQ(bt.x[1][1], 25);
  EXPECT_EQ(bt.y[1][1], 0);
  EXPECT_EQ(bt.x[1][10], 0);
}

TEST(ButtonTable, InsideIsStrictOnAllFourSides) {
  ButtonState bt;
  ReadButtonTable(bt, content::StartupDataList().subspan(121, kButtonItems));
  // QUIT on skin 1: 35, 40, 88, 19.
  EXPECT_TRUE(InsideButton(bt, 1, 1, 36, 41));
  EXPECT_TRUE(InsideButton(bt, 1, 1, 122, 58));
  EXPECT_FALSE(InsideButton(bt, 1, 1, 35, 50));
  EXPECT_FALSE(InsideButton(bt, 1, 1, 123, 50));
  EXPECT_FALSE(InsideButton(bt, 1, 1, 60, 40));
  EXPECT_FALSE(InsideButton(bt, 1, 1, 60, 59));
  // Skin 2 uses its own rectangle: 25, 49, 76, 19.
  EXPECT_TRUE(InsideButton(bt, 2, 1, 30, 60));
  EXPECT_FALSE(InsideButton(bt, 1, 1, 30, 60));
}

class Navigation : public ::testing::Test {
 protected:
  void SetUp() override { program = MakeViewerProgram(platform); }
  // One click as the frame sees it: buttons, then the menu.
  void Click(int x, int y) {
    SetPointer(*program, x, y, 1);
    app::HandleClicks(*program);
  }
  void Release() {
    SetPointer(*program, program->viewer.mouse.x, program->viewer.mouse.y, 0);
    app::HandleClicks(*program);
  }
  app::Program& p() { return *program; }
  ScriptedPlatform platform;
  std::unique_ptr<app::Program> program;
};

TEST_F(Navigation, StartsOnTheArticlesMenuWithPage11Selected) {
  EXPECT_EQ(p().viewer.view.CurrentMenu, 2);
  EXPECT_EQ(p().viewer.menus.entries[11].selected, 1);
  int selected = 0;
  for (int page = 1; page <= 21; ++page) selected += p().viewer.menus.entries[page].selected;
  EXPECT_EQ(selected, 1);
  EXPECT_EQ(p().viewer.menus.entries[17].enabled, 0);
  EXPECT_EQ(p().viewer.menus.entries[16].enabled, 1);
  EXPECT_EQ(p().viewer.menus.entries[21].enabled, 0);
  EXPECT_EQ(p().viewer.menus.title, "KORVELD ISSUE 35");
  EXPECT_EQ(p().viewer.menus.entries[19].label, "> New ISO/DOX rules Status!");
}

TEST_F(Navigation, APressOnEmptySkinOnlyTakesTheLatch) {
  Click(400, 300);
  EXPECT_EQ(p().viewer.mouse.ClickLatch, 1);
  EXPECT_EQ(platform.presents(), 0);
  EXPECT_EQ(p().spine.ExitRequested, 0);
  EXPECT_EQ(p().viewer.view.CurrentMenu, 2);
  // Holding the button and moving onto QUIT does not trigger it.
  Click(50, 50);
  EXPECT_EQ(p().spine.ExitRequested, 0);
  EXPECT_EQ(p().viewer.buttons.latch[1], 0);
  Release();
  Click(50, 50);
  EXPECT_EQ(p().spine.ExitRequested, 1);
  EXPECT_EQ(p().viewer.buttons.latch[1], 1);
  EXPECT_EQ(p().viewer.buttons.latch[3], 1);  // the menu button is lit again at once
}

TEST_F(Navigation, MenuButtonsSwitchMenusWithoutAWipe) {
  Click(50, 75);  // CHARTS
  EXPECT_EQ(p().viewer.view.CurrentMenu, 1);
  EXPECT_EQ(p().viewer.buttons.latch[2], 1);
  EXPECT_EQ(p().viewer.buttons.latch[3], 0);
  EXPECT_EQ(platform.presents(), 0);
  // A latched button is not hit-tested again.
  Release();
  Click(50, 75);
  EXPECT_EQ(p().viewer.buttons.latch[2], 1);
  EXPECT_EQ(p().viewer.view.CurrentMenu, 1);
}

TEST_F(Navigation, ClickingTheSelectedOrADisabledEntryDoesNothing) {
  Click(200, 65);  // articles menu, left row 1: page 11, already selected
  EXPECT_EQ(platform.presents(), 0);
  Release();
  Click(450, 65);  // right row 1: page 17, disabled
  EXPECT_EQ(platform.presents(), 0);
  EXPECT_EQ(p().viewer.menus.entries[17].selected, 0);
  EXPECT_EQ(p().viewer.menus.entries[11].selected, 1);
  EXPECT_EQ(p().viewer.mouse.ClickLatch, 1);
}

TEST_F(Navigation, AClickAtRow106InTheRightColumnOpensPage9) {
  p().viewer.view.CurrentMenu = 1;
  p().viewer.buttons.latch[4] = 1;
  Click(500, 106);
  EXPECT_EQ(p().viewer.menus.entries[9].selected, 1);
  EXPECT_EQ(p().viewer.menus.entries[11].selected, 0);
  EXPECT_EQ(platform.presents(), 150);  // both wipes
  EXPECT_EQ(p().viewer.view.CurrentMenu, 1);
  EXPECT_EQ(p().viewer.buttons.latch[4], 0);
  EXPECT_EQ(p().viewer.buttons.latch[5], 0);
}

TEST_F(Navigation, SlotEdgesAreExclusive) {
  p().viewer.view.CurrentMenu = 1;
  Click(147, 60);  // row 1 is 60 < y < 72
  Release();
  Click(147, 72);  // row 2 is 72 < y < 84: neither
  EXPECT_EQ(p().viewer.menus.entries[1].selected, 0);
  EXPECT_EQ(p().viewer.menus.entries[2].selected, 0);
  Release();
  Click(147, 73);
  EXPECT_EQ(p().viewer.menus.entries[2].selected, 1);
  Release();
  Click(391, 85);  // x must be below 391
  EXPECT_EQ(p().viewer.menus.entries[3].selected, 0);
  Release();
  Click(146, 85);  // and above 146
  EXPECT_EQ(p().viewer.menus.entries[3].selected, 0);
  EXPECT_EQ(platform.presents(), 150);
}

TEST_F(Navigation, TheMenuSwitchShowsTheOtherMenuWithItsButtonLit) {
  p().viewer.view.CurrentMenu = 1;
  app::HandleClicks(p());
  Click(450, 114);
  EXPECT_EQ(p().viewer.view.CurrentMenu, 2);
  EXPECT_EQ(p().viewer.buttons.latch[2], 0);
  EXPECT_EQ(p().viewer.buttons.latch[3], 0);
  EXPECT_EQ(platform.presents(), 0);
  Release();  // the next frame lights ARTICLES
  EXPECT_EQ(p().viewer.buttons.latch[3], 1);
  EXPECT_EQ(p().viewer.buttons.latch[2], 0);
  EXPECT_EQ(p().viewer.menus.entries[11].selected, 1);  // page unchanged
  Click(450, 114);
  EXPECT_EQ(p().viewer.view.CurrentMenu, 1);
}

TEST_F(Navigation, RulesAndHelpOpenTheirPagesAndClearTheMarks) {
  Click(700, 75);  // RULES on skin 1
  EXPECT_EQ(platform.presents(), 150);
  EXPECT_EQ(p().viewer.buttons.latch[4], 1);
  EXPECT_EQ(p().viewer.buttons.latch[3], 1);  // lit again for the current menu
  for (int page = 1; page <= 21; ++page) EXPECT_EQ(p().viewer.menus.entries[page].selected, 0) << page;
  Release();
  Click(700, 100);  // HELP
  EXPECT_EQ(platform.presents(), 300);
  EXPECT_EQ(p().viewer.buttons.latch[5], 1);
  EXPECT_EQ(p().viewer.buttons.latch[4], 0);
  // Now page 11 can be chosen again from the menu.
  Release();
  Click(200, 65);
  EXPECT_EQ(platform.presents(), 450);
  EXPECT_EQ(p().viewer.menus.entries[11].selected, 1);
  EXPECT_EQ(p().viewer.buttons.latch[5], 0);
}

TEST_F(Navigation, PauseThenResumeTogglesTheMuteButton) {
  Click(700, 50);  // MUTE on skin 1
  EXPECT_EQ(p().viewer.buttons.latch[6], 1);
  Click(700, 50);  // still held: nothing
  EXPECT_EQ(p().viewer.buttons.latch[6], 1);
  Release();
  Click(700, 50);
  EXPECT_EQ(p().viewer.buttons.latch[6], 0);
  EXPECT_EQ(p().viewer.mouse.ClickLatch, 1);
}

TEST_F(Navigation, ATuneWhilePausedStartsItAndUnlatchesPause) {
  Click(700, 50);
  Release();
  p().viewer.ticker.position = 40;
  p().viewer.ticker.offset = 4.0;
  Click(100, 140);  // MUSIC 2 on skin 1
  EXPECT_EQ(p().viewer.buttons.latch[6], 0);
  EXPECT_EQ(p().viewer.buttons.latch[8], 1);
  EXPECT_EQ(p().viewer.buttons.latch[7], 0);
  EXPECT_EQ(p().viewer.ticker.index, 2);
  EXPECT_EQ(p().viewer.ticker.position, 1);
  EXPECT_EQ(p().viewer.ticker.offset, 4.0);  // kept
  EXPECT_EQ(p().viewer.music.CurrentTune, 2);
  EXPECT_EQ(p().viewer.music.SpectrumChannels, xm::GetNumChannels(p().xm));
  EXPECT_GT(p().viewer.music.SpectrumChannels, 0);
  // The selected tune's button is not hit-tested: no restart.
  Release();
  p().viewer.ticker.position = 9;
  Click(100, 140);
  EXPECT_EQ(p().viewer.ticker.position, 9);
}

TEST_F(Navigation, F2SwitchesSkinsBeforeTheButtonsAreTested) {
  // (50, 60) is inside QUIT on skin 2 (25, 49, 76, 19) but below it on skin 1.
  platform.pressKey(platform::kVkF1 + 1);
  Click(50, 60);
  EXPECT_EQ(p().viewer.view.CurrentSkin, 2);
  EXPECT_EQ(p().spine.ExitRequested, 1);
}

TEST_F(Navigation, GlowRisesBySevenAFrameAndFallsByThree) {
  SetPointer(p(), 50, 50, 0);  // over QUIT
  std::vector<int> glow;
  for (int f = 0; f < 20; ++f) {
    DrawButtons(p().frame, p().viewer);
    glow.push_back(p().viewer.buttons.glow[1]);
  }
  EXPECT_EQ(glow[0], 10);
  EXPECT_EQ(glow[1], 17);
  EXPECT_EQ(glow[2], 24);
  EXPECT_EQ(glow[16], 122);
  EXPECT_EQ(glow[17], 125);
  EXPECT_EQ(glow[19], 125);
  EXPECT_EQ(p().viewer.PointerState, 2);
  SetPointer(p(), 400, 300, 0);
  DrawButtons(p().frame, p().viewer);
  EXPECT_EQ(p().viewer.buttons.glow[1], 122);
  EXPECT_EQ(p().viewer.PointerState, 1);
  for (int f = 0; f < 50; ++f) DrawButtons(p().frame, p().viewer);
  EXPECT_EQ(p().viewer.buttons.glow[1], 0);
}

TEST_F(Navigation, AHeldButtonOverAButtonDoesNotRaiseItsGlow) {
  SetPointer(p(), 50, 50, 1);
  p().viewer.mouse.ClickLatch = 1;
  DrawButtons(p().frame, p().viewer);
  DrawButtons(p().frame, p().viewer);
  EXPECT_EQ(p().viewer.buttons.glow[1], 0);
  EXPECT_EQ(p().viewer.PointerState, 2);
}

TEST_F(Navigation, ButtonOverlaysUseTheSkinsColours) {
  CopySkinBackground(p().frame, p().viewer.skins, p().viewer.view.CurrentSkin);
  const auto bg = p().frame;
  p().viewer.buttons.glow[1] = 40;
  SetPointer(p(), 400, 300, 0);
  DrawButtons(p().frame, p().viewer);
  // QUIT idle: glow 40 - 3 at (30, 50, 125); ARTICLES latched: (125, 70, 20) at 125.
  EXPECT_EQ(p().frame.at(35, 40), Blend(bg.at(35, 40), 37, 30, 50, 125));
  EXPECT_EQ(p().frame.at(123, 59), Blend(bg.at(123, 59), 37, 30, 50, 125));
  EXPECT_EQ(p().frame.at(124, 59), bg.at(124, 59));
  EXPECT_EQ(p().frame.at(60, 100), Blend(bg.at(60, 100), 125, 125, 70, 20));
  EXPECT_EQ(p().frame.at(60, 60), bg.at(60, 60));

  p().viewer.view.CurrentSkin = 2;
  CopySkinBackground(p().frame, p().viewer.skins, p().viewer.view.CurrentSkin);
  const auto bg2 = p().frame;
  DrawButtons(p().frame, p().viewer);
  EXPECT_EQ(p().frame.at(25, 97), Blend(bg2.at(25, 97), 95, 100, 150, 250));
  EXPECT_EQ(p().frame.at(25, 49), Blend(bg2.at(25, 49), 34, 50, 100, 250));
}

TEST_F(Navigation, MenuHoverBarsMarksAndPointer) {
  p().viewer.view.CurrentMenu = 1;
  p().viewer.menus.entries[2].selected = 1;
  CopySkinBackground(p().frame, p().viewer.skins, p().viewer.view.CurrentSkin);
  const auto bg = p().frame;
  SetPointer(p(), 200, 65, 0);  // over row 1 of the left column
  DrawMenus(p().frame, p().viewer, p().spine.GlowPhase);
  EXPECT_EQ(p().viewer.PointerState, 2);
  EXPECT_EQ(p().frame.at(393, 61), Blend(bg.at(393, 61), 125, 100, 100, 132));
  EXPECT_EQ(p().frame.at(393, 71), Blend(bg.at(393, 71), 125, 100, 100, 132));
  EXPECT_EQ(p().frame.at(394, 61), bg.at(394, 61));
  EXPECT_EQ(p().frame.at(393, 97), Blend(bg.at(393, 97), 60, 100, 100, 100));
  // Page 2's mark covers rows 72..82 over its idle bar (rows 73..83).
  const std::uint32_t idle = Blend(bg.at(393, 73), 60, 100, 100, 100);
  EXPECT_EQ(p().frame.at(393, 73), Blend(idle, 90, 200, 100, 100));
  EXPECT_EQ(p().frame.at(393, 72), Blend(bg.at(393, 72), 90, 200, 100, 100));
  // The right column has its bars too, the switch row included.
  EXPECT_EQ(p().frame.at(647, 109), Blend(bg.at(647, 109), 60, 100, 100, 100));
  // While the button is held nothing hovers.
  CopySkinBackground(p().frame, p().viewer.skins, p().viewer.view.CurrentSkin);
  p().viewer.PointerState = 1;
  SetPointer(p(), 200, 65, 1);
  p().viewer.mouse.ClickLatch = 1;
  DrawMenus(p().frame, p().viewer, p().spine.GlowPhase);
  EXPECT_EQ(p().viewer.PointerState, 1);
  EXPECT_EQ(p().frame.at(393, 61), Blend(bg.at(393, 61), 60, 100, 100, 100));
}

TEST_F(Navigation, HoverBarEdges) {
  p().viewer.view.CurrentMenu = 1;
  for (auto [x, y, hot] : {std::tuple{149, 65, true}, std::tuple{148, 65, false}, std::tuple{392, 65, true},
                           std::tuple{393, 65, false}, std::tuple{200, 61, false}, std::tuple{200, 70, true},
                           std::tuple{200, 71, false}, std::tuple{403, 114, true}, std::tuple{647, 114, false}}) {
    p().viewer.PointerState = 1;
    SetPointer(p(), x, y, 0);
    DrawMenus(p().frame, p().viewer, p().spine.GlowPhase);
    EXPECT_EQ(p().viewer.PointerState, hot ? 2 : 1) << x << "," << y;
  }
}

}  // namespace
}  // namespace korveld::viewer

namespace korveld::viewer {
namespace {

TEST_F(Navigation, TheTitleIsCentredAt332) {
  p().frame.clear();
  SetPointer(p(), 0, 0, 0);
  DrawMenus(p().frame, p().viewer, p().spine.GlowPhase);
  const auto menus = p().frame;
  p().frame.clear();
  render::DrawTextClipped(p().frame, p().viewer.font, "KORVELD ISSUE 35", 332, 42, 146, 649, 40, 145, 1, 25);
  int ink = 0;
  for (int y = 40; y <= 54; ++y)
    for (int x = 0; x < 800; ++x) {
      ASSERT_EQ(menus.at(x, y), p().frame.at(x, y)) << x << "," << y;
      ink += menus.at(x, y) != 0;
    }
  EXPECT_GT(ink, 50);
}

}  // namespace
}  // namespace korveld::viewer
