// The enemies' per-frame behaviour: carrier launches, creature steering and
// fire, swarmer retargeting and fire, pod walks, bullets and bullet rings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "levels/random.h"
#include "world/enemies.h"
#include "world/tables.h"
#include "world/world.h"

namespace {

class Enemies : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildStartUpTables(); }
  void SetUp() override {
    world = World{};
    RandomSeed(5);
    BuildGameTables();
    world.levelSettings.creatureFireTimer = 1000;  // no creature fires unless a test says so
    world.levelSettings.hunterFireTimer = 1000;
  }
};

template <typename Record>
std::vector<Record> All(const EntityList<Record>& list) {
  std::vector<Record> all;
  list.ForEach([&](const Record& r) { all.push_back(r); });
  return all;
}

// A wanderer still in its first coasting frames: it neither steers nor draws.
Creature Coaster(int32_t x, int32_t y, int32_t type) {
  return Creature{.x = x, .y = y, .steerTimer = 1000, .creatureType = type};
}

//-----------------------------------------------------------------------------
// Carriers
//-----------------------------------------------------------------------------

TEST_F(Enemies, CarrierLaunchesEveryIntervalOfLaunchHalfFramesWhileItBobs) {
  world.Carriers.Add() = Carrier{.baseY = 0x6000, .launchCountdown = 1, .launchInterval = 40, .creatureType = 3};
  std::vector<int32_t> launchesAt;  // launch-half frames counted so far, at each launch
  int32_t halfFrames = 0, minY = 0x10000, maxY = 0;
  for (int frame = 0; frame < 600; ++frame) {
    const int32_t before = world.Creatures.Size();
    world.sound.sfxLaunch = 0;
    UpdateCarriers();
    const Carrier c = All(world.Carriers)[0];
    minY = std::min(minY, c.y);
    maxY = std::max(maxY, c.y);
    halfFrames += (c.phase & 128) != 0;
    EXPECT_EQ(world.Creatures.Size() != before, world.sound.sfxLaunch == 1);
    if (world.Creatures.Size() != before) launchesAt.push_back(halfFrames);
  }
  EXPECT_EQ(launchesAt, (std::vector<int32_t>{1, 41, 81, 121, 161, 201, 241, 281}));
  EXPECT_EQ(minY, 0x6000 + 0x400 - 2 * 3584);  // 28 pixels about a centre 4 below baseY
  EXPECT_EQ(maxY, 0x6000 + 0x400 + 2 * 3584);
}

TEST_F(Enemies, CarrierLaunchesOnlyFrom176PixelsLeftTo128RightOfTheScreen) {
  for (int32_t x : {-0xB000, -0xAFFF, 0x17FFF, 0x18000}) {
    world.Carriers.Add() = Carrier{.x = x, .phase = 125, .launchCountdown = 1, .creatureType = 1};
  }
  UpdateCarriers();
  std::vector<int32_t> countdowns, launchedFrom;
  for (const Carrier& c : All(world.Carriers)) countdowns.push_back(c.launchCountdown);
  for (const Creature& c : All(world.Creatures)) launchedFrom.push_back(c.x - 0x1000);
  EXPECT_EQ(countdowns, (std::vector<int32_t>{1, 0, 0, 1}));
  EXPECT_EQ(launchedFrom, (std::vector<int32_t>{-0xAFFF, 0x17FFF}));
}

TEST_F(Enemies, LaunchedCreatureHeadsTheCarriersWayAndAStillCarrierCountsAsLeft) {
  world.game.scrollSpeed = 0x100;
  for (int32_t vx : {-0x120, 0, 0x120}) {
    world.Creatures.Clear();
    world.Carriers.Clear();
    world.Carriers.Add() = Carrier{.x = 0x2000, .baseY = 0x5000, .vx = vx, .phase = 125,
                                   .launchCountdown = 1, .launchInterval = 40, .creatureType = 6};
    UpdateCarriers();
    const Carrier c = All(world.Carriers)[0];
    EXPECT_EQ(c.launchCountdown, 40);
    const int32_t x = 0x2000 + vx - 0x100 + 0x1000;
    const Creature expected{.x = x, .y = c.y, .vx = vx, .vy = 0x180, .ax = 64, .ay = 32,
                            .maxVX = std::abs(vx), .maxVY = 0x180, .dirX = vx > 0, .dirY = 1,
                            .targetX = x, .targetY = c.y, .steerTimer = 16, .steerPeriod = 12,
                            .creatureType = 6};
    EXPECT_EQ(All(world.Creatures), std::vector<Creature>{expected}) << "carrier vx " << vx;
  }
}

