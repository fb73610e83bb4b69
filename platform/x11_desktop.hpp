// What the X server knows and SDL does not tell: whether a window manager
// runs, which keys are down anywhere on the desktop, and whether the display
// or our window has gone.
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

// Replaces Xlib's error handlers, which print several lines and end the
// process: a request that fails (a GL context the server refuses, a window
// destroyed by another client) is noted instead, and a lost connection to the
// server calls onLost(context), prints one line and ends the process with
// status 0. Call after SDL has opened the display.
void WatchDisplayErrors(void (*onLost)(void*), void* context);
// True when a request has failed since the last call because our window no
// longer exists (another client destroyed it).
bool WindowDestroyed(SDL_Window* window);


}  // namespace korveld::platform
