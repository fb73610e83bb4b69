// korveld-xm2wav: renders an XM module (a file or one of the embedded tunes)
// to a 44100 Hz 16-bit stereo WAV file, offline through the player's own
// block renderer: no sound device and no thread.
//
//   korveld-xm2wav (FILE.xm | --embedded N) OUT.wav [--seconds S] [--timeline]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "content/xm/xm_modules.hpp"
#include "platform/null_platform.hpp"
#include "xm/xm_player.hpp"

namespace {

using namespace korveld;

constexpr long kMaxFileBytes = 64L << 20;

int Fail(const std::string& message) {
  std::fprintf(stderr, "korveld-xm2wav: %s\n", message.c_str());
  return 1;
}

void Usage() {
  std::fprintf(stderr, "usage: korveld-xm2wav (FILE.xm | --embedded N) OUT.wav [--seconds S] [--timeline]\n");
}

bool ReadFile(const std::string& path, std::vector<std::uint8_t>& out, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    error = "cannot open " + path;
    return false;
  }
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  if (size < 0 || size > kMaxFileBytes) {
    std::fclose(f);
    error = path + ": not a readable module (size)";
    return false;
  }
  out.resize(static_cast<std::size_t>(size));
  const bool ok = std::fread(out.data(), 1, out.size(), f) == out.size();
  std::fclose(f);
  if (!ok) error = "cannot read " + path;
  return ok;
}

void Put16(std::FILE* f, std::uint16_t v) {
  const std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
  std::fwrite(b, 1, 2, f);
}
void Put32(std::FILE* f, std::uint32_t v) {
  Put16(f, static_cast<std::uint16_t>(v));
  Put16(f, static_cast<std::uint16_t>(v >> 16));
}

void WriteWavHeader(std::FILE* f, std::uint32_t frames) {
  const std::uint32_t bytes = frames * 4;
  std::fwrite("RIFF", 1, 4, f);
  Put32(f, 36 + bytes);
  std::fwrite("WAVEfmt ", 1, 8, f);
  Put32(f, 16);
  Put16(f, 1);
  Put16(f, 2);
  Put32(f, 44100);
  Put32(f, 44100 * 4);
  Put16(f, 4);
  Put16(f, 16);
  std::fwrite("data", 1, 4, f);
  Put32(f, bytes);
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
      embedded = std::atoi(argv[++i]);
      if (embedded < 1 || embedded > content::kXmModuleCount) return Fail("--embedded takes 1..4");
    } else if (a == "--seconds" && i + 1 < argc) {
      char* end = nullptr;
      seconds = std::strtod(argv[++i], &end);
      if (end == argv[i] || *end != 0 || !(seconds > 0.0) || seconds > 36000.0) return Fail("bad --seconds value");
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
    if (!ReadFile(input, image, error)) return Fail(error);
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

  std::FILE* out = std::fopen(output.c_str(), "wb");
  if (out == nullptr) return Fail("cannot write " + output);
  const auto totalFrames = static_cast<std::uint32_t>(seconds * 44100.0 + 0.5);
  WriteWavHeader(out, totalFrames);

  xm::BeginOfflineRender(*player, player->CurrentSong.get());
  const auto start = std::chrono::steady_clock::now();
  bool progress = false;
  int lastShown = -1;
  std::uint32_t written = 0;
  for (long block = 0; written < totalFrames; ++block) {
    const int index = player->fillBlock;
    xm::FillBlock(*player);
    const std::uint32_t frames = std::min<std::uint32_t>(xm::kBlockFrames, totalFrames - written);
    std::fwrite(xm::BlockPcm(*player, index), 4, frames, out);  // little-endian host
    written += frames;
    if (timeline) {
      const std::uint16_t entry = xm::RingEntry(*player, index);
      std::printf("%ld %d %d\n", block, entry & 0xFF, entry >> 8);
    }
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!progress && elapsed > 1.0) progress = true;
    if (progress) {
      const int percent = static_cast<int>(100.0 * written / totalFrames);
      if (percent != lastShown) {
        lastShown = percent;
        std::fprintf(stderr, "\r[%-40s] %3d%%", std::string(static_cast<std::size_t>(percent * 40 / 100), '#').c_str(),
                     percent);
      }
    }
  }
  if (progress) std::fprintf(stderr, "\n");
  xm::StopSong(*player);
  const bool ok = std::fclose(out) == 0;
  if (!ok) return Fail("cannot write " + output);
  return 0;
}
