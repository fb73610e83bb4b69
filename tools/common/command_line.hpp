// The user tools' command lines: numbers in option values parsed one way
// with one kind of error line, input files read whole, and the progress bar
// a render shows once it has taken more than a second.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korveld::tools {

// The whole text as a finite decimal number ("2", "-0.5", "1e-7"); nothing
// for an empty text, trailing characters, a leading '+' or white space,
// "inf" or "nan", or a value beyond the range of a double.
std::optional<double> ParseNumber(std::string_view text);
// The whole text as decimal digits that fit 64 bits.
std::optional<std::uint64_t> ParseWholeNumber(std::string_view text);

// The value of a numeric option. A text that is not a number prints
//   <tool>: <option>: not a number: <text>
// (or "not a whole number") to standard error and gives nothing.
std::optional<double> NumberOption(std::string_view tool, std::string_view option, std::string_view text);
std::optional<std::uint64_t> WholeNumberOption(std::string_view tool, std::string_view option, std::string_view text);

// Reads a whole text file as it is; false when it cannot be opened.
bool ReadTextFile(const std::string& path, std::string& text);

// Reads a whole file of at most maxBytes; false with the reason in error.
bool ReadInputFile(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out, std::string& error);

// A progress bar on standard error, drawn only once the work has run for
// more than a second, and only when the percentage changes.
struct Progress {
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  bool shown = false;
  int lastPercent = -1;
};
void ShowProgress(Progress& progress, std::uint64_t done, std::uint64_t total);
// Ends the bar's line, if one was drawn.
void EndProgress(const Progress& progress);

}  // namespace korveld::tools
