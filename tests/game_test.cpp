// The game frame: firing, steering and facing, the slide after a turn, death
// and game over, hunter waves, and the mouse and joystick responses.
#include <gtest/gtest.h>

#include "input/game_input.h"
#include "input/input.h"
#include "levels/level_progression.h"
#include "levels/random.h"
#include "persist/settings.h"
#include "platform/headless.h"
#include "render/display.h"
#include "world/game.h"
#include "world/tables.h"
#include "world/world.h"

namespace {

class Game : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::Reset();
    ResetDisplayServices();
    world = World{};
    settings = Settings{};
    settings.music = 0;  // the music player is tested on its own
    input = InputState{};
    BuildStartUpTables();
    BuildMouseResponseTables();
    LoadLevelTables();
    NewGame(NewGameOptions{false, 0, 1234, 0});
    // An empty sky but for one idle carrier on the far side of the world, so
    // that the level is not cleared.
    ClearAllEntities();
    Carrier& far = world.Carriers.Add();
    far.x = -0x30000;
    far.baseY = 0x4000;
    far.hp = 10;
    world.game.deathTimer = 0;
    world.game.playerX = 0x4800;
    world.game.playerY = 0x6C00;
    Centre();
  }

  void Centre() {
    input.pointerX = 320;
    input.pointerY = 240;
  }
  // One frame of play with the pointer and fire as given.
  void Frame(bool fire) {
    input.leftDown = fire;
    UpdatePlay(ReadGameInput());
  }
  int Volleys(int frames, bool fire) {
    int before = 0, fired = 0;
    for (int i = 0; i < frames; ++i) {
      before = world.PlayerShots.Size();
      Frame(fire);
      if (world.PlayerShots.Size() > before) ++fired;
    }
    return fired;
  }
};

TEST_F(Game, HeldFireRepeatsEveryThirdFrame) {
  std::vector<int> firedOn;
  for (int frame = 1; frame <= 9; ++frame) {
    int before = world.PlayerShots.Size();
    Frame(true);
    if (world.PlayerShots.Size() > before) firedOn.push_back(frame);
  }
  EXPECT_EQ(firedOn, (std::vector<int>{1, 4, 7}));
  Frame(false);
  int before = world.PlayerShots.Size();
  Frame(true);  // pressed again: at once
  EXPECT_GT(world.PlayerShots.Size(), before);
}

TEST_F(Game, HoldingFireLocksTheFacingWhileTheViewScrolls) {
  input.pointerX = 20;  // far left
  Frame(true);
  EXPECT_EQ(world.game.facing, 1);
  EXPECT_LT(world.game.scrollSpeed, 0);
  Frame(false);
  EXPECT_EQ(world.game.facing, 0);
}

TEST_F(Game, ATurnSlidesTheShipAcrossWithoutMovingItOverTheGround) {
  SetMouseResponse(5);
  input.pointerX = 320 - 40;
  Frame(false);  // turns left and starts sliding right
  ASSERT_EQ(world.game.facing, 0);
  Centre();
  // Without input the view moves one pixel a frame against the slide: the
  // ship stays over the same ground.
  const int32_t ground = (world.game.worldX + world.game.playerX) & 0x7FFFF;
  int frames = 1;
  while (world.game.playerX < 0xA800) {
    Frame(false);
    ++frames;
    ASSERT_LT(frames, 200);
  }
  EXPECT_EQ(frames, 96);
  EXPECT_EQ((world.game.worldX + world.game.playerX) & 0x7FFFF, ground);
  input.pointerX = 320 - 40;
  Frame(false);
  EXPECT_EQ(world.game.scrollSpeed, world.game.inputVX);
}

TEST_F(Game, DeathWithoutLivesEndsTheGame181FramesLater) {
  world.game.lives = 0;
  world.game.deathTimer = 240;  // the fatal frame
  int frames = 0;
  while (world.game.gameOverTimer != 180) {
    Frame(false);
    ++frames;
    ASSERT_LT(frames, 400);
  }
  EXPECT_EQ(frames, 181);
  EXPECT_EQ(world.game.lives, -1);
}

TEST_F(Game, ALifeToSpareStartsTheEntryRun40FramesLater) {
  world.game.lives = 2;
  world.game.deathTimer = 240;
  for (int i = 0; i < 40; ++i) Frame(false);
  EXPECT_EQ(world.game.deathTimer, 200);
  EXPECT_EQ(world.game.lives, 1);
  Frame(false);
  EXPECT_EQ(world.game.playerY, 0x6C00);
  EXPECT_EQ(world.game.playerX, EntryCurve[1]);
}

TEST_F(Game, HunterWavesComeOnTimeAndNotAfterTheLevelIsClear) {
  world.game.levelFrame = 2046;
  Frame(false);
  EXPECT_EQ(world.Swarmers.Size(), 0);
  Frame(false);
  ASSERT_EQ(world.Swarmers.Size(), 1);
  // It came from the far side of the world and already turned for the screen.
  world.Swarmers.ForEach([](const Swarmer& s) {
    EXPECT_EQ(s.swarmerType, HunterSwarmer);
    EXPECT_EQ(s.targetVX, -0x680);
  });
  world.Swarmers.Clear();
  world.game.levelFrame = 4095;
  world.game.clearTimer = 3;
  Frame(false);
  EXPECT_EQ(world.Swarmers.Size(), 0);
}

TEST(MouseResponse, VelocityFromThePointer) {
  BuildMouseResponseTables();
  settings = Settings{};
  input = InputState{};
  auto request = [](int sens, int x, int y) {
    SetMouseResponse(sens);
    input.pointerX = x;
    input.pointerY = y;
    const PlayInput in = ReadGameInput();
    return std::pair{in.inputVX, in.inputVY};
  };
  EXPECT_EQ(request(5, 320, 240), (std::pair{2, 0}));
  EXPECT_EQ(request(5, 340, 240).first, 98);
  EXPECT_EQ(request(5, 339, 240).first, 93);
  EXPECT_EQ(request(5, 300, 240).first, -93);
  EXPECT_EQ(request(10, 320 + 256, 240).first, 1536);
  EXPECT_LT(request(0, 638, 240).first, 1536);
  EXPECT_EQ(request(0, 640, 240).first, 1536);
  EXPECT_EQ(request(3, 320, 479 + 200).second, request(3, 320, 480).second);
}

TEST(JoystickResponse, DeadZoneAndSlew) {
  settings = Settings{};
  settings.joystick = 1;
  input = InputState{};
  world = World{};
  input.joyConnected = 1;
  input.joyXMax = input.joyYMax = 65535;
  input.joyY = 32767;
  input.joyX = 32767 + 8192;
  EXPECT_EQ(ReadGameInput().stickX, 0);
  input.joyX = 32767 + 8193;
  EXPECT_EQ(ReadGameInput().stickX, 8);
  world.game.inputVX = 8;
  input.joyX = 65535;
  // The request climbs from the game's last one, as the frame keeps it.
  auto frame = [] { return world.game.inputVX = ReadGameInput().inputVX; };
  std::vector<int32_t> climb;
  for (int i = 0; i < 3; ++i) climb.push_back(frame());
  EXPECT_EQ(climb, (std::vector<int32_t>{8 + 96, 8 + 192, 8 + 288}));
  input.joyX = 32767;  // released: back to 0 in steps of 96
  EXPECT_EQ(frame(), 8 + 288 - 96);
}

}  // namespace
