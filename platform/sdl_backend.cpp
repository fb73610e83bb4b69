// The SDL2 backend: desktop full screen (or an 800 x 600 window with
// KORVELD_WINDOWED=1), the frame scaled by the largest whole factor that fits,
// letterboxed in black, nearest-neighbour; keys latched from key-down events.
#include "platform/sdl_backend.hpp"

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/converters.hpp"
#include "platform/input_map.hpp"
#include "platform/sdl_audio.hpp"
#include "platform/x11_desktop.hpp"

namespace korveld::platform {
namespace {

// Ctrl+C and termination requests. A signal handler can reach only
// process-wide state, so these two are the backend's only globals. While an
// error box runs its own event loop the main thread never pumps ours, so the
// handler ends the process itself (the X server closes the window with the
// connection); otherwise the next pump restores the desktop and exits.
std::atomic<int> gBoxesOpen{0};
volatile std::sig_atomic_t gStopRequested = 0;

extern "C" void OnStopSignal(int) {
  if (gBoxesOpen.load() > 0) _exit(0);
  gStopRequested = 1;
}

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
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

// Texture formats we can write, best first, with the converter each needs.
struct TextureChoice {
  Uint32 sdlFormat;
  PixelFormat format;
};
constexpr TextureChoice kTextureChoices[] = {
    {SDL_PIXELFORMAT_RGB888, PixelFormat::kXrgb32},   {SDL_PIXELFORMAT_ARGB8888, PixelFormat::kXrgb32},
    {SDL_PIXELFORMAT_BGR888, PixelFormat::kXbgr32},   {SDL_PIXELFORMAT_ABGR8888, PixelFormat::kXbgr32},
    {SDL_PIXELFORMAT_RGB24, PixelFormat::kRgb24},     {SDL_PIXELFORMAT_BGR24, PixelFormat::kBgr24},
    {SDL_PIXELFORMAT_RGB565, PixelFormat::kRgb565},   {SDL_PIXELFORMAT_BGR565, PixelFormat::kBgr565},
    {SDL_PIXELFORMAT_RGB555, PixelFormat::kXrgb1555}, {SDL_PIXELFORMAT_BGR555, PixelFormat::kXbgr1555},
};

}  // namespace

struct SdlPlatform::Impl {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  PixelFormat format = PixelFormat::kXrgb32;
  std::vector<std::uint8_t> converted;  // used only when the texture is not 0x00RRGGBB
  int width = 800, height = 600;
  bool videoUp = false;
  bool fullscreen = true;
  bool managed = true;  // a window manager places and sizes the window
  int active = 0;
  int escapeCloses = 1;
  int mouseX = 0, mouseY = 0, left = 0, right = 0, wheel = 0;
  // The left button was down before the window saw a press: its release goes
  // to another window, so the desktop's button state is read until it is up.
  bool leftFromDesktop = false;
  std::array<bool, 256> keyFromDesktop{};  // held since before the window had the keyboard
  std::array<bool, 256> down{};
  std::array<bool, 256> pressed{};
  SDL_Rect target{0, 0, 800, 600};  // where the frame lands in renderer pixels
  RandomGenerator random;
  std::chrono::steady_clock::time_point epoch = std::chrono::steady_clock::now();
  SdlAudio audio;

  void ComputeTarget() {
    int ow = width, oh = height;
    SDL_GetRendererOutputSize(renderer, &ow, &oh);
    const int scale = std::min(ow / width, oh / height);
    if (scale >= 1) {
      target.w = width * scale;
      target.h = height * scale;
    } else {
      // Smaller than the frame: keep the aspect.
      const double s = std::min(static_cast<double>(ow) / width, static_cast<double>(oh) / height);
      target.w = std::max(1, static_cast<int>(width * s));
      target.h = std::max(1, static_cast<int>(height * s));
    }
    target.x = (ow - target.w) / 2;
    target.y = (oh - target.h) / 2;
  }

