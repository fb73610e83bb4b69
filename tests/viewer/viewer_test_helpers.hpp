// The two test platforms of the viewer and program tests, one per need:
// ScriptedPlatform, for calling the viewer's parts directly with the mouse,
// keys and clock the test sets; RecordingPlatform, the headless backend
// running the whole program from a script and keeping the frames it shows;
// and PageBuilder, synthetic pages for the page tests.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/program.hpp"
#include "content/pages/page_content.hpp"
#include "platform/headless.hpp"
#include "platform/null_platform.hpp"

namespace korveld::testing {

// The clock moves only when the program sleeps or presents; every presented
// frame is counted and handed to onPresent. Input goes into the platform's
// input record as a backend's events would.
class ScriptedPlatform : public platform::NullPlatform {
 public:
  void setMouse(int x, int y, int left) {
    input().mouseX = x;
    input().mouseY = y;
    if (left != 0) {
      platform::ButtonDown(input());
    } else {
      platform::ButtonUp(input());
    }
  }
  void pressKey(int vk) { platform::KeyDown(input(), vk); }
  void releaseKey(int vk) { platform::KeyUp(input(), vk); }
  int presents() const { return presents_; }
  std::function<void(const std::uint32_t*)> onPresent;
  double presentSeconds = 0.004;  // virtual time one present takes

  int update(const std::uint32_t* frame, std::span<const std::uint8_t> = {}) override;
  double timer() override { return now_; }
  void sleepMs(int ms) override { now_ += ms / 1000.0; }
  double random() override { return 0.5; }

 private:
  double now_ = 0.0;
  int presents_ = 0;
};

// Keeps the last shown frame and, for each checkpoint (virtual seconds,
// label), the first frame presented at or after that time. A run past the
// time limit ends the test binary with status 124.
class RecordingPlatform : public platform::HeadlessPlatform {
 public:
  using Frame = std::vector<std::uint32_t>;
  explicit RecordingPlatform(const std::string& script, platform::HeadlessOptions options = {},
                             std::vector<std::pair<double, std::string>> checkpoints = {});
  int update(const std::uint32_t* frame, std::span<const std::uint8_t> changedRows = {}) override;
  int run() { return app::RunProgram(*this); }
  Frame last;
  std::map<std::string, Frame> shots;

 private:
  std::vector<std::pair<double, std::string>> checkpoints_;
  std::size_t next_ = 0;
};

// Page lines for StorePage, with the strings the sources view kept alive.
inline const std::string kOnes(80, '1');  // colour or style codes all '1'
struct PageBuilder {
  std::deque<std::string> owned;
  std::vector<content::PageLineSource> lines;

  PageBuilder& Line(std::string text, std::string colour, std::string style, std::string glow) {
    lines.push_back({owned.emplace_back(std::move(text)), owned.emplace_back(std::move(colour)),
                     owned.emplace_back(std::move(style)), owned.emplace_back(std::move(glow))});
    return *this;
  }
  PageBuilder& Text(std::string text, std::string glow = "0") { return Line(std::move(text), kOnes, kOnes, std::move(glow)); }
  PageBuilder& End() { return Text("<END>"); }
};

// A program in the state the viewer loop starts from: start-up tables,
// decoded skins and built backgrounds, page 11 loaded.
std::unique_ptr<app::Program> MakeViewerProgram(ScriptedPlatform& platform);

// Sets the pointer and button as PollInput would have left them.
void SetPointer(app::Program& p, int x, int y, int left);

}  // namespace korveld::testing
