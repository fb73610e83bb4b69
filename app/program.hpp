// The program's spine: start-up, release wait, intro, change-over, viewer,
// shutdown, on whichever platform backend it is given.
#pragma once

#include "platform/platform.hpp"

namespace korveld::app {

inline constexpr const char* kWindowTitle = "KORVELD ISSUE 35 - a chart magazine";

// Runs the whole program once; returns the process exit status (0 after a
// normal end, -1 when the display cannot be opened).
int RunProgram(platform::Platform& platform);

}  // namespace korveld::app