  // Window coordinates to frame coordinates, clamped onto the frame (the
  // letterbox bars report positions outside it).
  void MapMouse(int wx, int wy) {
    int ww = 1, wh = 1, ow = 1, oh = 1;
    SDL_GetWindowSize(window, &ww, &wh);
    SDL_GetRendererOutputSize(renderer, &ow, &oh);
    const double px = static_cast<double>(wx) * ow / std::max(ww, 1);
    const double py = static_cast<double>(wy) * oh / std::max(wh, 1);
    const int fx = static_cast<int>((px - target.x) * width / std::max(target.w, 1));
    const int fy = static_cast<int>((py - target.y) * height / std::max(target.h, 1));
    mouseX = std::clamp(fx, 0, width - 1);
    mouseY = std::clamp(fy, 0, height - 1);
  }

  // The pointer where it really is now, mapped with the window's geometry of
  // this moment. Mouse events queued before a move, resize or mode change
  // carry positions relative to the old geometry; this corrects them.
  void SyncPointer() {
    int gx = 0, gy = 0, wx = 0, wy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    SDL_GetWindowPosition(window, &wx, &wy);
    MapMouse(gx - wx, gy - wy);
  }

  // Full screen with a window manager is its job; without one nobody acts on
  // the request and the window would stay 800 x 600 while SDL reports the
  // desktop size, so the window covers the display itself, borderless.
  void ApplyMode() {
    SDL_Rect bounds{0, 0, width, height};
    const int display = std::max(0, SDL_GetWindowDisplayIndex(window));
    SDL_GetDisplayBounds(display, &bounds);
    if (managed) {
      SDL_SetWindowFullscreen(window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
      if (!fullscreen) {
        SDL_SetWindowSize(window, width, height);
        SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED_DISPLAY(display), SDL_WINDOWPOS_CENTERED_DISPLAY(display));
      }
    } else if (fullscreen) {
      SDL_SetWindowBordered(window, SDL_FALSE);
      SDL_SetWindowPosition(window, bounds.x, bounds.y);
      SDL_SetWindowSize(window, bounds.w, bounds.h);
    } else {
      SDL_SetWindowBordered(window, SDL_TRUE);
      SDL_SetWindowSize(window, width, height);
      SDL_SetWindowPosition(window, bounds.x + (bounds.w - width) / 2, bounds.y + (bounds.h - height) / 2);
    }
    ComputeTarget();
    SyncPointer();
  }

  void ToggleFullscreen() {
    fullscreen = !fullscreen;
    ApplyMode();
  }

  // Keys already down when the window gains the keyboard are held, never a
  // new press. SDL does not report them (or reports the first auto-repeat as
  // a fresh key-down), so the desktop's own key state is read; a key held
  // that way is read again each pump until it is up, since its release may
  // go to another window.
  void AdoptHeldKeys() {
    std::array<bool, 256> held{};
    if (!DesktopKeysDown(window, held)) {
      int count = 0;
      const Uint8* keys = SDL_GetKeyboardState(&count);
      const Uint16 mod = static_cast<Uint16>(SDL_GetModState());
      for (int sc = 0; sc < count; ++sc)
        if (keys[sc]) held[VirtualKeyFor(SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(sc)), mod)] = true;
      held[0] = false;
      for (int vk = 1; vk < 256; ++vk) down[vk] = down[vk] || held[vk];
      return;
    }
    for (int vk = 1; vk < 256; ++vk) {
      if (held[vk] && !down[vk]) {
        down[vk] = true;
        keyFromDesktop[vk] = true;
      }
    }
  }

  void FollowDesktopKeys() {
    if (std::find(keyFromDesktop.begin(), keyFromDesktop.end(), true) == keyFromDesktop.end()) return;
    std::array<bool, 256> held{};
    DesktopKeysDown(window, held);
    for (int vk = 1; vk < 256; ++vk) {
      if (!keyFromDesktop[vk] || held[vk]) continue;
      down[vk] = false;
      keyFromDesktop[vk] = false;
    }
  }

