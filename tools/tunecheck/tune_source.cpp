#include "tools/tunecheck/tune_source.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "tools/common/command_line.hpp"

namespace korveld::tunecheck {
namespace {

// Song data bytes as the driver reads them.
constexpr int kPatternEnd = 0xFF;
constexpr int kOrderLoop = 0xFE;
constexpr int kFirstInstrument = 0x60;
constexpr int kFirstLength = 0x80;
constexpr int kRest = 0xC0;
constexpr int kTie = 0xC1;
constexpr int kMaxOrderSteps = 4096;  // guards against an order list that never loops

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdent(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// The line without its comment (a ";" outside quotes).
std::string_view StripComment(std::string_view line) {
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ';' && !quoted) return line.substr(0, i);
  }
  return line;
}

std::vector<std::string_view> SplitCommas(std::string_view s) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || s[i] == ',') {
      out.push_back(Trim(s.substr(start, i - start)));
      start = i + 1;
    }
  }
  return out;
}

std::string Unquote(std::string_view s) {
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return std::string(s.substr(1, s.size() - 2));
  return {};
}

// Evaluates "TERM (+|- TERM)*" where a term is a decimal or $hex number or
// an equate. Labels are addresses and are not evaluated here.
bool Evaluate(const TuneSource& src, std::string_view expr, int& value, std::string& error, int depth = 0) {
  if (depth > 16) {
    error = "equates nest too deep in \"" + std::string(expr) + "\"";
    return false;
  }
  value = 0;
  int sign = 1;
  std::size_t i = 0;
  bool wantTerm = true;
  while (i < expr.size()) {
    const char c = expr[i];
    if (c == ' ') {
      ++i;
    } else if (!wantTerm && (c == '+' || c == '-')) {
      sign = c == '+' ? 1 : -1;
      wantTerm = true;
      ++i;
    } else if (wantTerm && (c == '$' || std::isdigit(static_cast<unsigned char>(c)))) {
      const bool hex = c == '$';
      std::size_t j = hex ? i + 1 : i;
      int term = 0;
      const std::size_t digitsFrom = j;
      while (j < expr.size() && std::isxdigit(static_cast<unsigned char>(expr[j])) &&
             (hex || std::isdigit(static_cast<unsigned char>(expr[j])))) {
        term = term * (hex ? 16 : 10) + (std::isdigit(static_cast<unsigned char>(expr[j]))
                                             ? expr[j] - '0'
                                             : std::tolower(static_cast<unsigned char>(expr[j])) - 'a' + 10);
        ++j;
      }
      if (j == digitsFrom) break;
      value += sign * term;
      i = j;
      wantTerm = false;
    } else if (wantTerm && IsIdentStart(c)) {
      std::size_t j = i;
      while (j < expr.size() && IsIdent(expr[j])) ++j;
      const std::string_view name = expr.substr(i, j - i);
      const auto it = src.equates.find(name);
      if (it == src.equates.end()) {
        error = "\"" + std::string(name) + "\" is not a constant of the tune";
        return false;
      }
      int term = 0;
      if (!Evaluate(src, it->second.expr, term, error, depth + 1)) return false;
      value += sign * term;
      i = j;
      wantTerm = false;
    } else {
      break;
    }
  }
  if (wantTerm || i != expr.size()) {
    error = "cannot read \"" + std::string(expr) + "\" as a number";
    return false;
  }
  return true;
}

bool LabelBytes(const TuneSource& src, std::string_view label, std::vector<int>& bytes,
                std::vector<SourcePlace>& places, Problem& problem) {
  const auto it = src.data.find(label);
  if (it == src.data.end()) {
    problem = {{src.file, 0}, "no data under the label \"" + std::string(label) + "\""};
    return false;
  }
  for (const DataItem& item : it->second) {
    int v = 0;
    std::string error;
    if (!Evaluate(src, item.expr, v, error)) {
      problem = {item.at, error};
      return false;
    }
    bytes.push_back(v & 0xFF);
    places.push_back(item.at);
  }
  return true;
}

