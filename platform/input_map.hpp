// Input event mapping shared by the real backend and its tests.
#pragma once

#include <array>
#include <cstdint>

#include "platform/platform.hpp"

namespace korveld::platform {

// The notches a wheel event adds to the wheel counter (positive away from the
// user). Smooth-scrolling devices send events for part of a notch, with the
// whole notches at 0 until the motion adds up to one; those add nothing. A
// fast turn may carry several notches in one event.
inline int WheelNotches(int wholeY, bool flipped) { return flipped ? -wholeY : wholeY; }

// The asynchronous key state, kept from key events that arrive in batches
// once per presented frame. A key that goes down and up again within one
// batch stays down until the next batch, so the queries in between see it
// down and pressed: a tap shorter than a frame still passes the press test.
class KeyStates {
 public:
  // Before the events of a new batch: the taps of the last one go up now.
  void BeginBatch() {
    for (std::size_t vk = 0; vk < kKeys; ++vk) {
      if (releaseLater_[vk]) down_[vk] = false;
      releaseLater_[vk] = false;
      downInBatch_[vk] = false;
    }
  }
  void KeyDown(int vk, bool repeat) {
    if (!Valid(vk)) return;
    const auto k = static_cast<std::size_t>(vk);
    if (!repeat && !down_[k]) {
      pressed_[k] = true;
      downInBatch_[k] = true;
    }
    down_[k] = true;
    releaseLater_[k] = false;
  }
  void KeyUp(int vk) {
    if (!Valid(vk)) return;
    const auto k = static_cast<std::size_t>(vk);
    if (downInBatch_[k]) {
      releaseLater_[k] = true;
    } else {
      down_[k] = false;
    }
  }
  // Down now (0x8000) and pressed since the previous query of this key (0x0001).
  std::uint16_t Query(int vk) {
    if (!Valid(vk)) return 0;
    const auto k = static_cast<std::size_t>(vk);
    std::uint16_t state = down_[k] ? kKeyDown : 0;
    if (pressed_[k]) state |= kKeyPressed;
    pressed_[k] = false;
    return state;
  }

 private:
  static constexpr std::size_t kKeys = 256;
  static bool Valid(int vk) { return vk >= 0 && vk < static_cast<int>(kKeys); }
  std::array<bool, kKeys> down_{};
  std::array<bool, kKeys> pressed_{};
  std::array<bool, kKeys> downInBatch_{};
  std::array<bool, kKeys> releaseLater_{};
};

}  // namespace korveld::platform
