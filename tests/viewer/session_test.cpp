// A whole reading session on the headless backend: every enabled page from
// the menus, RULES and HELP, both skins, tune changes, pause and resume, and
// the QUIT button. Frames are captured at checkpoints; the header band of
// chosen checkpoints is compared with stored hashes.
//
// Regenerate the stored hashes (the test then fails on purpose):
//   KORVELD_REGENERATE_GOLDEN=1 ./build/korveld_tests_viewer --gtest_filter=Session.*
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/program.hpp"
#include "platform/headless.hpp"
#include "platform/image_io.hpp"
#include "render/primitives.hpp"
#include "viewer/skins.hpp"
#include "xm/xm_player.hpp"
#include "content/xm/xm_modules.hpp"

namespace korveld {
namespace {

constexpr const char* kGoldenFile = KORVELD_SOURCE_DIR "/tests/viewer/golden/session.txt";

struct Step {
  std::string label;
  std::string commands;
  double seconds;  // the wait that ends the step
};

// Captures the frame presented shortly before the end of each step.
class SessionPlatform : public platform::HeadlessPlatform {
 public:
  SessionPlatform(platform::HeadlessOptions options, std::vector<platform::ScriptCommand> script,
                  std::vector<std::pair<double, std::string>> checkpoints)
      : HeadlessPlatform(options, std::move(script)), checkpoints_(std::move(checkpoints)) {}

  int update(const std::uint32_t* frame) override {
    while (next_ < checkpoints_.size() && timer() >= checkpoints_[next_].first) {
      shots[checkpoints_[next_].second].assign(frame, frame + 800 * 600);
      ++next_;
    }
    return HeadlessPlatform::update(frame);
  }

  std::map<std::string, std::vector<std::uint32_t>> shots;

 private:
  std::vector<std::pair<double, std::string>> checkpoints_;
  std::size_t next_ = 0;
};

std::vector<Step> SessionSteps() {
  std::vector<Step> steps;
  auto page = [&](const std::string& label, int x, int y) {
    steps.push_back({label, "move " + std::to_string(x) + " " + std::to_string(y) + "\nclick\n", 3.2});
  };
  steps.push_back({"start", "wait 2.5\nkey escape\n", 4.0});
  // The articles menu: pages 13..16 in rows 2..5, then 11 again.
  page("page 13", 200, 78);
  page("page 14", 200, 90);
  page("page 15", 200, 102);
  page("page 16", 200, 114);
  page("page 11", 200, 66);
  steps.push_back({"charts menu", "move 450 114\nclick\n", 0.5});
  page("page 1", 200, 66);
  page("page 2", 200, 78);
  page("page 3", 200, 90);
  page("page 4", 200, 102);
  page("page 5", 200, 114);
  page("page 6", 450, 66);
  page("page 7", 450, 78);
  page("page 8", 450, 90);
  page("page 9", 450, 102);
  page("page 12", 700, 76);  // RULES
  page("page 10", 700, 101);  // HELP
  steps.push_back({"paused", "move 700 51\nclick\n", 1.0});
  steps.push_back({"resumed", "click\n", 1.0});
  steps.push_back({"tune 2", "move 100 142\nclick\n", 1.5});
  steps.push_back({"carbon", "key f2\n", 0.5});
  steps.push_back({"tune 3", "move 690 141\nclick\n", 1.5});
  steps.push_back({"carbon paused", "move 730 58\nclick\n", 1.0});
  steps.push_back({"carbon page 2", "move 200 78\nclick\n", 3.2});
  steps.push_back({"carbon resumed", "move 730 58\nclick\n", 1.0});
  steps.push_back({"grunge", "key f1\n", 0.5});
  steps.push_back({"quit", "move 60 50\nclick\n", 2.0});
  return steps;
}

std::uint64_t RegionHash(const std::vector<std::uint32_t>& f, int y0, int y1, int x0 = 0, int x1 = 799) {
  std::vector<std::uint32_t> region;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) region.push_back(f[y * 800 + x] & 0xFFFFFF);
  return platform::BytesHash(region.data(), region.size() * 4);
}

std::map<std::string, std::string> ReadGolden() {
  std::map<std::string, std::string> golden;
  std::ifstream in(kGoldenFile);
  std::string line;
  while (std::getline(in, line)) {
    const auto colon = line.rfind(' ');
    if (line.empty() || line[0] == '#' || colon == std::string::npos) continue;
    golden[line.substr(0, colon)] = line.substr(colon + 1);
  }
  return golden;
}

std::string Hex(std::uint64_t v) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
  return text;
}

