// Buttons and menus as the frame handles a click: latches, the menu slots'
// edges, page changes (the wipes are counted as presented frames), pause and
// the tunes, the glow. The colours they draw are pinned by the session's
// header goldens.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "content/startup/startup_data.hpp"
#include "viewer_test_helpers.hpp"

namespace korveld::viewer {
namespace {

using testing::SetPointer;

constexpr int kButtonTableAt = 121;  // after the pointer shape in the start-up list

TEST(ButtonTable, AShortListIsReportedAndInsideIsStrict) {
  ButtonState bt;
  EXPECT_FALSE(ReadButtonTable(bt, content::StartupDataList().subspan(kButtonTableAt, 61)));
  EXPECT_EQ(bt.x[0][10], 729);
  EXPECT_EQ(bt.x[1][1], 25);
  EXPECT_EQ(bt.y[1][1], 0);
  EXPECT_EQ(bt.x[1][10], 0);
  ASSERT_TRUE(ReadButtonTable(bt, content::StartupDataList().subspan(kButtonTableAt, kButtonItems)));
  // QUIT is (35, 40, 88, 19) on skin 1 and (25, 49, 76, 19) on skin 2.
  for (auto [skin, x, y, inside] : {std::tuple{1, 36, 41, true}, {1, 122, 58, true}, {1, 35, 50, false},
                                    {1, 123, 50, false}, {1, 60, 40, false}, {1, 60, 59, false},
                                    {2, 30, 60, true}, {1, 30, 60, false}})
    EXPECT_EQ(InsideButton(bt, skin, kButtonQuit, x, y), inside) << skin << ": " << x << "," << y;
}

class Navigation : public ::testing::Test {
 protected:
  void SetUp() override { program = testing::MakeViewerProgram(platform); }
  // One click as the frame sees it: buttons, then the menu.
  void Click(int x, int y) {
    SetPointer(p(), x, y, 1);
    app::HandleClicks(p());
  }
  void Release() {
    SetPointer(p(), p().viewer.mouse.x, p().viewer.mouse.y, 0);
    app::HandleClicks(p());
  }
  // Latches of buttons 1..10: QUIT CHARTS ARTICLES RULES HELP MUTE MUSIC 1..4.
  std::string Latches() {
    std::string s;
    for (int b = 1; b <= kButtonCount; ++b) s += static_cast<char>('0' + p().viewer.buttons.latch[b]);
    return s;
  }
  // The pages marked as selected in the menus.
  std::vector<int> Selected() {
    std::vector<int> pages;
    for (int page = 1; page <= 21; ++page)
      if (p().viewer.menus.entries[page].selected != 0) pages.push_back(page);
    return pages;
  }
  app::Program& p() { return *program; }
  testing::ScriptedPlatform platform;
  std::unique_ptr<app::Program> program;
};

TEST_F(Navigation, APressOnEmptySkinOnlyTakesTheLatch) {
  EXPECT_EQ(Latches(), "0010001000");
  Click(400, 300);
  EXPECT_EQ(p().viewer.mouse.ClickLatch, 1);
  EXPECT_EQ(platform.presents(), 0);
  // Holding the button and moving onto QUIT does not trigger it.
  Click(50, 50);
  EXPECT_EQ(p().spine.ExitRequested, 0);
  Release();
  Click(50, 50);
  EXPECT_EQ(p().spine.ExitRequested, 1);
  EXPECT_EQ(Latches(), "1010001000");  // the menu button is lit again at once
}

TEST_F(Navigation, MenuButtonsAndTheSwitchRowChangeMenusWithoutAWipe) {
  Click(50, 75);  // CHARTS
  EXPECT_EQ(p().viewer.view.CurrentMenu, 1);
  EXPECT_EQ(Latches(), "0100001000");
  Release();
  Click(50, 75);  // a latched button is not hit-tested again
  EXPECT_EQ(p().viewer.view.CurrentMenu, 1);
  Release();
  Click(450, 114);  // the switch row
  EXPECT_EQ(p().viewer.view.CurrentMenu, 2);
  EXPECT_EQ(Latches(), "0000001000");
  Release();  // the next frame lights ARTICLES
  EXPECT_EQ(Latches(), "0010001000");
  Click(200, 65);  // articles menu, left row 1: page 11, already selected
  Release();
  Click(450, 65);  // right row 1: page 17, disabled
  EXPECT_EQ(Selected(), std::vector<int>{11});
  EXPECT_EQ(platform.presents(), 0);
}

TEST_F(Navigation, SlotEdgesAreExclusiveAndRow106OpensPage9) {
  p().viewer.view.CurrentMenu = 1;
  p().viewer.buttons.latch[kButtonRules] = 1;
  // Rows are 60 < y < 72, 72 < y < 84, ...; the left column 146 < x < 391.
  for (auto [x, y, page] : {std::tuple{147, 60, 11}, {147, 72, 11}, {391, 85, 11}, {146, 85, 11}, {147, 73, 2},
                            {500, 106, 9}}) {
    Click(x, y);
    Release();
    EXPECT_EQ(Selected(), std::vector<int>{page}) << x << "," << y;
  }
  EXPECT_EQ(platform.presents(), 2 * 150);  // both wipes for each page opened
  EXPECT_EQ(p().viewer.view.CurrentMenu, 1);
  EXPECT_EQ(p().viewer.buttons.latch[kButtonRules], 0);
}

// The session opens HELP with no page marked; here each of the two clears the mark.
TEST_F(Navigation, RulesAndHelpOpenTheirPagesAndClearTheMarks) {
  Click(700, 75);  // RULES on skin 1
  EXPECT_EQ(Latches(), "0011001000");
  EXPECT_EQ(Selected(), std::vector<int>{});
  Release();
  Click(200, 65);  // page 11 can be chosen again
  Release();
  Click(700, 100);  // HELP
  EXPECT_EQ(Latches(), "0010101000");
  EXPECT_EQ(Selected(), std::vector<int>{});
  EXPECT_EQ(platform.presents(), 3 * 150);
}

// The session hears the tunes start and stop; here the ticker and the
// spectrum follow the buttons.
TEST_F(Navigation, PauseResumeAndATuneWhilePaused) {
  Click(700, 50);  // MUTE on skin 1
  Click(700, 50);  // still held: nothing
  EXPECT_EQ(Latches(), "0010011000");
  Release();
  p().viewer.ticker.position = 40;
  p().viewer.ticker.offset = 4.0;
  Click(100, 140);  // MUSIC 2 starts its tune and ends the pause
  EXPECT_EQ(Latches(), "0010000100");
  EXPECT_EQ(p().viewer.ticker.index, 2);
  EXPECT_EQ(p().viewer.ticker.position, 1);
  EXPECT_EQ(p().viewer.ticker.offset, 4.0);  // kept
  EXPECT_EQ(p().viewer.music.CurrentTune, 2);
  EXPECT_EQ(p().viewer.music.SpectrumChannels, xm::GetNumChannels(p().xm));
  EXPECT_GT(p().viewer.music.SpectrumChannels, 0);
  Release();
  p().viewer.ticker.position = 9;
  Click(100, 140);  // the selected tune's button is not hit-tested: no restart
  EXPECT_EQ(p().viewer.ticker.position, 9);
}

TEST_F(Navigation, F2SwitchesSkinsBeforeTheButtonsAreTested) {
  // (50, 60) is inside QUIT on skin 2 but below it on skin 1.
  platform.pressKey(platform::kVkF1 + 1);
  Click(50, 60);
  EXPECT_EQ(p().viewer.view.CurrentSkin, 2);
  EXPECT_EQ(p().spine.ExitRequested, 1);
  platform.pressKey(platform::kVkF1);
  HandleButtons(p().viewer, platform);
  EXPECT_EQ(p().viewer.view.CurrentSkin, 1);
}

TEST_F(Navigation, GlowRisesBySevenAFrameAndFallsByThree) {
  SetPointer(p(), 50, 50, 0);  // over QUIT
  std::vector<int> glow;
  for (int f = 0; f < 18; ++f) {
    UpdateButtonsAndMenuHover(p().viewer);
    glow.push_back(p().viewer.buttons.glow[kButtonQuit]);
  }
  EXPECT_EQ((std::vector<int>{glow[0], glow[1], glow[16], glow[17]}), (std::vector<int>{10, 17, 122, 125}));
  EXPECT_EQ(p().viewer.buttons.shownGlow[kButtonQuit], 119);  // drawn after the decay, before the rise
  EXPECT_EQ(p().viewer.PointerState, 2);
  SetPointer(p(), 400, 300, 0);
  UpdateButtonsAndMenuHover(p().viewer);
  EXPECT_EQ(p().viewer.buttons.glow[kButtonQuit], 122);
  EXPECT_EQ(p().viewer.PointerState, 1);
  for (int f = 0; f < 50; ++f) UpdateButtonsAndMenuHover(p().viewer);
  EXPECT_EQ(p().viewer.buttons.glow[kButtonQuit], 0);
  // While the button is held, nothing under the pointer glows.
  SetPointer(p(), 50, 50, 1);
  p().viewer.mouse.ClickLatch = 1;
  UpdateButtonsAndMenuHover(p().viewer);
  EXPECT_EQ(p().viewer.buttons.glow[kButtonQuit], 0);
}

TEST_F(Navigation, HoverBarEdges) {
  p().viewer.view.CurrentMenu = 1;
  for (auto [x, y, left, hot] : {std::tuple{149, 65, 0, true}, {148, 65, 0, false}, {392, 65, 0, true},
                                 {393, 65, 0, false}, {200, 61, 0, false}, {200, 70, 0, true},
                                 {200, 71, 0, false}, {403, 114, 0, true}, {647, 114, 0, false},
                                 {200, 65, 1, false}}) {
    p().viewer.PointerState = 1;
    SetPointer(p(), x, y, left);
    p().viewer.mouse.ClickLatch = left;
    UpdateButtonsAndMenuHover(p().viewer);
    EXPECT_EQ(p().viewer.PointerState, hot ? 2 : 1) << x << "," << y << " held " << left;
  }
}

}  // namespace
}  // namespace korveld::viewer
