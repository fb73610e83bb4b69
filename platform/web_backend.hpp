// The web backend of the platform layer: the program in a browser tab, built
// with emscripten. The program runs on a worker thread; the page's own thread
// (platform/web/index.html) shows the frames it hands over, forwards input
// and plays the sound through an audio worklet.
#pragma once

#include <memory>

#include "platform/platform.hpp"

namespace korveld::platform {

class WebPlatform : public Platform {
 public:
  WebPlatform();
  ~WebPlatform() override;
  void configure(int windowed) override;
  int open(std::string_view title, int width, int height) override;
  int update(const std::uint32_t* frame, std::span<const std::uint8_t> changedRows = {}) override;
  bool waitIfHidden() override;
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

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Tells the page that the program has ended with this status; the page
// offers to start it again.
void ReportProgramEnd(int status);
// Blocks until the reader asks the page for the magazine again.
void WaitForRestart();

}  // namespace korveld::platform