//-----------------------------------------------------------------------------
// Creatures
//-----------------------------------------------------------------------------

TEST_F(Enemies, SharedFireTimerGoesToTheFirstCreatureOnScreenWhenItRunsOut) {
  world.levelSettings.creatureFireInterval = 300;
  world.levelSettings.creatureFireTimer = 0;
  for (int32_t x : {0x20000, 0x3000, 0x5000, 0x7000}) world.Creatures.Add() = Coaster(x, 0x4000, 1);
  UpdateCreatures();  // the off-screen one neither fires nor counts
  EXPECT_EQ(All(world.EnemyBullets).size(), 1u);
  EXPECT_EQ(All(world.EnemyBullets)[0].x, 0x3000 + 0x600);
  EXPECT_EQ(world.levelSettings.creatureFireTimer, 298);
  EXPECT_EQ(world.sound.sfxEnemyFire, 1);
  world.EnemyBullets.Clear();
  world.levelSettings.creatureFireTimer = 2;  // counted down twice, then the third fires
  UpdateCreatures();
  ASSERT_EQ(All(world.EnemyBullets).size(), 1u);
  EXPECT_EQ(All(world.EnemyBullets)[0].x, 0x7000 + 0x600);
}

TEST_F(Enemies, CreatureFansHaveOneThreeOrFiveBulletsByType) {
  world.game.playerX = 0x7000;  // straight ahead: aim 0
  world.game.playerY = 0x6000;
  world.levelSettings.bulletSpeedRow = 2;
  for (int32_t type = 1; type <= 12; ++type) {
    world.EnemyBullets.Clear();
    world.Creatures.Clear();
    world.levelSettings.creatureFireTimer = 0;
    world.Creatures.Add() = Coaster(0x3000, 0x6000, type);
    UpdateCreatures();
    std::vector<EnemyBullet> expected;
    for (int32_t angle : {0, 248, 8, 240, 16}) {
      expected.push_back({0x3600, 0x6600, SpeedCircle[2][angle][0], SpeedCircle[2][angle][1]});
    }
    expected.resize(type > 8 ? 5 : type > 4 ? 3 : 1);
    EXPECT_EQ(All(world.EnemyBullets), expected) << "type " << type;
  }
}

TEST_F(Enemies, CreaturePushedAgainstTheBandsEdgesKeepsItsVerticalSpeed) {
  world.Creatures.Add() = Coaster(0x3000, 0xD700, 1);
  world.Creatures.Current()->vy = 0x300;
  world.Creatures.Add() = Coaster(0x3000, -0x700, 1);
  world.Creatures.Current()->vy = -0x300;
  UpdateCreatures();
  UpdateCreatures();
  const std::vector<Creature> all = All(world.Creatures);
  EXPECT_EQ(all[0].y, 0xD800);
  EXPECT_EQ(all[0].vy, 0x300);
  EXPECT_EQ(all[1].y, -0x800);
  EXPECT_EQ(all[1].vy, -0x300);
}

TEST_F(Enemies, HomingDecisionDrawsTwoLimitsAndLeavesTheVelocityForAFrame) {
  world.game.playerX = 0x8000;
  world.game.playerY = 0x4000;
  world.levelSettings.tableCursor = 2046;
  world.Creatures.Add() = Creature{.x = 0x3000, .y = 0x8000, .vx = 0x50, .vy = -0x30, .ax = 18,
                                   .ay = 18, .steerPeriod = 6, .creatureType = 4};
  UpdateCreatures();
  Creature c = All(world.Creatures)[0];
  EXPECT_EQ(world.levelSettings.tableCursor, 0);  // 2047, then round to 0
  EXPECT_EQ(c.maxVX, CreatureSpeeds[4][0][2047]);
  EXPECT_EQ(c.maxVY, CreatureSpeeds[4][1][0]);
  EXPECT_EQ((std::vector<int32_t>{c.dirX, c.dirY, c.vx, c.vy, c.steerTimer}),
            (std::vector<int32_t>{1, 0, 0x50, -0x30, 6}));
  UpdateCreatures();
  c = All(world.Creatures)[0];
  EXPECT_EQ((std::vector<int32_t>{c.vx, c.vy, c.steerTimer}),
            (std::vector<int32_t>{std::min(0x50 + 18, c.maxVX), std::max(-0x30 - 18, -c.maxVY), 5}));
}

