// The input record: the one place where keys, the left button, the pointer
// and the wheel are kept. Every backend feeds it with the events its system
// reports, as they come; the loops poll it (through Platform) and never see
// the events themselves.
//
// A press is latched until it is polled: a key or click that goes down and
// up again between two polls still counts, once. A held test is true while
// the key is down (and once more for a press already released).
#pragma once

#include <array>
#include <cstdint>

namespace korveld::platform {

// Virtual-key numbers the program uses.
enum VirtualKey : int {
  kVkEscape = 27,
  kVkPageUp = 33,
  kVkPageDown = 34,
  kVkEnd = 35,
  kVkHome = 36,
  kVkLeft = 37,
  kVkUp = 38,
  kVkRight = 39,
  kVkDown = 40,
  kVkF1 = 112,  // F1..F12 are 112..123
  kVkF12 = 123,
};
inline constexpr int kKeyCount = 256;  // virtual keys 0..255

// State word of a key or the button: top bit down now, bit 0 pressed since
// the previous poll of that key (or of the button).
inline constexpr std::uint16_t kKeyDown = 0x8000;
inline constexpr std::uint16_t kKeyPressed = 0x0001;
inline bool PressTest(std::uint16_t state) { return (state & kKeyPressed) != 0; }
inline bool HeldTest(std::uint16_t state) { return state != 0; }

struct InputState {
  std::array<bool, kKeyCount> down{};
  std::array<bool, kKeyCount> pressed{};  // went down since its last poll
  bool buttonDown = false;                // the left mouse button
  bool buttonPressed = false;
  int mouseX = 0, mouseY = 0;  // frame coordinates, 0..799 and 0..599
  int wheel = 0;               // notches, positive away from the user
};

// Events. A key-down for a key already down (auto-repeat, or a second
// keyboard) is no new press. Keys outside 1..255 are ignored.
void KeyDown(InputState& in, int vk);
void KeyUp(InputState& in, int vk);
// Down since before the window could see it go down (held at launch, or
// when the window gains the keyboard): held, never a press.
void KeyHeld(InputState& in, int vk);
void ButtonDown(InputState& in);
void ButtonUp(InputState& in);
void ButtonHeld(InputState& in);
// The window lost the keyboard and the pointer: releases go elsewhere, so
// nothing counts as down any more. Presses not yet polled still count.
void ReleaseAll(InputState& in);

// Polls: the state word, clearing the pressed bit of that key (or of the
// button) only.
std::uint16_t PollKey(InputState& in, int vk);
std::uint16_t PollButton(InputState& in);

}  // namespace korveld::platform
