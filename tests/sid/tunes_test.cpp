// The twelve embedded tunes: their headers, their cost, their levels, how
// long they play before repeating, and golden hashes of their first ten
// seconds.
//
// Regenerate the golden file (after an intended change to a tune, the
// driver or the synthesis) with:
//   KORVELD_REGENERATE_GOLDEN=1 ./build/korveld_tests_sid --gtest_filter='EmbeddedTunes.*Golden*'
// which rewrites tests/sid/golden/tune_hashes.txt and then fails on purpose,
// so the switch cannot stay on unnoticed.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "content/sid/sid_tunes.hpp"
#include "sid/cpu.hpp"
#include "sid/sid_player.hpp"
#include "sid/synthesis.hpp"
#include "sid/tune.hpp"
#include "tests/sid/fake_device_helpers.hpp"
#include "tools/tunecheck/tune_source.hpp"

namespace korveld::sid {
namespace {

constexpr int kTunes = 12;
constexpr int kFramesPerSecond = 50;

std::span<const std::uint8_t> Image(int n) { return content::SidTuneTable()[n].image; }

std::uint64_t Fnv1a(const std::int16_t* samples, std::size_t count, std::uint64_t h = 0xcbf29ce484222325ull) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint16_t v = static_cast<std::uint16_t>(samples[i]);
    for (std::uint8_t b : {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}) {
      h ^= b;
      h *= 0x100000001b3ull;
    }
  }
  return h;
}

std::unique_ptr<SidState> Started(int n) {
  auto s = std::make_unique<SidState>();
  SidReset(*s, kMixingRate);
  EXPECT_TRUE(LoadTuneImage(*s, Image(n)).ok) << "tune " << n;
  CallInit(*s, content::SidTuneTable()[n].song);
  return s;
}

std::uint64_t HashFirstSeconds(int n, int seconds) {
  auto s = Started(n);
  std::array<std::int16_t, kFrameSamples> frame{};
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (int f = 0; f < seconds * kFramesPerSecond; ++f) {
    RenderFrame(*s, frame.data(), kFrameSamples);
    h = Fnv1a(frame.data(), frame.size(), h);
  }
  return h;
}

std::uint16_t Word(std::span<const std::uint8_t> image, std::size_t at) {
  return static_cast<std::uint16_t>(image[at] << 8 | image[at + 1]);
}

TEST(EmbeddedTunes, HeadersDescribeTheirKind) {
  const auto table = content::SidTuneTable();
  ASSERT_EQ(table.size(), 13u);
  EXPECT_TRUE(table[0].image.empty());
  int rsid = 0, vectorTunes = 0;
  for (int n = 1; n <= kTunes; ++n) {
    const auto image = Image(n);
    SCOPED_TRACE("tune " + std::to_string(n));
    ASSERT_GT(image.size(), 0x7Eu);
    const bool isRsid = std::memcmp(image.data(), "RSID", 4) == 0;
    EXPECT_TRUE(isRsid || std::memcmp(image.data(), "PSID", 4) == 0);
    EXPECT_EQ(Word(image, 4), 2);
    EXPECT_EQ(Word(image, 6), 0x7C);
    EXPECT_EQ(Word(image, 8), 0);  // load address lives in the data
    EXPECT_EQ(Word(image, 14), 1);
    EXPECT_EQ(Word(image, 16), 1);
    EXPECT_NE(image[22], 0);  // a name
    EXPECT_NE(image[54], 0);  // an author
    EXPECT_NE(image[86], 0);  // a release
    EXPECT_EQ(table[n].song, 0);
    const std::uint16_t play = Word(image, 12);
    if (isRsid) {
      ++rsid;
      EXPECT_EQ(play, 0);
      EXPECT_EQ(Word(image, 118), 0x14);
    } else {
      EXPECT_EQ(Word(image, 118), 0);
    }
    if (play == 0) ++vectorTunes;
    const std::size_t last = (image[0x7C] | image[0x7D] << 8) + image.size() - 0x7E - 1;
    EXPECT_LE(last, 0xFFFFu);
  }
  EXPECT_GE(rsid, 3);
  EXPECT_GE(vectorTunes, 3);
  // The tune that loads below its init address.
  const auto twelve = Image(12);
  EXPECT_EQ(twelve[0x7C] | twelve[0x7D] << 8, 0xA000);
  EXPECT_EQ(Word(twelve, 10), 0xC000);
}

