// Fuzz target: any bytes as an XM module. A module the loader takes is then
// rendered for two seconds through the offline block renderer.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/null_platform.hpp"
#include "xm/xm_player.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korveld;
  if (size > (64u << 20)) return 0;  // the tools read at most 64 MB
  platform::NullPlatform platform;
  auto player = std::make_unique<xm::XmPlayer>();
  xm::XmPlayerInit(*player, platform);
  if (!xm::LoadSongFromMemory(*player, data, static_cast<std::int32_t>(size))) return 0;
  xm::BeginOfflineRender(*player, player->CurrentSong.get());
  constexpr int kBlocks = 2 * xm::kMixRate / xm::kBlockFrames;
  for (int b = 0; b < kBlocks; ++b) xm::FillBlock(*player);
  xm::StopSong(*player);
  xm::FreeSong(*player);
  return 0;
}
