// The tune table of content/sid/README.md states each tune's title and how
// long it plays before it repeats; this checks both against the tune sources.
#pragma once

#include <string_view>
#include <vector>

#include "tools/tunecheck/tune_source.hpp"

namespace korveld::tunecheck {

// Checks every table row "| N | title | ... | loop |" (columns found by the
// header names "tune", "title" and "loop") against tunes[N - 1]; every tune
// must have its row.
void CheckReadmeTable(std::string_view file, std::string_view text, const std::vector<TuneFacts>& tunes,
                      std::vector<Problem>& problems);

}  // namespace korveld::tunecheck
