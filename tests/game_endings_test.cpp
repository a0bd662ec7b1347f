// How games and demonstrations end, frame by frame through the real main
// loop: the idle title's demonstrations and what ends them, game over with a
// late extra life, a demonstration ending in the frame the next level would
// start, a demonstration replayed after a game, and the closing sequence's
// sounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "audio/sound.h"
#include "input/input.h"
#include "persist/high_score_table.h"
#include "persist/settings.h"
#include "platform/sound_device.h"
#include "tests/headless_game.h"
#include "world/game.h"
#include "world/world.h"

namespace {

namespace headless = platform::headless;

class GameEndings : public HeadlessGame {
 protected:
  // Leaves the title alone until the next demonstration starts. The count of
  // idle frames is tested once on its own; here it starts near its end, which
  // spares thousands of title frames (minutes under the sanitizers).
  void IdleUntilDemonstration() {
    shell.screenTimer = std::max(shell.screenTimer, 895);
    for (int i = 0; i < 1000 && shell.screenState == ScreenState::Title; ++i) ASSERT_TRUE(Passes(1));
    ASSERT_EQ(shell.screenState, ScreenState::Play);
    ASSERT_EQ(shell.demoMode, 1);
  }

  // An empty sky: the level counts as cleared once the ship flies.
  static void ClearTheSky() {
    ClearAllEntities();
    world.game.deathTimer = 0;
  }