  [[noreturn]] void EndOnSignal(SdlPlatform& self) {
    // SIGINT/SIGTERM arrive as a quit event: restore the desktop and end
    // with status 0 without unwinding through the running players.
    // A box open on a player thread holds that thread: closing the devices
    // would wait for it.
    if (gBoxesOpen.load() > 0) std::_Exit(0);
    audio.CloseAll();
    self.close();
    SDL_Quit();
    std::_Exit(0);
  }

  void Pump(SdlPlatform& self) {
    if (gStopRequested) EndOnSignal(self);
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      switch (e.type) {
        case SDL_MOUSEMOTION: MapMouse(e.motion.x, e.motion.y); break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
          const int state = e.type == SDL_MOUSEBUTTONDOWN ? 1 : 0;
          // SDL stamps a button event with the last position it was told
          // of, stale after a geometry change with the mouse still.
          SyncPointer();
          if (e.button.button == SDL_BUTTON_LEFT) {
            left = state;
            leftFromDesktop = false;
          }
          if (e.button.button == SDL_BUTTON_RIGHT) right = state;
          break;
        }
        case SDL_MOUSEWHEEL: {
          // Horizontal motion and parts of a notch add nothing.
          wheel += WheelNotches(e.wheel.y, e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED);
          break;
        }
        case SDL_WINDOWEVENT:
          switch (e.window.event) {
            case SDL_WINDOWEVENT_FOCUS_GAINED:
              AdoptHeldKeys();
              [[fallthrough]];
            case SDL_WINDOWEVENT_SHOWN:
            case SDL_WINDOWEVENT_EXPOSED:
            case SDL_WINDOWEVENT_RESTORED:
              active = 1;
              SyncPointer();
              break;
            case SDL_WINDOWEVENT_HIDDEN:
            case SDL_WINDOWEVENT_MINIMIZED: active = 0; break;
            case SDL_WINDOWEVENT_ENTER:
            case SDL_WINDOWEVENT_MOVED:
            case SDL_WINDOWEVENT_MAXIMIZED: SyncPointer(); break;
            case SDL_WINDOWEVENT_RESIZED:
            case SDL_WINDOWEVENT_SIZE_CHANGED:
              ComputeTarget();
              SyncPointer();
              break;
            case SDL_WINDOWEVENT_CLOSE:
              if (escapeCloses) {
                self.close();
                std::exit(0);
              }
              break;
            default: break;
          }
          break;
        case SDL_KEYDOWN: {
          if (e.key.keysym.sym == SDLK_RETURN && (e.key.keysym.mod & KMOD_ALT)) {
            if (!e.key.repeat) ToggleFullscreen();
            break;
          }
          const int vk = VirtualKeyFor(e.key.keysym.sym, e.key.keysym.mod);
          if (vk == 0) break;
          if (!e.key.repeat && !down[vk]) pressed[vk] = true;
          keyFromDesktop[vk] = false;
          down[vk] = true;
          if (vk == kVkEscape && escapeCloses) {
            self.close();
            std::exit(0);
          }
          break;
        }
        case SDL_KEYUP: {
          // NumLock may have changed while the key was down: both readings go up.
          for (const Uint16 mod : {e.key.keysym.mod, static_cast<Uint16>(e.key.keysym.mod ^ KMOD_NUM)}) {
            const int vk = VirtualKeyFor(e.key.keysym.sym, mod);
            if (vk != 0) down[vk] = false;
            keyFromDesktop[vk] = false;
          }
          break;
        }
        case SDL_QUIT:
          // With the last-window-close hint off, a quit event is a signal.
          EndOnSignal(self);
        default: break;
      }
    }
    FollowDesktopKeys();
    if (leftFromDesktop) {
      left = (SDL_GetGlobalMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK) ? 1 : 0;
      leftFromDesktop = left != 0;
    }
  }

  // Lets the new window settle before the first frame: shown, placed, and
  // with the keyboard if it is to get it, so keys and the button held since
  // before launch are known when the release wait first asks.
  void Settle(SdlPlatform& self) {
    const Uint32 start = SDL_GetTicks();
    while (SDL_GetTicks() - start < 500) {
      Pump(self);
      if (active && SDL_GetKeyboardFocus() == window) break;
      SDL_Delay(5);
    }
    // Without a window manager, geometry asked for while the window was
    // being mapped can be lost; asking again costs nothing.
    if (!managed) ApplyMode();
    Pump(self);
    AdoptHeldKeys();
    if (SDL_GetGlobalMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK) {
      left = 1;
      leftFromDesktop = true;
    }
    SyncPointer();
  }
};

