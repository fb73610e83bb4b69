#include "tools/common/command_line.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace korveld::tools {

bool ReadTextFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  text = ss.str();
  return true;
}
namespace {

constexpr int kBarWidth = 40;

void OptionError(std::string_view tool, std::string_view option, std::string_view what, std::string_view text) {
  std::fprintf(stderr, "%.*s: %.*s: %.*s: %.*s\n", static_cast<int>(tool.size()), tool.data(),
               static_cast<int>(option.size()), option.data(), static_cast<int>(what.size()), what.data(),
               static_cast<int>(text.size()), text.data());
}

}  // namespace

#if defined(__cpp_lib_to_chars)
std::optional<double> ParseNumber(std::string_view text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  // "inf" and "nan" parse too, but are no lengths, rates or times.
  if (text.empty() || ec != std::errc{} || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}
#else
// The WebAssembly toolchain's C++ library reads no floating-point numbers with
// from_chars. The same texts are accepted: an optional minus, digits with at
// most one point, an optional exponent; strtod then reads them.
std::optional<double> ParseNumber(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  int digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (text[i] >= '0' && text[i] <= '9') {
      ++digits;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    int exponentDigits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++exponentDigits;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  const std::string copy(text);
  const double value = std::strtod(copy.c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}
#endif

std::optional<std::uint64_t> ParseWholeNumber(std::string_view text) {
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc{} || ptr != end) return std::nullopt;
  return value;
}

std::optional<double> NumberOption(std::string_view tool, std::string_view option, std::string_view text) {
  const auto value = ParseNumber(text);
  if (!value) OptionError(tool, option, "not a number", text);
  return value;
}

std::optional<std::uint64_t> WholeNumberOption(std::string_view tool, std::string_view option, std::string_view text) {
  const auto value = ParseWholeNumber(text);
  if (!value) OptionError(tool, option, "not a whole number", text);
  return value;
}

bool ReadInputFile(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  // Read in pieces up to one byte more than allowed, which tells a file that
  // is too large, without first clearing a buffer of the largest size.
  constexpr std::size_t kPiece = 1 << 16;
  out.clear();
  std::size_t n = 0;
  while (n <= maxBytes) {
    out.resize(std::min(n + kPiece, maxBytes + 1));
    const std::size_t got = std::fread(out.data() + n, 1, out.size() - n, f);
    n += got;
    if (got == 0) break;
  }
  const bool bad = std::ferror(f) != 0;
  std::fclose(f);
  if (bad) {
    error = "cannot read " + path;
    return false;
  }
  if (n > maxBytes) {
    error = path + ": larger than " + std::to_string(maxBytes) + " bytes";
    return false;
  }
  out.resize(n);
  return true;
}

void ShowProgress(Progress& progress, std::uint64_t done, std::uint64_t total) {
  if (!progress.shown) {
    const auto elapsed = std::chrono::steady_clock::now() - progress.start;
    if (elapsed <= std::chrono::seconds(1)) return;
    progress.shown = true;
  }
  const int percent = total == 0 ? 100 : static_cast<int>(100.0 * static_cast<double>(done) / static_cast<double>(total));
  if (percent == progress.lastPercent) return;
  progress.lastPercent = percent;
  const int bar = percent * kBarWidth / 100;
  std::fprintf(stderr, "\r[%.*s%*s] %3d%%", bar, "########################################", kBarWidth - bar, "",
               percent);
}

void EndProgress(const Progress& progress) {
  if (progress.shown) std::fputc('\n', stderr);
}

}  // namespace korveld::tools
