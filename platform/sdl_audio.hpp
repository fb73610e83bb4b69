// The SDL2 side of the sound, the player threads and the error box: SDL's
// pull callback is the sink of the program's one sound stream. Included only
// by the SDL backend.
#pragma once

#include <memory>
#include <string>

#include "platform/audio.hpp"

struct SDL_Window;

namespace korveld::platform {

class SdlAudio {
 public:
  SdlAudio();
  ~SdlAudio();
  BufferQueueDevice& queue();
  LoopingDevice& looping();
  ThreadService& threads();
  // The error box sits above this window (none: a free-standing box).
  void SetWindow(SDL_Window* window);
  // Main thread only, as SDL wants for its message boxes.
  void ShowError(const std::string& caption, const std::string& text);
  // Fades out what still sounds, lets it play out and closes the device.
  void CloseAll();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace korveld::platform