SdlPlatform::SdlPlatform() : impl_(std::make_unique<Impl>()) {
  InstallStopHandlers();
  impl_->random.seed(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
}

SdlPlatform::~SdlPlatform() {
  impl_->audio.CloseAll();
  close();
  SDL_Quit();
}

void SdlPlatform::configure(int, std::string_view, int windowed, int) {
  // The program asks for full screen; the development window comes from the
  // environment so the magazine itself still takes no command line.
  const char* env = std::getenv("KORVELD_WINDOWED");
  impl_->fullscreen = !(windowed != 0 || (env && std::strcmp(env, "1") == 0));
}

void SdlPlatform::setEscapeCloses(int flag) { impl_->escapeCloses = flag; }

int SdlPlatform::open(std::string_view title, int width, int height) {
  Impl& s = *impl_;
  s.width = width;
  s.height = height;
  const char* chosen = std::getenv("SDL_VIDEODRIVER");
  const bool userChoseDriver = chosen && *chosen;
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (!userChoseDriver) {
    // Only the driver whose display is named is tried: another one would
    // print its own complaint before ours.
    if (x11 && *x11) {
      SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    } else if (wayland && *wayland) {
      SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland");
    } else {
      std::fprintf(stderr, "korveld: cannot open the display: %s\n",
                   x11 || wayland ? "DISPLAY is empty" : "neither DISPLAY nor WAYLAND_DISPLAY is set");
      return 0;
    }
  }
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    if (!userChoseDriver && x11 && *x11) {
      std::fprintf(stderr, "korveld: cannot open the display: cannot reach X display %s\n", x11);
    } else {
      std::fprintf(stderr, "korveld: cannot open the display: %s\n", SDL_GetError());
    }
    return 0;
  }
  s.videoUp = true;
  // Without a display SDL quietly falls back to drivers that show nothing;
  // unless the user chose one, that is no display at all.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && !userChoseDriver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
    std::fprintf(stderr, "korveld: cannot open the display: no X11 or Wayland display found\n");
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    s.videoUp = false;
    return 0;
  }
  const std::string name(title);
  // Hidden until its mode is set, so it appears once, already full screen.
  s.window = SDL_CreateWindow(name.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                              SDL_WINDOW_HIDDEN);
  if (!s.window) {
    std::fprintf(stderr, "korveld: cannot open the display: %s\n", SDL_GetError());
    return 0;
  }
  s.renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_PRESENTVSYNC);
  if (!s.renderer) s.renderer = SDL_CreateRenderer(s.window, -1, 0);
  if (!s.renderer) {
    std::fprintf(stderr, "korveld: cannot open the display: %s\n", SDL_GetError());
    return 0;
  }
  // Prefer a texture in the frame's own layout; otherwise convert each row.
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(s.renderer, &info);
  const TextureChoice* choice = nullptr;
  for (const TextureChoice& c : kTextureChoices) {
    for (Uint32 i = 0; i < info.num_texture_formats && !choice; ++i)
      if (info.texture_formats[i] == c.sdlFormat) choice = &c;
    if (choice) break;
  }
  if (!choice) choice = &kTextureChoices[0];
  s.format = choice->format;
  s.texture = SDL_CreateTexture(s.renderer, choice->sdlFormat, SDL_TEXTUREACCESS_STREAMING, width, height);
  if (!s.texture) {
    std::fprintf(stderr, "korveld: cannot open the display: %s\n", SDL_GetError());
    return 0;
  }
  if (s.format != PixelFormat::kXrgb32) s.converted.resize(static_cast<std::size_t>(width) * height * 4);
  s.managed = WindowManagerRuns(s.window);
  s.ApplyMode();
  SDL_ShowWindow(s.window);
  // Without a window manager the keyboard follows the pointer unless given.
  if (!s.managed) SDL_SetWindowInputFocus(s.window);
  s.ComputeTarget();
  SDL_DisableScreenSaver();
  s.audio.SetWindow(s.window);
  s.Settle(*this);
  return 1;
}

