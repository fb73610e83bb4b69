// korveld-sid2wav: renders a PSID/RSID tune, or one of the embedded tunes,
// offline to a 44100 Hz 16-bit mono WAV file through the same interpreter
// and synthesis the program plays with.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "content/sid/sid_tunes.hpp"
#include "platform/wav_file.hpp"
#include "sid/cpu.hpp"
#include "sid/synthesis.hpp"
#include "sid/tune.hpp"
#include "tools/common/command_line.hpp"

namespace {

using namespace korveld::sid;

constexpr char kTool[] = "korveld-sid2wav";
constexpr std::size_t kMaxFileBytes = 1 << 20;
// The longest render whose data fits the WAV format's 32-bit sizes (13.3 hours).
constexpr double kMaxSeconds = 48000.0;

void Usage() {
  std::fprintf(stderr,
               "usage: korveld-sid2wav (FILE.sid | --embedded N) OUT.wav [--seconds S] [--song N]\n"
               "                       [--registers FILE] [--levels]\n"
               "  --seconds S      length to render, 0..48000 (default 60)\n"
               "  --song N         song number handed to init, from 1 (default 1)\n"
               "  --registers FILE after every play call, the 25 SID registers $D400-$D418 as hex\n"
               "  --levels         print peak and RMS level of every second\n");
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kTool, message.c_str());
  return 1;
}

std::string HeaderText(const std::vector<std::uint8_t>& image, int index) {
  std::string text;
  const std::size_t start = kHeaderNameOffset + static_cast<std::size_t>(index) * kHeaderTextLength;
  for (std::size_t i = start; i < start + kHeaderTextLength && i < image.size() && image[i] != 0; ++i) {
    const std::uint8_t c = image[i];
    text.push_back(c >= 32 && c < 127 ? static_cast<char>(c) : '?');
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  std::string input, output, registersPath;
  int embedded = 0;
  double seconds = 60.0;
  int song = 1;
  bool levels = false;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      Usage();
      return 0;
    } else if (arg == "--embedded" && hasValue) {
      const auto n = korveld::tools::WholeNumberOption(kTool, arg, argv[++i]);
      if (!n) return 1;
      if (*n < 1 || *n > 12) return Fail("--embedded takes 1..12");
      embedded = static_cast<int>(*n);
    } else if (arg == "--seconds" && hasValue) {
      const auto v = korveld::tools::NumberOption(kTool, arg, argv[++i]);
      if (!v) return 1;
      if (!(*v >= 0 && *v <= kMaxSeconds)) return Fail("--seconds takes 0..48000");
      seconds = *v;
    } else if (arg == "--song" && hasValue) {
      const auto n = korveld::tools::WholeNumberOption(kTool, arg, argv[++i]);
      if (!n) return 1;
      if (*n < 1 || *n > 256) return Fail("--song takes 1..256");
      song = static_cast<int>(*n);
    } else if (arg == "--registers" && hasValue) {
      registersPath = argv[++i];
    } else if (arg == "--levels") {
      levels = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      Usage();
      return Fail("unknown or incomplete option " + arg);
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != (embedded != 0 ? 1u : 2u)) {
    Usage();
    return 1;
  }
  output = positional.back();
  if (embedded == 0) input = positional.front();

  std::vector<std::uint8_t> image;
  std::string error;
  if (embedded != 0) {
    const auto entry = korveld::content::SidTuneTable()[embedded].image;
    image.assign(entry.begin(), entry.end());
  } else if (!korveld::tools::ReadInputFile(input, kMaxFileBytes, image, error)) {
    return Fail(error);
  }
  const std::string name = embedded != 0 ? "embedded tune " + std::to_string(embedded) : input;
  if (image.size() < 4 || (std::memcmp(image.data(), "PSID", 4) != 0 && std::memcmp(image.data(), "RSID", 4) != 0))
    return Fail(name + ": not a PSID/RSID file");

  // The player reads the load address from the first two data bytes, as
  // its own tunes store it. Files that give it in the header instead (a
  // non-zero header load field) get it put in front of their data, so any
  // PSID/RSID file loads where its format says.
  if (image.size() >= 22 && (image[8] != 0 || image[9] != 0)) {
    const std::size_t off = image[7];
    if (image.size() < off) return Fail(name + ": file ends inside its header");
    image.insert(image.begin() + static_cast<std::ptrdiff_t>(off), {image[9], image[8]});
  }

  auto state = std::make_unique<SidState>();
  SidState& s = *state;
  const LoadResult loaded = StartTune(s, image, static_cast<std::uint8_t>(song - 1));
  if (!loaded.ok) return Fail(name + ": " + loaded.error);
  const std::uint32_t initInstructions = s.counters.lastInstructions;

  const auto total = static_cast<std::uint32_t>(std::llround(seconds * kMixingRate));
  korveld::platform::WavFile wav;
  if (!korveld::platform::OpenWav(wav, output, total, 1, kMixingRate, &error)) return Fail(error);
  std::FILE* regs = nullptr;
  if (!registersPath.empty()) {
    regs = std::fopen(registersPath.c_str(), "w");
    if (regs == nullptr) return Fail("cannot create " + registersPath + ": " + std::strerror(errno));
  }

  std::int16_t frame[kFrameSamples];
  std::uint32_t done = 0, calls = 0, most = 0;
  std::uint64_t sum = 0;
  korveld::tools::Progress progress;
  double secondPeak = 0, secondSquares = 0;
  int secondCount = 0, secondIndex = 0;
  while (done < total && wav.ok) {
    RenderFrame(s, frame, kFrameSamples);
    ++calls;
    sum += s.counters.lastInstructions;
    most = std::max(most, s.counters.lastInstructions);
    if (regs != nullptr) {
      for (int r = 0; r < 25; ++r) std::fprintf(regs, r == 0 ? "%02X" : " %02X", SidRegisterValue(s, r));
      std::fputc('\n', regs);
    }
    const std::uint32_t n = std::min<std::uint32_t>(kFrameSamples, total - done);
    korveld::platform::AppendWav(wav, std::span(frame, n));
    for (std::uint32_t i = 0; i < n && levels; ++i) {
      secondPeak = std::max(secondPeak, std::fabs(static_cast<double>(frame[i])));
      secondSquares += static_cast<double>(frame[i]) * frame[i];
      if (++secondCount == kMixingRate) {
        std::printf("second %3d  peak %6.0f  rms %7.1f\n", secondIndex++, secondPeak,
                    std::sqrt(secondSquares / secondCount));
        secondPeak = secondSquares = 0;
        secondCount = 0;
      }
    }
    done += n;
    korveld::tools::ShowProgress(progress, done, total);
  }
  korveld::tools::EndProgress(progress);
  const bool wavWritten = korveld::platform::CloseWav(wav, &error);
  if (regs != nullptr && std::fclose(regs) != 0) return Fail("cannot write " + registersPath);
  if (!wavWritten) return Fail(error);

  std::printf("name      %s\nauthor    %s\nreleased  %s\n", HeaderText(image, 0).c_str(), HeaderText(image, 1).c_str(),
              HeaderText(image, 2).c_str());
  std::printf("load $%04X  init $%04X  play $%04X\n", s.tune.load, s.tune.init, s.tune.play);
  std::printf("init: %u instructions; play: most %u, mean %.1f instructions per call over %u calls\n",
              initInstructions, most, calls != 0 ? static_cast<double>(sum) / calls : 0.0, calls);
  if (s.counters.budgetExhausted != 0)
    std::printf("warning: %u calls did not return within %u instructions and were cut off\n",
                s.counters.budgetExhausted, kInstructionBudget);
  return 0;
}
