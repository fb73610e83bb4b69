#include "viewer/menus.hpp"

#include <cmath>

#include "viewer/paint.hpp"
#include "viewer/program.hpp"

namespace korveld::viewer {
namespace {

constexpr std::string_view kTitle = "KORVELD ISSUE 35";

constexpr std::array<std::string_view, kMenuEntries + 1> kLabels = {
    "",
    "> Monthly Chart",
    "> Monthly Overview",
    "> Group Of The Month",
    "> Group Release Stats",
    "> Yearly Stats",
    "> Yearly Overview",
    "> Group Of The Year",
    "> Alltime Stats",
    "> Alltime Overview",
    "Help",
    "> This Issues Editorial",
    "Rules",
    "> Credits For The Charts",
    "> Letters To The Editor",
    "> This Issues Music",
    "> Interview with you?",
    "> No Good Games for Xmas09?",
    "> Interview with you?",
    "> New ISO/DOX rules Status!",
    "> Article here",
    "",
};
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
constexpr int kClipLeft = 146, kClipRight = 649, kClipTop = 40, kClipBottom = 145;

constexpr int kGlowDecay = 3;
constexpr int kGlowRise = 10;
constexpr int kGlowMax = 125;
constexpr int kPageRules = 12;
constexpr int kPageHelp = 10;

int SkinIndex(const Program& p) { return p.view.CurrentSkin == 1 ? 0 : 1; }

void OpenPage(Program& p, int page) {
  WipeClose(p);
  LoadPage(p, page);
  WipeOpen(p);
}

}  // namespace

void StoreMenuLabels(MenuState& menus) {
  menus.title = kTitle;
  for (int page = 1; page <= kMenuEntries; ++page) {
    menus.entries[page].label = kLabels[page];
    menus.entries[page].enabled = kEnabled[page];
  }
  ClearMenuMarks(menus);
  menus.entries[11].selected = 1;
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

void HandleButtons(Program& p) {
  auto& m = p.mouse;
  auto& bt = p.buttons;
  auto& v = p.view;
  for (int k = 0; k < 2; ++k)
    if (platform::PressTest(p.platform.keyState(platform::kVkF1 + k))) v.CurrentSkin = k + 1;
  auto pressable = [&]() { return m.left != 0 && m.ClickLatch == 0; };
  auto over = [&](int b) { return InsideButton(bt, v.CurrentSkin, b, m.x, m.y); };

  if (pressable()) {
    for (int b = kButtonQuit; b <= kButtonHelp; ++b) {
      if (bt.latch[b] != 0 || !over(b)) continue;
      m.ClickLatch = 1;
      for (int k = kButtonQuit; k <= kButtonHelp; ++k) bt.latch[k] = 0;
      bt.latch[b] = 1;
      switch (b) {
        case kButtonQuit: p.spine.ExitRequested = 1; break;
        case kButtonCharts: v.CurrentMenu = 1; break;
        case kButtonArticles: v.CurrentMenu = 2; break;
        case kButtonRules:
          OpenPage(p, kPageRules);
          ClearMenuMarks(p.menus);
          break;
        case kButtonHelp:
          OpenPage(p, kPageHelp);
          ClearMenuMarks(p.menus);
          break;
      }
      break;
    }
  }
  if (pressable() && bt.latch[kButtonMute] == 0 && over(kButtonMute)) {
    m.ClickLatch = 1;
    StopMusic(p);
    bt.latch[kButtonMute] = 1;
  }
  if (pressable() && bt.latch[kButtonMute] != 0 && over(kButtonMute)) {
    m.ClickLatch = 1;
    ResumeMusic(p);
    bt.latch[kButtonMute] = 0;
  }
  if (pressable()) {
    for (int b = kButtonMusic1; b <= kButtonCount; ++b) {
      if (bt.latch[b] != 0 || !over(b)) continue;
      m.ClickLatch = 1;
      for (int k = kButtonMusic1; k <= kButtonCount; ++k) bt.latch[k] = 0;
      bt.latch[kButtonMute] = 0;
      bt.latch[b] = 1;
      p.ticker.position = 1;
      p.ticker.index = b - 6;
      StartXmTune(p, b - 6);
      break;
    }
  }
  if (v.CurrentMenu == 1) bt.latch[kButtonCharts] = 1;
  if (v.CurrentMenu == 2) bt.latch[kButtonArticles] = 1;
}

void HandleMenuClicks(Program& p) {
  auto& m = p.mouse;
  auto& v = p.view;
  const int menu = v.CurrentMenu == 1 ? 1 : 2;
  if (m.left == 0 || m.ClickLatch == 1) return;
  // A press no button took is used up here, whatever lies under it.
  m.ClickLatch = 1;
  for (int column = 0; column < 2; ++column) {
    const int rows = column == 0 ? 5 : 4;
    for (int k = 1; k <= rows; ++k) {
      const bool hit = kRowBase + kRowPitch * k < m.y && m.y < kRowBase + kRowPitch + kRowPitch * k &&
                       kHitLeft[column] < m.x && m.x < kHitRight[column];
      if (!hit) continue;
      const int page = MenuSlotPage(menu, column, k);
      PageLabel& entry = p.menus.entries[page];
      if (entry.enabled == 0 || entry.selected != 0) continue;
      ClearMenuMarks(p.menus);
      entry.selected = 1;
      p.buttons.latch[kButtonRules] = 0;
      p.buttons.latch[kButtonHelp] = 0;
      OpenPage(p, page);
    }
  }
  if (kHitLeft[1] < m.x && m.x < kHitRight[1] && 108 < m.y && m.y < 120) {
    p.buttons.latch[kButtonCharts] = 0;
    p.buttons.latch[kButtonArticles] = 0;
    v.CurrentMenu += 1;
    if (v.CurrentMenu > 2) v.CurrentMenu = 1;
  }
}

void DrawButtons(Program& p) {
  auto& bt = p.buttons;
  const int s = SkinIndex(p);
  p.PointerState = 1;
  for (int b = 1; b <= kButtonCount; ++b) {
    const int bx = bt.x[s][b], by = bt.y[s][b], bw = bt.w[s][b], bh = bt.h[s][b];
    if (bt.glow[b] > 0) {
      bt.glow[b] -= kGlowDecay;
      if (bt.glow[b] < 0) bt.glow[b] = 0;
    }
    if (bt.latch[b] == 0) {
      if (s == 0) {
        BlendRect(p, bx, by, bw, bh, bt.glow[b], 30, 50, 125);
      } else {
        BlendRect(p, bx, by, bw, bh, bt.glow[b], 50, 100, 250);
      }
      if (InsideButton(bt, p.view.CurrentSkin, b, p.mouse.x, p.mouse.y)) {
        p.PointerState = 2;
        if (p.mouse.ClickLatch == 0) {
          bt.glow[b] += kGlowRise;
          if (bt.glow[b] > kGlowMax) bt.glow[b] = kGlowMax;
        }
      }
    } else if (s == 0) {
      BlendRect(p, bx, by, bw, bh, 125, 125, 70, 20);
    } else {
      BlendRect(p, bx, by, bw, bh, 95, 100, 150, 250);
    }
  }
}

void DrawMenus(Program& p) {
  const auto& menus = p.menus;
  const auto& m = p.mouse;
  const int menu = p.view.CurrentMenu == 1 ? 1 : 2;
  const int titleX = static_cast<int>(std::nearbyint(404.0 - static_cast<double>(menus.title.size()) * 9.0 / 2.0));
  TextClipped(p, menus.title, titleX, 42, kClipLeft, kClipRight, kClipTop, kClipBottom, 1, 25);
  for (int column = 0; column < 2; ++column) {
    const int x = kColumnX[column];
    for (int k = 1; k <= 5; ++k) {
      const int page = MenuSlotPage(menu, column, k);
      if (page == 0) {
        TextClipped(p, kSwitchLabel[menu - 1], x, kRowBase + kRowPitch * k, kClipLeft, kClipRight, kClipTop,
                    kClipBottom, 1, 1);
      } else if (menus.entries[page].enabled != 0) {
        TextClipped(p, menus.entries[page].label, x, kRowBase + kRowPitch * k, kClipLeft, kClipRight, kClipTop,
                    kClipBottom, 1, 2);
      }
    }
    for (int k = 1; k <= 5; ++k) {
      const int t = kRowBase + 1 + kRowPitch * k;
      int a = 0;
      if (t < m.y && m.y < t + 10 && kHoverLeft[column] <= m.x && m.x < kHoverRight[column] && m.ClickLatch == 0) {
        p.PointerState = 2;
        a = 65;
      }
      BlendRect(p, x, t, 245, 10, 60 + a, 100, 100, static_cast<int>(std::nearbyint(100 + a * 0.5)));
    }
    for (int k = 1; k <= 5; ++k) {
      const int page = MenuSlotPage(menu, column, k);
      if (page != 0 && menus.entries[page].selected != 0)
        BlendRect(p, x, kRowBase + kRowPitch * k, 245, 10, 90, 200, 100, 100);
    }
  }
  GlowLine(p, 57, 144, 507, 8);
  GlowLine(p, 122, 144, 507, 8);
}

}  // namespace korveld::viewer