bool LabelWords(const TuneSource& src, std::string_view label, std::vector<std::string>& names,
                Problem& problem) {
  const auto it = src.data.find(label);
  if (it == src.data.end()) {
    problem = {{src.file, 0}, "no data under the label \"" + std::string(label) + "\""};
    return false;
  }
  for (const DataItem& item : it->second) names.push_back(item.expr);
  return true;
}

struct PatternRows {
  int rows = 0;
  int durAfter = 0;
};

// Rows a pattern plays, given the note length carried in from before (the
// driver keeps the length across patterns).
bool CountPatternRows(const TuneSource& src, std::string_view label, int dur, PatternRows& out,
                      Problem& problem) {
  std::vector<int> bytes;
  std::vector<SourcePlace> places;
  if (!LabelBytes(src, label, bytes, places, problem)) return false;
  out = {};
  for (int b : bytes) {
    if (b == kPatternEnd) {
      out.durAfter = dur;
      if (out.rows == 0) {
        problem = {src.labels.at(std::string(label)), "pattern " + std::string(label) + " plays no rows"};
        return false;
      }
      return true;
    }
    if (b < kFirstInstrument || b == kRest || b == kTie) out.rows += dur;
    else if (b >= kFirstLength && b < kRest) dur = (b & 0x3F) + 1;
  }
  problem = {src.labels.at(std::string(label)), "pattern " + std::string(label) + " has no END"};
  return false;
}

}  // namespace

std::string FormatProblem(const Problem& p) {
  return p.at.file + ":" + std::to_string(p.at.line) + ": " + p.message;
}

void ParseSourceText(std::string_view file, std::string_view text, const std::string& includeDir,
                     TuneSource& out, std::vector<Problem>& problems, int depth) {
  std::string current;  // label the following data lines belong to
  int lineNo = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) nl = text.size();
    const std::string_view raw = text.substr(start, nl - start);
    start = nl + 1;
    ++lineNo;
    const SourcePlace here{std::string(file), lineNo};
    const std::string_view trimmedRaw = Trim(raw);
    constexpr std::string_view kOffGrid = "; off-grid ";
    if (trimmedRaw.substr(0, kOffGrid.size()) == kOffGrid) {
      const std::string_view rest = trimmedRaw.substr(kOffGrid.size());
      const std::size_t colon = rest.find(':');
      const std::string_view why = colon == std::string_view::npos ? std::string_view{} : Trim(rest.substr(colon + 1));
      if (colon == std::string_view::npos || why.empty()) {
        problems.push_back({here, "an off-grid note reads \"; off-grid LABEL: why\""});
      } else {
        out.offGrid[std::string(Trim(rest.substr(0, colon)))] = std::string(why);
      }
      continue;
    }
    std::string_view line = StripComment(raw);
    if (Trim(line).empty()) continue;
    if (IsIdentStart(line[0])) {
      std::size_t j = 0;
      while (j < line.size() && IsIdent(line[j])) ++j;
      const std::string name(line.substr(0, j));
      std::string_view rest = Trim(line.substr(j));
      if (!rest.empty() && rest[0] == '=' && (rest.size() == 1 || rest[1] != '=')) {
        out.equates[name] = {std::string(Trim(rest.substr(1))), here};
        continue;
      }
      current = name;
      out.labels[name] = here;
      line = rest;
    } else {
      line = Trim(line);
    }
    if (line.empty()) continue;
    if (line[0] != '.') {
      current.clear();  // code: data lines after it belong to no label
      continue;
    }
    const std::size_t sp = line.find(' ');
    const std::string_view directive = line.substr(0, sp);
    const std::string_view args = sp == std::string_view::npos ? std::string_view{} : Trim(line.substr(sp));
    if (directive == ".include") {
      const std::string name = Unquote(args);
      if (depth > 4 || name.empty()) continue;
      const std::string path = includeDir + "/" + name;
      std::string body;
      if (!tools::ReadTextFile(path, body)) {
        problems.push_back({here, "cannot read the included file " + name});
        continue;
      }
      ParseSourceText(path, body, includeDir, out, problems, depth + 1);
      current.clear();
    } else if (directive == ".byte" || directive == ".word") {
      if (current.empty()) continue;
      for (std::string_view item : SplitCommas(args)) out.data[current].push_back({std::string(item), here});
    } else {
      current.clear();
    }
  }
}

