#include "viewer/menus.hpp"

#include <cmath>

#include "content/pages/page_content.hpp"
#include "platform/platform.hpp"
#include "render/font.hpp"
#include "render/primitives.hpp"
#include "viewer/viewer.hpp"

namespace korveld::viewer {
namespace {

constexpr std::string_view kTitle = "KORVELD ISSUE 35";

// Pages 17..20 are placeholders: listed, but not selectable.
constexpr std::array<int, kMenuEntries + 1> kEnabled = {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                                        1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};

// Pages of the slots: [menu - 1][column][row - 1]; 0 is the menu switch.
constexpr int kSlots[2][2][5] = {
    {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 0}},
    {{11, 13, 14, 15, 16}, {17, 18, 19, 20, 0}},
};
constexpr std::string_view kSwitchLabel[2] = {"> Articles Menu", "> Charts Menu"};

// Menu geometry: text rows at 48 + 12k, columns at x 148 and 402.
constexpr int kRowBase = 48;
constexpr int kRowPitch = 12;
constexpr int kColumnX[2] = {148, 402};
constexpr int kHitLeft[2] = {146, 400};   // exclusive bounds of a slot's hit area
constexpr int kHitRight[2] = {391, 645};
constexpr int kHoverLeft[2] = {149, 403};  // hover bars: inclusive left, exclusive right
constexpr int kHoverRight[2] = {393, 647};
constexpr int kSwitchTop = 108, kSwitchBottom = 120;  // exclusive rows of the menu switch's hit area
constexpr int kBarWidth = 245;   // hover bars and selection marks
constexpr int kBarHeight = 10;

// The header title, centred on column 404 in the bold face.
constexpr int kTitleCentre = 404;
constexpr int kTitleY = 42;
constexpr int kTitleTint = 25;
constexpr int kLabelTint = 2;
constexpr int kSwitchTint = 1;
constexpr int kBoldFace = 1;
// The two rainbow lines framing the menu.
constexpr int kFrameLineRows[2] = {57, 122};
constexpr int kFrameLineLeft = 144;
constexpr int kFrameLineLength = 507;
constexpr int kRainbowStyle = 8;

struct Rgb {
  int r, g, b;
};
// Button overlays per skin (index 0 skin 1): the idle tint the glow fades in,
// and the latched look with its fixed weight.
constexpr Rgb kIdleTint[2] = {{30, 50, 125}, {50, 100, 250}};
constexpr Rgb kLatchedTint[2] = {{125, 70, 20}, {100, 150, 250}};
constexpr int kLatchedAlpha[2] = {125, 95};
// Menu bars: idle at weight 60, hovered 65 more and bluer; the selected page's mark.
constexpr int kBarAlpha = 60;
constexpr int kHoverAlpha = 65;
constexpr int kBarGrey = 100;
constexpr Rgb kMarkTint = {200, 100, 100};
constexpr int kMarkAlpha = 90;

constexpr int kGlowDecay = 3;
constexpr int kGlowRise = 10;
constexpr int kGlowMax = 125;
constexpr int kPageRules = 12;
constexpr int kPageHelp = 10;
constexpr int kPointerHover = 2;

int SkinIndex(const ViewState& view) { return view.CurrentSkin == 1 ? 0 : 1; }

void Blend(render::ScreenBuffer& frame, int x, int y, int w, int h, int alpha, Rgb c) {
  render::FillRectBlend(frame, x, y, w, h, alpha, c.r, c.g, c.b);
}

void MenuText(render::ScreenBuffer& frame, const render::FontTables& font, std::string_view text, int x, int y,
              int tint) {
  render::DrawTextClipped(frame, font, text, x, y, kPanelLeft, kPanelRight, kPanelTop, kPanelBottom, kBoldFace, tint);
}

}  // namespace

void StoreMenuLabels(MenuState& menus) {
  menus.title = kTitle;
  for (int page = 1; page <= kMenuEntries; ++page) {
    menus.entries[page].label = content::PageLabel(page);
    menus.entries[page].enabled = kEnabled[page];
  }
  ClearMenuMarks(menus);
  menus.entries[kFirstPage].selected = 1;
}

void InitButtonTables(ButtonState& buttons) { buttons = ButtonState{}; }

bool ReadButtonTable(ButtonState& buttons, std::span<const int> items) {
  std::size_t next = 0;
  auto take = [&]() { return next < items.size() ? items[next++] : (++next, 0); };
  for (int b = 1; b <= kButtonCount; ++b) {
    buttons.x[0][b] = take();
    buttons.y[0][b] = take();
    buttons.w[0][b] = take();
    buttons.h[0][b] = take();
    buttons.latch[b] = take();
    buttons.glow[b] = take();
  }
  for (int b = 1; b <= kButtonCount; ++b) {
    buttons.x[1][b] = take();
    buttons.y[1][b] = take();
    buttons.w[1][b] = take();
    buttons.h[1][b] = take();
  }
  return items.size() >= static_cast<std::size_t>(kButtonItems);
}