  static bool SlotPlaying(int32_t slot) {
    const SoundSamples* s = FindSoundSamples(soundTable.slot[slot]);
    return s != nullptr && platform::IsSoundBufferPlaying(s->buffer);
  }
};

TEST_F(GameEndings, IdleTitleTakesTheRecordingsInTurnAndAnyTouchEndsThem) {
  // A click on the title holds the demonstration off in that frame only.
  ASSERT_TRUE(Passes(900));
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  Click();
  ASSERT_TRUE(Passes(1));
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  EXPECT_EQ(shell.screenTimer, 901);

  const int32_t expectedLevel[3] = {3, 5, 6};
  std::vector<int32_t> order;
  // Each way a player shows up ends the demonstration on its next frame.
  const std::vector<void (*)()> touches = {
      [] { headless::MovePointer(3, 0); },
      [] { headless::SetMouseButton(platform::MouseButton::Right, true); },
      [] { headless::PressOtherKey(); },
      [] {
        settings.joystick = 1;
        headless::SetJoystickButton(4, true);
      },
  };
  for (auto touch : touches) {
    IdleUntilDemonstration();
    order.push_back(shell.demoIndex);
    EXPECT_EQ(world.game.level, expectedLevel[shell.demoIndex]);
    ASSERT_TRUE(Passes(30));
    touch();
    ASSERT_TRUE(Passes(1));
    EXPECT_EQ(shell.screenState, ScreenState::Title);
    EXPECT_EQ(shell.screenTimer, 0);
    EXPECT_TRUE(world.Creatures.Empty() && world.Carriers.Empty());
    headless::SetMouseButton(platform::MouseButton::Right, false);
    headless::SetJoystickButton(4, false);
    settings.joystick = 0;
    headless::PlacePointer(320, 240);
    ASSERT_TRUE(Passes(1));
  }
  EXPECT_EQ(order, (std::vector<int32_t>{1, 2, 0, 1}));

  // Left alone, a demonstration ends with its 1200th frame; the pause key
  // stops it rather than ending it.
  IdleUntilDemonstration();
  EXPECT_EQ(shell.demoIndex, 2);
  Tap(platform::Key::Pause);
  ASSERT_TRUE(Passes(100));
  EXPECT_EQ(world.game.levelFrame, 0);  // not a frame has run
  Tap(platform::Key::Pause);
  ASSERT_TRUE(Passes(1));
  world.game.levelFrame = 1190;
  world.game.deathTimer = 200;  // kept safe from harm meanwhile
  ASSERT_TRUE(Passes(9));
  EXPECT_EQ(shell.screenState, ScreenState::Play);
  ASSERT_TRUE(Passes(1));
  EXPECT_EQ(shell.screenState, ScreenState::Title);
}

TEST_F(GameEndings, DemonstrationEndingInALevelAdvanceFrameLeavesNothingBehind) {
  IdleUntilDemonstration();
  ClearTheSky();
  world.game.levelFrame = 1199;  // this frame reaches 1200
  world.game.clearTimer = 144;   // ... and the level would advance in it
  const int32_t level = world.game.level;
  ASSERT_TRUE(Passes(1));
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  EXPECT_EQ(world.game.level, level);
  EXPECT_TRUE(world.Carriers.Empty() && world.Pods.Empty());

  // The next game starts with its own enemies only.
  shell.screenTimer = 77;
  StartGame(false);
  const World started = world;
  world = World{};
  NewGame(NewGameOptions{false, 0, 77, 0, std::nullopt});
  EXPECT_EQ(started.Carriers.Size(), world.Carriers.Size());
  EXPECT_EQ(started.Pods.Size(), world.Pods.Size());
}

TEST_F(GameEndings, GameOverRunsOutEvenWhenTheLostShipCollectsALife) {
  for (const bool extraLife : {false, true}) {
    StartGame(false);
    ClearAllEntities();
    Carrier& far = world.Carriers.Add();  // the level stays unfinished
    far.x = -0x30000;
    far.baseY = 0x4000;
    far.hp = 10;
    world.game.lives = 0;
    world.game.deathTimer = 240;  // the last life was just lost
    int frames = 0;
    while (shell.screenState == ScreenState::Play && frames < 400) {
      if (extraLife && world.game.gameOverTimer == 60) world.game.score = world.game.nextLifeScore;
      ASSERT_TRUE(Passes(1));
      ++frames;
    }
    EXPECT_EQ(frames, 181) << (extraLife ? "with" : "without") << " an extra life";
    EXPECT_NE(shell.screenState, ScreenState::Play);
    shell.screenState = ScreenState::Title;
  }
}

TEST_F(GameEndings, DemonstrationReplaysTheSameAfterAGame) {
  auto demonstration = [this] {
    shell.demoIndex = 1;
    StartGame(true);
    std::vector<uint64_t> hashes;
    for (int i = 0; i < 300; ++i) {
      EXPECT_TRUE(Passes(1));
      hashes.push_back(HashEntityLists(world));
    }
    shell.screenState = ScreenState::Title;
    ClearAllEntities();
    return hashes;
  };
  const std::vector<uint64_t> first = demonstration();

  // A game that leaves the ship in the far corner.
  StartGame(false);
  headless::PlacePointer(639, 479);
  ASSERT_TRUE(Passes(400));
  ASSERT_NE(world.game.playerY, 0);
  headless::SetKey(platform::Key::Escape, true);
  ASSERT_TRUE(Passes(1));
  headless::SetKey(platform::Key::Escape, false);
  headless::PlacePointer(320, 240);
  ASSERT_TRUE(Passes(1));
  ASSERT_EQ(shell.screenState, ScreenState::Title);

  EXPECT_EQ(demonstration(), first);
}

TEST_F(GameEndings, LastLevelStopsTheSoundsBeforeServingTheFramesRequests) {
  StartGame(false);
  ClearTheSky();
  world.game.level = 21;
  world.game.clearTimer = 145;  // the level flow moves on in this frame
  PlaySound(soundTable.slot[kSoundLevelClear], 0);
  world.sound.sfxPickup = 1;  // raised in the frame
  ASSERT_TRUE(Passes(1));
  ASSERT_EQ(shell.screenState, ScreenState::AllClear);
  EXPECT_FALSE(SlotPlaying(kSoundLevelClear));
  EXPECT_TRUE(SlotPlaying(kSoundPickup) || SlotPlaying(kSoundPickup + 1) || SlotPlaying(kSoundPickup + 2) ||
              SlotPlaying(kSoundPickup + 3));
  EXPECT_EQ(world.sound.sfxPickup, 0);
}

}  // namespace
