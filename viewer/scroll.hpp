// Which page lines are visible and where: keys, wheel, page keys, scroll bar.
#pragma once

namespace korveld::viewer {

struct Program;

struct ViewState {
  int TopLine = 0;
  int LineCount = 1;
  int ScrollOffset = 0;
  int ScrollGlow = 0;
  int ScrollDragging = 0;
  int CurrentMenu = 2;  // 1 charts, 2 articles
  int CurrentSkin = 1;  // 1 or 2
};

void ScrollByKeys(Program& p);
void ScrollByWheel(Program& p);
void PageKeys(Program& p);
void DrawLineGlows(Program& p, int top);
void DrawPageText(Program& p, int top);
void DrawScrollThumb(Program& p);
void HandleScrollBar(Program& p);

}  // namespace korveld::viewer
