#include "intro_helpers.hpp"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace korveld::testing {
namespace {

const char* GoldenPath() { return KORVELD_SOURCE_DIR "/tests/intro/golden_hashes.txt"; }

}  // namespace

int FakePlatform::update(const std::uint32_t* frame) {
  ++presents;
  std::uint64_t h = 1469598103934665603ull;
  for (int i = 0; i < render::kScreenWidth * render::kScreenHeight; ++i) {
    h = (h ^ (frame[i] & 0xFFFFFFu)) * 1099511628211ull;
  }
  lastFrameHash = h;
  now += presentSeconds;
  return 1;
}

double FakePlatform::random() {
  if (nextScripted < scripted.size()) return scripted[nextScripted++];
  return generator.next();
}


std::uint64_t HashFrame(const render::ScreenBuffer& frame) {
  std::uint64_t h = 1469598103934665603ull;
  for (std::uint32_t p : frame.pixels) h = (h ^ (p & 0xFFFFFFu)) * 1099511628211ull;
  return h;
}

std::string Hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

void SetUpIntro(render::IntroState& intro, FakePlatform& platform) {
  render::StoreIntroTexts(intro);
  render::InitIntro(intro);
  render::PlaceStars(intro, platform);
  render::StartScroller(intro, platform.timer());
}

void RunIntroFrame(render::ScreenBuffer& frame, render::IntroState& intro, FakePlatform& platform,
                   IntroClocks& clocks, double seconds, bool present, render::ScreenBuffer* shot) {
  const double start = platform.timer();
  render::RasterBars(frame, intro, clocks.clock);
  render::WaveTables(intro, clocks.clock);
  render::StarField(frame, intro, clocks.delta);
  render::TitleLines(frame, intro, clocks.clock);
  render::Scroller(frame, intro, clocks.delta, platform.timer());
  if (shot != nullptr) *shot = frame;
  if (present) {
    platform.update(frame.pixels.data());
    render::IntroBackground(frame, intro);
  }
  platform.now = start + seconds;
  clocks.delta = (platform.timer() - start) * 250.0;
  clocks.clock += (platform.timer() - start) * 50.0;
}

void MaybeWritePng(const render::ScreenBuffer& frame, const std::string& name) {
  const char* dir = std::getenv("KORVELD_INTRO_PNG_DIR");
  if (dir == nullptr || *dir == '\0') return;
  std::vector<std::uint8_t> rgb;
  rgb.reserve(frame.pixels.size() * 3);
  for (std::uint32_t p : frame.pixels) {
    rgb.push_back(static_cast<std::uint8_t>(p >> 16));
    rgb.push_back(static_cast<std::uint8_t>(p >> 8));
    rgb.push_back(static_cast<std::uint8_t>(p));
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = render::kScreenWidth;
  image.height = render::kScreenHeight;
  image.format = PNG_FORMAT_RGB;
  const std::string path = std::string(dir) + "/" + name + ".png";
  EXPECT_NE(png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr), 0) << path;
}

void ExpectGolden(const std::string& name, std::uint64_t hash) {
  std::map<std::string, std::string> entries;
  {
    std::ifstream in(GoldenPath());
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      std::string key, value;
      if (line.empty() || line[0] == '#' || !(fields >> key >> value)) continue;
      entries[key] = value;
    }
  }
  const char* update = std::getenv("KORVELD_REGENERATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    entries[name] = Hex(hash);
    std::ofstream out(GoldenPath());
    out << "# Hashes (FNV-1a 64 over the pixels) of intro frames. Regenerate with\n"
           "#   KORVELD_REGENERATE_GOLDEN=1 ./build/korveld_tests_intro\n"
           "# then run again without the variable and look at the pictures first\n"
           "# (KORVELD_INTRO_PNG_DIR=folder writes them).\n";
    for (const auto& [key, value] : entries) out << key << ' ' << value << '\n';
    ADD_FAILURE() << "golden hash of " << name << " rewritten; unset KORVELD_REGENERATE_GOLDEN";
    return;
  }
  const auto found = entries.find(name);
  ASSERT_NE(found, entries.end()) << "no golden hash for " << name << " (regenerate: KORVELD_REGENERATE_GOLDEN=1)";
  EXPECT_EQ(found->second, Hex(hash)) << "frame " << name << " changed";
}

}  // namespace korveld::testing
