#include "viewer_test_helpers.hpp"

#include "content/startup/startup_data.hpp"

namespace korveld::testing {
int ScriptedPlatform::update(const std::uint32_t* frame) {
  ++presents_;
  now_ += presentSeconds;
  if (onPresent) onPresent(frame);
  return 1;
}

std::uint16_t ScriptedPlatform::keyState(int vk) {
  std::uint16_t& state = keys_[vk & 0xFF];
  const std::uint16_t result = state;
  state &= static_cast<std::uint16_t>(~platform::kKeyPressed);
  return result;
}


std::unique_ptr<viewer::Program> MakeViewerProgram(ScriptedPlatform& platform) {
  auto program = viewer::MakeProgram(platform);
  viewer::Program& p = *program;
  viewer::FillPageStore(p.pages);
  viewer::LoadPage(p, 11);
  viewer::StoreTickerTexts(p.ticker);
  viewer::StoreMenuLabels(p.menus);
  viewer::DecodeSkins(p.skins);
  render::BuildFontTables(p.font);
  const auto data = content::StartupDataList();
  render::BuildPointerImages(p.pointers, data.subspan(0, 121));
  viewer::InitButtonTables(p.buttons);
  render::FillSpectrumColours(p.spectrum);
  viewer::ReadButtonTable(p.buttons, data.subspan(121, viewer::kButtonItems));
  render::InitSpectrum(p.spectrum);
  viewer::BuildBackgrounds(p.skins, 0, 0, 799, 599, 0, 0);
  return program;
}

void SetPointer(viewer::Program& p, int x, int y, int left) {
  p.mouse.x = x;
  p.mouse.y = y;
  p.mouse.left = left;
  if (left == 0) p.mouse.ClickLatch = 0;
}

std::uint64_t FrameHash(const std::uint32_t* pixels) {
  std::uint64_t h = 1469598103934665603ull;
  for (int i = 0; i < render::kScreenWidth * render::kScreenHeight; ++i) {
    const std::uint32_t v = pixels[i] & 0xFFFFFF;
    for (int k = 0; k < 3; ++k) {
      h ^= (v >> (8 * k)) & 0xFF;
      h *= 1099511628211ull;
    }
  }
  return h;
}

}  // namespace korveld::testing
