// Scrolling: arrow keys, wheel, page keys and the scroll bar on ViewState,
// the keys as the platform reports them, and the page passes (glows and text)
// against a small synthetic page.
#include "viewer/scroll.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "render/primitives.hpp"
#include "tests/support/frames.hpp"
#include "viewer/input.hpp"
#include "viewer/pages.hpp"
#include "viewer_test_helpers.hpp"

namespace korveld::viewer {
namespace {

using Positions = std::vector<std::pair<int, int>>;  // (TopLine, ScrollOffset) per frame

ViewState Page(int lineCount, int top = 0, int offset = 0) {
  ViewState v;
  v.LineCount = lineCount;
  v.TopLine = top;
  v.ScrollOffset = offset;
  return v;
}

Positions Hold(ViewState& v, bool down, bool up, int frames) {
  Positions seen;
  for (int f = 0; f < frames; ++f) {
    ScrollByKeys(v, down, up);
    seen.emplace_back(v.TopLine, v.ScrollOffset);
  }
  return seen;
}

// Both directions' half-line steps are in the platform test below; here the ends.
TEST(ScrollByKeys, StopsAtBothEndsAndShortPagesNeverMove) {
  ViewState v = Page(100, 0, 6);
  EXPECT_EQ(Hold(v, false, true, 1), (Positions{{0, 6}}));  // at the top
  v = Page(40, 6, 6);                                       // the last position is 7
  EXPECT_EQ(Hold(v, true, false, 2), (Positions{{7, 12}, {7, 12}}));
  for (int lines : {7, 32, 33}) {  // short pages never move
    v = Page(lines, 0, 5);
    PageKeys(v, false, true, true, false);  // Page Down and End
    EXPECT_EQ(Hold(v, true, true, 1), (Positions{{0, 5}})) << lines;
  }
}

TEST(ScrollByWheel, FourLinesANotch) {
  // (lines, top before, wheel now, wheel before, top after): three notches
  // towards the user in one frame, one and five away, one to the end, none.
  for (auto [lines, top, now, before, after] : {std::tuple{200, 10, -3.0, 0.0, 22}, {200, 22, -2.0, -3.0, 18},
                                                {200, 18, 3.0, -2.0, 0}, {40, 5, -1.0, 0.0, 7}, {40, 5, 2.0, 2.0, 5}}) {
    ViewState v = Page(lines, top, 6);
    ScrollByWheel(v, now, before);
    EXPECT_EQ(v.TopLine, after) << top << " " << now << " " << before;
    EXPECT_EQ(v.ScrollOffset, 6);
  }
}

TEST(PageKeys, FromThePlatformPageKeysActOncePerPressAndArrowsWhileHeld) {
  testing::ScriptedPlatform platform;
  MouseState mouse;
  ViewState v = Page(1482);
  platform.pressKey(platform::kVkPageDown);
  PollInput(mouse, v, platform);  // PollInput ends with the page keys
  PageKeys(v, platform);          // still down, not pressed again
  EXPECT_EQ(v.TopLine, 30);
  platform.pressKey(platform::kVkEnd);
  PageKeys(v, platform);
  EXPECT_EQ(v.TopLine, 1449);
  platform.pressKey(platform::kVkPageUp);
  PageKeys(v, platform);
  EXPECT_EQ(v.TopLine, 1419);
  platform.releaseKey(platform::kVkEnd);
  platform.pressKey(platform::kVkEnd);  // pressed with Home: Home wins
  platform.pressKey(platform::kVkHome);
  platform.pressKey(platform::kVkDown);
  PageKeys(v, platform);
  for (int frame = 0; frame < 4; ++frame) ScrollByKeys(v, platform);
  EXPECT_EQ(std::pair(v.TopLine, v.ScrollOffset), std::pair(3, 12));
  platform.releaseKey(platform::kVkDown);
  platform.pressKey(platform::kVkUp);
  for (int frame = 0; frame < 2; ++frame) ScrollByKeys(v, platform);
  EXPECT_EQ(std::pair(v.TopLine, v.ScrollOffset), std::pair(1, 0));
}

// The longest page of the issue, crossed with Page Down from the top and with
// Page Up from the end, pressed as the platform reports keys: every line with
// text lies whole (all 12 rows of its cells inside the text area, rows 193 to
// 569, or 570 on skin 2) in at least one of the positions each way, whatever
// offset the arrow keys left and on both skins.
TEST(PageKeys, EveryLineOfTheLongestPageShowsWholeGoingDownAndUp) {
  int longest = 1;
  for (int page = 1; page <= content::kPageCount; ++page) {
    if (content::PageLines(page).size() > content::PageLines(longest).size()) longest = page;
  }
  const auto lines = content::PageLines(longest);
  const int count = static_cast<int>(lines.size()) - 1;
  ASSERT_GT(count, 1000);
  for (int skin : {1, 2}) {
    for (int offset : {0, 6, 12}) {
      for (int key : {platform::kVkPageDown, platform::kVkPageUp}) {
        SCOPED_TRACE("skin " + std::to_string(skin) + ", offset " + std::to_string(offset) +
                     (key == platform::kVkPageDown ? ", down" : ", up"));
        ViewState v = Page(count, key == platform::kVkPageDown ? 0 : count - kVisibleRows, offset);
        v.CurrentSkin = skin;
        std::vector<bool> whole(static_cast<std::size_t>(count), false);
        auto look = [&] {
          for (int r = 0; r < kVisibleRows; ++r) {
            const int y = v.ScrollOffset + 175 + 12 * r;
            if (y >= 193 && y + 11 <= (skin == 2 ? 570 : 569)) whole[static_cast<std::size_t>(v.TopLine + r)] = true;
          }
        };
        testing::ScriptedPlatform platform;
        MouseState mouse;
        look();
        for (int before = -1, presses = 0; before != v.TopLine && presses < 100; ++presses) {
          before = v.TopLine;
          platform.pressKey(key);
          PollInput(mouse, v, platform);
          platform.releaseKey(key);
          look();
        }
        EXPECT_EQ(v.TopLine, key == platform::kVkPageDown ? count - kVisibleRows : 0);
        int missed = 0, first = -1;
        for (int line = 0; line < count; ++line) {
          const std::string_view text = lines[static_cast<std::size_t>(line)].text;
          if (text.find_first_not_of(' ') != std::string_view::npos && !whole[static_cast<std::size_t>(line)]) {
            if (missed++ == 0) first = line;
          }
        }
        EXPECT_EQ(missed, 0) << "never whole, the first: line " << first;
      }
    }
  }
}

MouseState Mouse(int x, int y, int left) {
  MouseState m;
  m.x = x;
  m.y = y;
  m.left = left;
  return m;
}

TEST(HandleScrollBar, DragOnPage4GoesOnOutsideTheBarWhileHeld) {
  ViewState v = Page(1482);
  int pointer = 1;
  // (x, y, left) and the top line after; 380 is round(180 * 1450 / 352) = round(741.48).
  for (auto [x, y, left, top] : {std::tuple{780, 201, 1, 4}, {300, 560, 1, 1449}, {300, 380, 1, 741},
                                 {300, 100, 1, 0}, {300, 380, 0, 0}}) {
    HandleScrollBar(v, Mouse(x, y, left), pointer);
    EXPECT_EQ(v.TopLine, top) << y;
    EXPECT_EQ(pointer, 1) << y;
  }
  EXPECT_EQ(v.ScrollDragging, 0);
  EXPECT_EQ(v.ScrollGlow, 15);  // rose by 5 in each of the four dragging frames, then fell
}

// The glow's cap is in the hovered golden frame; here the open edges.
TEST(HandleScrollBar, HoverGlowsAndSetsThePointerInsideOpenEdges) {
  // (x, y, skin, hot): skin 2 moves the bar five pixels right.
  for (auto [x, y, skin, hot] : {std::tuple{775, 300, 1, false}, {791, 300, 1, false}, {780, 200, 1, false},
                                 {780, 561, 1, false}, {795, 300, 2, true}, {778, 300, 2, false}}) {
    ViewState w = Page(100);
    w.CurrentSkin = skin;
    w.ScrollGlow = 50;
    int p = 1;
    HandleScrollBar(w, Mouse(x, y, 0), p);
    EXPECT_EQ(p, hot ? 2 : 1) << x << "," << y;
    EXPECT_EQ(w.ScrollGlow, hot ? 55 : 45) << x << "," << y;
  }
}

TEST(HandleScrollBar, ThirtyThreeLinePageIsHotButDoesNotScrollNorDrawAThumb) {
  ViewState v = Page(33);
  int pointer = 1;
  HandleScrollBar(v, Mouse(780, 300, 0), pointer);
  EXPECT_EQ(pointer, 2);
  HandleScrollBar(v, Mouse(780, 550, 1), pointer);
  EXPECT_EQ(v.TopLine, 0);
  EXPECT_EQ(pointer, 1);
  auto frame = support::MakeFrame();
  DrawScrollThumb(*frame, v);
  EXPECT_EQ(support::CountNot(*frame, 0), 0);
}

// The thumb halfway down on skin 1 is in the golden frames; its ends and skin 2 here.
TEST(DrawScrollThumb, RunsFrom195To556OnEachSkin) {
  auto f = support::MakeFrame();
  ViewState v = Page(1482);
  DrawScrollThumb(*f, v);  // alpha 80 of (100, 150, 250) over black, glow 0 on top
  EXPECT_EQ(f->at(779, 195), 0x1F2E4Eu);
  EXPECT_EQ(f->at(787, 214), 0x1F2E4Eu);
  EXPECT_EQ(support::CountNot(*f, 0), 9 * 20);
  v.TopLine = 1449;
  v.CurrentSkin = 2;  // columns 783..792, (50, 150, 250)
  f->clear();
  DrawScrollThumb(*f, v);
  EXPECT_EQ(f->at(792, 556), 0x0F2E4Eu);
  EXPECT_EQ(f->at(783, 575), 0x0F2E4Eu);
  EXPECT_EQ(f->at(783, 576), 0u);
  EXPECT_EQ(f->at(782, 556), 0u);
  EXPECT_EQ(support::CountNot(*f, 0), 10 * 20);
}

// Page passes over a small synthetic page, with the embedded font.
class PagePasses : public ::testing::Test {
 protected:
  static constexpr std::uint32_t kBackground = 0x203040;
  void SetUp() override {
    render::BuildFontTables(*font);
    frame->clear(kBackground);
  }
  void Load(int number) {
    StorePage(*store, number, page.lines);
    LoadPage(*store, *view, state, number);
    page = {};
  }
  // Pixels of the cell (row at y, column c) changed from the background.
  int Changed(int y, int c) const {
    int n = 0;
    for (int yy = y; yy < y + 12; ++yy)
      for (int x = 23 + 9 * c; x < 32 + 9 * c; ++x) n += frame->at(x, yy) != kBackground;
    return n;
  }
  testing::PageBuilder page;
  std::unique_ptr<render::FontTables> font = std::make_unique<render::FontTables>();
  std::unique_ptr<PageStore> store = std::make_unique<PageStore>();
  std::unique_ptr<PageView> view = std::make_unique<PageView>();
  std::unique_ptr<render::ScreenBuffer> frame = std::make_unique<render::ScreenBuffer>();
  ViewState state;
};

TEST_F(PagePasses, GlowsOnlyInsideTheAreaAndOnlyForPageLines) {
  // A long page with a glow on every line, then a page of 7 lines whose end
  // line (7) keeps the long page's glow in the view.
  for (int i = 0; i < 40; ++i) page.Text("x", "3");
  page.End();
  Load(4);
  const render::Rainbow rainbow{};  // no rainbow lines here
  // Offset 0: row 0's centre 181 is outside; rows 1..32 (centres 193..565) glow.
  DrawLineGlows(*frame, *view, state, 0, rainbow);
  EXPECT_EQ(frame->at(20, 181), kBackground);
  for (int r = 1; r <= 32; ++r) ASSERT_EQ(frame->at(20, 181 + 12 * r), 0x00FF00u) << r;
  // Offset 12: row 0 (centre 193) glows, row 32 (centre 577) does not.
  frame->clear(kBackground);
  state.ScrollOffset = 12;
  DrawLineGlows(*frame, *view, state, 0, rainbow);
  EXPECT_EQ(frame->at(20, 193), 0x00FF00u);
  EXPECT_EQ(frame->at(20, 577), kBackground);
  for (int i = 0; i < 7; ++i) page.Text("short", i == 3 ? "2" : "0");
  page.End();
  Load(16);
  ASSERT_EQ(view->glow[7].style, 3);
  frame->clear(kBackground);
  state.ScrollOffset = 5;
  DrawLineGlows(*frame, *view, state, 0, rainbow);
  // Line 3 glows (centre 5 + 175 + 36 + 6 = 222); nothing from line 7 on.
  EXPECT_EQ(frame->at(20, 222), 0xFF0000u);
  EXPECT_EQ(support::CountNot(*frame, kBackground), 3 * 750);
}

// Most glowing lines are blank, so the golden pages cannot tell these apart.
TEST_F(PagePasses, PlainRowsAreOpaqueAndRowZeroAndGlowingRowsClipped) {
  page.Text("A", "0").Text("A", "0").Text("A", "5").End();
  Load(2);
  state.ScrollOffset = 12;
  DrawPageText(*frame, *font, *view, state, 0);
  EXPECT_GT(Changed(187, 1), 0);  // row 0 at y 187: strokes in 193..198 only
  EXPECT_LT(Changed(187, 1), 9 * 6);
  EXPECT_EQ(Changed(199, 1), 108);  // row 1: the opaque "A" paints its whole cell
  EXPECT_GT(Changed(211, 1), 0);    // row 2, a glow line: strokes only
  EXPECT_LT(Changed(211, 1), 108);
}

TEST_F(PagePasses, ShortPageOffsetAndTheBottomRowPerSkin) {
  for (int i = 0; i < 40; ++i) page.Text("\xDB\xDB", "0");
  page.End();
  Load(3);
  // Offset 5: row 0 at y 180 is outside the area; row 1 at 192 is opaque and
  // cut at 193.
  state.ScrollOffset = 5;
  DrawPageText(*frame, *font, *view, state, 0);
  EXPECT_EQ(frame->at(32, 192), kBackground);
  EXPECT_EQ(frame->at(32, 193), 0xFCFEFCu);
  // Offset 12: row 31 at y 559 reaches row 570, drawn for skin 2 only; row
  // 32 at y 571 is not drawn at all.
  for (int skin : {1, 2}) {
    frame->clear(kBackground);
    state.ScrollOffset = 12;
    state.CurrentSkin = skin;
    DrawPageText(*frame, *font, *view, state, 0);
    EXPECT_EQ(frame->at(32, 569), 0xFCFEFCu) << skin;
    EXPECT_EQ(frame->at(32, 570), skin == 2 ? 0xFCFEFCu : kBackground) << skin;
    EXPECT_EQ(frame->at(32, 571), kBackground) << skin;
  }
}

}  // namespace
}  // namespace korveld::viewer