TEST_F(Enemies, WandererDrawsOnlyForAPassedTargetAndStillAcceleratesTheOldWay) {
  world.levelSettings.tableCursor = 100;
  WanderX[100] = 0x9000;  // beyond the creature: the new direction is +x
  CreatureSpeeds[3][0][101] = 0x200;
  world.Creatures.Add() = Creature{.x = 0x3000, .y = 0x5000, .vx = -0x100, .vy = 0x1F0, .ax = 32,
                                   .ay = 40, .maxVX = 0x300, .maxVY = 0x200, .dirX = 0, .dirY = 1,
                                   .targetX = 0x4000, .targetY = 0x8000, .creatureType = 3};
  UpdateCreatures();
  const Creature c = All(world.Creatures)[0];
  EXPECT_EQ(world.levelSettings.tableCursor, 101);  // one draw: only x had passed its target
  EXPECT_EQ((std::vector<int32_t>{c.targetX, c.dirX, c.maxVX, c.vx, c.targetY, c.vy}),
            (std::vector<int32_t>{0x9000, 1, 0x200, -0x120, 0x8000, 0x200}));
}

//-----------------------------------------------------------------------------
// Swarmers
//-----------------------------------------------------------------------------

TEST_F(Enemies, HuntersFromAWaveRetargetAtOnceOrAfterTheirWait) {
  for (int32_t wait : {0, 8}) {
    world.Swarmers.Add() = Swarmer{.swarmerType = HunterSwarmer, .x = 0x40000, .y = 0x6D00,
                                   .targetVX = 0x640, .retargetTimer = wait};
  }
  std::vector<int32_t> first, second;
  for (int frame = 0; frame < 10; ++frame) {
    UpdateSwarmers();
    first.push_back(All(world.Swarmers)[0].vx);
    second.push_back(All(world.Swarmers)[1].vx);
  }
  // The first heads back towards the screen at once; the second speeds up
  // towards 0x640 for 8 frames, keeps its speed in the frame it retargets
  // (by then wrapped to the far left), and heads back the other way.
  EXPECT_EQ(first, (std::vector<int32_t>{0, -0x80, -0x100, -0x180, -0x200, -0x280, -0x300, -0x380, -0x400, -0x480}));
  EXPECT_EQ(second, (std::vector<int32_t>{0x80, 0x100, 0x180, 0x200, 0x280, 0x300, 0x380, 0x400, 0x400, 0x480}));
  EXPECT_EQ(All(world.Swarmers)[1].retargetTimer, 15);
}

TEST_F(Enemies, OvershootingStepsSwingAroundTheTarget) {
  world.levelSettings.swarmAccel = 0x80;
  for (int32_t type : {PlainSwarmer, HunterSwarmer}) {
    world.Swarmers.Add() = Swarmer{.swarmerType = type, .x = 0x3000, .y = 0x3000, .targetVX = 0x50,
                                   .targetVY = 0x50, .retargetTimer = 100};
  }
  std::vector<int32_t> plain, hunterX, hunterY;
  for (int frame = 0; frame < 4; ++frame) {
    UpdateSwarmers();
    plain.push_back(All(world.Swarmers)[0].vy);
    hunterX.push_back(All(world.Swarmers)[1].vx);
    hunterY.push_back(All(world.Swarmers)[1].vy);
  }
  EXPECT_EQ(plain, (std::vector<int32_t>{0x80, 0, 0x80, 0}));
  EXPECT_EQ(hunterX, (std::vector<int32_t>{0x80, 0, 0x80, 0}));
  EXPECT_EQ(hunterY, (std::vector<int32_t>{0x40, 0x80, 0x40, 0x80}));
}

