// The viewer's own state, one record per concern: what its handlers change
// and its passes draw from. The frame, the two players and the spine's clocks
// are not the viewer's; functions that need them are given them.
#pragma once

#include "render/font.hpp"
#include "render/primitives.hpp"
#include "render/spectrum.hpp"
#include "viewer/frame.hpp"
#include "viewer/input.hpp"
#include "viewer/menus.hpp"
#include "viewer/music.hpp"
#include "viewer/pages.hpp"
#include "viewer/scroll.hpp"
#include "viewer/skins.hpp"
#include "viewer/ticker.hpp"

namespace korveld::viewer {

inline constexpr int kFirstPage = 11;  // the page shown when the viewer opens

// A few megabytes (the page view and the skins): keep it on the heap.
struct Viewer {
  ViewState view;
  PageStore pages;
  PageView page;
  render::FontTables font;
  render::PointerImages pointers;
  MouseState mouse;
  int PointerState = 1;  // 1 normal, 2 hover
  ButtonState buttons;
  MenuState menus;
  SkinState skins;
  TickerState ticker;
  render::SpectrumState spectrum;
  MusicState music;
  int pageLoads = 0;  // LoadPage calls so far: the still picture follows them
  FrameLayers layers;
};

// The viewer's share of start-up, in the program's order: the page store with
// the first page loaded, ticker texts, menu labels, both skins decoded, the
// font tables, the pointer images and the button layout from the start-up
// data list, the spectrum tables.
void StartUpViewer(Viewer& viewer);

// LoadPage into the viewer's page view and view state.
void LoadPage(Viewer& viewer, int page);

}  // namespace korveld::viewer
