// Reads the song data of an intro tune straight from its assembly source
// (content/sid/tunes/tuneNN.asm and the files it includes) and works out the
// tune's musical structure the way the music driver plays it: rows per
// pattern, where each pattern starts, and how long each voice runs before its
// order list loops. The tune's header texts (title, composer, release line)
// come from the same source, so every credit elsewhere can be derived from it.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace korveld::tunecheck {

inline constexpr int kVoices = 3;
inline constexpr int kDefaultBarRows = 16;
inline constexpr int kFramesPerSecond = 50;

struct SourcePlace {
  std::string file;
  int line = 0;
};

// "file:line: message".
struct Problem {
  SourcePlace at;
  std::string message;
};
std::string FormatProblem(const Problem& p);

struct DataItem {
  std::string expr;
  SourcePlace at;
};

struct TuneSource {
  std::string file;
  std::map<std::string, DataItem, std::less<>> equates;   // NAME = expression or "text"
  std::map<std::string, std::vector<DataItem>, std::less<>> data;  // label -> its .byte/.word items
  std::map<std::string, SourcePlace, std::less<>> labels;
  // Patterns the source exempts from the bar grid ("; off-grid LABEL: why").
  std::map<std::string, std::string, std::less<>> offGrid;
};

// Reads a tune source and the files it includes from includeDir. Returns
// false with problems on unreadable files.
bool ReadTuneSource(const std::string& path, const std::string& includeDir, TuneSource& out,
                    std::vector<Problem>& problems);
// Parses source text (used by ReadTuneSource for each file, and by tests).
void ParseSourceText(std::string_view file, std::string_view text, const std::string& includeDir,
                     TuneSource& out, std::vector<Problem>& problems, int depth = 0);

struct PatternStart {
  std::string pattern;
  int row = 0;        // row of the voice's timeline where the pattern begins
  SourcePlace order;  // the order-list line that plays it
};

struct VoiceStructure {
  int introRows = 0;  // rows before the order list's loop point
  int loopRows = 0;   // rows of one lap of the looped part
  SourcePlace orderList;
  std::vector<PatternStart> starts;  // first pass and one lap of the loop
};

struct TuneFacts {
  std::string title, composer, released;
  int year = 0;  // leading four digits of the release line
  int speed[2] = {0, 0};
  int barRows = kDefaultBarRows;
  VoiceStructure voices[kVoices];
  int loopRows = 0;         // one lap of the whole tune: the longest voice lap
  double loopSeconds = 0;   // one lap of the loop
  double introSeconds = 0;  // before the first lap
};

// Derives the facts and checks the structure: every voice has the same
// intro, the tune's lap is a whole number of every voice's lap, and every pattern starts on the bar grid
// unless the source exempts it. Problems name the source line at fault.
bool AnalyseTune(const TuneSource& src, TuneFacts& out, std::vector<Problem>& problems);

// Frames the driver spends on `rows` rows starting at row `first` (rows take
// the two speeds of the song in turn, the second one first).
int FramesForRows(const int speed[2], int first, int rows);

// "66 s" style text of a duration, rounded to whole seconds.
std::string SecondsText(double seconds);

}  // namespace korveld::tunecheck
