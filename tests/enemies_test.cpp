// The enemies' per-frame behaviour: carrier launches, creature steering and
// fire, swarmer retargeting and fire, pods, bullets, rings and the wrap.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "levels/random.h"
#include "world/enemies.h"
#include "world/tables.h"
#include "world/world.h"

namespace {

using Ints = std::vector<int32_t>;

class Enemies : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildStartUpTables(); }
  void SetUp() override {
    world = World{};
    RandomSeed(5);
    BuildGameTables();
    world.levelSettings.creatureFireTimer = 1000;  // nothing fires unless a test says so
  }
};

template <typename Record>
std::vector<Record> All(const EntityList<Record>& list) {
  std::vector<Record> all;
  list.ForEach([&](const Record& r) { all.push_back(r); });
  return all;
}

// One field of every record, front to back.
template <typename Record>
Ints Field(const EntityList<Record>& list, int32_t Record::*field) {
  Ints values;
  list.ForEach([&](const Record& r) { values.push_back(r.*field); });
  return values;
}

// A wanderer in its first frames: it coasts, neither steering nor drawing.
Creature Coaster(int32_t x, int32_t y, int32_t type, int32_t vy = 0) {
  return Creature{.x = x, .y = y, .vy = vy, .steerTimer = 1000, .creatureType = type};
}

TEST_F(Enemies, CarrierLaunchesOncePerIntervalOfItsLaunchHalfWhileItBobs) {
  world.Carriers.Add() = Carrier{.baseY = 0x6000, .launchCountdown = 1, .launchInterval = 40,
                                 .creatureType = 3};
  Ints launchesAt;  // launch-half frames so far, at each launch
  int32_t halfFrames = 0;
  Ints ys;
  for (int frame = 0; frame < 600; ++frame) {
    const int32_t before = world.Creatures.Size();
    world.sound.sfxLaunch = 0;
    UpdateCarriers();
    const Carrier c = All(world.Carriers)[0];
    halfFrames += (c.phase & 128) != 0;
    ys.push_back(c.y);
    EXPECT_EQ(world.Creatures.Size() != before, world.sound.sfxLaunch == 1);
    if (world.Creatures.Size() != before) launchesAt.push_back(halfFrames);
  }
  EXPECT_EQ(launchesAt, (Ints{1, 41, 81, 121, 161, 201, 241, 281}));
  // It bobs 28 pixels each way about a centre 4 pixels below baseY.
  EXPECT_EQ(*std::min_element(ys.begin(), ys.end()), 0x6400 - 2 * 3584);
  EXPECT_EQ(*std::max_element(ys.begin(), ys.end()), 0x6400 + 2 * 3584);

  // Nothing counts down from 176 pixels left of the screen or 128 right of it.
  world = World{};
  for (int32_t x : {-0xB000, -0xAFFF, 0x17FFF, 0x18000}) {
    world.Carriers.Add() = Carrier{.x = x, .phase = 125, .launchCountdown = 1, .creatureType = 1};
  }
  UpdateCarriers();
  EXPECT_EQ(Field(world.Carriers, &Carrier::launchCountdown), (Ints{1, 0, 0, 1}));
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

TEST_F(Enemies, SharedFireTimerGoesToTheFirstCreatureOnScreenWhenItRunsOut) {
  world.levelSettings.creatureFireInterval = 300;
  world.levelSettings.creatureFireTimer = 0;
  for (int32_t x : {0x20000, 0x3000, 0x5000, 0x7000}) world.Creatures.Add() = Coaster(x, 0x4000, 1);
  UpdateCreatures();  // the one off screen neither fires nor counts
  EXPECT_EQ(Field(world.EnemyBullets, &EnemyBullet::x), (Ints{0x3000 + 0x600}));
  EXPECT_EQ((Ints{world.levelSettings.creatureFireTimer, world.sound.sfxEnemyFire}), (Ints{298, 1}));
  world.EnemyBullets.Clear();
  world.levelSettings.creatureFireTimer = 2;  // counted down twice, then the third fires
  UpdateCreatures();
  EXPECT_EQ(Field(world.EnemyBullets, &EnemyBullet::x), (Ints{0x7000 + 0x600}));
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
    for (int32_t a : {0, 248, 8, 240, 16}) {
      expected.push_back({0x3600, 0x6600, SpeedCircle[2][a][0], SpeedCircle[2][a][1]});
    }
    expected.resize(type > 8 ? 5 : type > 4 ? 3 : 1);
    EXPECT_EQ(All(world.EnemyBullets), expected) << "type " << type;
  }
}