TEST(EmbeddedTunes, SharedDriverTunesDifferOnlyInSongData) {
  // Tunes 5..8 and 10 carry the same driver at $c000 and the same entry.
  const auto base = Image(5);
  const std::size_t driverOffset = 0x7E + (0xC000 - 0x9FF8);
  for (int n : {6, 7, 8, 10}) {
    const auto image = Image(n);
    ASSERT_EQ(image.size(), base.size()) << n;
    EXPECT_TRUE(std::equal(base.begin() + driverOffset, base.end(), image.begin() + driverOffset)) << n;
    EXPECT_TRUE(std::equal(base.begin() + 0x7C, base.begin() + 0x7C + 2 + 8, image.begin() + 0x7C)) << n;
    EXPECT_FALSE(std::equal(base.begin() + 0x7E + 8, base.begin() + driverOffset, image.begin() + 0x7E + 8)) << n;
  }
}

TEST(EmbeddedTunes, StayWithinTheirBudgetsAndLevels) {
  for (int n = 1; n <= kTunes; ++n) {
    SCOPED_TRACE("tune " + std::to_string(n));
    auto s = std::make_unique<SidState>();
    SidReset(*s, kMixingRate);
    ASSERT_TRUE(LoadTuneImage(*s, Image(n)).ok);
    CallInit(*s, 0);
    EXPECT_LT(s->counters.lastInstructions, 30000u);
    EXPECT_NE(s->tune.play, 0);
    std::array<std::int16_t, kFrameSamples> frame{};
    std::uint32_t most = 0;
    int quietSeconds = 0;
    int peak = 0;
    for (int second = 0; second < 65; ++second) {
      double squares = 0;
      for (int f = 0; f < kFramesPerSecond; ++f) {
        RenderFrame(*s, frame.data(), kFrameSamples);
        most = std::max(most, s->counters.lastInstructions);
        for (std::int16_t v : frame) {
          peak = std::max(peak, std::abs(static_cast<int>(v)));
          squares += static_cast<double>(v) * v;
        }
      }
      if (std::sqrt(squares / (kFramesPerSecond * kFrameSamples)) < 1000.0) ++quietSeconds;
    }
    EXPECT_LT(most, 12000u);
    EXPECT_EQ(s->counters.budgetExhausted, 0u);
    EXPECT_LT(peak, 30000);  // clear of clipping
    EXPECT_GT(peak, 12000);  // and not timid
    EXPECT_EQ(quietSeconds, 0);
    EXPECT_EQ(s->sample.active, 0);  // the sample channel stays unused
  }
}

// The loop length the build works out from each tune's song data, in frames.
int SourceLoopFrames(int n) {
  const std::string dir = std::string(KORVELD_SOURCE_DIR) + "/content/sid/tunes";
  const std::string path = dir + "/tune" + (n < 10 ? "0" : "") + std::to_string(n) + ".asm";
  tunecheck::TuneSource src;
  tunecheck::TuneFacts facts;
  std::vector<tunecheck::Problem> problems;
  if (!tunecheck::ReadTuneSource(path, dir, src, problems) || !tunecheck::AnalyseTune(src, facts, problems)) return 0;
  return tunecheck::FramesForRows(facts.speed, facts.voices[0].introRows, facts.loopRows);
}

