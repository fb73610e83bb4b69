#include "viewer/pages.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "viewer/scroll.hpp"
#include "viewer_test_helpers.hpp"

namespace korveld::viewer {
namespace {

using content::PageLineSource;

using testing::kOnes;
using testing::PageBuilder;

class LoadPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store = std::make_unique<PageStore>();
    view = std::make_unique<PageView>();
  }
  void Load(int page) { LoadPage(*store, *view, state, page); }
  std::string Row(int line) const {
    std::string s;
    for (int c = 0; c < kPageColumns; ++c) {
      const std::uint8_t ch = view->character[static_cast<std::size_t>(line)][static_cast<std::size_t>(c)];
      if (ch != 0) s += static_cast<char>(ch);
    }
    return s;
  }
  int Tint(int line, int c) const { return view->tint[static_cast<std::size_t>(line)][static_cast<std::size_t>(c)]; }
  int Face(int line, int c) const { return view->face[static_cast<std::size_t>(line)][static_cast<std::size_t>(c)]; }

  std::unique_ptr<PageStore> store;
  std::unique_ptr<PageView> view;
  ViewState state;
};

TEST(PageCodes, ColourCodesStyleDigitsAndGlowFlags) {
  const std::string codes = "123456789ABCDEFGHIJKLMNOPQRSTUV";
  for (std::size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(TintOfCode(codes[i]), static_cast<int>(i) + 1) << codes[i];
  for (char c : {'0', ' ', 'a', 'v', 'W', 'Z', '\0', '\xFF', '-'}) EXPECT_EQ(TintOfCode(c), 1) << int(c);
  for (auto [c, face] : {std::pair{'1', 1}, {'2', 2}, {'3', 3}, {'0', 0}, {'x', 0}}) EXPECT_EQ(FaceOfDigit(c), face) << c;
  // Only exactly "0" draws opaque; styles 1..8, rounded half to even, else 0.
  for (auto [flag, opaque, style] : {std::tuple{"0", 1, 0}, {"", 0, 0}, {"00", 0, 0}, {"8", 0, 8}, {"3", 0, 3},
                                     {"9", 0, 0}, {"x", 0, 0}, {"2.5", 0, 2}, {"1.6", 0, 2}}) {
    EXPECT_EQ(ParseGlowFlag(flag).drawsOpaque, opaque) << flag;
    EXPECT_EQ(ParseGlowFlag(flag).style, style) << flag;
  }
}

TEST_F(LoadPageTest, ConvertsCellsFromTextAndCodes) {
  std::string eightyOne;
  for (int i = 0; i < 81; ++i) eightyOne += static_cast<char>('A' + i % 26);
  PageBuilder b;
  b.Line("Hello", "0 aVH" + std::string(75, 'Q'), "12031" + std::string(75, '2'), "0").Text("second line", "3");
  b.Text(eightyOne).Line("abc", "", "", "").Line("abc", "V", "2", "0").End();
  StorePage(*store, 5, b.lines);
  Load(5);
  EXPECT_EQ(state.LineCount, 5);
  EXPECT_EQ(Row(0), "Hello");
  EXPECT_EQ(view->character[0][0], 0);
  EXPECT_EQ(view->character[0][1], 'H');
  EXPECT_EQ(view->character[0][6], 0);  // past the text's end
  // Columns 0..5 and 80: column 0 has tint 1 and face 0; "0", " " and "a"
  // give tint 1, "V" 31, "H" 17; faces follow the style digits, also past
  // the text's end.
  std::vector<int> tints, faces;
  for (int c : {0, 1, 2, 3, 4, 5, 80}) {
    tints.push_back(Tint(0, c));
    faces.push_back(Face(0, c));
  }
  EXPECT_EQ(tints, (std::vector<int>{1, 1, 1, 1, 31, 17, 26}));
  EXPECT_EQ(faces, (std::vector<int>{0, 1, 2, 0, 3, 1, 2}));
  EXPECT_EQ(view->glow[0].drawsOpaque, 1);
  EXPECT_EQ(view->glow[1].style, 3);
  EXPECT_EQ(view->glow[1].drawsOpaque, 0);
  // 81 characters show the first 80.
  EXPECT_EQ(Row(2), eightyOne.substr(0, 80));
  EXPECT_EQ(view->character[2][80], static_cast<std::uint8_t>(eightyOne[79]));
  // Code strings shorter than the text give tint 1 and face 0.
  EXPECT_EQ((std::vector<int>{Tint(3, 1), Face(3, 1), Tint(4, 1), Tint(4, 2), Face(4, 1), Face(4, 2)}),
            (std::vector<int>{1, 0, 31, 1, 2, 0}));
  EXPECT_EQ(view->glow[3].drawsOpaque, 0);
}

// A page without an end line (4999 lines) is below and in PageList.
TEST_F(LoadPageTest, TheLastEndLineWins) {
  PageBuilder two;
  two.Text("a").End().Text("b").Text("c").Line("<END> and more", kOnes, kOnes, "0").Text("d");
  StorePage(*store, 4, two.lines);
  Load(4);
  EXPECT_EQ(state.LineCount, 4);
  EXPECT_EQ(PageLineCount(*store, 4), 4);
  EXPECT_EQ(Row(2), "b");
  EXPECT_EQ(Row(5), "d");
}

// The view keeps what the last page left past a shorter page's end; the
// page passes (scroll_test.cpp) must not show it.
TEST_F(LoadPageTest, ShortPageAfterLongPageAndPagesOutsideOneToTwenty) {
  PageBuilder longPage, shortPage, outside;
  for (int i = 0; i < 20; ++i) longPage.Text("long " + std::to_string(i));
  for (int i = 0; i < 7; ++i) shortPage.Text("short " + std::to_string(i), i == 2 ? "7" : "0");
  StorePage(*store, 4, longPage.End().lines);
  StorePage(*store, 16, shortPage.End().lines);
  Load(4);
  state.TopLine = 5;
  state.ScrollOffset = 6;
  Load(16);
  EXPECT_EQ((std::vector<int>{state.LineCount, state.TopLine, state.ScrollOffset}), (std::vector<int>{7, 0, 0}));
  EXPECT_EQ(Row(6), "short 6");
  EXPECT_EQ(view->glow[2].style, 7);
  EXPECT_EQ(Row(7), "long 7");
  // Lines 8..4999 are the store's empty entries: no text, tint 1, face 0,
  // and a flag that is not "0".
  for (int line : {8, 20, 4999}) {
    EXPECT_EQ(Row(line), "") << line;
    EXPECT_EQ((std::vector<int>{Tint(line, 1), Face(line, 1), view->glow[static_cast<std::size_t>(line)].drawsOpaque}),
              (std::vector<int>{1, 0, 0}));
  }
  outside.Text("x").End();
  StorePage(*store, 0, outside.lines);
  StorePage(*store, 21, outside.lines);
  for (int page : {0, -3, 21, 99}) {
    Load(page);
    EXPECT_EQ(state.LineCount, 4999) << page;
    EXPECT_EQ(Row(0), "") << page;
  }
}

TEST(PageList, FormatsLinesGlowsAndLabels) {
  auto store = std::make_unique<PageStore>();
  PageBuilder a;
  for (int i = 0; i < 10; ++i) a.Text("x", i < 3 ? "4" : i < 5 ? "2" : "0");
  a.End().Text("after the end", "1");
  StorePage(*store, 10, a.lines);
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  PrintPageList(out, *store);
  std::fclose(out);
  const std::string text(buffer, size);
  std::free(buffer);
  const std::string label10 = "\"" + std::string(content::PageLabel(10)) + "\"";
  EXPECT_NE(text.find("page 10 lines 10 glow 2:2,4:3 label " + label10 + "\n"), std::string::npos) << text;
  EXPECT_NE(text.find("page 1 lines 4999 glow none label "), std::string::npos) << text;
  EXPECT_EQ(text.rfind("page 1 ", 0), 0u);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 20);
}

}  // namespace
}  // namespace korveld::viewer
