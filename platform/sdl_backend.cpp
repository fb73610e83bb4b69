// The SDL2 backend's platform calls; the window lives in sdl_window.cpp, the
// events in sdl_events.cpp.
#include "platform/sdl_backend.hpp"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/sdl_state.hpp"

namespace korveld::platform {

SdlPlatform::SdlPlatform() : state_(std::make_unique<SdlState>(input())) {
  InstallStopHandlers();
  state_->random.seed(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
}

SdlPlatform::~SdlPlatform() {
  state_->audio.CloseAll();
  close();
  SDL_Quit();
}

void SdlPlatform::configure(int windowed) {
  // The program asks for full screen; the development window comes from the
  // environment so the magazine itself still takes no command line.
  const char* env = std::getenv("KORVELD_WINDOWED");
  state_->fullscreen = !(windowed != 0 || (env && std::strcmp(env, "1") == 0));
}

int SdlPlatform::open(std::string_view title, int width, int height) {
  SdlState& s = *state_;
  s.width = width;
  s.height = height;
  if (!OpenWindow(s, title)) return 0;
  Settle(s);
  return 1;
}

int SdlPlatform::update(const std::uint32_t* frame, std::span<const std::uint8_t> changedRows) {
  SdlState& s = *state_;
  if (!s.window) return 0;
  Pump(s);
  if (!s.active) {
    s.textureStale = true;
    return 1;
  }
  if (!PresentFrame(s, frame, changedRows)) return 0;
  std::this_thread::yield();
  return 1;
}

bool SdlPlatform::waitIfHidden() {
  SdlState& s = *state_;
  if (!s.window) return false;
  Pump(s);
  if (s.active) return false;
  SDL_Delay(static_cast<Uint32>(DisplayFrameMs(s)));
  return true;
}

void SdlPlatform::close() { CloseWindow(*state_); }
void SdlPlatform::hideCursor() { SDL_ShowCursor(SDL_DISABLE); }

double SdlPlatform::timer() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - state_->epoch).count();
}

void SdlPlatform::sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(std::max(ms, 0))); }
double SdlPlatform::random() { return state_->random.next(); }

void SdlPlatform::seedRandomFromTimer() {
  state_->random.seed(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
}

BufferQueueDevice& SdlPlatform::queueDevice() { return state_->audio.queue(); }
LoopingDevice& SdlPlatform::loopingDevice() { return state_->audio.looping(); }
ThreadService& SdlPlatform::threads() { return state_->audio.threads(); }

void SdlPlatform::messageBox(std::string_view caption, std::string_view text) {
  ShowErrorBox(*state_, caption, text);
}

}  // namespace korveld::platform