// The notes of each tune (frequency and control of each voice while its gate
// is on) as the emulated CPU plays them: the first 20 s do not recur at any
// shift under 60 s, and recur exactly after the loop length the tune's
// source implies. Released voices count as silent: what they held before
// differs between passes.
TEST(EmbeddedTunes, RepeatAfterTheLoopTheirSourcesState) {
  constexpr int kWindow = 20 * kFramesPerSecond;
  constexpr int kMinimum = 60 * kFramesPerSecond;
  constexpr int kRegs[] = {0, 1, 4, 7, 8, 11, 14, 15, 18};
  for (int n = 1; n <= kTunes; ++n) {
    SCOPED_TRACE("tune " + std::to_string(n));
    const int loop = SourceLoopFrames(n);
    ASSERT_GT(loop, kMinimum);
    auto s = Started(n);
    std::vector<std::array<std::uint8_t, 9>> notes(kWindow + loop);
    for (auto& snapshot : notes) {
      CallRoutine(*s, s->tune.play, 0);
      for (int v = 0; v < 3; ++v) {
        const bool gate = (SidRegisterValue(*s, kRegs[3 * v + 2]) & 1) != 0;
        for (int i = 3 * v; i < 3 * v + 3; ++i) snapshot[i] = gate ? SidRegisterValue(*s, kRegs[i]) : 0;
      }
    }
    auto repeatsAfter = [&](int p) {
      for (int i = 0; i < kWindow; ++i) {
        if (notes[i] != notes[i + p]) return false;
      }
      return true;
    };
    int repeatsAt = 0;
    for (int p = 1; p < kMinimum && repeatsAt == 0; ++p) repeatsAt = repeatsAfter(p) ? p : 0;
    EXPECT_EQ(repeatsAt, 0) << "repeats after " << repeatsAt / kFramesPerSecond << " s";
    EXPECT_TRUE(repeatsAfter(loop)) << "does not repeat after " << loop << " frames";
  }
}

TEST(EmbeddedTunes, ReloadRendersLikeAFirstLoad) {
  testing::FakeQueueDevice device;
  testing::TestPlatform platform(device);
  auto player = std::make_unique<SidPlayer>();
  SidPlayerInit(*player, platform);
  PlaySidTune(*player, 7);
  device.completeNext();
  PlaySidTune(*player, 3);
  ASSERT_EQ(device.writes.size(), 5u);
  const auto afterSeven = device.writes[3].samples;
  const auto afterSevenB = device.writes[4].samples;

  testing::FakeQueueDevice freshDevice;
  testing::TestPlatform freshPlatform(freshDevice);
  auto fresh = std::make_unique<SidPlayer>();
  SidPlayerInit(*fresh, freshPlatform);
  PlaySidTune(*fresh, 3);
  ASSERT_EQ(freshDevice.writes.size(), 2u);
  EXPECT_EQ(afterSeven, freshDevice.writes[0].samples);
  EXPECT_EQ(afterSevenB, freshDevice.writes[1].samples);
}

std::string GoldenPath() { return std::string(KORVELD_SOURCE_DIR) + "/tests/sid/golden/tune_hashes.txt"; }

TEST(EmbeddedTunes, FirstTenSecondsMatchGolden) {
  std::array<std::uint64_t, kTunes + 1> hashes{};
  for (int n = 1; n <= kTunes; ++n) hashes[n] = HashFirstSeconds(n, 10);
  const char* regenerate = std::getenv("KORVELD_REGENERATE_GOLDEN");
  if (regenerate != nullptr && *regenerate != 0) {
    std::ofstream out(GoldenPath());
    out << "# FNV-1a 64 of the first 10 s (16-bit little-endian samples) of each embedded tune\n";
    for (int n = 1; n <= kTunes; ++n) out << n << " " << std::hex << hashes[n] << std::dec << "\n";
    FAIL() << "golden hashes rewritten to " << GoldenPath() << "; run again without KORVELD_REGENERATE_GOLDEN";
  }
  std::ifstream in(GoldenPath());
  ASSERT_TRUE(in) << "missing " << GoldenPath();
  std::string line;
  int checked = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    int n = 0;
    std::uint64_t want = 0;
    fields >> n >> std::hex >> want;
    ASSERT_TRUE(n >= 1 && n <= kTunes) << line;
    EXPECT_EQ(hashes[n], want) << "tune " << n << " renders differently";
    ++checked;
  }
  EXPECT_EQ(checked, kTunes);
}

}  // namespace
}  // namespace korveld::sid
