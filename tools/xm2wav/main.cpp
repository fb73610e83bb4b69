// korveld-xm2wav: renders an XM module (a file or one of the embedded tunes)
// to a 44100 Hz 16-bit stereo WAV file, offline through the player's own
// block renderer: no sound device and no thread.
//
//   korveld-xm2wav (FILE.xm | --embedded N) OUT.wav [--seconds S] [--timeline]
#include <algorithm>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "content/xm/xm_modules.hpp"
#include "platform/null_platform.hpp"
#include "platform/wav_file.hpp"
#include "tools/common/command_line.hpp"
#include "xm/xm_player.hpp"

namespace {

using namespace korveld;

constexpr char kTool[] = "korveld-xm2wav";
constexpr std::size_t kMaxFileBytes = 64u << 20;
// The longest render whose data fits the WAV format's 32-bit sizes (6.7 hours).
constexpr double kMaxSeconds = 24000.0;

int Fail(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kTool, message.c_str());
  return 1;
}

void Usage() {
  std::fprintf(stderr, "usage: korveld-xm2wav (FILE.xm | --embedded N) OUT.wav [--seconds S] [--timeline]\n");
}

std::string ModuleName(const std::vector<std::uint8_t>& image) {
  std::string name;
  for (std::size_t i = 17; i < 37 && i < image.size() && image[i] != 0; ++i) {
    const char c = static_cast<char>(image[i]);
    name += (c >= 32 && c < 127) ? c : '?';
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}


}  // namespace

int main(int argc, char** argv) {
  std::string input;
  std::string output;
  int embedded = 0;
  double seconds = 120.0;
  bool timeline = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--embedded" && i + 1 < argc) {
      const auto n = tools::WholeNumberOption(kTool, a, argv[++i]);
      if (!n) return 1;
      if (*n < 1 || *n > static_cast<std::uint64_t>(content::kXmModuleCount)) return Fail("--embedded takes 1..4");
      embedded = static_cast<int>(*n);
    } else if (a == "--seconds" && i + 1 < argc) {
      const auto v = tools::NumberOption(kTool, a, argv[++i]);
      if (!v) return 1;
      if (!(*v > 0.0) || *v > kMaxSeconds) return Fail("--seconds takes more than 0, up to 24000");
      seconds = *v;
    } else if (a == "--timeline") {
      timeline = true;
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      Usage();
      return 2;
    } else if (input.empty() && embedded == 0) {
      input = a;
    } else if (output.empty()) {
      output = a;
    } else {
      Usage();
      return 2;
    }
  }
  if (output.empty() || (input.empty() && embedded == 0)) {
    Usage();
    return 2;
  }

  std::vector<std::uint8_t> image;
  if (embedded != 0) {
    const auto span = content::XmModuleImage(embedded);
    image.assign(span.begin(), span.end());
    input = "embedded tune " + std::to_string(embedded);
  } else {
    std::string error;
    if (!tools::ReadInputFile(input, kMaxFileBytes, image, error)) return Fail(error);
  }

  platform::NullPlatform platform;  // the offline render opens no device and no thread
  auto player = std::make_unique<xm::XmPlayer>();
  xm::XmPlayerInit(*player, platform);
  if (!xm::LoadSongFromMemory(*player, image.data(), static_cast<std::int32_t>(image.size()))) {
    return Fail(input + ": refused: " + (player->loadError != nullptr ? player->loadError : "not a valid XM module"));
  }
  const xm::XmSong& song = *player->CurrentSong;
  const int headerPatterns = image.size() >= 72 ? image[70] | (image[71] << 8) : 0;
  std::printf("title:       %s\n", ModuleName(image).c_str());
  std::printf("channels:    %d\n", song.channelCount);
  std::printf("patterns:    %d (%d used)\n", headerPatterns, song.usedPatternCount);
  std::printf("instruments: %d\n", song.instrumentCount);
  std::printf("frequencies: %s\n", song.linear() ? "linear" : "amiga");
  std::fflush(stdout);

  const auto totalFrames = static_cast<std::uint32_t>(seconds * xm::kMixRate + 0.5);
  platform::WavFile wav;
  std::string error;
  if (!platform::OpenWav(wav, output, totalFrames, 2, xm::kMixRate, &error)) return Fail(error);

  xm::BeginOfflineRender(*player, player->CurrentSong.get());
  tools::Progress progress;
  std::uint32_t written = 0;
  for (long block = 0; written < totalFrames; ++block) {
    const int index = player->fillBlock;
    xm::FillBlock(*player);
    const std::uint32_t frames = std::min<std::uint32_t>(xm::kBlockFrames, totalFrames - written);
    platform::AppendWav(wav, std::span(xm::BlockPcm(*player, index), 2 * std::size_t{frames}));
    written += frames;
    if (timeline) {
      const std::uint16_t entry = xm::RingEntry(*player, index);
      std::printf("%ld %d %d\n", block, entry & 0xFF, entry >> 8);
    }
    tools::ShowProgress(progress, written, totalFrames);
  }
  tools::EndProgress(progress);
  xm::StopSong(*player);
  if (!platform::CloseWav(wav, &error)) return Fail(error);
  return 0;
}
