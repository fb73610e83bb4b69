// The intro scene: noise frames, the blue top gradient, raster bars, a
// three-layer star field, title lines in the big font and a sine-wave
// scroller with a fading reflection. All state lives in IntroState; the spine
// (app/program.cpp) calls the operations in the intro's order, presents the
// frames and keeps the two clocks, IntroClock (1/50 s units) and
// IntroFrameDelta (last frame x 250).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.hpp"
#include "render/screen.hpp"

namespace korveld::render {

inline constexpr int kNoiseCoarse = 10;  // band height in rows
inline constexpr int kNoiseFine = 2;
inline constexpr double kNoiseSeconds = 0.5;

inline constexpr int kStarCount = 300;  // three layers of 100
inline constexpr int kTitleLineCount = 9;
inline constexpr int kWaveColumns = 801;   // screen columns 0..800
inline constexpr int kGradientRows = 631;  // screen rows 0..630
inline constexpr int kBigFontGlyphs = 59;  // codes 32 (space) .. 90 ("Z")
inline constexpr int kGlyphSize = 32;
inline constexpr int kScrollChars = 28;     // characters drawn per frame
inline constexpr double kScrollMaxStep = 5.0;
inline constexpr double kPauseSeconds = 4.0;
inline constexpr char kPauseMarker = 'a';

// The big font's working tables: the sheet as one 32-bit entry per byte, the
// packed palette, and per glyph and column a bit mask of its glyph pixels
// (bit r: row r), upright and mirrored (bit r: row 31 - r).
struct BigFont {
  std::array<std::uint32_t, 1888 * 32> sheet{};
  std::array<std::uint32_t, 256> palette{};
  std::array<std::array<std::uint32_t, kGlyphSize>, kBigFontGlyphs> columns{};
  std::array<std::array<std::uint32_t, kGlyphSize>, kBigFontGlyphs> mirrored{};
};

// Star positions, indices 1..300 (entry 0 unused).
struct StarTables {
  std::array<double, kStarCount + 1> x{};
  std::array<double, kStarCount + 1> y{};
};

struct ScrollState {
  int pos = 1;              // 1-based character of ScrollText at the left
  double sx = 0.0;          // pixel offset, -32..0
  double pauseUntil = 0.0;  // timer seconds
};

// Recomputed every frame from IntroClock, except the two gradients that do
// not move, which are built on the first frame.
struct WaveTableSet {
  std::array<int, kWaveColumns> scrollerRow{};
  std::array<int, kWaveColumns> reflectionRow{};
  std::array<std::uint32_t, kGradientRows> titleFace{};
  std::array<std::uint32_t, kGradientRows> scrollerFace{};
  std::array<std::uint32_t, kGradientRows> reflection{};
  bool fixedGradientsBuilt = false;  // scrollerFace and reflection
};

// The title lines never change, and each of their pixels is the shadow, the
// highlight or the face, whose colour depends on the row alone: they are
// drawn once into runs of equal pixels per row, which a frame fills in.
struct TitleRun {
  std::int16_t row = 0;
  std::int16_t x = 0;
  std::int16_t length = 0;
  std::uint32_t colour = 0;  // kTitleFaceRun: the row's face colour
};
inline constexpr std::uint32_t kTitleFaceRun = 0xFE000000u;
struct TitleLayer {
  std::array<std::string, kTitleLineCount + 1> lines;  // the texts the runs were drawn from
  std::vector<TitleRun> runs;
  bool built = false;
};

struct IntroState {
  std::string ScrollText;
  std::array<std::string, kTitleLineCount + 1> TitleLines;  // 1..9
  BigFont font;
  StarTables stars;
  ScrollState scroll;
  WaveTableSet waves;
  TitleLayer titleLayer;
};

// Set-up, in the spine's order.
void StoreIntroTexts(IntroState& intro);
void InitIntro(IntroState& intro);  // loads the big font
void PlaceStars(IntroState& intro, platform::Platform& platform);
// One frame of a noise flash: bands of the given height, each filled with a
// random colour. The spine presents such frames for kNoiseSeconds.
void DrawNoise(ScreenBuffer& frame, platform::Platform& platform, int bandRows);
void StartScroller(IntroState& intro, double timer);

// One intro frame, in this order, then present, then IntroBackground.
void RasterBars(ScreenBuffer& frame, IntroState& intro, double introClock);
void WaveTables(IntroState& intro, double introClock);
void StarField(ScreenBuffer& frame, IntroState& intro, double introFrameDelta);
void TitleLines(ScreenBuffer& frame, IntroState& intro, double introClock);
void Scroller(ScreenBuffer& frame, IntroState& intro, double introFrameDelta, double timer);
void IntroBackground(ScreenBuffer& frame, IntroState& intro);

// The parts the operations above are made of.
void LoadBigFont(BigFont& font);
// Glyph number 0..58 of a character after upper-casing, or -1 when it has none.
int GlyphIndex(char c);
// Fills rows y..y+31 with the blue ramp n, 2n .. 16n, 15n .. 0; rows outside
// the frame are skipped.
void DrawRasterBar(ScreenBuffer& frame, int y, int step);
// Row of the upper (first) and lower (second) bar of pair k (1..7).
int UpperBarRow(int k, double introClock);
int LowerBarRow(int k, double introClock);
void DrawStar(ScreenBuffer& frame, int xi, int yi, std::uint32_t core, std::uint32_t rim);
void DrawTitleGlyph(ScreenBuffer& frame, const IntroState& intro, int glyph, int x, int y);
void DrawScrollerGlyph(ScreenBuffer& frame, const IntroState& intro, int glyph, int x);
void MoveScroller(IntroState& intro, double introFrameDelta, double timer);
void DrawScroller(ScreenBuffer& frame, const IntroState& intro);

}  // namespace korveld::render
