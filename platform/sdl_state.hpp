// The SDL backend's state and the steps its files share: the window and its
// presentation (sdl_window.cpp), the event pump (sdl_events.cpp) and the
// platform calls (sdl_backend.cpp). Included only inside the SDL backend.
#pragma once

#include <SDL.h>

#include <array>
#include <chrono>
#include <string_view>
#include <vector>

#include "platform/converters.hpp"
#include "platform/platform.hpp"
#include "platform/scaling.hpp"
#include "platform/sdl_audio.hpp"

namespace korveld::platform {

struct SdlState {
  explicit SdlState(InputState& input_) : input(input_) {}
  InputState& input;  // the platform's input record, fed by Pump
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  PixelFormat format = PixelFormat::kXrgb32;
  std::vector<std::uint8_t> converted;  // used only when the texture is not 0x00RRGGBB
  // The texture may not hold the frame presented last (none yet, a frame not
  // shown, a window or renderer event): the next present uploads every row.
  bool textureStale = true;
  int width = 800, height = 600;
  bool videoUp = false;
  bool vsync = false;       // presenting waits for the display
  Uint32 nextPresent = 0;   // without vsync: the earliest next present, SDL ticks
  bool fullscreen = true;
  bool managed = true;  // a window manager places and sizes the window
  bool wayland = false;  // no global pointer position, no window position
  int active = 0;
  // The left button was down before the window saw a press: its release goes
  // to another window, so the desktop's button state is read until it is up.
  bool leftFromDesktop = false;
  std::array<bool, kKeyCount> keyFromDesktop{};  // held since before the window had the keyboard
  ScaleMode scaleMode = ScaleMode::kFill;  // Alt+S switches
  FramePlacement placement;                // where the frame lands in renderer pixels
  SDL_Rect target{0, 0, 800, 600};         // the same as an SDL rectangle
  // After a mode change the pointer is put back over this frame position as
  // the new geometry arrives, until keepPointerUntil (SDL ticks).
  int keepX = 0, keepY = 0;
  Uint32 keepPointerUntil = 0;
  RandomGenerator random;
  std::chrono::steady_clock::time_point epoch = std::chrono::steady_clock::now();
  SdlAudio audio;
};

// --- sdl_window.cpp ----------------------------------------------------------
// Video, window, renderer and texture; false (with one line on stderr) when
// no display can be had.
bool OpenWindow(SdlState& s, std::string_view title);
// Where the frame lands in the window for its current size.
void ComputeTarget(SdlState& s);
// Window coordinates to frame coordinates, clamped onto the frame.
void MapMouse(SdlState& s, int wx, int wy);
// The pointer where it really is now, mapped with the geometry of this moment.
void SyncPointer(SdlState& s);
// Full screen or windowed, as s.fullscreen says.
void ApplyMode(SdlState& s);
// Until s.keepPointerUntil: the system pointer moved to the kept frame
// position in the current geometry; after it, the pointer mapped as it is.
void KeepPointer(SdlState& s);
// Converts and uploads the changed rows of a frame (all of them while the
// texture is stale) and shows it; false when it could not be handed over.
bool PresentFrame(SdlState& s, const std::uint32_t* frame, std::span<const std::uint8_t> changedRows);
// Milliseconds of one frame of the window's display.
int DisplayFrameMs(SdlState& s);
void CloseWindow(SdlState& s);

// --- sdl_events.cpp ----------------------------------------------------------
// Ctrl+C, termination requests and closing the window end the program with
// status 0.
void InstallStopHandlers();
// Handles every waiting event.
void Pump(SdlState& s);
// Lets a new window settle before its first frame.
void Settle(SdlState& s);
// The error box; Ctrl+C while it is open ends the process.
void ShowErrorBox(SdlState& s, std::string_view caption, std::string_view text);

}  // namespace korveld::platform
