#include "viewer_test_helpers.hpp"


namespace korveld::testing {
int ScriptedPlatform::update(const std::uint32_t* frame) {
  ++presents_;
  now_ += presentSeconds;
  if (onPresent) onPresent(frame);
  return 1;
}

std::uint16_t ScriptedPlatform::keyState(int vk) {
  std::uint16_t& state = keys_[vk & 0xFF];
  const std::uint16_t result = state;
  state &= static_cast<std::uint16_t>(~platform::kKeyPressed);
  return result;
}


std::unique_ptr<app::Program> MakeViewerProgram(ScriptedPlatform& platform) {
  auto program = app::MakeProgram(platform);
  app::StartUp(*program);
  viewer::BuildAllBackgrounds(program->viewer.skins);
  return program;
}

void SetPointer(app::Program& p, int x, int y, int left) {
  viewer::MouseState& mouse = p.viewer.mouse;
  mouse.x = x;
  mouse.y = y;
  mouse.left = left;
  if (left == 0) mouse.ClickLatch = 0;
}

std::uint64_t FrameHash(const std::uint32_t* pixels) {
  std::uint64_t h = 1469598103934665603ull;
  for (int i = 0; i < render::kScreenWidth * render::kScreenHeight; ++i) {
    const std::uint32_t v = pixels[i] & 0xFFFFFF;
    for (int k = 0; k < 3; ++k) {
      h ^= (v >> (8 * k)) & 0xFF;
      h *= 1099511628211ull;
    }
  }
  return h;
}

}  // namespace korveld::testing
