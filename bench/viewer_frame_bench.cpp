// The viewer's per-frame cost: one full frame (skin copy, buttons, menus,
// line glows and page text, spectrum, ticker, scroll thumb, pointer) beside
// a bare copy and fill of a frame (target: at most twice the copy), the skin
// copy alone, and a whole page change (150 wipe frames presented on the
// headless backend).
#include <benchmark/benchmark.h>

#include "app/program.hpp"
#include "bench/frame_floor.hpp"
#include "platform/headless.hpp"
#include "viewer/frame.hpp"

namespace {

using namespace korveld;

std::unique_ptr<app::Program> ViewerProgram(platform::Platform& platform) {
  auto program = app::MakeProgram(platform);
  app::StartUp(*program);
  viewer::Viewer& v = program->viewer;
  viewer::BuildAllBackgrounds(v.skins);
  // Hover a menu row and a button, and keep some bars up.
  v.mouse.x = 200;
  v.mouse.y = 65;
  v.buttons.glow[1] = 60;
  for (int i = 0; i < 40; i += 3) v.spectrum.heights[i] = 136.0;
  return program;
}

void BM_ViewerFrame(benchmark::State& state) {
  platform::HeadlessPlatform platform({}, {});
  auto program = ViewerProgram(platform);
  app::Program& p = *program;
  viewer::Viewer& v = p.viewer;
  bench::TimeAgainstFloor(state, [&] {
    viewer::UpdateHover(v, true);
    viewer::ComposeViewerFrame(p.frame, v, p.xm, p.spine.GlowPhase);
    viewer::DrawScrollBarAndPointer(p.frame, v);
    viewer::UpdateScrollBar(v);
    p.spine.GlowPhase += 4.0;
    for (int i = 0; i < 40; i += 3) v.spectrum.heights[i] = 136.0;
    benchmark::DoNotOptimize(p.frame.pixels.data());
  });
  state.counters["lines"] = v.view.LineCount;
}
BENCHMARK(BM_ViewerFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_SkinBackgroundCopy(benchmark::State& state) {
  platform::HeadlessPlatform platform({}, {});
  auto program = ViewerProgram(platform);
  for (auto _ : state) {
    viewer::CopySkinBackground(program->frame, program->viewer.skins, program->viewer.view.CurrentSkin);
    benchmark::DoNotOptimize(program->frame.pixels.data());
  }
}
BENCHMARK(BM_SkinBackgroundCopy)->Unit(benchmark::kMicrosecond);

void BM_PageChange(benchmark::State& state) {
  platform::HeadlessOptions options;
  options.maxSeconds = 1e9;
  platform::HeadlessPlatform platform(options, {});
  auto program = ViewerProgram(platform);
  int page = 11;
  for (auto _ : state) {
    page = page == 11 ? 13 : 11;
    app::ChangePage(*program, page);
  }
  state.counters["frames"] = benchmark::Counter(150.0 * state.iterations());
}
BENCHMARK(BM_PageChange)->Unit(benchmark::kMillisecond);

}  // namespace
