// Shared by the intro tests: a platform whose clock and random numbers the
// test controls, frame hashing, golden files and PNG snapshots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.hpp"
#include "render/intro.hpp"
#include "render/screen.hpp"

namespace korveld::testing {

// Time moves only by sleepMs and by `presentSeconds` per update. random()
// returns the scripted values first, then a fixed-seed sequence.
class FakePlatform : public platform::Platform {
 public:
  FakePlatform();
  ~FakePlatform() override;

  double now = 100.0;
  double presentSeconds = 0.0;
  std::vector<double> scripted;
  std::size_t nextScripted = 0;
  platform::RandomGenerator generator;
  int presents = 0;
  int sleeps = 0;
  std::uint64_t lastFrameHash = 0;

  void configure(int, std::string_view, int, int) override {}
  void setEscapeCloses(int) override {}
  int open(std::string_view, int, int) override { return 1; }
  int update(const std::uint32_t* frame) override;
  void close() override {}
  void hideCursor() override {}
  int mouseX() const override { return 0; }
  int mouseY() const override { return 0; }
  int leftButton() const override { return 0; }
  int rightButton() const override { return 0; }
  int wheel() const override { return 0; }
  std::uint16_t keyState(int) override { return 0; }
  double timer() override { return now; }
  void sleepMs(int ms) override {
    now += ms / 1000.0;
    ++sleeps;
  }
  double random() override;
  void seedRandomFromTimer() override {}
  platform::BufferQueueDevice& queueDevice() override;
  platform::LoopingDevice& loopingDevice() override;
  platform::ThreadService& threads() override;
  void messageBox(std::string_view, std::string_view) override {}

 private:
  struct Devices;
  Devices* devices_;
};

std::uint64_t HashFrame(const render::ScreenBuffer& frame);
std::string Hex(std::uint64_t value);

// An intro set up as the program does it: texts, font, stars from a fixed
// random sequence, scroller started at `start`.
void SetUpIntro(render::IntroState& intro, FakePlatform& platform);

// One intro frame in the program's order; the clocks advance by `seconds`.
// With `present` the frame is presented and cleared for the next one, and
// `shot` (when given) receives a copy of it as presented.
struct IntroClocks {
  double clock = 0.0;
  double delta = 0.0;
};
void RunIntroFrame(render::ScreenBuffer& frame, render::IntroState& intro, FakePlatform& platform,
                   IntroClocks& clocks, double seconds, bool present, render::ScreenBuffer* shot = nullptr);

// Writes the frame as a PNG into $KORVELD_INTRO_PNG_DIR when that is set.
void MaybeWritePng(const render::ScreenBuffer& frame, const std::string& name);

// Golden hashes live in tests/intro/golden_hashes.txt as "name hex" lines.
// With KORVELD_UPDATE_GOLDEN=1 the check rewrites the entry and fails, so the
// switch cannot be left on by accident.
void ExpectGolden(const std::string& name, std::uint64_t hash);

}  // namespace korveld::testing
