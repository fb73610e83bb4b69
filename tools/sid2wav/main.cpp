// korveld-sid2wav: renders a PSID/RSID tune, or one of the embedded tunes,
// offline to a 44100 Hz 16-bit mono WAV file through the same interpreter
// and synthesis the program plays with.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "content/sid/sid_tunes.hpp"
#include "sid/cpu.hpp"
#include "sid/synthesis.hpp"
#include "sid/tune.hpp"

namespace {

using namespace korveld::sid;

constexpr std::size_t kMaxFileBytes = 1 << 20;

void usage() {
  std::fprintf(stderr,
               "usage: korveld-sid2wav (FILE.sid | --embedded N) OUT.wav [--seconds S] [--song N]\n"
               "                       [--registers FILE] [--levels]\n"
               "  --seconds S      length to render (default 60)\n"
               "  --song N         song number handed to init, from 1 (default 1)\n"
               "  --registers FILE after every play call, the 25 SID registers $D400-$D418 as hex\n"
               "  --levels         print peak and RMS level of every second\n");
}

int fail(const std::string& message) {
  std::fprintf(stderr, "korveld-sid2wav: %s\n", message.c_str());
  return 1;
}

bool readFile(const std::string& path, std::vector<std::uint8_t>& out, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  out.resize(kMaxFileBytes + 1);
  const std::size_t n = std::fread(out.data(), 1, out.size(), f);
  const bool bad = std::ferror(f) != 0;
  std::fclose(f);
  if (bad) {
    error = "cannot read " + path;
    return false;
  }
  if (n > kMaxFileBytes) {
    error = path + " is too large for a tune";
    return false;
  }
  out.resize(n);
  return true;
}

void putLe(std::vector<std::uint8_t>& v, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) v.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> wavHeader(std::uint32_t samples) {
  std::vector<std::uint8_t> h;
  const std::uint32_t dataBytes = samples * 2;
  for (char c : std::string("RIFF")) h.push_back(static_cast<std::uint8_t>(c));
  putLe(h, 36 + dataBytes, 4);
  for (char c : std::string("WAVEfmt ")) h.push_back(static_cast<std::uint8_t>(c));
  putLe(h, 16, 4);
  putLe(h, 1, 2);  // PCM
  putLe(h, 1, 2);  // mono
  putLe(h, kMixingRate, 4);
  putLe(h, kMixingRate * 2, 4);
  putLe(h, 2, 2);
  putLe(h, 16, 2);
  for (char c : std::string("data")) h.push_back(static_cast<std::uint8_t>(c));
  putLe(h, dataBytes, 4);
  return h;
}

std::string headerText(const std::vector<std::uint8_t>& image, int index) {
  std::string text;
  const std::size_t start = kHeaderNameOffset + static_cast<std::size_t>(index) * kHeaderTextLength;
  for (std::size_t i = start; i < start + kHeaderTextLength && i < image.size() && image[i] != 0; ++i) {
    const std::uint8_t c = image[i];
    text.push_back(c >= 32 && c < 127 ? static_cast<char>(c) : '?');
  }
  return text;
}

bool parseNumber(const char* text, double low, double high, double& out) {
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || *end != 0 || !(v >= low && v <= high)) return false;
  out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string input, output, registersPath;
  int embedded = 0;
  double seconds = 60.0, song = 1.0;
  bool levels = false;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    double value = 0;
    if (arg == "--help" || arg == "-h") {
      usage();
      return 0;
    } else if (arg == "--embedded" && hasValue) {
      if (!parseNumber(argv[++i], 1, 12, value) || value != std::floor(value)) return fail("--embedded takes 1..12");
      embedded = static_cast<int>(value);
    } else if (arg == "--seconds" && hasValue) {
      if (!parseNumber(argv[++i], 0, 24 * 3600, value)) return fail("--seconds takes 0..86400");
      seconds = value;
    } else if (arg == "--song" && hasValue) {
      if (!parseNumber(argv[++i], 1, 256, value) || value != std::floor(value)) return fail("--song takes 1..256");
      song = value;
    } else if (arg == "--registers" && hasValue) {
      registersPath = argv[++i];
    } else if (arg == "--levels") {
      levels = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      usage();
      return fail("unknown or incomplete option " + arg);
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != (embedded != 0 ? 1u : 2u)) {
    usage();
    return 1;
  }
  output = positional.back();
  if (embedded == 0) input = positional.front();

  std::vector<std::uint8_t> image;
  std::string error;
  if (embedded != 0) {
    const auto entry = korveld::content::SidTuneTable()[embedded].image;
    image.assign(entry.begin(), entry.end());
  } else if (!readFile(input, image, error)) {
    return fail(error);
  }
  const std::string name = embedded != 0 ? "embedded tune " + std::to_string(embedded) : input;
  if (image.size() < 4 || (std::memcmp(image.data(), "PSID", 4) != 0 && std::memcmp(image.data(), "RSID", 4) != 0))
    return fail(name + ": not a PSID/RSID file");

