#include "tools/pagegen/record_rules.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

namespace korveld::pagegen {
namespace {

constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

void Count(std::vector<std::pair<std::string, int>>& counts, const std::string& name) {
  for (auto& [n, c] : counts) {
    if (n == name) {
      ++c;
      return;
    }
  }
  counts.emplace_back(name, 1);
}

const ChartRow* Find(const std::vector<ChartRow>& rows, const std::string& name) {
  for (const ChartRow& r : rows) {
    if (r.name == name) return &r;
  }
  return nullptr;
}

// A group active this year: its alltime row's years end with this year's
// ("2007-09" or "2009" in 2009).
bool ActiveIn(const ChartRow& alltime, int year) {
  const std::string& years = alltime.trend;
  char tail[8];
  std::snprintf(tail, sizeof tail, "-%02d", year % 100);
  return years == std::to_string(year) || (years.size() > 3 && years.compare(years.size() - 3, 3, tail) == 0);
}

// Ordered by points, high to low, and equal points by fewer releases
// (rule 15); the first row out of order is a breach.
void CheckOrder(const std::vector<ChartRow>& rows, const std::string& chart, std::vector<RuleBreach>& out) {
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const ChartRow& a = rows[i - 1];
    const ChartRow& b = rows[i];
    if (b.halfPoints > a.halfPoints || (b.halfPoints == a.halfPoints && b.releases < a.releases)) {
      out.push_back({b.line, chart + ": " + b.name + " ranks above " + a.name + " by the rules (section 15)"});
    }
  }
}

// The yearly trends name one place in last month's yearly chart each: no
// two groups came from the same place.
void CheckTrends(const std::vector<ChartRow>& rows, std::vector<RuleBreach>& out) {
  std::map<int, const ChartRow*> from;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const ChartRow& r = rows[i];
    const int place = static_cast<int>(i) + 1;
    int before = 0;
    if (r.trend == "SAME") before = place;
    else if (r.trend.rfind("UP ", 0) == 0) before = place + std::atoi(r.trend.c_str() + 3);
    else if (r.trend.rfind("DOWN ", 0) == 0) before = place - std::atoi(r.trend.c_str() + 5);
    else if (r.trend != "NEW" && r.trend != "RE") {
      out.push_back({r.line, "yearly chart: the trend is SAME, UP n, DOWN n, NEW or RE, not \"" + r.trend + "\""});
      continue;
    }
    if (before == 0) continue;
    if (before < 1 || from.count(before)) {
      out.push_back({r.line, "yearly chart: " + r.name + "'s trend puts it at place " + std::to_string(before) +
                                 " last month" + (before >= 1 ? ", where " + from[before]->name + " was" : "")});
      continue;
    }
    from[before] = &r;
  }
}

}  // namespace

std::string MonthName(int month) { return month >= 1 && month <= 12 ? kMonths[month - 1] : ""; }

