#include "viewer/viewer.hpp"

#include "content/startup/startup_data.hpp"

namespace korveld::viewer {

void StartUpViewer(Viewer& viewer) {
  FillPageStore(viewer.pages);
  LoadPage(viewer, kFirstPage);
  StoreTickerTexts(viewer.ticker);
  StoreMenuLabels(viewer.menus);
  DecodeSkins(viewer.skins);
  render::BuildFontTables(viewer.font);
  // The start-up data list: the pointer's shape codes, then the button layout.
  const auto data = content::StartupDataList();
  render::BuildPointerImages(viewer.pointers, data.first(render::kPointerCodeCount));
  InitButtonTables(viewer.buttons);
  render::FillSpectrumColours(viewer.spectrum);
  ReadButtonTable(viewer.buttons, data.subspan(render::kPointerCodeCount, kButtonItems));
  render::InitSpectrum(viewer.spectrum);
}

void LoadPage(Viewer& viewer, int page) {
  LoadPage(viewer.pages, viewer.page, viewer.view, page);
  ++viewer.pageLoads;
}

}  // namespace korveld::viewer
