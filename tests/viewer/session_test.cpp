// The whole program on the headless backend, run from scripts as
// korveld-render runs them, against stored hashes: the text area (rows
// 176..599) of three frames, and a whole reading session (every page from the
// menus, RULES and HELP, both skins, tunes, pause and resume, QUIT) with the
// header band of six checkpoints hashed and the sound checked against each
// tune's first block. A mismatched frame is left as build/golden_<name>.png.
// To regenerate on purpose:
//   KORVELD_REGENERATE_GOLDEN=1 ./build/korveld_tests_viewer --gtest_filter='GoldenFrames.*:Session.*'
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "content/xm/xm_modules.hpp"
#include "platform/image_io.hpp"
#include "platform/sound_output.hpp"
#include "tests/support/golden.hpp"
#include "viewer/skins.hpp"
#include "viewer_test_helpers.hpp"
#include "xm/xm_player.hpp"

namespace korveld {
namespace {

using Frame = testing::RecordingPlatform::Frame;

constexpr int kFirstRow = 176;

void CheckGolden(const std::string& name, const std::string& script) {
  testing::RecordingPlatform run(script);
  ASSERT_EQ(run.run(), 0);
  const int width = render::kScreenWidth, height = render::kScreenHeight;
  support::ExpectGolden(KORVELD_SOURCE_DIR "/tests/viewer/golden/frames.txt", name,
                        platform::FrameHash(run.last.data() + kFirstRow * width, (height - kFirstRow) * width));
  std::string error;
  if (::testing::Test::HasFailure())
    platform::WritePng(KORVELD_BINARY_DIR "/golden_" + name + ".png", run.last.data(), width, height, &error);
}

// Intro ended with Escape, then the change-over's three seconds of flashes.
constexpr const char* kToViewer = "wait 3\nkey escape\nwait 4\n";
// Charts menu, then its fourth left entry, then the thumb dragged to the
// bar's middle and the pointer moved away.
constexpr const char* kToPage4Middle =
    "move 79 74\nclick\nwait 0.5\nmove 200 102\nclick\nwait 3\n"
    "move 782 376\npress\nwait 0.3\nunpress\nmove 400 300\nwait 0.5\n";

TEST(GoldenFrames, Page11AtStart) {
  CheckGolden("page11", std::string(kToViewer) + "move 400 300\nwait 0.5\nkey escape\n");
}

TEST(GoldenFrames, Page4ScrolledToTheMiddle) {
  CheckGolden("page4_middle", std::string(kToViewer) + kToPage4Middle + "key escape\n");
}

TEST(GoldenFrames, Page4ThumbHovered) {
  CheckGolden("page4_thumb_hovered", std::string(kToViewer) + kToPage4Middle + "move 782 380\nwait 0.6\nkey escape\n");
}

struct Step {
  std::string label;
  std::string commands;
  double seconds;  // the wait that ends the step
};

std::vector<Step> SessionSteps() {
  std::vector<Step> steps{{"start", "wait 2.5\nkey escape\n", 4.0}};
  auto click = [&](const std::string& label, int x, int y, double seconds) {
    steps.push_back({label, "move " + std::to_string(x) + " " + std::to_string(y) + "\nclick\n", seconds});
  };
  // The articles menu: pages 13..16 in rows 2..5, then 11 again; the charts
  // menu's pages in both columns; RULES (12) and HELP (10).
  for (auto [page, x, y] : {std::tuple{13, 200, 78}, {14, 200, 90}, {15, 200, 102}, {16, 200, 114}, {11, 200, 66}})
    click("page " + std::to_string(page), x, y, 3.2);
  click("charts menu", 450, 114, 0.5);
  for (auto [page, x, y] : {std::tuple{1, 200, 66}, {2, 200, 78}, {3, 200, 90}, {4, 200, 102}, {5, 200, 114},
                            {6, 450, 66}, {7, 450, 78}, {8, 450, 90}, {9, 450, 102}, {12, 700, 76}, {10, 700, 101}})
    click("page " + std::to_string(page), x, y, 3.2);
  click("paused", 700, 51, 1.0);
  steps.push_back({"resumed", "click\n", 1.0});
  click("tune 2", 100, 142, 1.5);
  steps.push_back({"carbon", "key f2\n", 0.5});
  click("tune 3", 690, 141, 1.5);
  click("carbon paused", 730, 58, 1.0);
  click("carbon page 2", 200, 78, 3.2);
  click("carbon resumed", 730, 58, 1.0);
  steps.push_back({"grunge", "key f1\n", 0.5});
  click("quit", 60, 50, 2.0);
  return steps;
}

std::uint64_t RegionHash(const Frame& f, int y0, int y1, int x0 = 0, int x1 = 799) {
  std::vector<std::uint32_t> region;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) region.push_back(f[y * 800 + x] & 0xFFFFFF);
  return platform::BytesHash(region.data(), region.size() * 4);
}

// The first block of tune n as the XM player renders it, after the fade-in
// that starts every tune: what the sound device plays from then on.
std::vector<std::int16_t> TuneStart(int n) {
  platform::HeadlessPlatform quiet({}, {});
  xm::XmPlayer player;
  xm::XmPlayerInit(player, quiet);
  const auto image = content::XmModuleImage(n);
  EXPECT_TRUE(xm::LoadSongFromMemory(player, image.data(), static_cast<std::int32_t>(image.size())));
  EXPECT_TRUE(xm::BeginOfflineRender(player, player.CurrentSong.get()));
  xm::FillBlock(player);
  const std::int16_t* pcm = xm::BlockPcm(player, 0);
  std::vector<std::int16_t> block(pcm + 2 * platform::kRampFrames, pcm + 2 * xm::kBlockFrames);
  xm::StopSong(player);
  xm::FreeSong(player);
  return block;
}

// Where (in seconds) `audio` first repeats `block` exactly between `from`
// and `to`; -1 when it does not.
double FindBlock(const std::vector<std::int16_t>& audio, const std::vector<std::int16_t>& block, double from,
                 double to) {
  const std::size_t first = static_cast<std::size_t>(std::max(0.0, from) * 44100) * 2;
  const std::size_t last = std::min(static_cast<std::size_t>(to * 44100) * 2, audio.size() - block.size());
  for (std::size_t i = first; i <= last; i += 2)
    if (std::equal(block.begin(), block.end(), audio.begin() + static_cast<std::ptrdiff_t>(i))) return i / 2 / 44100.0;
  return -1.0;
}

bool Silent(const std::vector<std::int16_t>& audio, double from, double to) {
  for (std::size_t i = static_cast<std::size_t>(from * 44100) * 2; i < static_cast<std::size_t>(to * 44100) * 2 && i < audio.size(); ++i)
    if (audio[i] != 0) return false;
  return true;
}

// The largest step into or out of a silence of 10 ms or more, and from the
// last frame to the silence after the end.
int LargestEdgeStep(const std::vector<std::int16_t>& audio) {
  const auto level = [&](std::size_t frame) { return std::max(std::abs(audio[2 * frame]), std::abs(audio[2 * frame + 1])); };
  const std::size_t frames = audio.size() / 2;
  int most = level(frames - 1);
  for (std::size_t i = 0, run = 0; i < frames; ++i) {
    if (level(i) == 0) {
      ++run;
      continue;
    }
    if (run >= 441 && i > run) most = std::max({most, level(i), level(i - run - 1)});
    run = 0;
  }
  return most;
}

// One run of the program serves every check: it is the expensive part.
TEST(Session, ReadsTheWholeIssue) {
  std::string script;
  std::vector<std::pair<double, std::string>> checkpoints;
  std::map<std::string, std::pair<double, double>> window;
  double t = 0.0;
  for (const Step& s : SessionSteps()) {
    std::ostringstream wait;
    wait << "wait " << s.seconds << "\n";
    script += s.commands + wait.str();
    // Waits start when the step's commands have run (a key or click takes a
    // couple of frames); the frame is kept a little before the step's end.
    t += (s.commands.find("key ") != std::string::npos || s.commands.find("click") != std::string::npos) ? 0.05 : 0.0;
    if (s.label == "start") t += 2.5;
    window[s.label] = {t, t + s.seconds};
    t += s.seconds;
    checkpoints.emplace_back(t - 0.2, s.label);
  }
  platform::HeadlessOptions options;
  options.captureAudio = true;
  options.maxSeconds = 200.0;
  testing::RecordingPlatform run(script, options, checkpoints);
  ASSERT_EQ(run.run(), 0);
  EXPECT_FALSE(run.scriptDone());  // QUIT ended the program during the last wait
  ASSERT_EQ(run.shots.size(), SessionSteps().size() - 1);  // every step but the quit step's end
  auto shot = [&](const std::string& label) -> const Frame& { return run.shots.at(label); };
  viewer::SkinState skins;
  viewer::DecodeSkins(skins);
  viewer::BuildAllBackgrounds(skins);

  {
    SCOPED_TRACE("every page shows its own text; page 11 again looks as at the start");
    std::map<std::uint64_t, std::string> seen;
    const Frame bare(skins.background[0].begin(), skins.background[0].end());
    const std::uint64_t blank = RegionHash(bare, 193, 569, 20, 767);
    for (const std::string page : {"page 11", "page 13", "page 14", "page 15", "page 16", "page 1", "page 2", "page 3",
                                   "page 4", "page 5", "page 6", "page 7", "page 8", "page 9", "page 12", "page 10"}) {
      const std::uint64_t text = RegionHash(shot(page), 193, 569, 20, 767);
      EXPECT_NE(text, blank) << page << " shows no text";
      EXPECT_TRUE(seen.emplace(text, page).second) << page << " looks like " << seen[text];
    }
    EXPECT_EQ(RegionHash(shot("start"), 193, 569, 20, 760), RegionHash(shot("page 11"), 193, 569, 20, 760));
  }
  {
    SCOPED_TRACE("the music follows the buttons");
    const auto audio = run.capturedAudio();
    const auto tune1 = TuneStart(1), tune2 = TuneStart(2), tune3 = TuneStart(3);
    ASSERT_FALSE(std::all_of(tune1.begin(), tune1.end(), [](std::int16_t v) { return v == 0; }));
    // Tune 1 starts with the viewer, after the change-over's noise flashes.
    EXPECT_GT(FindBlock(audio, tune1, 4.0, window["start"].second), 5.0);
    // MUTE: silence until the second click, which plays tune 1 from its start.
    const auto paused = window["paused"];
    EXPECT_TRUE(Silent(audio, paused.first + 0.15, paused.second - 0.15));
    EXPECT_FALSE(Silent(audio, paused.first - 1.0, paused.first - 0.1));
    EXPECT_GT(FindBlock(audio, tune1, window["resumed"].first - 0.1, window["resumed"].second), 0.0);
    // MUSIC 2 and MUSIC 3 start their tunes where they are clicked.
    for (const auto& [label, tune] : {std::pair{"tune 2", &tune2}, std::pair{"tune 3", &tune3}}) {
      const double at = FindBlock(audio, *tune, window[label].first - 0.1, window[label].second);
      EXPECT_GT(at, 0.0) << label;
      EXPECT_LT(at, window[label].first + 0.3) << label;
    }
    // Every start and stop (the intro's tune, MUTE, MUSIC n, QUIT) ramps: a
    // cut would step by a few thousand.
    EXPECT_LE(LargestEdgeStep(audio), 256);
    // Paused on the second skin through a page change, then tune 3 again.
    EXPECT_TRUE(Silent(audio, window["carbon paused"].first + 0.15, window["carbon page 2"].second - 0.15));
    EXPECT_GT(FindBlock(audio, tune3, window["carbon resumed"].first - 0.1, window["carbon resumed"].second), 0.0);
  }
  for (const std::string label : {"start", "charts menu", "paused", "resumed", "carbon paused", "carbon resumed"}) {
    std::string key = label + " header";
    std::replace(key.begin(), key.end(), ' ', '_');
    support::ExpectGolden(KORVELD_SOURCE_DIR "/tests/viewer/golden/session.txt", key, RegionHash(shot(label), 0, 186));
  }
}

}  // namespace
}  // namespace korveld
