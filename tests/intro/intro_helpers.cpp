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

class NullQueue : public platform::BufferQueueDevice {
 public:
  int open(const platform::PcmFormat&, platform::WaveDoneCallback, void*) override { return platform::kWaveBadDevice; }
  bool isOpen() const override { return false; }
  int pause() override { return 0; }
  int restart() override { return 0; }
  int reset() override { return 0; }
  int close() override { return 0; }
  int prepare(platform::WaveHeader*) override { return 0; }
  int unprepare(platform::WaveHeader*) override { return 0; }
  int write(platform::WaveHeader*) override { return 0; }
  std::string errorText(int) const override { return "no device"; }
};

class NullLooping : public platform::LoopingDevice {
 public:
  bool open(const platform::PcmFormat&) override { return false; }
  bool isOpen() const override { return false; }
  bool start(const std::uint8_t*, std::size_t) override { return false; }
  void write(std::size_t, const std::uint8_t*, std::size_t) override {}
  std::uint64_t positionBytes() override { return 0; }
  void reset() override {}
  void close() override {}
};

class NullThreads : public platform::ThreadService {
 public:
  Handle start(std::function<void()>, bool) override { return 0; }
  void join(Handle) override {}
  void sleepMs(int) override {}
};

const char* GoldenPath() { return KORVELD_SOURCE_DIR "/tests/intro/golden_hashes.txt"; }

}  // namespace

struct FakePlatform::Devices {
  NullQueue queue;
  NullLooping looping;
  NullThreads threads;
};

FakePlatform::FakePlatform() : devices_(new Devices) { generator.seed(35); }
FakePlatform::~FakePlatform() { delete devices_; }

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

platform::BufferQueueDevice& FakePlatform::queueDevice() { return devices_->queue; }
platform::LoopingDevice& FakePlatform::loopingDevice() { return devices_->looping; }
platform::ThreadService& FakePlatform::threads() { return devices_->threads; }

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
  const char* update = std::getenv("KORVELD_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    entries[name] = Hex(hash);
    std::ofstream out(GoldenPath());
    out << "# Hashes (FNV-1a 64 over the pixels) of intro frames. Regenerate with\n"
           "#   KORVELD_UPDATE_GOLDEN=1 ./build/korveld_tests_intro\n"
           "# then run again without the variable and look at the pictures first\n"
           "# (KORVELD_INTRO_PNG_DIR=folder writes them).\n";
    for (const auto& [key, value] : entries) out << key << ' ' << value << '\n';
    ADD_FAILURE() << "golden hash of " << name << " rewritten; unset KORVELD_UPDATE_GOLDEN";
    return;
  }
  const auto found = entries.find(name);
  ASSERT_NE(found, entries.end()) << "no golden hash for " << name << " (regenerate: KORVELD_UPDATE_GOLDEN=1)";
  EXPECT_EQ(found->second, Hex(hash)) << "frame " << name << " changed";
}

}  // namespace korveld::testing
