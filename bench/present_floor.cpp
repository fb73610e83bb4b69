// The floor the idle viewer's main thread is read against: the plainest SDL
// program that shows a changing 800 x 600 frame, through the renderer the
// magazine prefers, with the usual loop (events, upload the whole frame,
// clear, copy, present, sleep 1 ms), paced like the magazine: by the present
// where the renderer waits for the display, otherwise one frame of a 60 Hz
// display at most. It draws nothing itself: each frame is one of two
// precomputed pictures, so its cost is what showing a frame costs here.
// Runs until SIGTERM or SIGINT, then prints its frame rate and renderer.
//   korveld-present-floor
#include <SDL.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

volatile std::sig_atomic_t gStop = 0;

void Stop(int) { gStop = 1; }

constexpr int kWidth = 800, kHeight = 600;
constexpr Uint32 kPeriodMs = 1000 / 60;

}  // namespace

int main() {
  std::signal(SIGTERM, Stop);
  std::signal(SIGINT, Stop);
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "korveld-present-floor: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("floor", 0, 0, kWidth, kHeight, SDL_WINDOW_BORDERLESS);
  // The renderer the magazine prefers: OpenGL ES 2 where SDL has it.
  int preferred = -1;
  for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
    SDL_RendererInfo driver{};
    if (SDL_GetRenderDriverInfo(i, &driver) == 0 && std::strcmp(driver.name, "opengles2") == 0) preferred = i;
  }
  const Uint32 flags = SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC;
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, preferred, flags) : nullptr;
  if (window && !renderer) renderer = SDL_CreateRenderer(window, -1, flags);
  SDL_Texture* texture = renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                                      kWidth, kHeight)
                                  : nullptr;
  if (!texture) {
    std::fprintf(stderr, "korveld-present-floor: %s\n", SDL_GetError());
    return 1;
  }
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(renderer, &info);
  const bool vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
  std::vector<std::uint32_t> pictures[2];
  for (int k = 0; k < 2; ++k) {
    pictures[k].resize(static_cast<std::size_t>(kWidth) * kHeight);
    for (std::size_t i = 0; i < pictures[k].size(); ++i)
      pictures[k][i] = static_cast<std::uint32_t>((i + k * 977) * 2654435761u) & 0xFFFFFFu;
  }
  long frames = 0;
  const Uint32 start = SDL_GetTicks();
  Uint32 nextPresent = start;
  while (!gStop) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
    SDL_UpdateTexture(texture, nullptr, pictures[frames & 1].data(), kWidth * 4);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
    ++frames;
    if (!vsync) {
      const Uint32 now = SDL_GetTicks();
      if (static_cast<Sint32>(nextPresent - now) > 0) SDL_Delay(nextPresent - now);
      nextPresent = (static_cast<Sint32>(nextPresent - now) > 0 ? nextPresent : now) + kPeriodMs;
    }
    SDL_Delay(1);
  }
  std::printf("%.1f frames a second, renderer %s%s\n", frames * 1000.0 / std::max<Uint32>(SDL_GetTicks() - start, 1),
              info.name, vsync ? ", paced by the display" : "");
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
