// The SDL backend's window and presentation: desktop full screen (or an
// 800 x 600 window with KORVELD_WINDOWED=1), the frame placed by PlaceFrame
// (platform/scaling.hpp), letterboxed in black: nearest-neighbour at or above
// the frame's size, filtered only when shrunk below it.
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/sdl_state.hpp"
#include "platform/x11_desktop.hpp"

namespace korveld::platform {
namespace {

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

bool CannotOpen(const char* why) {
  std::fprintf(stderr, "korveld: cannot open the display: %s\n", why);
  return false;
}

// Only the driver whose display is named is tried: another one would print
// its own complaint before ours. False when no display is named at all.
bool ChooseDriver(bool userChoseDriver) {
  if (userChoseDriver) return true;
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (x11 && *x11) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  } else if (wayland && *wayland) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland");
  } else {
    return CannotOpen(x11 || wayland ? "DISPLAY is empty" : "neither DISPLAY nor WAYLAND_DISPLAY is set");
  }
  return true;
}

void LoseAudio(void* state) { static_cast<SdlState*>(state)->audio.CloseAll(); }

bool StartVideo(SdlState& s) {
  const char* chosen = std::getenv("SDL_VIDEODRIVER");
  const bool userChoseDriver = chosen && *chosen;
  if (!ChooseDriver(userChoseDriver)) return false;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    const char* x11 = std::getenv("DISPLAY");
    if (!userChoseDriver && x11 && *x11) {
      std::fprintf(stderr, "korveld: cannot open the display: cannot reach X display %s\n", x11);
      return false;
    }
    return CannotOpen(SDL_GetError());
  }
  s.videoUp = true;
  WatchDisplayErrors(LoseAudio, &s);
  // Without a display SDL quietly falls back to drivers that show nothing;
  // unless the user chose one, that is no display at all.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && !userChoseDriver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    s.videoUp = false;
    return CannotOpen("no X11 or Wayland display found");
  }
  return true;
}

// GL drivers reserve hundreds of megabytes of address space, and some crash
// inside renderer creation when they cannot have it: under a limit below
// this the frame is drawn by SDL's software renderer from the start.
constexpr rlim_t kGlAddressSpace = rlim_t{1} << 30;

bool AddressSpaceTight() {
  rlimit limit{};
  return getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < kGlAddressSpace;
}

// The index of the OpenGL ES 2 renderer, or -1 (SDL's own choice) when it is
// missing or the user named a renderer. It takes the frame's bytes as they
// are and swaps the channels in its shader; the desktop OpenGL renderer
// hands our 0x00RRGGBB pixels to the driver as BGRA, which a software GL
// driver converts pixel by pixel on the main thread, every frame.
int PreferredRenderer() {
  const char* chosen = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  if (chosen && *chosen) return -1;
  for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
    SDL_RendererInfo info{};
    if (SDL_GetRenderDriverInfo(i, &info) == 0 && std::strcmp(info.name, "opengles2") == 0) return i;
  }
  return -1;
}

// The display's own renderer, paced by the display; failing that, SDL's
// software renderer, paced by PresentFrame.
SDL_Renderer* MakeRenderer(SdlState& s) {
  SDL_Renderer* renderer = nullptr;
  if (AddressSpaceTight()) {
    // The software renderer draws into the window's surface, which SDL would
    // otherwise back with a GL texture.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  } else {
    const int preferred = PreferredRenderer();
    if (preferred >= 0)
      renderer = SDL_CreateRenderer(s.window, preferred, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!renderer) renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!renderer) renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_ACCELERATED);
  }
  if (!renderer) renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_SOFTWARE);
  SDL_RendererInfo info{};
  s.vsync = renderer && SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC);
  return renderer;
}

