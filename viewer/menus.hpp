// The ten buttons and the two-column menus.
#pragma once

#include <array>
#include <span>

namespace korveld::viewer {

struct Program;

struct ButtonState {
  std::array<int, 11> latch{};  // used 1..10
};

struct MenuState {};

void StoreMenuLabels(MenuState& menus);
void InitButtonTables(ButtonState& buttons);
void ReadButtonTable(ButtonState& buttons, std::span<const int> items);
void HandleButtons(Program& p);
void HandleMenuClicks(Program& p);
void DrawButtons(Program& p);
void DrawMenus(Program& p);

}  // namespace korveld::viewer
