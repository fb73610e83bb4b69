// The headless backend: the whole program without a window or sound card.
//
// A virtual clock (see lockstep.hpp) replaces real time: every presented frame
// advances it by the frame time, every sleep by its length. Input comes from a
// script, frames and sound are captured. The same script therefore gives the
// same frames and the same samples, bit for bit, on every run.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/frame_kind.hpp"
#include "platform/headless_script.hpp"
#include "platform/lockstep.hpp"
#include "platform/platform.hpp"

namespace korveld::platform {

struct HeadlessOptions {
  double frameTime = 1.0 / 60.0;
  std::uint64_t seed = 0;
  double maxSeconds = 600.0;
  bool captureAudio = false;
  bool displayFails = false;  // open() fails, as on a machine without a display
  bool audioFails = false;    // the sound devices cannot be opened
};

struct FrameRecord {
  double time = 0.0;  // virtual seconds when presented
  std::uint64_t hash = 0;
  FrameKind kind = FrameKind::kBlack;
};

class HeadlessPlatform : public Platform {
 public:
  HeadlessPlatform(HeadlessOptions options, std::vector<ScriptCommand> script);
  ~HeadlessPlatform() override;

  void configure(int windowed) override;
  int open(std::string_view title, int width, int height) override;
  int update(const std::uint32_t* frame, std::span<const std::uint8_t> changedRows = {}) override;
  void close() override;
  void hideCursor() override;
  double timer() override;
  void sleepMs(int ms) override;
  double random() override;
  void seedRandomFromTimer() override;
  BufferQueueDevice& queueDevice() override;
  LoopingDevice& loopingDevice() override;
  ThreadService& threads() override;
  void messageBox(std::string_view caption, std::string_view text) override;

  // What the run produced.
  const std::vector<FrameRecord>& frames() const;
  // The frame as shown: the rows each present named as changed, copied in.
  const std::uint32_t* shownFrame() const;
  std::uint64_t combinedFrameHash() const;
  // Everything the two devices played, 44100 Hz 16-bit stereo, saturated.
  std::vector<std::int16_t> capturedAudio() const;
  const std::vector<std::string>& messages() const;  // "caption: text" of every box
  bool scriptDone() const;
  // Called once when the virtual time passes maxSeconds (default: exit 124).
  void setTimeoutHandler(std::function<void()> handler);
  // Set when a shot could not be written.
  const std::string& shotError() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace korveld::platform