int SdlPlatform::update(const std::uint32_t* frame) {
  Impl& s = *impl_;
  if (!s.window) return 0;
  s.Pump(*this);
  if (!s.active) return 1;
  const int bytes = BytesPerPixel(s.format);
  if (s.format == PixelFormat::kXrgb32) {
    if (SDL_UpdateTexture(s.texture, nullptr, frame, s.width * 4) != 0) return 0;
  } else {
    for (int y = 0; y < s.height; ++y)
      ConvertRow(s.format, frame + static_cast<std::size_t>(y) * s.width,
                 s.converted.data() + static_cast<std::size_t>(y) * s.width * bytes, s.width);
    if (SDL_UpdateTexture(s.texture, nullptr, s.converted.data(), s.width * bytes) != 0) return 0;
  }
  SDL_SetRenderDrawColor(s.renderer, 0, 0, 0, 255);
  SDL_RenderClear(s.renderer);
  SDL_RenderCopy(s.renderer, s.texture, nullptr, &s.target);
  SDL_RenderPresent(s.renderer);
  std::this_thread::yield();
  return 1;
}

bool SdlPlatform::waitIfHidden() {
  Impl& s = *impl_;
  if (!s.window) return false;
  s.Pump(*this);
  if (s.active) return false;
  SDL_DisplayMode mode{};
  int hz = 60;
  if (SDL_GetWindowDisplayMode(s.window, &mode) == 0 && mode.refresh_rate > 0) hz = mode.refresh_rate;
  SDL_Delay(static_cast<Uint32>(1000 / hz));
  return true;
}

void SdlPlatform::close() {
  Impl& s = *impl_;
  if (s.texture) SDL_DestroyTexture(s.texture);
  if (s.renderer) SDL_DestroyRenderer(s.renderer);
  if (s.window) SDL_DestroyWindow(s.window);
  s.texture = nullptr;
  s.renderer = nullptr;
  s.window = nullptr;
  s.audio.SetWindow(nullptr);
  if (s.videoUp) {
    SDL_EnableScreenSaver();
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    s.videoUp = false;
  }
}

void SdlPlatform::hideCursor() { SDL_ShowCursor(SDL_DISABLE); }
int SdlPlatform::mouseX() const { return impl_->mouseX; }
int SdlPlatform::mouseY() const { return impl_->mouseY; }
int SdlPlatform::leftButton() const { return impl_->left; }
int SdlPlatform::rightButton() const { return impl_->right; }
int SdlPlatform::wheel() const { return impl_->wheel; }

std::uint16_t SdlPlatform::keyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  std::uint16_t state = impl_->down[vk] ? kKeyDown : 0;
  if (impl_->pressed[vk]) state |= kKeyPressed;
  impl_->pressed[vk] = false;
  return state;
}

double SdlPlatform::timer() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - impl_->epoch).count();
}

void SdlPlatform::sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(std::max(ms, 0))); }
double SdlPlatform::random() { return impl_->random.next(); }

void SdlPlatform::seedRandomFromTimer() {
  impl_->random.seed(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
}

BufferQueueDevice& SdlPlatform::queueDevice() { return impl_->audio.queue(); }
LoopingDevice& SdlPlatform::loopingDevice() { return impl_->audio.looping(); }
ThreadService& SdlPlatform::threads() { return impl_->audio.threads(); }

void SdlPlatform::messageBox(std::string_view caption, std::string_view text) {
  gBoxesOpen.fetch_add(1);
  impl_->audio.ShowError(std::string(caption), std::string(text));
  gBoxesOpen.fetch_sub(1);
}

}  // namespace korveld::platform