class Session : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    std::string script;
    std::vector<std::pair<double, std::string>> checkpoints;
    double t = 0.0;
    for (const Step& s : SessionSteps()) {
      std::ostringstream wait;
      wait << "wait " << s.seconds << "\n";
      script += s.commands + wait.str();
      // Waits start when the step's commands have run (a key or click takes
      // a couple of frames); the capture comes a little before the end.
      t += (s.commands.find("key ") != std::string::npos || s.commands.find("click") != std::string::npos) ? 0.05 : 0.0;
      if (s.label == "start") t += 2.5;
      windows_[s.label] = {t, t + s.seconds};
      t += s.seconds;
      checkpoints.emplace_back(t - 0.2, s.label);
    }
    std::vector<platform::ScriptCommand> commands;
    std::string error;
    ASSERT_TRUE(platform::ParseScript(script, &commands, &error)) << error;
    platform::HeadlessOptions options;
    options.captureAudio = true;
    options.maxSeconds = 200.0;
    run_ = new SessionPlatform(options, std::move(commands), std::move(checkpoints));
    run_->setTimeoutHandler([] { ADD_FAILURE() << "the session did not end"; });
    status_ = app::RunProgram(*run_);
    audio_ = new std::vector<std::int16_t>(run_->capturedAudio());
    skins_ = new viewer::SkinState;
    viewer::DecodeSkins(*skins_);
    viewer::BuildBackgrounds(*skins_, 0, 0, 799, 599, 0, 0);
  }
  static void TearDownTestSuite() {
    delete run_;
    delete skins_;
    delete audio_;
  }
  static const std::vector<std::uint32_t>& Shot(const std::string& label) {
    static const std::vector<std::uint32_t> none;
    auto it = run_->shots.find(label);
    EXPECT_NE(it, run_->shots.end()) << "no frame captured for " << label;
    return it == run_->shots.end() ? none : it->second;
  }
  static std::uint32_t Background(int skin, int x, int y) { return skins_->background[skin - 1][y * 800 + x]; }
  // The background pixel under a latched button of the given skin.
  static std::uint32_t Lit(int skin, int x, int y) {
    render::ScreenBuffer one;
    one.at(x, y) = Background(skin, x, y);
    if (skin == 1) {
      render::FillRectBlend(one, x, y, 0, 0, 125, 125, 70, 20);
    } else {
      render::FillRectBlend(one, x, y, 0, 0, 95, 100, 150, 250);
    }
    return one.at(x, y) & 0xFFFFFF;
  }

  // The first block of tune n as the XM player renders it: what the sound
  // device plays first after the tune starts.
  static std::vector<std::int16_t> TuneStart(int n) {
    platform::HeadlessPlatform quiet({}, {});
    xm::XmPlayer player;
    xm::XmPlayerInit(player, quiet);
    const auto image = content::XmModuleImage(n);
    EXPECT_TRUE(xm::LoadSongFromMemory(player, image.data(), static_cast<std::int32_t>(image.size())));
    EXPECT_TRUE(xm::BeginOfflineRender(player, player.CurrentSong.get()));
    xm::FillBlock(player);
    const std::int16_t* pcm = xm::BlockPcm(player, 0);
    std::vector<std::int16_t> block(pcm, pcm + 2 * xm::kBlockFrames);
    xm::StopSong(player);
    xm::FreeSong(player);
    return block;
  }
  // Where (in seconds) the captured sound first repeats `block` exactly,
  // searching from `from` to `to`; -1 when it does not.
  static double FindBlock(const std::vector<std::int16_t>& block, double from, double to) {
    const auto& a = *audio_;
    const std::size_t first = static_cast<std::size_t>(std::max(0.0, from) * 44100) * 2;
    const std::size_t last = std::min(static_cast<std::size_t>(to * 44100) * 2, a.size() - block.size());
    for (std::size_t i = first; i <= last; i += 2)
      if (std::equal(block.begin(), block.end(), a.begin() + static_cast<std::ptrdiff_t>(i))) return i / 2 / 44100.0;
    return -1.0;
  }
  static bool Silent(double from, double to) {
    const auto& a = *audio_;
    for (std::size_t i = static_cast<std::size_t>(from * 44100) * 2; i < static_cast<std::size_t>(to * 44100) * 2 && i < a.size(); ++i)
      if (a[i] != 0) return false;
    return true;
  }

  static SessionPlatform* run_;
  static viewer::SkinState* skins_;
  static std::vector<std::int16_t>* audio_;
  static std::map<std::string, std::pair<double, double>> windows_;
  static int status_;
};

SessionPlatform* Session::run_ = nullptr;
viewer::SkinState* Session::skins_ = nullptr;
int Session::status_ = -2;
std::vector<std::int16_t>* Session::audio_ = nullptr;
std::map<std::string, std::pair<double, double>> Session::windows_;