// Prefer a texture in the frame's own layout; otherwise convert each row.
bool MakeTexture(SdlState& s) {
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
  s.texture = SDL_CreateTexture(s.renderer, choice->sdlFormat, SDL_TEXTUREACCESS_STREAMING, s.width, s.height);
  if (!s.texture) return CannotOpen(SDL_GetError());
  if (s.format != PixelFormat::kXrgb32) s.converted.resize(static_cast<std::size_t>(s.width) * s.height * 4);
  return true;
}

}  // namespace

bool OpenWindow(SdlState& s, std::string_view title) {
  if (!StartVideo(s)) return false;
  const std::string name(title);
  // Hidden until its mode is set, so it appears once, already full screen.
  s.window = SDL_CreateWindow(name.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, s.width, s.height,
                              SDL_WINDOW_HIDDEN);
  if (!s.window) return CannotOpen(SDL_GetError());
  s.renderer = MakeRenderer(s);
  if (!s.renderer) return CannotOpen(SDL_GetError());
  if (!MakeTexture(s)) return false;
  s.managed = WindowManagerRuns(s.window);
  const char* driver = SDL_GetCurrentVideoDriver();
  s.wayland = driver && std::strcmp(driver, "wayland") == 0;
  ApplyMode(s);
  SDL_ShowWindow(s.window);
  // Without a window manager the keyboard follows the pointer unless given.
  if (!s.managed) SDL_SetWindowInputFocus(s.window);
  ComputeTarget(s);
  SDL_DisableScreenSaver();
  s.audio.SetWindow(s.window);
  return true;
}