TEST_F(Enemies, CreaturePushedAgainstTheGroundStaysThereKeepingItsSpeed) {
  world.Creatures.Add() = Coaster(0x3000, 0xD700, 1, 0x300);
  UpdateCreatures();
  UpdateCreatures();
  EXPECT_EQ(All(world.Creatures)[0].y, 0xD800);
  EXPECT_EQ(All(world.Creatures)[0].vy, 0x300);
}

// A homing creature's decision draws two limits and leaves the velocity for a
// frame; a wanderer draws only for an axis whose target it has passed, and
// still accelerates the old way in that frame.
TEST_F(Enemies, SteeringStepsTheTableCursorOncePerDraw) {
  world.game.playerX = 0x8000;
  world.game.playerY = 0x4000;
  world.levelSettings.tableCursor = 2046;
  WanderX[0] = 0x9000;  // beyond the wanderer: its new direction is +x
  CreatureSpeeds[3][0][1] = 0x200;
  world.Creatures.Add() = Creature{.x = 0x3000, .y = 0x8000, .vx = 0x50, .vy = -0x30, .ax = 18,
                                   .ay = 18, .steerPeriod = 6, .creatureType = 4};
  world.Creatures.Add() = Creature{.x = 0x3000, .y = 0x5000, .vx = -0x100, .vy = 0x1F0, .ax = 32,
                                   .ay = 40, .maxVX = 0x300, .maxVY = 0x200, .dirX = 0, .dirY = 1,
                                   .targetX = 0x4000, .targetY = 0x8000, .creatureType = 3};
  UpdateCreatures();
  const std::vector<Creature> c = All(world.Creatures);  // the homing one, the wanderer
  EXPECT_EQ(world.levelSettings.tableCursor, 1);               // 2047, 0, then 1
  EXPECT_EQ((Ints{c[0].maxVX, c[0].maxVY}), (Ints{CreatureSpeeds[4][0][2047], CreatureSpeeds[4][1][0]}));
  EXPECT_EQ((Ints{c[0].dirX, c[0].dirY, c[0].vx, c[0].vy, c[0].steerTimer}), (Ints{1, 0, 0x50, -0x30, 6}));
  EXPECT_EQ((Ints{c[1].targetX, c[1].dirX, c[1].maxVX, c[1].vx, c[1].targetY, c[1].vy}),
            (Ints{0x9000, 1, 0x200, -0x120, 0x8000, 0x200}));
}

TEST_F(Enemies, HuntersFromAWaveRetargetAtOnceOrAfterTheirWait) {
  for (int32_t wait : {0, 8}) {
    world.Swarmers.Add() = Swarmer{.swarmerType = HunterSwarmer, .x = 0x40000, .y = 0x6D00,
                                   .targetVX = 0x640, .retargetTimer = wait};
  }
  Ints first, second;
  for (int frame = 0; frame < 10; ++frame) {
    UpdateSwarmers();
    first.push_back(Field(world.Swarmers, &Swarmer::vx)[0]);
    second.push_back(Field(world.Swarmers, &Swarmer::vx)[1]);
  }
  // The first turns back towards the screen at once. The second speeds up
  // towards 0x640 for 8 frames, keeps its speed in the frame it retargets
  // (by then wrapped to the far left) and heads back the other way.
  EXPECT_EQ(first, (Ints{0, -0x80, -0x100, -0x180, -0x200, -0x280, -0x300, -0x380, -0x400, -0x480}));
  EXPECT_EQ(second, (Ints{0x80, 0x100, 0x180, 0x200, 0x280, 0x300, 0x380, 0x400, 0x400, 0x480}));
}

TEST_F(Enemies, OvershootingStepsSwingAroundTheTarget) {
  world.levelSettings.swarmAccel = 0x80;
  for (int32_t type : {PlainSwarmer, HunterSwarmer}) {
    world.Swarmers.Add() = Swarmer{.swarmerType = type, .targetVY = 0x50, .retargetTimer = 9};
  }
  Ints vy;  // plain, hunter, plain, hunter, ...
  for (int frame = 0; frame < 3; ++frame) {
    UpdateSwarmers();
    for (int32_t v : Field(world.Swarmers, &Swarmer::vy)) vy.push_back(v);
  }
  EXPECT_EQ(vy, (Ints{0x80, 0x40, 0, 0x80, 0x80, 0x40}));
}

