// Hand-made hostile modules, built by small generators here rather than kept
// as files: each either plays within its bound, with no memory error or
// undefined behaviour (the sanitizer build runs them too), or is refused
// with its one-line reason.
#include <gtest/gtest.h>

#include <ctime>

#include "tests/xm/xm_test_helpers.hpp"

namespace korveld::xm {
namespace {

using testing::OneSampleInstrument;
using testing::Put;

// Real note 255: C-0 on a sample whose relative note is -1. With the linear
// table that is period -8640, a step of about 29,560 values per frame.
constexpr xmgen::Cell kNote255{1, 1, 0, 0, 0};

// CPU time of this thread: other processes on the machine do not count, so
// a generous bound cannot flake on a loaded machine.
double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct HostileTest : ::testing::Test {
  platform::NullPlatform platform;
  std::unique_ptr<XmPlayer> player = std::make_unique<XmPlayer>();
  std::vector<std::uint8_t> bytes;
  void SetUp() override { XmPlayerInit(*player, platform); }

  bool Load(const xmgen::Module& m) {
    bytes = xmgen::WriteXm(m);
    return LoadSongFromMemory(*player, bytes.data(), static_cast<std::int32_t>(bytes.size()));
  }
  // Renders whole blocks offline; stops early (and fails) past the CPU bound.
  std::vector<std::int16_t> Render(double seconds, double cpuBound = 60.0) {
    std::vector<std::int16_t> pcm;
    BeginOfflineRender(*player, player->CurrentSong.get());
    const double start = ThreadCpuSeconds();
    const int blocks = static_cast<int>(seconds * kMixRate / kBlockFrames + 0.5);
    for (int b = 0; b < blocks; ++b) {
      const int index = player->fillBlock;
      FillBlock(*player);
      const std::int16_t* block = BlockPcm(*player, index);
      pcm.insert(pcm.end(), block, block + 2 * kBlockFrames);
      if (ThreadCpuSeconds() - start > cpuBound) {
        ADD_FAILURE() << "block " << b << " of " << blocks << " passed the bound of " << cpuBound << " s CPU";
        break;
      }
    }
    return pcm;
  }
};

xmgen::Module OneChannelModule(xmgen::Sample sample, bool linear = true) {
  xmgen::Module m;
  m.name = "hostile";
  m.channels = 1;
  m.linear = linear;
  m.orders = {0};
  m.addPattern(64);
  m.instruments.push_back(OneSampleInstrument(std::move(sample)));
  return m;
}

// A sample end 2^24 values and more away is cut exactly: the voice sounds up
// to the frame that crosses the end and is silent (and off) from there on,
// reading nothing past the sample. The length is chosen so that the end is
// still that far away when the 128-frame ramp-in is over, and the rest of
// the first tick's stretch would run far past it.
TEST_F(HostileTest, FarSampleEndIsCutAtTheExactFrame) {
  constexpr std::uint32_t kLength = (1u << 24) + (1u << 22);
  xmgen::Sample s;
  s.useRawData = true;
  s.rawData.assign(kLength, 0);
  s.rawData[0] = 0x40;  // 8-bit deltas: every value 0x4000
  s.relativeNote = -1;
  xmgen::Module m = OneChannelModule(s);
  m.bpm = 32;  // a tick longer than the block: the block is one stretch
  Put(m, 0, 0, 0, kNote255);
  ASSERT_TRUE(Load(m));
  BeginOfflineRender(*player, player->CurrentSong.get());
  FillBlock(*player);
  const std::int16_t* pcm = BlockPcm(*player, 0);
  const MixVoice& v = player->voices[0];
  EXPECT_EQ(v.sample, nullptr);
  const std::uint64_t step = (std::uint64_t{v.stepInteger} << 32) | v.stepFraction;
  ASSERT_GT(step, std::uint64_t{29000} << 32);
  const std::uint64_t last = ((std::uint64_t{kLength} << 32) + step - 1) / step;  // frames that read the sample
  ASSERT_LT(last, static_cast<std::uint64_t>(kBlockFrames));
  EXPECT_NE(pcm[2 * (last - 1)], 0);
  for (std::uint64_t f = last; f < kBlockFrames; ++f) ASSERT_EQ(pcm[2 * f], 0) << "frame " << f;
}

// Loops shorter than the step: forward loops wrap and ping-pong loops bounce
// by one remainder, landing where the wraps and reflections one at a time
// would, whatever the step.
TEST_F(HostileTest, LoopsShorterThanTheStepLandWhereSingleWrapsWould) {
  XmSample s;
  s.length = 8;
  s.data.assign(16, 100);
  s.loopStart = 2;
  s.loopLength = 3;
  s.bits = 16;
  MixVoice& v = player->voices[0];
  v.sample = &s;
  v.stepInteger = 1000;
  v.stepFraction = 0x80000000u;  // 1000.5
  v.position = 2;
  std::vector<float> out(8, 0.0f);

  s.loopMode = kLoopForward;  // 1002.5 -> 2 + (1000.5 mod 3) = 3.5
  MixVoices(*player, out.data(), 1);
  EXPECT_EQ(v.position, 3u);
  EXPECT_EQ(v.fraction, 0x80000000u);

  s.loopMode = kLoopPingPong;  // 1002.5 bounces 166 times between 5 and 2 to 3.5 - 2^-32, going back
  v.position = 2;
  v.fraction = 0;
  v.direction = 1;
  MixVoices(*player, out.data(), 1);
  EXPECT_EQ(v.position, 3u);
  EXPECT_EQ(v.fraction, 0x7FFFFFFFu);
  EXPECT_EQ(v.direction, 2);
  // 3.5 - 2^-32 - 1000.5 bounces back up, 999 past the start: 999 mod 6 = 3
  // lands on the loop end, 5 - 2^-32, going back.
  MixVoices(*player, out.data(), 1);
  EXPECT_EQ(v.position, 4u);
  EXPECT_EQ(v.fraction, 0xFFFFFFFFu);
  EXPECT_EQ(v.direction, 2);
}

// The worst case for work per block: 32 channels of 1-value loops
// at real note 255, every frame a loop boundary on every voice. Ten seconds
// render within a bound that a per-wrap loop would exceed many times over.
TEST_F(HostileTest, ThirtyTwoTinyLoopsAtTheHighestStepRenderTenSecondsInBoundedTime) {
  xmgen::Module m;
  m.name = "tiny loops";
  m.channels = 32;
  m.linear = true;
  m.orders = {0};
  m.addPattern(64);
  for (int loop : {1, 2}) {
    xmgen::Sample s = testing::ConstantSample(2, 0x2000);
    s.loop = loop == 1 ? xmgen::Loop::Forward : xmgen::Loop::PingPong;
    s.loopStart = 0;
    s.loopLength = 1;
    s.relativeNote = -1;
    m.instruments.push_back(OneSampleInstrument(s));
  }
  for (int c = 0; c < 32; ++c) {
    xmgen::Cell cell = kNote255;
    cell.instrument = static_cast<std::uint8_t>(1 + c % 2);
    Put(m, 0, 0, c, cell);
  }
  ASSERT_TRUE(Load(m));
  const std::vector<std::int16_t> pcm = Render(10.0);
  for (int i = 0; i < kMixVoices; ++i) {
    const MixVoice& v = player->voices[static_cast<std::size_t>(i)];
    if (v.sample != nullptr) {
      ASSERT_LT(v.position, 1u) << "voice " << i;
    }
  }
  // A 1-value loop plays its value: the output settles at a constant.
  EXPECT_NE(pcm.back(), 0);
  EXPECT_EQ(pcm[pcm.size() - 2], pcm[pcm.size() - 2 - 2 * 1000]);
}

// Envelope levels above 64 load as 64: y = 65535 plays exactly as y = 64.
// Lxx before the first point of an envelope far out in x stays in range.
TEST_F(HostileTest, EnvelopeLevelsAreClampedAtLoadAndLxxStaysInRange) {
  auto module = [](std::uint16_t y) {
    xmgen::Sample s = testing::ConstantSample(100, 0x3000);
    s.loop = xmgen::Loop::Forward;
    s.loopLength = 100;
    xmgen::Module m = OneChannelModule(s, false);
    m.channels = 2;
    m.patterns.clear();
    m.addPattern(64);
    xmgen::Instrument& ins = m.instruments[0];
    ins.volume.points = {{0, y}, {8, y}, {16, 32}};
    ins.volume.type = 1;
    ins.panning.points = {{0, y}, {4, y}};
    ins.panning.type = 1;
    // Channel 2: an envelope whose points lie far beyond tick 0, set to 0.
    xmgen::Instrument far = ins;
    far.volume.points = {{60000, 0}, {60001, 64}};
    m.instruments.push_back(far);
    Put(m, 0, 0, 0, xmgen::Cell{49, 1, 0, 0, 0});
    Put(m, 0, 0, 1, xmgen::Cell{49, 2, 0, 21, 0});
    return m;
  };
  ASSERT_TRUE(Load(module(64)));
  const std::vector<std::int16_t> reference = Render(1.0);
  ASSERT_TRUE(Load(module(65535)));
  EXPECT_EQ(player->CurrentSong->instruments[0].volumeEnvelope.points[0].y, 64);
  const std::vector<std::int16_t> clamped = Render(1.0);
  EXPECT_EQ(clamped, reference);
  const EnvelopeState& far = player->channels[1].volumeEnvelope;
  EXPECT_GE(far.current, 0);
  EXPECT_LE(far.current, 64);
}

// What the loader refuses, each with its reason; a module it takes resets
// the reason.
TEST_F(HostileTest, RefusalsNameTheirReason) {
  xmgen::Module tooWide = OneChannelModule(testing::ConstantSample(10));
  tooWide.channels = 33;
  tooWide.patterns.clear();
  tooWide.addPattern(4);
  EXPECT_FALSE(Load(tooWide));
  EXPECT_STREQ(player->loadError, "more than 32 channels");

  xmgen::Sample huge = testing::ConstantSample(10);
  huge.lengthBytesOverride = 0x7FFFFFF0;  // 2 GB claimed by a file of a few hundred bytes
  EXPECT_FALSE(Load(OneChannelModule(huge)));
  EXPECT_STREQ(player->loadError, "the samples claim far more data than the file holds");

  const std::uint8_t notAModule[] = "Extended Modula: ";
  EXPECT_FALSE(LoadSongFromMemory(*player, notAModule, sizeof notAModule));
  EXPECT_STREQ(player->loadError, "not an XM module (no \"Extended Module: \" header)");

  EXPECT_TRUE(Load(OneChannelModule(testing::ConstantSample(10))));
  EXPECT_EQ(player->loadError, nullptr);
}

}  // namespace
}  // namespace korveld::xm
