// Facts: the credits and figures other sources own, read from the fact
// files the build writes, and the ones derived from them.
#include <algorithm>

#include "tools/pagec/page_compiler.hpp"
#include "tools/pagec/text_util.hpp"

namespace korveld::pagec {

bool ParseFacts(std::string_view file, std::string_view text, Facts& facts, Diagnostics& diags) {
  const int errorsBefore = diags.errorCount();
  std::string source(file);
  const auto lines = SplitLines(text);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const int lineNo = static_cast<int>(n) + 1;
    const std::string_view line = lines[n];
    constexpr std::string_view kSource = "# source: ";
    if (line.substr(0, kSource.size()) == kSource) {
      source = std::string(Trim(line.substr(kSource.size())));
      continue;
    }
    if (Trim(line).empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos || tab == 0) {
      diags.error(file, lineNo, "a fact reads \"key<TAB>value\"");
      continue;
    }
    const std::string key(line.substr(0, tab));
    if (facts.count(key)) {
      diags.error(file, lineNo, "fact " + key + " is given twice (also by " + facts[key].source + ")");
      continue;
    }
    facts[key] = {std::string(line.substr(tab + 1)), source};
  }
  return diags.errorCount() == errorsBefore;
}

std::string NumberWords(int n) {
  static constexpr std::string_view kSmall[] = {"no",      "one",     "two",       "three",    "four",
                                                "five",    "six",     "seven",     "eight",    "nine",
                                                "ten",     "eleven",  "twelve",    "thirteen", "fourteen",
                                                "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
  static constexpr std::string_view kTens[] = {"", "", "twenty", "thirty", "forty", "fifty", "sixty", "seventy",
                                               "eighty", "ninety"};
  if (n < 0 || n > 99) return std::to_string(n);
  if (n < 20) return std::string(kSmall[n]);
  std::string words(kTens[n / 10]);
  if (n % 10 != 0) words += "-" + std::string(kSmall[n % 10]);
  return words;
}

bool FilterFact(std::string_view filter, const std::string& value, std::string& out, std::string& error) {
  if (filter == "upper") {
    out = value;
    for (char& c : out) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return true;
  }
  int n = 0;
  if (filter != "words" && filter != "Words" && filter != "ordinal") {
    error = "unknown filter \"" + std::string(filter) + "\" (words, Words, ordinal, upper)";
    return false;
  }
  if (!ParseInt(value, n) || n < 0) {
    error = "\"" + std::string(filter) + "\" needs a whole number";
    return false;
  }
  if (filter == "ordinal") {
    const int tens = n % 100;
    const char* suffix = tens >= 11 && tens <= 13 ? "th" : n % 10 == 1 ? "st" : n % 10 == 2 ? "nd" : n % 10 == 3 ? "rd" : "th";
    out = std::to_string(n) + suffix;
    return true;
  }
  out = NumberWords(n);
  if (filter == "Words") out[0] = static_cast<char>(out[0] - 'a' + 'A');
  return true;
}

bool KeyMatches(std::string_view pattern, std::string_view key) {
  const std::size_t star = pattern.find('*');
  if (star == std::string_view::npos) return pattern == key;
  const std::string_view head = pattern.substr(0, star);
  const std::string_view tail = pattern.substr(star + 1);
  if (key.size() <= head.size() + tail.size() || key.substr(0, head.size()) != head ||
      key.substr(key.size() - tail.size()) != tail) {
    return false;
  }
  const std::string_view middle = key.substr(head.size(), key.size() - head.size() - tail.size());
  return middle.find('.') == std::string_view::npos;
}

void AddDerivedFacts(Facts& facts) {
  constexpr std::string_view kComposer = ".composer";
  std::vector<std::string_view> names;
  std::string sources;
  for (const auto& [key, fact] : facts) {
    if (key.size() < kComposer.size() || key.compare(key.size() - kComposer.size(), kComposer.size(), kComposer) != 0) {
      continue;
    }
    if (std::find(names.begin(), names.end(), fact.value) == names.end()) names.push_back(fact.value);
    if (sources.find(fact.source) == std::string::npos) sources += (sources.empty() ? "" : " and ") + fact.source;
  }
  const int n = static_cast<int>(names.size());
  facts["composers.count"] = {std::to_string(n), sources};
  facts["composers.count.words"] = {NumberWords(n), sources};
}

}  // namespace korveld::pagec
