// The release stats generator: the chart rules applied to a release list and
// the ranking. The figures it writes are checked by the build: the pages quote
// them with their values ({=key=value}), and a figure that moves stops it.
#include <gtest/gtest.h>

#include <algorithm>

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
      "month NOVEMBER 2009\n"
      "group A\n"
      "01 GAME Harbour.Tycoon.v1.2\n"
      "03 ISO Harbour.Tycoon\n"      // second of the pair: half of 8.0
      "04 ISO Salt.Vault\n"
      "05 GAME Salt.Vault\n"         // second of the pair: half of 6.0
      "06 DEMO Quiet.Machines ! broken\n"
      "07 FIX Salt.Vault.v1.1\n"
      "08 FIX Salt.Vault.v1.2\n"
      "09 FIX Salt.Vault.v1.3\n"
      "10 FIX Salt.Vault.v1.4\n"    // fourth fix of one title, whatever its version: nothing
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
      "month NOVEMBER 2009\n"
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
      {"month MAY 2009\n01 GAME A\n", "2: release before the first group"},
      {"month MAY 2009\ngroup G\n32 GAME A\n", "3: day must be 1..31"},
      {"month MAY 2009\ngroup G\n01 GAMES A\n", "3: unknown release type GAMES"},
      {"group G\n", "1: the list names no month"},
      {"month MAY 2009\nleft GONE\n", "2: expected: left PLACE NAME"},
  };
  for (const auto& [text, message] : cases) {
    ReleaseList list;
    std::string error;
    EXPECT_FALSE(ParseReleaseList(text, list, error)) << text;
    EXPECT_EQ(error, message) << text;
  }
}

// Every rule a list can break by itself, at the line that breaks it; the
// build prints these as file:line and stops (tests/pages/extra.cmake runs
// the tool on a broken list).
TEST(ReleaseRules, BreachesNameTheirLines) {
  const std::string head = "month MAY 2009\ngroup A\nlast 1\n";  // a release on line 4 on
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      // Rule 7.4: a second TOOL, a DEMO or a second GAME after the GAME, a
      // second ISO of a pair.
      {"01 TOOL Kiln.Packer.v1.2\n09 TOOL Kiln.Packer.v1.4\n",
       {"5: rule 7.4: A released Kiln.Packer as TOOL on line 4; a second release of a title counts only as a FIX"}},
      {"01 GAME Salt.Vault\n02 DEMO Salt.Vault\n",
       {"5: rule 7.4: A released Salt.Vault as GAME on line 4; a second release of a title counts only as a FIX"}},
      {"01 GAME Salt.Vault\n02 GAME Salt.Vault.v1.3\n",
       {"5: rule 7.4: A released Salt.Vault as GAME on line 4; a second release of a title counts only as a FIX"}},
      {"01 GAME Salt.Vault\n02 ISO Salt.Vault\n03 ISO Salt.Vault\n",
       {"6: rule 7.4: A released Salt.Vault as GAME on line 4; a second release of a title counts only as a FIX"}},
      // Versions: backwards, equal, and the zero version; in day order, not list order.
      {"01 TOOL Kiln.Packer.v2.7\n09 FIX Kiln.Packer.v0.4\n03 FIX Kiln.Packer.v2.7\n",
       {"5: Kiln.Packer.v0.4: versions only rise, and A released v2.7 on day 1 (line 4)",
        "6: Kiln.Packer.v2.7: versions only rise, and A released v2.7 on day 1 (line 4)"}},
      {"01 TOOL Kiln.Packer.v0.0\n", {"4: Kiln.Packer.v0.0: v0.0 is not a version; the first release of a title is above it"}},
      // What the rules allow: a GAME and an ISO, fixes with rising versions,
      // a tool first released today and fixed; a fix of an older title.
      {"04 ISO Salt.Vault\n01 GAME Salt.Vault.v1.2\n05 FIX Salt.Vault.v1.3\n06 FIX Salt.Vault.v1.10\n"
       "02 TOOL Kiln.Packer.v0.9\n03 FIX Kiln.Packer.v1.0\n07 FIX Old.Game.v2.1\n",
       {}},
      // Rule 7.2: another group's title and type later in the month is a
      // nuked dupe; on the same day it may be a race.
      // A fix of another group's title is welcome (rule 10.2).
      {"01 DEMO Rain\n02 DEMO Snow\ngroup B\nlast 2\n03 DEMO Rain\n02 DEMO Snow\n04 FIX Rain.v1.0\ngroup C\nlast 3\n"
       "04 DEMO Rain ! dupe\n05 FIX Rain.v1.1\n",
       {"8: rule 7.2: A released Rain as DEMO on day 1 (line 4): this one is a dupe and is nuked, \"! dupe\""}},
  };
  for (const auto& [body, want] : cases) {
    const bool twoGroups = body.find("group B") != std::string::npos;
    ReleaseList list = Parse(head + body + (twoGroups ? "" : "group B\nlast 2\n"));
    std::vector<std::string> got;
    for (const RuleBreach& b : CheckReleaseRules(list)) got.push_back(std::to_string(b.line) + ": " + b.message);
    EXPECT_EQ(got, want) << body;
  }
  // Last month's places: each group gives one, each place is taken once
  // (among the other places it leaves empty).
  const std::pair<const char*, const char*> places[] = {
      {"group A\n01 GAME X\ngroup B\nlast 1\nleft 2 C\n", "2: A gives no place in last month's chart (last N, last new or last back)"},
      {"group A\nlast 2\ngroup B\nlast back\n", "1: nobody held place 1 last month: a group that left the chart needs a \"left\" line"},
  };
  for (const auto& [text, message] : places) {
    std::vector<std::string> got;
    for (const RuleBreach& b : CheckReleaseRules(Parse(std::string("month MAY 2009\n") + text))) {
      got.push_back(std::to_string(b.line) + ": " + b.message);
    }
    EXPECT_NE(std::find(got.begin(), got.end(), message), got.end()) << text;
  }
}

}  // namespace
}  // namespace korveld::pagegen
