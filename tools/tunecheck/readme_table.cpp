#include "tools/tunecheck/readme_table.hpp"

#include <string>

namespace korveld::tunecheck {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Cells(std::string_view line) {
  std::vector<std::string_view> cells;
  line = Trim(line);
  if (line.size() < 2 || line.front() != '|' || line.back() != '|') return cells;
  line = line.substr(1, line.size() - 2);
  std::size_t start = 0;
  for (std::size_t i = 0; i <= line.size(); ++i) {
    if (i == line.size() || line[i] == '|') {
      cells.push_back(Trim(line.substr(start, i - start)));
      start = i + 1;
    }
  }
  return cells;
}

int ColumnOf(const std::vector<std::string_view>& header, std::string_view name) {
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (header[i] == name) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

void CheckReadmeTable(std::string_view file, std::string_view text, const std::vector<TuneFacts>& tunes,
                      std::vector<Problem>& problems) {
  int tuneCol = -1, titleCol = -1, loopCol = -1;
  std::vector<bool> seen(tunes.size(), false);
  int lineNo = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) nl = text.size();
    const auto cells = Cells(text.substr(start, nl - start));
    start = nl + 1;
    ++lineNo;
    const SourcePlace here{std::string(file), lineNo};
    if (cells.empty()) {
      tuneCol = -1;  // a table ends at its first non-table line
      continue;
    }
    if (tuneCol < 0) {
      tuneCol = ColumnOf(cells, "tune");
      titleCol = ColumnOf(cells, "title");
      loopCol = ColumnOf(cells, "loop");
      if (tuneCol >= 0 && (titleCol < 0 || loopCol < 0)) {
        problems.push_back({here, "the tune table needs the columns \"title\" and \"loop\""});
        return;
      }
      continue;
    }
    const std::string_view number = cells[static_cast<std::size_t>(tuneCol)];
    if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos) continue;
    const int n = std::stoi(std::string(number));
    if (n < 1 || n > static_cast<int>(tunes.size()) || cells.size() <= static_cast<std::size_t>(loopCol) ||
        cells.size() <= static_cast<std::size_t>(titleCol)) {
      problems.push_back({here, "no tune " + std::string(number) + " in the tune sources"});
      continue;
    }
    const TuneFacts& t = tunes[static_cast<std::size_t>(n - 1)];
    seen[static_cast<std::size_t>(n - 1)] = true;
    if (cells[static_cast<std::size_t>(titleCol)] != t.title) {
      problems.push_back({here, "tune " + std::to_string(n) + " is \"" + t.title + "\" in its source, not \"" +
                                    std::string(cells[static_cast<std::size_t>(titleCol)]) + "\""});
    }
    if (cells[static_cast<std::size_t>(loopCol)] != SecondsText(t.loopSeconds)) {
      problems.push_back({here, "tune " + std::to_string(n) + " repeats after " + SecondsText(t.loopSeconds) +
                                    ", not " + std::string(cells[static_cast<std::size_t>(loopCol)])});
    }
  }
  for (std::size_t i = 0; i < seen.size(); ++i) {
    if (!seen[i]) problems.push_back({{std::string(file), lineNo}, "the tune table has no row for tune " + std::to_string(i + 1)});
  }
}

}  // namespace korveld::tunecheck