TEST_F(Enemies, HuntersFireTimerWaitsAtZeroForTheNextDueHunterAndAimsAreClamped) {
  world.game.playerX = 0x8000;  // straight ahead of the first hunter
  world.game.playerY = 0x6000;
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
  EXPECT_EQ((Ints{first.targetVX, first.targetVY}), (Ints{HunterCircle[249][0], HunterCircle[249][1]}));
  // Swarmers far away aim as if the ship were within the direction table's reach.
  EXPECT_EQ(AimAtShip(0x8000 - 0x30000, 0xE000), AimAtShip(0x8000 - 0x10000, 0xE000));
  EXPECT_EQ(AimAtShip(0x8000 + 0x30000, -0x30000), AimAtShip(0x8000 + 0x10000, -0x10000));
}

TEST_F(Enemies, PodsDrawOnceEachAndStayInTheBandNoOtherEnemyDraws) {
  world.Pods.Add() = Pod{.x = 0x5000, .y = 0, .heading = 192, .podType = PlainPod};  // heading up
  for (int32_t x : {0x1000, 0x2000}) world.Pods.Add() = Pod{.x = x, .y = 0x5000, .podType = RingPod};
  world.Carriers.Add() = Carrier{.phase = 125, .launchCountdown = 1, .creatureType = 3};
  world.Creatures.Add() = Creature{.x = 0x3000, .y = 0x3000, .dirX = 1, .targetX = 0x1000, .creatureType = 5};
  world.Swarmers.Add() = Swarmer{.swarmerType = PlainSwarmer, .x = 0x3000};
  const Rng before = rng;
  for (int i = 0; i < 3; ++i) Random(48);
  const Rng expected = std::exchange(rng, before);
  UpdateCarriers();
  UpdateCreatures();
  UpdatePods();
  UpdateEnemyBullets();
  UpdateSwarmers();
  EXPECT_EQ(rng, expected);
  EXPECT_EQ(world.levelSettings.tableCursor, 2);  // the wanderer's passed x, the swarmer
  EXPECT_EQ(All(world.Pods)[0].y, 0);
}

TEST_F(Enemies, BulletsVanishOnlyBeyondTheAreaRoundTheScreen) {
  world.game.scrollSpeed = 0x100;
  const int32_t edges[][2] = {{-0x4000, 0}, {-0x4001, 0}, {0x14000, 0}, {0x14001, 0},
                              {0, -0x400}, {0, -0x401}, {0, 0xE000}, {0, 0xE001}};
  for (auto [x, y] : edges) AddEnemyBullet(x - 0x10 + 0x100, y - 0x20, 0x10, 0x20);
  UpdateEnemyBullets();
  EXPECT_EQ(Field(world.EnemyBullets, &EnemyBullet::x), (Ints{-0x4000, 0x14000, 0, 0}));
  EXPECT_EQ(Field(world.EnemyBullets, &EnemyBullet::y), (Ints{0, 0, -0x400, 0xE000}));
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
        const int32_t* v = SpeedCircle[row][i * r.step];
        expected.push_back({0x4000, 0x5000, v[0], v[1]});
      }
    }
    EXPECT_EQ(All(world.EnemyBullets), expected) << "pattern " << r.pattern;
  }
}

TEST_F(Enemies, EveryKindWrapsOnlyBeyondHalfAWorldCreaturesTakingTheirTarget) {
  const int32_t cases[][2] = {{0x40000, 0x40000}, {0x40001, -0x3FFFF},  // x after the motion, after the wrap
                              {-0x40000, -0x40000}, {-0x40001, 0x3FFFF}};
  for (auto [moved, wrapped] : cases) {
    world = World{};
    world.game.scrollSpeed = 0x100;
    world.Carriers.Add() = Carrier{.x = moved + 0x100};
    world.Creatures.Add() = Coaster(moved + 0x100, 0, 1);
    world.Creatures.Current()->targetX = 0x1234;
    world.Swarmers.Add() = Swarmer{.swarmerType = PlainSwarmer, .x = moved + 0x100, .retargetTimer = 9};
    const Rng before = rng;
    const int32_t turn = Random(48) - 24;
    rng = before;
    // The pod turns to heading 100, where an x part of -445 moves it 112 units left (the shift rounds down).
    world.Pods.Add() = Pod{.x = moved + 0x100 + 112, .heading = (100 - turn) & 255};
    UpdateCarriers();
    UpdateCreatures();
    UpdatePods();
    UpdateSwarmers();
    const Creature c = All(world.Creatures)[0];
    EXPECT_EQ((Ints{All(world.Carriers)[0].x, c.x, All(world.Swarmers)[0].x, All(world.Pods)[0].x}),
              (Ints{wrapped, wrapped, wrapped, wrapped}));
    EXPECT_EQ(c.targetX, 0x1234 - 0x100 + wrapped - moved);
  }
}

}  // namespace
