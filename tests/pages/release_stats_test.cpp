// The release stats generator: the chart rules applied to a release list, the
// ranking and the figures other pages quote. The page it writes is compiled
// against the page table by the build and shown by the viewer's golden frames.
#include <gtest/gtest.h>

#include "tools/pagegen/release_stats.hpp"

namespace korveld::pagegen {
namespace {

ReleaseList Parse(const std::string& text) {
  ReleaseList list;
  std::string error;
  EXPECT_TRUE(ParseReleaseList(text, list, error)) << error;
  return list;
}

TEST(ReleaseRules, PointsFollowTheChartRules) {
  ReleaseList list = Parse(
      "month TEST\n"
      "group A\n"
      "01 GAME Harbour.Tycoon.v1.2\n"
      "03 ISO Harbour.Tycoon\n"      // second of the pair: half of 8.0
      "04 ISO Salt.Vault\n"
      "05 GAME Salt.Vault\n"         // second of the pair: half of 6.0
      "06 DEMO Quiet.Machines ! broken\n"
      "07 FIX Salt.Vault.Fix\n"
      "08 FIX Salt.Vault.Fix\n"
      "09 FIX Salt.Vault.Fix\n"
      "10 FIX Salt.Vault.Fix\n"      // fourth fix of one title: nothing
      "11 INTRO Kite.64k\n"
      "12 MUSIC Chip.Letters.3\n"
      "13 TOOL Tile.Loom.v0.9\n");
  for (int i = 0; i < 11; ++i) list.groups[0].releases.push_back({14, ReleaseType::Dox, "D" + std::to_string(i), "", 0, "", 0});
  ScoreAndRank(list);
  const auto& r = list.groups[0].releases;
  const int want[] = {12, 8, 16, 6, 0, 1, 1, 1, 0, 5, 4, 6, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0};
  ASSERT_EQ(r.size(), std::size(want));
  for (std::size_t i = 0; i < r.size(); ++i) EXPECT_EQ(r[i].halfPoints, want[i]) << r[i].title;
  EXPECT_EQ(r[1].note, "half, 11.2");
  EXPECT_EQ(r[8].note, "over the cap");
  EXPECT_EQ(r.back().note, "over the cap");
  EXPECT_EQ(list.groups[0].halfPoints, 12 + 8 + 16 + 6 + 3 + 5 + 4 + 6 + 20);
  EXPECT_EQ(FormatPoints(list.groups[0].halfPoints), "40.0");
  EXPECT_EQ(FormatPoints(245), "122.5");
  EXPECT_EQ(BaseTitle("Harbour.Tycoon.v1.2"), "Harbour.Tycoon");
  EXPECT_EQ(BaseTitle("Harbour.v2"), "Harbour.v2");
  EXPECT_EQ(BaseTitle("Chip.Letters.3"), "Chip.Letters.3");
}

TEST(ReleaseRules, RankingBreaksTiesByReleasesThenLastDay) {
  ReleaseList list = Parse(
      "month TEST\n"
      "group LATE\n09 GAME A\n28 GAME B\n"        // 12.0 from 2, last on the 28th
      "group MANY\n01 DEMO C\n02 DEMO D\n03 DOX E\n04 DOX F\n"  // 12.0 from 4
      "group EARLY\n01 GAME G\n20 GAME H\n"       // 12.0 from 2, last on the 20th
      "group TOP\n05 ISO I\n05 INTRO J\n");       // 10.5: the most points per release, still last
  ScoreAndRank(list);
  std::string order;
  for (const auto& g : list.groups) order += g.name + std::to_string(g.position) + " ";
  EXPECT_EQ(order, "EARLY1 LATE2 MANY3 TOP4 ");
}

TEST(ReleaseRules, BadListsNameTheLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"month M\n01 GAME A\n", "2: release before the first group"},
      {"month M\ngroup G\n32 GAME A\n", "3: day must be 1..31"},
      {"month M\ngroup G\n01 GAMES A\n", "3: unknown release type GAMES"},
      {"month M\ngroup G\n01 GAME A !\n", "3: nuke without a reason"},
      {"month M\ngroup G\n01 GAME\n", "3: expected: day type title"},
      {"month M\ngroup G\n01 GAME 1234567890123456789012345678901234567890\n", "3: title must be 1..39 characters"},
      {"group G\n", "1: the list names no month"},
  };
  for (const auto& [text, message] : cases) {
    ReleaseList list;
    std::string error;
    EXPECT_FALSE(ParseReleaseList(text, list, error)) << text;
    EXPECT_EQ(error, message) << text;
  }
}

// The figures other pages quote: the best points per release is an exact
// comparison (146.0 / 37 beats 155.0 / 40), busiest and quietest days count
// every listed release, nuked ones included.
TEST(ReleaseFacts, BestPerReleaseTotalsAndDays) {
  ReleaseList list = Parse(
      "month TEST\n"
      "group BIG\n"
      "01 ISO A\n02 ISO B\n02 GAME C\n03 DOX D ! fake\n"
      "group LEAN\n"
      "02 ISO E\n03 ISO F\n");
  ScoreAndRank(list);
  const std::string facts = ReleaseFacts(list);
  for (const char* want : {"chart.1.name\tBIG\n", "chart.1.points\t22.0\n", "chart.1.releases\t4\n",
                           "chart.1.nuked\t1\n", "chart.2.name\tLEAN\n", "top.releases\t6\n",
                           "top.points\t38.0\n", "top.nuked\t1\n", "type.ISO.releases\t4\n",
                           "type.ISO.share\t66.7%\n", "top.busiest.day\t2\n", "top.busiest.releases\t3\n",
                           "top.quietest.day\t1\n", "top.quietest.releases\t1\n",
                           "best.per.release.group\tLEAN\n", "best.per.release\t8.00\n"}) {
    EXPECT_NE(facts.find(want), std::string::npos) << want << facts;
  }
}

}  // namespace
}  // namespace korveld::pagegen
