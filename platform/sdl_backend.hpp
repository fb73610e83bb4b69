// The SDL2 backend of the platform layer (the real program).
#pragma once

#include <memory>

#include "platform/platform.hpp"

namespace korveld::platform {

struct SdlState;

class SdlPlatform : public Platform {
 public:
  SdlPlatform();
  ~SdlPlatform() override;
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

 private:
  std::unique_ptr<SdlState> state_;
};

}  // namespace korveld::platform
