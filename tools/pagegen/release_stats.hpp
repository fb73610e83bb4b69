// The month's releases of the chart groups and the points the chart rules
// give them, as read from the release list of the issue (releases.dat), and
// the page-source layout of the release stats page built from them.
//
// Release list format (UTF-8, one item a line, "#" starts a comment line):
//   month November 2009            the month the list covers
//   left N NAME                    a group of last month's chart (place N)
//                                  that is not in this month's
//   group NAME                     starts the releases of a group
//   last N | last new | last back  the group's place in last month's chart;
//                                  "new": never charted, "back": charted
//                                  before, but not last month
//   DD TYPE Title [! reason]       day of the month, type, title; "! reason"
//                                  marks a nuked release
// A title may end in a version, ".v1.2"; versions of one title only rise.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korveld::pagegen {

// Points of the eight release types, in half points (ISO 8.0 = 16).
enum class ReleaseType { Iso, Game, Demo, Tool, Intro, Music, Dox, Fix };
inline constexpr int kTypeCount = 8;

std::string_view TypeName(ReleaseType t);
int TypeHalfPoints(ReleaseType t);
bool ParseType(std::string_view name, ReleaseType& out);

struct Release {
  int day = 0;
  ReleaseType type = ReleaseType::Game;
  std::string title;
  std::string nuke;       // reason, empty when counted
  int halfPoints = 0;     // after the rules
  std::string note;       // why the points are lower than the type's, if they are
  int sourceLine = 0;
};

// The place a group had in last month's chart, or one of these.
inline constexpr int kLastNew = 0;     // never in the chart before
inline constexpr int kLastBack = -1;   // charted before, but not last month
inline constexpr int kLastUnknown = -2;

struct Group {
  std::string name;
  int sourceLine = 0;
  int last = kLastUnknown;  // last month's place
  int lastLine = 0;
  std::vector<Release> releases;
  int halfPoints = 0;     // the score, in half points
  int lastDay = 0;        // day of the last counted release
  int position = 0;       // chart position, 1-based
};

// A group of last month's chart that is not in this month's.
struct Leaver {
  std::string name;
  int last = 0;
  int sourceLine = 0;
};

struct ReleaseList {
  std::string month;  // "NOVEMBER 2009"
  int days = 0;       // days of that month
  int monthLine = 0;
  std::vector<Leaver> left;
  std::vector<Group> groups;
};

// A broken chart rule in the list, at its line.
struct RuleBreach {
  int line = 0;
  std::string message;
};

// Parses the list; on failure returns false with "line: message".
bool ParseReleaseList(std::string_view text, ReleaseList& out, std::string& error);

// Applies the chart rules to every release (nukes score nothing; the second
// of a GAME and an ISO of one title (versions aside) earns half; at most three FIX releases of
// a title and ten DOX releases of a group count), adds up the scores and
// orders the groups: score high to low, then fewer releases, then the earlier
// last counted release.
void ScoreAndRank(ReleaseList& list);

// The title without a trailing version ("Name.v1.2" -> "Name").
std::string_view BaseTitle(std::string_view title);
// The numbers of a title's trailing version ("Name.v1.2" -> {1, 2}); empty
// when it has none.
std::vector<int> TitleVersion(std::string_view title);

// The list against the rules a list can break (release_rules.cpp): every
// group gives last month's place and the places of last month's chart are
// each taken once; a group does not release a title twice except as FIX
// releases (rule 7.4) or as one GAME and one ISO (rule 11); the versions of a
// title only rise, from above v0.0; a title and type another group released
// earlier in the month is nuked as a dupe (rule 7.2).
std::vector<RuleBreach> CheckReleaseRules(const ReleaseList& list);

// "UP 4", "DOWN 1", "SAME", "NEW" or "RE": the trend word of a ranked group.
std::string TrendWord(const Group& g);

// "122.5" for 245 half points.
std::string FormatPoints(int halfPoints);
// "1,391" for 1391.
std::string Thousands(int n);

// The figures other pages quote from the list, one "key<TAB>value" a line
// (the facts the page compiler fills in or checks): every chart row's name,
// points, releases, nukes, trend, releases per type and per day and lead
// over the next place; the top groups' totals, releases and share per type,
// the busiest and quietest day, and the best points per release; the
// movers, newcomers, returners and leavers; the closest pair.
std::string ReleaseFacts(const ReleaseList& list);

// The page source of the release stats page (page 4).
std::string ReleaseStatsPage(const ReleaseList& list);

}  // namespace korveld::pagegen