TEST_F(Enemies, HuntersFireTimerWaitsAtZeroForTheNextDueHunterNearTheScreen) {
  world.game.playerX = 0x8000;  // straight ahead of the first hunter
  world.game.playerY = 0x6000;
  world.levelSettings.hunterFireTimer = 0;
  world.levelSettings.tableCursor = 10;
  AimJitter[12] = -7;
  const int32_t hunters[][2] = {{0x2000, 1}, {0x30000, 0}, {0x4000, 1}, {0x6000, 1}};  // x, retargetTimer
  for (auto [x, wait] : hunters) {
    world.Swarmers.Add() = Swarmer{.swarmerType = HunterSwarmer, .x = x, .y = 0x6000, .retargetTimer = wait};
  }
  UpdateSwarmers();  // only the far hunter is due
  EXPECT_TRUE(world.EnemyBullets.Empty());
  EXPECT_EQ(world.levelSettings.hunterFireTimer, 0);
  UpdateSwarmers();  // the first due fires and reloads; the next two count down
  EXPECT_EQ(All(world.EnemyBullets), (std::vector<EnemyBullet>{{0x2200, 0x6300, 832, 0}}));
  EXPECT_EQ(world.levelSettings.hunterFireTimer, 6);
  const Swarmer first = All(world.Swarmers)[0];
  EXPECT_EQ(first.targetVX, HunterCircle[249][0]);  // aim 0 with a jitter of -7
  EXPECT_EQ(first.targetVY, HunterCircle[249][1]);
}

TEST_F(Enemies, SwarmersFarFromTheScreenHeadBackAndKeepTheirVerticalTarget) {
  world.levelSettings.swarmPeriod = 14;
  for (int32_t x : {-0x2000, 0x12000}) {
    world.Swarmers.Add() = Swarmer{.swarmerType = RingSwarmer, .x = x, .y = 0xDB00, .vy = 0x200, .targetVY = 0x77};
  }
  UpdateSwarmers();
  const std::vector<Swarmer> all = All(world.Swarmers);
  EXPECT_EQ((std::vector<int32_t>{all[0].targetVX, all[1].targetVX, all[0].targetVY, all[0].retargetTimer}),
            (std::vector<int32_t>{0x580, -0x580, 0x77, 14}));
  EXPECT_EQ(all[0].y, 0xDC00);
}

TEST_F(Enemies, AimAtShipClampsFarDistancesToTheTablesReach) {
  world.game.playerX = 0x8000;
  world.game.playerY = 0x6000;
  EXPECT_EQ(AimAtShip(0x8000 - 0x30000, 0x6000 + 0x8000), AimAtShip(0x8000 - 0x10000, 0x6000 + 0x8000));
  EXPECT_EQ(AimAtShip(0x8000 + 0x30000, 0x6000 - 0x30000), AimAtShip(0x8000 + 0x10000, 0x6000 - 0x10000));
  EXPECT_EQ(AimAtShip(0x8000, 0x6000 - 0x30000), 64);
}

//-----------------------------------------------------------------------------
// Pods, bullets, rings, and what every kind shares
//-----------------------------------------------------------------------------

TEST_F(Enemies, PodAtTheTopHeadingUpwardsStaysThere) {
  world.Pods.Add() = Pod{.x = 0x5000, .y = 0, .heading = 192, .podType = PlainPod};
  UpdatePods();
  EXPECT_EQ(All(world.Pods)[0].y, 0);
}

TEST_F(Enemies, OnlyPodsDrawRandomNumbersOncePerPodPerFrame) {
  for (int32_t i = 0; i < 3; ++i) world.Pods.Add() = Pod{.x = 0x1000 * i, .y = 0x5000, .podType = RingPod};
  world.Carriers.Add() = Carrier{.phase = 125, .launchCountdown = 1, .creatureType = 3};
  world.Creatures.Add() = Creature{.x = 0x3000, .y = 0x3000, .dirX = 1, .targetX = 0x1000, .creatureType = 5};
  world.Swarmers.Add() = Swarmer{.swarmerType = PlainSwarmer, .x = 0x3000};
  world.levelSettings.tableCursor = 7;
  const Rng before = rng;
  for (int i = 0; i < 3; ++i) Random(48);
  const Rng expected = rng;
  rng = before;
  UpdateCarriers();
  UpdateCreatures();
  UpdatePods();
  UpdateEnemyBullets();
  UpdateSwarmers();
  EXPECT_EQ(rng, expected);
  EXPECT_EQ(world.levelSettings.tableCursor, 7 + 2);  // the wanderer's x, the swarmer
}