void CheckTheQuitButtonEndsTheRunWithStatusZero() {
  EXPECT_EQ(Session::status_, 0);
  EXPECT_FALSE(Session::run_->scriptDone());  // the program ended during the last wait
  EXPECT_EQ(Session::run_->shots.size(), SessionSteps().size() - 1);  // everything but the quit step's end
}

void CheckEveryPageShowsItsOwnText() {
  std::map<std::uint64_t, std::string> seen;
  // The text area of a page without text is the bare background.
  std::uint64_t blank = 0;
  int shown = 0;
  {
    std::vector<std::uint32_t> empty(800 * 600);
    for (int i = 0; i < 800 * 600; ++i) empty[i] = Session::skins_->background[0][i];
    blank = RegionHash(empty, 193, 569, 20, 767);
  }
  for (const std::string page : {"page 11", "page 13", "page 14", "page 15", "page 16", "page 1", "page 2", "page 3",
                                 "page 4", "page 5", "page 6", "page 7", "page 8", "page 9", "page 12", "page 10"}) {
    const auto& f = Session::Shot(page);
    if (f.empty()) continue;
    const std::uint64_t text = RegionHash(f, 193, 569, 20, 767);
    EXPECT_NE(text, blank) << page << " shows no text";
    ++shown;
    EXPECT_TRUE(seen.emplace(text, page).second) << page << " looks like " << seen[text];
  }
  EXPECT_EQ(shown, 16);
  // Page 11 shown again is the same picture as at the start (same top line).
  EXPECT_EQ(RegionHash(Session::Shot("start"), 193, 569, 20, 760), RegionHash(Session::Shot("page 11"), 193, 569, 20, 760));
}

void CheckSkinsFollowF1AndF2() {
  for (auto [label, skin] : {std::pair{"start", 1}, std::pair{"carbon", 2}, std::pair{"carbon page 2", 2},
                             std::pair{"grunge", 1}}) {
    const auto& f = Session::Shot(label);
    if (f.empty()) continue;
    int differ = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 20; x < 800; ++x) differ += (f[y * 800 + x] & 0xFFFFFF) != Session::Background(skin, x, y);
    EXPECT_EQ(differ, 0) << label;
  }
}

void CheckLitButtonsFollowTheClicks() {
  // Skin 1: ARTICLES and MUSIC 1 at the start; CHARTS after the switch;
  // MUTE while paused; MUSIC 2 after choosing it.
  EXPECT_EQ(Session::Shot("start")[45 * 800 + 36 + 55 * 800], Session::Lit(1, 36, 100));
  EXPECT_EQ(Session::Shot("start")[140 * 800 + 20], Session::Lit(1, 20, 140));
  EXPECT_EQ(Session::Shot("charts menu")[70 * 800 + 36], Session::Lit(1, 36, 70));
  EXPECT_EQ(Session::Shot("paused")[45 * 800 + 680], Session::Lit(1, 680, 45));
  EXPECT_NE(Session::Shot("resumed")[45 * 800 + 680], Session::Lit(1, 680, 45));
  EXPECT_EQ(Session::Shot("tune 2")[140 * 800 + 80], Session::Lit(1, 80, 140));
  EXPECT_NE(Session::Shot("tune 2")[140 * 800 + 20], Session::Lit(1, 20, 140));
  // RULES stays lit on its page; the menu choice afterwards unlit it.
  EXPECT_EQ(Session::Shot("page 12")[70 * 800 + 680], Session::Lit(1, 680, 70));
  EXPECT_EQ(Session::Shot("page 10")[95 * 800 + 680], Session::Lit(1, 680, 95));
  // Skin 2: MUSIC 3 and MUTE.
  EXPECT_EQ(Session::Shot("tune 3")[140 * 800 + 680], Session::Lit(2, 680, 140));
  EXPECT_EQ(Session::Shot("carbon paused")[55 * 800 + 700], Session::Lit(2, 700, 55));
}

void CheckNoSpectrumWhilePaused() {
  for (const std::string label : {"paused", "carbon paused"}) {
    const auto& f = Session::Shot(label);
    const int skin = label == "paused" ? 1 : 2;
    int differ = 0;
    for (int y = 137; y <= 149; ++y)
      for (int x = 158; x <= 636; ++x) differ += (f[y * 800 + x] & 0xFFFFFF) != Session::Background(skin, x, y);
    EXPECT_EQ(differ, 0) << label;
  }
}

