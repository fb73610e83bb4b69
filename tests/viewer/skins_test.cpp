#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "content/skins/skins.hpp"
#include "viewer_test_helpers.hpp"

namespace korveld::viewer {
namespace {

using testing::MakeViewerProgram;
using testing::ScriptedPlatform;

TEST(SkinDecode, PaletteEntriesBecomePackedBackgroundPixels) {
  std::vector<std::uint8_t> images(2 * content::kSkinImageBytes, 0);
  // Skin 1: entry 7 is (4, 2, 4), every pixel uses it but the last.
  images[7 * 3] = 4;
  images[7 * 3 + 1] = 2;
  images[7 * 3 + 2] = 4;
  std::fill(images.begin() + 768, images.begin() + content::kSkinImageBytes - 1, 7);
  // Skin 2: entry 255 is white, pixel (10, 20) uses it.
  const std::size_t second = content::kSkinImageBytes;
  images[second + 255 * 3] = images[second + 255 * 3 + 1] = images[second + 255 * 3 + 2] = 0xFF;
  images[second + 768 + 20 * 800 + 10] = 255;
  SkinState skins;
  DecodeSkins(skins, images);
  EXPECT_EQ(skins.palette32[0][7], 0x040204u);
  EXPECT_EQ(skins.index[0].size(), 480001u);
  EXPECT_EQ(skins.index[0][480000], 0);
  BuildBackgrounds(skins, 0, 0, 799, 599, 0, 0);
  EXPECT_EQ(skins.background[0][0], 0x040204u);
  EXPECT_EQ(skins.background[0][479998], 0x040204u);
  EXPECT_EQ(skins.background[0][479999], 0u);
  EXPECT_EQ(skins.background[1][20 * 800 + 10], 0xFFFFFFu);
  EXPECT_EQ(skins.background[1][20 * 800 + 11], 0u);
}

TEST(SkinDecode, ShortInputDecodesWhatIsThereAndLeavesTheRestBlack) {
  std::vector<std::uint8_t> images(768 + 1000, 0);
  images[3] = 0x12;  // entry 1 red
  std::fill(images.begin() + 768, images.end(), 1);
  SkinState skins;
  DecodeSkins(skins, images);
  BuildBackgrounds(skins, 0, 0, 799, 599, 0, 0);
  EXPECT_EQ(skins.background[0][999], 0x120000u);
  EXPECT_EQ(skins.background[0][1000], 0u);
  EXPECT_EQ(skins.background[1][0], 0u);
}

TEST(SkinDecode, BuildBackgroundsCopiesTheInclusiveRectangleAndSkipsOutside) {
  std::vector<std::uint8_t> images(2 * content::kSkinImageBytes, 0);
  for (std::size_t s = 0; s < 2; ++s) {
    std::uint8_t* base = images.data() + s * content::kSkinImageBytes;
    base[3] = 0xAA;  // entry 1
    base[768 + 5 * 800 + 5] = 1;
    base[768 + 7 * 800 + 8] = 1;
  }
  SkinState skins;
  DecodeSkins(skins, images);
  BuildBackgrounds(skins, 5, 5, 3, 2, 100, 200);  // columns 5..8, rows 5..7
  EXPECT_EQ(skins.background[0][200 * 800 + 100], 0xAA0000u);
  EXPECT_EQ(skins.background[1][202 * 800 + 103], 0xAA0000u);
  EXPECT_EQ(std::count(skins.background[0].begin(), skins.background[0].end(), 0xAA0000u), 2);
  // A destination running off the picture is cut, not wrapped.
  BuildBackgrounds(skins, 0, 0, 799, 599, 795, 595);
  EXPECT_EQ(skins.background[0][600 * 800 - 1], 0u);
  BuildBackgrounds(skins, 0, 0, 799, 599, 794, 594);
  EXPECT_EQ(skins.background[0][599 * 800 + 799], 0xAA0000u);
}

// The embedded pictures: the size the viewer expects, and the layout the
// other passes draw into.
class EmbeddedSkins : public ::testing::Test {
 protected:
  void SetUp() override {
    program = MakeViewerProgram(platform);
  }
  std::uint32_t Pixel(int skin, int x, int y) const { return program->viewer.skins.background[skin - 1][y * 800 + x]; }
  static double Luminance(std::uint32_t c) {
    auto lin = [](int v) {
      const double s = v / 255.0;
      return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin((c >> 16) & 0xFF) + 0.7152 * lin((c >> 8) & 0xFF) + 0.0722 * lin(c & 0xFF);
  }
  static double Contrast(std::uint32_t a, std::uint32_t b) {
    double la = Luminance(a), lb = Luminance(b);
    if (la < lb) std::swap(la, lb);
    return (la + 0.05) / (lb + 0.05);
  }
  ScriptedPlatform platform;
  std::unique_ptr<app::Program> program;
};

TEST_F(EmbeddedSkins, TwoFullImagesLieBackToBack) {
  EXPECT_EQ(content::SkinImages().size(), 2 * content::kSkinImageBytes);
}

TEST_F(EmbeddedSkins, MenuPanelAndTextAreaAreDarkEnoughForTheText) {
  // The menu's tint-2 labels (palette grey 0xC4C2C4 at two thirds: 0x828182)
  // and the darkest text colours must stand out everywhere in the panel.
  for (int skin = 1; skin <= 2; ++skin) {
    double worst = 100.0;
    for (int y = 42; y <= 144; ++y)
      for (int x = 148; x <= 647; ++x) worst = std::min(worst, Contrast(0x828182, Pixel(skin, x, y)));
    EXPECT_GT(worst, 4.5) << "skin " << skin;
    std::uint32_t brightest = 0;
    for (int y = 193; y <= 569; ++y)
      for (int x = 20; x <= 767; ++x) brightest = std::max(brightest, Luminance(Pixel(skin, x, y)) > Luminance(brightest) ? Pixel(skin, x, y) : brightest);
    EXPECT_LT(Luminance(brightest), 0.01) << "skin " << skin << " text area " << std::hex << brightest;
  }
}

TEST_F(EmbeddedSkins, ButtonsStandOutFromTheirSurroundings) {
  // Each button's face differs from the frame just outside it: the painted
  // buttons sit on the clickable rectangles.
  for (int skin = 1; skin <= 2; ++skin) {
    for (int b = 1; b <= 10; ++b) {
      const auto& bt = program->viewer.buttons;
      const int s = skin - 1;
      const int x0 = bt.x[s][b], y0 = bt.y[s][b], x1 = x0 + bt.w[s][b], y1 = y0 + bt.h[s][b];
      double inside = 0, border = 0;
      int ni = 0, nb = 0;
      for (int y = y0 + 2; y <= y1 - 2; ++y)
        for (int x = x0 + 2; x <= x1 - 2; ++x, ++ni) inside += Luminance(Pixel(skin, x, y));
      double edge = 0;
      int ne = 0;
      for (int x = x0; x <= x1; ++x, nb += 2, ne += 2) {
        border += Luminance(Pixel(skin, x, y0 - 2)) + Luminance(Pixel(skin, x, y1 + 2));
        edge += Luminance(Pixel(skin, x, y0)) + Luminance(Pixel(skin, x, y1));
      }
      // The face or the rim (slim lamps are dark with a lit rim) stands out.
      const double contrast = std::max(std::fabs(inside / ni - border / nb), std::fabs(edge / ne - border / nb));
      EXPECT_GT(contrast, 0.01) << "skin " << skin << " button " << b;
    }
  }
}

TEST_F(EmbeddedSkins, CopySkinBackgroundFollowsTheCurrentSkin) {
  app::Program& p = *program;
  const SkinState& skins = p.viewer.skins;
  CopySkinBackground(p.frame, skins, 1);
  EXPECT_TRUE(std::equal(p.frame.pixels.begin(), p.frame.pixels.end(), skins.background[0].begin()));
  CopySkinBackground(p.frame, skins, 2);
  EXPECT_TRUE(std::equal(p.frame.pixels.begin(), p.frame.pixels.end(), skins.background[1].begin()));
  EXPECT_FALSE(std::equal(p.frame.pixels.begin(), p.frame.pixels.end(), skins.background[0].begin()));
}

TEST_F(EmbeddedSkins, F2UsesTheSecondBackgroundInTheVeryNextFrame) {
  app::Program& p = *program;
  platform.pressKey(platform::kVkF1 + 1);
  HandleButtons(p.viewer, platform);
  EXPECT_EQ(p.viewer.view.CurrentSkin, 2);
  CopySkinBackground(p.frame, p.viewer.skins, p.viewer.view.CurrentSkin);
  EXPECT_EQ(p.frame.at(400, 10), Pixel(2, 400, 10));
  platform.pressKey(platform::kVkF1);
  HandleButtons(p.viewer, platform);
  EXPECT_EQ(p.viewer.view.CurrentSkin, 1);
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
  // Columns 20..767 of a row that are black.
  static std::vector<int> BlackColumns(const std::uint32_t* frame, int y) {
    std::vector<int> black;
    for (int x = 20; x <= 767; ++x)
      if ((frame[y * 800 + x] & 0xFFFFFF) == 0) black.push_back(x);
    return black;
  }
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

TEST_F(Wipes, CloseRuns75StepsGrowingTowardsTheMiddle) {
  std::vector<std::vector<int>> seen;
  platform.onPresent = [&](const std::uint32_t* f) { seen.push_back(BlackColumns(f, 380)); };
  app::WipeClose(*program);
  ASSERT_EQ(seen.size(), 75u);
  for (int i = 0; i < 75; ++i) ASSERT_EQ(seen[i], Expected(10 * i)) << "step " << i;
  // The last step: even columns 20..760 and odd ones 27..767.
  EXPECT_EQ(seen.back().front(), 20);
  EXPECT_EQ(seen.back().back(), 767);
  EXPECT_EQ(std::count(seen.back().begin(), seen.back().end(), 21), 0);
  EXPECT_EQ(std::count(seen.back().begin(), seen.back().end(), 762), 0);
  EXPECT_EQ(seen.back().size(), 2u * 371);
}

TEST_F(Wipes, OpenRuns75StepsStartingFullyBlack) {
  std::vector<std::vector<int>> seen;
  platform.onPresent = [&](const std::uint32_t* f) { seen.push_back(BlackColumns(f, 300)); };
  app::WipeOpen(*program);
  ASSERT_EQ(seen.size(), 75u);
  EXPECT_EQ(seen.front().size(), 748u);  // the whole width 20..767
  for (int i = 0; i < 75; ++i) ASSERT_EQ(seen[i], Expected(747 - 10 * i)) << "step " << i;
  EXPECT_EQ(seen.back(), (std::vector<int>{20, 22, 24, 26, 761, 763, 765, 767}));
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

TEST_F(Wipes, EachStepAdvancesTheGlowPhaseByItsFrameTime) {
  platform.presentSeconds = 0.015;
  app::WipeClose(*program);
  // 75 steps of (15 ms present + 1 ms sleep) x 250.
  EXPECT_NEAR(program->spine.GlowPhase, 75 * 0.016 * 250, 1e-6);
}

TEST_F(Wipes, EscapeDuringAWipeIsSeenAfterwardsOnlyIfStillDown) {
  int frames = 0;
  platform.onPresent = [&](const std::uint32_t*) {
    if (++frames == 20) platform.pressKey(platform::kVkEscape);
  };
  app::WipeClose(*program);
  app::WipeOpen(*program);
  EXPECT_EQ(frames, 150);
  EXPECT_TRUE(platform::PressTest(platform.keyState(platform::kVkEscape)));

  frames = 0;
  platform.onPresent = [&](const std::uint32_t*) {
    ++frames;
    if (frames == 20) platform.pressKey(platform::kVkEscape);
    if (frames == 100) platform.releaseKey(platform::kVkEscape);
  };
  app::WipeClose(*program);
  app::WipeOpen(*program);
  EXPECT_FALSE(platform::PressTest(platform.keyState(platform::kVkEscape)));
}

TEST_F(Wipes, TheSpectrumKeepsMovingDuringAWipeUnlessPaused) {
  app::Program& p = *program;
  p.viewer.spectrum.heights[3] = 141.0;
  app::WipeClose(p);
  EXPECT_EQ(p.viewer.spectrum.heights[3], 149.0);  // fell back to rest
  p.viewer.spectrum.heights[3] = 140.0;
  p.viewer.buttons.latch[kButtonMute] = 1;
  app::WipeOpen(p);
  EXPECT_EQ(p.viewer.spectrum.heights[3], 140.0);  // paused: neither fed nor drawn
}

}  // namespace
}  // namespace korveld::viewer
