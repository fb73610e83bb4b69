// The headless backend: scripted input, the virtual clock, frame kinds.
#include "platform/headless.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/screen.hpp"
#include "viewer/input.hpp"
#include "viewer/scroll.hpp"

namespace korveld::platform {
namespace {

struct Headless {
  explicit Headless(const std::string& script, HeadlessOptions options = {}) : platform(options, Parse(script)) {}
  static std::vector<ScriptCommand> Parse(const std::string& text) {
    std::vector<ScriptCommand> out;
    std::string error;
    EXPECT_TRUE(ParseScript(text, &out, &error)) << error;
    return out;
  }
  void Frames(int n = 1) {
    for (int i = 0; i < n; ++i) platform.update(frame.pixels.data());
  }
  HeadlessPlatform platform;
  render::ScreenBuffer frame;
};

TEST(KeyState, PressTestIsTrueOncePerPressAndPerKey) {
  // Down and pressed, still down with the press consumed, up after one
  // presented frame.
  Headless h("wait 0.001\nkey escape\nwait 1\nkey escape\n");
  for (auto [frames, want] : {std::pair{1, 0x8001}, {0, 0x8000}, {1, 0}}) {
    h.Frames(frames);
    EXPECT_EQ(h.platform.keyState(kVkEscape), want) << frames;
  }
  h.Frames(60);
  EXPECT_TRUE(PressTest(h.platform.keyState(kVkEscape)));
  Headless two("wait 0.001\nhold escape\nhold f1\n");
  two.Frames();
  for (auto [vk, want] : {std::pair<int, int>{kVkEscape, 0x8001}, {kVkF1, 0x8001}, {kVkEscape, 0x8000}, {kVkF1 + 1, 0}})
    EXPECT_EQ(two.platform.keyState(vk), want) << vk;
}

TEST(KeyState, HeldAtLaunchIsNoPressButAHoldAfterARelease) {
  Headless h("hold pagedown\nwait 0.5\nrelease pagedown\nwait 0.1\nhold pagedown\n");
  EXPECT_EQ(h.platform.keyState(kVkPageDown), 0x8000);
  int presses = 0;
  for (int i = 0; i < 60; ++i, h.Frames()) presses += PressTest(h.platform.keyState(kVkPageDown));
  EXPECT_EQ(presses, 1);
}

TEST(Mouse, WheelClickAndClampedPointer) {
  Headless wheel("wheel 4\nwait 0.1\nwheel -6\n");
  EXPECT_EQ(wheel.platform.wheel(), 4);
  wheel.Frames(10);
  EXPECT_EQ(wheel.platform.wheel(), -2);
  Headless click("click\n");  // down for two presented frames
  for (int left : {1, 1, 0}) {
    EXPECT_EQ(click.platform.leftButton(), left);
    click.Frames();
  }

  Headless h("move 0 0\npress\nwait 0.1\nmove 799 599\nunpress\nwait 0.1\nmove 400 0\n");
  viewer::MouseState mouse;
  viewer::ViewState view;
  viewer::PollInput(mouse, view, h.platform);
  EXPECT_EQ(mouse.left, 1);
  EXPECT_EQ(mouse.x, 1);
  EXPECT_EQ(mouse.y, 1);
  mouse.ClickLatch = 1;  // a handler acted on the press
  h.Frames();
  viewer::PollInput(mouse, view, h.platform);
  EXPECT_EQ(mouse.ClickLatch, 1);  // still held: stays latched
  for (auto [x, y] : {std::pair{789, 589}, {400, 1}}) {
    h.Frames(7);
    viewer::PollInput(mouse, view, h.platform);
    EXPECT_EQ(mouse.left, 0);
    EXPECT_EQ(mouse.ClickLatch, 0);
    EXPECT_EQ(mouse.x, x);
    EXPECT_EQ(mouse.y, y);
  }
}

TEST(Script, BadLinesNameTheirLine) {
  std::vector<ScriptCommand> out;
  std::string error;
  for (auto [text, message] : {std::pair{"wait 1\n# fine\nkey nosuchkey\n", "line 3: unknown key 'nosuchkey'"},
                               {"move 10\n", "line 1:"}, {"\n\nwait -1\n", "line 3:"}, {"move 800 10\n", "line 1:"},
                               {"click twice\n", "line 1:"}, {"dance\n", "line 1:"}}) {
    EXPECT_FALSE(ParseScript(text, &out, &error)) << text;
    EXPECT_EQ(error.rfind(message, 0), 0u) << text << ": " << error;
  }
  EXPECT_TRUE(ParseScript("wait 0.5 # comment\nkey f12\nshot a.png\nwheel -3\n", &out, &error));
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[1].vk, 123);
  EXPECT_EQ(out[3].notches, -3);
}

TEST(Clock, FramesAndSleepsAdvanceVirtualTime) {
  Headless h("", {.frameTime = 0.02});
  EXPECT_EQ(h.platform.timer(), 0.0);
  h.Frames();
  EXPECT_DOUBLE_EQ(h.platform.timer(), 0.02);
  h.platform.sleepMs(150);
  EXPECT_DOUBLE_EQ(h.platform.timer(), 0.17);
  ASSERT_EQ(h.platform.frames().size(), 1u);
  EXPECT_EQ(h.platform.frames()[0].kind, FrameKind::kBlack);
}

// A wait longer than the clock can count is a wait without end, not none.
TEST(Clock, AWaitPastTheClocksRangeNeverEnds) {
  for (const char* wait : {"wait 1e300\n", "wait 2e13\n", "wait 3e13\n"}) {
    Headless h(std::string(wait) + "key escape\n");
    h.Frames(10);
    EXPECT_EQ(h.platform.keyState(kVkEscape), 0) << wait;
  }
}

TEST(Clock, RandomIsReproducibleForOneSeed) {
  Headless ha("", {.seed = 7}), hb("", {.seed = 7}), hc("", {.seed = 8});
  const double first = ha.platform.random();
  EXPECT_EQ(first, hb.platform.random());
  EXPECT_NE(first, hc.platform.random());
}

TEST(Frames, ClassifiesBlackBandsAndPictures) {
  render::ScreenBuffer f;
  EXPECT_EQ(ClassifyFrame(f.pixels.data()), FrameKind::kBlack);
  for (int y = 0; y < 600; ++y) std::fill_n(f.row(y), 800, static_cast<std::uint32_t>((y / 10) * 0x030201));
  EXPECT_EQ(ClassifyFrame(f.pixels.data()), FrameKind::kBands);
  f.at(5, 300) ^= 1;
  EXPECT_EQ(ClassifyFrame(f.pixels.data()), FrameKind::kPicture);
}

}  // namespace
}  // namespace korveld::platform
