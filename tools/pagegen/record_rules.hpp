// What the records add up to, and the checks that hold them to each other and
// to the month's release list.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/pagegen/records.hpp"

namespace korveld::pagegen {

inline constexpr int kClosingDay = 5;  // an issue closes on the fifth of the next month (rule 19.2)

struct RecordSummary {
  int year = 0;            // of the release list's month
  int monthOfYear = 0;     // 1..12
  int voters = 0;          // different people of the chart team and the editors
  int yearReleases = 0;    // the months of the year added up
  std::string busiestMonth;
  int topSharePercent = 0;  // releases of the yearly chart's top places (as many as the month's chart has)
  std::vector<std::pair<std::string, int>> groupsOfTheMonthPerGroup;
  int alltimeReleases = 0, alltimeMonths = 0;
  std::vector<std::pair<std::string, int>> numberOnesPerGroup;  // most first
  int inactiveNumberOnes = 0;  // number ones whose alltime row shows no release this year
  struct Run {
    std::string group;
    int months = 0, fromMonth = 0, toMonth = 0, toYear = 0;
  } longestRun;
  int currentRun = 0;  // months the latest number one has been number one in a row
  int daysAfterClosing = 0;
};

RecordSummary Summarise(const Records& records, const ReleaseList& month);

// "January".."December" for 1..12.
std::string MonthName(int month);

}  // namespace korveld::pagegen
