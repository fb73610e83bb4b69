// The month's releases of the chart groups and the points the chart rules
// give them, as read from the release list of the issue (releases.dat), and
// the page-source layout of the release stats page built from them.
//
// Release list format (UTF-8, one item a line, "#" starts a comment line):
//   month November 2009            the month the list covers
//   group NAME                     starts the releases of a group
//   DD TYPE Title [! reason]       day of the month, type, title; "! reason"
//                                  marks a nuked release
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

struct Group {
  std::string name;
  std::vector<Release> releases;
  int halfPoints = 0;     // the score, in half points
  int lastDay = 0;        // day of the last counted release
  int position = 0;       // chart position, 1-based
};

struct ReleaseList {
  std::string month;
  std::vector<Group> groups;
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

// "122.5" for 245 half points.
std::string FormatPoints(int halfPoints);

// The figures other pages quote from the list, one "key<TAB>value" a line
// (the facts the page compiler fills in or checks): every chart row's name,
// points and releases, the top groups' totals, releases and share per type,
// the busiest and quietest day, and the best points per release.
std::string ReleaseFacts(const ReleaseList& list);

// The page source of the release stats page (page 4).
std::string ReleaseStatsPage(const ReleaseList& list);

}  // namespace korveld::pagegen
