#include "viewer_test_helpers.hpp"

#include <gtest/gtest.h>

namespace korveld::testing {
namespace {

std::vector<platform::ScriptCommand> ParseOrFail(const std::string& script) {
  std::vector<platform::ScriptCommand> commands;
  std::string error;
  EXPECT_TRUE(platform::ParseScript(script, &commands, &error)) << error;
  return commands;
}

}  // namespace

int ScriptedPlatform::update(const std::uint32_t* frame, std::span<const std::uint8_t>) {
  ++presents_;
  now_ += presentSeconds;
  if (onPresent) onPresent(frame);
  return 1;
}

RecordingPlatform::RecordingPlatform(const std::string& script, platform::HeadlessOptions options,
                                     std::vector<std::pair<double, std::string>> checkpoints)
    : HeadlessPlatform(options, ParseOrFail(script)), checkpoints_(std::move(checkpoints)) {}

int RecordingPlatform::update(const std::uint32_t* frame, std::span<const std::uint8_t> changedRows) {
  const std::size_t size = static_cast<std::size_t>(render::kScreenWidth) * render::kScreenHeight;
  const double now = timer();
  const int shown = HeadlessPlatform::update(frame, changedRows);
  last.assign(shownFrame(), shownFrame() + size);  // as shown: a changed row left out shows
  for (; next_ < checkpoints_.size() && now >= checkpoints_[next_].first; ++next_)
    shots[checkpoints_[next_].second] = last;
  return shown;
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

}  // namespace korveld::testing
