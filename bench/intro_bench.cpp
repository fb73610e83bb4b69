// One whole intro frame: raster bars, wave tables, stars, title lines, the
// scroller with its reflection, and the background clear for the next frame,
// beside a bare copy and fill of a frame (target: at most 2.5 times the copy).
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/frame_floor.hpp"
#include "platform/platform.hpp"
#include "render/intro.hpp"

namespace {

using namespace korveld;

struct Scene {
  std::unique_ptr<render::IntroState> intro = std::make_unique<render::IntroState>();
  std::unique_ptr<render::ScreenBuffer> frame = std::make_unique<render::ScreenBuffer>();
  double clock = 0.0;
  double timer = 100.0;

  Scene() {
    render::StoreIntroTexts(*intro);
    render::InitIntro(*intro);
    platform::RandomGenerator random;
    random.seed(35);
    for (int i = 1; i <= render::kStarCount; ++i) {
      intro->stars.x[i] = random.next() * 800;
      intro->stars.y[i] = random.next() * 470 + 22;
    }
    // Start in the middle of the contents list: a screen full of glyphs.
    intro->scroll.pos = static_cast<int>(intro->ScrollText.find("THE CHARTS")) + 1;
    render::StartScroller(*intro, timer);
  }

  void Frame() {
    constexpr double kSeconds = 1.0 / 60.0;
    constexpr double kDelta = kSeconds * 250;
    render::RasterBars(*frame, *intro, clock);
    render::WaveTables(*intro, clock);
    render::StarField(*frame, *intro, kDelta);
    render::TitleLines(*frame, *intro, clock);
    render::Scroller(*frame, *intro, kDelta, timer);
    render::IntroBackground(*frame, *intro);
    clock += kSeconds * 50;
    timer += kSeconds;
  }
};

void BM_IntroFrame(benchmark::State& state) {
  Scene scene;
  bench::TimeAgainstFloor(state, [&] {
    scene.Frame();
    benchmark::DoNotOptimize(scene.frame->pixels.data());
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_IntroFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_WaveTables(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) {
    render::WaveTables(*scene.intro, scene.clock);
    scene.clock += 0.8;
    benchmark::DoNotOptimize(scene.intro->waves.scrollerRow.data());
  }
}
BENCHMARK(BM_WaveTables)->Unit(benchmark::kMicrosecond);

void BM_ScrollerDraw(benchmark::State& state) {
  Scene scene;
  render::WaveTables(*scene.intro, 10.0);
  for (auto _ : state) {
    render::DrawScroller(*scene.frame, *scene.intro);
    benchmark::DoNotOptimize(scene.frame->pixels.data());
  }
}
BENCHMARK(BM_ScrollerDraw)->Unit(benchmark::kMicrosecond);

}  // namespace