void ClearMenuMarks(MenuState& menus) {
  for (int page = 1; page <= kMenuEntries; ++page) menus.entries[page].selected = 0;
}

bool InsideButton(const ButtonState& buttons, int skin, int b, int x, int y) {
  const int s = skin == 1 ? 0 : 1;
  const int bx = buttons.x[s][b], by = buttons.y[s][b];
  return x > bx && x < bx + buttons.w[s][b] && y > by && y < by + buttons.h[s][b];
}

int MenuSlotPage(int menu, int column, int row) {
  if (menu < 1 || menu > 2 || column < 0 || column > 1 || row < 1 || row > 5) return 0;
  return kSlots[menu - 1][column][row - 1];
}

ClickRequest HandleButtons(Viewer& viewer, platform::Platform& platform) {
  ClickRequest request;
  auto& m = viewer.mouse;
  auto& bt = viewer.buttons;
  auto& v = viewer.view;
  for (int k = 0; k < 2; ++k)
    if (platform::PressTest(platform.keyState(platform::kVkF1 + k))) v.CurrentSkin = k + 1;
  auto pressable = [&]() { return m.left != 0 && m.ClickLatch == 0; };
  auto over = [&](int b) { return InsideButton(bt, v.CurrentSkin, b, m.x, m.y); };

  if (pressable()) {
    for (int b = kButtonQuit; b <= kButtonHelp; ++b) {
      if (bt.latch[b] != 0 || !over(b)) continue;
      m.ClickLatch = 1;
      for (int k = kButtonQuit; k <= kButtonHelp; ++k) bt.latch[k] = 0;
      bt.latch[b] = 1;
      switch (b) {
        case kButtonQuit: request.exit = true; break;
        case kButtonCharts: v.CurrentMenu = 1; break;
        case kButtonArticles: v.CurrentMenu = 2; break;
        case kButtonRules:
          request.page = kPageRules;
          request.clearMarksAfter = true;
          break;
        case kButtonHelp:
          request.page = kPageHelp;
          request.clearMarksAfter = true;
          break;
      }
      break;
    }
  }
  if (pressable() && bt.latch[kButtonMute] == 0 && over(kButtonMute)) {
    m.ClickLatch = 1;
    request.pauseMusic = true;
    bt.latch[kButtonMute] = 1;
  }
  if (pressable() && bt.latch[kButtonMute] != 0 && over(kButtonMute)) {
    m.ClickLatch = 1;
    request.resumeMusic = true;
    bt.latch[kButtonMute] = 0;
  }
  if (pressable()) {
    for (int b = kButtonMusic1; b <= kButtonCount; ++b) {
      if (bt.latch[b] != 0 || !over(b)) continue;
      m.ClickLatch = 1;
      for (int k = kButtonMusic1; k <= kButtonCount; ++k) bt.latch[k] = 0;
      bt.latch[kButtonMute] = 0;
      bt.latch[b] = 1;
      const int tune = b - kButtonMusic1 + 1;
      viewer.ticker.position = 1;
      viewer.ticker.index = tune;
      request.tune = tune;
      break;
    }
  }
  return request;
}

void LightMenuButton(ButtonState& buttons, const ViewState& view) {
  if (view.CurrentMenu == 1) buttons.latch[kButtonCharts] = 1;
  if (view.CurrentMenu == 2) buttons.latch[kButtonArticles] = 1;
}

ClickRequest HandleMenuClicks(Viewer& viewer) {
  ClickRequest request;
  auto& m = viewer.mouse;
  auto& v = viewer.view;
  const int menu = v.CurrentMenu == 1 ? 1 : 2;
  if (m.left == 0 || m.ClickLatch == 1) return request;
  // A press no button took is used up here, whatever lies under it.
  m.ClickLatch = 1;
  for (int column = 0; column < 2; ++column) {
    const int rows = column == 0 ? 5 : 4;
    for (int k = 1; k <= rows; ++k) {
      const bool hit = kRowBase + kRowPitch * k < m.y && m.y < kRowBase + kRowPitch + kRowPitch * k &&
                       kHitLeft[column] < m.x && m.x < kHitRight[column];
      if (!hit) continue;
      const int page = MenuSlotPage(menu, column, k);
      PageLabel& entry = viewer.menus.entries[page];
      if (entry.enabled == 0 || entry.selected != 0) continue;
      ClearMenuMarks(viewer.menus);
      entry.selected = 1;
      viewer.buttons.latch[kButtonRules] = 0;
      viewer.buttons.latch[kButtonHelp] = 0;
      request.page = page;  // the slots do not overlap: at most one is hit
    }
  }
  if (kHitLeft[1] < m.x && m.x < kHitRight[1] && kSwitchTop < m.y && m.y < kSwitchBottom) {
    viewer.buttons.latch[kButtonCharts] = 0;
    viewer.buttons.latch[kButtonArticles] = 0;
    v.CurrentMenu += 1;
    if (v.CurrentMenu > 2) v.CurrentMenu = 1;
  }
  return request;
}

