// The SDL backend's events: keys latched from key-down events, the mouse
// mapped onto the frame, window state, Alt+Enter, Alt+S, closing the window
// and the stop signals.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/input_map.hpp"
#include "platform/sdl_state.hpp"
#include "platform/x11_desktop.hpp"

namespace korveld::platform {
namespace {

// Ctrl+C and termination requests. A signal handler can reach only
// process-wide state, so these two are the backend's only globals. The main
// thread pumps events even while an error box is open, so the next pump
// ends the program.
std::atomic<int> gBoxesOpen{0};
volatile std::sig_atomic_t gStopRequested = 0;

extern "C" void OnStopSignal(int) { gStopRequested = 1; }

// SDL may show a box from a child process that shares the window's X
// connection: left running, it would keep the box and the window on screen
// after we are gone. Our only children are such boxes.
void EndBoxProcesses() {
  DIR* proc = opendir("/proc");
  if (!proc) return;
  const pid_t self = getpid();
  while (const dirent* entry = readdir(proc)) {
    const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
    if (pid <= 0) continue;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    std::FILE* f = std::fopen(path, "r");
    if (!f) continue;
    char line[512] = {};
    const bool read = std::fgets(line, sizeof line, f) != nullptr;
    std::fclose(f);
    // "pid (name) state ppid ...": the name may hold spaces and parentheses.
    const char* close = read ? std::strrchr(line, ')') : nullptr;
    char state = 0;
    int parent = 0;
    if (close && std::sscanf(close + 1, " %c %d", &state, &parent) == 2 && parent == self) kill(pid, SIGKILL);
  }
  closedir(proc);
}

// With NumLock off the keypad's 9/3/7/1 and arrows are Page Up/Down, Home/End
// and the arrows, as the main block's keys.
SDL_Keycode KeypadNavigation(SDL_Keycode key) {
  switch (key) {
    case SDLK_KP_9: return SDLK_PAGEUP;
    case SDLK_KP_3: return SDLK_PAGEDOWN;
    case SDLK_KP_7: return SDLK_HOME;
    case SDLK_KP_1: return SDLK_END;
    case SDLK_KP_8: return SDLK_UP;
    case SDLK_KP_2: return SDLK_DOWN;
    case SDLK_KP_4: return SDLK_LEFT;
    case SDLK_KP_6: return SDLK_RIGHT;
    default: return key;
  }
}

// Our virtual-key number for an SDL key, or 0 for keys the program never asks about.
int VirtualKeyFor(SDL_Keycode key, Uint16 mod) {
  if (!(mod & KMOD_NUM)) key = KeypadNavigation(key);
  switch (key) {
    case SDLK_ESCAPE: return kVkEscape;
    case SDLK_PAGEUP: return kVkPageUp;
    case SDLK_PAGEDOWN: return kVkPageDown;
    case SDLK_END: return kVkEnd;
    case SDLK_HOME: return kVkHome;
    case SDLK_LEFT: return kVkLeft;
    case SDLK_UP: return kVkUp;
    case SDLK_RIGHT: return kVkRight;
    case SDLK_DOWN: return kVkDown;
    default: break;
  }
  if (key >= SDLK_F1 && key <= SDLK_F12) return kVkF1 + static_cast<int>(key - SDLK_F1);
  return 0;
}

// Keys already down when the window gains the keyboard are held, never a
// new press. SDL does not report them (or reports the first auto-repeat as
// a fresh key-down), so the desktop's own key state is read; a key held
// that way is read again each pump until it is up, since its release may
// go to another window.
void AdoptHeldKeys(SdlState& s) {
  std::array<bool, kKeyCount> held{};
  const bool fromDesktop = DesktopKeysDown(s.window, held);
  if (!fromDesktop) {
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    const Uint16 mod = static_cast<Uint16>(SDL_GetModState());
    for (int sc = 0; sc < count; ++sc)
      if (keys[sc]) held[VirtualKeyFor(SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(sc)), mod)] = true;
  }
  for (int vk = 1; vk < kKeyCount; ++vk) {
    if (!held[vk] || s.input.down[vk]) continue;
    KeyHeld(s.input, vk);
    s.keyFromDesktop[vk] = fromDesktop;
  }
}

void FollowDesktopKeys(SdlState& s) {
  if (std::find(s.keyFromDesktop.begin(), s.keyFromDesktop.end(), true) == s.keyFromDesktop.end()) return;
  std::array<bool, kKeyCount> held{};
  DesktopKeysDown(s.window, held);
  for (int vk = 1; vk < kKeyCount; ++vk) {
    if (!s.keyFromDesktop[vk] || held[vk]) continue;
    KeyUp(s.input, vk);
    s.keyFromDesktop[vk] = false;
  }
}

// SIGINT/SIGTERM, a quit event and the window manager's close: stop the
// music, close the device, restore the desktop and end with status 0
// without unwinding through the running players. A box open on a player
// thread holds that thread: closing the devices would wait for it.
[[noreturn]] void EndProgram(SdlState& s) {
  if (gBoxesOpen.load() > 0) {
    EndBoxProcesses();
    std::_Exit(0);
  }
  s.audio.CloseAll();
  CloseWindow(s);
  SDL_Quit();
  std::_Exit(0);
}

void OnWindowEvent(SdlState& s, const SDL_WindowEvent& e) {
  // The window may have lost or rescaled what it showed: the next present
  // uploads every row.
  s.textureStale = true;
  switch (e.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      AdoptHeldKeys(s);
      [[fallthrough]];
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESTORED:
      s.active = 1;
      SyncPointer(s);
      break;
    case SDL_WINDOWEVENT_HIDDEN:
    case SDL_WINDOWEVENT_MINIMIZED: s.active = 0; break;
    case SDL_WINDOWEVENT_ENTER: SyncPointer(s); break;
    case SDL_WINDOWEVENT_MOVED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED: KeepPointer(s); break;
    case SDL_WINDOWEVENT_CLOSE: EndProgram(s);
    default: break;
  }
}

void OnKeyDown(SdlState& s, const SDL_KeyboardEvent& e) {
  if (e.keysym.sym == SDLK_RETURN && (e.keysym.mod & KMOD_ALT)) {
    if (!e.repeat) {
      s.fullscreen = !s.fullscreen;
      s.keepX = s.input.mouseX;
      s.keepY = s.input.mouseY;
      s.keepPointerUntil = SDL_GetTicks() + 1000;
      ApplyMode(s);
    }
    return;
  }
  if (e.keysym.sym == SDLK_s && (e.keysym.mod & KMOD_ALT)) {
    if (!e.repeat) {
      s.scaleMode = s.scaleMode == ScaleMode::kFill ? ScaleMode::kWholeFactor : ScaleMode::kFill;
      s.keepX = s.input.mouseX;
      s.keepY = s.input.mouseY;
      s.keepPointerUntil = SDL_GetTicks() + 1;
      KeepPointer(s);
    }
    return;
  }
  const int vk = VirtualKeyFor(e.keysym.sym, e.keysym.mod);
  if (vk == 0) return;
  // An auto-repeat is a key held, never a new press.
  if (e.repeat) {
    KeyHeld(s.input, vk);
  } else {
    KeyDown(s.input, vk);
  }
  s.keyFromDesktop[vk] = false;
}

void OnKeyUp(SdlState& s, const SDL_KeyboardEvent& e) {
  // NumLock may have changed while the key was down: both readings go up.
  for (const Uint16 mod : {e.keysym.mod, static_cast<Uint16>(e.keysym.mod ^ KMOD_NUM)}) {
    const int vk = VirtualKeyFor(e.keysym.sym, mod);
    KeyUp(s.input, vk);
    s.keyFromDesktop[vk] = false;
  }
}

}  // namespace

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

