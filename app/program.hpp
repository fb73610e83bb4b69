// The program's spine: start-up, release wait, intro, change-over, viewer,
// shutdown, on whichever platform backend it is given. Each part owns its own
// state (the viewer, the intro scene, the two players); the spine owns the
// frame, its clocks and the order in which the parts are called.
#pragma once

#include <memory>

#include "platform/platform.hpp"
#include "render/intro.hpp"
#include "render/screen.hpp"
#include "sid/sid_player.hpp"
#include "viewer/viewer.hpp"
#include "xm/xm_player.hpp"

namespace korveld::app {

inline constexpr const char* kWindowTitle = "KORVELD ISSUE 35 - a chart magazine";

// The spine's clocks and flags.
struct SpineState {
  int SidTune = 1;
  int ExitRequested = 0;
  double FrameStart = 0.0;
  double GlowPhase = 0.0;  // viewer animation clock, 1/250 s units
  double IntroFrameStart = 0.0;
  double IntroFrameDelta = 0.0;
  double IntroClock = 0.0;  // intro animation clock, 1/50 s units
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
  viewer::Viewer viewer;
  render::IntroState intro;
  sid::SidPlayer sid;
  xm::XmPlayer xm;
};

// A few megabytes: always on the heap.
std::unique_ptr<Program> MakeProgram(platform::Platform& platform);

// Runs the whole program once; returns the process exit status (0 after a
// normal end, -1 when the display cannot be opened).
int RunProgram(platform::Platform& platform);

// The steps RunProgram is made of, for tests and benchmarks.
// Every table the program needs, before the display opens.
void StartUp(Program& p);
// Presents a frame drawn by anything but the viewer: the viewer's next frame
// starts from a whole copy of its still picture.
void Present(Program& p);
// Presents a viewer frame with the rows that changed since the one before.
void PresentViewerFrame(Program& p);
// Noise frames of the given band height, presented for half a second.
void NoiseFlash(platform::Platform& platform, render::ScreenBuffer& frame, int bandRows);
// One viewer frame, input to the glow clock.
void ViewerFrame(Program& p);
// The clicks of a viewer frame, after its scrolling and before its drawing:
// the buttons, then the menu, each followed by what its click asked for (a
// page change runs its wipes here).
void HandleClicks(Program& p);
// The two wipes around LoadPage, 75 presented frames each.
void WipeClose(Program& p);
void WipeOpen(Program& p);
void ChangePage(Program& p, int page);

}  // namespace korveld::app
