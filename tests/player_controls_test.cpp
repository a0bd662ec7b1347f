// The player's controls beyond the mouse, through the real main loop: the
// pause, the keyboard flying the ship and spelling a name, a pad that comes
// and goes under the joystick setting.
#include <gtest/gtest.h>

#include "input/input.h"
#include "persist/high_score_table.h"
#include "persist/settings.h"
#include "render/graphics.h"
#include "shell/high_scores.h"
#include "tests/headless_game.h"
#include "world/world.h"

namespace {

namespace headless = platform::headless;
using platform::Key;

class PlayerControls : public HeadlessGame {
 protected:
  void StartPlaying() {
    StartGame(false);
    ASSERT_TRUE(Passes(240));  // past the entry run and the blinking: the ship flies
    ASSERT_EQ(world.game.deathTimer, 0);
  }
  static std::vector<uint32_t> Frame() { return headless::LastPresentedFrame(); }
};

TEST_F(PlayerControls, PauseFreezesTheGameAndTheMouseMovedMeanwhileDoesNotFly) {
  StartPlaying();
  headless::PlacePointer(320, 240);
  ASSERT_TRUE(Passes(2));
  Tap(Key::Pause);
  ASSERT_TRUE(Passes(6));  // the trails settle on the still picture
  EXPECT_EQ(shell.paused, 1);
  const World frozen = world;
  const std::vector<uint32_t> picture = Frame();
  headless::MovePointer(250, 200);  // the mouse wanders off while paused
  ASSERT_TRUE(Passes(30));
  EXPECT_TRUE(world == frozen);
  ASSERT_TRUE(Passes(1));
  EXPECT_EQ(Frame(), picture);  // nothing moves on the screen either

  Click();  // a click goes on
  ASSERT_TRUE(Passes(3));
  EXPECT_EQ(shell.paused, 0);
  EXPECT_EQ(world.game.scrollSpeed, 0);  // the pointer is back in the centre
  EXPECT_NE(Frame(), picture);

  // Escape leaves a paused game as any other.
  Tap(Key::Pause);
  ASSERT_TRUE(Passes(1));
  Tap(Key::Escape);
  ASSERT_TRUE(Passes(1));
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  EXPECT_EQ(shell.paused, 0);
}

TEST_F(PlayerControls, KeysFlyAsADigitalStickUntilTheMouseMoves) {
  StartPlaying();
  headless::SetKey(Key::Left, true);
  headless::SetKey(Key::Fire, true);
  std::vector<int32_t> requests;
  for (int i = 0; i < 14; ++i) {
    ASSERT_TRUE(Passes(1));
    requests.push_back(world.game.inputVX);
  }
  EXPECT_EQ(requests[1] - requests[0], -96);  // slewing as a stick does
  EXPECT_EQ(requests.back(), -1125);
  EXPECT_EQ(world.game.fireHeld, 1);
  headless::SetKey(Key::Left, false);
  headless::SetKey(Key::Fire, false);
  ASSERT_TRUE(Passes(20));
  EXPECT_EQ(world.game.inputVX, 0);  // released: back to the centre

  // The pointer still stands in the centre; moving the mouse steers again.
  headless::MovePointer(200, 0);
  ASSERT_TRUE(Passes(1));
  EXPECT_EQ(input.keyboardSteering, 0);
  EXPECT_GT(world.game.inputVX, 500);
}

TEST_F(PlayerControls, JoystickSettingWithoutAPadLeavesTheShipToTheMouse) {
  settings.joystick = 1;
  headless::SetJoystickConnected(false);
  StartPlaying();
  headless::PlacePointer(620, 240);
  headless::SetMouseButton(platform::MouseButton::Left, true);
  ASSERT_TRUE(Passes(2));
  EXPECT_GT(world.game.inputVX, 1000);
  EXPECT_EQ(world.game.fireHeld, 1);

  // A pad plugged in takes over at once; unplugged, it hands back.
  headless::SetJoystickConnected(true);
  headless::SetStick(0, 32767);
  ASSERT_TRUE(Passes(30));
  EXPECT_EQ(world.game.inputVX, -1125);
  EXPECT_EQ(world.game.fireHeld, 0);  // a pad fires with its own buttons
  headless::SetJoystickConnected(false);
  headless::PlacePointer(620, 240);  // the stick had steered the pointer too
  ASSERT_TRUE(Passes(2));
  EXPECT_GT(world.game.inputVX, 1000);
  EXPECT_EQ(settings.joystick, 1);  // the setting stays as chosen
}

TEST_F(PlayerControls, ANameTypedOnTheKeyboardReachesTheTable) {
  InsertHighScore(5000);
  ASSERT_EQ(shell.screenState, ScreenState::NameEntry);
  headless::TypeText("ab");
  ASSERT_TRUE(Passes(1));
  Tap(Key::Backspace);  // DEL
  ASSERT_TRUE(Passes(1));
  headless::TypeText("x9-Z_{ long name");  // characters beyond the grid are left out
  ASSERT_TRUE(Passes(1));
  Tap(Key::Return);  // END
  ASSERT_TRUE(Passes(1));
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  EXPECT_EQ(highScores.hsNames[1], "AX9-Z_ L");
  EXPECT_EQ(highScores.hsScores[1], 5000);
}

TEST_F(PlayerControls, PadStartLeavesMenusAndPausesGames) {
  settings.joystick = 1;
  shell.screenState = ScreenState::Options;
  headless::SetJoystickStart(true);
  ASSERT_TRUE(Passes(1));
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  ASSERT_TRUE(Passes(3));  // held on the title: nothing
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  headless::SetJoystickStart(false);
  StartPlaying();
  headless::SetJoystickStart(true);
  ASSERT_TRUE(Passes(1));
  EXPECT_EQ(shell.paused, 1);
}

}  // namespace
