#include "viewer/program.hpp"

namespace korveld::viewer {

void StoreMenuLabels(MenuState&) {}
void InitButtonTables(ButtonState&) {}
void ReadButtonTable(ButtonState&, std::span<const int>) {}
void HandleButtons(Program&) {}
void HandleMenuClicks(Program&) {}
void DrawButtons(Program&) {}
void DrawMenus(Program&) {}

}  // namespace korveld::viewer