bool MenuRowHovered(const MouseState& mouse, int column, int row) {
  const int t = kRowBase + 1 + kRowPitch * row;
  return t < mouse.y && mouse.y < t + kBarHeight && kHoverLeft[column] <= mouse.x && mouse.x < kHoverRight[column] &&
         mouse.ClickLatch == 0;
}

void UpdateButtonsAndMenuHover(Viewer& viewer) {
  auto& bt = viewer.buttons;
  const auto& m = viewer.mouse;
  viewer.PointerState = 1;
  for (int b = 1; b <= kButtonCount; ++b) {
    if (bt.glow[b] > 0) {
      bt.glow[b] -= kGlowDecay;
      if (bt.glow[b] < 0) bt.glow[b] = 0;
    }
    bt.shownGlow[b] = bt.glow[b];
    if (bt.latch[b] == 0 && InsideButton(bt, viewer.view.CurrentSkin, b, m.x, m.y)) {
      viewer.PointerState = kPointerHover;
      if (m.ClickLatch == 0) {
        bt.glow[b] += kGlowRise;
        if (bt.glow[b] > kGlowMax) bt.glow[b] = kGlowMax;
      }
    }
  }
  for (int column = 0; column < 2; ++column)
    for (int k = 1; k <= 5; ++k)
      if (MenuRowHovered(m, column, k)) viewer.PointerState = kPointerHover;
}

void DrawButtons(render::ScreenBuffer& frame, const Viewer& viewer) {
  const auto& bt = viewer.buttons;
  const int s = SkinIndex(viewer.view);
  for (int b = 1; b <= kButtonCount; ++b) {
    const int bx = bt.x[s][b], by = bt.y[s][b], bw = bt.w[s][b], bh = bt.h[s][b];
    if (bt.latch[b] == 0) {
      Blend(frame, bx, by, bw, bh, bt.shownGlow[b], kIdleTint[s]);
    } else {
      Blend(frame, bx, by, bw, bh, kLatchedAlpha[s], kLatchedTint[s]);
    }
  }
}

void DrawMenuPanel(render::ScreenBuffer& frame, const Viewer& viewer) {
  const auto& menus = viewer.menus;
  const auto& font = viewer.font;
  const int menu = viewer.view.CurrentMenu == 1 ? 1 : 2;
  const double titleWidth = static_cast<double>(menus.title.size()) * render::kGlyphWidth;
  const int titleX = static_cast<int>(std::nearbyint(kTitleCentre - titleWidth / 2.0));
  MenuText(frame, font, menus.title, titleX, kTitleY, kTitleTint);
  for (int column = 0; column < 2; ++column) {
    const int x = kColumnX[column];
    for (int k = 1; k <= 5; ++k) {
      const int page = MenuSlotPage(menu, column, k);
      if (page == 0) {
        MenuText(frame, font, kSwitchLabel[menu - 1], x, kRowBase + kRowPitch * k, kSwitchTint);
      } else if (menus.entries[page].enabled != 0) {
        MenuText(frame, font, menus.entries[page].label, x, kRowBase + kRowPitch * k, kLabelTint);
      }
    }
    for (int k = 1; k <= 5; ++k) {
      const int a = MenuRowHovered(viewer.mouse, column, k) ? kHoverAlpha : 0;
      const int blue = static_cast<int>(std::nearbyint(kBarGrey + a * 0.5));
      Blend(frame, x, kRowBase + 1 + kRowPitch * k, kBarWidth, kBarHeight, kBarAlpha + a, {kBarGrey, kBarGrey, blue});
    }
    for (int k = 1; k <= 5; ++k) {
      const int page = MenuSlotPage(menu, column, k);
      if (page != 0 && menus.entries[page].selected != 0)
        Blend(frame, x, kRowBase + kRowPitch * k, kBarWidth, kBarHeight, kMarkAlpha, kMarkTint);
    }
  }
}

void DrawMenuFrameLines(render::ScreenBuffer& frame, const render::Rainbow& rainbow) {
  for (int row : kFrameLineRows)
    render::DrawRainbowLine(frame, row, kFrameLineLeft, kFrameLineLength, rainbow);
}

void MarkMenuFrameLineRows(render::RowMarks& marks) {
  for (int row : kFrameLineRows) marks.mark(row - 1, row + 1);
}

void DrawMenus(render::ScreenBuffer& frame, const Viewer& viewer, const render::Rainbow& rainbow) {
  DrawMenuPanel(frame, viewer);
  DrawMenuFrameLines(frame, rainbow);
}

}  // namespace korveld::viewer
