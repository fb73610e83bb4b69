#include "platform/input.hpp"

namespace korveld::platform {
namespace {

bool IsKey(int vk) { return vk > 0 && vk < kKeyCount; }

std::uint16_t Word(bool down, bool& pressed) {
  const auto state = static_cast<std::uint16_t>((down ? kKeyDown : 0) | (pressed ? kKeyPressed : 0));
  pressed = false;
  return state;
}

}  // namespace

void KeyDown(InputState& in, int vk) {
  if (!IsKey(vk)) return;
  if (!in.down[vk]) in.pressed[vk] = true;
  in.down[vk] = true;
}

void KeyUp(InputState& in, int vk) {
  if (IsKey(vk)) in.down[vk] = false;
}

void KeyHeld(InputState& in, int vk) {
  if (IsKey(vk)) in.down[vk] = true;
}

void ButtonDown(InputState& in) {
  if (!in.buttonDown) in.buttonPressed = true;
  in.buttonDown = true;
}

void ButtonUp(InputState& in) { in.buttonDown = false; }
void ButtonHeld(InputState& in) { in.buttonDown = true; }

void ReleaseAll(InputState& in) {
  in.down.fill(false);
  in.buttonDown = false;
}

std::uint16_t PollKey(InputState& in, int vk) {
  return IsKey(vk) ? Word(in.down[vk], in.pressed[vk]) : 0;
}

std::uint16_t PollButton(InputState& in) { return Word(in.buttonDown, in.buttonPressed); }

}  // namespace korveld::platform
