#include "platform/x11_desktop.hpp"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(KORVELD_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#endif

#include <unistd.h>

#include <atomic>
#include <cstring>

#include "platform/platform.hpp"

namespace korveld::platform {

#if defined(KORVELD_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
namespace {

// The X display and window of an SDL window, or null on other systems.
Display* XDisplayOf(SDL_Window* window, Window* xwindow = nullptr) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
  if (xwindow) *xwindow = info.info.x11.window;
  return info.info.x11.display;
}

// Our virtual key for an unshifted X key symbol, or 0. The keypad's first
// level (NumLock off) is the navigation keys, as the main block's.
int VirtualKeyForSym(KeySym sym) {
  switch (sym) {
    case XK_Escape: return kVkEscape;
    case XK_Prior: case XK_KP_Prior: return kVkPageUp;
    case XK_Next: case XK_KP_Next: return kVkPageDown;
    case XK_End: case XK_KP_End: return kVkEnd;
    case XK_Home: case XK_KP_Home: return kVkHome;
    case XK_Left: case XK_KP_Left: return kVkLeft;
    case XK_Up: case XK_KP_Up: return kVkUp;
    case XK_Right: case XK_KP_Right: return kVkRight;
    case XK_Down: case XK_KP_Down: return kVkDown;
    default: break;
  }
  if (sym >= XK_F1 && sym <= XK_F12) return kVkF1 + static_cast<int>(sym - XK_F1);
  return 0;
}

// The window named by _NET_SUPPORTING_WM_CHECK on `on`, or 0.
Window CheckWindow(Display* display, Window on, Atom check) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  Window found = 0;
  if (XGetWindowProperty(display, on, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data) ==
          Success &&
      type == XA_WINDOW && format == 32 && count == 1 && data) {
    found = *reinterpret_cast<Window*>(data);
  }
  if (data) XFree(data);
  return found;
}

// Ignores the error a stale check window (its manager gone) causes.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

// Xlib calls these without a context of ours: process-wide by necessity.
std::atomic<bool> gRequestFailed{false};
void (*gOnLost)(void*) = nullptr;
void* gLostContext = nullptr;

int NoteError(Display*, XErrorEvent*) {
  gRequestFailed.store(true);
  return 0;
}

// Xlib ends the process if this returns, and the connection is unusable.
int ConnectionLost(Display*) {
  if (gOnLost) gOnLost(gLostContext);
  static constexpr char kLine[] = "korveld: the connection to the X display was lost\n";
  [[maybe_unused]] const auto written = write(STDERR_FILENO, kLine, std::strlen(kLine));
  _exit(0);
}

}  // namespace

void WatchDisplayErrors(void (*onLost)(void*), void* context) {
  gOnLost = onLost;
  gLostContext = context;
  XSetErrorHandler(NoteError);
  XSetIOErrorHandler(ConnectionLost);
}

bool WindowDestroyed(SDL_Window* window) {
  if (!gRequestFailed.exchange(false)) return false;
  Window xwindow = 0;
  Display* display = XDisplayOf(window, &xwindow);
  if (!display) return false;
  XWindowAttributes attributes;
  const bool exists = XGetWindowAttributes(display, xwindow, &attributes) != 0;
  XSync(display, False);
  gRequestFailed.store(false);
  return !exists;
}

bool WindowManagerRuns(SDL_Window* window) {
  Display* display = XDisplayOf(window);
  if (!display) return true;
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  XSync(display, False);
  auto* previous = XSetErrorHandler(IgnoreError);
  // A running manager names a window of its own that names itself again.
  const Window child = CheckWindow(display, DefaultRootWindow(display), check);
  const bool runs = child != 0 && CheckWindow(display, child, check) == child;
  XSync(display, False);
  XSetErrorHandler(previous);
  return runs;
}

bool DesktopKeysDown(SDL_Window* window, std::array<bool, 256>& down) {
  Display* display = XDisplayOf(window);
  if (!display) return false;
  char keys[32] = {};
  XQueryKeymap(display, keys);
  for (int code = 8; code < 256; ++code) {
    if (!(keys[code / 8] & (1 << (code % 8)))) continue;
    const int vk = VirtualKeyForSym(XkbKeycodeToKeysym(display, static_cast<KeyCode>(code), 0, 0));
    if (vk != 0) down[vk] = true;
  }
  return true;
}

#else

bool WindowManagerRuns(SDL_Window*) { return true; }
bool DesktopKeysDown(SDL_Window*, std::array<bool, 256>&) { return false; }
void WatchDisplayErrors(void (*)(void*), void*) {}
bool WindowDestroyed(SDL_Window*) { return false; }

#endif

}  // namespace korveld::platform
