#include "tests/support/golden.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace korveld::support {
namespace {

struct GoldenFile {
  std::vector<std::string> comments;
  std::vector<std::pair<std::string, std::uint64_t>> entries;
};

GoldenFile Read(const std::string& path) {
  GoldenFile file;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '#') {
      file.comments.push_back(line);
      continue;
    }
    std::istringstream fields(line);
    std::string name;
    std::uint64_t value = 0;
    if (fields >> name >> std::hex >> value) file.entries.emplace_back(name, value);
  }
  return file;
}

}  // namespace

bool RegenerateGolden() {
  const char* value = std::getenv("KORVELD_REGENERATE_GOLDEN");
  return value != nullptr && std::string(value) == "1";
}

void ExpectGolden(const std::string& path, const std::string& name, std::uint64_t hash) {
  GoldenFile file = Read(path);
  auto found = file.entries.begin();
  while (found != file.entries.end() && found->first != name) ++found;
  if (RegenerateGolden()) {
    if (found == file.entries.end()) {
      file.entries.emplace_back(name, hash);
    } else {
      found->second = hash;
    }
    std::ofstream out(path);
    for (const std::string& comment : file.comments) out << comment << '\n';
    for (const auto& [key, value] : file.entries) {
      char hex[17];
      std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(value));
      out << key << ' ' << hex << '\n';
    }
    ADD_FAILURE() << "golden " << name << " rewritten in " << path << "; run again without KORVELD_REGENERATE_GOLDEN";
    return;
  }
  ASSERT_NE(found, file.entries.end()) << "no golden " << name << " in " << path
                                       << " (KORVELD_REGENERATE_GOLDEN=1 writes it)";
  EXPECT_EQ(found->second, hash) << name << " differs from its golden in " << path;
}

}  // namespace korveld::support
