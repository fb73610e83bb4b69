// The records (records.dat) against each other and against the
// month's release list: each planted contradiction refused at its line (the
// build prints it as file:line). The figures they add up to are checked by
// the build, where the pages quote them with their values.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tools/pagegen/records.hpp"

namespace korveld::pagegen {
namespace {

// TOP scores 14.0 from 2 releases, NEXT 5.0 from 1.
constexpr const char* kMonth =
    "month NOVEMBER 2009\ngroup TOP\nlast 1\n01 ISO A\n02 GAME B\ngroup NEXT\nlast 2\n03 DEMO C\n";

std::vector<std::string> Lines() {
  std::vector<std::string> lines = {
      "issue 35", "released 2009-12-06", "figure year.nuked 3",                // 1-3
      "team ann counts", "team bo dates", "editor cy writes", "editor ann also writes",  // 4-7
      "vote 2 TOP", "vote 1 NEXT",                                               // 8-9
  };
  for (const char* m : {"January", "February", "March", "April", "May", "June", "July", "August", "September",
                        "October"}) {
    lines.push_back(std::string("month ") + m + " 10");                         // 10-19
  }
  for (const char* l : {"month November 5", "gotm October NEXT", "gotm November TOP",  // 20-22
                        "yearly TOP | 30.0 | 6 | UP 1", "yearly NEXT | 20.0 | 5 | DOWN 1",  // 23-24
                        "yearly MID | 4.0 | 4 | NEW",                                        // 25
                        "year 2008 | 100 | 12",                                              // 26
                        "top 2008 | OLD | OLD | OLD | OLD | OLD | OLD | OLD | OLD | OLD | OLD | OLD | OLD",  // 27
                        "top 2009 | OLD | OLD | OLD | OLD | OLD | OLD | OLD | OLD | OLD | NEXT | TOP",      // 28
                        "alltime TOP | 40.0 | 9 | 2008-09", "alltime NEXT | 20.0 | 5 | 2009",  // 29-30
                        "alltime OLD | 12.0 | 3 | 2008", "alltime MID | 4.0 | 4 | 2009",       // 31-32
                        "record points | 13.0 | OLD | May 2008", "record releases | 3 | OLD | June 2008",  // 33-34
                        "nuked dupe 2", "nuked broken 1"}) {                                 // 35-36
    lines.emplace_back(l);
  }
  return lines;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  return text;
}

ReleaseList Month() {
  ReleaseList list;
  std::string error;
  EXPECT_TRUE(ParseReleaseList(kMonth, list, error)) << error;
  ScoreAndRank(list);
  return list;
}

std::vector<std::string> Breaches(const std::vector<std::string>& lines) {
  Records r;
  std::string error;
  EXPECT_TRUE(ParseRecords(Join(lines), r, error)) << error;
  std::vector<std::string> out;
  for (const RuleBreach& b : CheckRecords(r, Month())) out.push_back(std::to_string(b.line) + ": " + b.message);
  return out;
}

// One contradiction at a time, each refused at its line (among whatever else
// it upsets).
TEST(Records, ContradictionsStopAtTheirLine) {
  const std::pair<std::pair<int, const char*>, const char*> cases[] = {
      {{8, "vote 3 TOP"},
       "8: the group of the year votes add up to 4, but the chart team and the editors, who vote (rule 18.2), are 3 people"},
      {{2, "released 2009-12-05"},
       "2: the issue comes out after its closing date, the fifth of the month after NOVEMBER 2009 (rule 19.2)"},
      {{19, "# October missing"}, "10: the year so far has 11 months, up to NOVEMBER 2009; the list gives 10"},
      {{20, "month November 2"}, "10: all groups released 2 in NOVEMBER 2009, fewer than the chart's groups alone (3)"},
      {{24, "yearly NEXT | 30.0 | 5 | DOWN 1"}, "24: yearly chart: NEXT ranks above TOP by the rules (section 15)"},
      {{24, "yearly NEXT | 20.0 | 5 | SAME"}, "24: yearly chart: NEXT's trend puts it at place 2 last month, where TOP was"},
      {{24, "yearly NEXT | 20.0 | 5 | LEFT"}, "24: yearly chart: the trend is SAME, UP n, DOWN n, NEW or RE, not \"LEFT\""},
      {{23, "yearly TOP | 30.0 | 1 | UP 1"},
       "23: yearly chart: TOP has less than in NOVEMBER 2009 alone (14.0 points, 2 releases)"},
      {{24, "yearly OTHER | 20.0 | 5 | DOWN 1"}, "25: yearly chart: NEXT scored 5.0 in NOVEMBER 2009 alone and belongs in it"},
      {{24, "yearly OTHER | 20.0 | 5 | DOWN 1"}, "24: alltime chart: OTHER scored more this year than its last place"},
      {{29, "alltime TOP | 40.0 | 9 | 2008"}, "29: alltime chart: TOP released in 2009 and has at least its yearly points and releases"},
      {{30, "alltime NEXT | 19.5 | 5 | 2009"}, "30: alltime chart: NEXT released in 2009 and has at least its yearly points and releases"},
      {{28, "top 2009 | OLD | OLD | OLD | OLD | OLD | OLD | OLD | OLD | OLD | TOP | NEXT"},
       "28: number ones: NOVEMBER 2009's is TOP"},
      {{27, "top 2008 | OLD"}, "27: number ones of 2008: one for each month, 12"},
      {{33, "record points | 14.0 | OLD | May 2008"},
       "33: record: TOP's 14.0 is printed as the new record of points in a month"},
      {{34, "record releases | 2 | OLD | June 2008"},
       "34: record: TOP released 2 in NOVEMBER 2009, a new record of releases in a month"},
      {{35, "nuked dupe 3"}, "35: the nukes by reason add up to 4, but the year's nukes are 3"},
  };
  for (const auto& [change, message] : cases) {
    std::vector<std::string> lines = Lines();
    lines[static_cast<std::size_t>(change.first - 1)] = change.second;
    const std::vector<std::string> got = Breaches(lines);
    EXPECT_NE(std::find(got.begin(), got.end(), message), got.end())
        << change.second << "\n" << (got.empty() ? "no breach" : got.front());
  }
}

TEST(Records, BadItemsNameTheLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"released 6 December\n", "1: expected: released YYYY-MM-DD"},
      {"yearly TOP | 30.25 | 6 | SAME\n", "1: expected: yearly GROUP | POINTS | RELEASES | TREND"},
      {"chart TOP\n", "1: unknown item \"chart\""},
  };
  for (const auto& [text, message] : cases) {
    Records r;
    std::string error;
    EXPECT_FALSE(ParseRecords(text, r, error)) << text;
    EXPECT_EQ(error, message) << text;
  }
}

}  // namespace
}  // namespace korveld::pagegen