void CheckMusicFollowsTheButtons() {
  auto window = [](const std::string& label) { return Session::windows_.at(label); };
  const auto tune1 = Session::TuneStart(1);
  const auto tune2 = Session::TuneStart(2);
  const auto tune3 = Session::TuneStart(3);
  ASSERT_FALSE(std::all_of(tune1.begin(), tune1.end(), [](std::int16_t v) { return v == 0; }));
  // Tune 1 starts with the viewer, after the change-over's noise flashes.
  const double first = Session::FindBlock(tune1, 4.0, window("start").second);
  EXPECT_GT(first, 5.0);
  // MUTE: silence until the second click, which plays tune 1 from its start.
  const auto paused = window("paused");
  EXPECT_TRUE(Session::Silent(paused.first + 0.15, paused.second - 0.15));
  EXPECT_FALSE(Session::Silent(paused.first - 1.0, paused.first - 0.1));
  const auto resumed = window("resumed");
  EXPECT_GT(Session::FindBlock(tune1, resumed.first - 0.1, resumed.second), 0.0);
  // MUSIC 2 and MUSIC 3 start their tunes where they are clicked.
  const auto t2 = window("tune 2");
  const double at2 = Session::FindBlock(tune2, t2.first - 0.1, t2.second);
  EXPECT_GT(at2, 0.0);
  EXPECT_LT(at2, t2.first + 0.3);
  const auto t3 = window("tune 3");
  const double at3 = Session::FindBlock(tune3, t3.first - 0.1, t3.second);
  EXPECT_GT(at3, 0.0);
  EXPECT_LT(at3, t3.first + 0.3);
  // Paused on the Carbon skin through a page change, then tune 3 again.
  const auto carbonPaused = window("carbon paused");
  EXPECT_TRUE(Session::Silent(carbonPaused.first + 0.15, window("carbon page 2").second - 0.15));
  const auto carbonResumed = window("carbon resumed");
  EXPECT_GT(Session::FindBlock(tune3, carbonResumed.first - 0.1, carbonResumed.second), 0.0);
}

void CheckTheSpectrumMovesWithTheMusic() {
  int lit = 0;
  for (const std::string label : {"start", "tune 2", "tune 3"}) {
    const auto& f = Session::Shot(label);
    const int skin = label == "tune 3" ? 2 : 1;
    for (int y = 137; y <= 149; ++y)
      for (int x = 158; x <= 636; ++x) lit += (f[y * 800 + x] & 0xFFFFFF) != Session::Background(skin, x, y);
  }
  EXPECT_GT(lit, 100);
}

void CheckHeaderMatchesTheStoredFrames() {
  std::map<std::string, std::string> now;
  for (const std::string label : {"start", "charts menu", "paused", "carbon paused"})
    now[label + " header"] = Hex(RegionHash(Session::Shot(label), 0, 186));
  if (std::getenv("KORVELD_REGENERATE_GOLDEN") != nullptr) {
    std::ofstream out(kGoldenFile);
    out << "# Header band (rows 0..186) of session checkpoints; see session_test.cpp.\n";
    for (const auto& [label, hash] : now) out << label << " " << hash << "\n";
    FAIL() << "golden hashes rewritten; unset KORVELD_REGENERATE_GOLDEN";
  }
  const auto golden = ReadGolden();
  for (const auto& [label, hash] : now) {
    auto it = golden.find(label);
    ASSERT_NE(it, golden.end()) << "no stored hash for " << label;
    EXPECT_EQ(it->second, hash) << label;
  }
}


// One run of the program serves every check: it is the expensive part.
TEST_F(Session, ReadsTheWholeIssue) {
  {
    SCOPED_TRACE("TheQuitButtonEndsTheRunWithStatusZero");
    CheckTheQuitButtonEndsTheRunWithStatusZero();
  }
  {
    SCOPED_TRACE("EveryPageShowsItsOwnText");
    CheckEveryPageShowsItsOwnText();
  }
  {
    SCOPED_TRACE("SkinsFollowF1AndF2");
    CheckSkinsFollowF1AndF2();
  }
  {
    SCOPED_TRACE("LitButtonsFollowTheClicks");
    CheckLitButtonsFollowTheClicks();
  }
  {
    SCOPED_TRACE("NoSpectrumWhilePaused");
    CheckNoSpectrumWhilePaused();
  }
  {
    SCOPED_TRACE("MusicFollowsTheButtons");
    CheckMusicFollowsTheButtons();
  }
  {
    SCOPED_TRACE("TheSpectrumMovesWithTheMusic");
    CheckTheSpectrumMovesWithTheMusic();
  }
  {
    SCOPED_TRACE("HeaderMatchesTheStoredFrames");
    CheckHeaderMatchesTheStoredFrames();
  }
}

}  // namespace
}  // namespace korveld