void Pump(SdlState& s) {
  if (gStopRequested) EndProgram(s);
  if (WindowDestroyed(s.window)) {
    std::fputs("korveld: the window was destroyed by another program\n", stderr);
    EndProgram(s);
  }
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_MOUSEMOTION: MapMouse(s, e.motion.x, e.motion.y); break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        // SDL stamps a button event with the last position it was told of,
        // stale after a geometry change with the mouse still.
        SyncPointer(s);
        if (e.button.button == SDL_BUTTON_LEFT) {
          if (e.type == SDL_MOUSEBUTTONDOWN) {
            ButtonDown(s.input);
          } else {
            ButtonUp(s.input);
          }
          s.leftFromDesktop = false;
        }
        break;
      case SDL_MOUSEWHEEL:
        // Horizontal motion and parts of a notch add nothing.
        s.input.wheel += WheelNotches(e.wheel.y, e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED);
        break;
      case SDL_WINDOWEVENT: OnWindowEvent(s, e.window); break;
      case SDL_RENDER_TARGETS_RESET:
      case SDL_RENDER_DEVICE_RESET: s.textureStale = true; break;
      case SDL_KEYDOWN: OnKeyDown(s, e.key); break;
      case SDL_KEYUP: OnKeyUp(s, e.key); break;
      case SDL_QUIT:
        // With the last-window-close hint off, a quit event is a signal.
        EndProgram(s);
      default: break;
    }
  }
  FollowDesktopKeys(s);
  if (s.leftFromDesktop && !(SDL_GetGlobalMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK)) {
    ButtonUp(s.input);
    s.leftFromDesktop = false;
  }
}

// Shown, placed, and with the keyboard if it is to get it, so keys and the
// button held since before launch are known when the release wait first asks.
void Settle(SdlState& s) {
  const Uint32 start = SDL_GetTicks();
  while (SDL_GetTicks() - start < 500) {
    Pump(s);
    if (s.active && SDL_GetKeyboardFocus() == s.window) break;
    SDL_Delay(5);
  }
  // Without a window manager, geometry asked for while the window was
  // being mapped can be lost; asking again costs nothing.
  if (!s.managed) ApplyMode(s);
  Pump(s);
  AdoptHeldKeys(s);
  if (SDL_GetGlobalMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK) {
    ButtonHeld(s.input);
    s.leftFromDesktop = true;
  }
  SyncPointer(s);
}

// The box runs its own event loop on a connection of its own; the window's
// events are pumped here meanwhile, so closing the window still ends the
// program. Keys and clicks meant for the box are dropped, never presses.
void ShowErrorBox(SdlState& s, std::string_view caption, std::string_view text) {
  gBoxesOpen.fetch_add(1);
  std::atomic<bool> shut{false};
  std::thread box([&s, &shut, c = std::string(caption), t = std::string(text)] {
    s.audio.ShowError(c, t);
    shut.store(true);
  });
  while (!shut.load()) {
    if (gStopRequested) EndProgram(s);
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      if (e.type == SDL_QUIT) EndProgram(s);
      if (e.type == SDL_WINDOWEVENT) OnWindowEvent(s, e.window);
    }
    SDL_Delay(20);
  }
  box.join();
  gBoxesOpen.fetch_sub(1);
}

}  // namespace korveld::platform
