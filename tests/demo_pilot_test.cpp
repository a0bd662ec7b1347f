// The demonstration bot's pilot on a quiet sky: it keeps track of its target
// while the view scrolls, turns to face an enemy behind the ship before it
// fires, and backs off from one too close without turning away from it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "levels/level_progression.h"
#include "persist/settings.h"
#include "platform/headless.h"
#include "render/display.h"
#include "tools/demos/pilot.h"
#include "world/game.h"
#include "world/tables.h"
#include "world/world.h"

namespace {

class DemoPilot : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::Reset();
    ResetDisplayServices();
    world = World{};
    settings = Settings{};
    settings.music = 0;
    BuildStartUpTables();
    LoadLevelTables();
    NewGame(NewGameOptions{false, 0, 1234, 0});
    // One idle carrier far away keeps the level going.
    ClearAllEntities();
    Carrier& far = world.Carriers.Add();
    far.x = -0x30000;
    far.baseY = 0x4000;
    world.game.deathTimer = 0;
    world.game.playerX = 0x4800;
    world.game.playerY = 0x6C00;
    world.levelSettings.creatureFireTimer = 100000;  // no creature fires
  }

  // A creature that hangs where it is put.
  void PutCreature(int32_t x, int32_t y) {
    Creature& c = world.Creatures.Add();
    c.x = x;
    c.y = y;
    c.creatureType = 1;
    c.steerTimer = 100000;
  }

  // One frame with the pilot's input, as the recorder plays it.
  void Frame() { UpdatePlay(Steer(pilot_)); }

  Pilot pilot_;
};

TEST_F(DemoPilot, FollowsFastFruitWhileTheViewScrolls) {
  DebrisPiece& d = world.Debris.Add();
  d.x = 0xE000;
  d.y = 0x6000;
  d.vx = 0x300;
  d.vy = -0x700;
  ASSERT_EQ(NearestTargets(GoalKind::Collect, &pilot_.goal, 1), 1);
  for (int frame = 0; frame < 24; ++frame) {
    // A goal is found at its target in the frame it was made, and in the
    // next after the piece moved with its own speed and against the view's.
    Goal made;
    ASSERT_EQ(NearestTargets(GoalKind::Collect, &made, 1), 1);
    ASSERT_TRUE(FindTarget(made)) << "frame " << frame;
    Frame();
    ASSERT_EQ(world.Debris.Size(), 1) << "frame " << frame;
    Goal followed = pilot_.goal;
    ASSERT_TRUE(FindTarget(followed)) << "frame " << frame;
    EXPECT_EQ(followed.x, world.Debris.First()->x);
    EXPECT_EQ(followed.y, world.Debris.First()->y);
  }
  EXPECT_GT(world.game.scrollSpeed, 0);  // on its way to it
}

TEST_F(DemoPilot, TurnsToFaceAnEnemyBehindBeforeFiring) {
  PutCreature(-0x3000, 0x6C00 - 0x180);
  ASSERT_EQ(NearestTargets(GoalKind::AttackCreature, &pilot_.goal, 1), 1);
  int turnedAt = -1;
  for (int frame = 0; frame < 60 && !world.Creatures.Empty(); ++frame) {
    Frame();
    if (turnedAt < 0 && world.game.facing == 0) turnedAt = frame;
    world.PlayerShots.ForEach([](const PlayerShot& s) { EXPECT_LT(s.vx, 0) << "a shot away from the enemy"; });
  }
  EXPECT_GE(turnedAt, 0);
  EXPECT_TRUE(world.Creatures.Empty()) << "the enemy was not shot";
}

TEST_F(DemoPilot, BacksOffFromAnEnemyTooCloseWithoutTurning) {
  // Ahead and near, far above the ship's line: the ship backs off, holding
  // fire to keep facing it, while it climbs to the enemy's line.
  const int32_t line = 0x1000 + 0x180;
  PutCreature(0x5000 + 0x2000, 0x1000);
  ASSERT_EQ(NearestTargets(GoalKind::AttackCreature, &pilot_.goal, 1), 1);
  bool backed = false;
  while (std::abs(world.game.playerY - line) > 0xA00) {
    Frame();
    ASSERT_EQ(world.game.facing, 1);
    backed |= world.game.scrollSpeed < 0;
    ASSERT_LT(world.game.levelFrame, 100);
  }
  EXPECT_TRUE(backed);
}

}  // namespace
