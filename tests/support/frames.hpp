// Small helpers for tests that look at drawn frames.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/image_io.hpp"
#include "render/screen.hpp"

namespace korveld::support {

// A frame on the heap (it holds 1.8 MB), filled with `colour`.
inline std::unique_ptr<render::ScreenBuffer> MakeFrame(std::uint32_t colour = 0) {
  auto frame = std::make_unique<render::ScreenBuffer>();
  frame->clear(colour);
  return frame;
}

// Pixels of the frame that are not `colour`.
inline int CountNot(const render::ScreenBuffer& frame, std::uint32_t colour) {
  int n = 0;
  for (std::uint32_t p : frame.pixels) n += p != colour;
  return n;
}

// The frame's golden hash: the platform's own frame hash.
inline std::uint64_t HashFrame(const render::ScreenBuffer& frame) {
  return platform::FrameHash(frame.pixels.data(), static_cast<int>(frame.pixels.size()));
}

}  // namespace korveld::support
