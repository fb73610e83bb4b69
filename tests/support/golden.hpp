// Golden files: stored hashes of rendered frames and sound, one "name hex"
// line per entry, '#' lines as comments. One switch for every suite:
// KORVELD_REGENERATE_GOLDEN=1 rewrites the entry and fails the test on
// purpose, so a regenerating run is never mistaken for a pass; any other
// value, or none, compares.
#pragma once

#include <cstdint>
#include <string>

namespace korveld::support {

// True when KORVELD_REGENERATE_GOLDEN is exactly "1".
bool RegenerateGolden();

// Compares `hash` with the entry `name` of the golden file at `path` (a
// missing file or entry is a failure), or rewrites that entry when the
// switch is on.
void ExpectGolden(const std::string& path, const std::string& name, std::uint64_t hash);

}  // namespace korveld::support
