// The one program instance: every table and flag the spine, the viewer, the
// intro and the two players share, in plain records. Tests build fresh ones.
#pragma once

#include <memory>

#include "platform/platform.hpp"
#include "render/screen.hpp"
#include "render/intro.hpp"
#include "render/primitives.hpp"
#include "render/font.hpp"
#include "render/spectrum.hpp"
#include "sid/sid_player.hpp"
#include "xm/xm_player.hpp"
#include "viewer/input.hpp"
#include "viewer/pages.hpp"
#include "viewer/scroll.hpp"
#include "viewer/menus.hpp"
#include "viewer/skins.hpp"
#include "viewer/music.hpp"

namespace korveld::viewer {

// Reads the start-up data list (pointer codes, then the button layout) in order.
struct DataListReader {
  int next = 0;
};

struct SpineState {
  int SidTune = 1;
  int ExitRequested = 0;
  double FrameStart = 0.0;
  double GlowPhase = 0.0;
  double IntroFrameStart = 0.0;
  double IntroFrameDelta = 0.0;
  double IntroClock = 0.0;
  double WheelNow = 0.0;
  double WheelBefore = 0.0;
};

struct Program {
  explicit Program(platform::Platform& platform_) : platform(platform_) {}
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  platform::Platform& platform;
  render::ScreenBuffer frame;
  SpineState spine;
  MouseState mouse;
  int PointerState = 1;  // 1 normal, 2 hover
  DataListReader dataList;

  ViewState view;
  PageStore pages;
  PageView page;
  render::FontTables font;
  render::PointerImages pointers;
  ButtonState buttons;
  MenuState menus;
  SkinState skins;
  TickerState ticker;
  render::SpectrumState spectrum;
  render::IntroState intro;
  sid::SidPlayer sid;
  xm::XmPlayer xm;
  MusicState music;
};

// The program state is a few megabytes: always on the heap.
std::unique_ptr<Program> MakeProgram(platform::Platform& platform);

// Presents the frame and nothing else (used by every loop and wipe step).
void Present(Program& p);

}  // namespace korveld::viewer
