// The input record and the headless backend: scripted input, the virtual
// clock, frame kinds.
#include "platform/headless.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
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

// The input record all three backends feed: a key and the button latch
// their presses alike.
TEST(InputRecord, APressBetweenTwoPollsCountsOnceAndAHeldOneIsNoNewPress) {
  InputState in;
  struct Device {
    std::function<void()> down, up, held;
    std::function<std::uint16_t()> poll;
  };
  const Device key{[&] { KeyDown(in, kVkPageDown); }, [&] { KeyUp(in, kVkPageDown); }, [&] { KeyHeld(in, kVkPageDown); },
                   [&] { return PollKey(in, kVkPageDown); }};
  const Device button{[&] { ButtonDown(in); }, [&] { ButtonUp(in); }, [&] { ButtonHeld(in); },
                      [&] { return PollButton(in); }};
  for (const Device* d : {&key, &button}) {
    d->down();
    d->up();  // a tap: down and up again before anyone polled
    EXPECT_EQ(d->poll(), 0x0001);
    EXPECT_EQ(d->poll(), 0);
    d->down();
    d->down();  // auto-repeat
    EXPECT_EQ(d->poll(), 0x8001);
    d->down();
    EXPECT_EQ(d->poll(), 0x8000);
    d->up();
    d->down();  // let go and pressed again between two polls
    EXPECT_EQ(d->poll(), 0x8001);
    d->up();
    d->held();  // down since before the window could see it
    EXPECT_EQ(d->poll(), 0x8000);
    d->up();
    EXPECT_EQ(d->poll(), 0);
  }
  // A poll takes the press of its own key only; focus lost lets go of
  // everything but keeps presses nobody polled yet.
  KeyDown(in, kVkEscape);
  KeyDown(in, kVkF1);
  EXPECT_EQ(PollKey(in, kVkF1), 0x8001);
  ButtonDown(in);
  ReleaseAll(in);
  EXPECT_EQ(PollKey(in, kVkEscape), 0x0001);
  EXPECT_EQ(PollKey(in, kVkF1), 0);
  EXPECT_EQ(PollButton(in), 0x0001);
  for (int vk : {-1, 0, 256}) {
    KeyDown(in, vk);
    EXPECT_EQ(PollKey(in, vk), 0) << vk;
  }
}

TEST(Script, KeysTapsClicksAndTheWheelReachTheRecord) {
  // key: down for one presented frame; tap: down and up at once.
  Headless h("wait 0.001\nkey escape\ntap f1\nwait 1\nkey escape\n");
  for (auto [frames, want] : {std::pair{1, 0x8001}, {0, 0x8000}, {1, 0}}) {
    h.Frames(frames);
    EXPECT_EQ(h.platform.keyState(kVkEscape), want) << frames;
  }
  EXPECT_EQ(h.platform.keyState(kVkF1), 0x0001);
  h.Frames(60);
  EXPECT_TRUE(PressTest(h.platform.keyState(kVkEscape)));
  // Held at launch: a hold, never a press; pressed again later: one press.
  Headless held("hold pagedown\nwait 0.5\nrelease pagedown\nwait 0.1\nhold pagedown\n");
  EXPECT_EQ(held.platform.keyState(kVkPageDown), 0x8000);
  int presses = 0;
  for (int i = 0; i < 60; ++i, held.Frames()) presses += PressTest(held.platform.keyState(kVkPageDown));
  EXPECT_EQ(presses, 1);
  // click: down for two presented frames; click 0: a tap of the button.
  Headless click("wait 0.001\nclick\nwait 0.1\nclick 0\nwheel 4\nwait 0.1\nwheel -6\n");
  for (int want : {0x8001, 0x8000, 0}) {
    click.Frames();
    EXPECT_EQ(click.platform.buttonState(), want);
  }
  click.Frames(6);
  EXPECT_EQ(click.platform.buttonState(), 0x0001);
  EXPECT_EQ(click.platform.wheel(), 4);
  click.Frames(10);
  EXPECT_EQ(click.platform.wheel(), -2);
}

TEST(PollInput, ClampsThePointerAndActsOnEveryPressOnce) {
  Headless h("move 0 0\npress\nwait 0.1\nmove 799 599\nunpress\nwait 0.1\nmove 400 0\nclick 0\nwait 0.1\npress\n");
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
  h.Frames(7);
  viewer::PollInput(mouse, view, h.platform);
  EXPECT_EQ(std::tuple(mouse.left, mouse.ClickLatch, mouse.x, mouse.y), std::tuple(0, 0, 789, 589));
  // A click shorter than a frame is seen once; a press after a release no
  // poll saw frees the latch as the release would have.
  h.Frames(7);
  viewer::PollInput(mouse, view, h.platform);
  EXPECT_EQ(std::tuple(mouse.left, mouse.ClickLatch, mouse.x, mouse.y), std::tuple(1, 0, 400, 1));
  mouse.ClickLatch = 1;
  h.Frames(7);
  viewer::PollInput(mouse, view, h.platform);
  EXPECT_EQ(std::tuple(mouse.left, mouse.ClickLatch), std::tuple(1, 0));
}

TEST(Script, BadLinesNameTheirLine) {
  std::vector<ScriptCommand> out;
  std::string error;
  for (auto [text, message] : {std::pair{"wait 1\n# fine\nkey nosuchkey\n", "line 3: unknown key 'nosuchkey'"},
                               {"move 10\n", "line 1:"}, {"\n\nwait -1\n", "line 3:"}, {"move 800 10\n", "line 1:"},
                               {"click twice\n", "line 1:"}, {"click -1\n", "line 1:"}, {"dance\n", "line 1:"}}) {
    EXPECT_FALSE(ParseScript(text, &out, &error)) << text;
    EXPECT_EQ(error.rfind(message, 0), 0u) << text << ": " << error;
  }
  EXPECT_TRUE(ParseScript("wait 0.5 # comment\nkey f12\nshot a.png\nwheel -3\n", &out, &error));
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[1].vk, 123);
  EXPECT_EQ(out[3].notches, -3);
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
