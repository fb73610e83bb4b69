// What the X server knows and SDL does not tell: whether a window manager
// runs, and which keys are down anywhere on the desktop.
#pragma once

#include <array>

struct SDL_Window;

namespace korveld::platform {

// True when a window manager announces itself on the window's X display, and
// on every display system that always has one (Wayland and others). Without
// one nobody acts on a full-screen request.
bool WindowManagerRuns(SDL_Window* window);

// Sets down[vk] for each of our virtual keys held on the window's X display,
// whichever window has the keyboard. False (nothing set) when the display is
// not X or cannot tell.
bool DesktopKeysDown(SDL_Window* window, std::array<bool, 256>& down);

}  // namespace korveld::platform
