// The twelve embedded tunes: their cost, their levels and golden hashes of
// their first ten seconds.
//
// Regenerate the golden file (after an intended change to a tune, the
// driver or the synthesis) with:
//   KORVELD_REGENERATE_GOLDEN=1 ./build/korveld_tests_sid --gtest_filter='EmbeddedTunes.*Golden'
// which rewrites tests/sid/golden/tune_hashes.txt and then fails on purpose.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "content/sid/sid_tunes.hpp"
#include "platform/image_io.hpp"
#include "sid/cpu.hpp"
#include "sid/synthesis.hpp"
#include "sid/tune.hpp"
#include "tests/support/golden.hpp"
#include "tools/tunecheck/sid_header.hpp"

namespace korveld::sid {
namespace {

constexpr int kTunes = 12;
constexpr int kFramesPerSecond = 50;

std::unique_ptr<SidState> Started(int n) {
  auto s = std::make_unique<SidState>();
  EXPECT_TRUE(StartTune(*s, content::SidTuneTable()[n].image, content::SidTuneTable()[n].song).ok) << "tune " << n;
  return s;
}

// Each tune for 65 s: the cost of init and of each play call, the peak, no
// near-silent second, and the hash of the first 10 s (the 16-bit
// samples, little-endian) against the golden file.
TEST(EmbeddedTunes, StayWithinTheirBudgetsAndLevelsAndMatchGolden) {
  for (int n = 1; n <= kTunes; ++n) {
    SCOPED_TRACE("tune " + std::to_string(n));
    auto s = Started(n);
    EXPECT_LT(s->counters.lastInstructions, 30000u);
    EXPECT_NE(s->tune.play, 0);
    std::vector<std::int16_t> samples(65 * kFramesPerSecond * kFrameSamples);
    std::uint32_t most = 0;
    int quietSeconds = 0, peak = 0;
    for (int second = 0; second < 65; ++second) {
      double squares = 0;
      for (int f = 0; f < kFramesPerSecond; ++f) {
        std::int16_t* frame = samples.data() + (second * kFramesPerSecond + f) * kFrameSamples;
        RenderFrame(*s, frame, kFrameSamples);
        most = std::max(most, s->counters.lastInstructions);
        for (int i = 0; i < kFrameSamples; ++i) {
          peak = std::max(peak, std::abs(static_cast<int>(frame[i])));
          squares += static_cast<double>(frame[i]) * frame[i];
        }
      }
      if (std::sqrt(squares / (kFramesPerSecond * kFrameSamples)) < 500.0) ++quietSeconds;
    }
    EXPECT_LT(most, 12000u);
    EXPECT_EQ(s->counters.budgetExhausted, 0u);
    EXPECT_LT(peak, 30000);  // clear of clipping (how loud each plays is the modules' test's)
    EXPECT_EQ(quietSeconds, 0);
    EXPECT_EQ(s->sample.active, 0);  // the sample channel stays unused
    const std::size_t tenSeconds = 10 * kFramesPerSecond * kFrameSamples;
    support::ExpectGolden(KORVELD_SOURCE_DIR "/tests/sid/golden/tune_hashes.txt", std::to_string(n),
                          platform::BytesHash(samples.data(), tenSeconds * sizeof(std::int16_t)));
  }
}

}  // namespace
}  // namespace korveld::sid

namespace korveld::tunecheck {
namespace {

// The build checks that every embedded image is a valid PSID/RSID file for
// other players; the check refuses each rule broken on a copy of an RSID
// (tune 3) or a PSID (tune 1), and nothing else.
TEST(TuneHeaders, EachBrokenPsidOrRsidRuleIsRefused) {
  struct Case {
    int tune, offset, value;
    const char* field;
  };
  const Case cases[] = {
      {3, 21, 1, "speed"},          {3, 8, 0x10, "loadAddress"}, {3, 13, 0x20, "playAddress"},
      {3, 10, 0xA0, "initAddress"}, {3, 5, 1, "version"},        {3, 0x77, 0x15, "flags"},
      {1, 7, 0x76, "dataOffset"},   {1, 14, 1, "songs"},         {1, 17, 2, "startSong"},
      {1, 0x76, 0x01, "flags"},     {1, 0x79, 4, "pageLength"},  {1, 0x7A, 1, "reserved"},
      {1, 0x35, 'x', "name"},       {1, 0x78, 0x60, "startPage"},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> image(content::SidTuneTable()[c.tune].image.begin(),
                                    content::SidTuneTable()[c.tune].image.end());
    image[static_cast<std::size_t>(c.offset)] = static_cast<std::uint8_t>(c.value);
    if (c.offset == 0x78) image[0x79] = 1;  // a range of one page, over the program
    const auto problems = CheckSidHeader(image);
    ASSERT_EQ(problems.size(), 1u) << c.field;
    EXPECT_EQ(problems[0].field, c.field);
  }
}

}  // namespace
}  // namespace korveld::tunecheck
