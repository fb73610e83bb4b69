// korveld-render: the whole program, start to exit, on the headless backend,
// driven by a script. Tests, screenshots and audio checks all go through it.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "app/program.hpp"
#include "platform/headless.hpp"
#include "platform/wav_file.hpp"
#include "tools/common/command_line.hpp"
#include "viewer/pages.hpp"

namespace {

using korveld::platform::FrameKind;
using korveld::platform::HeadlessOptions;
using korveld::platform::HeadlessPlatform;

constexpr const char* kUsage =
    "usage: korveld-render [--script FILE] [--frame-time S] [--seed N] [--audio OUT.wav]\n"
    "                      [--max-seconds S] [--frame-log FILE]\n"
    "       korveld-render --list-pages\n"
    "Runs Korveld headless. The script (FILE or standard input) has one command a line:\n"
    "  wait S | key NAME | hold NAME | release NAME | move X Y | press | unpress | click\n"
    "  wheel N | shot FILE.png        ('#' starts a comment)\n"
    "Key names: escape f1..f12 up down left right pageup pagedown home end.\n";

struct Args {
  std::string script;
  bool scriptFromFile = false;
  std::string audio;
  std::string frameLog;
  HeadlessOptions options;
};

constexpr char kTool[] = "korveld-render";

[[noreturn]] void Usage(const std::string& why) {
  std::fprintf(stderr, "%s: %s\n%s", kTool, why.c_str(), kUsage);
  std::exit(2);
}

// An option's numeric value; a text that is not a number ends the run with
// one line naming the option.
double NumberValue(const std::string& option, const char* text) {
  const auto value = korveld::tools::NumberOption(kTool, option, text);
  if (!value) std::exit(2);
  return *value;
}

Args ParseArgs(int argc, char** argv) {
  Args a;
  for (int i = 1; i < argc; ++i) {
    const std::string opt = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) Usage(opt + " needs a value");
      return argv[++i];
    };
    if (opt == "--help" || opt == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (opt == "--list-pages") {
      korveld::viewer::PrintPageList(stdout);
      std::exit(0);
    } else if (opt == "--script") {
      a.script = value();
      a.scriptFromFile = true;
    } else if (opt == "--frame-time") {
      const double v = NumberValue(opt, value());
      if (!(v > 0.0) || v > 10.0) Usage("--frame-time needs seconds in (0, 10]");
      a.options.frameTime = v;
    } else if (opt == "--seed") {
      const auto seed = korveld::tools::WholeNumberOption(kTool, opt, value());
      if (!seed) std::exit(2);
      a.options.seed = *seed;
    } else if (opt == "--max-seconds") {
      const double v = NumberValue(opt, value());
      if (!(v > 0.0)) Usage("--max-seconds needs a positive number");
      a.options.maxSeconds = v;
    } else if (opt == "--audio") {
      a.audio = value();
      a.options.captureAudio = true;
    } else if (opt == "--frame-log") {
      a.frameLog = value();
    } else {
      Usage("unknown option " + opt);
    }
  }
  return a;
}

const char* KindName(FrameKind kind) {
  switch (kind) {
    case FrameKind::kBlack: return "black";
    case FrameKind::kBands: return "bands";
    case FrameKind::kPicture: return "picture";
  }
  return "?";
}

// Writes the audio and the frame log; false when a file could not be written.
bool WriteOutputs(const Args& args, const HeadlessPlatform& platform) {
  bool ok = true;
  if (!args.audio.empty()) {
    std::string error;
    const auto samples = platform.capturedAudio();
    if (!korveld::platform::WriteWav(args.audio, samples, 2, 44100, &error)) {
      std::fprintf(stderr, "korveld-render: %s\n", error.c_str());
      ok = false;
    }
  }
  if (!args.frameLog.empty()) {
    std::ofstream log(args.frameLog);
    for (std::size_t i = 0; i < platform.frames().size(); ++i) {
      const auto& f = platform.frames()[i];
      char line[96];
      std::snprintf(line, sizeof line, "%zu %.6f %016" PRIx64 " %s\n", i, f.time, f.hash, KindName(f.kind));
      log << line;
    }
    if (!log) {
      std::fprintf(stderr, "korveld-render: %s: cannot write\n", args.frameLog.c_str());
      ok = false;
    }
  }
  if (!platform.shotError().empty()) {
    std::fprintf(stderr, "korveld-render: shot failed: %s\n", platform.shotError().c_str());
    ok = false;
  }
  return ok;
}

void PrintSummary(const HeadlessPlatform& platform, double seconds, int status) {
  std::printf("frames %zu seconds %.3f status %d hash %016" PRIx64 "\n", platform.frames().size(), seconds, status,
              platform.combinedFrameHash());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  Args args = ParseArgs(argc, argv);

  std::string text;
  if (args.scriptFromFile) {
    std::ifstream in(args.script);
    if (!in) {
      std::fprintf(stderr, "korveld-render: %s: %s\n", args.script.c_str(), std::strerror(errno));
      return 2;
    }
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
  } else {
    std::ostringstream all;
    all << std::cin.rdbuf();
    text = all.str();
  }
  std::vector<korveld::platform::ScriptCommand> script;
  std::string error;
  if (!korveld::platform::ParseScript(text, &script, &error)) {
    std::fprintf(stderr, "korveld-render: %s: %s\n", args.scriptFromFile ? args.script.c_str() : "<stdin>",
                 error.c_str());
    return 2;
  }

  HeadlessPlatform platform(args.options, std::move(script));
  platform.setTimeoutHandler([&] {
    WriteOutputs(args, platform);
    std::fprintf(stderr, "korveld-render: still running after %.3f virtual seconds; ended\n", platform.timer());
    std::fflush(stderr);
    // The program is mid-frame with its players running: end the process
    // here rather than unwind through them.
    std::_Exit(124);
  });
  const int status = korveld::app::RunProgram(platform);
  const bool written = WriteOutputs(args, platform);
  PrintSummary(platform, platform.timer(), status);
  if (!written) return 1;
  return status & 0xFF;
}
