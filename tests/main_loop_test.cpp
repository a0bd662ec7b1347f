// The main loop stepped pass by pass on the headless platform: the Escape and
// F12 latches, the order of a pass, focus loss, the screen reopen and the
// start-up failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "input/input.h"
#include "persist/settings.h"
#include "platform/headless.h"
#include "render/display.h"
#include "render/graphics.h"
#include "shell/shell.h"
#include "tests/headless_game.h"

namespace {

namespace fs = std::filesystem;
namespace headless = platform::headless;

class MainLoop : public HeadlessGame {};

TEST_F(MainLoop, EscapeHeldInAnotherScreenReturnsToTitleOnce) {
  ASSERT_TRUE(Passes(2));
  shell.screenState = ScreenState::Options;
  shell.titleIntro = 0;
  shell.screenTimer = 55;
  headless::SetKey(platform::Key::Escape, true);
  ASSERT_TRUE(Passes(3));
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  EXPECT_EQ(shell.titleIntro, 1);
  EXPECT_EQ(shell.screenTimer, 3);  // reset, then counted by three title frames

  // Only a fresh press leaves the title.
  headless::SetKey(platform::Key::Escape, false);
  ASSERT_TRUE(Passes(1));
  headless::SetKey(platform::Key::Escape, true);
  EXPECT_FALSE(Passes(1));
  EXPECT_EQ(shell.screenState, ScreenState::Exit);
  EXPECT_EQ(shell.quit, 0);
}

TEST_F(MainLoop, ATapShorterThanAFrameStillCounts) {
  ASSERT_TRUE(Passes(1));
  headless::SetKey(platform::Key::Escape, true);
  headless::SetKey(platform::Key::Escape, false);
  EXPECT_FALSE(Passes(1));
  EXPECT_EQ(shell.screenState, ScreenState::Exit);
}

TEST_F(MainLoop, F12HeldWritesOneScreenshotPerPress) {
  ASSERT_TRUE(Passes(2));
  headless::SetKey(platform::Key::F12, true);
  ASSERT_TRUE(Passes(4));
  EXPECT_TRUE(fs::exists("snap000001.bmp"));
  EXPECT_FALSE(fs::exists("snap000002.bmp"));
  EXPECT_EQ(fs::file_size("snap000001.bmp"), 921654u);

  headless::SetKey(platform::Key::F12, false);
  ASSERT_TRUE(Passes(1));
  headless::SetKey(platform::Key::F12, true);
  ASSERT_TRUE(Passes(1));
  EXPECT_TRUE(fs::exists("snap000002.bmp"));
}

// The order of a pass decides how fast the game answers: it takes in the
// events first and shows the frame it composed from them before it ends, so
// a move of the mouse is on the screen one pass later at most.
std::vector<std::string> frameCalls;

TEST_F(MainLoop, APassShowsTheFrameItComposedFromTheInputItTookIn) {
  ASSERT_TRUE(Passes(2));
  shell.screenState = ScreenState::Options;
  ASSERT_TRUE(Passes(1));
  ASSERT_EQ(input.pointerX, 480);
  frameCalls.clear();
  WatchFrames({[] { frameCalls.push_back("events taken, pointer at " + std::to_string(input.pointerX)); },
               [] { frameCalls.push_back("presented, pointer at " + std::to_string(input.pointerX)); }});
  const int presents = headless::PresentCount();
  headless::MovePointer(-400, 0);
  ASSERT_TRUE(Passes(1));
  EXPECT_EQ(frameCalls, (std::vector<std::string>{"events taken, pointer at 480", "presented, pointer at 80"}));
  EXPECT_EQ(headless::PresentCount(), presents + 1);
  const std::vector<uint32_t>& shown = headless::LastPresentedFrame();
  EXPECT_TRUE(std::equal(shown.begin(), shown.end(), BackBuffer()));  // the frame this pass composed

  // In the background a pass takes in the events and shows nothing.
  headless::SetFocus(false);
  ASSERT_TRUE(Passes(2));
  WatchFrames({});
  EXPECT_EQ(headless::PresentCount(), presents + 1);
  EXPECT_EQ(frameCalls.size(), 4u);
}

TEST_F(MainLoop, FocusLossFreesGraphicsAndStopsTheScreen) {
  ASSERT_TRUE(Passes(3));
  ASSERT_EQ(shell.graphicsState, GraphicsState::Built);
  const int32_t timer = shell.screenTimer;
  headless::SetFocus(false);
  ASSERT_TRUE(Passes(10));
  EXPECT_EQ(shell.graphicsState, GraphicsState::NeedsBuild);
  EXPECT_FALSE(SpriteExists(Playfield));
  EXPECT_EQ(shell.screenTimer, timer);  // nothing advanced in the background

  headless::SetFocus(true);
  ASSERT_TRUE(Passes(1));
  EXPECT_EQ(shell.graphicsState, GraphicsState::Built);
  EXPECT_TRUE(SpriteExists(Playfield));
  EXPECT_EQ(shell.screenTimer, timer + 1);  // and the screen goes on where it stopped
}

TEST_F(MainLoop, ReopenScreenRebuildsOnTheNextPass) {
  ASSERT_TRUE(Passes(1));
  shell.graphicsState = GraphicsState::ReopenScreen;
  ASSERT_TRUE(Passes(1));
  EXPECT_EQ(shell.graphicsState, GraphicsState::NeedsBuild);
  EXPECT_FALSE(SpriteExists(Playfield));
  ASSERT_TRUE(Passes(1));
  EXPECT_EQ(shell.graphicsState, GraphicsState::Built);
}

TEST_F(MainLoop, ClosingTheWindowEndsAtOnceAndKeepsTheSettings) {
  ASSERT_TRUE(Passes(1));
  settings.volume = 70;
  headless::RequestQuit();
  EXPECT_FALSE(Passes(1));
  EXPECT_EQ(shell.quit, 1);
  ShutDown(StartUpResult::Ready);
  settings = Settings{};
  LoadSettings();
  EXPECT_EQ(settings.volume, 70);
  ASSERT_EQ(StartUp(), StartUpResult::Ready);  // for TearDown
}

TEST(StartUp, FailuresShowTheirMessageAndLeaveQuietly) {
  headless::Reset();
  headless::SetVideoAvailable(false);
  testing::internal::CaptureStderr();
  EXPECT_EQ(StartUp(), StartUpResult::Failed);
  ShutDown(StartUpResult::Failed);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Error: can't start the display: no display"),
            std::string::npos);

  headless::Reset();
  headless::SetWindowAvailable(false);
  testing::internal::CaptureStderr();
  EXPECT_EQ(StartUp(), StartUpResult::Failed);
  ShutDown(StartUpResult::Failed);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Error: Can't set display mode: the display refused"),
            std::string::npos);
  headless::Reset();
}

TEST(StartUp, SixtyHertzModeFallsBackToTheDisplaysRate) {
  headless::Reset();
  ResetDisplayServices();
  ASSERT_EQ(StartUp(), StartUpResult::Ready);
  settings.sixtyHzMode = 1;
  CloseDisplay();
  ASSERT_TRUE(OpenGameScreen());
  EXPECT_FALSE(IsFrameCapActive());  // the display runs at 60 Hz: granted

  // A 75 Hz display refuses the 60 Hz request; the screen opens at its own
  // rate with the frame cap on.
  CloseDisplay();
  headless::SetDisplayRefreshRate(75);
  ASSERT_TRUE(OpenGameScreen());
  EXPECT_TRUE(IsFrameCapActive());
  ShutDown(StartUpResult::Ready);
  headless::Reset();
}

}  // namespace