bool ReadTuneSource(const std::string& path, const std::string& includeDir, TuneSource& out,
                    std::vector<Problem>& problems) {
  std::string text;
  if (!tools::ReadTextFile(path, text)) {
    problems.push_back({{path, 0}, "cannot read the tune source"});
    return false;
  }
  out = TuneSource{};
  out.file = path;
  const std::size_t before = problems.size();
  ParseSourceText(path, text, includeDir, out, problems);
  return problems.size() == before;
}

int FramesForRows(const int speed[2], int first, int rows) {
  int frames = 0;
  for (int r = first; r < first + rows; ++r) frames += speed[(r + 1) & 1];
  return frames;
}

std::string SecondsText(double seconds) {
  return std::to_string(static_cast<long>(std::lround(seconds))) + " s";
}

bool AnalyseTune(const TuneSource& src, TuneFacts& out, std::vector<Problem>& problems) {
  const std::size_t before = problems.size();
  out = TuneFacts{};
  auto text = [&](std::string_view name, std::string& value) {
    const auto it = src.equates.find(name);
    if (it == src.equates.end() || Unquote(it->second.expr).empty()) {
      problems.push_back({{src.file, 1}, "the tune source names no " + std::string(name)});
      return;
    }
    value = Unquote(it->second.expr);
  };
  text("NAME", out.title);
  text("AUTHOR", out.composer);
  text("RELEASED", out.released);
  if (out.released.size() >= 4 && std::isdigit(static_cast<unsigned char>(out.released[0]))) {
    out.year = std::stoi(out.released.substr(0, 4));
  } else if (!out.released.empty()) {
    problems.push_back({src.equates.at("RELEASED").at, "the release line must start with its year"});
  }
  if (const auto it = src.equates.find("BAR_ROWS"); it != src.equates.end()) {
    std::string error;
    if (!Evaluate(src, it->second.expr, out.barRows, error) || out.barRows < 1) {
      problems.push_back({it->second.at, "BAR_ROWS must be a positive number of rows"});
      out.barRows = kDefaultBarRows;
    }
  }

  Problem problem;
  std::vector<int> speed;
  std::vector<SourcePlace> speedAt;
  std::vector<std::string> orderLists, patterns;
  if (!LabelBytes(src, "song_speed", speed, speedAt, problem) || speed.size() < 2 ||
      !LabelWords(src, "order_tab", orderLists, problem) || orderLists.size() < kVoices ||
      !LabelWords(src, "pattab", patterns, problem)) {
    if (problem.message.empty()) problem = {{src.file, 1}, "song_speed needs two bytes and order_tab three lists"};
    problems.push_back(problem);
    return false;
  }
  out.speed[0] = speed[0];
  out.speed[1] = speed[1];

  for (int v = 0; v < kVoices; ++v) {
    VoiceStructure& voice = out.voices[v];
    std::vector<int> order;
    std::vector<SourcePlace> orderAt;
    if (!LabelBytes(src, orderLists[v], order, orderAt, problem)) {
      problems.push_back(problem);
      return false;
    }
    voice.orderList = src.labels.count(orderLists[v]) ? src.labels.at(orderLists[v]) : SourcePlace{src.file, 0};
    // Walk the list as the driver does: up to the loop, then one more lap.
    std::vector<int> rowAt(order.size() + 1, -1);  // row when the walk first reaches each byte
    int dur = 1, row = 0, laps = 0, firstPassRows = 0;
    std::size_t pos = 0;
    for (int steps = 0;; ++steps) {
      if (steps > kMaxOrderSteps || pos >= order.size()) {
        problems.push_back({voice.orderList, "voice " + std::to_string(v + 1) + ": order list runs off its end"});
        return false;
      }
      if (laps == 0) rowAt[pos] = row;
      const int b = order[pos];
      if (b == kOrderLoop) {
        const int target = pos + 1 < order.size() ? order[pos + 1] : -1;
        if (target < 0 || static_cast<std::size_t>(target) >= pos || rowAt[target] < 0) {
          problems.push_back({orderAt[pos], "LOOP must name an earlier entry of the list"});
          return false;
        }
        if (laps == 1) {
          voice.loopRows = row - firstPassRows;
          if (voice.loopRows == 0) {
            problems.push_back({orderAt[pos], "the looped part of the list plays no rows"});
            return false;
          }
          break;
        }
        firstPassRows = row;
        voice.introRows = rowAt[target];
        pos = static_cast<std::size_t>(target);
        laps = 1;
        continue;
      }
      if (b < kFirstLength) {
        if (b >= static_cast<int>(patterns.size())) {
          problems.push_back({orderAt[pos], "pattern number " + std::to_string(b) + " is not in pattab"});
          return false;
        }
        PatternRows pr;
        if (!CountPatternRows(src, patterns[b], dur, pr, problem)) {
          problems.push_back(problem);
          return false;
        }
        voice.starts.push_back({patterns[b], row, orderAt[pos]});
        row += pr.rows;
        dur = pr.durAfter;
      }
      ++pos;
    }
  }

  // A voice may repeat a shorter figure (a four-bar bass ostinato under a
  // forty-bar melody) as long as a whole number of its laps fills the
  // tune's lap; anything else drifts against the other voices.
  int longest = 0, longestVoice = 0;
  for (int v = 0; v < kVoices; ++v) {
    if (out.voices[v].loopRows > longest) longest = out.voices[v].loopRows, longestVoice = v;
  }
  const VoiceStructure& first = out.voices[0];
  for (int v = 0; v < kVoices; ++v) {
    const VoiceStructure& voice = out.voices[v];
    const std::string name = "voice " + std::to_string(v + 1);
    if (voice.introRows != first.introRows) {
      problems.push_back({voice.orderList, name + " plays " + std::to_string(voice.introRows) +
                                               " rows before its loop point, voice 1 " +
                                               std::to_string(first.introRows)});
    } else if (longest % voice.loopRows != 0) {
      problems.push_back({voice.orderList, name + " loops every " + std::to_string(voice.loopRows) +
                                               " rows, out of step with voice " + std::to_string(longestVoice + 1) +
                                               ", which loops every " + std::to_string(longest)});
    }
  }
  for (int v = 0; v < kVoices; ++v) {
    for (const PatternStart& s : out.voices[v].starts) {
      if (s.row % out.barRows == 0 || src.offGrid.count(s.pattern)) continue;
      problems.push_back({s.order, "voice " + std::to_string(v + 1) + ": pattern " + s.pattern + " starts at row " +
                                       std::to_string(s.row) + ", " + std::to_string(s.row % out.barRows) +
                                       " rows into a bar of " + std::to_string(out.barRows)});
      break;  // one per voice: the rest of the voice follows from it
    }
  }
  out.introSeconds = static_cast<double>(FramesForRows(out.speed, 0, first.introRows)) / kFramesPerSecond;
  out.loopRows = longest;
  out.loopSeconds = static_cast<double>(FramesForRows(out.speed, first.introRows, longest)) / kFramesPerSecond;
  return problems.size() == before;
}

}  // namespace korveld::tunecheck
