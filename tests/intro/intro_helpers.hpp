// Shared by the intro tests: a platform whose clock and random numbers the
// test controls, frame hashing, golden files and PNG snapshots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/null_platform.hpp"
#include "render/intro.hpp"
#include "render/screen.hpp"

namespace korveld::testing {

// Time moves only by sleepMs and by `presentSeconds` per update. random()
// returns the scripted values first, then a fixed-seed sequence.
class FakePlatform : public platform::NullPlatform {
 public:
  FakePlatform() { generator.seed(35); }

  double now = 100.0;
  double presentSeconds = 0.0;
  std::vector<double> scripted;
  std::size_t nextScripted = 0;
  platform::RandomGenerator generator;
  int presents = 0;
  int sleeps = 0;
  std::uint64_t lastFrameHash = 0;

  int update(const std::uint32_t* frame) override;
  double timer() override { return now; }
  void sleepMs(int ms) override {
    now += ms / 1000.0;
    ++sleeps;
  }
  double random() override;

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
// With KORVELD_REGENERATE_GOLDEN=1 the check rewrites the entry and fails, so the
// switch cannot be left on by accident.
void ExpectGolden(const std::string& name, std::uint64_t hash);

}  // namespace korveld::testing
