// The issue's records beyond the month's release list (records.dat): the
// people who count and write, the group of the year vote, 2009 month by
// month, the groups of the month, the yearly and the alltime chart, the
// number ones of every month and the other records. Read together with the
// ranked release list, they are checked against each other and the chart
// rules, and give the facts the pages quote.
//
// Format (UTF-8, one item a line, "#" starts a comment line; table rows
// separate their fields with "|"):
//   issue N                      the issue's number
//   released YYYY-MM-DD          the day the issue came out
//   figure KEY VALUE             a figure the pages quote as it is
//   team NAME ROLE               a member of the chart team, and the work
//   editor NAME ROLE             an editor, and the work
//   credit WHAT NAME             who made a part of the viewer ("code", ...)
//   vote N GROUP                 votes for the group of the year (rule 18.2)
//   month NAME RELEASES          releases of all groups in a month of the year
//   gotm MONTH GROUP             the group of the month
//   yearly GROUP | POINTS | RELEASES | TREND      the yearly chart, in order
//   year YYYY | RELEASES | MONTHS                 an earlier year in total
//   top YYYY | GROUP | GROUP ...                  the number ones, January on
//   alltime GROUP | POINTS | RELEASES | ACTIVE    the alltime chart, in order;
//                                 ACTIVE is "2007-09", "2008" or the like
//   record KEY | VALUE | GROUP | WHEN             a record from before this month
//   nuked REASON COUNT           the year's nukes for one reason (rule 8.2)
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/pagegen/release_stats.hpp"

namespace korveld::pagegen {

struct Person {
  std::string name, role;
  int line = 0;
};

struct ChartRow {
  std::string name;
  int halfPoints = 0;
  int releases = 0;
  std::string trend;   // yearly: "UP 2", "SAME", "NEW"...; alltime: the active years
  int line = 0;
};

struct Records {
  int issue = 0;
  std::string released;  // YYYY-MM-DD
  int releasedLine = 0;
  std::vector<std::pair<std::string, std::string>> figures;
  std::vector<Person> team, editors;
  std::vector<std::pair<std::string, std::string>> credits;  // what, who
  std::vector<std::pair<std::string, int>> votes;            // group, votes
  int firstVoteLine = 0;
  std::vector<std::pair<std::string, int>> months;           // name, releases
  int monthsLine = 0;
  std::vector<std::pair<std::string, std::string>> groupsOfTheMonth;  // month, group
  std::vector<ChartRow> yearly, alltime;
  struct Year {
    int year = 0, releases = 0, months = 0;
  };
  std::vector<Year> years;
  std::vector<std::pair<int, std::vector<std::string>>> numberOnes;  // year, group per month
  std::vector<int> numberOnesLines;
  struct Record {
    std::string key, value, group, when;
    int line = 0;
  };
  std::vector<Record> records;
  std::vector<std::pair<std::string, int>> nukes;  // reason, count this year
  int nukesLine = 0;
};

// Parses records.dat; on failure returns false with "line: message".
bool ParseRecords(std::string_view text, Records& out, std::string& error);

// The records against each other and against the ranked release list (see
// records.cpp); every breach names its line.
std::vector<RuleBreach> CheckRecords(const Records& records, const ReleaseList& month);

// The facts the pages quote from the records, "key<TAB>value" a line.
std::string RecordFacts(const Records& records, const ReleaseList& month);

}  // namespace korveld::pagegen