  // The player reads the load address from the first two data bytes, as
  // its own tunes store it. Files that give it in the header instead (a
  // non-zero header load field) get it put in front of their data, so any
  // PSID/RSID file loads where its format says.
  if (image.size() >= 22 && (image[8] != 0 || image[9] != 0)) {
    const std::size_t off = image[7];
    if (image.size() < off) return fail(name + ": file ends inside its header");
    image.insert(image.begin() + static_cast<std::ptrdiff_t>(off), {image[9], image[8]});
  }

  auto state = std::make_unique<SidState>();
  SidState& s = *state;
  SidReset(s, kMixingRate);
  const LoadResult loaded = LoadTuneImage(s, image);
  if (!loaded.ok) return fail(name + ": " + loaded.error);
  CallInit(s, static_cast<std::uint8_t>(song - 1));
  const std::uint32_t initInstructions = s.counters.lastInstructions;

  std::FILE* wav = std::fopen(output.c_str(), "wb");
  if (wav == nullptr) return fail("cannot create " + output + ": " + std::strerror(errno));
  std::FILE* regs = nullptr;
  if (!registersPath.empty()) {
    regs = std::fopen(registersPath.c_str(), "w");
    if (regs == nullptr) {
      std::fclose(wav);
      return fail("cannot create " + registersPath + ": " + std::strerror(errno));
    }
  }
  const auto total = static_cast<std::uint32_t>(std::llround(seconds * kMixingRate));
  const std::vector<std::uint8_t> header = wavHeader(total);
  bool writeOk = std::fwrite(header.data(), 1, header.size(), wav) == header.size();

  std::int16_t frame[kFrameSamples];
  std::uint32_t done = 0, calls = 0, most = 0;
  std::uint64_t sum = 0;
  const auto started = std::chrono::steady_clock::now();
  bool showProgress = false;
  int lastShown = -1;
  double secondPeak = 0, secondSquares = 0;
  int secondCount = 0, secondIndex = 0;
  while (done < total && writeOk) {
    RenderFrame(s, frame, kFrameSamples);
    ++calls;
    sum += s.counters.lastInstructions;
    most = std::max(most, s.counters.lastInstructions);
    if (regs != nullptr) {
      for (int r = 0; r < 25; ++r) std::fprintf(regs, r == 0 ? "%02X" : " %02X", SidRegisterValue(s, r));
      std::fputc('\n', regs);
    }
    const std::uint32_t n = std::min<std::uint32_t>(kFrameSamples, total - done);
    std::uint8_t bytes[kFrameSamples * 2];
    for (std::uint32_t i = 0; i < n; ++i) {
      bytes[2 * i] = static_cast<std::uint8_t>(frame[i]);
      bytes[2 * i + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(frame[i]) >> 8);
      if (levels) {
        secondPeak = std::max(secondPeak, std::fabs(static_cast<double>(frame[i])));
        secondSquares += static_cast<double>(frame[i]) * frame[i];
        if (++secondCount == kMixingRate) {
          std::printf("second %3d  peak %6.0f  rms %7.1f\n", secondIndex++, secondPeak,
                      std::sqrt(secondSquares / secondCount));
          secondPeak = secondSquares = 0;
          secondCount = 0;
        }
      }
    }
    writeOk = std::fwrite(bytes, 2, n, wav) == n;
    done += n;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!showProgress && elapsed > 1.0) showProgress = true;
    const int percent = static_cast<int>(100.0 * done / total);
    if (showProgress && percent != lastShown) {
      lastShown = percent;
      const int bar = percent * 40 / 100;
      std::fprintf(stderr, "\r[%.*s%*s] %3d%%", bar, "########################################", 40 - bar, "",
                   percent);
    }
  }
  if (showProgress) std::fputc('\n', stderr);
  writeOk = std::fclose(wav) == 0 && writeOk;
  if (regs != nullptr && std::fclose(regs) != 0) return fail("cannot write " + registersPath);
  if (!writeOk) return fail("cannot write " + output);

  std::printf("name      %s\nauthor    %s\nreleased  %s\n", headerText(image, 0).c_str(), headerText(image, 1).c_str(),
              headerText(image, 2).c_str());
  std::printf("load $%04X  init $%04X  play $%04X\n", s.tune.load, s.tune.init, s.tune.play);
  std::printf("init: %u instructions; play: most %u, mean %.1f instructions per call over %u calls\n",
              initInstructions, most, calls != 0 ? static_cast<double>(sum) / calls : 0.0, calls);
  if (s.counters.budgetExhausted != 0)
    std::printf("warning: %u calls did not return within %u instructions and were cut off\n",
                s.counters.budgetExhausted, kInstructionBudget);
  return 0;
}