TEST_F(Enemies, BulletsVanishOnlyBeyondTheAreaRoundTheScreen) {
  world.game.scrollSpeed = 0x100;
  const int32_t edges[][2] = {{-0x4000, 0}, {-0x4001, 0}, {0x14000, 0}, {0x14001, 0},
                              {0, -0x400}, {0, -0x401}, {0, 0xE000}, {0, 0xE001}};
  for (auto [x, y] : edges) AddEnemyBullet(x - 0x10 + 0x100, y - 0x20, 0x10, 0x20);
  UpdateEnemyBullets();
  EXPECT_EQ(All(world.EnemyBullets),
            (std::vector<EnemyBullet>{{-0x4000, 0, 0x10, 0x20}, {0x14000, 0, 0x10, 0x20},
                                      {0, -0x400, 0x10, 0x20}, {0, 0xE000, 0x10, 0x20}}));
}

TEST_F(Enemies, BulletRingsFireEvenlyFromAngleZero) {
  struct Ring { int32_t pattern, angles, firstRow, lastRow, step; };
  for (const Ring& r : {Ring{1, 8, 0, 0, 32}, {2, 8, 1, 1, 32}, {3, 8, 2, 2, 32}, {4, 12, 2, 2, 21},
                        {5, 16, 1, 1, 16}, {6, 16, 2, 2, 16}, {7, 12, 1, 2, 21}, {8, 16, 1, 2, 16},
                        {0, 0, 0, 0, 0}, {9, 0, 0, 0, 0}}) {
    world.EnemyBullets.Clear();
    FireBulletRing(r.pattern, 0x4000, 0x5000);
    std::vector<EnemyBullet> expected;
    for (int32_t i = 0; i < r.angles; ++i) {
      for (int32_t row = r.firstRow; row <= r.lastRow; ++row) {
        expected.push_back({0x4000, 0x5000, SpeedCircle[row][i * r.step][0], SpeedCircle[row][i * r.step][1]});
      }
    }
    EXPECT_EQ(All(world.EnemyBullets), expected) << "pattern " << r.pattern;
  }
}

TEST_F(Enemies, EveryKindWrapsOnlyBeyondHalfAWorldCreaturesTakingTheirTarget) {
  const int32_t cases[][2] = {{0x40000, 0x40000}, {0x40001, -0x3FFFF}, {-0x40000, -0x40000}, {-0x40001, 0x3FFFF}};
  for (auto [moved, wrapped] : cases) {  // x after the frame's motion, x after the wrap
    world = World{};
    world.game.scrollSpeed = 0x100;
    world.Carriers.Add() = Carrier{.x = moved + 0x100};
    world.Creatures.Add() = Creature{.x = moved + 0x100, .targetX = 0x1234, .steerTimer = 9, .creatureType = 1};
    world.Swarmers.Add() = Swarmer{.swarmerType = PlainSwarmer, .x = moved + 0x100, .retargetTimer = 9};
    const Rng before = rng;
    const int32_t heading = (Random(48) - 24) & 255;  // the pod's turn this frame
    rng = before;
    world.Pods.Add() = Pod{.x = moved + 0x100 - (SpeedCircle[0][heading][0] >> 2)};
    UpdateCarriers();
    UpdateCreatures();
    UpdatePods();
    UpdateSwarmers();
    EXPECT_EQ(All(world.Carriers)[0].x, wrapped);
    EXPECT_EQ(All(world.Creatures)[0].x, wrapped);
    EXPECT_EQ(All(world.Creatures)[0].targetX, 0x1234 - 0x100 + wrapped - moved);
    EXPECT_EQ(All(world.Swarmers)[0].x, wrapped);
    EXPECT_EQ(All(world.Pods)[0].x, wrapped);
  }
}

}  // namespace
