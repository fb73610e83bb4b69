// The line reader the two data files (releases.dat, records.dat) share.
#pragma once

#include <string_view>

namespace korveld::pagegen {

// Spaces and tabs off both ends, and a Windows line end's "\r".
inline std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Calls take(line, lineNumber) with every line that is neither blank nor a
// "#" comment, trimmed, numbered from 1 as an editor numbers them; stops and
// returns false at the first line take refuses.
template <class Take>
bool ForEachDataLine(std::string_view text, Take take) {
  int lineNo = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) nl = text.size();
    const std::string_view line = Trim(text.substr(start, nl - start));
    start = nl + 1;
    ++lineNo;
    if (line.empty() || line[0] == '#') continue;
    if (!take(line, lineNo)) return false;
  }
  return true;
}

}  // namespace korveld::pagegen
