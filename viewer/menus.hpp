// The ten buttons and the two-column menus: hit tests, clicks and drawing.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "render/primitives.hpp"
#include "render/screen.hpp"

namespace korveld::platform {
class Platform;
}

namespace korveld::viewer {

struct Viewer;
struct ViewState;
struct MouseState;

inline constexpr int kButtonCount = 10;
inline constexpr int kButtonItems = 100;  // 60 for skin 1, 40 for skin 2
inline constexpr int kMenuEntries = 21;

// The header panel holding the title, the menu and the ticker; their text is
// clipped to it (inclusive bounds).
inline constexpr int kPanelLeft = 146, kPanelRight = 649, kPanelTop = 40, kPanelBottom = 145;

enum Button : int {
  kButtonQuit = 1,
  kButtonCharts = 2,
  kButtonArticles = 3,
  kButtonRules = 4,
  kButtonHelp = 5,
  kButtonMute = 6,
  kButtonMusic1 = 7,  // 7..10: XM tunes 1..4
};

// Buttons 1..10 (entry 0 unused): a rectangle per skin, the latch (1 = lit)
// and the hover glow 0..125. A frame shows the glow after its decay and
// before its rise under the pointer: shownGlow.
struct ButtonState {
  std::array<std::array<int, 11>, 2> x{}, y{}, w{}, h{};  // [skin - 1][button]
  std::array<int, 11> latch{};
  std::array<int, 11> glow{};
  std::array<int, 11> shownGlow{};
};

struct PageLabel {
  std::string_view label;
  int enabled = 0;
  int selected = 0;
};

struct MenuState {
  std::string_view title;
  std::array<PageLabel, kMenuEntries + 1> entries{};  // pages 1..20, entry 21 belongs to none
};

// What a click asks of the rest of the program. The handlers change only the
// viewer's state; the viewer loop carries the request out when they return:
// the page change with its wipes, the music calls, the end of the program.
struct ClickRequest {
  int page = 0;                  // open this page
  bool clearMarksAfter = false;  // RULES and HELP clear the menu marks once their page is open
  bool exit = false;
  bool pauseMusic = false;
  bool resumeMusic = false;
  int tune = 0;  // start XM tune 1..4
};

// Titles, labels (from the compiled page table) and enabled flags; clears the
// marks and selects the first page.
void StoreMenuLabels(MenuState& menus);
void InitButtonTables(ButtonState& buttons);
// Reads 60 numbers for skin 1 (x, y, w, h, latch, glow per button) and 40 for
// skin 2 (x, y, w, h). Returns false, leaving the missing values 0, when
// fewer than 100 items are given.
bool ReadButtonTable(ButtonState& buttons, std::span<const int> items);
void ClearMenuMarks(MenuState& menus);
// Strictly inside button b's rectangle of the given skin.
bool InsideButton(const ButtonState& buttons, int skin, int b, int x, int y);
// The page shown by slot `row` (1..5) of a column (0 left, 1 right) of a
// menu; 0 for the right column's row 5, the menu switch.
int MenuSlotPage(int menu, int column, int row);

// F1/F2 and the ten buttons, on the mouse state of the previous poll.
ClickRequest HandleButtons(Viewer& viewer, platform::Platform& platform);
// The last step of the buttons: the current menu's button is lit. It runs
// after the page change a button asked for, so the wipes show that button
// as the press left it.
void LightMenuButton(ButtonState& buttons, const ViewState& view);
// Menu entries and the menu switch.
ClickRequest HandleMenuClicks(Viewer& viewer);
// The frame's hover step for the header, before it is drawn (also in every
// wipe step): each button's glow falls by 3, is kept as the glow to show,
// and rises by 10 under the pointer while no press is held; the pointer
// looks "hover" over an unlatched button or a menu row.
void UpdateButtonsAndMenuHover(Viewer& viewer);
// A menu row's hover bar lights under the pointer while no press is held.
bool MenuRowHovered(const MouseState& mouse, int column, int row);
// Drawing only: the buttons' overlays, the title, labels, hover bars and
// selection marks, and the two rainbow lines framing the menu.
void DrawButtons(render::ScreenBuffer& frame, const Viewer& viewer);
void DrawMenuPanel(render::ScreenBuffer& frame, const Viewer& viewer);
void DrawMenuFrameLines(render::ScreenBuffer& frame, const render::Rainbow& rainbow);
// The rows DrawMenuFrameLines draws.
void MarkMenuFrameLineRows(render::RowMarks& marks);
void DrawMenus(render::ScreenBuffer& frame, const Viewer& viewer, const render::Rainbow& rainbow);

}  // namespace korveld::viewer