void ComputeTarget(SdlState& s) {
  int ow = s.width, oh = s.height;
  SDL_GetRendererOutputSize(s.renderer, &ow, &oh);
  s.placement = PlaceFrame(ow, oh, s.width, s.height, s.scaleMode);
  s.target = {s.placement.x, s.placement.y, s.placement.w, s.placement.h};
  SDL_SetTextureScaleMode(s.texture, s.placement.smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
}

namespace {

// Window coordinates and renderer pixels differ where the display scales.
double WindowToOutput(SdlState& s, int v, bool vertical) {
  int ww = 1, wh = 1, ow = 1, oh = 1;
  SDL_GetWindowSize(s.window, &ww, &wh);
  SDL_GetRendererOutputSize(s.renderer, &ow, &oh);
  return vertical ? static_cast<double>(v) * oh / std::max(wh, 1) : static_cast<double>(v) * ow / std::max(ww, 1);
}

}  // namespace

// The letterbox bars report positions outside the frame: clamped onto it.
void MapMouse(SdlState& s, int wx, int wy) {
  const FramePoint f =
      ScreenToFrame(s.placement, s.width, s.height, WindowToOutput(s, wx, false), WindowToOutput(s, wy, true));
  s.input.mouseX = f.x;
  s.input.mouseY = f.y;
}

// Mouse events queued before a move, resize or mode change carry positions
// relative to the old geometry; this corrects them. Wayland tells no global
// position and no window position: there the pointer's place in the window
// under it is the truth.
void SyncPointer(SdlState& s) {
  int gx = 0, gy = 0, wx = 0, wy = 0;
  if (s.wayland) {
    if (SDL_GetMouseFocus() != s.window) return;
    SDL_GetMouseState(&gx, &gy);
  } else {
    SDL_GetGlobalMouseState(&gx, &gy);
    SDL_GetWindowPosition(s.window, &wx, &wy);
  }
  MapMouse(s, gx - wx, gy - wy);
}

void KeepPointer(SdlState& s) {
  ComputeTarget(s);
  // Wayland lets no client move the pointer: the mapping follows it instead.
  if (s.wayland || static_cast<Sint32>(s.keepPointerUntil - SDL_GetTicks()) <= 0) return SyncPointer(s);
  const FramePoint p = FrameToScreen(s.placement, s.width, s.height, s.keepX, s.keepY);
  int ww = 1, wh = 1, ow = 1, oh = 1;
  SDL_GetWindowSize(s.window, &ww, &wh);
  SDL_GetRendererOutputSize(s.renderer, &ow, &oh);
  // Warps are relative to the window, whose size is what SDL saw last.
  SDL_WarpMouseInWindow(s.window, p.x * ww / std::max(ow, 1), p.y * wh / std::max(oh, 1));
  s.input.mouseX = s.keepX;
  s.input.mouseY = s.keepY;
}

// Full screen with a window manager is its job; without one nobody acts on
// the request and the window would stay 800 x 600 while SDL reports the
// desktop size, so the window covers the display itself, borderless.
void ApplyMode(SdlState& s) {
  SDL_Rect bounds{0, 0, s.width, s.height};
  const int display = std::max(0, SDL_GetWindowDisplayIndex(s.window));
  SDL_GetDisplayBounds(display, &bounds);
  if (s.managed) {
    SDL_SetWindowFullscreen(s.window, s.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (!s.fullscreen) {
      SDL_SetWindowSize(s.window, s.width, s.height);
      SDL_SetWindowPosition(s.window, SDL_WINDOWPOS_CENTERED_DISPLAY(display), SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    }
  } else if (s.fullscreen) {
    SDL_SetWindowBordered(s.window, SDL_FALSE);
    SDL_SetWindowPosition(s.window, bounds.x, bounds.y);
    SDL_SetWindowSize(s.window, bounds.w, bounds.h);
  } else {
    SDL_SetWindowBordered(s.window, SDL_TRUE);
    SDL_SetWindowSize(s.window, s.width, s.height);
    SDL_SetWindowPosition(s.window, bounds.x + (bounds.w - s.width) / 2, bounds.y + (bounds.h - s.height) / 2);
  }
  ComputeTarget(s);
  KeepPointer(s);
}

bool PresentFrame(SdlState& s, const std::uint32_t* frame, std::span<const std::uint8_t> changedRows) {
  const int bytes = BytesPerPixel(s.format);
  if (s.textureStale) changedRows = {};
  // Stale until every band is in: a failed upload leaves the texture unknown.
  s.textureStale = true;
  bool uploaded = true;
  ForEachChangedBand(changedRows, s.height, [&](int first, int count) {
    const SDL_Rect band{0, first, s.width, count};
    const std::uint32_t* rows = frame + static_cast<std::size_t>(first) * s.width;
    if (s.format == PixelFormat::kXrgb32) {
      uploaded = uploaded && SDL_UpdateTexture(s.texture, &band, rows, s.width * 4) == 0;
      return;
    }
    std::uint8_t* out = s.converted.data() + static_cast<std::size_t>(first) * s.width * bytes;
    for (int y = 0; y < count; ++y)
      ConvertRow(s.format, rows + static_cast<std::size_t>(y) * s.width,
                 out + static_cast<std::size_t>(y) * s.width * bytes, s.width);
    uploaded = uploaded && SDL_UpdateTexture(s.texture, &band, out, s.width * bytes) == 0;
  });
  if (!uploaded) return false;
  s.textureStale = false;
  SDL_SetRenderDrawColor(s.renderer, 0, 0, 0, 255);
  SDL_RenderClear(s.renderer);
  SDL_RenderCopy(s.renderer, s.texture, nullptr, &s.target);
  SDL_RenderPresent(s.renderer);
  if (!s.vsync) {
    // Nothing waits for the display: one frame of it at most per present.
    const Uint32 now = SDL_GetTicks();
    const Uint32 period = static_cast<Uint32>(DisplayFrameMs(s));
    if (static_cast<Sint32>(s.nextPresent - now) > 0) SDL_Delay(s.nextPresent - now);
    s.nextPresent = std::max(s.nextPresent, now) + period;
  }
  return true;
}

int DisplayFrameMs(SdlState& s) {
  SDL_DisplayMode mode{};
  int hz = 60;
  if (SDL_GetWindowDisplayMode(s.window, &mode) == 0 && mode.refresh_rate > 0) hz = mode.refresh_rate;
  return 1000 / hz;
}

void CloseWindow(SdlState& s) {
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

}  // namespace korveld::platform