RecordSummary Summarise(const Records& r, const ReleaseList& list) {
  RecordSummary s;
  const std::size_t sp = list.month.find(' ');
  if (sp != std::string::npos) {
    s.year = std::atoi(list.month.c_str() + sp + 1);
    for (int m = 1; m <= 12; ++m) {
      std::string upper = MonthName(m);
      std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
      if (list.month.compare(0, sp, upper) == 0) s.monthOfYear = m;
    }
  }
  std::set<std::string> people;
  for (const Person& p : r.team) people.insert(p.name);
  for (const Person& p : r.editors) people.insert(p.name);
  s.voters = static_cast<int>(people.size());
  int busiest = -1;
  for (const auto& [name, releases] : r.months) {
    s.yearReleases += releases;
    if (releases > busiest) {
      busiest = releases;
      s.busiestMonth = name;
    }
  }
  int top = 0;
  for (std::size_t i = 0; i < r.yearly.size() && i < list.groups.size(); ++i) top += r.yearly[i].releases;
  if (s.yearReleases > 0) s.topSharePercent = (200 * top + s.yearReleases) / (2 * s.yearReleases);
  for (const auto& [when, group] : r.groupsOfTheMonth) Count(s.groupsOfTheMonthPerGroup, group);
  s.alltimeReleases = s.yearReleases;
  s.alltimeMonths = static_cast<int>(r.months.size());
  for (const Records::Year& y : r.years) {
    s.alltimeReleases += y.releases;
    s.alltimeMonths += y.months;
  }
  std::string runGroup;
  int runLength = 0, runStartMonth = 0;
  for (const auto& [year, groups] : r.numberOnes) {
    for (std::size_t m = 0; m < groups.size(); ++m) {
      const std::string& g = groups[m];
      Count(s.numberOnesPerGroup, g);
      if (g == runGroup) {
        ++runLength;
      } else {
        runGroup = g;
        runLength = 1;
        runStartMonth = static_cast<int>(m) + 1;
      }
      if (runLength > s.longestRun.months) s.longestRun = {g, runLength, runStartMonth, static_cast<int>(m) + 1, year};
      s.currentRun = runLength;
    }
  }
  std::stable_sort(s.numberOnesPerGroup.begin(), s.numberOnesPerGroup.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  for (const auto& [group, n] : s.numberOnesPerGroup) {
    const ChartRow* row = Find(r.alltime, group);
    if (row != nullptr && !ActiveIn(*row, s.year)) ++s.inactiveNumberOnes;
  }
  if (r.released.size() == 10) {
    const int year = std::atoi(r.released.c_str());
    const int month = std::atoi(r.released.c_str() + 5);
    const int day = std::atoi(r.released.c_str() + 8);
    const bool nextMonth = (year == s.year && month == s.monthOfYear + 1) || (year == s.year + 1 && month == 1 &&
                                                                               s.monthOfYear == 12);
    s.daysAfterClosing = nextMonth ? day - kClosingDay : -1;
  }
  return s;
}

std::vector<RuleBreach> CheckRecords(const Records& r, const ReleaseList& list) {
  std::vector<RuleBreach> out;
  const RecordSummary s = Summarise(r, list);
  int votes = 0;
  for (const auto& [group, n] : r.votes) votes += n;
  if (votes != s.voters) {
    out.push_back({r.firstVoteLine, "the group of the year votes add up to " + std::to_string(votes) + ", but the " +
                                        "chart team and the editors, who vote (rule 18.2), are " +
                                        std::to_string(s.voters) + " people"});
  }
  if (s.daysAfterClosing < 1) {
    out.push_back({r.releasedLine, "the issue comes out after its closing date, the fifth of the month after " +
                                       list.month + " (rule 19.2)"});
  }
  if (static_cast<int>(r.months.size()) != s.monthOfYear) {
    out.push_back({r.monthsLine, "the year so far has " + std::to_string(s.monthOfYear) + " months, up to " +
                                     list.month + "; the list gives " + std::to_string(r.months.size())});
  }
  int chartReleases = 0;
  for (const Group& g : list.groups) chartReleases += static_cast<int>(g.releases.size());
  if (!r.months.empty() && r.months.back().second < chartReleases) {
    out.push_back({r.monthsLine, "all groups released " + std::to_string(r.months.back().second) + " in " +
                                     list.month + ", fewer than the chart's groups alone (" +
                                     std::to_string(chartReleases) + ")"});
  }
  CheckOrder(r.yearly, "yearly chart", out);
  CheckOrder(r.alltime, "alltime chart", out);
  CheckTrends(r.yearly, out);
  // The month's groups are part of the year, and the year part of all time.
  for (const Group& g : list.groups) {
    const ChartRow* y = Find(r.yearly, g.name);
    if (y != nullptr && (y->halfPoints < g.halfPoints || y->releases < static_cast<int>(g.releases.size()))) {
      out.push_back({y->line, "yearly chart: " + g.name + " has less than in " + list.month + " alone (" +
                                  FormatPoints(g.halfPoints) + " points, " + std::to_string(g.releases.size()) +
                                  " releases)"});
    }
    if (y == nullptr && !r.yearly.empty() && g.halfPoints > r.yearly.back().halfPoints) {
      out.push_back({r.yearly.back().line, "yearly chart: " + g.name + " scored " + FormatPoints(g.halfPoints) +
                                               " in " + list.month + " alone and belongs in it"});
    }
  }
  for (const ChartRow& y : r.yearly) {
    const ChartRow* a = Find(r.alltime, y.name);
    if (a == nullptr) {
      if (!r.alltime.empty() && y.halfPoints > r.alltime.back().halfPoints) {
        out.push_back({y.line, "alltime chart: " + y.name + " scored more this year than its last place"});
      }
    } else if (a->halfPoints < y.halfPoints || a->releases < y.releases || !ActiveIn(*a, s.year)) {
      out.push_back({a->line, "alltime chart: " + y.name + " released in " + std::to_string(s.year) +
                                  " and has at least its yearly points and releases"});
    }
  }
  for (std::size_t i = 0; i < r.numberOnes.size(); ++i) {
    const auto& [year, groups] = r.numberOnes[i];
    const int line = r.numberOnesLines[i];
    const bool thisYear = year == s.year;
    if (static_cast<int>(groups.size()) != (thisYear ? s.monthOfYear : 12)) {
      out.push_back({line, "number ones of " + std::to_string(year) + ": one for each month, " +
                               std::to_string(thisYear ? s.monthOfYear : 12)});
    } else if (thisYear && !list.groups.empty() && groups.back() != list.groups.front().name) {
      out.push_back({line, "number ones: " + list.month + "'s is " + list.groups.front().name});
    }
  }
  int nukes = 0;
  for (const auto& [reason, n] : r.nukes) nukes += n;
  for (const auto& [key, value] : r.figures) {
    if (key == "year.nuked" && !r.nukes.empty() && std::to_string(nukes) != value) {
      out.push_back({r.nukesLine, "the nukes by reason add up to " + std::to_string(nukes) + ", but the year's nukes are " +
                                      value});
    }
  }
  for (const Records::Record& rec : r.records) {
    if (rec.key == "points" && list.groups.size() && std::atof(rec.value.c_str()) * 2 >= list.groups.front().halfPoints) {
      out.push_back({rec.line, "record: " + list.groups.front().name + "'s " + FormatPoints(list.groups.front().halfPoints) +
                                   " is printed as the new record of points in a month"});
    }
    for (const Group& g : list.groups) {
      if (rec.key == "releases" && std::atoi(rec.value.c_str()) <= static_cast<int>(g.releases.size())) {
        out.push_back({rec.line, "record: " + g.name + " released " + std::to_string(g.releases.size()) + " in " +
                                     list.month + ", a new record of releases in a month"});
      }
    }
  }
  std::stable_sort(out.begin(), out.end(), [](const RuleBreach& a, const RuleBreach& b) { return a.line < b.line; });
  return out;
}

}  // namespace korveld::pagegen
