// The viewer's per-frame cost: one full frame (skin copy, buttons, menus,
// line glows and page text, spectrum, ticker, scroll thumb, pointer), the
// skin copy alone, and a whole page change (150 wipe frames presented on the
// headless backend).
#include <benchmark/benchmark.h>

#include "content/startup/startup_data.hpp"
#include "platform/headless.hpp"
#include "viewer/program.hpp"

namespace {

using namespace korveld;

std::unique_ptr<viewer::Program> ViewerProgram(platform::Platform& platform) {
  auto program = viewer::MakeProgram(platform);
  viewer::Program& p = *program;
  viewer::FillPageStore(p.pages);
  viewer::LoadPage(p, 11);
  viewer::StoreTickerTexts(p.ticker);
  viewer::StoreMenuLabels(p.menus);
  viewer::DecodeSkins(p.skins);
  render::BuildFontTables(p.font);
  const auto data = content::StartupDataList();
  render::BuildPointerImages(p.pointers, data.subspan(0, render::kPointerCodeCount));
  viewer::InitButtonTables(p.buttons);
  render::FillSpectrumColours(p.spectrum);
  viewer::ReadButtonTable(p.buttons, data.subspan(render::kPointerCodeCount, viewer::kButtonItems));
  render::InitSpectrum(p.spectrum);
  viewer::BuildBackgrounds(p.skins, 0, 0, 799, 599, 0, 0);
  // Hover a menu row and a button, and keep some bars up.
  p.mouse.x = 200;
  p.mouse.y = 65;
  p.buttons.glow[1] = 60;
  for (int i = 0; i < 40; i += 3) p.spectrum.heights[i] = 136.0;
  return program;
}

void BM_ViewerFrame(benchmark::State& state) {
  platform::HeadlessPlatform platform({}, {});
  auto program = ViewerProgram(platform);
  viewer::Program& p = *program;
  for (auto _ : state) {
    viewer::ComposeViewerFrame(p);
    if (p.view.LineCount > 32) {
      viewer::DrawScrollThumb(p);
      viewer::HandleScrollBar(p);
    }
    render::DrawPointer(p.frame, p.pointers, p.PointerState, p.mouse.x, p.mouse.y);
    p.spine.GlowPhase += 4.0;
    for (int i = 0; i < 40; i += 3) p.spectrum.heights[i] = 136.0;
    benchmark::DoNotOptimize(p.frame.pixels.data());
  }
  state.counters["lines"] = p.view.LineCount;
}
BENCHMARK(BM_ViewerFrame)->Unit(benchmark::kMicrosecond);

void BM_SkinBackgroundCopy(benchmark::State& state) {
  platform::HeadlessPlatform platform({}, {});
  auto program = ViewerProgram(platform);
  for (auto _ : state) {
    viewer::CopySkinBackground(*program);
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
    viewer::WipeClose(*program);
    viewer::LoadPage(*program, page);
    viewer::WipeOpen(*program);
  }
  state.counters["frames"] = benchmark::Counter(150.0 * state.iterations());
}
BENCHMARK(BM_PageChange)->Unit(benchmark::kMillisecond);

}  // namespace
