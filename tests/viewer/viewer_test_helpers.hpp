// A scripted stand-in for the platform: the tests set the mouse and keys,
// the clock moves only when the program sleeps or presents, and every
// presented frame is counted (and optionally inspected).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/null_platform.hpp"
#include "app/program.hpp"

namespace korveld::testing {

class ScriptedPlatform : public platform::NullPlatform {
 public:
  // Scripting.
  void setMouse(int x, int y, int left) {
    mouseX_ = x;
    mouseY_ = y;
    left_ = left;
  }
  void pressKey(int vk) { keys_[vk & 0xFF] = platform::kKeyDown | platform::kKeyPressed; }
  void releaseKey(int vk) { keys_[vk & 0xFF] = 0; }
  int presents() const { return presents_; }
  // Called with every presented frame.
  std::function<void(const std::uint32_t*)> onPresent;
  double presentSeconds = 0.004;  // virtual time one present takes

  int update(const std::uint32_t* frame) override;
  int mouseX() const override { return mouseX_; }
  int mouseY() const override { return mouseY_; }
  int leftButton() const override { return left_; }
  std::uint16_t keyState(int vk) override;
  double timer() override { return now_; }
  void sleepMs(int ms) override { now_ += ms / 1000.0; }
  double random() override { return 0.5; }

 private:
  int mouseX_ = 0, mouseY_ = 0, left_ = 0;
  std::array<std::uint16_t, 256> keys_{};
  double now_ = 0.0;
  int presents_ = 0;
};

// A program in the state the viewer loop starts from: start-up tables,
// decoded skins and built backgrounds, page 11 loaded.
std::unique_ptr<app::Program> MakeViewerProgram(ScriptedPlatform& platform);

// Sets the pointer and button as PollInput would have left them.
void SetPointer(app::Program& p, int x, int y, int left);

// FNV-1a of a frame's low 24 bits.
std::uint64_t FrameHash(const std::uint32_t* pixels);

}  // namespace korveld::testing
