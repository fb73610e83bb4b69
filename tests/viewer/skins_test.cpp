// Skin decoding from synthetic pictures, the embedded skins' legibility, and
// the page wipes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "viewer_test_helpers.hpp"

namespace korveld::viewer {
namespace {

// Whole skins are decoded in every golden frame; short input here.
TEST(SkinDecode, ShortInputDecodesWhatIsThereAndLeavesTheRestBlack) {
  std::vector<std::uint8_t> part(768 + 1000, 1);
  std::fill_n(part.begin(), 768, 0);
  part[3] = 0x12;  // entry 1 red
  SkinState partial;
  DecodeSkins(partial, part);
  BuildAllBackgrounds(partial);
  EXPECT_EQ(partial.background[0][999], 0x120000u);
  EXPECT_EQ(partial.background[0][1000], 0u);
  EXPECT_EQ(partial.background[1][0], 0u);
}

class EmbeddedSkins : public ::testing::Test {
 protected:
  void SetUp() override { program = testing::MakeViewerProgram(platform); }
  std::uint32_t Pixel(int skin, int x, int y) const { return program->viewer.skins.background[skin - 1][y * 800 + x]; }
  static double Luminance(std::uint32_t c) {
    auto lin = [](int v) {
      const double s = v / 255.0;
      return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin((c >> 16) & 0xFF) + 0.7152 * lin((c >> 8) & 0xFF) + 0.0722 * lin(c & 0xFF);
  }
  double Brightest(int skin, int x0, int y0, int x1, int y1) const {
    double most = 0.0;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) most = std::max(most, Luminance(Pixel(skin, x, y)));
    return most;
  }
  testing::ScriptedPlatform platform;
  std::unique_ptr<app::Program> program;
};

TEST_F(EmbeddedSkins, TextStandsOutAndButtonsSitOnTheirRectangles) {
  for (int skin = 1; skin <= 2; ++skin) {
    // The menu's tint-2 labels (palette grey 0xC4C2C4 at two thirds:
    // 0x828182) against every pixel of the panel, contrast ratio above 4.5.
    EXPECT_GT((Luminance(0x828182) + 0.05) / (Brightest(skin, 148, 42, 647, 144) + 0.05), 4.5) << "skin " << skin;
    EXPECT_LT(Brightest(skin, 20, 193, 767, 569), 0.01) << "skin " << skin << " text area";
    // Each button's face or rim (slim lamps are dark with a lit rim) differs
    // from the frame just outside it.
    const auto& bt = program->viewer.buttons;
    for (int b = 1; b <= kButtonCount; ++b) {
      const int s = skin - 1, x0 = bt.x[s][b], y0 = bt.y[s][b], x1 = x0 + bt.w[s][b], y1 = y0 + bt.h[s][b];
      double inside = 0, border = 0, edge = 0;
      int ni = 0, nb = 0;
      for (int y = y0 + 2; y <= y1 - 2; ++y)
        for (int x = x0 + 2; x <= x1 - 2; ++x, ++ni) inside += Luminance(Pixel(skin, x, y));
      for (int x = x0; x <= x1; ++x, nb += 2) {
        border += Luminance(Pixel(skin, x, y0 - 2)) + Luminance(Pixel(skin, x, y1 + 2));
        edge += Luminance(Pixel(skin, x, y0)) + Luminance(Pixel(skin, x, y1));
      }
      EXPECT_GT(std::max(std::fabs(inside / ni - border / nb), std::fabs(edge / nb - border / nb)), 0.01)
          << "skin " << skin << " button " << b;
    }
  }
}

// Wipes, with a white background and no page text under the text area, so
// the only black pixels there are the blanked columns.
class Wipes : public EmbeddedSkins {
 protected:
  void SetUp() override {
    EmbeddedSkins::SetUp();
    for (auto& bg : program->viewer.skins.background) std::fill(bg.begin(), bg.end(), 0xFFFFFFu);
    program->viewer.view.TopLine = program->viewer.view.LineCount;
  }
  // The black columns of row y, 20..767, in every presented frame of `wipe`.
  std::vector<std::vector<int>> BlackColumns(void (*wipe)(app::Program&), int y) {
    std::vector<std::vector<int>> seen;
    platform.onPresent = [&](const std::uint32_t* f) {
      auto& black = seen.emplace_back();
      for (int x = 20; x <= 767; ++x)
        if ((f[y * 800 + x] & 0xFFFFFF) == 0) black.push_back(x);
    };
    wipe(*program);
    platform.onPresent = nullptr;
    return seen;
  }
  // Step s blanks every second column from each edge, s pixels in.
  static std::vector<int> Expected(int s) {
    std::vector<int> cols;
    for (int k = 0; k <= s; k += 2) {
      cols.push_back(20 + k);
      cols.push_back(767 - k);
    }
    std::sort(cols.begin(), cols.end());
    cols.erase(std::unique(cols.begin(), cols.end()), cols.end());
    return cols;
  }
};

TEST_F(Wipes, CloseGrowsTowardsTheMiddleAndOpenShrinksFromFullyBlack) {
  const auto close = BlackColumns(app::WipeClose, 380);
  ASSERT_EQ(close.size(), 75u);
  for (int i = 0; i < 75; ++i) ASSERT_EQ(close[i], Expected(10 * i)) << "close step " << i;
  EXPECT_EQ(close.back().size(), 2u * 371);  // even columns 20..760 and odd ones 27..767
  const auto open = BlackColumns(app::WipeOpen, 300);
  ASSERT_EQ(open.size(), 75u);
  EXPECT_EQ(open.front().size(), 748u);  // the whole width
  for (int i = 0; i < 75; ++i) ASSERT_EQ(open[i], Expected(747 - 10 * i)) << "open step " << i;
  EXPECT_EQ(open.back(), (std::vector<int>{20, 22, 24, 26, 761, 763, 765, 767}));
}

TEST_F(Wipes, BlankRowsReach569OnSkinOneAnd570OnSkinTwo) {
  for (int skin = 1; skin <= 2; ++skin) {
    program->viewer.view.CurrentSkin = skin;
    std::vector<std::uint32_t> last(480000);
    platform.onPresent = [&](const std::uint32_t* f) { std::copy(f, f + 480000, last.begin()); };
    app::WipeClose(*program);
    const int bottom = skin == 1 ? 569 : 570;
    EXPECT_EQ(last[191 * 800 + 20] & 0xFFFFFF, 0xFFFFFFu) << skin;
    EXPECT_EQ(last[192 * 800 + 20] & 0xFFFFFF, 0u) << skin;
    EXPECT_EQ(last[bottom * 800 + 20] & 0xFFFFFF, 0u) << skin;
    EXPECT_EQ(last[(bottom + 1) * 800 + 20] & 0xFFFFFF, 0xFFFFFFu) << skin;
  }
}

TEST_F(Wipes, EscapePressedDuringAWipeIsSeenAfterwardsEvenIfReleased) {
  for (bool released : {false, true}) {
    platform.releaseKey(platform::kVkEscape);
    int frames = 0;
    platform.onPresent = [&](const std::uint32_t*) {
      if (++frames == 20) platform.pressKey(platform::kVkEscape);
      if (frames == 100 && released) platform.releaseKey(platform::kVkEscape);
    };
    app::WipeClose(*program);
    app::WipeOpen(*program);
    EXPECT_EQ(frames, 150);
    EXPECT_EQ(platform.keyState(platform::kVkEscape), released ? 0x0001 : 0x8001) << released;
  }
}

}  // namespace
}  // namespace korveld::viewer
