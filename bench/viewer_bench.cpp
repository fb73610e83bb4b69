// The viewer's page drawing and page loading, and the whole program's peak
// memory. Page 4 (the longest page) is used; while the pages are not
// in, a page of the same shape stands in for it.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/program.hpp"
#include "platform/headless.hpp"
#include "viewer/frame.hpp"

namespace {

using namespace korveld;

constexpr int kLongPage = 4;

// 1482 full lines with 30 rainbow glow lines, colours and both faces.
struct StandInPage {
  std::deque<std::string> owned;
  std::vector<content::PageLineSource> lines;

  StandInPage() {
    const std::string ones(80, '1');
    for (int i = 0; i < 1482; ++i) {
      std::string text = "  " + std::to_string(i + 1) + ". STAND-IN GROUP ";
      while (text.size() < 80) text += text.size() % 7 == 0 ? '\xB2' : '.';
      std::string colour(80, "1HQ3U"[i % 5]);
      std::string style(80, i % 3 == 0 ? '2' : '1');
      Add(text, colour, style, i % 49 == 10 ? "8" : "0");
    }
    Add("<END>", ones, ones, "0");
  }
  void Add(std::string text, std::string colour, std::string style, std::string glow) {
    for (std::string* s : {&text, &colour, &style, &glow}) owned.push_back(std::move(*s));
    const auto n = owned.size();
    lines.push_back({owned[n - 4], owned[n - 3], owned[n - 2], owned[n - 1]});
  }
};

struct Fixture {
  platform::HeadlessPlatform platform{platform::HeadlessOptions{}, {}};
  std::unique_ptr<app::Program> program = app::MakeProgram(platform);
  viewer::Viewer& viewer = program->viewer;
  render::ScreenBuffer& frame = program->frame;
  double& glowPhase = program->spine.GlowPhase;
  StandInPage standIn;
  std::unique_ptr<render::ScreenBuffer> background = std::make_unique<render::ScreenBuffer>();

  Fixture() {
    app::StartUp(*program);
    if (viewer::PageLineCount(viewer.pages, kLongPage) < 33) viewer::StorePage(viewer.pages, kLongPage, standIn.lines);
    for (int y = 0; y < render::kScreenHeight; ++y)
      for (int x = 0; x < render::kScreenWidth; ++x)
        background->at(x, y) = static_cast<std::uint32_t>((x / 4) << 16 | (y / 3) << 8 | ((x + y) & 0xFF));
  }

  // Page 4 half-way down, in the middle of a smooth scroll, the pointer over
  // the scroll bar.
  void ShowPage4MidScroll() {
    viewer::LoadPage(viewer, kLongPage);
    viewer.view.TopLine = (viewer.view.LineCount - viewer::kVisibleRows) / 2;
    viewer.view.ScrollOffset = 6;
    viewer.mouse.x = 782;
    viewer.mouse.y = 380;
  }

  void DrawRows() {
    render::Rainbow rainbow;
    render::FillRainbow(rainbow, glowPhase);
    viewer::DrawLineGlows(frame, viewer.page, viewer.view, viewer.view.TopLine, rainbow);
    viewer::DrawPageText(frame, viewer.font, viewer.page, viewer.view, viewer.view.TopLine);
  }
};

// The whole program on the headless backend: intro, change-over and a few
// seconds of viewer, then the process's peak resident memory (in MB). It is
// registered first, so that no other benchmark's tables count towards it.
void BM_ProgramPeakMemory(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<platform::ScriptCommand> script;
    std::string error;
    platform::ParseScript("wait 3\nkey escape\nwait 5\nkey pagedown\nwait 1\nkey escape\n", &script, &error);
    platform::HeadlessPlatform platform(platform::HeadlessOptions{}, script);
    benchmark::DoNotOptimize(app::RunProgram(platform));
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_ProgramPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// One viewer frame's page work: the background copy, the glows and text of
// the 33 rows, the thumb and the bar, and the pointer over the thumb.
void BM_ViewerFramePage4MidScroll(benchmark::State& state) {
  Fixture f;
  f.ShowPage4MidScroll();
  for (auto _ : state) {
    std::memcpy(f.frame.pixels.data(), f.background->pixels.data(), sizeof(f.frame.pixels));
    f.DrawRows();
    viewer::UpdateHover(f.viewer, true);
    viewer::DrawScrollBarAndPointer(f.frame, f.viewer);
    viewer::UpdateScrollBar(f.viewer);
    f.glowPhase += 4.0;
    benchmark::DoNotOptimize(f.frame.pixels.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ViewerFramePage4MidScroll)->Unit(benchmark::kMicrosecond);

// The same frame with every row a rainbow glow line: the costliest page.
void BM_ViewerFrameAllRainbowRows(benchmark::State& state) {
  Fixture f;
  viewer::LoadPage(f.viewer, kLongPage);
  for (auto& g : f.viewer.page.glow) g = viewer::LineGlow{8, 0};
  f.viewer.view.TopLine = 100;
  f.viewer.view.ScrollOffset = 6;
  for (auto _ : state) {
    std::memcpy(f.frame.pixels.data(), f.background->pixels.data(), sizeof(f.frame.pixels));
    f.DrawRows();
    f.glowPhase += 4.0;
    benchmark::DoNotOptimize(f.frame.pixels.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ViewerFrameAllRainbowRows)->Unit(benchmark::kMicrosecond);

// The whole drawing of a viewer frame: skin background, buttons, menus,
// glows, text, spectrum, ticker, thumb and bar, pointer.
void BM_FullViewerFramePage4MidScroll(benchmark::State& state) {
  Fixture f;
  viewer::BuildAllBackgrounds(f.viewer.skins);
  f.ShowPage4MidScroll();
  for (auto _ : state) {
    viewer::UpdateHover(f.viewer, true);
    viewer::ComposeViewerFrame(f.frame, f.viewer, f.program->xm, f.glowPhase);
    viewer::DrawScrollBarAndPointer(f.frame, f.viewer);
    viewer::UpdateScrollBar(f.viewer);
    f.glowPhase += 4.0;
    benchmark::DoNotOptimize(f.frame.pixels.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FullViewerFramePage4MidScroll)->Unit(benchmark::kMicrosecond);

void BM_LoadPage(benchmark::State& state) {
  Fixture f;
  int page = kLongPage;
  for (auto _ : state) {
    viewer::LoadPage(f.viewer, page);
    page = page == kLongPage ? 11 : kLongPage;
    benchmark::DoNotOptimize(f.viewer.page.character.data());
  }
}
BENCHMARK(BM_LoadPage)->Unit(benchmark::kMicrosecond);


}  // namespace
